#include "app/HoodView3D.h"

#include "app/PatternView.h"
#include "paint/LinePens.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kStartYaw = -35, kStartPitch = 25; // degrees: from the front right, above
constexpr double kDegreesPerPixel = 0.5;

// Sheet metal seen from either side; seam strips and rim band tinted as
// their lines are on the drawing.
const QColor kFaceColour(176, 186, 198);
const QColor kStripColour(150, 200, 150);
const QColor kBandColour(150, 165, 215);
// The fold lines in the pattern's colours, in a screen dash: foreshortened
// in space, the sheet's dash lengths would mean nothing.
constexpr double kLinePen = 1.6; // px
// Every piece's outline, dark and a little thinner, so the fold lines stand out.
const QColor kEdgeColour(40, 40, 40);
constexpr double kEdgePen = 1.2; // px

// The view: turned about the hood's vertical axis by yaw, then tipped towards
// the viewer by pitch. x to the right, y into the screen, z up.
struct View {
    double cy, sy, cp, sp;
    kiv::Vec3 centre;
    double scale;
    QPointF middle;

    kiv::Vec3 turn(const kiv::Vec3& p) const {
        const kiv::Vec3 q = p - centre;
        const double x = cy * q.x - sy * q.y, y = sy * q.x + cy * q.y;
        return {x, cp * y - sp * q.z, sp * y + cp * q.z};
    }
    QPointF screen(kiv::Vec3 v) const {
        return {middle.x() + v.x * scale, middle.y() - v.z * scale};
    }
};

// The view of `hood` turned by yaw and pitch (degrees), centred on the
// middle of what is there now, so it stays in the view as it folds.
View ViewOf(const kiv::FoldedHood& hood, double yaw, double pitch, QPointF middle) {
    const double toRad = std::numbers::pi / 180;
    View view{std::cos(yaw * toRad),
              std::sin(yaw * toRad),
              std::cos(pitch * toRad),
              std::sin(pitch * toRad),
              {},
              1,
              middle};
    kiv::Vec3 lo = hood.pieces[0][0], hi = lo;
    for (const auto& piece : hood.pieces) {
        for (const auto& c : piece) {
            lo = {std::min(lo.x, c.x), std::min(lo.y, c.y), std::min(lo.z, c.z)};
            hi = {std::max(hi.x, c.x), std::max(hi.y, c.y), std::max(hi.z, c.z)};
        }
    }
    view.centre = 0.5 * (lo + hi);
    return view;
}

// A piece as the view sees it: its corners turned, and how far off it is.
struct Shown {
    std::size_t piece;
    double depth;
    std::vector<kiv::Vec3> corners;
};

// The pieces far ones first, so the near ones cover them.
std::vector<Shown> FarFirst(const kiv::FoldedHood& hood, const View& view) {
    std::vector<Shown> order;
    order.reserve(hood.pieces.size());
    for (std::size_t i = 0; i < hood.pieces.size(); ++i) {
        Shown s{i, 0, {}};
        for (const auto& c : hood.pieces[i]) {
            s.corners.push_back(view.turn(c));
            s.depth += s.corners.back().y;
        }
        s.depth /= static_cast<double>(s.corners.size());
        order.push_back(std::move(s));
    }
    std::sort(order.begin(), order.end(),
              [](const Shown& a, const Shown& b) { return a.depth > b.depth; });
    return order;
}

// A piece's colour, shaded by its angle to the light.
QColor Shade(kiv::PieceKind kind, const std::vector<kiv::Vec3>& corners) {
    static const kiv::Vec3 light = [] {
        const kiv::Vec3 l{-0.4, -0.6, 0.7}; // from the upper left, in front
        return (1 / kiv::Norm(l)) * l;
    }();
    // Newell's normal: sound for any flat polygon, whatever its winding.
    kiv::Vec3 n;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const kiv::Vec3 a = corners[i], b = corners[(i + 1) % corners.size()];
        n = n + kiv::Vec3{(a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x),
                          (a.x - b.x) * (a.y + b.y)};
    }
    const double len = kiv::Norm(n);
    const double lit = len > 0 ? std::fabs(kiv::Dot(n, light)) / len : 0;
    const QColor base = kind == kiv::PieceKind::Face        ? kFaceColour
                        : kind == kiv::PieceKind::SeamStrip ? kStripColour
                                                            : kBandColour;
    const double k = 0.45 + 0.55 * lit;
    return QColor(static_cast<int>(base.red() * k), static_cast<int>(base.green() * k),
                  static_cast<int>(base.blue() * k));
}

} // namespace

HoodCanvas3D::HoodCanvas3D(QWidget* parent) : ViewCanvas(parent) {
    setObjectName(QStringLiteral("HoodCanvas3D"));
    setAccessibleName(QString::fromUtf8("Зонт в 3D"));
    setAccessibleDescription(QString::fromUtf8(
        "Перетаскивание поворачивает зонт, колесо мыши — масштаб, Home — исходный вид"));
    SetUpCanvas(this);
    resetView();
}

