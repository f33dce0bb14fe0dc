#include "app/SaveFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>

namespace {

// Whether `folder` is no longer there. A deleted working folder still answers
// as "." to the process that stands in it, so a folder that the file system
// no longer links anywhere counts as gone too.
bool FolderGone(const QString& folder) {
    struct stat st {};
    if (folder.isEmpty() || ::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return true;
    return !S_ISDIR(st.st_mode) || st.st_nlink == 0;
}

} // namespace

QString SaveFailure(const QString& path, const QString& qtReason) {
    const QFileInfo target(path);
    // The folder first: with the folder gone every other test of the name
    // fails too and would blame the disk.
    const QString folder = target.absolutePath();
    const QFileInfo folderInfo(folder);
    QString why;
    if (FolderGone(folder))
        why = QString::fromUtf8("папка, в которую записывается файл, больше не существует");
    else if (target.isSymLink() && !target.exists())
        why = QString::fromUtf8("имя файла занято ссылкой на несуществующий файл");
    else if (target.isDir())
        why = QString::fromUtf8("в папке уже есть папка с таким именем");
    else if (target.exists() && !target.isWritable())
        why = QString::fromUtf8("файл защищен от записи");
    else if (!folderInfo.isWritable())
        why = QString::fromUtf8("нет права записи в папку");
    else
        why = QString::fromUtf8("ошибка записи на диск (возможно, диск переполнен)");
    return qtReason.isEmpty() ? why : why + QStringLiteral(" (") + qtReason + QLatin1Char(')');
}

bool SaveWhole(const QString& path, const std::string& bytes, QString& reason) {
    // A write-protected file is the user's to keep: replacing it through a
    // rename would go round the protection.
    const QFileInfo existing(path);
    if (existing.exists() && existing.isFile() && !existing.isWritable()) {
        reason = SaveFailure(path, QString());
        return false;
    }
    QSaveFile file(path);
    const auto size = static_cast<qint64>(bytes.size());
    if (!file.open(QIODevice::WriteOnly)) {
        reason = SaveFailure(path, file.errorString());
        return false;
    }
    // The explicit flush matters: on a full disk this Qt's commit() reports
    // success after a failed final write and replaces the old file with an
    // empty one.
    if (file.write(bytes.data(), size) != size || !file.flush()) {
        reason = SaveFailure(path, file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        reason = SaveFailure(path, file.errorString());
        return false;
    }
    return true;
}
