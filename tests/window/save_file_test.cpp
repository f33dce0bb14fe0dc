// Saving an output file: whole or not at all, and a failure named by its real
// cause, whatever has the file's name or has happened to its folder.
#include "app/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>

namespace {

const QByteArray kOld = QByteArrayLiteral("the user's old file\r\n");
const std::string kNew = "_osmode\r\n0\r\n";

QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArrayLiteral("<cannot read>");
}

void Write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

struct SaveCase {
    const char* name;
    // Prepares the folder; returns the path to save to.
    std::function<QString(const QDir& folder)> arrange;
    bool saved;
    const char* reason; // a part of the reason on failure
    // What the name holds afterwards; nullptr: nothing may be there.
    const char* after;
};

void PrintTo(const SaveCase& c, std::ostream* os) {
    *os << c.name;
}

class Save : public ::testing::TestWithParam<SaveCase> {};

TEST_P(Save, WholeOrNotAtAllWithTheRealReason) {
    const SaveCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString before = QDir::currentPath();
    const QString path = c.arrange(QDir(dir.path()));
    QString reason;
    EXPECT_EQ(SaveWhole(path, kNew, reason), c.saved) << reason.toStdString();
    QDir::setCurrent(dir.path());
    if (c.saved) {
        EXPECT_TRUE(reason.isEmpty()) << reason.toStdString();
    } else {
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reason))) << reason.toStdString();
        EXPECT_FALSE(reason.contains(QString::fromUtf8("переполнен"))) << reason.toStdString();
    }
    if (c.after == nullptr) {
        EXPECT_FALSE(QFileInfo::exists(path));
    } else if (QFileInfo(path).isFile()) {
        EXPECT_EQ(Contents(path), QByteArray(c.after));
    }
    // Only the name itself may have changed: no temporary file stays behind.
    const QStringList left = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden |
                                                        QDir::NoDotAndDotDot | QDir::System);
    for (const QString& entry : left)
        EXPECT_FALSE(entry.contains(QStringLiteral(".scr."))) << entry.toStdString();
    QDir::setCurrent(before);
}

const char* const kNewText = "_osmode\r\n0\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Save,
    ::testing::Values(
        SaveCase{"NewFile", [](const QDir& d) { return d.filePath("a.scr"); }, true, "", kNewText},
        SaveCase{"ReplacesTheOldFile",
                 [](const QDir& d) {
                     Write(d.filePath("a.scr"), kOld);
                     return d.filePath("a.scr");
                 },
                 true, "", kNewText},
        SaveCase{"FolderInTheWay",
                 [](const QDir& d) {
                     d.mkdir("a.scr");
                     return d.filePath("a.scr");
                 },
                 false, "папка с таким именем", ""},
        // The working folder deleted while the program runs used to be
        // reported as a full disk.
        SaveCase{"FolderDeleted",
                 [](const QDir& d) {
                     d.mkdir("work");
                     QString path = d.filePath("work/a.scr");
                     QDir(d.filePath("work")).removeRecursively();
                     return path;
                 },
                 false, "папка, в которую записывается файл, больше не существует", nullptr},
        // The same as the program meets it: the folder is its working
        // folder, and the path is relative.
        SaveCase{"WorkingFolderDeleted",
                 [](const QDir& d) {
                     d.mkdir("work");
                     QDir::setCurrent(d.filePath("work"));
                     QDir(d.filePath("work")).removeRecursively();
                     return QDir::current().filePath("a.scr");
                 },
                 false, "папка, в которую записывается файл, больше не существует", nullptr},
        SaveCase{"BrokenLink",
                 [](const QDir& d) {
                     QFile::link(d.filePath("gone/a.scr"), d.filePath("a.scr"));
                     return d.filePath("a.scr");
                 },
                 false, "ссылкой на несуществующий файл", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A link keeps being a link: the file it names gets the new contents.
TEST(Save, ThroughALinkTheLinkStays) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    Write(d.filePath("real.scr"), kOld);
    ASSERT_TRUE(QFile::link(d.filePath("real.scr"), d.filePath("a.scr")));
    QString reason;
    ASSERT_TRUE(SaveWhole(d.filePath("a.scr"), kNew, reason)) << reason.toStdString();
    EXPECT_TRUE(QFileInfo(d.filePath("a.scr")).isSymLink());
    EXPECT_EQ(Contents(d.filePath("real.scr")), QByteArray::fromStdString(kNew));
}

// Write protection is the user's word, also against a rename; root is not
// held back by it, so the case needs an ordinary user.
TEST(Save, WriteProtectedFileIsKept) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes through any protection";
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("a.scr");
    Write(path, kOld);
    ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner));
    QString reason;
    EXPECT_FALSE(SaveWhole(path, kNew, reason));
    EXPECT_TRUE(reason.contains(QString::fromUtf8("защищен от записи"))) << reason.toStdString();
    EXPECT_EQ(Contents(path), kOld);
}

} // namespace
