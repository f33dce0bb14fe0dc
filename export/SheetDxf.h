// One stock sheet of a nested order as a DXF drawing for a cutting machine:
// the sheet's outline, every part with all its lines where it was placed,
// and a small label per part on a layer of its own.
#pragma once

#include "export/ShopDrawing.h"

#include <string>
#include <vector>

namespace kiv {

// A part as it lies on the sheet: its drawing already turned and moved.
struct SheetPart {
    std::string label; // ASCII, so that every CAM program reads it
    ShopDrawing drawing;
};

// DXF R12 in millimetres, sheet corner at the origin, x along its length:
// the outline on SHEET, each part's contour and slit on CUT, its fold lines
// on FOLD, SEAM and WIRE as in the single drawing, and its label on LABELS
// (which a CAM program switches off before cutting).
std::string SheetDxfBytes(double length, double width, const std::vector<SheetPart>& parts);

// Where a part's label goes: the centre of its contour's area, or of its
// box when the area is too small to have one.
Point LabelPoint(const ShopDrawing& drawing);

} // namespace kiv
