// The About and help messages, the boxes' caption, and results under a
// comma-decimal locale.
#include "WindowFixture.h"

#include "app/InfoTexts.h"
#include "tests/support/golden.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLayout>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QTest>

#include <clocale>
#include <locale>

namespace {

// The help as its golden file holds it, one line a line; the box has "\r"
// between lines.
QString GoldenHelp() {
    QString text = QString::fromStdString(kiv::test::Golden("help.txt"));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text;
}

TEST_F(OpenWindowTest, HelpOnTheHoodPicture) {
    // The golden itself is checked against the published size.
    const QString help = GoldenHelp();
    ASSERT_EQ(help.size(), 2537);
    doubleClickPicture("ImageZont");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    const auto& m = messages.shown[0];
    EXPECT_EQ(m.kind, Messages::Kind::Plain);
    EXPECT_EQ(m.caption, kTitle);
    EXPECT_EQ(m.text.count(QLatin1Char('\r')), 39);
    EXPECT_EQ(m.text.size(), 2537);
    EXPECT_EQ(m.text, help);
}

TEST_F(OpenWindowTest, AboutTheProgram) {
    clickButton("ButtonAboutProgram");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    const auto& m = messages.shown[0];
    EXPECT_EQ(m.kind, Messages::Kind::Plain);
    EXPECT_EQ(m.caption, kTitle);
    EXPECT_FALSE(m.text.contains(QLatin1Char('\n')));
    const QStringList lines = m.text.split(QLatin1Char('\r'));
    ASSERT_EQ(lines.size(), 13) << m.text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Программа Kiv_TQMRZL \"Ксилора\"."));
    EXPECT_EQ(lines[11], QStringLiteral("При двойном щелчке (double click) по изображению зонта"));
    EXPECT_EQ(lines[12], QStringLiteral("появится окно с описанием программы."));
    const QString middle = lines.mid(1, 10).join(QLatin1Char(' '));
    EXPECT_TRUE(middle.contains(QStringLiteral("Тенвир"))) << "the developer's credit";
    EXPECT_TRUE(middle.contains(QStringLiteral("@example."))) << "a contact address";
    // The licence's terms, not terms that contradict it: the text used to
    // forbid changing the program and charging for it.
    for (const char* term : {"использовать", "изучать", "изменять", "распространять",
                             "GNU GPL", "версии 3 либо любой более поздней",
                             "БЕЗ КАКИХ-ЛИБО ГАРАНТИЙ", "LICENSE"})
        EXPECT_TRUE(middle.contains(QString::fromUtf8(term))) << term;
    for (const char* forbidden : {"запрещено", "неизмененном", "без согласия"})
        EXPECT_FALSE(middle.contains(QString::fromUtf8(forbidden))) << forbidden;
    for (const QString& line : lines)
        EXPECT_FALSE(line.isEmpty() || line.trimmed().isEmpty()) << "empty line in the About text";
}

// A single click on the hood picture and a double-click on a field that lies
// on the picture are not the picture's double-click.
TEST_F(OpenWindowTest, HelpOnlyForADoubleClickOnThePictureItself) {
    QWidget* zont = control("ImageZont");
    QTest::mouseClick(zont, Qt::LeftButton, {}, QPoint(191, 129));
    EXPECT_TRUE(messages.shown.empty()) << messageLog();

    // Delivered to the window at the field's place, as the windowing system does.
    QWindow* window = form->windowHandle();
    for (QLineEdit* f : {form->EditH, form->EditS, form->EditL1, form->EditL2}) {
        const QPoint at = f->mapTo(form.get(), f->rect().center());
        QTest::mouseDClick(window, Qt::LeftButton, {}, at);
    }
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    // And at a free spot of the picture the help comes.
    const QPoint free = zont->mapTo(form.get(), QPoint(191, 129));
    ASSERT_EQ(form->childAt(free), zont);
    QTest::mouseDClick(window, Qt::LeftButton, {}, free);
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
}

enum class Setup { Start, Confirmed1, Confirmed2, Confirmed3, AfterFailure, NoSettingsFile };

struct InfoCase {
    const char* name;
    Setup setup;
};

