#include "report/FormatFixed.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
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

} // namespace

namespace detail {

// to_chars is correctly rounded and, unlike printf, never uses the locale's
// decimal point; it is the reference for every value.
void ExpandByChars(double magnitude, char (&digits)[18], int& exponent) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific,
                                   kExpansionDigits - 1);
    // "d.ddddddddddddddddde±x": the digits without the point, then the exponent.
    char* e = std::find(buf, res.ptr, 'e');
    digits[0] = buf[0];
    std::copy(buf + 2, e, digits + 1);
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, exponent);
}

// The same digits by exact integer arithmetic, several times faster, for the
// range every dimension and coordinate of a hood falls in. A double is
// m * 2^e2 exactly; m * 10^s fits in 128 bits there, and dividing by 2^-e2 is
// a shift whose remainder decides the rounding (half to even, as to_chars).
bool ExpandByIntegers(double magnitude, char (&digits)[18], int& exponent) {
    if (!(magnitude >= 1e-4 && magnitude < 1e15)) {
        return false;
    }
    // GCC and clang both have 128-bit integers on this platform.
    __extension__ using u128 = unsigned __int128;
    static constexpr auto kPowers = [] {
        std::array<u128, 22> p{};
        p[0] = 1;
        for (std::size_t i = 1; i < p.size(); ++i) {
            p[i] = p[i - 1] * 10;
        }
        return p;
    }();
    constexpr std::uint64_t kLow = 100000000000000000ULL; // 10^17
    constexpr std::uint64_t kHigh = 10 * kLow;

    int binaryExponent = 0;
    const double fraction = std::frexp(magnitude, &binaryExponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    const int shift = 53 - binaryExponent; // 4 .. 67 in this range

    // log10(2) estimates the decimal exponent to within one; the loop settles it.
    int e = static_cast<int>(std::floor((binaryExponent - 1) * 0.30102999566398120));
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = 17 - e;
        if (scale < 0 || scale >= static_cast<int>(kPowers.size())) {
            return false;
        }
        const u128 product = static_cast<u128>(mantissa) * kPowers[static_cast<std::size_t>(scale)];
        u128 q = product >> shift;
        if (q >= kHigh) {
            ++e;
            continue;
        }
        if (q < kLow) {
            --e;
            continue;
        }
        const u128 rest = product & ((static_cast<u128>(1) << shift) - 1);
        const u128 half = static_cast<u128>(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0)) {
            ++q;
        }
        if (q == kHigh) {
            q = kLow;
            ++e;
        }
        // Two independent nine-digit halves: half the chain of dependent
        // divisions, which is most of the time spent here.
        const auto n = static_cast<std::uint64_t>(q);
        auto high = static_cast<std::uint32_t>(n / 1000000000U);
        auto low = static_cast<std::uint32_t>(n % 1000000000U);
        for (int i = 8; i >= 0; --i) {
            digits[i] = static_cast<char>('0' + high % 10);
            digits[i + 9] = static_cast<char>('0' + low % 10);
            high /= 10;
            low /= 10;
        }
        exponent = e;
        return true;
    }
    return false;
}

} // namespace detail

namespace {

// The value's decimal expansion to 18 significant digits.
Decimal Expand(double magnitude) {
    char digits[kExpansionDigits];
    Decimal d;
    if (!detail::ExpandByIntegers(magnitude, digits, d.exponent)) {
        detail::ExpandByChars(magnitude, digits, d.exponent);
    }
    std::copy(std::begin(digits), std::end(digits), d.digits.begin());
    d.count = kExpansionDigits;
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
