#include "core/Geometry.h"

#include <cmath>
#include <limits>

namespace kiv {

namespace {
// Below this horizontal distance of the centres the elimination line x = k*y + b
// degenerates (k and b would divide by almost nothing).
constexpr double kMinCentreGap = 1e-6;
// Width of the wire band in wire diameters.
} // namespace

bool CrossCircles(double r1, double x1, double y1, double r2, double x2, double y2, double& x,
                  double& y) {
    x = std::numeric_limits<double>::quiet_NaN();
    y = std::numeric_limits<double>::quiet_NaN();
    // Written as a negated >= so that a NaN centre is refused as well.
    if (!(x1 - x2 >= kMinCentreGap)) {
        return false;
    }
    const double k = (y1 - y2) / (x2 - x1);
    const double b =
        (r1 * r1 - r2 * r2 - x1 * x1 - y1 * y1 + x2 * x2 + y2 * y2) / (2 * x2 - 2 * x1);
    const double A = k * k + 1;
    const double B = 2 * (b * k - k * x1 - y1);
    const double C = b * b - 2 * b * x1 + x1 * x1 + y1 * y1 - r1 * r1;
    const double D = B * B - 4 * A * C;
    if (!(D >= 0) || !std::isfinite(D) || !std::isfinite(A)) {
        return false;
    }
    // A >= 1, so the +sqrt(D) root is the crossing with the larger y.
    const double cy = (-B + std::sqrt(D)) / (2 * A);
    const double cx = k * cy + b;
    if (!std::isfinite(cx) || !std::isfinite(cy)) {
        return false;
    }
    x = cx;
    y = cy;
    return true;
}

void Razv0_4(RaschetData& d) {
    d.R04 = std::sqrt(d.H * d.H + d.L1 * d.L1 / 4);
    d.R42 = std::sqrt(d.H * d.H + d.L1 * d.L1 / 4 + d.L2 * d.L2 / 4);
    d.X1 = d.L2 / 2;
    d.Y1 = 0;
    d.X4 = 0;
    d.Y4 = d.R04;
    // Point 2: the side face's base edge (L1) from point 1 meets the hood edge from the apex.
    CrossCircles(d.L1, d.X1, d.Y1, d.R42, d.X4, d.Y4, d.X2, d.Y2);
    // Point 3: half the back edge from point 2 meets the back face's slant height.
    CrossCircles(d.L2 / 2, d.X2, d.Y2, d.R04, d.X4, d.Y4, d.X3, d.Y3);
}

bool SeamStep(RaschetData& d, double p1, double p2) {
    d.XF1 = d.X3 - (d.Y3 - d.Y4) * p1 / d.R04;
    d.YF1 = d.Y3 + d.X3 * p1 / d.R04;
    if (!(d.XF1 >= 0)) {
        return false; // the strip on edge 4-3 would cross the middle line of the gap
    }
    d.XF2 = 0;
    d.YF2 = d.YF1 - ((d.Y3 - d.Y4) / d.X3) * d.XF1;
    d.XF3 = (d.Y3 - d.Y4) * p2 / d.R04 - d.X3;
    d.YF3 = d.Y3 + d.X3 * p2 / d.R04;
    d.XF4 = 0;
    d.YF4 = d.YF3 - ((d.Y3 - d.Y4) / (-d.X3)) * d.XF3;
    return true;
}

void WireStep(RaschetData& d) {
    const double w = WireBandWidth(d.AllD);
    d.XW1 = d.X3 + (d.X3 - d.X4) * w / d.R04;
    d.YW1 = d.Y3 + (d.Y3 - d.Y4) * w / d.R04;
    d.XW2 = d.X2 + (d.X3 - d.X4) * w / d.R04;
    d.YW2 = d.Y2 + (d.Y3 - d.Y4) * w / d.R04;
    d.XW3 = d.X2 + (d.Y2 - d.Y1) * w / d.L1;
    d.YW3 = d.Y2 - (d.X2 - d.X1) * w / d.L1;
    d.XW4 = d.X1 + (d.Y2 - d.Y1) * w / d.L1;
    d.YW4 = d.Y1 - (d.X2 - d.X1) * w / d.L1;
    d.XW5 = d.X1;
    d.YW5 = -w;
}

} // namespace kiv
