#include "core/Calculation.h"
#include "tests/support/engine_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using kiv::CalcStatus;
using kiv::RaschetData;
using kiv::test::Defaults;

// ---- the blank summary's numbers ------------------------------------------

struct SummaryCase {
    const char* name;
    int type;
    double H, AllP1, AllP2;             // the other inputs are the defaults
    double B1, B2;                      // to 2 decimals
    double blankArea, blankMass[3];     // m^2 and kg, to 3 decimals
    double patternArea, patternMass[3]; // m^2 and kg, to 3 decimals
    double widen, lengthen, heighten;   // type 3, to 1 decimal
};

class BlankSummary : public testing::TestWithParam<SummaryCase> {};

TEST_P(BlankSummary, MatchesWorkedValues) {
    const SummaryCase& c = GetParam();
    RaschetData d = Defaults();
    d.H = c.H;
    d.AllP1 = c.AllP1;
    d.AllP2 = c.AllP2;
    const kiv::CalcResult r = kiv::Calculate(d, c.type);
    ASSERT_EQ(r.status, CalcStatus::Ok);
    const kiv::BlankSummary& s = r.summary;
    EXPECT_EQ(s.type, c.type);
    EXPECT_NEAR(s.B1, c.B1, 0.005);
    EXPECT_NEAR(s.B2, c.B2, 0.005);
    EXPECT_DOUBLE_EQ(s.blankArea, s.B1 * s.B2);
    const double noValue = -1; // rows without these numbers
    if (c.blankArea != noValue) {
        EXPECT_NEAR(s.blankArea / 1e6, c.blankArea, 5e-4);
        for (int m = 0; m < 3; ++m) {
            SCOPED_TRACE(m);
            EXPECT_NEAR(s.blankMass[m], c.blankMass[m], 5e-4);
        }
    }
    if (c.patternArea != noValue) {
        EXPECT_NEAR(s.patternArea / 1e6, c.patternArea, 5e-4);
    }
    if (c.patternMass[0] != noValue) {
        for (int m = 0; m < 3; ++m) {
            SCOPED_TRACE(m);
            EXPECT_NEAR(s.patternMass[m], c.patternMass[m], 5e-4);
        }
    }
    if (c.type == 3 && c.widen != noValue) {
        EXPECT_NEAR(s.widen, c.widen, 0.05);
        EXPECT_NEAR(s.lengthen, c.lengthen, 0.05);
        EXPECT_NEAR(s.heighten, c.heighten, 0.05);
    }
    if (c.type != 3) {
        EXPECT_EQ(s.widen, 0);
        EXPECT_EQ(s.lengthen, 0);
        EXPECT_EQ(s.heighten, 0);
    }
}

constexpr double X = -1; // not checked in this row

INSTANTIATE_TEST_SUITE_P(
    Patterns, BlankSummary,
    testing::Values(
        SummaryCase{"Type1Default",
                    1,
                    100,
                    3,
                    2,
                    477.49,
                    272.23,
                    0.130,
                    {0.510, 0.176, 0.572},
                    0.101,
                    {0.398, 0.137, 0.446},
                    0,
                    0,
                    0},
        SummaryCase{"Type2Default",
                    2,
                    100,
                    3,
                    2,
                    477.49,
                    273.37,
                    0.131,
                    {0.512, 0.177, 0.574},
                    0.102,
                    {0.400, 0.138, 0.449},
                    0,
                    0,
                    0},
        SummaryCase{"Type3Default",
                    3,
                    100,
                    3,
                    2,
                    487.30,
                    281.85,
                    0.137,
                    {0.539, 0.186, 0.604},
                    0.108,
                    {0.424, 0.146, 0.475},
                    0.9,
                    1.7,
                    2.4},
        // The seam strip's corner F1 rises above the wire band.
        SummaryCase{
            "Type3WideSeam", 3, 100, 20, 2, 487.30, 284.83, X, {X, X, X}, X, {X, X, X}, X, X, X},
        SummaryCase{"Type3LargerAllowances",
                    3,
                    100,
                    5,
                    4,
                    487.30,
                    281.85,
                    X,
                    {X, X, X},
                    0.109,
                    {X, X, X},
                    X,
                    X,
                    X},
        // Tall hood: the apex and the right corner of the back face lie beyond
        // points 2 and 3 alone, and the blank must hold them.
        SummaryCase{
            "Type1Tall", 1, 1000, 3, 2, 1115.55, 1004.99, X, {X, X, X}, X, {X, X, X}, X, X, X},
        SummaryCase{
            "Type2Tall", 2, 1000, 3, 2, 1120.54, 1010.39, X, {X, X, X}, X, {X, X, X}, X, X, X},
        SummaryCase{
            "Type3Tall", 3, 1000, 3, 2, 1121.10, 1015.39, X, {X, X, X}, X, {X, X, X}, X, X, X}),
    [](const testing::TestParamInfo<SummaryCase>& info) { return std::string(info.param.name); });

TEST(BlankSummary, StoresTheSideFacesSlantHeight) {
    RaschetData d = Defaults();
    ASSERT_EQ(kiv::CalcNone(d).status, CalcStatus::Ok);
    EXPECT_NEAR(d.SlantL1, std::sqrt(100.0 * 100 + 200.0 * 200), 1e-9);
}

// ---- a seam that does not fit ---------------------------------------------

