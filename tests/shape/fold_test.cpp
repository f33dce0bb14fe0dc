// The pattern folded into the hood: rigid pieces, shared fold lines, flat at
// the start and the hood itself at the end, for every hood the tests draw.
#include "shape/Fold.h"
#include "shape_hoods.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using kiv::FoldPlan;
using kiv::Vec3;

double Dist(const Vec3& a, const Vec3& b) {
    return kiv::Norm(a - b);
}

// The largest size of the drawing, which sets what "equal" means for it.
double Reach(const kiv::test::DrawnHood& h) {
    double r = std::max({1.0, h.data.H, h.data.L1, h.data.L2});
    for (const auto& p : h.drawing.points)
        r = std::max({r, std::fabs(p.at.x), std::fabs(p.at.y)});
    return r;
}

kiv::Point At(const kiv::ShopDrawing& d, const char* name) {
    for (const auto& p : d.points)
        if (p.name == name)
            return p.at;
    ADD_FAILURE() << "no point " << name;
    return {};
}

constexpr double kFractions[] = {0, 0.1, 0.37, 0.5, 0.9, 1};

TEST(FoldedHoods, EveryPieceStaysRigid) {
    for (const auto& h : kiv::test::DrawnHoods()) {
        SCOPED_TRACE(h.name);
        const FoldPlan plan(h.data, h.drawing);
        ASSERT_FALSE(plan.empty());
        for (double t : kFractions) {
            const kiv::FoldedHood folded = plan.at(t);
            ASSERT_EQ(folded.pieces.size(), plan.pieces.size());
            for (std::size_t k = 0; k < plan.pieces.size(); ++k) {
                const auto& flat = plan.pieces[k].flat;
                const auto& space = folded.pieces[k];
                // Every distance between two corners, diagonals included.
                for (std::size_t i = 0; i < flat.size(); ++i) {
                    for (std::size_t j = i + 1; j < flat.size(); ++j) {
                        const double want =
                            std::hypot(flat[i].x - flat[j].x, flat[i].y - flat[j].y);
                        EXPECT_NEAR(Dist(space[i], space[j]), want, 1e-9 * want)
                            << "fraction " << t << ", piece " << plan.pieces[k].names[0] << "-"
                            << plan.pieces[k].names[1] << "..., corners " << i << " and " << j;
                    }
                }
            }
        }
    }
}

TEST(FoldedHoods, NeighbouringFacesShareTheirFoldLine) {
    for (const auto& h : kiv::test::DrawnHoods()) {
        SCOPED_TRACE(h.name);
        const FoldPlan plan(h.data, h.drawing);
        const double tolerance = 1e-9 * Reach(h);
        // Face indices of kFaceNames: back right, right, front, left, back left.
        const struct {
            int a, b;
            const char* end;
        } folds[] = {{2, 1, "1"}, {1, 0, "2"}, {2, 3, "7"}, {3, 4, "6"}};
        for (double t : kFractions) {
            const auto m = plan.motions(t);
            for (const auto& f : folds) {
                for (const char* n : {"4", f.end}) {
                    const kiv::Point p = At(h.drawing, n);
                    EXPECT_LE(Dist(m[static_cast<std::size_t>(f.a)](p),
                                   m[static_cast<std::size_t>(f.b)](p)),
                              tolerance)
                        << "fraction " << t << ", fold line 4-" << f.end << ", point " << n;
                }
            }
        }
        // The plan's fold lines name the same two faces, which the view
        // paints them over.
        std::size_t found = 0;
        for (const auto& l : plan.lines) {
            if (l.kind != kiv::LineKind::Fold)
                continue;
            ++found;
            const bool known = std::any_of(std::begin(folds), std::end(folds), [&](const auto& f) {
                return (f.a == l.face && f.b == l.otherFace) ||
                       (f.b == l.face && f.a == l.otherFace);
            });
            EXPECT_TRUE(known) << "fold line on faces " << l.face << " and " << l.otherFace;
        }
        EXPECT_EQ(found, 4u);
    }
}

TEST(FoldedHoods, LiesFlatAsDrawnAtTheStart) {
    for (const auto& h : kiv::test::DrawnHoods()) {
        SCOPED_TRACE(h.name);
        const FoldPlan plan(h.data, h.drawing);
        const kiv::FoldedHood folded = plan.at(0);
        const double tolerance = 1e-12 * Reach(h);
        for (std::size_t k = 0; k < plan.pieces.size(); ++k) {
            for (std::size_t i = 0; i < plan.pieces[k].flat.size(); ++i) {
                const kiv::Point p = plan.pieces[k].flat[i];
                const Vec3 q = folded.pieces[k][i];
                // The pattern keeps its shape and place, its base edge moved to y = -L1/2.
                EXPECT_NEAR(q.x, p.x, tolerance) << plan.pieces[k].names[i];
                EXPECT_NEAR(q.y, p.y - h.data.L1 / 2, tolerance) << plan.pieces[k].names[i];
                EXPECT_NEAR(q.z, 0, tolerance) << plan.pieces[k].names[i];
            }
        }
    }
}

TEST(FoldedHoods, IsTheHoodAtTheEnd) {
    for (const auto& h : kiv::test::DrawnHoods()) {
        SCOPED_TRACE(h.name);
        const FoldPlan plan(h.data, h.drawing);
        const kiv::FoldedHood folded = plan.at(1);
        const double tolerance = 1e-9 * Reach(h);
        for (std::size_t k = 0; k < plan.pieces.size(); ++k) {
            if (plan.pieces[k].kind != kiv::PieceKind::Face)
                continue;
            for (std::size_t i = 0; i < plan.pieces[k].flat.size(); ++i) {
                Vec3 want;
                ASSERT_TRUE(kiv::HoodCorner(h.data, plan.pieces[k].names[i], want));
                EXPECT_LE(Dist(folded.pieces[k][i], want), tolerance)
                    << "face " << kiv::kFaceNames[static_cast<std::size_t>(plan.pieces[k].face)]
                    << ", corner " << plan.pieces[k].names[i];
            }
        }
        // The apex stands H above the middle of the base, whichever face carries it.
        const auto m = plan.motions(1);
        for (const auto& face : m) {
            const Vec3 apex = face(At(h.drawing, "4"));
            EXPECT_LE(Dist(apex, {0, 0, h.data.H}), tolerance);
        }
        // The seam's two sides lie on each other: 4-3 of the back right half on
        // 4-5 of the back left half.
        for (const char* n : {"4", "3"}) {
            const char* other = n[0] == '3' ? "5" : "4";
            EXPECT_LE(Dist(m[0](At(h.drawing, n)), m[4](At(h.drawing, other))), tolerance) << n;
        }
    }
}

TEST(FoldPlan, NothingToFoldWithoutAPattern) {
    kiv::RaschetData d = kiv::test::Defaults();
    kiv::Calculate(d, 1);
    for (int type : {0, 4}) {
        const FoldPlan plan(d, kiv::ShopDrawingOf(d, type));
        EXPECT_TRUE(plan.empty()) << type;
        EXPECT_TRUE(plan.at(0.5).pieces.empty()) << type;
    }
}

} // namespace
