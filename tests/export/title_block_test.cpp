// The title block's lines and the short number form they use.
#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "export/TitleBlock.h"
#include "report/FormatFixed.h"
#include "tests/support/engine_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(TitleNumbers, ShortFormAsAWorkerWritesIt) {
    const struct {
        double v;
        const char* text;
    } rows[] = {{200, "200"},        {0.5, "0.5"},
                {0.1, "0.1"},        {2.25, "2.25"},
                {1.23456, "1.2346"}, {0.00004, "0"},
                {-0.00004, "0"},     {1000000, "1000000"},
                {12.3, "12.3"},      {1e20, "1.00000000000000E+20"}};
    for (const auto& r : rows) {
        EXPECT_EQ(kiv::ShortNumber(r.v), r.text) << r.v;
    }
}

std::vector<std::string> LinesOf(int type, const std::vector<kiv::TemplatePage>& pages = {}) {
    kiv::RaschetData d = kiv::test::Defaults();
    const kiv::CalcResult calc = kiv::Calculate(d, type);
    kiv::TemplateLayout layout;
    layout.rows = 1;
    layout.columns = 3;
    layout.pages = pages;
    return kiv::TitleLines(d, type, calc.summary, layout, "08.12.2026");
}

TEST(TitleLines, NameTheHoodTypeBlankAndDate) {
    const struct {
        int type;
        const char* typeLine;
        const char* blank;
    } rows[] = {
        {1, "Развертка без припусков", "Заготовка B1 x B2 = 477.49 x 272.23"},
        {2, "Развертка с припусками на фальц: Р1 = 3, Р2 = 2",
         "Заготовка B1 x B2 = 477.49 x 273.37"},
        {3, "Развертка с припусками на фальц и проволоку:", "Заготовка B1 x B2 = 487.30 x 281.85"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.type);
        const auto lines = LinesOf(r.type);
        ASSERT_GE(lines.size(), 14u);
        EXPECT_EQ(lines[0], "Шаблон развертки зонта, масштаб 1:1 (размеры в мм)");
        EXPECT_EQ(lines[1], "Зонт: H = 100, L1 = 200, L2 = 400, S = 0.5");
        EXPECT_EQ(lines[2], r.typeLine);
        const std::size_t blank = r.type == 3 ? 4 : 3;
        EXPECT_EQ(lines[blank], r.blank);
        // The seven marking-radii lines as the window shows them.
        EXPECT_EQ(lines[blank + 1], "Радиусы для разметки развертки засечками:");
        EXPECT_EQ(lines[blank + 4], " - точка 2: 1-2 = 200.00;   4-2 = 244.95;");
        EXPECT_EQ(lines.back(), "Дата: 08.12.2026");
    }
    EXPECT_EQ(LinesOf(3)[3], "Р1 = 3, Р2 = 2, d = 2, полоса 5.0");
}

TEST(TitleLines, CountTheSheetsAndATitleSheet) {
    kiv::TemplatePage title;
    title.pattern = false;
    kiv::TemplatePage sheet;
    const auto withTitle = LinesOf(1, {title, sheet, sheet, sheet});
    const auto without = LinesOf(1, {sheet, sheet, sheet});
    EXPECT_EQ(withTitle[withTitle.size() - 3],
              "Листов с разверткой: 3 (1 x 3) и титульный, книжная ориентация");
    EXPECT_EQ(without[without.size() - 3], "Листов с разверткой: 3 (1 x 3), книжная ориентация");

    // Two of a 2 x 3 grid carry no line and are not printed.
    kiv::TemplateLayout gapped;
    gapped.rows = 2;
    gapped.columns = 3;
    gapped.landscape = true;
    gapped.pages = {title, sheet, sheet, sheet, sheet};
    gapped.leftOut = {sheet, sheet};
    kiv::RaschetData d = kiv::test::Defaults();
    const kiv::BlankSummary summary = kiv::Calculate(d, 1).summary;
    const auto lines = kiv::TitleLines(d, 1, summary, gapped, "08.12.2026");
    EXPECT_EQ(lines[lines.size() - 3], "Листов с разверткой: 4 (2 x 3, пустых не печатается: 2) и "
                                       "титульный, альбомная ориентация");
}

} // namespace

namespace {

// The overlap the title block states is the one the sheets were laid out with.
TEST(TitleLines, StateTheOverlapTheSheetsWereLaidOutWith) {
    const double overlaps[] = {10, 12.5, 0.25};
    for (double overlap : overlaps) {
        SCOPED_TRACE(overlap);
        kiv::RaschetData d = kiv::test::Defaults();
        const kiv::BlankSummary summary = kiv::Calculate(d, 1).summary;
        kiv::TemplateOptions options;
        options.overlap = overlap;
        const kiv::TemplateLayout layout = kiv::LayoutTemplate(kiv::ShopDrawingOf(d, 1), options);
        const auto lines = kiv::TitleLines(d, 1, summary, layout, "08.12.2026");
        EXPECT_EQ(lines[lines.size() - 2],
                  "Перекрытие соседних листов " + kiv::ShortNumber(overlap) + " мм");
    }
}

} // namespace
