// How fast the two view windows paint at 1000 x 800: the hood turning in 3D
// (a new angle every frame, as while dragging) and the pattern at true shape,
// for the default type-3 hood and a 5 m one. Frames a second are the
// "frames/s" counter; everything runs on the one GUI thread. Linked into
// kiv_bench_window, whose main() starts the application.
#include "app/HoodView3D.h"
#include "app/PatternView.h"
#include "core/Calculation.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

ConfirmedPattern Hood(double l1, double l2, double h, const char* name) {
    ConfirmedPattern p;
    p.data.S = 0.5;
    p.data.L1 = l1;
    p.data.L2 = l2;
    p.data.H = h;
    p.data.FalthP1 = p.data.AllP1 = 3;
    p.data.FalthP2 = p.data.AllP2 = 2;
    p.data.AllD = 2;
    p.type = 3;
    p.name = QString::fromLatin1(name);
    p.summary = kiv::Calculate(p.data, 3).summary;
    return p;
}

ConfirmedPattern Sample(int which) {
    return which == 0 ? Hood(200, 400, 100, "200x400x100x0.5x3x2x2")
                      : Hood(3000, 5000, 1500, "3000x5000x1500x0.5x3x2x2");
}

// One drag step of `dx` pixels: how the user turns the hood.
void Drag(QWidget& w, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, w.mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, w.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, w.mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &press);
    QApplication::sendEvent(&w, &move);
    QApplication::sendEvent(&w, &release);
}

template <class Canvas> void Paint(benchmark::State& state, bool turn) {
    Canvas canvas;
    canvas.resize(1000, 800);
    canvas.setPattern(Sample(static_cast<int>(state.range(0))));
    QImage frame(1000, 800, QImage::Format_ARGB32_Premultiplied);
    for ([[maybe_unused]] auto _ : state) {
        if (turn)
            Drag(canvas, QPoint(500, 400), QPoint(503, 401));
        frame.fill(Qt::white);
        canvas.render(&frame);
        benchmark::DoNotOptimize(frame.bits());
    }
    state.counters["frames/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_Hood3DTurning(benchmark::State& state) {
    Paint<HoodCanvas3D>(state, true);
}
void BM_Pattern2D(benchmark::State& state) {
    Paint<PatternCanvas>(state, false);
}

// 0: the default type-3 hood, 1: a 5 m hood (5000 x 3000, 1.5 m high).
BENCHMARK(BM_Hood3DTurning)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pattern2D)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
