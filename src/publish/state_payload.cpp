#include "publish/state_payload.h"

#include "meter/annunciators.h"
#include "meter/meter_reading.h"
#include "publish/quantity.h"
#include "recorder/core/record_text.h"
#include "recorder/core/record_value.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace vt640::publish {
namespace {

using Json = nlohmann::ordered_json;

// The shortest decimal that reads back as the float the record holds, so
// that 12.34 is published as 12.34 and not as the double nearest to the float.
std::optional<double> floatValue(float v)
{
    if (!std::isfinite(v))
        return std::nullopt;
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, v);
    double d = 0.0;
    std::from_chars(text, written.ptr, d);
    return d;
}

std::optional<double> number(std::string_view text)
{
    text = withoutPadding(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double d = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), d);
    if (text.empty() || r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

// A record's texts come from a file and may hold any bytes; JSON wants
// UTF-8. The meter's texts are ASCII: anything else becomes "?".
std::string text(std::string_view field)
{
    std::string out(field);
    for (char& c : out) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7F)
            c = '?';
    }
    return out;
}

Json orNull(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

Json orNull(const std::string& s) { return s.empty() ? Json(nullptr) : Json(s); }

} // namespace

std::optional<double> powerFactorOf(const TBRecord& record)
{
    if (fieldText(record.sub.subFunction) != "PF")
        return std::nullopt;
    return number(fieldText(record.sub.subText));
}

std::optional<double> energyOf(const TBRecord& record) { return number(fieldText(record.energyText)); }

RecordQuantities quantitiesOf(const TBRecord& record)
{
    RecordQuantities q;
    if (const Quantity* main = quantityOf(record.head.functionCode, fieldText(record.head.unitText)))
        q.items[q.count++] = main;
    if (powerFactorOf(record))
        q.items[q.count++] = &powerFactor();
    if (energyOf(record))
        q.items[q.count++] = &energy();
    return q;
}

std::string statePayload(const TBRecord& record, std::int64_t seq, const std::optional<ZonedInstant>& own,
                         const ZonedInstant& published)
{
    ZonedInstant when = own && isWritable(*own) ? *own : published;
    if (!isWritable(when))
        when = ZonedInstant{};

    const RecordHead& h = record.head;
    const std::string mainText = text(fieldText(h.mainText));
    const Quantity* quantity = quantityOf(h.functionCode, fieldText(h.unitText));
    const bool statusDisplay = isStatusDisplay(mainText);
    // An overload ("OL") is logged as a full-scale stand-in; say so.
    const bool overload = !statusDisplay && mainText.find('L') != std::string::npos;

    Json j;
    j["time"] = rfc3339(when);
    j["utc_ms"] = when.utcMs;
    j["seq"] = seq;
    j["quantity"] = quantity ? Json(std::string(quantity->key)) : Json(nullptr);
    j["function"] = std::string(functionName(h.functionCode));
    j["function_code"] = h.functionCode;
    j["value"] = statusDisplay ? Json(nullptr) : orNull(floatValue(h.value));
    j["overload"] = overload;
    j["unit"] = quantity ? std::string(quantity->unit) : text(fieldText(h.unitText));
    j["prefix"] = text(fieldText(h.prefixText));
    j["main_text"] = mainText;
    j["value_text"] = text(fieldText(h.valueText));
    j["sub_text"] = text(fieldText(record.sub.subText));
    j["sub_label"] = text(fieldText(record.sub.subFunction));
    j["pf"] = orNull(powerFactorOf(record));
    j["energy_kwh"] = orNull(energyOf(record));

    const std::uint8_t s = record.sub.status;
    const Annunciators a = annunciatorsFor(h.functionCode, s);
    j["ac_dc"] = orNull(a.acDc);
    j["hold"] = (s & status::Hold) != 0;
    j["peak"] = (s & status::Peak) != 0;
    j["current"] = a.aLag.empty() ? Json(nullptr) : Json(a.aLag == "A-Lags" ? "lags" : "leads");
    Json phases = Json::array();
    if (s & status::PhaseMarks) {
        for (const auto& [bit, name] : {std::pair{status::L1, "L1"}, {status::L2, "L2"}, {status::L3, "L3"}})
            if (s & bit)
                phases.push_back(name);
    }
    j["phases"] = phases;
    j["wires"] = orNull(a.wires);
    j["status"] = s;
    return j.dump();
}

} // namespace vt640::publish
