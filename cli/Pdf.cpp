// The one place the command meets Qt: the template is painted by the
// window's own painter on Qt's off-screen platform.
#include "cli/Common.h"

#include "export/ShopDrawing.h"
#include "paint/TemplatePainter.h"
#include "report/Dates.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace kiv::cli {

namespace {

// Qt's own notes (a missing runtime folder and the like) are not the user's
// business on a terminal; its errors still are.
void QuietQt(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

} // namespace

struct PaintSession::Application {
    int argc = 1;
    char name[4] = "kiv";
    char* argv[2] = {name, nullptr};
    QGuiApplication app{argc, argv};
};

PaintSession::PaintSession() {
    // No display is needed for painting into a file.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    qInstallMessageHandler(QuietQt);
    application_ = std::make_unique<Application>();
}

PaintSession::~PaintSession() = default;

bool TemplatePdfBytes(const RaschetData& confirmed, int type, const TemplateOptions& options,
                      const std::string& title, std::string& bytes, std::string& error) {
    TemplateDocument doc;
    doc.options = options;
    const TemplateBuild build = MakeTemplate(confirmed, type, options.paper, Today(), doc);
    if (build.fault != DrawingFault::None) {
        error =
            std::string("Ошибка программы: шаблон не записан.\n") + DrawingFaultText(build.fault);
        return false;
    }
    if (!build.fits) {
        error = "Шаблон не помещается на выбранную бумагу:\nслишком много листов или слишком "
                "маленький лист.";
        return false;
    }
    const QByteArray pdf = TemplatePdf(doc, QString::fromStdString(title));
    if (pdf.isEmpty()) {
        error = kiv::NotWrittenText("шаблон");
        return false;
    }
    bytes.assign(pdf.constData(), static_cast<std::size_t>(pdf.size()));
    FixPdfDate(bytes);
    return true;
}

} // namespace kiv::cli
