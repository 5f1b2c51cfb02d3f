// vt640-tool convert over a logger file of a million records, run as a user
// runs it (a process, the file in the page cache), against `cat FILE >
// /dev/null` on the same file; and the text export's memory, which must not
// grow with the text it writes.
#include "meter/meter_reading.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/record_text.h"
#include "viewer/core/csv_export.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vt640;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const fs::path& folder()
{
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("vt640-tool-bench-" + std::to_string(getpid()));
        fs::create_directories(d);
        std::atexit(
            [] { fs::remove_all(fs::temp_directory_path() / ("vt640-tool-bench-" + std::to_string(getpid()))); });
        return d;
    }();
    return dir;
}

TBRecord record(int i)
{
    TBRecord r;
    char value[16];
    const double watts = 1200.0 + 250.0 * std::sin(i / 23.0) + (i % 7) * 9.0;
    std::snprintf(value, sizeof value, "%.1f", watts);
    copyText(r.head.mainText, value);
    copyText(r.head.exponentText, "0");
    r.head.functionCode = code::ActivePower1;
    char time[16];
    std::snprintf(time, sizeof time, "%3d:%02d:%02d.%-3d", i / 3600 % 24, i / 60 % 60, i % 60, i % 10);
    copyText(r.head.timeText, time);
    copyText(r.head.valueText, value);
    copyText(r.head.unitText, "W");
    r.head.value = static_cast<float>(watts);
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    r.sub.status = 0x03;
    char energy[32];
    std::snprintf(energy, sizeof energy, "%05.3f", i * 0.0003);
    copyText(r.energyText, energy);
    return r;
}

// A logger file of `n` records, made once: ".640", or ".r27" with the
// 96-byte records of that layout; with `stamped`, records as this program
// logs them, one every half second with their time stamps.
fs::path loggerFile(int n, const char* suffix = ".640", std::size_t size = sizeof(TBRecord), bool stamped = false)
{
    const fs::path path = folder() / ("records-" + std::to_string(n) + (stamped ? "-stamped" : "") + suffix);
    if (!fs::exists(path)) {
        std::ofstream out(path, std::ios::binary);
        const std::int64_t start = msSinceEpochOf(LocalTime{2026, 12, 8, 13, 5, 9, 300});
        for (int i = 0; i < n; ++i) {
            TBRecord r = record(i);
            if (stamped)
                writeRecordStamp(r, {start + i * 500LL, 60});
            out.write(reinterpret_cast<const char*>(&r), static_cast<std::streamsize>(size));
        }
    }
    return path;
}

struct Run {
    double seconds = 0;
    long maxResidentKb = 0;
};

// Runs `argv` with standard output to `out`, and waits.
Run run(const std::vector<std::string>& argv, const char* out = "/dev/null")
{
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = ::open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(fd, 1);
        std::vector<char*> a;
        for (const auto& s : argv)
            a.push_back(const_cast<char*>(s.c_str()));
        a.push_back(nullptr);
        ::execvp(a[0], a.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    r.maxResidentKb = usage.ru_maxrss;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        r.seconds = -1;
    return r;
}

long procStatusKb(const char* key)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + std::string(key).size());
    return 0;
}

} // namespace

// `cat FILE > /dev/null`: the floor the conversion is measured against.
static void BM_CatFile(benchmark::State& state)
{
    const fs::path in = loggerFile(static_cast<int>(state.range(0)));
    run({"cat", in.string()});
    for (auto _ : state) {
        const Run r = run({"cat", in.string()});
        state.SetIterationTime(r.seconds);
    }
    state.counters["MB"] = static_cast<double>(fs::file_size(in)) / 1e6;
}
BENCHMARK(BM_CatFile)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// convert IN -o OUT.csv: read, all 5001 pages of text, written through a
// temporary file and renamed. The tool's peak memory beside the records'
// own 128 bytes each tells whether the text is held.
static void BM_ConvertToCsv(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const fs::path in = loggerFile(n);
    const fs::path out = folder() / "out.csv";
    run({"cat", in.string()});
    Run last;
    for (auto _ : state) {
        last = run({VT640_TOOL, "convert", in.string(), "-o", out.string(), "--force"});
        if (last.seconds < 0) {
            state.SkipWithError("convert failed");
            return;
        }
        state.SetIterationTime(last.seconds);
    }
    state.counters["csv_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
    state.counters["peak_MB"] = last.maxResidentKb / 1024.0;
    state.counters["peak_beyond_records_MB"] = (last.maxResidentKb * 1024.0 - n * 128.0) / (1024.0 * 1024.0);
    fs::remove(out);
}
BENCHMARK(BM_ConvertToCsv)->Arg(100'000)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// convert IN -o OUT.csv --iso-time on a file whose records carry their
// time stamps: the text with the DateTime column first.
static void BM_ConvertIsoTime(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const fs::path in = loggerFile(n, ".640", sizeof(TBRecord), true);
    const fs::path out = folder() / "iso.csv";
    run({"cat", in.string()});
    for (auto _ : state) {
        const Run r = run({VT640_TOOL, "convert", in.string(), "-o", out.string(), "--force", "--iso-time"});
        if (r.seconds < 0) {
            state.SkipWithError("convert failed");
            return;
        }
        state.SetIterationTime(r.seconds);
    }
    state.counters["csv_MB"] = static_cast<double>(fs::file_size(out)) / 1e6;
    fs::remove(out);
}
BENCHMARK(BM_ConvertIsoTime)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// convert IN -o - : the same text down a pipe's worth of standard output.
static void BM_ConvertToStdout(benchmark::State& state)
{
    const fs::path in = loggerFile(static_cast<int>(state.range(0)));
    run({"cat", in.string()});
    for (auto _ : state) {
        const Run r = run({VT640_TOOL, "convert", in.string(), "-o", "-"});
        state.SetIterationTime(r.seconds);
    }
}
BENCHMARK(BM_ConvertToStdout)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// convert IN.r27 -o OUT.640: an old file brought forward.
static void BM_ConvertToNative(benchmark::State& state)
{
    const fs::path in = loggerFile(static_cast<int>(state.range(0)), ".r27", sizeof(TARecord));
    run({"cat", in.string()});
    const fs::path out = folder() / "out.640";
    for (auto _ : state) {
        const Run r = run({VT640_TOOL, "convert", in.string(), "-o", out.string(), "--force"});
        state.SetIterationTime(r.seconds);
    }
    fs::remove(out);
}
BENCHMARK(BM_ConvertToNative)->Arg(1'000'000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The text export in-process, to a sink that only counts: the peak
// resident memory while it writes, beyond what the buffer took before.
static void BM_CsvExportMemory(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    RecordBuffer buffer;
    LoggerFileReader::readAll(loggerFile(n).string(), RecordLayout::Native, buffer);
    const CsvExport::Pages pages{200, n / 200 + 1, 1, n / 200 + 1};
    long growthKb = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        // The peak resident size starts again from here.
        std::ofstream("/proc/self/clear_refs") << "5";
        const long before = procStatusKb("VmRSS:");
        bytes = 0;
        CsvExport::write(buffer, pages, [&bytes](std::string_view text) {
            bytes += text.size();
            return true;
        });
        growthKb = std::max(growthKb, procStatusKb("VmHWM:") - before);
    }
    state.counters["text_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["peak_growth_kB"] = static_cast<double>(growthKb);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_CsvExportMemory)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
