#include "app/PatternView.h"

#include "app/CanvasInput.h"

#include "export/PointNames.h"
#include "paint/LinePens.h"
#include "report/FormatFixed.h"
#include "report/Texts.h"
#include "shape/Checks.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The kinds of line the canvas's line layers show, by layer.
constexpr kiv::LineKind kLayerKind[] = {kiv::LineKind::Cut, kiv::LineKind::Fold,
                                        kiv::LineKind::Seam, kiv::LineKind::Wire};
constexpr double kCutPen = 1.6;         // px, the contour; the other lines in proportion
constexpr double kShortestDash = 6;     // px: shorter dashes would melt into a line
constexpr double kMargin = 36;          // px round the pattern after a fit
constexpr double kDimensionOffset = 24; // px between the pattern and a dimension line
constexpr double kPick = 6;             // px: how near the pointer must come

QString Mm(double v) {
    return QString::fromStdString(kiv::FormatFixed(v, 12, 3));
}

double DistanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF ab = b - a;
    const double len2 = QPointF::dotProduct(ab, ab);
    const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(p - a, ab) / len2, 0.0, 1.0) : 0;
    const QPointF q = a + t * ab - p;
    return std::hypot(q.x(), q.y());
}

// A blank size as the main window's labels write it.
QString BlankText(const char* name, double v) {
    return QString::fromUtf8("%1 = %2").arg(QLatin1String(name),
                                            QString::fromStdString(kiv::BlankSizeText(v)));
}

bool SamePoint(kiv::Point a, kiv::Point b) {
    return a.x == b.x && a.y == b.y;
}

} // namespace

void ShowText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

// ---------------------------------------------------------------------------

PatternCanvas::PatternCanvas(QWidget* parent) : ViewCanvas(parent) {
    setObjectName(QStringLiteral("PatternCanvas"));
    setAccessibleName(QString::fromUtf8("Развертка в масштабе"));
    setMouseTracking(true);
    SetUpCanvas(this);
}

void PatternCanvas::setPattern(const std::optional<ConfirmedPattern>& pattern) {
    has_ = pattern.has_value();
    lines_.clear();
    drawing_ = {};
    if (has_) {
        b1_ = pattern->summary.B1;
        b2_ = pattern->summary.B2;
        drawing_ = kiv::ShopDrawingOf(pattern->data, pattern->type);
        // Every line with the names of its ends, for the hover line.
        const auto nameOf = [&](kiv::Point p) {
            for (const auto& n : drawing_.points)
                if (SamePoint(n.at, p))
                    return QString::fromStdString(n.name);
            return QStringLiteral("?");
        };
        const std::size_t n = drawing_.contour.size();
        for (std::size_t i = 0; i < n; ++i) {
            const kiv::Segment s{drawing_.contour[i], drawing_.contour[(i + 1) % n]};
            lines_.push_back({s, Cut, nameOf(s.a) + QLatin1Char('-') + nameOf(s.b)});
        }
        const struct {
            const std::vector<kiv::Segment>* lines;
            Layer layer;
        } kinds[] = {{&drawing_.folds, Fold}, {&drawing_.seams, Seam}, {&drawing_.wires, Wire}};
        for (const auto& k : kinds)
            for (const auto& s : *k.lines)
                lines_.push_back({s, k.layer, nameOf(s.a) + QLatin1Char('-') + nameOf(s.b)});
    }
    setHover(QString());
    fit();
}

void PatternCanvas::setLayer(Layer layer, bool on) {
    layers_[layer] = on;
    update();
}

QPointF PatternCanvas::toScreen(kiv::Point p) const {
    return {width() / 2.0 + (p.x - centre_.x) * scale_,
            height() / 2.0 - (p.y - centre_.y) * scale_};
}

kiv::Point PatternCanvas::toPattern(QPointF s) const {
    return {centre_.x + (s.x() - width() / 2.0) / scale_,
            centre_.y - (s.y() - height() / 2.0) / scale_};
}

QRectF PatternCanvas::extents() const {
    if (!has_ || drawing_.points.empty())
        return {};
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const auto& p : drawing_.points) {
        minX = std::min(minX, p.at.x);
        maxX = std::max(maxX, p.at.x);
        minY = std::min(minY, p.at.y);
        maxY = std::max(maxY, p.at.y);
    }
    // The blank stands centred on the axis.
    minX = std::min(minX, -b1_ / 2);
    maxX = std::max(maxX, b1_ / 2);
    return QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
}