class SeamDoesNotFit : public testing::TestWithParam<int> {};

TEST_P(SeamDoesNotFit, StopsBeforeTheStripsTheWireAndTheSummary) {
    const int type = GetParam();
    RaschetData d = Defaults();
    ASSERT_EQ(kiv::CalcAll(d).status, CalcStatus::Ok); // fills every field once
    const RaschetData before = d;

    (type == 2 ? d.FalthP1 : d.AllP1) = 60;
    d.H = 100.5; // changes the slant height a full summary would store
    EXPECT_EQ(kiv::Calculate(d, type).status, CalcStatus::AllowancesDoNotFit);

    EXPECT_LT(d.XF1, 0);
    EXPECT_NE(d.R04, before.R04); // the base development did run
    EXPECT_EQ(d.SlantL1, before.SlantL1);
    const double RaschetData::*untouched[] = {
        &RaschetData::XF2, &RaschetData::YF2, &RaschetData::XF3, &RaschetData::YF3,
        &RaschetData::XF4, &RaschetData::YF4, &RaschetData::XW1, &RaschetData::YW1,
        &RaschetData::XW2, &RaschetData::YW2, &RaschetData::XW3, &RaschetData::YW3,
        &RaschetData::XW4, &RaschetData::YW4, &RaschetData::XW5, &RaschetData::YW5};
    for (const auto field : untouched) {
        EXPECT_EQ(d.*field, before.*field);
    }
}

INSTANTIATE_TEST_SUITE_P(SeamTypes, SeamDoesNotFit, testing::Values(2, 3),
                         [](const testing::TestParamInfo<int>& info) {
                             return "Type" + std::to_string(info.param);
                         });

TEST(Calculate, TypeThreeOverwritesTheTypeTwoStrips) {
    RaschetData d = Defaults();
    d.AllP1 = 10;
    d.AllP2 = 8;
    ASSERT_EQ(kiv::CalcFalth(d).status, CalcStatus::Ok);
    const double typeTwoYF4 = d.YF4;
    ASSERT_EQ(kiv::CalcAll(d).status, CalcStatus::Ok);
    EXPECT_NE(d.YF4, typeTwoYF4);
    EXPECT_NEAR(d.YF4, d.Y4 + 8 * d.R04 / d.X3, 1e-9); // the closed form of the corner
}

TEST(Calculate, UnknownTypeComputesNothing) {
    for (int type : {0, 4, -1}) {
        SCOPED_TRACE(type);
        RaschetData d = Defaults();
        EXPECT_NE(kiv::Calculate(d, type).status, CalcStatus::Ok);
        EXPECT_EQ(d.R04, 0);
    }
}

// ---- absurd inputs ---------------------------------------------------------

struct AbsurdCase {
    const char* name;
    int type;
    double S, H, L1, L2, P1, AllD;
};

class AbsurdInputs : public testing::TestWithParam<AbsurdCase> {};

TEST_P(AbsurdInputs, AreNotFiniteNeverOkNorAFitVerdict) {
    const AbsurdCase& c = GetParam();
    RaschetData d = Defaults();
    d.S = c.S;
    d.H = c.H;
    d.L1 = c.L1;
    d.L2 = c.L2;
    d.FalthP1 = d.AllP1 = c.P1;
    d.AllD = c.AllD;
    EXPECT_EQ(kiv::Calculate(d, c.type).status, CalcStatus::NotFinite);
}

INSTANTIATE_TEST_SUITE_P(
    Overflow, AbsurdInputs,
    testing::Values(AbsurdCase{"HeightE200Type1", 1, 0.5, 1e200, 200, 400, 3, 2},
                    AbsurdCase{"HeightE300Type2", 2, 0.5, 1e300, 200, 400, 3, 2},
                    AbsurdCase{"HeightE200Type3", 3, 0.5, 1e200, 200, 400, 3, 2},
                    AbsurdCase{"LengthE300Type1", 1, 0.5, 100, 200, 1e300, 3, 2},
                    AbsurdCase{"WidthAndLengthE200", 1, 0.5, 100, 1e200, 1e200, 3, 2},
                    // The strip corner overflows: neither a fit nor a misfit.
                    AbsurdCase{"AllowanceOverflowsType2", 2, 0.5, 100, 200, 400, 1e308, 2},
                    AbsurdCase{"AllowanceOverflowsType3", 3, 0.5, 100, 200, 400, 1e308, 2},
                    AbsurdCase{"WireOverflows", 3, 0.5, 100, 200, 400, 3, 1e308},
                    // Geometry in range; only the masses overflow.
                    AbsurdCase{"MassOverflowsType1", 1, 1e150, 1e151, 1e151, 1e151, 3, 2},
                    AbsurdCase{"MassOverflowsType3", 3, 1e150, 1e151, 1e151, 1e151, 3, 2}),
    [](const testing::TestParamInfo<AbsurdCase>& info) { return std::string(info.param.name); });

TEST(AbsurdInputs, MassOverflowIsCaughtInTheSummaryItself) {
    RaschetData d = Defaults();
    d.S = 1e150;
    d.H = d.L1 = d.L2 = 1e151;
    EXPECT_EQ(kiv::CalcNone(d).status, CalcStatus::NotFinite);
    EXPECT_TRUE(std::isfinite(d.X2) && std::isfinite(d.Y3) && std::isfinite(d.SlantL1));
}

} // namespace
