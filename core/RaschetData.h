// Kiv_TQMRZL computes the flat pattern of a rectangular pyramid hood.
//
// How data flows: the window reads its nine fields; input/ converts and checks
// each text and stores the number in RaschetData; core/ lays the hood flat
// (base development, seam strips, wire band) and sizes the blank; report/ turns
// the numbers into the marking-radii and summary texts; script/ turns the same
// state into the bytes of a CAD command script. Only app/ knows Qt.
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
