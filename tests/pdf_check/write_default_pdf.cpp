// Writes the paper templates of the three pattern types at the window's
// default inputs into a folder, as type1.pdf, type2.pdf and type3.pdf, for
// checks with an independent PDF renderer.
#include "paint/TemplatePainter.h"
#include "road/Road.h"

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
        const kiv::RoadResult road = kiv::RunRoad(type, kiv::FieldTexts(), "0");
        TemplateDocument doc;
        const TemplateBuild build = MakeTemplate(road.data, type, kiv::kA4, "08.12.2026", doc);
        if (road.confirmation.outcome != kiv::Outcome::Confirmed || build.fault != kiv::DrawingFault::None || !build.fits) {
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
