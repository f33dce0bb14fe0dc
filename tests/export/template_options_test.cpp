// The paper template's layout under other papers, margins and overlaps than
// the window's A4, on made-up contours that force the corner cases (ties,
// many rows, no room on sheet A1, the page cap), and checked against a
// brute-force look at the pattern rather than the layout's own tests.
#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "export/Template.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/template_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace {

using kiv::Point;
using kiv::Rect;
using kiv::ShopDrawing;
using kiv::TemplateLayout;
using kiv::TemplateOptions;
using kiv::TemplatePage;
using kiv::test::GridSheets;
using kiv::test::In;
using kiv::test::Touches;

ShopDrawing Drawing(kiv::RaschetData d, int type) {
    EXPECT_EQ(kiv::Calculate(d, type).status, kiv::CalcStatus::Ok);
    return kiv::ShopDrawingOf(d, type);
}

ShopDrawing Outline(std::vector<Point> contour) {
    ShopDrawing d;
    d.type = 1;
    d.contour = std::move(contour);
    d.contourNames.assign(d.contour.size(), "");
    return d;
}

// An axis-aligned w x h rectangle standing on the x axis, centred on y.
ShopDrawing Block(double w, double h) {
    return Outline({{-w / 2, 0}, {w / 2, 0}, {w / 2, h}, {-w / 2, h}});
}

