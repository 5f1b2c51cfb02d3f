// vt640-tool log: the recorder's automatic logging without a window. The
// meter is polled as the program's acquisition cycle polls it, records are
// built by the recorder's own core and go straight into a ".640" file.
#include "commands.h"
#include "console.h"
#include "log_file.h"
#include "log_events.h"
#include "log_influx.h"
#include "log_publishing.h"
#include "meter_console.h"
#include "stop_signal.h"
#include "tool_support.h"

#include "meter/meter_poller.h"
#include "meter/port_table.h"
#include "meter/sim/demo_meter_host.h"
#include "analysis/episode_format.h"
#include "publish/meter_id.h"
#include "resources/string_table.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/sample_schedule.h"

#include <chrono>
#include <climits>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>

#include <sys/stat.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// The poll's period between the end of one poll and the next.
constexpr milliseconds kCycle{vt640::MeterPoller::kIntervalMs};
// Wake-ups while waiting, for the flush and the status line.
constexpr milliseconds kWake{100};

constexpr int kExitKilowattHours = 3;

int usage(const std::string& why) { return tool::usageError("log", why); }

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
    case LogFile::Start::Exists: {
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return tool::notAFile(path);
        return path + " exists (--append adds to it)";
    }
    case LogFile::Start::NotWhole: return path + " does not end in a whole record; it is no logger file to add to";
    case LogFile::Start::TailNotMoved:
        return path + " ends in part of a record, which could not be moved aside into " + path
               + ".torn: " + tool::systemText(error);
    case LogFile::Start::NotAFile: return tool::notAFile(path);
    case LogFile::Start::InUse: return path + " is being written by another logger";
    case LogFile::Start::Failed: return "cannot open " + path + ": " + tool::systemText(error);
    }
    return {};
}

} // namespace

