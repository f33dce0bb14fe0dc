// Nesting parts made from shop drawings: the part is the closed cut contour,
// and every other line of the drawing travels with it.
#pragma once

#include "export/ShopDrawing.h"
#include "nest/Nest.h"

#include <string>

namespace kiv::nest {

// The outline a part takes on the sheet: the cut contour without the slit,
// which lies inside the part and leaves no room for another.
Outline OuterContour(const ShopDrawing& drawing);

Part PartOf(const ShopDrawing& drawing, std::string name, int quantity);

// The drawing moved to where a placement puts its part: contour, fold, seam
// and wire lines and named points, all by the same turn and shift.
ShopDrawing PlaceDrawing(const ShopDrawing& drawing, const Placement& placement);

} // namespace kiv::nest
