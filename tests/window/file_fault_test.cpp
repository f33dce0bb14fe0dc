// File-system faults under the script button and at start-up: a failed save
// must say so, keep an existing script exactly as it was, and leave nothing
// behind; odd settings files must never stop the program.
#include "WindowFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace {

const QString kScript = QStringLiteral("200x400x100x0.5.scr");
const QByteArray kOldScript = QByteArrayLiteral("_osmode\r\n0\r\nthe user's old script\r\n");

// A tiny file system of its own as the working folder: it can be filled up or
// made read-only without touching the machine. Mounting needs root (CI runs as
// root); elsewhere the tests say why they skip.
class MountedFolderTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        mountPoint_ = workDir + QStringLiteral("/mnt");
        ASSERT_TRUE(QDir(workDir).mkdir(QStringLiteral("mnt")));
        if (::mount("tmpfs", mountPoint_.toLocal8Bit().constData(), "tmpfs", 0, "size=16k") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs here: " << std::strerror(errno);
        mounted_ = true;
        outer_ = workDir;
        workDir = mountPoint_;
        ASSERT_TRUE(QDir::setCurrent(mountPoint_));
        writeSettings(kDefaultSettings);
        QFile old(kScript);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(kOldScript);
    }

    void TearDown() override {
        form.reset();
        if (mounted_) {
            workDir = outer_;
            QDir::setCurrent(outer_);
            ::umount(mountPoint_.toLocal8Bit().constData());
        }
        WindowTest::TearDown();
    }

    void remountReadOnly() {
        ASSERT_EQ(::mount("tmpfs", mountPoint_.toLocal8Bit().constData(), "tmpfs",
                          MS_REMOUNT | MS_RDONLY, "size=16k"),
                  0)
            << std::strerror(errno);
    }

    // Fills the file system so that not even one more block fits.
    void fillUp() {
        QFile filler(QStringLiteral("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        QFile probe(QStringLiteral("probe"));
        ASSERT_TRUE(probe.open(QIODevice::WriteOnly));
        probe.write(block);
        ASSERT_FALSE(probe.flush()) << "the folder should be full";
        probe.close();
        probe.remove();
    }

    // A confirmed type 1 and a press of the script button; the press must fail.
    void pressAndExpectFailure(const QStringList& entriesAfter) {
        confirm(1);
        ASSERT_TRUE(messages.shown.empty()) << messageLog();
        const QString before = form->ButtonFileSCR->text();
        clickButton("ButtonFileSCR");
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
        EXPECT_TRUE(messages.shown[0].text.contains(kScript)) << messageLog();
        EXPECT_EQ(form->ButtonFileSCR->text(), before);
        QFile old(kScript);
        ASSERT_TRUE(old.open(QIODevice::ReadOnly));
        EXPECT_EQ(old.readAll(), kOldScript) << "the old script must stay as it was";
        QStringList entries = QDir::current().entryList(
            QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        EXPECT_EQ(entries, entriesAfter) << "no temporary file may stay behind";
    }

    // Old nesting files in the folder, a confirmed type 1 and one copy
    // nested into the working folder; the run must fail with `reason`.
    void nestAndExpectFailure(const char* reason, const QStringList& entriesAfter) {
        const QByteArray oldSheet = QByteArrayLiteral("the old sheet\r\n");
        const QByteArray oldSummary = QByteArrayLiteral("the old summary\r\n");
        confirm(1);
        NestDialog* d = openNest();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->EditFolder->text(), mountPoint_);
        QTest::mouseClick(d->ButtonRun, Qt::LeftButton, {}, d->ButtonRun->rect().center());
        ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
        EXPECT_TRUE(messages.shown[0].text.startsWith(
            QString::fromUtf8("Раскрой не записан:\rне удалось записать файл sheet-1.dxf: ") +
            QString::fromUtf8(reason)))
            << messageLog();
        EXPECT_TRUE(d->isVisible()) << "the dialog stays for another folder";
        EXPECT_EQ(ReadAll(QStringLiteral("sheet-1.dxf")), oldSheet);
        EXPECT_EQ(ReadAll(QStringLiteral("nest-summary.csv")), oldSummary);
        EXPECT_EQ(QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::Hidden |
                                                QDir::NoDotAndDotDot,
                                            QDir::Name),
                  entriesAfter)
            << "no temporary file may stay behind";
    }

    // The files a nesting run finds from an earlier one.
    void writeOldNestFiles() {
        for (const auto& [name, bytes] :
             {std::pair{"sheet-1.dxf", "the old sheet\r\n"},
              std::pair{"nest-summary.csv", "the old summary\r\n"}}) {
            QFile f(QString::fromLatin1(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
    }

private:
    QString mountPoint_;
    QString outer_;
    bool mounted_ = false;
};

TEST_F(MountedFolderTest, ReadOnlyFolder) {
    remountReadOnly();
    open();
    pressAndExpectFailure({kScript, QStringLiteral("Kiv_ini.txt")});
}

// A full disk used to replace the old script with an empty file while the
// button claimed success.
TEST_F(MountedFolderTest, DiskFull) {
    fillUp();
    open();
    pressAndExpectFailure({kScript, QStringLiteral("Kiv_ini.txt"), QStringLiteral("filler")});
}

TEST_F(MountedFolderTest, NestingIntoAReadOnlyFolderKeepsTheOldFiles) {
    writeOldNestFiles();
    remountReadOnly();
    open();
    // The old sheet is the first file the run would replace.
    nestAndExpectFailure("файл защищен от записи",
                         {kScript, QStringLiteral("Kiv_ini.txt"),
                          QStringLiteral("nest-summary.csv"), QStringLiteral("sheet-1.dxf")});
}

TEST_F(MountedFolderTest, NestingOntoAFullDiskKeepsTheOldFiles) {
    writeOldNestFiles();
    fillUp();
    open();
    nestAndExpectFailure("ошибка записи на диск",
                         {kScript, QStringLiteral("Kiv_ini.txt"), QStringLiteral("filler"),
                          QStringLiteral("nest-summary.csv"), QStringLiteral("sheet-1.dxf")});
}

// The same folder with room again: the press replaces the old script whole.
TEST_F(MountedFolderTest, RoomAgainReplacesTheScript) {
    open();
    confirm(1);
    clickButton("ButtonFileSCR");
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    QFile script(kScript);
    ASSERT_TRUE(script.open(QIODevice::ReadOnly));
    EXPECT_TRUE(script.readAll().startsWith("_osmode\r\n0\r\n_pline\r\n200.0000,0.0000\r\n"));
}

// The working folder deleted while the program runs: the message used to
// blame a full disk.
TEST_F(OpenWindowTest, DeletedWorkingFolderIsNamedAsTheReason) {
    confirm(1);
    ASSERT_TRUE(QDir(workDir).removeRecursively());
    clickButton("ButtonFileSCR");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
    EXPECT_TRUE(messages.shown[0].text.contains(kScript)) << messageLog();
    EXPECT_TRUE(messages.shown[0].text.contains(
        QString::fromUtf8("папка, в которую записывается файл, больше не существует")))
        << messageLog();
    EXPECT_EQ(form->ButtonFileSCR->text(), QString::fromUtf8("Файл развертки \"по точкам\""));
}

struct OddSettings {
    const char* name;
    QByteArray bytes;
    QByteArray value;
};

class OddSettingsFile : public WindowTest, public ::testing::WithParamInterface<OddSettings> {};

// Whatever the settings file holds, the program starts without a message and
// takes at most six raw bytes of its first line.
TEST_P(OddSettingsFile, StartsQuietly) {
    writeSettings(GetParam().bytes);
    open();
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_TRUE(form->PageControl1->isEnabled());
    EXPECT_EQ(QByteArray::fromStdString(form->RaschetData.OsmodeValue), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddSettingsFile,
    ::testing::Values(OddSettings{"NulBytes",
                                  QByteArray("4\0\0"
                                             "3\r\n",
                                             6),
                                  QByteArray("4\0\0"
                                             "3",
                                             4)},
                      OddSettings{"MegabyteFirstLine", QByteArray(1 << 20, '7'), "777777"},
                      OddSettings{"OnlyCarriageReturns", "41\r33\r5\r", "41335"},
                      OddSettings{"OnlyCtrlZ",
                                  "\x1a"
                                  "4133\r\n",
                                  ""}),
    [](const ::testing::TestParamInfo<OddSettings>& info) { return std::string(info.param.name); });

} // namespace
