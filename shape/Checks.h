// The geometric checks that tie the flat pattern to the hood it folds into.
// Each one compares what the drawing's named points give with what the
// hood's own sizes (L1, L2, H) say, so that a wrong point anywhere shows up
// as a failed line the worker can read.
#pragma once

#include "core/RaschetData.h"
#include "export/ShopDrawing.h"

#include <string>
#include <vector>

namespace kiv {

enum class CheckId {
    ContourCloses, // every contour vertex sits on its named point, the contour is closed
    FoldLengths,   // 4-1, 4-2, 4-6, 4-7 have the hood's true edge length
    SeamSides,     // the two sides of the cut seam, 4-3 and 4-5, are equally long
    ApexAngles,    // the faces' angles at the apex add up to the pattern's sector
    Area,          // the contour's area is the hood's lateral area plus strips and band
    SeamMeets,     // folded fully, the two sides of the seam lie on each other
};

struct ShapeCheck {
    CheckId id = CheckId::ContourCloses;
    bool ok = false;
    double figure = 0;   // what the pattern gives (mm, degrees or mm^2)
    double expected = 0; // what the hood says it must be
    std::string text;    // one line for the worker, figure and mark included
};

// The six checks in the order above, for a drawing of type 1, 2 or 3 and the
// state it was drawn from. A drawing without the faces' points fails them all.
std::vector<ShapeCheck> CheckShape(const RaschetData& d, const ShopDrawing& drawing);

// The marks the check lines start with.
inline constexpr const char* kCheckPassed = "✓";
inline constexpr const char* kCheckFailed = "✗";

} // namespace kiv