void HoodCanvas3D::setPattern(const std::optional<ConfirmedPattern>& pattern) {
    plan_.reset();
    if (pattern) {
        const kiv::RaschetData& d = pattern->data;
        auto plan = std::make_unique<kiv::FoldPlan>(d, kiv::ShopDrawingOf(d, pattern->type));
        if (!plan->empty()) {
            radius_ = 1;
            for (const auto& piece : plan->pieces)
                for (const auto& p : piece.flat)
                    radius_ = std::max(radius_, std::hypot(p.x, p.y - d.L1 / 2));
            plan_ = std::move(plan);
        }
    }
    update();
}

void HoodCanvas3D::setFold(double fraction) {
    fraction_ = std::clamp(fraction, 0.0, 1.0);
    update();
}

void HoodCanvas3D::resetView() {
    yaw_ = kStartYaw;
    pitch_ = kStartPitch;
    zoom_ = 1;
    update();
}

void HoodCanvas3D::paintEvent(QPaintEvent*) {
    if (!plan_)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const kiv::FoldedHood hood = plan_->at(fraction_);
    View view = ViewOf(hood, yaw_, pitch_, QPointF(width() / 2.0, height() / 2.0));
    // Sized by the flat pattern, the largest it gets.
    view.scale = zoom_ * std::min(width(), height()) / (1.8 * radius_);

    for (const Shown& s : FarFirst(hood, view)) {
        const kiv::Piece& piece = plan_->pieces[s.piece];
        QPolygonF poly;
        for (const auto& c : s.corners)
            poly << view.screen(c);
        p.setPen(QPen(kEdgeColour, kEdgePen));
        p.setBrush(Shade(piece.kind, s.corners));
        p.drawPolygon(poly);

        // The lines on this face, over it; a fold line again over whichever
        // of its two faces comes later, so no outline hides it.
        if (piece.kind != kiv::PieceKind::Face)
            continue;
        for (std::size_t i = 0; i < plan_->lines.size(); ++i) {
            const kiv::FoldLine& l = plan_->lines[i];
            if (l.face != piece.face && l.otherFace != piece.face)
                continue;
            QPen pen(ColourOf(l.kind), kLinePen, Qt::DashLine);
            p.setPen(pen);
            p.drawLine(view.screen(view.turn(hood.lines[i].a)),
                       view.screen(view.turn(hood.lines[i].b)));
        }
    }
}

void HoodCanvas3D::wheelEvent(QWheelEvent* e) {
    zoom_ = std::clamp(zoom_ * WheelFactor(e), 0.05, 100.0);
    update();
    e->accept();
}

void HoodCanvas3D::dragged(QPoint d) {
    yaw_ = std::remainder(yaw_ - d.x() * kDegreesPerPixel, 360.0);
    pitch_ = std::clamp(pitch_ + d.y() * kDegreesPerPixel, -90.0, 90.0);
    update();
}

// ---------------------------------------------------------------------------

HoodWindow3D::HoodWindow3D(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HoodView3D"));
    setAccessibleName(QString::fromUtf8("Зонт в 3D"));
    resize(800, 700);
    auto* layout = new QVBoxLayout(this);
    notice_ = NoPatternNotice(this, QStringLiteral("HoodNotice"));
    layout->addWidget(notice_);
    canvas_ = new HoodCanvas3D(this);
    layout->addWidget(canvas_, 1);

    auto* row = new QHBoxLayout;
    foldLabel_ = new QLabel(this);
    foldLabel_->setObjectName(QStringLiteral("FoldLabel"));
    foldLabel_->setMinimumWidth(
        foldLabel_->fontMetrics().horizontalAdvance(QString::fromUtf8("Сгиб: 100 %  ")));
    slider_ = new QSlider(Qt::Horizontal, this);
    slider_->setObjectName(QStringLiteral("FoldSlider"));
    slider_->setAccessibleName(QString::fromUtf8("Сгиб"));
    slider_->setAccessibleDescription(
        QString::fromUtf8("0 % — плоская развертка, 100 % — готовый зонт"));
    slider_->setRange(0, 100);
    slider_->setPageStep(10);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        canvas_->setFold(v / 100.0);
        ShowText(foldLabel_, QString::fromUtf8("Сгиб: %1 %").arg(v));
    });
    slider_->setValue(100);
    ShowText(foldLabel_, QString::fromUtf8("Сгиб: 100 %"));
    row->addWidget(foldLabel_);
    row->addWidget(slider_, 1);
    layout->addLayout(row);
    setPattern(std::nullopt);
}

void HoodWindow3D::setPattern(const std::optional<ConfirmedPattern>& pattern) {
    setWindowTitle(pattern ? QString::fromUtf8("Зонт в 3D — ") + pattern->name
                           : QString::fromUtf8("Зонт в 3D"));
    canvas_->setPattern(pattern);
    notice_->setVisible(!canvas_->hasPattern());
    slider_->setEnabled(canvas_->hasPattern());
}
