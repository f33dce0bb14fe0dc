// The decoder: lays copies out sheet by sheet in a given order, each at the
// place on the first sheet that takes it where it ends nearest the sheet's
// start edge (then lowest across), at the best of its allowed turns.
#pragma once

#include "nest/Budget.h"
#include "nest/NoFit.h"

#include <cstddef>
#include <unordered_map>
#include <vector>

namespace kiv::nest::detail {

class Decoder {
public:
    // A part copy in the sequence and the turn it must take (-1: any).
    struct Gene {
        int part = 0;
        int turn = -1;
        bool operator==(const Gene&) const = default;
    };

    struct Placed {
        int part = 0, turn = 0, sheet = 0; // sheet -1: found no place
        cl::IntPoint at;
        bool operator==(const Placed&) const = default;
    };

    // A place found for one part: its turn, where its origin goes, and how
    // far along and how low its box then ends.
    struct Candidate {
        bool found = false;
        cl::cInt far = 0, low = 0; // far edge along, low edge across
        int turn = 0;
        cl::IntPoint at;

        bool betterThan(const Candidate& o) const;
        // Nearer the start edge and lower, weighed: `lean` 0 is along only, 1 across only.
        bool betterThan(const Candidate& o, double lean) const;
    };

    struct Result {
        std::vector<Placed> placed; // in the order of the genes
        int sheets = 0;
        cl::cInt lastLength = 0;
        int unplaced = 0, firstUnplaced = -1;
        double crowd = 0; // mm^2 of parts ending near the last sheet's far end
        // The budget ran out before every gene was decoded; the rest count
        // as unplaced (and have no entry in `placed`), so a cut layout is
        // never taken for a finished one.
        bool cut = false;

        // Fewer lost parts, then fewer sheets, then a shorter last sheet,
        // then less crowd at its far end.
        bool betterThan(const Result& o) const;
    };

    // Sizes in units; `along` is a sheet's length (a coil's: room for all).
    Decoder(std::vector<PartData> parts, cl::cInt along, cl::cInt across, cl::cInt margin, cl::cInt gap);

    // The run's budget, asked between copies and between turns, so that no
    // layout (the first one included) goes on past it. Unset: never spent.
    void watch(const Budget& budget) { budget_ = budget; }
    const Budget& budget() const { return budget_; }

    bool fits(int part, int turn) const;
    int turns(int part) const { return static_cast<int>(parts_[static_cast<std::size_t>(part)].shapes.size()); }
    const Shape& shape(int part, int turn) const {
        return parts_[static_cast<std::size_t>(part)].shapes[static_cast<std::size_t>(turn)];
    }
    const PartData& part(int part) const { return parts_[static_cast<std::size_t>(part)]; }
    // Where a placed part's box ends along the sheet.
    cl::cInt farEdge(const Placed& p) const { return p.at.X + shape(p.part, p.turn).box.right; }

    // Lays the parts out in the order of the genes. The first `keep` genes
    // are the same as those `base` was decoded from, so their places are
    // taken over instead of searched again. Cut short when the budget is
    // spent.
    Result decode(const std::vector<Gene>& genes, const Result* base = nullptr, std::size_t keep = 0);

    // The place for one part (at any allowed turn, or at `turn`) among parts
    // standing anywhere on a sheet, its far edge no farther along than
    // `limit` and its near edge no nearer the start than `from`: nearest the
    // start edge, then lowest; with a `lean` above 0, the least of the two
    // edges weighed. None found once the budget is spent.
    Candidate placeAmong(const std::vector<Placed>& standing, int part, int turn, cl::cInt from, cl::cInt limit,
                         double lean = 0);

    // Sheets, last length and crowd again, after places were changed.
    void settle(Result& r) const;

    // How far `moving` would have to go to stand clear of `fixed` by the
    // gap: 0 when it already does, touching included.
    double depth(const Placed& fixed, const Placed& moving);

    // Where a shape's origin may go with its box inside the usable sheet up
    // to `limit` along it; empty (right < left) when it does not fit there.
    cl::IntRect reach(int part, int turn, cl::cInt limit) const;

private:
    struct Sheet {
        std::vector<Placed> placed;
        std::vector<char> failed; // by shape: found no room once, so never again
        cl::cInt length = 0;
    };

    struct Nfp {
        cl::Paths paths;
        std::vector<char> outer; // by path: an outline, not a hole
        cl::IntRect box{};
    };

    // The room of one shape on a sheet less the no-fit polygons of the
    // sheet's first `count` parts, out to `right`, kept across decodes: most
    // steps change only the end of the order, and clipping a few more
    // polygons off what was free costs far less than clipping them all.
    struct Snapshot {
        std::size_t count = 0;
        cl::cInt right = 0;
        cl::Paths paths;
    };
    struct SheetMemo {
        std::vector<Placed> seq;                    // the sheet's parts the snapshots were made along
        std::vector<std::vector<Snapshot>> byShape; // ascending count
    };

    // Where a shape's origin may go with its box inside the usable sheet.
    struct Room {
        cl::cInt x0 = 0, x1 = 0, y0 = 0, y1 = 0;
        bool bounded = false; // x1 set by a place found at another turn
    };

    // "Near the far end": within a fiftieth of the used length.
    static constexpr cl::cInt kCrowdFraction = 50;
    double Crowd(const Result& r) const;

    std::size_t shapeIndex(int part, int turn) const {
        return static_cast<std::size_t>(firstShape_[static_cast<std::size_t>(part)]) + static_cast<std::size_t>(turn);
    }
    const Nfp& nfp(const Placed& fixed, int part, int turn);
    // The no-fit polygon of a placed part for one shape, moved to where the
    // part stands and added to `c` as clip.
    void clipOff(cl::Clipper& c, const Placed& fixed, int part, int turn);
    void takeOver(const Placed& p, std::vector<Sheet>& sheets, Result& r) const;
    const Snapshot* lastSnapshot(std::size_t sheetIndex, const Sheet& sheet, std::size_t si);
    const cl::Paths& freeRoom(std::size_t sheetIndex, const Sheet& sheet, int part, int turn, const Room& room);
    Candidate bestAt(Sheet& sheet, std::size_t sheetIndex, int part, int turn, const Candidate& bound);
    static Candidate leftmostIn(const Room& room, const cl::Paths& free, int turn, const Shape& s, double lean = 0);
    bool place(Sheet& sheet, const Gene& g, int sheetIndex, Result& r);

    std::vector<PartData> parts_;
    Budget budget_;
    cl::cInt along_, across_, margin_, gap_;
    std::vector<int> firstShape_;
    std::size_t shapeCount_ = 0;
    std::unordered_map<std::size_t, Nfp> nfps_;
    std::vector<SheetMemo> memo_; // by sheet index
};

} // namespace kiv::nest::detail
