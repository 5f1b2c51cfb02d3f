// vt640-tool stats and events as a user runs them, on generated files whose
// every value and time the test knows: a sag across midnight, a gap, an
// overload each way, a status display; stamped, and without stamps.
#include "tool/tool_process.h"

#include "support/generated_logs.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>

using namespace vt640;
using namespace vt640::test;
using Json = nlohmann::json;

namespace {

struct Files {
    fs::path dir, stamped, unstamped, volts, oldVolts;
};

Files makeFiles(const std::string& name)
{
    Files f;
    f.dir = scratch(name);
    f.stamped = f.dir / "mains.640";
    f.unstamped = f.dir / "old mains.640";
    f.volts = f.dir / "volts.640";
    spit(f.stamped, fileImage(MainsLog::records()));
    spit(f.unstamped, fileImage(withoutStamps(MainsLog::records())));
    auto volts = MainsLog::records();
    volts.resize(MainsLog::kVolts);
    spit(f.volts, fileImage(volts));
    f.oldVolts = f.dir / "old volts.640";
    spit(f.oldVolts, fileImage(withoutStamps(volts)));
    return f;
}

std::string rfc(std::int64_t utcMs) { return rfc3339(ZonedInstant{utcMs, MainsLog::kOffset}); }

} // namespace

