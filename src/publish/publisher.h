#pragma once

#include "publish/broker_url.h"
#include "publish/publisher_event.h"
#include "publish/state_payload.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vt640::publish {

struct PublisherSettings {
    BrokerUrl broker;
    std::string password;        // used with broker.user
    std::string caFile;          // mqtts: the CA certificates to trust; empty: the system's
    std::string meterId;         // the topic level after the prefix
    std::string discoveryPrefix; // Home Assistant's discovery prefix; empty: no discovery
    std::string softwareVersion; // for the device block
    // Records a second at most while catching up after an outage.
    int catchUpRate = 20000;
    // Pauses between attempts to reach the broker: the first, doubled after
    // each failure up to the last.
    std::chrono::milliseconds retryFirst{1000};
    std::chrono::milliseconds retryMost{15000};
};

// Publishes the records of a logger file to an MQTT broker, each as it is
// appended, and says whether the meter is online.
//
// The file is the only store: the publisher reads records from it (a
// separate read-only descriptor) and keeps beside it, in `FILE.mqtt`, the
// index of the last record the broker acknowledged. After an outage, or a
// restart on the same file, it publishes every record after that one in
// order, at a bounded rate, then goes on with new ones; nothing is queued
// in memory but the few messages on their way.
//
// All network work runs on a thread of its own. No call of the owner waits
// on the network: they note what is new and return, so a broker that is
// down, slow or refusing never holds up logging. stop() waits at most the
// grace it is given.
class Publisher {
public:
    explicit Publisher(PublisherSettings settings);
    // Stops at once if stop() was not called.
    ~Publisher();
    Publisher(const Publisher&) = delete;
    Publisher& operator=(const Publisher&) = delete;

    // Follows the logger file `path`, which now holds `records` records;
    // publishing goes on from the position kept beside it, or with the next
    // record when there is none. A second call moves to another file (the
    // recorder's next run). Starts the connection on the first call.
    void follow(const std::string& path, std::int64_t records);
    // The file holds `records` records now (it may shrink back after a
    // failed flush; those records come again).
    void recordsAppended(std::int64_t records);
    // Publishes `payload` (a limit episode as JSON) to `<prefix>/<id>/event`,
    // QoS 1, not retained; held while the broker is away (the newest 256).
    void publishEvent(std::string payload);
    // Readings arrive (true), or they stopped: three failed polls, the
    // adapter pulled (false). Published as the availability, retained.
    void setMeterOnline(bool online);
    // Says "offline", publishes what it can of the records not yet sent,
    // saves the position and disconnects, waiting at most `grace`.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

    // What happened since the last call, oldest first.
    std::vector<PublisherEvent> takeEvents();

    struct Progress {
        bool connected = false;
        std::int64_t acked = -1;  // the last record the broker acknowledged, all before it too
        std::int64_t records = 0; // records in the file, as last told
        int attempts = 0;         // connections tried so far
    };
    Progress progress() const;

private:
    struct Shared;
    class Worker;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace vt640::publish
