#include "nest/Decoder.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace kiv::nest::detail {

bool Decoder::Result::betterThan(const Result& o) const {
    if (unplaced != o.unplaced) {
        return unplaced < o.unplaced;
    }
    if (sheets != o.sheets) {
        return sheets < o.sheets;
    }
    return lastLength != o.lastLength ? lastLength < o.lastLength : crowd < o.crowd;
}

// Many layouts share the shortest length, most of all with parts of round
// sizes; of those, the one with the least part area at the far end is the
// nearest to a shorter one, and gives the search a slope on that plateau.
double Decoder::Crowd(const Result& r) const {
    const cl::cInt near = r.lastLength - r.lastLength / kCrowdFraction;
    double area = 0;
    for (const Placed& p : r.placed) {
        if (p.sheet == r.sheets - 1 && farEdge(p) >= near) {
            area += part(p.part).area;
        }
    }
    return area;
}

bool Decoder::Candidate::betterThan(const Candidate& o) const {
    if (!found || !o.found) {
        return found && !o.found;
    }
    return far != o.far ? far < o.far : low < o.low;
}

bool Decoder::Candidate::betterThan(const Candidate& o, double lean) const {
    if (lean <= 0 || !found || !o.found) {
        return betterThan(o);
    }
    const double a = (1 - lean) * static_cast<double>(far) + lean * static_cast<double>(low);
    const double b = (1 - lean) * static_cast<double>(o.far) + lean * static_cast<double>(o.low);
    return a != b ? a < b : betterThan(o);
}

Decoder::Decoder(std::vector<PartData> parts, cl::cInt along, cl::cInt across, cl::cInt margin, cl::cInt gap)
    : parts_(std::move(parts)), along_(along), across_(across), margin_(margin), gap_(gap) {
    for (const PartData& p : parts_) {
        firstShape_.push_back(static_cast<int>(shapeCount_));
        shapeCount_ += p.shapes.size();
    }
}

bool Decoder::fits(int part, int turn) const {
    const Shape& s = shape(part, turn);
    return s.box.right - s.box.left <= along_ - 2 * margin_ && s.box.bottom - s.box.top <= across_ - 2 * margin_;
}

void Decoder::takeOver(const Placed& p, std::vector<Sheet>& sheets, Result& r) const {
    r.placed.push_back(p);
    if (p.sheet < 0) {
        ++r.unplaced;
        r.firstUnplaced = r.unplaced == 1 ? p.part : r.firstUnplaced;
        return;
    }
    while (sheets.size() <= static_cast<std::size_t>(p.sheet)) {
        sheets.emplace_back();
    }
    Sheet& sheet = sheets[static_cast<std::size_t>(p.sheet)];
    sheet.placed.push_back(p);
    sheet.length = std::max(sheet.length, farEdge(p));
}

Decoder::Result Decoder::decode(const std::vector<Gene>& genes, const Result* base, std::size_t keep) {
    Result r;
    std::vector<Sheet> sheets;
    if (base == nullptr) {
        keep = 0;
    }
    for (std::size_t k = 0; k < keep; ++k) {
        takeOver(base->placed[k], sheets, r);
    }
    for (std::size_t k = keep; k < genes.size(); ++k) {
        const Gene& g = genes[k];
        if (budget_.spent()) {
            // The rest only counted: a cut layout is never kept, and a
            // million copies left must not cost a second of their own.
            r.cut = true;
            r.firstUnplaced = r.unplaced == 0 ? g.part : r.firstUnplaced;
            r.unplaced += static_cast<int>(genes.size() - k);
            break;
        }
        bool done = false;
        for (std::size_t s = 0; s < sheets.size() && !done; ++s) {
            done = place(sheets[s], g, static_cast<int>(s), r);
        }
        if (!done) {
            sheets.emplace_back();
            if (!place(sheets.back(), g, static_cast<int>(sheets.size() - 1), r)) {
                // Cannot happen for a part that fits the sheet but when the
                // budget ran out, and a lost part must never pass for a
                // finished layout.
                sheets.pop_back();
                takeOver({g.part, 0, -1, {}}, sheets, r);
                r.cut = r.cut || budget_.spent();
            }
        }
    }
    r.sheets = static_cast<int>(sheets.size());
    r.lastLength = sheets.empty() ? 0 : sheets.back().length;
    r.crowd = Crowd(r);
    return r;
}

