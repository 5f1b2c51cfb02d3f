#pragma once

#include "meter/meter_reading.h"
#include "recorder/core/energy_accumulator.h"
#include "recorder/core/instant_sequence.h"
#include "recorder/core/max_min_tracker.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/recorder_clock.h"
#include "recorder/core/sample_schedule.h"
#include "recorder/core/temp_store.h"
#include "recorder/core/y_range.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640 {

// The recorder without its window: the record buffer, the state that goes
// with it (pages, Y range, max/min, energy, flags, acquisition mode) and the
// temporary files. The recorder session drives it; the windows and every
// output read it.
class RecorderCore {
public:
    static constexpr int kPointsPerPage = 200;
    static constexpr std::int32_t kFullSpeedMs = SampleSchedule::kFullSpeedMs;

    explicit RecorderCore(RecorderClock& clock = RecorderClock::system());

    void setClock(RecorderClock& clock) { clock_ = &clock; }
    RecorderClock& clock() const { return *clock_; }

    // Read access.
    const RecordBuffer& buffer() const { return buffer_; }
    int recordCount() const { return recordCount_; }
    int pointsPerPage() const { return kPointsPerPage; }
    int totalPages() const { return totalPages_; }
    int currentPage() const { return currentPage_; }
    int maxIndex() const { return maxMin_.maxIndex(); }
    int minIndex() const { return maxMin_.minIndex(); }
    // Whether the two indexes stand for records (not before the first record
    // that takes part in the tracking).
    bool maxMinValid() const { return maxMin_.valid(); }
    float upperY() const { return yRange_.upper(); }
    float lowerY() const { return yRange_.lower(); }
    double energy() const { return energy_.energy(); }
    std::uint32_t lastRecordTick() const { return energy_.lastTick(); }
    bool logging() const { return logging_; }
    bool bufferEmpty() const { return bufferEmpty_; }
    bool unsaved() const { return unsaved_; }
    bool manualMode() const { return manualMode_; }
    std::int32_t intervalMs() const { return intervalMs_; }
    const TempStore& tempStore() const { return temp_; }
    // The logger file the buffer was last read from or saved to (a path in
    // the file system's encoding), empty when there is none: the buffer was
    // logged here, or cleared. Prints name it.
    const std::string& fileName() const { return fileName_; }
    void setFileName(const std::string& path) { fileName_ = path; }

    // State changes made by the logging commands.
    void setLogging(bool on) { logging_ = on; }
    void setManualMode(bool on) { manualMode_ = on; }
    void setIntervalMs(std::int32_t ms) { intervalMs_ = ms; }
    void setCurrentPage(int page) { currentPage_ = page; }
    void setTotalPages(int pages) { totalPages_ = pages; }
    void setUnsaved(bool on) { unsaved_ = on; }
    void setBufferEmpty(bool on) { bufferEmpty_ = on; }

    // Every field with a reset value goes back to it (the file name too);
    // the acquisition mode, the interval and the temporary files stay.
    void resetState();

    // What logging one record did.
    struct Logged {
        int index = 0;               // buffer index of the new record
        bool first = false;          // it was the first record (max/min panels stay empty)
        bool tracked = false;        // it took part in the max/min tracking (not a
                                     // status display, and its value is a number)
        bool tempFileFailed = false; // writing the temporary file has just started to fail
    };

    // Builds a record from `reading` and appends it to the buffer (and to the
    // temporary file while one is open); updates Y range, max/min, pages,
    // counters and flags. Nothing happens, and nothing is returned, for a
    // reading that gives no value.
    std::optional<Logged> logOneRecord(const MeterReading& reading);

    // The record logOneRecord would build, without any state change except
    // the gap and energy bookkeeping (which the record's energy text needs)
    // and the instant of the last record. Its time text is the local time of
    // the instant in its stamp (record_stamp.h), which it carries wherever
    // the energy text leaves room.
    TBRecord buildRecord(const MeterReading& reading, float value);
    // The same for a reading as it comes: empty, with nothing changed, for a
    // reading that gives no value. Logging without a buffer (the
    // command-line logger) builds its records here.
    std::optional<TBRecord> makeRecord(const MeterReading& reading);

    // Removes every record and resets the state.
    void clearBuffer();

    // Temporary file of one automatic logging run in `directory`; it holds
    // the records logged from now on.
    bool openTempFile(const std::string& directory) { return temp_.openNext(directory, buffer_.size()); }
    // Ends the run's file, with a last attempt to write what it lacks.
    void closeTempFile() { temp_.close(buffer_); }
    // For the clock tick: the temporary file catches up and is flushed as
    // due. True when writing it has just started to fail.
    bool tickTempFile()
    {
        temp_.tick(buffer_);
        return temp_.takeFailureNotice();
    }

    // Reading a logger file: the records are appended first, without any
    // bookkeeping; adoptLoaded() then counts them in.
    // Makes room for `count` records; false when there is no memory for them.
    [[nodiscard]] bool reserveLoaded(int count);
    void appendLoaded(const TBRecord& record) { buffer_.append(record); }
    // Counts in every record of the buffer, oldest first, as a file's records
    // are added: Y range, maximum/minimum (status displays included), record
    // count and pages, the last page current.
    void adoptLoaded();

private:
    RecorderClock* clock_;
    RecordBuffer buffer_;
    TempStore temp_;
    MaxMinTracker maxMin_;
    YRange yRange_;
    EnergyAccumulator energy_;
    InstantSequence instants_;
    int recordCount_ = 0;
    int totalPages_ = 1;
    int currentPage_ = 1;
    bool logging_ = false;
    bool bufferEmpty_ = true;
    bool unsaved_ = false;
    bool manualMode_ = false;
    std::int32_t intervalMs_ = kFullSpeedMs;
    std::string fileName_;
};

} // namespace vt640
