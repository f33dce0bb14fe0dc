// Typing into the nine number fields: only what can make an unsigned decimal
// number gets in; editing and navigation keys keep working.
#include "WindowFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

namespace {

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    QString text;
};

Key K(Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    return {key, mods, text};
}

void Press(QWidget* w, const Key& k) {
    QTest::sendKeyEvent(QTest::Click, w, k.key, k.text, k.mods);
}

// Counts key presses that reach a widget: a key the field does not handle
// travels on to its parent, so a swallowed key never arrives there.
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        // The modifier keys pressed around a chord are keys of their own.
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(e)->key();
            if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt &&
                key != Qt::Key_Meta)
                ++presses;
        }
        return false;
    }
};

struct Discarded {
    const char* name;
    Key key;
    bool selectAllFirst; // the clipboard keys need something selected
};

const Discarded kDiscarded[] = {
    {"LatinLetter", K(Qt::Key_A, "a"), false},
    {"ExponentLetter", K(Qt::Key_E, "E", Qt::ShiftModifier), false},
    {"Minus", K(Qt::Key_Minus, "-"), false},
    {"Plus", K(Qt::Key_Plus, "+", Qt::ShiftModifier), false},
    {"Blank", K(Qt::Key_Space, " "), false},
    {"CyrillicLetter", K(Qt::Key_unknown, QStringLiteral("ж")), false},
    {"CyrillicCapital", K(Qt::Key_unknown, QStringLiteral("Ю"), Qt::ShiftModifier), false},
    {"Enter", K(Qt::Key_Return, "\r"), false},
    {"KeypadEnter", K(Qt::Key_Enter, "\r", Qt::KeypadModifier), false},
    {"Escape", K(Qt::Key_Escape, "\x1b"), false},
    {"CtrlVAsLetter", K(Qt::Key_V, "v", Qt::ControlModifier), false},
    {"CtrlVAsControlCharacter", K(Qt::Key_V, "\x16", Qt::ControlModifier), false},
    {"CtrlCAsLetter", K(Qt::Key_C, "c", Qt::ControlModifier), true},
    {"CtrlCAsControlCharacter", K(Qt::Key_C, "\x03", Qt::ControlModifier), true},
    {"CtrlXAsLetter", K(Qt::Key_X, "x", Qt::ControlModifier), true},
    {"CtrlXAsControlCharacter", K(Qt::Key_X, "\x18", Qt::ControlModifier), true},
    {"CtrlAAsLetter", K(Qt::Key_A, "a", Qt::ControlModifier), false},
    {"CtrlAAsControlCharacter", K(Qt::Key_A, "\x01", Qt::ControlModifier), false},
    {"CtrlZAsLetter", K(Qt::Key_Z, "z", Qt::ControlModifier), false},
};

struct Edit {
    const char* name;
    std::vector<Key> keys;
    QString text;
    int cursor;
};

// Each starts from "200" with the cursor at the end.
const Edit kEdits[] = {
    {"Digit", {K(Qt::Key_7, "7")}, "2007", 4},
    {"Point", {K(Qt::Key_Period, ".")}, "200.", 4},
    {"CommaTypesThePoint", {K(Qt::Key_Comma, ",")}, "200.", 4},
    {"KeypadCommaTypesThePoint", {K(Qt::Key_Comma, ",", Qt::KeypadModifier)}, "200.", 4},
    {"CommaReplacesTheSelection",
     {K(Qt::Key_Home, {}, Qt::ShiftModifier), K(Qt::Key_0, "0"), K(Qt::Key_Comma, ","),
      K(Qt::Key_5, "5")},
     "0.5",
     3},
    {"Backspace", {K(Qt::Key_Backspace, "\b")}, "20", 2},
    {"BackspaceEmptiesTheField",
     {K(Qt::Key_Backspace, "\b"), K(Qt::Key_Backspace, "\b"), K(Qt::Key_Backspace, "\b")},
     "",
     0},
    {"Left", {K(Qt::Key_Left)}, "200", 2},
    {"Home", {K(Qt::Key_Home)}, "200", 0},
    {"HomeThenEnd", {K(Qt::Key_Home), K(Qt::Key_End)}, "200", 3},
    {"HomeThenDelete", {K(Qt::Key_Home), K(Qt::Key_Delete)}, "00", 0},
    {"DigitInTheMiddle", {K(Qt::Key_Left), K(Qt::Key_Left), K(Qt::Key_5, "5")}, "2500", 2},
    {"SelectWithShiftHomeAndOverType",
     {K(Qt::Key_Home, {}, Qt::ShiftModifier), K(Qt::Key_1, "1")},
     "1",
     1},
    {"SeveralPoints",
     {K(Qt::Key_Period, "."), K(Qt::Key_2, "2"), K(Qt::Key_Period, "."), K(Qt::Key_3, "3")},
     "200.2.3",
     7},
};

