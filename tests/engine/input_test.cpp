#include "input/Conversion.h"
#include "input/KeyFilter.h"
#include "input/Validators.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/refusals.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace {

using kiv::Input;
using kiv::RaschetData;
using kiv::Verdict;

// ---- keystrokes ------------------------------------------------------------

TEST(KeyFilter, LetsThroughOnlyDigitsPointAndBackspace) {
    for (char32_t c : U"0123456789.\b") {
        if (c != 0) {
            EXPECT_EQ(kiv::TypedKey(c), c) << "code " << static_cast<unsigned>(c);
        }
    }
    // The decimal comma of Russian keyboards is typed as the point.
    EXPECT_EQ(kiv::TypedKey(U','), U'.');
    const char32_t refused[] = {0,     U'a',    U'Z',    U'e',   U'E',    U'ж',   U'Ж',
                                U'-',  U'+',    U' ',    U'\r',  U'\n',   U'\t',  27,
                                3,     22,      24,      127,    U'/',    U':',   U'\'',
                                0x12E, 0x130,   0x139,   0x12C,  0xFF0C,  0xFF0E, 0xFF15,
                                0x660, 0x1002E, 0x10035, 0x1002C};
    // 0x12E, 0x12C and 0x139 end in the bytes of ".", "," and "9": a filter
    // that keeps only the low byte would let them in.
    for (char32_t c : refused) {
        EXPECT_EQ(kiv::TypedKey(c), 0u) << "code " << static_cast<unsigned>(c);
    }
}

// ---- text to number --------------------------------------------------------

struct ConversionCase {
    const char* name;
    std::string text;
    std::optional<double> value;
};

class TextToFloat : public testing::TestWithParam<ConversionCase> {};

TEST_P(TextToFloat, FollowsTheNumberGrammar) {
    const ConversionCase& c = GetParam();
    const std::optional<double> got = kiv::TextToFloat(c.text);
    ASSERT_EQ(got.has_value(), c.value.has_value()) << "text '" << c.text << "'";
    if (got) {
        EXPECT_EQ(*got, *c.value) << "text '" << c.text << "'";
        EXPECT_FALSE(std::signbit(*got) && *got == 0) << "a negative zero escaped";
    }
}

const std::optional<double> kNotANumber;

INSTANTIATE_TEST_SUITE_P(
    Texts, TextToFloat,
    testing::Values(
        ConversionCase{"Digit", "5", 5}, ConversionCase{"TrailingPoint", "5.", 5},
        ConversionCase{"LeadingPoint", ".5", 0.5}, ConversionCase{"PointAlone", ".", 0},
        ConversionCase{"LeadingZeros", "007", 7}, ConversionCase{"Fraction", "0.1", 0.1},
        ConversionCase{"Blanks", " 5 ", 5}, ConversionCase{"ManyBlanks", "   2.5    ", 2.5},
        ConversionCase{"Plus", "+5", 5}, ConversionCase{"Minus", "-5", -5},
        ConversionCase{"MinusPoint", "-.", 0}, ConversionCase{"MinusZero", "-0.0", 0},
        ConversionCase{"Exponent", "1e3", 1000}, ConversionCase{"CapitalExponent", "2.5E-1", 0.25},
        ConversionCase{"SignedExponent", "1e+2", 100},
        ConversionCase{"PointBeforeExponent", ".e1", 0},
        ConversionCase{"FullMantissa", "-1.5e2 ", -150},
        // Decided by the correctly rounded double, not by a digit-by-digit sum.
        ConversionCase{"CorrectlyRounded", "0.30000000000000004", 0.30000000000000004},
        ConversionCase{"Largest", "1.7976931348623157e308", 1.7976931348623157e308},
        ConversionCase{"Underflow", "1e-400", 0}, ConversionCase{"NegativeUnderflow", "-1e-400", 0},
        ConversionCase{"Subnormal", "1e-310", 1e-310},
        ConversionCase{"LongExponent", "1e-99999999999999999999", 0},
        ConversionCase{"Empty", "", kNotANumber}, ConversionCase{"BlankOnly", " ", kNotANumber},
        ConversionCase{"PlusOnly", "+", kNotANumber}, ConversionCase{"MinusOnly", "-", kNotANumber},
        ConversionCase{"TwoPoints", "1.2.3", kNotANumber},
        ConversionCase{"ExponentWithoutDigits", "1e", kNotANumber},
        ConversionCase{"ExponentSignOnly", "1e-", kNotANumber},
        ConversionCase{"ExponentAlone", "e3", kNotANumber},
        ConversionCase{"SignedExponentAlone", "-e3", kNotANumber},
        ConversionCase{"Comma", "1,5", kNotANumber}, ConversionCase{"TwoSigns", "--5", kNotANumber},
        ConversionCase{"SignAfterBlank", "- 5", kNotANumber},
        ConversionCase{"Hexadecimal", "0x10", kNotANumber},
        ConversionCase{"Infinity", "inf", kNotANumber}, ConversionCase{"NaN", "nan", kNotANumber},
        ConversionCase{"InnerBlank", "1 2", kNotANumber}, ConversionCase{"Tab", "\t5", kNotANumber},
        ConversionCase{"TrailingTab", "5\t", kNotANumber},
        ConversionCase{"TrailingLetter", "5a", kNotANumber},
        ConversionCase{"TrailingNul", std::string("5\0", 2), kNotANumber},
        ConversionCase{"FullWidthDigit", "５", kNotANumber},
        ConversionCase{"Overflow", "1e400", kNotANumber},
        ConversionCase{"NegativeOverflow", "-1e400", kNotANumber},
        ConversionCase{"JustAboveLargest", "1.8e308", kNotANumber},
        ConversionCase{"OverflowByDigits", std::string(400, '9'), kNotANumber},
        ConversionCase{"HugeExponent", "1e99999999999999999999", kNotANumber}),
    [](const testing::TestParamInfo<ConversionCase>& info) {
        return std::string(info.param.name);
    });

