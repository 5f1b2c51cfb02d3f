#pragma once

#include "analysis/limit_episodes.h"

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace vt640::analysis {

// Limit episodes as the tool writes them: CSV rows (for `events` and the
// logger's --events file) and JSON objects (for `events --json` and the
// MQTT event topic). Times are RFC 3339 where the record is dated, "day N
// hh:mm:ss.mmm" on the time-of-day line otherwise.

inline constexpr std::string_view kEpisodeCsvHeader =
    "start,end,duration_s,direction,worst,unit,worst_time,records,ended\n";

// One row, ending in a newline.
std::string episodeCsvRow(const LimitEpisode& episode);

nlohmann::ordered_json episodeJson(const LimitEpisode& episode);

// A JSON text that is valid UTF-8 whatever bytes the file's texts hold.
std::string jsonText(const nlohmann::ordered_json& json, int indent = -1);

} // namespace vt640::analysis
