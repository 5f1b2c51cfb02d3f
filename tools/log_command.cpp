// vt640-tool log: the recorder's automatic logging without a window. The
// meter is polled as the program's acquisition cycle polls it, records are
// built by the recorder's own core and go straight into a ".640" file.
#include "commands.h"
#include "console.h"
#include "log_file.h"
#include "meter_console.h"
#include "stop_signal.h"
#include "tool_support.h"

#include "app/core/acquisition_cycle.h"
#include "meter/meter_link.h"
#include "meter/port_table.h"
#include "meter/reading_completion.h"
#include "meter/sim/demo_meter_host.h"
#include "resources/string_table.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/recorder_core.h"

#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The acquisition cycle's period between the end of one poll and the next,
// and its count of failed polls that makes a warning.
constexpr milliseconds kCycle{vt640::AcquisitionCycle::kIntervalMs};
constexpr int kFailureThreshold = vt640::AcquisitionCycle::kFailureThreshold;
// Wake-ups while waiting, for the flush and the status line.
constexpr milliseconds kWake{100};

constexpr int kExitKilowattHours = 3;

const char* const kUsage =
    "usage: vt640-tool log PORT|--demo -o FILE.640 [--interval SECONDS] [--count N] [--duration SECONDS] [--append]\n";

int usage(const std::string& why)
{
    std::cerr << "vt640-tool log: " << why << '\n' << kUsage;
    return 2;
}

std::string recordsText(std::int64_t n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

std::string statusText(const LogFile& file, Clock::duration elapsed, const std::string& path)
{
    const long long s = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    const double bytes = static_cast<double>(file.records()) * sizeof(vt640::TBRecord);
    const bool mebi = bytes >= 1024.0 * 1024.0;
    char text[96];
    std::snprintf(text, sizeof text, "  %lld:%02lld:%02lld  %.1f %s  ", s / 3600, s / 60 % 60, s % 60,
                  mebi ? bytes / (1024.0 * 1024.0) : bytes / 1024.0, mebi ? "MiB" : "KiB");
    std::string line = recordsText(file.added()) + text + path;
    if (file.failing())
        line += "  (writing fails; " + std::to_string(file.pending()) + " waiting)";
    return line;
}

std::string startFailure(LogFile::Start start, const std::string& path, int error)
{
    switch (start) {
    case LogFile::Start::Created:
    case LogFile::Start::Opened: break;
    case LogFile::Start::Exists: return path + " exists (--append adds to it)";
    case LogFile::Start::NotWhole: return path + " does not end in a whole record; it is no logger file to add to";
    case LogFile::Start::NotAFile: return path + " is not a plain file";
    case LogFile::Start::InUse: return path + " is being written by another logger";
    case LogFile::Start::Failed: return "cannot open " + path + ": " + tool::systemText(error);
    }
    return {};
}

} // namespace

