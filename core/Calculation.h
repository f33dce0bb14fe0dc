#pragma once

#include "core/PatternType.h"
#include "core/RaschetData.h"

namespace kiv {

enum class CalcStatus {
    Ok,
    AllowancesDoNotFit, // the seam strips do not fit into the gap (types 2 and 3)
    NotFinite,          // absurd inputs overflowed: nothing may be shown or written
};

// Densities in g/mm^3 of the three materials, in the order of the summary.
inline constexpr double kSteel = 0.00785;
inline constexpr double kAluminium = 0.00271;
inline constexpr double kCopper = 0.0088;

struct BlankSummary {
    int type = 0;
    double B1 = 0, B2 = 0;        // blank size, mm: the bounding box of what the type cuts
    double blankArea = 0;         // mm^2
    double patternArea = 0;       // mm^2
    double blankMass[3] = {};     // kg: steel, aluminium, copper
    double patternMass[3] = {};   // kg
    double widen = 0, lengthen = 0, heighten = 0; // type 3: growth of the finished hood, mm
};

struct CalcResult {
    CalcStatus status = CalcStatus::Ok;
    BlankSummary summary; // meaningful only when status is Ok
};

// The three pattern calculations. Each runs the base development first, then
// its allowance steps, then sizes the blank; each writes exactly the fields
// its steps own (SlantL1 only when the summary runs).
CalcResult CalcNone(RaschetData& d);
CalcResult CalcFalth(RaschetData& d);
CalcResult CalcAll(RaschetData& d);

// Dispatch on type 1, 2 or 3.
CalcResult Calculate(RaschetData& d, int type);

} // namespace kiv
