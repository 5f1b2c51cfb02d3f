// vt640-tool log --mqtt run as a user runs it, against a real mosquitto:
// records reach the broker through an outage while the file goes on at the
// cycle's pace, the availability follows the meter and the process, and
// bad options, a broker that is away, a refused login and an untrusted
// broker are each told as they should be.
#include "tool/logged_records.h"
#include "tool/tool_process.h"

#include "meter/sim/meter_encoder.h"
#include "meter/sim/pty_meter_host.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_text.h"
#include "support/mosquitto_broker.h"
#include "support/mqtt_subscriber.h"
#include "support/test_certificates.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace vt640;
using namespace vt640::test;
using Json = nlohmann::json;
using std::chrono::seconds;

namespace {

using Messages = std::vector<MqttSubscriber::Message>;

std::int64_t lastSeq(const Messages& messages, const std::string& topic)
{
    std::int64_t last = -1;
    for (const auto& m : messages)
        if (m.topic == topic)
            last = std::max(last, Json::parse(m.payload)["seq"].get<std::int64_t>());
    return last;
}

// Every record from 0 to `last` arrived, in order: a message repeats an
// earlier one (QoS 1 may deliver twice) or carries the next seq.
::testing::AssertionResult inOrderWithoutHole(const Messages& messages, const std::string& topic, std::int64_t last)
{
    std::int64_t next = 0;
    for (const auto& m : messages) {
        if (m.topic != topic)
            continue;
        const auto seq = Json::parse(m.payload)["seq"].get<std::int64_t>();
        if (seq > next)
            return ::testing::AssertionFailure() << "seq " << seq << " came before " << next;
        if (seq == next)
            ++next;
    }
    if (next != last + 1)
        return ::testing::AssertionFailure() << "the records end at " << next - 1 << ", not " << last;
    return ::testing::AssertionSuccess();
}

std::vector<std::string> changes(std::vector<std::string> values)
{
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

// The record's local time of day in tenths of a second.
int tenths(const TBRecord& r)
{
    int h = 0, m = 0, s = 0, t = 0;
    EXPECT_EQ(std::sscanf(std::string(fieldText(r.head.timeText)).c_str(), "%d:%d:%d.%d", &h, &m, &s, &t), 4);
    return ((h * 60 + m) * 60 + s) * 10 + t;
}

MeterFrame voltsFrame()
{
    sim::LcdPicture p;
    p.functionBits = code::DcVolts;
    sim::setMainDisplay(p, "12.34");
    return sim::encodeMeterFrame(p);
}

} // namespace

TEST(LogMqtt, RecordsReachTheBrokerThroughAnOutageAndLoggingNeverPauses)
{
    // The subscriber's session outlives the broker's restart, so that it
    // misses nothing whoever reconnects first.
    MosquittoBroker::Options o;
    o.persistence = true;
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber sub(broker.port(), {"vt640/#"}, "outage-sub");
    ASSERT_TRUE(sub.ready());
    const std::string state = "vt640/outage/state";

    const fs::path dir = scratch("mqtt-outage");
    const fs::path file = dir / "run.640";
    ToolProcess log;
    log.start({"log", "--demo", "-o", file.string(), "--mqtt", broker.url(), "--mqtt-id", "outage"});
    ASSERT_TRUE(sub.waitFor([&](const Messages& m) { return lastSeq(m, state) >= 2; })) << log.err();

    // 30 seconds of the cycle without a broker.
    broker.stop();
    const std::size_t atStop = lines(log.out()).size();
    ASSERT_TRUE(log.waitForLines("", atStop + 40, seconds(120))) << log.err();
    EXPECT_TRUE(log.waitForError("broke (")) << log.err();
    ASSERT_TRUE(broker.start()) << broker.log();
    ASSERT_TRUE(log.waitForError(" again", seconds(60))) << log.err();
    ASSERT_TRUE(log.waitForError("was away", seconds(60))) << log.err();

    EXPECT_EQ(log.stop(SIGINT), 0) << log.err();
    const std::vector<TBRecord> records = recordsOf(file);
    ASSERT_GE(records.size(), 43u);
    const auto last = static_cast<std::int64_t>(records.size()) - 1;
    ASSERT_TRUE(sub.waitFor([&](const Messages& m) { return lastSeq(m, state) == last; }, seconds(30))) << log.err();
    EXPECT_TRUE(inOrderWithoutHole(sub.messages(), state, last));
    // The records' own texts came along.
    EXPECT_EQ(Json::parse(sub.payloads(state).back())["value_text"],
              std::string(fieldText(records.back().head.valueText)));

    // Logging went on at the cycle's pace all the while (750 ms and the exchange).
    for (std::size_t i = 1; i < records.size(); ++i) {
        const int gap = (tenths(records[i]) - tenths(records[i - 1]) + 864000) % 864000;
        EXPECT_LE(gap, 20) << "between records " << i - 1 << " and " << i;
    }
    EXPECT_EQ(countOf(log.err(), "broke ("), 1u) << log.err();
    EXPECT_EQ(changes(sub.payloads("vt640/outage/availability")).back(), "offline");
    fs::remove_all(dir);
}

TEST(LogMqtt, AKilledLoggerIsOfflineByItsLastWill)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber sub(broker.port(), {"vt640/killed/availability"});
    const fs::path dir = scratch("mqtt-kill");
    ToolProcess log;
    log.start({"log", "--demo", "-o", (dir / "run.640").string(), "--mqtt", broker.url(), "--mqtt-id", "killed"});
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return !m.empty() && m.back().payload == "online"; })) << log.err();
    log.stop(SIGKILL);
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return m.back().payload == "offline"; }, seconds(30)));
    // Retained: whoever looks later sees it too.
    MqttSubscriber later(broker.port(), {"vt640/killed/availability"});
    ASSERT_TRUE(later.waitFor([](const Messages& m) { return !m.empty(); }, seconds(10)));
    EXPECT_EQ(later.messages().front().payload, "offline");
    EXPECT_TRUE(later.messages().front().retained);
    fs::remove_all(dir);
}

