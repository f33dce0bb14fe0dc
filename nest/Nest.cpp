// The nesting call: checks the order, sets the integer scale, builds every
// part's turns and hands them to the search; the layout back in millimetres.
#include "nest/Nest.h"

#include "nest/Compact.h"
#include "nest/Separate.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <tuple>

namespace kiv::nest {

namespace {

using detail::Decoder;

bool Finite(double v) { return std::isfinite(v); }

detail::cl::cInt Units(double mm, double scale) { return static_cast<detail::cl::cInt>(std::llround(mm * scale)); }

bool GoodSettings(const Stock& stock, const Options& options, Layout& out) {
    if (!(Finite(stock.width) && stock.width > 0 && (stock.coil || (Finite(stock.length) && stock.length > 0)))) {
        out.fault = NestFault::BadStock;
        return false;
    }
    if (!(Finite(options.gap) && options.gap >= 0 && Finite(options.margin) && options.margin >= 0) ||
        options.rotations.empty() || options.rotations.size() > kMostTurns ||
        std::any_of(options.rotations.begin(), options.rotations.end(), [](double r) { return !Finite(r); })) {
        out.fault = NestFault::BadOptions;
        return false;
    }
    return true;
}

// The size that sets the scale and the length of a sheet (of a coil: every
// part end to end, with room to spare); false on a bad part or no copies.
bool Measure(const std::vector<Part>& parts, const Stock& stock, const Options& options, double& biggest,
             double& along, Layout& out) {
    biggest = stock.width;
    along = 0;
    long long copies = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const Part& p = parts[i];
        const bool finite =
            std::all_of(p.outline.begin(), p.outline.end(), [](Vec v) { return Finite(v.x) && Finite(v.y); });
        if (p.quantity < 0 || p.outline.size() < 3 || !finite || !(std::abs(OutlineArea(p.outline)) > 0)) {
            out.fault = NestFault::BadPart;
            out.faultPart = static_cast<int>(i);
            return false;
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
        return false;
    }
    if (stock.coil) {
        along += 2 * options.margin;
    } else {
        biggest = std::max(biggest, stock.length);
        along = stock.length;
    }
    return true;
}

bool BuildParts(const std::vector<Part>& parts, const Options& options, double scale, const detail::Budget& budget,
                std::vector<detail::PartData>& data, Layout& out) {
    data.assign(parts.size(), {});
    for (std::size_t i = 0; i < parts.size(); ++i) {
        for (double r : options.rotations) {
            if (budget.spent()) {
                out.fault = NestFault::OutOfTime;
                return false;
            }
            detail::Shape s;
            if (!detail::MakeShape(parts[i].outline, r, scale, Units(options.gap, scale), s)) {
                out.fault = NestFault::BadPart;
                out.faultPart = static_cast<int>(i);
                return false;
            }
            data[i].shapes.push_back(std::move(s));
        }
        data[i].area = std::abs(OutlineArea(parts[i].outline));
    }
    return true;
}

// Every copy once, in the order given; false names a part no turn fits.
bool Copies(const std::vector<Part>& parts, const Decoder& decoder, std::vector<Decoder::Gene>& genes,
            Layout& out) {
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const int part = static_cast<int>(i);
        bool any = false;
        for (int t = 0; t < decoder.turns(part); ++t) {
            any = any || decoder.fits(part, t);
        }
        if (parts[i].quantity > 0 && !any) {
            out.fault = NestFault::PartTooLarge;
            out.faultPart = part;
            return false;
        }
        genes.insert(genes.end(), static_cast<std::size_t>(parts[i].quantity), Decoder::Gene{part, -1});
    }
    return true;
}

// Copies numbered in the order the parts were given, sorted by sheet.
void Report(const Decoder& decoder, const Decoder::Result& best, std::size_t partCount, double scale,
            Layout& out) {
    std::vector<int> nextCopy(partCount, 0);
    for (const Decoder::Placed& p : best.placed) {
        Placement pl;
        pl.part = p.part;
        pl.copy = nextCopy[static_cast<std::size_t>(p.part)]++;
        pl.sheet = p.sheet;
        pl.angle = decoder.shape(p.part, p.turn).angle;
        pl.offset = {static_cast<double>(p.at.X) / scale, static_cast<double>(p.at.Y) / scale};
        out.placements.push_back(pl);
    }
    std::stable_sort(out.placements.begin(), out.placements.end(), [](const Placement& a, const Placement& b) {
        return a.sheet != b.sheet ? a.sheet < b.sheet : a.part != b.part ? a.part < b.part : a.copy < b.copy;
    });
    out.sheets = best.sheets;
    out.lastLength = static_cast<double>(best.lastLength) / scale;
}

} // namespace

