#include "record_json.h"

#include "recorder/core/record_text.h"
#include "recorder/core/record_value.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace {

using Json = nlohmann::ordered_json;

// The stored float as the shortest decimal that reads back to it (0.98, not
// 0.9800000190734863); null for what JSON has no number for.
Json number(float v)
{
    if (!std::isfinite(v))
        return nullptr;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, v);
    double d = 0;
    std::from_chars(text, written.ptr, d);
    return d;
}

// A record field's text (8-bit bytes, read as Latin-1) in UTF-8.
template <std::size_t N>
std::string utf8(const char (&field)[N])
{
    return vt640::latin1ToUtf8(vt640::fieldText(field));
}

} // namespace

void appendRecordJson(std::string& out, const vt640::TBRecord& r, int index,
                      const std::optional<vt640::RecordDating::Dated>& when)
{
    Json j;
    if (when) {
        j["time"] = vt640::rfc3339(when->at);
        j["utcMs"] = when->at.utcMs;
        j["dateInferred"] = when->inferred;
    } else {
        j["time"] = nullptr;
        j["utcMs"] = nullptr;
        j["dateInferred"] = false;
    }
    j["item"] = index + 1;
    j["mainText"] = utf8(r.head.mainText);
    j["exponentText"] = utf8(r.head.exponentText);
    j["functionCode"] = r.head.functionCode;
    j["timeText"] = utf8(r.head.timeText);
    j["valueText"] = utf8(r.head.valueText);
    j["prefixText"] = utf8(r.head.prefixText);
    j["unitText"] = utf8(r.head.unitText);
    j["value"] = number(r.head.value);
    j["subText"] = utf8(r.sub.subText);
    j["subFunction"] = utf8(r.sub.subFunction);
    j["status"] = r.sub.status;
    j["energyText"] = utf8(r.energyText);
    const bool measured = vt640::showsNumber(vt640::fieldText(r.head.mainText), vt640::fieldText(r.head.exponentText));
    j["baseValue"] = measured ? number(r.head.value) : Json(nullptr);
    out += j.dump();
    out += '\n';
}
