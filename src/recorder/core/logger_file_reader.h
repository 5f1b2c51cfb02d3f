#pragma once

#include "recorder/core/logger_layout.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace vt640 {

class RecordBuffer;

// Reads the records of a logger file of any of the three layouts, each
// widened to the 128-byte record the buffer keeps: a 128-byte record is
// taken as it stands; of a 96- or 68-byte record the leading 68 bytes are
// kept and the rest stays empty. Bytes of an incomplete last record are
// ignored. Text fields are kept as their arrays hold them; whoever shows
// them reads up to the NUL or the end of the array (fieldText).
//
// The reader never waits on what is not a file (a pipe, a device, a
// folder) and refuses a file with more records than the buffer can index
// or the memory at hand can hold, before anything is read.
class LoggerFileReader {
public:
    enum class Status {
        Ok,
        CannotOpen, // missing, unreadable, name too long, ...
        NotAFile,   // a folder, a pipe, a device
        TooLarge,   // more records than the buffer can index or memory can hold
        ReadFailed, // an error while reading
    };

    // The most records a buffer may hold: its indexes and the data list's
    // rows (one more than the records) are int.
    static constexpr std::int64_t kMaxRecords = std::numeric_limits<int>::max() - 2;

    LoggerFileReader() = default;
    ~LoggerFileReader();
    LoggerFileReader(const LoggerFileReader&) = delete;
    LoggerFileReader& operator=(const LoggerFileReader&) = delete;

    // Opens `path` for reading with the layout its name gives, or `layout`.
    Status open(const std::string& path);
    Status open(const std::string& path, RecordLayout layout);
    // Reads the file behind `fd` from its start; the caller keeps the descriptor.
    Status attach(int fd, RecordLayout layout);

    // The memory the records may take at most; by default what the system
    // has available when the file is opened.
    void setMemoryLimit(std::uint64_t bytes) { memoryLimit_ = bytes; }
    static std::uint64_t availableMemory();

    RecordLayout layout() const { return layout_; }
    // Whole records in the file when it was opened.
    int recordCount() const { return count_; }
    Status status() const { return status_; }
    // The system's error number behind CannotOpen or ReadFailed, 0 if none.
    int systemError() const { return systemError_; }
    // Whole records the file held when it was opened, also when it is
    // TooLarge to read.
    std::int64_t fileRecords() const { return fileRecords_; }

    // Reads up to `max` further records into `out`. Returns how many; 0 at
    // the end (also when the file has become shorter since it was opened);
    // -1 after a read error (status() then says ReadFailed).
    int read(TBRecord* out, int max);

    void close();

    // When a record read here was logged: the instant and local offset of
    // its stamp; empty for a record without one (one widened from an older
    // layout, one made elsewhere, or spare bytes that hold no valid stamp).
    static std::optional<ZonedInstant> instantOf(const TBRecord& record) { return recordStamp(record); }

    // The whole file at `path` appended to `out` (which is reserved for it).
    static Status readAll(const std::string& path, RecordLayout layout, RecordBuffer& out);

private:
    Status start(int fd, bool owned, RecordLayout layout);

    int fd_ = -1;
    bool ownsFd_ = false;
    RecordLayout layout_ = RecordLayout::Native;
    int count_ = 0;
    int read_ = 0;
    std::int64_t fileRecords_ = 0;
    int systemError_ = 0;
    Status status_ = Status::CannotOpen;
    std::uint64_t memoryLimit_ = 0; // 0: what is available
    std::vector<char> bytes_;
};

} // namespace vt640