TEST(LogMqtt, APulledAdapterIsOfflineUntilItIsBack)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber sub(broker.port(), {"vt640/pulled/availability"});
    const MeterFrame frame = voltsFrame();
    sim::PtyMeterHost meter([&] { return frame; });
    ASSERT_TRUE(meter.start());
    const fs::path dir = scratch("mqtt-replug");
    ASSERT_TRUE(meter.placeLink(dir / "meter"));
    ToolProcess log;
    log.start({"log", (dir / "meter").string(), "-o", (dir / "run.640").string(), "--mqtt", broker.url(), "--mqtt-id",
               "pulled"});
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return !m.empty() && m.back().payload == "online"; })) << log.err();

    meter.hangUp();
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return m.back().payload == "offline"; })) << log.err();
    ASSERT_TRUE(meter.replug());
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return m.back().payload == "online"; })) << log.err();
    EXPECT_EQ(log.stop(SIGINT), 0);
    ASSERT_TRUE(sub.waitFor([](const Messages& m) { return m.back().payload == "offline"; }, seconds(10)));
    EXPECT_EQ(changes(sub.payloads("vt640/pulled/availability")),
              (std::vector<std::string>{"online", "offline", "online", "offline"}));
    fs::remove_all(dir);
}

TEST(LogMqtt, ABadBrokerUrlOrMqttOptionEndsWithStatusTwo)
{
    const fs::path dir = scratch("mqtt-usage");
    const std::string file = (dir / "run.640").string();
    spit(dir / "password", "secret\n");
    const std::string password = (dir / "password").string();
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--mqtt", "http://broker"}, "unknown scheme 'http'"},
        {{"--mqtt", "broker:1883"}, "'broker:1883' is no broker URL"},
        {{"--mqtt", "mqtt://broker:70000"}, "the port '70000'"},
        {{"--mqtt", "mqtt://u:pw@broker"}, "--mqtt-password-file"},
        {{"--mqtt", "mqtt://broker/a/#"}, "fragment"},
        {{"--mqtt", "mqtt://broker", "--mqtt-cafile", password}, "mqtts://"},
        {{"--mqtt", "mqtt://broker", "--mqtt-password-file", password}, "needs a user"},
        {{"--mqtt", "mqtt://u@broker", "--mqtt-password-file", (dir / "none").string()}, "No such file"},
        {{"--mqtt", "mqtt://broker", "--mqtt-id", "my meter"}, "--mqtt-id takes"},
        {{"--mqtt", "mqtt://broker", "--ha-discovery=ha/+"}, "wildcard"},
        {{"--mqtt-id", "m1"}, "--mqtt-id needs --mqtt"},
        {{"--ha-discovery"}, "--ha-discovery needs --mqtt"},
    };
    for (const auto& [extra, says] : cases) {
        std::vector<std::string> args{"log", "--demo", "-o", file};
        args.insert(args.end(), extra.begin(), extra.end());
        SCOPED_TRACE(extra.front() + " " + extra.back());
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(file));
    }
    fs::remove_all(dir);
}

