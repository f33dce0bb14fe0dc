// The real dialogs behind the window's seam: Qt's save dialog and the print
// preview, answered by a timer that acts as the user once they are shown.
#include "app/FileDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Calls `answer` with the modal dialog as soon as one is shown.
void AnswerWhenShown(std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [timer, answer, ticks]() mutable {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        } else if (++ticks > 500) { // five seconds: give up rather than hang
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

TEST(SaveDialog, OffersTheProposedNameInTheProposedFolder) {
    QTemporaryDir dir;
    QtFileDialogs dialogs;
    AnswerWhenShown([](QDialog* d) { d->accept(); });
    const QString chosen = dialogs.saveFileName(
        nullptr, QStringLiteral("Экспорт DXF"), dir.filePath(QStringLiteral("200x400.dxf")),
        QStringLiteral("DXF (*.dxf)"), QStringLiteral("dxf"));
    EXPECT_EQ(QDir::cleanPath(chosen),
              QDir::cleanPath(dir.filePath(QStringLiteral("200x400.dxf"))));
}

TEST(SaveDialog, TypedNameGetsTheExtension) {
    QTemporaryDir dir;
    QtFileDialogs dialogs;
    AnswerWhenShown([](QDialog* d) {
        auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QStringLiteral("hood"));
        d->accept();
    });
    const QString chosen = dialogs.saveFileName(
        nullptr, QStringLiteral("Шаблон в PDF"), dir.filePath(QStringLiteral("x.pdf")),
        QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf"));
    EXPECT_EQ(QDir::cleanPath(chosen), QDir::cleanPath(dir.filePath(QStringLiteral("hood.pdf"))));
}

TEST(SaveDialog, CancelGivesNoName) {
    QTemporaryDir dir;
    QtFileDialogs dialogs;
    AnswerWhenShown([](QDialog* d) { d->reject(); });
    EXPECT_TRUE(dialogs
                    .saveFileName(nullptr, QStringLiteral("Экспорт DXF"),
                                  dir.filePath(QStringLiteral("a.dxf")),
                                  QStringLiteral("DXF (*.dxf)"), QStringLiteral("dxf"))
                    .isEmpty());
}

TEST(PrintPreview, PaintsTheDocumentBeforeTheUserPrints) {
    QtFileDialogs dialogs;
    QPrinter printer(QPrinter::HighResolution);
    int painted = 0;
    bool previewShown = false;
    AnswerWhenShown([&](QDialog* d) {
        previewShown = qobject_cast<QPrintPreviewDialog*>(d) != nullptr;
        d->reject();
    });
    dialogs.printPreview(nullptr, printer, [&](QPrinter* p) {
        ++painted;
        QPainter painter(p);
        painter.drawLine(0, 0, 100, 100);
    });
    EXPECT_TRUE(previewShown);
    EXPECT_GE(painted, 1);
}

} // namespace
