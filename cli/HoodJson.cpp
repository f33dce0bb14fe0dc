#include "cli/HoodJson.h"

#include "cli/Common.h"
#include "core/Geometry.h"
#include "core/PatternType.h"

namespace kiv::cli {

nlohmann::ordered_json Masses(const double (&mass)[3], double factor) {
    return {{"steel", mass[0] * factor},
            {"aluminium", mass[1] * factor},
            {"copper", mass[2] * factor}};
}

nlohmann::ordered_json HoodJson(const RaschetData& d, int type, const Confirmation& c) {
    const BlankSummary& s = c.report.blank;
    nlohmann::ordered_json inputs = nlohmann::ordered_json::object();
    for (Input in : ValidatorsFor(type)) {
        // "--L1" is "L1", "-H" is "H".
        std::string name = OptionOfInput(in);
        inputs[name.substr(name.find_first_not_of('-'))] = Field(d, in);
    }
    nlohmann::ordered_json j = {
        {"type", type},
        {"inputs", inputs},
        {"B1_mm", s.B1},
        {"B2_mm", s.B2},
        {"blank_area_mm2", s.blankArea},
        {"pattern_area_mm2", s.patternArea},
        {"blank_mass_kg", Masses(s.blankMass)},
        {"pattern_mass_kg", Masses(s.patternMass)},
        {"radii_mm",
         {{"0-1", d.L2 / 2},
          {"0-4", d.R04},
          {"1-2", d.L1},
          {"4-2", d.R42},
          {"2-3", d.L2 / 2},
          {"4-3", d.R04}}},
        // Confirmed means the drawing passed every one of them.
        {"checks_passed",
         {"finite", "no_zero_length_edge", "slit_on_axis", "not_self_crossing",
          "extents_are_blank"}},
    };
    if (PatternTypeOf(type) == PatternType::SeamAndWire) {
        j["wire_allowance_mm"] = WireBandWidth(d.AllD);
        j["wire_length_mm"] = WireLength(d);
        j["growth_mm"] = {{"width", s.widen}, {"length", s.lengthen}, {"height", s.heighten}};
    }
    return j;
}

} // namespace kiv::cli
