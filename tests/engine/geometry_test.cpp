#include "core/Geometry.h"
#include "tests/support/engine_fixtures.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <string>

namespace {

using kiv::RaschetData;
using kiv::test::Hood;
using kiv::test::kFourDecimals;

struct Pt {
    double x, y;
};

void ExpectPoint(Pt expected, double x, double y, const char* name) {
    SCOPED_TRACE(name);
    EXPECT_NEAR(x, expected.x, kFourDecimals);
    EXPECT_NEAR(y, expected.y, kFourDecimals);
}

// ---- base development ------------------------------------------------------

struct BaseCase {
    const char* name;
    double H, L1, L2;
    double R04, R42;
    Pt p2, p3;
};

class BaseDevelopment : public testing::TestWithParam<BaseCase> {};

TEST_P(BaseDevelopment, MatchesWorkedValues) {
    const BaseCase& c = GetParam();
    RaschetData d = Hood(c.H, c.L1, c.L2);
    kiv::Razv0_4(d);
    EXPECT_NEAR(d.R04, c.R04, kFourDecimals);
    EXPECT_NEAR(d.R42, c.R42, kFourDecimals);
    ExpectPoint({c.L2 / 2, 0}, d.X1, d.Y1, "point 1");
    ExpectPoint(c.p2, d.X2, d.Y2, "point 2");
    ExpectPoint(c.p3, d.X3, d.Y3, "point 3");
    ExpectPoint({0, c.R04}, d.X4, d.Y4, "point 4");
}

INSTANTIATE_TEST_SUITE_P(
    Hoods, BaseDevelopment,
    testing::Values(BaseCase{"Default",
                             100,
                             200,
                             400,
                             141.4214,
                             244.9490,
                             {238.7426, 196.2117},
                             {53.7525, 272.2291}},
                    BaseCase{
                        "Smallest", 0.2, 1, 1, 0.5385, 0.7348, {0.5741, 0.9973}, {0.0796, 1.0711}},
                    BaseCase{"SquareBase",
                             100,
                             400,
                             400,
                             223.6068,
                             300.0000,
                             {244.4444, 397.5232},
                             {49.3827, 441.6924}},
                    // Point 3 drops below the apex and right of point 2; still the right corners.
                    BaseCase{"Tall",
                             1000,
                             200,
                             400,
                             1004.9876,
                             1024.6951,
                             {391.4077, 57.9923},
                             {557.7766, 168.9940}}),
    [](const testing::TestParamInfo<BaseCase>& info) { return std::string(info.param.name); });

// ---- seam strips -----------------------------------------------------------

struct SeamCase {
    const char* name;
    double H, L1, L2, P1, P2;
    Pt f1, f2, f3, f4;
};

class SeamStrips : public testing::TestWithParam<SeamCase> {};

TEST_P(SeamStrips, MatchesWorkedValues) {
    const SeamCase& c = GetParam();
    RaschetData d = Hood(c.H, c.L1, c.L2);
    kiv::Razv0_4(d);
    ASSERT_TRUE(kiv::SeamStep(d, c.P1, c.P2));
    ExpectPoint(c.f1, d.XF1, d.YF1, "F1");
    ExpectPoint(c.f2, d.XF2, d.YF2, "F2");
    ExpectPoint(c.f3, d.XF3, d.YF3, "F3");
    ExpectPoint(c.f4, d.XF4, d.YF4, "F4");
}

INSTANTIATE_TEST_SUITE_P(Hoods, SeamStrips,
                         testing::Values(SeamCase{"Default",
                                                  100,
                                                  200,
                                                  400,
                                                  3,
                                                  2,
                                                  {50.9776, 273.3694},
                                                  {0, 149.3143},
                                                  {-51.9026, 272.9893},
                                                  {0, 146.6833}},
                                         SeamCase{"Tall",
                                                  1000,
                                                  200,
                                                  400,
                                                  3,
                                                  2,
                                                  {560.2721, 170.6590},
                                                  {0, 1010.3929},
                                                  {-559.4403, 170.1040},
                                                  {0, 1008.5911}}),
                         [](const testing::TestParamInfo<SeamCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(SeamStrips, EqualAllowancesGiveASymmetricOutline) {
    RaschetData d = Hood(100, 200, 400);
    kiv::Razv0_4(d);
    ASSERT_TRUE(kiv::SeamStep(d, 7, 7));
    EXPECT_NEAR(d.XF3, -d.XF1, 1e-9);
    EXPECT_NEAR(d.YF3, d.YF1, 1e-9);
    EXPECT_NEAR(d.YF4, d.YF2, 1e-9);
}

struct FitCase {
    const char* name;
    double H, L1, L2, P1;
    bool fits;
    double XF1; // NaN: not checked
};

class SeamFit : public testing::TestWithParam<FitCase> {};

TEST_P(SeamFit, DecidesOnF1Alone) {
    const FitCase& c = GetParam();
    RaschetData d = Hood(c.H, c.L1, c.L2);
    kiv::Razv0_4(d);
    EXPECT_EQ(kiv::SeamStep(d, c.P1, 2), c.fits);
    if (!std::isnan(c.XF1)) {
        EXPECT_NEAR(d.XF1, c.XF1, kFourDecimals);
    }
}

constexpr double kUnchecked = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Allowances, SeamFit,
    testing::Values(FitCase{"DefaultFits", 100, 200, 400, 3, true, 50.9776},
                    FitCase{"LargestThatFits", 100, 200, 400, 58.1138, true, kUnchecked},
                    FitCase{"JustTooLarge", 100, 200, 400, 58.1140, false, kUnchecked},
                    FitCase{"FarTooLarge", 100, 200, 400, 60, false, -1.7446},
                    FitCase{"SmallestHood", 0.2, 1, 1, 3, false, -2.8875},
                    // Point 3 below the apex: the strip moves away from the gap's middle.
                    FitCase{"TallHoodTakesAnyAllowance", 1000, 200, 400, 5000, true, kUnchecked}),
    [](const testing::TestParamInfo<FitCase>& info) { return std::string(info.param.name); });

// F1 exactly on the y axis still fits: the strips then just meet in the middle.
TEST(SeamFit, F1OnTheAxisFits) {
    RaschetData d;
    d.X3 = 3; // edge 4-3 is a 3-4-5 triangle's hypotenuse, so F1 lands on x = 0 exactly
    d.Y4 = 10;
    d.Y3 = 14;
    d.R04 = 5;
    EXPECT_TRUE(kiv::SeamStep(d, 3.75, 2));
    EXPECT_EQ(d.XF1, 0);
    EXPECT_NEAR(d.YF2, d.Y4 + 3.75 * d.R04 / d.X3, 1e-12);
}

TEST(SeamFit, FailureKeepsTheEarlierStripsAndStoresF1) {
    RaschetData d = Hood(100, 200, 400);
    kiv::Razv0_4(d);
    ASSERT_TRUE(kiv::SeamStep(d, 3, 2));
    const RaschetData before = d;

    EXPECT_FALSE(kiv::SeamStep(d, 60, 2));
    EXPECT_NEAR(d.XF1, -1.7446, kFourDecimals);
    EXPECT_NE(d.YF1, before.YF1);
    EXPECT_EQ(d.XF2, before.XF2);
    EXPECT_EQ(d.YF2, before.YF2);
    EXPECT_EQ(d.XF3, before.XF3);
    EXPECT_EQ(d.YF3, before.YF3);
    EXPECT_EQ(d.XF4, before.XF4);
    EXPECT_EQ(d.YF4, before.YF4);
}

// ---- wire band -------------------------------------------------------------

struct WireCase {
    const char* name;
    double AllD;
    Pt w1, w2, w3, w4, w5;
};

class WireBand : public testing::TestWithParam<WireCase> {};

TEST_P(WireBand, MatchesWorkedValues) {
    const WireCase& c = GetParam();
    RaschetData d = Hood(100, 200, 400);
    d.AllD = c.AllD;
    kiv::Razv0_4(d);
    kiv::WireStep(d);
    ExpectPoint(c.w1, d.XW1, d.YW1, "W1");
    ExpectPoint(c.w2, d.XW2, d.YW2, "W2");
    ExpectPoint(c.w3, d.XW3, d.YW3, "W3");
    ExpectPoint(c.w4, d.XW4, d.YW4, "W4");
    ExpectPoint(c.w5, d.XW5, d.YW5, "W5");
}

INSTANTIATE_TEST_SUITE_P(Wires, WireBand,
                         testing::Values(WireCase{"DefaultWire",
                                                  2,
                                                  {55.6529, 276.8539},
                                                  {240.6430, 200.8364},
                                                  {243.6479, 195.2431},
                                                  {204.9053, -0.9686},
                                                  {200, -5}},
                                         WireCase{"ThickestWire",
                                                  10,
                                                  {63.2547, 295.3529},
                                                  {248.2448, 219.3354},
                                                  {263.2690, 191.3688},
                                                  {224.5265, -4.8428},
                                                  {200, -25}}),
                         [](const testing::TestParamInfo<WireCase>& info) {
                             return std::string(info.param.name);
                         });

// ---- crossing of two arcs --------------------------------------------------

TEST(CrossCircles, ReturnsTheUpperCrossing) {
    // Unit circles around (1, 0) and (0, 0) cross at (0.5, +-sqrt(3)/2).
    double x = 0, y = 0;
    ASSERT_TRUE(kiv::CrossCircles(1, 1, 0, 1, 0, 0, x, y));
    EXPECT_NEAR(x, 0.5, 1e-12);
    EXPECT_NEAR(y, std::sqrt(3.0) / 2, 1e-12);
}

TEST(CrossCircles, TouchingCirclesGiveTheTouchingPoint) {
    double x = 0, y = 0;
    ASSERT_TRUE(kiv::CrossCircles(1, 2, 0, 1, 0, 0, x, y));
    EXPECT_NEAR(x, 1, 1e-12);
    EXPECT_NEAR(y, 0, 1e-12);
}

struct RefusedCase {
    const char* name;
    double r1, x1, y1, r2, x2, y2;
};

class CrossCirclesRefuses : public testing::TestWithParam<RefusedCase> {};

TEST_P(CrossCirclesRefuses, WithNaNAndWithoutDividingByZero) {
    const RefusedCase& c = GetParam();
    double x = 123, y = 456;
    std::feclearexcept(FE_ALL_EXCEPT);
    const bool crossed = kiv::CrossCircles(c.r1, c.x1, c.y1, c.r2, c.x2, c.y2, x, y);
    const bool dividedByZero = std::fetestexcept(FE_DIVBYZERO) != 0;
    EXPECT_FALSE(crossed);
    EXPECT_TRUE(std::isnan(x));
    EXPECT_TRUE(std::isnan(y));
    EXPECT_FALSE(dividedByZero);
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Degenerate, CrossCirclesRefuses,
    testing::Values(RefusedCase{"SameCentre", 1, 0, 0, 1, 0, 0},
                    RefusedCase{"CentresOneAbove", 1, 0, 0, 1, 0, 1},
                    RefusedCase{"CentresTooClose", 1, 5e-7, 0, 1, 0, 0},
                    RefusedCase{"FirstCentreLeft", 1, 0, 0, 1, 1, 0},
                    RefusedCase{"TooFarApart", 1, 10, 0, 1, 0, 0},
                    RefusedCase{"OneInsideTheOther", 1, 0.5, 0, 10, 0, 0},
                    RefusedCase{"NaNCentre", 1, kNaN, 0, 1, 0, 0},
                    RefusedCase{"InfiniteRadius", kInf, 1, 0, 1, 0, 0},
                    RefusedCase{"OverflowingSquares", 1e300, 2e300, 0, 1e300, 1e300, 0}),
    [](const testing::TestParamInfo<RefusedCase>& info) { return std::string(info.param.name); });

} // namespace
