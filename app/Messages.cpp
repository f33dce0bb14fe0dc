#include "app/Messages.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Room the window manager's frame and title bar take around a box; the box
// is sized before it is shown, when its frame is not known yet.
constexpr int kFrameWidth = 16;
constexpr int kFrameHeight = 48;

QRect ScreenOfTheUser() {
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (screen == nullptr)
        screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The window's line breaks ("\r") as a box shows them.
QString Shown(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

// Sizes the text's scroll area to its content within `room`: lines keep
// their breaks, only a line wider than the room wraps, and a text taller
// than the room scrolls.
void FitText(QLabel* label, QScrollArea* area, QSize room) {
    QSize textSize = label->sizeHint();
    if (textSize.width() > room.width()) {
        label->setWordWrap(true);
        textSize = QSize(room.width(), label->heightForWidth(room.width()));
    }
    if (textSize.height() <= room.height()) {
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setFixedSize(textSize);
        return;
    }
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int bar = area->verticalScrollBar()->sizeHint().width();
    int width = textSize.width() + bar;
    if (width > room.width()) {
        width = room.width();
        label->setWordWrap(true);
    }
    area->setFixedSize(width, room.height());
}

} // namespace

std::unique_ptr<QDialog> MakePlainBox(const QString& caption, const QString& text,
                                      const QRect& screen) {
    auto box = std::make_unique<QDialog>();
    box->setWindowTitle(caption);
    box->setWindowModality(Qt::ApplicationModal);
    box->setObjectName(QStringLiteral("PlainBox"));

    auto* label = new QLabel(Shown(text));
    label->setObjectName(QStringLiteral("PlainBoxText"));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextInteractionFlags(
        box->style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, box.get())));

    auto* area = new QScrollArea;
    area->setObjectName(QStringLiteral("PlainBoxScroll"));
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidget(label);
    area->setWidgetResizable(true);
    // The text lies on the box's own background, as in any message box.
    area->viewport()->setAutoFillBackground(false);
    label->setAutoFillBackground(false);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setCenterButtons(
        box->style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, box.get()) != 0);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);

    auto* layout = new QVBoxLayout(box.get());
    layout->addWidget(area);
    layout->addWidget(buttons);
    // Sized to its content like a message box; the user cannot resize it.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const QMargins margins = layout->contentsMargins();
    const int chromeWidth = margins.left() + margins.right() + kFrameWidth;
    const int chromeHeight = margins.top() + margins.bottom() + layout->spacing() +
                             buttons->sizeHint().height() + kFrameHeight;
    FitText(label, area, QSize(screen.width() - chromeWidth, screen.height() - chromeHeight));
    return box;
}

void BoxMessages::show(Kind kind, const QString& caption, const QString& text) {
    // No parent: the box belongs to the program, not to a window, and is
    // centred on the screen; application-modal so the window takes no input.
    // A dialog without a parent that was never moved is centred on the screen
    // when it is shown, after it has sized itself to the text.
    if (kind == Kind::Plain) {
        MakePlainBox(caption, text, ScreenOfTheUser())->exec();
        return;
    }
    QMessageBox box(QMessageBox::Critical, caption, Shown(text), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
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
