// How every output draws each kind of line: the DXF files' layers (name,
// AutoCAD colour, line type) and the painted outputs' colours and pens (the
// paper template, the nested sheets' PDF, the pattern on screen). One table,
// so that a fold line is red and dashed alike in a CAM program, on paper and
// in the window.
#pragma once

#include <cstddef>
#include <iterator>

namespace kiv {

enum class LineKind {
    Cut,    // the outside contour the machine cuts
    Slit,   // the cut that parts the seam strips, on the contour's layer
    Fold,   // the hood's edges
    Seam,   // the seam strips' fold lines
    Wire,   // the rim band's roll lines
    Labels, // the part labels on a nested sheet
    Sheet,  // the stock sheet's outline
};

// A dash pattern at full size, mm; both zero for a solid line.
struct Dash {
    double drawn = 0, gap = 0;
    constexpr bool solid() const { return drawn == 0; }
};

struct LineStyle {
    const char* layer;    // DXF layer
    int aci;              // the layer's AutoCAD colour index
    unsigned rgb;         // painted colour, 0xRRGGBB
    const char* linetype; // the layer's DXF line type
    Dash dash;            // of that line type
    // Painted pen width, as a share of the cut contour's pen: every painter
    // chooses its own contour pen and draws the other lines in proportion.
    double pen;
};

inline constexpr const char* kSolidLinetype = "CONTINUOUS";
inline constexpr const char* kDashedLinetype = "DASHED";
// Long enough to read as dashes on a hood of any size, short enough to
// show a short fold line as dashed.
inline constexpr Dash kFoldDash{6, 3};

// Where a DXF reader puts what names no layer; drawn as the contour.
inline constexpr const char* kDefaultLayer = "0";

// Fold lines are drawn lighter than the contour, so the cut stands out; on
// the paper template the contour pen is 0.35 mm and the fold lines' 0.25 mm.
inline constexpr double kFoldPenShare = 0.25 / 0.35;
// The stock sheet's outline a little heavier than the parts it holds.
inline constexpr double kSheetPenShare = 1.2;

// In the order of LineKind. ACI 7 is white on a dark CAD screen and black
// on a light one; the labels are yellow in CAD and black text on paper.
inline constexpr LineStyle kLineStyles[] = {
    {"CUT", 7, 0x000000, kSolidLinetype, {}, 1},
    {"CUT", 7, 0x000000, kSolidLinetype, {}, 1}, // the slit is cut as the contour
    {"FOLD", 1, 0xC80000, kDashedLinetype, kFoldDash, kFoldPenShare},
    {"SEAM", 3, 0x008C00, kDashedLinetype, kFoldDash, kFoldPenShare},
    {"WIRE", 5, 0x0000C8, kDashedLinetype, kFoldDash, kFoldPenShare},
    {"LABELS", 2, 0x000000, kSolidLinetype, {}, 1},
    {"SHEET", 8, 0xA0A0A4, kSolidLinetype, {}, kSheetPenShare},
};
static_assert(std::size(kLineStyles) == static_cast<std::size_t>(LineKind::Sheet) + 1);

constexpr const LineStyle& StyleOf(LineKind kind) {
    return kLineStyles[static_cast<std::size_t>(kind)];
}

} // namespace kiv
