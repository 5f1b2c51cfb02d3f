// Cost of turning one frame into a completed reading.
#include "meter/meter_link.h"
#include "meter/sim/demo_meter.h"

#include <benchmark/benchmark.h>
#include <vector>

using namespace vt640;

namespace {

std::vector<MeterFrame> demoFrames()
{
    sim::DemoMeter meter(1);
    std::vector<MeterFrame> frames;
    for (std::int64_t t = 0; t < sim::DemoMeter::kSteps * sim::DemoMeter::kStepMs; t += 750)
        frames.push_back(meter.frameAt(t));
    return frames;
}

void BM_DecodeAndComplete(benchmark::State& state)
{
    const auto frames = demoFrames();
    MeterReading reading;
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(applyMeterFrame(frames[i], reading));
        benchmark::DoNotOptimize(reading.valueText.data());
        if (++i == frames.size())
            i = 0;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DecodeAndComplete);

} // namespace
