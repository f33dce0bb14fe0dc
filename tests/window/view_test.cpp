// The two view windows: they open from the «Вид» menu, follow the confirmed
// pattern through the workflow, zoom, pan, fit and answer the pointer, and
// leave the main window's state and focus as they found them.
#include "WindowFixture.h"

#include "app/HoodView3D.h"
#include "app/InfoTexts.h"
#include "app/PatternView.h"
#include "core/Calculation.h"
#include "script/Script.h"
#include "shape/Checks.h"

#include <QApplication>
#include <QCheckBox>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>

namespace {

// The default hood's script names without ".scr".
const char* const kNames[] = {"200x400x100x0.5", "200x400x100x0.5x3x2", "200x400x100x0.5x3x2x2"};

class ViewTest : public OpenWindowTest {
protected:
    // Opens a view by its shortcut, typed into the main window.
    PatternWindow* openPattern() {
        QTest::keyClick(form.get(), Qt::Key_R, Qt::ControlModifier);
        return form->findChild<PatternWindow*>(QStringLiteral("PatternView"));
    }
    HoodWindow3D* openHood() {
        QTest::keyClick(form.get(), Qt::Key_3, Qt::ControlModifier);
        return form->findChild<HoodWindow3D*>(QStringLiteral("HoodView3D"));
    }
};

void Wheel(QWidget* w, QPointF at, int steps) {
    QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
}

// Every corner of the pattern's box lies inside the canvas.
void ExpectFitted(const PatternCanvas* c) {
    const QRectF box = c->extents();
    ASSERT_FALSE(box.isNull());
    for (const QPointF& corner :
         {box.topLeft(), box.topRight(), box.bottomLeft(), box.bottomRight()}) {
        const QPointF s = c->toScreen({corner.x(), corner.y()});
        EXPECT_TRUE(QRectF(c->rect()).contains(s))
            << "corner " << corner.x() << "," << corner.y() << " drawn at " << s.x() << "," << s.y()
            << " in " << c->width() << "x" << c->height();
    }
    // And it fills the view: no more room than the margins on both sides.
    const QPointF a = c->toScreen({box.left(), box.top()}),
                  b = c->toScreen({box.right(), box.bottom()});
    EXPECT_TRUE(b.x() - a.x() > c->width() * 0.6 || a.y() - b.y() > c->height() * 0.6);
}

TEST_F(ViewTest, CommandsDoNothingBeforeConfirmation) {
    EXPECT_EQ(openPattern(), nullptr);
    EXPECT_EQ(openHood(), nullptr);
}

TEST_F(ViewTest, FollowEveryConfirmationAndShowTheNoticeBetween) {
    confirm(1);
    PatternWindow* pattern = openPattern();
    HoodWindow3D* hood = openHood();
    ASSERT_NE(pattern, nullptr);
    ASSERT_NE(hood, nullptr);
    const struct Step {
        const char* what;
        std::function<void()> act;
        int type; // 0: no confirmed pattern
    } steps[] = {
        {"type 1 confirmed", [] {}, 1},
        {"new calculation", [this] { clickButton("ButtonNewRaschet"); }, 0},
        {"allowances that do not fit",
         [this] {
             clickTab(1);
             retype("LEditFalthP1", QStringLiteral("60"));
             confirm(2);
         },
         0},
        {"type 2 confirmed",
         [this] {
             retype("LEditFalthP1", QStringLiteral("3"));
             confirm(2);
         },
         2},
        {"script written", [this] { clickButton("ButtonFileSCR"); }, 2},
        {"new calculation again", [this] { clickButton("ButtonNewRaschet"); }, 0},
        {"type 3 confirmed", [this] { confirm(3); }, 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        const bool shown = s.type != 0;
        EXPECT_EQ(pattern->notice()->isVisible(), !shown);
        EXPECT_EQ(hood->notice()->isVisible(), !shown);
        EXPECT_EQ(pattern->notice()->accessibleName(),
                  QStringLiteral("Нет подтвержденной развертки"));
        EXPECT_EQ(hood->canvas()->hasPattern(), shown);
        EXPECT_EQ(hood->foldSlider()->isEnabled(), shown);
        if (!shown) {
            EXPECT_EQ(pattern->windowTitle(), QStringLiteral("Развертка"));
            EXPECT_TRUE(pattern->canvas()->extents().isNull());
            continue;
        }
        const QString name = QString::fromLatin1(kNames[s.type - 1]);
        EXPECT_EQ(pattern->windowTitle(), QStringLiteral("Развертка — ") + name);
        EXPECT_EQ(hood->windowTitle(), QStringLiteral("Зонт в 3D — ") + name);
        // The drawing is the confirmed type's: its box is that type's blank.
        kiv::RaschetData d = form->RaschetData;
        const kiv::BlankSummary blank = kiv::Calculate(d, s.type).summary;
        EXPECT_NEAR(pattern->canvas()->extents().width(), blank.B1, 1e-9);
        EXPECT_NEAR(pattern->canvas()->extents().height(), blank.B2, 1e-9);
        // The checks: each line says what it shows, on screen and to a reader.
        const auto checks = kiv::CheckShape(d, kiv::ShopDrawingOf(d, s.type));
        ASSERT_EQ(pattern->checkLines().size(), checks.size());
        for (std::size_t i = 0; i < checks.size(); ++i) {
            QLabel* line = pattern->checkLines()[i];
            EXPECT_TRUE(line->isVisible());
            EXPECT_EQ(line->text(), QString::fromStdString(checks[i].text));
            EXPECT_EQ(line->accessibleName(), line->text());
            EXPECT_TRUE(line->text().startsWith(QStringLiteral("✓"))) << line->text().toStdString();
        }
    }
    EXPECT_EQ(form->findChildren<PatternWindow*>().size(), 1);
}

TEST_F(ViewTest, OneWindowOfEachKind) {
    confirm(2);
    PatternWindow* first = openPattern();
    first->close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    EXPECT_EQ(openPattern(), first);
    EXPECT_TRUE(first->isVisible());
    openHood();
    openHood();
    EXPECT_EQ(form->findChildren<PatternWindow*>().size(), 1);
    EXPECT_EQ(form->findChildren<HoodWindow3D*>().size(), 1);
}

TEST_F(ViewTest, FitsZoomsRoundTheCursorAndPans) {
    confirm(3);
    PatternCanvas* c = openPattern()->canvas();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(c->window()));
    ExpectFitted(c);
    const double fitted = c->scale();
    // The figures drawn are also told: the scale bar and the main window's blank.
    EXPECT_TRUE(c->accessibleDescription().startsWith(QStringLiteral("Масштабная линейка: ")));
    EXPECT_TRUE(
        c->accessibleDescription().contains(QStringLiteral("B1 = ") + form->LabelAllB1->text()));
    EXPECT_TRUE(
        c->accessibleDescription().contains(QStringLiteral("B2 = ") + form->LabelAllB2->text()));
    const QString before = c->accessibleDescription();

    // The pattern point under the cursor stays under it.
    const QPointF at(c->width() * 0.3, c->height() * 0.6);
    const kiv::Point under = c->toPattern(at);
    Wheel(c, at, 2);
    EXPECT_NEAR(c->scale(), fitted * 1.5625, 1e-9 * fitted);
    // Ten times larger: the scale bar stands for a tenth of the length.
    Wheel(c, at, 8);
    EXPECT_NE(c->accessibleDescription(), before);
    const QPointF again = c->toScreen(under);
    EXPECT_NEAR(again.x(), at.x(), 1e-6);
    EXPECT_NEAR(again.y(), at.y(), 1e-6);

    // Dragging carries the drawing with the pointer.
    const kiv::Point apex = c->toPattern(QPointF(100, 100));
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(c, QPoint(140, 130));
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(140, 130));
    const QPointF moved = c->toScreen(apex);
    EXPECT_NEAR(moved.x(), 140, 1e-6);
    EXPECT_NEAR(moved.y(), 130, 1e-6);

