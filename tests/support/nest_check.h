// A nested layout handed to the independent validator: the engine's parts
// and placements turned into the validator's plain outlines.
#pragma once

#include "nest/Nest.h"
#include "tests/support/layout_validator.h"

#include <algorithm>
#include <string>
#include <vector>

namespace kiv::test {

inline std::vector<Xy> ToXy(const nest::Outline& outline) {
    std::vector<Xy> out;
    for (const nest::Vec& v : outline) {
        out.push_back({v.x, v.y});
    }
    return out;
}

// A millionth of the sheet (2.5 thousandths of a millimetre on a 2500 mm
// sheet): above the engine's rounding to ten-millionths, far below anything a
// cutting machine resolves.
inline double NestTolerance(const nest::Stock& stock) {
    return 1e-6 * std::max(stock.width, stock.coil ? stock.width : stock.length);
}

inline SheetRules RulesOf(const nest::Stock& stock, const nest::Options& options) {
    return {stock.width, stock.length, stock.coil, options.gap, options.margin, options.rotations,
            NestTolerance(stock)};
}

inline std::vector<std::string> CheckLayout(const std::vector<nest::Part>& parts,
                                            const nest::Layout& layout, const nest::Stock& stock,
                                            const nest::Options& options) {
    std::vector<CheckedPart> checked;
    checked.reserve(parts.size());
    for (const nest::Part& p : parts) {
        checked.push_back({ToXy(p.outline), p.quantity});
    }
    std::vector<PlacedCopy> placed;
    placed.reserve(layout.placements.size());
    for (const nest::Placement& pl : layout.placements) {
        placed.push_back({pl.part, pl.copy, pl.sheet,
                          ToXy(nest::PlaceOutline(parts[static_cast<std::size_t>(pl.part)].outline, pl))});
        if (pl.sheet >= layout.sheets) {
            std::vector<std::string> f{"placement on sheet " + std::to_string(pl.sheet) + " of " +
                                       std::to_string(layout.sheets)};
            return f;
        }
    }
    return LayoutFaults(checked, placed, RulesOf(stock, options));
}

} // namespace kiv::test