void PatternCanvas::fit() {
    const QRectF box = extents();
    if (box.isNull() || width() <= 0 || height() <= 0) {
        describe();
        update();
        return;
    }
    // Room round the pattern for the names and the dimension lines.
    const double room = kMargin + kDimensionOffset;
    const double w = std::max(1.0, width() - 2 * room), h = std::max(1.0, height() - 2 * room);
    scale_ = std::min(w / std::max(box.width(), 1e-9), h / std::max(box.height(), 1e-9));
    centre_ = {box.center().x(), box.center().y()};
    describe();
    update();
}

void PatternCanvas::resizeEvent(QResizeEvent*) {
    fit();
}

void PatternCanvas::wheelEvent(QWheelEvent* e) {
    if (!has_)
        return;
    const QPointF at = e->position();
    const kiv::Point before = toPattern(at);
    const double factor = WheelFactor(e);
    // Between a whole 20 km road of patterns and a thousandth of a millimetre
    // a pixel: beyond that nothing more is seen.
    scale_ = std::clamp(scale_ * factor, 1e-6, 1e6);
    // The point under the cursor stays under it.
    const kiv::Point after = toPattern(at);
    centre_.x += before.x - after.x;
    centre_.y += before.y - after.y;
    describe();
    update();
    e->accept();
}

void PatternCanvas::dragged(QPoint d) {
    centre_.x -= d.x() / scale_;
    centre_.y += d.y() / scale_;
    update();
}

void PatternCanvas::mouseMoveEvent(QMouseEvent* e) {
    ViewCanvas::mouseMoveEvent(e);
    setHover(hoverAt(e->position()));
}

void PatternCanvas::leaveEvent(QEvent*) {
    setHover(QString());
}

void PatternCanvas::setHover(const QString& text) {
    if (text == hover_)
        return;
    hover_ = text;
    emit hoverChanged(text);
}

QString PatternCanvas::hoverAt(QPointF s) const {
    if (!has_)
        return {};
    // A point before a line: the lines meet at the points.
    const kiv::NamedPoint* nearest = nullptr;
    double best = kPick;
    for (const auto& p : drawing_.points) {
        const QPointF q = toScreen(p.at) - s;
        const double d = std::hypot(q.x(), q.y());
        if (d <= best) {
            best = d;
            nearest = &p;
        }
    }
    if (nearest)
        return QString::fromUtf8("Точка %1: x = %2, y = %3 мм")
            .arg(QString::fromStdString(nearest->name), Mm(nearest->at.x), Mm(nearest->at.y));
    const Line* line = nullptr;
    best = kPick;
    for (const auto& l : lines_) {
        if (!layers_[l.layer])
            continue;
        const double d = DistanceToSegment(s, toScreen(l.at.a), toScreen(l.at.b));
        if (d <= best) {
            best = d;
            line = &l;
        }
    }
    if (!line)
        return {};
    static const char* const kinds[] = {"резка", "сгиб", "фальц", "проволока"};
    return QString::fromUtf8("Линия %1 (%2): %3 мм")
        .arg(line->name, QString::fromUtf8(kinds[line->layer]),
             Mm(std::hypot(line->at.b.x - line->at.a.x, line->at.b.y - line->at.a.y)));
}

std::vector<QLineF> PatternCanvas::shownLines() const {
    std::vector<QLineF> shown;
    shown.reserve(lines_.size());
    for (const auto& l : lines_)
        if (layers_[l.layer])
            shown.emplace_back(toScreen(l.at.a), toScreen(l.at.b));
    return shown;
}

std::vector<PatternCanvas::PlacedName> PatternCanvas::placedNames() const {
    std::vector<PlacedName> placed;
    if (!has_)
        return placed;
    // The template's rule, at this zoom: the screen font measured in
    // millimetres of the pattern.
    const QFontMetricsF metrics(font());
    kiv::NameLayoutOptions options;
    options.textHeight = metrics.height() / scale_;
    options.textWidth = [&](const std::string& name) {
        return metrics.horizontalAdvance(QString::fromStdString(name)) / scale_;
    };
    options.gap = 4 / scale_;
    for (const kiv::PlacedName& n : kiv::PlacePointNames(drawing_, options)) {
        const kiv::NamedPoint& point = drawing_.points[n.point];
        const QRectF box(toScreen({n.box.x, n.box.y + n.box.h}),
                         toScreen({n.box.x + n.box.w, n.box.y}));
        placed.push_back({QString::fromStdString(point.name), toScreen(point.at), box});
    }
    return placed;
}

void PatternCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!has_)
        return;
    p.setRenderHint(QPainter::Antialiasing);
    for (int pass = Wire; pass >= Cut; --pass) {
        if (!layers_[pass])
            continue;
        // Cosmetic pens: the same width in pixels at every zoom; dashes
        // keep their length on the sheet until they would melt into a line.
        const kiv::LineKind kind = kLayerKind[pass];
        const kiv::LineStyle& style = kiv::StyleOf(kind);
        QPen pen(ColourOf(kind), kCutPen * style.pen);
        pen.setCosmetic(true);
        if (!style.dash.solid())
            pen.setDashPattern(DashPattern(kind, std::max(style.dash.drawn * scale_, kShortestDash),
                                           pen.widthF()));
        p.setPen(pen);
        for (const auto& l : lines_)
            if (l.layer == pass)
                p.drawLine(toScreen(l.at.a), toScreen(l.at.b));
    }
    if (layers_[Dimensions])
        paintDimensions(p);
    if (layers_[Names]) {
        for (const PlacedName& n : placedNames()) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            p.drawEllipse(n.point, 2.0, 2.0);
            p.setPen(Qt::black);
            p.drawText(n.box, Qt::AlignCenter, n.name);
        }
    }
    paintScaleBar(p);
}

void PatternCanvas::paintDimensions(QPainter& p) const {
    const QRectF box = extents();
    const QPointF bottomLeft = toScreen({-b1_ / 2, box.top()});
    const QPointF bottomRight = toScreen({b1_ / 2, box.top()});
    const QPointF topRight = toScreen({b1_ / 2, box.bottom()});
    p.setPen(QPen(Qt::darkGray, 1));
    p.setBrush(Qt::darkGray);
    const auto arrow = [&](QPointF tip, QPointF towards) {
        QPointF d = towards - tip;
        const double len = std::hypot(d.x(), d.y());
        if (len < 1e-9)
            return;
        d /= len;
        const QPointF n(-d.y(), d.x());
        p.drawPolygon(QPolygonF({tip, tip + 8 * d + 3 * n, tip + 8 * d - 3 * n}));
    };
    const auto dimension = [&](QPointF a, QPointF b, QPointF shift, const QString& text,
                               bool vertical) {
        p.drawLine(a, a + shift * 1.2);
        p.drawLine(b, b + shift * 1.2);
        const QPointF da = a + shift, db = b + shift;
        p.drawLine(da, db);
        arrow(da, db);
        arrow(db, da);
        const QPointF mid = (da + db) / 2;
        p.save();
        p.translate(mid);
        if (vertical)
            p.rotate(-90);
        p.drawText(QRectF(-100, -18, 200, 16), Qt::AlignHCenter | Qt::AlignBottom, text);
        p.restore();
    };
    dimension(bottomLeft, bottomRight, QPointF(0, kDimensionOffset), BlankText("B1", b1_), false);
    dimension(bottomRight, topRight, QPointF(kDimensionOffset, 0), BlankText("B2", b2_), true);
}

double PatternCanvas::scaleBarLength() const {
    // The longest round length (1, 2 or 5 times a power of ten) up to 120 px.
    const double mm = 120 / scale_;
    const double power = std::pow(10.0, std::floor(std::log10(mm)));
    double length = power;
    for (double k : {2.0, 5.0})
        if (k * power <= mm)
            length = k * power;
    return length;
}

QString PatternCanvas::scaleBarText() const {
    const double length = scaleBarLength();
    return QString::fromStdString(kiv::FormatFixed(length, 12, length < 1 ? 3 : 0)) +
           QString::fromUtf8(" мм");
}

void PatternCanvas::paintScaleBar(QPainter& p) const {
    const double px = scaleBarLength() * scale_;
    const QPointF start(12, height() - 14);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(start, start + QPointF(px, 0));
    p.drawLine(start + QPointF(0, -4), start + QPointF(0, 4));
    p.drawLine(start + QPointF(px, -4), start + QPointF(px, 4));
    p.drawText(QRectF(start.x(), start.y() - 22, std::max(px, 80.0), 16), Qt::AlignLeft,
               scaleBarText());
}

