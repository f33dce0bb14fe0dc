#include "report/FormatFixed.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace kiv {

std::string ShortNumber(double v) {
    std::string s = FormatFixed(v, 15, 4);
    if (s.find('.') != std::string::npos && s.find('E') == std::string::npos) {
        while (s.back() == '0') {
            s.pop_back();
        }
        if (s.back() == '.') {
            s.pop_back();
        }
    }
    return s == "-0" ? "0" : s;
}

namespace {

constexpr int kExpansionDigits = 18;
constexpr std::uint64_t kTen17 = 100000000000000000ULL;
constexpr std::uint64_t kTen18 = 10 * kTen17;

constexpr std::array<std::uint64_t, 20> PowersOfTen() {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) {
        p[i] = p[i - 1] * 10;
    }
    return p;
}
constexpr auto kPowersOfTen = PowersOfTen();

// "00" "01" ... "99": two digits per division halves the chain of dependent
// divisions, which is most of the cost of writing a number.
constexpr std::array<char, 200> DigitPairs() {
    std::array<char, 200> t{};
    for (std::size_t i = 0; i < 100; ++i) {
        t[2 * i] = static_cast<char>('0' + i / 10);
        t[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return t;
}
constexpr auto kDigitPairs = DigitPairs();

// Writes the last `count` decimal digits of n into out, leading zeros included.
template <typename Out> void WriteDigits(std::uint64_t n, Out& out, int count) {
    int i = count;
    while (i >= 2) {
        const auto pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        out[static_cast<std::size_t>(--i)] = kDigitPairs[pair + 1];
        out[static_cast<std::size_t>(--i)] = kDigitPairs[pair];
    }
    if (i == 1) {
        out[0] = static_cast<char>('0' + n % 10);
    }
}

int DigitCount(std::uint64_t n) {
    int count = 1;
    while (count < 20 && n >= kPowersOfTen[static_cast<std::size_t>(count)]) {
        ++count;
    }
    return count;
}

// A non-negative decimal number: value = digits * 10^place, where place is
// the worth of the integer's last digit.
struct Scaled {
    std::uint64_t digits = 0;
    int place = 0;
};

// The same digits by exact integer arithmetic, several times faster, for the
// range every dimension and coordinate of a hood falls in. A double is
// m * 2^e2 exactly; m * 10^s fits in 128 bits there, and dividing by 2^-e2 is
// a shift whose remainder decides the rounding (half to even, as to_chars).
// The digits come back as one 18-digit integer.
bool ExpandToInteger(double magnitude, std::uint64_t& digits, int& exponent) {
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

    // Every value of this range is a normal double: the stored 52 bits and the
    // hidden 1 make a 53-bit integer, worth 2^(biased exponent - 1075).
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t mantissa = (bits & ((1ULL << 52) - 1)) | (1ULL << 52);
    const int binaryExponent = biased - 1022; // as frexp: magnitude < 2^binaryExponent
    const int shift = 1075 - biased;          // 4 .. 67 in this range

    // log10(2) estimates the decimal exponent to within one; the loop settles it.
    // (78913 / 2^18 is log10(2) to six places; the shift floors negatives too.)
    int e = ((binaryExponent - 1) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = 17 - e;
        if (scale < 0 || scale >= static_cast<int>(kPowers.size())) {
            return false;
        }
        const u128 product = static_cast<u128>(mantissa) * kPowers[static_cast<std::size_t>(scale)];
        u128 q = product >> shift;
        if (q >= kTen18) {
            ++e;
            continue;
        }
        if (q < kTen17) {
            --e;
            continue;
        }
        const u128 rest = product & ((static_cast<u128>(1) << shift) - 1);
        const u128 half = static_cast<u128>(1) << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0)) {
            ++q;
        }
        if (q == kTen18) {
            q = kTen17;
            ++e;
        }
        digits = static_cast<std::uint64_t>(q);
        exponent = e;
        return true;
    }
    return false;
}

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

