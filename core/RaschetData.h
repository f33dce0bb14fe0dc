// Kiv_TQMRZL computes the flat pattern of a rectangular pyramid hood.
//
// How data flows, library by library (each folder is one; only app/ knows Qt
// Widgets, only paint/ and app/ know Qt at all):
//   input/  converts and checks each of the nine field texts (key filter,
//           conversion, validators) and stores the number in RaschetData;
//           it also reads the settings file (the CAD object-snap value) and
//           finds the user's folder.
//   core/   this record, and the calculation: lays the hood flat (base
//           development, seam strips, wire band) and sizes the blank.
//   road/   the one road from the nine texts to a confirmed hood: the
//           validators in the window's order, the calculation, then on
//           request the outputs below. The window, the `kiv` command and the
//           tests all go this way.
//   report/ the numbers as text: the marking radii and the summary, in the
//           program's own number format.
//   script/ the bytes of the CAD command script.
//   export/ the shop drawing (contour, fold lines, named points) and what is
//           made of it: the DXF file, the paper template's layout and title
//           block, a nested sheet's DXF.
//   paint/  the template and the nested sheets painted through Qt's painter,
//           for the printer and PDF files.
//   shape/  the pattern folded back into the hood in space, and the checks
//           that the flat drawing makes the hood that was typed in.
//   nest/   an order's patterns laid out on stock sheets or a coil, and the
//           material it takes.
//   app/    the window: its fields feed the road; it shows the texts, the
//           pattern and the folded hood, and saves the files.
//   cli/    the `kiv` command: calc for one hood, batch for an order, nest
//           for the order on sheets; the same road, no window.
#pragma once

#include <string>

namespace kiv {

// The nine numeric inputs, in the order the fields sit in the window.
enum class Input { S, L1, L2, H, FalthP1, FalthP2, AllP1, AllP2, AllD };

// The one calculation state. Millimetres; x to the right, y upwards, origin at
// point 0 (middle of the front face's base edge), apex (point 4) on the y axis.
// Points 5, 6, 7 are the mirror images of 3, 2, 1 and are not stored.
struct RaschetData {
    // Inputs, stored by the validators before their range tests.
    double S = 0, H = 0, L1 = 0, L2 = 0;
    double FalthP1 = 0, FalthP2 = 0;
    double AllP1 = 0, AllP2 = 0, AllD = 0;

    // 0 before the first confirmation, then 1, 2 or 3.
    int RazvType = 0;

    // Derived lengths.
    double R04 = 0, R42 = 0, SlantL1 = 0;

    // Base development corners.
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0, X3 = 0, Y3 = 0, X4 = 0, Y4 = 0;
    // Seam strip corners; XF2 and XF4 lie on the y axis.
    double XF1 = 0, YF1 = 0, XF2 = 0, YF2 = 0, XF3 = 0, YF3 = 0, XF4 = 0, YF4 = 0;
    // Outer corners of the right half of the wire band.
    double XW1 = 0, YW1 = 0, XW2 = 0, YW2 = 0, XW3 = 0, YW3 = 0, XW4 = 0, YW4 = 0, XW5 = 0,
           YW5 = 0;

    // The CAD object-snap setting restored at the end of every script: the raw
    // bytes (at most 6) of the settings file's first line.
    std::string OsmodeValue;
};

// The record field an input is stored in.
double& Field(RaschetData& d, Input in);
double Field(const RaschetData& d, Input in);

} // namespace kiv
