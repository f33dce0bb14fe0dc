// The seeded hood generator the property, shape and DXF tests stand on: every
// hood it gives is one the window's road accepts, the same seed gives the same
// hoods, and the draws reach across the range the validators allow, so that
// the tests built on them look where faults hide.
#include "road/Road.h"
#include "tests/support/random_hood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using kiv::RaschetData;
using kiv::test::RandomHood;

std::vector<RaschetData> Draws(std::uint64_t seed, int count) {
    std::mt19937_64 rng(seed);
    std::vector<RaschetData> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        out.push_back(RandomHood(rng));
    }
    return out;
}

std::string Text(double value) {
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

TEST(RandomHood, EveryHoodPassesTheRoadsValidators) {
    for (const RaschetData& hood : Draws(20261208, 2000)) {
        kiv::FieldTexts texts;
        for (kiv::Input in : kiv::kAllInputs) {
            texts[in] = Text(kiv::Field(hood, in));
        }
        for (int type = 1; type <= 3; ++type) {
            RaschetData d;
            const kiv::Confirmation c = kiv::Confirm(d, type, texts);
            ASSERT_NE(c.outcome, kiv::Outcome::Refused)
                << "type " << type << ": " << c.refusal.verdict.message << " for "
                << texts[c.refusal.input];
        }
    }
}

TEST(RandomHood, SameSeedSameHoods) {
    const std::vector<RaschetData> a = Draws(5, 50), b = Draws(5, 50), c = Draws(6, 50);
    for (std::size_t i = 0; i < a.size(); ++i) {
        for (kiv::Input in : kiv::kAllInputs) {
            EXPECT_EQ(kiv::Field(a[i], in), kiv::Field(b[i], in)) << i;
        }
    }
    EXPECT_NE(a[0].L1, c[0].L1) << "another seed, other hoods";
}

// How far the draws reach: the least (or greatest) of a measure over the
// draws must pass the bound.
struct Reach {
    const char* name;
    double (*measure)(const RaschetData&);
    bool least;
    double bound;
};

void PrintTo(const Reach& r, std::ostream* os) {
    *os << r.name;
}

class RandomHoodReach : public ::testing::TestWithParam<Reach> {};

TEST_P(RandomHoodReach, OverThreeThousandDraws) {
    const Reach& r = GetParam();
    const std::vector<RaschetData> draws = Draws(20240611, 3000);
    std::vector<double> values;
    values.reserve(draws.size());
    for (const RaschetData& d : draws) {
        values.push_back(r.measure(d));
    }
    const auto [least, greatest] = std::minmax_element(values.begin(), values.end());
    if (r.least) {
        EXPECT_LT(*least, r.bound);
    } else {
        EXPECT_GT(*greatest, r.bound);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Range, RandomHoodReach,
    ::testing::Values(
        Reach{"ThinSheet", [](const RaschetData& d) { return d.S; }, true, 0.15},
        Reach{"ThickSheet", [](const RaschetData& d) { return d.S; }, false, 3},
        Reach{"NarrowForItsSheet", [](const RaschetData& d) { return d.L1 / d.S; }, true, 12},
        Reach{"Wide", [](const RaschetData& d) { return d.L1; }, false, 10000},
        Reach{"SquareBase", [](const RaschetData& d) { return d.L2 / d.L1; }, true, 1.05},
        Reach{"LongBase", [](const RaschetData& d) { return d.L2 / d.L1; }, false, 10},
        Reach{"Flat", [](const RaschetData& d) { return d.H / d.L2; }, true, 0.01},
        Reach{"Steep", [](const RaschetData& d) { return d.H / d.L1; }, false, 10},
        Reach{"LowForItsSheet", [](const RaschetData& d) { return d.H / d.S; }, true, 3},
        Reach{"SmallSeam", [](const RaschetData& d) { return d.FalthP2; }, true, 2.2},
        Reach{"EqualSeams", [](const RaschetData& d) { return d.AllP1 / d.AllP2; }, true, 1.05},
        Reach{"WideSeam", [](const RaschetData& d) { return d.FalthP1; }, false, 20},
        Reach{"ThinWire", [](const RaschetData& d) { return d.AllD; }, true, 1.2},
        Reach{"ThickWire", [](const RaschetData& d) { return d.AllD; }, false, 9.5}),
    [](const ::testing::TestParamInfo<Reach>& info) { return std::string(info.param.name); });

} // namespace
