#include "nest/Nest.h"

#include <clipper.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <limits>
#include <random>
#include <unordered_map>

namespace kiv::nest {

namespace cl = ClipperLib;

std::vector<double> QuarterTurns() { return {0, 90, 180, 270}; }
std::vector<double> HalfTurns() { return {0, 180}; }

std::vector<double> TurnsEvery(double stepDegrees) {
    std::vector<double> out;
    if (!(stepDegrees > 0 && stepDegrees <= 360)) {
        return out;
    }
    for (int i = 0;; ++i) {
        const double a = i * stepDegrees;
        if (a >= 360 - 1e-9) {
            break;
        }
        out.push_back(a);
    }
    return out;
}

Vec Turn(Vec p, double degrees) {
    double a = std::fmod(degrees, 360.0);
    if (a < 0) {
        a += 360;
    }
    double c = 0, s = 0;
    if (a == 0) {
        c = 1;
    } else if (a == 90) {
        s = 1;
    } else if (a == 180) {
        c = -1;
    } else if (a == 270) {
        s = -1;
    } else {
        const double r = a * std::acos(-1.0) / 180.0;
        c = std::cos(r);
        s = std::sin(r);
    }
    return {p.x * c - p.y * s, p.x * s + p.y * c};
}

Vec PlacePoint(Vec p, const Placement& placement) {
    const Vec t = Turn(p, placement.angle);
    return {t.x + placement.offset.x, t.y + placement.offset.y};
}

Outline PlaceOutline(const Outline& outline, const Placement& placement) {
    Outline out;
    out.reserve(outline.size());
    for (const Vec& p : outline) {
        out.push_back(PlacePoint(p, placement));
    }
    return out;
}

double OutlineArea(const Outline& outline) {
    double a = 0;
    for (std::size_t i = 0, n = outline.size(); i < n; ++i) {
        const Vec& p = outline[i];
        const Vec& q = outline[(i + 1) % n];
        a += p.x * q.y - q.x * p.y;
    }
    return a / 2;
}

Extent SmallestExtent(const Outline& outline, const std::vector<double>& rotations) {
    Extent best{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    for (double r : rotations) {
        double x0 = std::numeric_limits<double>::infinity(), x1 = -x0, y0 = x0, y1 = -x0;
        for (const Vec& p : outline) {
            const Vec t = Turn(p, r);
            x0 = std::min(x0, t.x);
            x1 = std::max(x1, t.x);
            y0 = std::min(y0, t.y);
            y1 = std::max(y1, t.y);
        }
        if ((x1 - x0) * (y1 - y0) < best.along * best.across || !std::isfinite(best.along)) {
            best = {x1 - x0, y1 - y0};
        }
    }
    return best;
}

namespace {

using Clock = std::chrono::steady_clock;

// The part being placed is shrunk by a unit and the room it may take grown by
// one, so that a part fitting its place exactly (a slot of its own width, a
// row filling the sheet) still finds a place of some area there, which the
// polygon clipping would otherwise drop as a line or a point. Parts may then
// come closer than the gap by a few units: a ten-millionth of the sheet.
constexpr cl::cInt kSlackUnits = 1;

// One part at one turn, in integer units.
struct Shape {
    double angle = 0;
    cl::Path outline;  // counter-clockwise
    cl::Path inflated; // the outline grown by half the gap
    cl::Path moving;   // the same less the slack, for the part being placed
    cl::IntRect box{};  // of the outline
};

struct PartData {
    std::vector<Shape> shapes; // one per allowed turn
    double area = 0;           // mm^2
};

double PathArea(const cl::Path& p) { return cl::Area(p); }

double Perimeter(const cl::Path& p) {
    double s = 0;
    for (std::size_t i = 0, n = p.size(); i < n; ++i) {
        const cl::IntPoint& a = p[i];
        const cl::IntPoint& b = p[(i + 1) % n];
        s += std::hypot(static_cast<double>(b.X - a.X), static_cast<double>(b.Y - a.Y));
    }
    return s;
}

cl::IntRect BoxOf(const cl::Path& p) {
    cl::IntRect r{p[0].X, p[0].Y, p[0].X, p[0].Y};
    for (const cl::IntPoint& q : p) {
        r.left = std::min(r.left, q.X);
        r.right = std::max(r.right, q.X);
        r.top = std::min(r.top, q.Y);
        r.bottom = std::max(r.bottom, q.Y);
    }
    return r; // top is the least y here, bottom the greatest
}

// Of several polygons the one with the largest positive area.
cl::Path Largest(const cl::Paths& paths) {
    cl::Path best;
    double area = 0;
    for (const cl::Path& p : paths) {
        const double a = PathArea(p);
        if (a > area) {
            area = a;
            best = p;
        }
    }
    return best;
}

// The positions of a moving shape's origin at which it would overlap a fixed
// shape standing at the origin: the fixed shape summed with the moving one
// turned half round. Clipper sums the moving shape along the fixed one's
// boundary only; the two translated copies fill the inside, so that no
// position with one part wholly inside the other survives. Holes thinner
// than a few units are rounding debris, not room for a part.
cl::Paths NoFitPolygon(const cl::Path& fixed, const cl::Path& moving) {
    cl::Path negated;
    negated.reserve(moving.size());
    for (const cl::IntPoint& p : moving) {
        negated.emplace_back(-p.X, -p.Y);
    }
    cl::Paths sum;
    cl::MinkowskiSum(negated, fixed, sum, true);
    cl::Path a = fixed, b = negated;
    for (cl::IntPoint& p : a) {
        p.X += negated[0].X;
        p.Y += negated[0].Y;
    }
    for (cl::IntPoint& p : b) {
        p.X += fixed[0].X;
        p.Y += fixed[0].Y;
    }
    cl::Clipper c;
    c.AddPaths(sum, cl::ptSubject, true);
    c.AddPath(a, cl::ptSubject, true);
    c.AddPath(b, cl::ptSubject, true);
    cl::Paths out;
    c.Execute(cl::ctUnion, out, cl::pftNonZero, cl::pftNonZero);
    std::erase_if(out, [](const cl::Path& p) {
        const double area = PathArea(p);
        return area < 0 && -2 * area < 4 * Perimeter(p);
    });
    return out;
}

// Everything the decoder needs, built once per call.
class Engine {
public:
    Engine(std::vector<PartData> parts, double scale, cl::cInt along, cl::cInt across, cl::cInt margin,
           cl::cInt gap)
        : parts_(std::move(parts)), scale_(scale), along_(along), across_(across), margin_(margin), gap_(gap) {
        for (const PartData& p : parts_) {
            firstShape_.push_back(static_cast<int>(shapeCount_));
            shapeCount_ += p.shapes.size();
        }
    }

    // A part copy in the sequence and the turn it must take (-1: any).
    struct Gene {
        int part = 0;
        int turn = -1;
    };

    struct Placed {
        int part = 0, turn = 0, sheet = 0;
        cl::IntPoint at;
    };

    struct Result {
        std::vector<Placed> placed;
        int sheets = 0;
        cl::cInt lastLength = 0;
        int unplaced = 0, firstUnplaced = -1;

        bool betterThan(const Result& o) const {
            if (unplaced != o.unplaced) {
                return unplaced < o.unplaced;
            }
            return sheets != o.sheets ? sheets < o.sheets : lastLength < o.lastLength;
        }
    };

    bool fits(int part, int turn) const {
        const Shape& s = parts_[static_cast<std::size_t>(part)].shapes[static_cast<std::size_t>(turn)];
        return s.box.right - s.box.left <= along_ - 2 * margin_ &&
               s.box.bottom - s.box.top <= across_ - 2 * margin_;
    }

    // Lays the parts out in the order of the genes. The first `keep` genes
    // are the same as those `base` was decoded from, so their places are
    // taken over instead of searched again.
    Result decode(const std::vector<Gene>& genes, const Result* base = nullptr, std::size_t keep = 0) {
        Result r;
        std::vector<Sheet> sheets;
        for (std::size_t k = 0; k < keep && base != nullptr; ++k) {
            const Placed& p = base->placed[k];
            r.placed.push_back(p);
            if (p.sheet < 0) {
                ++r.unplaced;
                r.firstUnplaced = r.unplaced == 1 ? p.part : r.firstUnplaced;
                continue;
            }
            while (sheets.size() <= static_cast<std::size_t>(p.sheet)) {
                sheets.emplace_back();
            }
            Sheet& sheet = sheets[static_cast<std::size_t>(p.sheet)];
            sheet.placed.push_back(p);
            sheet.length = std::max(sheet.length, p.at.X + shape(p.part, p.turn).box.right);
        }
        for (std::size_t k = base != nullptr ? keep : 0; k < genes.size(); ++k) {
            const Gene& g = genes[k];
            bool done = false;
            for (std::size_t s = 0; s < sheets.size() && !done; ++s) {
                done = place(sheets[s], g, static_cast<int>(s), r);
            }
            if (!done) {
                sheets.emplace_back();
                if (!place(sheets.back(), g, static_cast<int>(sheets.size() - 1), r)) {
                    // Cannot happen for a part that fits the sheet, but a
                    // lost part must never pass for a finished layout.
                    sheets.pop_back();
                    r.placed.push_back({g.part, 0, -1, {}});
                    ++r.unplaced;
                    r.firstUnplaced = r.unplaced == 1 ? g.part : r.firstUnplaced;
                }
            }
        }
        r.sheets = static_cast<int>(sheets.size());
        r.lastLength = sheets.empty() ? 0 : sheets.back().length;
        return r;
    }

    double scale() const { return scale_; }
    const Shape& shape(int part, int turn) const {
        return parts_[static_cast<std::size_t>(part)].shapes[static_cast<std::size_t>(turn)];
    }

private:
    struct Sheet {
        std::vector<Placed> placed;
        std::vector<char> failed; // by shape: found no room once, so never again
        cl::cInt length = 0;
    };

    struct Candidate {
        bool found = false;
        cl::cInt far = 0, low = 0; // far edge along, low edge across
        int turn = 0;
        cl::IntPoint at;

        bool betterThan(const Candidate& o) const {
            if (!found || !o.found) {
                return found && !o.found;
            }
            return far != o.far ? far < o.far : low < o.low;
        }
    };

    std::size_t shapeIndex(int part, int turn) const {
        return static_cast<std::size_t>(firstShape_[static_cast<std::size_t>(part)]) +
               static_cast<std::size_t>(turn);
    }

    const cl::Paths& nfp(const Placed& fixed, int part, int turn) {
        const std::size_t key = shapeIndex(fixed.part, fixed.turn) * shapeCount_ + shapeIndex(part, turn);
        auto it = nfps_.find(key);
        if (it == nfps_.end()) {
            it = nfps_.emplace(key, NoFitPolygon(shape(fixed.part, fixed.turn).inflated,
                                                 shape(part, turn).moving))
                     .first;
        }
        return it->second;
    }

    // The best place on one sheet for one turn of a part.
    Candidate bestAt(Sheet& sheet, int part, int turn) {
        Candidate best;
        const std::size_t si = shapeIndex(part, turn);
        if (!fits(part, turn) || (!sheet.failed.empty() && sheet.failed[si])) {
            return best;
        }
        const Shape& s = shape(part, turn);
        // Where the part's origin may go with its box inside the usable sheet.
        const cl::cInt x0 = margin_ - s.box.left;
        // Beyond twice the gap past the farthest part every place is free, and
        // none of them is better than the nearest; a coil stops there too.
        const cl::cInt open = sheet.length + 2 * gap_ + 4 * kSlackUnits - s.box.left;
        const cl::cInt x1 = std::max(x0, std::min(along_ - margin_ - s.box.right, open));
        const cl::cInt y0 = margin_ - s.box.top, y1 = across_ - margin_ - s.box.bottom;
        auto consider = [&](cl::IntPoint p) {
            Candidate c;
            c.found = true;
            c.far = p.X + s.box.right;
            c.low = p.Y + s.box.top;
            c.turn = turn;
            c.at = p;
            if (c.betterThan(best)) {
                best = c;
            }
        };
        if (sheet.placed.empty()) {
            consider({x0, y0});
            return best;
        }
        cl::Clipper c;
        const cl::cInt e = kSlackUnits;
        const cl::Path fit{{x0 - e, y0 - e}, {x1 + e, y0 - e}, {x1 + e, y1 + e}, {x0 - e, y1 + e}};
        c.AddPath(fit, cl::ptSubject, true);
        for (const Placed& p : sheet.placed) {
            const Shape& f = shape(p.part, p.turn);
            // Skip fixed parts that cannot reach the fit rectangle at all.
            const cl::IntRect& fb = f.box;
            const cl::IntRect& mb = s.box;
            const cl::cInt reach = 2 * (gap_ + 4 * kSlackUnits);
            if (p.at.X + fb.right + reach < x0 + mb.left || p.at.X + fb.left - reach > x1 + mb.right ||
                p.at.Y + fb.bottom + reach < y0 + mb.top || p.at.Y + fb.top - reach > y1 + mb.bottom) {
                continue;
            }
            for (cl::Path q : nfp(p, part, turn)) {
                for (cl::IntPoint& v : q) {
                    v.X += p.at.X;
                    v.Y += p.at.Y;
                }
                c.AddPath(q, cl::ptClip, true);
            }
        }
        cl::Paths free;
        c.Execute(cl::ctDifference, free, cl::pftNonZero, cl::pftPositive);
        for (const cl::Path& poly : free) {
            for (const cl::IntPoint& v : poly) {
                consider({std::clamp(v.X, x0, x1), std::clamp(v.Y, y0, y1)});
            }
        }
        if (!best.found) {
            if (sheet.failed.empty()) {
                sheet.failed.assign(shapeCount_, 0);
            }
            sheet.failed[si] = 1;
        }
        return best;
    }

    bool place(Sheet& sheet, const Gene& g, int sheetIndex, Result& r) {
        Candidate best;
        const int turns = static_cast<int>(parts_[static_cast<std::size_t>(g.part)].shapes.size());
        for (int t = 0; t < turns; ++t) {
            if (g.turn >= 0 && g.turn != t) {
                continue;
            }
            const Candidate c = bestAt(sheet, g.part, t);
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

    std::vector<PartData> parts_;
    double scale_;
    cl::cInt along_, across_, margin_, gap_;
    std::vector<int> firstShape_;
    std::size_t shapeCount_ = 0;
    std::unordered_map<std::size_t, cl::Paths> nfps_;
};

bool Finite(double v) { return std::isfinite(v); }

cl::cInt Units(double mm, double scale) { return static_cast<cl::cInt>(std::llround(mm * scale)); }

} // namespace

Layout Nest(const std::vector<Part>& parts, const Stock& stock, const Options& options,
            const Progress& progress) {
    const auto start = Clock::now();
    Layout out;
    if (!(Finite(stock.width) && stock.width > 0 && (stock.coil || (Finite(stock.length) && stock.length > 0)))) {
        out.fault = NestFault::BadStock;
        return out;
    }
    if (!(Finite(options.gap) && options.gap >= 0 && Finite(options.margin) && options.margin >= 0) ||
        options.rotations.empty() ||
        std::any_of(options.rotations.begin(), options.rotations.end(), [](double r) { return !Finite(r); })) {
        out.fault = NestFault::BadOptions;
        return out;
    }
    // Validate the parts and find the size that sets the integer scale.
    double biggest = stock.width;
    double along = 0; // a coil's length: every part end to end, with room to spare
    long long copies = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& p = parts[i];
        const bool finite = std::all_of(p.outline.begin(), p.outline.end(),
                                        [](Vec v) { return Finite(v.x) && Finite(v.y); });
        if (p.quantity < 0 || p.outline.size() < 3 || !finite || !(std::abs(OutlineArea(p.outline)) > 0)) {
            out.fault = NestFault::BadPart;
            out.faultPart = static_cast<int>(i);
            return out;
        }
        double r = 0;
        for (const Vec& v : p.outline) {
            r = std::max(r, std::hypot(v.x, v.y));
        }
        biggest = std::max(biggest, 2 * r);
        along += p.quantity * (2 * r + options.gap);
        copies += p.quantity;
    }
    if (copies == 0) {
        out.fault = NestFault::NoParts;
        return out;
    }
    if (!stock.coil) {
        biggest = std::max(biggest, stock.length);
        along = stock.length;
    } else {
        along += 2 * options.margin;
    }
    // Ten to a hundred million units across the larger of sheet and part: fine
    // enough that the rounding is far below any workshop tolerance, coarse
    // enough that Clipper stays on its fast 64-bit arithmetic.
    // A power of ten, so that sizes given in decimals (a sheet of 1250, a
    // part of 612.5) stay exact and parts that fit exactly still fit.
    const double scale = std::pow(10.0, std::ceil(std::log10(1e7 / std::max(biggest, options.gap + options.margin))));
    const cl::cInt gapUnits = Units(options.gap, scale);

    std::vector<PartData> data(parts.size());
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& p = parts[i];
        for (double r : options.rotations) {
            Shape s;
            s.angle = r;
            for (const Vec& v : p.outline) {
                const Vec t = Turn(v, r);
                s.outline.emplace_back(Units(t.x, scale), Units(t.y, scale));
            }
            cl::CleanPolygon(s.outline, 1.0);
            if (!cl::Orientation(s.outline)) {
                cl::ReversePath(s.outline);
            }
            if (s.outline.size() < 3) {
                out.fault = NestFault::BadPart;
                out.faultPart = static_cast<int>(i);
                return out;
            }
            s.box = BoxOf(s.outline);
            const auto grown = [&](double by) {
                cl::ClipperOffset grow(2.0);
                grow.AddPath(s.outline, cl::jtMiter, cl::etClosedPolygon);
                cl::Paths paths;
                grow.Execute(paths, by);
                cl::Path g = Largest(paths);
                return g.size() >= 3 ? g : s.outline;
            };
            s.inflated = grown(static_cast<double>(gapUnits) / 2);
            s.moving = grown(static_cast<double>(gapUnits) / 2 - static_cast<double>(kSlackUnits));
            data[i].shapes.push_back(std::move(s));
        }
        data[i].area = std::abs(OutlineArea(p.outline));
    }

    Engine engine(std::move(data), scale, Units(along, scale), Units(stock.width, scale),
                  Units(options.margin, scale), gapUnits);
    std::vector<Engine::Gene> genes;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        bool any = false;
        for (std::size_t t = 0; t < options.rotations.size(); ++t) {
            any = any || engine.fits(static_cast<int>(i), static_cast<int>(t));
        }
        if (parts[i].quantity > 0 && !any) {
            out.fault = NestFault::PartTooLarge;
            out.faultPart = static_cast<int>(i);
            return out;
        }
        for (int c = 0; c < parts[i].quantity; ++c) {
            genes.push_back({static_cast<int>(i), -1});
        }
    }
    // Large parts first, so that the small ones fill what they leave: by
    // area, and by the longer side of the box, whichever lays out better.
    const auto longest = [&](int part) {
        const Shape& s = engine.shape(part, 0);
        return std::max(s.box.right - s.box.left, s.box.bottom - s.box.top);
    };
    std::vector<Engine::Gene> byLength = genes;
    std::stable_sort(genes.begin(), genes.end(), [&](const Engine::Gene& a, const Engine::Gene& b) {
        return std::abs(OutlineArea(parts[static_cast<std::size_t>(a.part)].outline)) >
               std::abs(OutlineArea(parts[static_cast<std::size_t>(b.part)].outline));
    });
    std::stable_sort(byLength.begin(), byLength.end(),
                     [&](const Engine::Gene& a, const Engine::Gene& b) { return longest(a.part) > longest(b.part); });
    Engine::Result best = engine.decode(genes);
    if (const Engine::Result other = engine.decode(byLength); other.betterThan(best)) {
        best = other;
        genes = std::move(byLength);
    }
    Engine::Result current = best;
    std::vector<Engine::Gene> currentGenes = genes;
    std::mt19937_64 rng(options.seed);
    const int turns = static_cast<int>(options.rotations.size());
    const std::size_t n = genes.size();
    const auto pick = [&](std::size_t bound) { return static_cast<std::size_t>(rng() % bound); };
    // One random change of the order or of a turn; returns the first gene it changes.
    const auto mutate = [&](std::vector<Engine::Gene>& trial) {
        const auto kind = rng() % 4;
        std::size_t first = 0;
        if (n > 1 && kind < 2) {
            // Swap two copies, mostly near each other in the order.
            const std::size_t i = pick(n);
            const std::size_t reach = kind == 0 ? std::min<std::size_t>(n - 1, 4) : n - 1;
            const std::size_t j = (i + 1 + pick(reach)) % n;
            std::swap(trial[i], trial[j]);
            first = std::min(i, j);
        } else if (n > 1 && kind == 2) {
            // Move one copy to another place in the order.
            const std::size_t i = pick(n), j = pick(n);
            const Engine::Gene g = trial[i];
            trial.erase(trial.begin() + static_cast<std::ptrdiff_t>(i));
            trial.insert(trial.begin() + static_cast<std::ptrdiff_t>(j), g);
            first = std::min(i, j);
        } else {
            // Hold one copy to one turn, or free it again.
            const std::size_t i = pick(n);
            const int t = static_cast<int>(rng() % static_cast<unsigned>(turns + 1)) - 1;
            trial[i].turn = t >= 0 && engine.fits(trial[i].part, t) ? t : -1;
            first = i;
        }
        return first;
    };
    int done = 0;
    for (; done < options.iterations; ++done) {
        if (options.timeLimit > 0 &&
            std::chrono::duration<double>(Clock::now() - start).count() > options.timeLimit) {
            out.stopped = true;
            break;
        }
        if (progress && !progress(done, options.iterations)) {
            out.stopped = true;
            break;
        }
        std::vector<Engine::Gene> trial = currentGenes;
        std::size_t first = mutate(trial);
        while (first < n && trial[first].part == currentGenes[first].part &&
               trial[first].turn == currentGenes[first].turn) {
            ++first;
        }
        if (first == n) {
            continue; // the same order as before: nothing to try
        }
        const Engine::Result r = engine.decode(trial, &current, first);
        // Descent that also takes sideways steps. On sample strip instances
        // it did better than late acceptance, than a coil searched a little
        // too short, and than restarts from the best order shaken.
        if (!current.betterThan(r)) {
            current = r;
            currentGenes = std::move(trial);
            if (r.betterThan(best)) {
                best = r;
            }
        }
    }
    if (progress && !out.stopped) {
        progress(done, options.iterations);
    }
    out.iterationsDone = done;
    if (best.unplaced > 0) {
        out.fault = NestFault::PartTooLarge;
        out.faultPart = best.firstUnplaced;
        return out;
    }

    // Copies numbered in the order the parts were given.
    std::vector<int> nextCopy(parts.size(), 0);
    std::vector<Placement> placements;
    for (const Engine::Placed& p : best.placed) {
        if (p.sheet < 0) {
            continue;
        }
        Placement pl;
        pl.part = p.part;
        pl.copy = nextCopy[static_cast<std::size_t>(p.part)]++;
        pl.sheet = p.sheet;
        pl.angle = engine.shape(p.part, p.turn).angle;
        pl.offset = {static_cast<double>(p.at.X) / scale, static_cast<double>(p.at.Y) / scale};
        placements.push_back(pl);
    }
    std::stable_sort(placements.begin(), placements.end(), [](const Placement& a, const Placement& b) {
        return a.sheet != b.sheet ? a.sheet < b.sheet : a.part != b.part ? a.part < b.part : a.copy < b.copy;
    });
    out.placements = std::move(placements);
    out.sheets = best.sheets;
    out.lastLength = static_cast<double>(best.lastLength) / scale;
    return out;
}

} // namespace kiv::nest
