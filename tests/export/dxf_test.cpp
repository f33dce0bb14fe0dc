// Reads every written DXF back through dxflib's own reader and compares it
// with the engine's points, named and ordered here from the record's fields.
#include "core/Calculation.h"
#include "engine/engine_fixtures.h"
#include "export/Dxf.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

using kiv::RaschetData;

struct Xy {
    double x, y;
};

struct ReadLine {
    std::string layer;
    Xy a, b;
};

// Everything of interest that the reader reports.
class Collector : public DL_CreationAdapter {
public:
    std::map<std::string, std::string> strings;
    std::map<std::string, int> ints;
    std::vector<std::string> layers;
    int polylines = 0;
    std::string polylineLayer;
    int polylineFlags = 0;
    std::vector<Xy> vertices;
    std::vector<ReadLine> lines;
    int others = 0; // text, arcs, splines, dimensions...

    void setVariableString(const std::string& key, const std::string& value, int) override {
        strings[key] = value;
    }
    void setVariableInt(const std::string& key, int value, int) override { ints[key] = value; }
    void addLayer(const DL_LayerData& data) override { layers.push_back(data.name); }
    void addPolyline(const DL_PolylineData& data) override {
        ++polylines;
        polylineLayer = attributes.getLayer();
        polylineFlags = data.flags;
    }
    void addVertex(const DL_VertexData& data) override { vertices.push_back({data.x, data.y}); }
    void addLine(const DL_LineData& data) override {
        lines.push_back({attributes.getLayer(), {data.x1, data.y1}, {data.x2, data.y2}});
    }
    void addPoint(const DL_PointData&) override { ++others; }
    void addArc(const DL_ArcData&) override { ++others; }
    void addCircle(const DL_CircleData&) override { ++others; }
    void addSpline(const DL_SplineData&) override { ++others; }
    void addText(const DL_TextData&) override { ++others; }
    void addMText(const DL_MTextData&) override { ++others; }
    void addInsert(const DL_InsertData&) override { ++others; }
    void addDimLinear(const DL_DimensionData&, const DL_DimLinearData&) override { ++others; }
    void addDimAlign(const DL_DimensionData&, const DL_DimAlignedData&) override { ++others; }
};

Collector ReadBack(const std::string& bytes) {
    Collector c;
    std::istringstream in(bytes);
    DL_Dxf dxf;
    EXPECT_TRUE(dxf.in(in, &c));
    return c;
}

// The points by name, from the record's fields; primes are mirror images.
std::map<std::string, Xy> Named(const RaschetData& d) {
    std::map<std::string, Xy> p = {
        {"1", {d.X1, d.Y1}},    {"2", {d.X2, d.Y2}},    {"3", {d.X3, d.Y3}},
        {"4", {d.X4, d.Y4}},    {"5", {-d.X3, d.Y3}},   {"6", {-d.X2, d.Y2}},
        {"7", {-d.X1, d.Y1}},   {"F1", {d.XF1, d.YF1}}, {"F2", {d.XF2, d.YF2}},
        {"F3", {d.XF3, d.YF3}}, {"F4", {d.XF4, d.YF4}}, {"W1", {d.XW1, d.YW1}},
        {"W2", {d.XW2, d.YW2}}, {"W3", {d.XW3, d.YW3}}, {"W4", {d.XW4, d.YW4}},
        {"W5", {d.XW5, d.YW5}}};
    for (int i = 1; i <= 5; ++i) {
        std::string n = "W";
        n += std::to_string(i);
        p[n + "'"] = {-p[n].x, p[n].y};
    }
    return p;
}

std::vector<std::string> ContourNames(int type) {
    switch (type) {
    case 1:
        return {"1", "2", "3", "4", "5", "6", "7"};
    case 2:
        return {"1", "2", "3", "F1", "F2", "4", "F4", "F3", "5", "6", "7"};
    default:
        return {"3",   "W1", "W2",  "2",   "W3", "W4", "1",  "W5", "W5'", "7", "W4'",
                "W3'", "6",  "W2'", "W1'", "5",  "F3", "F4", "4",  "F2",  "F1"};
    }
}

struct LayerLines {
    const char* layer;
    std::vector<std::pair<const char*, const char*>> ends;
};

