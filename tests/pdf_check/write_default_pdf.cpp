// Writes the paper templates of the three pattern types at the window's
// default inputs into a folder, as type1.pdf, type2.pdf and type3.pdf, for
// checks with an independent PDF renderer.
#include "app/TemplatePainter.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    for (int type = 1; type <= 3; ++type) {
        kiv::RaschetData d;
        d.S = 0.5;
        d.H = 100;
        d.L1 = 200;
        d.L2 = 400;
        d.FalthP1 = 3;
        d.FalthP2 = 2;
        d.AllP1 = 3;
        d.AllP2 = 2;
        d.AllD = 2;
        d.RazvType = type;
        TemplateDocument doc;
        const TemplateBuild build = MakeTemplate(d, type, kiv::kA4, "08.12.2026", doc);
        if (build.fault != kiv::DrawingFault::None || !build.fits) {
            std::fprintf(stderr, "type %d: no template\n", type);
            return 1;
        }
        const QByteArray pdf = TemplatePdf(doc, QStringLiteral("type%1").arg(type));
        QFile file(QString::fromLocal8Bit(argv[1]) + QStringLiteral("/type%1.pdf").arg(type));
        if (pdf.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) {
            std::fprintf(stderr, "type %d: not written\n", type);
            return 1;
        }
        std::printf("type%d.pdf: %d pages, %s\n", type, static_cast<int>(doc.layout.pages.size()),
                    doc.layout.landscape ? "landscape" : "portrait");
    }
    return 0;
}
