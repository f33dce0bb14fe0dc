// A seeded random user: thousands of typings, pastes, double-clicks, page
// switches and button clicks, with the workflow's rules checked after every
// single action. A failure names its seed and step so it can be replayed.
#include "WindowFixture.h"

#include "road/Road.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QTest>

#include <random>

namespace {

constexpr int kActionsPerSeed = 1500;

// Sensible values for each of the nine fields, in the order of kAllInputs,
// so that confirmations succeed often enough to exercise the confirmed state.
const std::vector<const char*> kGood[] = {
    {"0.5", "0.1", "1", "2"}, {"200", "150", "20"}, {"400", "200", "1000"},
    {"100", "1000", "40"},    {"3", "20", "60"},    {"2", "3"},
    {"3", "20", "60"},        {"2", "3"},           {"2", "1", "10", "4"}};

// Texts a user might paste besides those: edge values, absurd sizes, junk.
const char* const kPastes[] = {"0.5",   "200",     "400",  "100",     "3",   "2",     "60",
                               "4",     "10",      "0.1",  "1",       ".",   "",      "1e200",
                               "1e400", "1.2.3",   "abc",  "-5",      " 7 ", "2.675", "8026.5",
                               "0.09",  "58.1140", "１２", "200.0625"};

// Keys a user might type: the ones the fields take and many they must not.
const char kKeys[] = "0123456789..\b\b\bxX,-+ e\r\x1b";

const char* const kPictures[] = {"ImageZont", "ImageNone", "ImageFalth", "ImageAll"};
const char* const kButtons[] = {"ButtonFileSCR", "ButtonNewRaschet", "ButtonAboutProgram"};
const char* const kPictureOfType[] = {nullptr, "ImageNone", "ImageFalth", "ImageAll"};

class RandomUser : public OpenWindowTest, public ::testing::WithParamInterface<unsigned> {
protected:
    std::mt19937 rng{GetParam()};
    int confirmedType = 0;
    std::vector<std::string> confirmedTexts; // the nine field texts at confirmation
    int confirmations = 0, scripts = 0, exports = 0, messagesSeen = 0;

    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    }

    std::vector<std::string> fieldTexts() const {
        std::vector<std::string> texts;
        texts.reserve(kAllNineFields.size());
        for (const char* name : kAllNineFields)
            texts.push_back(
                form->findChild<QLineEdit*>(QString::fromLatin1(name))->text().toStdString());
        return texts;
    }

    // The script the engine makes from the confirmed texts, found without the window.
    std::pair<std::string, std::string> expectedScript() const {
        kiv::FieldTexts texts;
        for (std::size_t i = 0; i < kiv::kAllInputs.size(); ++i)
            texts[kiv::kAllInputs[i]] = confirmedTexts[i];
        kiv::OutputRequest request;
        request.script = true;
        const kiv::RoadResult road = kiv::RunRoad(confirmedType, texts, "4133", request);
        EXPECT_EQ(road.confirmation.report.status, kiv::CalcStatus::Ok);
        return {road.scriptName, road.outputs.script};
    }

