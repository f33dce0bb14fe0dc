// Where a part's label stands on its sheet.
#include "export/SheetDxf.h"

#include <gtest/gtest.h>

namespace {

TEST(SheetLabel, StandsAtTheCentreOfThePartsArea) {
    const struct {
        const char* name;
        std::vector<kiv::Point> contour;
        kiv::Point at;
    } rows[] = {
        {"square, counter-clockwise", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {5, 5}},
        {"square, clockwise, moved", {{100, 0}, {100, 10}, {110, 10}, {110, 0}}, {105, 5}},
        // An L: the area's centre, not the box's (which would be 10, 10).
        {"L shape", {{0, 0}, {20, 0}, {20, 4}, {4, 4}, {4, 20}, {0, 20}}, {58.0 / 9, 58.0 / 9}},
        {"no area: the box's centre", {{0, 0}, {10, 0}, {20, 0}}, {10, 0}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        kiv::ShopDrawing d;
        d.contour = r.contour;
        const kiv::Point at = kiv::LabelPoint(d);
        EXPECT_NEAR(at.x, r.at.x, 1e-9);
        EXPECT_NEAR(at.y, r.at.y, 1e-9);
    }
}

} // namespace
