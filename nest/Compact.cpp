#include "nest/Compact.h"

#include <algorithm>
#include <cstddef>
#include <random>
#include <utility>

namespace kiv::nest::detail {

namespace {

// The last sheet as it is being reworked: the parts standing on it and the
// parts waiting to be put back.
struct Board {
    std::vector<Decoder::Placed> standing;
    std::vector<int> waiting; // part indices
    double waitingArea = 0;   // mm^2
};

class Compactor {
public:
    Compactor(Decoder& decoder, Decoder::Result& best, std::uint64_t seed)
        : decoder_(decoder), best_(best), rng_(seed ^ 0x9e3779b97f4a7c15ULL) {
        sheet_ = best.sheets - 1;
        for (const Decoder::Placed& p : best.placed) {
            if (p.sheet == sheet_) {
                board_.standing.push_back(p);
            }
        }
        step_ = std::max<cl::cInt>(best.lastLength / kFirstStep, 1);
        leastStep_ = std::max<cl::cInt>(best.lastLength / kLeastStep, 1);
        shorten();
    }

    // Worth running at all: one part alone already stands at the start.
    bool worthIt() const { return board_.standing.size() + board_.waiting.size() > 1; }

    void step() {
        if (board_.waiting.empty()) {
            keep();
            shorten();
            return;
        }
        Board trial = board_;
        const std::size_t before = trial.waiting.size();
        lift(trial);
        putBack(trial, before);
        // Late acceptance: a trial no worse than the board was some steps
        // ago may stand, so that the board can change its shape on the way.
        double& then = history_[static_cast<std::size_t>(trials_++) % history_.size()];
        const bool take = trial.waitingArea <= board_.waitingArea || trial.waitingArea <= then;
        if (take) {
            then = trial.waitingArea;
        }
        if (take) {
            board_ = std::move(trial);
            stale_ = board_.waiting.empty() ? 0 : stale_ + 1;
        } else {
            ++stale_;
        }
        if (stale_ >= kPatience && step_ > leastStep_) {
            // This end is too far in to reach: try half as far from the best.
            step_ = std::max(step_ / 2, leastStep_);
            stale_ = 0;
            board_ = Board{};
            for (const Decoder::Placed& p : best_.placed) {
                if (p.sheet == sheet_) {
                    board_.standing.push_back(p);
                }
            }
            shorten();
        }
    }

private:
    static constexpr cl::cInt kFirstStep = 200; // the first move of the end: half a percent
    static constexpr cl::cInt kLeastStep = 4000;
    static constexpr int kPatience = 400; // trials at one end before it moves back out
    static constexpr std::size_t kMostLifted = 5;
    static constexpr std::size_t kHistory = 50;

    cl::cInt far(const Decoder::Placed& p) const {
        return p.at.X + decoder_.shape(p.part, p.turn).box.right;
    }

    cl::cInt length() const {
        cl::cInt l = 0;
        for (const Decoder::Placed& p : board_.standing) {
            l = std::max(l, far(p));
        }
        return l;
    }

    // The end moves in by the step from the present length; parts past it
    // wait, and as many as find room are put straight back.
    void shorten() {
        end_ = length() - step_;
        std::vector<Decoder::Placed> kept;
        for (const Decoder::Placed& p : board_.standing) {
            if (far(p) > end_) {
                board_.waiting.push_back(p.part);
                board_.waitingArea += decoder_.part(p.part).area;
            } else {
                kept.push_back(p);
            }
        }
        board_.standing = std::move(kept);
        putBack(board_);
        stale_ = 0;
        std::fill(history_.begin(), history_.end(), board_.waitingArea);
    }

    // Every part on again: the board becomes the best layout's last sheet.
    void keep() {
        std::size_t k = 0;
        for (Decoder::Placed& p : best_.placed) {
            if (p.sheet == sheet_) {
                p = board_.standing[k++];
            }
        }
        decoder_.settle(best_);
    }

