// vt640-tool log against a meter on a pseudo-terminal: the records are the
// recorder's for the same frames, the file is whole at every moment, and the
// failures end or go on as the program's cycle lets them.
#include "tool/logged_records.h"
#include "tool/tool_process.h"

#include "meter/meter_link.h"
#include "meter/sim/meter_encoder.h"
#include "meter/sim/pty_meter_host.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_text.h"
#include "recorder/core/recorder_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>

using namespace vt640;
using namespace vt640::test;
using sim::LcdPicture;

namespace {

MeterFrame frame(std::uint32_t bits, const char* display, bool kilo = false, const char* sub = nullptr,
                 std::uint8_t status = 0)
{
    LcdPicture p;
    p.functionBits = bits;
    p.kilo = kilo;
    p.status = status;
    EXPECT_TRUE(sim::setMainDisplay(p, display)) << display;
    if (sub) {
        EXPECT_TRUE(sim::setSubDisplay(p, sub));
        p.subLabel = LcdPicture::SubLabel::PF;
    }
    return sim::encodeMeterFrame(p);
}

// A meter that answers with the given frames in turn, then the last one
// again and again. Opening the port purges it, and the meter answers that
// purge too; the first exchange's purge throws that answer away unread, so
// it is an extra frame before the script.
class ScriptedMeter {
public:
    explicit ScriptedMeter(std::vector<MeterFrame> frames)
        : frames_(std::move(frames)), host_([this] { return next(); })
    {
        frames_.insert(frames_.begin(), frame(code::DcVolts, "8.888"));
        EXPECT_TRUE(host_.start());
    }
    sim::PtyMeterHost& host() { return host_; }

private:
    MeterFrame next()
    {
        std::lock_guard lock(mutex_);
        const MeterFrame f = frames_[std::min(sent_, frames_.size() - 1)];
        ++sent_;
        return f;
    }

    std::mutex mutex_;
    std::vector<MeterFrame> frames_;
    std::size_t sent_ = 0;
    sim::PtyMeterHost host_;
};

} // namespace

