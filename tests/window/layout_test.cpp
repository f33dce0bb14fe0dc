// The window as the user first sees it: places, sizes, texts, fonts, focus.
#include "WindowFixture.h"

#include <QApplication>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>

namespace {

enum class Align { None, Left, Centre, Right };

struct Placement {
    const char* name;
    const char* parent; // objectName of the widget the position is relative to
    QRect geometry;
    const char* text; // nullptr: a picture or a tab control, no text
    int pixelSize;    // 0: not checked (pictures)
    bool bold;
    bool shown;
    bool enabled;
    Align align;
    bool wordWrap;
};

// The window-level controls sit on the central widget, which is the client area.
constexpr const char* kClient = "";

// clang-format off
const Placement kPlacements[] = {
    {"ImageZont", kClient, {-32, 50, 353, 213}, nullptr, 0, false, true, true, Align::None, false},
    {"LabelVvod", kClient, {15, 6, 240, 35},
     "Введите размеры зонта в мм (десятичный разделитель ТОЧКА) :", 13, false, true, true,
     Align::None, true},
    {"EditL1", kClient, {12, 172, 65, 24}, "200", 16, true, true, true, Align::None, false},
    {"EditH", kClient, {20, 68, 65, 24}, "100", 16, true, true, true, Align::None, false},
    {"EditS", kClient, {208, 56, 50, 24}, "0.5", 16, true, true, true, Align::None, false},
    {"EditL2", kClient, {124, 228, 65, 24}, "400", 16, true, true, true, Align::None, false},
    {"ButtonFileSCR", kClient, {20, 475, 250, 33}, "Файл развертки \"по точкам\"", 13, false, true,
     false, Align::None, false},
    {"ButtonNewRaschet", kClient, {312, 475, 250, 33}, "Новый расчет развертки", 13, false, true,
     false, Align::None, false},
    {"ButtonAboutProgram", kClient, {572, 475, 141, 33}, "О программе", 13, false, true, true,
     Align::None, false},
    {"PageControl1", kClient, {295, 2, 422, 260}, nullptr, 11, false, true, true, Align::None, false},
    {"LabelSpravka", kClient, {4, 264, 285, 205}, "", 13, false, false, true, Align::None, true},
    {"LabelRazv", kClient, {296, 264, 421, 205}, "", 13, false, false, true, Align::None, true},

    {"ImageNone", "TabSheet1", {36, 4, 345, 221}, nullptr, 0, false, true, true, Align::None, false},
    {"LabelNoneB1", "TabSheet1", {156, 171, 75, 18}, "B1", 16, true, true, true, Align::Centre, false},
    {"LabelNoneB2", "TabSheet1", {320, 83, 75, 18}, "B2", 16, true, true, true, Align::Left, false},

    {"ImageFalth", "TabSheet2", {72, 4, 365, 229}, nullptr, 0, false, true, true, Align::None, false},
    {"LabelFalthB2", "TabSheet2", {348, 108, 75, 18}, "B2", 16, true, true, true, Align::Left, false},
    {"LabelFalthB1", "TabSheet2", {204, 187, 75, 18}, "B1", 16, true, true, true, Align::Centre,
     false},
    {"LEditFalthP1", "TabSheet2", {8, 20, 55, 24}, "3", 16, true, true, true, Align::None, false},
    {"LEditFalthP2", "TabSheet2", {8, 72, 55, 24}, "2", 16, true, true, true, Align::None, false},

    {"ImageAll", "TabSheet3", {72, 0, 361, 229}, nullptr, 0, false, true, true, Align::None, false},
    {"LabelAllB1", "TabSheet3", {200, 183, 75, 18}, "B1", 16, true, true, true, Align::Centre, false},
    {"LabelAllB2", "TabSheet3", {353, 99, 75, 18}, "B2", 16, true, true, true, Align::Left, false},
    {"LabelAllP", "TabSheet3", {95, 120, 42, 18}, "5.0", 16, true, true, true, Align::Right, false},
    {"LEditAllP1", "TabSheet3", {8, 20, 55, 28}, "3", 16, true, true, true, Align::None, false},
    {"LEditAllP2", "TabSheet3", {8, 72, 55, 24}, "2", 16, true, true, true, Align::None, false},
    {"LEditAllD", "TabSheet3", {8, 176, 55, 24}, "2", 16, true, true, true, Align::None, false},
};
// clang-format on

QString TextOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w))
        return l->text();
    if (auto* e = qobject_cast<QLineEdit*>(w))
        return e->text();
    if (auto* b = qobject_cast<QPushButton*>(w))
        return b->text();
    return QStringLiteral("<no text>");
}