std::vector<LayerLines> ExpectedLines(int type) {
    std::vector<LayerLines> all = {{"FOLD", {{"4", "1"}, {"4", "2"}, {"4", "6"}, {"4", "7"}}}};
    if (type >= 2) {
        all.push_back({"SEAM", {{"4", "3"}, {"4", "5"}}});
    }
    if (type == 3) {
        all.push_back({"WIRE", {{"3", "2"}, {"2", "1"}, {"1", "7"}, {"7", "6"}, {"6", "5"}}});
    }
    return all;
}

constexpr double kTolerance = 1e-6; // mm

bool Near(Xy a, Xy b) {
    return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance;
}

// Writes the file of `type` from `d` and checks everything in it.
void ExpectFaithfulFile(RaschetData d, int type) {
    const kiv::CalcResult calc = kiv::Calculate(d, type);
    ASSERT_EQ(calc.status, kiv::CalcStatus::Ok);
    const kiv::DxfOutput out = kiv::DxfBytes(d, type, calc.summary);
    ASSERT_EQ(out.fault, kiv::DrawingFault::None) << kiv::DrawingFaultText(out.fault);

    const Collector c = ReadBack(out.bytes);
    EXPECT_EQ(c.strings.count("$ACADVER"), 1u);
    if (c.strings.count("$ACADVER") == 1) {
        EXPECT_EQ(c.strings.at("$ACADVER"), "AC1009");
    }
    EXPECT_EQ(c.ints.count("$INSUNITS") ? c.ints.at("$INSUNITS") : -1, 4);
    EXPECT_EQ(c.ints.count("$MEASUREMENT") ? c.ints.at("$MEASUREMENT") : -1, 1);

    std::vector<std::string> wantLayers = {"0", "CUT", "FOLD"};
    if (type >= 2) {
        wantLayers.push_back("SEAM");
    }
    if (type == 3) {
        wantLayers.push_back("WIRE");
    }
    EXPECT_EQ(c.layers, wantLayers);

    EXPECT_EQ(c.polylines, 1);
    EXPECT_EQ(c.polylineLayer, "CUT");
    EXPECT_EQ(c.polylineFlags & 1, 1) << "the contour must be closed";
    EXPECT_EQ(c.others, 0);

    const auto named = Named(d);
    const auto names = ContourNames(type);
    ASSERT_EQ(c.vertices.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const Xy want = named.at(names[i]);
        EXPECT_TRUE(Near(c.vertices[i], want))
            << "vertex " << i << " (" << names[i] << ") is " << c.vertices[i].x << ","
            << c.vertices[i].y << ", want " << want.x << "," << want.y;
    }

    std::size_t lineCount = 0;
    for (const auto& group : ExpectedLines(type)) {
        for (const auto& [from, to] : group.ends) {
            ASSERT_LT(lineCount, c.lines.size());
            const ReadLine& got = c.lines[lineCount++];
            EXPECT_EQ(got.layer, group.layer) << from << "-" << to;
            EXPECT_TRUE(Near(got.a, named.at(from)) && Near(got.b, named.at(to)))
                << group.layer << " line " << from << "-" << to;
        }
    }
    EXPECT_EQ(c.lines.size(), lineCount) << "no line beyond the fold lines";
}

class DxfDefaults : public ::testing::TestWithParam<int> {};

TEST_P(DxfDefaults, ReadsBackAsTheEnginePoints) {
    ExpectFaithfulFile(kiv::test::Defaults(), GetParam());
}

INSTANTIATE_TEST_SUITE_P(Types, DxfDefaults, ::testing::Values(1, 2, 3),
                         [](const auto& info) { return "Type" + std::to_string(info.param); });

