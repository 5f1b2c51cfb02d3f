// vt640-tool from the outside: decode's JSON lines, and watch against the
// simulated meter that simulate puts on a COM link.
#include "meter/sim/meter_encoder.h"
#include "tool/tool_process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
    EXPECT_NE(watcher.out().find("Stopped."), std::string::npos);

    EXPECT_EQ(simulator.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "vt640/ports/COM7")));
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir);
}
