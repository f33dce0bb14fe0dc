// Seeded random hoods for the property tests: each input drawn over several
// decades of size and proportion and put, as its text, to its own validator in
// the window's order; a refused draw is drawn again. The limits live in the
// validators alone, so every hood from here is one the window lets through,
// from shallow and wide to tall and narrow. Its allowances may not fit.
#pragma once

#include "core/RaschetData.h"

#include <random>

namespace kiv::test {

RaschetData RandomHood(std::mt19937_64& rng);

} // namespace kiv::test
