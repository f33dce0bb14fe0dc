// The script button: the file it writes in the working folder and its caption.
#include "WindowFixture.h"
#include "tests/support/default_scripts.h"

#include "script/Script.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QStringList FolderEntries() {
    QStringList entries =
        QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

struct ScriptCase {
    const char* name;
    int type;
    const char* file;
    int lines;
};

class ScriptButton : public OpenWindowTest, public ::testing::WithParamInterface<ScriptCase> {};

void PrintTo(const ScriptCase& c, std::ostream* os) {
    *os << c.name;
}

TEST_P(ScriptButton, WritesTheConfirmedPatternUnderItsName) {
    const ScriptCase& c = GetParam();
    confirm(c.type);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    clickButton("ButtonFileSCR");
    EXPECT_TRUE(messages.shown.empty()) << messageLog();

    const QString name = QString::fromLatin1(c.file);
    EXPECT_EQ(form->ButtonFileSCR->text(),
              QStringLiteral("Файл  \"") + name + QStringLiteral("\""));
    ASSERT_TRUE(QFileInfo::exists(name)) << "in " << FolderEntries().join(' ').toStdString();
    const QByteArray bytes = ReadAll(name);

    const std::string expected = kiv::ScriptBytes(form->RaschetData, c.type);
    EXPECT_EQ(bytes.toStdString(), expected);
    EXPECT_EQ(bytes.count("\r\n"), c.lines);
    EXPECT_EQ(bytes.count('\n'), c.lines) << "every line ends with CR LF";
    EXPECT_EQ(bytes.count('\r'), c.lines);
    // Every pattern starts alike and ends with the setting from Kiv_ini.txt.
    EXPECT_TRUE(
        bytes.startsWith("_osmode\r\n0\r\n_pline\r\n200.0000,0.0000\r\n238.7426,196.2117\r\n"))
        << bytes.left(80).toStdString();
    EXPECT_TRUE(bytes.endsWith("_osmode\r\n4133\r\n"));

    // A second press rewrites the file whole, whatever was there.
    QFile spoiled(name);
    ASSERT_TRUE(spoiled.open(QIODevice::WriteOnly | QIODevice::Truncate));
    spoiled.write(QByteArray(10000, 'x'));
    spoiled.close();
    clickButton("ButtonFileSCR");
    EXPECT_EQ(ReadAll(name), bytes);
    EXPECT_EQ(FolderEntries(), QStringList({name, QStringLiteral("Kiv_ini.txt")}));
}

INSTANTIATE_TEST_SUITE_P(Window, ScriptButton,
                         ::testing::Values(ScriptCase{"Type1", 1, "200x400x100x0.5.scr", 29},
                                           ScriptCase{"Type2", 2, "200x400x100x0.5x3x2.scr", 40},
                                           ScriptCase{"Type3", 3, "200x400x100x0.5x3x2x2.scr", 58}),
                         [](const auto& info) { return std::string(info.param.name); });

// The type-1 file of the default hood line by line, as AutoCAD will read it.
TEST_F(OpenWindowTest, DefaultType1ScriptLineByLine) {
    confirm(1);
    clickButton("ButtonFileSCR");
    const QList<QByteArray> lines = ReadAll(QStringLiteral("200x400x100x0.5.scr")).split('\n');
    std::vector<std::string> expected = kiv::test::kHeaderOutlineFolds;
    expected.push_back("_osmode");
    expected.push_back("4133");
    ASSERT_EQ(lines.size(), 30); // 29 lines and nothing after the last line end
    for (int i = 0; i < 29; ++i)
        EXPECT_EQ(lines[i], QByteArray::fromStdString(expected[static_cast<std::size_t>(i)]) + '\r')
            << "line " << i + 1;
    EXPECT_TRUE(lines[29].isEmpty());
}

TEST_F(OpenWindowTest, FileNameFollowsTheTextsNotTheValues) {
    retype("EditL1", "200.0");
    retype("EditS", ".5");
    confirm(1);
    clickButton("ButtonFileSCR");
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("200.0x400x100x.5.scr")))
        << FolderEntries().join(' ').toStdString();
    EXPECT_EQ(form->ButtonFileSCR->text(), QStringLiteral("Файл  \"200.0x400x100x.5.scr\""));
}

