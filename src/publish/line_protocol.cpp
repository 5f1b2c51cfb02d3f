#include "publish/line_protocol.h"

#include "meter/annunciators.h"
#include "meter/number_text.h"
#include "publish/quantity.h"
#include "publish/state_payload.h"
#include "recorder/core/record_text.h"
#include "recorder/core/record_value.h"

#include <charconv>
#include <cmath>

namespace vt640::publish {
namespace {

// A float field: the shortest decimal that reads back to the number, never
// in exponent form.
template <typename T>
void appendNumber(std::string& out, T value)
{
    char text[512];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed).ptr;
    out.append(text, end);
}

void appendTag(std::string& out, std::string_view key, std::string_view value)
{
    if (value.empty())
        return;
    out += ',';
    out += key;
    out += '=';
    appendTagText(out, value);
}

} // namespace

void appendTagText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F || c == '\\') {
            out += '_';
            continue;
        }
        if (c == ',' || c == '=' || c == ' ')
            out += '\\';
        out += c;
    }
}

void appendStringField(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        // A line break would end the line.
        out += (c == '\n' || c == '\r') ? ' ' : c;
    }
    out += '"';
}

bool isValidMeterTag(std::string_view id)
{
    if (id.empty() || id.size() > 64)
        return false;
    for (const char c : id) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F || c == ',' || c == '=' || c == '"' || c == '\\')
            return false;
    }
    return true;
}

bool appendLineProtocol(std::string& out, const TBRecord& record, std::int64_t utcMs, std::string_view meterId)
{
    const RecordHead& h = record.head;
    std::string line = "vt640";
    appendTag(line, "function", functionName(h.functionCode));
    appendTag(line, "meter", meterId);
    const Quantity* quantity = quantityOf(h.functionCode, fieldText(h.unitText));
    appendTag(line, "unit",
              quantity ? std::string(quantity->unit)
                       : displayUnitText(h.functionCode, latin1ToUtf8(fieldText(h.unitText))));

    const std::size_t fieldsAt = line.size();
    auto field = [&](std::string_view key) {
        line += line.size() == fieldsAt ? ' ' : ',';
        line += key;
        line += '=';
    };
    const std::string_view mainText = fieldText(h.mainText);
    if (showsNumber(mainText, fieldText(h.exponentText)) && std::isfinite(h.value)) {
        field("value");
        appendNumber(line, h.value);
    } else {
        field("display");
        appendStringField(line, latin1ToUtf8(withoutPadding(mainText)));
    }
    if (const auto energy = energyOf(record); energy && std::isfinite(*energy)) {
        field("energy_kwh");
        appendNumber(line, *energy);
    }
    if (const auto pf = powerFactorOf(record); pf && std::isfinite(*pf)) {
        field("pf");
        appendNumber(line, *pf);
    } else if (const auto sub = parseDecimal(withoutPadding(fieldText(record.sub.subText)));
               sub && std::isfinite(*sub) && !withoutPadding(fieldText(record.sub.subText)).empty()) {
        field("sub_value");
        appendNumber(line, *sub);
    }
    // Nanoseconds fit 64 bits until 2262.
    constexpr std::int64_t kMaxMs = INT64_MAX / 1'000'000;
    if (utcMs < -kMaxMs || utcMs > kMaxMs)
        return false;
    line += ' ';
    line += std::to_string(utcMs * 1'000'000);
    line += '\n';
    out += line;
    return true;
}

} // namespace vt640::publish
