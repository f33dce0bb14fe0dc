// The confirmed pattern as a DXF drawing for cutting machines and CAM
// programs, written through dxflib.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"
#include "export/ShopDrawing.h"

#include <string>
#include <string_view>

namespace kiv {

struct DxfOutput {
    DrawingFault fault = DrawingFault::None; // anything else: `bytes` is empty
    std::string bytes;
};

// DXF R12 (AC1009) in millimetres ($INSUNITS 4, $MEASUREMENT 1), at full size
// in the script's coordinates: the cut contour as one closed polyline on CUT
// and, for types 2 and 3, the slit between the seam strips as an open
// polyline on CUT from the contour to the apex; the hood's edges on FOLD, the
// seam strips' fold lines on SEAM and the rim band's roll lines on WIRE.
// $EXTMIN/$EXTMAX and the active viewport are fitted to the pattern, so a CAD
// program opens on all of it. The contour is checked first; a drawing that
// fails the check is not written at all.
DxfOutput DxfBytes(const RaschetData& d, int type, const BlankSummary& summary);

} // namespace kiv
