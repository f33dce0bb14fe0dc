#include "shape/Checks.h"

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

} // namespace

std::vector<ShapeCheck> CheckShape(const RaschetData& d, const ShopDrawing& drawing) {
    const Named at(drawing);
    // Lengths are compared to a few million rounding errors of the largest
    // size of the pattern: far below any tool, far above what crossing arcs
    // lose in double precision even on a needle-thin hood.
    double reach = std::max({1.0, d.L1, d.L2, d.H});
    for (const auto& p : drawing.points) {
        reach = std::max({reach, std::fabs(p.at.x), std::fabs(p.at.y)});
    }
    const double lengthTolerance = 1e-9 * reach;
    std::vector<ShapeCheck> out;

    // The contour: each vertex where its name says, at least a triangle.
    double gap =
        drawing.contour.size() >= 3 && drawing.contourNames.size() == drawing.contour.size()
            ? 0.0
            : std::nan("");
    for (std::size_t i = 0; i < drawing.contour.size() && i < drawing.contourNames.size(); ++i) {
        gap = std::max(gap, Distance(drawing.contour[i], at(drawing.contourNames[i])));
    }
    if (std::isnan(gap) || !std::isfinite(gap)) {
        gap = std::nan("");
    }
    out.push_back(Judge(CheckId::ContourCloses, gap, 0, lengthTolerance,
                        "Контур замкнут, вершины в своих точках: зазор " + Fixed(gap, 3) + " мм"));

    // The fold lines are the hood's edges.
    const double edge = std::sqrt(d.L1 * d.L1 / 4 + d.L2 * d.L2 / 4 + d.H * d.H);
    // The line furthest from the true length stands for all four.
    double worst = Distance(at("4"), at("1"));
    for (const char* n : {"2", "6", "7"}) {
        const double len = Distance(at("4"), at(n));
        if (std::isnan(len) || std::fabs(len - edge) > std::fabs(worst - edge)) {
            worst = len;
        }
    }
    out.push_back(Judge(CheckId::FoldLengths, worst, edge, lengthTolerance,
                        "Линии сгиба 4-1, 4-2, 4-6, 4-7: " + Fixed(worst, 3) +
                            " мм, истинное ребро зонта " + Fixed(edge, 3) + " мм"));

    // The two sides of the seam.
    const double right = Distance(at("4"), at("3")), left = Distance(at("4"), at("5"));
    out.push_back(
        Judge(CheckId::SeamSides, right, left, lengthTolerance,
              "Стороны шва 4-3 и 4-5: " + Fixed(right, 3) + " и " + Fixed(left, 3) + " мм"));

    // The faces' angles at the apex, from the hood's corners, against the
    // sector the pattern spans from 4-3 round through the faces to 4-5.
    Vec3 c[8];
    for (int i = 0; i < 8; ++i) {
        HoodCorner(d, std::to_string(i), c[i]);
    }
    const double faces = AngleAt(c[4], c[2], c[3]) + AngleAt(c[4], c[1], c[2]) +
                         AngleAt(c[4], c[7], c[1]) + AngleAt(c[4], c[6], c[7]) +
                         AngleAt(c[4], c[5], c[6]);
    const Point apex = at("4"), p3 = at("3"), p5 = at("5");
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
    out.push_back(Judge(CheckId::ApexAngles, faces * degrees, sector * degrees, 1e-9 * 360,
                        "Углы граней у вершины 4: " + Fixed(faces * degrees, 4) +
                            "°, сектор развертки " + Fixed(sector * degrees, 4) + "°"));

    // Areas: the faces from the hood's corners, the strips and the band from
    // their own corners on the pattern.
    const double lateral = TriangleArea(c[4], c[7], c[1]) + TriangleArea(c[4], c[1], c[2]) +
                           TriangleArea(c[4], c[2], c[6]) + TriangleArea(c[4], c[6], c[7]);
    double strips = 0, band = 0;
    if (drawing.type >= 2) {
        strips = at.area({"4", "3", "F1", "F2"}) + at.area({"4", "F4", "F3", "5"});
    }
    if (drawing.type == 3) {
        band = at.area({"3", "W1", "W2", "2"}) + at.area({"2", "W3", "W4", "1"}) +
               at.area({"1", "W5", "W5'", "7"}) + at.area({"7", "W4'", "W3'", "6"}) +
               at.area({"6", "W2'", "W1'", "5"});
    }
    const double contour = std::fabs(PolygonArea(drawing.contour));
    const double parts = lateral + strips + band;
    std::string sum = "боковая поверхность " + Fixed(lateral, 1);
    if (drawing.type >= 2) {
        sum += " + полосы фальца " + Fixed(strips, 1);
    }
    if (drawing.type == 3) {
        sum += " + полоса под проволоку " + Fixed(band, 1);
    }
    out.push_back(Judge(CheckId::Area, contour, parts, 1e-9 * std::max(1.0, parts),
                        "Площадь контура " + Fixed(contour, 1) + " мм² = " + sum + " мм²"));

    // Folded fully, the seam's two sides must lie on each other.
    const FoldPlan plan(d, drawing);
    double apart = std::nan("");
    if (!plan.empty()) {
        const auto m = plan.motions(1);
        const Rigid& backRight = m[0];
        const Rigid& backLeft = m[4];
        apart = std::max(Norm(backRight(at("3")) - backLeft(at("5"))),
                         Norm(backRight(at("4")) - backLeft(at("4"))));
    }
    out.push_back(
        Judge(CheckId::SeamMeets, apart, 0, lengthTolerance,
              "Сгиб 100 %: стороны шва сходятся, расхождение " + Fixed(apart, 3) + " мм"));
    return out;
}

} // namespace kiv
