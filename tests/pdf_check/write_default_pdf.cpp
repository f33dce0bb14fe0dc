// Writes the paper templates of the three pattern types at the window's
// default inputs into a folder, as type1.pdf, type2.pdf and type3.pdf, and
// those of a small hood (L1 20, L2 30, H 12), crowded with point names, as
// small-type1.pdf ..., and of a tall one (H 1000), with sheets left out, as
// tall-type1.pdf ..., for checks with an independent PDF renderer.
#include "paint/TemplatePainter.h"
#include "tests/support/engine_fixtures.h"

#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const struct {
        const char* prefix;
        kiv::RaschetData hood;
    } hoods[] = {{"", kiv::test::Defaults()},
                 {"small-", kiv::test::Hood(12, 20, 30)},
                 {"tall-", kiv::test::Hood(1000, 200, 400)}};
    for (int i = 0; i < 9; ++i) {
        const int type = 1 + i % 3;
        const auto& hood = hoods[i / 3];
        const QString name = QString::fromLatin1(hood.prefix) + QStringLiteral("type%1").arg(type);
        kiv::RaschetData d = hood.hood;
        d.RazvType = type;
        TemplateDocument doc;
        const TemplateBuild build = MakeTemplate(d, type, kiv::kA4, "08.12.2026", doc);
        if (build.fault != kiv::DrawingFault::None || !build.fits) {
            std::fprintf(stderr, "%s: no template\n", qPrintable(name));
            return 1;
        }
        const QByteArray pdf = TemplatePdf(doc, name);
        QFile file(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/') + name +
                   QStringLiteral(".pdf"));
        if (pdf.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size()) {
            std::fprintf(stderr, "%s: not written\n", qPrintable(name));
            return 1;
        }
        std::printf("%s.pdf: %d pages, %s\n", qPrintable(name),
                    static_cast<int>(doc.layout.pages.size()),
                    doc.layout.landscape ? "landscape" : "portrait");
    }
    return 0;
}
