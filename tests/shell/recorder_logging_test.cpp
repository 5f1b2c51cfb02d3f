// Logging end to end: the program polls the simulated meter, the recorder
// logs at Full Speed or every n seconds, mirrors each run to its temporary
// file, and stops when the link drops.
#include "shell_fixture.h"

#include "recorder/dialog_option.h"
#include "recorder/graphical_form.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/recorder_core.h"

#include <QFile>
#include <QTimer>

#include <cstring>

using namespace vt640;
using namespace vt640::test;

namespace {

// Seconds since midnight from a record's "%3d:%02d:%02d.%-3d" time stamp.
double secondsOf(const TBRecord& r)
{
    int h = 0, m = 0, s = 0, tenths = 0;
    std::sscanf(r.head.timeText, "%d:%d:%d.%d", &h, &m, &s, &tenths);
    return h * 3600 + m * 60 + s + tenths / 10.0;
}

QByteArray bufferBytes(const RecordBuffer& buffer, int from = 0)
{
    QByteArray bytes;
    for (int i = from; i < static_cast<int>(buffer.size()); ++i)
        bytes.append(reinterpret_cast<const char*>(&buffer[i]), sizeof(TBRecord));
    return bytes;
}

} // namespace

class LoggingTest : public ShellTest {
protected:
    TGraphicalForm& recorder() { return *windows_->graphicalForm(); }

    void linkAndWaitForAReading()
    {
        QSignalSpy readings(&cycle(), &AcquisitionCycle::readingCompleted);
        link().setLinked(true);
        ASSERT_TRUE(readings.wait(3000));
    }

    // Waits until the recorder holds `count` records.
    bool waitForRecords(int count, int timeoutMs)
    {
        QSignalSpy rows(&recorder().session(), &RecorderSession::recordAppended);
        while (static_cast<int>(recorder().buffer().size()) < count)
            if (!rows.wait(timeoutMs))
                return false;
        return true;
    }
};

TEST_F(LoggingTest, FullSpeedLogsEveryReadingIntoTheBufferAndTheTemporaryFile)
{
    startProgram();
    linkAndWaitForAReading();
    meter_.show(0x40001, "1.234", true); // single-phase watts, so energy adds up
    recorder().recordStart();
    ASSERT_TRUE(recorder().logging());
    ASSERT_TRUE(waitForRecords(5, 3000));

    const RecordBuffer& buffer = recorder().buffer();
    for (int i = 1; i < 5; ++i) {
        const double gap = secondsOf(buffer[i]) - secondsOf(buffer[i - 1]);
        // One reading per poll: 750 ms and the exchange. Time stamps are in
        // tenths, and a busy machine may stretch a poll, but a skipped
        // reading would show as a gap of two polls.
        EXPECT_GT(gap, 0.55) << i;
        EXPECT_LT(gap, 1.45) << i;
    }
    EXPECT_EQ(buffer[4].head.value, 1234.0f);

    // Unlinking stops logging and closes the file; nothing more is logged.
    link().setLinked(false);
    EXPECT_FALSE(recorder().logging());
    const int logged = static_cast<int>(buffer.size());
    QTest::qWait(1000);
    EXPECT_EQ(static_cast<int>(buffer.size()), logged);

    QFile temp(QString::fromStdString(recorder().core().tempStore().paths().at(0)));
    EXPECT_TRUE(temp.fileName().endsWith("~KRMDL1.TMP"));
    ASSERT_TRUE(temp.open(QIODevice::ReadOnly));
    EXPECT_EQ(temp.readAll(), bufferBytes(buffer));
    EXPECT_TRUE(recorder().unsavedData());
}

TEST_F(LoggingTest, TwoSecondIntervalSpacesTheRecords)
{
    startProgram();
    TDialogOption* options = windows_->dialogOption();
    QTimer::singleShot(0, options, [options] {
        options->setManual(false);
        options->setSeconds(2);
        options->accept();
    });
    recorder().intervalOption();
    ASSERT_EQ(recorder().core().intervalMs(), 2000);

    linkAndWaitForAReading();
    recorder().recordStart();
    ASSERT_TRUE(waitForRecords(3, 4000));
    const RecordBuffer& buffer = recorder().buffer();
    for (int i = 1; i < 3; ++i) {
        const double gap = secondsOf(buffer[i]) - secondsOf(buffer[i - 1]);
        // Each record is the first reading after a 2 s mark, so a gap is 2 s
        // give or take one poll (about 0.76 s) and the tenths of the time
        // stamps; at full speed it would be a single poll.
        EXPECT_GT(gap, 1.05) << i;
        EXPECT_LT(gap, 3.2) << i;
    }
    recorder().recordStop();
    EXPECT_FALSE(recorder().logging());
}

TEST_F(LoggingTest, ClosingWithUnsavedRecordsAsksFirst)
{
    startProgram();
    linkAndWaitForAReading();
    recorder().recordStart();
    ASSERT_TRUE(waitForRecords(1, 3000));
    recorder().recordStop();

    prompts_.answer(PromptService::Button::Cancel);
    EXPECT_FALSE(main().close());
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Warning[W8003]");
    EXPECT_EQ(prompts_.last().text, "Buffer has data.\nDo you want to save the data to a file before exit ?");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Question);
    EXPECT_EQ(prompts_.last().defaultButton, PromptService::Button::Cancel);
    EXPECT_TRUE(main().isLinked()); // everything stays as it was

    // Yes, then the save dialog cancelled: still open, still unsaved.
    prompts_.answer(PromptService::Button::Yes);
    prompts_.answerFileName(QString());
    EXPECT_FALSE(main().close());
    EXPECT_TRUE(recorder().unsavedData());

    prompts_.answer(PromptService::Button::No);
    EXPECT_TRUE(main().close());
    EXPECT_TRUE(QFile::exists("KORUDL.ini"));
}

TEST_F(LoggingTest, LoggingGoesOnWhileTheRecorderIsHidden)
{
    startProgram();
    linkAndWaitForAReading();
    recorder().recordStart();
    recorder().close(); // only hides it
    EXPECT_FALSE(recorder().isVisible());
    ASSERT_TRUE(waitForRecords(2, 3000));
    EXPECT_TRUE(recorder().logging());
}
