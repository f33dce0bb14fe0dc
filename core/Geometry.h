#pragma once

#include "core/RaschetData.h"

namespace kiv {

// The band rolled round the wire of a type 3 hood, in wire diameters.
inline constexpr double kWireBand = 2.5;

// Width of the band rolled round a wire of diameter `wireD`.
constexpr double WireBandWidth(double wireD) {
    return kWireBand * wireD;
}

// Crossing of the circle (r1 around (x1, y1)) with the circle (r2 around
// (x2, y2)); of the two crossings, the one with the larger y. The first centre
// must lie right of the second (x1 - x2 >= 1e-6) and the circles must cross;
// otherwise x and y become NaN and the result is false, so a caller's
// finiteness check catches it instead of a division by zero.
bool CrossCircles(double r1, double x1, double y1, double r2, double x2, double y2, double& x,
                  double& y);

// Base development: R04, R42 and points 1 to 4 from H, L1 and L2, by crossing
// arcs the way a worker marks them with a compass.
void Razv0_4(RaschetData& d);

// Seam strips with allowances p1 (beside edge 4-3) and p2 (beside edge 4-5).
// Stores XF1, YF1, then tests them: false when F1 lies left of the y axis, and
// then XF2 ... YF4 keep their old values. Otherwise stores XF2 ... YF4.
bool SeamStep(RaschetData& d, double p1, double p2);

// Outer corners W1 to W5 of the wire band, 2.5 * AllD wide.
void WireStep(RaschetData& d);

} // namespace kiv
