// Reads every written DXF back through dxflib's own reader and compares it
// with the engine's points, named and ordered here from the record's fields.
#include "core/Calculation.h"
#include "export/Dxf.h"
#include "shape/Checks.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/random_hood.h"
#include "tests/shape/shape_hoods.h"

#include <dl_creationadapter.h>
#include <dl_dxf.h>

#include <gtest/gtest.h>

#include <algorithm>
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
    std::map<std::string, Xy> vectors;
    std::vector<std::string> layers;
    struct Polyline {
        std::string layer;
        int flags = 0;
        std::vector<Xy> vertices;
    };
    std::vector<Polyline> polylines;
    std::vector<ReadLine> lines;
    int others = 0; // text, arcs, splines, dimensions...

    void setVariableString(const std::string& key, const std::string& value, int) override {
        strings[key] = value;
    }
    void setVariableInt(const std::string& key, int value, int) override { ints[key] = value; }
    void setVariableVector(const std::string& key, double x, double y, double, int) override {
        vectors[key] = {x, y};
    }
    void addLayer(const DL_LayerData& data) override { layers.push_back(data.name); }
    void addPolyline(const DL_PolylineData& data) override {
        polylines.push_back({attributes.getLayer(), data.flags, {}});
    }
    void addVertex(const DL_VertexData& data) override {
        if (polylines.empty()) {
            ++others; // a vertex outside any polyline
            return;
        }
        polylines.back().vertices.push_back({data.x, data.y});
    }
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

// The groups of the viewport named *ACTIVE, read straight off the file's
// group pairs (dxflib's reader skips the VPORT table): code to value.
std::map<int, double> ActiveViewport(const std::string& bytes) {
    std::istringstream in(bytes);
    std::string code, value;
    std::map<int, double> groups;
    bool inViewport = false, active = false;
    while (std::getline(in, code) && std::getline(in, value)) {
        const int c = std::stoi(code);
        if (c == 0) {
            if (active) {
                break;
            }
            inViewport = value == "VPORT";
        } else if (inViewport && c == 2) {
            active = value == "*ACTIVE";
        } else if (active && c >= 10 && c < 60) {
            groups[c] = std::stod(value);
        }
    }
    return groups;
}

// The file opens in a CAD program on the whole pattern: the extents are the
// contour's box and the active view is centred on it and holds it, with no
// more than a little room around.
void ExpectViewOnThePattern(const std::string& bytes, const Collector& c) {
    ASSERT_FALSE(c.polylines.empty());
    const auto& v = c.polylines.front().vertices;
    Xy lo = v.front(), hi = lo;
    for (const Xy& p : v) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
    }
    ASSERT_EQ(c.vectors.count("$EXTMIN"), 1u);
    ASSERT_EQ(c.vectors.count("$EXTMAX"), 1u);
    EXPECT_EQ(c.vectors.at("$EXTMIN").x, lo.x);
    EXPECT_EQ(c.vectors.at("$EXTMIN").y, lo.y);
    EXPECT_EQ(c.vectors.at("$EXTMAX").x, hi.x);
    EXPECT_EQ(c.vectors.at("$EXTMAX").y, hi.y);

    const auto view = ActiveViewport(bytes);
    ASSERT_TRUE(view.count(12) && view.count(22) && view.count(40) && view.count(41))
        << "no active viewport with a centre, height and aspect";
    const double w = hi.x - lo.x, h = hi.y - lo.y, height = view.at(40);
    const double width = height * view.at(41);
    const double slack = 1e-9 * std::max({1.0, w, h});
    EXPECT_NEAR(view.at(12), (lo.x + hi.x) / 2, slack);
    EXPECT_NEAR(view.at(22), (lo.y + hi.y) / 2, slack);
    EXPECT_GE(height, h);
    EXPECT_GE(width, w);
    EXPECT_TRUE(height <= 1.25 * std::max(1.0, h) || width <= 1.25 * std::max(1.0, w))
        << "the view " << width << " x " << height << " leaves the pattern " << w << " x " << h
        << " small";
}

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

