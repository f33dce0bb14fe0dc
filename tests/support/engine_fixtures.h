// Shared inputs of the engine tests.
#pragma once

#include "core/RaschetData.h"

#include <ostream>
#include <string>

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

// Hoods at the edges of the shape: equal allowances end both seam strips at
// one point of the axis, a tall hood puts the apex above point 3, a square
// base, and the smallest sizes the validators allow.
struct EdgeHood {
    const char* name;
    double S, L1, L2, H, P1, P2, wire;
    int types = 3; // the types whose allowances fit: 1 to `types`

    RaschetData data() const {
        RaschetData d;
        d.S = S;
        d.L1 = L1;
        d.L2 = L2;
        d.H = H;
        d.FalthP1 = d.AllP1 = P1;
        d.FalthP2 = d.AllP2 = P2;
        d.AllD = wire;
        return d;
    }
};

// Test names and failure messages name the hood, not its bytes.
inline void PrintTo(const EdgeHood& h, std::ostream* os) {
    *os << h.name;
}

inline const EdgeHood kEdgeHoods[] = {
    {"EqualAllowances", 0.5, 200, 400, 100, 3, 3, 2},
    {"TallWithEqualAllowances", 2, 205, 1000, 1000, 3, 3, 4},
    {"SquareBase", 1, 500, 500, 300, 10, 2, 10},
    {"Smallest", 0.1, 1, 1, 0.2, 2, 2, 1, 1},
    {"Steep", 0.5, 100, 100, 5000, 20, 2, 10},
    {"WideAndLow", 1, 300, 3000, 400, 5, 2, 3},
    // A needle: the strips run 9.5 m past the apex, and allowances a few last
    // digits apart end them all but at one point of the axis.
    {"NeedleWithAllowancesApartInTheLastDigits", 0.5, 5, 200, 48008, 40.5444444444444444404,
     40.5444444444444004, 2},
};

// Worked values are known to 4 decimals.
inline constexpr double kFourDecimals = 5e-5;

} // namespace kiv::test
