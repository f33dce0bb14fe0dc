#include "tests/support/random_hood.h"

#include "input/Validators.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

namespace kiv::test {

namespace {

// A draw for one input, sized by the inputs drawn before it and reaching a
// little past what the validators allow on either side.
// A little past the widest seam allowance the validators take (100 mm).
constexpr double kAllowanceReach = 120;

double Draw(Input in, const RaschetData& d, std::mt19937_64& rng) {
    const auto uniform = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(rng);
    };
    // `from` times ten to a power spread evenly over `decades`.
    const auto decades = [&](double from, double decades) {
        return from * std::pow(10.0, uniform(0, decades));
    };
    switch (in) {
    case Input::S:
        return decades(0.05, 2);
    case Input::L1:
        return decades(5 * d.S, 4);
    case Input::L2:
        return decades(0.8 * d.L1, 1.5);
    case Input::H:
        return decades(d.S, 4.5);
    case Input::FalthP2:
    case Input::AllP2:
        return decades(1.5, 1.2);
    case Input::FalthP1:
        return decades(0.8 * d.FalthP2, std::min(1.0, std::log10(kAllowanceReach / (0.8 * d.FalthP2))));
    case Input::AllP1:
        return decades(0.8 * d.AllP2, std::min(1.0, std::log10(kAllowanceReach / (0.8 * d.AllP2))));
    case Input::AllD:
        return uniform(0.5, 12);
    }
    return 0; // unreachable: every input is listed above
}

// The shortest text that reads back as `value`, as a user could type it.
std::string Text(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) {
        throw std::logic_error("a drawn value has no text");
    }
    return std::string(buffer, end);
}

} // namespace

RaschetData RandomHood(std::mt19937_64& rng) {
    // Every input of the seam page and then those of the seam-and-wire page,
    // each in the order its page's validators read them.
    std::vector<Input> order;
    for (int type : {2, 3}) {
        for (Input in : ValidatorsFor(type)) {
            if (std::find(order.begin(), order.end(), in) == order.end()) {
                order.push_back(in);
            }
        }
    }
    RaschetData d;
    for (Input in : order) {
        int tries = 0;
        while (Validate(in, Text(Draw(in, d, rng)), d).kind != Verdict::Accepted) {
            if (++tries == 10000) {
                throw std::logic_error("the validators refuse every draw");
            }
        }
    }
    return d;
}

} // namespace kiv::test
