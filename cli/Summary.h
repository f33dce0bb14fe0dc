// A batch's summary.csv: one line per hood for its quantity, and the totals.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <string>
#include <vector>

namespace kiv::cli {

// The header line, CRLF-terminated.
extern const char* const kSummaryHeader;

// One hood of the order, `qty` times: its inputs, blank, the areas and
// masses and (type 3) wire length for all `qty`, and the files written.
std::string SummaryLine(int line, const std::string& name, int type, long qty,
                        const RaschetData& d, const BlankSummary& s,
                        const std::vector<std::string>& files);

// The totals line: hoods, blank area, blank mass per metal, wire length.
std::string TotalsLine(long hoods, double area, const double (&mass)[3], double wire);

// A cell as CSV needs it: quoted when it holds a comma, a quote or a line break.
std::string CsvCell(const std::string& s);

} // namespace kiv::cli
