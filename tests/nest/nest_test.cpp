// Nesting on small orders whose best layout is known by hand, and on hood
// orders; every layout goes through the independent validator.
#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "nest/DrawingParts.h"
#include "nest/Nest.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/nest_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kiv {
namespace {

using nest::Layout;
using nest::NestFault;
using nest::Options;
using nest::Outline;
using nest::Part;
using nest::Stock;

Outline Rect(double w, double h) { return {{0, 0}, {w, 0}, {w, h}, {0, h}}; }

// A U open upwards: w wide, h tall, with a notch nw wide and nh deep.
Outline U(double w, double h, double nw, double nh) {
    const double a = (w - nw) / 2;
    return {{0, 0}, {w, 0}, {w, h}, {w - a, h}, {w - a, h - nh}, {a, h - nh}, {a, h}, {0, h}};
}

// A chiral L: its mirror image is no turn of it.
Outline L(double w, double h, double t) { return {{0, 0}, {w, 0}, {w, t}, {t, t}, {t, h}, {0, h}}; }

Options Quick(double gap, double margin, std::vector<double> turns = nest::QuarterTurns()) {
    Options o;
    o.gap = gap;
    o.margin = margin;
    o.rotations = std::move(turns);
    o.iterations = 40;
    return o;
}

struct Order {
    const char* name;
    std::vector<Part> parts;
    Stock stock;
    Options options;
    int sheets;          // the known least
    double lastLength;   // used length of the last sheet when known exactly, else NaN
};

const double kAny = std::numeric_limits<double>::quiet_NaN();

class KnownOrders : public ::testing::TestWithParam<Order> {};

TEST_P(KnownOrders, ValidLayoutOnTheKnownSheets) {
    const Order& o = GetParam();
    const Layout layout = nest::Nest(o.parts, o.stock, o.options);
    ASSERT_EQ(layout.fault, NestFault::None);
    for (const std::string& f : test::CheckLayout(o.parts, layout, o.stock, o.options)) {
        ADD_FAILURE() << f;
    }
    EXPECT_EQ(layout.sheets, o.sheets);
    if (!std::isnan(o.lastLength)) {
        EXPECT_NEAR(layout.lastLength, o.lastLength, test::NestTolerance(o.stock));
    }
    // The used length is where the farthest part of the last sheet ends.
    double far = 0;
    for (const nest::Placement& p : layout.placements) {
        if (p.sheet == layout.sheets - 1) {
            for (const nest::Vec& v : nest::PlaceOutline(o.parts[static_cast<std::size_t>(p.part)].outline, p)) {
                far = std::max(far, v.x);
            }
        }
    }
    EXPECT_NEAR(layout.lastLength, far, test::NestTolerance(o.stock));
}

INSTANTIATE_TEST_SUITE_P(
    Nest, KnownOrders,
    ::testing::Values(
        // Two squares and the gap fill the usable width and length exactly.
        Order{"FourSquaresFillTheSheetExactly", {{"sq", Rect(100, 100), 4}}, {230, 230, false},
              Quick(10, 10), 1, 220},
        Order{"AFifthSquareOpensASecondSheet", {{"sq", Rect(100, 100), 5}}, {230, 230, false},
              Quick(10, 10), 2, 110},
        // The block fits the sheet only inside the U's notch.
        Order{"BlockGoesIntoTheNotch", {{"u", U(300, 200, 100, 150), 1}, {"block", Rect(90, 140), 1}},
              {220, 320, false}, Quick(5, 10), 1, kAny},
        // A part too long for the sheet's length stands up across it.
        Order{"LongPartTurnsAcross", {{"bar", Rect(300, 50), 2}}, {320, 130, false}, Quick(5, 10), 1,
              10 + 50 + 5 + 50},
        // Only the diagonal takes a 300 mm bar on a 230 mm usable square.
        Order{"FineStepTakesTheDiagonal", {{"bar", Rect(300, 20), 1}}, {250, 250, false},
              Quick(5, 10, nest::TurnsEvery(45)), 1, kAny},
        Order{"TheFinestStepToo", {{"bar", Rect(300, 20), 1}}, {250, 250, false}, Quick(5, 10, nest::TurnsEvery(1)),
              1, kAny},
        // The bars fill what the block leaves only at mixed turns: the
        // second turn of a bar still finds the place that ends as far as
        // the first turn's.
        Order{"BlockAndBarsAtMixedTurns", {{"block", Rect(60, 60), 1}, {"bar", Rect(40, 20), 3}},
              {80, 120, false}, Quick(0, 10), 1, 110},
        // Ten squares on a coil: two rows of five.
        Order{"CoilTakesTwoRowsOfFive", {{"sq", Rect(100, 100), 10}}, {230, 0, true}, Quick(10, 10), 1,
              10 + 5 * 100 + 4 * 10},
        // Chiral parts in pairs without a gap: turned, never mirrored.
        Order{"ChiralPartsWithoutGap", {{"l", L(200, 150, 40), 6}, {"sq", Rect(60, 60), 4}},
              {400, 600, false}, Quick(0, 0), 1, kAny},
        Order{"HalfTurnsOnly", {{"l", L(200, 150, 40), 5}, {"bar", Rect(180, 30), 3}}, {300, 700, false},
              Quick(5, 10, nest::HalfTurns()), 1, kAny}),
    [](const ::testing::TestParamInfo<Order>& info) { return std::string(info.param.name); });

struct BadOrder {
    const char* name;
    std::vector<Part> parts;
    Stock stock;
    Options options;
    NestFault fault;
    int faultPart;
};

class BadOrders : public ::testing::TestWithParam<BadOrder> {};

TEST_P(BadOrders, NamedFaultAndNothingPlaced) {
    const BadOrder& o = GetParam();
    const Layout layout = nest::Nest(o.parts, o.stock, o.options);
    EXPECT_EQ(layout.fault, o.fault);
    EXPECT_EQ(layout.faultPart, o.faultPart);
    EXPECT_TRUE(layout.placements.empty());
    EXPECT_EQ(layout.sheets, 0);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

Options WithGap(double gap) {
    Options o = Quick(5, 10);
    o.gap = gap;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Nest, BadOrders,
    ::testing::Values(
        BadOrder{"NoParts", {}, {}, Quick(5, 10), NestFault::NoParts, -1},
        BadOrder{"ZeroQuantities", {{"a", Rect(10, 10), 0}}, {}, Quick(5, 10), NestFault::NoParts, -1},
        BadOrder{"NegativeQuantity", {{"a", Rect(10, 10), 1}, {"b", Rect(10, 10), -1}}, {}, Quick(5, 10),
                 NestFault::BadPart, 1},
        BadOrder{"NaNVertex", {{"a", {{0, 0}, {kNaN, 0}, {1, 1}}, 1}}, {}, Quick(5, 10), NestFault::BadPart, 0},
        BadOrder{"TwoVertices", {{"a", {{0, 0}, {5, 5}}, 1}}, {}, Quick(5, 10), NestFault::BadPart, 0},
        BadOrder{"NoArea", {{"a", {{0, 0}, {5, 5}, {10, 10}}, 1}}, {}, Quick(5, 10), NestFault::BadPart, 0},
        BadOrder{"ZeroWidthSheet", {{"a", Rect(10, 10), 1}}, {0, 100, false}, Quick(5, 10),
                 NestFault::BadStock, -1},
        BadOrder{"InfiniteSheet", {{"a", Rect(10, 10), 1}}, {100, kInf, false}, Quick(5, 10),
                 NestFault::BadStock, -1},
        BadOrder{"NegativeGap", {{"a", Rect(10, 10), 1}}, {}, WithGap(-1), NestFault::BadOptions, -1},
        BadOrder{"NaNGap", {{"a", Rect(10, 10), 1}}, {}, WithGap(kNaN), NestFault::BadOptions, -1},
        BadOrder{"NoTurns", {{"a", Rect(10, 10), 1}}, {}, Quick(5, 10, {}), NestFault::BadOptions, -1},
        BadOrder{"MoreTurnsThanTheFinestStepGives", {{"a", Rect(10, 10), 1}}, {},
                 Quick(5, 10, std::vector<double>(nest::kMostTurns + 1, 0.0)), NestFault::BadOptions, -1},
        BadOrder{"ATurnStepFinerThanADegree", {{"a", Rect(10, 10), 1}}, {}, Quick(5, 10, nest::TurnsEvery(0.999)),
                 NestFault::BadOptions, -1},
        // 2 × 1250 is larger than the default sheet whichever way round.
        BadOrder{"LargerThanTheSheet", {{"a", Rect(10, 10), 1}, {"big", Rect(2600, 1300), 1}}, {},
                 Quick(5, 10), NestFault::PartTooLarge, 1},
        // Fits only after the margins go: 1240 wide usable 1230.
        BadOrder{"WiderThanTheMargins", {{"big", Rect(2400, 1240), 1}}, {}, Quick(5, 10),
                 NestFault::PartTooLarge, 0},
        // Standing up would fit, but only half turns are allowed.
        BadOrder{"LongOnlyAcross", {{"bar", Rect(300, 50), 1}}, {320, 130, false},
                 Quick(5, 10, nest::HalfTurns()), NestFault::PartTooLarge, 0},
        BadOrder{"DiagonalNeedsAFinerStep", {{"bar", Rect(300, 20), 1}}, {250, 250, false}, Quick(5, 10),
                 NestFault::PartTooLarge, 0}),
    [](const ::testing::TestParamInfo<BadOrder>& info) { return std::string(info.param.name); });

TEST(Nest, SameSeedSameLayout) {
    const std::vector<Part> parts{{"l", L(200, 150, 40), 7}, {"u", U(300, 200, 100, 150), 3},
                                  {"sq", Rect(70, 50), 9}};
    const Stock stock{600, 900, false};
    Options options = Quick(5, 10);
    options.seed = 7;
    const Layout a = nest::Nest(parts, stock, options);
    const Layout b = nest::Nest(parts, stock, options);
    ASSERT_EQ(a.placements.size(), b.placements.size());
    for (std::size_t i = 0; i < a.placements.size(); ++i) {
        EXPECT_EQ(a.placements[i].sheet, b.placements[i].sheet);
        EXPECT_EQ(a.placements[i].angle, b.placements[i].angle);
        EXPECT_EQ(a.placements[i].offset.x, b.placements[i].offset.x);
        EXPECT_EQ(a.placements[i].offset.y, b.placements[i].offset.y);
    }
    EXPECT_EQ(a.iterationsDone, options.iterations);
    EXPECT_TRUE(test::CheckLayout(parts, a, stock, options).empty());
}

// The cap holds from the call on, the first layout included (it ran for
// minutes); only a shared cap's hard limit lets a first layout past the share.
TEST(Nest, NoRunOutlastsItsTimeCap) {
    const std::vector<Part> million{{"a", Rect(300, 200), 999999}};
    const std::vector<Part> few{{"l", L(200, 150, 40), 12}, {"sq", Rect(70, 50), 6}};
    const struct {
        const char* name;
        const std::vector<Part>& parts;
        Stock stock;
        double step, timeLimit, hardLimit;
        std::size_t placed; // 0: out of time
    } rows[] = {
        {"a million copies on sheets", million, {}, 90, 0.3, 0, 0},
        {"a million copies on a coil", million, {1250, 0, true}, 90, 0.3, 0, 0},
        {"every degree", few, {600, 900, false}, 1, 0.05, 0, 0},
        {"a first layout past the share", few, {600, 900, false}, 10, 1e-4, 60, 18},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Options o = Quick(5, 10, nest::TurnsEvery(r.step));
        o.iterations = 1000000;
        o.timeLimit = r.timeLimit;
        o.hardLimit = r.hardLimit;
        const auto start = std::chrono::steady_clock::now();
        const Layout layout = nest::Nest(r.parts, r.stock, o);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  r.timeLimit + r.hardLimit + 1.0);
        EXPECT_EQ(layout.fault, r.placed == 0 ? NestFault::OutOfTime : NestFault::None);
        ASSERT_EQ(layout.placements.size(), r.placed);
        if (r.placed > 0) {
            EXPECT_TRUE(layout.stopped);
            EXPECT_TRUE(test::CheckLayout(r.parts, layout, r.stock, o).empty());
        }
    }
}

// The caller's stop ends the search at once, in the search over orders (the
// first half of the 40 steps) or in the last sheet's rework (the second),
// with every part placed and the steps counted on without a gap.
class CallerStops : public ::testing::TestWithParam<int> {};

TEST_P(CallerStops, TheSearchWithAValidLayout) {
    const int stopAt = GetParam();
    const std::vector<Part> parts{{"l", L(200, 150, 40), 5}};
    const Stock stock{500, 500, false};
    int calls = 0;
    const Layout layout = nest::Nest(parts, stock, Quick(5, 10), [&](int done, int planned) {
        EXPECT_EQ(planned, 40);
        EXPECT_EQ(done, calls);
        return ++calls <= stopAt;
    });
    EXPECT_TRUE(layout.stopped);
    EXPECT_EQ(layout.iterationsDone, stopAt);
    EXPECT_EQ(calls, stopAt + 1);
    EXPECT_EQ(layout.placements.size(), 5u);
    EXPECT_TRUE(test::CheckLayout(parts, layout, stock, Quick(5, 10)).empty());
}

INSTANTIATE_TEST_SUITE_P(Nest, CallerStops, ::testing::Values(2, 25, 36));

// The caller's stop is asked between the parts of the first layouts too, so
// that a cancel never waits for a layout of many parts: before each turn of
// each copy, in both first layouts.
struct EarlyStop {
    const char* name;
    int stopAt;  // the stop's call that answers true; from the end of both first layouts when negative
    bool placed; // a whole first layout stands
};

class StopBeforeTheSteps : public ::testing::TestWithParam<EarlyStop> {};

TEST_P(StopBeforeTheSteps, EndsTheLayoutAtOnce) {
    const EarlyStop& e = GetParam();
    const std::vector<Part> parts{{"l", L(200, 150, 40), 5}};
    const Stock stock{500, 500, false};
    int asked = 0, steps = 0;
    int stopAt = e.stopAt;
    if (stopAt < 0) {
        // The asks of the whole start, the first step's own ask the last of them.
        nest::Nest(parts, stock, Quick(5, 10), [](int, int) { return false; }, [&] { return ++asked < 0; });
        stopAt += asked;
        asked = 0;
    }
    const Layout layout = nest::Nest(
        parts, stock, Quick(5, 10), [&](int, int) { return ++steps > 0; }, [&] { return ++asked >= stopAt; });
    EXPECT_EQ(asked, stopAt) << "asked again after it said stop";
    EXPECT_EQ(steps, 0) << "a step ran after the stop";
    EXPECT_TRUE(layout.stopped);
    EXPECT_EQ(layout.iterationsDone, 0);
    EXPECT_EQ(layout.fault, e.placed ? NestFault::None : NestFault::Stopped);
    EXPECT_EQ(layout.placements.size(), e.placed ? 5u : 0u);
    EXPECT_TRUE(test::CheckLayout(parts, layout, stock, Quick(5, 10)).empty() || !e.placed);
}

INSTANTIATE_TEST_SUITE_P(Nest, StopBeforeTheSteps,
                         ::testing::Values(EarlyStop{"BeforeTheFirstPart", 1, false},
                                           EarlyStop{"BeforeTheLastPartOfTheFirstLayout", 5, false},
                                           EarlyStop{"InTheSecondLayout", -1, true}),
                         [](const ::testing::TestParamInfo<EarlyStop>& info) { return std::string(info.param.name); });

// The validator itself must see the faults it exists for: a sound pair of
// parts 5 mm apart, then the second one spoiled.
struct Spoiled {
    const char* name;
    double dx, dy, angle; // moves and turns the second copy
    int copy;             // the second copy's number
    const char* fault;    // a piece of the expected fault text; empty: none
};

class ValidatorSees : public ::testing::TestWithParam<Spoiled> {};

TEST_P(ValidatorSees, TheFault) {
    const Spoiled& s = GetParam();
    const std::vector<Part> parts{{"l", L(100, 80, 20), 2}};
    const Stock stock{300, 300, false};
    Layout layout;
    layout.sheets = 1;
    layout.placements = {{0, 0, 0, 0, {10, 10}}, {0, s.copy, 0, s.angle, {115 + s.dx, 10 + s.dy}}};
    const std::vector<std::string> faults = test::CheckLayout(parts, layout, stock, Quick(5, 10, {0, 180}));
    if (std::string(s.fault).empty()) {
        EXPECT_TRUE(faults.empty()) << faults.front();
        return;
    }
    ASSERT_FALSE(faults.empty());
    for (const std::string& f : faults) {
        EXPECT_NE(f.find(s.fault), std::string::npos) << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Nest, ValidatorSees,
                         ::testing::Values(Spoiled{"SoundLayout", 0, 0, 0, 1, ""},
                                           Spoiled{"CloserThanTheGap", -0.01, 0, 0, 1, "only 4.99"},
                                           Spoiled{"Overlapping", -30, 0, 0, 1, "overlaps"},
                                           Spoiled{"IntoTheMargin", 0, -0.01, 0, 1, "outside"},
                                           Spoiled{"OffTheSheet", 100, 0, 0, 1, "outside"},
                                           Spoiled{"TurnNotAllowed", 100, 0, 90, 1, "allowed angle"},
                                           Spoiled{"SameCopyTwice", 0, 0, 0, 0, "placed"}),
                         [](const ::testing::TestParamInfo<Spoiled>& info) { return std::string(info.param.name); });

// Without a gap, parts may touch along a slanted edge: the shop's parts
// rounded to the engine's units land a hair off the exact places, where a
// plain polygon intersection can take the touch for a whole part's overlap.
struct Touching {
    const char* name;
    double dx; // moves the cross along the diamond's edge outward normal
    bool sound;
};

class ValidatorWithoutAGap : public ::testing::TestWithParam<Touching> {};

TEST_P(ValidatorWithoutAGap, TellsTouchingFromOverlap) {
    const Touching& t = GetParam();
    const std::vector<Part> parts{{"diamond", {{0, 0}, {6, -6}, {12, 0}, {6, 6}}, 1},
                                  {"cross", {{0, 0}, {2, 0}, {2, -2}, {4, -2}, {4, 0}, {6, 0}, {6, 2}, {4, 2}, {4, 4},
                                             {2, 4}, {2, 2}, {0, 2}},
                                   1}};
    Layout layout;
    layout.sheets = 1;
    const double n = t.dx / std::sqrt(2.0);
    layout.placements = {{0, 0, 0, 0, {6.999845, 29.001366}}, {1, 0, 0, 0, {13.997292 + n, 34.003919 + n}}};
    const std::vector<std::string> faults = test::CheckLayout(parts, layout, {40.004, 0, true}, Quick(0, 0, {0}));
    EXPECT_EQ(faults.empty(), t.sound) << (faults.empty() ? "" : faults.front());
}

INSTANTIATE_TEST_SUITE_P(Nest, ValidatorWithoutAGap,
                         ::testing::Values(Touching{"OnTheEdge", 0, true}, Touching{"Clear", 0.01, true},
                                           Touching{"InByAHundredth", -0.01, false},
                                           Touching{"InByHalf", -0.5, false}),
                         [](const ::testing::TestParamInfo<Touching>& info) { return std::string(info.param.name); });

TEST(Nest, ValidatorSeesAMirrorImage) {
    const std::vector<test::Xy> l{{0, 0}, {100, 0}, {100, 20}, {20, 20}, {20, 80}, {0, 80}};
    std::vector<test::Xy> mirrored;
    mirrored.reserve(l.size());
    for (const test::Xy& v : l) {
        mirrored.push_back({-v.x + 500, v.y});
    }
    EXPECT_FALSE(test::IsTurnedCopy(l, mirrored, {0, 90, 180, 270}, 1e-6));
}

// Two ESICUP swim parts as the engine laid them, touching along a slanted
// edge without a gap: Boost's default integer rescaling found them overlapping
// by the whole of the larger one.
TEST(Nest, ValidatorAcceptsPartsThatOnlyTouch) {
    const std::vector<test::Xy> a{{4013.9418, 3596.3031},   {4021.9418, 3448.3031},   {4040.904064, 3296.604987},
                                  {4082.385277, 3133.870999}, {4192.9418, 3147.3031},   {4301.9418, 3150.3031},
                                  {4414.9418, 3133.3031},   {4561.9418, 3099.3031},   {4777.95751, 3050.741429},
                                  {4818.9418, 3246.3031},   {4900.9418, 3400.3031},   {4768.9418, 3420.3031},
                                  {4668.9418, 3441.3031},   {4536.9418, 3475.3031},   {4285.9418, 3544.3031},
                                  {4131.395106, 3584.425799}};
    const std::vector<test::Xy> b{
        {4015.7211, 3563.387422}, {3885.9211, 3592.231867}, {3708.836485, 3533.203662}, {3520.7211, 3446.1652},
        {3399.7211, 3384.1652},   {3278.7211, 3318.1652},   {3160.7211, 3266.1652},     {3056.7211, 3243.1652},
        {2944.7211, 3250.1652},   {2740.7211, 3301.1652},   {2755.7211, 3162.1652},     {2765.7211, 3057.1652},
        {2755.7211, 2950.1652},   {2740.7211, 2811.1652},   {2944.7211, 2862.1652},     {3056.7211, 2869.1652},
        {3160.7211, 2846.1652},   {3278.7211, 2794.1652},   {3399.7211, 2728.1652},     {3520.7211, 2666.1652},
        {3708.836485, 2579.126738}, {3885.9211, 2520.098533}, {4015.7211, 2548.942978}};
    const test::SheetRules rules{5752, 0, true, 0, 0, {0}, 1e-6 * 5752};
    EXPECT_TRUE(test::LayoutFaults({{a, 1}, {b, 1}}, {{0, 0, 0, a}, {1, 0, 0, b}}, rules).empty());
    // Pushed 20 mm into each other they do overlap.
    std::vector<test::Xy> pushed = b;
    for (test::Xy& v : pushed) {
        v.x += 20;
    }
    EXPECT_FALSE(test::LayoutFaults({{a, 1}, {b, 1}}, {{0, 0, 0, a}, {1, 0, 0, pushed}}, rules).empty());
}

// Hood orders: parts from the shop drawings of all three types.
struct HoodOrder {
    const char* name;
    std::vector<std::pair<RaschetData, int>> hoods; // inputs and type
    int quantity;                                   // of each hood
    Stock stock;
};

std::vector<std::pair<RaschetData, int>> AllTypes(double H, double L1, double L2) {
    return {{test::Hood(H, L1, L2), 1}, {test::Hood(H, L1, L2), 2}, {test::Hood(H, L1, L2), 3}};
}

class HoodOrders : public ::testing::TestWithParam<HoodOrder> {};

TEST_P(HoodOrders, DrawingsTravelWithTheirParts) {
    const HoodOrder& o = GetParam();
    std::vector<ShopDrawing> drawings;
    std::vector<Part> parts;
    for (auto [d, type] : o.hoods) {
        ASSERT_EQ(Calculate(d, type).status, CalcStatus::Ok);
        drawings.push_back(ShopDrawingOf(d, type));
        parts.push_back(nest::PartOf(drawings.back(), "hood", o.quantity));
        // The outline holds no slit spike: it is a simple polygon.
        std::string why;
        const auto poly = test::validator_detail::ToPolygon(test::ToXy(parts.back().outline));
        EXPECT_TRUE(boost::geometry::is_valid(poly, why)) << "type " << type << ": " << why;
    }
    const Options options = Quick(5, 10);
    const Layout layout = nest::Nest(parts, o.stock, options);
    ASSERT_EQ(layout.fault, NestFault::None);
    for (const std::string& f : test::CheckLayout(parts, layout, o.stock, options)) {
        ADD_FAILURE() << f;
    }
    const double tol = test::NestTolerance(o.stock);
    for (const nest::Placement& p : layout.placements) {
        const ShopDrawing& d = drawings[static_cast<std::size_t>(p.part)];
        const ShopDrawing moved = nest::PlaceDrawing(d, p);
        // Contour, lines and named points all take the part's one turn and shift.
        const auto every = [](const ShopDrawing& s) {
            std::vector<test::Xy> v;
            for (const auto* polyline : {&s.contour, &s.slit}) {
                for (const Point& q : *polyline) {
                    v.push_back({q.x, q.y});
                }
            }
            for (const auto* lines : {&s.folds, &s.seams, &s.wires}) {
                for (const Segment& g : *lines) {
                    v.push_back({g.a.x, g.a.y});
                    v.push_back({g.b.x, g.b.y});
                }
            }
            for (const NamedPoint& q : s.points) {
                v.push_back({q.at.x, q.at.y});
            }
            return v;
        };
        EXPECT_TRUE(test::IsTurnedCopy(every(d), every(moved), {p.angle}, tol));
        const std::vector<test::Xy> outline = test::ToXy(nest::OuterContour(moved));
        const std::vector<test::Xy> placed =
            test::ToXy(nest::PlaceOutline(parts[static_cast<std::size_t>(p.part)].outline, p));
        ASSERT_EQ(outline.size(), placed.size());
        for (std::size_t i = 0; i < outline.size(); ++i) {
            EXPECT_NEAR(outline[i].x, placed[i].x, tol);
            EXPECT_NEAR(outline[i].y, placed[i].y, tol);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Nest, HoodOrders,
    ::testing::Values(HoodOrder{"DefaultHoodsOfEveryType", AllTypes(100, 200, 400), 3, {}},
                      HoodOrder{"TallNarrowHoodsOnACoil", AllTypes(400, 150, 250), 2, {1000, 0, true}},
                      HoodOrder{"FlatWideHoodsOnSmallSheets", AllTypes(60, 500, 700), 2, {1000, 2000, false}}),
    [](const ::testing::TestParamInfo<HoodOrder>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kiv
