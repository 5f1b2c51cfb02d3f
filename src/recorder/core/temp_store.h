#pragma once

#include "recorder/core/temp_file_appender.h"

#include <string>
#include <vector>

#include <sys/types.h>

namespace vt640 {

class RecordBuffer;

// The real-time temporary files "~KRMDLn.TMP": one per automatic logging
// run, each an exact copy of that run's records (128 bytes each, no
// header), kept on disk as the records come, and removed when the store
// goes away (the recorder window is destroyed at exit).
//
// Only files this store created are ever written or removed. A name that is
// taken (a file another instance is writing, or one left by a run that
// did not end normally) is skipped for the next number, so nothing there
// is lost. Each file stays locked until it is removed, so that other
// instances see it as in use even after its run has ended.
class TempStore {
public:
    TempStore() = default;
    ~TempStore();
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    // Starts the file of a run in `directory` under the next free number.
    // The run's records are those the buffer holds from index `firstIndex`
    // on. False when no file could be created.
    bool openNext(const std::string& directory, int firstIndex = 0);
    bool isOpen() const { return file_.isOpen(); }
    // Whole records in the open run's file (on disk, or at least written).
    std::int64_t records() const { return file_.records(); }

    // Writes the run's records of `buffer` that the file does not hold yet,
    // oldest first. False while writing fails; the records stay in the
    // buffer, and a later call catches up with all of them.
    bool catchUp(const RecordBuffer& buffer);
    // Whether writing has failed and not caught up since.
    bool failing() const { return failing_; }
    // True once when writing starts to fail (again after it had caught up),
    // so that the user is told once per failure and not once per record.
    bool takeFailureNotice();

    // For a clock tick while the run goes on: catches up after a failure
    // even when no new record comes, and flushes what is due.
    void tick(const RecordBuffer& buffer);

    // Ends the run: a last catch-up, then the file is closed for writing
    // (it stays locked and on disk until removeAll).
    void close(const RecordBuffer& buffer);
    // Ends the run without a last catch-up.
    void close();

    // The number of the newest file, and the name of file n in `directory`.
    int counter() const { return counter_; }
    static std::string fileName(const std::string& directory, int n);
    // The files of this run, oldest first.
    const std::vector<std::string>& paths() const { return paths_; }
    const std::string& currentPath() const;

    // Removes every file this store created, newest first (a file that is
    // no longer the one it created, because something else now stands at
    // the name, stays), and lets go of their locks.
    void removeAll();

private:
    struct Held {
        int fd = -1; // keeps the lock
        dev_t device = 0;
        ino_t inode = 0;
    };

    TempFileAppender file_;
    int firstIndex_ = 0;
    int counter_ = 0;
    bool failing_ = false;
    bool notice_ = false;
    std::vector<std::string> paths_;
    std::vector<Held> held_; // one per path; the open file's entry has fd -1
};

} // namespace vt640
