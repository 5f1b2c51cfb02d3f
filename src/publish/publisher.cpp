#include "publish/publisher.h"

#include "recorder/core/record_stamp.h"
#include "recorder/core/recorder_clock.h"

#include "publish/quantity.h"
#include "publish/store_cursor.h"
#include "publish/topics.h"
#include "publish/worker_channel.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>

#include <fcntl.h>
#include <pthread.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace vt640::publish {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Record messages on their way to the broker at most: the whole of what
// is held in memory for a file of any length and an outage of any length.
constexpr std::size_t kWindow = 64;
constexpr int kKeepAliveSeconds = 30;
// libmosquitto's keep-alive and retry work wants a call about once a second.
constexpr milliseconds kTick{1000};
// While a connection is being set up, TLS may want to write without saying so.
constexpr milliseconds kConnectingTick{50};
// Event messages kept while the broker is away; the oldest go first.
constexpr std::size_t kMaxEventMessages = 256;

std::string systemText(int error)
{
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}

// libmosquitto's texts end in a full stop; ours are put into sentences.
std::string clause(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

struct Publisher::Shared : WorkerChannel {
    explicit Shared(PublisherSettings s) : settings(std::move(s)), wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Shared()
    {
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
    Shared(const Shared&) = delete;
    Shared& operator=(const Shared&) = delete;

    const PublisherSettings settings;
    const int wakeFd;

    // Told by the owner, besides the channel's.
    int online = -1; // -1 not told yet, 0 offline, 1 online
    // Event messages waiting for the broker, oldest first.
    std::deque<std::string> eventMessages;
    // Told by the worker, besides the channel's.
    bool connected = false;
    std::int64_t acked = -1;
    int attempts = 0;

    void wake() const
    {
        const std::uint64_t one = 1;
        // The counter cannot overflow from these; a failure would only
        // delay the worker to its next tick.
        [[maybe_unused]] const ssize_t n = ::write(wakeFd, &one, sizeof one);
    }
};

// The thread that owns the connection. Everything here but the Shared
// part is touched by this thread alone, libmosquitto's callbacks included
// (they run inside mosquitto_loop, called from here).
class Publisher::Worker {
public:
    explicit Worker(std::shared_ptr<Shared> shared)
        : shared_(std::move(shared)),
          settings_(shared_->settings), topics_{settings_.broker.prefix, settings_.meterId, settings_.discoveryPrefix},
          stateTopic_(topics_.state()), availabilityTopic_(topics_.availability()), retry_(settings_.retryFirst)
    {
        buffer_.resize(kWindow);
    }

    void run()
    {
        static std::once_flag once;
        std::call_once(once, [] { mosquitto_lib_init(); });
        for (;;) {
            const Clock::time_point now = Clock::now();
            takeInput();
            // A stop still lets the first attempt be made: a short run's
            // records go out with it.
            if (!mosq_ && (!stopping_ || attempts_ == 0) && now >= nextAttempt_)
                connect(now);
            if (connected_)
                pump(now);
            savePosition(now, false);
            report();
            if (stopping_ && doneStopping(now))
                break;
            waitAndServe(now);
        }
        finish();
    }

private:
    struct Flight {
        int mid;
        std::int64_t seq;
        bool acked;
    };

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
            records_ = shared_->records;
            wantOnline_ = shared_->online;
            while (!shared_->eventMessages.empty()) {
                eventMessages_.push_back(std::move(shared_->eventMessages.front()));
                shared_->eventMessages.pop_front();
            }
            if (shared_->stopping && !stopping_) {
                stopping_ = true;
                stopBy_ = shared_->stopBy;
            }
        }
        if (newStore)
            follow(path, storeRecords);
        if (stopping_)
            wantOnline_ = 0;
    }

    void follow(const std::string& path, std::int64_t records)
    {
        inflight_.clear();
        catchingUp_ = false;
        // Go on after the last record the broker acknowledged, if the
        // position beside the file is this broker's and topic's.
        acked_ = store_.follow(path, records, [this](PublisherEvent e) { tell(std::move(e)); });
        nextSeq_ = acked_ + 1;
        records_ = std::max(records_, records);
        if (connected_)
            startCatchingUp();
    }

    // ---- the connection -------------------------------------------------

    void connect(Clock::time_point now)
    {
        ++attempts_;
        const BrokerUrl& b = settings_.broker;
        if (b.tls && !settings_.caFile.empty()) {
            // libmosquitto only says the file is bad; the system says why.
            const int fd = ::open(settings_.caFile.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0) {
                failed(now, PublisherEvent::Kind::TlsFailed,
                       "cannot read the CA file " + settings_.caFile + ": " + systemText(errno));
                return;
            }
            ::close(fd);
        }
        const std::string clientId = "vt640-" + settings_.meterId;
        mosq_ = mosquitto_new(clientId.c_str(), true, this);
        if (!mosq_) {
            failed(now, PublisherEvent::Kind::Unreachable, systemText(errno));
            return;
        }
        mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
        mosquitto_int_option(mosq_, MOSQ_OPT_TCP_NODELAY, 1);
        // Our own window bounds what is on its way; libmosquitto need not.
        mosquitto_max_inflight_messages_set(mosq_, 0);
        mosquitto_connect_callback_set(mosq_, &Worker::onConnect);
        mosquitto_publish_callback_set(mosq_, &Worker::onPublish);
        mosquitto_message_callback_set(mosq_, &Worker::onMessage);
        mosquitto_log_callback_set(mosq_, &Worker::onLog);
        mosquitto_will_set(mosq_, availabilityTopic_.c_str(), static_cast<int>(std::strlen(kOffline)), kOffline, 1,
                           true);
        if (!b.user.empty())
            mosquitto_username_pw_set(mosq_, b.user.c_str(),
                                      settings_.password.empty() ? nullptr : settings_.password.c_str());
        if (b.tls) {
            int rc = MOSQ_ERR_SUCCESS;
            if (settings_.caFile.empty())
                rc = mosquitto_int_option(mosq_, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
            else
                rc = mosquitto_tls_set(mosq_, settings_.caFile.c_str(), nullptr, nullptr, nullptr, nullptr);
            if (rc != MOSQ_ERR_SUCCESS) {
                failed(now, PublisherEvent::Kind::TlsFailed, clause(mosquitto_strerror(rc)));
                return;
            }
        }
        lastLogError_.clear();
        refusal_.clear();
        errno = 0;
        const int rc = mosquitto_connect_async(mosq_, b.host.c_str(), b.port, kKeepAliveSeconds);
        if (rc != MOSQ_ERR_SUCCESS)
            failedWith(now, rc, errno);
    }

    // The connection could not be made or broke: start over with a fresh
    // client after a pause, from the last acknowledged record.
    void failedWith(Clock::time_point now, int rc, int error)
    {
        if (rc == MOSQ_ERR_CONN_REFUSED || !refusal_.empty()) {
            failed(now, PublisherEvent::Kind::Refused, refusal_);
            return;
        }
        std::string why;
        switch (rc) {
        case MOSQ_ERR_ERRNO: why = error ? systemText(error) : clause(mosquitto_strerror(rc)); break;
        case MOSQ_ERR_TLS: why = lastLogError_.empty() ? clause(mosquitto_strerror(rc)) : lastLogError_; break;
        case MOSQ_ERR_EAI: why = "the host name cannot be resolved"; break;
        case MOSQ_ERR_KEEPALIVE: why = "the broker stopped answering"; break;
        case MOSQ_ERR_CONN_LOST:
        case MOSQ_ERR_NO_CONN: why = "the broker closed the connection"; break;
        default: why = clause(mosquitto_strerror(rc)); break;
        }
        PublisherEvent::Kind kind =
            connected_ ? PublisherEvent::Kind::ConnectionLost : PublisherEvent::Kind::Unreachable;
        if (rc == MOSQ_ERR_TLS)
            kind = PublisherEvent::Kind::TlsFailed;
        failed(now, kind, why);
    }

    void failed(Clock::time_point now, PublisherEvent::Kind kind, const std::string& why)
    {
        if (mosq_)
            mosquitto_destroy(mosq_);
        mosq_ = nullptr;
        const bool wasConnected = connected_;
        connected_ = false;
        inflight_.clear();
        nextSeq_ = acked_ + 1;
        sentOnline_ = -1;
        availabilityMid_ = -1;
        configured_.clear();
        catchingUp_ = false;
        if (stopping_)
            return;
        nextAttempt_ = now + retry_;
        retry_ = std::min(retry_ * 2, settings_.retryMost);
        if (wasConnected) {
            // A lost connection is told once; the attempts after it quietly.
            told_.insert(PublisherEvent::Kind::Unreachable);
            tellOnce(PublisherEvent::Kind::ConnectionLost, why);
        } else {
            tellOnce(kind, why);
        }
    }

    static void onConnect(mosquitto*, void* self, int rc) { static_cast<Worker*>(self)->connected(rc); }

    void connected(int rc)
    {
        if (rc != 0) {
            // The broker's own reason; the loop then reports the refusal.
            refusal_ = clause(mosquitto_connack_string(rc));
            return;
        }
        connected_ = true;
        retry_ = settings_.retryFirst;
        told_.clear();
        tell({PublisherEvent::Kind::Connected, settings_.broker.endpoint()});
        sentOnline_ = -1;
        resendConfigs_ = true;
        if (!settings_.discoveryPrefix.empty())
            mosquitto_subscribe(mosq_, nullptr, topics_.discoveryStatus().c_str(), 1);
        startCatchingUp();
    }

    void startCatchingUp()
    {
        catchingUp_ = records_ > nextSeq_;
        catchUpFrom_ = nextSeq_;
    }

    static void onPublish(mosquitto*, void* self, int mid) { static_cast<Worker*>(self)->acknowledged(mid); }

    void acknowledged(int mid)
    {
        if (mid == availabilityMid_) {
            availabilityMid_ = -1;
            availabilityAcked_ = true;
            return;
        }
        for (Flight& f : inflight_) {
            if (f.mid == mid) {
                f.acked = true;
                break;
            }
        }
        while (!inflight_.empty() && inflight_.front().acked) {
            acked_ = inflight_.front().seq;
            inflight_.pop_front();
        }
    }

    static void onMessage(mosquitto*, void* self, const mosquitto_message* m)
    {
        static_cast<Worker*>(self)->message(m);
    }

    // Home Assistant announces its start: it wants the configs and the
    // availability again.
    void message(const mosquitto_message* m)
    {
        const std::string_view payload(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen));
        if (m->topic && topics_.discoveryStatus() == m->topic && payload == "online") {
            configured_.clear();
            resendConfigs_ = true;
            sentOnline_ = -1;
        }
    }

    static void onLog(mosquitto*, void* self, int level, const char* text)
    {
        auto* me = static_cast<Worker*>(self);
        // The first error of an attempt is its cause; OpenSSL's own
        // numbering is left out ("...:SSL routines::certificate verify failed").
        if ((level & MOSQ_LOG_ERR) && text && me->lastLogError_.empty()) {
            std::string why = text;
            if (why.rfind("OpenSSL Error", 0) == 0)
                if (const auto colons = why.rfind("::"); colons != std::string::npos)
                    why.erase(0, colons + 2);
            if (why.rfind("Error: ", 0) == 0)
                why.erase(0, 7);
            me->lastLogError_ = clause(why);
        }
    }

    // ---- publishing -----------------------------------------------------

    void pump(Clock::time_point now)
    {
        if (resendConfigs_) {
            resendConfigs_ = false;
            for (const Quantity* q : seen_)
                publishConfig(*q);
        }
        // At a stop, "offline" follows the last records.
        const bool recordsLeft = nextSeq_ < records_ && store_.readable();
        if (wantOnline_ >= 0 && wantOnline_ != sentOnline_ && !(stopping_ && recordsLeft))
            publishAvailability(wantOnline_ == 1);

        // Events go as they come, each once the broker has taken it.
        while (connected_ && !eventMessages_.empty()) {
            const std::string& m = eventMessages_.front();
            if (mosquitto_publish(mosq_, nullptr, eventTopic_.c_str(), static_cast<int>(m.size()), m.data(), 1, false)
                != MOSQ_ERR_SUCCESS)
                break;
            eventMessages_.pop_front();
        }

        const double elapsed = std::chrono::duration<double>(now - tokensAt_).count();
        tokensAt_ = now;
        tokens_ = std::min(static_cast<double>(kWindow), tokens_ + elapsed * settings_.catchUpRate);

        while (store_.readable() && connected_ && inflight_.size() < kWindow && nextSeq_ < records_ && tokens_ >= 1.0) {
            const std::int64_t want = std::min<std::int64_t>({static_cast<std::int64_t>(kWindow - inflight_.size()),
                                                              records_ - nextSeq_, static_cast<std::int64_t>(tokens_)});
            const std::int64_t got = readRecords(nextSeq_, want);
            if (got <= 0)
                break;
            const ZonedInstant published = RecorderClock::system().now();
            for (std::int64_t i = 0; i < got; ++i)
                if (!publishRecord(buffer_[static_cast<std::size_t>(i)], nextSeq_, published))
                    return;
        }
        if (catchingUp_ && nextSeq_ >= records_ && inflight_.empty()) {
            catchingUp_ = false;
            tell({PublisherEvent::Kind::CaughtUp, {}, records_ - catchUpFrom_});
        }
    }

    // Records [first, first + count) of the file, as many as it holds.
    std::int64_t readRecords(std::int64_t first, std::int64_t count)
    {
        return store_.read(first, count, buffer_.data(), [this](PublisherEvent e) { tell(std::move(e)); });
    }

    bool publishRecord(const TBRecord& record, std::int64_t seq, const ZonedInstant& published)
    {
        const RecordQuantities quantities = quantitiesOf(record);
        for (int i = 0; i < quantities.count; ++i) {
            const Quantity* q = quantities.items[i];
            if (std::find(seen_.begin(), seen_.end(), q) == seen_.end()) {
                seen_.push_back(q);
                publishConfig(*q);
            }
        }
        // A record is published with its own time stamp where it has one.
        const std::string payload = statePayload(record, seq, recordStamp(record), published);
        int mid = 0;
        const int rc = mosquitto_publish(mosq_, &mid, stateTopic_.c_str(), static_cast<int>(payload.size()),
                                         payload.data(), 1, false);
        if (rc != MOSQ_ERR_SUCCESS)
            return false; // the loop finds out what broke
        inflight_.push_back({mid, seq, false});
        ++nextSeq_;
        tokens_ -= 1.0;
        return true;
    }

    void publishConfig(const Quantity& q)
    {
        if (settings_.discoveryPrefix.empty() || configured_.count(q.key))
            return;
        const std::string payload = discoveryConfig(topics_, q, settings_.softwareVersion);
        if (mosquitto_publish(mosq_, nullptr, topics_.config(q).c_str(), static_cast<int>(payload.size()),
                              payload.data(), 1, true)
            == MOSQ_ERR_SUCCESS)
            configured_.insert(q.key);
    }

    void publishAvailability(bool online)
    {
        const char* text = online ? kOnline : kOffline;
        int mid = 0;
        if (mosquitto_publish(mosq_, &mid, availabilityTopic_.c_str(), static_cast<int>(std::strlen(text)), text, 1,
                              true)
            != MOSQ_ERR_SUCCESS)
            return;
        sentOnline_ = online ? 1 : 0;
        availabilityMid_ = mid;
        availabilityAcked_ = false;
    }

    // ---- waiting --------------------------------------------------------

    void waitAndServe(Clock::time_point now)
    {
        auto timeout = kTick;
        auto until = [&](Clock::time_point t) {
            timeout = std::clamp(std::chrono::ceil<milliseconds>(t - now), milliseconds(0), timeout);
        };
        if (!mosq_ && !stopping_)
            until(nextAttempt_);
        if (mosq_ && !connected_)
            timeout = std::min(timeout, kConnectingTick);
        if (connected_ && nextSeq_ < records_ && inflight_.size() < kWindow && tokens_ < 1.0)
            timeout = std::min(timeout, milliseconds(1));
        if (store_.unsaved(acked_))
            until(store_.nextSave());
        if (stopping_)
            until(stopBy_);

        pollfd fds[2] = {{shared_->wakeFd, POLLIN, 0}, {-1, 0, 0}};
        nfds_t count = 1;
        const int sock = mosq_ ? mosquitto_socket(mosq_) : -1;
        if (sock >= 0) {
            fds[1] = {sock, static_cast<short>(POLLIN | (mosquitto_want_write(mosq_) ? POLLOUT : 0)), 0};
            count = 2;
        }
        ::poll(fds, count, static_cast<int>(timeout.count()));
        if (fds[0].revents & POLLIN) {
            std::uint64_t n = 0;
            [[maybe_unused]] const ssize_t r = ::read(shared_->wakeFd, &n, sizeof n);
        }
        if (mosq_) {
            errno = 0;
            const int rc = mosquitto_loop(mosq_, 0, 1);
            const int error = errno;
            if (rc != MOSQ_ERR_SUCCESS)
                failedWith(Clock::now(), rc, error);
        }
    }

    // ---- the position and the end ---------------------------------------

    void savePosition(Clock::time_point now, bool force)
    {
        store_.save(acked_, now, force, [this](PublisherEvent e) { tell(std::move(e)); });
    }

    bool doneStopping(Clock::time_point now) const
    {
        // A connection being made may still take the last records; one that
        // failed is not tried again.
        if (!mosq_ || now >= stopBy_)
            return true;
        if (!connected_)
            return false;
        const bool recordsLeft = store_.readable() && nextSeq_ < records_;
        return !recordsLeft && inflight_.empty() && sentOnline_ == 0 && availabilityAcked_;
    }

    void finish()
    {
        savePosition(Clock::now(), true);
        if (mosq_) {
            // A clean disconnect only once "offline" is with the broker;
            // otherwise the connection just ends and the broker sends the
            // last will, which says the same.
            if (connected_ && sentOnline_ == 0 && availabilityAcked_) {
                mosquitto_disconnect(mosq_);
                mosquitto_loop(mosq_, 0, 1);
            }
            mosquitto_destroy(mosq_);
            mosq_ = nullptr;
        }
        store_.close(acked_, [this](PublisherEvent e) { tell(std::move(e)); });
        connected_ = false;
        report();
        shared_->markFinished();
    }

    // ---- telling the owner ----------------------------------------------

    void tell(PublisherEvent event) { shared_->tell(std::move(event)); }

    void tellOnce(PublisherEvent::Kind kind, const std::string& detail)
    {
        if (told_.insert(kind).second)
            tell({kind, detail});
    }

    void report()
    {
        std::lock_guard lock(shared_->mutex);
        shared_->connected = connected_;
        shared_->acked = acked_;
        shared_->attempts = attempts_;
    }

    const std::shared_ptr<Shared> shared_;
    const PublisherSettings& settings_;
    const Topics topics_;
    const std::string stateTopic_;
    const std::string availabilityTopic_;
    const std::string eventTopic_ = topics_.event();
    std::deque<std::string> eventMessages_;

    mosquitto* mosq_ = nullptr;
    bool connected_ = false;
    int attempts_ = 0;
    Clock::time_point nextAttempt_{};
    milliseconds retry_;
    std::set<PublisherEvent::Kind> told_;
    std::string refusal_;
    std::string lastLogError_;

    int storeGeneration_ = 0;
    StoreCursor store_{"mqtt", settings_.broker.endpoint(), stateTopic_};
    std::int64_t records_ = 0;
    std::int64_t nextSeq_ = 0;
    std::int64_t acked_ = -1;
    std::deque<Flight> inflight_;
    std::vector<TBRecord> buffer_;
    double tokens_ = static_cast<double>(kWindow);
    Clock::time_point tokensAt_ = Clock::now();
    bool catchingUp_ = false;
    std::int64_t catchUpFrom_ = 0;

    int wantOnline_ = -1;
    int sentOnline_ = -1;
    int availabilityMid_ = -1;
    bool availabilityAcked_ = false;

    std::vector<const Quantity*> seen_;
    std::set<std::string_view> configured_;
    bool resendConfigs_ = false;

    bool stopping_ = false;
    Clock::time_point stopBy_{};
};

