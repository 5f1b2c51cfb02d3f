#include "log_publishing.h"

#include "console.h"
#include "tool_support.h"

#include "publish/meter_id.h"
#include "publish/publisher.h"
#include "resources/version.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

using vt640::publish::BrokerUrl;
using vt640::publish::PublisherEvent;

namespace {

// A password is a line; anything much longer is the wrong file.
constexpr std::size_t kMaxPassword = 4096;

// The password alone in a file (a trailing line end is not part of it).
std::string readPassword(const std::string& path, std::string& why)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        why = "cannot read --mqtt-password-file " + path + ": " + tool::systemText(errno);
        return {};
    }
    std::string text;
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = "cannot read --mqtt-password-file " + path + ": " + tool::systemText(errno);
            ::close(fd);
            return {};
        }
        if (n == 0 || text.size() > kMaxPassword)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > kMaxPassword || text.find('\n') != std::string::npos)
        why = "--mqtt-password-file " + path + " holds more than one line; it takes the password alone";
    else if (text.empty())
        why = "--mqtt-password-file " + path + " is empty";
    return text;
}

} // namespace

LogPublishing::LogPublishing() = default;
LogPublishing::~LogPublishing() = default;

std::string LogPublishing::configure(const MqttOptions& options, const std::string& portName)
{
    if (!options.url) {
        for (const auto& [given, name] : {std::pair{&options.caFile, "--mqtt-cafile"},
                                          {&options.passwordFile, "--mqtt-password-file"},
                                          {&options.id, "--mqtt-id"},
                                          {&options.haDiscovery, "--ha-discovery"}})
            if (*given)
                return std::string(name) + " needs --mqtt URL";
        return {};
    }
    std::string why;
    const auto url = BrokerUrl::parse(*options.url, &why);
    if (!url)
        return "--mqtt: " + why;
    vt640::publish::PublisherSettings s;
    s.broker = *url;
    if (options.caFile) {
        if (!url->tls)
            return "--mqtt-cafile is for a broker reached by TLS: write mqtts:// in the URL";
        if (options.caFile->empty())
            return "--mqtt-cafile needs a file name";
        s.caFile = *options.caFile;
    }
    if (options.passwordFile) {
        if (url->user.empty())
            return "--mqtt-password-file needs a user in the URL (mqtt://USER@HOST)";
        s.password = readPassword(*options.passwordFile, why);
        if (!why.empty())
            return why;
    }
    if (options.id) {
        if (!vt640::publish::isValidMeterId(*options.id))
            return "--mqtt-id takes 1 to 64 letters, digits, '-' and '_', not " + tool::quoted(*options.id);
        s.meterId = *options.id;
    } else {
        s.meterId = vt640::publish::meterIdFor(vt640::publish::shortHostName(), portName);
    }
    if (options.haDiscovery) {
        if (const std::string problem = vt640::publish::topicPrefixProblem(*options.haDiscovery); !problem.empty())
            return "--ha-discovery: the prefix " + tool::quoted(*options.haDiscovery) + " " + problem;
        s.discoveryPrefix = *options.haDiscovery;
    }
    s.softwareVersion = VT640_VERSION;
    endpoint_ = (url->tls ? "mqtts://" : "mqtt://") + url->endpoint();
    topics_ = url->prefix + "/" + s.meterId;
    if (options.haDiscovery)
        topics_ += ", announced to Home Assistant under " + *options.haDiscovery;
    publisher_ = std::make_unique<vt640::publish::Publisher>(std::move(s));
    return {};
}

void LogPublishing::start(const std::string& path, std::int64_t records, Console& console)
{
    if (!publisher_)
        return;
    console.warn("Publishing to " + endpoint_ + " as " + topics_);
    path_ = path;
    records_ = records;
    publisher_->follow(path, records);
}

void LogPublishing::recordsInFile(std::int64_t records)
{
    if (!publisher_ || records == records_)
        return;
    records_ = records;
    publisher_->recordsAppended(records);
}

void LogPublishing::meterOnline(bool online)
{
    if (publisher_)
        publisher_->setMeterOnline(online);
}

void LogPublishing::tell(Console& console)
{
    if (!publisher_)
        return;
    const std::string broker = "the MQTT broker at " + endpoint_;
    for (const PublisherEvent& e : publisher_->takeEvents()) {
        std::string text;
        switch (e.kind) {
        case PublisherEvent::Kind::Connected:
            text = "connected to " + broker + (wasConnected_ ? " again" : "");
            wasConnected_ = true;
            break;
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
            text = "cannot keep what the broker has in " + e.detail
                   + "; after a restart some records may be published again";
            break;
        case PublisherEvent::Kind::StoreFailed: text = "cannot read the records to publish from " + e.detail; break;
        }
        console.warn("vt640-tool: " + text);
    }
}

void LogPublishing::finish(Console& console)
{
    if (!publisher_)
        return;
    publisher_->recordsAppended(records_);
    publisher_->stop();
    tell(console);
    const auto progress = publisher_->progress();
    const std::int64_t missing = records_ - 1 - progress.acked;
    if (missing > 0)
        console.warn("vt640-tool: " + std::to_string(missing) + (missing == 1 ? " record" : " records") + " of " + path_
                     + " did not reach " + endpoint_
                     + "; 'vt640-tool log --append' with the same file and --mqtt publishes them");
}
