// vt640-tool log --influx as a user runs it, against a real influxd: the
// server stopped mid-run and started again loses nothing and logging never
// pauses; bad options; and the limit episodes, to a file and to the broker.
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_stamp.h"
#include "support/influx_server.h"
#include "support/mosquitto_broker.h"
#include "support/mqtt_subscriber.h"
#include "tool/tool_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace vt640;
using namespace vt640::test;
using Json = nlohmann::json;

namespace {

std::vector<TBRecord> recordsOf(const fs::path& file)
{
    const std::string bytes = slurp(file);
    std::vector<TBRecord> records(bytes.size() / sizeof(TBRecord));
    std::memcpy(records.data(), bytes.data(), records.size() * sizeof(TBRecord));
    return records;
}

std::int64_t recordsIn(const fs::path& file)
{
    std::error_code e;
    const auto size = fs::file_size(file, e);
    return e ? 0 : static_cast<std::int64_t>(size / sizeof(TBRecord));
}

// The last record the database acknowledged, as the position file says.
std::int64_t ackedIn(const fs::path& file)
{
    const Json j = Json::parse(slurp(file.string() + ".influx"), nullptr, false);
    return j.is_object() && j.contains("acked_seq") ? j["acked_seq"].get<std::int64_t>() : -1;
}

} // namespace

TEST(LogInflux, AServerStoppedMidRunAndStartedAgainLosesNothing)
{
    InfluxServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.createDatabase("mains"));
    const fs::path dir = scratch("log-influx-outage");
    const fs::path file = dir / "mains.640";

    ToolProcess log;
    log.start({"log", "--demo", "-o", file.string(), "--influx", server.writeUrl("mains"), "--meter-id", "box"});
    ASSERT_TRUE(waitUntil([&] { return ackedIn(file) >= 4; })) << log.err();
    server.stop();
    const std::int64_t atStop = recordsIn(file);
    ASSERT_TRUE(waitUntil([&] { return recordsIn(file) >= atStop + 6; })) << log.err(); // logging goes on
    ASSERT_TRUE(log.waitForError("cannot be reached")) << log.err();
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(log.waitForError("written", std::chrono::seconds(90))) << log.err();
    EXPECT_EQ(log.stop(SIGINT), 0) << log.err();

    const auto records = recordsOf(file);
    const Json j = Json::parse(server.query("mains", "SELECT value, meter FROM vt640"));
    const Json& rows = j["results"][0]["series"][0]["values"];
    ASSERT_EQ(rows.size(), records.size()) << log.err();
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(rows[i][0].get<std::int64_t>(), recordStamp(records[i])->utcMs) << i;
        EXPECT_EQ(static_cast<float>(rows[i][1].get<double>()), records[i].head.value) << i;
        EXPECT_EQ(rows[i][2], "box");
        // Logging never paused: the records stay spaced by the poll.
        if (i > 0) {
            EXPECT_LT(recordStamp(records[i])->utcMs - recordStamp(records[i - 1])->utcMs, 2000) << i;
        }
    }
    // Said once, not at every retry.
    const std::string err = log.err();
    EXPECT_EQ(err.find("cannot be reached"), err.rfind("cannot be reached")) << err;
    fs::remove_all(dir);
}

TEST(LogInflux, BadOptionsEndWithStatusTwoAndAPlantedLinkIsNotFollowed)
{
    const fs::path dir = scratch("log-influx-bad");
    spit(dir / "token", "");
    spit(dir / "target.csv", "precious\n");
    fs::create_symlink(dir / "target.csv", dir / "planted.csv");
    spit(dir / "other.csv", "a,b\n1,2\n");
    const std::string out = (dir / "x.640").string();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"--influx", "ftp://h/write?db=x"}, 2, "--influx: the URL starts with http:// or https://"},
        {{"--influx", "http://h:8086/api/v2/write?org=o&bucket=b"}, 2, "wants its token: --influx-token-file"},
        {{"--influx", "http://h/write?db=x", "--influx-token-file", (dir / "none").string()},
         2,
         "cannot read --influx-token-file " + (dir / "none").string() + ": No such file or directory"},
        {{"--influx", "http://h/write?db=x", "--influx-token-file", (dir / "token").string()}, 2, "is empty"},
        {{"--influx-token-file", (dir / "token").string()}, 2, "needs --influx URL"},
        {{"--influx", "http://h/write?db=x", "--meter-id", "a b"}, 2, "--meter-id takes"},
        {{"--hi", "5", "--lo", "7", "--events", "e.csv"}, 2, "--hi 5 must lie above --lo 7"},
        {{"--hi", "5", "--lo", "1"}, 2, "give one of them"},
        {{"--events", "e.csv"}, 2, "--events needs the limits"},
        {{"--hi", "5", "--lo", "1", "--events", (dir / "planted.csv").string(), "--count", "1"},
         1,
         "it is a symbolic link"},
        {{"--hi", "5", "--lo", "1", "--events", (dir / "other.csv").string(), "--count", "1"},
         1,
         "holds something else than limit episodes"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"log", "--demo", "-o", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, c.status) << c.says << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(out)) << c.says;
    }
    EXPECT_EQ(slurp(dir / "target.csv"), "precious\n");
    fs::remove_all(dir);
}

// Every record above a limit of 1 V: one episode, still open when logging
// ends, in the --events file and on the event topic alike.
TEST(LogEvents, EachEpisodeGoesToTheFileAndTheEventTopic)
{
    MosquittoBroker broker;
    ASSERT_TRUE(broker.start());
    MqttSubscriber sub(broker.port(), {"vt640/box/event"});
    ASSERT_TRUE(sub.ready());
    const fs::path dir = scratch("log-events");
    const ToolRun r =
        runTool({"log", "--demo", "-o", (dir / "m.640").string(), "--count", "3", "--hi", "1", "--lo", "0", "--events",
                 (dir / "events.csv").string(), "--mqtt", broker.url(), "--mqtt-id", "box"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = lines(slurp(dir / "events.csv"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "start,end,duration_s,direction,worst,unit,worst_time,records,ended");
    const auto records = recordsOf(dir / "m.640");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(rows[1].substr(0, rows[1].find(',')), rfc3339(*recordStamp(records[0])));
    EXPECT_NE(rows[1].find(",high,"), std::string::npos);
    EXPECT_EQ(rows[1].substr(rows[1].size() - 8), ",3,false");

    ASSERT_TRUE(sub.waitFor([](const auto& m) { return !m.empty(); }, std::chrono::seconds(20)));
    const Json e = Json::parse(sub.messages()[0].payload);
    EXPECT_EQ(e["direction"], "high");
    EXPECT_EQ(e["records"], 3);
    EXPECT_EQ(e["ended"], false);
    EXPECT_EQ(e["start"], rfc3339(*recordStamp(records[0])));

    // A second run adds to the same file below its header.
    ASSERT_EQ(runTool({"log", "--demo", "-o", (dir / "n.640").string(), "--count", "2", "--hi", "1", "--lo", "0",
                       "--events", (dir / "events.csv").string()})
                  .status,
              0);
    EXPECT_EQ(lines(slurp(dir / "events.csv")).size(), 3u);
    fs::remove_all(dir);
}
