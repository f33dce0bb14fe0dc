// The geometric checks: they pass for every hood the tests draw, and a point
// spoiled on the pattern fails exactly the checks that depend on it.
#include "shape/Checks.h"
#include "shape_hoods.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <set>

namespace {

using kiv::CheckId;
using kiv::RaschetData;
using kiv::ShopDrawing;

std::string Log(const std::vector<kiv::ShapeCheck>& checks) {
    std::string s;
    for (const auto& c : checks)
        s += c.text + "\n";
    return s;
}

TEST(CheckedHoods, PassEveryCheck) {
    for (const auto& h : kiv::test::DrawnHoods()) {
        SCOPED_TRACE(h.name);
        const auto checks = kiv::CheckShape(h.data, h.drawing);
        ASSERT_EQ(checks.size(), 6u);
        EXPECT_TRUE(kiv::test::AllPass(checks)) << Log(checks);
        for (const auto& c : checks)
            EXPECT_EQ(c.text.rfind(kiv::kCheckPassed, 0), 0u) << c.text;
    }
}

// The lines the window shows under the default type-3 pattern. Worked by
// hand: edge sqrt(100² + 200² + 100²); faces at the apex 2·atan(200/141.421)
// twice and 2·atan(100/223.607) twice; lateral area 400·141.421 +
// 200·223.607; the band 5 mm wide along the 1200 mm rim.
TEST(CheckTexts, DefaultWirePatternShowsItsFigures) {
    RaschetData d = kiv::test::Defaults();
    kiv::Calculate(d, 3);
    const auto checks = kiv::CheckShape(d, kiv::ShopDrawingOf(d, 3));
    ASSERT_EQ(checks.size(), 6u);
    const char* const want[] = {
        "✓ Контур замкнут, вершины в своих точках: зазор 0.000 мм",
        "✓ Линии сгиба 4-1, 4-2, 4-6, 4-7: 244.949 мм, истинное ребро зонта 244.949 мм",
        "✓ Стороны шва 4-3 и 4-5: 141.421 и 141.421 мм",
        "✓ Углы граней у вершины 4: 315.3218°, сектор развертки 315.3218°",
        // One line, split only to keep the source narrow.
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma)
        "✓ Площадь контура 107981.2 мм² = боковая поверхность 101289.9 + полосы фальца 691.3 + "
        "полоса под проволоку 6000.0 мм²",
        "✓ Сгиб 100 %: стороны шва сходятся, расхождение 0.000 мм",
    };
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(checks[i].text, want[i]);
}

// One point of the pattern moved after the calculation, as a faulty step of
// the program would leave it; the checks that read that point must fail,
// the others must still pass.
struct Spoil {
    const char* name;
    int type;
    void (*data)(RaschetData&);
    void (*drawing)(ShopDrawing&);
    std::set<CheckId> fail;
};

void PrintTo(const Spoil& s, std::ostream* os) {
    *os << s.name;
}

class SpoiledPoint : public ::testing::TestWithParam<Spoil> {};

TEST_P(SpoiledPoint, FailsTheChecksThatReadIt) {
    const Spoil& s = GetParam();
    RaschetData d = kiv::test::Defaults();
    ASSERT_EQ(kiv::Calculate(d, s.type).status, kiv::CalcStatus::Ok);
    if (s.data)
        s.data(d);
    ShopDrawing drawing = kiv::ShopDrawingOf(d, s.type);
    if (s.drawing)
        s.drawing(drawing);
    // The hood's sizes stay the user's; only the pattern is wrong.
    const auto checks = kiv::CheckShape(d, drawing);
    ASSERT_EQ(checks.size(), 6u);
    for (const auto& c : checks) {
        const bool shouldFail = s.fail.count(c.id) > 0;
        EXPECT_EQ(c.ok, !shouldFail) << c.text;
        EXPECT_EQ(c.text.rfind(shouldFail ? kiv::kCheckFailed : kiv::kCheckPassed, 0), 0u)
            << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Points, SpoiledPoint,
    ::testing::Values(
        Spoil{"SideCorner2",
              1,
              [](RaschetData& d) { d.X2 += 0.01; },
              nullptr,
              {CheckId::FoldLengths, CheckId::Area, CheckId::SeamMeets}},
        Spoil{"FrontCorner1",
              2,
              [](RaschetData& d) { d.X1 += 0.01; },
              nullptr,
              {CheckId::FoldLengths, CheckId::Area, CheckId::SeamMeets}},
        // 5 is 3's mirror image, so the seam's sides stay equal; the sector
        // and the closing seam give it away.
        Spoil{"SeamEnd3",
              2,
              [](RaschetData& d) { d.Y3 += 0.01; },
              nullptr,
              {CheckId::ApexAngles, CheckId::Area, CheckId::SeamMeets}},
        Spoil{"SeamEnd3AlongItsArc",
              3,
              [](RaschetData& d) {
                  // Turned about the apex: every length from 4 stays right.
                  const double a = 0.001, x = d.X3 - d.X4, y = d.Y3 - d.Y4;
                  d.X3 = d.X4 + x * std::cos(a) - y * std::sin(a);
                  d.Y3 = d.Y4 + x * std::sin(a) + y * std::cos(a);
              },
              nullptr,
              {CheckId::ApexAngles, CheckId::Area, CheckId::SeamMeets}},
        // Moving the apex sideways keeps the contour's area (3 and 5 lie at
        // one height), but nothing else.
        Spoil{"ApexOffTheAxis",
              1,
              [](RaschetData& d) { d.X4 = 1; },
              nullptr,
              {CheckId::FoldLengths, CheckId::SeamSides, CheckId::ApexAngles, CheckId::SeamMeets}},
        Spoil{"ApexTooHigh",
              3,
              [](RaschetData& d) { d.Y4 += 0.01; },
              nullptr,
              {CheckId::FoldLengths, CheckId::ApexAngles, CheckId::Area, CheckId::SeamMeets}},
        Spoil{"CornerNotANumber",
              1,
              [](RaschetData& d) { d.Y2 = std::nan(""); },
              nullptr,
              {CheckId::FoldLengths, CheckId::Area, CheckId::SeamMeets}},
        // The contour leaves its named point: only the drawing is wrong.
        Spoil{"ContourVertexOffItsPoint",
              2,
              nullptr,
              [](ShopDrawing& g) { g.contour[1].x += 0.01; },
              {CheckId::ContourCloses, CheckId::Area}},
        Spoil{"ContourWithoutItsNames",
              1,
              nullptr,
              [](ShopDrawing& g) { g.contourNames.clear(); },
              {CheckId::ContourCloses}},
        Spoil{"NoPatternAtAll",
              1,
              nullptr,
              [](ShopDrawing& g) { g = ShopDrawing{}; },
              {CheckId::ContourCloses, CheckId::FoldLengths, CheckId::SeamSides,
               CheckId::ApexAngles, CheckId::Area, CheckId::SeamMeets}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