Rect BoxOf(const std::vector<Point>& c) {
    double x0 = c[0].x, x1 = c[0].x, y0 = c[0].y, y1 = c[0].y;
    for (const Point& p : c) {
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

// Pages along one side by the sheet arithmetic: the first page covers its
// printable length, each further one that length less the overlap.
int Along(double length, double printable, double overlap) {
    return std::max(1, static_cast<int>(std::ceil((length - overlap) / (printable - overlap))));
}

bool Contains(const Rect& outer, const Rect& inner) {
    return In(outer, inner.x, inner.y) && In(outer, inner.x + inner.w, inner.y + inner.h);
}

TemplateOptions A3Tight() {
    TemplateOptions o;
    o.paper = {297, 420};
    o.margin = 5;
    o.overlap = 20;
    return o;
}

TemplateOptions LyingA4() {
    TemplateOptions o;
    o.paper = {297, 210}; // handed over landscape-wise: the same sheet
    return o;
}

TemplateOptions Lying(kiv::Orientation orientation, TemplateOptions o = {}) {
    o.orientation = orientation;
    return o;
}

TemplateOptions NoOverlap() {
    TemplateOptions o;
    o.overlap = 0;
    return o;
}

struct LayoutCase {
    const char* name;
    ShopDrawing drawing;
    TemplateOptions options;
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class TemplateUnderOptions : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TemplateUnderOptions, SheetsFollowThePaperArithmetic) {
    const auto& [name, d, o] = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    const Rect box = BoxOf(d.contour);
    const double shortSide = std::min(o.paper.width, o.paper.height);
    const double longSide = std::max(o.paper.width, o.paper.height);
    const double ps = shortSide - 2 * o.margin, pl = longSide - 2 * o.margin;
    const int portrait = Along(box.w, ps, o.overlap) * Along(box.h, pl, o.overlap);
    const int landscape = Along(box.w, pl, o.overlap) * Along(box.h, ps, o.overlap);
    const bool wide = o.orientation == kiv::Orientation::Landscape ||
                      (o.orientation == kiv::Orientation::Automatic && landscape < portrait);

    EXPECT_EQ(t.landscape, wide);
    EXPECT_DOUBLE_EQ(t.pageWidth, wide ? longSide : shortSide);
    EXPECT_DOUBLE_EQ(t.pageHeight, wide ? shortSide : longSide);
    EXPECT_EQ(t.columns, Along(box.w, wide ? pl : ps, o.overlap));
    EXPECT_EQ(t.rows, Along(box.h, wide ? ps : pl, o.overlap));
    EXPECT_EQ(static_cast<int>(GridSheets(t).size()), wide ? landscape : portrait);
}

TEST_P(TemplateUnderOptions, NeighboursShareExactlyTheOverlap) {
    const auto& [name, d, o] = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    const auto pages = GridSheets(t);
    ASSERT_EQ(static_cast<int>(pages.size()), t.rows * t.columns);
    std::set<std::string> labels;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const TemplatePage& p = *pages[i];
        SCOPED_TRACE(p.label);
        EXPECT_EQ(p.row, static_cast<int>(i) / t.columns);
        EXPECT_EQ(p.column, static_cast<int>(i) % t.columns);
        ASSERT_LT(p.row, 26);
        EXPECT_EQ(p.label, kiv::test::SheetLabel(p.row, p.column));
        EXPECT_TRUE(labels.insert(p.label).second);
        EXPECT_NEAR(p.view.w, t.pageWidth - 2 * o.margin, 1e-9);
        EXPECT_NEAR(p.view.h, t.pageHeight - 2 * o.margin, 1e-9);
        if (p.column + 1 < t.columns) {
            const Rect& right = pages[i + 1]->view;
            EXPECT_NEAR(p.view.x + p.view.w - right.x, o.overlap, 1e-6);
            EXPECT_NEAR(right.y, p.view.y, 1e-6);
        }
        if (p.row + 1 < t.rows) {
            const Rect& below = pages[i + static_cast<std::size_t>(t.columns)]->view;
            EXPECT_NEAR(below.y + below.h - p.view.y, o.overlap, 1e-6);
            EXPECT_NEAR(below.x, p.view.x, 1e-6);
        }
    }
}

TEST_P(TemplateUnderOptions, SheetsCoverTheWholeBlank) {
    const auto& [name, d, o] = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    const auto pages = GridSheets(t);
    ASSERT_FALSE(pages.empty());
    const auto covered = [&](double x, double y) {
        return std::any_of(pages.begin(), pages.end(),
                           [&](const TemplatePage* p) { return In(p->view, x, y); });
    };
    // The box's corners and edges and a grid over it, not only the vertices.
    const Rect box = BoxOf(d.contour);
    constexpr int kProbes = 60;
    for (int i = 0; i <= kProbes; ++i) {
        for (int j = 0; j <= kProbes; ++j) {
            const double x = box.x + box.w * i / kProbes, y = box.y + box.h * j / kProbes;
            EXPECT_TRUE(covered(x, y)) << x << ", " << y;
        }
    }
    for (const Point& q : d.contour) {
        EXPECT_TRUE(covered(q.x, q.y)) << q.x << ", " << q.y;
    }
    for (const auto& n : d.points) {
        EXPECT_TRUE(covered(n.at.x, n.at.y)) << n.name;
    }
}

TEST_P(TemplateUnderOptions, SquaresStandClearWhereTheySaySo) {
    const auto& [name, d, o] = GetParam();
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    ASSERT_FALSE(t.pages.empty());
    int titles = 0;
    for (const TemplatePage& p : t.pages) {
        SCOPED_TRACE(p.label);
        EXPECT_DOUBLE_EQ(p.square.w, o.square);
        EXPECT_DOUBLE_EQ(p.square.h, o.square);
        EXPECT_TRUE(Contains(p.view, p.square));
        if (p.pattern && kiv::test::RoomForAClearSquare(d, p, o.square)) {
            EXPECT_FALSE(Touches(d, p.square)) << "the square is on the pattern, with room off it";
        }
        if (p.title) {
            ++titles;
            EXPECT_DOUBLE_EQ(p.titleBlock.w, o.titleWidth);
            EXPECT_DOUBLE_EQ(p.titleBlock.h, o.titleHeight);
            EXPECT_TRUE(Contains(p.view, p.titleBlock));
            EXPECT_GE(kiv::test::Clearance(p.square, p.titleBlock), kiv::test::kSquareToTitle);
            if (p.pattern) {
                EXPECT_EQ(&p, &t.pages.front()) << "the title block is on the first sheet";
                EXPECT_FALSE(Touches(d, p.titleBlock));
            }
        }
    }
    EXPECT_EQ(titles, 1);
    EXPECT_TRUE(t.pages.front().title) << "the title block leads the template";
}

INSTANTIATE_TEST_SUITE_P(
    Papers, TemplateUnderOptions,
    ::testing::Values(
        LayoutCase{"LargeSeamsA3", Drawing(kiv::test::Hood(500, 1000, 2000), 2), A3Tight()},
        LayoutCase{"LargeWireA3", Drawing(kiv::test::Hood(500, 1000, 2000), 3), A3Tight()},
        LayoutCase{"LowPlainA3", Drawing(kiv::test::Hood(100, 2000, 2000), 1), A3Tight()},
        LayoutCase{"DefaultWireLyingA4", Drawing(kiv::test::Defaults(), 3), LyingA4()},
        // As asked, even where the other way needs fewer sheets.
        LayoutCase{"LargeSeamsA3Portrait", Drawing(kiv::test::Hood(500, 1000, 2000), 2),
                   Lying(kiv::Orientation::Portrait, A3Tight())},
        LayoutCase{"DefaultPlainLandscape", Drawing(kiv::test::Defaults(), 1),
                   Lying(kiv::Orientation::Landscape)},
        LayoutCase{"DefaultPlainPortrait", Drawing(kiv::test::Defaults(), 1),
                   Lying(kiv::Orientation::Portrait)},
        LayoutCase{"LargePlainNoOverlap", Drawing(kiv::test::Hood(500, 1000, 2000), 1),
                   NoOverlap()},
        // A slit walked down to the middle and back: the square must not take
        // the slotted block for open paper.
        LayoutCase{
            "SlitBlock",
            Outline({{-150, 0}, {150, 0}, {150, 250}, {0, 250}, {0, 100}, {0, 250}, {-150, 250}}),
            {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplatePlaces, KeepOffTheSharedStripsWhenThereIsRoom) {
    // A small triangle in the middle of one sheet with wide shared strips:
    // the sheet less its strips is 150 x 237, room for the title block above
    // the triangle and the square below it, while the corners of the whole
    // sheet, nearer at hand, lie in the strips.
    TemplateOptions o;
    o.overlap = 20;
    const ShopDrawing d = Outline({{-5, 0}, {5, 0}, {0, 8}});
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    ASSERT_EQ(t.pages.size(), 1u);
    const TemplatePage& p = t.pages.front();
    const Rect inner{p.view.x + 20, p.view.y + 20, p.view.w - 40, p.view.h - 40};
    EXPECT_TRUE(p.title);
    EXPECT_FALSE(Touches(d, p.square));
    EXPECT_TRUE(Contains(inner, p.square));
    EXPECT_TRUE(Contains(inner, p.titleBlock));
    EXPECT_GE(kiv::test::Clearance(p.square, p.titleBlock), kiv::test::kSquareToTitle);
}

TEST(TemplatePlaces, FullSheetA1SendsTheTitleToASheetOfItsOwn) {
    // The blank leaves only strips narrower than the title block, and
    // narrower than a 120 mm square; on a landscape title sheet that square
    // fits beside the title block but not under it.
    TemplateOptions o;
    o.square = 120;
    const ShopDrawing d = Block(600, 300);
    const TemplateLayout t = kiv::LayoutTemplate(d, o);
    ASSERT_TRUE(t.landscape);
    ASSERT_GE(t.pages.size(), 2u);
    const TemplatePage& sheet = t.pages.front();
    EXPECT_FALSE(sheet.pattern);
    EXPECT_EQ(sheet.label, "0");
    EXPECT_TRUE(sheet.title);
    EXPECT_TRUE(Contains(sheet.view, sheet.titleBlock));
    EXPECT_TRUE(Contains(sheet.view, sheet.square));
    EXPECT_GE(kiv::test::Clearance(sheet.square, sheet.titleBlock), kiv::test::kSquareToTitle);
    for (std::size_t i = 1; i < t.pages.size(); ++i) {
        const TemplatePage& p = t.pages[i];
        EXPECT_FALSE(p.title) << p.label;
        EXPECT_TRUE(Contains(p.view, p.square)) << p.label;
        EXPECT_TRUE(Touches(d, p.square)) << p.label;
    }
}

struct Refusal {
    const char* name;
    ShopDrawing drawing;
    TemplateOptions options;
};

TemplateOptions Changed(void (*change)(TemplateOptions&)) {
    TemplateOptions o;
    change(o);
    return o;
}

void PrintTo(const Refusal& r, std::ostream* os) {
    *os << r.name;
}

constexpr double kHuge = std::numeric_limits<double>::max();

class TemplateRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(TemplateRefusal, GivesAnEmptyLayout) {
    const TemplateLayout t = kiv::LayoutTemplate(GetParam().drawing, GetParam().options);
    EXPECT_TRUE(t.pages.empty());
    EXPECT_EQ(t.rows, 0);
    EXPECT_EQ(t.columns, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Nonsense, TemplateRefusal,
    ::testing::Values(Refusal{"TwoPointContour", Outline({{0, 0}, {100, 100}}), {}},
                      Refusal{
                          "BlankWiderThanDoubles", Outline({{-kHuge, 0}, {kHuge, 0}, {0, 1}}), {}},
                      Refusal{"HairlineStepsTooMany", Block(300, 300),
                              Changed([](TemplateOptions& o) { o.overlap = 189.999; })},
                      Refusal{"OnePageOverTheCap", Block(10, 10001 * 267.0 + 5), {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TemplateCap, TenThousandSheetsAreStillLaidOut) {
    const TemplateLayout t = kiv::LayoutTemplate(Block(10, 10000 * 267.0 + 5));
    EXPECT_EQ(t.rows * t.columns, 10000);
    EXPECT_EQ(GridSheets(t).size(), 10000u);
}

} // namespace
