#include "log_file.h"

LogFile::Start LogFile::start(const std::string& path, bool append)
{
    using Open = vt640::TempFileAppender::Open;
    using Create = vt640::TempFileAppender::Create;
    Start started = Start::Created;
    if (append) {
        switch (file_.openExisting(path, vt640::TempFileAppender::TornTail::MoveAside)) {
        case Open::Opened: started = Start::Opened; break;
        case Open::Missing: break;
        case Open::NotAFile: return Start::NotAFile;
        case Open::NotWhole: return Start::NotWhole;
        case Open::TailNotMoved: return Start::TailNotMoved;
        case Open::InUse: return Start::InUse;
        case Open::Failed: return Start::Failed;
        }
    }
    if (started == Start::Created) {
        switch (file_.create(path)) {
        case Create::Created: break;
        case Create::Exists: return Start::Exists;
        case Create::Failed: return Start::Failed;
        }
    }
    tailStart_ = startRecords_ = file_.records();
    tail_.clear();
    failing_ = false;
    return started;
}

std::int64_t LogFile::records() const { return file_.isOpen() ? file_.records() : closedRecords_; }

std::size_t LogFile::pending() const { return tail_.size() - static_cast<std::size_t>(records() - tailStart_); }

bool LogFile::catchUp()
{
    // The file is always a prefix of what was given: a failed write leaves
    // it at whole records, a failed flush at those known to be on disk,
    // which the tail still holds.
    while (file_.records() < tailStart_ + static_cast<std::int64_t>(tail_.size())) {
        const auto next = static_cast<std::size_t>(file_.records() - tailStart_);
        if (!file_.append(tail_[next])) {
            failing_ = true;
            return false;
        }
    }
    if (!file_.syncIfDue()) {
        failing_ = true;
        return false;
    }
    while (!tail_.empty() && tailStart_ < file_.syncedRecords()) {
        tail_.pop_front();
        ++tailStart_;
    }
    failing_ = false;
    return true;
}

LogFile::Added LogFile::add(const vt640::TBRecord& record)
{
    if (pending() >= kMaxPending)
        return Added::Overflow;
    tail_.push_back(record);
    return catchUp() ? Added::Written : Added::Pending;
}

bool LogFile::tick() { return catchUp(); }

bool LogFile::finish()
{
    catchUp();
    const bool synced = file_.sync();
    // A flush that failed took records back out of the file; they are lost
    // with the process as are those never written.
    const bool complete = synced && pending() == 0;
    closedRecords_ = file_.records();
    file_.close();
    return complete;
}
