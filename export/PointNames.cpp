#include "export/PointNames.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>

namespace kiv {

namespace {

// Rings of spots around a point, a step of text heights apart. The first
// few count as beside the point; further out a name only goes when every
// near spot lies on another name.
constexpr int kNearRings = 3;
constexpr int kRings = 8;
constexpr double kRingStep = 0.5;
// Points closer than this many text heights crowd each other.
constexpr double kCrowd = 4;
// Space kept between two names, and around another point's dot, in text
// heights.
constexpr double kNameSpace = 0.15;
constexpr double kDotSpace = 0.2;

// The eight ways a name can stand off its point, counter-clockwise from the
// right.
constexpr int kWays[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};

Rect Grown(const Rect& r, double by) {
    return {r.x - by, r.y - by, r.w + 2 * by, r.h + 2 * by};
}

bool Overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool Holds(const Rect& outer, const Rect& inner) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

bool Covers(const Rect& r, Point p) {
    return p.x >= r.x && p.x <= r.x + r.w && p.y >= r.y && p.y <= r.y + r.h;
}

// A w x h box standing `gap` off `p` in direction (dx, dy).
Rect BoxBeside(Point p, int dx, int dy, double gap, double w, double h) {
    const double x = dx > 0 ? p.x + gap : dx < 0 ? p.x - gap - w : p.x - w / 2;
    const double y = dy > 0 ? p.y + gap : dy < 0 ? p.y - gap - h : p.y - h / 2;
    return {x, y, w, h};
}

// What makes one spot worse than another, most important first.
struct Score {
    int onName = 0;  // lies on a name placed before
    int outside = 0; // leaves the frame, or lies on a box to keep off
    int far = 0;     // beyond the near rings
    int dots = 0;    // other points it covers
    int lines = 0;   // lines it crosses
    int ring = 0;    // how far out
    double away = 0; // facing the middle of the drawing (larger) or away from it

    bool operator<(const Score& o) const {
        return std::tie(onName, outside, far, dots, lines, ring, away) <
               std::tie(o.onName, o.outside, o.far, o.dots, o.lines, o.ring, o.away);
    }
};

// Crowded points choose first, while there is still room around them.
std::vector<std::size_t> CrowdedFirst(const std::vector<NamedPoint>& points, double h) {
    std::vector<int> crowd(points.size(), 0);
    for (std::size_t i = 0; i < points.size(); ++i) {
        for (std::size_t j = 0; j < points.size(); ++j) {
            const Point a = points[i].at, b = points[j].at;
            if (i != j && std::hypot(a.x - b.x, a.y - b.y) < kCrowd * h) {
                ++crowd[i];
            }
        }
    }
    std::vector<std::size_t> order(points.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return crowd[a] > crowd[b]; });
    return order;
}

// The spots around the points scored against the drawing, the frame and
// the names placed so far.
class Spots {
public:
    Spots(const ShopDrawing& drawing, const NameLayoutOptions& options, double h)
        : points_(drawing.points), options_(options), h_(h), lines_(LinesOf(drawing)) {
        const Rect bounds = BoundsOf(drawing.contour);
        middle_ = {bounds.x + bounds.w / 2, bounds.y + bounds.h / 2};
    }

    // How bad the spot `box` is for the name of point i, on `ring` and
    // facing `way` from it.
    Score score(std::size_t i, const Rect& box, int ring, const int (&way)[2]) const {
        Score s;
        const Rect spaced = Grown(box, kNameSpace * h_);
        s.onName = std::any_of(taken_.begin(), taken_.end(),
                               [&](const Rect& t) { return Overlap(spaced, t); });
        s.outside = options_.frame && !Holds(*options_.frame, box);
        s.outside += static_cast<int>(std::count_if(options_.keepOff.begin(),
                                                    options_.keepOff.end(),
                                                    [&](const Rect& r) { return Overlap(box, r); }));
        s.far = ring >= kNearRings;
        const Rect dotted = Grown(box, kDotSpace * h_);
        for (std::size_t j = 0; j < points_.size(); ++j) {
            s.dots += j != i && Covers(dotted, points_[j].at);
        }
        s.lines = static_cast<int>(std::count_if(lines_.begin(), lines_.end(), [&](const Segment& l) {
            return SegmentMeets(l.a, l.b, box);
        }));
        s.ring = ring;
        const Point p = points_[i].at;
        const double ox = p.x - middle_.x, oy = p.y - middle_.y;
        const double outward = std::hypot(ox, oy);
        if (outward > 0) {
            s.away = -(way[0] * ox + way[1] * oy) / (outward * std::hypot(way[0], way[1]));
        }
        return s;
    }

    void take(const Rect& box) { taken_.push_back(box); }

private:
    const std::vector<NamedPoint>& points_;
    const NameLayoutOptions& options_;
    double h_;
    std::vector<Segment> lines_;
    Point middle_{};
    std::vector<Rect> taken_;
};

} // namespace

std::vector<PlacedName> PlacePointNames(const ShopDrawing& drawing,
                                        const NameLayoutOptions& options) {
    const double h = options.textHeight;
    if (!std::isfinite(h) || !(h > 0)) {
        return {};
    }
    const double gap = std::isfinite(options.gap) && options.gap >= 0 ? options.gap : h / 3;
    const auto widthOf = [&](const std::string& name) {
        const double w = options.textWidth ? options.textWidth(name) : -1;
        return std::isfinite(w) && w >= 0 ? w : 0.6 * h * static_cast<double>(name.size());
    };

    const auto& points = drawing.points;
    Spots spots(drawing, options, h);
    std::vector<PlacedName> placed(points.size());
    for (const std::size_t i : CrowdedFirst(points, h)) {
        const double w = widthOf(points[i].name);
        Score best;
        Rect bestBox;
        bool first = true;
        for (int ring = 0; ring < kRings; ++ring) {
            const double off = gap + ring * kRingStep * h;
            for (const auto& way : kWays) {
                const Rect box = BoxBeside(points[i].at, way[0], way[1], off, w, h);
                const Score s = spots.score(i, box, ring, way);
                if (first || s < best) {
                    best = s;
                    bestBox = box;
                    first = false;
                }
            }
        }
        placed[i] = {i, bestBox, best.lines, best.onName == 0};
        spots.take(bestBox);
    }
    return placed;
}

} // namespace kiv
