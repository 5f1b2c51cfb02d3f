#pragma once

#include "recorder/core/t_b_record.h"
#include "recorder/core/temp_file_appender.h"

#include <cstdint>
#include <deque>
#include <string>

// The ".640" file the logger writes: each record one write at the end as
// soon as it is made, flushed at least once a second (TempFileAppender), so
// the file holds whole records only at every moment.
//
// A record that cannot be written (a full disk) is kept, with those after
// it, and written in order once writing works again; so are records a
// failed flush took back out of the file. Only a backlog of kMaxPending
// records ends that.
class LogFile {
public:
    static constexpr std::size_t kMaxPending = 1 << 16; // 8 MiB of records

    enum class Start { Created, Opened, Exists, NotWhole, TailNotMoved, NotAFile, InUse, Failed };
    // A new file; or with `append`, an existing file (a missing one is
    // created). One that ends in part of a record has those bytes moved
    // aside first (movedTail() says where), so that a logger restarted
    // after a crash goes on with the same file and loses nothing.
    Start start(const std::string& path, bool append);
    const vt640::TempFileAppender::MovedTail& movedTail() const { return file_.movedTail(); }

    enum class Added { Written, Pending, Overflow };
    // Queues `record` and writes what is queued. Overflow: the backlog is
    // full and the record was not taken.
    Added add(const vt640::TBRecord& record);

    // For the waits between records: writes what is queued and flushes what
    // is due. False while writing fails.
    bool tick();

    // A last attempt at the backlog, then flushes and closes. False when
    // records are left unwritten.
    bool finish();

    // Records in the file, those this run added, and those still waiting.
    std::int64_t records() const;
    std::int64_t added() const { return records() - startRecords_; }
    std::size_t pending() const;
    // Whether writing has failed and not caught up since.
    bool failing() const { return failing_; }
    int lastError() const { return file_.lastError(); }

private:
    bool catchUp();

    vt640::TempFileAppender file_;
    std::deque<vt640::TBRecord> tail_; // records not known to be on disk, oldest first
    std::int64_t tailStart_ = 0;       // the file index of tail_.front()
    std::int64_t startRecords_ = 0;
    std::int64_t closedRecords_ = 0; // records() once closed
    bool failing_ = false;
};
