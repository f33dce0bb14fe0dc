#include "nest/Separate.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <random>
#include <utility>

namespace kiv::nest::detail {

namespace {

class Separator {
public:
    Separator(Decoder& decoder, Decoder::Result& best, std::uint64_t seed)
        : decoder_(decoder), best_(best), rng_(seed ^ 0x5851f42d4c957f2dULL) {
        sheet_ = best.sheets - 1;
        parts_ = lastSheet();
        n_ = parts_.size();
        firstStep_ = step_ = std::max<cl::cInt>(best.lastLength / kFirstStep, 1);
        leastStep_ = std::max<cl::cInt>(best.lastLength / kLeastStep, 1);
        if (worthIt()) {
            shorten();
        }
    }

    // Two parts at least; and the weights of every pair kept in memory stay
    // within a few tens of megabytes.
    bool worthIt() const { return n_ > 1 && n_ <= kMostParts; }

    // One sweep: every part that overlaps another moves once.
    void step() {
        std::vector<std::size_t> order;
        for (std::size_t i = 0; i < n_; ++i) {
            if (overlaps(i)) {
                order.push_back(i);
            }
        }
        std::shuffle(order.begin(), order.end(), rng_);
        for (std::size_t i : order) {
            move(i);
        }
        const double total = totalDepth();
        if (total <= 0) {
            keep();
            step_ = std::min(step_ * 2, firstStep_);
            shorten();
            return;
        }
        if (total < leastTotal_) {
            leastTotal_ = total;
            closest_ = parts_;
            stale_ = 0;
        } else if (++stale_ >= kPatience) {
            stale_ = 0;
            if (++strikes_ >= kStrikes) {
                // This end is too far in to reach: try a smaller move from the best.
                step_ = std::max(step_ / 2, leastStep_);
                parts_ = lastSheet();
                shorten();
                return;
            }
            parts_ = closest_;
            measureAll();
        }
        weigh();
    }

private:
    static constexpr cl::cInt kFirstStep = 200;  // the first move of the end: half a percent
    static constexpr cl::cInt kLeastStep = 4000; // the least: a fortieth of a percent
    static constexpr int kPatience = 50;         // sweeps without a closer layout before a strike
    static constexpr int kStrikes = 3;           // strikes at one end before the move halves
    static constexpr int kFar = 24;              // samples anywhere on the sheet
    static constexpr int kNear = 24;             // samples about where the part stands
    static constexpr std::size_t kMostParts = 1500;

    // The best layout's last sheet, in the order its parts stand in it.
    std::vector<Decoder::Placed> lastSheet() const {
        std::vector<Decoder::Placed> out;
        for (const Decoder::Placed& p : best_.placed) {
            if (p.sheet == sheet_) {
                out.push_back(p);
            }
        }
        return out;
    }

    double& depthOf(std::size_t i, std::size_t j) { return depth_[i * n_ + j]; }
    double& weightOf(std::size_t i, std::size_t j) { return weight_[i * n_ + j]; }

    bool overlaps(std::size_t i) const {
        for (std::size_t j = 0; j < n_; ++j) {
            if (depth_[i * n_ + j] > 0) {
                return true;
            }
        }
        return false;
    }

    // The same pair is always measured the same way round: the one earlier
    // on the sheet fixed, the other moving.
    double pair(std::size_t i, const Decoder::Placed& at, std::size_t j) {
        return i < j ? decoder_.depth(at, parts_[j]) : decoder_.depth(parts_[j], at);
    }

    double totalDepth() const {
        double t = 0;
        for (std::size_t i = 0; i < n_; ++i) {
            for (std::size_t j = i + 1; j < n_; ++j) {
                t += depth_[i * n_ + j];
            }
        }
        return t;
    }

    void measure(std::size_t i) {
        for (std::size_t j = 0; j < n_; ++j) {
            if (j != i) {
                depthOf(i, j) = depthOf(j, i) = pair(i, parts_[i], j);
            }
        }
    }

    void measureAll() {
        for (std::size_t i = 0; i < n_; ++i) {
            measure(i);
        }
    }

    // Weighed overlap of part i standing at `at`; stops early past `bound`.
    double cost(std::size_t i, const Decoder::Placed& at, double bound) {
        double c = 0;
        for (std::size_t j = 0; j < n_ && c < bound; ++j) {
            if (j != i) {
                c += weightOf(i, j) * pair(i, at, j);
            }
        }
        return c;
    }

    struct Try {
        Decoder::Placed at;
        double cost = 0;
    };

    cl::cInt within(cl::cInt v, cl::cInt lo, cl::cInt hi) { return std::clamp(v, lo, std::max(lo, hi)); }

    cl::cInt uniform(cl::cInt lo, cl::cInt hi) {
        return hi <= lo ? lo : std::uniform_int_distribution<cl::cInt>(lo, hi)(rng_);
    }

