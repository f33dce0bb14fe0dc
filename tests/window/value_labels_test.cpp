// The labels that show values, as a screen reader and as the eye meet them:
// on the accessibility bus each is named by exactly what it shows, in every
// state of the workflow; on the pictures each hides the dimension line it
// lies on.
#include "WindowFixture.h"

#include <QAccessible>
#include <QImage>
#include <QTest>

#include <functional>
#include <utility>
#include <vector>

namespace {

// Every label that shows a value, with what the value is.
const std::pair<const char*, const char*> kValueLabels[] = {
    {"LabelNoneB1", "Ширина заготовки B1"},
    {"LabelNoneB2", "Высота заготовки B2"},
    {"LabelFalthB1", "Ширина заготовки B1"},
    {"LabelFalthB2", "Высота заготовки B2"},
    {"LabelAllB1", "Ширина заготовки B1"},
    {"LabelAllB2", "Высота заготовки B2"},
    {"LabelAllP", "Припуск на закатывание проволоки"},
    {"LabelRazv", "Радиусы для разметки"},
    {"LabelSpravka", "Справка о заготовке и развертке"},
};

QString Spoken(QObject* o, QAccessible::Text what) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(o);
    return iface != nullptr ? iface->text(what) : QStringLiteral("<no interface>");
}

class ValueLabels : public OpenWindowTest {
protected:
    // Every label of the window, value or caption, is named by its text;
    // the value labels say in their description what the value is.
    void expectNamedByText(const char* state) {
        SCOPED_TRACE(state);
        for (QLabel* l : form->findChildren<QLabel*>()) {
            EXPECT_EQ(Spoken(l, QAccessible::Name), l->text()) << l->objectName().toStdString();
        }
        for (const auto& [name, what] : kValueLabels) {
            EXPECT_EQ(Spoken(label(name), QAccessible::Description), QString::fromUtf8(what))
                << name;
            // Qt tells the bus of a label's new text only while the label has
            // no fixed accessible name of its own.
            EXPECT_TRUE(label(name)->accessibleName().isEmpty()) << name;
        }
    }
};

TEST_F(ValueLabels, AreNamedByWhatTheyShowInEveryState) {
    const struct {
        const char* state;
        std::function<void()> step;
    } road[] = {
        {"start", [] {}},
        {"type 1 confirmed", [this] { confirm(1); }},
        {"new calculation", [this] { clickButton("ButtonNewRaschet"); }},
        {"type 2 confirmed", [this] { confirm(2); }},
        {"new calculation", [this] { clickButton("ButtonNewRaschet"); }},
        {"type 3 confirmed",
         [this] {
             clickTab(2);
             retype("LEditAllD", QStringLiteral("4"));
             confirm(3);
         }},
        {"new calculation", [this] { clickButton("ButtonNewRaschet"); }},
        {"allowances refused",
         [this] {
             clickTab(1);
             retype("LEditFalthP1", QStringLiteral("60"));
             confirm(2);
         }},
    };
    for (const auto& r : road) {
        r.step();
        expectNamedByText(r.state);
    }
    // The road went where it should: results shown, then the refusal.
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(form->LabelAllP->text(), QStringLiteral("10.0"));
}

// The labels on the pictures cover what lies under them: grabbed with the
// picture shown and with it hidden, each label's place looks the same.
TEST_F(ValueLabels, OnThePicturesHideTheLinesUnderThem) {
    confirm(3); // values in every label of the third page
    const struct {
        int page;
        const char* picture;
        std::vector<const char*> labels;
    } pages[] = {
        {0, "ImageNone", {"LabelNoneB1", "LabelNoneB2"}},
        {1, "ImageFalth", {"LabelFalthB1", "LabelFalthB2"}},
        {2, "ImageAll", {"LabelAllB1", "LabelAllB2", "LabelAllP"}},
    };
    for (const auto& p : pages) {
        form->PageControl1->setCurrentIndex(p.page);
        QWidget* page = form->PageControl1->currentWidget();
        QWidget* picture = control(p.picture);
        const QImage shown = page->grab().toImage();
        picture->hide();
        const QImage bare = page->grab().toImage();
        picture->show();
        // The page's own background, in a corner no control covers.
        const QRgb background = bare.pixel(bare.width() - 2, bare.height() - 2);
        for (const char* name : p.labels) {
            const QRect r = label(name)->geometry();
            EXPECT_EQ(shown.copy(r), bare.copy(r)) << name << " lets a line of the picture through";
            EXPECT_EQ(bare.pixel(r.topLeft()), background) << name << " stands out from the page";
        }
    }
}

} // namespace