// Two hoods whose joined texts differ only after the 46th character used to
// share one cut name, so the second script silently replaced the first. The
// caption and the DXF and PDF proposals name the same file as the script.
TEST_F(OpenWindowTest, LongNamedHoodsWriteTwoFiles) {
    const struct {
        const char* wire;
        const char* base;
    } hoods[] = {{"2.5", "2345.6789x3456.7891x1234.5678x0.55x12~cc741d8a"},
                 {"2.6", "2345.6789x3456.7891x1234.5678x0.55x12~557d4c30"}};
    retype("EditH", "1234.5678");
    retype("EditL1", "2345.6789");
    retype("EditL2", "3456.7891");
    retype("EditS", "0.55");
    clickTab(2);
    retype("LEditAllP1", "12.345");
    retype("LEditAllP2", "10.123");
    for (const auto& hood : hoods) {
        SCOPED_TRACE(hood.wire);
        const QString base = QString::fromLatin1(hood.base);
        retype("LEditAllD", QString::fromLatin1(hood.wire));
        confirm(3);
        clickButton("ButtonFileSCR");
        ASSERT_TRUE(messages.shown.empty()) << messageLog();
        EXPECT_EQ(form->ButtonFileSCR->text(), QStringLiteral("Файл  \"%1.scr\"").arg(base));
        EXPECT_EQ(ReadAll(base + QStringLiteral(".scr")).toStdString(),
                  kiv::ScriptBytes(form->RaschetData, 3));
        dialogs.asked.clear();
        form->ActionExportDXF->trigger();
        form->ActionTemplatePDF->trigger();
        ASSERT_EQ(dialogs.asked.size(), 2u) << messageLog();
        EXPECT_EQ(dialogs.asked[0].proposed, QDir(workDir).filePath(base + QStringLiteral(".dxf")));
        EXPECT_EQ(dialogs.asked[1].proposed, QDir(workDir).filePath(base + QStringLiteral(".pdf")));
        clickButton("ButtonNewRaschet");
    }
    EXPECT_EQ(FolderEntries().size(), 3u) << FolderEntries().join(' ').toStdString();
}

TEST_F(OpenWindowTest, EmptySettingValueEndsTheScriptWithAnEmptyLine) {
    form->RaschetData.OsmodeValue.clear();
    confirm(1);
    clickButton("ButtonFileSCR");
    EXPECT_TRUE(ReadAll(QStringLiteral("200x400x100x0.5.scr"))
                    .endsWith("-200.0000,0.0000\r\n\r\n_osmode\r\n\r\n"));
}

// A folder in the way of the file: the user must learn that nothing was
// written, and the button must not claim a file that does not exist.
TEST_F(OpenWindowTest, UnwritableScriptIsReportedAndTheCaptionRestored) {
    const QString name = QStringLiteral("200x400x100x0.5.scr");
    ASSERT_TRUE(QDir::current().mkdir(name));
    confirm(1);
    ASSERT_TRUE(messages.shown.empty()) << messageLog();
    const QString before = form->ButtonFileSCR->text();

    clickButton("ButtonFileSCR");
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_EQ(messages.shown[0].kind, Messages::Kind::Plain);
    EXPECT_EQ(messages.shown[0].caption, kTitle);
    EXPECT_TRUE(messages.shown[0].text.contains(name)) << messageLog();
    EXPECT_TRUE(messages.shown[0].text.contains(QStringLiteral("папка с таким именем")))
        << messageLog();
    EXPECT_EQ(form->ButtonFileSCR->text(), before);
    EXPECT_TRUE(QFileInfo(name).isDir());
    EXPECT_TRUE(QDir(name).isEmpty());
    EXPECT_EQ(FolderEntries(), QStringList({name, QStringLiteral("Kiv_ini.txt")}))
        << "no temporary file may stay behind";
    // The window stays confirmed: the user can clear the way and press again.
    EXPECT_TRUE(form->ButtonFileSCR->isEnabled());
    ASSERT_TRUE(QDir::current().rmdir(name));
    clickButton("ButtonFileSCR");
    EXPECT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_TRUE(QFileInfo(name).isFile());
    EXPECT_EQ(form->ButtonFileSCR->text(),
              QStringLiteral("Файл  \"") + name + QStringLiteral("\""));
}

// After a new calculation the button is disabled; a press by other means
// before any confirmation writes nothing.
TEST_F(OpenWindowTest, NothingToWriteBeforeAConfirmation) {
    form->ButtonFileSCRClick();
    EXPECT_EQ(FolderEntries(), QStringList({QStringLiteral("Kiv_ini.txt")}));
    EXPECT_EQ(form->ButtonFileSCR->text(), QStringLiteral("Файл развертки \"по точкам\""));
}

} // namespace
