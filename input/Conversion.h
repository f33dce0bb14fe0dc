#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiv {

// A field's text as a number, "." as the decimal separator whatever the
// locale: blanks, optional sign, digits, optional point and digits, optional
// exponent, blanks. "." alone is 0. Empty text, "1.2.3", anything else, and a
// value beyond the double range are not numbers (nullopt).
std::optional<double> TextToFloat(std::string_view text);

// "'<text>' is not a valid floating point value" (no full stop: the error box adds it).
std::string NotAFloatMessage(std::string_view text);

} // namespace kiv
