// The graph viewer's opening over a long buffer: the reduction alone, and
// the whole opening (limits, reduction, chart load, strip) with and without
// the first drawing of the full-screen chart. Memory is read from the
// resident set before opening, while open and after closing.
#include "meter/meter_reading.h"
#include "recorder/core/recorder_core.h"
#include "support/scripted_prompt_service.h"
#include "viewer/core/fit_reduction.h"
#include "viewer/fit_chart.h"
#include "viewer/form_view_graphic.h"
#include "viewer/pe_graph.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>
#include <memory>

using namespace vt640;

namespace {

// The offscreen platform with a full-HD screen, so that the full-screen
// chart is drawn at a common monitor's size.
QApplication& app()
{
    static int argc = 1;
    static char name[] = "viewer_bench";
    static char* argv[] = {name, nullptr};
    static QApplication* a = [] {
        const std::string config = "/tmp/viewer_bench_screen_" + std::to_string(::getpid()) + ".json";
        std::ofstream(config) << R"({"screens": [{"name": "FullHd", "x": 0, "y": 0, "width": 1920,)"
                                 R"( "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString("offscreen:configfile=" + config));
        auto* application = new QApplication(argc, argv);
        std::remove(config.c_str());
        return application;
    }();
    return *a;
}

long residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4096;
}

// A recorder core holding `n` logged power readings, built once per size
// and shape: shape 0 wanders like a real load with some noise; shape 1 is
// noise over the whole range, so that every block spans it and the reduced
// chart zigzags from top to bottom, the hardest line to draw.
const RecorderCore& recorderWith(int n, int shape = 0)
{
    static std::map<std::pair<int, int>, std::unique_ptr<RecorderCore>> cores;
    auto& core = cores[{n, shape}];
    if (!core) {
        core = std::make_unique<RecorderCore>();
        MeterReading r;
        r.exponentText = "3";
        r.functionCode = r.rawCode = code::ActivePower1;
        r.prefixText = "k";
        r.unitText = "W";
        r.subText = "0.98";
        r.subFunction = "PF";
        char main[16];
        for (int i = 0; i < n; ++i) {
            const double kw = shape == 0
                                  ? 1.2 + 0.25 * std::sin(i / 2300.0) + 0.06 * std::sin(i / 3.1) + (i % 7) * 0.009
                                  : 0.2 + ((i * 7919) % 1000) * 0.002;
            std::snprintf(main, sizeof main, "%.3f", kw);
            r.mainText = main;
            r.valueText = main;
            core->logOneRecord(r);
        }
    }
    return *core;
}

void BM_Reduction(benchmark::State& state)
{
    const RecorderCore& core = recorderWith(static_cast<int>(state.range(0)));
    FitReduction f;
    for (auto _ : state) {
        f.reduce(core.buffer(), core.maxIndex(), core.minIndex());
        benchmark::DoNotOptimize(f.pointCount());
    }
    state.counters["points"] = f.pointCount();
}
BENCHMARK(BM_Reduction)
    ->Arg(1'000'000)
    ->Arg(10'000'000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// Opening: everything the window does before it appears; `draw` adds the
// first drawing of the chart at the screen's size. Memory: the resident
// set while open and after closing, against the set before the opening.
void openViewer(benchmark::State& state, bool draw)
{
    app();
    const RecorderCore& core = recorderWith(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    ScriptedPromptService prompts;
    TFormViewGraphic viewer(prompts);
    viewer.setRecorder(&core);
    // The window's own buffers come with its first showing; the growth
    // counted is what an opening adds on top of them.
    viewer.show();
    viewer.graph()->replotNow();
    viewer.hide();
    QCoreApplication::processEvents();
    malloc_trim(0);
    const long before = residentBytes();
    long open = 0;
    int points = 0;
    for (auto _ : state) {
        viewer.show();
        if (viewer.graph()->width() < 1900)
            state.SkipWithError("the chart is not full-HD wide");
        if (draw)
            viewer.graph()->replotNow();
        state.PauseTiming();
        points = std::max(points, viewer.graph()->points());
        open = std::max(open, residentBytes());
        viewer.hide();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    malloc_trim(0);
    state.counters["points"] = points;
    state.counters["rss_growth_open_KiB"] = double(open - before) / 1024;
    state.counters["rss_growth_closed_KiB"] = double(residentBytes() - before) / 1024;
}

void BM_Opening(benchmark::State& state) { openViewer(state, false); }
void BM_OpeningAndFirstDraw(benchmark::State& state) { openViewer(state, true); }
BENCHMARK(BM_Opening)
    ->Args({1'000'000, 0})
    ->Args({10'000'000, 0})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_OpeningAndFirstDraw)
    ->Args({1'000'000, 0})
    ->Args({10'000'000, 0})
    ->Args({1'000'000, 1})
    ->Args({10'000'000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

} // namespace
