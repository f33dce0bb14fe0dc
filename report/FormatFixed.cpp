#include "report/FormatFixed.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

namespace kiv {

namespace {

constexpr int kExpansionDigits = 18;

// A non-negative decimal: `digits` with the first one worth 10^exponent.
struct Decimal {
    std::string digits;
    int exponent = 0;
    bool zero() const { return digits.find_first_not_of('0') == std::string::npos; }
};

// The value's decimal expansion to 18 significant digits. to_chars is
// correctly rounded and, unlike printf, never uses the locale's decimal point.
Decimal Expand(double magnitude) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   kExpansionDigits - 1);
    // "d.ddddddddddddddddde±x": the digits without the point, then the exponent.
    char* e = std::find(buf, res.ptr, 'e');
    Decimal d;
    d.digits.push_back(buf[0]);
    d.digits.append(buf + 2, e);
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, d.exponent);
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one.
Decimal Round(const Decimal& in, int keep) {
    Decimal out;
    out.exponent = in.exponent;
    if (keep < 0) {
        out.digits.assign(1, '0');
        return out;
    }
    const auto n = static_cast<std::size_t>(keep);
    if (n >= in.digits.size()) {
        out.digits = in.digits;
        return out;
    }
    out.digits = in.digits.substr(0, n);
    if (in.digits[n] < '5') {
        if (out.digits.empty()) {
            out.digits.assign(1, '0');
        }
        return out;
    }
    // Carry upwards; a carry out of the first digit adds a new leading digit.
    std::size_t i = out.digits.size();
    while (i > 0 && out.digits[i - 1] == '9') {
        out.digits[--i] = '0';
    }
    if (i > 0) {
        ++out.digits[i - 1];
    } else {
        out.digits.insert(out.digits.begin(), '1');
        ++out.exponent;
    }
    return out;
}

// Digit worth 10^place, or '0' outside the kept digits.
char DigitAt(const Decimal& d, int place) {
    const int index = d.exponent - place;
    if (index < 0 || index >= static_cast<int>(d.digits.size())) {
        return '0';
    }
    return d.digits[static_cast<std::size_t>(index)];
}

std::string Fixed(const Decimal& d, int decimals) {
    std::string text;
    for (int place = std::max(d.exponent, 0); place >= 0; --place) {
        text += DigitAt(d, place);
    }
    if (decimals > 0) {
        text += '.';
        for (int place = -1; place >= -decimals; --place) {
            text += DigitAt(d, place);
        }
    }
    return text;
}

// "d.ddd...E+n" with `precision` significant digits.
std::string Exponent(const Decimal& d, int precision) {
    std::string text(1, DigitAt(d, d.exponent));
    if (precision > 1) {
        text += '.';
        for (int i = 1; i < precision; ++i) {
            text += DigitAt(d, d.exponent - i);
        }
    }
    text += d.exponent < 0 ? "E-" : "E+";
    text += std::to_string(std::abs(d.exponent));
    return text;
}

} // namespace

std::string FormatFixed(double value, int precision, int decimals) {
    if (!std::isfinite(value)) {
        return "?";
    }
    precision = std::clamp(precision, 1, kExpansionDigits);
    decimals = std::max(decimals, 0);

    const Decimal expansion = Expand(std::fabs(value));
    Decimal rounded = Round(expansion, std::min(precision, expansion.exponent + 1 + decimals));

    std::string text;
    if (rounded.exponent + 1 > precision) {
        text = Exponent(Round(expansion, precision), precision);
    } else {
        text = Fixed(rounded, decimals);
    }
    if (std::signbit(value) && !rounded.zero()) {
        text.insert(text.begin(), '-');
    }
    return text;
}

} // namespace kiv
