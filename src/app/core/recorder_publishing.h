#pragma once

#include "publish/publisher.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <set>
#include <string>

namespace vt640 {

class RecorderSession;

// The recorder's records published to an MQTT broker: each automatic
// logging run's temporary file is the store the publisher follows (what
// the broker has acknowledged is kept beside it), and the meter is online
// while it answers. What the publisher tells goes to standard error and, in
// a few words, to note().
class RecorderPublishing : public QObject {
    Q_OBJECT
public:
    RecorderPublishing(publish::PublisherSettings settings, RecorderSession& session, QObject* parent = nullptr);
    // Says "offline", publishes what it can in a short while, and removes
    // the position files beside the run's temporary files, which go as well.
    ~RecorderPublishing() override;

    // The meter answers, or it stopped (three polls without an answer, the
    // adapter pulled, the link dropped).
    void setMeterOnline(bool online);

    // The state in a few words: "MQTT: connected", "MQTT: broker away", ...
    QString note() const { return note_; }

signals:
    void noteChanged(const QString& note);

private:
    void follow();
    void check();

    RecorderSession& session_;
    std::string endpoint_;
    std::unique_ptr<publish::Publisher> publisher_;
    QTimer timer_;
    std::set<std::string> followed_;
    std::int64_t records_ = -1;
    bool connectedBefore_ = false;
    QString note_;
};

} // namespace vt640
