#include "log_influx.h"

#include "console.h"
#include "tool_support.h"

#include "publish/influx_writer.h"
#include "publish/publish_options.h"
#include "publish/line_protocol.h"

using vt640::publish::InfluxUrl;
using vt640::publish::PublisherEvent;

LogInflux::LogInflux() = default;
LogInflux::~LogInflux() = default;

std::string LogInflux::configure(const InfluxOptions& options, const std::string& meterId)
{
    if (!options.url) {
        if (options.tokenFile)
            return "--influx-token-file needs --influx URL";
        return {};
    }
    std::string why;
    const auto url = InfluxUrl::parse(*options.url, &why);
    if (!url)
        return "--influx: " + why;
    vt640::publish::InfluxSettings s;
    s.url = *url;
    if (options.tokenFile) {
        s.token = vt640::publish::readSecretFile(*options.tokenFile, "--influx-token-file", "token", why);
        if (!why.empty())
            return why;
    } else if (url->api == InfluxUrl::Api::V2) {
        return "--influx: the 2.x API wants its token: --influx-token-file FILE";
    }
    s.meterId = options.meterId.value_or(meterId);
    if (!vt640::publish::isValidMeterTag(s.meterId))
        return "--meter-id takes 1 to 64 printable characters without blanks, commas, '=', quotes or backslashes, not "
               + tool::quoted(s.meterId);
    where_ = std::string(url->tls ? "https://" : "http://") + url->endpoint() + " (" + url->stream() + ")";
    writer_ = std::make_unique<vt640::publish::InfluxWriter>(std::move(s));
    return {};
}

void LogInflux::start(const std::string& path, std::int64_t records, Console& console)
{
    if (!writer_)
        return;
    console.warn("Writing to InfluxDB at " + where_);
    path_ = path;
    records_ = records;
    writer_->follow(path, records);
}

void LogInflux::recordsInFile(std::int64_t records)
{
    if (!writer_ || records == records_)
        return;
    records_ = records;
    writer_->recordsAppended(records);
}

void LogInflux::tell(Console& console)
{
    if (!writer_)
        return;
    const std::string database = "InfluxDB at " + where_;
    for (const PublisherEvent& e : writer_->takeEvents()) {
        std::string text;
        switch (e.kind) {
        case PublisherEvent::Kind::Connected:
            text = "writing to " + database + (wasReached_ ? " works again" : " works");
            wasReached_ = true;
            break;
        case PublisherEvent::Kind::Unreachable:
        case PublisherEvent::Kind::ConnectionLost:
            text = database + " cannot be reached (" + e.detail
                   + "); logging goes on, and the records are written once it can be reached";
            break;
        case PublisherEvent::Kind::Refused:
        case PublisherEvent::Kind::TlsFailed:
            text = database + " refused the records (" + e.detail
                   + "); logging goes on, and writing is tried again now and then";
            break;
        case PublisherEvent::Kind::Rejected:
            text = database + " will not take " + std::to_string(e.count) + (e.count == 1 ? " record" : " records")
                   + " (" + e.detail + "); they are passed over, and logging goes on";
            break;
        case PublisherEvent::Kind::Skipped:
            text = std::to_string(e.count) + (e.count == 1 ? " record is" : " records are") + " not written to "
                   + database + ": " + e.detail;
            break;
        case PublisherEvent::Kind::CaughtUp:
            text = std::to_string(e.count) + (e.count == 1 ? " record" : " records") + " logged while " + database
                   + " was away " + (e.count == 1 ? "is" : "are") + " written";
            break;
        case PublisherEvent::Kind::PositionIgnored: text = e.detail + "; writing starts with the next record"; break;
        case PublisherEvent::Kind::PositionFailed:
            text = "cannot keep what the database has in " + e.detail
                   + "; after a restart some records may be written again";
            break;
        case PublisherEvent::Kind::StoreFailed: text = "cannot read the records to write from " + e.detail; break;
        }
        console.warn("vt640-tool: " + text);
    }
}

void LogInflux::finish(Console& console)
{
    if (!writer_)
        return;
    writer_->recordsAppended(records_);
    writer_->stop();
    tell(console);
    const auto progress = writer_->progress();
    const std::int64_t missing = records_ - 1 - progress.acked;
    if (missing > 0)
        console.warn("vt640-tool: " + std::to_string(missing) + (missing == 1 ? " record" : " records") + " of " + path_
                     + " did not reach " + where_
                     + "; 'vt640-tool log --append' with the same file and --influx writes them");
}
