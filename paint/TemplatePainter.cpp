#include "paint/TemplatePainter.h"

#include "export/PointNames.h"
#include "paint/LinePens.h"
#include "road/Road.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace {

using kiv::LineKind;

// Texts are set in a font of many pixels and scaled down to their size on
// paper, so that their shapes stay the same at every resolution.
constexpr int kPaperFontPixels = 100;
// The font's capitals are about 0.7 of its pixel size: a text `height` mm
// high has capitals about that high.
constexpr double kPixelsPerCapital = 1.4;
// The PDF's resolution: fine enough that no line of a 1:1 template moves by
// a visible step.
constexpr int kPdfDpi = 1200;

// Pens in millimetres on paper: the contour as a fine pencil line, which a
// scriber follows; the other lines of the pattern in proportion to it.
constexpr double kContourPen = 0.35;
constexpr double kFramePen = 0.25;          // the title block's frame
constexpr double kThinPen = 0.15;           // texts, marks and the assembly map
constexpr double kSquarePen = 2 * kThinPen; // the check square, easy to find and to measure
constexpr double kDotRadius = 0.6;          // a named point's dot: a centre punch's mark

// Crop marks, in the margin: they start this far from the printable area's
// corner, so that they never touch the pattern, and run this long.
constexpr double kMarkGap = 1;
constexpr double kMarkLength = 6;

// Room between a point name and the lines round it: a third of the names'
// height, enough to tell which point a name belongs to.
constexpr double kNameGapThirds = 3;

// Text heights, mm.
constexpr double kPointText = 3.0;      // the point names
constexpr double kSheetLabelText = 4.2; // the sheet's label above its printable area
constexpr double kSquareText = 2.5;     // the check square's caption
constexpr double kTitleText = 2.4;      // a line of the title block
constexpr double kTitleLineStep = 3.75; // from one title line to the next
constexpr double kMapText = 2.0;        // a label in the assembly map, at most
constexpr double kMapTextShare = 0.35;  // of a map cell, when the cells are small

constexpr double kTextGap = 2; // between a text and the line or frame it belongs to
// The assembly map: at most this wide, or a third of the block, with cells
// of at most this side.
constexpr double kMapWidth = 40;
constexpr double kMapCell = 8;
// This sheet's cell in the map.
const QColor kMapHere(220, 220, 220);

// The ink of a point name in the text font, before scaling: its box relative
// to the start of its baseline.
QRectF NameInk(const QString& name, const QPaintDevice& device) {
    return QFontMetricsF(PaperFont(), &device).tightBoundingRect(name);
}

// Where the point names stand: boxes the size of their ink, anywhere on the
// paper the sheets cover, off the check squares and the title block.
std::vector<kiv::PlacedName> NamesOf(const kiv::ShopDrawing& d, const kiv::TemplateLayout& layout,
                                     const QPaintDevice& device) {
    const double scale = PaperTextScale(kPointText);
    kiv::NameLayoutOptions options;
    options.textHeight = 0;
    for (const auto& n : d.points)
        options.textHeight = std::max(
            options.textHeight, NameInk(QString::fromStdString(n.name), device).height() * scale);
    options.textWidth = [&](const std::string& name) {
        return NameInk(QString::fromStdString(name), device).width() * scale;
    };
    options.gap = options.textHeight / kNameGapThirds;
    bool first = true;
    kiv::Rect paper;
    for (const auto& page : layout.pages) {
        if (!page.pattern)
            continue;
        options.keepOff.push_back(page.square);
        if (page.title)
            options.keepOff.push_back(page.titleBlock);
        const kiv::Rect& v = page.view;
        if (first) {
            paper = v;
            first = false;
            continue;
        }
        const double right = std::max(paper.x + paper.w, v.x + v.w);
        const double top = std::max(paper.y + paper.h, v.y + v.h);
        paper.x = std::min(paper.x, v.x);
        paper.y = std::min(paper.y, v.y);
        paper.w = right - paper.x;
        paper.h = top - paper.y;
    }
    if (!first)
        options.frame = paper;
    return kiv::PlacePointNames(d, options);
}

