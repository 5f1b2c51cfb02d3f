#pragma once

#include "commands.h"
#include "limit_options.h"

#include "analysis/limit_episodes.h"
#include "analysis/record_times.h"

#include <functional>
#include <optional>
#include <string>

class Console;

// `log --hi X --lo Y`: each record judged as the comparator judges it, and
// each limit episode, as it ends, appended to the --events file (CSV) and
// handed to whoever publishes it. Without --hi and --lo every call does
// nothing.
class LogEvents {
public:
    using Publish = std::function<void(const vt640::analysis::LimitEpisode&)>;

    // Checks the options; empty when they are fine, otherwise what is
    // wrong, for a usage error. `published` says whether episodes go
    // somewhere besides the file (--mqtt).
    std::string configure(const LogEventOptions& options, bool published);
    bool active() const { return finder_.has_value(); }

    // Opens the --events file to append to (made with its header line when
    // new); false after telling why.
    bool open(Console& console);

    // Judges the record just logged.
    void add(const vt640::TBRecord& record, Console& console, const Publish& publish);
    // Logging ends: an episode still open ends with the last record.
    void finish(Console& console, const Publish& publish);

    ~LogEvents();

private:
    void write(const vt640::analysis::LimitEpisode& episode, Console& console);

    LimitChoice limits_;
    std::optional<vt640::analysis::EpisodeFinder> finder_;
    std::optional<vt640::analysis::RecordTimes> times_;
    std::string path_;
    int fd_ = -1;
    bool toldFailure_ = false;
};