// The figures of each run against those worked out here from how the file
// was made; the table says the same in words.
TEST(Stats, JsonOfTheMainsFileHoldsEachRunsFigures)
{
    const Files f = makeFiles("stats-json");
    const ToolRun r = runTool({"stats", "--json", f.stamped.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const Json all = Json::parse(r.out);
    ASSERT_EQ(all.size(), 1u);
    const Json& file = all[0];
    EXPECT_EQ(file["records"], MainsLog::kVolts + MainsLog::kWatts + MainsLog::kOhms);
    EXPECT_TRUE(file["dating"].is_null());
    const Json& runs = file["runs"];
    ASSERT_EQ(runs.size(), 3u);

    const Json& v = runs[0];
    EXPECT_EQ(v["unit"], "V");
    EXPECT_EQ(v["function"], "AC volts");
    EXPECT_EQ(v["records"], MainsLog::kVolts);
    EXPECT_EQ(v["values"], MainsLog::kVolts - 3);
    EXPECT_EQ(v["displays"], (Json{{"Strt", 1}, {"OL", 1}, {"-OL", 1}}));
    EXPECT_EQ(v["first"], "2026-12-08T23:58:00.000+01:00");
    EXPECT_EQ(v["last"], "2026-12-09T00:02:09.000+01:00");
    EXPECT_EQ(v["durationSeconds"], 249.0);
    double sum = 0, squares = 0, n = 0;
    for (int i = 0; i < MainsLog::kVolts; ++i) {
        if (!MainsLog::isVoltValue(i))
            continue;
        const double x = std::stof(MainsLog::voltText(i));
        sum += x;
        squares += x * x;
        ++n;
    }
    const double mean = sum / n;
    double deviations = 0;
    for (int i = 0; i < MainsLog::kVolts; ++i)
        if (MainsLog::isVoltValue(i))
            deviations += std::pow(std::stof(MainsLog::voltText(i)) - mean, 2);
    EXPECT_NEAR(v["mean"].get<double>(), mean, 1e-9);
    EXPECT_NEAR(v["rms"].get<double>(), std::sqrt(squares / n), 1e-9);
    EXPECT_NEAR(v["standardDeviation"].get<double>(), std::sqrt(deviations / (n - 1)), 1e-9);
    EXPECT_EQ(v["minimum"]["value"], 190.0);
    EXPECT_EQ(v["minimum"]["time"], "2026-12-09T00:00:00.000+01:00");
    EXPECT_EQ(v["minimum"]["record"], MainsLog::kSagWorst + 1);
    EXPECT_EQ(v["maximum"]["value"], 230.3);
    EXPECT_EQ(v["cycleSeconds"], 1.0);
    ASSERT_EQ(v["gaps"].size(), 1u);
    EXPECT_EQ(v["gaps"][0]["after"], rfc(MainsLog::voltTime(MainsLog::kGapAfter)));
    EXPECT_EQ(v["gaps"][0]["seconds"], 11.0);
    EXPECT_TRUE(v["energyKwh"].is_null());

    const Json& w = runs[1];
    double wattSeconds = 0;
    for (int i = 0; i + 1 < MainsLog::kWatts; ++i)
        wattSeconds += (MainsLog::watts(i) + MainsLog::watts(i + 1)) / 2 * 2.0;
    EXPECT_NEAR(w["energyKwh"].get<double>(), wattSeconds / 3.6e6, 1e-12);
    EXPECT_EQ(w["energyTextLast"], "0.083");
    EXPECT_EQ(runs[2]["unit"], "Ω");
    EXPECT_EQ(runs[2]["minimum"]["value"], 1200.0);

    const ToolRun table = runTool({"stats", f.stamped.string()});
    ASSERT_EQ(table.status, 0) << table.err;
    for (const char* line : {"mains.640: 345 records in 3 runs", "Run 1: AC volts in V (function 5), records 1 to 240",
                             "  records       240 (237 values; Strt 1, OL 1, -OL 1)",
                             "  minimum       190 V  at 2026-12-09T00:00:00.000+01:00", "  cycle         1.000 s",
                             "  gaps          1 longer than three cycles:",
                             "after 2026-12-09T00:01:00.000+01:00 (record 181) for 0:00:11.000",
                             "Run 3: Resistance in Ω (function 128), records 341 to 345"})
        EXPECT_NE(table.out.find(line), std::string::npos) << line << "\n" << table.out;
    fs::remove_all(f.dir);
}

// Without stamps: times of day counted in days, or dated from --date in
// this machine's zone; either way the same durations, and it says so.
TEST(Stats, AFileWithoutStampsByTimeOfDayOrByDate)
{
    ScopedTimeZone berlin("Europe/Berlin");
    const Files f = makeFiles("stats-unstamped");
    ToolRun r = runTool({"stats", "--json", f.unstamped.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    Json v = Json::parse(r.out)[0]["runs"][0];
    EXPECT_EQ(v["first"], "day 1 23:58:00.000");
    EXPECT_EQ(v["minimum"]["time"], "day 2 00:00:00.000");
    EXPECT_EQ(v["durationSeconds"], 249.0);
    EXPECT_NE(Json::parse(r.out)[0]["dating"].get<std::string>().find("345 records without a date"), std::string::npos);

    r = runTool({"stats", "--json", "--date", "2026-12-08", f.unstamped.string(), f.stamped.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json both = Json::parse(r.out);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_EQ(both[0]["runs"], both[1]["runs"]); // the same figures, the same times
    EXPECT_NE(both[0]["dating"].get<std::string>().find("dated from --date 2026-12-08"), std::string::npos);
    fs::remove_all(f.dir);
}

// The episodes as CSV, read back here, and as JSON; the minimum duration
// leaves the one-second overloads out.
TEST(Events, TheSagAcrossMidnightAndTheOverloadsAsCsvAndJson)
{
    const Files f = makeFiles("events");
    ToolRun r = runTool({"events", f.volts.string(), "--hi", "240", "--lo", "200"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto rows = lines(r.out);
    ASSERT_EQ(rows.size(), 4u) << r.out;
    EXPECT_EQ(rows[0], "start,end,duration_s,direction,worst,unit,worst_time,records,ended");
    EXPECT_EQ(rows[1], rfc(MainsLog::voltTime(MainsLog::kSagFirst)) + ","
                           + rfc(MainsLog::voltTime(MainsLog::kSagLast + 1)) + ",20.000,low,190.0,V,"
                           + rfc(MainsLog::voltTime(MainsLog::kSagWorst)) + ",19,true");
    EXPECT_EQ(rows[2], rfc(MainsLog::voltTime(MainsLog::kOverload)) + ","
                           + rfc(MainsLog::voltTime(MainsLog::kOverload + 1)) + ",1.000,high,OL,V,"
                           + rfc(MainsLog::voltTime(MainsLog::kOverload)) + ",1,true");
    EXPECT_EQ(rows[3].substr(rows[3].find(",1.000,")),
              ",1.000,low,-OL,V," + rfc(MainsLog::voltTime(MainsLog::kUnderload)) + ",1,true");

    r = runTool({"events", f.volts.string(), "--hi=240", "--lo=200", "--min-duration", "5", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const Json e = Json::parse(r.out);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0]["direction"], "low");
    EXPECT_EQ(e[0]["worst"], 190.0);
    EXPECT_EQ(e[0]["durationSeconds"], 20.0);
    EXPECT_EQ(e[0]["firstRecord"], MainsLog::kSagFirst + 1);

    // Without stamps: by the time of day, across midnight.
    r = runTool({"events", f.oldVolts.string(), "--hi", "240", "--lo", "200", "--min-duration", "5"});
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_EQ(lines(r.out).size(), 2u) << r.out;
    EXPECT_EQ(lines(r.out)[1].substr(0, 50), "day 1 23:59:50.000,day 2 00:00:10.000,20.000,low,1");
    EXPECT_NE(r.err.find("without a date"), std::string::npos) << r.err;
    fs::remove_all(f.dir);
}

TEST(Events, BadLimitsAndFilesAreRefusedClearly)
{
    const Files f = makeFiles("events-bad");
    const std::string in = f.volts.string();
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string says;
    };
    const Case cases[] = {
        {{"events", in, "--hi", "200", "--lo", "240"}, 2, "--hi 200 must lie above --lo 240"},
        {{"events", in, "--hi", "5", "--lo", "5"}, 2, "must lie above"},
        {{"events", in, "--hi", "2,5", "--lo", "0"}, 2, "--hi takes a number such as 253 or 0.5, not '2,5'"},
        {{"events", in, "--hi", "nan", "--lo", "0"}, 2, "--hi takes a number"},
        {{"events", in, "--hi", "5"}, 2, "--hi and --lo are both needed"},
        {{"events", in, "--hi", "5", "--lo", "0", "--min-duration", "-1"}, 2, "--min-duration takes seconds"},
        {{"events", in, "--hi", "5", "--lo", "0", "--date", "2026-02-30"}, 2, "--date takes YYYY-MM-DD"},
        {{"events", (f.dir / "none.640").string(), "--hi", "5", "--lo", "0"},
         1,
         "cannot open " + (f.dir / "none.640").string() + ": No such file or directory"},
        {{"events", f.dir.string(), "--hi", "5", "--lo", "0"}, 1, "is a folder"},
        {{"stats", (f.dir / "none.640").string()}, 1, "No such file or directory"},
        {{"stats", in, "--layout", "r28"}, 2, "--layout takes 640, r27 or r26"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.status, c.status) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(r.out.find("start,"), std::string::npos);
    }
    fs::remove_all(f.dir);
}

// A file's layout comes from its name, as convert reads it: a ".r26" file
// of 68-byte records, and the same bytes under a name that says nothing
// read with --layout.
TEST(Stats, AnOlderLayoutIsReadByItsName)
{
    const Files f = makeFiles("stats-layout");
    std::string old;
    for (const TBRecord& r : MainsLog::records())
        old.append(reinterpret_cast<const char*>(&r.head), sizeof r.head);
    spit(f.dir / "mains.r26", old);
    spit(f.dir / "mains.dat", old);
    ToolRun r = runTool({"stats", "--json", (f.dir / "mains.r26").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    Json j = Json::parse(r.out)[0];
    EXPECT_EQ(j["records"], MainsLog::kVolts + MainsLog::kWatts + MainsLog::kOhms);
    EXPECT_EQ(j["runs"][0]["first"], "day 1 23:58:00.000"); // no stamps in the older layout
    EXPECT_EQ(j["runs"][0]["minimum"]["value"], 190.0);

    r = runTool({"stats", "--json", "--layout", "r26", (f.dir / "mains.dat").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Json::parse(r.out)[0]["runs"], j["runs"]);
    fs::remove_all(f.dir);
}
