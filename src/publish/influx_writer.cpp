#include "publish/influx_writer.h"

#include "publish/line_protocol.h"
#include "publish/store_cursor.h"
#include "publish/worker_channel.h"
#include "recorder/core/record_stamp.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <set>

namespace vt640::publish {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// What is kept of an answer's body for the message.
constexpr std::size_t kMaxAnswer = 4096;

// The server's message in an error answer: 1.x sends {"error": "..."},
// 2.x {"code": "...", "message": "..."}; anything else is shown as it is,
// on one line and cut short.
std::string serverMessage(const std::string& body)
{
    const auto j = nlohmann::json::parse(body, nullptr, false);
    if (j.is_object()) {
        for (const char* key : {"error", "message"})
            if (const auto it = j.find(key); it != j.end() && it->is_string() && !it->get<std::string>().empty())
                return it->get<std::string>();
    }
    std::string text;
    for (const char c : body) {
        const auto b = static_cast<unsigned char>(c);
        text += (b < 0x20 || b == 0x7F) ? ' ' : c;
        if (text.size() >= 300) {
            text += "...";
            break;
        }
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

} // namespace

struct InfluxWriter::Shared : WorkerChannel {
    explicit Shared(InfluxSettings s) : settings(std::move(s)) {}

    const InfluxSettings settings;
    std::condition_variable wake;
    bool woken = false;
    // Told by the worker, besides the channel's.
    Progress progress;

    void notify()
    {
        woken = true;
        wake.notify_all();
    }
};

class InfluxWriter::Worker {
public:
    explicit Worker(std::shared_ptr<Shared> shared)
        : shared_(std::move(shared)), settings_(shared_->settings),
          store_("influx", settings_.url.endpoint(), settings_.url.stream()), retry_(settings_.retryFirst),
          batch_(std::max(1, settings_.batchRecords))
    {
        curl_ = curl_easy_init();
        if (curl_)
            configure();
    }
    ~Worker()
    {
        if (headers_)
            curl_slist_free_all(headers_);
        if (curl_)
            curl_easy_cleanup(curl_);
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void run()
    {
        for (;;) {
            takeInput();
            const Clock::time_point now = Clock::now();
            if (stopping_ && (now >= stopBy_ || nothingLeft()))
                break;
            if (due(now))
                send(now);
            store_.save(acked_, Clock::now(), false, tellFn());
            report();
            waitForWork();
        }
        store_.close(acked_, tellFn());
        report();
        shared_->markFinished();
    }

private:
    StoreCursor::Tell tellFn()
    {
        return [this](PublisherEvent e) { tell(std::move(e)); };
    }

    void configure()
    {
        curl_easy_setopt(curl_, CURLOPT_URL, settings_.url.writeUrl().c_str());
        // Threads and time-outs: no signals, and a broken connection is an
        // error of the request, never SIGPIPE.
        curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(std::min<long long>(5000, settings_.requestTimeout.count())));
        curl_easy_setopt(curl_, CURLOPT_TIMEOUT_MS, static_cast<long>(settings_.requestTimeout.count()));
        curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, &Worker::onBody);
        curl_easy_setopt(curl_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, &Worker::onProgress);
        curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, curlError_);
        headers_ = curl_slist_append(headers_, "Content-Type: text/plain; charset=utf-8");
        if (!settings_.token.empty()) {
            if (settings_.url.api == InfluxUrl::Api::V2 || settings_.token.find(':') == std::string::npos) {
                headers_ = curl_slist_append(headers_, ("Authorization: Token " + settings_.token).c_str());
            } else {
                curl_easy_setopt(curl_, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
                curl_easy_setopt(curl_, CURLOPT_USERPWD, settings_.token.c_str());
            }
        }
        curl_easy_setopt(curl_, CURLOPT_HTTPHEADER, headers_);
    }

    static std::size_t onBody(char* data, std::size_t size, std::size_t n, void* self)
    {
        auto* me = static_cast<Worker*>(self);
        const std::size_t bytes = size * n;
        if (me->answer_.size() < kMaxAnswer)
            me->answer_.append(data, std::min(bytes, kMaxAnswer - me->answer_.size()));
        return bytes;
    }

    // A request still on its way when the stop's grace is over is given up.
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
    {
        auto* me = static_cast<Worker*>(self);
        return me->stopping_ && Clock::now() >= me->stopBy_ ? 1 : 0;
    }

    // ---- what the owner said --------------------------------------------

    void takeInput()
    {
        std::string path;
        std::int64_t storeRecords = 0;
        bool newStore = false;
        {
            std::lock_guard lock(shared_->mutex);
            if (shared_->storeGeneration != storeGeneration_) {
                storeGeneration_ = shared_->storeGeneration;
                path = shared_->storePath;
                storeRecords = shared_->storeRecords;
                newStore = true;
            }
            if (shared_->records != records_ && shared_->records > acked_ + 1 && records_ <= acked_ + 1)
                firstWaiting_ = Clock::now();
            records_ = shared_->records;
            if (shared_->stopping && !stopping_) {
                stopping_ = true;
                stopBy_ = shared_->stopBy;
            }
        }
        if (newStore) {
            acked_ = store_.follow(path, storeRecords, tellFn());
            records_ = std::max(records_, storeRecords);
            firstWaiting_ = Clock::now();
        }
    }

    bool nothingLeft() const { return !store_.readable() || acked_ + 1 >= records_; }

    // Whether to send now: records wait, no pause after a failure or for
    // the rate is running, and either a batch is full, the oldest has
    // waited long enough, or logging stops.
    bool due(Clock::time_point now) const
    {
        if (!curl_ || nothingLeft() || now < nextAttempt_)
            return false;
        return records_ - (acked_ + 1) >= batch_ || now - firstWaiting_ >= settings_.flushAfter || stopping_;
    }

    // ---- sending ----------------------------------------------------------

    void send(Clock::time_point now)
    {
        const std::int64_t first = acked_ + 1;
        const std::int64_t want = std::min<std::int64_t>(batch_, records_ - first);
        batchRecords_.resize(static_cast<std::size_t>(want));
        const std::int64_t got = store_.read(first, want, batchRecords_.data(), tellFn());
        if (got <= 0) {
            nextAttempt_ = now + settings_.retryFirst;
            return;
        }
        body_.clear();
        std::int64_t undated = 0;
        for (std::int64_t i = 0; i < got; ++i) {
            const TBRecord& r = batchRecords_[static_cast<std::size_t>(i)];
            const auto stamp = recordStamp(r);
            if (!stamp || !appendLineProtocol(body_, r, stamp->utcMs, settings_.meterId))
                ++undated;
        }
        if (undated > 0) {
            skipped_ += undated;
            if (told_.insert(PublisherEvent::Kind::Skipped).second)
                tell({PublisherEvent::Kind::Skipped, "they carry no time stamp", undated});
        }
        if (body_.empty()) {
            passed(got, now);
            return;
        }
        if (stopping_ && now >= stopBy_)
            return;

        answer_.clear();
        curlError_[0] = '\0';
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDS, body_.data());
        curl_easy_setopt(curl_, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
        ++requests_;
        const CURLcode rc = curl_easy_perform(curl_);
        const Clock::time_point after = Clock::now();
        long status = 0;
        if (rc == CURLE_OK)
            curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &status);

        if (rc != CURLE_OK) {
            failed(after, reached_ ? PublisherEvent::Kind::ConnectionLost : PublisherEvent::Kind::Unreachable,
                   curlError_[0] ? std::string(curlError_) : std::string(curl_easy_strerror(rc)));
            return;
        }
        if (status >= 200 && status < 300) {
            succeeded();
            passed(got, after);
            // A bounded rate while a backlog is written: this batch's share
            // of a second before the next.
            if (acked_ + 1 < records_ && settings_.catchUpRate > 0)
                nextAttempt_ = now + milliseconds(got * 1000 / settings_.catchUpRate);
            return;
        }
        const std::string message = "HTTP " + std::to_string(status) + ": " + serverMessage(answer_);
        if (status == 413 && batch_ > 1) {
            batch_ = std::max<std::int64_t>(1, batch_ / 2);
            return;
        }
        if (status == 400 || status == 422) {
            // These points will never be taken: pass them over, say so once.
            succeeded();
            if (told_.insert(PublisherEvent::Kind::Rejected).second)
                tell({PublisherEvent::Kind::Rejected, message, got});
            passed(got, after);
            return;
        }
        // Anything else, 4xx or 5xx: said once, tried again after a pause.
        reached_ = true;
        failed(after, status < 500 ? PublisherEvent::Kind::Refused : PublisherEvent::Kind::Unreachable, message);
    }

