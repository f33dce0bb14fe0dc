#include "report/Texts.h"
#include "tests/support/default_reports.h"
#include "tests/support/engine_fixtures.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using kiv::test::Defaults;

using kiv::test::DefaultReportOf;
using kiv::test::kDefaultRadii;

struct Expected {
    const char* name;
    int type;
};
// Rows show by name in the test listing.
void PrintTo(const Expected& row, std::ostream* os) {
    *os << row.name;
}


class DefaultReport : public ::testing::TestWithParam<Expected> {};

// The three patterns of the default hood, every digit of every label.
TEST_P(DefaultReport, Texts) {
    const Expected& e = GetParam();
    kiv::RaschetData d = Defaults();
    const kiv::TypeReport r = kiv::RunPattern(d, e.type);
    ASSERT_EQ(r.status, kiv::CalcStatus::Ok);
    EXPECT_EQ(r.radii, kDefaultRadii);
    EXPECT_EQ(r.b1, DefaultReportOf(e.type).b1);
    EXPECT_EQ(r.b2, DefaultReportOf(e.type).b2);
    EXPECT_EQ(r.summary, DefaultReportOf(e.type).summary);
}

INSTANTIATE_TEST_SUITE_P(Types, DefaultReport,
                         ::testing::Values(Expected{"NoAllowances", 1}, Expected{"Seam", 2},
                                           Expected{"SeamAndWire", 3}),
                         [](const ::testing::TestParamInfo<Expected>& info) {
                             return std::string(info.param.name);
                         });

struct Variant {
    const char* name;
    int type;
    double H, L2, AllP1, AllP2;
    const char* b1;
    const char* b2;
};
// Rows show by name in the test listing.
void PrintTo(const Variant& row, std::ostream* os) {
    *os << row.name;
}


class BlankSize : public ::testing::TestWithParam<Variant> {};

// A tall hood's pattern reaches above point 3 and right of point 2: the blank
// must hold all of it.
TEST_P(BlankSize, Labels) {
    const Variant& v = GetParam();
    kiv::RaschetData d = Defaults();
    d.H = v.H;
    d.L2 = v.L2;
    d.AllP1 = v.AllP1;
    d.AllP2 = v.AllP2;
    const kiv::TypeReport r = kiv::RunPattern(d, v.type);
    ASSERT_EQ(r.status, kiv::CalcStatus::Ok);
    EXPECT_EQ(r.b1, v.b1);
    EXPECT_EQ(r.b2, v.b2);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BlankSize,
    ::testing::Values(Variant{"SeamHigherThanWire", 3, 100, 400, 20, 2, "487.30", "284.83"},
                      Variant{"TallHoodType1", 1, 1000, 400, 3, 2, "1115.55", "1004.99"},
                      Variant{"TallHoodType2", 2, 1000, 400, 3, 2, "1120.54", "1010.39"},
                      Variant{"TallHoodType3", 3, 1000, 400, 3, 2, "1121.10", "1015.39"}),
    [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

TEST(RadiiText, FollowsTheDimensions) {
    kiv::RaschetData d = Defaults();
    d.H = 1000;
    ASSERT_EQ(kiv::RunPattern(d, 1).status, kiv::CalcStatus::Ok);
    const std::string tall = kiv::RadiiText(d);
    EXPECT_NE(tall.find("0-4 = 1004.99;"), std::string::npos) << tall;
    EXPECT_NE(tall.find("4-2 = 1024.70;"), std::string::npos) << tall;
    EXPECT_NE(tall.find("4-3 = 1004.99;"), std::string::npos) << tall;

    d = Defaults();
    d.L2 = 401;
    ASSERT_EQ(kiv::RunPattern(d, 1).status, kiv::CalcStatus::Ok);
    const std::string odd = kiv::RadiiText(d);
    EXPECT_NE(odd.find("0-1 = 200.50;"), std::string::npos) << odd;
    EXPECT_NE(odd.find("2-3 = 200.50;"), std::string::npos) << odd;
}

// The marking radii describe the base development only: the same for every type.
TEST(RadiiText, SameForEveryType) {
    for (int type = 1; type <= 3; ++type) {
        kiv::RaschetData d = Defaults();
        EXPECT_EQ(kiv::RunPattern(d, type).radii, kDefaultRadii) << "type " << type;
    }
}

TEST(Summary, PatternAreaCountsBothAllowances) {
    kiv::RaschetData d = Defaults();
    d.AllP1 = 5;
    d.AllP2 = 4;
    const kiv::TypeReport r = kiv::RunPattern(d, 3);
    EXPECT_NE(r.summary.find("Развертка: площадь 0.109 кв. м;"), std::string::npos) << r.summary;
}

TEST(WireAllowanceText, OneDecimal) {
    EXPECT_EQ(kiv::WireAllowanceText(2), "5.0");
    EXPECT_EQ(kiv::WireAllowanceText(10), "25.0");
    EXPECT_EQ(kiv::WireAllowanceText(1), "2.5");
    EXPECT_EQ(kiv::WireAllowanceText(4), "10.0");
}

// When the strips do not fit, the radii are still there (the window writes
// them into its hidden label) but nothing of the blank is.
TEST(RunPattern, AllowancesThatDoNotFitGiveRadiiOnly) {
    kiv::RaschetData d = Defaults();
    d.FalthP1 = 60;
    const kiv::TypeReport r = kiv::RunPattern(d, 2);
    EXPECT_EQ(r.status, kiv::CalcStatus::AllowancesDoNotFit);
    EXPECT_EQ(r.radii, kDefaultRadii);
    EXPECT_TRUE(r.b1.empty());
    EXPECT_TRUE(r.summary.empty());
}

// Overflowing inputs must leave no text at all that could show "inf".
TEST(RunPattern, OverflowGivesNoText) {
    for (int type = 1; type <= 3; ++type) {
        kiv::RaschetData d = Defaults();
        d.H = 1e200;
        const kiv::TypeReport r = kiv::RunPattern(d, type);
        EXPECT_EQ(r.status, kiv::CalcStatus::NotFinite) << "type " << type;
        EXPECT_TRUE(r.radii.empty() && r.b1.empty() && r.b2.empty() && r.summary.empty());
    }
}

} // namespace