TEST(LogCommand, RecordsAreTheRecordersForTheSameFrames)
{
    const std::vector<MeterFrame> frames{
        frame(code::ActivePower1, "1.500", true), // kW: logged as watts, with the energy sum
        frame(code::DcVolts, "12.34"),
        frame(code::DcVolts, "Auto"),                        // no value: no record
        frame(code::DcVolts, "OL"),                          // overload: the full-scale stand-in
        frame(code::DcVolts, "PAUS"),                        // a status display: 0
        frame(code::DcVolts | code::LowBatteryBit, "1.234"), // low battery: a warning, and logged
        frame(code::AcAmps, "2.50", false, "0.95", status::PhaseMarks | status::L2 | status::Hold),
    };
    ScriptedMeter meter(frames);
    const fs::path dir = scratch("log-records");
    const fs::path file = dir / "run.640";
    const ToolRun r = runTool({"log", meter.host().devicePath(), "-o", file.string(), "--count", "6"});
    ASSERT_EQ(r.status, 0) << r.err;

    // What the recorder logs for the same frames in a run of its own.
    RecorderCore core;
    MeterReading reading;
    for (const MeterFrame& f : frames)
        if (applyMeterFrame(f, reading))
            core.logOneRecord(reading);
    ASSERT_EQ(core.buffer().size(), 6);

    const std::vector<TBRecord> logged = recordsOf(file);
    ASSERT_EQ(logged.size(), 6u);
    for (std::size_t i = 0; i < logged.size(); ++i) {
        SCOPED_TRACE("record " + std::to_string(i));
        const TBRecord& a = logged[i];
        const TBRecord& b = core.buffer()[static_cast<int>(i)];
        EXPECT_EQ(fieldText(a.head.mainText), fieldText(b.head.mainText));
        EXPECT_EQ(fieldText(a.head.exponentText), fieldText(b.head.exponentText));
        EXPECT_EQ(a.head.functionCode, b.head.functionCode);
        EXPECT_EQ(fieldText(a.head.valueText), fieldText(b.head.valueText));
        EXPECT_EQ(fieldText(a.head.prefixText), fieldText(b.head.prefixText));
        EXPECT_EQ(fieldText(a.head.unitText), fieldText(b.head.unitText));
        EXPECT_EQ(std::memcmp(&a.head.value, &b.head.value, sizeof(float)), 0) << a.head.value;
        EXPECT_EQ(fieldText(a.sub.subText), fieldText(b.sub.subText));
        EXPECT_EQ(fieldText(a.sub.subFunction), fieldText(b.sub.subFunction));
        EXPECT_EQ(a.sub.status, b.sub.status);
        EXPECT_EQ(fieldText(a.energyText), fieldText(b.energyText));
        // The time stamp has the recorder's form: "%3d:%02d:%02d.%-3d".
        EXPECT_EQ(fieldText(a.head.timeText).size(), 13u) << fieldText(a.head.timeText);
    }
    EXPECT_EQ(fieldText(logged[0].energyText), "0.000");
    EXPECT_EQ(fieldText(logged[1].energyText), "----");
    EXPECT_EQ(fieldText(logged[2].head.mainText), "OL");
    EXPECT_EQ(fieldText(logged[3].head.mainText), "PAUS");
    EXPECT_EQ(logged[3].head.value, 0.0f);
    EXPECT_EQ(fieldText(logged[5].sub.subFunction), "PF");

    // One line per record on standard output; the low battery and the count
    // at the end on standard error.
    EXPECT_EQ(countOf(r.out, "\n"), 6u) << r.out;
    EXPECT_NE(r.out.find("12.34 V"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("6 records written to " + file.string()), std::string::npos) << r.err;
    EXPECT_EQ(countOf(r.err, "Warning[W8000]"), 1u) << r.err;
    fs::remove_all(dir);
}

TEST(LogCommand, KilowattHoursEndLoggingWithStatusThree)
{
    ScriptedMeter meter({frame(code::DcVolts, "12.34"), frame(code::DcVolts, "12.35"), frame(code::Energy1, "12.34")});
    const fs::path dir = scratch("log-kwh");
    const ToolRun r = runTool({"log", meter.host().devicePath(), "-o", (dir / "run.640").string()});
    EXPECT_EQ(r.status, 3) << r.err;
    // The caption and number the window shows it under.
    EXPECT_NE(r.err.find("Warning[W9015]: The Data logging feature is not supported in KWHr mode"), std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("E9015"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("2 records written"), std::string::npos) << r.err;
    EXPECT_EQ(recordsOf(dir / "run.640").size(), 2u);
    fs::remove_all(dir);
}

TEST(LogCommand, APulledAdapterIsReopenedAndLoggingGoesOn)
{
    ScriptedMeter meter({frame(code::DcVolts, "12.34")});
    const fs::path dir = scratch("log-replug");
    ASSERT_TRUE(meter.host().placeLink(dir / "meter"));
    ToolProcess log;
    log.start({"log", (dir / "meter").string(), "-o", (dir / "run.640").string()});
    ASSERT_TRUE(log.waitForLines("12.34 V", 2)) << log.out() << log.err();

    meter.host().hangUp();
    ASSERT_TRUE(log.waitForError("has gone")) << log.err();
    // Three failed polls make the warning, and polling goes on.
    ASSERT_TRUE(log.waitForError("Warning[W8004]")) << log.err();
    ASSERT_TRUE(meter.host().replug());
    ASSERT_TRUE(log.waitForError("is back")) << log.err();
    const std::size_t before = lines(log.out()).size();
    ASSERT_TRUE(log.waitForLines("12.34 V", before + 1)) << log.out();

    // Ctrl-C: the file complete, the count said, status 0.
    EXPECT_EQ(log.stop(SIGINT), 0);
    const auto records = recordsOf(dir / "run.640");
    EXPECT_GE(records.size(), 3u);
    EXPECT_NE(log.err().find(std::to_string(records.size()) + " records written"), std::string::npos) << log.err();
    EXPECT_EQ(countOf(log.out(), "12.34 V"), records.size());
    fs::remove_all(dir);
}

TEST(LogCommand, TheFileIsWholeAfterAKillAndIsOnlyEverAddedTo)
{
    const fs::path dir = scratch("log-file");
    const fs::path file = dir / "run.640";
    ToolProcess log;
    log.start({"log", "--demo", "-o", file.string()});
    ASSERT_TRUE(log.waitForLines(" V  DC", 3)) << log.out() << log.err();

    // A second logger cannot take the file while the first writes it.
    ToolRun r = runTool({"log", "--demo", "-o", file.string(), "--append", "--count", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("another logger"), std::string::npos) << r.err;

    EXPECT_EQ(log.stop(SIGKILL), 128 + SIGKILL);
    const std::string killed = slurp(file);
    EXPECT_EQ(killed.size() % sizeof(TBRecord), 0u);
    EXPECT_GE(recordsOf(file).size(), countOf(log.out(), " V  DC"));

    // Not replaced without --append.
    r = runTool({"log", "--demo", "-o", file.string(), "--count", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("exists"), std::string::npos) << r.err;
    EXPECT_EQ(slurp(file), killed);

    // --append adds after the records there; SIGTERM ends it cleanly.
    ToolProcess more;
    more.start({"log", "--demo", "-o", file.string(), "--append"});
    ASSERT_TRUE(more.waitForLines(" V  DC", 2)) << more.out() << more.err();
    EXPECT_EQ(more.stop(SIGTERM), 0);
    const std::string appended = slurp(file);
    ASSERT_GT(appended.size(), killed.size());
    EXPECT_EQ(appended.substr(0, killed.size()), killed);
    EXPECT_NE(more.err().find("after its " + std::to_string(killed.size() / sizeof(TBRecord)) + " records"),
              std::string::npos)
        << more.err();

    // A file that ends in part of a record (a logger killed half-way
    // through one, as a service restarts it): --append moves those bytes
    // aside, says so and goes on. A link planted at the first name for them
    // is neither followed nor replaced.
    spit(file, appended + "torn!");
    spit(dir / "victim", "keep me");
    fs::create_symlink(dir / "victim", fs::path(file.string() + ".torn"));
    r = runTool({"log", "--demo", "-o", file.string(), "--append", "--count", "1"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find(file.string() + " ended in part of a record: its last 5 bytes were moved into " + file.string()
                         + ".torn.1"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(slurp(file.string() + ".torn.1"), "torn!");
    EXPECT_EQ(slurp(dir / "victim"), "keep me");
    const std::string once = slurp(file);
    ASSERT_EQ(once.size(), appended.size() + sizeof(TBRecord));
    EXPECT_EQ(once.substr(0, appended.size()), appended);
    // Without --append nothing is touched.
    spit(file, once + "x");
    r = runTool({"log", "--demo", "-o", file.string(), "--count", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(slurp(file), once + "x");
    EXPECT_FALSE(fs::exists(file.string() + ".torn.2"));

    // A folder given as the file is called one, with --append or without.
    fs::create_directories(dir / "folder.640");
    for (const bool append : {false, true}) {
        std::vector<std::string> args{"log", "--demo", "-o", (dir / "folder.640").string(), "--count", "1"};
        if (append)
            args.push_back("--append");
        r = runTool(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find((dir / "folder.640").string() + " is a folder"), std::string::npos) << r.err;
    }

    // A name the recorder would read as older records, one it would take for
    // a run's left temporary file, and bad options.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"log", "--demo", "-o", (dir / "run.r27").string()},
          {"log", "--demo", "-o", (dir / "~KRMDL1.TMP").string()},
          {"log", "--demo", "-o", (dir / "x.640").string(), "--interval", "-1"},
          {"log", "--demo", "-o", (dir / "x.640").string(), "--count", "0"},
          {"log", "-o", (dir / "x.640").string()}}) {
        r = runTool(args);
        EXPECT_EQ(r.status, 2) << args.back();
    }
    EXPECT_FALSE(fs::exists(dir / "x.640"));
    EXPECT_FALSE(fs::exists(dir / "run.r27"));
    EXPECT_FALSE(fs::exists(dir / "~KRMDL1.TMP"));
    fs::remove_all(dir);
}

// A full disk that clears up again: the records wait, the failure is told
// once, and so is the moment the file has caught up.
TEST(LogCommand, AfterAWriteFailureTheFileCatchesUpAndSaysSo)
{
    const fs::path dir = scratch("log-catch-up");
    const fs::path file = dir / "run.640";
    ToolOptions full;
    full.fileSizeLimit = 2 * sizeof(TBRecord); // room for two records
    ToolProcess log;
    log.start({"log", "--demo", "-o", file.string()}, full);
    ASSERT_TRUE(log.waitForError("writing " + file.string() + " fails (File too large)")) << log.err();
    ASSERT_TRUE(log.waitForLines(" V  DC", 4)) << log.out();
    EXPECT_EQ(fs::file_size(file), 2 * sizeof(TBRecord));

    ASSERT_TRUE(log.liftFileSizeLimit());
    ASSERT_TRUE(log.waitForError("works again")) << log.err();
    EXPECT_EQ(log.stop(SIGINT), 0);
    // Every record told on standard output is in the file, in order, and
    // the message counted those that had waited.
    const auto records = recordsOf(file);
    EXPECT_EQ(records.size(), countOf(log.out(), " V  DC"));
    const std::string err = log.err();
    const auto at = err.find("writing " + file.string() + " works again: ");
    ASSERT_NE(at, std::string::npos) << err;
    const long again = std::stol(err.substr(at + ("writing " + file.string() + " works again: ").size()));
    EXPECT_GE(again, 2) << err;
    EXPECT_LE(again, static_cast<long>(records.size()) - 2) << err;
    EXPECT_EQ(countOf(err, " fails ("), 1u) << err;
    EXPECT_EQ(countOf(err, " works again: "), 1u) << err;
    fs::remove_all(dir);
}
