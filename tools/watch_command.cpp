// vt640-tool watch: the acquisition cycle without windows.
#include "commands.h"
#include "meter_console.h"
#include "meter/sim/demo_meter_host.h"
#include "stop_signal.h"
#include "tool_support.h"

#include "meter/meter_poller.h"
#include "meter/port_table.h"
#include "recorder/core/recorder_clock.h"

#include <iostream>

int runWatch(const WatchOptions& options)
{
    const MeterChoice& meter = options.meter;
    if (const std::string why = meterChoiceProblem(meter); !why.empty())
        return tool::usageError("watch", why);
    stop_signal::install();
    StderrPortReporter reporter;
    std::unique_ptr<vt640::sim::DemoMeterHost> demo;
    std::string device;
    if (meter.demo) {
        demo = std::make_unique<vt640::sim::DemoMeterHost>();
        if (!demo->start()) {
            std::cerr << "vt640-tool: cannot open a pseudo-terminal for the simulated meter: "
                      << tool::systemText(errno) << '\n';
            return 1;
        }
        device = demo->devicePath();
        std::cerr << "Watching the simulated meter on " << device << " (Ctrl-C ends)\n";
    } else {
        device = meterDevice(meter.port);
        std::cerr << "Watching " << meter.port << " (" << device << ", Ctrl-C ends)\n";
    }

    vt640::MeterPortHandle port = vt640::openMeterDevice(device, &reporter);
    if (!port) {
        std::cerr << numberedMessage(vt640::Str::WarnNoPort) << '\n';
        return 1;
    }

    // The program's own poll, every 750 ms; a pulled adapter is opened
    // again by name when it comes back.
    vt640::MeterReading reading;
    vt640::MeterPoller poller(port, [&device] { return vt640::openMeterDevice(device, nullptr); });
    while (stop_signal::sleepFor(std::chrono::milliseconds(vt640::MeterPoller::kIntervalMs))) {
        const vt640::PollOutcome out = poller.poll(reading);
        if (stop_signal::requested())
            break;
        if (const std::string change = portChangeText(out, device); !change.empty())
            std::cerr << change << '\n';
        switch (out.result) {
        case vt640::PollOutcome::Result::NoAnswer:
            if (out.warnNoData)
                std::cerr << clockText() << "  " << noDataMessage() << '\n';
            break;
        case vt640::PollOutcome::Result::KilowattHours:
            std::cerr << clockText() << "  " << numberedMessage(vt640::Str::ErrKwhMode) << '\n';
            break;
        case vt640::PollOutcome::Result::Dropped: break; // asked of nobody here
        case vt640::PollOutcome::Result::Reading:
            std::cout << readingLine(reading, vt640::RecorderClock::system().now())
                      << (out.lowBattery ? "  LOW BATTERY" : "") << '\n';
            std::cout.flush();
            break;
        }
    }
    vt640::closeMeterPort(port);
    std::cerr << "Stopped.\n";
    return 0;
}