constexpr double kTolerance = 1e-6; // mm

bool Near(Xy a, Xy b) {
    return std::fabs(a.x - b.x) <= kTolerance && std::fabs(a.y - b.y) <= kTolerance;
}

// Where the two seam strips end on the axis: one vertex of the contour when
// they end at the same point.
bool StripsEndTogether(const RaschetData& d) {
    return Near({d.XF2, d.YF2}, {d.XF4, d.YF4});
}

std::vector<std::string> ContourNames(const RaschetData& d, int type) {
    std::vector<std::string> names;
    switch (type) {
    case 1:
        return {"1", "2", "3", "4", "5", "6", "7"};
    case 2:
        names = {"1", "2", "3", "F1", "F2", "F4", "F3", "5", "6", "7"};
        break;
    default:
        names = {"3",   "W1",  "W2", "2",   "W3",  "W4", "1",  "W5", "W5'", "7",
                 "W4'", "W3'", "6",  "W2'", "W1'", "5",  "F3", "F4", "F2",  "F1"};
        break;
    }
    if (StripsEndTogether(d)) {
        names.erase(std::find(names.begin(), names.end(), "F4"));
    }
    return names;
}

// The slit from the contour down to the apex: it starts where the shorter
// strip ends on the axis.
std::vector<std::string> SlitNames(const RaschetData& d, int type) {
    if (type == 1) {
        return {};
    }
    return {!StripsEndTogether(d) && d.YF4 < d.YF2 ? "F4" : "F2", "4"};
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

// Writes the file of `type` from `d` and checks everything in it.
void ExpectFaithfulFile(RaschetData d, int type) {
    const kiv::CalcResult calc = kiv::Calculate(d, type);
    ASSERT_EQ(calc.status, kiv::CalcStatus::Ok);
    const kiv::DxfOutput out = kiv::DxfBytes(d, type, calc.summary);
    ASSERT_EQ(out.fault, kiv::DrawingFault::None) << kiv::DrawingFaultText(out.fault);
    // The drawing folds into the hood the user typed in.
    EXPECT_TRUE(kiv::test::AllPass(kiv::CheckShape(d, kiv::ShopDrawingOf(d, type))));

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

    EXPECT_EQ(c.others, 0);
    ExpectViewOnThePattern(out.bytes, c);
    const auto named = Named(d);
    const auto slit = SlitNames(d, type);
    ASSERT_EQ(c.polylines.size(), slit.empty() ? 1u : 2u);
    const struct {
        const char* what;
        std::vector<std::string> names;
        bool closed;
    } shapes[] = {{"contour", ContourNames(d, type), true}, {"slit", slit, false}};
    for (std::size_t k = 0; k < c.polylines.size(); ++k) {
        const auto& got = c.polylines[k];
        const auto& want = shapes[k];
        EXPECT_EQ(got.layer, "CUT") << want.what;
        EXPECT_EQ((got.flags & 1) == 1, want.closed) << want.what;
        ASSERT_EQ(got.vertices.size(), want.names.size()) << want.what;
        for (std::size_t i = 0; i < want.names.size(); ++i) {
            const Xy at = named.at(want.names[i]);
            EXPECT_TRUE(Near(got.vertices[i], at))
                << want.what << " vertex " << i << " (" << want.names[i] << ") is "
                << got.vertices[i].x << "," << got.vertices[i].y << ", want " << at.x << ","
                << at.y;
        }
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

// Seeded hoods the validators let through; inputs the seam strips do not fit
// are skipped.
TEST(DxfRandom, ReadsBackAsTheEnginePoints) {
    std::mt19937_64 rng(20261208);
    int written[4] = {};
    for (int i = 0; i < 300; ++i) {
        const RaschetData d = kiv::test::RandomHood(rng);
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

using kiv::test::EdgeHood;

class DxfEdgeHoods : public ::testing::TestWithParam<EdgeHood> {};

TEST_P(DxfEdgeHoods, AreWrittenFaithfully) {
    const EdgeHood& h = GetParam();
    const RaschetData d = h.data();
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

INSTANTIATE_TEST_SUITE_P(Shapes, DxfEdgeHoods, ::testing::ValuesIn(kiv::test::kEdgeHoods),
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
    ASSERT_EQ(c.polylines.size(), 1u);
    const auto& v = c.polylines[0].vertices;
    ASSERT_EQ(v.size(), 7u);
    EXPECT_EQ(v[0].x, d.X1);
    EXPECT_EQ(v[1].x, d.X2);
    EXPECT_EQ(v[1].y, d.Y2);
    EXPECT_EQ(v[3].y, d.Y4);
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

// The check itself, on drawings spoiled after they were built: the slit must
// run from the contour to the apex, and the contour may not pass the axis
// twice as a slit walked down and back up would.
struct SpoiledDrawing {
    const char* name;
    int type;
    void (*spoil)(kiv::ShopDrawing&);
    kiv::DrawingFault fault;
};

class CheckDrawingRefuses : public ::testing::TestWithParam<SpoiledDrawing> {};

TEST_P(CheckDrawingRefuses, ASpoiledDrawing) {
    const SpoiledDrawing& c = GetParam();
    RaschetData d = kiv::test::Defaults();
    const kiv::BlankSummary summary = kiv::Calculate(d, c.type).summary;
    kiv::ShopDrawing drawing = kiv::ShopDrawingOf(d, c.type);
    ASSERT_EQ(kiv::CheckDrawing(drawing, summary), kiv::DrawingFault::None);
    c.spoil(drawing);
    EXPECT_EQ(kiv::CheckDrawing(drawing, summary), c.fault);
}

// The apex put back into the contour between the strips' ends.
void SlitWalkedTwice(kiv::ShopDrawing& d) {
    const auto at = std::find(d.contourNames.begin(), d.contourNames.end(), "F4");
    const auto i = at - d.contourNames.begin();
    const kiv::Point apex = d.slit.back();
    const bool before = d.contourNames[static_cast<std::size_t>(i) + 1] == "F3";
    d.contour.insert(d.contour.begin() + i + (before ? 0 : 1), apex);
    d.contourNames.insert(d.contourNames.begin() + i + (before ? 0 : 1), "4");
    d.slit.clear();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, CheckDrawingRefuses,
    ::testing::Values(SpoiledDrawing{"SlitWalkedDownAndBack", 2, SlitWalkedTwice,
                                     kiv::DrawingFault::SelfCrossing},
                      SpoiledDrawing{"SlitWalkedDownAndBackOnTheWireBand", 3, SlitWalkedTwice,
                                     kiv::DrawingFault::SelfCrossing},
                      SpoiledDrawing{"NoSlit", 2, [](kiv::ShopDrawing& d) { d.slit.clear(); },
                                     kiv::DrawingFault::SlitMisplaced},
                      SpoiledDrawing{"SlitStartsOffTheContour", 3,
                                     [](kiv::ShopDrawing& d) { d.slit.front().y -= 1; },
                                     kiv::DrawingFault::SlitMisplaced},
                      SpoiledDrawing{"SlitStopsShortOfTheApex", 2,
                                     [](kiv::ShopDrawing& d) { d.slit.back().y += 1; },
                                     kiv::DrawingFault::SlitMisplaced},
                      SpoiledDrawing{"SlitRunsOnPastTheApex", 2,
                                     [](kiv::ShopDrawing& d) { d.slit.back().y = -1; },
                                     kiv::DrawingFault::SlitMisplaced},
                      SpoiledDrawing{"SlitOnAPlainPattern", 1,
                                     [](kiv::ShopDrawing& d) {
                                         d.slit = {d.contour[3], d.contour[3]};
                                     },
                                     kiv::DrawingFault::SlitMisplaced}),
    [](const auto& info) { return std::string(info.param.name); });

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
