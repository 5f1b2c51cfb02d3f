// vt640-tool simulate: the simulated meter on a pseudo-terminal, for the
// program, for tests and for trying things without the meter.
#include "commands.h"
#include "meter/sim/demo_meter_host.h"
#include "stop_signal.h"

#include "meter/port_table.h"

#include <filesystem>
#include <iostream>

using Condition = vt640::sim::DemoMeter::Condition;

int runSimulate(const std::vector<std::string>& args)
{
    std::string as;
    Condition condition = Condition::Normal;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--as" && i + 1 < args.size()) {
            as = args[++i];
        } else if (args[i] == "--condition" && i + 1 < args.size()) {
            const std::string c = args[++i];
            if (c == "normal")
                condition = Condition::Normal;
            else if (c == "lowbattery")
                condition = Condition::LowBattery;
            else if (c == "kwh")
                condition = Condition::KilowattHours;
            else if (c == "overload")
                condition = Condition::Overload;
            else {
                std::cerr << "vt640-tool: unknown condition " << c << '\n';
                return 2;
            }
        } else {
            std::cerr << "usage: vt640-tool simulate [--as COMn] [--condition normal|lowbattery|kwh|overload]\n";
            return 2;
        }
    }
    const int number = as.empty() ? 0 : vt640::PortTable::portNumber(as);
    if (!as.empty()) {
        if (!number) {
            std::cerr << "vt640-tool: " << as << " is not one of COM1 to COM10\n";
            return 2;
        }
    }

    stop_signal::install();
    vt640::sim::DemoMeterHost demo(condition);
    if (!demo.start()) {
        std::cerr << "vt640-tool: cannot open a pseudo-terminal\n";
        return 1;
    }
    if (number) {
        const auto folder = vt640::PortTable::portsFolder();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        if (!demo.host().placeLink(folder / as)) {
            std::cerr << "vt640-tool: cannot place the link " << (folder / as).string() << '\n';
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
