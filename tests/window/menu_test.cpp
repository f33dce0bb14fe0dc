// The menu bar: its commands follow the script button through the workflow,
// its shortcuts reach it from inside a field, and DXF export writes the
// confirmed pattern where the save dialog says.
#include "WindowFixture.h"

#include "app/InfoTexts.h"
#include "core/Calculation.h"
#include "export/Dxf.h"
#include "script/Script.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <functional>

namespace {

// Opens the action's menu by clicking its title in the menu bar, then clicks
// the action, as a user does.
void ClickMenu(TForm1& form, QAction* action) {
    auto* menu = qobject_cast<QMenu*>(action->parent());
    ASSERT_NE(menu, nullptr);
    QMenuBar* bar = form.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000)) << "menu never opened";
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    // The window is active again, with its focus back, once the popup closes.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !menu->isVisible() && QApplication::activeWindow() == &form; }, 2000));
}

QStringList Entries(const QMenu* menu) {
    QStringList texts;
    for (const QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("---") : a->text());
    return texts;
}

// The working-folder path of the default pattern's DXF file.
QString DefaultDxfName(int type) {
    const char* const names[] = {"200x400x100x0.5.dxf", "200x400x100x0.5x3x2.dxf",
                                 "200x400x100x0.5x3x2x2.dxf"};
    return QString::fromLatin1(names[type - 1]);
}

std::string ExpectedDxf(kiv::RaschetData d, int type) {
    const kiv::CalcResult calc = kiv::Calculate(d, type);
    return kiv::DxfBytes(d, type, calc.summary).bytes;
}