int runLog(const LogOptions& options)
{
    if (const std::string why = meterChoiceProblem(options.meter); !why.empty())
        return usage(why);
    const std::string& path = options.output;
    long long intervalSeconds = 0;
    std::optional<long long> count;
    std::optional<long long> duration;
    if (options.interval) {
        // Stored in milliseconds as an int32, as the recorder stores it.
        const auto v = tool::integer(*options.interval, 0, INT_MAX / 1000);
        if (!v)
            return usage("--interval takes whole seconds (0 is full speed), not " + tool::quoted(*options.interval));
        intervalSeconds = *v;
    }
    if (options.count) {
        count = tool::integer(*options.count, 1, LLONG_MAX);
        if (!count)
            return usage("--count takes a number of records of at least 1, not " + tool::quoted(*options.count));
    }
    if (options.duration) {
        duration = tool::integer(*options.duration, 1, 999999999LL);
        if (!duration)
            return usage("--duration takes whole seconds, at least 1, not " + tool::quoted(*options.duration));
    }
    // Any other name would be read back as records of an older layout, and a
    // ".tmp" name would be taken by the recorder for a run's left file.
    if (vt640::layoutForPath(path) != vt640::RecordLayout::Native || tool::endsWith(path, ".tmp"))
        return usage(path + " is not a .640 file name");
    LogPublishing mqtt; // --mqtt
    if (const std::string why = mqtt.configure(options.mqtt, options.meter.demo ? "demo" : options.meter.port);
        !why.empty())
        return usage(why);
    LogInflux influx; // --influx
    const std::string portName = options.meter.demo ? "demo" : options.meter.port;
    if (const std::string why = influx.configure(options.influx, options.mqtt.id.value_or(vt640::publish::meterIdFor(
                                                                     vt640::publish::shortHostName(), portName)));
        !why.empty())
        return usage(why);
    LogEvents events; // --hi, --lo, --events
    if (const std::string why = events.configure(options.events, options.mqtt.url.has_value()); !why.empty())
        return usage(why);
    // Each episode as it ends, to the broker too.
    const LogEvents::Publish publishEpisode = [&mqtt](const vt640::analysis::LimitEpisode& e) {
        mqtt.event(vt640::analysis::jsonText(vt640::analysis::episodeJson(e)));
    };

    stop_signal::install();
    // A reader of the record lines that goes away does not end logging.
    std::signal(SIGPIPE, SIG_IGN);
    Console console;

    StderrPortReporter reporter;
    std::unique_ptr<vt640::sim::DemoMeterHost> demo;
    std::string device;
    if (options.meter.demo) {
        demo = std::make_unique<vt640::sim::DemoMeterHost>();
        if (!demo->start()) {
            std::cerr << "vt640-tool: cannot open a pseudo-terminal for the simulated meter: "
                      << tool::systemText(errno) << '\n';
            return 1;
        }
        device = demo->devicePath();
    } else {
        device = meterDevice(options.meter.port);
    }
    vt640::MeterPortHandle port = vt640::openMeterDevice(device, &reporter);
    if (!port) {
        std::cerr << numberedMessage(vt640::Str::WarnNoPort) << '\n';
        return 1;
    }

    if (!events.open(console)) {
        vt640::closeMeterPort(port);
        return 1;
    }
    LogFile file;
    const LogFile::Start started = file.start(path, options.append);
    if (started != LogFile::Start::Created && started != LogFile::Start::Opened) {
        std::cerr << "vt640-tool: " << startFailure(started, path, file.lastError()) << '\n';
        vt640::closeMeterPort(port);
        return 1;
    }
    if (const auto& torn = file.movedTail(); torn.bytes > 0)
        console.warn("vt640-tool: " + path + " ended in part of a record: its last " + std::to_string(torn.bytes)
                     + (torn.bytes == 1 ? " byte was" : " bytes were") + " moved into " + torn.path);
    console.warn("Logging " + (demo ? "the simulated meter on " + device : options.meter.port + " (" + device + ")")
                 + " into " + path
                 + (started == LogFile::Start::Opened ? " after its " + std::to_string(file.records()) + " records"
                                                      : std::string())
                 + " (Ctrl-C ends)");
    mqtt.start(path, file.records(), console);
    influx.start(path, file.records(), console);

    // The recorder's record builder and sampling rule: Full Speed, or the
    // first reading after every tick of the logging timer; the first reading
    // is logged at once.
    vt640::RecorderCore core;
    const std::int32_t intervalMs = vt640::SampleSchedule::intervalFor(intervalSeconds);
    core.setIntervalMs(intervalMs);
    vt640::RecorderClock& clock = vt640::RecorderClock::system();
    vt640::SampleSchedule schedule;
    schedule.start(clock.tickMs(), intervalMs);
    const Clock::time_point startTime = Clock::now();

    // The program's own poll; a pulled adapter is opened again by name
    // when it comes back.
    vt640::MeterReading reading;
    vt640::MeterPoller poller(port, [&device] { return vt640::openMeterDevice(device, nullptr); });
    int status = 0;
    long long made = 0;

    // A failure of writing is told once, and so is its end, with the
    // records that had waited and are now in the file.
    bool toldFailing = false;
    std::int64_t recordsWhenFailing = 0;
    auto tellWriting = [&] {
        if (file.failing() && !toldFailing) {
            toldFailing = true;
            recordsWhenFailing = file.records();
            console.warn("vt640-tool: writing " + path + " fails (" + tool::systemText(file.lastError())
                         + "); the records are kept and written when it works again");
        } else if (!file.failing() && toldFailing) {
            toldFailing = false;
            console.warn("vt640-tool: writing " + path
                         + " works again: " + recordsText(file.records() - recordsWhenFailing) + " written again");
        }
    };

    auto due = [&] { return duration && Clock::now() - startTime >= std::chrono::seconds(*duration); };
    // The cycle's pause between polls, with the file flushed and the status
    // line kept up meanwhile.
    auto pause = [&] {
        const Clock::time_point until = Clock::now() + kCycle;
        for (;;) {
            file.tick();
            tellWriting();
            mqtt.recordsInFile(file.records());
            mqtt.tell(console);
            influx.recordsInFile(file.records());
            influx.tell(console);
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
        const vt640::PollOutcome out = poller.poll(reading);
        if (stop_signal::requested())
            break;
        if (const std::string change = portChangeText(out, device); !change.empty())
            console.warn(change);
        if (out.result == vt640::PollOutcome::Result::NoAnswer) {
            // A pulled adapter, or three polls without an answer: the
            // meter is offline to the broker until it answers again.
            if (out.deviceGone || out.warnNoData)
                mqtt.meterOnline(false);
            if (out.warnNoData)
                console.warn(noDataMessage());
            continue;
        }
        mqtt.meterOnline(true);
        if (out.result == vt640::PollOutcome::Result::KilowattHours) {
            console.warn(numberedMessage(vt640::Str::ErrKwhMode) + " Logging ends.");
            status = kExitKilowattHours;
            break;
        }
        if (out.lowBattery)
            console.warn(numberedMessage(vt640::Str::WarnLowBattery));

        // The logging timer's ticks up to now; the reading is logged when one
        // asked for it.
        schedule.advanceTo(clock.tickMs());
        if (!schedule.take())
            continue;
        const auto record = core.makeRecord(reading);
        if (!record)
            continue; // a reading without a value makes no record
        const LogFile::Added added = file.add(*record);
        if (added == LogFile::Added::Overflow) {
            console.warn("vt640-tool: writing " + path + " has failed for " + std::to_string(LogFile::kMaxPending)
                         + " records (" + tool::systemText(file.lastError()) + "); logging ends");
            status = 1;
            break;
        }
        tellWriting();
        mqtt.recordsInFile(file.records());
        influx.recordsInFile(file.records());
        events.add(*record, console, publishEpisode);
        const auto at = vt640::recordStamp(*record); // its own date, as the file has it
        console.line(readingLine(reading, at.value_or(core.clock().now())) + (out.lowBattery ? "  LOW BATTERY" : ""));
        if (count && ++made >= *count)
            break;
    }
    vt640::closeMeterPort(port);

    const bool complete = file.finish();
    if (complete)
        tellWriting(); // the last attempt may have caught up
    events.finish(console, publishEpisode);
    mqtt.recordsInFile(file.records());
    influx.recordsInFile(file.records());
    mqtt.finish(console);
    influx.finish(console);
    console.clearStatus();
    const std::int64_t written = file.added();
    std::cerr << recordsText(written) << " written to " << path << '\n';
    if (!complete) {
        std::cerr << "vt640-tool: " << recordsText(static_cast<std::int64_t>(file.pending()))
                  << " could not be written to " << path << " (" << tool::systemText(file.lastError()) << ")\n";
        return 1;
    }
    return status;
}