void PatternCanvas::describe() {
    // What the drawing shows in figures, for a screen reader: the scale bar
    // and the blank's dimensions.
    QString text;
    if (has_)
        text = QString::fromUtf8("Масштабная линейка: %1; %2, %3. ")
                   .arg(scaleBarText(), BlankText("B1", b1_), BlankText("B2", b2_));
    setAccessibleDescription(text + QString::fromUtf8("Колесо мыши — масштаб, перетаскивание — "
                                                      "сдвиг, Home — вся развертка"));
}

// ---------------------------------------------------------------------------

PatternWindow::PatternWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("PatternView"));
    setAccessibleName(QString::fromUtf8("Развертка в масштабе"));
    resize(900, 720);
    auto* layout = new QVBoxLayout(this);

    auto* layers = new QHBoxLayout;
    const struct {
        PatternCanvas::Layer layer;
        const char* name;
        const char* text;
    } switches[] = {{PatternCanvas::Cut, "LayerCut", "Резка"},
                    {PatternCanvas::Fold, "LayerFold", "Сгибы"},
                    {PatternCanvas::Seam, "LayerSeam", "Фальц"},
                    {PatternCanvas::Wire, "LayerWire", "Проволока"},
                    {PatternCanvas::Names, "LayerNames", "Имена точек"},
                    {PatternCanvas::Dimensions, "LayerDimensions", "Размеры"}};
    canvas_ = new PatternCanvas(this);
    for (const auto& s : switches) {
        auto* box = new QCheckBox(QString::fromUtf8(s.text), this);
        box->setObjectName(QString::fromLatin1(s.name));
        box->setAccessibleName(QString::fromUtf8(s.text));
        box->setChecked(true);
        const PatternCanvas::Layer layer = s.layer;
        connect(box, &QCheckBox::toggled, canvas_,
                [this, layer](bool on) { canvas_->setLayer(layer, on); });
        layers->addWidget(box);
    }
    layers->addStretch();
    layout->addLayout(layers);

    notice_ = NoPatternNotice(this, QStringLiteral("PatternNotice"));
    layout->addWidget(notice_);
    layout->addWidget(canvas_, 1);

    hover_ = new QLabel(this);
    hover_->setObjectName(QStringLiteral("PatternHover"));
    hover_->setAccessibleDescription(QString::fromUtf8("Точка или линия под указателем"));
    hover_->setMinimumHeight(hover_->fontMetrics().height());
    layout->addWidget(hover_);
    connect(canvas_, &PatternCanvas::hoverChanged, hover_,
            [this](const QString& text) { ShowText(hover_, text); });

    checkBox_ = new QWidget(this);
    checkBox_->setObjectName(QStringLiteral("PatternChecks"));
    checkBox_->setAccessibleName(QString::fromUtf8("Проверки развертки"));
    auto* checks = new QVBoxLayout(checkBox_);
    checks->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 6; ++i) {
        auto* line = new QLabel(checkBox_);
        line->setObjectName(QStringLiteral("PatternCheck%1").arg(i + 1));
        line->setTextInteractionFlags(Qt::TextSelectableByMouse);
        checks->addWidget(line);
        checks_.push_back(line);
    }
    layout->addWidget(checkBox_);
    setPattern(std::nullopt);
}

void PatternWindow::setPattern(const std::optional<ConfirmedPattern>& pattern) {
    setWindowTitle(pattern ? QString::fromUtf8("Развертка — ") + pattern->name
                           : QString::fromUtf8("Развертка"));
    notice_->setVisible(!pattern);
    checkBox_->setVisible(pattern.has_value());
    canvas_->setPattern(pattern);
    if (!pattern)
        return;
    const auto results =
        kiv::CheckShape(pattern->data, kiv::ShopDrawingOf(pattern->data, pattern->type));
    for (std::size_t i = 0; i < checks_.size(); ++i) {
        const QString text =
            i < results.size() ? QString::fromStdString(results[i].text) : QString();
        ShowText(checks_[i], text);
        checks_[i]->setStyleSheet(
            i < results.size() && !results[i].ok ? QStringLiteral("color: #c00000") : QString());
    }
}
