#include "app/TQMRZL.h"
#include "app/TQMRZLParts.h"

#include "app/FileDialogs.h"
#include "app/HoodView3D.h"
#include "app/Messages.h"
#include "app/PatternView.h"
#include "export/Dxf.h"
#include "export/ShopDrawing.h"
#include "export/Template.h"
#include "export/TitleBlock.h"
#include "input/SaveFile.h"
#include "paint/TemplatePainter.h"
#include "report/Dates.h"
#include "report/Texts.h"
#include "road/Road.h"
#include "script/Script.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>

#include <algorithm>
#include <optional>

using form1::FromUtf8;

// Script file

void TForm1::ButtonFileSCRClick() {
    guarded([&] {
        if (RaschetData.RazvType == 1)
            RazvNoneSCR();
        else if (RaschetData.RazvType == 2)
            RazvFalthSCR();
        else if (RaschetData.RazvType == 3)
            RazvAllSCR();
    });
}

void TForm1::RazvNoneSCR() {
    writeScript(1);
}
void TForm1::RazvFalthSCR() {
    writeScript(2);
}
void TForm1::RazvAllSCR() {
    writeScript(3);
}

QString TForm1::scriptName(int type) const {
    return FromUtf8(kiv::ScriptNameOf(type, fieldTexts()));
}

bool TForm1::saveOrTell(const QString& path, const std::string& bytes) {
    std::string reason;
    if (kiv::SaveWhole(QFile::encodeName(path).toStdString(), bytes, reason))
        return true;
    plainMessage(QString::fromUtf8("Не удалось записать файл\r") + QFileInfo(path).fileName() +
                 QString::fromUtf8(":\r") + FromUtf8(reason));
    return false;
}

void TForm1::writeScript(int type) {
    const QString fileName = scriptName(type);
    const QString previousCaption = ButtonFileSCR->text();
    ButtonFileSCR->setText(FromUtf8(kiv::ScriptButtonCaption(fileName.toStdString())));

    if (!saveOrTell(QDir::current().filePath(fileName), kiv::ScriptBytes(RaschetData, type))) {
        // The caption names a file only when that file was written.
        ButtonFileSCR->setText(previousCaption);
    }
}

// ---------------------------------------------------------------------------
// Shop outputs

bool TForm1::confirmedPattern(int& type) const {
    type = confirmedType_;
    return kiv::PatternTypeOf(type).has_value();
}

QString TForm1::proposedPath(int type, const char* extension) const {
    return QDir::current().filePath(
        FromUtf8(kiv::OutputFileName(kiv::ScriptNameOf(type, fieldTexts()), extension)));
}

namespace {

// The date in a template's title block, as the user reads it.
std::string Today() {
    return kiv::TitleDate();
}

QString ProgramFault(const char* what, kiv::DrawingFault fault) {
    return FromUtf8(kiv::NotWrittenText(what) + "\r" + kiv::DrawingFaultText(fault));
}

// Where the user wants a shop output saved, `proposed` first; empty when
// the dialog is cancelled.
QString AskWhere(FileDialogs& dialogs, QWidget* parent, const char* caption,
                 const QString& proposed, const char* filter, const char* extension) {
    return dialogs.saveFileName(parent, QString::fromUtf8(caption), proposed,
                                QString::fromUtf8(filter), QString::fromLatin1(extension));
}

} // namespace

void TForm1::ExportDXFClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        // The export reads the confirmed pattern and leaves the window's
        // state alone: the calculation runs again on a copy, which gives the
        // same points and the blank the contour is checked against.
        kiv::OutputRequest request;
        request.dxf = true;
        const kiv::HoodOutputs dxf = kiv::Produce(RaschetData, type, request);
        if (dxf.fault != kiv::DrawingFault::None) {
            messages_.show(Messages::Kind::Error, title_, ProgramFault("файл DXF", dxf.fault));
            return;
        }
        const QString path = AskWhere(*dialogs_, this, "Экспорт DXF", proposedPath(type, "dxf"),
                                      "Чертеж DXF (*.dxf)", "dxf");
        if (!path.isEmpty())
            saveOrTell(path, dxf.dxf);
    });
}

bool TForm1::templateOf(int type, kiv::Paper paper, kiv::TemplateDocument& doc) {
    const TemplateBuild build = MakeTemplate(RaschetData, type, paper, Today(), doc);
    if (build.fault != kiv::DrawingFault::None) {
        messages_.show(Messages::Kind::Error, title_, ProgramFault("шаблон", build.fault));
        return false;
    }
    if (!build.fits) {
        plainMessage(QString::fromUtf8(
            "Шаблон не помещается на выбранную бумагу:\rслишком много листов или слишком "
            "маленький лист."));
        return false;
    }
    return true;
}

