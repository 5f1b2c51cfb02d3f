#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt640::publish {

// Where readings go: mqtt://[user@]host[:port][/prefix], or mqtts:// for
// TLS. The password never stands in the URL (it would show in the process
// list and the shell's history); it comes from a file of its own.
struct BrokerUrl {
    bool tls = false;
    std::string user; // empty: no login
    std::string host; // a name, an IPv4 address, or an IPv6 address without its brackets
    int port = 1883;
    std::string prefix = "vt640"; // the first levels of every topic, without a trailing "/"

    static constexpr int kPlainPort = 1883;
    static constexpr int kTlsPort = 8883;
    static constexpr const char* kDefaultPrefix = "vt640";

    // "host:port", with an IPv6 address in brackets, for messages.
    std::string endpoint() const;

    // The URL read back, or nothing with `why` saying what is wrong with it
    // (quoting the part at fault).
    static std::optional<BrokerUrl> parse(std::string_view url, std::string* why = nullptr);
};

// What is wrong with `prefix` as the first levels of a topic (an empty
// level, a wildcard, a leading "$", a control character, too long), or
// empty when nothing is.
std::string topicPrefixProblem(std::string_view prefix);

} // namespace vt640::publish