    // Small moves about a place while they lower its cost, the move halving
    // when none does.
    void refine(std::size_t i, Try& t) {
        const Shape& s = decoder_.shape(t.at.part, t.at.turn);
        const cl::IntRect r = decoder_.reach(t.at.part, t.at.turn, end_);
        cl::cInt move = std::max(s.box.right - s.box.left, s.box.bottom - s.box.top) / 8;
        const cl::cInt least = std::max<cl::cInt>(move / 2048, 1);
        while (move >= least && t.cost > 0) {
            bool better = false;
            static constexpr int kDx[] = {1, -1, 0, 0}, kDy[] = {0, 0, 1, -1};
            for (int k = 0; k < 4 && t.cost > 0; ++k) {
                Decoder::Placed p = t.at;
                p.at.X = within(p.at.X + kDx[k] * move, r.left, r.right);
                p.at.Y = within(p.at.Y + kDy[k] * move, r.top, r.bottom);
                if (p.at == t.at.at) {
                    continue;
                }
                const double c = cost(i, p, t.cost);
                if (c < t.cost) {
                    t = {p, c};
                    better = true;
                }
            }
            if (!better) {
                move /= 2;
            }
        }
    }

    void move(std::size_t i) {
        const Decoder::Placed now = parts_[i];
        Try best{now, cost(i, now, std::numeric_limits<double>::max())};
        Try second = best;
        const auto consider = [&](const Decoder::Placed& p) {
            const double c = cost(i, p, second.cost);
            if (c < best.cost) {
                second = best;
                best = {p, c};
            } else if (c < second.cost) {
                second = {p, c};
            }
        };
        const Shape& s = decoder_.shape(now.part, now.turn);
        const cl::cInt w = s.box.right - s.box.left, h = s.box.bottom - s.box.top;
        for (int k = 0; k < kFar + kNear && best.cost > 0; ++k) {
            Decoder::Placed p = now;
            if (k < kFar) {
                p.turn = static_cast<int>(rng_() % static_cast<std::uint64_t>(decoder_.turns(now.part)));
                const cl::IntRect r = decoder_.reach(p.part, p.turn, end_);
                if (r.right < r.left || r.bottom < r.top) {
                    continue;
                }
                p.at = {uniform(r.left, r.right), uniform(r.top, r.bottom)};
            } else {
                const cl::IntRect r = decoder_.reach(p.part, p.turn, end_);
                p.at = {within(now.at.X + uniform(-w / 2, w / 2), r.left, r.right),
                        within(now.at.Y + uniform(-h / 2, h / 2), r.top, r.bottom)};
            }
            consider(p);
        }
        refine(i, best);
        if (second.cost > 0 && !(second.at == best.at)) {
            refine(i, second);
            if (second.cost < best.cost) {
                best = second;
            }
        }
        parts_[i] = best.at;
        measure(i);
    }

    // Pairs still overlapping weigh more, the deeper the more; the others
    // ease back.
    void weigh() {
        double deepest = 0;
        for (double d : depth_) {
            deepest = std::max(deepest, d);
        }
        for (std::size_t i = 0; i < n_; ++i) {
            for (std::size_t j = 0; j < n_; ++j) {
                double& w = weightOf(i, j);
                const double d = depthOf(i, j);
                w = d > 0 ? w * (1.2 + 0.8 * d / deepest) : std::max(1.0, w * 0.95);
            }
        }
    }

    cl::cInt length() const {
        cl::cInt l = 0;
        for (const Decoder::Placed& p : parts_) {
            l = std::max(l, decoder_.farEdge(p));
        }
        return l;
    }

    // The end moves in by the step; the parts beyond a random cut slide in
    // by as much, and any still past the end to it.
    void shorten() {
        const cl::cInt l = length();
        end_ = l - step_;
        const cl::cInt cut = uniform(0, l);
        for (Decoder::Placed& p : parts_) {
            const Shape& s = decoder_.shape(p.part, p.turn);
            const cl::IntRect r = decoder_.reach(p.part, p.turn, end_);
            if (p.at.X + (s.box.left + s.box.right) / 2 > cut) {
                p.at.X -= step_;
            }
            p.at.X = within(p.at.X, r.left, r.right);
        }
        weight_.assign(n_ * n_, 1.0);
        depth_.assign(n_ * n_, 0.0);
        measureAll();
        closest_ = parts_;
        leastTotal_ = totalDepth();
        stale_ = strikes_ = 0;
    }

    void keep() {
        std::size_t k = 0;
        for (Decoder::Placed& p : best_.placed) {
            if (p.sheet == sheet_) {
                p = parts_[k++];
            }
        }
        decoder_.settle(best_);
    }

    Decoder& decoder_;
    Decoder::Result& best_;
    std::mt19937_64 rng_;
    int sheet_ = 0;
    std::size_t n_ = 0;
    std::vector<Decoder::Placed> parts_, closest_;
    std::vector<double> depth_, weight_;
    cl::cInt end_ = 0, step_ = 1, firstStep_ = 1, leastStep_ = 1;
    double leastTotal_ = 0;
    int stale_ = 0, strikes_ = 0;
};

} // namespace

CompactRun Separate(Decoder& decoder, Decoder::Result& best, const Options& options, int steps, int doneBefore,
                    Clock::time_point deadline, const Progress& progress) {
    return Rework<Separator>(decoder, best, options, steps, doneBefore, deadline, progress);
}

} // namespace kiv::nest::detail
