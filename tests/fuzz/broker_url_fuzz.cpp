// libFuzzer target: any bytes as the --mqtt URL, and as a host and port
// name for the meter's id. A URL that is read gives parts that make a
// valid connection and topic, and written back as a URL they read back the
// same; an id is always one topic level.
//
// Input: the URL; for the id, the bytes split at their first NUL.
#include "publish/broker_url.h"
#include "publish/meter_id.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

std::string percentEncoded(std::string_view s)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'
            || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using vt640::publish::BrokerUrl;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::string why;
    if (const auto url = BrokerUrl::parse(text, &why)) {
        if (url->host.empty() || url->port < 1 || url->port > 65535 || !why.empty()
            || !vt640::publish::topicPrefixProblem(url->prefix).empty())
            __builtin_trap();
        // The prefix's levels are kept as levels; each is encoded on its own.
        std::string prefix;
        for (std::size_t start = 0;;) {
            const auto slash = url->prefix.find('/', start);
            prefix += percentEncoded(std::string_view(url->prefix).substr(start, slash - start));
            if (slash == std::string::npos)
                break;
            prefix += '/';
            start = slash + 1;
        }
        const bool v6 = url->host.find(':') != std::string::npos;
        const std::string again =
            std::string(url->tls ? "mqtts://" : "mqtt://") + (url->user.empty() ? "" : percentEncoded(url->user) + "@")
            + (v6 ? "[" + url->host + "]" : url->host) + ":" + std::to_string(url->port) + "/" + prefix;
        const auto back = BrokerUrl::parse(again);
        if (!back || back->tls != url->tls || back->user != url->user || back->host != url->host
            || back->port != url->port || back->prefix != url->prefix)
            __builtin_trap();
    } else if (why.empty()) {
        __builtin_trap(); // a refusal always says why
    }

    const auto nul = text.find('\0');
    const std::string id =
        vt640::publish::meterIdFor(text.substr(0, nul), nul == std::string_view::npos ? "" : text.substr(nul + 1));
    if (!vt640::publish::isValidMeterId(id))
        __builtin_trap();
    return 0;
}