bool ExpandByIntegers(double magnitude, char (&digits)[18], int& exponent) {
    std::uint64_t n = 0;
    if (!ExpandToInteger(magnitude, n, exponent)) {
        return false;
    }
    WriteDigits(n, digits, kExpansionDigits);
    return true;
}

} // namespace detail

namespace {

// The value's decimal expansion to 18 significant digits.
Scaled Expand(double magnitude) {
    Scaled s;
    int exponent = 0;
    if (!ExpandToInteger(magnitude, s.digits, exponent)) {
        char digits[kExpansionDigits];
        detail::ExpandByChars(magnitude, digits, exponent);
        for (char c : digits) {
            s.digits = s.digits * 10 + static_cast<std::uint64_t>(c - '0');
        }
    }
    s.place = exponent - (kExpansionDigits - 1);
    return s;
}

// Keeps the 18-digit expansion to `keep` significant digits, rounding half
// away from zero on the dropped ones. A carry may leave keep + 1 digits
// (999.6 kept to 3 gives 1000): that is still the right value.
Scaled Round(const Scaled& in, int keep) {
    const int drop = kExpansionDigits - keep;
    if (drop <= 0) {
        return in;
    }
    Scaled out;
    out.place = in.place + drop;
    if (drop > kExpansionDigits) {
        return out; // below even the first digit's half
    }
    const std::uint64_t unit = kPowersOfTen[static_cast<std::size_t>(drop)];
    out.digits = in.digits / unit;
    if (in.digits % unit >= unit / 2) {
        ++out.digits;
    }
    return out;
}

// Integer part, point, `decimals` places; no point at all for 0 decimals.
// The rounding kept no digit finer than 10^-decimals.
std::string Fixed(const Scaled& s, int decimals, bool negative) {
    const int count = DigitCount(s.digits);
    const int top = std::max(s.place + count - 1, 0); // worth of the first printed digit
    const int sign = negative ? 1 : 0;
    std::string text(static_cast<std::size_t>(sign + top + 1 + (decimals > 0 ? 1 + decimals : 0)),
                     '0');
    if (negative) {
        text[0] = '-';
    }
    if (decimals > 0) {
        const int point = sign + top + 1;
        text[static_cast<std::size_t>(point)] = '.';
    }
    char digits[20];
    WriteDigits(s.digits, digits, count);
    for (int k = 0; k < count; ++k) {
        const int place = s.place + count - 1 - k;
        const int at = sign + top - place + (place < 0 ? 1 : 0);
        text[static_cast<std::size_t>(at)] = digits[k];
    }
    return text;
}

// "d.ddd...E+n" with `precision` significant digits.
std::string Exponent(const Scaled& s, int precision, bool negative) {
    const int count = DigitCount(s.digits);
    std::array<char, 20> digits{};
    WriteDigits(s.digits, digits, count);
    // A carry gives precision + 1 digits, 1 followed by zeros: the first
    // `precision` of them are the mantissa all the same.
    const int exponent = s.place + count - 1;
    const auto shown = static_cast<std::size_t>(std::min(precision, count));
    std::string text = negative ? "-" : "";
    text += digits[0];
    if (shown > 1) {
        text += '.';
        text.append(digits.data() + 1, shown - 1);
    }
    text += exponent < 0 ? "E-" : "E+";
    text += std::to_string(std::abs(exponent));
    return text;
}

} // namespace

std::string FormatFixed(double value, int precision, int decimals) {
    if (!std::isfinite(value)) {
        return "?";
    }
    precision = std::clamp(precision, 1, kExpansionDigits);
    decimals = std::max(decimals, 0);

    const Scaled expansion = Expand(std::fabs(value));
    const int exponent = expansion.place + kExpansionDigits - 1; // worth of the first digit
    const Scaled rounded = Round(expansion, std::min(precision, exponent + 1 + decimals));
    const bool negative = std::signbit(value) && rounded.digits != 0;
    if (rounded.digits != 0 && rounded.place + DigitCount(rounded.digits) > precision) {
        return Exponent(Round(expansion, precision), precision, negative);
    }
    return Fixed(rounded, decimals, negative);
}

} // namespace kiv
