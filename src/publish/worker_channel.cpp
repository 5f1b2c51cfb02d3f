#include "publish/worker_channel.h"

namespace vt640::publish {
namespace {

constexpr std::size_t kMaxEvents = 64;

} // namespace

bool WorkerChannel::followLocked(const std::string& path, std::int64_t count)
{
    storePath = path;
    storeRecords = count;
    records = count;
    ++storeGeneration;
    return !stopping;
}

WorkerChannel::Clock::time_point WorkerChannel::stopLocked(std::chrono::milliseconds grace)
{
    if (!stopping) {
        stopping = true;
        stopBy = Clock::now() + grace;
    }
    return stopBy;
}

void WorkerChannel::endWorker(std::thread& worker, Clock::time_point deadline)
{
    if (!worker.joinable())
        return;
    std::unique_lock lock(mutex);
    const bool ended = finishedChanged.wait_until(lock, deadline, [&] { return finished; });
    lock.unlock();
    if (ended)
        worker.join();
    else
        worker.detach();
}

std::vector<PublisherEvent> WorkerChannel::takeEvents()
{
    std::lock_guard lock(mutex);
    std::vector<PublisherEvent> taken;
    taken.swap(events);
    return taken;
}

void WorkerChannel::tell(PublisherEvent event)
{
    std::lock_guard lock(mutex);
    if (events.size() >= kMaxEvents)
        events.erase(events.begin());
    events.push_back(std::move(event));
}

void WorkerChannel::markFinished()
{
    std::lock_guard lock(mutex);
    finished = true;
    finishedChanged.notify_all();
}

} // namespace vt640::publish
