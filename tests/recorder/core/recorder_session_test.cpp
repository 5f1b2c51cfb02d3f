// The recorder's session without any window, under a QCoreApplication:
// logging from Start to Stop with its temporary file, reading a file with
// progress and abort, saving, and the files a crashed run left behind.
#include "recorder/core/recorder_session.h"
#include "recorder/core/record_text.h"
#include "support/test_readings.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cerrno>
#include <fstream>
#include <iterator>

namespace vt640 {
namespace {

using test::volts;
using Outcome = RecorderSession::Read::Outcome;

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string image(const RecordBuffer& buffer, int from, int to)
{
    return std::string(reinterpret_cast<const char*>(buffer.data() + from), std::size_t(to - from) * 128);
}

class RecorderSessionTest : public ::testing::Test {
protected:
    RecorderSessionTest()
    {
        session.setClock(clock);
        session.setWorkingDirectory(folder());
    }
    std::string folder() const { return dir.path().toStdString(); }
    std::string path(const std::string& name) const { return folder() + "/" + name; }

    // A ".640" file of `n` records logged by a session of its own.
    void writeLog(const std::string& name, int n)
    {
        RecorderSession other(clock);
        for (int i = 0; i < n; ++i)
            other.logReading(volts(i));
        ASSERT_FALSE(other.save(path(name)).has_value());
    }

    QTemporaryDir dir;
    test::FakeClock clock;
    RecorderSession session;
};

TEST_F(RecorderSessionTest, AutomaticLoggingTakesRequestedReadingsIntoTheRunsFile)
{
    QSignalSpy appended(&session, &RecorderSession::recordAppended);
    QSignalSpy logging(&session, &RecorderSession::loggingChanged);
    ASSERT_EQ(session.startLogging(), RecorderSession::Start::Started);
    EXPECT_EQ(session.startLogging(), RecorderSession::Start::AlreadyLogging);
    EXPECT_TRUE(session.logging());
    EXPECT_TRUE(session.loggingTimer().isActive());
    EXPECT_EQ(session.loggingTimer().interval(), 500);
    // The first reading after Start is logged; then one per timer tick.
    EXPECT_TRUE(session.sampleRequested());
    session.logRequestedSample(volts(1));
    EXPECT_FALSE(session.sampleRequested());
    session.loggingTimerTick();
    session.logRequestedSample(volts(2));
    session.stopLogging();
    EXPECT_FALSE(session.logging());
    EXPECT_FALSE(session.sampleRequested());
    EXPECT_FALSE(session.loggingTimer().isActive());
    EXPECT_EQ(logging.count(), 2); // on, then off; the second Start changed nothing
    EXPECT_EQ(appended.count(), 2);
    EXPECT_EQ(appended.at(1).at(0).toInt(), 1);
    EXPECT_EQ(slurp(path("~KRMDL1.TMP")), image(session.buffer(), 0, 2));
    EXPECT_TRUE(session.unsaved());
    // Each record knows when it was logged.
    ASSERT_TRUE(session.instantOf(1).has_value());
    EXPECT_EQ(session.instantOf(1)->utcMs, clock.utcMs());

    // Every n seconds; the next run has its own file.
    session.setAcquisition(false, 5);
    ASSERT_EQ(session.startLogging(), RecorderSession::Start::Started);
    EXPECT_EQ(session.loggingTimer().interval(), 5000);
    session.logRequestedSample(volts(3));
    session.stopLogging();
    EXPECT_EQ(slurp(path("~KRMDL2.TMP")), image(session.buffer(), 2, 3));

    // No file, no logging: nothing is asked for.
    session.setWorkingDirectory(path("gone"));
    EXPECT_EQ(session.startLogging(), RecorderSession::Start::NoTemporaryFile);
    EXPECT_FALSE(session.logging());
    EXPECT_FALSE(session.sampleRequested());
    EXPECT_FALSE(session.loggingTimer().isActive());
}

TEST_F(RecorderSessionTest, AFileIsReadWithProgressAndAnAbortLeavesTheBufferEmpty)
{
    writeLog("big.640", 10000);
    QSignalSpy loaded(&session, &RecorderSession::recordsLoaded);
    QSignalSpy cleared(&session, &RecorderSession::recordsCleared);

    // Abort at the second look: nothing is kept, and nothing was announced.
    int started = 0, looks = 0;
    RecorderSession::ReadProgress abortAtSecond;
    abortAtSecond.started = [&](int total) {
        ++started;
        EXPECT_EQ(total, 10000);
    };
    abortAtSecond.reading = [&](int, int) { return ++looks < 2; };
    abortAtSecond.adding = [] { ADD_FAILURE() << "an aborted read adds nothing"; };
    RecorderSession::Read read = session.open(path("big.640"), RecordLayout::Native, abortAtSecond);
    EXPECT_EQ(read.outcome, Outcome::Aborted);
    EXPECT_EQ(started, 1);
    EXPECT_TRUE(session.bufferEmpty());
    EXPECT_EQ(session.buffer().size(), 0);
    EXPECT_EQ(loaded.count(), 0);
    EXPECT_EQ(cleared.count(), 1);

    // Read whole: counted in, told in one notice, unsaved, named.
    std::vector<int> seen;
    bool added = false;
    RecorderSession::ReadProgress whole;
    whole.reading = [&](int done, int) {
        seen.push_back(done);
        return true;
    };
    whole.adding = [&] { added = true; };
    read = session.open(path("big.640"), RecordLayout::Native, whole);
    EXPECT_EQ(read.outcome, Outcome::Opened);
    EXPECT_TRUE(added);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 10000);
    ASSERT_EQ(loaded.count(), 1);
    EXPECT_EQ(loaded.at(0).at(1).toInt(), 10000);
    EXPECT_EQ(session.core().recordCount(), 10000);
    EXPECT_EQ(session.core().totalPages(), 51);
    EXPECT_TRUE(session.unsaved());
    EXPECT_FALSE(session.bufferEmpty());
    EXPECT_EQ(session.core().fileName(), path("big.640"));

