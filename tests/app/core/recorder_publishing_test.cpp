// The recorder's records published to a real mosquitto: each automatic
// logging run's temporary file is what the publisher follows, the meter's
// answers make it online, and at the end it is offline and leaves nothing
// beside the temporary files.
#include "app/core/recorder_publishing.h"
#include "publish/publish_options.h"
#include "recorder/core/recorder_session.h"
#include "support/mosquitto_broker.h"
#include "support/mqtt_subscriber.h"
#include "support/test_readings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <filesystem>

namespace vt640 {
namespace {

using test::MosquittoBroker;
using test::MqttSubscriber;

// Lets the event loop run until `done`, at most 20 s.
template <typename Done>
bool runUntil(Done done)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

std::vector<std::int64_t> seqs(const std::vector<std::string>& states)
{
    std::vector<std::int64_t> out;
    for (const std::string& s : states)
        out.push_back(nlohmann::json::parse(s)["seq"].get<std::int64_t>());
    return out;
}

TEST(RecorderPublishing, EachRunsRecordsReachTheBrokerAndTheEndIsOffline)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start()) << broker.log();
    MqttSubscriber sub(broker.port(), {"vt640/rec/#"});
    ASSERT_TRUE(sub.ready());

    QTemporaryDir dir;
    RecorderSession session;
    session.setWorkingDirectory(dir.path().toStdString());
    publish::PublishOptions options;
    options.url = broker.url();
    options.id = "rec";
    std::string why;
    auto settings = publish::settingsFor(options, "COM2", why);
    ASSERT_TRUE(settings) << why;
    auto publishing = std::make_unique<RecorderPublishing>(std::move(*settings), session);
    const std::string state = "vt640/rec/state";
    const std::string availability = "vt640/rec/availability";

    // A run of three records: online, and every record in order.
    ASSERT_EQ(session.startLogging(), RecorderSession::Start::Started);
    publishing->setMeterOnline(true);
    for (int i = 0; i < 3; ++i) {
        session.loggingTimerTick();
        session.logRequestedSample(test::volts(i + 1));
    }
    ASSERT_TRUE(runUntil([&] { return sub.payloads(state).size() >= 3; }));
    EXPECT_EQ(seqs(sub.payloads(state)), (std::vector<std::int64_t>{0, 1, 2}));
    EXPECT_EQ(nlohmann::json::parse(sub.payloads(state)[2])["value"], 3.0);
    ASSERT_TRUE(runUntil([&] { return sub.payloads(availability) == std::vector<std::string>{"online"}; }));
    EXPECT_TRUE(runUntil([&] { return publishing->note() == "MQTT: connected"; })) << publishing->note().toStdString();
    session.stopLogging();

    // The next run has a file of its own, which the publisher follows.
    ASSERT_EQ(session.startLogging(), RecorderSession::Start::Started);
    session.logRequestedSample(test::volts(9));
    ASSERT_TRUE(runUntil([&] { return sub.payloads(state).size() >= 4; }));
    EXPECT_EQ(seqs(sub.payloads(state)).back(), 0);
    EXPECT_EQ(nlohmann::json::parse(sub.payloads(state).back())["value"], 9.0);
    session.stopLogging();

    // The end: offline, and no position file is left beside the run files.
    ASSERT_TRUE(std::filesystem::exists(dir.filePath("~KRMDL1.TMP.mqtt").toStdString()));
    publishing.reset();
    ASSERT_TRUE(runUntil([&] { return sub.payloads(availability).back() == "offline"; }));
    EXPECT_FALSE(std::filesystem::exists(dir.filePath("~KRMDL1.TMP.mqtt").toStdString()));
    EXPECT_FALSE(std::filesystem::exists(dir.filePath("~KRMDL2.TMP.mqtt").toStdString()));
}

} // namespace
} // namespace vt640

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
