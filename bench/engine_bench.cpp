#include "report/FormatFixed.h"
#include "report/Texts.h"
#include "script/Script.h"
#include "tests/support/engine_fixtures.h"

#include <benchmark/benchmark.h>

namespace {

kiv::RaschetData DefaultHood() {
    kiv::RaschetData d = kiv::test::Defaults();
    d.OsmodeValue = "4133";
    return d;
}

// What one confirmation of the seam-and-wire pattern and one press of the
// script button cost together.
void WholeType3(benchmark::State& state) {
    const std::vector<std::string> texts = {"200", "400", "100", "0.5", "3", "2", "2"};
    for ([[maybe_unused]] auto _ : state) {
        kiv::RaschetData d = DefaultHood();
        kiv::TypeReport report = kiv::RunPattern(d, 3);
        std::string name = kiv::ScriptFileName(texts);
        std::string bytes = kiv::ScriptBytes(d, 3);
        benchmark::DoNotOptimize(report);
        benchmark::DoNotOptimize(name);
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(WholeType3);

void FormatCoordinate(benchmark::State& state) {
    double v = 238.74259;
    for ([[maybe_unused]] auto _ : state) {
        std::string text = kiv::FormatFixed(v, 10, 4);
        benchmark::DoNotOptimize(text);
        v += 0.001;
    }
}
BENCHMARK(FormatCoordinate);

} // namespace
