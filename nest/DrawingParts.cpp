#include "nest/DrawingParts.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace kiv::nest {

namespace {

// A vertex where the outline runs out along a line and straight back, as the
// slit does at the apex; such a spike encloses nothing.
bool IsSpike(Vec a, Vec v, Vec b, double tolerance) {
    const double cross = (v.x - a.x) * (b.y - a.y) - (v.y - a.y) * (b.x - a.x);
    const double dot = (v.x - a.x) * (b.x - v.x) + (v.y - a.y) * (b.y - v.y);
    const double len = std::hypot(v.x - a.x, v.y - a.y) + std::hypot(b.x - v.x, b.y - v.y);
    return dot < 0 && std::abs(cross) <= tolerance * len;
}

bool Same(Vec a, Vec b, double tolerance) { return std::hypot(a.x - b.x, a.y - b.y) <= tolerance; }

Point Move(Point p, const Placement& placement) {
    const Vec v = PlacePoint({p.x, p.y}, placement);
    return {v.x, v.y};
}

Segment Move(const Segment& s, const Placement& placement) {
    return {Move(s.a, placement), Move(s.b, placement)};
}

} // namespace

Outline OuterContour(const ShopDrawing& drawing) {
    Outline out;
    double size = 0;
    for (const Point& p : drawing.contour) {
        out.push_back({p.x, p.y});
        size = std::max(size, std::max(std::abs(p.x), std::abs(p.y)));
    }
    const double tolerance = 1e-9 * std::max(size, 1.0);
    // Drop repeated vertices and spikes until a whole round finds none;
    // removing one spike can make its neighbour the next (the way back along
    // the slit).
    std::size_t i = 0, unchanged = 0;
    while (out.size() >= 3 && unchanged < out.size()) {
        const std::size_t n = out.size();
        i %= n;
        const Vec a = out[(i + n - 1) % n], v = out[i], b = out[(i + 1) % n];
        if (Same(a, v, tolerance) || IsSpike(a, v, b, tolerance)) {
            out.erase(out.begin() + static_cast<std::ptrdiff_t>(i));
            i = i == 0 ? 0 : i - 1; // the neighbour before may be the next spike
            unchanged = 0;
        } else {
            ++i;
            ++unchanged;
        }
    }
    return out;
}

Part PartOf(const ShopDrawing& drawing, std::string name, int quantity) {
    return {std::move(name), OuterContour(drawing), quantity};
}

ShopDrawing PlaceDrawing(const ShopDrawing& drawing, const Placement& placement) {
    ShopDrawing out = drawing;
    for (auto* polyline : {&out.contour, &out.slit}) {
        for (Point& p : *polyline) {
            p = Move(p, placement);
        }
    }
    for (auto* lines : {&out.folds, &out.seams, &out.wires}) {
        for (Segment& s : *lines) {
            s = Move(s, placement);
        }
    }
    for (NamedPoint& p : out.points) {
        p.at = Move(p.at, placement);
    }
    return out;
}

} // namespace kiv::nest
