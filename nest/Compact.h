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

// One worker over the last sheet, stepped until the steps run out, or the
// time cap or the caller stops it; a layout with a part left out, or one the
// worker finds nothing to do on, stays as it is.
template <class Worker>
CompactRun Rework(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                  Clock::time_point deadline, const Progress& progress) {
    CompactRun run;
    if (best.sheets == 0 || best.unplaced > 0 || steps <= 0) {
        return run;
    }
    // The first layout may have taken the phase's whole time: a worker of a
    // large layout is not set up for nothing.
    if (MustStop(options, deadline, decoder.budget(), Progress(), doneBefore)) {
        run.stopped = true;
        return run;
    }
    Worker worker(decoder, best, options.seed);
    if (!worker.worthIt()) {
        run.done = steps;
        return run;
    }
    for (; run.done < steps; ++run.done) {
        if (MustStop(options, deadline, decoder.budget(), progress, doneBefore + run.done)) {
            run.stopped = true;
            break;
        }
        worker.step();
    }
    return run;
}

// `best` must be a layout with every part placed; it stays valid throughout
// and is replaced only by a layout whose last sheet is shorter.
CompactRun Compact(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                   Clock::time_point deadline, const Progress& progress);

} // namespace kiv::nest::detail