void TForm1::TemplatePDFClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        TemplateDocument doc;
        if (!templateOf(type, kiv::kA4, doc))
            return;
        const QString path = AskWhere(*dialogs_, this, "Шаблон в PDF", proposedPath(type, "pdf"),
                                      "Документ PDF (*.pdf)", "pdf");
        if (path.isEmpty())
            return;
        const QByteArray pdf = TemplatePdf(doc, QFileInfo(path).completeBaseName());
        if (pdf.isEmpty()) {
            messages_.show(Messages::Kind::Error, title_, FromUtf8(kiv::NotWrittenText("шаблон")));
            return;
        }
        saveOrTell(path, pdf.toStdString());
    });
}

void TForm1::PrintTemplateClick() {
    guarded([&] {
        int type = 0;
        if (!confirmedPattern(type))
            return;
        QPrinter printer(QPrinter::HighResolution);
        printer.setPageSize(
            QPageSize(QSizeF(kiv::kA4.width, kiv::kA4.height), QPageSize::Millimeter));
        // The document is the hood: its name alone titles the preview, the
        // print job and a PDF printed from it. Printing to a file proposes
        // the working folder; a real printer, where there is one, stays the
        // one the print dialog offers first.
        const QString proposed = proposedPath(type, "pdf");
        printer.setDocName(QFileInfo(proposed).completeBaseName());
        printer.setOutputFileName(proposed);
        if (!QPrinterInfo::availablePrinterNames().isEmpty())
            printer.setOutputFormat(QPrinter::NativeFormat);
        // Checked once before the preview opens, so a faulty drawing is one
        // message, not one per repaint.
        TemplateDocument doc;
        if (!templateOf(type, kiv::kA4, doc))
            return;
        dialogs_->printPreview(this, printer, [&](QPrinter* p) {
            // The paper the user picked in the preview, as sold (portrait).
            const QSizeF size = p->pageLayout().pageSize().size(QPageSize::Millimeter);
            const kiv::Paper paper = kiv::AsSold(size.width(), size.height());
            // Laid out again, title lines included (they count the sheets).
            // Paper the template cannot use leaves the preview empty.
            if (paper.width != doc.options.paper.width ||
                paper.height != doc.options.paper.height) {
                const TemplateBuild build = MakeTemplate(RaschetData, type, paper, Today(), doc);
                if (build.fault != kiv::DrawingFault::None || !build.fits)
                    return;
            }
            PaintTemplate(*p, doc);
        });
    });
}

// ---------------------------------------------------------------------------
// Views

namespace {

std::optional<ConfirmedPattern> Confirmed(const kiv::RaschetData& state, int type, bool confirmed,
                                          QString name) {
    if (!confirmed || !kiv::PatternTypeOf(type))
        return std::nullopt;
    // Calculated on a copy: the script button is enabled before the
    // confirmation has computed its points, and a view must never touch the
    // window's own state.
    ConfirmedPattern p{state, type, std::move(name), {}};
    const kiv::CalcResult calc = kiv::Calculate(p.data, type);
    if (calc.status != kiv::CalcStatus::Ok)
        return std::nullopt;
    p.summary = calc.summary;
    return p;
}

} // namespace

void TForm1::syncViews() {
    if (patternView_ == nullptr && hoodView_ == nullptr)
        return;
    int type = 0;
    const bool confirmed = confirmedPattern(type);
    QString name = confirmed ? scriptName(type) : QString();
    if (name.endsWith(QStringLiteral(".scr")))
        name.chop(4);
    const auto pattern = Confirmed(RaschetData, type, confirmed, name);
    if (patternView_ != nullptr)
        patternView_->setPattern(pattern);
    if (hoodView_ != nullptr)
        hoodView_->setPattern(pattern);
}

namespace {

// Esc closes a view window: the key press that none of its controls took
// reaches the window itself.
class EscCloses : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto* k = static_cast<const QKeyEvent*>(e);
        if (k->key() != Qt::Key_Escape || k->modifiers() != Qt::NoModifier)
            return false;
        static_cast<QWidget*>(watched)->close();
        return true;
    }
};

} // namespace

void TForm1::shareMenu(QWidget* view) {
    // The menu's own actions, not copies: a shortcut typed in the view does
    // what the menu does and is disabled exactly when the menu's command is.
    // Each fires only while its window is the active one, so none acts
    // behind a modal box or dialog of the program.
    view->addActions({ActionFileSCR, ActionExportDXF, ActionPrintTemplate, ActionTemplatePDF,
                      ActionNestSheets, ActionExit, ActionPatternView, ActionHoodView3D, ActionHelp,
                      ActionAbout});
    view->installEventFilter(new EscCloses(view));
}

template <class View> void TForm1::openView(View*& view) {
    guarded([&] {
        if (view == nullptr) {
            view = new View(this);
            shareMenu(view);
            syncViews();
        }
        view->show();
        view->raise();
        view->activateWindow();
    });
}

void TForm1::PatternViewClick() {
    openView(patternView_);
}

void TForm1::HoodView3DClick() {
    openView(hoodView_);
}

// ---------------------------------------------------------------------------
