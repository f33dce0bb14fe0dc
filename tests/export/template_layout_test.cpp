// The paper template's layout: how many sheets, which way round, how they
// overlap and cover the pattern, and where the check square and the title
// block stand. Expected counts come from the sheet arithmetic done here.
#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "export/Template.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/template_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>
#include <string>

namespace {

using kiv::RaschetData;
using kiv::ShopDrawing;
using kiv::TemplateLayout;
using kiv::test::GridSheets;
using kiv::test::In;

ShopDrawing DrawingOf(RaschetData d, int type) {
    EXPECT_EQ(kiv::Calculate(d, type).status, kiv::CalcStatus::Ok);
    return kiv::ShopDrawingOf(d, type);
}

struct Extents {
    double minX, maxX, minY, maxY;
};

Extents ExtentsOf(const ShopDrawing& d) {
    Extents e{1e300, -1e300, 1e300, -1e300};
    for (const auto& p : d.contour) {
        e.minX = std::min(e.minX, p.x);
        e.maxX = std::max(e.maxX, p.x);
        e.minY = std::min(e.minY, p.y);
        e.maxY = std::max(e.maxY, p.y);
    }
    return e;
}

// Sheets along one side: each adds its printable length less the overlap.
int SheetsAlong(double length, double printable) {
    int n = 1;
    while (n * (printable - 10) + 10 < length) {
        ++n;
    }
    return n;
}

RaschetData SeamsOf(RaschetData d, double p1, double p2) {
    d.FalthP1 = d.AllP1 = p1;
    d.FalthP2 = d.AllP2 = p2;
    return d;
}

struct SheetCase {
    const char* name;
    RaschetData hood;
    int type;
    int knownSheets; // pattern sheets worked out by hand; 0 where not
};

void PrintTo(const SheetCase& c, std::ostream* os) {
    *os << c.name;
}

class TemplateSheets : public ::testing::TestWithParam<SheetCase> {};

TEST_P(TemplateSheets, FewestSheetsWhicheverWayRound) {
    const SheetCase& c = GetParam();
    const ShopDrawing d = DrawingOf(c.hood, c.type);
    const TemplateLayout t = kiv::LayoutTemplate(d);
    const Extents e = ExtentsOf(d);
    const double b1 = e.maxX - e.minX, b2 = e.maxY - e.minY;
    const int portrait = SheetsAlong(b1, 190) * SheetsAlong(b2, 277);
    const int landscape = SheetsAlong(b1, 277) * SheetsAlong(b2, 190);
    const bool wantLandscape = landscape < portrait;

    EXPECT_EQ(t.landscape, wantLandscape);
    EXPECT_EQ(t.pageWidth, wantLandscape ? 297 : 210);
    EXPECT_EQ(t.pageHeight, wantLandscape ? 210 : 297);
    EXPECT_EQ(t.columns, SheetsAlong(b1, wantLandscape ? 277 : 190));
    EXPECT_EQ(t.rows, SheetsAlong(b2, wantLandscape ? 190 : 277));
    const auto pages = GridSheets(t);
    EXPECT_EQ(static_cast<int>(pages.size()), std::min(portrait, landscape));
    if (c.knownSheets > 0) {
        EXPECT_EQ(static_cast<int>(pages.size()), c.knownSheets);
    }
    // At most one title sheet, and then it comes first.
    const std::size_t printed = pages.size() - t.leftOut.size();
    EXPECT_LE(t.pages.size(), printed + 1);
    EXPECT_GE(t.pages.size(), printed);
    if (t.pages.size() > printed) {
        EXPECT_FALSE(t.pages.front().pattern);
        EXPECT_EQ(t.pages.front().label, "0");
    }
}

TEST_P(TemplateSheets, NeighboursOverlapByTenMillimetres) {
    const SheetCase& c = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(DrawingOf(c.hood, c.type));
    const auto pages = GridSheets(t);
    ASSERT_EQ(static_cast<int>(pages.size()), t.rows * t.columns);
    for (const auto* p : pages) {
        EXPECT_DOUBLE_EQ(p->view.w, t.pageWidth - 20);
        EXPECT_DOUBLE_EQ(p->view.h, t.pageHeight - 20);
        const auto i = static_cast<std::size_t>(p->row) * static_cast<std::size_t>(t.columns) +
                     static_cast<std::size_t>(p->column);
        ASSERT_EQ(pages[i], p) << "pages run row by row from the top, left to right";
        if (p->column + 1 < t.columns) {
            const auto* right = pages[i + 1];
            EXPECT_NEAR(p->view.x + p->view.w - right->view.x, 10, 1e-9) << p->label;
            EXPECT_NEAR(right->view.y, p->view.y, 1e-9);
        }
        if (p->row + 1 < t.rows) {
            const auto* below = pages[i + static_cast<std::size_t>(t.columns)];
            EXPECT_NEAR(below->view.y + below->view.h - p->view.y, 10, 1e-9) << p->label;
            EXPECT_NEAR(below->view.x, p->view.x, 1e-9);
        }
    }
}

TEST_P(TemplateSheets, EveryPointIsOnASheetAndTheGridIsCentred) {
    const SheetCase& c = GetParam();
    const ShopDrawing d = DrawingOf(c.hood, c.type);
    const TemplateLayout t = kiv::LayoutTemplate(d);
    const auto pages = GridSheets(t);
    ASSERT_FALSE(pages.empty());
    // On a sheet that is printed.
    const auto onSomeSheet = [&](const kiv::Point& q) {
        return std::any_of(t.pages.begin(), t.pages.end(), [&](const kiv::TemplatePage& p) {
            return p.pattern && In(p.view, q.x, q.y, 1e-9);
        });
    };
    for (const auto& q : d.contour) {
        EXPECT_TRUE(onSomeSheet(q)) << q.x << "," << q.y;
    }
    for (const auto& n : d.points) {
        EXPECT_TRUE(onSomeSheet(n.at)) << n.name;
    }
    const Extents e = ExtentsOf(d);
    const auto& first = *pages.front();
    const auto& last = *pages.back();
    EXPECT_NEAR(e.minX - first.view.x, last.view.x + last.view.w - e.maxX, 1e-6);
    EXPECT_NEAR(e.minY - last.view.y, first.view.y + first.view.h - e.maxY, 1e-6);
}

TEST_P(TemplateSheets, LabelsAreUniqueRowLetterAndColumnNumber) {
    const SheetCase& c = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(DrawingOf(c.hood, c.type));
    std::set<std::string> seen;
    for (const auto& p : t.pages) {
        EXPECT_TRUE(seen.insert(p.label).second) << p.label;
        if (p.pattern) {
            ASSERT_LT(p.row, 26) << "these hoods need fewer than 26 rows";
            EXPECT_EQ(p.label, kiv::test::SheetLabel(p.row, p.column));
        }
    }
}

TEST_P(TemplateSheets, SquareOnEverySheetTitleOnTheFirst) {
    const SheetCase& c = GetParam();
    const ShopDrawing d = DrawingOf(c.hood, c.type);
    const TemplateLayout t = kiv::LayoutTemplate(d);
    ASSERT_FALSE(t.pages.empty());
    int titles = 0;
    for (const auto& p : t.pages) {
        SCOPED_TRACE(p.label);
        EXPECT_DOUBLE_EQ(p.square.w, 100);
        EXPECT_DOUBLE_EQ(p.square.h, 100);
        EXPECT_TRUE(In(p.view, p.square.x, p.square.y, 1e-9) &&
                    In(p.view, p.square.x + 100, p.square.y + 100, 1e-9));
        if (p.pattern && kiv::test::RoomForAClearSquare(d, p, 100)) {
            EXPECT_TRUE(!kiv::test::Touches(d, p.square)) << "the square is on the pattern, with room off it";
        }
        if (p.title) {
            ++titles;
            EXPECT_TRUE(
                In(p.view, p.titleBlock.x, p.titleBlock.y, 1e-9) &&
                In(p.view, p.titleBlock.x + p.titleBlock.w, p.titleBlock.y + p.titleBlock.h, 1e-9));
            // The title block never hides a line of the pattern.
            if (p.pattern) {
                EXPECT_TRUE(!kiv::test::Touches(d, p.titleBlock));
            }
            EXPECT_GE(kiv::test::Clearance(p.square, p.titleBlock), kiv::test::kSquareToTitle)
                << "the square lies on or against the title block";
        }
    }
    EXPECT_EQ(titles, 1);
    EXPECT_TRUE(t.pages.front().title);
}

INSTANTIATE_TEST_SUITE_P(
    Hoods, TemplateSheets,
    ::testing::Values(SheetCase{"DefaultPlain", kiv::test::Defaults(), 1, 3},
                      SheetCase{"DefaultSeams", kiv::test::Defaults(), 2, 3},
                      SheetCase{"DefaultWire", kiv::test::Defaults(), 3, 4},
                      SheetCase{"LargePlain", kiv::test::Hood(500, 1000, 2000), 1, 0},
                      SheetCase{"LargeSeams", kiv::test::Hood(500, 1000, 2000), 2, 0},
                      SheetCase{"LargeWire", kiv::test::Hood(500, 1000, 2000), 3, 0},
                      SheetCase{"LowSquare", kiv::test::Hood(100, 2000, 2000), 1, 0},
                      SheetCase{"Tall", kiv::test::Hood(1000, 200, 400), 3, 0},
                      SheetCase{"Small", kiv::test::Hood(30, 50, 60), 1, 1},
                      // Room for the square right against the title block.
                      SheetCase{"DefaultSeamsWideP1", SeamsOf(kiv::test::Defaults(), 58, 2), 2, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// Sheets that carry no line are left out; every other sheet of the grid is
// printed under its own row and column.
struct BlankSheetsCase {
    const char* name;
    RaschetData hood;
    int type;
    int printed, grid; // worked out by hand; 0 where not
};

void PrintTo(const BlankSheetsCase& c, std::ostream* os) {
    *os << c.name;
}

class TemplateBlankSheets : public ::testing::TestWithParam<BlankSheetsCase> {};

TEST_P(TemplateBlankSheets, AreLeftOutAndTheRestKeepTheirPlaces) {
    const BlankSheetsCase& c = GetParam();
    const ShopDrawing d = DrawingOf(c.hood, c.type);
    const TemplateLayout t = kiv::LayoutTemplate(d);
    int printed = 0;
    for (const auto& p : t.pages) {
        if (p.pattern) {
            ++printed;
            EXPECT_TRUE(kiv::test::LineTouches(d, p.view)) << p.label << " is printed blank";
        }
    }
    const auto grid = GridSheets(t);
    ASSERT_EQ(static_cast<int>(grid.size()), t.rows * t.columns);
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const auto* p = grid[i];
        EXPECT_EQ(p->row * t.columns + p->column, static_cast<int>(i)) << "a place lost or doubled";
        // Built in two steps: GCC 12 at -O3 mistakes the one-line
        // concatenation for an overlapping copy.
        std::string label(1, static_cast<char>('A' + p->row));
        label += std::to_string(p->column + 1);
        EXPECT_EQ(p->label, label);
    }
    for (const auto& p : t.leftOut) {
        EXPECT_FALSE(kiv::test::LineTouches(d, p.view)) << p.label << " is left out";
    }
    if (c.grid > 0) {
        EXPECT_EQ(printed, c.printed);
        EXPECT_EQ(t.rows * t.columns, c.grid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Hoods, TemplateBlankSheets,
    ::testing::Values(
        BlankSheetsCase{"TallPlain", kiv::test::Hood(1000, 200, 400), 1, 21, 28},
        BlankSheetsCase{"TallWire", SeamsOf(kiv::test::Hood(1000, 200, 400), 10, 5), 3, 21, 28},
        BlankSheetsCase{"FlatWide", SeamsOf(kiv::test::Hood(400, 300, 3000), 5, 2), 2, 0, 0},
        BlankSheetsCase{"DefaultsNoneBlank", kiv::test::Defaults(), 1, 3, 3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateLabels, RowsPastZContinueWithTwoLetters) {
    // A hood tall enough for more than 52 rows of sheets.
    const TemplateLayout t = kiv::LayoutTemplate(DrawingOf(kiv::test::Hood(20000, 200, 400), 1));
    ASSERT_GT(t.rows, 52);
    const auto pages = GridSheets(t);
    const auto labelOf = [&](int row) {
        return pages[static_cast<std::size_t>(row) * static_cast<std::size_t>(t.columns)]->label;
    };
    EXPECT_EQ(labelOf(0), "A1");
    EXPECT_EQ(labelOf(25), "Z1");
    EXPECT_EQ(labelOf(26), "AA1");
    EXPECT_EQ(labelOf(27), "AB1");
    EXPECT_EQ(labelOf(51), "AZ1");
    EXPECT_EQ(labelOf(52), "BA1");
}

TEST(TemplateOrientation, PortraitOnATie) {
    // A 100 x 100 square pattern fits one sheet either way round.
    ShopDrawing d;
    d.type = 1;
    d.contour = {{-50, 0}, {50, 0}, {50, 100}, {-50, 100}};
    d.contourNames = {"1", "2", "3", "4"};
    const TemplateLayout t = kiv::LayoutTemplate(d);
    ASSERT_EQ(t.rows * t.columns, 1);
    EXPECT_FALSE(t.landscape);
    // Wider than a portrait sheet but not a landscape one: landscape wins.
    d.contour = {{-120, 0}, {120, 0}, {120, 100}, {-120, 100}};
    const TemplateLayout wide = kiv::LayoutTemplate(d);
    EXPECT_TRUE(wide.landscape);
    EXPECT_EQ(wide.rows * wide.columns, 1);
}

struct Refusal {
    const char* name;
    kiv::TemplateOptions options;
    bool emptyDrawing;
};

class TemplateRefuses : public ::testing::TestWithParam<Refusal> {};

TEST_P(TemplateRefuses, WithAnEmptyLayout) {
    const Refusal& r = GetParam();
    ShopDrawing d = r.emptyDrawing ? ShopDrawing{} : DrawingOf(kiv::test::Defaults(), 1);
    const TemplateLayout t = kiv::LayoutTemplate(d, r.options);
    EXPECT_TRUE(t.pages.empty());
    EXPECT_EQ(t.rows * t.columns, 0);
}

kiv::TemplateOptions With(void (*change)(kiv::TemplateOptions&)) {
    kiv::TemplateOptions o;
    change(o);
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Nonsense, TemplateRefuses,
    ::testing::Values(
        Refusal{"NoDrawing", {}, true},
        Refusal{"MarginsEatThePaper", With([](kiv::TemplateOptions& o) { o.margin = 100; }), false},
        Refusal{"OverlapAsWideAsThePage", With([](kiv::TemplateOptions& o) { o.overlap = 190; }),
                false},
        Refusal{"PaperNotANumber",
                With([](kiv::TemplateOptions& o) { o.paper.width = std::nan(""); }), false},
        Refusal{"InfiniteOverlap", With([](kiv::TemplateOptions& o) { o.overlap = HUGE_VAL; }),
                false},
        Refusal{"NegativeMargin", With([](kiv::TemplateOptions& o) { o.margin = -1; }), false},
        Refusal{"NoSquare", With([](kiv::TemplateOptions& o) { o.square = 0; }), false},
        Refusal{"PaperHardlyWiderThanItsMargins", With([](kiv::TemplateOptions& o) {
                    o.paper = {25, 25};
                }),
                false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateRefusesHugeHood, RatherThanMillionsOfSheets) {
    const ShopDrawing d = DrawingOf(kiv::test::Hood(100000, 50000, 100000), 1);
    EXPECT_TRUE(kiv::LayoutTemplate(d).pages.empty());
}

} // namespace
