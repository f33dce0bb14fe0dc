#include "paint/SheetPainter.h"

#include "paint/LinePens.h"
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

using kiv::LineKind;

// Every sheet on a landscape A4 page, which any office printer takes.
constexpr kiv::Paper kPage = kiv::AsLaid(kiv::kA4, true);
constexpr double kEdge = 12; // white border, mm
constexpr double kHead = 14; // room for the heading, mm

// Pens and texts on the page, mm.
constexpr double kPartPen = 0.25; // a part's contour; its other lines in proportion
constexpr double kHeadingPen = 0.2;
constexpr double kHeadingText = 3;
constexpr double kLabelText = 2.5;
// At the sheet's scale the full-size dashes would melt into a line: they
// are never shorter than this on the page.
constexpr double kShortestDash = 0.6;
// The parts stand out from the sheet in a pale steel blue.
const QColor kPartFill(0xE8, 0xEE, 0xF4);

// A line of `kind` on a sheet drawn at 1:`scale`.
QPen PenOf(LineKind kind, double scale) {
    const kiv::LineStyle& style = kiv::StyleOf(kind);
    QPen pen(ColourOf(kind), kPartPen * style.pen);
    if (!style.dash.solid())
        pen.setDashPattern(
            DashPattern(kind, std::max(style.dash.drawn / scale, kShortestDash), pen.widthF()));
    return pen;
}

QPointF At(kiv::Point p, double scale, double originX, double originY, double width) {
    // The sheet's y runs up; the page's runs down.
    return {originX + p.x / scale, originY + (width - p.y) / scale};
}

// Texts are set in the template's font at their height on paper (mm),
// centred on `at` or from its left.
void Text(QPainter& p, QPointF at, double height, const QString& s, bool centred) {
    p.save();
    p.translate(at);
    p.scale(PaperTextScale(height), PaperTextScale(height));
    p.setFont(PaperFont());
    const QRectF r = p.boundingRect(QRectF(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, s);
    const QPointF origin =
        centred ? QPointF(-r.width() / 2, -r.height() / 2) : QPointF(0, -r.height() / 2);
    p.drawText(QRectF(origin, r.size()), Qt::AlignLeft | Qt::AlignTop, s);
    p.restore();
}

} // namespace

double SheetScale(double length, double width) {
    const double roomW = kPage.width - 2 * kEdge, roomH = kPage.height - 2 * kEdge - kHead;
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

    p.setPen(QPen(Qt::black, kHeadingPen));
    Text(p, QPointF(kEdge, kEdge + kHead / 2), kHeadingText,
         page.heading + QStringLiteral("   Масштаб 1:%1").arg(scale), false);

    p.setPen(PenOf(LineKind::Sheet, scale));
    p.drawRect(QRectF(ox, oy, page.length / scale, page.width / scale));

    const auto line = [&](const kiv::Segment& s) {
        p.drawLine(At(s.a, scale, ox, oy, page.width), At(s.b, scale, ox, oy, page.width));
    };
    for (const kiv::SheetPart& part : page.parts) {
        const kiv::ShopDrawing& d = part.drawing;
        QPainterPath outline;
        for (std::size_t k = 0; k < d.contour.size(); ++k) {
            const QPointF q = At(d.contour[k], scale, ox, oy, page.width);
            if (k == 0)
                outline.moveTo(q);
            else
                outline.lineTo(q);
        }
        outline.closeSubpath();
        p.setPen(PenOf(LineKind::Cut, scale));
        p.fillPath(outline, kPartFill);
        p.drawPath(outline);
        p.setPen(PenOf(LineKind::Slit, scale));
        for (std::size_t k = 1; k < d.slit.size(); ++k)
            line({d.slit[k - 1], d.slit[k]});
        const struct {
            const std::vector<kiv::Segment>* lines;
            LineKind kind;
        } kinds[] = {{&d.folds, LineKind::Fold},
                     {&d.seams, LineKind::Seam},
                     {&d.wires, LineKind::Wire}};
        for (const auto& kind : kinds) {
            p.setPen(PenOf(kind.kind, scale));
            for (const auto& s : *kind.lines)
                line(s);
        }
    }
    // Labels last, over every line.
    p.setPen(ColourOf(LineKind::Labels));
    for (const kiv::SheetPart& part : page.parts)
        Text(p, At(kiv::LabelPoint(part.drawing), scale, ox, oy, page.width), kLabelText,
             QString::fromStdString(part.label), true);
}

} // namespace

QByteArray SheetsPdf(const std::vector<SheetPage>& pages, const QString& title, const PagesDone& done) {
    return PdfBytes(title, [&](QPdfWriter& pdf) {
        const QPageLayout layout(
            QPageSize(QSizeF(kiv::kA4.width, kiv::kA4.height), QPageSize::Millimeter),
            QPageLayout::Landscape, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
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
            if (done && !done(static_cast<int>(i) + 1, static_cast<int>(pages.size()))) {
                p.end();
                return false;
            }
        }
        return p.end();
    });
}
