// Brute-force looks at a template layout, independent of the layout's own
// geometry: whether a point lies in a rectangle or on the pattern, and
// whether a box touches any line or any area of the pattern.
#pragma once

#include "export/ShopDrawing.h"
#include "export/Template.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace kiv::test {

inline bool In(const Rect& r, double x, double y, double slack = 1e-6) {
    return x >= r.x - slack && x <= r.x + r.w + slack && y >= r.y - slack && y <= r.y + r.h + slack;
}

// How far apart two boxes stand: the widest gap between them along x or y;
// zero or less when they touch or overlap.
inline double Clearance(const Rect& a, const Rect& b) {
    return std::max({b.x - (a.x + a.w), a.x - (b.x + b.w), b.y - (a.y + a.h), a.y - (b.y + b.h)});
}

// The check square keeps at least this far from the title block's frame.
inline constexpr double kSquareToTitle = 2;

// Non-zero winding by signed upward/downward crossings (the layout uses
// even-odd; on a simple polygon both agree).
inline bool OnPattern(const std::vector<Point>& c, double x, double y) {
    int winding = 0;
    for (std::size_t i = 0; i < c.size(); ++i) {
        const Point a = c[i], b = c[(i + 1) % c.size()];
        const double side = (b.x - a.x) * (y - a.y) - (x - a.x) * (b.y - a.y);
        if (a.y <= y && b.y > y && side > 0) {
            ++winding;
        } else if (a.y > y && b.y <= y && side < 0) {
            --winding;
        }
    }
    return winding != 0;
}

// Walks a line in quarter-millimetre steps: any point of it in the box, and
// it touches the box.
inline bool SegmentTouches(const Segment& s, const Rect& box) {
    const int steps = static_cast<int>(std::hypot(s.b.x - s.a.x, s.b.y - s.a.y) * 4) + 1;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        if (In(box, s.a.x + t * (s.b.x - s.a.x), s.a.y + t * (s.b.y - s.a.y), 0)) {
            return true;
        }
    }
    return false;
}

inline bool LineTouches(const ShopDrawing& d, const Rect& box) {
    const auto lines = LinesOf(d);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const Segment& s) { return SegmentTouches(s, box); });
}

// A line in the box, or, probed on a 2 mm grid, any box point on the
// pattern, and the box touches the pattern.
inline bool Touches(const ShopDrawing& d, const Rect& box) {
    if (LineTouches(d, box)) {
        return true;
    }
    const int nx = static_cast<int>(box.w / 2) + 1, ny = static_cast<int>(box.h / 2) + 1;
    for (int i = 0; i <= nx; ++i) {
        for (int j = 0; j <= ny; ++j) {
            if (OnPattern(d.contour, box.x + box.w * i / nx, box.y + box.h * j / ny)) {
                return true;
            }
        }
    }
    return false;
}

// Whether a side x side check square could stand on the page clear of the
// pattern by a wide margin: no line within `kRoom` of it, not on the
// pattern's surface, and as far from the title block's frame. Looked for in
// 10 mm steps; the layout looks in finer ones and keeps a smaller clearance,
// so where this finds room the layout's square must stand clear too.
inline bool RoomForAClearSquare(const ShopDrawing& d, const TemplatePage& p, double side) {
    constexpr double kRoom = 10, kStep = 10;
    std::vector<Segment> near;
    const Rect zone{p.view.x - kRoom, p.view.y - kRoom, p.view.w + 2 * kRoom, p.view.h + 2 * kRoom};
    for (const Segment& s : LinesOf(d)) {
        if (std::max(s.a.x, s.b.x) >= zone.x && std::min(s.a.x, s.b.x) <= zone.x + zone.w &&
            std::max(s.a.y, s.b.y) >= zone.y && std::min(s.a.y, s.b.y) <= zone.y + zone.h) {
            near.push_back(s);
        }
    }
    const auto lineIn = [&](const Rect& box) {
        return std::any_of(near.begin(), near.end(),
                           [&](const Segment& s) { return SegmentTouches(s, box); });
    };
    const int nx = static_cast<int>((p.view.w - side) / kStep),
              ny = static_cast<int>((p.view.h - side) / kStep);
    for (int j = 0; j <= ny; ++j) {
        for (int i = 0; i <= nx; ++i) {
            const Rect square{p.view.x + i * kStep, p.view.y + j * kStep, side, side};
            if (p.title && Clearance(square, p.titleBlock) < kRoom) {
                continue;
            }
            const Rect room{square.x - kRoom, square.y - kRoom, side + 2 * kRoom, side + 2 * kRoom};
            // With no line in it, the room lies wholly on or wholly off the pattern.
            if (!lineIn(room) && !OnPattern(d.contour, square.x + side / 2, square.y + side / 2)) {
                return true;
            }
        }
    }
    return false;
}

// The grid's sheets row by row from the top, printed or left out; a title
// sheet is no part of it.
inline std::vector<const TemplatePage*> GridSheets(const TemplateLayout& t) {
    std::vector<const TemplatePage*> out;
    for (const auto* group : {&t.pages, &t.leftOut}) {
        for (const auto& p : *group) {
            if (p.pattern) {
                out.push_back(&p);
            }
        }
    }
    std::sort(out.begin(), out.end(), [](const TemplatePage* a, const TemplatePage* b) {
        return a->row != b->row ? a->row < b->row : a->column < b->column;
    });
    return out;
}

// The label a pattern sheet must carry: its row as a letter from A, its column
// as a number from 1. (Built by appending: GCC 12 at -O3 warns falsely about
// "A" + std::to_string(...).)
inline std::string SheetLabel(int row, int column) {
    std::string label(1, static_cast<char>('A' + row));
    label += std::to_string(column + 1);
    return label;
}

} // namespace kiv::test
