// A batch's summary.csv: one line per hood for its quantity, and the totals.
// It follows the order's convention: "," with decimal points, or ";" with
// decimal commas, so that the spreadsheet that saved the order reads its
// numbers as numbers.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <string>
#include <vector>

namespace kiv::cli {

// The header line, CRLF-terminated.
extern const char* const kSummaryHeader;

// The header line with `separator` between the names.
std::string SummaryHeader(char separator);

// One hood of the order, `qty` times: its inputs, blank, the areas and
// masses and (type 3) wire length for all `qty`, and the files written.
std::string SummaryLine(int line, const std::string& name, int type, long qty,
                        const RaschetData& d, const BlankSummary& s,
                        const std::vector<std::string>& files, char separator = ',');

// The totals line: hoods, blank area, blank mass per metal, wire length.
std::string TotalsLine(long hoods, double area, const double (&mass)[3], double wire,
                       char separator = ',');

// A cell as CSV needs it: quoted when it holds the separator, a quote or a line break.
std::string CsvCell(const std::string& s, char separator = ',');

} // namespace kiv::cli
