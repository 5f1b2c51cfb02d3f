// libFuzzer target: the new parsers and writers of logger files' analysis
// and of the database, on any bytes.
//
// Input: one byte choosing what is fed, then the rest:
//   0  an InfluxDB write URL
//   1  the limit options: --hi, --lo and --min-duration, separated by NULs
//   2  records (any 128-byte images): each as line protocol, the runs'
//      statistics and the limit episodes with their CSV and JSON
//
// Checked besides crashes: a URL that parses writes a URL that parses to
// the same; a line has no line break but its last and every '"' of a
// string field is escaped; limits that are taken are finite with the upper
// above the lower.
#include "analysis/episode_format.h"
#include "analysis/limit_episodes.h"
#include "analysis/record_times.h"
#include "analysis/run_statistics.h"
#include "limit_options.h"
#include "publish/influx_url.h"
#include "publish/line_protocol.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void url(const std::string& text)
{
    std::string why;
    const auto u = vt640::publish::InfluxUrl::parse(text, &why);
    if (!u) {
        if (why.empty())
            std::abort();
        return;
    }
    const auto again = vt640::publish::InfluxUrl::parse(u->writeUrl(), &why);
    if (!again || again->writeUrl() != u->writeUrl() || again->stream() != u->stream()
        || again->endpoint() != u->endpoint())
        std::abort();
}

void limits(const std::string& text)
{
    std::vector<std::string> parts(3);
    std::size_t k = 0;
    for (const char c : text) {
        if (c == '\0' && k < 2)
            ++k;
        else
            parts[k] += c;
    }
    LimitChoice out;
    const std::string why =
        parseLimits(parts[0], parts[1], parts[2].empty() ? std::nullopt : std::optional(parts[2]), out);
    if (why.empty()
        && (!std::isfinite(out.upper) || !std::isfinite(out.lower) || !(out.upper > out.lower)
            || out.minDurationMs < 0))
        std::abort();
}

void records(const std::uint8_t* data, std::size_t size)
{
    using namespace vt640;
    analysis::RecordTimes times(CalendarDate{2026, 12, 8}, [](std::int64_t) { return 60; });
    analysis::StatisticsBuilder stats;
    analysis::EpisodeFinder episodes(240, 200, 1000);
    std::string lines;
    for (std::size_t at = 0; at + sizeof(TBRecord) <= size; at += sizeof(TBRecord)) {
        TBRecord r;
        std::memcpy(&r, data + at, sizeof r);
        const analysis::RecordTime t = times.next(r);
        stats.add(r, t);
        std::string line;
        if (publish::appendLineProtocol(line, r, t.ms, "fuzz")) {
            if (line.back() != '\n' || line.find('\n') != line.size() - 1)
                std::abort();
            lines += line;
        }
        if (const auto e = episodes.add(r, t)) {
            lines += analysis::episodeCsvRow(*e);
            lines += analysis::jsonText(analysis::episodeJson(*e));
        }
    }
    if (const auto e = episodes.finish())
        lines += analysis::episodeCsvRow(*e);
    for (const auto& run : stats.finish())
        if (run.records <= 0 || run.values > run.records
            || (run.minimum && run.maximum && run.minimum->value > run.maximum->value))
            std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string rest(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0: url(rest); break;
    case 1: limits(rest); break;
    default: records(data + 1, size - 1); break;
    }
    return 0;
}
