// The publisher against a real mosquitto broker: records in order from the
// logger file, the configs retained, the position kept beside the file, and
// a broker that is away, refusing or not trusted, told once.
#include "publish/publish_position.h"
#include "publish/publisher.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/temp_file_appender.h"
#include "support/mosquitto_broker.h"
#include "support/mqtt_subscriber.h"
#include "support/test_certificates.h"
#include "support/test_readings.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <set>

using namespace vt640;
using namespace vt640::publish;
using namespace vt640::test;
using Json = nlohmann::json;
namespace fs = std::filesystem;
using std::chrono::milliseconds;
using std::chrono::seconds;

namespace {

fs::path scratch(const std::string& name)
{
    const fs::path dir = fs::temp_directory_path() / ("vt640-publisher-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// A logger file written as `vt640-tool log` writes it, with readings that
// take turns: DC volts, then watts with a power factor.
class LoggerFile {
public:
    explicit LoggerFile(const fs::path& path) : path_(path.string())
    {
        if (fs::exists(path))
            EXPECT_EQ(file_.openExisting(path_), TempFileAppender::Open::Opened);
        else
            EXPECT_EQ(file_.create(path_), TempFileAppender::Create::Created);
    }
    const std::string& path() const { return path_; }
    std::int64_t records() const { return file_.records(); }

    void add(int n, Publisher* publisher = nullptr)
    {
        for (int i = 0; i < n; ++i) {
            const int k = static_cast<int>(file_.records());
            const MeterReading r =
                k % 2 == 0 ? completedReading(std::to_string(10 + k % 10) + ".00", "0", code::DcVolts)
                           : completedReading("1.200", "3", code::ActivePower1, status::ALags, "0.90", "PF");
            const auto record = core_.makeRecord(r);
            ASSERT_TRUE(record);
            ASSERT_TRUE(file_.append(*record));
            if (publisher)
                publisher->recordsAppended(file_.records());
        }
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
    s.softwareVersion = "9.8.7";
    s.retryFirst = milliseconds(100);
    s.retryMost = milliseconds(400);
    return s;
}

// The seq of each state message in order of arrival.
std::vector<std::int64_t> seqs(MqttSubscriber& sub, const std::string& topic)
{
    std::vector<std::int64_t> result;
    for (const std::string& p : sub.payloads(topic))
        result.push_back(Json::parse(p)["seq"].get<std::int64_t>());
    return result;
}

// Every record from `first` to `last` arrived, in order: a message repeats
// an earlier one (QoS 1 may deliver twice) or carries the next seq.
::testing::AssertionResult inOrderWithoutHole(const std::vector<std::int64_t>& got, std::int64_t first,
                                              std::int64_t last)
{
    std::int64_t next = first;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] > next || got[i] < first)
            return ::testing::AssertionFailure()
                   << "message " << i << " has seq " << got[i] << ", expected at most " << next;
        if (got[i] == next)
            ++next;
    }
    if (next != last + 1)
        return ::testing::AssertionFailure() << "the records end at " << next - 1 << ", not " << last;
    return ::testing::AssertionSuccess();
}

bool hasSeq(const std::vector<MqttSubscriber::Message>& messages, const std::string& topic, std::int64_t seq)
{
    for (const auto& m : messages)
        if (m.topic == topic && Json::parse(m.payload)["seq"] == seq)
            return true;
    return false;
}

std::vector<PublisherEvent::Kind> kinds(const std::vector<PublisherEvent>& events)
{
    std::vector<PublisherEvent::Kind> k;
    for (const auto& e : events)
        k.push_back(e.kind);
    return k;
}

// Collects the events until `done` holds for them (at most `limit`).
bool collectEvents(Publisher& p, std::vector<PublisherEvent>& events,
                   const std::function<bool(const std::vector<PublisherEvent>&)>& done, seconds limit = seconds(20))
{
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        for (auto& e : p.takeEvents())
            events.push_back(std::move(e));
        if (done(events))
            return true;
        std::this_thread::sleep_for(milliseconds(20));
    }
    return false;
}