int runLog(const std::vector<std::string>& args)
{
    std::string portArg;
    std::string path;
    long long intervalSeconds = 0;
    std::optional<long long> count;
    std::optional<long long> duration;
    bool append = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "-o" && hasValue) {
            path = args[++i];
        } else if (a == "--interval" && hasValue) {
            // Stored in milliseconds as an int32, as the recorder stores it.
            const auto v = tool::integer(args[++i], 0, INT_MAX / 1000);
            if (!v)
                return usage("--interval takes whole seconds (0 is full speed)");
            intervalSeconds = *v;
        } else if (a == "--count" && hasValue) {
            count = tool::integer(args[++i], 1, LLONG_MAX);
            if (!count)
                return usage("--count takes a number of records of at least 1");
        } else if (a == "--duration" && hasValue) {
            duration = tool::integer(args[++i], 1, 999999999LL);
            if (!duration)
                return usage("--duration takes whole seconds, at least 1");
        } else if (a == "--append") {
            append = true;
        } else if (a == "--demo" || a.empty() || a[0] != '-') {
            if (!portArg.empty())
                return usage("one port only");
            portArg = a;
        } else {
            return usage("unknown option " + a);
        }
    }
    if (portArg.empty() || path.empty())
        return usage("PORT (or --demo) and -o FILE.640 are needed");
    // Any other name would be read back as records of an older layout, and a
    // ".tmp" name would be taken by the recorder for a run's left file.
    if (vt640::layoutForPath(path) != vt640::RecordLayout::Native || tool::endsWith(path, ".tmp"))
        return usage(path + " is not a .640 file name");

    stop_signal::install();
    // A reader of the record lines that goes away does not end logging.
    std::signal(SIGPIPE, SIG_IGN);
    Console console;

    StderrPortReporter reporter;
    std::unique_ptr<vt640::sim::DemoMeterHost> demo;
    std::string device;
    if (portArg == "--demo") {
        demo = std::make_unique<vt640::sim::DemoMeterHost>();
        if (!demo->start()) {
            std::cerr << "vt640-tool: cannot open a pseudo-terminal for the simulated meter\n";
            return 1;
        }
        device = demo->devicePath();
    } else {
        vt640::PortTable table;
        const int number = vt640::PortTable::portNumber(portArg);
        device = number ? table.devicePath(number) : portArg;
    }
    vt640::MeterPortHandle port = vt640::openMeterDevice(device, &reporter);
    if (!port) {
        std::cerr << numberedMessage(vt640::Str::WarnNoPort) << '\n';
        return 1;
    }

    LogFile file;
    const LogFile::Start started = file.start(path, append);
    if (started != LogFile::Start::Created && started != LogFile::Start::Opened) {
        std::cerr << "vt640-tool: " << startFailure(started, path, file.lastError()) << '\n';
        vt640::closeMeterPort(port);
        return 1;
    }
    console.line("Logging " + (demo ? "the simulated meter on " + device : portArg + " (" + device + ")") + " into "
                 + path
                 + (started == LogFile::Start::Opened ? " after its " + std::to_string(file.records()) + " records"
                                                      : std::string())
                 + " (Ctrl-C ends)");

    // The recorder's logging state: Full Speed, or the first reading after
    // every tick of the logging timer; the first reading is logged at once.
    vt640::RecorderCore core;
    const auto intervalMs =
        static_cast<std::int32_t>(intervalSeconds == 0 ? vt640::RecorderCore::kFullSpeedMs : intervalSeconds * 1000);
    core.setIntervalMs(intervalMs);
    const Clock::time_point startTime = Clock::now();
    Clock::time_point nextTimerTick = startTime + milliseconds(intervalMs);
    bool sampleRequested = true;

    vt640::MeterReading reading;
    int failures = 0;
    bool portLost = false;
    int status = 0;
    long long made = 0;

    auto due = [&] { return duration && Clock::now() - startTime >= std::chrono::seconds(*duration); };
    // The cycle's pause between polls, with the file flushed and the status
    // line kept up meanwhile.
    auto pause = [&] {
        const Clock::time_point until = Clock::now() + kCycle;
        for (;;) {
            file.tick();
            if (console.terminal())
                console.status(statusText(file, Clock::now() - startTime, path));
            if (due() || stop_signal::requested())
                return false;
            const auto left = until - Clock::now();
            if (left <= Clock::duration::zero())
                return true;
            if (!stop_signal::sleepFor(std::min(kWake, std::chrono::duration_cast<milliseconds>(left))
                                       + milliseconds(1)))
                return false;
        }
    };

    while (pause()) {
        if (portLost) {
            // The adapter was pulled out: open it by name again, quietly;
            // until it is back every poll fails as usual.
            vt640::closeMeterPort(port);
            port = vt640::openMeterDevice(device, nullptr);
            if (port) {
                portLost = false;
                console.warn("vt640-tool: " + device + " is back");
            }
        }
        const int fetched = vt640::fetchMeterReading(port.get(), reading);
        if (stop_signal::requested())
            break;
        if (!fetched && port && port->lastFailure() == vt640::PortFailure::DeviceGone && !portLost) {
            portLost = true;
            console.warn("vt640-tool: " + device + " has gone; it is opened again when it comes back");
        }
        vt640::takeFunctionCode(reading);
        if (!fetched) {
            if (++failures >= kFailureThreshold) {
                failures = 0;
                console.warn(numberedMessage(vt640::Str::WarnNoData) + " "
                             + std::string(vt640::stringText(vt640::Str::CheckCable)));
            }
            continue;
        }
        failures = 0;
        if (vt640::code::isEnergy(reading.functionCode)) {
            console.warn(numberedMessage(vt640::Str::ErrKwhMode) + " Logging ends.");
            status = kExitKilowattHours;
            break;
        }
        const bool lowBattery = reading.rawCode & vt640::code::LowBatteryBit;
        if (lowBattery)
            console.warn(numberedMessage(vt640::Str::WarnLowBattery));
        vt640::completeMeterReading(reading);

        // The logging timer: ticks that passed while polling count once.
        const Clock::time_point now = Clock::now();
        if (now >= nextTimerTick) {
            sampleRequested = true;
            while (nextTimerTick <= now)
                nextTimerTick += milliseconds(intervalMs);
        }
        if (!sampleRequested)
            continue;
        sampleRequested = false;
        const auto record = core.makeRecord(reading);
        if (!record)
            continue; // a reading without a value makes no record
        const bool wasFailing = file.failing();
        const LogFile::Added added = file.add(*record);
        if (added == LogFile::Added::Overflow) {
            console.warn("vt640-tool: writing " + path + " has failed for " + std::to_string(LogFile::kMaxPending)
                         + " records; logging ends");
            status = 1;
            break;
        }
        if (added == LogFile::Added::Pending && !wasFailing)
            console.warn("vt640-tool: writing " + path + " fails (" + tool::systemText(file.lastError())
                         + "); the records are kept and written when it works again");
        console.line(readingLine(reading) + (lowBattery ? "  LOW BATTERY" : ""));
        if (count && ++made >= *count)
            break;
    }
    vt640::closeMeterPort(port);

    const bool complete = file.finish();
    console.clearStatus();
    const std::int64_t written = file.added();
    std::cout << recordsText(written) << " written to " << path << '\n';
    std::cout.flush();
    if (!complete) {
        std::cerr << "vt640-tool: " << file.pending() << " records could not be written to " << path << '\n';
        return 1;
    }
    return status;
}