    // A file that cannot be read says why before anything starts.
    session.clear();
    started = 0;
    read = session.open(path("missing.640"), RecordLayout::Native, abortAtSecond);
    EXPECT_EQ(read.outcome, Outcome::Failed);
    EXPECT_EQ(read.status, LoggerFileReader::Status::CannotOpen);
    EXPECT_EQ(read.systemError, ENOENT);
    EXPECT_EQ(started, 0);
}

TEST_F(RecorderSessionTest, SavedRecordsCountAsSavedUntilTheNextRecord)
{
    for (int i = 0; i < 3; ++i)
        session.logReading(volts(i));
    ASSERT_FALSE(session.save(path("three.640")).has_value());
    EXPECT_FALSE(session.unsaved());
    EXPECT_EQ(slurp(path("three.640")), image(session.buffer(), 0, 3));
    EXPECT_EQ(session.core().fileName(), path("three.640"));
    session.logReading(volts(4));
    EXPECT_TRUE(session.unsaved());

    const auto failure = session.save(path("no/such/x.640"));
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->error, AtomicFile::Error::NoFolder);
    EXPECT_TRUE(session.unsaved());
}

TEST_F(RecorderSessionTest, LeftFilesAreFoundOnceAndTheRunningOnesNever)
{
    // A run of another instance still going: its file is locked, not left.
    RecorderSession running(clock);
    running.setWorkingDirectory(folder());
    ASSERT_EQ(running.startLogging(), RecorderSession::Start::Started);
    running.logRequestedSample(volts(1));
    EXPECT_FALSE(session.findLeftFile().has_value());

    // A crashed run's file, and one killed before its first record.
    std::ofstream(path("~KRMDL7.TMP"), std::ios::binary) << image(running.buffer(), 0, 1);
    std::ofstream(path("~KRMDL8.TMP"), std::ios::binary) << "";
    const auto left = session.findLeftFile();
    ASSERT_TRUE(left.has_value());
    EXPECT_EQ(left->name, "~KRMDL7.TMP");
    EXPECT_EQ(left->records, 1);
    EXPECT_TRUE(left->readable());
    EXPECT_FALSE(std::ifstream(path("~KRMDL8.TMP")).good()); // removed: nothing in it

    // Read back as 128-byte records, without a name of its own.
    RecorderSession::Read read = session.open(left->path, RecordLayout::Native, {});
    EXPECT_EQ(read.outcome, Outcome::Opened);
    EXPECT_EQ(image(session.buffer(), 0, 1), image(running.buffer(), 0, 1));
    EXPECT_EQ(session.core().fileName(), "");
    EXPECT_EQ(session.keepLeftFile(), path("~KRMDL7-kept.TMP"));
    EXPECT_FALSE(session.findLeftFile().has_value());
}

} // namespace
} // namespace vt640

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // timers and signals, no widgets
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