std::size_t count(const std::vector<PublisherEvent>& events, PublisherEvent::Kind kind)
{
    return static_cast<std::size_t>(
        std::count_if(events.begin(), events.end(), [&](const PublisherEvent& e) { return e.kind == kind; }));
}

} // namespace

TEST(Publisher, EveryRecordArrivesInOrderAndTheConfigsAreRetained)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber live(broker.port(), {"vt640/#", "homeassistant/#"});
    ASSERT_TRUE(live.ready());
    const fs::path dir = scratch("order");
    LoggerFile file(dir / "run.640");

    PublisherSettings s = settingsFor(broker, "box-com5");
    s.discoveryPrefix = "homeassistant";
    Publisher publisher(s);
    publisher.follow(file.path(), 0);
    publisher.setMeterOnline(true);
    file.add(60, &publisher);
    ASSERT_TRUE(live.waitFor([](const auto& m) { return hasSeq(m, "vt640/box-com5/state", 59); }));
    EXPECT_TRUE(inOrderWithoutHole(seqs(live, "vt640/box-com5/state"), 0, 59));
    const Json last = Json::parse(live.payloads("vt640/box-com5/state").back());
    EXPECT_EQ(last["quantity"], "power");
    EXPECT_EQ(last["value"], 1200.0);
    EXPECT_EQ(last["pf"], 0.9);

    // Home Assistant starts again and asks for the configs.
    const std::size_t configsBefore = live.payloads("homeassistant/sensor/vt640_box-com5/voltage/config").size();
    ASSERT_EQ(std::system(("mosquitto_pub -h 127.0.0.1 -p " + std::to_string(broker.port())
                           + " -t homeassistant/status -m online")
                              .c_str()),
              0);
    ASSERT_TRUE(live.waitFor([&](const auto& m) {
        return MqttSubscriber::payloadsOf(m, "homeassistant/sensor/vt640_box-com5/voltage/config").size()
               > configsBefore;
    }));

    publisher.stop();
    // "online" (again for Home Assistant's start), "offline" at the stop.
    std::vector<std::string> availability = live.payloads("vt640/box-com5/availability");
    availability.erase(std::unique(availability.begin(), availability.end()), availability.end());
    EXPECT_EQ(availability, (std::vector<std::string>{"online", "offline"}));
    EXPECT_EQ(PublishPosition::read(file.path() + ".mqtt")->acked, 59);

    // What a client that comes later finds: one config per quantity and
    // the availability, retained.
    MqttSubscriber later(broker.port(), {"vt640/#", "homeassistant/#"});
    ASSERT_TRUE(later.waitFor([](const auto& m) { return m.size() >= 5; }, seconds(10)));
    std::map<std::string, Json> configs;
    for (const auto& m : later.messages()) {
        EXPECT_TRUE(m.retained) << m.topic;
        if (m.topic == "vt640/box-com5/availability")
            EXPECT_EQ(m.payload, "offline");
        else
            configs[m.topic] = Json::parse(m.payload);
    }
    EXPECT_EQ(configs.size(), 4u);
    for (const char* q : {"voltage", "power", "power_factor", "energy"}) {
        const Json& c = configs["homeassistant/sensor/vt640_box-com5/" + std::string(q) + "/config"];
        SCOPED_TRACE(q);
        for (const char* key : {"name", "unique_id", "state_topic", "value_template", "device_class", "state_class",
                                "availability", "device"})
            EXPECT_TRUE(c.contains(key)) << key;
        EXPECT_EQ(c["unique_id"], "vt640_box-com5_" + std::string(q));
        EXPECT_EQ(c["device"]["sw_version"], "9.8.7");
    }
    fs::remove_all(dir);
}

