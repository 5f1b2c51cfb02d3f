#pragma once

#include "publish/publisher_event.h"
#include "recorder/core/t_b_record.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace vt640::publish {

// Where a receiver (an MQTT broker, a time-series database) stands in the
// logger file it is fed from. The file is the only store: records are read
// back from it with a read-only descriptor of its own, and beside it, in
// `FILE.<kind>` (PublishPosition), the index of the last record the
// receiver acknowledged is kept, so that after an outage or a restart
// sending goes on after it. One thread uses a cursor.
class StoreCursor {
public:
    using Clock = std::chrono::steady_clock;
    // The position reaches its file at most this often (and whenever forced).
    static constexpr std::chrono::milliseconds kSavePeriod{1000};
    // What went wrong: PositionIgnored, PositionFailed or StoreFailed.
    using Tell = std::function<void(PublisherEvent)>;

    // `kind` names the position file ("mqtt", "influx"); `receiver` and
    // `stream` say whom it is for ("host:port", and the topic or the
    // database): a position kept for another is not taken.
    StoreCursor(std::string kind, std::string receiver, std::string stream);
    ~StoreCursor();
    StoreCursor(const StoreCursor&) = delete;
    StoreCursor& operator=(const StoreCursor&) = delete;

    // Follows the logger file `path`, which holds `records` records, after
    // saving the position in the file followed so far. Returns the last
    // acknowledged record: the position beside the file when it is this
    // receiver's and within the file, else the last record (-1 for none),
    // so that only new records are sent. That position is kept at once.
    std::int64_t follow(const std::string& path, std::int64_t records, const Tell& tell);

    // Whether the file could be opened.
    bool readable() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Records [first, first + count) of the file into `out`, as many as it
    // holds: how many were read (0 at its end or after a failure, told once).
    std::int64_t read(std::int64_t first, std::int64_t count, TBRecord* out, const Tell& tell);

    // Keeps `acked` as the position, at most once a save period unless
    // `force`. Failures are told once.
    void save(std::int64_t acked, Clock::time_point now, bool force, const Tell& tell);
    // Whether `acked` is not yet in the position file; when it is due.
    bool unsaved(std::int64_t acked) const { return !path_.empty() && acked != savedAcked_; }
    Clock::time_point nextSave() const { return savedAt_ + kSavePeriod; }

    // Saves `acked` and lets go of the file.
    void close(std::int64_t acked, const Tell& tell);

private:
    const std::string kind_, receiver_, stream_;
    std::string path_;
    int fd_ = -1;
    std::int64_t savedAcked_ = -2;
    Clock::time_point savedAt_{};
    bool toldStore_ = false, toldPosition_ = false;
};

} // namespace vt640::publish
