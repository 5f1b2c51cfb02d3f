// The database writer and convert's line protocol against a real influxd:
// what goes in is read back with /query and compared with the file; 4xx
// answers; a server that is not there at the start.
#include "publish/influx_writer.h"
#include "recorder/core/record_stamp.h"
#include "support/generated_logs.h"
#include "support/influx_server.h"
#include "tool/tool_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

using namespace vt640;
using namespace vt640::test;
using vt640::publish::InfluxSettings;
using vt640::publish::InfluxWriter;
using vt640::publish::PublisherEvent;
using Json = nlohmann::json;

namespace {

// Every point's time (ms), value (or display) in time order.
struct Point {
    std::int64_t ms = 0;
    Json value, display;
};

std::vector<Point> pointsIn(const InfluxServer& server, const std::string& db)
{
    const Json j = Json::parse(server.query(db, "SELECT value, display FROM vt640"), nullptr, false);
    std::vector<Point> points;
    if (j.is_discarded() || !j["results"][0].contains("series"))
        return points;
    for (const Json& row : j["results"][0]["series"][0]["values"])
        points.push_back({row[0].get<std::int64_t>(), row[1], row[2]});
    return points;
}

// What count() says: every point has a value or a display, never both.
std::int64_t countIn(const InfluxServer& server, const std::string& db)
{
    std::int64_t n = 0;
    for (const char* field : {"value", "display"}) {
        const Json j =
            Json::parse(server.query(db, std::string("SELECT count(") + field + ") FROM vt640"), nullptr, false);
        if (!j.is_discarded() && j["results"][0].contains("series"))
            n += j["results"][0]["series"][0]["values"][0][1].get<std::int64_t>();
    }
    return n;
}

// The records of the file against the points: one point a record, at its
// stamp, with its value or its display.
void expectTheFile(const std::vector<TBRecord>& records, const std::vector<Point>& points)
{
    ASSERT_EQ(points.size(), records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        const TBRecord& r = records[i];
        ASSERT_EQ(points[i].ms, recordStamp(r)->utcMs) << i;
        const std::string main = r.head.mainText;
        if (main == "OL" || main == "-OL" || main == "Strt") {
            EXPECT_EQ(points[i].display, main) << i;
            EXPECT_TRUE(points[i].value.is_null()) << i;
        } else {
            ASSERT_TRUE(points[i].value.is_number()) << i;
            EXPECT_EQ(static_cast<float>(points[i].value.get<double>()), r.head.value) << i;
        }
    }
}

InfluxSettings settingsFor(const InfluxServer& server, const std::string& db)
{
    InfluxSettings s;
    std::string why;
    s.url = *vt640::publish::InfluxUrl::parse(server.writeUrl(db), &why);
    s.meterId = "test";
    s.flushAfter = std::chrono::milliseconds(50);
    s.retryFirst = std::chrono::milliseconds(100);
    s.retryMost = std::chrono::milliseconds(400);
    s.batchRecords = 100;
    return s;
}

bool has(const std::vector<PublisherEvent>& events, PublisherEvent::Kind kind, const std::string& detail = {})
{
    return std::any_of(events.begin(), events.end(), [&](const PublisherEvent& e) {
        return e.kind == kind && e.detail.find(detail) != std::string::npos;
    });
}

} // namespace

// The mains file converted to .lp and posted with curl, and the same file
// through the writer: both read back record for record.
TEST(InfluxServer, AConvertedFileAndTheWriterBothGiveTheFileBack)
{
    InfluxServer server;
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.createDatabase("posted"));
    ASSERT_TRUE(server.createDatabase("written"));
    const fs::path dir = scratch("influx-file");
    const auto records = MainsLog::records();
    spit(dir / "mains.640", fileImage(records));

    const ToolRun convert = runTool({"convert", (dir / "mains.640").string(), "-o", (dir / "mains.lp").string()});
    ASSERT_EQ(convert.status, 0) << convert.err;
    const std::string curl =
        "curl -sf -XPOST '" + server.writeUrl("posted") + "' --data-binary @'" + (dir / "mains.lp").string() + "'";
    ASSERT_EQ(std::system(curl.c_str()), 0);
    EXPECT_EQ(countIn(server, "posted"), static_cast<std::int64_t>(records.size()));
    expectTheFile(records, pointsIn(server, "posted"));

    InfluxWriter writer(settingsFor(server, "written"));
    writer.follow((dir / "mains.640").string(), 0);
    writer.recordsAppended(static_cast<std::int64_t>(records.size()));
    ASSERT_TRUE(waitUntil([&] { return writer.progress().acked == static_cast<std::int64_t>(records.size()) - 1; }));
    writer.stop();
    expectTheFile(records, pointsIn(server, "written"));
    EXPECT_NE(slurp(dir / "mains.640.influx").find("\"acked_seq\":344"), std::string::npos);
    fs::remove_all(dir);
}

