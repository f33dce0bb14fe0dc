// The paper template from the menu: saved as PDF where the dialog says, and
// printed through the preview, both at the layout's page count.
#include "WindowFixture.h"
#include "tests/support/checkers.h"

#include "paint/TemplatePainter.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Pages of a PDF as Qt writes it: one page object per page.
int PdfPages(const QByteArray& pdf) {
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int pages = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(pdf)); it.hasNext(); it.next())
        ++pages;
    return pages;
}

int ExpectedPages(const kiv::RaschetData& d, int type) {
    TemplateDocument doc;
    MakeTemplate(d, type, kiv::kA4, "", doc);
    return static_cast<int>(doc.layout.pages.size());
}

class TemplateFromMenu : public OpenWindowTest, public ::testing::WithParamInterface<int> {};

TEST_P(TemplateFromMenu, PdfGoesWhereTheDialogSays) {
    const int type = GetParam();
    confirm(type);
    const QString path = QDir(workDir).filePath(QStringLiteral("шаблон.pdf"));
    dialogs.answer = path;
    form->ActionTemplatePDF->trigger();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].caption, QStringLiteral("Шаблон в PDF"));
    EXPECT_TRUE(dialogs.asked[0].proposed.endsWith(QStringLiteral(".pdf")));
    EXPECT_EQ(QFileInfo(dialogs.asked[0].proposed).dir(), QDir(workDir));
    EXPECT_EQ(dialogs.asked[0].suffix, QStringLiteral("pdf"));
    EXPECT_TRUE(messages.shown.empty()) << messageLog();

    const QByteArray pdf = ReadAll(path);
    ASSERT_TRUE(pdf.startsWith("%PDF-")) << "no PDF at " << path.toStdString();
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
    const int pages = ExpectedPages(form->RaschetData, type);
    EXPECT_GT(pages, 0);
    EXPECT_EQ(PdfPages(pdf), pages);
}

TEST_P(TemplateFromMenu, PrintGoesThroughThePreview) {
    const int type = GetParam();
    confirm(type);
    form->ButtonNewRaschet->setFocus();
    dialogs.printTo = QDir(workDir).filePath(QStringLiteral("printed.pdf"));
    QTest::keyClick(form->ButtonNewRaschet, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(dialogs.previews, 1);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
    const QByteArray pdf = ReadAll(dialogs.printTo);
    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPages(pdf), ExpectedPages(form->RaschetData, type));
    EXPECT_EQ(form->RaschetData.RazvType, type);

    // The printer's pages are A4 as the layout chose them, read by poppler.
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdfinfo"));
    TemplateDocument doc;
    MakeTemplate(form->RaschetData, type, kiv::kA4, "", doc);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {dialogs.printTo});
    ASSERT_TRUE(info.waitForFinished(10000));
    const QString out = QString::fromLatin1(info.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("(A4)"))) << out.toStdString();
    EXPECT_TRUE(out.contains(doc.layout.landscape ? QStringLiteral("842 x 595")
                                                  : QStringLiteral("595 x 842")))
        << out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Types, TemplateFromMenu, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

// Other paper picked in the preview: the template is laid out anew for it,
// and the title block counts the sheets actually printed.
TEST_F(OpenWindowTest, PrintOnOtherPaperLaysTheTemplateOutAgain) {
    confirm(3);
    dialogs.printTo = QDir(workDir).filePath(QStringLiteral("a3.pdf"));
    dialogs.printPaper = QSizeF(297, 420);
    form->ActionPrintTemplate->trigger();
    ASSERT_EQ(dialogs.previews, 1);
    EXPECT_TRUE(messages.shown.empty()) << messageLog();

    TemplateDocument a3;
    MakeTemplate(form->RaschetData, 3, {297, 420}, "", a3);
    TemplateDocument a4;
    MakeTemplate(form->RaschetData, 3, kiv::kA4, "", a4);
    ASSERT_NE(a3.layout.pages.size(), a4.layout.pages.size()) << "A3 should need fewer sheets";
    EXPECT_EQ(PdfPages(ReadAll(dialogs.printTo)), static_cast<int>(a3.layout.pages.size()));

    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdftotext"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {dialogs.printTo, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(10000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    const QString sheets =
        QStringLiteral("Листов с разверткой: %1 ").arg(a3.layout.rows * a3.layout.columns);
    EXPECT_TRUE(out.contains(sheets)) << out.toStdString();
}