    void act(std::size_t action) {
        switch (action) {
        case 0: { // type a key into an enabled field
            QLineEdit* f = field(kAllNineFields[pick(std::size(kAllNineFields))]);
            if (!f->isEnabled() || !f->isVisible())
                return;
            QTest::mouseClick(f, Qt::LeftButton);
            const char c = kKeys[pick(sizeof kKeys - 1)];
            if (c == '\b')
                QTest::keyClick(f, Qt::Key_Backspace);
            else if (c == '\r')
                QTest::keyClick(f, Qt::Key_Return);
            else if (c == '\x1b')
                QTest::keyClick(f, Qt::Key_Escape);
            else
                QTest::keyClick(f, c);
            return;
        }
        case 1:
        case 2: { // paste through the field's own paste, as its context menu does
            const std::size_t i = pick(std::size(kAllNineFields));
            QLineEdit* f = field(kAllNineFields[i]);
            if (!f->isEnabled() || !f->isVisible())
                return;
            f->selectAll();
            const char* text =
                pick(4) == 0 ? kPastes[pick(std::size(kPastes))] : kGood[i][pick(kGood[i].size())];
            QApplication::clipboard()->setText(QString::fromUtf8(text));
            f->paste();
            return;
        }
        case 3:
        case 4: { // double-click a picture
            // Mostly the picture of the page on show, as a user would.
            const char* name = pick(5) == 0 ? kPictures[pick(std::size(kPictures))]
                                            : kPictures[1 + form->PageControl1->currentIndex()];
            QWidget* picture = control(name);
            if (!picture->isVisible())
                return;
            const bool wasConfirmed = form->ButtonFileSCR->isEnabled();
            const std::vector<std::string> texts = fieldTexts();
            doubleClickPicture(name);
            if (!wasConfirmed && form->ButtonFileSCR->isEnabled()) {
                for (int t = 1; t <= 3; ++t)
                    if (std::strcmp(kPictureOfType[t], name) == 0)
                        confirmedType = t;
                confirmedTexts = texts;
                ++confirmations;
            }
            return;
        }
        case 5: // switch pages
            clickTab(static_cast<int>(pick(3)));
            return;
        case 8: { // DXF export by its shortcut, from wherever the focus is
            const bool writes = form->ActionExportDXF->isEnabled();
            const QString path = QDir::current().filePath(QStringLiteral("random.dxf"));
            QFile::remove(path);
            dialogs.answer = path;
            QWidget* target =
                QApplication::focusWidget() ? QApplication::focusWidget() : form.get();
            QTest::keyClick(target, Qt::Key_E, Qt::ControlModifier);
            EXPECT_EQ(QFile::exists(path), writes) << [&] {
                std::string all = "type " + std::to_string(confirmedType) + ":";
                for (const auto& t : confirmedTexts)
                    all += " " + t;
                return all;
            }();
            if (writes)
                ++exports;
            return;
        }
        default: { // click a button
            const char* name = kButtons[pick(std::size(kButtons))];
            const bool writes =
                std::strcmp(name, "ButtonFileSCR") == 0 && form->ButtonFileSCR->isEnabled();
            clickButton(name);
            if (writes) {
                const auto [file, bytes] = expectedScript();
                QFile written(QString::fromStdString(file));
                ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << file;
                EXPECT_EQ(written.readAll().toStdString(), bytes) << file;
                ++scripts;
            }
            return;
        }
        }
    }

    // The workflow's rules, whatever the user did.
    void checkInvariants() {
        const bool confirmed = form->ButtonFileSCR->isEnabled();
        EXPECT_EQ(form->ButtonNewRaschet->isEnabled(), confirmed);
        for (const QAction* a : {form->ActionFileSCR, form->ActionExportDXF,
                                 form->ActionPrintTemplate, form->ActionTemplatePDF})
            EXPECT_EQ(a->isEnabled(), confirmed) << a->text().toStdString();
        EXPECT_EQ(form->LabelRazv->isVisible(), confirmed);
        EXPECT_EQ(form->LabelSpravka->isVisible(), confirmed);
        EXPECT_EQ(form->PageControl1->isEnabled(), !confirmed);
        for (const char* name : kMainFields)
            EXPECT_EQ(field(name)->isEnabled(), !confirmed) << name;
        if (!confirmed) {
            EXPECT_EQ(form->ButtonFileSCR->text(), QStringLiteral("Файл развертки \"по точкам\""));
        }
        for (const QString& text : labelTexts()) {
            EXPECT_FALSE(text.contains(QStringLiteral("inf"), Qt::CaseInsensitive) ||
                         text.contains(QStringLiteral("nan"), Qt::CaseInsensitive))
                << text.toStdString();
        }
        // Every message is one the program means to show: never a stray
        // exception's text in the error box.
        for (const auto& m : messages.shown) {
            if (m.kind == Messages::Kind::Error) {
                EXPECT_TRUE(
                    m.text.endsWith(QStringLiteral("' is not a valid floating point value.")))
                    << m.text.toStdString();
            }
            EXPECT_EQ(m.caption, kTitle);
        }
        messagesSeen += static_cast<int>(messages.shown.size());
        messages.shown.clear();
    }
};

TEST_P(RandomUser, KeepsTheWorkflowRules) {
    for (int step = 0; step < kActionsPerSeed; ++step) {
        SCOPED_TRACE("replay: seed " + std::to_string(GetParam()) + ", step " +
                     std::to_string(step));
        act(pick(9));
        checkInvariants();
        if (HasFailure())
            return;
    }
    // A run that never reached the confirmed state or wrote a script proved little.
    EXPECT_GT(confirmations, 10);
    EXPECT_GT(scripts, 10);
    EXPECT_GT(exports, 10);
    EXPECT_GT(messagesSeen, 10);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomUser, ::testing::Values(1u, 2u, 20261208u),
                         [](const auto& info) { return "Seed" + std::to_string(info.param); });

} // namespace
