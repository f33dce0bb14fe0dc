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
    // The waiting area, and below the least part's area how far along the
    // standing parts end, weighed by their area: of two boards that leave
    // the same parts waiting, the one packed nearer the start has more room
    // left at the end.
    double score = 0;
};

class Compactor {
public:
    Compactor(Decoder& decoder, Decoder::Result& best, std::uint64_t seed)
        : decoder_(decoder), best_(best), rng_(seed ^ 0x9e3779b97f4a7c15ULL) {
        sheet_ = best.sheets - 1;
        board_ = lastSheet();
        leastArea_ = decoder.part(board_.standing.front().part).area;
        for (const Decoder::Placed& p : board_.standing) {
            leastArea_ = std::min(leastArea_, decoder.part(p.part).area);
        }
        firstStep_ = step_ = std::max<cl::cInt>(best.lastLength / kFirstStep, 1);
        leastStep_ = std::max<cl::cInt>(best.lastLength / kLeastStep, 1);
        shorten();
    }

    // Worth running at all: one part alone already stands at the start.
    bool worthIt() const { return board_.standing.size() + board_.waiting.size() > 1; }

    void step() {
        if (board_.waiting.empty()) {
            // Reached: the next end twice as far in, up to the first move.
            keep();
            step_ = std::min(step_ * 2, firstStep_);
            shorten();
            return;
        }
        Board trial = board_;
        const std::size_t before = trial.waiting.size();
        const Span hole = lift(trial);
        // Now anywhere on the sheet, now only about the hole just made: the
        // place found there is mostly the same, and the search for it far
        // quicker on a sheet of many parts.
        putBack(trial, before, rng_() % 2 == 0 ? Span{0, end_} : around(hole, trial));
        // Late acceptance: a trial no worse than the board was some steps
        // ago may stand, so that the board can change its shape on the way.
        double& then = history_[static_cast<std::size_t>(trials_++) % history_.size()];
        if (trial.score <= board_.score || trial.score <= then) {
            then = trial.score;
            board_ = std::move(trial);
            stale_ = board_.waiting.empty() ? 0 : stale_ + 1;
        } else {
            ++stale_;
        }
        if (stale_ >= kPatience && step_ > leastStep_) {
            // This end is too far in to reach: try half as far from the best.
            step_ = std::max(step_ / 2, leastStep_);
            stale_ = 0;
            board_ = lastSheet();
            shorten();
        }
    }

private:
    static constexpr cl::cInt kFirstStep = 200;  // the first move of the end: half a percent
    static constexpr cl::cInt kLeastStep = 4000; // the least: a fortieth of a percent
    static constexpr int kPatience = 400;        // trials at one end before it moves back out
    static constexpr std::size_t kMostLifted = 5;
    static constexpr std::size_t kHistory = 50;
    static constexpr double kPackedShare = 0.5; // of the least part's area, at most

    // The best layout's last sheet, every part standing.
    Board lastSheet() const {
        Board b;
        for (const Decoder::Placed& p : best_.placed) {
            if (p.sheet == sheet_) {
                b.standing.push_back(p);
            }
        }
        return b;
    }

    cl::cInt length() const {
        cl::cInt l = 0;
        for (const Decoder::Placed& p : board_.standing) {
            l = std::max(l, decoder_.farEdge(p));
        }
        return l;
    }

