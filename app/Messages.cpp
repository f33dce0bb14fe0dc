#include "app/Messages.h"

#include <QFileInfo>
#include <QMessageBox>

void BoxMessages::show(Kind kind, const QString& caption, const QString& text) {
    // No parent: the box belongs to the program, not to a window, and is
    // centred on the screen; application-modal so the window takes no input.
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(kind == Kind::Error ? QMessageBox::Critical : QMessageBox::NoIcon, caption,
                    shown, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    // A dialog without a parent that was never moved is centred on the screen
    // when it is shown, after it has sized itself to the text.
    box.exec();
}

QString ProgramTitle(const QString& executablePath) {
    QString name = QFileInfo(executablePath).fileName();
    const qsizetype point = name.indexOf(QLatin1Char('.'));
    if (point >= 0)
        name.truncate(point);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}
