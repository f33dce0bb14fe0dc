// What the workshop outputs (DXF for cutting machines, the printed 1:1
// template) draw of a confirmed pattern: one closed cut contour, the fold
// lines by kind, and the named points. Built from the same points as the
// script, in the same coordinates: millimetres, origin at point 0, y up.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <string>
#include <vector>

namespace kiv {

struct Point {
    double x = 0, y = 0;
};

struct Segment {
    Point a, b;
};

// A point a worker finds on the sheet: "0" to "7", "F1" to "F4", "W1" to
// "W5" and their mirror images "W1'" to "W5'".
struct NamedPoint {
    std::string name;
    Point at;
};

struct ShopDrawing {
    int type = 0;
    // The one contour the machine cuts, closed from the last vertex back to
    // the first. Types 2 and 3 run the slit F2-4-F4 along the y axis, which
    // goes down to the apex and back, so one stretch is passed twice.
    std::vector<Point> contour;
    std::vector<std::string> contourNames; // beside `contour`, same order
    std::vector<Segment> folds;            // the hood's edges 4-1, 4-2, 4-6, 4-7
    std::vector<Segment> seams;            // strip fold lines 4-3, 4-5 (types 2, 3)
    std::vector<Segment> wires;            // rim band roll lines 3-2 ... 6-5 (type 3)
    std::vector<NamedPoint> points;
};

// The drawing of pattern type 1, 2 or 3 from a calculated state; empty for
// any other type.
ShopDrawing ShopDrawingOf(const RaschetData& d, int type);

enum class DrawingFault {
    None,
    Empty,         // no contour (unknown type)
    NotFinite,     // a coordinate is NaN or infinite
    ZeroLength,    // two neighbouring contour vertices coincide
    SlitMisplaced, // the slit is off the y axis or does not end at the apex
    SelfCrossing,  // two contour edges cross or touch (the slit apart)
    ExtentsDiffer, // the contour's box is not the blank B1 x B2
};

// Checks the contour before it goes to a machine: it is finite, has no
// zero-length edge, does not cross itself except along the slit, and its
// extents are the blank of the summary (which stands centred on the axis). Anything but None is a
// fault of the program, never of the user's numbers.
DrawingFault CheckDrawing(const ShopDrawing& drawing, const BlankSummary& summary);

// The user-facing Russian description of a fault.
const char* DrawingFaultText(DrawingFault fault);

// Signed area enclosed by a closed polygon (positive when counter-clockwise).
double PolygonArea(const std::vector<Point>& polygon);

} // namespace kiv
