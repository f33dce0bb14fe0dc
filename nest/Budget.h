// When a nesting run must end: past its time cap, or when the caller says so
// (the window's «Отмена»). Every phase asks the same check, the decoder
// between copies and between turns too, so that no phase (the first layout
// included) runs past either by more than one clipping of a free room.
#pragma once

#include <chrono>
#include <functional>
#include <utility>

namespace kiv::nest::detail {

using Clock = std::chrono::steady_clock;

class Budget {
public:
    Budget() = default; // never spent
    // `timed`: the run ends at `end`; `stop`, when set, is asked as well.
    Budget(bool timed, Clock::time_point end, std::function<bool()> stop)
        : timed_(timed), end_(end), stop_(std::move(stop)) {}

    bool spent() const { return (timed_ && Clock::now() > end_) || (stop_ && stop_()); }

private:
    bool timed_ = false;
    Clock::time_point end_{};
    std::function<bool()> stop_;
};

} // namespace kiv::nest::detail
