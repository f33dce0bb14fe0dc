#include "report/FormatFixed.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <ostream>
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
// Rows show by name in the test listing.
void PrintTo(const Case& row, std::ostream* os) {
    *os << row.name;
}


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

namespace {

// The number text rule spelled out the slow way, on the decimal string of the
// value: the formatter's integer arithmetic (digit placement, carries, the
// switch to exponent form) must agree with it everywhere.
std::string SlowFormat(double value, int precision, int decimals) {
    char buf[64];
    const auto end = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
                                   std::chars_format::scientific, 17).ptr;
    const std::string text(buf, end);
    const std::string expansion = text.substr(0, 1) + text.substr(2, 17);
    const int exponent = std::stoi(text.substr(text.find('e') + 1));

    // Rounded to `keep` digits, half away from zero: digits and first place.
    const auto round = [&](int keep) -> std::pair<std::string, int> {
        if (keep < 0 || (keep == 0 && expansion[0] < '5')) {
            return {"0", exponent};
        }
        if (keep == 0) {
            return {"1", exponent + 1};
        }
        std::string kept = expansion.substr(0, static_cast<std::size_t>(std::min(keep, 18)));
        if (keep < 18 && expansion[static_cast<std::size_t>(keep)] >= '5') {
            std::size_t i = kept.size();
            while (i > 0 && kept[i - 1] == '9') {
                kept[--i] = '0';
            }
            if (i == 0) {
                return {"1" + kept, exponent + 1};
            }
            ++kept[i - 1];
        }
        return {kept, exponent};
    };
    const auto digitAt = [](const std::pair<std::string, int>& r, int place) {
        const int index = r.second - place;
        return index < 0 || index >= static_cast<int>(r.first.size())
                   ? '0'
                   : r.first[static_cast<std::size_t>(index)];
    };

    const auto fixed = round(std::min(precision, exponent + 1 + decimals));
    const bool zero = fixed.first.find_first_not_of('0') == std::string::npos;
    std::string out = std::signbit(value) && !zero ? "-" : "";
    if (!zero && fixed.second + 1 > precision) {
        const auto mantissa = round(precision);
        out += mantissa.first.substr(0, 1);
        if (precision > 1) {
            out += "." + mantissa.first.substr(1, static_cast<std::size_t>(precision - 1));
        }
        return out + (mantissa.second < 0 ? "E-" : "E+") + std::to_string(std::abs(mantissa.second));
    }
    for (int place = std::max(fixed.second, 0); place >= 0; --place) {
        out += digitAt(fixed, place);
    }
    if (decimals > 0) {
        out += '.';
    }
    for (int place = -1; place >= -decimals; --place) {
        out += digitAt(fixed, place);
    }
    return out;
}

TEST(FormatFixedProperty, AgreesWithDecimalStringRounding) {
    std::mt19937_64 rng(5551212);
    std::uniform_real_distribution<double> exponent(-12, 22);
    std::uniform_int_distribution<int> precision(1, 18);
    std::uniform_int_distribution<int> decimals(0, 6);
    std::uniform_int_distribution<int> places(0, 8);
    for (int i = 0; i < 100000; ++i) {
        double value = std::pow(10.0, exponent(rng));
        // Half of them typed-looking, many of which sit on a rounding half
        // or a run of nines.
        if (i % 2 == 0) {
            const double scale = std::pow(10.0, places(rng));
            value = (std::round(value * scale) + (i % 4 == 0 ? 0.5 : 0.0)) / scale;
        }
        if (rng() & 1) {
            value = -value;
        }
        const int p = precision(rng);
        const int d = decimals(rng);
        ASSERT_EQ(kiv::FormatFixed(value, p, d), SlowFormat(value, p, d))
            << value << " at (" << p << ", " << d << ")";
    }
    for (double v : {9.5, 99.95, 999999.9999, 0.99999, 9.9999999999999999e14, 1e15, 1e-4, 0.00005}) {
        for (int p = 1; p <= 18; ++p) {
            for (int d = 0; d <= 6; ++d) {
                ASSERT_EQ(kiv::FormatFixed(v, p, d), SlowFormat(v, p, d))
                    << v << " at (" << p << ", " << d << ")";
            }
        }
    }
}

} // namespace