// The window's users may run a comma-decimal locale; the point must still work.
TEST(TextToFloatLocale, IgnoresTheProcessLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr) {
        GTEST_SKIP() << "no comma-decimal locale installed";
    }
    const std::optional<double> point = kiv::TextToFloat("2.5");
    const std::optional<double> comma = kiv::TextToFloat("2,5");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(point, std::optional(2.5));
    EXPECT_EQ(comma, std::nullopt);
}

// Option values and order cells may carry the decimal comma; one separator
// only, and nothing else the point text refuses gets in with it.
TEST(TextToFloatComma, OneCommaStandsForThePoint) {
    const struct {
        std::string text;
        std::optional<double> value;
        std::string withPoint; // WithDecimalPoint's text
    } rows[] = {
        {"0,5", 0.5, "0.5"}, {",5", 0.5, ".5"}, {"150,5", 150.5, "150.5"}, {" -1,5e2 ", -150, " -1.5e2 "},
        {"2.5", 2.5, "2.5"}, {"7", 7, "7"}, {",", 0, "."}, {"1,", 1, "1."}, {"1,2,3", kNotANumber, "1,2,3"},
        {"1,5.3", kNotANumber, "1,5.3"}, {"1.5,3", kNotANumber, "1.5,3"}, {"1 ,5", kNotANumber, "1 ,5"},
        {"1e3,5", kNotANumber, "1e3,5"}, {"abc", kNotANumber, "abc"}, {"", kNotANumber, ""},
        {"1,8e308", kNotANumber, "1,8e308"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(kiv::TextToFloat(r.text, kiv::DecimalSign::PointOrComma), r.value) << "'" << r.text << "'";
        EXPECT_EQ(kiv::WithDecimalPoint(r.text), r.withPoint) << "'" << r.text << "'";
        // What the comma text reads as, the point text reads as in the window.
        EXPECT_EQ(kiv::TextToFloat(kiv::WithDecimalPoint(r.text)), r.value) << "'" << r.text << "'";
    }
}

TEST(NotAFloatMessage, QuotesTheWholeText) {
    EXPECT_EQ(kiv::NotAFloatMessage("1.2.3"), "'1.2.3' is not a valid floating point value");
    EXPECT_EQ(kiv::NotAFloatMessage(""), "'' is not a valid floating point value");
    EXPECT_EQ(kiv::NotAFloatMessage(" 5 x"), "' 5 x' is not a valid floating point value");
}

// ---- which validators run --------------------------------------------------

TEST(ValidatorsFor, RunInTheOrderEachLimitNeeds) {
    using V = std::vector<Input>;
    const auto list = [](int type) {
        const auto span = kiv::ValidatorsFor(type);
        return V(span.begin(), span.end());
    };
    EXPECT_EQ(list(1), (V{Input::S, Input::L1, Input::L2, Input::H}));
    EXPECT_EQ(list(2),
              (V{Input::S, Input::L1, Input::L2, Input::H, Input::FalthP2, Input::FalthP1}));
    EXPECT_EQ(list(3), (V{Input::S, Input::L1, Input::L2, Input::H, Input::AllP2, Input::AllP1,
                          Input::AllD}));
    EXPECT_TRUE(list(0).empty());
    EXPECT_TRUE(list(4).empty());
}

// ---- one validator ---------------------------------------------------------

using namespace kiv::test::refusal;

struct ValidatorCase {
    const char* name;
    Input in;
    std::string text;
    double S;            // stored a moment earlier; the other inputs are the defaults
    double P2;           // stored before either P1
    std::string message; // empty: accepted
};

class Validate : public testing::TestWithParam<ValidatorCase> {};

TEST_P(Validate, StoresThenTests) {
    const ValidatorCase& c = GetParam();
    RaschetData d = kiv::test::Defaults();
    d.S = c.S;
    d.FalthP2 = d.AllP2 = c.P2;
    const Verdict v = kiv::Validate(c.in, c.text, d);
    EXPECT_EQ(v.kind, c.message.empty() ? Verdict::Accepted : Verdict::Rejected);
    EXPECT_EQ(v.message, c.message);
    EXPECT_FALSE(v.credit);
    // Stored even when refused, so the user sees the field's value in the record.
    EXPECT_EQ(kiv::Field(d, c.in), *kiv::TextToFloat(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, Validate,
    testing::Values(ValidatorCase{"ThinnestSheet", Input::S, "0.1", 0, 2, ""},
                    ValidatorCase{"TooThin", Input::S, "0.09", 0, 2, kThickness},
                    ValidatorCase{"PointAloneIsZeroThickness", Input::S, ".", 0, 2, kThickness},
                    ValidatorCase{"NarrowestHood", Input::L1, "5", 0.5, 2, ""},
                    ValidatorCase{"TooNarrow", Input::L1, "4.99", 0.5, 2, kWidth},
                    // Ten times the stored 0.1 lies a hair above 1 in the wider precision.
                    ValidatorCase{"TenTimesPointOneIsAboveOne", Input::L1, "1", 0.1, 2, kWidth},
                    ValidatorCase{"NextDoubleAboveOne", Input::L1, "1.0000000000000002", 0.1, 2,
                                  ""},
                    ValidatorCase{"WidestHood", Input::L1, "100000", 0.5, 2, ""},
                    ValidatorCase{"TooWide", Input::L1, "100000.001", 0.5, 2, kMaxWidth},
                    // The lower limit is tested first: a sheet as thick as
                    // the hood is wide is a width to increase, not reduce.
                    ValidatorCase{"TooNarrowBeforeTooWide", Input::L1, "2e5", 1e5, 2, kWidth},
                    ValidatorCase{"SquareHood", Input::L2, "200", 0.5, 2, ""},
                    ValidatorCase{"TooShort", Input::L2, "199", 0.5, 2, kLength},
                    ValidatorCase{"LongestHood", Input::L2, "100000", 0.5, 2, ""},
                    ValidatorCase{"TooLong", Input::L2, "1e100", 0.5, 2, kMaxLength},
                    ValidatorCase{"LowestHood", Input::H, "1", 0.5, 2, ""},
                    ValidatorCase{"TooLow", Input::H, "0.99", 0.5, 2, kHeight},
                    ValidatorCase{"HighestHood", Input::H, "100000", 0.5, 2, ""},
                    ValidatorCase{"TooHigh", Input::H, "1e153", 0.5, 2, kMaxHeight},
                    ValidatorCase{"TooLowBeforeTooHigh", Input::H, "150000", 1e5, 2, kHeight},
                    ValidatorCase{"SmallestFalthP2", Input::FalthP2, "2", 0.5, 2, ""},
                    ValidatorCase{"FalthP2TooSmall", Input::FalthP2, "1.5", 0.5, 2, kAllowance},
                    ValidatorCase{"FalthP1EqualsP2", Input::FalthP1, "2", 0.5, 2, ""},
                    ValidatorCase{"FalthP1BelowP2", Input::FalthP1, "2.5", 0.5, 3, kAllowance},
                    ValidatorCase{"SmallestAllP2", Input::AllP2, "2", 0.5, 2, ""},
                    ValidatorCase{"AllP2TooSmall", Input::AllP2, "1.99", 0.5, 2, kAllowance},
                    ValidatorCase{"AllP1EqualsP2", Input::AllP1, "3", 0.5, 3, ""},
                    ValidatorCase{"AllP1BelowP2", Input::AllP1, "2.5", 0.5, 3, kAllowance},
                    ValidatorCase{"WidestFalthP2", Input::FalthP2, "100", 0.5, 2, ""},
                    ValidatorCase{"FalthP2TooWide", Input::FalthP2, "100.01", 0.5, 2, kMaxAllowance},
                    ValidatorCase{"WidestFalthP1", Input::FalthP1, "100", 0.5, 2, ""},
                    ValidatorCase{"FalthP1TooWide", Input::FalthP1, "1e300", 0.5, 2, kMaxAllowance},
                    ValidatorCase{"AllP2TooWide", Input::AllP2, "101", 0.5, 2, kMaxAllowance},
                    ValidatorCase{"AllP1TooWide", Input::AllP1, "100.5", 0.5, 3, kMaxAllowance},
                    // Below P2 is a seam to widen, however wide P2 is.
                    ValidatorCase{"AllP1BelowP2BeforeTooWide", Input::AllP1, "150", 0.5, 200, kAllowance},
                    ValidatorCase{"ThinnestWire", Input::AllD, "1", 0.5, 2, ""},
                    ValidatorCase{"ThickestWire", Input::AllD, "10", 0.5, 2, ""},
                    ValidatorCase{"WireTooThin", Input::AllD, "0.5", 0.5, 2, kMinWire},
                    ValidatorCase{"WireTooThick", Input::AllD, "10.5", 0.5, 2, kMaxWire}),
    [](const testing::TestParamInfo<ValidatorCase>& info) { return std::string(info.param.name); });

TEST(Validate, TextThatIsNotANumberStoresNothing) {
    for (const char* text : {"", "1.2.3", "1e400", " "}) {
        SCOPED_TRACE(text);
        RaschetData d = kiv::test::Defaults();
        const Verdict v = kiv::Validate(Input::S, text, d);
        EXPECT_EQ(v.kind, Verdict::NotANumber);
        EXPECT_EQ(v.message, kiv::NotAFloatMessage(text));
        EXPECT_EQ(d.S, 0.5);
    }
}

// ---- the credit line -------------------------------------------------------

struct CreditCase {
    const char* name;
    Input in; // the validator run last, on the text of H or L2 below
    double S, H, L1, L2;
    Verdict::Kind kind;
    bool credit;
};

class Credit : public testing::TestWithParam<CreditCase> {};

TEST_P(Credit, OnlyAnAcceptedHeightCompletingTheSum) {
    const CreditCase& c = GetParam();
    RaschetData d = kiv::test::Defaults();
    d.S = c.S;
    d.H = c.H;
    d.L1 = c.L1;
    d.L2 = c.L2;
    const double value = kiv::Field(d, c.in);
    const Verdict v = kiv::Validate(c.in, std::to_string(value), d);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_EQ(v.credit, c.credit);
}

INSTANTIATE_TEST_SUITE_P(
    Sums, Credit,
    testing::Values(
        CreditCase{"SumHits", Input::H, 0.5, 7726.5, 200, 400, Verdict::Accepted, true},
        CreditCase{"Defaults", Input::H, 0.5, 100, 200, 400, Verdict::Accepted, false},
        CreditCase{"SumMissesByHalf", Input::H, 0.5, 7727, 200, 400, Verdict::Accepted, false},
        CreditCase{"HeightRefused", Input::H, 1000, 1, 3000, 4326, Verdict::Rejected, false},
        CreditCase{"NotTheHeightValidator", Input::L2, 0.5, 7726.5, 200, 400, Verdict::Accepted,
                   false}),
    [](const testing::TestParamInfo<CreditCase>& info) { return std::string(info.param.name); });

} // namespace
