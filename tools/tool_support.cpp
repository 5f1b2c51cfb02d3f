#include "tool_support.h"

#include <cctype>
#include <charconv>
#include <cstring>

namespace tool {

std::optional<long long> integer(std::string_view text, long long min, long long max)
{
    if (text.empty() || text.size() > 18)
        return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9')
            return std::nullopt;
    long long value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<vt640::RecordLayout> layout(std::string_view text)
{
    if (text == "640")
        return vt640::RecordLayout::Native;
    if (text == "r27")
        return vt640::RecordLayout::Older;
    if (text == "r26")
        return vt640::RecordLayout::Oldest;
    return std::nullopt;
}

bool endsWith(std::string_view name, std::string_view lowerSuffix)
{
    if (name.size() < lowerSuffix.size())
        return false;
    const std::string_view tail = name.substr(name.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != lowerSuffix[i])
            return false;
    return true;
}

std::string systemText(int error) { return std::strerror(error); }

std::string readFailure(const std::string& path, vt640::LoggerFileReader::Status status)
{
    using Status = vt640::LoggerFileReader::Status;
    switch (status) {
    case Status::Ok: break;
    case Status::CannotOpen: return "vt640-tool: cannot open " + path;
    case Status::NotAFile: return "vt640-tool: " + path + " is not a file";
    case Status::TooLarge: return "vt640-tool: " + path + " holds more records than can be read into memory";
    case Status::ReadFailed: return "vt640-tool: reading " + path + " failed";
    }
    return {};
}

} // namespace tool