    // Home fits it again, and so does a new size of the window.
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Home);
    EXPECT_NEAR(c->scale(), fitted, 1e-9 * fitted);
    ExpectFitted(c);
    c->window()->resize(500, 900);
    QTest::qWait(20);
    EXPECT_LT(c->scale(), fitted);
    ExpectFitted(c);
}

TEST_F(ViewTest, HoverNamesPointsAndLinesOfShownLayers) {
    confirm(1);
    PatternWindow* w = openPattern();
    PatternCanvas* c = w->canvas();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    const kiv::RaschetData& d = form->RaschetData;
    // The fold line 4-1 a third of the way from the apex: no point near it.
    const kiv::Point onFold{d.X1 / 3, d.Y4 * 2 / 3};
    const kiv::Point inside{d.X1 / 2, d.Y4 / 6}; // on the front face, off every line
    const struct {
        const char* what;
        kiv::Point at;
        QString text;
    } rows[] = {
        {"apex", {d.X4, d.Y4}, QStringLiteral("Точка 4: x = 0.000, y = 141.421 мм")},
        {"corner 2 (two pixels off)",
         {d.X2 + 2 / c->scale(), d.Y2},
         QStringLiteral("Точка 2: x = %1, y = %2 мм")
             .arg(QString::number(d.X2, 'f', 3), QString::number(d.Y2, 'f', 3))},
        {"fold line", onFold, QStringLiteral("Линия 4-1 (сгиб): 244.949 мм")},
        {"bottom edge", {d.X1 / 2, 0}, QStringLiteral("Линия 7-1 (резка): 400.000 мм")},
        {"inside a face", inside, QString()},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        QTest::mouseMove(c, c->toScreen(r.at).toPoint());
        EXPECT_EQ(c->hoverText(), r.text);
        EXPECT_EQ(w->hoverLine()->text(), r.text);
        EXPECT_EQ(w->hoverLine()->accessibleName(), r.text);
    }
    // A layer switched off is neither drawn nor found under the pointer.
    auto* folds = w->findChild<QCheckBox*>(QStringLiteral("LayerFold"));
    ASSERT_NE(folds, nullptr);
    EXPECT_EQ(folds->accessibleName(), QStringLiteral("Сгибы"));
    QTest::mouseClick(folds, Qt::LeftButton, {}, QPoint(8, folds->height() / 2));
    EXPECT_FALSE(c->layer(PatternCanvas::Fold));
    QTest::mouseMove(c, c->toScreen(inside).toPoint());
    QTest::mouseMove(c, c->toScreen(onFold).toPoint());
    EXPECT_EQ(c->hoverText(), QString());
}

