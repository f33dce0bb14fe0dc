// Nesting figures, printed, not timed as a test:
//  - the ESICUP strip-packing instances (density per instance and the mean),
//    the engine against libnest2d on convex hulls;
//  - orders of 10, 50 and 200 mixed hoods on 1250 x 2500 sheets: sheets used
//    against the area lower bound, the rectangular blanks and libnest2d;
//  - the time to the first valid layout of 100 hoods.
// Every layout goes through the independent validator of the tests.
//
//   kiv_bench_nest [--data DIR] [--time SECONDS] [--steps N] [--only NAME] [--no-esicup]
//                  [--no-hoods] [--no-baseline] [--baseline-only]
// (--steps: at most N improvement steps per ESICUP instance, with the
// processor time they took: a comparison that a loaded machine does not skew)
// (--baseline-only: the ESICUP rows of libnest2d, the engine's first layout beside them)
#ifdef KIV_HAVE_LIBNEST2D
#include "bench/nest_baseline.h"
#endif
#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "nest/DrawingParts.h"
#include "nest/Nest.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/nest_check.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#ifndef KIV_NESTING_DATA
#define KIV_NESTING_DATA "../shared/nesting"
#endif

namespace {

using namespace kiv;
using Clock = std::chrono::steady_clock;

struct Instance {
    std::string name;
    double width = 0;
    std::vector<nest::Part> parts;
    std::vector<double> rotations;
};

bool Load(const std::filesystem::path& file, Instance& out, std::string& why) {
    std::ifstream in(file);
    if (!in) {
        why = "cannot open " + file.string();
        return false;
    }
    try {
        const nlohmann::json j = nlohmann::json::parse(in);
        out.name = j.at("name").get<std::string>();
        out.width = j.at("strip_height").get<double>();
        for (const auto& item : j.at("items")) {
            nest::Part p;
            p.name = std::to_string(item.at("id").get<int>());
            p.quantity = item.at("demand").get<int>();
            for (const auto& v : item.at("shape").at("data")) {
                p.outline.push_back({v.at(0).get<double>(), v.at(1).get<double>()});
            }
            // The files close each outline by repeating its first vertex.
            if (p.outline.size() > 1 && p.outline.front().x == p.outline.back().x &&
                p.outline.front().y == p.outline.back().y) {
                p.outline.pop_back();
            }
            const auto turns = item.at("allowed_orientations").get<std::vector<double>>();
            if (!out.rotations.empty() && turns != out.rotations) {
                why = "items with different turns";
                return false;
            }
            out.rotations = turns;
            out.parts.push_back(std::move(p));
        }
    } catch (const std::exception& e) {
        why = e.what();
        return false;
    }
    return true;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

double TotalArea(const std::vector<nest::Part>& parts) {
    double a = 0;
    for (const nest::Part& p : parts) {
        a += std::abs(nest::OutlineArea(p.outline)) * p.quantity;
    }
    return a;
}

const char* Verdict(const std::vector<nest::Part>& parts, const std::vector<nest::Placement>& placements,
                    int sheets, const nest::Stock& stock, const nest::Options& options) {
    nest::Layout l;
    l.placements = placements;
    l.sheets = sheets;
    const std::vector<std::string> faults = test::CheckLayout(parts, l, stock, options);
    for (std::size_t i = 0; i < faults.size() && i < 3; ++i) {
        std::fprintf(stderr, "    %s\n", faults[i].c_str());
    }
    return faults.empty() ? "valid" : "INVALID";
}

void Esicup(const std::filesystem::path& dir, double seconds, int steps, const std::string& only, bool engine,
            bool baseline) {
    std::vector<std::filesystem::path> files;
    for (const auto& e : std::filesystem::directory_iterator(dir / "esicup")) {
        if (e.path().extension() == ".json") {
            files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    std::printf("ESICUP strip packing, %.0f s per instance (engine), the same for libnest2d on hulls\n", seconds);
    std::printf("%-10s %5s %9s %8s %7s %7s | %9s %7s\n", "instance", "parts", "density", "steps", "cpu, s",
                "check", "libnest2d", "check");
    double sum = 0, sumBase = 0;
    int count = 0, countBase = 0;
    for (const auto& f : files) {
        Instance inst;
        std::string why;
        if (!Load(f, inst, why)) {
            std::printf("%s: %s\n", f.filename().c_str(), why.c_str());
            continue;
        }
        if (!only.empty() && inst.name != only) {
            continue;
        }
        nest::Options o;
        o.gap = 0;
        o.margin = 0;
        o.rotations = inst.rotations;
        o.iterations = steps;
        o.timeLimit = seconds;
        const nest::Stock coil{inst.width, 0, true};
        nest::Options run = o;
        if (!engine) {
            run.iterations = 0; // the first layout only, to have a row
        }
        const std::clock_t cpu = std::clock();
        const nest::Layout l = nest::Nest(inst.parts, coil, run);
        const double used = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
        if (l.fault != nest::NestFault::None) {
            std::printf("%-10s fault %d\n", inst.name.c_str(), static_cast<int>(l.fault));
            continue;
        }
        const double area = TotalArea(inst.parts);
        const double density = area / (inst.width * l.lastLength);
        int copies = 0;
        for (const auto& p : inst.parts) {
            copies += p.quantity;
        }
        std::printf("%-10s %5d %8.2f%% %8d %7.1f %7s |", inst.name.c_str(), copies, 100 * density,
                    l.iterationsDone, used, Verdict(inst.parts, l.placements, l.sheets, coil, o));
        sum += density;
        ++count;
#ifdef KIV_HAVE_LIBNEST2D
        if (baseline) {
            std::fflush(stdout);
            const bench::BaselineLayout b = bench::Libnest2dStrip(inst.parts, inst.width, o, seconds);
            if (b.complete) {
                const double d = area / (inst.width * b.lastLength);
                std::printf(" %8.2f%% %7s", 100 * d, Verdict(inst.parts, b.placements, b.sheets, coil, o));
                sumBase += d;
                ++countBase;
            } else {
                std::printf(" %9s", "no layout");
            }
        }
#endif
        std::printf("\n");
        std::fflush(stdout);
    }
    if (count > 0) {
        std::printf("%-10s %5s %8.2f%% %8s %7s %7s |", "mean", "", 100 * sum / count, "", "", "");
        if (countBase > 0) {
            std::printf(" %8.2f%% (of %d)", 100 * sumBase / countBase, countBase);
        }
        std::printf("\n\n");
    }
}

// A pool of hoods of mixed types and sizes, each fitting the sheet.
std::vector<std::pair<ShopDrawing, BlankSummary>> HoodPool(int count) {
    std::mt19937 rng(2026);
    std::uniform_real_distribution<double> h(80, 400), l1(150, 600), l2(0, 500);
    std::vector<std::pair<ShopDrawing, BlankSummary>> pool;
    while (static_cast<int>(pool.size()) < count) {
        const int type = 1 + static_cast<int>(pool.size() % 3);
        const double a = std::round(l1(rng)), b = std::round(a + l2(rng));
        RaschetData d = test::Hood(std::round(h(rng)), a, b);
        const CalcResult r = Calculate(d, type);
        if (r.status != CalcStatus::Ok || std::max(r.summary.B1, r.summary.B2) > 2400 ||
            std::min(r.summary.B1, r.summary.B2) > 1200) {
            continue;
        }
        pool.emplace_back(ShopDrawingOf(d, type), r.summary);
    }
    return pool;
}

void Hoods(double seconds, bool baseline) {
    const auto pool = HoodPool(12);
    const nest::Stock sheet{1250, 2500, false};
    nest::Options o; // gap 5, margin 10, quarter turns
    o.iterations = INT_MAX;
    o.timeLimit = seconds;
    const double usable = (sheet.width - 2 * o.margin) * (sheet.length - 2 * o.margin);
    std::printf("Hood orders on %.0f x %.0f sheets, gap %.0f, margin %.0f, %.0f s each (blanks a quarter, "
                "libnest2d up to five times that)\n",
                sheet.width, sheet.length, o.gap, o.margin, seconds);
    std::printf("%6s %10s %8s %14s %8s %8s %11s %10s\n", "hoods", "lower bound", "nested", "material, m2",
                "check", "blanks", "libnest2d", "less metal");
    for (int n : {10, 50, 200}) {
        std::vector<nest::Part> parts, blanks;
        for (std::size_t i = 0; i < pool.size(); ++i) {
            const int q = n / static_cast<int>(pool.size()) + (static_cast<int>(i) < n % static_cast<int>(pool.size()));
            parts.push_back(nest::PartOf(pool[i].first, "hood " + std::to_string(i + 1), q));
            const double w = pool[i].second.B1, hgt = pool[i].second.B2;
            blanks.push_back({"blank", {{-w / 2, 0}, {w / 2, 0}, {w / 2, hgt}, {-w / 2, hgt}}, q});
        }
        const double area = TotalArea(parts);
        const int bound = static_cast<int>(std::ceil(area / usable - 1e-9));
        const nest::Layout l = nest::Nest(parts, sheet, o);
        const auto material = [&](int sheets, double last) {
            return ((sheets - 1) * sheet.length + last) * sheet.width / 1e6;
        };
        const double mine = material(l.sheets, l.lastLength);
        nest::Options ob = o;
        ob.timeLimit = seconds / 4;
        const nest::Layout lb = nest::Nest(blanks, sheet, ob);
        std::printf("%6d %10d %8d %14.2f %8s %8d", n, bound, l.sheets, mine,
                    Verdict(parts, l.placements, l.sheets, sheet, o), lb.sheets);
#ifdef KIV_HAVE_LIBNEST2D
        if (baseline) {
            std::fflush(stdout);
            const bench::BaselineLayout b = bench::Libnest2dOnHulls(parts, sheet, 0, o, 5 * seconds);
            if (b.complete) {
                const double theirs = material(b.sheets, b.lastLength);
                std::printf(" %4d %6s %9.1f%%", b.sheets, Verdict(parts, b.placements, b.sheets, sheet, o),
                            100 * (1 - mine / theirs));
            } else {
                std::printf(" %11s", "no layout");
            }
        }
#endif
        std::printf("\n");
        std::fflush(stdout);
    }
    // The first layout alone: the sorted order, no search.
    std::vector<nest::Part> hundred;
    for (std::size_t i = 0; i < pool.size(); ++i) {
        hundred.push_back(nest::PartOf(pool[i].first, "hood", 100 / 12 + (i < 100 % 12)));
    }
    nest::Options first = o;
    first.iterations = 0;
    first.timeLimit = 0;
    const auto start = Clock::now();
    const std::clock_t cpu = std::clock();
    const nest::Layout l = nest::Nest(hundred, sheet, first);
    const double t = Seconds(start);
    const double used = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    std::printf("first layout of 100 hoods: %.3f s (%.3f s of processor time), %d sheets, %s\n\n", t, used, l.sheets,
                Verdict(hundred, l.placements, l.sheets, sheet, first));
}

} // namespace

int main(int argc, char** argv) {
    std::filesystem::path data = KIV_NESTING_DATA;
    double seconds = 5;
    int steps = INT_MAX;
    std::string only;
    bool esicup = true, hoods = true, baseline = true, engine = true;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--data" && i + 1 < argc) {
            data = argv[++i];
        } else if (a == "--time" && i + 1 < argc) {
            seconds = std::atof(argv[++i]);
        } else if (a == "--steps" && i + 1 < argc) {
            steps = std::atoi(argv[++i]);
        } else if (a == "--only" && i + 1 < argc) {
            only = argv[++i];
        } else if (a == "--no-esicup") {
            esicup = false;
        } else if (a == "--no-hoods") {
            hoods = false;
        } else if (a == "--no-baseline") {
            baseline = false;
        } else if (a == "--baseline-only") {
            engine = false;
        } else {
            std::fprintf(stderr,
                         "usage: %s [--data DIR] [--time SECONDS] [--steps N] [--only NAME] [--no-esicup] "
                         "[--no-hoods] [--no-baseline] [--baseline-only]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!(seconds > 0)) {
        std::fprintf(stderr, "--time wants a positive number of seconds\n");
        return 2;
    }
    if (esicup) {
        if (!std::filesystem::is_directory(data / "esicup")) {
            std::fprintf(stderr, "no instances in %s/esicup (give --data DIR)\n", data.c_str());
            return 1;
        }
        Esicup(data, seconds, steps, only, engine, baseline);
    }
    if (hoods) {
        Hoods(seconds, baseline);
    }
    return 0;
}
