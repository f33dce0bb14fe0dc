// The one road from the nine field texts to a confirmed hood and its files,
// without the window: the validators in the window's order with its texts,
// the calculation and its report, the checked shop drawing, and on request
// the script, the DXF drawing and the paper template's layout. The window,
// the `kiv` command and the tests all go this way.
#pragma once

#include "core/Calculation.h"
#include "core/RaschetData.h"
#include "export/ShopDrawing.h"
#include "export/Template.h"
#include "input/Validators.h"
#include "report/Texts.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kiv {

// Every input, in the order of the enumeration.
inline constexpr std::array<Input, 9> kAllInputs = {
    Input::S,       Input::L1,    Input::L2,    Input::H,   Input::FalthP1,
    Input::FalthP2, Input::AllP1, Input::AllP2, Input::AllD};

// The text a field holds when the window opens.
const char* InitialText(Input in);

// The nine field texts, one per input; the window's initial texts until set.
class FieldTexts {
public:
    FieldTexts();
    std::string& operator[](Input in) { return texts_[Index(in)]; }
    const std::string& operator[](Input in) const { return texts_[Index(in)]; }

private:
    static std::size_t Index(Input in) { return static_cast<std::size_t>(in); }
    std::array<std::string, 9> texts_;
};

// The first input a validator refused, with its verdict (NotANumber or Rejected).
struct Refusal {
    Input input = Input::S;
    Verdict verdict;
};

enum class Outcome {
    Confirmed,          // the hood is calculated and its drawing passed the check
    Refused,            // a validator refused an input: see `refusal`
    AllowancesDoNotFit, // the seam strips do not fit (types 2 and 3)
    NotFinite,          // the inputs are too large for the calculation
    DrawingFault,       // the drawing failed its check: a fault of the program
};

// What a confirmation of pattern type 1, 2 or 3 found.
struct Confirmation {
    Outcome outcome = Outcome::Refused;
    Refusal refusal;           // when Refused
    bool credit = false;       // the main dimensions add up to the credit number
    TypeReport report;         // texts and blank, once the calculation ran
    std::string wireAllowance; // type 3, once the inputs are accepted
    ShopDrawing drawing;       // when the calculation succeeded
    DrawingFault fault = DrawingFault::None;
};

// Runs the type's validators on the texts in the window's order into `d`,
// stopping at the first refusal (the values stored up to and including the
// refused one stay, as in the window), then the calculation, its texts and
// the drawing's check. `d` keeps its other fields (the settings value).
Confirmation Confirm(RaschetData& d, int type, const FieldTexts& texts);

// The script's name for the type's texts.
std::string ScriptNameOf(int type, const FieldTexts& texts);

// Every output's name: the script's name with `extension` (without the
// point) in place of ".scr".
std::string OutputFileName(std::string_view scriptName, std::string_view extension);

struct OutputRequest {
    bool script = false;
    bool dxf = false;
    bool layout = false;       // the template's layout and title lines
    TemplateOptions options;   // for the layout
    std::string date;          // for the title lines, as the user reads it
};

struct HoodOutputs {
    CalcStatus status = CalcStatus::Ok;      // of the calculation on the copy
    DrawingFault fault = DrawingFault::None; // Empty when the calculation failed
    std::string script;                      // when asked and calculated
    std::string dxf;                         // when asked and the drawing passed
    TemplateDocument document;               // when the layout was asked and the drawing passed
    bool fits = false; // the layout has pages: the paper is large enough
};

// The asked outputs of a confirmed record; the calculation runs again on a
// copy, so the caller's record is left as it is.
HoodOutputs Produce(const RaschetData& confirmed, int type, const OutputRequest& request);

// The whole road on a fresh record with the settings value `osmode`.
struct RoadResult {
    Confirmation confirmation;
    RaschetData data;
    std::string scriptName;
    HoodOutputs outputs; // when confirmed
};
RoadResult RunRoad(int type, const FieldTexts& texts, std::string_view osmode,
                   const OutputRequest& request = {});

// The message a refusal shows, as the window shows it: a conversion error
// gets its full stop, "\r" separates lines.
std::string RefusalText(const Refusal& refusal);

// The window's message for an outcome other than Confirmed and Refused.
const char* OutcomeText(Outcome outcome);

// The length of wire rolled into the rim of a type 3 hood, mm: the rim's
// perimeter at the entered L1 and L2.
double WireLength(const RaschetData& d);

} // namespace kiv
