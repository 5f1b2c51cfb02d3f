// vt640-tool from the outside: decode's JSON lines, and watch against the
// simulated meter that simulate puts on a COM link.
#include "meter/sim/meter_encoder.h"
#include "meter/sim/pty_meter_host.h"
#include "resources/version.h"
#include "tool/tool_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/stat.h>

using namespace vt640::sim;
using namespace vt640::test;

namespace {

ToolRun decode(const std::string& input)
{
    ToolOptions options;
    options.input = input;
    return runTool({"decode"}, options);
}

std::string hexLine(const vt640::MeterFrame& f)
{
    std::string s;
    char b[4];
    for (auto byte : f) {
        std::snprintf(b, sizeof b, "%02X ", byte);
        s += b;
    }
    return s;
}

std::string frameFor(std::uint32_t bits, const char* display, bool kilo = false)
{
    LcdPicture p;
    p.functionBits = bits;
    p.kilo = kilo;
    setMainDisplay(p, display);
    return hexLine(encodeMeterFrame(p));
}

} // namespace

TEST(DecodeCommand, OneJsonObjectPerFrame)
{
    const std::string input = "# a capture\n\n" + frameFor(0x4, "1.234") + "\n" + frameFor(0x80, "4.702", true) + "\n";
    const ToolRun r = decode(input);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0], "{\"mainText\":\"1.234\",\"exponentText\":\"0\",\"rawCode\":4,\"functionCode\":4,"
                      "\"subText\":\"\",\"subFunction\":\"\",\"status\":0,\"value\":1.234,\"exponent\":0,"
                      "\"prefixExponent\":1,\"valueText\":\"1.234\",\"prefixText\":\"\",\"unitText\":\"V\","
                      "\"readoutText\":\"1.234\",\"refused\":false,\"lowBattery\":false,\"logValue\":1.234}");
    EXPECT_NE(out[1].find("\"unitText\":\"W\""), std::string::npos);
    EXPECT_NE(out[1].find("\"prefixText\":\"k\""), std::string::npos);
    EXPECT_NE(out[1].find("\"logValue\":4702"), std::string::npos);
}

TEST(DecodeCommand, ReadingCarriesOverAndEnergyIsRefused)
{
    // A volts reading, then the energy function: refused, not completed, so
    // the completed fields still hold the volts reading.
    const std::string input =
        frameFor(0x4, "1.234") + "\n" + frameFor(0x140001, "12.34") + "\n" + frameFor(0x80000004, "OL") + "\n";
    const ToolRun r = decode(input);
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_NE(out[1].find("\"functionCode\":1310721"), std::string::npos);
    EXPECT_NE(out[1].find("\"valueText\":\"1.234\""), std::string::npos);
    EXPECT_NE(out[1].find("\"refused\":true"), std::string::npos);
    EXPECT_NE(out[1].find("\"logValue\":null"), std::string::npos);
    // Overload with a low battery: full scale 6.6 x 10^3, value kept from before.
    EXPECT_NE(out[2].find("\"lowBattery\":true"), std::string::npos);
    EXPECT_NE(out[2].find("\"readoutText\":\"OL\""), std::string::npos);
    EXPECT_NE(out[2].find("\"value\":1.234"), std::string::npos);
    EXPECT_NE(out[2].find("\"logValue\":6600"), std::string::npos);
}

TEST(DecodeCommand, MalformedLinesAreReportedAndSkipped)
{
    const std::string good = frameFor(0x4, "1.234");
    const std::string input = "12 34\n" + good + "\n" + good + " 00\nnot hex at all\n0" + good + "\n" + good + "\n";
    const ToolRun r = decode(input);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(lines(r.out).size(), 2u);
    const auto err = lines(r.err);
    ASSERT_EQ(err.size(), 4u);
    EXPECT_EQ(err[0].rfind("line 1:", 0), 0u);
    EXPECT_EQ(err[1].rfind("line 3:", 0), 0u);
    EXPECT_EQ(err[2].rfind("line 4:", 0), 0u);
    EXPECT_EQ(err[3].rfind("line 5:", 0), 0u);
}

TEST(WatchCommand, ReadsTheSimulatedMeterThroughItsComLink)
{
    const fs::path dir = scratch("watch");
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    ToolProcess simulator;
    simulator.start({"simulate", "--as", "COM7"});
    ASSERT_TRUE(simulator.waitForLines("/dev/", 1, std::chrono::seconds(10)));
    EXPECT_TRUE(fs::is_symlink(dir / "vt640/ports/COM7"));

    ToolProcess watcher;
    watcher.start({"watch", "COM7"});
    // Two readings of the demo meter's DC volts step.
    ASSERT_TRUE(watcher.waitForLines(" V  DC", 2, std::chrono::seconds(10))) << watcher.out();
    EXPECT_EQ(watcher.stop(), 0);
    // Standard output holds the readings only; the notes go to standard error.
    for (const std::string& line : lines(watcher.out()))
        EXPECT_NE(line.find(" V  DC"), std::string::npos) << line;
    EXPECT_NE(watcher.err().find("Watching COM7"), std::string::npos) << watcher.err();
    EXPECT_NE(watcher.err().find("Stopped."), std::string::npos) << watcher.err();

    EXPECT_EQ(simulator.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "vt640/ports/COM7")));
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir);
}

