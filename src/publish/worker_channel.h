#pragma once

#include "publish/publisher_event.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vt640::publish {

// What the owner of a network worker (the MQTT publisher, the database
// writer) and its thread tell each other, under one mutex: the owner which
// file to follow, how many records it holds and when to stop; the worker
// what happened and that it has finished. How the worker is woken is each
// one's own (an eventfd in its poll loop, or a condition).
struct WorkerChannel {
    using Clock = std::chrono::steady_clock;

    std::mutex mutex;
    // Told by the owner.
    std::string storePath;
    std::int64_t storeRecords = 0;
    int storeGeneration = 0; // a new file to follow when it changes
    std::int64_t records = 0;
    bool stopping = false;
    Clock::time_point stopBy;
    // Told by the worker.
    std::vector<PublisherEvent> events;
    bool finished = false;
    std::condition_variable finishedChanged;

    // The owner, with the mutex held: follow `path`, which holds `count`
    // records now. False once a stop was asked for: no worker is to start.
    bool followLocked(const std::string& path, std::int64_t count);
    // The owner, with the mutex held: the worker is to end by `grace` from
    // now (the first asking counts). The time it is to end by.
    Clock::time_point stopLocked(std::chrono::milliseconds grace);
    // The owner: waits until the worker has finished or `deadline` has
    // passed, then joins it, or leaves one that is stuck (in a name lookup)
    // to end with the process.
    void endWorker(std::thread& worker, Clock::time_point deadline);
    // The owner: what happened since the last call, oldest first.
    std::vector<PublisherEvent> takeEvents();

    // The worker: tells the owner, keeping the newest 64 events.
    void tell(PublisherEvent event);
    // The worker, last: it has finished.
    void markFinished();
};

} // namespace vt640::publish
