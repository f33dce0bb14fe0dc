#include "road/Road.h"

#include "tests/support/default_scripts.h"
#include "tests/support/refusals.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kiv::Input;
using kiv::Outcome;
namespace refusal = kiv::test::refusal;

kiv::FieldTexts With(std::initializer_list<std::pair<Input, const char*>> changes) {
    kiv::FieldTexts texts;
    for (const auto& [in, text] : changes)
        texts[in] = text;
    return texts;
}

// The first refusal in the window's order, whatever else is wrong later on,
// and only the inputs of the confirmed type count.
TEST(Road, ReportsTheFirstRefusalInTheWindowsOrder) {
    const struct {
        const char* name;
        int type;
        kiv::FieldTexts texts;
        Outcome outcome;
        Input input;
        const char* text;
    } rows[] = {
        {"thin sheet before narrow hood", 1, With({{Input::S, "0.05"}, {Input::L1, "0"}}),
         Outcome::Refused, Input::S, refusal::kThickness},
        {"letters", 1, With({{Input::H, "1O0"}}), Outcome::Refused, Input::H,
         "'1O0' is not a valid floating point value."},
        {"beyond the double range", 2, With({{Input::L2, "1e400"}}), Outcome::Refused, Input::L2,
         "'1e400' is not a valid floating point value."},
        {"P2 is checked before P1", 2, With({{Input::FalthP1, "x"}, {Input::FalthP2, "1"}}),
         Outcome::Refused, Input::FalthP2, refusal::kAllowance},
        {"type 1 ignores the allowances", 1, With({{Input::FalthP1, "x"}, {Input::AllD, ""}}),
         Outcome::Confirmed, Input::S, ""},
        {"type 2 ignores the wire", 2, With({{Input::AllD, "99"}}), Outcome::Confirmed, Input::S,
         ""},
        {"wire too thick", 3, With({{Input::AllD, "10.5"}}), Outcome::Refused, Input::AllD,
         refusal::kMaxWire},
        {"allowances too wide for the hood", 2, With({{Input::FalthP1, "60"}}), Outcome::AllowancesDoNotFit,
         Input::S, ""},
        {"an allowance wider than any seam", 2, With({{Input::FalthP1, "300"}}), Outcome::Refused,
         Input::FalthP1, refusal::kMaxAllowance},
    };
    for (const auto& r : rows) {
        const kiv::RoadResult road = kiv::RunRoad(r.type, r.texts, "4133");
        const kiv::Confirmation& c = road.confirmation;
        EXPECT_EQ(c.outcome, r.outcome) << r.name;
        if (r.outcome == Outcome::Refused) {
            EXPECT_EQ(c.refusal.input, r.input) << r.name;
            EXPECT_EQ(kiv::RefusalText(c.refusal), r.text) << r.name;
        }
        // Nothing is produced for a hood that is not confirmed.
        EXPECT_EQ(road.outputs.script.empty(), true) << r.name;
    }
}

// The defaults give the scripts the window writes, and the other outputs on
// request only; the record the outputs came from is left as it was.
TEST(Road, DefaultHoodsGiveTheWindowsScriptsAndOutputsOnRequest) {
    const char* const names[] = {"", "200x400x100x0.5.scr", "200x400x100x0.5x3x2.scr",
                                 "200x400x100x0.5x3x2x2.scr"};
    for (int type = 1; type <= 3; ++type) {
        kiv::OutputRequest request;
        request.script = true;
        request.dxf = true;
        request.layout = true;
        request.date = "08.12.2026";
        const kiv::RoadResult road = kiv::RunRoad(type, kiv::FieldTexts(), "4133", request);
        ASSERT_EQ(road.confirmation.outcome, Outcome::Confirmed) << type;
        EXPECT_EQ(road.scriptName, names[type]);
        EXPECT_EQ(road.outputs.script,
                  kiv::test::Crlf(kiv::test::DefaultScriptLines(type, "4133")));
        EXPECT_NE(road.outputs.dxf.find("SECTION"), std::string::npos) << type;
        EXPECT_TRUE(road.outputs.fits);
        EXPECT_EQ(road.outputs.document.titleLines.back(), "Дата: 08.12.2026");
        EXPECT_EQ(road.confirmation.wireAllowance.empty(), type != 3);

        const kiv::HoodOutputs bare = kiv::Produce(road.data, type, {});
        EXPECT_TRUE(bare.script.empty() && bare.dxf.empty() && bare.document.layout.pages.empty());
    }
}

TEST(OutputFileName, ReplacesTheScriptExtension) {
    const struct {
        const char* script;
        const char* extension;
        const char* name;
    } rows[] = {
        {"200x400x100x0.5.scr", "dxf", "200x400x100x0.5.dxf"},
        {"a.scr", "pdf", "a.pdf"},
        {".scr", "dxf", ".dxf"},
        {"name", "dxf", "name.dxf"},       // no extension to replace
        {"x.scr.scr", "dxf", "x.scr.dxf"}, // only the last one goes
        {"x.SCR", "dxf", "x.SCR.dxf"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(kiv::OutputFileName(r.script, r.extension), r.name) << r.script;
}

} // namespace
