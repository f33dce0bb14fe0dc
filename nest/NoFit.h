// The engine's integer geometry: one part at one turn, and the no-fit polygon
// of two such shapes. Inside the nesting library only; callers see Nest.h.
#pragma once

#include "nest/Nest.h"

#include <clipper.hpp>

#include <vector>

namespace kiv::nest::detail {

namespace cl = ClipperLib;

// The part being placed is shrunk by a unit and the room it may take grown by
// one, so that a part fitting its place exactly (a slot of its own width, a
// row filling the sheet) still finds a place of some area there, which the
// polygon clipping would otherwise drop as a line or a point. Parts may then
// come closer than the gap by a few units: a ten-millionth of the sheet.
constexpr cl::cInt kSlackUnits = 1;

// One part at one turn, in integer units.
struct Shape {
    double angle = 0;
    cl::Path outline;  // counter-clockwise
    cl::Path inflated; // the outline grown by half the gap
    cl::Path moving;   // the same less the slack, for the part being placed
    cl::IntRect box{}; // of the outline
};

struct PartData {
    std::vector<Shape> shapes; // one per allowed turn
    double area = 0;           // mm^2
};

// top is the least y, bottom the greatest; an empty set gives an empty box.
cl::IntRect BoxOf(const cl::Paths& paths);

// The outline turned by `angle` and scaled to units, with its grown copies;
// false when rounding leaves it no area.
bool MakeShape(const Outline& outline, double angle, double scale, cl::cInt gapUnits, Shape& out);

// The positions of a moving shape's origin at which it would overlap a fixed
// shape standing at the origin.
cl::Paths NoFitPolygon(const cl::Path& fixed, const cl::Path& moving);

} // namespace kiv::nest::detail
