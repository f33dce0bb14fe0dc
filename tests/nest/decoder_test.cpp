// The decoder keeps what was free on each sheet from one decode to the next.
// Whatever orders it saw before, an order must come out as a decoder that
// never saw another lays it out. Square-cornered parts on whole millimetres
// keep the geometry exact, so the places must match to the unit.
#include "nest/Compact.h"
#include "nest/Decoder.h"
#include "nest/Separate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kiv::nest::detail {
namespace {

using Genes = std::vector<Decoder::Gene>;

constexpr double kScale = 1000;  // units per millimetre
constexpr cl::cInt kGap = 4000;  // 4 mm
constexpr cl::cInt kMargin = 0;

PartData Data(const Outline& outline) {
    PartData d;
    for (const double turn : QuarterTurns()) {
        Shape s;
        if (MakeShape(outline, turn, kScale, kGap, s)) {
            d.shapes.push_back(s);
        }
    }
    d.area = std::abs(OutlineArea(outline));
    return d;
}

std::vector<PartData> Parts() {
    const Outline bar{{0, 0}, {120, 0}, {120, 30}, {0, 30}};
    const Outline block{{0, 0}, {70, 0}, {70, 60}, {0, 60}};
    const Outline ell{{0, 0}, {90, 0}, {90, 25}, {25, 25}, {25, 80}, {0, 80}};
    return {Data(bar), Data(block), Data(ell)};
}

struct Sequence {
    const char* name;
    cl::cInt along, across; // sheet, mm
    std::vector<Genes> orders; // decoded in turn, each from the one before
};

class DecoderMemory : public ::testing::TestWithParam<Sequence> {};

// As the search does: each order from the result of the one before, with
// the genes they share at the start taken over.
TEST_P(DecoderMemory, SameLayoutAsAFreshDecoder) {
    const Sequence& q = GetParam();
    const cl::cInt along = q.along * 1000, across = q.across * 1000;
    Decoder kept(Parts(), along, across, kMargin, kGap);
    Decoder::Result previous;
    const Genes* previousGenes = nullptr;
    for (std::size_t i = 0; i < q.orders.size(); ++i) {
        const Genes& genes = q.orders[i];
        std::size_t keep = 0;
        while (previousGenes != nullptr && keep < genes.size() && keep < previousGenes->size() &&
               genes[keep] == (*previousGenes)[keep]) {
            ++keep;
        }
        const Decoder::Result r = kept.decode(genes, previousGenes != nullptr ? &previous : nullptr, keep);
        Decoder fresh(Parts(), along, across, kMargin, kGap);
        const Decoder::Result f = fresh.decode(genes);
        SCOPED_TRACE("order " + std::to_string(i));
        ASSERT_EQ(r.placed.size(), f.placed.size());
        for (std::size_t k = 0; k < f.placed.size(); ++k) {
            EXPECT_EQ(r.placed[k], f.placed[k]) << "gene " << k;
        }
        EXPECT_EQ(r.sheets, f.sheets);
        EXPECT_EQ(r.lastLength, f.lastLength);
        previous = r;
        previousGenes = &genes;
    }
}

const Genes kBase{{0, -1}, {1, -1}, {2, -1}, {0, -1}, {1, -1}, {2, -1}, {0, -1}, {2, -1}};

Genes Swapped(Genes g, std::size_t i, std::size_t j) {
    std::swap(g[i], g[j]);
    return g;
}

Genes Turned(Genes g, std::size_t i, int turn) {
    g[i].turn = turn;
    return g;
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, DecoderMemory,
    ::testing::Values(
        Sequence{"LastPartsSwapped", 400, 200, {kBase, Swapped(kBase, 6, 7), Swapped(kBase, 5, 7)}},
        Sequence{"FirstPartSwapped", 400, 200, {kBase, Swapped(kBase, 0, 2), kBase}},
        // Back to an order after one that shared less of it: what the
        // one between left must not stand for the first order's sheet.
        Sequence{"BackAndForth", 400, 200, {kBase, Swapped(kBase, 3, 4), kBase, Swapped(kBase, 1, 6), kBase}},
        Sequence{"TurnHeld", 400, 200, {kBase, Turned(kBase, 2, 1), Turned(Turned(kBase, 2, 1), 0, 3), kBase}},
        // Sheets that take a few parts each: the change on the first sheet
        // moves parts to and from the later ones.
        Sequence{"SeveralSheets", 180, 130, {kBase, Swapped(kBase, 0, 1), Swapped(kBase, 4, 7), kBase}},
        Sequence{"ShorterOrder", 400, 200, {kBase, Genes(kBase.begin(), kBase.begin() + 4), kBase}}),
    [](const ::testing::TestParamInfo<Sequence>& info) { return std::string(info.param.name); });

// Putting a part back among the ones before it is the decoder's own rule
// reached another way: each part of a decoded sheet, put back among those
// placed before it, lands where the decoder put it.
TEST(Decoder, PutBackWhereTheDecoderPutIt) {
    Decoder decoder(Parts(), 400000, 200000, kMargin, kGap);
    const Decoder::Result r = decoder.decode(kBase);
    ASSERT_EQ(r.sheets, 1);
    std::vector<Decoder::Placed> before;
    for (const Decoder::Placed& p : r.placed) {
        const Decoder::Candidate c = decoder.placeAmong(before, p.part, -1, 0, 400000);
        ASSERT_TRUE(c.found) << "part " << before.size();
        EXPECT_EQ(c.turn, p.turn) << "part " << before.size();
        EXPECT_EQ(c.at, p.at) << "part " << before.size();
        // Held short of where it ends, it finds another place or none.
        const cl::cInt end = c.at.X + decoder.shape(p.part, p.turn).box.right;
        const Decoder::Candidate held = decoder.placeAmong(before, p.part, -1, 0, end - 1);
        EXPECT_TRUE(!held.found || held.far <= end - 1);
        before.push_back(p);
    }
}

// A budget spent before the layout ends it at once: every copy counted as
// lost, none listed, and the first lost one named, however many there are.
TEST(Decoder, SpentBudgetCountsTheRestLost) {
    Decoder decoder(Parts(), 400000, 200000, kMargin, kGap);
    bool stop = false;
    const Budget budget(false, {}, [&] { return stop; });
    decoder.watch(budget);
    const Decoder::Result whole = decoder.decode(kBase);
    ASSERT_FALSE(whole.cut);
    stop = true;
    Genes many(1000000, kBase.back());
    many.front() = kBase.front();
    for (const Decoder::Result* base : {static_cast<const Decoder::Result*>(nullptr), &whole}) {
        const Decoder::Result r = decoder.decode(base ? kBase : many, base, base ? 2 : 0);
        EXPECT_TRUE(r.cut);
        EXPECT_EQ(r.placed.size(), base ? 2u : 0u);
        EXPECT_EQ(r.unplaced, static_cast<int>(base ? kBase.size() - 2 : many.size()));
        EXPECT_EQ(r.firstUnplaced, (base ? kBase[2] : many[0]).part);
    }
}

// How deep one part stands in another, the gap included: a bar or the ell
// fixed at the origin and a bar or block moved to whole millimetres, where
// the way out is plain to see. Parts touching at the gap, less the slack the
// moving part is shrunk by, do not overlap.
struct Overlap {
    const char* name;
    int moving;      // part: 0 the bar, 1 the block, 2 the ell
    cl::cInt dx, dy; // where it stands, units
    int fixed;       // part, at the origin
    cl::cInt depth;  // units, to the slack and the rounding
};

class Depth : public ::testing::TestWithParam<Overlap> {};

TEST_P(Depth, IsTheWayOut) {
    const Overlap& o = GetParam();
    Decoder decoder(Parts(), 400000, 200000, kMargin, kGap);
    const double d = decoder.depth({o.fixed, 0, 0, {0, 0}}, {o.moving, 0, 0, {o.dx, o.dy}});
    EXPECT_NEAR(d, static_cast<double>(o.depth), 2.0);
}

INSTANTIATE_TEST_SUITE_P(
    Decoder, Depth,
    ::testing::Values(Overlap{"FarApart", 0, 300000, 0, 0, 0}, Overlap{"AtTheGap", 0, 124000, 0, 0, 0},
                      Overlap{"AlongBy10", 0, 110000, 0, 0, 14000}, Overlap{"AcrossBy5", 0, 0, 29000, 0, 5000},
                      Overlap{"OnTop", 1, 0, 0, 0, 34000}, Overlap{"Behind", 1, -60000, 10000, 0, 14000},
                      // In the ell's hollow the block is clear of it; a hull would not see that.
                      Overlap{"InTheHollow", 1, 30000, 30000, 2, 0}, Overlap{"IntoTheLeg", 1, 20000, 30000, 2, 9000}),
    [](const ::testing::TestParamInfo<Overlap>& info) { return std::string(info.param.name); });

// The last sheet worked over after the search: shorter, every part still on
// its sheet, apart by the gap, and the sheets before it as they were. Orders
// that put the small parts first leave room to gain.
using Phase = CompactRun (*)(Decoder&, Decoder::Result&, const Options&, int, int, Clock::time_point,
                             const Progress&);

struct Rework {
    const char* name;
    Phase phase;
    cl::cInt along, across; // sheet, mm
    Genes order;
    int sheets; // that the order takes
};

class Reworked : public ::testing::TestWithParam<Rework> {};

cl::Path Moved(cl::Path q, cl::IntPoint by) {
    for (cl::IntPoint& v : q) {
        v.X += by.X;
        v.Y += by.Y;
    }
    return q;
}

TEST_P(Reworked, LastSheetShorterAndSound) {
    const Rework& w = GetParam();
    const cl::cInt along = w.along * 1000, across = w.across * 1000, margin = 5000;
    Decoder decoder(Parts(), along, across, margin, kGap);
    Decoder::Result r = decoder.decode(w.order);
    const Decoder::Result before = r;
    ASSERT_EQ(before.sheets, w.sheets);
    Options options;
    options.seed = 3;
    EXPECT_EQ(w.phase(decoder, r, options, 300, 0, Clock::now(), {}).done, 300);
    EXPECT_EQ(r.sheets, before.sheets);
    EXPECT_LT(r.lastLength, before.lastLength);
    ASSERT_EQ(r.placed.size(), w.order.size());
    std::vector<int> count(3, 0);
    std::vector<std::pair<int, cl::Path>> outlines; // sheet and outline of the parts checked so far
    for (std::size_t k = 0; k < r.placed.size(); ++k) {
        const Decoder::Placed& p = r.placed[k];
        ++count[static_cast<std::size_t>(p.part)];
        if (p.sheet < r.sheets - 1) {
            EXPECT_EQ(p, before.placed[k]) << "an earlier sheet's part moved";
        }
        const Shape& s = decoder.shape(p.part, p.turn);
        EXPECT_GE(p.at.X + s.box.left, margin);
        EXPECT_LE(p.at.X + s.box.right, p.sheet == r.sheets - 1 ? r.lastLength : along - margin);
        EXPECT_GE(p.at.Y + s.box.top, margin);
        EXPECT_LE(p.at.Y + s.box.bottom, across - margin);
        const cl::Path q = Moved(s.outline, p.at);
        // Grown by all but a few units of the gap, it must not reach another part.
        cl::ClipperOffset offset;
        offset.AddPath(q, cl::jtMiter, cl::etClosedPolygon);
        cl::Paths grown;
        offset.Execute(grown, static_cast<double>(kGap - 4 * kSlackUnits));
        for (const auto& [sheet, other] : outlines) {
            cl::Clipper c;
            c.AddPaths(grown, cl::ptSubject, true);
            c.AddPath(other, cl::ptClip, true);
            cl::Paths both;
            c.Execute(cl::ctIntersection, both, cl::pftNonZero, cl::pftNonZero);
            EXPECT_TRUE(sheet != p.sheet || both.empty()) << "parts closer than the gap on sheet " << sheet;
        }
        outlines.emplace_back(p.sheet, q);
    }
    std::vector<int> wanted(3, 0);
    for (const Decoder::Gene& g : w.order) {
        ++wanted[static_cast<std::size_t>(g.part)];
    }
    EXPECT_EQ(count, wanted);
}

const Genes kSmallFirst{{2, -1}, {2, -1}, {0, -1}, {1, -1}, {0, -1}, {2, -1}, {1, -1}, {0, -1}, {1, -1}};

INSTANTIATE_TEST_SUITE_P(
    Decoder, Reworked,
    ::testing::Values(Rework{"OneLongSheet", Compact, 2000, 130, kSmallFirst, 1},
                      // Only the last sheet's parts may move, and only on it.
                      Rework{"SeveralSheets", Compact, 260, 130, kSmallFirst, 2},
                      Rework{"OneLongSheetOverlapsUndone", Separate, 2000, 130, kSmallFirst, 1},
                      Rework{"SeveralSheetsOverlapsUndone", Separate, 260, 130, kSmallFirst, 2}),
    [](const ::testing::TestParamInfo<Rework>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kiv::nest::detail
