// Geometric facts every accepted input must satisfy, checked over seeded
// random hoods spanning several decades of size and proportion.
#include "core/Calculation.h"
#include "tests/support/random_hood.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

using kiv::CalcStatus;
using kiv::RaschetData;

struct Pt {
    double x, y;
};

double Dist(Pt a, Pt b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// Distance of p from the line a->b, positive on the left (counter-clockwise) side.
double SignedDist(Pt a, Pt b, Pt p) {
    return ((b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x)) / Dist(a, b);
}

class RandomHoods : public testing::Test {
protected:
    std::mt19937_64 rng{20240611};

    RaschetData Draw() { return kiv::test::RandomHood(rng); }

    static constexpr int kDraws = 3000;
};

TEST_F(RandomHoods, BaseDevelopmentKeepsEveryTrueLength) {
    for (int i = 0; i < kDraws; ++i) {
        RaschetData d = Draw();
        SCOPED_TRACE(testing::Message() << "H=" << d.H << " L1=" << d.L1 << " L2=" << d.L2);
        ASSERT_EQ(kiv::CalcNone(d).status, CalcStatus::Ok);
        const Pt p1{d.X1, d.Y1}, p2{d.X2, d.Y2}, p3{d.X3, d.Y3}, p4{d.X4, d.Y4};
        const double tol = 1e-9 * d.R42;
        EXPECT_NEAR(Dist(p1, p2), d.L1, tol);
        EXPECT_NEAR(Dist(p4, p2), d.R42, tol);
        EXPECT_NEAR(Dist(p2, p3), d.L2 / 2, tol);
        EXPECT_NEAR(Dist(p4, p3), d.R04, tol);
        EXPECT_NEAR(Dist(p4, {0, 0}), std::sqrt(d.H * d.H + d.L1 * d.L1 / 4), tol);
        EXPECT_GT(d.X2, d.X1);
        EXPECT_GT(d.X3, 0);                   // the gap opens around the y axis
        EXPECT_GT(SignedDist(p4, p2, p3), 0); // the face 2-3-4 turns on counter-clockwise
    }
}

TEST_F(RandomHoods, SeamStripsLieAtTheirAllowances) {
    int fitted = 0;
    for (int i = 0; i < kDraws; ++i) {
        RaschetData d = Draw();
        SCOPED_TRACE(testing::Message() << "H=" << d.H << " L1=" << d.L1 << " L2=" << d.L2
                                        << " P1=" << d.FalthP1 << " P2=" << d.FalthP2);
        const CalcStatus status = kiv::CalcFalth(d).status;
        if (d.XF1 < 0) {
            EXPECT_EQ(status, CalcStatus::AllowancesDoNotFit);
            continue;
        }
        ASSERT_EQ(status, CalcStatus::Ok);
        ++fitted;
        const Pt p3{d.X3, d.Y3}, p4{d.X4, d.Y4}, p5{-d.X3, d.Y3};
        const double P1 = d.FalthP1, P2 = d.FalthP2;
        const double tol = 1e-9 * (d.R42 + P1);
        EXPECT_NEAR(Dist({d.XF1, d.YF1}, p3), P1, tol);
        EXPECT_NEAR(Dist({d.XF3, d.YF3}, p5), P2, tol);
        // Both strips lie in the gap: left of edge 4-3, right of edge 4-5.
        EXPECT_NEAR(SignedDist(p4, p3, {d.XF1, d.YF1}), P1, tol);
        EXPECT_NEAR(SignedDist(p4, p3, {d.XF2, d.YF2}), P1, tol);
        EXPECT_NEAR(SignedDist(p4, p5, {d.XF3, d.YF3}), -P2, tol);
        EXPECT_NEAR(SignedDist(p4, p5, {d.XF4, d.YF4}), -P2, tol);
        EXPECT_EQ(d.XF2, 0);
        EXPECT_EQ(d.XF4, 0);
        EXPECT_LE(d.XF3, tol); // never overlapping the right strip
    }
    EXPECT_GT(fitted, kDraws / 4) << "too few draws reach the strips to mean anything";
}

TEST_F(RandomHoods, WireBandStandsOffByItsWidth) {
    for (int i = 0; i < kDraws; ++i) {
        RaschetData d = Draw();
        SCOPED_TRACE(testing::Message()
                     << "H=" << d.H << " L1=" << d.L1 << " L2=" << d.L2 << " d=" << d.AllD);
        if (kiv::CalcAll(d).status != CalcStatus::Ok) {
            continue;
        }
        const Pt p1{d.X1, d.Y1}, p2{d.X2, d.Y2}, p3{d.X3, d.Y3}, p4{d.X4, d.Y4};
        const Pt w1{d.XW1, d.YW1}, w2{d.XW2, d.YW2}, w3{d.XW3, d.YW3}, w4{d.XW4, d.YW4},
            w5{d.XW5, d.YW5};
        const double w = 2.5 * d.AllD;
        const double tol = 1e-9 * (d.R42 + w);
        EXPECT_NEAR(Dist(w1, p3), w, tol);
        EXPECT_NEAR(Dist(w2, p2), w, tol);
        EXPECT_NEAR(Dist(w3, p2), w, tol);
        EXPECT_NEAR(Dist(w4, p1), w, tol);
        EXPECT_NEAR(Dist(w5, p1), w, tol);
        // Outwards: W1 continues the edge from the apex, W3 and W4 face away from it.
        EXPECT_NEAR(Dist(w1, p4), d.R04 + w, tol);
        EXPECT_NEAR(SignedDist(p1, p2, w3), -w, tol);
        EXPECT_NEAR(SignedDist(p1, p2, w4), -w, tol);
        EXPECT_NEAR(SignedDist(p3, p2, w1), SignedDist(p3, p2, w2), tol); // parallel to 3-2
        EXPECT_NEAR(Dist(w1, w2), d.L2 / 2, tol);
        EXPECT_NEAR(Dist(w3, w4), d.L1, tol);
        EXPECT_LT(d.YW5, 0);
    }
}

TEST_F(RandomHoods, BlankHoldsEverythingTheTypeCuts) {
    for (int i = 0; i < kDraws; ++i) {
        const RaschetData drawn = Draw();
        for (int type = 1; type <= 3; ++type) {
            RaschetData d = drawn;
            SCOPED_TRACE(testing::Message()
                         << "type " << type << " H=" << d.H << " L1=" << d.L1 << " L2=" << d.L2);
            const kiv::CalcResult r = kiv::Calculate(d, type);
            if (r.status != CalcStatus::Ok) {
                continue;
            }
            std::vector<Pt> right{{0, 0}, {d.X1, d.Y1}, {d.X2, d.Y2}, {d.X3, d.Y3}, {d.X4, d.Y4}};
            if (type >= 2) {
                right.insert(right.end(),
                             {{d.XF1, d.YF1}, {d.XF2, d.YF2}, {d.XF3, d.YF3}, {d.XF4, d.YF4}});
            }
            if (type == 3) {
                right.insert(right.end(), {{d.XW1, d.YW1},
                                           {d.XW2, d.YW2},
                                           {d.XW3, d.YW3},
                                           {d.XW4, d.YW4},
                                           {d.XW5, d.YW5}});
            }
            double maxAbsX = 0, minY = right[0].y, maxY = minY;
            for (const Pt p : right) {
                for (const Pt q : {p, Pt{-p.x, p.y}}) { // and the mirrored half
                    maxAbsX = std::max(maxAbsX, std::fabs(q.x));
                    minY = std::min(minY, q.y);
                    maxY = std::max(maxY, q.y);
                }
            }
            const double tol = 1e-12 * (maxAbsX + maxY - minY);
            // Holds every point, and no wider than it must be.
            EXPECT_NEAR(r.summary.B1, 2 * maxAbsX, tol);
            EXPECT_NEAR(r.summary.B2, maxY - minY, tol);
            EXPECT_GE(r.summary.blankArea, r.summary.patternArea * (1 - 1e-12));
        }
    }
}

} // namespace
