// vt640-tool watch: the acquisition cycle without windows.
#include "commands.h"
#include "meter_console.h"
#include "meter/sim/demo_meter_host.h"
#include "stop_signal.h"
#include "tool_support.h"

#include "meter/meter_link.h"
#include "meter/port_table.h"
#include "meter/reading_completion.h"
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

    vt640::MeterReading reading;
    int failures = 0;
    while (stop_signal::sleepFor(std::chrono::milliseconds(750))) {
        if (!vt640::fetchMeterReading(port.get(), reading)) {
            if (stop_signal::requested())
                break;
            if (++failures >= 3) {
                failures = 0;
                std::cerr << clockText() << "  " << noDataMessage() << '\n';
            }
            if (port->lastFailure() == vt640::PortFailure::DeviceGone) {
                // The adapter was pulled out: reopen by name until it is back.
                vt640::closeMeterPort(port);
                while (!port && stop_signal::sleepFor(std::chrono::milliseconds(750)))
                    port = vt640::openMeterDevice(device, nullptr);
                if (!port)
                    break;
            }
            continue;
        }
        failures = 0;
        vt640::takeFunctionCode(reading);
        if (vt640::code::isEnergy(reading.functionCode)) {
            std::cerr << clockText() << "  " << numberedMessage(vt640::Str::ErrKwhMode) << '\n';
            continue;
        }
        const bool lowBattery = reading.rawCode & vt640::code::LowBatteryBit;
        vt640::completeMeterReading(reading);
        std::cout << readingLine(reading, vt640::RecorderClock::system().now()) << (lowBattery ? "  LOW BATTERY" : "")
                  << '\n';
        std::cout.flush();
    }
    vt640::closeMeterPort(port);
    std::cerr << "Stopped.\n";
    return 0;
}
