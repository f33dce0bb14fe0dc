#include "core/Calculation.h"

#include "core/Geometry.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace kiv {

namespace {

constexpr double kDensity[3] = {kSteel, kAluminium, kCopper};

bool AllFinite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

bool BaseFinite(const RaschetData& d) {
    return AllFinite({d.R04, d.R42, d.X1, d.Y1, d.X2, d.Y2, d.X3, d.Y3, d.X4, d.Y4});
}

bool SeamFinite(const RaschetData& d) {
    return AllFinite({d.XF1, d.YF1, d.XF2, d.YF2, d.XF3, d.YF3, d.XF4, d.YF4});
}

bool WireFinite(const RaschetData& d) {
    return AllFinite({d.XW1, d.YW1, d.XW2, d.YW2, d.XW3, d.YW3, d.XW4, d.YW4, d.XW5, d.YW5});
}

// The blank is the smallest rectangle that holds everything the pattern type
// cuts. The outline is symmetric about the y axis, so B1 is twice the widest x.
// Point 0 and the mirrored points add nothing: point 1 already lies on y = 0.
struct Box {
    double maxAbsX = 0, minY = 0, maxY = 0;
    bool empty = true;
    void add(double x, double y) {
        maxAbsX = empty ? std::fabs(x) : std::max(maxAbsX, std::fabs(x));
        minY = empty ? y : std::min(minY, y);
        maxY = empty ? y : std::max(maxY, y);
        empty = false;
    }
};

Box BlankBox(const RaschetData& d, PatternType type) {
    Box box;
    box.add(d.X1, d.Y1);
    box.add(d.X2, d.Y2);
    box.add(d.X3, d.Y3);
    box.add(d.X4, d.Y4);
    if (HasSeams(type)) {
        box.add(d.XF1, d.YF1);
        box.add(d.XF2, d.YF2);
        box.add(d.XF3, d.YF3);
        box.add(d.XF4, d.YF4);
    }
    if (HasWire(type)) {
        box.add(d.XW1, d.YW1);
        box.add(d.XW2, d.YW2);
        box.add(d.XW3, d.YW3);
        box.add(d.XW4, d.YW4);
        box.add(d.XW5, d.YW5);
    }
    return box;
}

bool SummaryFinite(const BlankSummary& s) {
    return AllFinite({s.B1, s.B2, s.blankArea, s.patternArea, s.blankMass[0], s.blankMass[1],
                      s.blankMass[2], s.patternMass[0], s.patternMass[1], s.patternMass[2], s.widen,
                      s.lengthen, s.heighten});
}

CalcResult Stopped(CalcStatus status, int type) {
    CalcResult result;
    result.status = status;
    result.summary.type = type;
    return result;
}

CalcResult Stopped(CalcStatus status, PatternType type) {
    return Stopped(status, NumberOf(type));
}

CalcResult Summarise(RaschetData& d, PatternType type) {
    CalcResult result;
    BlankSummary& s = result.summary;
    s.type = NumberOf(type);

    const Box box = BlankBox(d, type);
    s.B1 = 2 * box.maxAbsX;
    s.B2 = box.maxY - box.minY;
    s.blankArea = s.B1 * s.B2;

    d.SlantL1 = std::sqrt(d.H * d.H + d.L2 * d.L2 / 4);
    // Two faces over the L2 sides plus two over the L1 sides, then the allowance strips.
    s.patternArea = d.L2 * d.R04 + d.L1 * d.SlantL1;
    if (type == PatternType::LockSeam) {
        s.patternArea += (d.FalthP1 + d.FalthP2) * d.R04;
    } else if (type == PatternType::SeamAndWire) {
        s.patternArea += (d.AllP1 + d.AllP2) * d.R04 + WireBandWidth(d.AllD) * 2 * (d.L1 + d.L2);
    }

    for (int m = 0; m < 3; ++m) {
        s.blankMass[m] = s.blankArea * d.S * kDensity[m] / 1000;
        s.patternMass[m] = s.patternArea * d.S * kDensity[m] / 1000;
    }

    if (HasWire(type)) {
        // The rolled wire stands out of the sheet by its radius plus the thickness.
        const double r = d.AllD / 2 + d.S;
        s.widen = (1 - d.H / d.R04) * r * 2;
        s.lengthen = (1 - d.H / d.SlantL1) * r * 2;
        s.heighten = (d.L2 / 2) / d.SlantL1 * (d.AllD / 2) + r;
    }

    return SummaryFinite(s) ? result : Stopped(CalcStatus::NotFinite, type);
}

// Types 2 and 3 share everything up to the seam strips.
CalcResult WithSeam(RaschetData& d, PatternType type, double p1, double p2) {
    Razv0_4(d);
    if (!BaseFinite(d)) {
        return Stopped(CalcStatus::NotFinite, type);
    }
    const bool fits = SeamStep(d, p1, p2);
    // An overflowed F1 is neither "fits" nor "does not fit".
    if (!std::isfinite(d.XF1)) {
        return Stopped(CalcStatus::NotFinite, type);
    }
    if (!fits) {
        return Stopped(CalcStatus::AllowancesDoNotFit, type);
    }
    if (!SeamFinite(d)) {
        return Stopped(CalcStatus::NotFinite, type);
    }
    if (HasWire(type)) {
        WireStep(d);
        if (!WireFinite(d)) {
            return Stopped(CalcStatus::NotFinite, type);
        }
    }
    return Summarise(d, type);
}

} // namespace

CalcResult CalcNone(RaschetData& d) {
    Razv0_4(d);
    if (!BaseFinite(d)) {
        return Stopped(CalcStatus::NotFinite, PatternType::Plain);
    }
    return Summarise(d, PatternType::Plain);
}

CalcResult CalcFalth(RaschetData& d) {
    return WithSeam(d, PatternType::LockSeam, d.FalthP1, d.FalthP2);
}

CalcResult CalcAll(RaschetData& d) {
    return WithSeam(d, PatternType::SeamAndWire, d.AllP1, d.AllP2);
}

CalcResult Calculate(RaschetData& d, int type) {
    if (const auto t = PatternTypeOf(type)) {
        switch (*t) {
        case PatternType::Plain:
            return CalcNone(d);
        case PatternType::LockSeam:
            return CalcFalth(d);
        case PatternType::SeamAndWire:
            return CalcAll(d);
        }
    }
    // No such pattern: nothing is computed, and nothing may be shown or written.
    return Stopped(CalcStatus::NotFinite, type);
}

} // namespace kiv
