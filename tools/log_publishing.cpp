#include "log_publishing.h"

#include "console.h"
#include "tool_support.h"

#include "publish/publish_options.h"
#include "publish/publisher.h"

using vt640::publish::PublisherEvent;

LogPublishing::LogPublishing() = default;
LogPublishing::~LogPublishing() = default;

std::string LogPublishing::configure(const MqttOptions& options, const std::string& portName)
{
    std::string why;
    auto settings = vt640::publish::settingsFor(options, portName, why);
    if (!settings)
        return why;
    endpoint_ = vt640::publish::endpointOf(*settings);
    topics_ = vt640::publish::topicsOf(*settings);
    publisher_ = std::make_unique<vt640::publish::Publisher>(std::move(*settings));
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

void LogPublishing::event(std::string payload)
{
    if (publisher_)
        publisher_->publishEvent(std::move(payload));
}

void LogPublishing::tell(Console& console)
{
    if (!publisher_)
        return;
    const std::string broker = "the MQTT broker at " + endpoint_;
    for (const PublisherEvent& e : publisher_->takeEvents()) {
        console.warn("vt640-tool: " + vt640::publish::describe(e, broker, wasConnected_));
        if (e.kind == PublisherEvent::Kind::Connected)
            wasConnected_ = true;
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
