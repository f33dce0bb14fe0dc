// What the workshop outputs (DXF for cutting machines, the printed 1:1
// template) draw of a confirmed pattern: one closed cut contour, the slit
// that parts the seam strips, the fold lines by kind, and the named points. Built from the same
// points as the script, in the same coordinates: millimetres, origin at point 0, y up.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"

#include <string>
#include <string_view>
#include <vector>

namespace kiv {

struct Point {
    double x = 0, y = 0;
};

struct Segment {
    Point a, b;
};

// A rectangle in the pattern's plane: lower-left corner, y up, mm.
struct Rect {
    double x = 0, y = 0, w = 0, h = 0;
};

// A point a worker finds on the sheet: "0" to "7", "F1" to "F4", "W1" to
// "W5" and their mirror images "W1'" to "W5'".
struct NamedPoint {
    std::string name;
    Point at;
};

struct ShopDrawing {
    int type = 0;
    // The outside contour the machine cuts, closed from the last vertex back
    // to the first: a simple polygon, no stretch passed twice. Types 2 and 3
    // cross the y axis between the seam strips at F2 and F4 (one point when
    // both strips end there).
    std::vector<Point> contour;
    std::vector<std::string> contourNames; // beside `contour`, same order
    // Types 2 and 3: the open cut that parts the two seam strips, along the y
    // axis from the lower of F2 and F4 on the contour down to the apex 4;
    // empty for type 1.
    std::vector<Point> slit;
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
    SlitMisplaced, // the slit is off the y axis, or does not run from the contour to the apex
    SelfCrossing,  // two contour edges cross or touch, or the slit crosses the contour
    ExtentsDiffer, // the contour's box is not the blank B1 x B2
};

// Checks the contour before it goes to a machine: it is finite, has no
// zero-length edge, is a simple polygon, the slit runs on the axis from a
// contour vertex down to the apex inside it, and the extents are the blank of
// the summary (which stands centred on the axis). Anything but None is a
// fault of the program, never of the user's numbers.
DrawingFault CheckDrawing(const ShopDrawing& drawing, const BlankSummary& summary);

// The user-facing Russian description of a fault.
const char* DrawingFaultText(DrawingFault fault);

// The message of an output the program failed to make: "шаблон", "файл DXF".
std::string NotWrittenText(std::string_view what);

// Every line the drawing shows: the contour's edges, the slit, the fold,
// seam and wire lines.
std::vector<Segment> LinesOf(const ShopDrawing& drawing);

// The segment a-b meets the closed rectangle r.
bool SegmentMeets(Point a, Point b, const Rect& r);

// The smallest rectangle that holds every point; empty at the origin for no
// points.
Rect BoundsOf(const std::vector<Point>& points);

// p lies inside the closed polygon (even-odd rule).
bool InsidePolygon(const std::vector<Point>& polygon, Point p);

// Signed area enclosed by a closed polygon (positive when counter-clockwise).
double PolygonArea(const std::vector<Point>& polygon);

} // namespace kiv