class StartPlacement : public OpenWindowTest, public ::testing::WithParamInterface<Placement> {};

void PrintTo(const Placement& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(StartPlacement, AsDesigned) {
    const Placement& p = GetParam();
    QWidget* w = control(p.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QString::fromLatin1(p.name));

    QWidget* expectedParent = *p.parent ? control(p.parent) : form->centralWidget();
    EXPECT_EQ(w->parentWidget(), expectedParent);
    EXPECT_EQ(w->geometry(), p.geometry);

    if (p.text) {
        EXPECT_EQ(TextOf(w), QString::fromUtf8(p.text));
    }
    if (p.pixelSize) {
        EXPECT_EQ(w->font().pixelSize(), p.pixelSize);
        EXPECT_EQ(w->font().bold(), p.bold);
    }
    EXPECT_EQ(!w->isHidden(), p.shown);
    EXPECT_EQ(w->isEnabled(), p.enabled);

    if (auto* l = qobject_cast<QLabel*>(w)) {
        EXPECT_EQ(l->wordWrap(), p.wordWrap);
        const Qt::Alignment h = l->alignment() & Qt::AlignHorizontal_Mask;
        switch (p.align) {
        case Align::Left:
            EXPECT_TRUE(h == Qt::AlignLeft || h == Qt::AlignLeading);
            break;
        case Align::Centre:
            EXPECT_EQ(h, Qt::AlignHCenter);
            break;
        case Align::Right:
            EXPECT_TRUE(h == Qt::AlignRight || h == Qt::AlignTrailing);
            break;
        case Align::None:
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Window, StartPlacement, ::testing::ValuesIn(kPlacements),
                         [](const auto& info) { return std::string(info.param.name); });

struct CaptionLabel {
    const char* field;
    const char* page;
    const char* caption;
};

void PrintTo(const CaptionLabel& c, std::ostream* os) {
    *os << c.field;
}

class FieldCaption : public OpenWindowTest, public ::testing::WithParamInterface<CaptionLabel> {};

// Each page field carries its caption directly above it, 3 pixels apart.
TEST_P(FieldCaption, StandsAboveItsField) {
    QLineEdit* f = field(GetParam().field);
    QWidget* page = control(GetParam().page);
    ASSERT_TRUE(f && page);
    QLabel* found = nullptr;
    for (QLabel* l : page->findChildren<QLabel*>())
        if (l->text() == QString::fromUtf8(GetParam().caption))
            found = l;
    ASSERT_NE(found, nullptr) << "no caption \"" << GetParam().caption << "\" on "
                              << GetParam().page;
    EXPECT_EQ(found->x(), f->x());
    EXPECT_EQ(found->geometry().bottom() + 1 + 3, f->y());
    EXPECT_EQ(found->font().pixelSize(), 13);
    EXPECT_FALSE(found->font().bold());
    EXPECT_FALSE(found->isHidden());
}

INSTANTIATE_TEST_SUITE_P(
    Window, FieldCaption,
    ::testing::Values(CaptionLabel{"LEditFalthP1", "TabSheet2", "Припуск Р1 ( >Р2 )"},
                      CaptionLabel{"LEditFalthP2", "TabSheet2", "Припуск Р2"},
                      CaptionLabel{"LEditAllP1", "TabSheet3", "Припуск Р1 ( >= Р2 )"},
                      CaptionLabel{"LEditAllP2", "TabSheet3", "Припуск Р2"},
                      CaptionLabel{"LEditAllD", "TabSheet3", "d проволоки"}),
    [](const auto& info) { return std::string(info.param.field); });

TEST_F(OpenWindowTest, WindowFrameCaptionAndClientArea) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Kiv_TQMRZL \"Ксилора\""));
    EXPECT_EQ(form->centralWidget()->size(), QSize(722, 508));
    // Only the menu bar sits above the client area, and the window grows by it.
    const int menuHeight = form->menuBar()->height();
    EXPECT_GT(menuHeight, 10);
    EXPECT_EQ(form->menuBar()->geometry(), QRect(0, 0, 722, menuHeight));
    EXPECT_EQ(form->centralWidget()->mapTo(form.get(), QPoint(0, 0)), QPoint(0, menuHeight));
    EXPECT_EQ(form->size(), QSize(722, 508 + menuHeight));
    EXPECT_EQ(form->pos(), QPoint(209, 136));
    EXPECT_EQ(form->palette().color(QPalette::Window), form->palette().color(QPalette::Button));
}

