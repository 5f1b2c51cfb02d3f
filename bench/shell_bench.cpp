// Cost of one acquisition tick without the exchange with the meter: decode,
// complete, the digital meter's update and the posted hand-offs to the
// analog meter, the comparator and the recorder, all views visible.
#include "app/app_windows.h"
#include "app/core/acquisition_cycle.h"
#include "app/form_main.h"
#include "app/core/global_state.h"
#include "app/core/prompt_service.h"
#include "meter/frame_decoder.h"
#include "meter/meter_link.h"
#include "meter/sim/demo_meter.h"
#include "recorder/graphical_form.h"
#include "views/analog_meter_form.h"
#include "views/comparator_form.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class SilentPrompts : public vt640::PromptService {
public:
    Button message(QWidget*, const Message& m) override
    {
        return m.defaultButton != Button::None ? m.defaultButton : m.buttons.value(0);
    }
    QString fileName(QWidget*, const FileRequest&, QString*) override { return {}; }
    QColor color(QWidget*, const QColor&, const QString&) override { return {}; }
    QString text(QWidget*, const QString&, const QString&, const QString&, bool* ok) override
    {
        *ok = false;
        return {};
    }
    bool printDialog(QWidget*, QPrinter&) override { return false; }
    bool printerSetup(QWidget*, QPrinter&) override { return false; }
};

void BM_TickWithoutExchange(benchmark::State& state)
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    SilentPrompts prompts;
    vt640::GlobalState global;
    vt640::AppWindows windows(global, prompts, {});
    windows.showStartupWindows();
    windows.analogMeterForm()->show();
    windows.comparatorForm()->show();
    QCoreApplication::processEvents();

    vt640::sim::DemoMeter meter(3);
    std::vector<vt640::MeterFrame> frames;
    for (std::int64_t t = 0; t < 6 * vt640::sim::DemoMeter::kStepMs; t += 750)
        frames.push_back(meter.frameAt(t));

    vt640::AcquisitionCycle& cycle = windows.cycle();
    std::size_t i = 0;
    for (auto _ : state) {
        vt640::decodeMeterFrame(frames[i], cycle.reading());
        vt640::takeFunctionCode(cycle.reading());
        cycle.handOut();
        cycle.stop();
        QCoreApplication::processEvents(); // the posted hand-offs
        if (++i == frames.size())
            i = 0;
    }
}
BENCHMARK(BM_TickWithoutExchange)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