TEST(LogMqtt, LoggingStartsWhenTheBrokerCannotBeReachedAndItGetsEveryRecordLater)
{
    MosquittoBroker::Options o;
    o.persistence = true;
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    auto sub = std::make_unique<MqttSubscriber>(broker.port(), std::vector<std::string>{"vt640/#"}, "away-sub");
    ASSERT_TRUE(sub->ready());
    sub.reset();
    broker.stop();

    const fs::path dir = scratch("mqtt-away");
    ToolProcess log;
    log.start({"log", "--demo", "-o", (dir / "run.640").string(), "--mqtt", broker.url(), "--mqtt-id", "away"});
    ASSERT_TRUE(log.waitForError("cannot be reached (Connection refused)")) << log.err();
    ASSERT_TRUE(log.waitForLines("", 3)) << log.err();

    ASSERT_TRUE(broker.start()) << broker.log();
    sub = std::make_unique<MqttSubscriber>(broker.port(), std::vector<std::string>{"vt640/#"}, "away-sub");
    ASSERT_TRUE(log.waitForError("connected to the MQTT broker")) << log.err();
    ASSERT_TRUE(sub->waitFor([](const Messages& m) { return lastSeq(m, "vt640/away/state") >= 3; })) << log.err();
    EXPECT_TRUE(inOrderWithoutHole(sub->messages(), "vt640/away/state", lastSeq(sub->messages(), "vt640/away/state")));
    EXPECT_EQ(log.stop(SIGINT), 0);
    EXPECT_EQ(countOf(log.err(), "cannot be reached"), 1u) << log.err();
    fs::remove_all(dir);
}

TEST(LogMqtt, ARefusedLoginOrAnUntrustedBrokerIsToldOnceAndLoggingGoesOn)
{
    const fs::path dir = scratch("mqtt-refused");
    TestCertificates certs;
    ASSERT_TRUE(certs.make(dir));
    MosquittoBroker::Options o;
    o.users = {{"meter", "right"}};
    o.certFile = certs.cert;
    o.keyFile = certs.key;
    MosquittoBroker broker(o);
    ASSERT_TRUE(broker.start()) << broker.log();
    spit(dir / "password", "wrong\n");
    const std::string endpoint = "mqtts://127.0.0.1:" + std::to_string(broker.port());
    const std::string url = "mqtts://meter@127.0.0.1:" + std::to_string(broker.port());

    const std::pair<fs::path, std::string> runs[] = {
        {certs.ca, "refused the login (Connection Refused: not authorised)"},
        {certs.otherCa, "TLS with the MQTT broker at " + endpoint + " failed (certificate verify failed)"},
    };
    for (const auto& [ca, says] : runs) {
        SCOPED_TRACE(ca.string());
        const int before = broker.connectionsSeen();
        ToolProcess log;
        log.start({"log", "--demo", "-o", (dir / (ca.stem().string() + ".640")).string(), "--mqtt", url,
                   "--mqtt-cafile", ca.string(), "--mqtt-password-file", (dir / "password").string()});
        // Three attempts, and logging all the while.
        const auto until = std::chrono::steady_clock::now() + seconds(60);
        while (broker.connectionsSeen() < before + 3 && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_GE(broker.connectionsSeen(), before + 3) << broker.log();
        const std::size_t logged = lines(log.out()).size();
        ASSERT_TRUE(log.waitForLines("", logged + 1)) << log.err();
        EXPECT_EQ(log.stop(SIGINT), 0);
        EXPECT_EQ(countOf(log.err(), says), 1u) << log.err();
        EXPECT_EQ(countOf(log.err(), "MQTT broker at"), 1u) << log.err();
    }
    fs::remove_all(dir);
}
