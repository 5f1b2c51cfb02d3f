// Publishing to a real mosquitto on localhost: the time from a record
// appended to the logger file to a subscriber receiving it; the catching up
// on 10^5 records after an outage; and the resident memory while 10^4
// records are logged with the broker away (the file is the only store).
#include "publish/publisher.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/temp_file_appender.h"
#include "support/mosquitto_broker.h"
#include "support/mqtt_subscriber.h"
#include "support/test_readings.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <thread>

#include <mosquitto.h>
#include <unistd.h>

using namespace vt640;
using namespace vt640::publish;
using namespace vt640::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

fs::path scratch(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vt640-publish-bench-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Records as the logger writes them, DC volts and watts by turns.
class LoggerFile {
public:
    explicit LoggerFile(const fs::path& path) : path_(path.string()) { file_.create(path_); }
    const std::string& path() const { return path_; }
    std::int64_t records() const { return file_.records(); }
    void add()
    {
        const int k = static_cast<int>(file_.records());
        const MeterReading r = k % 2 ? completedReading("1.200", "3", code::ActivePower1, 0, "0.90", "PF")
                                     : completedReading("12.34", "0", code::DcVolts);
        file_.append(*core_.makeRecord(r));
    }

private:
    std::string path_;
    TempFileAppender file_;
    RecorderCore core_;
};

PublisherSettings settingsFor(const MosquittoBroker& broker, const std::string& id)
{
    PublisherSettings s;
    s.broker = *BrokerUrl::parse(broker.url());
    s.meterId = id;
    s.discoveryPrefix = "homeassistant";
    s.softwareVersion = "bench";
    // The pause before the next attempt is the user's policy, not the work
    // measured here: short, so that it hardly counts.
    s.retryFirst = std::chrono::milliseconds(50);
    s.retryMost = std::chrono::milliseconds(100);
    return s;
}

// A subscriber that notes when each seq of a state topic arrives.
class SeqWatcher {
public:
    SeqWatcher(int port, const std::string& topic, const std::string& persistentId = {}) : topic_(topic)
    {
        mosquitto_lib_init();
        mosq_ = mosquitto_new(persistentId.empty() ? nullptr : persistentId.c_str(), persistentId.empty(), this);
        mosquitto_connect_callback_set(mosq_, [](mosquitto* m, void* self, int) {
            mosquitto_subscribe(m, nullptr, static_cast<SeqWatcher*>(self)->topic_.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(mosq_, [](mosquitto*, void* self, int, int, const int*) {
            auto* me = static_cast<SeqWatcher*>(self);
            std::lock_guard lock(me->mutex_);
            me->subscribed_ = true;
            me->changed_.notify_all();
        });
        mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
            auto* me = static_cast<SeqWatcher*>(self);
            // The seq without parsing the whole message: it follows "seq":.
            const std::string_view p(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen));
            const auto at = p.find("\"seq\":");
            if (at == std::string_view::npos)
                return;
            const std::int64_t seq = std::strtoll(p.data() + at + 6, nullptr, 10);
            std::lock_guard lock(me->mutex_);
            me->last_ = std::max(me->last_, seq);
            me->at_ = Clock::now();
            me->changed_.notify_all();
        });
        mosquitto_reconnect_delay_set(mosq_, 1, 1, false);
        mosquitto_connect(mosq_, "127.0.0.1", port, 30);
        mosquitto_loop_start(mosq_);
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return subscribed_; });
    }
    ~SeqWatcher()
    {
        mosquitto_disconnect(mosq_);
        mosquitto_loop_stop(mosq_, false);
        mosquitto_destroy(mosq_);
    }
    // When `seq` (or a later one) arrived; nothing after `limit`.
    std::optional<Clock::time_point> waitFor(std::int64_t seq, std::chrono::seconds limit = std::chrono::seconds(60))
    {
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, limit, [&] { return last_ >= seq; }))
            return std::nullopt;
        return at_;
    }

private:
    std::string topic_;
    mosquitto* mosq_ = nullptr;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool subscribed_ = false;
    std::int64_t last_ = -1;
    Clock::time_point at_{};
};

long residentKiB()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * ::sysconf(_SC_PAGESIZE) / 1024;
}

} // namespace

