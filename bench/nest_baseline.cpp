#include "bench/nest_baseline.h"

#include <libnest2d/libnest2d.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>

namespace kiv::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Convex hull by the monotone chain, counter-clockwise.
std::vector<nest::Vec> Hull(std::vector<nest::Vec> p) {
    std::sort(p.begin(), p.end(), [](nest::Vec a, nest::Vec b) { return a.x != b.x ? a.x < b.x : a.y < b.y; });
    const auto cross = [](nest::Vec o, nest::Vec a, nest::Vec b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<nest::Vec> h(2 * p.size());
    std::size_t k = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0) {
            --k;
        }
        h[k++] = p[i];
    }
    for (std::size_t i = p.size() - 1, t = k + 1; i-- > 0;) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i]) <= 0) {
            --k;
        }
        h[k++] = p[i];
    }
    h.resize(k - 1);
    return h;
}

struct Run {
    std::vector<libnest2d::Item> items;
    std::vector<int> partOf;
    std::size_t bins = 0;
    bool complete = false;
};

// One libnest2d run of every copy's hull into bins of the given usable box.
Run NestOnce(const std::vector<nest::Part>& parts, double scale, double x0, double y0, double x1, double y1,
             const nest::Options& options, Clock::time_point deadline) {
    Run run;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::vector<nest::Vec> hull = Hull(parts[i].outline);
        ClipperLib::Path path;
        // libnest2d wants its outlines clockwise and closed.
        for (auto it = hull.rbegin(); it != hull.rend(); ++it) {
            path.emplace_back(static_cast<ClipperLib::cInt>(std::llround(it->x * scale)),
                              static_cast<ClipperLib::cInt>(std::llround(it->y * scale)));
        }
        {
            // libnest2d's own distance puts every part on a sheet of its own
            // (a bin of ten 600 x 400 plates with a 5 mm gap takes ten), so the
            // hulls come grown by half the gap, and by two units for its
            // rounding, and nest at distance zero.
            ClipperLib::ClipperOffset grow;
            grow.AddPath(path, ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
            ClipperLib::Paths grown;
            grow.Execute(grown, options.gap * scale / 2 + 2);
            path = grown.front();
            if (ClipperLib::Orientation(path)) {
                ClipperLib::ReversePath(path);
            }
        }
        path.push_back(path.front());
        for (int c = 0; c < parts[i].quantity; ++c) {
            run.items.emplace_back(path);
            run.partOf.push_back(static_cast<int>(i));
        }
    }
    libnest2d::NestConfig<libnest2d::NfpPlacer, libnest2d::FirstFitSelection> cfg;
    cfg.placer_config.rotations.clear();
    for (double r : options.rotations) {
        cfg.placer_config.rotations.emplace_back(r * libnest2d::Pi / 180);
    }
    cfg.placer_config.alignment = libnest2d::NfpPlacer::Config::Alignment::DONT_ALIGN;
    cfg.placer_config.starting_point = libnest2d::NfpPlacer::Config::Alignment::BOTTOM_LEFT;
    libnest2d::NestControl control;
    bool late = false;
    control.stopcond = [&] {
        late = late || Clock::now() > deadline;
        return late;
    };
    const libnest2d::Box bin({static_cast<ClipperLib::cInt>(std::llround(x0 * scale)),
                              static_cast<ClipperLib::cInt>(std::llround(y0 * scale))},
                             {static_cast<ClipperLib::cInt>(std::llround(x1 * scale)),
                              static_cast<ClipperLib::cInt>(std::llround(y1 * scale))});
    run.bins = libnest2d::nest(run.items, bin, 0, cfg, control);
    run.complete = !late && std::all_of(run.items.begin(), run.items.end(),
                                        [](const libnest2d::Item& it) { return it.binId() >= 0; });
    return run;
}

BaselineLayout LayoutOf(const Run& run, const std::vector<nest::Part>& parts, double scale) {
    BaselineLayout out;
    out.complete = run.complete;
    out.sheets = static_cast<int>(run.bins);
    std::vector<int> copies(parts.size(), 0);
    std::vector<double> length(run.bins, 0);
    for (std::size_t k = 0; k < run.items.size(); ++k) {
        const libnest2d::Item& it = run.items[k];
        if (it.binId() < 0) {
            continue;
        }
        nest::Placement p;
        p.part = run.partOf[k];
        p.copy = copies[static_cast<std::size_t>(p.part)]++;
        p.sheet = it.binId();
        p.angle = static_cast<double>(it.rotation()) * 180 / libnest2d::Pi;
        const auto t = it.translation();
        p.offset = {static_cast<double>(libnest2d::getX(t)) / scale, static_cast<double>(libnest2d::getY(t)) / scale};
        // Snap the angle to the allowed turn it stands for.
        p.angle = std::round(p.angle * 1e6) / 1e6;
        for (const nest::Vec& v : nest::PlaceOutline(parts[static_cast<std::size_t>(p.part)].outline, p)) {
            length[static_cast<std::size_t>(p.sheet)] = std::max(length[static_cast<std::size_t>(p.sheet)], v.x);
        }
        out.placements.push_back(p);
    }
    out.lastLength = length.empty() ? 0 : length.back();
    return out;
}

double ScaleFor(double size) { return 1e6 / size; }

} // namespace

BaselineLayout Libnest2dOnHulls(const std::vector<nest::Part>& parts, const nest::Stock& stock,
                                double stripLength, const nest::Options& options, double seconds) {
    const double length = stock.coil ? stripLength : stock.length;
    const double scale = ScaleFor(std::max(stock.width, length));
    // libnest2d lets a part touch the bin's edge; the hulls carry half the gap.
    const double e = options.margin - options.gap / 2 - 2 / scale;
    const Run run = NestOnce(parts, scale, e, e, length - e, stock.width - e, options,
                             Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                std::chrono::duration<double>(seconds)));
    return LayoutOf(run, parts, scale);
}

BaselineLayout Libnest2dStrip(const std::vector<nest::Part>& parts, double width, const nest::Options& options,
                              double seconds) {
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    double area = 0, longest = 0, total = 0;
    for (const nest::Part& p : parts) {
        double x0 = 1e300, x1 = -1e300;
        for (const nest::Vec& v : Hull(p.outline)) {
            x0 = std::min(x0, v.x);
            x1 = std::max(x1, v.x);
        }
        area += std::abs(nest::OutlineArea(p.outline)) * p.quantity;
        longest = std::max(longest, x1 - x0);
        total += (x1 - x0) * p.quantity;
    }
    double lo = std::max(area / width, longest), hi = std::max(total, lo) * 1.05;
    const double scale = ScaleFor(std::max(width, hi));
    BaselineLayout best;
    double tryLength = hi;
    while (Clock::now() < deadline && hi - lo > 0.002 * hi) {
        const Run run = NestOnce(parts, scale, -2 / scale, -2 / scale, tryLength, width + 2 / scale, options,
                                 deadline);
        if (run.complete && run.bins == 1) {
            best = LayoutOf(run, parts, scale);
            hi = std::min(best.lastLength, tryLength);
        } else if (run.complete) {
            lo = tryLength;
        } else {
            break; // out of time within the run
        }
        tryLength = (lo + hi) / 2;
    }
    return best;
}

} // namespace kiv::bench