void PrintTo(const InfoCase& c, std::ostream* os) {
    *os << c.name;
}

class InfoMessages : public WindowTest, public ::testing::WithParamInterface<InfoCase> {};

// Both messages answer in every state and leave it exactly as it was.
TEST_P(InfoMessages, ChangeNothing) {
    if (GetParam().setup == Setup::NoSettingsFile) {
        ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    }
    open();
    switch (GetParam().setup) {
    case Setup::Confirmed1:
        confirm(1);
        break;
    case Setup::Confirmed2:
        confirm(2);
        break;
    case Setup::Confirmed3:
        confirm(3);
        break;
    case Setup::AfterFailure:
        clickTab(1);
        retype("LEditFalthP1", "60");
        confirm(2);
        break;
    default:
        break;
    }
    const size_t already = messages.shown.size();
    const auto before = Snapshot(*form);
    QWidget* focus = QApplication::focusWidget();
    const kiv::RaschetData data = form->RaschetData;

    clickButton("ButtonAboutProgram");
    // The button takes the focus with the click; give it back as the user had it.
    if (focus)
        focus->setFocus();
    else if (QApplication::focusWidget())
        QApplication::focusWidget()->clearFocus();
    doubleClickPicture("ImageZont");

    ASSERT_EQ(messages.shown.size(), already + 2) << messageLog();
    EXPECT_TRUE(messages.shown[already].text.startsWith(QStringLiteral("Программа Kiv_TQMRZL")));
    EXPECT_EQ(messages.shown[already + 1].text, GoldenHelp());
    EXPECT_EQ(Snapshot(*form), before);
    EXPECT_EQ(QApplication::focusWidget(), focus);
    EXPECT_EQ(form->RaschetData.RazvType, data.RazvType);
    EXPECT_EQ(form->RaschetData.S, data.S);
    EXPECT_EQ(form->RaschetData.OsmodeValue, data.OsmodeValue);
}

