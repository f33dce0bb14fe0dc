// What a nested layout costs in metal: sheets, how much of each the parts
// take, the waste, and the same order cut as rectangular blanks.
#pragma once

#include "nest/Nest.h"

#include <vector>

namespace kiv::nest {

struct SheetUse {
    double length = 0;     // mm along; for a coil, the length the parts take
    double partsArea = 0;  // mm^2
    double utilisation = 0; // parts area over the sheet's area, 0..1
};

struct MaterialSummary {
    std::vector<SheetUse> sheets;
    double width = 0;        // mm across every sheet
    double stockArea = 0;    // mm^2, every sheet used whole
    double partsArea = 0;    // mm^2
    double wasteArea = 0;    // stockArea - partsArea
    double remnantArea = 0;  // of the waste: the strip past the last sheet's used length
    double utilisation = 0;  // partsArea / stockArea
};

// The layout's sheets and their use. A coil is one sheet as long as its parts
// reach plus `coilEnd` (the margin at its cut end), so it has no remnant.
MaterialSummary Summarise(const std::vector<Part>& parts, const Layout& layout,
                          const Stock& stock, double coilEnd = 0);

// Each part replaced by its box as it lies (the blank B1 x B2 a worker marks
// out by hand), for the comparison with the true shapes.
std::vector<Part> BlankParts(const std::vector<Part>& parts);

} // namespace kiv::nest