// No database: the server's 404 said once, tried again until it is made.
// A field of another type: the server's 400 said once, those records passed
// over, the rest written.
TEST(InfluxServer, FourHundredsAreSaidOnceWithTheServersMessage)
{
    InfluxServer server;
    ASSERT_TRUE(server.start());
    const fs::path dir = scratch("influx-4xx");
    const auto records = MainsLog::records();
    spit(dir / "mains.640", fileImage(records));

    InfluxWriter writer(settingsFor(server, "later"));
    writer.follow((dir / "mains.640").string(), 0);
    writer.recordsAppended(static_cast<std::int64_t>(records.size()));
    std::vector<PublisherEvent> events;
    ASSERT_TRUE(waitUntil([&] {
        auto more = writer.takeEvents();
        events.insert(events.end(), more.begin(), more.end());
        return writer.progress().requests >= 3;
    }));
    EXPECT_EQ(std::count_if(events.begin(), events.end(),
                            [](const PublisherEvent& e) { return e.kind == PublisherEvent::Kind::Refused; }),
              1);
    EXPECT_TRUE(has(events, PublisherEvent::Kind::Refused, "HTTP 404: database not found: \"later\""));
    EXPECT_EQ(writer.progress().acked, -1);
    ASSERT_TRUE(server.createDatabase("later"));
    ASSERT_TRUE(waitUntil([&] { return writer.progress().acked == static_cast<std::int64_t>(records.size()) - 1; }));
    events = writer.takeEvents();
    EXPECT_TRUE(has(events, PublisherEvent::Kind::Connected));
    EXPECT_TRUE(has(events, PublisherEvent::Kind::CaughtUp));
    writer.stop();
    EXPECT_EQ(countIn(server, "later"), static_cast<std::int64_t>(records.size()));

    // "value" already a string in the same shard: none of the file's values can go in.
    ASSERT_TRUE(server.createDatabase("typed"));
    const std::string text = "vt640 value=\"text\" " + std::to_string(MainsLog::kStart * 1'000'000 - 1);
    ASSERT_EQ(httpRequest(server.writeUrl("typed"), &text).status, 204);
    fs::remove(dir / "mains.640.influx");
    InfluxWriter typed(settingsFor(server, "typed"));
    typed.follow((dir / "mains.640").string(), 0);
    typed.recordsAppended(static_cast<std::int64_t>(records.size()));
    ASSERT_TRUE(waitUntil([&] { return typed.progress().acked == static_cast<std::int64_t>(records.size()) - 1; }));
    typed.stop();
    events = typed.takeEvents();
    EXPECT_TRUE(has(events, PublisherEvent::Kind::Rejected, "HTTP 400: partial write: field type conflict"))
        << (events.empty() ? std::string("no events") : events.back().detail);
    // The displays went in; the values were passed over.
    EXPECT_EQ(countIn(server, "typed"), 1 + 3);
    fs::remove_all(dir);
}

// Nothing listens at the start: said once, tried again with a growing
// pause, and every record arrives once the server is up.
TEST(InfluxServer, AServerAwayAtTheStartGetsEveryRecordLater)
{
    InfluxServer server;
    const fs::path dir = scratch("influx-away");
    const auto records = MainsLog::records();
    spit(dir / "mains.640", fileImage(records));
    InfluxWriter writer(settingsFor(server, "away"));
    writer.follow((dir / "mains.640").string(), 0);
    writer.recordsAppended(static_cast<std::int64_t>(records.size()));
    ASSERT_TRUE(waitUntil([&] { return writer.progress().requests >= 3; }));
    auto events = writer.takeEvents();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_TRUE(has(events, PublisherEvent::Kind::Unreachable, "127.0.0.1"));
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.createDatabase("away"));
    ASSERT_TRUE(waitUntil([&] { return writer.progress().acked == static_cast<std::int64_t>(records.size()) - 1; }));
    writer.stop();
    expectTheFile(records, pointsIn(server, "away"));
    fs::remove_all(dir);
}
