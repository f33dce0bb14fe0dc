// The public geometry of parts: turns, placing an outline, its area and box.
#include "nest/Nest.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace kiv::nest {

std::vector<double> QuarterTurns() { return {0, 90, 180, 270}; }
std::vector<double> HalfTurns() { return {0, 180}; }

std::vector<double> TurnsEvery(double stepDegrees) {
    std::vector<double> out;
    if (!(stepDegrees >= kFinestTurnStep && stepDegrees <= 360)) {
        return out;
    }
    for (int i = 0;; ++i) {
        const double a = i * stepDegrees;
        if (a >= 360 - 1e-9) {
            break;
        }
        out.push_back(a);
    }
    return out;
}

Vec Turn(Vec p, double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) {
        a += 360;
    }
    double c = 0, s = 0;
    if (a == 0) {
        c = 1;
    } else if (a == 90) {
        s = 1;
    } else if (a == 180) {
        c = -1;
    } else if (a == 270) {
        s = -1;
    } else {
        const double r = a * std::acos(-1.0) / 180.0;
        c = std::cos(r);
        s = std::sin(r);
    }
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

Vec PlacePoint(Vec p, const Placement& placement) {
    const Vec t = Turn(p, placement.angle);
    return {t.x + placement.offset.x, t.y + placement.offset.y};
}

Outline PlaceOutline(const Outline& outline, const Placement& placement) {
    Outline out;
    out.reserve(outline.size());
    for (const Vec& p : outline) {
        out.push_back(PlacePoint(p, placement));
    }
    return out;
}

double OutlineArea(const Outline& outline) {
    double a = 0;
    for (std::size_t i = 0, n = outline.size(); i < n; ++i) {
        const Vec& p = outline[i];
        const Vec& q = outline[(i + 1) % n];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

Extent SmallestExtent(const Outline& outline, const std::vector<double>& rotations) {
    Extent best{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    for (double r : rotations) {
        double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
        for (const Vec& p : outline) {
            const Vec t = Turn(p, r);
            x0 = std::min(x0, t.x);
            x1 = std::max(x1, t.x);
            y0 = std::min(y0, t.y);
            y1 = std::max(y1, t.y);
        }
        if ((x1 - x0) * (y1 - y0) < best.along * best.across || !std::isfinite(best.along)) {
            best = {x1 - x0, y1 - y0};
        }
    }
    return best;
}

} // namespace kiv::nest
