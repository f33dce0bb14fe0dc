// Shared inputs of the engine tests.
#pragma once

#include "core/RaschetData.h"

namespace kiv::test {

// The inputs the window starts with.
inline RaschetData Defaults() {
    RaschetData d;
    d.S = 0.5;
    d.H = 100;
    d.L1 = 200;
    d.L2 = 400;
    d.FalthP1 = 3;
    d.FalthP2 = 2;
    d.AllP1 = 3;
    d.AllP2 = 2;
    d.AllD = 2;
    return d;
}

inline RaschetData Hood(double H, double L1, double L2) {
    RaschetData d = Defaults();
    d.H = H;
    d.L1 = L1;
    d.L2 = L2;
    return d;
}

// Worked values are known to 4 decimals.
inline constexpr double kFourDecimals = 5e-5;

} // namespace kiv::test
