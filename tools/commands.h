#pragma once

#include "publish/publish_options.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// The subcommands of vt640-tool with their options as given on the command
// line (vt640_tool.cpp parses it); each command checks its values and
// returns the process exit status.

// A meter: a port (COM1..COM10 or a device path) or the simulated one.
struct MeterChoice {
    std::string port;
    bool demo = false;
};

struct WatchOptions {
    MeterChoice meter;
};

// Publishing to an MQTT broker while logging (log_publishing.h).
// --mqtt and its companions, as vt640-recorder takes them too.
using MqttOptions = vt640::publish::PublishOptions;

// Writing into InfluxDB while logging (log_influx.h).
struct InfluxOptions {
    std::optional<std::string> url;
    std::optional<std::string> tokenFile;
    std::optional<std::string> meterId; // the meter tag
};

// Limit episodes while logging (log_events.h).
struct LogEventOptions {
    std::optional<std::string> hi;
    std::optional<std::string> lo;
    std::optional<std::string> minDuration;
    std::optional<std::string> file; // --events FILE.csv
};

struct LogOptions {
    MeterChoice meter;
    std::string output;
    std::optional<std::string> interval;
    std::optional<std::string> count;
    std::optional<std::string> duration;
    bool append = false;
    MqttOptions mqtt;
    InfluxOptions influx;
    LogEventOptions events;
};

struct ConvertOptions {
    std::string input;
    std::string output;
    std::optional<std::string> pages;
    std::optional<std::string> layout;
    std::optional<std::string> pointsPerPage;
    std::optional<std::string> date;
    std::optional<std::string> meterId; // the meter tag of a .lp output
    bool isoTime = false;
    bool force = false;
};

// stats and events: which records, and how undated ones are dated.
struct FileReading {
    std::optional<std::string> layout;
    std::optional<std::string> date;
};

struct StatsOptions {
    std::vector<std::string> inputs;
    FileReading reading;
    bool json = false;
};

struct EventsOptions {
    std::string input;
    std::optional<std::string> hi;
    std::optional<std::string> lo;
    std::optional<std::string> minDuration;
    FileReading reading;
    bool json = false;
};

struct PlotOptions {
    std::string input;
    std::string output;
    std::optional<std::string> page;
    std::optional<std::string> size;
    std::optional<std::string> layout;
    bool whole = false;
    bool mono = false;
};

struct SimulateOptions {
    std::optional<std::string> as;
    std::optional<std::string> condition;
};

int runWatch(const WatchOptions& options);
int runLog(const LogOptions& options);
int runConvert(const ConvertOptions& options);
int runPlot(const PlotOptions& options);
int runStats(const StatsOptions& options);
int runEvents(const EventsOptions& options);
int runSimulate(const SimulateOptions& options);
int runDecode(std::istream& in, std::ostream& out, std::ostream& err);
