// The road of one hood in memory, as a batch works it: validators,
// calculation, texts, the drawing's check, script bytes, DXF bytes and the
// summary line; then each stage alone, to see where the time goes.
#include "cli/Batch.h"
#include "cli/Summary.h"
#include "road/Road.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

// A spread of ordinary hoods of all three types, cycled through.
std::vector<std::pair<int, kiv::FieldTexts>> Hoods() {
    std::vector<std::pair<int, kiv::FieldTexts>> hoods;
    for (int i = 0; i < 64; ++i) {
        kiv::FieldTexts t;
        t[kiv::Input::L1] = std::to_string(150 + 7 * i);
        t[kiv::Input::L2] = std::to_string(400 + 11 * i);
        t[kiv::Input::H] = std::to_string(80 + 3 * i);
        hoods.emplace_back(1 + i % 3, t);
    }
    return hoods;
}

void WholeRoad(benchmark::State& state) {
    const auto hoods = Hoods();
    kiv::OutputRequest request;
    request.script = request.dxf = true;
    std::size_t i = 0;
    for ([[maybe_unused]] auto _ : state) {
        const auto& [type, texts] = hoods[i++ % hoods.size()];
        const kiv::RoadResult road = kiv::RunRoad(type, texts, "4133", request);
        std::string line = kiv::cli::SummaryLine(2, "n", type, 1, road.data,
                                                 road.confirmation.report.blank,
                                                 {road.scriptName});
        benchmark::DoNotOptimize(road);
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(WholeRoad);

// Validators, calculation, texts and the drawing's check.
void ConfirmOnly(benchmark::State& state) {
    const auto hoods = Hoods();
    std::size_t i = 0;
    for ([[maybe_unused]] auto _ : state) {
        const auto& [type, texts] = hoods[i++ % hoods.size()];
        kiv::RaschetData d;
        const kiv::Confirmation c = kiv::Confirm(d, type, texts);
        benchmark::DoNotOptimize(c);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ConfirmOnly);

// One output of a confirmed hood, by the request's flag.
void OneOutput(benchmark::State& state) {
    const auto hoods = Hoods();
    std::vector<kiv::RoadResult> confirmed;
    confirmed.reserve(hoods.size());
    for (const auto& [type, texts] : hoods)
        confirmed.push_back(kiv::RunRoad(type, texts, "4133"));
    kiv::OutputRequest request;
    request.script = state.range(0) == 0;
    request.dxf = state.range(0) == 1;
    std::size_t i = 0;
    for ([[maybe_unused]] auto _ : state) {
        const std::size_t k = i++ % hoods.size();
        const kiv::HoodOutputs out = kiv::Produce(confirmed[k].data, hoods[k].first, request);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(request.script ? "script" : "dxf");
}
BENCHMARK(OneOutput)->Arg(0)->Arg(1);

// An order's row from its cells to the confirmed hood, as the batch reads
// it: the cells' texts, their numbers, the validators and the calculation.
void RowFromCells(benchmark::State& state) {
    std::vector<kiv::cli::OrderRow> rows;
    for (const auto& [type, texts] : Hoods()) {
        kiv::cli::OrderRow row;
        row.line = 2;
        row.cells[kiv::cli::kType] = std::to_string(type);
        row.cells[kiv::cli::kL1] = texts[kiv::Input::L1] + ".5";
        row.cells[kiv::cli::kL2] = texts[kiv::Input::L2];
        row.cells[kiv::cli::kH] = texts[kiv::Input::H] + ".25";
        row.cells[kiv::cli::kS] = "0.5";
        rows.push_back(row);
    }
    std::size_t i = 0;
    for ([[maybe_unused]] auto _ : state) {
        kiv::cli::ConfirmedRow out;
        kiv::cli::ConfirmRow(rows[i++ % rows.size()], "0", out);
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(RowFromCells);

void SummaryLineOnly(benchmark::State& state) {
    const kiv::RoadResult road = kiv::RunRoad(3, kiv::FieldTexts(), "4133");
    for ([[maybe_unused]] auto _ : state) {
        std::string line = kiv::cli::SummaryLine(2, "n", 3, 4, road.data,
                                                 road.confirmation.report.blank,
                                                 {road.scriptName});
        benchmark::DoNotOptimize(line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(SummaryLineOnly);

} // namespace