// Hoods drawn from the whole range the validators let through, from shallow
// and wide to tall and narrow; inputs the seam strips do not fit are skipped.
TEST(DxfRandom, ReadsBackAsTheEnginePoints) {
    std::mt19937_64 rng(20261208);
    const auto in = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    int written[4] = {};
    for (int i = 0; i < 300; ++i) {
        RaschetData d;
        d.S = in(0.1, 3);
        d.L1 = in(10 * d.S, 3000);
        d.L2 = in(d.L1, d.L1 * 4);
        d.H = in(2 * d.S, 3000);
        d.FalthP2 = in(2, 20);
        d.FalthP1 = in(d.FalthP2, 30);
        d.AllP2 = in(2, 20);
        d.AllP1 = in(d.AllP2, 30);
        d.AllD = in(1, 10);
        const int type = 1 + i % 3;
        RaschetData probe = d;
        if (kiv::Calculate(probe, type).status != kiv::CalcStatus::Ok) {
            continue;
        }
        SCOPED_TRACE("case " + std::to_string(i) + ", type " + std::to_string(type));
        ExpectFaithfulFile(d, type);
        ++written[type];
        if (HasFailure()) {
            return;
        }
    }
    for (int type = 1; type <= 3; ++type) {
        EXPECT_GT(written[type], 50) << "too few hoods of type " << type << " were tried";
    }
}

// Hoods at the edges of the shape: equal allowances end both seam strips at
// one point of the axis, a tall hood puts the apex above point 3, a square
// base, and the smallest sizes the validators allow.
struct EdgeHood {
    const char* name;
    double S, L1, L2, H, P1, P2, wire;
    int types = 3; // the types whose allowances fit: 1 to `types`
};

class DxfEdgeHoods : public ::testing::TestWithParam<EdgeHood> {};

