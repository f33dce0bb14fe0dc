// An independent check of a nested layout, on Boost.Geometry's floating-point
// polygons rather than the integer clipping the nesting engine uses: every
// outline simple, every part inside its sheet's margin, no two parts on a
// sheet closer than the gap, every copy of every part exactly once, and each
// placed outline its part's outline turned by an allowed angle and shifted,
// never mirrored.
#pragma once

// Boost 1.74 rescales coordinates to integers before an overlay by default,
// and then finds two touching parts overlapping by the whole of one of them
// (two ESICUP swim parts showed it); without the rescaling the overlay works
// on the doubles themselves and measures that contact correctly.
#ifndef BOOST_GEOMETRY_NO_ROBUSTNESS
#define BOOST_GEOMETRY_NO_ROBUSTNESS
#endif

#include <boost/geometry.hpp>
#include <boost/geometry/geometries/point_xy.hpp>
#include <boost/geometry/geometries/polygon.hpp>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kiv::test {

struct Xy {
    double x = 0, y = 0;
};

struct CheckedPart {
    std::vector<Xy> outline;
    int quantity = 0;
};

struct PlacedCopy {
    int part = 0, copy = 0, sheet = 0;
    std::vector<Xy> outline; // the part's vertices, in order, where they landed
};

struct SheetRules {
    double width = 0, length = 0; // length ignored for a coil
    bool coil = false;
    double gap = 0, margin = 0;
    std::vector<double> rotations; // degrees
    // Allowed error in millimetres: the engine rounds to whole units of about
    // a ten-millionth of the sheet.
    double tolerance = 1e-3;
};

namespace validator_detail {

namespace bg = boost::geometry;
using BPoint = bg::model::d2::point_xy<double>;
using BPolygon = bg::model::polygon<BPoint>;

struct Box {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

inline Box BoxOf(const std::vector<Xy>& outline) {
    Box b{outline.at(0).x, outline.at(0).y, outline.at(0).x, outline.at(0).y};
    for (const Xy& v : outline) {
        b = {std::min(b.x0, v.x), std::min(b.y0, v.y), std::max(b.x1, v.x), std::max(b.y1, v.y)};
    }
    return b;
}

// The polygon with every edge moved in by `by`.
inline bg::model::multi_polygon<BPolygon> Shrunk(const BPolygon& p, double by) {
    bg::model::multi_polygon<BPolygon> out;
    bg::buffer(p, out, bg::strategy::buffer::distance_symmetric<double>(-by), bg::strategy::buffer::side_straight(),
               bg::strategy::buffer::join_miter(), bg::strategy::buffer::end_flat(),
               bg::strategy::buffer::point_square());
    return out;
}

inline BPolygon ToPolygon(const std::vector<Xy>& outline) {
    BPolygon p;
    for (const Xy& v : outline) {
        bg::append(p.outer(), BPoint(v.x, v.y));
    }
    bg::correct(p); // close it and make it clockwise, as the model expects
    return p;
}

inline double Pi() { return std::acos(-1.0); }

// The turn that carries `from` onto `to` best in the least-squares sense, and
// the largest distance a vertex then misses by.
inline std::pair<double, double> FitTurn(const std::vector<Xy>& from, const std::vector<Xy>& to) {
    const std::size_t n = from.size();
    Xy cf, ct;
    for (std::size_t i = 0; i < n; ++i) {
        cf.x += from[i].x / static_cast<double>(n);
        cf.y += from[i].y / static_cast<double>(n);
        ct.x += to[i].x / static_cast<double>(n);
        ct.y += to[i].y / static_cast<double>(n);
    }
    double dot = 0, cross = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double ax = from[i].x - cf.x, ay = from[i].y - cf.y;
        const double bx = to[i].x - ct.x, by = to[i].y - ct.y;
        dot += ax * bx + ay * by;
        cross += ax * by - ay * bx;
    }
    const double angle = std::atan2(cross, dot);
    const double c = std::cos(angle), s = std::sin(angle);
    double worst = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double ax = from[i].x - cf.x, ay = from[i].y - cf.y;
        const double px = ct.x + ax * c - ay * s, py = ct.y + ax * s + ay * c;
        worst = std::max(worst, std::hypot(px - to[i].x, py - to[i].y));
    }
    double degrees = angle * 180 / Pi();
    if (degrees < 0) {
        degrees += 360;
    }
    return {degrees, worst};
}

inline bool AllowedTurn(double degrees, const std::vector<double>& rotations) {
    for (double r : rotations) {
        double d = std::fmod(std::abs(degrees - r), 360.0);
        d = std::min(d, 360 - d);
        if (d < 1e-6) {
            return true;
        }
    }
    return false;
}

} // namespace validator_detail

