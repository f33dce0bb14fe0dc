#include "paint/SheetPainter.h"

#include "paint/TemplatePainter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPen>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPageW = 297, kPageH = 210; // landscape A4, mm
constexpr double kEdge = 12;                 // white border, mm
constexpr double kHead = 14;                 // room for the heading, mm

QPointF At(kiv::Point p, double scale, double originX, double originY, double width) {
    // The sheet's y runs up; the page's runs down.
    return {originX + p.x / scale, originY + (width - p.y) / scale};
}

// Texts are set in a 100-pixel font scaled to their height on paper (mm),
// centred on `at` or from its left.
void Text(QPainter& p, QPointF at, double height, const QString& s, bool centred) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(100);
    p.save();
    p.translate(at);
    p.scale(height / 100 * 1.4, height / 100 * 1.4);
    p.setFont(f);
    const QRectF r = p.boundingRect(QRectF(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, s);
    const QPointF origin =
        centred ? QPointF(-r.width() / 2, -r.height() / 2) : QPointF(0, -r.height() / 2);
    p.drawText(QRectF(origin, r.size()), Qt::AlignLeft | Qt::AlignTop, s);
    p.restore();
}

} // namespace

double SheetScale(double length, double width) {
    const double roomW = kPageW - 2 * kEdge, roomH = kPageH - 2 * kEdge - kHead;
    const double needed = std::max({length / roomW, width / roomH, 1e-9});
    for (double decade = 1;; decade *= 10) {
        for (double step : {1.0, 2.0, 2.5, 5.0}) {
            if (step * decade >= needed)
                return step * decade;
        }
    }
}

namespace {

// One sheet: the heading with the scale, the sheet's outline, each part's
// contour filled with its lines over it, and the parts' labels last.
void PaintSheet(QPainter& p, const SheetPage& page) {
    const double scale = SheetScale(page.length, page.width);
    const double ox = kEdge, oy = kEdge + kHead;

    p.setPen(QPen(Qt::black, 0.2));
    Text(p, QPointF(kEdge, kEdge + kHead / 2), 3,
         page.heading + QStringLiteral("   Масштаб 1:%1").arg(scale), false);

    p.setPen(QPen(Qt::gray, 0.3));
    p.drawRect(QRectF(ox, oy, page.length / scale, page.width / scale));

    const auto at = [&](kiv::Point q) { return At(q, scale, ox, oy, page.width); };
    const auto line = [&](const kiv::Segment& s) { p.drawLine(at(s.a), at(s.b)); };
    for (const kiv::SheetPart& part : page.parts) {
        const kiv::ShopDrawing& d = part.drawing;
        QPainterPath outline;
        for (std::size_t k = 0; k < d.contour.size(); ++k) {
            const QPointF q = at(d.contour[k]);
            if (k == 0)
                outline.moveTo(q);
            else
                outline.lineTo(q);
        }
        outline.closeSubpath();
        p.setPen(QPen(Qt::black, 0.25));
        p.fillPath(outline, QColor(0xE8, 0xEE, 0xF4));
        p.drawPath(outline);
        for (std::size_t k = 1; k < d.slit.size(); ++k)
            line({d.slit[k - 1], d.slit[k]});
        const struct {
            const std::vector<kiv::Segment>* lines;
            QColor colour;
        } kinds[] = {{&d.folds, Qt::red}, {&d.seams, Qt::darkGreen}, {&d.wires, Qt::blue}};
        for (const auto& kind : kinds) {
            QPen pen(kind.colour, 0.15, Qt::DashLine);
            p.setPen(pen);
            for (const auto& s : *kind.lines)
                line(s);
        }
    }
    // Labels last, over every line.
    p.setPen(Qt::black);
    for (const kiv::SheetPart& part : page.parts)
        Text(p, at(kiv::LabelPoint(part.drawing)), 2.5, QString::fromStdString(part.label), true);
}

} // namespace

QByteArray SheetsPdf(const std::vector<SheetPage>& pages, const QString& title) {
    return PdfBytes(title, [&](QPdfWriter& pdf) {
        const QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                 QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        QPainter p;
        if (!BeginPages(pdf, layout, p))
            return false;
        // Paint in millimetres.
        const double dots = pdf.resolution() / 25.4;
        p.scale(dots, dots);
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (i > 0)
                pdf.newPage();
            PaintSheet(p, pages[i]);
        }
        return p.end();
    });
}
