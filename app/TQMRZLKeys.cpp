#include "app/TQMRZL.h"

#include "input/KeyFilter.h"

#include <QAction>
#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>

#include <optional>

namespace {

// Control with a key types a control character (Ctrl+V types 22) or nothing
// at all; neither is a number's character. Ctrl+Alt is AltGr on some
// keyboards and types ordinary characters, which the handler judges.
bool IsControlChord(const QKeyEvent* k) {
    const Qt::KeyboardModifiers m = k->modifiers();
    return (m & Qt::ControlModifier) && !(m & Qt::AltModifier) && !k->text().isEmpty();
}

} // namespace

std::optional<QString> TForm1::typedThrough(KeyPressHandler handler, const QString& text) {
    // What typing `text` enters, character by character through the field's
    // handler (a comma becomes a point); nothing when the handler discards
    // any character of it.
    QString entered;
    for (char32_t code : text.toUcs4()) {
        (this->*handler)(code);
        if (code == 0)
            return std::nullopt;
        entered += QString::fromUcs4(&code, 1);
    }
    return entered;
}

bool TForm1::isMenuShortcut(const QKeyEvent* k) const {
    // A chord that is one of the menu's shortcuts goes to the menu: taken by
    // the field filter unaccepted, so the field cannot claim it (a line edit
    // would take Ctrl+E as "end of line") and the shortcut fires. While its
    // command is disabled, no shortcut fires and the key press is discarded.
    const QKeySequence keys(k->keyCombination());
    for (QAction* a : menuBar()->findChildren<QAction*>()) {
        if (!a->shortcut().isEmpty() && a->shortcut() == keys)
            return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Keystroke filter

void TForm1::filterKey(char32_t& key) const {
    key = kiv::TypedKey(key);
}

void TForm1::EditSKeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditL1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditL2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::EditHKeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditFalthP1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditFalthP2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllP1KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllP2KeyPress(char32_t& key) {
    filterKey(key);
}
void TForm1::LEditAllDKeyPress(char32_t& key) {
    filterKey(key);
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    const struct {
        QLineEdit* field;
        KeyPressHandler handler;
    } fields[] = {
        {EditS, &TForm1::EditSKeyPress},
        {EditL1, &TForm1::EditL1KeyPress},
        {EditL2, &TForm1::EditL2KeyPress},
        {EditH, &TForm1::EditHKeyPress},
        {LEditFalthP1, &TForm1::LEditFalthP1KeyPress},
        {LEditFalthP2, &TForm1::LEditFalthP2KeyPress},
        {LEditAllP1, &TForm1::LEditAllP1KeyPress},
        {LEditAllP2, &TForm1::LEditAllP2KeyPress},
        {LEditAllD, &TForm1::LEditAllDKeyPress},
    };
    for (const auto& f : fields) {
        if (watched == f.field)
            return filterFieldEvent(f.field, f.handler, e);
    }
    return QMainWindow::eventFilter(watched, e);
}

bool TForm1::filterFieldEvent(QLineEdit* field, KeyPressHandler handler, QEvent* e) {
    const auto typed = [&](const QString& text) { return typedThrough(handler, text); };

    switch (e->type()) {
    case QEvent::ShortcutOverride: {
        auto* k = static_cast<QKeyEvent*>(e);
        if (isMenuShortcut(k))
            return true;
        if (IsControlChord(k)) {
            // Claimed here so that no shortcut acts on it; the key press that
            // follows is then discarded below.
            k->accept();
            return true;
        }
        return false;
    }
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(e);
        // Tab and Backtab move the focus; the editing keys that type no
        // character (Delete may come with a DEL text) work as usual.
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab || k->key() == Qt::Key_Delete)
            return false;
        if (k->text().isEmpty())
            return false;
        if (IsControlChord(k))
            return true;
        const std::optional<QString> entered = typed(k->text());
        if (!entered)
            return true;
        if (*entered == k->text())
            return false;
        // The field gets the key of the character that the handler made of
        // the typed one, as if that key had been pressed.
        QKeyEvent replaced(k->type(), entered->size() == 1 ? entered->at(0).unicode() : 0,
                           k->modifiers(), *entered, k->isAutoRepeat(),
                           static_cast<quint16>(k->count()));
        QCoreApplication::sendEvent(field, &replaced);
        return true;
    }
    case QEvent::InputMethod: {
        auto* im = static_cast<QInputMethodEvent*>(e);
        const std::optional<QString> entered = typed(im->commitString());
        if (!entered)
            return true;
        if (*entered == im->commitString())
            return false;
        QInputMethodEvent replaced(im->preeditString(), im->attributes());
        replaced.setCommitString(*entered, im->replacementStart(), im->replacementLength());
        QCoreApplication::sendEvent(field, &replaced);
        return true;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
