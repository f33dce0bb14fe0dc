#include "input/Conversion.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <string>
#include <system_error>

namespace kiv {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads a run of digits starting at i and appends it to out.
std::size_t TakeDigits(std::string_view text, std::size_t i, std::string& out) {
    const std::size_t start = i;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    out.append(text.substr(start, i - start));
    return i - start;
}

// Whether a number that left the double range did so upwards. Only called for
// a non-zero mantissa, so the decimal position of its first significant digit
// (positive for values of 1 and more) tells overflow from underflow.
bool Overflows(std::string_view intDigits, std::string_view fracDigits, bool expNegative,
               std::string_view expDigits) {
    const std::size_t expLead = std::min(expDigits.find_first_not_of('0'), expDigits.size());
    const std::string_view expSignificant = expDigits.substr(expLead);
    // Exponents this long dwarf any mantissa a field can hold.
    constexpr std::size_t kLongExponent = 15;
    if (expSignificant.size() > kLongExponent) {
        return !expNegative;
    }
    long long exponent = 0;
    std::from_chars(expSignificant.data(), expSignificant.data() + expSignificant.size(), exponent);
    if (expNegative) {
        exponent = -exponent;
    }
    const std::size_t lead = intDigits.find_first_not_of('0');
    if (lead != std::string_view::npos) {
        return static_cast<long long>(intDigits.size() - lead) + exponent > 0;
    }
    const std::size_t fracLead = fracDigits.find_first_not_of('0');
    return exponent - static_cast<long long>(fracLead) > 0;
}

// A number as typed: sign, the digits before and after the point, and the
// exponent's sign and digits.
struct NumberText {
    bool negative = false;
    std::string intDigits, fracDigits;
    bool expNegative = false;
    std::string expDigits;
};

// Splits `text` into its parts; false when it is no number: blanks around
// a sign, digits with or without a point, and an exponent are all it may hold.
bool Split(std::string_view text, DecimalSign sign, NumberText& n) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ') {
            ++i;
        }
    };
    skipBlanks();
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        n.negative = text[i] == '-';
        ++i;
    }
    i += TakeDigits(text, i, n.intDigits);
    bool point = false;
    if (i < text.size() && (text[i] == '.' || (sign == DecimalSign::PointOrComma && text[i] == ','))) {
        point = true;
        ++i;
        i += TakeDigits(text, i, n.fracDigits);
    }
    if (n.intDigits.empty() && !point) {
        return false; // neither a digit nor the point before the exponent
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            n.expNegative = text[i] == '-';
            ++i;
        }
        if (TakeDigits(text, i, n.expDigits) == 0) {
            return false;
        }
        i += n.expDigits.size();
    }
    skipBlanks();
    return i == text.size();
}

// The value of a number split by Split.
std::optional<double> ValueOf(const NumberText& n) {
    // A canonical copy for the locale-free parser: it takes no '+' and wants
    // a digit before the point.
    std::string clean = n.intDigits.empty() ? "0" : n.intDigits;
    if (!n.fracDigits.empty()) {
        clean += '.';
        clean += n.fracDigits;
    }
    if (!n.expDigits.empty()) {
        clean += n.expNegative ? "e-" : "e";
        clean += n.expDigits;
    }

    double value = 0;
    const char* const first = clean.data();
    const char* const last = first + clean.size();
    const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Beyond the double range is not a number; below it, the value is 0.
        return Overflows(n.intDigits, n.fracDigits, n.expNegative, n.expDigits)
                   ? std::nullopt
                   : std::optional(0.0);
    }
    if (ec != std::errc{} || end != last) {
        return std::nullopt;
    }
    // Negative zero ("-.", "-0") is plain zero to a worker.
    return n.negative && value != 0 ? -value : value + 0.0;
}

} // namespace

std::optional<double> TextToFloat(std::string_view text, DecimalSign sign) {
    NumberText number;
    if (!Split(text, sign, number)) {
        return std::nullopt;
    }
    return ValueOf(number);
}

std::string WithDecimalPoint(std::string_view text) {
    std::string point(text);
    const std::size_t comma = point.find(',');
    if (comma != std::string::npos && TextToFloat(text, DecimalSign::PointOrComma)) {
        point[comma] = '.';
    }
    return point;
}

std::string NotAFloatMessage(std::string_view text) {
    std::string message = "'";
    message += text;
    message += "' is not a valid floating point value";
    return message;
}

} // namespace kiv