    // The end moves in by the step from the present length; parts past it
    // wait, and as many as find room are put straight back.
    void shorten() {
        end_ = length() - step_;
        std::vector<Decoder::Placed> kept;
        for (const Decoder::Placed& p : board_.standing) {
            if (decoder_.farEdge(p) > end_) {
                board_.waiting.push_back(p.part);
                board_.waitingArea += decoder_.part(p.part).area;
            } else {
                kept.push_back(p);
            }
        }
        board_.standing = std::move(kept);
        putBack(board_, 0, {0, end_});
        stale_ = 0;
        std::fill(history_.begin(), history_.end(), board_.score);
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

    // Where along the sheet parts may go.
    struct Span {
        cl::cInt from = 0, to = 0;
    };

    // The hole widened on both sides by the longest part waiting.
    Span around(const Span& hole, const Board& b) const {
        cl::cInt longest = 0;
        for (int part : b.waiting) {
            for (int t = 0; t < decoder_.turns(part); ++t) {
                const Shape& s = decoder_.shape(part, t);
                longest = std::max(longest, s.box.right - s.box.left);
            }
        }
        return {hole.from - longest, std::min(end_, hole.to + longest)};
    }

    // A random part and its nearest neighbours come off the board; the span
    // they took.
    Span lift(Board& b) {
        Span hole{end_, 0};
        if (b.standing.empty()) {
            return {0, end_};
        }
        const std::size_t n = b.standing.size();
        const std::size_t count = 1 + static_cast<std::size_t>(rng_() % std::min(n, kMostLifted));
        // Half the time near the end, where the waiting parts came from.
        std::size_t pick = static_cast<std::size_t>(rng_() % n);
        if (rng_() % 2 == 0) {
            for (int tries = 0; tries < 8 && decoder_.farEdge(b.standing[pick]) < end_ - end_ / 4; ++tries) {
                pick = static_cast<std::size_t>(rng_() % n);
            }
        }
        const Decoder::Placed centre = b.standing[pick];
        const auto middle = [&](const Decoder::Placed& p) {
            const Shape& s = decoder_.shape(p.part, p.turn);
            return std::pair<double, double>{
                static_cast<double>(p.at.X) + 0.5 * static_cast<double>(s.box.left + s.box.right),
                static_cast<double>(p.at.Y) + 0.5 * static_cast<double>(s.box.top + s.box.bottom)};
        };
        const auto [cx, cy] = middle(centre);
        std::vector<std::pair<double, std::size_t>> byDistance(n);
        for (std::size_t i = 0; i < n; ++i) {
            const auto [x, y] = middle(b.standing[i]);
            byDistance[i] = {(x - cx) * (x - cx) + (y - cy) * (y - cy), i};
        }
        std::partial_sort(byDistance.begin(), byDistance.begin() + static_cast<std::ptrdiff_t>(count),
                          byDistance.end());
        std::vector<char> off(n, 0);
        if (rng_() % 2 == 0) {
            for (std::size_t k = 0; k < count; ++k) {
                off[byDistance[k].second] = 1;
            }
        } else {
            // Or a slice across the whole width, to be packed anew.
            const double width = std::uniform_real_distribution<double>(0.03, 0.15)(rng_) * static_cast<double>(end_);
            const auto x0 = static_cast<cl::cInt>(cx - width / 2), x1 = static_cast<cl::cInt>(cx + width / 2);
            for (std::size_t i = 0; i < n; ++i) {
                const Decoder::Placed& p = b.standing[i];
                const Shape& s = decoder_.shape(p.part, p.turn);
                off[i] = decoder_.farEdge(p) >= x0 && p.at.X + s.box.left <= x1 ? 1 : 0;
            }
        }
        std::vector<Decoder::Placed> kept;
        for (std::size_t i = 0; i < n; ++i) {
            if (off[i]) {
                const Shape& s = decoder_.shape(b.standing[i].part, b.standing[i].turn);
                hole.from = std::min(hole.from, b.standing[i].at.X + s.box.left);
                hole.to = std::max(hole.to, decoder_.farEdge(b.standing[i]));
                b.waiting.push_back(b.standing[i].part);
                b.waitingArea += decoder_.part(b.standing[i].part).area;
            } else {
                kept.push_back(b.standing[i]);
            }
        }
        b.standing = std::move(kept);
        return hole;
    }

    // The waiting parts go back, the larger first most of the time, each at
    // the place nearest the start edge within the end.
    void putBack(Board& b, std::size_t before, const Span& span) {
        const auto larger = [&](int x, int y) { return decoder_.part(x).area > decoder_.part(y).area; };
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
        const double lean = rng_() % 2 == 0 ? 0.0 : std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
        for (int part : b.waiting) {
            const Decoder::Candidate c = decoder_.placeAmong(b.standing, part, -1, span.from, span.to, lean);
            if (c.found) {
                b.standing.push_back({part, c.turn, sheet_, c.at});
            } else {
                still.push_back(part);
                b.waitingArea += decoder_.part(part).area;
            }
        }
        b.waiting = std::move(still);
        double moment = 0, area = 0;
        for (const Decoder::Placed& p : b.standing) {
            moment += decoder_.part(p.part).area * static_cast<double>(decoder_.farEdge(p));
            area += decoder_.part(p.part).area;
        }
        b.score =
            b.waitingArea + (area > 0 ? kPackedShare * leastArea_ * moment / (area * static_cast<double>(end_)) : 0);
    }

    Decoder& decoder_;
    Decoder::Result& best_;
    std::mt19937_64 rng_;
    int sheet_ = 0;
    Board board_;
    cl::cInt end_ = 0, step_ = 1, firstStep_ = 1, leastStep_ = 1;
    int stale_ = 0;
    double leastArea_ = 0;
    std::vector<double> history_ = std::vector<double>(kHistory, 0.0);
    long trials_ = 0;
};

} // namespace

CompactRun Compact(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                   Clock::time_point deadline, const Progress& progress) {
    return Rework<Compactor>(decoder, best, options, steps, doneBefore, deadline, progress);
}

} // namespace kiv::nest::detail
