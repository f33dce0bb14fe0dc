// The material a layout takes: sheets, utilisation, waste and remnant, and
// the blanks that stand for the parts in the comparison.
#include "nest/Summary.h"

#include <gtest/gtest.h>

namespace {

using kiv::nest::Layout;
using kiv::nest::Part;
using kiv::nest::Stock;

Part Square(double side, int qty) { return {"sq", {{0, 0}, {side, 0}, {side, side}, {0, side}}, qty}; }

TEST(MaterialSummary, SheetsUtilisationWasteAndRemnant) {
    const struct {
        const char* name;
        Stock stock;
        int sheets;
        double lastLength;
        std::vector<int> sheetOf; // per placed copy of the 100 mm square
        double stockArea, utilisation, remnant;
        std::vector<double> perSheet;
    } rows[] = {
        {"one sheet", {1000, 2000, false}, 1, 500, {0, 0}, 2e6, 2e4 / 2e6, 1.5e6, {0.01}},
        {"two sheets, last one short", {1000, 2000, false}, 2, 120, {0, 0, 1}, 4e6, 3e4 / 4e6,
         1880 * 1000.0, {0.01, 0.005}},
        {"a coil is as long as its parts", {1000, 0, true}, 1, 200, {0, 0}, 2e5, 0.1, 0, {0.1}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Layout layout;
        layout.sheets = r.sheets;
        layout.lastLength = r.lastLength;
        for (std::size_t i = 0; i < r.sheetOf.size(); ++i)
            layout.placements.push_back({0, static_cast<int>(i), r.sheetOf[i], 0, {}});
        const auto s = kiv::nest::Summarise({Square(100, static_cast<int>(r.sheetOf.size()))},
                                            layout, r.stock);
        ASSERT_EQ(s.sheets.size(), r.perSheet.size());
        for (std::size_t i = 0; i < r.perSheet.size(); ++i)
            EXPECT_NEAR(s.sheets[i].utilisation, r.perSheet[i], 1e-12);
        EXPECT_NEAR(s.stockArea, r.stockArea, 1e-6);
        EXPECT_NEAR(s.partsArea, 1e4 * static_cast<double>(r.sheetOf.size()), 1e-6);
        EXPECT_NEAR(s.wasteArea, s.stockArea - s.partsArea, 1e-6);
        EXPECT_NEAR(s.utilisation, r.utilisation, 1e-12);
        EXPECT_NEAR(s.remnantArea, r.remnant, 1e-6);
    }
}

TEST(MaterialSummary, FailedLayoutCostsNothing) {
    Layout layout;
    layout.fault = kiv::nest::NestFault::PartTooLarge;
    const auto s = kiv::nest::Summarise({Square(10, 1)}, layout, Stock{});
    EXPECT_TRUE(s.sheets.empty());
    EXPECT_EQ(s.stockArea, 0);
    EXPECT_EQ(s.utilisation, 0);
}

TEST(MaterialSummary, BlankIsThePartsBoxWithItsQuantity) {
    const Part notched{"n", {{0, 0}, {40, 0}, {40, 30}, {20, 10}, {-5, 30}}, 3};
    const auto blanks = kiv::nest::BlankParts({notched});
    ASSERT_EQ(blanks.size(), 1u);
    EXPECT_EQ(blanks[0].quantity, 3);
    EXPECT_DOUBLE_EQ(kiv::nest::OutlineArea(blanks[0].outline), 45.0 * 30.0);
    EXPECT_DOUBLE_EQ(blanks[0].outline[0].x, -5);
    EXPECT_DOUBLE_EQ(blanks[0].outline[2].y, 30);
}

} // namespace
