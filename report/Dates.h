// The date every file the program makes carries. With SOURCE_DATE_EPOCH set,
// as for a reproducible build, it is that moment instead of the clock's, so
// that the same input gives the same file byte for byte.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace kiv {

// The moment SOURCE_DATE_EPOCH names (whole seconds since 1970, no sign, no
// blanks), or nothing when it is unset or no such number.
std::optional<std::time_t> FixedMoment();

// The date a title block shows, "dd.mm.yyyy": today by the local clock, or the
// fixed moment's day in UTC.
std::string TitleDate();

// Moves the creation date a PDF writer put into `pdf` to the fixed moment;
// without one the file stays as it is. The date keeps its length, so every
// offset in the file stays right.
void FixPdfDate(std::string& pdf);

} // namespace kiv
