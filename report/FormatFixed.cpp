#include "report/FormatFixed.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace kiv {

namespace {

constexpr int kExpansionDigits = 18;

// A non-negative decimal: `count` digits, the first one worth 10^exponent.
// Kept in a fixed array: this runs for every coordinate of every script.
struct Decimal {
    std::array<char, kExpansionDigits + 1> digits{};
    int count = 0;
    int exponent = 0;

    bool zero() const {
        return std::all_of(digits.begin(), digits.begin() + count, [](char c) { return c == '0'; });
    }
    // Digit worth 10^place, or '0' outside the kept digits.
    char at(int place) const {
        const int index = exponent - place;
        return index < 0 || index >= count ? '0' : digits[static_cast<std::size_t>(index)];
    }
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
    d.digits[0] = buf[0];
    d.count = 1;
    for (const char* p = buf + 2; p < e; ++p) {
        d.digits[static_cast<std::size_t>(d.count++)] = *p;
    }
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, d.exponent);
    return d;
}

// Keeps the first `keep` digits, rounding half away from zero on the next one.
Decimal Round(const Decimal& in, int keep) {
    Decimal out = in;
    if (keep >= in.count) {
        return out;
    }
    if (keep < 0) {
        out.count = 1;
        out.digits[0] = '0';
        return out;
    }
    out.count = keep;
    if (in.digits[static_cast<std::size_t>(keep)] < '5') {
        if (keep == 0) {
            out.count = 1;
            out.digits[0] = '0';
        }
        return out;
    }
    // Carry upwards; a carry out of the first digit makes a new leading 1.
    int i = keep;
    while (i > 0 && out.digits[static_cast<std::size_t>(i - 1)] == '9') {
        out.digits[static_cast<std::size_t>(--i)] = '0';
    }
    if (i > 0) {
        ++out.digits[static_cast<std::size_t>(i - 1)];
    } else {
        out.digits[0] = '1';
        out.count = 1;
        ++out.exponent;
    }
    return out;
}

std::string Fixed(const Decimal& d, int decimals, bool negative) {
    std::string text;
    if (negative) {
        text += '-';
    }
    for (int place = std::max(d.exponent, 0); place >= 0; --place) {
        text += d.at(place);
    }
    if (decimals > 0) {
        text += '.';
        for (int place = -1; place >= -decimals; --place) {
            text += d.at(place);
        }
    }
    return text;
}

// "d.ddd...E+n" with `precision` significant digits.
std::string Exponent(const Decimal& d, int precision, bool negative) {
    std::string text = negative ? "-" : "";
    text += d.at(d.exponent);
    if (precision > 1) {
        text += '.';
        for (int i = 1; i < precision; ++i) {
            text += d.at(d.exponent - i);
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
    const Decimal rounded =
        Round(expansion, std::min(precision, expansion.exponent + 1 + decimals));
    const bool negative = std::signbit(value) && !rounded.zero();
    if (rounded.exponent + 1 > precision) {
        return Exponent(Round(expansion, precision), precision, negative);
    }
    return Fixed(rounded, decimals, negative);
}

} // namespace kiv