const Decoder::Nfp& Decoder::nfp(const Placed& fixed, int part, int turn) {
    const std::size_t key = shapeIndex(fixed.part, fixed.turn) * shapeCount_ + shapeIndex(part, turn);
    auto it = nfps_.find(key);
    if (it == nfps_.end()) {
        Nfp n;
        n.paths = NoFitPolygon(shape(fixed.part, fixed.turn).inflated, shape(part, turn).moving);
        n.box = BoxOf(n.paths);
        for (const cl::Path& q : n.paths) {
            n.outer.push_back(cl::Orientation(q) ? 1 : 0);
        }
        it = nfps_.emplace(key, std::move(n)).first;
    }
    return it->second;
}

void Decoder::clipOff(cl::Clipper& c, const Placed& fixed, int part, int turn) {
    for (cl::Path q : nfp(fixed, part, turn).paths) {
        for (cl::IntPoint& v : q) {
            v.X += fixed.at.X;
            v.Y += fixed.at.Y;
        }
        c.AddPath(q, cl::ptClip, true);
    }
}

// The longest snapshot of one shape made along the same parts as the
// sheet's first ones. Snapshots made along parts the sheet no longer has
// first go.
const Decoder::Snapshot* Decoder::lastSnapshot(std::size_t sheetIndex, const Sheet& sheet, std::size_t si) {
    if (memo_.size() <= sheetIndex) {
        memo_.resize(sheetIndex + 1);
    }
    SheetMemo& m = memo_[sheetIndex];
    if (m.byShape.empty()) {
        m.byShape.resize(shapeCount_);
    }
    const std::size_t same = static_cast<std::size_t>(
        std::mismatch(m.seq.begin(), m.seq.end(), sheet.placed.begin(), sheet.placed.end()).first - m.seq.begin());
    if (same < m.seq.size()) {
        for (std::vector<Snapshot>& snaps : m.byShape) {
            std::erase_if(snaps, [same](const Snapshot& s) { return s.count > same; });
        }
        m.seq.resize(same);
    }
    m.seq.insert(m.seq.end(), sheet.placed.begin() + static_cast<std::ptrdiff_t>(m.seq.size()), sheet.placed.end());
    const std::vector<Snapshot>& snaps = m.byShape[si];
    return snaps.empty() ? nullptr : &snaps.back();
}

// Where one shape's origin may go on a sheet as it stands, out to the
// room's right edge and the slack beyond: the last snapshot, widened to
// that edge, less the no-fit polygons of the parts placed since.
const cl::Paths& Decoder::freeRoom(std::size_t sheetIndex, const Sheet& sheet, int part, int turn, const Room& room) {
    const std::size_t si = shapeIndex(part, turn), n = sheet.placed.size();
    const cl::cInt e = kSlackUnits, right = room.x1 + e;
    const Snapshot* last = lastSnapshot(sheetIndex, sheet, si);
    if (last != nullptr && last->count == n && last->right >= right) {
        return last->paths;
    }
    cl::Clipper c;
    Snapshot next{0, room.x0 - e, {}};
    if (last != nullptr) {
        c.AddPaths(last->paths, cl::ptSubject, true);
        next.count = last->count;
        next.right = last->right;
    }
    if (right > next.right) {
        const cl::cInt l = next.right;
        c.AddPath({{l, room.y0 - e}, {right, room.y0 - e}, {right, room.y1 + e}, {l, room.y1 + e}}, cl::ptSubject,
                  true);
        next.right = right;
    }
    for (std::size_t k = next.count; k < n; ++k) {
        clipOff(c, sheet.placed[k], part, turn);
    }
    next.count = n;
    c.Execute(cl::ctDifference, next.paths, cl::pftNonZero, cl::pftPositive);
    std::vector<Snapshot>& snaps = memo_[sheetIndex].byShape[si];
    snaps.push_back(std::move(next));
    return snaps.back().paths;
}