Layout Nest(const std::vector<Part>& parts, const Stock& stock, const Options& options, const Progress& progress,
            const Stop& stop) {
    const auto start = detail::Clock::now();
    Layout out;
    double biggest = 0, along = 0;
    if (!GoodSettings(stock, options, out) || !Measure(parts, stock, options, biggest, along, out)) {
        return out;
    }
    // Ten to a hundred million units across the larger of sheet and part: fine
    // enough that the rounding is far below any workshop tolerance, coarse
    // enough that Clipper stays on its fast 64-bit arithmetic.
    // A power of ten, so that sizes given in decimals (a sheet of 1250, a
    // part of 612.5) stay exact and parts that fit exactly still fit.
    const double scale = std::pow(10.0, std::ceil(std::log10(1e7 / std::max(biggest, options.gap + options.margin))));
    const auto seconds = [](double s) {
        return std::chrono::duration_cast<detail::Clock::duration>(std::chrono::duration<double>(std::max(s, 0.0)));
    };
    const double hard = options.hardLimit > 0 ? options.hardLimit : options.timeLimit;
    // The caller's stop ends every phase, the first layout included; the time
    // cap of a phase only that one.
    bool cancelled = false;
    const detail::Budget budget(hard > 0, start + seconds(hard),
                                stop ? std::function<bool()>([&] { return cancelled = cancelled || stop(); })
                                     : std::function<bool()>());
    std::vector<detail::PartData> data;
    if (!BuildParts(parts, options, scale, budget, data, out)) {
        if (cancelled) {
            out.fault = NestFault::Stopped;
            out.stopped = true;
        }
        return out;
    }
    Decoder decoder(std::move(data), Units(along, scale), Units(stock.width, scale), Units(options.margin, scale),
                    Units(options.gap, scale));
    decoder.watch(budget);
    std::vector<Decoder::Gene> genes;
    if (!Copies(parts, decoder, genes, out)) {
        return out;
    }
    // The steps and the time in three: two fifths for the order, two fifths
    // for undoing overlaps on a shorter last sheet, the rest for lifting and
    // putting back its parts. On sample strips the order's search stops
    // gaining long before its time is up, and the overlaps find the most.
    const int searchSteps = options.iterations / 5 * 2;
    const int separateSteps = searchSteps;
    const int compactSteps = options.iterations - searchSteps - separateSteps;
    const auto cap = seconds(options.timeLimit);
    Progress watch;
    if (progress) {
        watch = [&](int done, int planned) { return !(cancelled = cancelled || !progress(done, planned)); };
    }
    detail::SearchRun run = detail::Search(decoder, std::move(genes), options, searchSteps, start + cap * 2 / 5, watch);
    detail::CompactRun later;
    for (const auto& [phase, steps, until] : {std::tuple{&detail::Separate, separateSteps, cap * 4 / 5},
                                              std::tuple{&detail::Compact, compactSteps, cap}}) {
        if (!cancelled) {
            const detail::CompactRun r = phase(decoder, run.best, options, steps, run.done + later.done, start + until,
                                               watch);
            later.done += r.done;
            later.stopped = later.stopped || r.stopped;
        }
    }
    out.iterationsDone = run.done + later.done;
    out.stopped = run.stopped || later.stopped;
    if (run.best.cut) {
        // No whole layout: the caller stopped the run, or its time ran out.
        out.fault = cancelled ? NestFault::Stopped : NestFault::OutOfTime;
        return out;
    }
    if (progress && !out.stopped) {
        progress(out.iterationsDone, options.iterations);
    }
    if (run.best.unplaced > 0) {
        out.fault = NestFault::PartTooLarge;
        out.faultPart = run.best.firstUnplaced;
        return out;
    }
    Report(decoder, run.best, parts.size(), scale, out);
    return out;
}

} // namespace kiv::nest
