// After the search over orders: the last sheet made shorter by moving its
// parts about directly. Parts past a shorter end are taken off, and a few
// neighbours at a time are lifted and put back, each at the place nearest
// the start edge, until every part is on again; then the end moves in once
// more. Deterministic for a seed while its steps last.
#pragma once

#include "nest/Search.h"

namespace kiv::nest::detail {

struct CompactRun {
    int done = 0;         // steps taken, counted on from `doneBefore`
    bool stopped = false; // the time cap or the caller ended it early
};

// Takes `step` until the steps run out, or the time cap or the caller stops it.
template <class Step>
CompactRun Drive(int steps, const Options& options, int doneBefore, Clock::time_point deadline,
                 const Progress& progress, Step&& step) {
    CompactRun run;
    for (; run.done < steps; ++run.done) {
        if (MustStop(options, deadline, progress, doneBefore + run.done)) {
            run.stopped = true;
            break;
        }
        step();
    }
    return run;
}

// `best` must be a layout with every part placed; it stays valid throughout
// and is replaced only by a layout whose last sheet is shorter.
CompactRun Compact(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                   Clock::time_point deadline, const Progress& progress);

} // namespace kiv::nest::detail