TEST_F(OpenWindowTest, MenusHoldTheirCommandsInOrder) {
    QMenuBar* bar = form->menuBar();
    ASSERT_EQ(bar->actions().size(), 3);
    EXPECT_EQ(bar->actions()[0]->text(), QStringLiteral("Файл"));
    EXPECT_EQ(bar->actions()[1]->text(), QStringLiteral("Вид"));
    EXPECT_EQ(bar->actions()[2]->text(), QStringLiteral("Справка"));
    EXPECT_EQ(Entries(bar->actions()[0]->menu()),
              QStringList({QStringLiteral("Записать файл развертки (.scr)"),
                           QStringLiteral("Экспорт DXF…"), QStringLiteral("Печать шаблона 1:1…"),
                           QStringLiteral("Шаблон в PDF…"), QStringLiteral("Раскрой на листах…"),
                           QStringLiteral("---"),
                           QStringLiteral("Выход")}));
    EXPECT_EQ(Entries(bar->actions()[1]->menu()),
              QStringList({QStringLiteral("Развертка в масштабе…"), QStringLiteral("Зонт в 3D…")}));
    EXPECT_EQ(Entries(bar->actions()[2]->menu()),
              QStringList({QStringLiteral("Описание программы"), QStringLiteral("О программе")}));
    EXPECT_EQ(form->ActionPatternView->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
    EXPECT_EQ(form->ActionHoodView3D->shortcut(), QKeySequence(QStringLiteral("Ctrl+3")));
    EXPECT_EQ(form->ActionExportDXF->shortcut(), QKeySequence(QStringLiteral("Ctrl+E")));
    EXPECT_EQ(form->ActionExit->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
    EXPECT_EQ(form->ActionPrintTemplate->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    EXPECT_EQ(form->ActionHelp->shortcut(), QKeySequence(Qt::Key_F1));
}

// Walks the workflow and checks after each step that the file and view
// commands are enabled exactly when the script button is, and the help ones
// always.
TEST_F(OpenWindowTest, FileCommandsFollowTheScriptButton) {
    const struct Step {
        const char* what;
        std::function<void()> act;
        bool confirmed;
    } steps[] = {
        {"start", [] {}, false},
        {"type 1 confirmed", [this] { confirm(1); }, true},
        {"new calculation", [this] { clickButton("ButtonNewRaschet"); }, false},
        {"type 2 confirmed", [this] { confirm(2); }, true},
        {"script written", [this] { clickButton("ButtonFileSCR"); }, true},
        {"new calculation again", [this] { clickButton("ButtonNewRaschet"); }, false},
        {"allowances that do not fit",
         [this] {
             clickTab(1);
             retype("LEditFalthP1", QStringLiteral("60"));
             confirm(2);
         },
         false},
        {"rejected input",
         [this] {
             retype("LEditFalthP1", QStringLiteral("3"));
             retype("EditL2", QStringLiteral("10"));
             confirm(1);
         },
         false},
        {"type 3 confirmed",
         [this] {
             retype("EditL2", QStringLiteral("400"));
             confirm(3);
         },
         true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        EXPECT_EQ(form->ButtonFileSCR->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionFileSCR->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionExportDXF->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionPrintTemplate->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionTemplatePDF->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionNestSheets->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionPatternView->isEnabled(), s.confirmed);
        EXPECT_EQ(form->ActionHoodView3D->isEnabled(), s.confirmed);
        EXPECT_TRUE(form->ActionHelp->isEnabled());
        EXPECT_TRUE(form->ActionAbout->isEnabled());
        EXPECT_TRUE(form->ActionExit->isEnabled());
    }
}

TEST_F(OpenWindowTest, ScriptCommandWritesWhatTheButtonWrites) {
    confirm(2);
    ClickMenu(*form, form->ActionFileSCR);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    const QString name = QStringLiteral("200x400x100x0.5x3x2.scr");
    EXPECT_EQ(ReadAll(name).toStdString(), kiv::ScriptBytes(form->RaschetData, 2));
    EXPECT_EQ(form->ButtonFileSCR->text(), QStringLiteral("Файл  \"") + name + QLatin1Char('"'));
}

// No menu command changes the calculation state, the widgets' states or the
// focus: the pattern stays confirmed and the same.
TEST_F(OpenWindowTest, MenuCommandsLeaveTheWorkflowAlone) {
    confirm(3);
    form->ButtonNewRaschet->setFocus();
    dialogs.answer = QDir(workDir).filePath(QStringLiteral("copy.dxf"));
    ASSERT_EQ(focusedControl(), form->ButtonNewRaschet);
    const auto before = Snapshot(*form);
    const std::string script = kiv::ScriptBytes(form->RaschetData, 3);
    for (QAction* a :
         {form->ActionExportDXF, form->ActionFileSCR, form->ActionHelp, form->ActionAbout}) {
        SCOPED_TRACE(a->text().toStdString());
        ClickMenu(*form, a);
        EXPECT_EQ(form->RaschetData.RazvType, 3);
        EXPECT_EQ(kiv::ScriptBytes(form->RaschetData, 3), script);
        EXPECT_EQ(focusedControl(), form->ButtonNewRaschet);
        auto after = Snapshot(*form);
        // The script command renames the script button, as the button itself does.
        for (auto& c : after)
            if (c.name == QStringLiteral("ButtonFileSCR"))
                c.text = before[static_cast<std::size_t>(&c - after.data())].text;
        EXPECT_EQ(after, before);
    }
    ASSERT_EQ(messages.shown.size(), 2u) << messageLog(); // the help text and the About box
}

TEST_F(OpenWindowTest, HelpCommandsShowTheProgramsTexts) {
    ClickMenu(*form, form->ActionHelp);
    ClickMenu(*form, form->ActionAbout);
    ASSERT_EQ(messages.shown.size(), 2u) << messageLog();
    // The same texts as the hood picture's double-click and the About button.
    form->ImageZontDblClick();
    clickButton("ButtonAboutProgram");
    ASSERT_EQ(messages.shown.size(), 4u);
    EXPECT_EQ(messages.shown[0].text, messages.shown[2].text);
    EXPECT_EQ(messages.shown[1].text, messages.shown[3].text);
    EXPECT_EQ(messages.shown[0].caption, kTitle);
    EXPECT_EQ(messages.shown[0].text.count(QLatin1Char('\r')), 39);
}

// Shortcuts typed inside a field reach the menu; the field's keystroke filter
// neither swallows them nor lets them type.
TEST_F(OpenWindowTest, HelpKeyWorksFromInsideAField) {
    QLineEdit* f = field("EditL2");
    f->setFocus();
    QTest::keyClick(f, Qt::Key_F1);
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].text, HelpText());
    EXPECT_EQ(f->text(), QStringLiteral("400"));
}

TEST_F(OpenWindowTest, QuitKeyClosesTheWindowFromInsideAField) {
    QLineEdit* f = field("EditH");
    f->setFocus();
    QTest::keyClick(f, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

TEST_F(OpenWindowTest, ExportKeyDoesNothingBeforeConfirmation) {
    QLineEdit* f = field("EditL1");
    f->setFocus();
    f->setCursorPosition(1);
    QTest::keyClick(f, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(dialogs.asked.empty());
    EXPECT_EQ(f->text(), QStringLiteral("200"));
    EXPECT_EQ(f->cursorPosition(), 1) << "a line edit's own Ctrl+E (end of line) must not act";
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

TEST_F(OpenWindowTest, ExportKeyAsksWhereToSaveOnceConfirmed) {
    confirm(1);
    form->ButtonFileSCR->setFocus();
    QTest::keyClick(form->ButtonFileSCR, Qt::Key_E, Qt::ControlModifier);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, QStringLiteral("Экспорт DXF"));
    EXPECT_EQ(dialogs.asked[0].proposed, QDir(workDir).filePath(DefaultDxfName(1)));
    EXPECT_EQ(dialogs.asked[0].filter, QStringLiteral("Чертеж DXF (*.dxf)"));
    EXPECT_EQ(dialogs.asked[0].suffix, QStringLiteral("dxf"));
    EXPECT_TRUE(QDir(workDir).entryList({QStringLiteral("*.dxf")}).isEmpty())
        << "cancelled: nothing written";
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

class DxfExport : public OpenWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(DxfExport, WritesTheConfirmedPatternWhereTheDialogSays) {
    const int type = GetParam();
    confirm(type);
    const QString path = QDir(workDir).filePath(QStringLiteral("sub dir/пробный.dxf"));
    ASSERT_TRUE(QDir(workDir).mkpath(QStringLiteral("sub dir")));
    dialogs.answer = path;
    ClickMenu(*form, form->ActionExportDXF);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].proposed, QDir(workDir).filePath(DefaultDxfName(type)));
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    const std::string expected = ExpectedDxf(form->RaschetData, type);
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(ReadAll(path).toStdString(), expected);
    // The script button's caption names only scripts.
    EXPECT_FALSE(form->ButtonFileSCR->text().contains(QStringLiteral(".dxf")));
}

INSTANTIATE_TEST_SUITE_P(Types, DxfExport, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

TEST_F(OpenWindowTest, FailedDxfSaveNamesTheFileAndKeepsTheOldOne) {
    confirm(2);
    // A folder that does not exist: the file cannot be created.
    dialogs.answer = QDir(workDir).filePath(QStringLiteral("missing/pattern.dxf"));
    ClickMenu(*form, form->ActionExportDXF);
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
    EXPECT_TRUE(messages.shown[0].text.startsWith(
        QStringLiteral("Не удалось записать файл\rpattern.dxf:\r")))
        << messages.shown[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dialogs.answer));

    // A folder of that name stands where the file should go: the folder stays.
    messages.shown.clear();
    ASSERT_TRUE(QDir(workDir).mkpath(QStringLiteral("taken.dxf")));
    dialogs.answer = QDir(workDir).filePath(QStringLiteral("taken.dxf"));
    ClickMenu(*form, form->ActionExportDXF);
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("папка")));
    EXPECT_TRUE(QFileInfo(dialogs.answer).isDir());
    EXPECT_TRUE(form->ButtonFileSCR->isEnabled()) << "the pattern stays confirmed";
}

} // namespace
