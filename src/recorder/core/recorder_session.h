#pragma once

#include "fileio/atomic_file.h"
#include "meter/meter_reading.h"
#include "recorder/core/left_temp_files.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/record_stamp.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/sample_schedule.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vt640 {

// The recorder's data and what is done with it, without a window: the
// record buffer and its state (RecorderCore), the acquisition mode and the
// logging timer, automatic and manual logging with the run's temporary
// file, reading a logger file into the buffer, saving it, and the temporary
// files a run that did not end normally left behind.
//
// It names no window. Whoever shows or writes the records (the recorder
// window, the data list, the graph viewer, an export, a publisher) follows
// its signals and reads core(); every question to the user is asked by the
// caller before it calls here.
class RecorderSession : public QObject {
    Q_OBJECT
public:
    explicit RecorderSession(RecorderClock& clock = RecorderClock::system(), QObject* parent = nullptr);
    ~RecorderSession() override;

    const RecorderCore& core() const { return core_; }
    const RecordBuffer& buffer() const { return core_.buffer(); }
    // When record `index` was logged, where it carries its time stamp.
    std::optional<ZonedInstant> instantOf(int index) const { return recordStamp(core_.buffer()[index]); }
    void setClock(RecorderClock& clock) { core_.setClock(clock); }
    RecorderClock& clock() const { return core_.clock(); }
    // The folder the temporary files go to, and are looked for in.
    void setWorkingDirectory(const std::string& folder) { folder_ = folder; }

    // ---- acquisition mode and logging
    bool manualMode() const { return core_.manualMode(); }
    std::int32_t intervalMs() const { return core_.intervalMs(); }
    // Manual, or automatic every `seconds` (0: Full Speed).
    void setAcquisition(bool manual, std::int64_t seconds);

    bool logging() const { return core_.logging(); }
    // The next reading delivered is to be logged.
    bool sampleRequested() const { return schedule_.requested(); }
    // The logging timer: 500 ms at Full Speed, n x 1000 ms otherwise,
    // running while automatic logging runs.
    const QTimer& loggingTimer() const { return timer_; }

    enum class Start { Started, AlreadyLogging, NoTemporaryFile };
    // Start: the run's temporary file, then the logging timer; the next
    // reading is logged. Without the file nothing is logged.
    Start startLogging();
    // Stop: the run's file is closed (after a last attempt to write what it
    // lacks) and nothing more is logged.
    void stopLogging();
    // The logging timer has ticked (its timer calls this; so may tests).
    void loggingTimerTick() { schedule_.tick(); }
    // The reading asked for has been delivered: the request is taken and
    // the reading logged.
    void logRequestedSample(const MeterReading& reading);
    // Manual logging: one record of `reading` now.
    void logReading(const MeterReading& reading);
    // The second's clock tick: the temporary file catches up and is flushed
    // as due.
    void clockTick();

    // ---- the buffer
    bool bufferEmpty() const { return core_.bufferEmpty(); }
    bool unsaved() const { return core_.unsaved(); }
    // Every record goes; the state is reset (the acquisition mode stays).
    void clear();
    void setCurrentPage(int page) { core_.setCurrentPage(page); }
    // What logging the newest record did (for the receivers of recordAppended).
    const RecorderCore::Logged& lastLogged() const { return lastLogged_; }

    // ---- files
    struct FileFailure {
        AtomicFile::Error error = AtomicFile::Error::None;
        int systemError = 0;
    };
    // Writes the buffer as a ".640" file at `path` (replacing what is
    // there); the buffer then counts as saved.
    std::optional<FileFailure> save(const std::string& path);

    // What reading a file came to.
    struct Read {
        enum class Outcome { Opened, Aborted, Failed } outcome = Outcome::Failed;
        LoggerFileReader::Status status = LoggerFileReader::Status::Ok; // why it failed
        int systemError = 0;
        std::int64_t records = 0; // the file's whole records
    };
    // How reading a file goes: `started` once the file is open and room is
    // made for its records; `reading` from time to time while they are read
    // (records read so far, of all), false to abort; `adding` once they are
    // all read and are being counted in (which cannot be aborted).
    struct ReadProgress {
        std::function<void(int total)> started;
        std::function<bool(int done, int total)> reading;
        std::function<void()> adding;
    };
    // Reads the logger file at `path` with `layout` into the buffer, which
    // must be empty. Aborted or failed, the buffer is empty again.
    Read open(const std::string& path, RecordLayout layout, const ReadProgress& progress);

    // The newest temporary file that a run which did not end normally left
    // in the folder (locked from now on), if any; empty files are removed
    // on the way.
    std::optional<LeftTempFiles::File> findLeftFile();
    // Puts the file found aside ("-kept"), so it is not found again; its new
    // path, empty when it could not be moved.
    std::string keepLeftFile();

    // Reading a file lets the event loop run before the first record, every
    // kYieldRecords records and whenever kYieldMs have passed.
    static constexpr int kYieldRecords = 4096;
    static constexpr int kYieldMs = 10;

signals:
    // A record was logged; `index` is its place in the buffer.
    void recordAppended(int index);
    // The records from `first` on, `count` of them, were read from a file.
    void recordsLoaded(int first, int count);
    // The buffer was emptied.
    void recordsCleared();
    // Logging began or ended.
    void loggingChanged(bool logging);
    // Before a record is logged: the view went back to the newest page.
    void lastPageShown();
    // Writing the run's temporary file has just started to fail; the
    // records stay in the buffer and it catches up later.
    void temporaryFileFailing();

private:
    void logOne(const MeterReading& reading);

    RecorderCore core_;
    SampleSchedule schedule_;
    QTimer timer_;
    std::string folder_;
    LeftTempFiles left_;
    RecorderCore::Logged lastLogged_;
};

} // namespace vt640
