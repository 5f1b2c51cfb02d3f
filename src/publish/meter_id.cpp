#include "publish/meter_id.h"

#include <cctype>

#include <unistd.h>

namespace vt640::publish {
namespace {

constexpr std::size_t kMaxId = 64;

// Letters and digits kept (in lower case), every run of anything else one
// "-", none at either end.
std::string sanitised(std::string_view text)
{
    std::string out;
    bool gap = false;
    for (unsigned char c : text) {
        if (std::isalnum(c) && c < 0x80) {
            if (gap && !out.empty())
                out += '-';
            gap = false;
            out += static_cast<char>(std::tolower(c));
        } else {
            gap = true;
        }
    }
    return out;
}

} // namespace

std::string meterIdFor(std::string_view hostName, std::string_view portName)
{
    if (const auto slash = portName.rfind('/'); slash != std::string_view::npos)
        portName = portName.substr(slash + 1);
    std::string host = sanitised(hostName);
    std::string port = sanitised(portName);
    if (host.empty())
        host = "localhost";
    if (port.empty())
        port = "meter";
    // The port's part is the one that tells meters apart on one box.
    if (port.size() > kMaxId / 2)
        port.resize(kMaxId / 2);
    while (port.back() == '-')
        port.pop_back();
    std::string id = host.substr(0, kMaxId - port.size() - 1);
    while (!id.empty() && id.back() == '-')
        id.pop_back();
    return id + "-" + port;
}

std::string shortHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return "localhost";
    std::string host(name);
    if (const auto dot = host.find('.'); dot != std::string::npos)
        host.resize(dot);
    return host.empty() ? "localhost" : host;
}

bool isValidMeterId(std::string_view id)
{
    if (id.empty() || id.size() > kMaxId)
        return false;
    for (unsigned char c : id)
        if (!(std::isalnum(c) && c < 0x80) && c != '-' && c != '_')
            return false;
    return true;
}

} // namespace vt640::publish
