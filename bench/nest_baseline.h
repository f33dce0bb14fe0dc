// The baseline the nesting engine is measured against: Debian's libnest2d
// with its no-fit-polygon placer, fed the parts' convex hulls (on concave
// parts it overlaps them).
#pragma once

#include "nest/Nest.h"

#include <vector>

namespace kiv::bench {

struct BaselineLayout {
    bool complete = false; // every copy placed within the time
    int sheets = 0;
    double lastLength = 0;
    std::vector<nest::Placement> placements; // of the parts themselves, inside their hulls
};

// Fills sheets of the stock (a coil is cut into pieces of `stripLength`).
BaselineLayout Libnest2dOnHulls(const std::vector<nest::Part>& parts, const nest::Stock& stock,
                                double stripLength, const nest::Options& options, double seconds);

// The shortest strip of the coil's width found by halving within the time:
// one libnest2d run per length tried.
BaselineLayout Libnest2dStrip(const std::vector<nest::Part>& parts, double width, const nest::Options& options,
                              double seconds);

} // namespace kiv::bench
