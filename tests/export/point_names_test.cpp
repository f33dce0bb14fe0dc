// Where the point names stand: checked with brute-force geometry of its own,
// never with the placement's: every box beside its point, no two boxes on
// each other, no box on another point, and the lines a box crosses counted
// by walking the lines.
#include "core/Calculation.h"
#include "export/PointNames.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/template_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>

namespace {

using kiv::NameLayoutOptions;
using kiv::PlacedName;
using kiv::Rect;
using kiv::ShopDrawing;

struct NamedHood {
    const char* name;
    kiv::RaschetData hood;
    int type;
    int mostLinesCrossed; // by all names together
};

void PrintTo(const NamedHood& c, std::ostream* os) {
    *os << c.name;
}

kiv::RaschetData WithAllowances(kiv::RaschetData d, double p1, double p2) {
    d.FalthP1 = d.AllP1 = p1;
    d.FalthP2 = d.AllP2 = p2;
    return d;
}

ShopDrawing DrawingOf(kiv::RaschetData d, int type) {
    EXPECT_EQ(kiv::Calculate(d, type).status, kiv::CalcStatus::Ok);
    return kiv::ShopDrawingOf(d, type);
}

// Distance from a point to the nearest point of a box (0 inside it).
double DistanceTo(const Rect& r, kiv::Point p) {
    const double dx = std::max({r.x - p.x, 0.0, p.x - (r.x + r.w)});
    const double dy = std::max({r.y - p.y, 0.0, p.y - (r.y + r.h)});
    return std::hypot(dx, dy);
}

bool Apart(const Rect& a, const Rect& b) {
    return a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y;
}

// Lines of the drawing with a point inside the box, walked in steps of a
// hundredth of a millimetre.
int LinesThrough(const ShopDrawing& d, const Rect& box) {
    int crossed = 0;
    for (const auto& s : kiv::LinesOf(d)) {
        const int steps = static_cast<int>(std::hypot(s.b.x - s.a.x, s.b.y - s.a.y) * 100) + 1;
        for (int i = 0; i <= steps; ++i) {
            const double t = static_cast<double>(i) / steps;
            if (kiv::test::In(box, s.a.x + t * (s.b.x - s.a.x), s.a.y + t * (s.b.y - s.a.y), 0)) {
                ++crossed;
                break;
            }
        }
    }
    return crossed;
}

class PointNames : public ::testing::TestWithParam<NamedHood> {};

TEST_P(PointNames, StandBesideTheirPointsAndOffEachOther) {
    const NamedHood& c = GetParam();
    const ShopDrawing d = DrawingOf(c.hood, c.type);
    NameLayoutOptions o;
    o.textHeight = 3;
    const auto names = kiv::PlacePointNames(d, o);
    ASSERT_EQ(names.size(), d.points.size());
    int crossed = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        const PlacedName& n = names[i];
        const std::string& name = d.points[i].name;
        EXPECT_EQ(n.point, i);
        EXPECT_TRUE(n.clear) << name;
        EXPECT_NEAR(n.box.h, 3, 1e-12) << name;
        EXPECT_NEAR(n.box.w, 1.8 * static_cast<double>(name.size()), 1e-12) << name;
        const double off = DistanceTo(n.box, d.points[i].at);
        EXPECT_GE(off, 1 - 1e-9) << name << " touches its point";
        EXPECT_LE(off, 3 * o.textHeight) << name << " stands far from its point";
        for (std::size_t j = 0; j < names.size(); ++j) {
            if (j == i) {
                continue;
            }
            EXPECT_TRUE(j < i || Apart(n.box, names[j].box))
                << name << " lies on " << d.points[j].name;
            EXPECT_FALSE(kiv::test::In(n.box, d.points[j].at.x, d.points[j].at.y, 0))
                << name << " covers point " << d.points[j].name;
        }
        EXPECT_EQ(n.linesCrossed, LinesThrough(d, n.box)) << name;
        crossed += n.linesCrossed;
    }
    EXPECT_LE(crossed, c.mostLinesCrossed);
}

INSTANTIATE_TEST_SUITE_P(
    Hoods, PointNames,
    ::testing::Values(
        NamedHood{"DefaultsType1", kiv::test::Defaults(), 1, 0},
        NamedHood{"DefaultsType2", kiv::test::Defaults(), 2, 0},
        NamedHood{"DefaultsType3", kiv::test::Defaults(), 3, 0},
        NamedHood{"SmallType1", kiv::test::Hood(12, 20, 30), 1, 0},
        NamedHood{"SmallType2", kiv::test::Hood(12, 20, 30), 2, 0},
        NamedHood{"SmallType3", kiv::test::Hood(12, 20, 30), 3, 0},
        NamedHood{"TallType3", WithAllowances(kiv::test::Hood(1000, 200, 400), 10, 5), 3, 0},
        NamedHood{"FlatWideType3", WithAllowances(kiv::test::Hood(400, 300, 3000), 5, 2), 3, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Boxes a name may not use: the frame it stays in, the boxes it keeps off.
TEST(PointNamesOptions, KeepInTheFrameAndOffTheBoxesToKeepOff) {
    const ShopDrawing d = DrawingOf(kiv::test::Defaults(), 3);
    double minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (const auto& p : d.contour) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    NameLayoutOptions o;
    o.frame = Rect{minX, minY, maxX - minX, maxY - minY};
    const auto framed = kiv::PlacePointNames(d, o);
    ASSERT_EQ(framed.size(), d.points.size());
    for (const auto& n : framed) {
        const Rect& b = n.box;
        EXPECT_TRUE(b.x >= minX && b.y >= minY && b.x + b.w <= maxX && b.y + b.h <= maxY)
            << d.points[n.point].name << " leaves the blank";
    }

    // Every spot taken before is now to be kept off: each name finds another.
    NameLayoutOptions off;
    for (const auto& n : framed) {
        off.keepOff.push_back(n.box);
    }
    const auto moved = kiv::PlacePointNames(d, off);
    ASSERT_EQ(moved.size(), d.points.size());
    for (const auto& n : moved) {
        EXPECT_TRUE(n.clear);
        for (const Rect& k : off.keepOff) {
            EXPECT_TRUE(Apart(n.box, k)) << d.points[n.point].name << " on a box to keep off";
        }
    }
}

TEST(PointNamesOptions, TextSizeAndGapAsGiven) {
    const ShopDrawing d = DrawingOf(kiv::test::Defaults(), 2);
    NameLayoutOptions o;
    o.textHeight = 5;
    o.gap = 2;
    o.textWidth = [](const std::string& name) { return name == "F1" ? 12.5 : 4.0; };
    for (const auto& n : kiv::PlacePointNames(d, o)) {
        const std::string& name = d.points[n.point].name;
        EXPECT_EQ(n.box.h, 5) << name;
        EXPECT_EQ(n.box.w, name == "F1" ? 12.5 : 4.0) << name;
        EXPECT_GE(DistanceTo(n.box, d.points[n.point].at), 2 - 1e-9) << name;
    }
}

TEST(PointNamesOptions, NoPlacesForATextHeightThatIsNoSize) {
    const ShopDrawing d = DrawingOf(kiv::test::Defaults(), 1);
    for (const double h : {0.0, -3.0, std::nan(""), HUGE_VAL}) {
        NameLayoutOptions o;
        o.textHeight = h;
        EXPECT_TRUE(kiv::PlacePointNames(d, o).empty()) << h;
    }
}

} // namespace
