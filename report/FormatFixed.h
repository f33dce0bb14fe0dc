#pragma once

#include <string>

namespace kiv {

// The one number-to-text rule of the reports and the script. The value's
// decimal expansion to 18 significant digits is rounded half away from zero at
// `decimals` places, but to no more than `precision` significant digits
// (further places become zeros). "-" only when the rounded result is not zero;
// "." as the separator; no blanks, no "+"; no point at all for 0 decimals.
// Never depends on the locale.
// A value whose rounded result has more integer digits than `precision` is
// written in exponent form with `precision` significant digits, rounded the
// same way: 1e10 at precision 9 gives "1.00000000E+10", -1234567890123 at
// precision 10 gives "-1.234567890E+12".
// The caller must not pass a non-finite value (the calculation rejects those
// first); such a value gives "?", never "inf" or "nan".
std::string FormatFixed(double value, int precision, int decimals);

// A size as a worker writes it: up to 4 decimals, no trailing zeros ("0.5", "200").
std::string ShortNumber(double v);

namespace detail {
// The 18 significant digits of a positive finite value and the decimal
// exponent of the first one, two ways: the fast one covers 1e-4 to 1e15 and
// says false elsewhere; the other covers everything.
bool ExpandByIntegers(double magnitude, char (&digits)[18], int& exponent);
void ExpandByChars(double magnitude, char (&digits)[18], int& exponent);
} // namespace detail

} // namespace kiv
