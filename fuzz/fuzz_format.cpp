// The number text over any double, precision and number of decimals.
#include "report/FormatFixed.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool FixedForm(const std::string& t, int decimals) {
    std::size_t i = t[0] == '-' ? 1 : 0;
    const std::size_t digitsStart = i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') {
        ++i;
    }
    if (i == digitsStart) {
        return false;
    }
    if (decimals == 0) {
        return i == t.size();
    }
    if (i >= t.size() || t[i] != '.') {
        return false;
    }
    ++i;
    const std::size_t fraction = t.size() - i;
    for (; i < t.size(); ++i) {
        if (t[i] < '0' || t[i] > '9') {
            return false;
        }
    }
    return fraction == static_cast<std::size_t>(decimals);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double) + 2) {
        return 0;
    }
    double value;
    std::memcpy(&value, data, sizeof value);
    const int precision = 1 + data[sizeof value] % 18;
    const int decimals = data[sizeof value + 1] % 7;
    const std::string text = kiv::FormatFixed(value, precision, decimals);

    if (text.empty() || text.find("inf") != std::string::npos ||
        text.find("nan") != std::string::npos) {
        __builtin_trap();
    }
    if (!std::isfinite(value)) {
        return 0;
    }
    // The fast expansion agrees with the reference wherever it answers.
    char fast[18], slow[18];
    int fastExp = 0, slowExp = 0;
    if (kiv::detail::ExpandByIntegers(std::fabs(value), fast, fastExp)) {
        kiv::detail::ExpandByChars(std::fabs(value), slow, slowExp);
        if (fastExp != slowExp || std::memcmp(fast, slow, sizeof fast) != 0) {
            __builtin_trap();
        }
    }
    // Exponent form exactly for what has more integer digits than the
    // precision once rounded to it: from 10^precision, and from just below it
    // where the units round up (99.7 at precision 2 is "1.0E+2").
    const double limit = std::pow(10.0, precision);
    const bool exponentForm = text.find('E') != std::string::npos;
    if (exponentForm != (std::fabs(value) >= limit - 0.5)) {
        // Right at the rounding edge the 18-digit expansion decides, not the double.
        if (std::fabs(std::fabs(value) - (limit - 0.5)) > limit * 1e-15) {
            __builtin_trap();
        }
    }
    if (exponentForm) {
        return 0;
    }
    if (!FixedForm(text, decimals)) {
        __builtin_trap();
    }
    double back = 0;
    std::from_chars(text.data(), text.data() + text.size(), back);
    if (back == 0 && text[0] == '-') {
        __builtin_trap(); // a rounded zero carries no sign
    }
    // Within half a unit of the printed place, or of the last significant
    // digit where the precision cuts earlier.
    const double magnitude = std::fabs(value);
    const double lastDigit =
        magnitude > 0 ? std::pow(10.0, std::floor(std::log10(magnitude)) - precision + 1) : 0;
    const double unit = std::max(std::pow(10.0, -decimals), lastDigit);
    // Reading the text back rounds once more, to the double's own spacing.
    const double spacing = std::nextafter(magnitude, INFINITY) - magnitude;
    if (std::fabs(back - value) > unit * 0.5000001 + 2 * spacing) {
        __builtin_trap();
    }
    return 0;
}
