// Every hood the shape tests fold and check: the window's defaults, the edge
// hoods of the engine fixtures and seeded random hoods, each in every pattern
// type whose allowances fit, calculated and drawn.
#pragma once

#include "core/Calculation.h"
#include "export/ShopDrawing.h"
#include "shape/Checks.h"
#include "tests/support/engine_fixtures.h"
#include "tests/support/random_hood.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace kiv::test {

// Whether the drawing passed every check (and was checked at all).
inline bool AllPass(const std::vector<ShapeCheck>& checks) {
    return !checks.empty() &&
           std::all_of(checks.begin(), checks.end(), [](const ShapeCheck& c) { return c.ok; });
}

struct DrawnHood {
    std::string name;
    RaschetData data; // calculated
    ShopDrawing drawing;
};

// Built once per test program; the tests walk them all, naming each hood in
// their failures.
inline const std::vector<DrawnHood>& DrawnHoods() {
    static const std::vector<DrawnHood> hoods = [] {
        std::vector<DrawnHood> out;
        const auto add = [&](const std::string& name, const RaschetData& d0) {
            for (int type = 1; type <= 3; ++type) {
                RaschetData d = d0;
                if (Calculate(d, type).status == CalcStatus::Ok)
                    out.push_back(
                        {name + "Type" + std::to_string(type), d, ShopDrawingOf(d, type)});
            }
        };
        add("Defaults", Defaults());
        for (const EdgeHood& h : kEdgeHoods)
            add(h.name, h.data());
        // So flat that its faces span all but a rounding error of the full
        // turn round the apex.
        RaschetData flat = Hood(0.399003, 277453, 1.71394e8);
        flat.S = 0.1;
        add("NearlyFlat", flat);
        std::mt19937_64 rng(20261208);
        for (int i = 0; i < 60; ++i)
            add("Random" + std::to_string(i), RandomHood(rng));
        return out;
    }();
    return hoods;
}

} // namespace kiv::test
