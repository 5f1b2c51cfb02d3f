// vt640-tool events: the times a logger file's readings left the limits,
// judged as the comparator judges them, as CSV or JSON.
#include "analysis_input.h"
#include "commands.h"
#include "limit_options.h"
#include "tool_support.h"

#include "analysis/episode_format.h"
#include "analysis/limit_episodes.h"

#include <iostream>

namespace {

using vt640::analysis::LimitEpisode;
using vt640::analysis::RecordTime;

int usage(const std::string& why) { return tool::usageError("events", why); }

} // namespace

int runEvents(const EventsOptions& options)
{
    DatingChoice choice;
    if (const std::string why = parseFileReading(options.reading, choice); !why.empty())
        return usage(why);
    LimitChoice limits;
    if (const std::string why = parseLimits(options.hi, options.lo, options.minDuration, limits); !why.empty())
        return usage(why);

    std::vector<LimitEpisode> episodes;
    vt640::analysis::EpisodeFinder finder(limits.upper, limits.lower, limits.minDurationMs);
    auto times = recordTimes(choice);
    if (!walkRecords(options.input, choice, times, [&](const vt640::TBRecord& r, const RecordTime& t) {
            if (auto e = finder.add(r, t))
                episodes.push_back(std::move(*e));
        }))
        return 1;
    if (auto e = finder.finish())
        episodes.push_back(std::move(*e));
    if (const std::string note = datingNote(times, choice); !note.empty())
        std::cerr << "vt640-tool: " << note << '\n';

    if (options.json) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const LimitEpisode& e : episodes)
            all.push_back(vt640::analysis::episodeJson(e));
        std::cout << vt640::analysis::jsonText(all, 2) << '\n';
    } else {
        std::cout << vt640::analysis::kEpisodeCsvHeader;
        for (const LimitEpisode& e : episodes)
            std::cout << vt640::analysis::episodeCsvRow(e);
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vt640-tool: writing to standard output failed\n";
        return 1;
    }
    return 0;
}
