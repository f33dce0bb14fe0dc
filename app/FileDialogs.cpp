#include "app/FileDialogs.h"

#include <QFileDialog>
#include <QFileInfo>

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
