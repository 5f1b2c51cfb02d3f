#include "recorder/core/recorder_session.h"

#include "recorder/core/logger_file_writer.h"

#include <QElapsedTimer>

#include <vector>

namespace vt640 {
namespace {

constexpr int kChunk = 256; // records read from a file at a time

std::string lastComponent(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

RecorderSession::RecorderSession(RecorderClock& clock, QObject* parent) : QObject(parent), core_(clock)
{
    timer_.setInterval(core_.intervalMs());
    connect(&timer_, &QTimer::timeout, this, &RecorderSession::loggingTimerTick);
}

RecorderSession::~RecorderSession() = default; // the core removes the run's temporary files

void RecorderSession::setAcquisition(bool manual, std::int64_t seconds)
{
    core_.setIntervalMs(SampleSchedule::intervalFor(seconds));
    core_.setManualMode(manual);
}

RecorderSession::Start RecorderSession::startLogging()
{
    if (core_.logging())
        return Start::AlreadyLogging; // one run, one temporary file
    // The run's file comes first: without it nothing is logged.
    if (!core_.openTempFile(folder_)) {
        stopLogging();
        return Start::NoTemporaryFile;
    }
    timer_.setInterval(core_.intervalMs());
    timer_.start();
    core_.setLogging(true);
    schedule_.start(core_.clock().tickMs(), core_.intervalMs());
    emit loggingChanged(true);
    return Start::Started;
}

void RecorderSession::stopLogging()
{
    core_.closeTempFile();
    timer_.stop();
    core_.setLogging(false);
    schedule_.stop();
    emit loggingChanged(false);
}

void RecorderSession::logRequestedSample(const MeterReading& reading)
{
    schedule_.take();
    logOne(reading);
}

void RecorderSession::logReading(const MeterReading& reading) { logOne(reading); }

void RecorderSession::logOne(const MeterReading& reading)
{
    // A record is always logged onto the newest page, which is shown first.
    if (core_.currentPage() != core_.totalPages()) {
        core_.setCurrentPage(core_.totalPages());
        emit lastPageShown();
    }
    const auto logged = core_.logOneRecord(reading);
    if (!logged)
        return; // a reading without a value makes no record
    lastLogged_ = *logged;
    emit recordAppended(logged->index);
    // Told once when the temporary file starts to fall behind; the record
    // is in the buffer all the same.
    if (logged->tempFileFailed)
        emit temporaryFileFailing();
}

void RecorderSession::clockTick()
{
    if (core_.tickTempFile())
        emit temporaryFileFailing();
}

void RecorderSession::clear()
{
    core_.clearBuffer();
    schedule_.setRequested(false);
    timer_.setInterval(core_.intervalMs());
    emit recordsCleared();
}

std::optional<RecorderSession::FileFailure> RecorderSession::save(const std::string& path)
{
    FileFailure failure;
    const RecordBuffer& buffer = core_.buffer();
    if (LoggerFileWriter::write(path, buffer.data(), static_cast<std::size_t>(buffer.size()), true, &failure.error,
                                &failure.systemError)
        != LoggerFileWriter::Status::Ok)
        return failure;
    core_.setBufferEmpty(false);
    core_.setUnsaved(false);
    core_.setFileName(path);
    return std::nullopt;
}

RecorderSession::Read RecorderSession::open(const std::string& path, RecordLayout layout, const ReadProgress& progress)
{
    Read result;
    LoggerFileReader reader;
    result.status = reader.open(path, layout);
    result.records = reader.fileRecords();
    if (result.status != LoggerFileReader::Status::Ok) {
        result.systemError = reader.systemError(); // missing, unreadable, not a file, more than memory holds
        return result;
    }
    if (!core_.reserveLoaded(reader.recordCount())) {
        result.status = LoggerFileReader::Status::TooLarge;
        return result;
    }
    int n = reader.recordCount();
    if (progress.started)
        progress.started(n);

    // The records are read first, without any bookkeeping; an abort finds
    // the buffer as it was.
    std::vector<TBRecord> chunk(kChunk);
    int have = 0;
    int next = 0;
    QElapsedTimer sinceYield;
    sinceYield.start();
    for (int i = 0; i < n; ++i) {
        if (i % kYieldRecords == 0 || (i % 64 == 0 && sinceYield.elapsed() >= kYieldMs)) {
            const bool goOn = !progress.reading || progress.reading(i, n);
            sinceYield.restart();
            if (!goOn) {
                reader.close();
                clear();
                result.outcome = Read::Outcome::Aborted;
                return result;
            }
        }
        if (next == have) {
            have = reader.read(chunk.data(), kChunk);
            next = 0;
            if (have < 0) {
                result.status = LoggerFileReader::Status::ReadFailed;
                result.systemError = reader.systemError();
                reader.close();
                clear();
                return result;
            }
            if (have == 0) {
                // The file has become shorter since it was opened: its
                // whole records are all there is.
                n = i;
                break;
            }
        }
        core_.appendLoaded(chunk[static_cast<std::size_t>(next++)]);
    }
    reader.close();
    if (progress.reading)
        progress.reading(n, n);
    if (progress.adding)
        progress.adding();

    // All records are counted in at once, and told in one notice.
    core_.adoptLoaded();
    core_.setBufferEmpty(false);
    core_.setUnsaved(true);
    // A run's temporary file is no logger file of the user's to name.
    core_.setFileName(LeftTempFiles::isTempFileName(lastComponent(path)) ? std::string() : path);
    emit recordsLoaded(0, n);
    result.outcome = Read::Outcome::Opened;
    return result;
}

std::optional<LeftTempFiles::File> RecorderSession::findLeftFile()
{
    left_.scan(folder_);
    if (left_.files().empty())
        return std::nullopt;
    return left_.files().front();
}

std::string RecorderSession::keepLeftFile() { return left_.keep(0); }

} // namespace vt640
