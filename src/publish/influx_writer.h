#pragma once

#include "publish/influx_url.h"
#include "publish/publisher_event.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vt640::publish {

struct InfluxSettings {
    InfluxUrl url;
    // 2.x: the API token. 1.x: "USER:PASSWORD" for a database with
    // authentication, or empty.
    std::string token;
    std::string meterId; // the meter tag
    // Records in one request at most.
    int batchRecords = 5000;
    // Records a second at most while catching up after an outage.
    int catchUpRate = 50000;
    // A new record waits at most this long for others to share its request.
    std::chrono::milliseconds flushAfter{1000};
    // Pauses between attempts after a failure: the first, doubled after each
    // failure up to the last.
    std::chrono::milliseconds retryFirst{1000};
    std::chrono::milliseconds retryMost{30000};
    // One request may take this long.
    std::chrono::milliseconds requestTimeout{10000};
};

// Writes the records of a logger file into InfluxDB as line protocol, in
// batches, each as it is appended.
//
// As the MQTT publisher, it keeps no queue of its own: records are read
// back from the file and the last one the database acknowledged is kept
// beside it in `FILE.influx` (StoreCursor), so that after an outage or a
// restart writing goes on after it, at a bounded rate, with the records'
// own times.
//
// All network work runs on a thread of its own, so a database that is
// down, slow or refusing never holds up logging. Answers: 204 is written;
// 400 (the database will never take these points) passes the batch over,
// told once with the server's message; 413 halves the batch; any other
// 4xx (authentication, a missing database) is told once with the server's
// message and retried with a growing pause, as are 5xx and an unreachable
// server.
class InfluxWriter {
public:
    explicit InfluxWriter(InfluxSettings settings);
    // Stops at once if stop() was not called.
    ~InfluxWriter();
    InfluxWriter(const InfluxWriter&) = delete;
    InfluxWriter& operator=(const InfluxWriter&) = delete;

    // Follows the logger file `path`, which holds `records` records now;
    // writing goes on from the position beside it, or with the next record.
    void follow(const std::string& path, std::int64_t records);
    // The file holds `records` records now.
    void recordsAppended(std::int64_t records);
    // Writes what it can of the records not yet written, saves the position
    // and ends, waiting at most `grace`.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(5000));

    // What happened since the last call, oldest first.
    std::vector<PublisherEvent> takeEvents();

    struct Progress {
        bool reached = false;     // the last request was answered with success
        std::int64_t acked = -1;  // the last record the database acknowledged (or passed over)
        std::int64_t records = 0; // records in the file, as last told
        int requests = 0;         // requests sent so far
    };
    Progress progress() const;

private:
    struct Shared;
    class Worker;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace vt640::publish
