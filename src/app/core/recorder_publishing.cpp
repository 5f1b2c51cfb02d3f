#include "app/core/recorder_publishing.h"

#include "app/core/user_messages.h"
#include "publish/publish_options.h"
#include "recorder/core/recorder_session.h"

#include <cstdio>
#include <unistd.h>

namespace vt640 {

using publish::PublisherEvent;

RecorderPublishing::RecorderPublishing(publish::PublisherSettings settings, RecorderSession& session, QObject* parent)
    : QObject(parent), session_(session), endpoint_(publish::endpointOf(settings))
{
    std::fprintf(stderr, "vt640-recorder: publishing the logged records to %s as %s\n", endpoint_.c_str(),
                 publish::topicsOf(settings).c_str());
    publisher_ = std::make_unique<publish::Publisher>(std::move(settings));
    connect(&session_, &RecorderSession::loggingChanged, this, [this](bool on) {
        if (on)
            follow();
    });
    connect(&session_, &RecorderSession::recordAppended, this, &RecorderPublishing::check);
    // What the publisher has to tell, and a file that catches up after a
    // failed write, are looked at twice a second.
    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, &RecorderPublishing::check);
    timer_.start();
    note_ = loadString(Str::PublishingStarting);
}

RecorderPublishing::~RecorderPublishing()
{
    publisher_->stop();
    check();
    publisher_.reset();
    for (const std::string& path : followed_)
        ::unlink((path + ".mqtt").c_str());
}

void RecorderPublishing::setMeterOnline(bool online) { publisher_->setMeterOnline(online); }

void RecorderPublishing::follow()
{
    const TempStore& store = session_.core().tempStore();
    if (!store.isOpen())
        return;
    followed_.insert(store.currentPath());
    records_ = store.records();
    publisher_->follow(store.currentPath(), records_);
}

void RecorderPublishing::check()
{
    const TempStore& store = session_.core().tempStore();
    if (store.isOpen() && store.records() != records_) {
        records_ = store.records();
        publisher_->recordsAppended(records_);
    }
    const std::string broker = "the MQTT broker at " + endpoint_;
    for (const PublisherEvent& e : publisher_->takeEvents()) {
        std::fprintf(stderr, "vt640-recorder: %s\n", publish::describe(e, broker, connectedBefore_).c_str());
        QString note;
        switch (e.kind) {
        case PublisherEvent::Kind::Connected:
            connectedBefore_ = true;
            note = loadString(Str::PublishingConnected);
            break;
        case PublisherEvent::Kind::Unreachable:
        case PublisherEvent::Kind::ConnectionLost: note = loadString(Str::PublishingAway); break;
        case PublisherEvent::Kind::Refused: note = loadString(Str::PublishingRefused); break;
        case PublisherEvent::Kind::TlsFailed: note = loadString(Str::PublishingTlsFailed); break;
        case PublisherEvent::Kind::CaughtUp: note = loadString(Str::PublishingConnected); break;
        case PublisherEvent::Kind::PositionIgnored:
        case PublisherEvent::Kind::PositionFailed:
        case PublisherEvent::Kind::StoreFailed:
        case PublisherEvent::Kind::Rejected:
        case PublisherEvent::Kind::Skipped: break; // told on standard error
        }
        if (!note.isEmpty() && note != note_) {
            note_ = note;
            emit noteChanged(note_);
        }
    }
}

} // namespace vt640
