// vt640-tool simulate: the simulated meter on a pseudo-terminal, for the
// program, for tests and for trying things without the meter.
#include "commands.h"
#include "meter/sim/demo_meter_host.h"
#include "stop_signal.h"
#include "tool_support.h"

#include "meter/port_table.h"

#include <cerrno>
#include <filesystem>
#include <iostream>

using Condition = vt640::sim::DemoMeter::Condition;

int runSimulate(const SimulateOptions& options)
{
    Condition condition = Condition::Normal;
    if (options.condition) {
        const std::string& c = *options.condition;
        if (c == "normal")
            condition = Condition::Normal;
        else if (c == "lowbattery")
            condition = Condition::LowBattery;
        else if (c == "kwh")
            condition = Condition::KilowattHours;
        else if (c == "overload")
            condition = Condition::Overload;
        else
            return tool::usageError("simulate",
                                    "--condition takes normal, lowbattery, kwh or overload, not " + tool::quoted(c));
    }
    const std::string as = options.as.value_or(std::string());
    const int number = as.empty() ? 0 : vt640::PortTable::portNumber(as);
    if (options.as && !number)
        return tool::usageError("simulate", "--as takes one of COM1 to COM10, not " + tool::quoted(as));

    stop_signal::install();
    vt640::sim::DemoMeterHost demo(condition);
    if (!demo.start()) {
        std::cerr << "vt640-tool: cannot open a pseudo-terminal: " << tool::systemText(errno) << '\n';
        return 1;
    }
    if (number) {
        const auto folder = vt640::PortTable::portsFolder();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            std::cerr << "vt640-tool: cannot make the folder " << folder.string() << ": " << ec.message() << '\n';
            return 1;
        }
        if (!demo.host().placeLink(folder / as)) {
            std::cerr << "vt640-tool: cannot place the link " << (folder / as).string() << ": "
                      << tool::systemText(errno) << '\n';
            return 1;
        }
        std::cerr << as << " -> " << demo.devicePath() << '\n';
    }
    std::cout << demo.devicePath() << std::endl;
    while (stop_signal::sleepFor(std::chrono::milliseconds(200))) {
    }
    demo.host().stop();
    return 0;
}
