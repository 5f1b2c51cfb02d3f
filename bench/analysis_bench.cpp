// stats, events and convert to line protocol over a logger file of a
// million stamped records, run as a user runs them (a process, the file in
// the page cache); and the backfill of 10^5 records into a real influxd
// after an outage. Medians of five runs.
#include "publish/influx_writer.h"
#include "support/generated_logs.h"
#include "support/influx_server.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

using namespace vt640;
using namespace vt640::test;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const fs::path& folder()
{
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("vt640-analysis-bench-" + std::to_string(getpid()));
        fs::create_directories(d);
        std::atexit(
            [] { fs::remove_all(fs::temp_directory_path() / ("vt640-analysis-bench-" + std::to_string(getpid()))); });
        return d;
    }();
    return dir;
}

// Mains voltage around 230 V, one record a second, with a sag now and then
// and an overload every 10^4 records, made once.
fs::path loggerFile(int n)
{
    const fs::path path = folder() / ("mains-" + std::to_string(n) + ".640");
    if (fs::exists(path))
        return path;
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < n; ++i) {
        RecordSpec s;
        if (i % 10000 == 9999) {
            s.main = "OL";
            s.exponent = "2";
            s.value = 660;
        } else {
            const double v = 230.0 + 4.0 * std::sin(i / 50.0) - (i % 3000 < 20 ? 30.0 : 0.0);
            char text[16];
            std::snprintf(text, sizeof text, "%.1f", v);
            s.main = text;
            s.value = static_cast<float>(std::strtod(text, nullptr));
        }
        const TBRecord r = generatedRecord(s, MainsLog::kStart + i * 1000LL, 60);
        out.write(reinterpret_cast<const char*>(&r), sizeof r);
    }
    return path;
}

// Runs the tool with `args`, standard output to /dev/null; seconds, or -1.
double runTool(const std::vector<std::string>& args)
{
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open("/dev/null", O_WRONLY);
        ::dup2(fd, 1);
        ::dup2(fd, 2);
        std::vector<char*> a{const_cast<char*>(VT640_TOOL)};
        for (const auto& s : args)
            a.push_back(const_cast<char*>(s.c_str()));
        a.push_back(nullptr);
        ::execv(a[0], a.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void timeTool(benchmark::State& state, const std::vector<std::string>& args)
{
    runTool(args); // the file into the page cache
    for (auto _ : state) {
        const double s = runTool(args);
        if (s < 0) {
            state.SkipWithError("the tool failed");
            return;
        }
        state.SetIterationTime(s);
    }
}

} // namespace

static void BM_Stats(benchmark::State& state)
{
    timeTool(state, {"stats", loggerFile(static_cast<int>(state.range(0))).string()});
}
BENCHMARK(BM_Stats)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_Events(benchmark::State& state)
{
    timeTool(state, {"events", loggerFile(static_cast<int>(state.range(0))).string(), "--hi", "233", "--lo", "207"});
}
BENCHMARK(BM_Events)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

static void BM_ConvertToLineProtocol(benchmark::State& state)
{
    const fs::path out = folder() / "out.lp";
    timeTool(state, {"convert", loggerFile(static_cast<int>(state.range(0))).string(), "-o", out.string(), "--force"});
    state.counters["lp_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
}
BENCHMARK(BM_ConvertToLineProtocol)
    ->Arg(1'000'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A logger file of 10^5 records that never reached the database (an outage
// as long as a day at full speed), written with the writer's own settings,
// into a fresh database each time, until the last record is acknowledged.
static void BM_BackfillIntoInfluxDb(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const fs::path file = loggerFile(n);
    InfluxServer server;
    if (!server.start()) {
        state.SkipWithError("influxd did not start");
        return;
    }
    int round = 0;
    for (auto _ : state) {
        const std::string db = "backfill" + std::to_string(++round);
        server.createDatabase(db);
        fs::remove(file.string() + ".influx");
        publish::InfluxSettings s;
        std::string why;
        s.url = *publish::InfluxUrl::parse(server.writeUrl(db), &why);
        s.meterId = "bench";
        publish::InfluxWriter writer(s);
        const auto start = Clock::now();
        writer.follow(file.string(), 0);
        writer.recordsAppended(n);
        while (writer.progress().acked < n - 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        writer.stop();
    }
    state.counters["records_per_s"] = benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BackfillIntoInfluxDb)
    ->Arg(100'000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Iterations(1);

BENCHMARK_MAIN();