    // The database answered as it should: say so the first time and after
    // a failure, whose kinds are told again should they come back.
    void succeeded()
    {
        if (!reached_ || failing_)
            tell({PublisherEvent::Kind::Connected, settings_.url.endpoint()});
        if (failing_) {
            told_.clear();
            recovering_ = true;
        }
        reached_ = true;
        failing_ = false;
        retry_ = settings_.retryFirst;
    }

    // The records up to acked + count are with the database, or will never
    // be.
    void passed(std::int64_t count, Clock::time_point now)
    {
        acked_ += count;
        firstWaiting_ = now;
        if (recovering_ && acked_ + 1 >= records_) {
            recovering_ = false;
            tell({PublisherEvent::Kind::CaughtUp, {}, acked_ + 1 - catchUpFrom_});
        }
        store_.save(acked_, now, false, tellFn());
    }

    void failed(Clock::time_point now, PublisherEvent::Kind kind, const std::string& why)
    {
        if (!failing_ && !recovering_)
            catchUpFrom_ = acked_ + 1; // from here on, written once it works again
        failing_ = true;
        nextAttempt_ = now + retry_;
        retry_ = std::min(retry_ * 2, settings_.retryMost);
        if (told_.insert(kind).second)
            tell({kind, why});
    }

    // ---- waiting ----------------------------------------------------------

