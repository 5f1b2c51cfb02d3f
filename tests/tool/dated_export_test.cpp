// When each record was logged, as convert, log and watch tell it: the
// DateTime column of --iso-time, --date for files without stamps, JSON
// lines read back by Python, and the time at the head of each line.
#include "tool/tool_process.h"

#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"
#include "support/test_readings.h"
#include "support/time_zone.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

using namespace vt640;
using namespace vt640::test;

namespace {

std::int64_t utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0)
{
    return msSinceEpochOf(LocalTime{y, mo, d, h, mi, s, ms});
}

// A reading of active power, an overload, a status display or one with a
// byte above 127 in its prefix, by turns.
MeterReading readingFor(int i)
{
    if (i % 50 == 17)
        return makeReading("OL", "0", code::DcVolts, "OL", "V");
    if (i % 50 == 31)
        return makeReading("Strt", "0", code::DcVolts, "Strt", "V");
    char main[16];
    std::snprintf(main, sizeof main, "%.3f", 1.0 + (i % 97) * 0.01);
    MeterReading r = makeReading(main, "3", code::ActivePower1, main, "W", i % 50 == 5 ? "\xB5" : "k");
    r.subText = "0.98";
    r.subFunction = "PF";
    return r;
}

// `n` records logged by the recorder's core, one every `stepMs`, on a
// clock set to `clock`'s time.
std::vector<TBRecord> logged(FakeClock& clock, int n, std::uint32_t stepMs)
{
    RecorderCore core{clock};
    core.setIntervalMs(static_cast<std::int32_t>(stepMs));
    std::vector<TBRecord> records;
    for (int i = 0; i < n; ++i) {
        const auto r = core.makeRecord(readingFor(i));
        EXPECT_TRUE(r) << i;
        records.push_back(*r);
        clock.advance(stepMs);
    }
    return records;
}

std::string image(const std::vector<TBRecord>& records)
{
    return std::string(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(TBRecord));
}

std::vector<TBRecord> withoutStamps(std::vector<TBRecord> records)
{
    for (TBRecord& r : records)
        clearRecordStamp(r);
    return records;
}

std::string firstField(const std::string& line) { return line.substr(0, line.find(',')); }
std::string afterFirstField(const std::string& line) { return line.substr(line.find(',') + 1); }

// The DateTime a record's own time text and `date` give, at tenths.
std::string fromTimeText(const TBRecord& r, const std::string& date, const std::string& offset)
{
    int h = 0, m = 0, s = 0, t = 0;
    EXPECT_EQ(std::sscanf(r.head.timeText, "%d:%d:%d.%d", &h, &m, &s, &t), 4);
    char text[64];
    std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d.%d00%s", date.c_str(), h, m, s, t, offset.c_str());
    return text;
}

struct Python {
    int status = -1;
    std::string out;
};

// Python 3 runs `script` with `arg` as sys.argv[1].
Python python(const std::string& script, const fs::path& arg)
{
    const fs::path file = arg.parent_path() / "check.py";
    spit(file, script);
    Python p;
    FILE* pipe = ::popen(("python3 '" + file.string() + "' '" + arg.string() + "' 2>&1").c_str(), "r");
    if (!pipe)
        return p;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        p.out.append(buffer, n);
    p.status = exitStatus(::pclose(pipe));
    return p;
}

const std::regex kRfc3339Head(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}\.\d{3}[+-]\d{2}:\d{2}  )");

} // namespace

