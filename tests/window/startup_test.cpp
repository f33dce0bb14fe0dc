// The window's first activation reads the settings file of the working folder.
#include "WindowFixture.h"
#include "tests/support/fifo_watchdog.h"

#include <QApplication>
#include <QFile>
#include <QTest>

#include <sys/stat.h>

namespace {

const QString kMissingSettings = QStringLiteral(
    "Не найден файл Kiv_ini.txt!\rЕще раз прочтите пункт 4а)\rописания работы программы.");

struct SettingsCase {
    const char* name;
    QByteArray bytes;
    std::string value;
};

class SettingsFile : public WindowTest, public ::testing::WithParamInterface<SettingsCase> {};

void PrintTo(const SettingsCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(SettingsFile, FirstLineBecomesOsmodeValue) {
    writeSettings(GetParam().bytes);
    open();
    EXPECT_EQ(form->RaschetData.OsmodeValue, GetParam().value);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_TRUE(form->PageControl1->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Window, SettingsFile,
    ::testing::Values(SettingsCase{"DefaultFile", kDefaultSettings, "4133"},
                      SettingsCase{"EightCharactersGiveFirstSix", "12345678\r\n", "123456"},
                      SettingsCase{"ShortFirstLineThenMoreLines", "abc\r\n999999\r\n", "abc"},
                      SettingsCase{"LeadingBlankKeptAndCounted", "  41333\r\n", "  4133"},
                      SettingsCase{"TrailingBlankKept", "4133 \n", "4133 "},
                      SettingsCase{"LineFeedAloneEndsLine", "4133\n77\n", "4133"},
                      SettingsCase{"LoneCarriageReturnDropped", "41\r33\r\n", "4133"},
                      SettingsCase{"LoneCarriageReturnDoesNotCount", "\r\r1\r2345678", "123456"},
                      SettingsCase{"CtrlZEndsFile",
                                   QByteArray("41\x1a"
                                              "33\r\n"),
                                   "41"},
                      SettingsCase{"NoLineEndAtAll", "4133", "4133"},
                      SettingsCase{"EmptyFile", "", ""},
                      SettingsCase{"EmptyFirstLine", "\r\n4133\r\n", ""},
                      SettingsCase{"NotANumberTakenAsIs", "abc,d;x", "abc,d;"},
                      SettingsCase{"BytesCopiedRaw",
                                   QByteArray("\xff\xfe"
                                              "12"),
                                   "\xff\xfe"
                                   "12"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WindowTest, SettingsFolderInsteadOfFileGivesEmptyValueWithoutMessage) {
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    ASSERT_TRUE(QDir(workDir).mkdir(QStringLiteral("Kiv_ini.txt")));
    open();
    EXPECT_EQ(form->RaschetData.OsmodeValue, "");
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_TRUE(form->PageControl1->isEnabled());
}

// A named pipe under the settings file's name used to freeze the window at its
// first activation until something wrote into the pipe.
TEST_F(WindowTest, SettingsPipeNeitherHangsNorCounts) {
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    ASSERT_EQ(::mkfifo("Kiv_ini.txt", 0600), 0);
    kiv::test::FifoWatchdog watchdog(QDir(workDir).filePath("Kiv_ini.txt").toStdString(),
                                     std::chrono::seconds(3));
    open();
    EXPECT_FALSE(watchdog.fired()) << "the first activation waited on the pipe";
    EXPECT_EQ(form->RaschetData.OsmodeValue, "");
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_TRUE(form->PageControl1->isEnabled());
}

TEST_F(WindowTest, MissingSettingsFileLocksThePatternsAfterOneMessage) {
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    open();
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
    EXPECT_EQ(messages.shown[0].caption, kTitle);
    EXPECT_EQ(messages.shown[0].text, kMissingSettings);

    // The tab control and everything on it is out of reach; the page fields
    // themselves were not disabled.
    EXPECT_TRUE(form->PageControl1->testAttribute(Qt::WA_ForceDisabled));
    for (const char* name : {"LEditFalthP1", "LEditAllD", "ImageNone"}) {
        EXPECT_FALSE(control(name)->isEnabled()) << name;
    }
    EXPECT_EQ(form->RaschetData.OsmodeValue, "");

    // The main fields still take typing.
    QTest::keyClicks(form->EditL1, "5");
    EXPECT_EQ(form->EditL1->text(), "2005");

    // A double-click on the locked picture confirms nothing.
    doubleClickPicture("ImageNone");
    EXPECT_EQ(form->RaschetData.RazvType, 0);
    EXPECT_FALSE(form->ButtonNewRaschet->isEnabled());

    // "О программе" still answers.
    clickButton("ButtonAboutProgram");
    ASSERT_EQ(messages.shown.size(), 2u) << messageLog();
    EXPECT_TRUE(messages.shown[1].text.startsWith(QStringLiteral("Программа Kiv_TQMRZL")));
}

TEST_F(WindowTest, MissingSettingsFileIsNotLookedForAgainOnReactivation) {
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    open();
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    // The user creates the file and comes back: it counts only from the next start.
    writeSettings(kDefaultSettings);
    reactivate();
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(form->RaschetData.OsmodeValue, "");
    EXPECT_TRUE(form->PageControl1->testAttribute(Qt::WA_ForceDisabled));
}

TEST_F(OpenWindowTest, SettingsFileReadOnlyAtFirstActivation) {
    ASSERT_EQ(form->RaschetData.OsmodeValue, "4133");
    // Altered and then deleted while the program runs: neither takes effect.
    writeSettings("999\r\n");
    reactivate();
    EXPECT_EQ(form->RaschetData.OsmodeValue, "4133");
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    reactivate();
    clickButton("ButtonAboutProgram"); // a box closes and hands the focus back
    reactivate();
    EXPECT_EQ(form->RaschetData.OsmodeValue, "4133");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_NE(messages.shown[0].text, kMissingSettings);
    EXPECT_TRUE(form->PageControl1->isEnabled());
}

TEST_F(WindowTest, NothingIsReadBeforeTheWindowIsActivated) {
    // A window that was built but never activated has not looked for the file.
    ASSERT_TRUE(QFile::remove(QStringLiteral("Kiv_ini.txt")));
    form = std::make_unique<TForm1>(messages, kTitle);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    EXPECT_TRUE(form->PageControl1->isEnabled());
}

} // namespace
