#include "analysis/episode_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vt640::analysis {
namespace {

using Json = nlohmann::ordered_json;

// RFC 4180: a field with a comma, a quote or a line break goes in quotes,
// its quotes doubled.
std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

std::string secondsText(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", ms < 0 ? "-" : "", static_cast<long long>(std::llabs(ms) / 1000),
                  static_cast<long long>(std::llabs(ms) % 1000));
    return text;
}

Json timeJson(const RecordTime& t)
{
    if (t.line == RecordTime::Line::None)
        return nullptr;
    return t.text();
}

} // namespace

std::string episodeCsvRow(const LimitEpisode& e)
{
    std::string row;
    row += csvField(e.start.text()) + ',';
    row += csvField(e.end.text()) + ',';
    row += (e.durationMs ? secondsText(*e.durationMs) : std::string()) + ',';
    row += std::string(directionName(e.direction)) + ',';
    row += csvField(e.worstText) + ',';
    row += csvField(e.worstUnit) + ',';
    row += csvField(e.worstTime.text()) + ',';
    row += std::to_string(e.records) + ',';
    row += e.ended ? "true\n" : "false\n";
    return row;
}

Json episodeJson(const LimitEpisode& e)
{
    Json j;
    j["start"] = timeJson(e.start);
    j["end"] = timeJson(e.end);
    j["durationSeconds"] = e.durationMs ? Json(static_cast<double>(*e.durationMs) / 1000.0) : Json(nullptr);
    j["direction"] = directionName(e.direction);
    // The stored number as the shortest decimal that reads back to it; an
    // overload has none.
    if (e.worstOverload || !std::isfinite(e.worst)) {
        j["worst"] = nullptr;
    } else {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, e.worst).ptr;
        j["worst"] = std::strtod(std::string(text, end).c_str(), nullptr);
    }
    j["worstDisplay"] = e.worstText;
    j["overload"] = e.worstOverload;
    j["unit"] = e.worstUnit;
    j["worstTime"] = timeJson(e.worstTime);
    j["records"] = e.records;
    j["firstRecord"] = e.firstIndex + 1;
    j["endRecord"] = e.endIndex + 1;
    j["ended"] = e.ended;
    return j;
}

std::string jsonText(const Json& json, int indent)
{
    return json.dump(indent, ' ', false, Json::error_handler_t::replace);
}

} // namespace vt640::analysis