// The print job is named after the hood alone, and printing to a file
// proposes the working folder: a path as the name made Qt join it to the
// home folder and refuse the file.
TEST_F(OpenWindowTest, PrintNamesTheHoodAndProposesTheWorkingFolder) {
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdfinfo"));
    const struct {
        int type;
        const char* name;
    } rows[] = {{1, "200x400x100x0.5"}, {2, "200x400x100x0.5x3x2"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        confirm(r.type);
        dialogs.printTo = QDir(workDir).filePath(QStringLiteral("chosen.pdf"));
        form->ActionPrintTemplate->trigger();
        const QString name = QString::fromLatin1(r.name);
        EXPECT_EQ(dialogs.offeredDocName, name);
        EXPECT_EQ(dialogs.offeredFileName, QDir(workDir).filePath(name + QStringLiteral(".pdf")));

        // The PDF printed where the user chose carries the hood's name.
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {dialogs.printTo});
        ASSERT_TRUE(info.waitForFinished(10000));
        const QString out = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("Title:\\s+") +
                                                    QRegularExpression::escape(name) +
                                                    QStringLiteral("\n"))))
            << out.toStdString();
        clickButton("ButtonNewRaschet");
    }
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

TEST_F(OpenWindowTest, PrintKeyDoesNothingBeforeConfirmation) {
    QLineEdit* f = field("EditH");
    f->setFocus();
    QTest::keyClick(f, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(dialogs.previews, 0);
    EXPECT_EQ(f->text(), QStringLiteral("100"));
    EXPECT_TRUE(messages.shown.empty()) << messageLog();
}

TEST_F(OpenWindowTest, CancelledOrFailedPdfLeavesNoFile) {
    confirm(1);
    form->ActionTemplatePDF->trigger(); // the dialog is cancelled
    EXPECT_EQ(dialogs.asked.size(), 1u);
    EXPECT_TRUE(QDir(workDir).entryList({QStringLiteral("*.pdf")}).isEmpty());
    EXPECT_TRUE(messages.shown.empty()) << messageLog();

    dialogs.answer = QDir(workDir).filePath(QStringLiteral("no such folder/t.pdf"));
    form->ActionTemplatePDF->trigger();
    ASSERT_EQ(messages.shown.size(), 1u) << messageLog();
    EXPECT_TRUE(
        messages.shown[0].text.startsWith(QStringLiteral("Не удалось записать файл\rt.pdf:\r")));
    EXPECT_FALSE(QFileInfo::exists(dialogs.answer));
}

// A tall hood's sheets in the corners carry no line: they are not printed,
// and the title block's map names only the sheets that are.
TEST(TemplateBlankSheets, AreNotPrintedAndTheMapNamesTheRest) {
    kiv::RaschetData d;
    d.S = 0.5;
    d.H = 1000;
    d.L1 = 200;
    d.L2 = 400;
    TemplateDocument doc;
    ASSERT_EQ(MakeTemplate(d, 1, kiv::kA4, "08.12.2026", doc).fault, kiv::DrawingFault::None);
    QSet<QString> printed, grid;
    for (const auto& p : doc.layout.pages) {
        if (p.pattern)
            printed.insert(QString::fromStdString(p.label));
    }
    grid = printed;
    for (const auto& p : doc.layout.leftOut)
        grid.insert(QString::fromStdString(p.label));
    ASSERT_EQ(grid.size(), 28);
    ASSERT_EQ(printed.size(), 21);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tall.pdf"));
    QFile file(path);
    const QByteArray pdf = TemplatePdf(doc, QStringLiteral("tall"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(pdf) == pdf.size());
    file.close();
    EXPECT_EQ(PdfPages(pdf), static_cast<int>(doc.layout.pages.size()));

    // The first page carries the title block; of the grid's labels it shows
    // exactly the printed ones (its own label among them).
    KIV_SKIP_IF_MISSING(kiv::test::MissingProgram("pdftotext"));
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                QStringLiteral("1"), path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(10000));
    // The title lines name the blank "B1 x B2" too: only a label beyond
    // their words is the map's.
    const QRegularExpression space(QStringLiteral("\\s+"));
    QMap<QString, int> count;
    for (const QString& word : QString::fromUtf8(text.readAllStandardOutput()).split(space))
        ++count[word];
    for (const std::string& line : doc.titleLines) {
        for (const QString& word : QString::fromStdString(line).split(space))
            --count[word];
    }
    QSet<QString> shown;
    for (const QString& label : grid) {
        if (count.value(label) > 0)
            shown.insert(label);
    }
    EXPECT_EQ(shown, printed);
}

} // namespace