// One record at a time, each timed from its append (the write to the file
// and the publisher's notice) to its arrival at a subscriber.
static void BM_RecordToSubscriber(benchmark::State& state)
{
    MosquittoBroker broker;
    if (!broker.start()) {
        state.SkipWithError("no broker");
        return;
    }
    SeqWatcher watcher(broker.port(), "vt640/latency/state");
    const fs::path dir = scratch("latency");
    LoggerFile file(dir / "run.640");
    Publisher publisher(settingsFor(broker, "latency"));
    publisher.follow(file.path(), 0);
    publisher.setMeterOnline(true);
    for (auto _ : state) {
        const auto t0 = Clock::now();
        file.add();
        publisher.recordsAppended(file.records());
        const auto t1 = watcher.waitFor(file.records() - 1);
        if (!t1) {
            state.SkipWithError("a record did not arrive");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*t1 - t0).count());
    }
    publisher.stop();
    fs::remove_all(dir);
}
BENCHMARK(BM_RecordToSubscriber)
    ->Iterations(200)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly(true);

// 10^5 records logged while the broker is away (a day at full speed),
// timed from the broker's restart to the subscriber receiving the last.
static void BM_CatchUpAfterOutage(benchmark::State& state)
{
    const auto n = static_cast<std::int64_t>(state.range(0));
    for (auto _ : state) {
        MosquittoBroker::Options o;
        o.persistence = true; // the subscriber's session survives the restart
        MosquittoBroker broker(o);
        if (!broker.start()) {
            state.SkipWithError("no broker");
            return;
        }
        auto watcher = std::make_unique<SeqWatcher>(broker.port(), "vt640/outage/state", "bench-outage");
        const fs::path dir = scratch("outage");
        LoggerFile file(dir / "run.640");
        Publisher publisher(settingsFor(broker, "outage"));
        publisher.follow(file.path(), 0);
        while (!publisher.progress().connected)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        watcher.reset();
        broker.stop();
        for (std::int64_t i = 0; i < n; ++i) {
            file.add();
            publisher.recordsAppended(file.records());
        }
        broker.start();
        const auto t0 = Clock::now();
        watcher = std::make_unique<SeqWatcher>(broker.port(), "vt640/outage/state", "bench-outage");
        Clock::time_point connected{};
        while (!publisher.progress().connected && Clock::now() - t0 < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        connected = Clock::now();
        const auto t1 = watcher->waitFor(n - 1, std::chrono::seconds(120));
        if (!t1) {
            state.SkipWithError("the records did not all arrive");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(*t1 - t0).count());
        state.counters["after_reconnect_s"] = std::chrono::duration<double>(*t1 - connected).count();
        state.counters["records_per_s"] = static_cast<double>(n) / std::chrono::duration<double>(*t1 - t0).count();
        publisher.stop();
        fs::remove_all(dir);
    }
}
BENCHMARK(BM_CatchUpAfterOutage)
    ->Arg(100'000)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->ReportAggregatesOnly(true);

// Resident memory while 10^4 records are logged and the broker cannot be
// reached: nothing but the file holds them.
static void BM_MemoryDuringOutage(benchmark::State& state)
{
    const auto n = static_cast<std::int64_t>(state.range(0));
    for (auto _ : state) {
        MosquittoBroker broker; // never started: nothing listens on its port
        const fs::path dir = scratch("memory");
        LoggerFile file(dir / "run.640");
        Publisher publisher(settingsFor(broker, "memory"));
        publisher.follow(file.path(), 0);
        publisher.setMeterOnline(true);
        for (int i = 0; i < 100; ++i) {
            file.add();
            publisher.recordsAppended(file.records());
        }
        while (publisher.progress().attempts < 2)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const long before = residentKiB();
        for (std::int64_t i = 0; i < n; ++i) {
            file.add();
            publisher.recordsAppended(file.records());
        }
        // Several attempts to reach the broker while the records wait.
        const int attempts = publisher.progress().attempts;
        while (publisher.progress().attempts < attempts + 3)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.counters["rss_growth_KiB"] = static_cast<double>(residentKiB() - before);
        publisher.stop();
        fs::remove_all(dir);
    }
}
BENCHMARK(BM_MemoryDuringOutage)->Arg(10'000)->Iterations(1)->Repetitions(3)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
