// The search over the order of the copies and the turn each must take, on
// top of the decoder: deterministic for a seed while its steps last.
#pragma once

#include "nest/Decoder.h"

#include <vector>

namespace kiv::nest::detail {

struct SearchRun {
    Decoder::Result best;
    int done = 0;         // improvement steps taken
    bool stopped = false; // the time cap or the caller ended it early
};

// Past the phase's deadline under a time cap, the run's budget spent, or told
// so by the caller after `done` steps: a step of every phase asks before it runs.
bool MustStop(const Options& options, Clock::time_point deadline, const Budget& budget, const Progress& progress,
              int done);

// `genes` holds every copy once; the search starts from the better of two
// sorted orders of them and takes at most `steps` steps, none after the
// deadline when the options set a time cap.
SearchRun Search(Decoder& decoder, std::vector<Decoder::Gene> genes, const Options& options, int steps,
                 Clock::time_point deadline, const Progress& progress);

} // namespace kiv::nest::detail
