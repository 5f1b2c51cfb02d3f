// vt640-tool decode: one captured frame a line in, one JSON object a line out.
#include "commands.h"

#include "meter/meter_link.h"
#include "meter/number_text.h"
#include "recorder/core/record_value.h"

#include <charconv>
#include <cmath>
#include <istream>
#include <optional>
#include <ostream>

namespace {

using vt640::MeterFrame;
using vt640::MeterReading;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// 20 bytes as 40 hex digits, blanks allowed between bytes.
std::optional<MeterFrame> parseFrame(const std::string& line, std::string& why)
{
    MeterFrame frame{};
    std::size_t count = 0;
    std::size_t i = 0;
    for (;;) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        if (i + 1 >= line.size() || vt640::hexDigitValue(line[i]) < 0 || vt640::hexDigitValue(line[i + 1]) < 0) {
            why = "expected a byte of two hexadecimal digits at column " + std::to_string(i + 1);
            return std::nullopt;
        }
        if (count == frame.size()) {
            why = "more than 20 bytes";
            return std::nullopt;
        }
        frame[count++] =
            static_cast<std::uint8_t>(vt640::hexDigitValue(line[i]) * 16 + vt640::hexDigitValue(line[i + 1]));
        i += 2;
    }
    if (count != frame.size()) {
        why = "expected 20 bytes, found " + std::to_string(count);
        return std::nullopt;
    }
    return frame;
}

void putString(std::ostream& out, const std::string& s)
{
    static const char* hex = "0123456789abcdef";
    out << '"';
    for (unsigned char c : s) {
        switch (c) {
        case '"': out << "\\\""; break;
        case '\\': out << "\\\\"; break;
        case '\n': out << "\\n"; break;
        case '\r': out << "\\r"; break;
        case '\t': out << "\\t"; break;
        default:
            if (c < 0x20 || c >= 0x7F)
                out << "\\u00" << hex[c >> 4] << hex[c & 15];
            else
                out << static_cast<char>(c);
        }
    }
    out << '"';
}

// Shortest text that reads back to the same number; null where JSON has none.
template <typename T>
void putNumber(std::ostream& out, T v)
{
    if (!std::isfinite(v)) {
        out << "null";
        return;
    }
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.write(buffer, r.ptr - buffer);
}

void putReading(std::ostream& out, const MeterReading& r, bool refused)
{
    out << "{\"mainText\":";
    putString(out, r.mainText);
    out << ",\"exponentText\":";
    putString(out, r.exponentText);
    out << ",\"rawCode\":" << r.rawCode << ",\"functionCode\":" << r.functionCode << ",\"subText\":";
    putString(out, r.subText);
    out << ",\"subFunction\":";
    putString(out, r.subFunction);
    out << ",\"status\":" << static_cast<int>(r.status) << ",\"value\":";
    putNumber(out, r.value);
    out << ",\"exponent\":" << r.exponent << ",\"prefixExponent\":" << r.prefixExponent << ",\"valueText\":";
    putString(out, r.valueText);
    out << ",\"prefixText\":";
    putString(out, r.prefixText);
    out << ",\"unitText\":";
    putString(out, r.unitText);
    out << ",\"readoutText\":";
    putString(out, r.readoutText);
    out << ",\"refused\":" << (refused ? "true" : "false")
        << ",\"lowBattery\":" << ((r.rawCode & vt640::code::LowBatteryBit) ? "true" : "false") << ",\"logValue\":";
    const auto logValue = refused ? std::nullopt : vt640::recordValueFor(r.mainText, r.exponentText, r.functionCode);
    if (logValue)
        putNumber(out, *logValue);
    else
        out << "null";
    out << "}\n";
}

} // namespace

int runDecode(std::istream& in, std::ostream& out, std::ostream& err)
{
    MeterReading reading; // carried from line to line, as between ticks
    std::string line;
    long number = 0;
    int status = 0;
    while (std::getline(in, line)) {
        ++number;
        std::size_t first = 0;
        while (first < line.size() && isBlank(line[first]))
            ++first;
        if (first == line.size() || line[first] == '#')
            continue;
        std::string why;
        const auto frame = parseFrame(line, why);
        if (!frame) {
            err << "line " << number << ": " << why << '\n';
            status = 1;
            continue;
        }
        const bool completed = vt640::applyMeterFrame(*frame, reading);
        putReading(out, reading, !completed);
    }
    out.flush();
    return status;
}
