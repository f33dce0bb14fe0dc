#include "nest/NoFit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kiv::nest::detail {

namespace {

double Perimeter(const cl::Path& p) {
    double s = 0;
    for (std::size_t i = 0, n = p.size(); i < n; ++i) {
        const cl::IntPoint& a = p[i];
        const cl::IntPoint& b = p[(i + 1) % n];
        s += std::hypot(static_cast<double>(b.X - a.X), static_cast<double>(b.Y - a.Y));
    }
    return s;
}

// Of several polygons the one with the largest positive area.
cl::Path Largest(const cl::Paths& paths) {
    cl::Path best;
    double area = 0;
    for (const cl::Path& p : paths) {
        const double a = cl::Area(p);
        if (a > area) {
            area = a;
            best = p;
        }
    }
    return best;
}

cl::cInt Units(double mm, double scale) { return static_cast<cl::cInt>(std::llround(mm * scale)); }

} // namespace

cl::IntRect BoxOf(const cl::Paths& paths) {
    constexpr cl::cInt kMax = std::numeric_limits<cl::cInt>::max(), kMin = std::numeric_limits<cl::cInt>::min();
    cl::IntRect r{kMax, kMax, kMin, kMin};
    for (const cl::Path& p : paths) {
        for (const cl::IntPoint& q : p) {
            r.left = std::min(r.left, q.X);
            r.right = std::max(r.right, q.X);
            r.top = std::min(r.top, q.Y);
            r.bottom = std::max(r.bottom, q.Y);
        }
    }
    return r;
}

bool MakeShape(const Outline& outline, double angle, double scale, cl::cInt gapUnits, Shape& s) {
    s.angle = angle;
    s.outline.clear();
    for (const Vec& v : outline) {
        const Vec t = Turn(v, angle);
        s.outline.emplace_back(Units(t.x, scale), Units(t.y, scale));
    }
    cl::CleanPolygon(s.outline, 1.0);
    if (!cl::Orientation(s.outline)) {
        cl::ReversePath(s.outline);
    }
    if (s.outline.size() < 3) {
        return false;
    }
    s.box = BoxOf(cl::Paths{s.outline});
    const auto grown = [&](double by) {
        cl::ClipperOffset grow(2.0);
        grow.AddPath(s.outline, cl::jtMiter, cl::etClosedPolygon);
        cl::Paths paths;
        grow.Execute(paths, by);
        cl::Path g = Largest(paths);
        return g.size() >= 3 ? g : s.outline;
    };
    s.inflated = grown(static_cast<double>(gapUnits) / 2);
    s.moving = grown(static_cast<double>(gapUnits) / 2 - static_cast<double>(kSlackUnits));
    return true;
}

// The fixed shape summed with the moving one turned half round. Clipper sums
// the moving shape along the fixed one's boundary only; the two translated
// copies fill the inside, so that no position with one part wholly inside
// the other survives. Holes thinner than a few units are rounding debris,
// not room for a part.
cl::Paths NoFitPolygon(const cl::Path& fixed, const cl::Path& moving) {
    cl::Path negated;
    negated.reserve(moving.size());
    for (const cl::IntPoint& p : moving) {
        negated.emplace_back(-p.X, -p.Y);
    }
    cl::Paths sum;
    cl::MinkowskiSum(negated, fixed, sum, true);
    cl::Path a = fixed, b = negated;
    for (cl::IntPoint& p : a) {
        p.X += negated[0].X;
        p.Y += negated[0].Y;
    }
    for (cl::IntPoint& p : b) {
        p.X += fixed[0].X;
        p.Y += fixed[0].Y;
    }
    cl::Clipper c;
    c.AddPaths(sum, cl::ptSubject, true);
    c.AddPath(a, cl::ptSubject, true);
    c.AddPath(b, cl::ptSubject, true);
    cl::Paths out;
    c.Execute(cl::ctUnion, out, cl::pftNonZero, cl::pftNonZero);
    std::erase_if(out, [](const cl::Path& p) {
        const double area = cl::Area(p);
        return area < 0 && -2 * area < 4 * Perimeter(p);
    });
    return out;
}

} // namespace kiv::nest::detail
