#include "nest/Search.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <utility>

namespace kiv::nest::detail {

namespace {

using Genes = std::vector<Decoder::Gene>;

// The genes stably sorted by a key of their part, a run of equal genes at a
// time: the same order as sorting them one by one, without a million copies
// of one part sorted one by one before the first layout.
template <class Key>
Genes SortedByPart(const Genes& genes, Key key) {
    struct Run {
        Decoder::Gene gene;
        std::size_t count;
    };
    std::vector<Run> runs;
    for (const Decoder::Gene& g : genes) {
        if (runs.empty() || !(runs.back().gene == g)) {
            runs.push_back({g, 0});
        }
        ++runs.back().count;
    }
    std::stable_sort(runs.begin(), runs.end(), [&](const Run& a, const Run& b) { return key(a.gene) > key(b.gene); });
    Genes sorted;
    sorted.reserve(genes.size());
    for (const Run& r : runs) {
        sorted.insert(sorted.end(), r.count, r.gene);
    }
    return sorted;
}

// Large parts first, so that the small ones fill what they leave: by area,
// and by the longer side of the box, whichever lays out better. `stopped`
// when the budget ran out within the first layout (the second, cut short,
// counts its lost parts and is never the better).
Genes StartOrder(Decoder& decoder, const Genes& given, Decoder::Result& result, bool& stopped) {
    Genes genes = SortedByPart(given, [&](const Decoder::Gene& g) { return decoder.part(g.part).area; });
    result = decoder.decode(genes);
    stopped = result.cut;
    if (stopped) {
        return genes;
    }
    Genes byLength = SortedByPart(given, [&](const Decoder::Gene& g) {
        const Shape& s = decoder.shape(g.part, 0);
        return std::max(s.box.right - s.box.left, s.box.bottom - s.box.top);
    });
    if (Decoder::Result other = decoder.decode(byLength); other.betterThan(result)) {
        result = std::move(other);
        genes = std::move(byLength);
    }
    return genes;
}

class Mutator {
public:
    Mutator(const Decoder& decoder, std::uint64_t seed, int turns) : decoder_(decoder), rng_(seed), turns_(turns) {}

    // One random change of the order or of a turn; returns the first gene
    // it may have changed.
    std::size_t operator()(Genes& trial) {
        const std::size_t n = trial.size();
        const auto kind = rng_() % 4;
        if (n > 1 && kind < 2) {
            // Swap two copies, mostly near each other in the order.
            const std::size_t i = pick(n);
            const std::size_t reach = kind == 0 ? std::min<std::size_t>(n - 1, 4) : n - 1;
            const std::size_t j = (i + 1 + pick(reach)) % n;
            std::swap(trial[i], trial[j]);
            return std::min(i, j);
        }
        if (n > 1 && kind == 2) {
            // Move one copy to another place in the order.
            const std::size_t i = pick(n), j = pick(n);
            const Decoder::Gene g = trial[i];
            trial.erase(trial.begin() + static_cast<std::ptrdiff_t>(i));
            trial.insert(trial.begin() + static_cast<std::ptrdiff_t>(j), g);
            return std::min(i, j);
        }
        // Hold one copy to one turn, or free it again.
        const std::size_t i = pick(n);
        const int t = static_cast<int>(rng_() % static_cast<unsigned>(turns_ + 1)) - 1;
        trial[i].turn = t >= 0 && decoder_.fits(trial[i].part, t) ? t : -1;
        return i;
    }

private:
    std::size_t pick(std::size_t bound) { return static_cast<std::size_t>(rng_() % bound); }

    const Decoder& decoder_;
    std::mt19937_64 rng_;
    int turns_;
};

} // namespace

bool MustStop(const Options& options, Clock::time_point deadline, const Budget& budget, const Progress& progress,
              int done) {
    return (options.timeLimit > 0 && Clock::now() > deadline) || budget.spent() ||
           (progress && !progress(done, options.iterations));
}

SearchRun Search(Decoder& decoder, Genes genes, const Options& options, int steps, Clock::time_point deadline,
                 const Progress& progress) {
    SearchRun run;
    Decoder::Result current;
    Genes currentGenes = StartOrder(decoder, genes, current, run.stopped);
    genes = {};
    if (run.stopped) {
        run.best = std::move(current);
        return run;
    }
    run.best = current;
    Mutator mutate(decoder, options.seed, static_cast<int>(options.rotations.size()));
    const std::size_t n = currentGenes.size();
    for (; run.done < steps; ++run.done) {
        if (MustStop(options, deadline, decoder.budget(), progress, run.done)) {
            run.stopped = true;
            break;
        }
        Genes trial = currentGenes;
        std::size_t first = mutate(trial);
        while (first < n && trial[first] == currentGenes[first]) {
            ++first;
        }
        if (first == n) {
            continue; // the same order as before: nothing to try
        }
        Decoder::Result r = decoder.decode(trial, &current, first);
        if (r.cut) {
            run.stopped = true; // the budget ran out within the layout: it is not one to keep
            break;
        }
        // Descent that also takes sideways steps. On sample strip instances
        // it did better than late acceptance, than a coil searched a little
        // too short, and than restarts from the best order shaken.
        if (!current.betterThan(r)) {
            if (r.betterThan(run.best)) {
                run.best = r;
            }
            current = std::move(r);
            currentGenes = std::move(trial);
        }
    }
    return run;
}

} // namespace kiv::nest::detail