// The place nearest the start edge, then lowest, among the vertices of the
// free room that lie within the room. The slack only on the sheet's own
// edges: a place found at another turn bounds the room exactly.
Decoder::Candidate Decoder::leftmostIn(const Room& room, const cl::Paths& free, int turn, const Shape& s, double lean) {
    const cl::cInt reach = room.bounded ? room.x1 : room.x1 + kSlackUnits;
    Candidate best;
    for (const cl::Path& poly : free) {
        for (const cl::IntPoint& v : poly) {
            if (v.X > reach) {
                continue;
            }
            Candidate k;
            k.found = true;
            k.at = {std::clamp(v.X, room.x0, room.x1), std::clamp(v.Y, room.y0, room.y1)};
            k.far = k.at.X + s.box.right;
            k.low = k.at.Y + s.box.top;
            k.turn = turn;
            if (k.betterThan(best, lean)) {
                best = k;
            }
        }
    }
    return best;
}

// The best place on one sheet for one turn of a part that ends no farther
// than `bound` (a place found at another turn), if any.
Decoder::Candidate Decoder::bestAt(Sheet& sheet, std::size_t sheetIndex, int part, int turn, const Candidate& bound) {
    Candidate best;
    const std::size_t si = shapeIndex(part, turn);
    if (!fits(part, turn) || (!sheet.failed.empty() && sheet.failed[si])) {
        return best;
    }
    const Shape& s = shape(part, turn);
    Room room;
    room.x0 = margin_ - s.box.left;
    // Beyond twice the gap past the farthest part every place is free, and
    // none of them is better than the nearest; a coil stops there too.
    const cl::cInt open = sheet.length + 2 * gap_ + 4 * kSlackUnits - s.box.left;
    room.x1 = std::max(room.x0, std::min(along_ - margin_ - s.box.right, open));
    room.y0 = margin_ - s.box.top;
    room.y1 = across_ - margin_ - s.box.bottom;
    const bool bounded = bound.found && bound.far - s.box.right < room.x1;
    if (bounded && bound.far - s.box.right < room.x0) {
        return best;
    }
    const cl::Paths& free = freeRoom(sheetIndex, sheet, part, turn, room);
    if (bounded) {
        room.bounded = true;
        room.x1 = bound.far - s.box.right;
    }
    best = leftmostIn(room, free, turn, s);
    if (!best.found && !bounded) {
        if (sheet.failed.empty()) {
            sheet.failed.assign(shapeCount_, 0);
        }
        sheet.failed[si] = 1;
    }
    return best;
}

bool Decoder::place(Sheet& sheet, const Gene& g, int sheetIndex, Result& r) {
    Candidate best;
    for (int t = 0; t < turns(g.part); ++t) {
        if (g.turn >= 0 && g.turn != t) {
            continue;
        }
        if (budget_.spent()) {
            return false; // a place from some of the turns only is no layout to keep
        }
        const Candidate c = bestAt(sheet, static_cast<std::size_t>(sheetIndex), g.part, t, best);
        if (c.betterThan(best)) {
            best = c;
        }
    }
    if (!best.found) {
        return false;
    }
    const Placed p{g.part, best.turn, sheetIndex, best.at};
    sheet.placed.push_back(p);
    sheet.length = std::max(sheet.length, best.far);
    r.placed.push_back(p);
    return true;
}