    void waitForWork()
    {
        const Clock::time_point now = Clock::now();
        Clock::time_point until = now + milliseconds(1000);
        if (!nothingLeft()) {
            Clock::time_point ready = std::max(nextAttempt_, now);
            if (records_ - (acked_ + 1) < batch_ && !stopping_)
                ready = std::max(ready, firstWaiting_ + settings_.flushAfter);
            until = std::min(until, ready);
        }
        if (store_.unsaved(acked_))
            until = std::min(until, store_.nextSave());
        if (stopping_)
            until = std::min(until, stopBy_);
        std::unique_lock lock(shared_->mutex);
        shared_->wake.wait_until(lock, until, [&] { return shared_->woken; });
        shared_->woken = false;
    }

    // ---- telling the owner ----------------------------------------------

    void tell(PublisherEvent event) { shared_->tell(std::move(event)); }

    void report()
    {
        std::lock_guard lock(shared_->mutex);
        shared_->progress.reached = reached_ && !failing_;
        shared_->progress.acked = acked_;
        shared_->progress.requests = requests_;
    }

    const std::shared_ptr<Shared> shared_;
    const InfluxSettings& settings_;
    StoreCursor store_;
    CURL* curl_ = nullptr;
    curl_slist* headers_ = nullptr;
    char curlError_[CURL_ERROR_SIZE] = {};
    std::string body_, answer_;
    std::vector<TBRecord> batchRecords_;

    int storeGeneration_ = 0;
    std::int64_t records_ = 0;
    std::int64_t acked_ = -1;
    std::int64_t skipped_ = 0;
    Clock::time_point firstWaiting_ = Clock::now();
    std::int64_t catchUpFrom_ = 0;

    bool reached_ = false, failing_ = false, recovering_ = false;
    int requests_ = 0;
    Clock::time_point nextAttempt_{};
    milliseconds retry_;
    std::int64_t batch_;
    std::set<PublisherEvent::Kind> told_;

    bool stopping_ = false;
    Clock::time_point stopBy_{};
};

InfluxWriter::InfluxWriter(InfluxSettings settings) : shared_(std::make_shared<Shared>(std::move(settings)))
{
    // libcurl's global set-up is not thread-safe: once, here on the
    // owner's thread, before any worker.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

InfluxWriter::~InfluxWriter() { stop(milliseconds(0)); }

void InfluxWriter::follow(const std::string& path, std::int64_t records)
{
    bool start = false;
    {
        std::lock_guard lock(shared_->mutex);
        start = shared_->followLocked(path, records);
        shared_->progress.records = records;
        shared_->notify();
    }
    if (!thread_.joinable() && start)
        thread_ = std::thread([shared = shared_] {
            Worker worker(shared);
            worker.run();
        });
}

void InfluxWriter::recordsAppended(std::int64_t records)
{
    std::lock_guard lock(shared_->mutex);
    shared_->records = records;
    shared_->progress.records = records;
    shared_->notify();
}

void InfluxWriter::stop(milliseconds grace)
{
    Clock::time_point stopBy;
    {
        std::lock_guard lock(shared_->mutex);
        stopBy = shared_->stopLocked(grace);
        shared_->notify();
    }
    // The worker ends by itself at stopBy; a little more for a name lookup
    // libcurl cannot break off, and for writing the position.
    shared_->endWorker(thread_, stopBy + milliseconds(1000));
}

std::vector<PublisherEvent> InfluxWriter::takeEvents() { return shared_->takeEvents(); }

InfluxWriter::Progress InfluxWriter::progress() const
{
    std::lock_guard lock(shared_->mutex);
    return shared_->progress;
}

} // namespace vt640::publish
