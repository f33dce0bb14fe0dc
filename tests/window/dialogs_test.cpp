// The real dialogs behind the window's seam: Qt's save dialog and the print
// preview, answered by a timer that acts as the user once they are shown.
#include "app/FileDialogs.h"
#include "app/QtTranslations.h"

#include <QApplication>
#include <QDialog>
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace {

// Calls `answer` with the modal dialog as soon as one is shown.
void AnswerWhenShown(std::function<void(QDialog*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    int ticks = 0;
    QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer), ticks]() mutable {
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

// Qt's dialogs used to speak English in the midst of a Russian program.
TEST(SaveDialog, SpeaksRussian) {
    QTranslator* russian = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(russian, nullptr) << "Debian's qt6-translations-l10n is missing";
    // The other tests read Qt's dialogs in the language they were written in.
    const std::unique_ptr<QTranslator, void (*)(QTranslator*)> uninstall(
        russian, [](QTranslator* t) {
            QCoreApplication::removeTranslator(t);
            delete t;
        });
    QTemporaryDir dir;
    QtFileDialogs dialogs;
    QString nameCaption;
    QStringList buttons;
    AnswerWhenShown([&](QDialog* d) {
        if (auto* l = d->findChild<QLabel*>(QStringLiteral("fileNameLabel")))
            nameCaption = l->text();
        if (auto* box = d->findChild<QDialogButtonBox*>())
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
        d->reject();
    });
    dialogs.saveFileName(nullptr, QStringLiteral("Экспорт DXF"),
                         dir.filePath(QStringLiteral("a.dxf")), QStringLiteral("DXF (*.dxf)"),
                         QStringLiteral("dxf"));
    EXPECT_EQ(nameCaption, QStringLiteral("&Имя файла:"));
    EXPECT_TRUE(buttons.contains(QStringLiteral("&Сохранить"))) << buttons.join(' ').toStdString();
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