// Paints in millimetres: x to the right, y down, origin at the paper's corner.
class Page {
public:
    Page(QPainter& p, const kiv::TemplateLayout& layout, const kiv::TemplatePage& page,
         double margin)
        : p_(p), layout_(layout), page_(page), margin_(margin) {}

    // A point of the pattern on this page's paper.
    QPointF at(kiv::Point q) const {
        return {margin_ + (q.x - page_.view.x), margin_ + (page_.view.y + page_.view.h - q.y)};
    }
    QRectF rectOf(const kiv::Rect& r) const {
        return QRectF(at({r.x, r.y + r.h}), QSizeF(r.w, r.h));
    }
    QRectF printable() const { return QRectF(margin_, margin_, page_.view.w, page_.view.h); }

    void pen(const QColor& colour, double width, Qt::PenStyle style = Qt::SolidLine) {
        p_.setPen(QPen(colour, width, style, Qt::FlatCap, Qt::MiterJoin));
        p_.setBrush(Qt::NoBrush);
    }

    // A line of the pattern: at 1:1 its dashes are as long as the drawing
    // file's.
    void pen(LineKind kind) {
        const kiv::LineStyle& style = kiv::StyleOf(kind);
        const double width = kContourPen * style.pen;
        QPen pen(ColourOf(kind), width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        if (!style.dash.solid())
            pen.setDashPattern(DashPattern(kind, style.dash.drawn, width));
        p_.setPen(pen);
        p_.setBrush(Qt::NoBrush);
    }

    void text(const QPointF& where, double height, const QString& s,
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
        p_.save();
        p_.translate(where);
        p_.scale(PaperTextScale(height), PaperTextScale(height));
        p_.setFont(PaperFont());
        const QRectF r = p_.boundingRect(QRectF(0, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop, s);
        QPointF origin(0, 0);
        if (align & Qt::AlignHCenter)
            origin.rx() -= r.width() / 2;
        if (align & Qt::AlignRight)
            origin.rx() -= r.width();
        if (align & Qt::AlignVCenter)
            origin.ry() -= r.height() / 2;
        if (align & Qt::AlignBottom)
            origin.ry() -= r.height();
        p_.drawText(QRectF(origin, r.size()), Qt::AlignLeft | Qt::AlignTop, s);
        p_.restore();
    }

    QPainter& painter() { return p_; }
    const kiv::TemplatePage& page() const { return page_; }
    const kiv::TemplateLayout& layout() const { return layout_; }

private:
    QPainter& p_;
    const kiv::TemplateLayout& layout_;
    const kiv::TemplatePage& page_;
    double margin_;
};

void Lines(Page& page, const std::vector<kiv::Segment>& lines, LineKind kind) {
    page.pen(kind);
    for (const auto& s : lines)
        page.painter().drawLine(page.at(s.a), page.at(s.b));
}

void Pattern(Page& page, const kiv::ShopDrawing& d, const std::vector<kiv::PlacedName>& names) {
    QPainter& p = page.painter();
    p.save();
    p.setClipRect(page.printable());
    Lines(page, d.folds, LineKind::Fold);
    Lines(page, d.seams, LineKind::Seam);
    Lines(page, d.wires, LineKind::Wire);

    QPolygonF contour;
    for (const auto& q : d.contour)
        contour << page.at(q);
    page.pen(LineKind::Cut);
    p.drawPolygon(contour);
    page.pen(LineKind::Slit);
    if (d.slit.size() == 2)
        p.drawLine(page.at(d.slit[0]), page.at(d.slit[1]));

    // Each point with a dot, and its name where the placement put it.
    for (const auto& n : d.points) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(page.at(n.at), kDotRadius, kDotRadius);
    }
    page.pen(Qt::black, kThinPen);
    p.setFont(PaperFont());
    const double scale = PaperTextScale(kPointText);
    for (const auto& n : names) {
        // The name's ink fills the top left of its box.
        const QString name = QString::fromStdString(d.points[n.point].name);
        const QRectF ink = NameInk(name, *p.device());
        p.save();
        p.translate(page.at({n.box.x, n.box.y + n.box.h}) - ink.topLeft() * scale);
        p.scale(scale, scale);
        p.drawText(QPointF(0, 0), name);
        p.restore();
    }
    p.restore();
}

// Corner marks outside the printable area, and thin lines where the
// neighbouring pages' strips begin, to trim and lay the sheets edge on line.
void Marks(Page& page, double overlap) {
    QPainter& p = page.painter();
    const QRectF r = page.printable();
    page.pen(Qt::black, kThinPen);
    const QPointF corners[] = {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()};
    for (const QPointF& c : corners) {
        const double sx = c.x() == r.left() ? -1 : 1;
        const double sy = c.y() == r.top() ? -1 : 1;
        p.drawLine(c + QPointF(sx * kMarkGap, 0), c + QPointF(sx * (kMarkGap + kMarkLength), 0));
        p.drawLine(c + QPointF(0, sy * kMarkGap), c + QPointF(0, sy * (kMarkGap + kMarkLength)));
    }
    const auto& pg = page.page();
    const auto& lay = page.layout();
    page.pen(Qt::gray, kThinPen, Qt::DotLine);
    if (pg.column > 0)
        p.drawLine(QPointF(r.left() + overlap, r.top()), QPointF(r.left() + overlap, r.bottom()));
    if (pg.column + 1 < lay.columns)
        p.drawLine(QPointF(r.right() - overlap, r.top()), QPointF(r.right() - overlap, r.bottom()));
    if (pg.row > 0)
        p.drawLine(QPointF(r.left(), r.top() + overlap), QPointF(r.right(), r.top() + overlap));
    if (pg.row + 1 < lay.rows)
        p.drawLine(QPointF(r.left(), r.bottom() - overlap),
                   QPointF(r.right(), r.bottom() - overlap));
}

void Label(Page& page) {
    const auto& lay = page.layout();
    const auto& pg = page.page();
    page.pen(Qt::black, kThinPen);
    const QRectF r = page.printable();
    const QString text = pg.pattern
                             ? QString::fromUtf8("Лист %1   (ряд %2 из %3, столбец %4 из %5)")
                                   .arg(QString::fromStdString(pg.label))
                                   .arg(pg.row + 1)
                                   .arg(lay.rows)
                                   .arg(pg.column + 1)
                                   .arg(lay.columns)
                             : QString::fromUtf8("Титульный лист шаблона");
    page.text(QPointF(r.center().x(), r.top() - kTextGap), kSheetLabelText, text,
              Qt::AlignHCenter | Qt::AlignBottom);
}

void CheckSquare(Page& page) {
    const auto& pg = page.page();
    const QRectF sq = page.rectOf(pg.square);
    page.pen(QColor::fromRgb(kCheckSquareRgb), kSquarePen);
    page.painter().drawRect(sq);
    page.pen(Qt::black, kThinPen);
    page.text(sq.topLeft() + QPointF(kTextGap, kTextGap), kSquareText,
              QString::fromUtf8("Контроль масштаба:\n100 x 100 мм"));
}

void TitleBlock(Page& page, const TemplateDocument& doc) {
    const auto& pg = page.page();
    const QRectF box = page.rectOf(pg.titleBlock);
    QPainter& p = page.painter();
    page.pen(Qt::black, kFramePen);
    p.drawRect(box);

    // The assembly map in the block's upper right corner: one cell per page.
    const auto& lay = page.layout();
    const double mapW = std::min(kMapWidth, box.width() / 3);
    const double cell = std::min(mapW / std::max(1, lay.columns), kMapCell);
    const QPointF mapOrigin(box.right() - kTextGap - cell * lay.columns, box.top() + kTextGap);
    const auto cellOf = [&](const kiv::TemplatePage& sheet) {
        return QRectF(mapOrigin + QPointF(cell * sheet.column, cell * sheet.row),
                      QSizeF(cell, cell));
    };
    for (const auto& other : lay.pages) {
        if (!other.pattern)
            continue;
        const QRectF c = cellOf(other);
        if (other.label == pg.label)
            p.fillRect(c, kMapHere);
        page.pen(Qt::black, kThinPen);
        p.drawRect(c);
        page.text(c.center(), std::min(kMapText, cell * kMapTextShare),
                  QString::fromStdString(other.label), Qt::AlignHCenter | Qt::AlignVCenter);
    }
    // A sheet left out for want of lines: its place crossed, with no label.
    page.pen(Qt::gray, kThinPen);
    for (const auto& blank : lay.leftOut) {
        const QRectF c = cellOf(blank);
        p.drawRect(c);
        p.drawLine(c.topLeft(), c.bottomRight());
        p.drawLine(c.topRight(), c.bottomLeft());
    }
    page.pen(Qt::black, kThinPen);

    double y = box.top() + kTextGap;
    for (const std::string& line : doc.titleLines) {
        page.text(QPointF(box.left() + kTextGap, y), kTitleText, QString::fromStdString(line));
        y += kTitleLineStep;
    }
}

} // namespace

