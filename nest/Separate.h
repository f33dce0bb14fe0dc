// After the search over orders: the last sheet made shorter by letting its
// parts overlap for a while. The end moves in, the parts beyond a cut slide
// in by as much, and the parts that now overlap move one at a time to where
// they overlap least, each pair weighed by how long it has overlapped, until
// none does; then the end moves in again. Deterministic for a seed while its
// steps last.
#pragma once

#include "nest/Compact.h"

namespace kiv::nest::detail {

// `best` must be a layout with every part placed; it stays valid throughout
// and is replaced only by a layout whose last sheet is shorter.
CompactRun Separate(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                    Clock::time_point deadline, const Progress& progress);

} // namespace kiv::nest::detail
