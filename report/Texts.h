#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <string>

namespace kiv {

// The seven-line marking-radii text, lines joined by "\r".
std::string RadiiText(const RaschetData& d);

// The blank summary: 8 lines, 11 for type 3, joined by "\r".
std::string SummaryText(const BlankSummary& s);

// A blank size for the B labels: 2 decimals.
std::string BlankSizeText(double v);

// The wire allowance label: 2.5 * d with 1 decimal.
std::string WireAllowanceText(double allD);

// Everything the window shows after a confirmation of one pattern type.
struct TypeReport {
    CalcStatus status = CalcStatus::Ok;
    std::string radii;   // set unless status is NotFinite
    std::string b1, b2;  // set when status is Ok
    std::string summary; // set when status is Ok
    BlankSummary blank;  // the numbers behind the texts, when status is Ok
};

// Runs the type's calculation on the record and builds its texts.
TypeReport RunPattern(RaschetData& d, int type);

} // namespace kiv
