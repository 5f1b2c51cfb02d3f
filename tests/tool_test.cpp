// vt640-tool from the outside: decode's JSON lines, and watch against the
// simulated meter that simulate puts on a COM link.
#include "meter/sim/meter_encoder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vt640::sim;
namespace fs = std::filesystem;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string slurp(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

fs::path scratch(const char* name)
{
    const fs::path dir = fs::temp_directory_path() /
                         ("vt640-tool-test-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Runs the tool with `input` on standard input and waits for it.
ToolRun runTool(const std::string& args, const std::string& input)
{
    const fs::path dir = scratch("run");
    {
        std::ofstream(dir / "in") << input;
    }
    const std::string command = std::string(VT640_TOOL) + " " + args + " < " + (dir / "in").string() +
                                " > " + (dir / "out").string() + " 2> " + (dir / "err").string();
    ToolRun r;
    r.status = WEXITSTATUS(std::system(command.c_str()));
    r.out = slurp(dir / "out");
    r.err = slurp(dir / "err");
    fs::remove_all(dir);
    return r;
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

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// A child process with its output going to a file.
struct Child {
    pid_t pid = -1;
    fs::path out;
    ~Child()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    void start(const std::vector<std::string>& args, const fs::path& output)
    {
        out = output;
        pid = fork();
        if (pid == 0) {
            std::freopen(output.c_str(), "w", stdout);
            std::vector<char*> argv;
            for (const auto& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    int stop()
    {
        kill(pid, SIGINT);
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool waitFor(const std::string& text, std::chrono::seconds limit) const
    {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            if (slurp(out).find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
};

} // namespace

TEST(DecodeCommand, OneJsonObjectPerFrame)
{
    const std::string input = "# a capture\n\n" + frameFor(0x4, "1.234") + "\n" +
                              frameFor(0x80, "4.702", true) + "\n";
    const ToolRun r = runTool("decode", input);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0],
              "{\"mainText\":\"1.234\",\"exponentText\":\"0\",\"rawCode\":4,\"functionCode\":4,"
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
    const std::string input = frameFor(0x4, "1.234") + "\n" + frameFor(0x140001, "12.34") + "\n" +
                              frameFor(0x80000004, "OL") + "\n";
    const ToolRun r = runTool("decode", input);
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
    const ToolRun r = runTool("decode", input);
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
    Child simulator;
    simulator.start({VT640_TOOL, "simulate", "--as", "COM7"}, dir / "sim.out");
    ASSERT_TRUE(simulator.waitFor("/dev/", std::chrono::seconds(10)));
    EXPECT_TRUE(fs::is_symlink(dir / "vt640/ports/COM7"));

    Child watcher;
    watcher.start({VT640_TOOL, "watch", "COM7"}, dir / "watch.out");
    // Two readings of the demo meter's DC volts step.
    ASSERT_TRUE(watcher.waitFor(" V  DC\n", std::chrono::seconds(10))) << slurp(dir / "watch.out");
    EXPECT_EQ(watcher.stop(), 0);
    EXPECT_NE(slurp(dir / "watch.out").find("Stopped."), std::string::npos);

    EXPECT_EQ(simulator.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "vt640/ports/COM7")));
    unsetenv("XDG_CONFIG_HOME");
    fs::remove_all(dir);
}
