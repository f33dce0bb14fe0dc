#pragma once

#include <QRect>
#include <QString>

#include <memory>

class QDialog;

// Every message of the program goes through this interface, so the window's
// tests can read a message's kind, caption and text without a modal loop.
class Messages {
public:
    enum class Kind {
        Plain, // the program's own texts: no icon, one "OK"
        Error, // an error the program does not handle itself: stop icon, one "OK"
    };

    virtual ~Messages() = default;

    // Shows the message modally and returns when it is closed. `text` is as the
    // program stores it, "\r" between lines.
    virtual void show(Kind kind, const QString& caption, const QString& text) = 0;
};

// The real boxes: centred on the screen, sized to their text, "\r" shown as a
// line break.
class BoxMessages : public Messages {
public:
    void show(Kind kind, const QString& caption, const QString& text) override;
};

// The program's plain box for `text` ("\r" between lines), built but not
// shown: `caption`, the text, no icon and one "OK" button, sized to the text.
// A text taller than `screen` (the available area of the screen it opens on)
// allows is shown in a scrolling area, so that the box, frame included, stays
// within the screen with its button in reach.
std::unique_ptr<QDialog> MakePlainBox(const QString& caption, const QString& text,
                                      const QRect& screen);

// The caption of every box: the executable's file name up to its first point,
// in lower case after its first letter ("Kiv_TQMRZL" gives "Kiv_tqmrzl").
QString ProgramTitle(const QString& executablePath);
