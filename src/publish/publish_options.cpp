#include "publish/publish_options.h"

#include "fileio/small_file.h"
#include "publish/meter_id.h"
#include "resources/version.h"

#include <cstring>

namespace vt640::publish {
namespace {

std::string quoted(const std::string& text) { return "'" + text + "'"; }

} // namespace

std::string readSecretFile(const std::string& path, const std::string& option, const std::string& what,
                           std::string& why)
{
    // A secret is a line; anything much longer is the wrong file.
    constexpr std::size_t kMaxSecret = 4096;
    why.clear();
    int error = 0;
    const auto read = readSmallFile(path, kMaxSecret, true, error);
    if (!read) {
        why = "cannot read " + option + " " + path + ": " + std::strerror(error);
        return {};
    }
    std::string text = *read;
    // A trailing line end is not part of it; any other control character
    // means more than one line, or no text file at all.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    bool control = false;
    for (const char c : text)
        control = control || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    if (text.size() > kMaxSecret || control)
        why = option + " " + path + " holds more than one line; it takes the " + what + " alone";
    else if (text.empty())
        why = option + " " + path + " is empty";
    return text;
}

std::optional<PublisherSettings> settingsFor(const PublishOptions& options, const std::string& portName,
                                             std::string& why)
{
    why.clear();
    if (!options.url) {
        for (const auto& [given, name] : {std::pair{&options.caFile, "--mqtt-cafile"},
                                          {&options.passwordFile, "--mqtt-password-file"},
                                          {&options.id, "--mqtt-id"},
                                          {&options.haDiscovery, "--ha-discovery"}})
            if (*given)
                why = std::string(name) + " needs --mqtt URL";
        return std::nullopt;
    }
    const auto url = BrokerUrl::parse(*options.url, &why);
    if (!url) {
        why = "--mqtt: " + why;
        return std::nullopt;
    }
    PublisherSettings s;
    s.broker = *url;
    if (options.caFile) {
        if (!url->tls)
            why = "--mqtt-cafile is for a broker reached by TLS: write mqtts:// in the URL";
        else if (options.caFile->empty())
            why = "--mqtt-cafile needs a file name";
        if (!why.empty())
            return std::nullopt;
        s.caFile = *options.caFile;
    }
    if (options.passwordFile) {
        if (url->user.empty()) {
            why = "--mqtt-password-file needs a user in the URL (mqtt://USER@HOST)";
            return std::nullopt;
        }
        s.password = readSecretFile(*options.passwordFile, "--mqtt-password-file", "password", why);
        if (!why.empty())
            return std::nullopt;
    }
    if (options.id) {
        if (!isValidMeterId(*options.id)) {
            why = "--mqtt-id takes 1 to 64 letters, digits, '-' and '_', not " + quoted(*options.id);
            return std::nullopt;
        }
        s.meterId = *options.id;
    } else {
        s.meterId = meterIdFor(shortHostName(), portName);
    }
    if (options.haDiscovery) {
        if (const std::string problem = topicPrefixProblem(*options.haDiscovery); !problem.empty()) {
            why = "--ha-discovery: the prefix " + quoted(*options.haDiscovery) + " " + problem;
            return std::nullopt;
        }
        s.discoveryPrefix = *options.haDiscovery;
    }
    s.softwareVersion = VT640_VERSION;
    return s;
}

std::string endpointOf(const PublisherSettings& s)
{
    return (s.broker.tls ? "mqtts://" : "mqtt://") + s.broker.endpoint();
}

std::string topicsOf(const PublisherSettings& s)
{
    std::string topics = s.broker.prefix + "/" + s.meterId;
    if (!s.discoveryPrefix.empty())
        topics += ", announced to Home Assistant under " + s.discoveryPrefix;
    return topics;
}

std::string describe(const PublisherEvent& event, const std::string& broker, bool connectedBefore)
{
    std::string text;
    const PublisherEvent& e = event;
    switch (e.kind) {
    case PublisherEvent::Kind::Connected: text = "connected to " + broker + (connectedBefore ? " again" : ""); break;
    case PublisherEvent::Kind::Unreachable:
        text = broker + " cannot be reached (" + e.detail
               + "); logging goes on, and the records are published once it can be reached";
        break;
    case PublisherEvent::Kind::ConnectionLost:
        text = "the connection to " + broker + " broke (" + e.detail
               + "); logging goes on, and the records logged meanwhile are published once it is back";
        break;
    case PublisherEvent::Kind::Refused:
        text = broker + " refused the login (" + e.detail
               + "); check the user in the URL and --mqtt-password-file. Logging goes on";
        break;
    case PublisherEvent::Kind::TlsFailed:
        text = "TLS with " + broker + " failed (" + e.detail + "); check --mqtt-cafile. Logging goes on";
        break;
    case PublisherEvent::Kind::CaughtUp:
        text = std::to_string(e.count) + (e.count == 1 ? " record" : " records") + " logged while " + broker
               + " was away " + (e.count == 1 ? "is" : "are") + " published";
        break;
    case PublisherEvent::Kind::PositionIgnored: text = e.detail + "; publishing starts with the next record"; break;
    case PublisherEvent::Kind::PositionFailed:
        text =
            "cannot keep what the broker has in " + e.detail + "; after a restart some records may be published again";
        break;
    case PublisherEvent::Kind::StoreFailed: text = "cannot read the records to publish from " + e.detail; break;
    case PublisherEvent::Kind::Rejected:
    case PublisherEvent::Kind::Skipped: text = e.detail; break; // a database's, never the broker's
    }
    return text;
}

} // namespace vt640::publish
