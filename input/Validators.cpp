#include "input/Validators.h"

#include "core/PatternType.h"
#include "input/Conversion.h"

namespace kiv {

namespace {

constexpr Input kNone[] = {Input::S, Input::L1, Input::L2, Input::H};
constexpr Input kFalth[] = {Input::S, Input::L1,      Input::L2,
                            Input::H, Input::FalthP2, Input::FalthP1};
constexpr Input kAll[] = {Input::S,     Input::L1,    Input::L2,  Input::H,
                          Input::AllP2, Input::AllP1, Input::AllD};

// The four main dimensions adding up to this number put the credit line in the caption.
constexpr long double kCreditSum = 8327;

constexpr double kMinThickness = 0.1;
constexpr double kMinAllowance = 2;
constexpr double kMinWire = 1;
constexpr double kMaxWire = 10;
// A lock seam takes an allowance of a few to some tens of millimetres even on
// the thickest sheet this program accepts a 100 m hood of; a wider strip is a
// flange, which no seaming machine folds, and would only pass the fit check
// of a very large hood.
constexpr double kMaxAllowance = 100;
// Above 100 m a hood is no sheet-metal work, and the results would outgrow
// the labels' fixed format and the drawing checks' precision.
constexpr double kMaxSize = 100000;

const char* const kThicknessMessage = "Толщина материала \rдолжна быть не менее 0.1 мм!";
const char* const kWidthMessage = "Необходимо увеличить \rширину зонта!";
const char* const kLengthMessage = "Необходимо увеличить \rдлину зонта!";
const char* const kHeightMessage = "Необходимо увеличить \rвысоту зонта!";
const char* const kMaxWidthMessage =
    "Максимальная ширина зонта 100000 мм.\rНеобходимо уменьшить ширину зонта!";
const char* const kMaxLengthMessage =
    "Максимальная длина зонта 100000 мм.\rНеобходимо уменьшить длину зонта!";
const char* const kMaxHeightMessage =
    "Максимальная высота зонта 100000 мм.\rНеобходимо уменьшить высоту зонта!";
const char* const kAllowanceMessage = "Необходимо увеличить \rприпуск на фальц!";
const char* const kMaxAllowanceMessage =
    "Максимальный припуск на фальц 100 мм.\rНеобходимо уменьшить припуск на фальц!";
const char* const kMinWireMessage =
    "  Минимальный диаметр проволоки 1 мм.\rНеобходимо увеличить диаметр проволоки!";
const char* const kMaxWireMessage =
    "Максимальный диаметр проволоки 10 мм.\rНеобходимо уменьшить диаметр проволоки!";

// A seam allowance below its least (2 mm for P2, P2 for P1), then above the
// largest: the lower limit first, as for the hood's sizes.
const char* Allowance(double value, double least) {
    if (value < least)
        return kAllowanceMessage;
    return value > kMaxAllowance ? kMaxAllowanceMessage : nullptr;
}

// The message for a stored value that fails its test, or nullptr when it passes.
// The limits derived from S are formed in long double: with S = 0.1 the width
// limit is then a hair above 1, so an L1 of exactly 1 is refused.
const char* Reject(Input in, const RaschetData& d) {
    const long double S = d.S;
    switch (in) {
    case Input::S:
        return d.S < kMinThickness ? kThicknessMessage : nullptr;
    case Input::L1:
        if (d.L1 < 10 * S)
            return kWidthMessage;
        return d.L1 > kMaxSize ? kMaxWidthMessage : nullptr;
    case Input::L2:
        if (d.L2 < d.L1)
            return kLengthMessage;
        return d.L2 > kMaxSize ? kMaxLengthMessage : nullptr;
    case Input::H:
        if (d.H < 2 * S)
            return kHeightMessage;
        return d.H > kMaxSize ? kMaxHeightMessage : nullptr;
    case Input::FalthP2:
        return Allowance(d.FalthP2, kMinAllowance);
    case Input::FalthP1:
        return Allowance(d.FalthP1, d.FalthP2);
    case Input::AllP2:
        return Allowance(d.AllP2, kMinAllowance);
    case Input::AllP1:
        return Allowance(d.AllP1, d.AllP2);
    case Input::AllD:
        if (d.AllD < kMinWire) {
            return kMinWireMessage;
        }
        return d.AllD > kMaxWire ? kMaxWireMessage : nullptr;
    }
    return nullptr; // unreachable: every input is listed above
}

} // namespace

std::span<const Input> ValidatorsFor(int type) {
    const auto t = PatternTypeOf(type);
    if (!t) {
        return {};
    }
    switch (*t) {
    case PatternType::Plain:
        return kNone;
    case PatternType::LockSeam:
        return kFalth;
    case PatternType::SeamAndWire:
        return kAll;
    }
    return {};
}

Verdict Validate(Input in, std::string_view text, RaschetData& d) {
    const std::optional<double> value = TextToFloat(text);
    if (!value) {
        return {Verdict::NotANumber, NotAFloatMessage(text), false};
    }
    Field(d, in) = *value;
    if (const char* message = Reject(in, d)) {
        return {Verdict::Rejected, message, false};
    }
    Verdict verdict;
    if (in == Input::H) {
        const long double sum = static_cast<long double>(d.S) + d.H + d.L1 + d.L2;
        verdict.credit = sum == kCreditSum;
    }
    return verdict;
}

} // namespace kiv