TEST_F(ViewTest, HoodTurnsZoomsAndFolds) {
    confirm(2);
    HoodWindow3D* w = openHood();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    HoodCanvas3D* c = w->canvas();
    EXPECT_EQ(c->fold(), 1.0);
    EXPECT_EQ(w->foldLabel()->accessibleName(), QStringLiteral("Сгиб: 100 %"));
    EXPECT_EQ(w->foldSlider()->accessibleName(), QStringLiteral("Сгиб"));

    w->foldSlider()->setFocus();
    QTest::keyClick(w->foldSlider(), Qt::Key_Home);
    EXPECT_EQ(c->fold(), 0.0);
    EXPECT_EQ(w->foldLabel()->text(), QStringLiteral("Сгиб: 0 %"));
    EXPECT_EQ(w->foldLabel()->accessibleName(), QStringLiteral("Сгиб: 0 %"));
    QTest::keyClick(w->foldSlider(), Qt::Key_PageUp);
    EXPECT_DOUBLE_EQ(c->fold(), 0.1);

    const double yaw = c->yaw(), pitch = c->pitch();
    QTest::mousePress(c, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::mouseMove(c, QPoint(160, 80));
    QTest::mouseRelease(c, Qt::LeftButton, {}, QPoint(160, 80));
    EXPECT_DOUBLE_EQ(c->yaw(), yaw - 30);
    EXPECT_DOUBLE_EQ(c->pitch(), pitch - 10);
    Wheel(c, QPointF(50, 50), -1);
    EXPECT_DOUBLE_EQ(c->zoom(), 0.8);
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Home);
    EXPECT_EQ(c->yaw(), yaw);
    EXPECT_EQ(c->pitch(), pitch);
    EXPECT_EQ(c->zoom(), 1.0);
}

// Opening, using and closing both views changes nothing of the main window:
// not the calculation, not a control, not where its focus is.
TEST_F(ViewTest, LeaveTheMainWindowAsItWas) {
    confirm(3);
    form->ButtonNewRaschet->setFocus();
    const auto before = Snapshot(*form);
    const std::string script = kiv::ScriptBytes(form->RaschetData, 3);

    PatternWindow* pattern = openPattern();
    HoodWindow3D* hood = openHood();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hood));
    Wheel(pattern->canvas(), QPointF(200, 200), 3);
    QTest::mouseMove(pattern->canvas(), QPoint(300, 300));
    QTest::mouseClick(pattern->findChild<QCheckBox*>(QStringLiteral("LayerWire")), Qt::LeftButton);
    hood->foldSlider()->setFocus();
    QTest::keyClick(hood->foldSlider(), Qt::Key_PageDown);
    QTest::mousePress(hood->canvas(), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(hood->canvas(), QPoint(90, 70));
    QTest::mouseRelease(hood->canvas(), Qt::LeftButton, {}, QPoint(90, 70));
    pattern->close();
    hood->close();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    EXPECT_EQ(form->RaschetData.RazvType, 3);
    EXPECT_EQ(kiv::ScriptBytes(form->RaschetData, 3), script);
    EXPECT_EQ(Snapshot(*form), before);
    EXPECT_EQ(focusedControl(), form->ButtonNewRaschet);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

} // namespace

