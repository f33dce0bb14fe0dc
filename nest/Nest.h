// Nesting: the true-shape parts of an order laid out on stock sheets (or one
// coil) with a gap between parts and a margin to the edge, turned but never
// mirrored. Plain C++ on Clipper's integer geometry; no Qt.
//
// Sheet coordinates: millimetres, origin at the sheet's corner, x along the
// sheet's length (the direction a remnant is cut off), y across its width.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kiv::nest {

struct Vec {
    double x = 0, y = 0;
};

// A closed outline, last vertex joined back to the first, either orientation.
// Holes are not modelled: whatever lies inside the outline travels with it.
using Outline = std::vector<Vec>;

struct Part {
    std::string name;
    Outline outline;
    int quantity = 1;
};

struct Stock {
    double width = 1250;  // across, y
    double length = 2500; // along, x; ignored for a coil
    bool coil = false;    // one strip of the width whose length is open
};

// The turns every part may take, degrees counter-clockwise: quarter turns,
// half turns only, or every multiple of a finer step below 360.
std::vector<double> QuarterTurns();
std::vector<double> HalfTurns();
// Empty for a step outside [kFinestTurnStep, 360].
std::vector<double> TurnsEvery(double stepDegrees);

// The finest turn step the search can use, degrees: each turn is one more
// shape of every part, with its own no-fit polygons against every placed part
// and its own free room on every sheet, so memory and the time to the first
// layout grow with the number of turns (at 1 degree a ten-copy order needs
// some 3 s of a two-core machine for its first layout, at 0.1 degree half a
// minute), and a finer step gains nothing a workshop could cut.
constexpr double kFinestTurnStep = 1;
constexpr std::size_t kMostTurns = 360;

struct Options {
    double gap = 5;     // least distance between two parts, mm
    double margin = 10; // least distance from a part to the sheet's edge, mm
    std::vector<double> rotations = QuarterTurns();
    std::uint64_t seed = 1;
    // Improvement steps after the first layout. The same parts, stock,
    // options and seed give the same layout whenever the steps run out
    // before the time cap.
    int iterations = 300;
    double timeLimit = 0; // seconds; 0 runs every step
    // Seconds from the call after which nothing runs, the first layout
    // included, when one time cap is shared by several runs: the improvement
    // steps keep to `timeLimit`, the first layout may take up to this. 0: the
    // time cap alone.
    double hardLimit = 0;
};

// One copy of a part: placed point = Turn(outline point, angle) + offset.
struct Placement {
    int part = 0;  // index into the parts
    int copy = 0;  // 0 .. quantity-1
    int sheet = 0; // 0-based
    double angle = 0;
    Vec offset;
};

enum class NestFault {
    None,
    NoParts,      // nothing to place (every quantity is zero)
    BadStock,     // a sheet size that is not a positive finite number
    BadOptions,   // a negative or non-finite gap or margin, no rotation or more than kMostTurns
    BadPart,      // fewer than three vertices, a non-finite coordinate, no area, negative quantity
    PartTooLarge, // the part fits the usable sheet at none of its turns
    Stopped,      // the caller's stop came before the first whole layout: nothing placed
    OutOfTime,    // the time cap ran out before a first layout with every copy was found
};

struct Layout {
    NestFault fault = NestFault::None;
    int faultPart = -1; // the part a BadPart or PartTooLarge names
    std::vector<Placement> placements;
    int sheets = 0;
    // Length of the last sheet (the whole coil) that the parts take, from the
    // sheet's start edge to the far edge of its farthest part.
    double lastLength = 0;
    int iterationsDone = 0;
    bool stopped = false; // the time cap or the caller ended the search early
};

// Called after each improvement step with the steps done and planned;
// returning false ends the search with the best layout so far.
using Progress = std::function<bool(int done, int planned)>;

// Asked before each part of every layout is placed, the first ones
// included; true ends the search as a Progress answering false does.
using Stop = std::function<bool()>;

Layout Nest(const std::vector<Part>& parts, const Stock& stock, const Options& options,
            const Progress& progress = {}, const Stop& stop = {});

// Rotation about the origin; quarter turns are exact.
Vec Turn(Vec p, double degrees);
Vec PlacePoint(Vec p, const Placement& placement);
Outline PlaceOutline(const Outline& outline, const Placement& placement);

// Signed area, positive counter-clockwise.
double OutlineArea(const Outline& outline);

// The usable size of a part: its smallest box over the given turns, for the
// message that names a part too large for the sheet.
struct Extent {
    double along = 0, across = 0;
};
Extent SmallestExtent(const Outline& outline, const std::vector<double>& rotations);

} // namespace kiv::nest