TEST(Publisher, AStopRightAfterTheStartStillPublishesTheRecordsAndOffline)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber live(broker.port(), {"vt640/#"});
    const fs::path dir = scratch("short");
    LoggerFile file(dir / "run.640");
    Publisher publisher(settingsFor(broker, "short"));
    publisher.follow(file.path(), 0);
    publisher.setMeterOnline(true);
    file.add(3, &publisher);
    publisher.stop(); // before the connection is made
    EXPECT_EQ(publisher.progress().acked, 2);
    ASSERT_TRUE(live.waitFor([](const auto& m) { return hasSeq(m, "vt640/short/state", 2); }, seconds(10)));
    EXPECT_TRUE(live.waitFor([](const auto& m) { return !m.empty() && m.back().payload == "offline"; }, seconds(10)));
    fs::remove_all(dir);
}

TEST(Publisher, GoesOnAfterTheLastAcknowledgedRecordOfItsFile)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber live(broker.port(), {"vt640/#"});
    const fs::path dir = scratch("position");
    const std::string topic = "vt640/m1/state";
    {
        LoggerFile file(dir / "run.640");
        file.add(10); // logged before publishing was asked for: not published
        Publisher publisher(settingsFor(broker, "m1"));
        publisher.follow(file.path(), file.records());
        file.add(5, &publisher);
        ASSERT_TRUE(live.waitFor([&](const auto& m) { return hasSeq(m, topic, 14); }));
        publisher.stop();
        // Logged while no publisher runs.
        file.add(6);
    }
    EXPECT_TRUE(inOrderWithoutHole(seqs(live, topic), 10, 14));
    EXPECT_EQ(PublishPosition::read((dir / "run.640.mqtt").string())->acked, 14);

    // The next run on the file: the six first, then what it logs itself.
    LoggerFile file(dir / "run.640");
    Publisher publisher(settingsFor(broker, "m1"));
    publisher.follow(file.path(), file.records());
    file.add(2, &publisher);
    ASSERT_TRUE(live.waitFor([&](const auto& m) { return hasSeq(m, topic, 22); }));
    EXPECT_TRUE(inOrderWithoutHole(seqs(live, topic), 10, 22));
    std::vector<PublisherEvent> events;
    EXPECT_TRUE(collectEvents(publisher, events, [](const auto& e) {
        return count(e, PublisherEvent::Kind::CaughtUp) == 1;
    })) << events.size();

    // Another meter's name: the position is not its own, it starts at the end.
    Publisher other(settingsFor(broker, "m2"));
    other.follow(file.path(), file.records());
    events.clear();
    EXPECT_TRUE(collectEvents(other, events, [](const auto& e) {
        return count(e, PublisherEvent::Kind::PositionIgnored) == 1 && count(e, PublisherEvent::Kind::Connected) == 1;
    }));
    EXPECT_NE(events.front().detail.find("vt640/m1/state"), std::string::npos) << events.front().detail;
    other.stop();
    EXPECT_EQ(PublishPosition::read(file.path() + ".mqtt")->topic, "vt640/m2/state");
    fs::remove_all(dir);
}

TEST(Publisher, ABrokerThatIsAwayHoldsNothingUpAndGetsEveryRecordWhenBack)
{
    // The subscriber's session outlives the broker's restart, so that it
    // misses nothing whoever reconnects first.
    MosquittoBroker::Options o;
    o.persistence = true;
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    auto live = std::make_unique<MqttSubscriber>(broker.port(), std::vector<std::string>{"vt640/#"}, "away-sub");
    ASSERT_TRUE(live->ready());
    live.reset();
    broker.stop();

    const fs::path dir = scratch("away");
    LoggerFile file(dir / "run.640");
    Publisher publisher(settingsFor(broker, "away"));
    publisher.follow(file.path(), 0);
    publisher.setMeterOnline(true);
    file.add(500, &publisher);
    std::vector<PublisherEvent> events;
    // Several attempts, one message.
    ASSERT_TRUE(collectEvents(publisher, events, [&](const auto&) { return publisher.progress().attempts >= 3; }));
    for (auto& e : publisher.takeEvents())
        events.push_back(e);
    EXPECT_EQ(kinds(events), std::vector<PublisherEvent::Kind>{PublisherEvent::Kind::Unreachable});
    EXPECT_NE(events.front().detail.find("Connection refused"), std::string::npos) << events.front().detail;
    EXPECT_FALSE(publisher.progress().connected);

    ASSERT_TRUE(broker.start()) << broker.log();
    live = std::make_unique<MqttSubscriber>(broker.port(), std::vector<std::string>{"vt640/#"}, "away-sub");
    ASSERT_TRUE(live->waitFor([](const auto& m) { return hasSeq(m, "vt640/away/state", 499); }));
    EXPECT_TRUE(inOrderWithoutHole(seqs(*live, "vt640/away/state"), 0, 499));
    events.clear();
    ASSERT_TRUE(
        collectEvents(publisher, events, [](const auto& e) { return count(e, PublisherEvent::Kind::CaughtUp) == 1; }));
    EXPECT_EQ(events.back().count, 500);
    fs::remove_all(dir);
}

