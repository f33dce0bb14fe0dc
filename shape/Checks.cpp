#include "shape/Checks.h"

#include "core/PatternType.h"
#include "report/FormatFixed.h"
#include "shape/Fold.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kiv {

namespace {

std::string Fixed(double v, int decimals) {
    if (!std::isfinite(v)) {
        return "—";
    }
    return FormatFixed(v, 15, decimals);
}

double Distance(Point a, Point b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Angle at `o` between the rays to a and b, 0 ... pi.
double AngleAt(const Vec3& o, const Vec3& a, const Vec3& b) {
    const Vec3 u = a - o, v = b - o;
    return std::atan2(Norm(CrossV(u, v)), Dot(u, v));
}

double TriangleArea(const Vec3& a, const Vec3& b, const Vec3& c) {
    return Norm(CrossV(b - a, c - a)) / 2;
}

class Named {
public:
    explicit Named(const ShopDrawing& d) : d_(d) {}
    // The point of that name; NaN where the drawing has none, which fails
    // every comparison it enters.
    Point operator()(const std::string& name) const {
        for (const auto& p : d_.points) {
            if (p.name == name) {
                return p.at;
            }
        }
        return {std::nan(""), std::nan("")};
    }
    double area(std::initializer_list<const char*> names) const {
        std::vector<Point> polygon;
        for (const char* n : names) {
            polygon.push_back((*this)(n));
        }
        return std::fabs(PolygonArea(polygon));
    }

private:
    const ShopDrawing& d_;
};

ShapeCheck Judge(CheckId id, double figure, double expected, double tolerance, std::string text) {
    ShapeCheck c;
    c.id = id;
    c.figure = figure;
    c.expected = expected;
    // Written so that NaN fails.
    c.ok = std::fabs(figure - expected) <= tolerance;
    c.text = std::string(c.ok ? kCheckPassed : kCheckFailed) + " " + std::move(text);
    return c;
}

// What every check reads: the hood, its drawing with the points by name, the
// hood's corners in space and the tolerance for lengths.
struct Subject {
    Subject(const RaschetData& data, const ShopDrawing& shop) : d(data), drawing(shop), at(shop) {
        // Lengths are compared to a few million rounding errors of the
        // largest size of the pattern: far below any tool, far above what
        // crossing arcs lose in double precision even on a needle-thin hood.
        double reach = std::max({1.0, d.L1, d.L2, d.H});
        for (const auto& p : drawing.points) {
            reach = std::max({reach, std::fabs(p.at.x), std::fabs(p.at.y)});
        }
        lengthTolerance = 1e-9 * reach;
        for (int i = 0; i < 8; ++i) {
            HoodCorner(d, std::to_string(i), c[i]);
        }
    }

    const RaschetData& d;
    const ShopDrawing& drawing;
    const Named at;
    double lengthTolerance = 0;
    Vec3 c[8];
};

// The contour: each vertex where its name says, at least a triangle.
ShapeCheck ContourCloses(const Subject& s) {
    const ShopDrawing& drawing = s.drawing;
    double gap =
        drawing.contour.size() >= 3 && drawing.contourNames.size() == drawing.contour.size()
            ? 0.0
            : std::nan("");
    for (std::size_t i = 0; i < drawing.contour.size() && i < drawing.contourNames.size(); ++i) {
        gap = std::max(gap, Distance(drawing.contour[i], s.at(drawing.contourNames[i])));
    }
    if (std::isnan(gap) || !std::isfinite(gap)) {
        gap = std::nan("");
    }
    return Judge(CheckId::ContourCloses, gap, 0, s.lengthTolerance,
                 "Контур замкнут, вершины в своих точках: зазор " + Fixed(gap, 3) + " мм");
}

// The fold lines are the hood's edges.
ShapeCheck FoldLengths(const Subject& s) {
    const RaschetData& d = s.d;
    const double edge = std::sqrt(d.L1 * d.L1 / 4 + d.L2 * d.L2 / 4 + d.H * d.H);
    // The line furthest from the true length stands for all four.
    double worst = Distance(s.at("4"), s.at("1"));
    for (const char* n : {"2", "6", "7"}) {
        const double len = Distance(s.at("4"), s.at(n));
        if (std::isnan(len) || std::fabs(len - edge) > std::fabs(worst - edge)) {
            worst = len;
        }
    }
    return Judge(CheckId::FoldLengths, worst, edge, s.lengthTolerance,
                 "Линии сгиба 4-1, 4-2, 4-6, 4-7: " + Fixed(worst, 3) +
                     " мм, истинное ребро зонта " + Fixed(edge, 3) + " мм");
}

// The two sides of the seam.
ShapeCheck SeamSides(const Subject& s) {
    const double right = Distance(s.at("4"), s.at("3")), left = Distance(s.at("4"), s.at("5"));
    return Judge(CheckId::SeamSides, right, left, s.lengthTolerance,
                 "Стороны шва 4-3 и 4-5: " + Fixed(right, 3) + " и " + Fixed(left, 3) + " мм");
}

// The faces' angles at the apex, from the hood's corners, against the
// sector the pattern spans from 4-3 round through the faces to 4-5.
ShapeCheck ApexAngles(const Subject& s) {
    const Vec3* c = s.c;
    const double faces = AngleAt(c[4], c[2], c[3]) + AngleAt(c[4], c[1], c[2]) +
                         AngleAt(c[4], c[7], c[1]) + AngleAt(c[4], c[6], c[7]) +
                         AngleAt(c[4], c[5], c[6]);
    const Point apex = s.at("4"), p3 = s.at("3"), p5 = s.at("5");
    // The notch between 3 and 5 is what the pattern leaves out of the full turn.
    double notch =
        std::atan2(p5.y - apex.y, p5.x - apex.x) - std::atan2(p3.y - apex.y, p3.x - apex.x);
    if (notch < 0) {
        notch += 2 * std::numbers::pi;
    }
    double sector = 2 * std::numbers::pi - notch;
    // A hood nearly flat spans almost the full turn; a notch that rounds to
    // just below zero is no notch, not a whole turn of one.
    if (faces - sector > std::numbers::pi) {
        sector += 2 * std::numbers::pi;
    }
    const double degrees = 180 / std::numbers::pi;
    return Judge(CheckId::ApexAngles, faces * degrees, sector * degrees, 1e-9 * 360,
                 "Углы граней у вершины 4: " + Fixed(faces * degrees, 4) +
                     "°, сектор развертки " + Fixed(sector * degrees, 4) + "°");
}

// Areas: the faces from the hood's corners, the strips and the band from
// their own corners on the pattern.
ShapeCheck Area(const Subject& s) {
    const Vec3* c = s.c;
    const auto type = PatternTypeOf(s.drawing.type);
    const double lateral = TriangleArea(c[4], c[7], c[1]) + TriangleArea(c[4], c[1], c[2]) +
                           TriangleArea(c[4], c[2], c[6]) + TriangleArea(c[4], c[6], c[7]);
    double strips = 0, band = 0;
    if (HasSeams(type)) {
        strips = s.at.area({"4", "3", "F1", "F2"}) + s.at.area({"4", "F4", "F3", "5"});
    }
    if (HasWire(type)) {
        band = s.at.area({"3", "W1", "W2", "2"}) + s.at.area({"2", "W3", "W4", "1"}) +
               s.at.area({"1", "W5", "W5'", "7"}) + s.at.area({"7", "W4'", "W3'", "6"}) +
               s.at.area({"6", "W2'", "W1'", "5"});
    }
    const double contour = std::fabs(PolygonArea(s.drawing.contour));
    const double parts = lateral + strips + band;
    std::string sum = "боковая поверхность " + Fixed(lateral, 1);
    if (HasSeams(type)) {
        sum += " + полосы фальца " + Fixed(strips, 1);
    }
    if (HasWire(type)) {
        sum += " + полоса под проволоку " + Fixed(band, 1);
    }
    return Judge(CheckId::Area, contour, parts, 1e-9 * std::max(1.0, parts),
                 "Площадь контура " + Fixed(contour, 1) + " мм² = " + sum + " мм²");
}

// Folded fully, the seam's two sides must lie on each other.
ShapeCheck SeamMeets(const Subject& s) {
    const FoldPlan plan(s.d, s.drawing);
    double apart = std::nan("");
    if (!plan.empty()) {
        const auto m = plan.motions(1);
        const Rigid& backRight = m[0];
        const Rigid& backLeft = m[4];
        apart = std::max(Norm(backRight(s.at("3")) - backLeft(s.at("5"))),
                         Norm(backRight(s.at("4")) - backLeft(s.at("4"))));
    }
    return Judge(CheckId::SeamMeets, apart, 0, s.lengthTolerance,
                 "Сгиб 100 %: стороны шва сходятся, расхождение " + Fixed(apart, 3) + " мм");
}

} // namespace

std::vector<ShapeCheck> CheckShape(const RaschetData& d, const ShopDrawing& drawing) {
    const Subject subject(d, drawing);
    return {ContourCloses(subject), FoldLengths(subject), SeamSides(subject),
            ApexAngles(subject),    Area(subject),        SeamMeets(subject)};
}

} // namespace kiv
