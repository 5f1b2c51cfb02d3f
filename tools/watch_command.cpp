// vt640-tool watch: the acquisition cycle without windows.
#include "commands.h"
#include "meter_console.h"
#include "meter/sim/demo_meter_host.h"
#include "stop_signal.h"

#include "meter/meter_link.h"
#include "meter/port_table.h"
#include "meter/reading_completion.h"

#include <iostream>

int runWatch(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::cerr << "usage: vt640-tool watch PORT | --demo\n";
        return 2;
    }
    stop_signal::install();
    StderrPortReporter reporter;
    std::unique_ptr<vt640::sim::DemoMeterHost> demo;
    std::string device;
    if (args[0] == "--demo") {
        demo = std::make_unique<vt640::sim::DemoMeterHost>();
        if (!demo->start()) {
            std::cerr << "vt640-tool: cannot open a pseudo-terminal for the simulated meter\n";
            return 1;
        }
        device = demo->devicePath();
        std::cout << "Watching the simulated meter on " << device << " (Ctrl-C ends)\n";
    } else {
        vt640::PortTable table;
        const int number = vt640::PortTable::portNumber(args[0]);
        device = number ? table.devicePath(number) : args[0];
        std::cout << "Watching " << args[0] << " (" << device << ", Ctrl-C ends)\n";
    }
    std::cout.flush();

    vt640::MeterPortHandle port = vt640::openMeterDevice(device, &reporter);
    if (!port) {
        std::cerr << "Warning[W8001]: You must select a valid COM port before linking to the DMM.\n";
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
                std::cout << clockText() << "  No data received. Will re-try automatically.\n";
            }
            if (port->lastFailure() == vt640::PortFailure::DeviceGone) {
                // The adapter was pulled out: reopen by name until it is back.
                vt640::closeMeterPort(port);
                while (!port && stop_signal::sleepFor(std::chrono::milliseconds(750)))
                    port = vt640::openMeterDevice(device, nullptr);
                if (!port)
                    break;
            }
            std::cout.flush();
            continue;
        }
        failures = 0;
        vt640::takeFunctionCode(reading);
        if (vt640::code::isEnergy(reading.functionCode)) {
            std::cout << clockText()
                      << "  The Data logging feature is not supported in KWHr mode, please change to "
                         "active power mode\n";
            std::cout.flush();
            continue;
        }
        const bool lowBattery = reading.rawCode & vt640::code::LowBatteryBit;
        vt640::completeMeterReading(reading);
        std::cout << readingLine(reading) << (lowBattery ? "  LOW BATTERY" : "") << '\n';
        std::cout.flush();
    }
    vt640::closeMeterPort(port);
    std::cout << "Stopped.\n";
    return 0;
}
