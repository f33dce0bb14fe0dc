// The JSON object of one confirmed hood. Its keys are part of the command's
// interface (README, "kiv calc --json"): add keys, never rename them.
#pragma once

#include "core/RaschetData.h"
#include "road/Road.h"

#include <nlohmann/json.hpp>

namespace kiv::cli {

// "type", "inputs" (the type's inputs by option name, numbers), "B1_mm",
// "B2_mm", "blank_area_mm2", "pattern_area_mm2", "blank_mass_kg" and
// "pattern_mass_kg" (each {"steel", "aluminium", "copper"}), "radii_mm"
// ({"0-1", "0-4", "1-2", "4-2", "2-3", "4-3"}), "checks_passed" (the drawing's
// checks, by name); for type 3 also "wire_allowance_mm", "wire_length_mm" and
// "growth_mm" ({"width", "length", "height"}).
nlohmann::ordered_json HoodJson(const RaschetData& d, int type, const Confirmation& c);

// {"steel", "aluminium", "copper"} from the three masses, times `factor`.
nlohmann::ordered_json Masses(const double (&mass)[3], double factor = 1);

} // namespace kiv::cli
