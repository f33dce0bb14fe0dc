// The shop outputs: one DXF file, and the template's layout for a default
// and a large hood (the layout searches every sheet for the check square's place).
#include "core/Calculation.h"
#include "export/Dxf.h"
#include "export/Template.h"
#include "tests/support/engine_fixtures.h"

#include <benchmark/benchmark.h>

namespace {

void DxfType3(benchmark::State& state) {
    kiv::RaschetData d = kiv::test::Defaults();
    const kiv::CalcResult calc = kiv::Calculate(d, 3);
    for ([[maybe_unused]] auto _ : state) {
        kiv::DxfOutput out = kiv::DxfBytes(d, 3, calc.summary);
        benchmark::DoNotOptimize(out);
    }
}
BENCHMARK(DxfType3);

void TemplateLayout(benchmark::State& state, kiv::RaschetData d) {
    kiv::Calculate(d, 3);
    const kiv::ShopDrawing drawing = kiv::ShopDrawingOf(d, 3);
    for ([[maybe_unused]] auto _ : state) {
        kiv::TemplateLayout layout = kiv::LayoutTemplate(drawing);
        benchmark::DoNotOptimize(layout);
    }
}
BENCHMARK_CAPTURE(TemplateLayout, DefaultHood, kiv::test::Defaults());
BENCHMARK_CAPTURE(TemplateLayout, LargeHood, kiv::test::Hood(500, 1000, 2000));
BENCHMARK_CAPTURE(TemplateLayout, TenMetreHood, kiv::test::Hood(2000, 5000, 10000));

} // namespace