// Rigid copy check alone, for point sets other than outlines (a drawing's
// fold lines and named points): `to` is `from` turned by an allowed angle and
// shifted, within the tolerance.
inline bool IsTurnedCopy(const std::vector<Xy>& from, const std::vector<Xy>& to,
                         const std::vector<double>& rotations, double tolerance) {
    if (from.size() != to.size() || from.empty()) {
        return false;
    }
    const auto [degrees, worst] = validator_detail::FitTurn(from, to);
    return worst <= tolerance && validator_detail::AllowedTurn(degrees, rotations);
}

// Every fault found, one line each; empty when the layout is sound.
inline std::vector<std::string> LayoutFaults(const std::vector<CheckedPart>& parts,
                                             const std::vector<PlacedCopy>& placed,
                                             const SheetRules& rules) {
    namespace bg = validator_detail::bg;
    using validator_detail::Box;
    using validator_detail::BPolygon;
    std::vector<std::string> faults;
    const auto fault = [&](const PlacedCopy& p, const std::string& what) {
        std::ostringstream s;
        s << "part " << p.part << " copy " << p.copy << " (sheet " << p.sheet << "): " << what;
        faults.push_back(s.str());
    };
    const double tol = rules.tolerance;

    std::map<std::pair<int, int>, int> seen;
    std::vector<BPolygon> polygons;
    std::vector<Box> boxes;
    for (const PlacedCopy& p : placed) {
        polygons.push_back(validator_detail::ToPolygon(p.outline));
        boxes.push_back(validator_detail::BoxOf(p.outline));
        if (p.part < 0 || static_cast<std::size_t>(p.part) >= parts.size()) {
            fault(p, "no such part");
            continue;
        }
        ++seen[{p.part, p.copy}];
        const CheckedPart& part = parts[static_cast<std::size_t>(p.part)];
        if (p.copy < 0 || p.copy >= part.quantity) {
            fault(p, "copy beyond the quantity");
        }
        if (p.sheet < 0) {
            fault(p, "negative sheet");
        }
        std::string why;
        if (!bg::is_valid(polygons.back(), why)) {
            fault(p, "outline not simple: " + why);
        }
        if (!IsTurnedCopy(part.outline, p.outline, rules.rotations, tol)) {
            fault(p, "not its part turned by an allowed angle");
        }
        for (const Xy& v : p.outline) {
            const bool inside = v.x >= rules.margin - tol && v.y >= rules.margin - tol &&
                                v.y <= rules.width - rules.margin + tol &&
                                (rules.coil || v.x <= rules.length - rules.margin + tol);
            if (!inside) {
                std::ostringstream s;
                s << "vertex (" << v.x << ", " << v.y << ") outside the usable sheet";
                fault(p, s.str());
                break;
            }
        }
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (int c = 0; c < parts[i].quantity; ++c) {
            const auto it = seen.find({static_cast<int>(i), c});
            const int count = it == seen.end() ? 0 : it->second;
            if (count != 1) {
                faults.push_back("part " + std::to_string(i) + " copy " + std::to_string(c) + " placed " +
                                 std::to_string(count) + " times");
            }
        }
    }
    for (std::size_t i = 0; i < placed.size(); ++i) {
        for (std::size_t j = i + 1; j < placed.size(); ++j) {
            if (placed[i].sheet != placed[j].sheet) {
                continue;
            }
            const Box& a = boxes[i];
            const Box& b = boxes[j];
            const double reach = rules.gap + tol;
            if (a.x1 + reach < b.x0 || b.x1 + reach < a.x0 || a.y1 + reach < b.y0 || b.y1 + reach < a.y0) {
                continue;
            }
            std::ostringstream s;
            if (bg::intersects(polygons[i], polygons[j])) {
                // Touching is allowed without a gap; an overlap deeper than the
                // tolerance is not. Boost's intersection of two parts that touch
                // along a slanted edge can come out as a whole part, so the
                // overlap is told by the parts shrunk by half the tolerance
                // each, which then stand clear of each other.
                if (rules.gap > tol ||
                    bg::intersects(validator_detail::Shrunk(polygons[i], tol / 2),
                                   validator_detail::Shrunk(polygons[j], tol / 2))) {
                    std::vector<BPolygon> common;
                    bg::intersection(polygons[i], polygons[j], common);
                    double area = 0;
                    for (const BPolygon& q : common) {
                        area += bg::area(q);
                    }
                    s << "overlaps part " << placed[j].part << " copy " << placed[j].copy << " by area "
                      << area;
                    fault(placed[i], s.str());
                }
                continue;
            }
            const double d = bg::distance(polygons[i], polygons[j]);
            if (d < rules.gap - tol) {
                s << "only " << d << " from part " << placed[j].part << " copy " << placed[j].copy;
                fault(placed[i], s.str());
            }
        }
    }
    return faults;
}

} // namespace kiv::test