TEST_F(OpenWindowTest, ControlsKeepTheirPlacesWhenTheWindowIsResized) {
    form->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(form->EditL1->geometry(), QRect(12, 172, 65, 24));
    EXPECT_EQ(form->PageControl1->geometry(), QRect(295, 2, 422, 260));
    EXPECT_EQ(form->ButtonAboutProgram->geometry(), QRect(572, 475, 141, 33));
    EXPECT_EQ(form->centralWidget()->mapTo(form.get(), QPoint(0, 0)),
              QPoint(0, form->menuBar()->height()));
}

TEST_F(OpenWindowTest, PagesInOrderWithReadableTabCaptions) {
    const char* const pages[] = {"TabSheet1", "TabSheet2", "TabSheet3"};
    const QString captions[] = {QStringLiteral("Без припусков"),
                                QStringLiteral("С припусками на фальц"),
                                QStringLiteral("С припусками на фальц и проволоку")};
    QTabWidget* tabs = form->PageControl1;
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->currentIndex(), 0);
    QTabBar* bar = tabs->tabBar();
    EXPECT_EQ(bar->font().pixelSize(), 11);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(pages[i]);
        EXPECT_EQ(tabs->widget(i)->objectName(), QString::fromLatin1(pages[i]));
        EXPECT_EQ(tabs->tabText(i), captions[i]);
        const QRect r = bar->tabRect(i);
        EXPECT_GE(r.width(), bar->fontMetrics().horizontalAdvance(captions[i]))
            << "the caption would be cut";
        // All three tabs in the control's width: no scroll buttons hide any.
        EXPECT_LE(bar->mapTo(tabs, r.topRight()).x(), tabs->width() - 1);
    }
}

TEST_F(OpenWindowTest, PageChangesWithAClickOnItsTab) {
    for (int i : {2, 1, 0}) {
        clickTab(i);
        EXPECT_EQ(form->PageControl1->currentIndex(), i);
    }
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_EQ(form->RaschetData.RazvType, 0) << "choosing a page confirms nothing";
}

TEST_F(OpenWindowTest, FocusStartsInWidthAndTabWalksTheDesignedOrder) {
    ASSERT_EQ(QApplication::focusWidget(), form->EditL1);
    // The two disabled buttons are skipped.
    const std::vector<QWidget*> forward = {form->EditH, form->EditS, form->EditL2,
                                           form->ButtonAboutProgram, form->PageControl1->tabBar()};
    for (QWidget* expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << "expected " << expected->objectName().toStdString() << ", got "
            << (QApplication::focusWidget()
                    ? QApplication::focusWidget()->objectName().toStdString()
                    : std::string("nothing"));
    }
    // And back again with Shift+Tab.
    const std::vector<QWidget*> backward = {form->ButtonAboutProgram, form->EditL2, form->EditS,
                                            form->EditH, form->EditL1};
    for (QWidget* expected : backward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), expected)
            << "expected " << expected->objectName().toStdString();
    }
}