namespace {

class ViewNames : public ViewTest, public ::testing::WithParamInterface<int> {};

// Fitted, every point is named once, next to its point, and no name covers
// another; in the roomy plain pattern no name covers a line either.
TEST_P(ViewNames, CoverNoOtherName) {
    confirm(GetParam());
    PatternCanvas* c = openPattern()->canvas();
    const auto names = c->placedNames();
    kiv::RaschetData d = form->RaschetData;
    EXPECT_EQ(names.size(), kiv::ShopDrawingOf(d, GetParam()).points.size());
    int crossings = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        // Beside its point: crowded names move out a ring or two, never
        // further than a few text heights.
        const double reach = 3 * names[i].box.height();
        const QRectF near = names[i].box.adjusted(-reach, -reach, reach, reach);
        EXPECT_TRUE(near.contains(names[i].point)) << names[i].name.toStdString();
        for (std::size_t j = i + 1; j < names.size(); ++j)
            EXPECT_FALSE(names[i].box.intersects(names[j].box))
                << names[i].name.toStdString() << " and " << names[j].name.toStdString();
        // A line covers a name when one of many points along it lies in the box.
        for (const QLineF& l : c->shownLines()) {
            bool covers = false;
            for (int k = 0; k <= 1000 && !covers; ++k)
                covers = names[i].box.contains(l.pointAt(k / 1000.0));
            crossings += covers ? 1 : 0;
        }
    }
    if (GetParam() == 1) {
        EXPECT_EQ(crossings, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Types, ViewNames, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

} // namespace

// The menu's shortcuts typed into a view window, with the focus on one of its
// controls, do what the menu does; a command the menu has disabled does
// nothing there either, and Esc closes the view.
TEST_F(ViewTest, MenuShortcutsWorkFromAFocusedView) {
    enum Then { Hood, Pattern, Asks, Previews, Help, Nothing, Closed };
    const struct {
        const char* what;
        bool inHood, unlocked; // typed in the 3D view; after "Новый расчет развертки"
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Then then;
    } rows[] = {
        {"Ctrl+3 in the pattern view", false, false, Qt::Key_3, Qt::ControlModifier, Hood},
        {"Ctrl+R in the 3D view", true, false, Qt::Key_R, Qt::ControlModifier, Pattern},
        {"Ctrl+E in the pattern view", false, false, Qt::Key_E, Qt::ControlModifier, Asks},
        {"Ctrl+P in the 3D view", true, false, Qt::Key_P, Qt::ControlModifier, Previews},
        {"F1 in the 3D view", true, false, Qt::Key_F1, Qt::NoModifier, Help},
        {"Ctrl+E once unlocked", false, true, Qt::Key_E, Qt::ControlModifier, Nothing},
        {"Ctrl+3 once unlocked", false, true, Qt::Key_3, Qt::ControlModifier, Nothing},
        {"Esc in the pattern view", false, false, Qt::Key_Escape, Qt::NoModifier, Closed},
        {"Esc in the 3D view", true, false, Qt::Key_Escape, Qt::NoModifier, Closed},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        confirm(1);
        messages.shown.clear();
        dialogs.asked.clear();
        dialogs.previews = 0;
        HoodWindow3D* hood = r.inHood ? openHood() : nullptr;
        PatternWindow* pattern = r.inHood ? nullptr : openPattern();
        QWidget* view = r.inHood ? static_cast<QWidget*>(hood) : pattern;
        ASSERT_NE(view, nullptr);
        if (r.unlocked)
            clickButton("ButtonNewRaschet");
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view));
        QWidget* control = r.inHood ? static_cast<QWidget*>(hood->foldSlider()) : pattern->canvas();
        control->setFocus();
        QTest::keyClick(control, r.key, r.modifiers);

        hood = form->findChild<HoodWindow3D*>(QStringLiteral("HoodView3D"));
        pattern = form->findChild<PatternWindow*>(QStringLiteral("PatternView"));
        EXPECT_EQ(hood != nullptr && hood->isVisible(), r.inHood ? r.then != Closed : r.then == Hood);
        EXPECT_EQ(pattern != nullptr && pattern->isVisible(), r.inHood ? r.then == Pattern : r.then != Closed);
        EXPECT_EQ(dialogs.asked.size(), r.then == Asks ? 1u : 0u);
        EXPECT_EQ(dialogs.previews, r.then == Previews ? 1 : 0);
        ASSERT_EQ(messages.shown.size(), r.then == Help ? 1u : 0u) << messageLog();
        if (r.then == Help) {
            EXPECT_EQ(messages.shown[0].text, HelpText());
        }
        for (QWidget* w : {static_cast<QWidget*>(hood), static_cast<QWidget*>(pattern)})
            if (w != nullptr)
                w->close();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        if (!r.unlocked)
            clickButton("ButtonNewRaschet");
    }
}