const char* PageOf(const char* field) {
    const std::string f = field;
    if (f.rfind("LEditFalth", 0) == 0)
        return "TabSheet2";
    if (f.rfind("LEditAll", 0) == 0)
        return "TabSheet3";
    return nullptr;
}

class KeyFilter : public OpenWindowTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        OpenWindowTest::SetUp();
        f = field(GetParam());
        ASSERT_NE(f, nullptr);
        if (const char* page = PageOf(GetParam()))
            form->PageControl1->setCurrentWidget(control(page));
        f->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), f);
    }
    void reset() {
        f->setText(QStringLiteral("200"));
        f->end(false);
    }
    QLineEdit* f = nullptr;
};

TEST_P(KeyFilter, OtherCharactersAreSwallowed) {
    KeyCounter beyond;
    f->parentWidget()->installEventFilter(&beyond);
    for (const Discarded& row : kDiscarded) {
        SCOPED_TRACE(row.name);
        reset();
        if (row.selectAllFirst)
            f->selectAll();
        QApplication::clipboard()->setText(QStringLiteral("999"));
        QSignalSpy returned(f, &QLineEdit::returnPressed);
        QSignalSpy edited(f, &QLineEdit::textEdited);
        beyond.presses = 0;

        Press(f, row.key);

        EXPECT_EQ(f->text(), QStringLiteral("200"));
        EXPECT_EQ(f->selectedText(), row.selectAllFirst ? QStringLiteral("200") : QString());
        EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("999"));
        EXPECT_EQ(returned.count(), 0);
        EXPECT_EQ(edited.count(), 0);
        EXPECT_EQ(beyond.presses, 0) << "the key went on past the field";
        EXPECT_EQ(QApplication::focusWidget(), f);
    }
    f->parentWidget()->removeEventFilter(&beyond);
}

TEST_P(KeyFilter, NumberCharactersAndEditingKeysWork) {
    for (const Edit& row : kEdits) {
        SCOPED_TRACE(row.name);
        reset();
        for (const Key& k : row.keys)
            Press(f, k);
        EXPECT_EQ(f->text(), row.text);
        EXPECT_EQ(f->cursorPosition(), row.cursor);
    }
}

TEST_P(KeyFilter, TabAndShiftTabMoveTheFocus) {
    reset();
    Press(f, K(Qt::Key_Tab, "\t"));
    QWidget* next = QApplication::focusWidget();
    EXPECT_NE(next, f);
    Press(next, K(Qt::Key_Tab, "\t", Qt::ShiftModifier));
    EXPECT_EQ(QApplication::focusWidget(), f);
    Press(f, K(Qt::Key_Backtab, {}, Qt::ShiftModifier));
    EXPECT_NE(QApplication::focusWidget(), f);
    EXPECT_EQ(f->text(), QStringLiteral("200"));
}

// Pasting through the field's context menu is not typing: it is not filtered
// (a comma stays a comma), and a bad text is left for the conversion at
// confirmation to refuse.
TEST_P(KeyFilter, PastedTextIsNotFiltered) {
    reset();
    QApplication::clipboard()->setText(QStringLiteral("a,-"));
    f->paste();
    EXPECT_EQ(f->text(), QStringLiteral("200a,-"));
}

// A Russian user types "0,5" by habit; it used to arrive as "05", ten times
// the value meant, and be accepted.
TEST_P(KeyFilter, TypedDecimalCommaIsThePoint) {
    f->clear();
    QTest::keyClicks(f, QStringLiteral("0,5"));
    EXPECT_EQ(f->text(), QStringLiteral("0.5"));
    QTest::keyClicks(f, QStringLiteral(",,"));
    EXPECT_EQ(f->text(), QStringLiteral("0.5.."));
}

// Text from an input method is typed text too: a commit with a character the
// filter discards is discarded whole, and a comma in it enters a point.
TEST_P(KeyFilter, InputMethodTextIsFilteredToo) {
    const struct {
        const char* name;
        QString commit;
        QString text; // what the field then shows
    } rows[] = {
        {"DigitsAndPoint", QStringLiteral("7.5"), QStringLiteral("2007.5")},
        {"LatinLetter", QStringLiteral("1a"), QStringLiteral("200")},
        {"CyrillicLetters", QStringLiteral("жю"), QStringLiteral("200")},
        {"Comma", QStringLiteral("1,5"), QStringLiteral("2001.5")},
        {"CommaAndLetter", QStringLiteral(",a"), QStringLiteral("200")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        reset();
        QInputMethodEvent e;
        e.setCommitString(row.commit);
        QApplication::sendEvent(f, &e);
        EXPECT_EQ(f->text(), row.text);
    }
}

INSTANTIATE_TEST_SUITE_P(Window, KeyFilter, ::testing::ValuesIn(kAllNineFields),
                         [](const auto& info) { return std::string(info.param); });

} // namespace