TEST_F(OpenWindowTest, PicturesAndLabelsTakeNoFocus) {
    for (const char* name : {"ImageZont", "ImageNone", "ImageFalth", "ImageAll", "LabelVvod",
                             "LabelRazv", "LabelSpravka", "LabelNoneB1", "LabelAllP"}) {
        EXPECT_EQ(control(name)->focusPolicy(), Qt::NoFocus) << name;
    }
}

// The page fields follow the tab bar in the chain once their page is shown.
TEST_F(OpenWindowTest, TabReachesThePageFieldsAfterTheTabs) {
    clickTab(2);
    form->PageControl1->tabBar()->setFocus();
    const std::vector<QWidget*> forward = {form->LEditAllP1, form->LEditAllP2, form->LEditAllD};
    for (QWidget* expected : forward) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), expected) << expected->objectName().toStdString();
    }
}

// Whether a label shows the whole of its text: drawn as the label draws it,
// the text stays inside the label and inside the label's parent.
::testing::AssertionResult ShowsWholeText(const QLabel* l) {
    const QRect box = l->contentsRect();
    const int flags = static_cast<int>(l->alignment()) | (l->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect needed = l->fontMetrics().boundingRect(box, flags, l->text());
    const QRect room = l->parentWidget()->rect();
    if (box.contains(needed) && room.contains(needed.translated(l->pos())))
        return ::testing::AssertionSuccess();
    const auto str = [](const QRect& r) {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    };
    return ::testing::AssertionFailure()
           << l->objectName().toStdString() << " \"" << l->text().toStdString() << "\" needs "
           << str(needed).toStdString() << " in " << str(box).toStdString() << ", label at "
           << str(l->geometry()).toStdString() << " in " << str(room).toStdString();
}

class LargestHood : public OpenWindowTest, public ::testing::WithParamInterface<int> {};

// At the largest accepted sizes the numbers are longest; B2 used to clip them.
TEST_P(LargestHood, ResultLabelsShowTheirWholeText) {
    const int type = GetParam();
    for (const char* name : {"EditL1", "EditL2", "EditH"})
        retype(name, QStringLiteral("100000"));
    confirm(type);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    // The designed boxes, in the order of kBLabels.
    const QRect designed[] = {{156, 171, 75, 18}, {320, 83, 75, 18},  {204, 187, 75, 18},
                              {348, 108, 75, 18}, {200, 183, 75, 18}, {353, 99, 75, 18}};
    for (int i = 0; i < 6; ++i) {
        QLabel* l = label(kBLabels[i]);
        // Only the confirmed page's labels hold results.
        if (l->text().startsWith(QLatin1Char('B')))
            continue;
        SCOPED_TRACE(kBLabels[i]);
        EXPECT_TRUE(ShowsWholeText(l));
        // A centred size stays centred where it was designed; a size aligned
        // left keeps its left edge unless the page's edge pushes it in.
        EXPECT_EQ(l->y(), designed[i].y());
        if (l->alignment() & Qt::AlignHCenter)
            EXPECT_LE(std::abs(l->geometry().center().x() - designed[i].center().x()), 1);
        else
            EXPECT_TRUE(l->x() == designed[i].x() ||
                        l->geometry().right() == l->parentWidget()->rect().right())
                << l->x();
    }
    for (const char* name : {"LabelRazv", "LabelSpravka", "LabelAllP"})
        EXPECT_TRUE(ShowsWholeText(label(name)));

    // A new calculation puts the labels back into their designed boxes.
    clickButton("ButtonNewRaschet");
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(label(kBLabels[i])->geometry(), designed[i]) << kBLabels[i];
}

INSTANTIATE_TEST_SUITE_P(Window, LargestHood, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

} // namespace