QFont PaperFont() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(kPaperFontPixels);
    return f;
}

double PaperTextScale(double height) {
    return height / kPaperFontPixels * kPixelsPerCapital;
}

TemplateBuild MakeTemplate(const kiv::RaschetData& confirmed, int type, kiv::Paper paper,
                           const std::string& date, TemplateDocument& doc) {
    kiv::OutputRequest request;
    request.layout = true;
    request.options = doc.options;
    request.options.paper = paper;
    request.date = date;
    kiv::HoodOutputs out = kiv::Produce(confirmed, type, request);
    TemplateBuild build;
    build.fault = out.fault;
    build.fits = out.fits;
    if (build.fault == kiv::DrawingFault::None)
        doc = std::move(out.document);
    return build;
}

bool PaintTemplate(QPagedPaintDevice& device, const TemplateDocument& doc) {
    const auto& lay = doc.layout;
    if (lay.pages.empty())
        return false;
    const kiv::Paper sold = kiv::AsSold(lay.pageWidth, lay.pageHeight);
    QPageLayout pageLayout(QPageSize(QSizeF(sold.width, sold.height), QPageSize::Millimeter),
                           lay.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                           QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    QPainter p;
    if (!BeginPages(device, pageLayout, p))
        return false;
    p.setRenderHint(QPainter::Antialiasing);
    // Device pixels to millimetres: exactly the device's resolution.
    const double perMm = device.logicalDpiX() / 25.4;
    const double perMmY = device.logicalDpiY() / 25.4;
    const double margin = doc.options.margin;
    const double overlap = doc.options.overlap;
    const std::vector<kiv::PlacedName> names = NamesOf(doc.drawing, lay, device);
    bool first = true;
    for (const auto& pg : lay.pages) {
        if (!first && !device.newPage()) {
            p.end();
            return false;
        }
        first = false;
        p.save();
        p.scale(perMm, perMmY);
        Page page(p, lay, pg, margin);
        if (pg.pattern) {
            Pattern(page, doc.drawing, names);
            Marks(page, overlap);
        }
        Label(page);
        CheckSquare(page);
        if (pg.title)
            TitleBlock(page, doc);
        p.restore();
    }
    return p.end();
}

bool BeginPages(QPagedPaintDevice& device, QPageLayout layout, QPainter& p) {
    layout.setMode(QPageLayout::FullPageMode);
    return device.setPageLayout(layout) && p.begin(&device);
}

QByteArray PdfBytes(const QString& title, const std::function<bool(QPdfWriter&)>& paint) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly))
        return {};
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("Kiv_TQMRZL"));
        pdf.setResolution(kPdfDpi);
        if (!paint(pdf))
            return {};
    }
    buffer.close();
    return bytes;
}

QByteArray TemplatePdf(const TemplateDocument& doc, const QString& title) {
    return PdfBytes(title, [&](QPdfWriter& pdf) { return PaintTemplate(pdf, doc); });
}
