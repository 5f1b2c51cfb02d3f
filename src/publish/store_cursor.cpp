#include "publish/store_cursor.h"

#include "publish/publish_position.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace vt640::publish {
namespace {

std::string systemText(int error)
{
    char buffer[256];
    return ::strerror_r(error, buffer, sizeof buffer);
}

} // namespace

StoreCursor::StoreCursor(std::string kind, std::string receiver, std::string stream)
    : kind_(std::move(kind)), receiver_(std::move(receiver)), stream_(std::move(stream))
{}

StoreCursor::~StoreCursor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

std::int64_t StoreCursor::follow(const std::string& path, std::int64_t records, const Tell& tell)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_ = path;
    toldStore_ = toldPosition_ = false;
    // Read-only, never through a link planted at the name, never waiting
    // on a pipe.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd_ < 0) {
        toldStore_ = true;
        tell({PublisherEvent::Kind::StoreFailed, path + ": " + systemText(errno)});
    }

    std::int64_t acked = records - 1;
    const std::string positionPath = PublishPosition::pathFor(path, kind_);
    int error = 0;
    if (const auto position = PublishPosition::read(positionPath, &error)) {
        if (position->broker != receiver_ || position->topic != stream_)
            tell({PublisherEvent::Kind::PositionIgnored,
                  positionPath + " holds the position for " + position->topic + " at " + position->broker});
        else if (position->acked >= records)
            tell({PublisherEvent::Kind::PositionIgnored, positionPath + " holds record "
                                                             + std::to_string(position->acked) + ", beyond the file's "
                                                             + std::to_string(records) + " records"});
        else
            acked = position->acked;
    } else if (error != 0 && error != ENOENT) {
        tell({PublisherEvent::Kind::PositionFailed, positionPath + ": " + systemText(error)});
    } else if (error == 0) {
        tell({PublisherEvent::Kind::PositionIgnored, positionPath + " holds no position"});
    }
    // Kept at once, so that a crash before the first acknowledgement still
    // goes on from here.
    savedAcked_ = -2;
    save(acked, Clock::now(), true, tell);
    return acked;
}

std::int64_t StoreCursor::read(std::int64_t first, std::int64_t count, TBRecord* out, const Tell& tell)
{
    if (fd_ < 0 || count <= 0)
        return 0;
    const auto bytes = static_cast<std::size_t>(count) * sizeof(TBRecord);
    for (;;) {
        const ssize_t n =
            ::pread(fd_, out, bytes, static_cast<off_t>(first * static_cast<std::int64_t>(sizeof(TBRecord))));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            if (!toldStore_)
                tell({PublisherEvent::Kind::StoreFailed, path_ + ": " + systemText(errno)});
            toldStore_ = true;
            return 0;
        }
        return static_cast<std::int64_t>(static_cast<std::size_t>(n) / sizeof(TBRecord));
    }
}

void StoreCursor::save(std::int64_t acked, Clock::time_point now, bool force, const Tell& tell)
{
    if (path_.empty() || acked == savedAcked_ || (!force && now - savedAt_ < kSavePeriod))
        return;
    PublishPosition p;
    p.acked = acked;
    p.broker = receiver_;
    p.topic = stream_;
    int error = 0;
    savedAt_ = now;
    const std::string positionPath = PublishPosition::pathFor(path_, kind_);
    if (p.write(positionPath, &error)) {
        savedAcked_ = acked;
    } else if (!toldPosition_) {
        toldPosition_ = true;
        tell({PublisherEvent::Kind::PositionFailed, positionPath + ": " + systemText(error)});
    }
}

void StoreCursor::close(std::int64_t acked, const Tell& tell)
{
    save(acked, Clock::now(), true, tell);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

} // namespace vt640::publish
