#include "report/FormatFixed.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <regex>
#include <string>

namespace {

struct Case {
    const char* name;
    double value;
    int precision;
    int decimals;
    const char* text;
};

class FormatFixedTable : public ::testing::TestWithParam<Case> {};

TEST_P(FormatFixedTable, Text) {
    const Case& c = GetParam();
    EXPECT_EQ(kiv::FormatFixed(c.value, c.precision, c.decimals), c.text) << c.name;
}

// The rounding works on the double's decimal expansion to 18 digits, so a
// value like 2.675 (stored just below the half) rounds down, while a stored
// exact half such as 0.125 rounds away from zero.
INSTANTIATE_TEST_SUITE_P(
    Cases, FormatFixedTable,
    ::testing::Values(Case{"ExactHalfRoundsUp", 0.125, 9, 2, "0.13"},
                      Case{"StoredBelowHalfRoundsDown", 2.675, 9, 2, "2.67"},
                      Case{"WholeNumber", 200, 9, 2, "200.00"}, Case{"Zero", 0, 10, 4, "0.0000"},
                      Case{"NegativeZero", -0.0, 10, 4, "0.0000"},
                      Case{"SignificantDigitCap", 12345678.987, 9, 2, "12345679.00"},
                      Case{"CoordinateHalfAwayFromZero", 100.03125, 10, 4, "100.0313"},
                      Case{"NegativeCoordinateHalf", -100.03125, 10, 4, "-100.0313"},
                      Case{"TinyNegativeIsUnsigned", -0.001, 9, 2, "0.00"},
                      Case{"TinyNegativeCoordinate", -0.00004999, 10, 4, "0.0000"},
                      Case{"NegativeHalfRoundsAway", -0.005, 9, 2, "-0.01"},
                      Case{"CarryIntoNewDigit", 9.9999, 9, 2, "10.00"},
                      Case{"CarryThroughCoordinate", 999.99996, 10, 4, "1000.0000"},
                      Case{"JustBelowPrecisionLimit", 999999999.99, 10, 0, "1000000000"},
                      Case{"NinePlacesFixed", 999999999.4, 9, 2, "999999999.00"},
                      Case{"CarryLeavesFixedFormat", 999999999.999, 9, 2, "1.00000000E+9"},
                      Case{"TenDigitsAtPrecisionNine", 1e10, 9, 2, "1.00000000E+10"},
                      Case{"HugeCoordinate", -1.234567890123e12, 10, 4, "-1.234567890E+12"},
                      Case{"Subnormal", 1e-300, 9, 2, "0.00"},
                      Case{"OneDecimal", 0.95, 9, 1, "0.9"},
                      Case{"ThreeDecimals", 0.1304, 9, 3, "0.130"},
                      Case{"NotFiniteIsMarked", INFINITY, 9, 2, "?"},
                      Case{"NaNIsMarked", NAN, 10, 4, "?"}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

// Whatever the value, the text has the fixed form and reads back as the value
// to the printed place; a rounded zero never carries a sign.
TEST(FormatFixedProperty, FixedFormReadsBack) {
    std::mt19937_64 rng(20261208);
    std::uniform_real_distribution<double> exponent(-8, 9);
    std::uniform_int_distribution<int> decimals(1, 4);
    const std::regex form(R"(-?[0-9]+\.[0-9]+)");
    for (int i = 0; i < 20000; ++i) {
        const double magnitude = std::pow(10.0, exponent(rng));
        const double value = (rng() & 1) ? -magnitude : magnitude;
        const int d = decimals(rng);
        const std::string text = kiv::FormatFixed(value, 10, d);
        SCOPED_TRACE(text);
        ASSERT_TRUE(std::regex_match(text, form));
        ASSERT_EQ(text.size() - text.find('.') - 1, static_cast<std::size_t>(d));
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        // Half a unit in the last place, widened where the ten-digit cap bites.
        const double unit =
            std::max(std::pow(10.0, -d), std::pow(10.0, std::floor(std::log10(magnitude)) - 9));
        ASSERT_LE(std::fabs(back - value), unit / 2 * (1 + 1e-9));
        if (back == 0) {
            ASSERT_NE(text.front(), '-');
        }
    }
}

} // namespace

namespace {

// The fast integer expansion must give exactly the digits of the reference
// conversion wherever it claims the value: any difference would move a
// rounding decision and print a wrong last digit.
TEST(FormatFixedExpansion, IntegerPathMatchesReference) {
    std::mt19937_64 rng(8327);
    std::uniform_real_distribution<double> exponent(-4.5, 15.5);
    std::uniform_int_distribution<int> places(0, 6);
    int covered = 0;
    const auto check = [&](double v) {
        char fast[18], slow[18];
        int fastExp = 0, slowExp = 0;
        if (!kiv::detail::ExpandByIntegers(v, fast, fastExp)) {
            return;
        }
        ++covered;
        kiv::detail::ExpandByChars(v, slow, slowExp);
        ASSERT_EQ(std::string(fast, 18) + "e" + std::to_string(fastExp),
                  std::string(slow, 18) + "e" + std::to_string(slowExp))
            << "value " << v;
    };
    for (int i = 0; i < 300000; ++i) {
        const double v = std::pow(10.0, exponent(rng));
        check(v);
        // Values a user types: few decimals, often a half at the last place.
        const double scale = std::pow(10.0, places(rng));
        check(std::round(v * scale) / scale);
        check((std::round(v * scale) + 0.5) / scale);
        // Neighbours in the double grid around them.
        check(std::nextafter(v, 0.0));
        check(std::nextafter(v, INFINITY));
    }
    for (double v : {1e-4, 9.9999999999999e14, 1.0, 10.0, 0.125, 2.675, 100.03125, 999999999.999}) {
        check(v);
    }
    EXPECT_GT(covered, 1000000);
}

} // namespace