// A run from 23:50 to 00:26, one record every 7.3 s: stamped, converted
// with --iso-time, every row dated right; the text beside the date is the
// text without --iso-time, and a file with the stamps zeroed gives that
// text byte for byte.
TEST(ConvertDates, IsoTimeDatesEveryRowOfARunAcrossMidnight)
{
    ScopedTimeZone berlin("Europe/Berlin"); // +01:00 in December, as the clock below
    const fs::path dir = scratch("dates-midnight");
    FakeClock clock;
    clock.offsetMinutes = 60;
    clock.utc = utc(2026, 12, 8, 22, 50, 0, 0);
    const std::vector<TBRecord> records = logged(clock, 300, 7300);
    spit(dir / "day.640", image(records));
    spit(dir / "old.640", image(withoutStamps(records)));
    ASSERT_NE(slurp(dir / "day.640"), slurp(dir / "old.640"));

    const auto convert = [&](const std::string& in, const std::string& out, std::vector<std::string> more = {}) {
        std::vector<std::string> args{"convert", (dir / in).string(), "-o", out == "-" ? out : (dir / out).string()};
        args.insert(args.end(), more.begin(), more.end());
        return runTool(args);
    };
    ASSERT_EQ(convert("day.640", "plain.csv").status, 0);
    ASSERT_EQ(convert("old.640", "old.csv").status, 0);
    EXPECT_EQ(slurp(dir / "plain.csv"), slurp(dir / "old.csv"));

    ToolRun r = convert("day.640", "iso.csv", {"--iso-time"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const auto plain = lines(slurp(dir / "plain.csv"));
    const auto iso = lines(slurp(dir / "iso.csv"));
    ASSERT_EQ(iso.size(), 301u);
    EXPECT_EQ(iso[0], "DateTime," + plain[0]);
    int nextDay = 0;
    for (std::size_t i = 1; i < iso.size(); ++i) {
        const TBRecord& rec = records[i - 1];
        const bool beforeMidnight = rec.head.timeText[1] == '2' && rec.head.timeText[2] == '3';
        nextDay += !beforeMidnight;
        const std::string dateTime = firstField(iso[i]);
        ASSERT_EQ(dateTime.substr(0, 10), beforeMidnight ? "2026-12-08" : "2026-12-09") << iso[i];
        // The time of day the record shows, with its milliseconds and zone.
        ASSERT_EQ(dateTime.substr(0, 21) + "00+01:00", fromTimeText(rec, dateTime.substr(0, 10), "+01:00"));
        ASSERT_EQ(dateTime, rfc3339(*recordStamp(rec)));
        ASSERT_EQ(afterFirstField(iso[i]), plain[i]);
    }
    EXPECT_GT(nextDay, 200);

    // Only one page (records 100 to 199 of pages of 100, the first page
    // empty): its rows are dated the same.
    r = convert("day.640", "page3.csv", {"--iso-time", "--pages", "3-3", "--points-per-page", "100"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto page3 = lines(slurp(dir / "page3.csv"));
    ASSERT_EQ(page3.size(), 100u);
    for (std::size_t i = 0; i < page3.size(); ++i)
        ASSERT_EQ(page3[i], iso[i + 101]);

    // Without stamps: --date and the times of day give the same dates, at
    // the tenths the time text holds, and the tool says they are inferred.
    r = convert("old.640", "inferred.csv", {"--iso-time", "--date", "2026-12-08"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("300 records carry no time stamp; their dates are inferred from --date 2026-12-08 and their "
                         "times of day, a day later after each midnight"),
              std::string::npos)
        << r.err;
    const auto inferred = lines(slurp(dir / "inferred.csv"));
    ASSERT_EQ(inferred.size(), 301u);
    for (std::size_t i = 1; i < inferred.size(); ++i) {
        const std::string exact = firstField(iso[i]);
        ASSERT_EQ(firstField(inferred[i]), exact.substr(0, 21) + "00" + exact.substr(23)) << i;
        ASSERT_EQ(afterFirstField(inferred[i]), plain[i]);
    }
    // ... and without --date they stay undated, which it says too.
    r = convert("old.640", "-", {"--iso-time"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out)[1], "," + plain[1]);
    EXPECT_NE(r.err.find("--date YYYY-MM-DD gives the first record's date"), std::string::npos) << r.err;
    fs::remove_all(dir);
}

TEST(ConvertDates, TheIsoColumnAcrossTheEndOfDaylightSavingIsInOrder)
{
    ScopedTimeZone berlin("Europe/Berlin");
    ASSERT_EQ(RecorderClock::localZoneOffsetMinutes(utc(2026, 7, 1)), 120) << "is tzdata installed?";
    const fs::path dir = scratch("dates-dst");
    FakeClock clock;
    clock.zoneRules = true;
    clock.utc = utc(2026, 10, 25, 0, 20); // 02:20 summer time; the hour from 02:00 comes twice
    spit(dir / "night.640", image(logged(clock, 24, 5 * 60'000)));
    const ToolRun r =
        runTool({"convert", (dir / "night.640").string(), "-o", (dir / "night.csv").string(), "--iso-time"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Read by Python's csv and datetime: every time distinct and later than the one before.
    const Python p = python(R"(import csv, datetime, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='latin-1')))[1:]
times = [datetime.datetime.fromisoformat(row[0]) for row in rows]
print(len(rows), len(set(row[0] for row in rows)), all(a < b for a, b in zip(times, times[1:])))
print(rows[7][0], rows[8][0], rows[9][0], rows[19][0], rows[20][0])
)",
                            dir / "night.csv");
    ASSERT_EQ(p.status, 0) << p.out;
    EXPECT_EQ(p.out, "24 24 True\n"
                     "2026-10-25T02:55:00.000+02:00 2026-10-25T02:00:00.000+01:00 2026-10-25T02:05:00.000+01:00 "
                     "2026-10-25T02:55:00.000+01:00 2026-10-25T03:00:00.000+01:00\n");
    fs::remove_all(dir);
}

TEST(ConvertDates, JsonLinesReadBackWithPythonsJson)
{
    const fs::path dir = scratch("dates-jsonl");
    FakeClock clock;
    clock.offsetMinutes = -300;
    clock.utc = utc(2026, 12, 8, 19, 0, 0, 250);
    std::vector<TBRecord> records = logged(clock, 60, 1000);
    clearRecordStamp(records[3]); // a record as another program writes it
    spit(dir / "run.640", image(records));
    ToolRun r = runTool({"convert", (dir / "run.640").string(), "-o", (dir / "run.jsonl").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("1 record carries no time stamp; its date is inferred"), std::string::npos) << r.err;

    const Python p = python(R"(import json, sys
for line in open(sys.argv[1], encoding='utf-8'):
    o = json.loads(line)
    if o['item'] in (1, 4, 6, 18, 32):
        print(o['item'], o['time'], o['utcMs'], o['dateInferred'], o['mainText'], repr(o['timeText']),
              o['prefixText'], o['unitText'], o['value'], o['baseValue'], o['subText'], o['subFunction'],
              o['status'], o['energyText'], o['functionCode'], o['exponentText'], o['valueText'])
)",
                            dir / "run.jsonl");
    ASSERT_EQ(p.status, 0) << p.out;
    const std::int64_t first = utc(2026, 12, 8, 19, 0, 0, 250);
    EXPECT_EQ(p.out, "1 2026-12-08T14:00:00.250-05:00 " + std::to_string(first)
                         + " False 1.000 ' 14:00:00.2  ' k W 1000.0 1000.0 0.98 PF 0 0.000 262145 3 1.000\n"
                           "4 2026-12-08T14:00:03.200-05:00 "
                         + std::to_string(first + 2950)
                         + " True 1.030 ' 14:00:03.2  ' k W 1030.0 1030.0 0.98 PF 0 0.001 262145 3 1.030\n"
                           "6 2026-12-08T14:00:05.250-05:00 "
                         + std::to_string(first + 5000)
                         + " False 1.050 ' 14:00:05.2  ' \u00b5 W 1050.0 1050.0 0.98 PF 0 0.002 262145 3 1.050\n"
                           "18 2026-12-08T14:00:17.250-05:00 "
                         + std::to_string(first + 17000)
                         + " False OL ' 14:00:17.2  '  V 6.6 None   0 ---- 4 0 OL\n"
                           "32 2026-12-08T14:00:31.250-05:00 "
                         + std::to_string(first + 31000)
                         + " False Strt ' 14:00:31.2  '  V 0.0 None   0 ---- 4 0 Strt\n");

    // An older file: every record undated without --date.
    spit(dir / "old.640", image(withoutStamps(records)));
    r = runTool({"convert", (dir / "old.640").string(), "-o", (dir / "old.jsonl").string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto first2 = lines(slurp(dir / "old.jsonl"))[0];
    EXPECT_EQ(first2.rfind("{\"time\":null,\"utcMs\":null,\"dateInferred\":false,\"item\":1,", 0), 0u) << first2;
    fs::remove_all(dir);
}

TEST(ConvertDates, ABadDateAndOptionsThatDoNotFitAreRefused)
{
    const fs::path dir = scratch("dates-usage");
    FakeClock clock;
    spit(dir / "a.640", image(logged(clock, 3, 1000)));
    const std::string in = (dir / "a.640").string();
    for (const char* bad : {"2026-02-30", "26-12-08", "2026-12-8", "yesterday", "1969-12-31", ""}) {
        const ToolRun r = runTool({"convert", in, "-o", (dir / "a.csv").string(), "--iso-time", "--date", bad});
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--date takes YYYY-MM-DD"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("'" + std::string(bad) + "'"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir / "a.csv"));
    }
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case cases[] = {
        {{"-o", (dir / "b.640").string(), "--iso-time"}, "a .640 file keeps its records as they are"},
        {{"-o", (dir / "b.640").string(), "--date", "2026-12-08"}, "a .640 file keeps its records as they are"},
        {{"-o", (dir / "b.csv").string(), "--date", "2026-12-08"}, "add --iso-time"},
        {{"-o", (dir / "b.jsonl").string(), "--pages", "1-2"}, "a .jsonl file takes every record"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"convert", in};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 2) << c.says;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    fs::remove_all(dir);
}

TEST(LogAndWatchLines, BeginWithTheDateAndTimeInRfc3339)
{
    const fs::path dir = scratch("dates-lines");
    const ToolRun r = runTool({"log", "--demo", "-o", (dir / "x.640").string(), "--count", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    RecordBuffer buffer;
    ASSERT_EQ(LoggerFileReader::readAll((dir / "x.640").string(), RecordLayout::Native, buffer),
              LoggerFileReader::Status::Ok);
    ASSERT_EQ(out.size(), 3u);
    ASSERT_EQ(buffer.size(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(std::regex_search(out[i], kRfc3339Head)) << out[i];
        // The line's time is the record's own.
        const auto at = LoggerFileReader::instantOf(buffer[i]);
        ASSERT_TRUE(at);
        EXPECT_EQ(out[i].substr(0, 29), rfc3339(*at));
    }

    ToolProcess watch;
    watch.start({"watch", "--demo"});
    ASSERT_TRUE(watch.waitForLines("V", 2)) << watch.err();
    EXPECT_EQ(watch.stop(SIGINT), 0);
    for (const auto& line : lines(watch.out()))
        EXPECT_TRUE(std::regex_search(line, kRfc3339Head)) << line;
    fs::remove_all(dir);
}
