#pragma once

#include "recorder/core/t_b_record.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace vt640 {

// A file that grows by one 128-byte record at a time and keeps what it has
// been given on disk: each record is one write at its place, and the data
// is flushed to the disk (fdatasync) at least once a second, so a killed
// process loses nothing written and a power cut at most about a second.
//
// The file is created new (an existing file or a link at the name is never
// opened, replaced or followed) and held under an exclusive advisory lock
// (flock) for as long as this object, or whoever takes the descriptor with
// release(), keeps it open; other instances read the lock as "in use".
//
// A failed write or flush is reported and leaves the file cut back to whole
// records (after a failed flush, to those known to be on disk), so that
// appending again later carries on from an exact prefix.
class TempFileAppender {
public:
    enum class Create { Created, Exists, Failed };

    TempFileAppender() = default;
    ~TempFileAppender();
    TempFileAppender(const TempFileAppender&) = delete;
    TempFileAppender& operator=(const TempFileAppender&) = delete;

    // Creates `path`, which must not exist, and locks it.
    Create create(const std::string& path);

    enum class Open {
        Opened,
        Missing,      // nothing at the name
        NotAFile,     // a link, a folder, a device, ...
        NotWhole,     // its size is not a whole number of records
        InUse,        // another holder has it locked
        TailNotMoved, // (MoveAside) the part of a record at its end could not be moved aside
        Failed,
    };
    // What to do with a file that ends in part of a record (a writer that
    // died half-way through one, a copy cut short).
    enum class TornTail {
        Refuse,    // that is no logger file to extend
        MoveAside, // copy those bytes into a new file beside it, then cut them off
    };
    // Opens the existing file `path` to add records after those it holds,
    // locked as create() locks it. A link at the name is not followed, and
    // a file another writer holds is refused rather than waited for.
    //
    // With MoveAside, the bytes after the last whole record go, under the
    // lock, into a new file `path` + ".torn" (".torn.1", ".torn.2", ... when
    // that name is taken; a name is never reused or followed as a link) and
    // reach the disk there before the file is cut back to whole records, so
    // nothing is lost at any moment. movedTail() then tells where they went.
    Open openExisting(const std::string& path, TornTail torn = TornTail::Refuse);
    bool isOpen() const { return fd_ >= 0; }

    // The bytes the last openExisting() moved aside, and the file that holds
    // them; 0 bytes and an empty path when there were none.
    struct MovedTail {
        std::string path;
        std::int64_t bytes = 0;
    };
    const MovedTail& movedTail() const { return movedTail_; }

    // Writes `record` after the records already in the file. False when it
    // did not reach the file (errno-style code in lastError()).
    bool append(const TBRecord& record);
    // Records in the file.
    std::int64_t records() const { return records_; }
    // Records known to be on disk (those before the last good flush). A
    // failed flush cuts the file back to them.
    std::int64_t syncedRecords() const { return synced_; }
    int lastError() const { return lastError_; }

    // Flushes what is not on disk yet when the last flush is a second or
    // more ago; for an owner's clock tick while no records come. False when
    // the flush failed.
    bool syncIfDue();
    // Flushes now. False when the flush failed.
    bool sync();
    // Flushes done so far (every fdatasync call that succeeded).
    int syncCount() const { return syncs_; }

    // Flushes and hands over the still locked descriptor (the caller closes
    // it, which ends the lock); this object is closed afterwards.
    int release();
    // Flushes, unlocks and closes.
    void close();

    static constexpr std::chrono::milliseconds kSyncPeriod{1000};

private:
    bool failed(int error, bool flush);
    // Moves the `bytes` after offset `whole` of the file behind `fd` (that of
    // `path`) into a new file beside it; false with lastError_ set when not.
    bool moveTailAside(int fd, const std::string& path, std::int64_t whole, std::int64_t bytes);

    int fd_ = -1;
    std::int64_t records_ = 0;
    std::int64_t synced_ = 0; // records known to be on disk
    int lastError_ = 0;
    int syncs_ = 0;
    std::chrono::steady_clock::time_point lastSync_{};
    MovedTail movedTail_;
};

} // namespace vt640
