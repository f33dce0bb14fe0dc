// How long the user waits from the window's construction to its first painted
// frame, against a bare QMainWindow of the same size with one label, measured
// the same way. Both run on the offscreen platform unless told otherwise.
#include "app/Messages.h"
#include "app/TQMRZL.h"
#include "tests/support/settings_folder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

class NoMessages : public Messages {
public:
    void show(Kind, const QString&, const QString&) override {}
};

// Counts the paint events one widget has handled.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Shows `window` and runs the event loop until `painted` has handled its first
// paint event; false when none came within two seconds.
bool ShowAndWaitForPaint(QWidget& window, QWidget& painted) {
    PaintCounter counter;
    painted.installEventFilter(&counter);
    window.show();
    QElapsedTimer limit;
    limit.start();
    while (counter.paints == 0 && limit.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    painted.removeEventFilter(&counter);
    return counter.paints > 0;
}

using Clock = std::chrono::steady_clock;

void BM_WindowFirstFrame(benchmark::State& state) {
    NoMessages messages;
    for ([[maybe_unused]] auto _ : state) {
        const auto start = Clock::now();
        auto form = std::make_unique<TForm1>(messages, QStringLiteral("Kiv_tqmrzl"));
        const bool painted = ShowAndWaitForPaint(*form, *form->centralWidget());
        const auto end = Clock::now();
        if (!painted) {
            state.SkipWithError("no paint event arrived");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        form.reset();
        QCoreApplication::processEvents();
    }
}

// Where the window's time goes: building the controls alone, never shown.
void BM_WindowConstructionOnly(benchmark::State& state) {
    NoMessages messages;
    for ([[maybe_unused]] auto _ : state) {
        const auto start = Clock::now();
        auto form = std::make_unique<TForm1>(messages, QStringLiteral("Kiv_tqmrzl"));
        const auto end = Clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        form.reset();
        QCoreApplication::processEvents();
    }
}

void BM_BareWindowFirstFrame(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
        const auto start = Clock::now();
        auto window = std::make_unique<QMainWindow>();
        auto* central = new QWidget;
        auto* label = new QLabel(QStringLiteral("Введите размеры зонта в мм"), central);
        label->move(15, 6);
        window->setCentralWidget(central);
        window->resize(722, 508);
        const bool painted = ShowAndWaitForPaint(*window, *central);
        const auto end = Clock::now();
        if (!painted) {
            state.SkipWithError("no paint event arrived");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
        window.reset();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_WindowFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_WindowConstructionOnly)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_BareWindowFirstFrame)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    // The window reads its settings file from the working folder at activation.
    const QTemporaryDir dir;
    if (!kiv::test::EnterSettingsFolder(dir))
        return 1;

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
