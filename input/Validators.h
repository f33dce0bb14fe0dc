#pragma once

#include "core/RaschetData.h"

#include <span>
#include <string>
#include <string_view>

namespace kiv {

// The validators a confirmation of pattern type 1, 2 or 3 runs, in order.
std::span<const Input> ValidatorsFor(int type);

struct Verdict {
    enum Kind { Accepted, NotANumber, Rejected } kind = Accepted;
    // Rejected: the message for the plain box ("\r" between lines).
    // NotANumber: the conversion error's text, without the full stop.
    std::string message;
    // ObrabH only: the four main dimensions add up to the credit number.
    bool credit = false;
};

// One validator: convert the field's text, store the number in its record
// field (before the test, so a rejected value stays), then test it against the
// fixed limits and the inputs stored a moment earlier. The focus goes to the
// validator's own field on a rejection.
Verdict Validate(Input in, std::string_view text, RaschetData& d);

// The caption the window takes when the credit test holds.
inline constexpr const char* kCreditCaption = "Разработчик: Тенвир";

} // namespace kiv
