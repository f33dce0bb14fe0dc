// When a nesting run must end. Every phase asks the same check, the decoder
// between copies and between turns too, so that no phase (the first layout
// included) runs past the time cap by more than one clipping of a free room.
#pragma once

#include <chrono>

namespace kiv::nest::detail {

using Clock = std::chrono::steady_clock;

class Budget {
public:
    Budget() = default; // never spent
    explicit Budget(Clock::time_point end) : timed_(true), end_(end) {}

    bool spent() const { return timed_ && Clock::now() > end_; }

private:
    bool timed_ = false;
    Clock::time_point end_{};
};

} // namespace kiv::nest::detail
