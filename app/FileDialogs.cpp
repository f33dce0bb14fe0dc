#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

QString QtFileDialogs::saveFileName(QWidget* parent, const QString& caption,
                                    const QString& proposed, const QString& filter,
                                    const QString& suffix) {
    // Qt's own dialog rather than the desktop's: it asks before replacing a
    // file and looks the same at every workshop's station.
    QFileDialog dialog(parent, caption);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(suffix);
    const QFileInfo offered(proposed);
    dialog.setDirectory(offered.absolutePath());
    dialog.selectFile(offered.fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtFileDialogs::folderName(QWidget* parent, const QString& caption,
                                  const QString& proposed) {
    QFileDialog dialog(parent, caption, proposed);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void QtFileDialogs::printPreview(QWidget* parent, QPrinter& printer,
                                 const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* p) { paint(p); });
    preview.exec();
}
