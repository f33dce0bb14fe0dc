#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kiv {

// The decimal separators a text may use. The window's fields and JSON know
// only the point; an option value or an order cell from a Russian spreadsheet
// may have the comma instead, where it cannot be taken for a separator.
enum class DecimalSign { Point, PointOrComma };

// A field's text as a number, "." as the decimal separator whatever the
// locale: blanks, optional sign, digits, optional point and digits, optional
// exponent, blanks. "." alone is 0. Empty text, "1.2.3", anything else, and a
// value beyond the double range are not numbers (nullopt). With
// PointOrComma one "," may stand where the point does ("0,5", ",5", "1,5e3").
std::optional<double> TextToFloat(std::string_view text, DecimalSign sign = DecimalSign::Point);

// The text with its decimal comma turned into the point when it is a number
// written with the comma, as the window turns a typed comma into the point;
// any other text as it is, so that a refusal quotes what the user wrote.
std::string WithDecimalPoint(std::string_view text);

// "'<text>' is not a valid floating point value" (no full stop: the error box adds it).
std::string NotAFloatMessage(std::string_view text);

} // namespace kiv