Decoder::Candidate Decoder::placeAmong(const std::vector<Placed>& standing, int part, int turn, cl::cInt from,
                                       cl::cInt limit, double lean) {
    Candidate best;
    const cl::cInt e = kSlackUnits;
    for (int t = 0; t < turns(part); ++t) {
        if ((turn >= 0 && turn != t) || !fits(part, t)) {
            continue;
        }
        if (budget_.spent()) {
            return {};
        }
        const Shape& s = shape(part, t);
        Room room;
        room.bounded = true;
        room.x0 = std::max(margin_, from) - s.box.left;
        room.x1 = std::min(along_ - margin_, limit) - s.box.right;
        if (best.found && lean <= 0) {
            room.x1 = std::min(room.x1, best.far - s.box.right);
        }
        room.y0 = margin_ - s.box.top;
        room.y1 = across_ - margin_ - s.box.bottom;
        if (room.x1 < room.x0) {
            continue;
        }
        const cl::cInt left = room.x0 - e, right = room.x1 + e, top = room.y0 - e, bottom = room.y1 + e;
        cl::Clipper c;
        c.AddPath({{left, top}, {right, top}, {right, bottom}, {left, bottom}}, cl::ptSubject, true);
        for (const Placed& p : standing) {
            const Nfp& n = nfp(p, part, t);
            // Only the polygons that reach into the room cut anything off it.
            if (n.box.left + p.at.X > right || n.box.right + p.at.X < left || n.box.top + p.at.Y > bottom ||
                n.box.bottom + p.at.Y < top) {
                continue;
            }
            clipOff(c, p, part, t);
        }
        cl::Paths free;
        c.Execute(cl::ctDifference, free, cl::pftNonZero, cl::pftPositive);
        if (const Candidate k = leftmostIn(room, free, t, s, lean); k.betterThan(best, lean)) {
            best = k;
        }
    }
    return best;
}

void Decoder::settle(Result& r) const {
    r.sheets = 0;
    for (const Placed& p : r.placed) {
        r.sheets = std::max(r.sheets, p.sheet + 1);
    }
    r.lastLength = 0;
    for (const Placed& p : r.placed) {
        if (p.sheet == r.sheets - 1) {
            r.lastLength = std::max(r.lastLength, farEdge(p));
        }
    }
    r.crowd = Crowd(r);
}

double Decoder::depth(const Placed& fixed, const Placed& moving) {
    const Nfp& n = nfp(fixed, moving.part, moving.turn);
    const cl::IntPoint d{moving.at.X - fixed.at.X, moving.at.Y - fixed.at.Y};
    if (d.X <= n.box.left || d.X >= n.box.right || d.Y <= n.box.top || d.Y >= n.box.bottom) {
        return 0;
    }
    int inside = 0;
    for (std::size_t k = 0; k < n.paths.size(); ++k) {
        const int in = cl::PointInPolygon(d, n.paths[k]);
        if (in < 0) {
            return 0; // on the edge: touching
        }
        inside += in == 0 ? 0 : n.outer[k] ? 1 : -1;
    }
    if (inside <= 0) {
        return 0;
    }
    // Inside: the way out is to the nearest edge, of the outline or a hole.
    const double px = static_cast<double>(d.X), py = static_cast<double>(d.Y);
    double least = std::numeric_limits<double>::max();
    for (const cl::Path& q : n.paths) {
        for (std::size_t i = 0, m = q.size(); i < m; ++i) {
            const double ax = static_cast<double>(q[i].X), ay = static_cast<double>(q[i].Y);
            const double bx = static_cast<double>(q[(i + 1) % m].X) - ax,
                         by = static_cast<double>(q[(i + 1) % m].Y) - ay;
            const double len = bx * bx + by * by;
            const double t = len > 0 ? std::clamp(((px - ax) * bx + (py - ay) * by) / len, 0.0, 1.0) : 0.0;
            const double ex = ax + t * bx - px, ey = ay + t * by - py;
            least = std::min(least, ex * ex + ey * ey);
        }
    }
    return std::sqrt(least);
}

cl::IntRect Decoder::reach(int part, int turn, cl::cInt limit) const {
    const Shape& s = shape(part, turn);
    return {margin_ - s.box.left, margin_ - s.box.top, std::min(along_ - margin_, limit) - s.box.right,
            across_ - margin_ - s.box.bottom};
}

} // namespace kiv::nest::detail
