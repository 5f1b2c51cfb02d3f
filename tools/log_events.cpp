#include "log_events.h"

#include "console.h"
#include "tool_support.h"

#include "analysis/episode_format.h"
#include "recorder/core/recorder_clock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using vt640::analysis::LimitEpisode;

std::string LogEvents::configure(const LogEventOptions& options, bool published)
{
    if (!options.hi && !options.lo) {
        if (options.file)
            return "--events needs the limits: --hi X --lo Y";
        if (options.minDuration)
            return "--min-duration needs the limits: --hi X --lo Y";
        return {};
    }
    if (const std::string why = parseLimits(options.hi, options.lo, options.minDuration, limits_); !why.empty())
        return why;
    if (!options.file && !published)
        return "--hi and --lo judge the records for --events FILE.csv or --mqtt; give one of them";
    if (options.file) {
        if (options.file->empty())
            return "--events needs a file name";
        path_ = *options.file;
    }
    finder_.emplace(limits_.upper, limits_.lower, limits_.minDurationMs);
    times_.emplace(std::nullopt, vt640::RecorderClock::localZoneOffsetMinutes);
    return {};
}

LogEvents::~LogEvents()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool LogEvents::open(Console& console)
{
    if (!finder_ || path_.empty())
        return true;
    // Appended to, never through a link planted at the name, never waiting
    // on a pipe; a file of anything else is not added to.
    fd_ = ::open(path_.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        const int error = errno;
        console.warn("vt640-tool: cannot open --events " + path_ + ": "
                     + (error == ELOOP ? std::string("it is a symbolic link") : tool::systemText(error)));
        return false;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
        console.warn("vt640-tool: --events " + tool::notAFile(path_));
        return false;
    }
    const std::string_view header = vt640::analysis::kEpisodeCsvHeader;
    if (st.st_size == 0) {
        if (::write(fd_, header.data(), header.size()) != static_cast<ssize_t>(header.size())) {
            console.warn("vt640-tool: cannot write --events " + path_ + ": " + tool::systemText(errno));
            return false;
        }
        return true;
    }
    std::string first(header.size(), '\0');
    const ssize_t n = ::pread(fd_, first.data(), first.size(), 0);
    if (n != static_cast<ssize_t>(first.size()) || first != header) {
        console.warn("vt640-tool: --events " + path_
                     + " holds something else than limit episodes; name a new file or one this command wrote");
        return false;
    }
    return true;
}

void LogEvents::write(const LimitEpisode& episode, Console& console)
{
    if (fd_ < 0)
        return;
    // One write per row: appended whole, even beside another writer.
    const std::string row = vt640::analysis::episodeCsvRow(episode);
    const ssize_t n = ::write(fd_, row.data(), row.size());
    if ((n != static_cast<ssize_t>(row.size()) || ::fdatasync(fd_) != 0) && !toldFailure_) {
        toldFailure_ = true;
        console.warn("vt640-tool: writing --events " + path_ + " failed (" + tool::systemText(errno)
                     + "); logging goes on");
    }
}

void LogEvents::add(const vt640::TBRecord& record, Console& console, const Publish& publish)
{
    if (!finder_)
        return;
    if (const auto episode = finder_->add(record, times_->next(record))) {
        write(*episode, console);
        if (publish)
            publish(*episode);
    }
}

void LogEvents::finish(Console& console, const Publish& publish)
{
    if (!finder_)
        return;
    if (const auto episode = finder_->finish()) {
        write(*episode, console);
        if (publish)
            publish(*episode);
    }
}