Publisher::Publisher(PublisherSettings settings) : shared_(std::make_shared<Shared>(std::move(settings))) {}

Publisher::~Publisher() { stop(milliseconds(0)); }

void Publisher::follow(const std::string& path, std::int64_t records)
{
    bool start = false;
    {
        std::lock_guard lock(shared_->mutex);
        start = shared_->followLocked(path, records);
    }
    if (!thread_.joinable() && start && shared_->wakeFd >= 0) {
        thread_ = std::thread([shared = shared_] {
            // A broken connection makes a write fail with EPIPE here, and
            // never ends the process with SIGPIPE: the signal is kept for
            // this thread, which alone writes to the broker.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            Worker worker(shared);
            worker.run();
        });
    }
    shared_->wake();
}

void Publisher::recordsAppended(std::int64_t records)
{
    {
        std::lock_guard lock(shared_->mutex);
        shared_->records = records;
    }
    shared_->wake();
}

void Publisher::publishEvent(std::string payload)
{
    {
        std::lock_guard lock(shared_->mutex);
        auto& waiting = shared_->eventMessages;
        if (waiting.size() >= kMaxEventMessages)
            waiting.pop_front();
        waiting.push_back(std::move(payload));
    }
    shared_->wake();
}

void Publisher::setMeterOnline(bool online)
{
    {
        std::lock_guard lock(shared_->mutex);
        if (shared_->online == (online ? 1 : 0))
            return;
        shared_->online = online ? 1 : 0;
    }
    shared_->wake();
}

void Publisher::stop(milliseconds grace)
{
    Clock::time_point stopBy;
    {
        std::lock_guard lock(shared_->mutex);
        stopBy = shared_->stopLocked(grace);
    }
    shared_->wake();
    // The worker ends by itself at stopBy; a little more for writing the
    // position.
    shared_->endWorker(thread_, stopBy + milliseconds(500));
}

std::vector<PublisherEvent> Publisher::takeEvents() { return shared_->takeEvents(); }

Publisher::Progress Publisher::progress() const
{
    std::lock_guard lock(shared_->mutex);
    return {shared_->connected, shared_->acked, shared_->records, shared_->attempts};
}

} // namespace vt640::publish