    // A random part and its nearest neighbours come off the board.
    void lift(Board& b) {
        if (b.standing.empty()) {
            return;
        }
        const std::size_t n = b.standing.size();
        const std::size_t count = 1 + static_cast<std::size_t>(rng_() % std::min(n, kMostLifted));
        const Decoder::Placed centre = b.standing[static_cast<std::size_t>(rng_() % n)];
        const auto middle = [&](const Decoder::Placed& p) {
            const Shape& s = decoder_.shape(p.part, p.turn);
            return std::pair<double, double>{
                static_cast<double>(p.at.X) + 0.5 * static_cast<double>(s.box.left + s.box.right),
                static_cast<double>(p.at.Y) + 0.5 * static_cast<double>(s.box.top + s.box.bottom)};
        };
        const auto [cx, cy] = middle(centre);
        std::vector<std::pair<double, std::size_t>> byDistance;
        for (std::size_t i = 0; i < n; ++i) {
            const auto [x, y] = middle(b.standing[i]);
            byDistance.emplace_back((x - cx) * (x - cx) + (y - cy) * (y - cy), i);
        }
        std::partial_sort(byDistance.begin(),
                          byDistance.begin() + static_cast<std::ptrdiff_t>(count),
                          byDistance.end());
        std::vector<char> off(n, 0);
        for (std::size_t k = 0; k < count; ++k) {
            off[byDistance[k].second] = 1;
        }
        std::vector<Decoder::Placed> kept;
        for (std::size_t i = 0; i < n; ++i) {
            if (off[i]) {
                b.waiting.push_back(b.standing[i].part);
                b.waitingArea += decoder_.part(b.standing[i].part).area;
            } else {
                kept.push_back(b.standing[i]);
            }
        }
        b.standing = std::move(kept);
    }

    // The waiting parts go back, the larger first most of the time, each at
    // the place nearest the start edge within the end.
    void putBack(Board& b, std::size_t before = 0) {
        const auto larger = [&](int x, int y) {
            return decoder_.part(x).area > decoder_.part(y).area;
        };
        const auto lifted = b.waiting.begin() + static_cast<std::ptrdiff_t>(before);
        switch (rng_() % 3) {
        case 0: // the larger first
            std::sort(b.waiting.begin(), b.waiting.end(), larger);
            break;
        case 1: // those that waited first, into the room just made
            std::shuffle(b.waiting.begin(), lifted, rng_);
            std::sort(lifted, b.waiting.end(), larger);
            break;
        default:
            std::shuffle(b.waiting.begin(), b.waiting.end(), rng_);
            break;
        }
        std::vector<int> still;
        b.waitingArea = 0;
        // Now along first, now a slant: the same parts put back the same way
        // would only come back where they were.
        const double lean =
            rng_() % 2 == 0 ? 0.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
        for (int part : b.waiting) {
            const Decoder::Candidate c = decoder_.placeAmong(b.standing, part, -1, end_, lean);
            if (c.found) {
                b.standing.push_back({part, c.turn, sheet_, c.at});
            } else {
                still.push_back(part);
                b.waitingArea += decoder_.part(part).area;
            }
        }
        b.waiting = std::move(still);
    }

    Decoder& decoder_;
    Decoder::Result& best_;
    std::mt19937_64 rng_;
    int sheet_ = 0;
    Board board_;
    cl::cInt end_ = 0, step_ = 1, leastStep_ = 1;
    int stale_ = 0;
    std::vector<double> history_ = std::vector<double>(kHistory, 0.0);
    long trials_ = 0;
};

} // namespace

CompactRun Compact(Decoder& decoder, Decoder::Result& best, const Options& options, int steps,
                   int doneBefore, Clock::time_point deadline, const Progress& progress) {
    CompactRun run;
    if (best.sheets == 0 || best.unplaced > 0 || steps <= 0) {
        return run;
    }
    Compactor compactor(decoder, best, options.seed);
    if (!compactor.worthIt()) {
        run.done = steps; // a lone part: nothing to move
        return run;
    }
    for (; run.done < steps; ++run.done) {
        if ((options.timeLimit > 0 && Clock::now() > deadline) ||
            (progress && !progress(doneBefore + run.done, options.iterations))) {
            run.stopped = true;
            break;
        }
        compactor.step();
    }
    return run;
}

} // namespace kiv::nest::detail