TEST_P(DxfEdgeHoods, AreWrittenFaithfully) {
    const EdgeHood& h = GetParam();
    RaschetData d;
    d.S = h.S;
    d.L1 = h.L1;
    d.L2 = h.L2;
    d.H = h.H;
    d.FalthP1 = d.AllP1 = h.P1;
    d.FalthP2 = d.AllP2 = h.P2;
    d.AllD = h.wire;
    for (int type = 1; type <= 3; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        if (type <= h.types) {
            ExpectFaithfulFile(d, type);
        } else {
            RaschetData probe = d;
            EXPECT_EQ(kiv::Calculate(probe, type).status, kiv::CalcStatus::AllowancesDoNotFit);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, DxfEdgeHoods,
                         ::testing::Values(EdgeHood{"EqualAllowances", 0.5, 200, 400, 100, 3, 3, 2},
                                           EdgeHood{"TallWithEqualAllowances", 2, 205, 1000, 1000,
                                                    3, 3, 4},
                                           EdgeHood{"SquareBase", 1, 500, 500, 300, 10, 2, 10},
                                           EdgeHood{"Smallest", 0.1, 1, 1, 0.2, 2, 2, 1, 1},
                                           EdgeHood{"Steep", 0.5, 100, 100, 5000, 20, 2, 10},
                                           EdgeHood{"WideAndLow", 1, 300, 3000, 400, 5, 2, 3},
                      // A needle: the strips run 9.5 m past the apex, and
                      // allowances a few last digits apart end them all but
                      // at one point of the axis.
                      EdgeHood{"NeedleWithAllowancesApartInTheLastDigits", 0.5, 5, 200, 48008,
                               40.5444444444444444404, 40.5444444444444004, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DxfNumbers, LongAndTinyValuesKeepEveryDigit) {
    // Coordinates come back exactly: no rounding to a few decimals, no
    // exponent form that some cutting programs misread.
    RaschetData d = kiv::test::Hood(0.2 + 1e-9, 1.0000003, 1.0000007);
    d.S = 0.1;
    const kiv::CalcResult calc = kiv::Calculate(d, 1);
    ASSERT_EQ(calc.status, kiv::CalcStatus::Ok);
    const kiv::DxfOutput out = kiv::DxfBytes(d, 1, calc.summary);
    ASSERT_EQ(out.fault, kiv::DrawingFault::None);
    EXPECT_EQ(out.bytes.find('e'), out.bytes.find("e\n")); // no "1e-05"-like numbers
    const Collector c = ReadBack(out.bytes);
    ASSERT_EQ(c.vertices.size(), 7u);
    EXPECT_EQ(c.vertices[0].x, d.X1);
    EXPECT_EQ(c.vertices[1].x, d.X2);
    EXPECT_EQ(c.vertices[1].y, d.Y2);
    EXPECT_EQ(c.vertices[3].y, d.Y4);
}

// A drawing that fails its check is a fault of the program: nothing is written.
struct Corruption {
    const char* name;
    int type;
    void (*spoil)(RaschetData&, kiv::BlankSummary&);
    kiv::DrawingFault fault;
};

class DxfRefuses : public ::testing::TestWithParam<Corruption> {};

TEST_P(DxfRefuses, AFaultyDrawing) {
    const Corruption& c = GetParam();
    RaschetData d = kiv::test::Defaults();
    kiv::BlankSummary summary = kiv::Calculate(d, c.type).summary;
    c.spoil(d, summary);
    const kiv::DxfOutput out = kiv::DxfBytes(d, c.type, summary);
    EXPECT_EQ(out.fault, c.fault);
    EXPECT_TRUE(out.bytes.empty());
    EXPECT_STRNE(kiv::DrawingFaultText(out.fault), "");
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DxfRefuses,
    ::testing::Values(
        Corruption{"NaNPoint", 1, [](RaschetData& d, kiv::BlankSummary&) { d.Y2 = std::nan(""); },
                   kiv::DrawingFault::NotFinite},
        Corruption{"InfiniteWire", 3, [](RaschetData& d, kiv::BlankSummary&) { d.XW3 = HUGE_VAL; },
                   kiv::DrawingFault::NotFinite},
        Corruption{"BandOfNoWidth", 3,
                   [](RaschetData& d, kiv::BlankSummary&) {
                       d.XW5 = d.X1;
                       d.YW5 = d.Y1;
                   },
                   kiv::DrawingFault::ZeroLength},
        Corruption{"StripWithoutAllowance", 2,
                   [](RaschetData& d, kiv::BlankSummary&) {
                       d.XF1 = d.X3;
                       d.YF1 = d.Y3;
                   },
                   kiv::DrawingFault::ZeroLength},
        Corruption{"SlitOffTheAxis", 2, [](RaschetData& d, kiv::BlankSummary&) { d.XF4 = 0.5; },
                   kiv::DrawingFault::SlitMisplaced},
        Corruption{"SlitBelowTheApex", 3,
                   [](RaschetData& d, kiv::BlankSummary&) { d.YF2 = d.Y4 - 1; },
                   kiv::DrawingFault::SlitMisplaced},
        Corruption{"CornerThrownAcross", 1,
                   [](RaschetData& d, kiv::BlankSummary&) { d.X2 = -d.X2; },
                   kiv::DrawingFault::SelfCrossing},
        Corruption{"StripsOverlap", 2, [](RaschetData& d, kiv::BlankSummary&) { d.XF3 = 5; },
                   kiv::DrawingFault::SelfCrossing},
        Corruption{"WrongBlankWidth", 1, [](RaschetData&, kiv::BlankSummary& s) { s.B1 += 0.001; },
                   kiv::DrawingFault::ExtentsDiffer},
        Corruption{"WrongBlankHeight", 3, [](RaschetData&, kiv::BlankSummary& s) { s.B2 -= 0.001; },
                   kiv::DrawingFault::ExtentsDiffer},
        Corruption{"UnknownType", 4, [](RaschetData&, kiv::BlankSummary&) {},
                   kiv::DrawingFault::Empty}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DxfFileName, ReplacesTheScriptExtension) {
    const struct {
        const char* script;
        const char* dxf;
    } rows[] = {
        {"200x400x100x0.5.scr", "200x400x100x0.5.dxf"},
        {"a.scr", "a.dxf"},
        {".scr", ".dxf"},
        {"name", "name.dxf"},       // no extension to replace
        {"x.scr.scr", "x.scr.dxf"}, // only the last one goes
        {"x.SCR", "x.SCR.dxf"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(kiv::DxfFileName(r.script), r.dxf) << r.script;
    }
}

TEST(ShopDrawingArea, PlainPatternIsTheSummaryArea) {
    for (const auto& d0 :
         {kiv::test::Defaults(), kiv::test::Hood(500, 1000, 2000), kiv::test::Hood(3, 200, 200)}) {
        RaschetData d = d0;
        const kiv::CalcResult calc = kiv::Calculate(d, 1);
        ASSERT_EQ(calc.status, kiv::CalcStatus::Ok);
        const double area = kiv::PolygonArea(kiv::ShopDrawingOf(d, 1).contour);
        EXPECT_NEAR(area, calc.summary.patternArea, 1e-9 * calc.summary.patternArea);
    }
}

} // namespace