// The command line as GNU tools read it: help and version on standard
// output with status 0, every mistake named on standard error with status 2.
TEST(CommandLine, HelpAndVersionForEveryCommand)
{
    for (const char* version : {"--version", "-V"}) {
        const ToolRun r = runTool({version});
        EXPECT_EQ(r.status, 0) << version;
        EXPECT_EQ(r.out, "vt640-tool " VT640_VERSION " (" VT640_RELEASE_DATE ")\n");
        EXPECT_TRUE(r.err.empty()) << r.err;
    }
    for (const char* command : {"watch", "log", "convert", "plot", "simulate", "decode"}) {
        for (const char* help : {"--help", "-h"}) {
            SCOPED_TRACE(std::string(command) + " " + help);
            // Standard input that never ends: decode must not read it, and
            // watch must not take "--help" for a port.
            ToolOptions options;
            options.inputStaysOpen = true;
            ToolProcess p;
            p.start({command, help}, options);
            const auto status = p.waitFor(std::chrono::seconds(20));
            ASSERT_TRUE(status.has_value()) << "still running";
            EXPECT_EQ(*status, 0);
            EXPECT_NE(p.out().find(std::string("Usage: vt640-tool ") + command), std::string::npos) << p.out();
            EXPECT_TRUE(p.err().empty()) << p.err();
        }
    }
    const ToolRun r = runTool({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"watch", "log", "convert", "plot", "simulate", "decode"})
        EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
}

TEST(CommandLine, MistakesAreNamedOnStandardError)
{
    const fs::path dir = scratch("mistakes");
    const std::string in = (dir / "in.640").string();
    spit(in, std::string(128, '\0'));
    struct Case {
        std::vector<std::string> args;
        std::string named; // what the message must name
    };
    const Case cases[] = {
        {{}, "Usage: vt640-tool"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"log", "--demo", "-o"}, "--output"},
        {{"log", "--demo"}, "--output"},
        {{"log", "-o", (dir / "x.640").string()}, "PORT (or --demo)"},
        {{"log", "--demo", "-o", (dir / "x.640").string(), "--interval=soon"}, "--interval"},
        {{"log", "--demo", "-o", (dir / "x.640").string(), "--count", "0"}, "'0'"},
        {{"watch", "COM1", "COM2"}, "COM2"},
        {{"watch", "--demo", "--bogus"}, "--bogus"},
        {{"convert", in, "-o", (dir / "x.csv").string(), "--pages", "1-x"}, "'1-x'"},
        {{"convert", in, "-o", (dir / "x.csv").string(), "--layout=r28"}, "'r28'"},
        {{"convert", "-o", (dir / "x.csv").string()}, "IN"},
        {{"plot", in, "-o", (dir / "x.png").string(), "--size", "big"}, "'big'"},
        {{"simulate", "--condition", "wet"}, "'wet'"},
        {{"decode", "extra"}, "extra"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool(c.args);
        const std::string shown = c.args.empty() ? "(nothing)" : c.args.back();
        EXPECT_EQ(r.status, 2) << shown << ": " << r.err;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << shown << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << shown << ": " << r.out;
    }
    EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "in.640");
    fs::remove_all(dir);
}

TEST(CommandLine, LongAndShortOptionsTakeTheirValuesEitherWay)
{
    const fs::path dir = scratch("forms");
    // --output=FILE, --count=N.
    ToolRun r = runTool({"log", "--demo", "--output=" + (dir / "a.640").string(), "--count=2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fs::file_size(dir / "a.640"), 2 * 128u);
    // Standard output holds the two records' lines and nothing else.
    EXPECT_EQ(lines(r.out).size(), 2u) << r.out;
    EXPECT_NE(r.err.find("2 records written"), std::string::npos) << r.err;
    // -oFILE, and -o FILE after the input.
    r = runTool({"convert", (dir / "a.640").string(), "-o" + (dir / "a.csv").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    r = runTool({"convert", "--output", (dir / "b.csv").string(), "--points-per-page=50", (dir / "a.640").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(slurp(dir / "a.csv").size(), slurp(dir / "b.csv").size());
    EXPECT_FALSE(slurp(dir / "a.csv").empty());
    fs::remove_all(dir);
}

// A port the user may not open, as a user outside the dialout group meets
// it: the message of the window, with the device, the reason and the fix.
TEST(WatchCommand, APortThatCannotBeOpenedSaysWhyAndHowToFixIt)
{
    PtyMeterHost meter([] { return vt640::MeterFrame{}; });
    ASSERT_TRUE(meter.start());
    const std::string device = meter.devicePath();
    // As root the tool runs as nobody, to whom the device is closed; as
    // anyone else it is closed to its owner too.
    ASSERT_EQ(::chmod(device.c_str(), ::geteuid() == 0 ? 0600 : 0), 0);
    const std::string refused = "Error[E9001]: The specified serial port open error.\n" + device
                                + ": Permission denied\n"
                                  "Add yourself to the dialout group: sudo adduser $USER dialout, then log in again.\n"
                                  "Warning[W8001]: You must select a valid COM port before linking to the DMM.\n";
    ToolOptions asUser;
    asUser.asNobody = true;
    const fs::path dir = scratch("refused");
    ::chmod(dir.c_str(), 0777);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"watch", device}, {"log", device, "-o", (dir / "x.640").string()}}) {
        const ToolRun r = runTool(args, asUser);
        EXPECT_EQ(r.status, 1) << args[0];
        EXPECT_NE(r.err.find(refused), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
    EXPECT_FALSE(fs::exists(dir / "x.640"));

    // A device that is not there: its reason, and no fix to offer.
    const ToolRun r = runTool({"watch", "/dev/vt640-none"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Error[E9001]: The specified serial port open error.\n"
                         "/dev/vt640-none: No such file or directory\nWarning[W8001]"),
              std::string::npos)
        << r.err;
    fs::remove_all(dir);
}