TEST(Publisher, ARefusedLoginIsToldOnceWithTheBrokersReason)
{
    MosquittoBroker::Options o;
    o.users = {{"meter", "right"}};
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    const fs::path dir = scratch("login");
    LoggerFile file(dir / "run.640");

    PublisherSettings s = settingsFor(broker, "login");
    s.broker.user = "meter";
    s.password = "wrong";
    {
        Publisher publisher(s);
        publisher.follow(file.path(), 0);
        file.add(3, &publisher);
        std::vector<PublisherEvent> events;
        ASSERT_TRUE(collectEvents(publisher, events, [&](const auto&) { return publisher.progress().attempts >= 3; }));
        for (auto& e : publisher.takeEvents())
            events.push_back(e);
        EXPECT_EQ(kinds(events), std::vector<PublisherEvent::Kind>{PublisherEvent::Kind::Refused});
        EXPECT_EQ(events.front().detail, "Connection Refused: not authorised");
    }
    s.password = "right";
    Publisher publisher(s);
    publisher.follow(file.path(), 0);
    file.add(1, &publisher);
    const auto until = std::chrono::steady_clock::now() + seconds(20);
    while (publisher.progress().acked < 3 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(publisher.progress().acked, 3);
    fs::remove_all(dir);
}

TEST(Publisher, TlsTrustsTheGivenCaAndTellsOnceWhyItCannot)
{
    const fs::path dir = scratch("tls");
    TestCertificates certs;
    ASSERT_TRUE(certs.make(dir));
    MosquittoBroker::Options o;
    o.certFile = certs.cert;
    o.keyFile = certs.key;
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    LoggerFile file(dir / "run.640");
    file.add(4);

    const fs::path garbage = dir / "garbage.crt";
    std::ofstream(garbage) << "-----BEGIN CERTIFICATE-----\nnot one\n-----END CERTIFICATE-----\n";
    const std::pair<fs::path, const char*> failures[] = {
        {certs.otherCa, "certificate verify failed"},
        {garbage, ""},
        {dir / "missing.crt", "No such file or directory"},
    };
    for (const auto& [ca, says] : failures) {
        SCOPED_TRACE(ca.string());
        PublisherSettings s = settingsFor(broker, "tls");
        s.caFile = ca.string();
        Publisher publisher(s);
        publisher.follow(file.path(), 0);
        std::vector<PublisherEvent> events;
        ASSERT_TRUE(collectEvents(publisher, events, [&](const auto&) { return publisher.progress().attempts >= 3; }));
        for (auto& e : publisher.takeEvents())
            events.push_back(e);
        ASSERT_EQ(kinds(events), std::vector<PublisherEvent::Kind>{PublisherEvent::Kind::TlsFailed});
        EXPECT_NE(events.front().detail.find(says), std::string::npos) << events.front().detail;
        EXPECT_EQ(publisher.progress().acked, -1);
    }

    PublisherSettings s = settingsFor(broker, "tls");
    s.caFile = certs.ca.string();
    Publisher publisher(s);
    publisher.follow(file.path(), 0);
    publisher.recordsAppended(file.records());
    const auto until = std::chrono::steady_clock::now() + seconds(20);
    while (publisher.progress().acked < 3 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(publisher.progress().acked, 3);
    fs::remove_all(dir);
}