INSTANTIATE_TEST_SUITE_P(Window, InfoMessages,
                         ::testing::Values(InfoCase{"Start", Setup::Start},
                                           InfoCase{"ConfirmedType1", Setup::Confirmed1},
                                           InfoCase{"ConfirmedType2", Setup::Confirmed2},
                                           InfoCase{"ConfirmedType3", Setup::Confirmed3},
                                           InfoCase{"AfterAllowanceFailure", Setup::AfterFailure},
                                           InfoCase{"WithoutSettingsFile", Setup::NoSettingsFile}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whether the text must scroll; on a laptop that depends on the font.
enum class Scroll { No, Yes, AsTheFontNeeds };

struct BoxCase {
    const char* name;
    QString text;
    QRect screen; // the screen's available area
    Scroll scroll;
    int fontPixels = 0; // the desktop's font size; 0: the test platform's
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << c.name;
}

class PlainBox : public ::testing::TestWithParam<BoxCase> {};

// The help box was 1010 px high: on a laptop its lower half and its OK button
// lay below the screen.
TEST_P(PlainBox, StaysWithinTheScreen) {
    const BoxCase& c = GetParam();
    const QFont platformFont = QApplication::font();
    if (c.fontPixels > 0) {
        QFont f = platformFont;
        f.setPixelSize(c.fontPixels);
        QApplication::setFont(f);
    }
    const std::unique_ptr<QDialog> box = MakePlainBox(kTitle, c.text, c.screen);
    box->layout()->activate();
    QApplication::setFont(platformFont);
    // Room for a title bar and a frame around the box.
    EXPECT_LE(box->width() + 8, c.screen.width());
    EXPECT_LE(box->height() + 40, c.screen.height());

    EXPECT_EQ(box->windowTitle(), kTitle);
    const QList<QPushButton*> buttons = box->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 1);
    EXPECT_EQ(buttons[0]->text(), QStringLiteral("OK"));
    QLabel* text = nullptr;
    for (QLabel* l : box->findChildren<QLabel*>()) {
        EXPECT_TRUE(l->pixmap().isNull()) << "a message box of the program has no icon";
        if (!l->text().isEmpty())
            text = l;
    }
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QString(c.text).replace(QLatin1Char('\r'), QLatin1Char('\n')));

    auto* area = box->findChild<QScrollArea*>();
    ASSERT_NE(area, nullptr);
    const int textHeight = text->wordWrap() ? text->heightForWidth(area->viewport()->width())
                                            : text->sizeHint().height();
    const bool scrolls = area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    if (c.scroll != Scroll::AsTheFontNeeds) {
        EXPECT_EQ(scrolls, c.scroll == Scroll::Yes);
    }
    if (scrolls) {
        EXPECT_GT(textHeight, area->height()) << "scrolling for nothing";
    } else {
        EXPECT_LE(textHeight, area->height()) << "text cut off without a way to scroll";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PlainBox,
    ::testing::Values(
        BoxCase{"HelpOnALaptop", HelpText(), {0, 0, 1366, 768}, Scroll::AsTheFontNeeds},
        BoxCase{"HelpOnALaptopWithAPanel", HelpText(), {0, 0, 1366, 728}, Scroll::AsTheFontNeeds},
        BoxCase{"HelpOnALaptopInADesktopFont", HelpText(), {0, 0, 1366, 768}, Scroll::Yes, 18},
        BoxCase{"HelpOnASmallScreen", HelpText(), {0, 0, 640, 480}, Scroll::Yes},
        BoxCase{"HelpOnAFullHdScreen", HelpText(), {0, 0, 1920, 1080}, Scroll::No},
        BoxCase{"AboutOnALaptop", AboutText(), {0, 0, 1366, 768}, Scroll::No},
        BoxCase{"ShortMessageOnASmallScreen",
                QStringLiteral("Необходимо увеличить \rширину зонта!"), {0, 0, 640, 480},
                Scroll::No}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramTitle, FileNameUpToItsFirstPointWithOnlyTheFirstLetterKept) {
    const struct {
        const char* path;
        const char* title;
    } rows[] = {
        {"/a/b/Kiv_TQMRZL", "Kiv_tqmrzl"},
        {"Kiv_TQMRZL.exe", "Kiv_tqmrzl"},
        {"/opt/kiv.d/Kiv_TQMRZL", "Kiv_tqmrzl"}, // a point in a folder name does not count
        {"x.y.z", "x"},
        {"ABC", "Abc"},
        {"", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ProgramTitle(QString::fromLatin1(row.path)), QString::fromLatin1(row.title))
            << row.path;
}

// Decimal commas in the user's locale must not leak into conversion or output.
class CommaLocale : public OpenWindowTest {
protected:
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    void SetUp() override {
        oldQt_ = QLocale();
        oldStd_ = std::locale();
        oldC_ = std::setlocale(LC_NUMERIC, nullptr);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::locale::global(std::locale(std::locale::classic(), new Comma));
        // The C library's own locale, where the system has a comma-decimal one.
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "ru_RU.UTF-8", "ru_RU.utf8"})
            if (std::setlocale(LC_NUMERIC, name))
                break;
        OpenWindowTest::SetUp();
    }
    void TearDown() override {
        OpenWindowTest::TearDown();
        std::setlocale(LC_NUMERIC, oldC_.c_str());
        std::locale::global(oldStd_);
        QLocale::setDefault(oldQt_);
    }

private:
    QLocale oldQt_;
    std::locale oldStd_;
    std::string oldC_;
};

TEST_F(CommaLocale, PointInputsAndPointResults) {
    confirm(3);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(form->RaschetData.S, 0.5);
    EXPECT_EQ(form->LabelAllB1->text(), "487.30");
    EXPECT_EQ(form->LabelAllB2->text(), "281.85");
    EXPECT_EQ(form->LabelAllP->text(), "5.0");
    EXPECT_TRUE(
        form->LabelSpravka->text().startsWith(QStringLiteral("Заготовка: площадь 0.137 кв. м;")));
    EXPECT_TRUE(form->LabelRazv->text().contains(QStringLiteral("0-4 = 141.42;")));
    clickButton("ButtonFileSCR");
    QFile f(QStringLiteral("200x400x100x0.5x3x2x2.scr"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("238.7426,196.2117\r\n"));
}

} // namespace
