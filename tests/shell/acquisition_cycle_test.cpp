// The acquisition cycle against a simulated meter on a pseudo-terminal.
#include "shell_fixture.h"

#include "meter/sim/demo_meter.h"
#include "recorder/graphical_form.h"

#include <QAction>
#include <QToolButton>

using namespace vt640;
using namespace vt640::test;
using Fault = sim::PtyMeterHost::Fault;

namespace {

constexpr std::uint32_t kDcVolts = 0x4;
constexpr std::uint32_t kEnergy = 0x140001;

} // namespace

TEST_F(ShellTest, ThreeFailedPollsInARowWarnOnceAndGoOn)
{
    startProgram();
    fastTimeouts();
    scriptAutoMessages(TAutoMsgForm::Retry);
    main().setLinked(true);
    host_->setFault(Fault::NoAnswer);

    tick();
    tick();
    EXPECT_TRUE(autoMessages_.empty());
    EXPECT_TRUE(cycle().TimerGetSd().isActive());
    tick();
    ASSERT_EQ(autoMessages_.size(), 1u);
    EXPECT_EQ(autoMessages_[0],
              (QStringList{"Warning[W8004]", "No data received.", "Will re-try automatically in 3 seconds.",
                           "Check cable connection and COM port selection if required."}));
    EXPECT_TRUE(cycle().TimerGetSd().isActive());
    EXPECT_TRUE(main().isLinked());
    // Continue restarts the count: three more failures for the next warning.
    tick();
    tick();
    EXPECT_EQ(autoMessages_.size(), 1u);
    tick();
    EXPECT_EQ(autoMessages_.size(), 2u);
}

TEST_F(ShellTest, OneGoodAnswerResetsTheFailureCount)
{
    startProgram();
    fastTimeouts();
    scriptAutoMessages(TAutoMsgForm::Retry);
    main().setLinked(true);
    for (Fault f : {Fault::NoAnswer, Fault::NoAnswer, Fault::None, Fault::NoAnswer, Fault::NoAnswer}) {
        host_->setFault(f);
        tick();
    }
    EXPECT_TRUE(autoMessages_.empty());
    EXPECT_EQ(cycle().failureCount(), 2);
}

TEST_F(ShellTest, AbortInTheNoDataWarningUnlinks)
{
    startProgram();
    fastTimeouts();
    scriptAutoMessages(TAutoMsgForm::Abort);
    main().setLinked(true);
    host_->setFault(Fault::NoAnswer);
    tick();
    tick();
    tick();
    EXPECT_FALSE(main().isLinked());
    EXPECT_FALSE(main().button("sbtnLink")->isChecked());
    EXPECT_EQ(main().linkAction()->text(), "&Link");
    EXPECT_EQ(main().button("sbtnLink")->toolTip(), "Link to DMM");
    EXPECT_FALSE(cycle().TimerGetSd().isActive());
    EXPECT_FALSE(state_.readingAvailable);
    EXPECT_TRUE(main().portAction()->isEnabled());
}

TEST_F(ShellTest, KilowattHoursUnlinkOnceWithAStopMessage)
{
    startProgram();
    main().setLinked(true);
    tick();
    ASSERT_TRUE(state_.readingAvailable);
    const std::string shown = cycle().reading().readoutText;

    meter_.show(kEnergy, "12.34");
    tick();
    EXPECT_FALSE(main().isLinked());
    EXPECT_FALSE(cycle().TimerGetSd().isActive());
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Warning[W9015]");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
    EXPECT_EQ(prompts_.last().text,
              QString::fromUtf8("The Data logging feature is not supported in KWHr mode\n"
                                "please change to active power mode\u2026"));
    // The refused reading is never completed or shown.
    EXPECT_EQ(cycle().reading().readoutText, shown);
    EXPECT_FALSE(state_.readingAvailable);
}

TEST_F(ShellTest, LowBatteryWarnsOnEveryReading)
{
    startProgram();
    scriptAutoMessages(TAutoMsgForm::Yes); // closes itself
    main().setLinked(true);
    meter_.show(kDcVolts | code::LowBatteryBit, "1.234");
    tick();
    tick();
    ASSERT_EQ(autoMessages_.size(), 2u);
    EXPECT_EQ(autoMessages_[0], (QStringList{"Warning[W8000]", "The battery power of the DMM is low.",
                                             "(Will continue automatically in 3 seconds.)", ""}));
    EXPECT_EQ(cycle().reading().readoutText, "1.234");
    EXPECT_TRUE(cycle().TimerGetSd().isActive());

    // Abort: unlinked, and this reading is not processed.
    autoResult_ = TAutoMsgForm::Abort;
    meter_.show(kDcVolts | code::LowBatteryBit, "5.678");
    tick();
    EXPECT_FALSE(main().isLinked());
    EXPECT_EQ(cycle().reading().readoutText, "1.234");
}

TEST_F(ShellTest, FirstPollComesOneIntervalAfterLinking)
{
    startProgram();
    QSignalSpy readings(&cycle(), &AcquisitionCycle::readingCompleted);
    waitForTheOpenToBeAnswered();
    const int requests = host_->requestsSeen();
    const int frames = host_->framesSent();
    main().setLinked(true);
    EXPECT_TRUE(cycle().TimerGetSd().isActive());
    EXPECT_EQ(cycle().TimerGetSd().interval(), 750);
    EXPECT_GT(cycle().TimerGetSd().remainingTime(), 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(readings.count(), 0);
    EXPECT_EQ(host_->requestsSeen(), requests);
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(host_->framesSent(), frames + 1);
}

TEST_F(ShellTest, TheTimerIsStoppedWhileATickRuns)
{
    startProgram();
    main().setLinked(true);
    bool activeInside = true;
    scriptAutoMessages(TAutoMsgForm::Retry);
    cycle().setAutoMessage([&](const QString&, const QString&, const QString&, const QString&) {
        activeInside = cycle().TimerGetSd().isActive();
        return TAutoMsgForm::Retry;
    });
    meter_.show(kDcVolts | code::LowBatteryBit, "1.234");
    tick();
    EXPECT_FALSE(activeInside);
    EXPECT_TRUE(cycle().TimerGetSd().isActive());
}

TEST_F(ShellTest, HandOffsRunAfterTheTickReturns)
{
    startProgram();
    main().setLinked(true);
    TGraphicalForm* recorder = windows_->graphicalForm();
    QSignalSpy rows(recorder, &TGraphicalForm::dataListRowAdded);
    tick();
    // Nothing has reached the recorder inside the tick.
    EXPECT_EQ(rows.count(), 0);
}

TEST_F(ShellTest, PulledAdapterIsReopenedWhenItComesBack)
{
    startProgram();
    scriptAutoMessages(TAutoMsgForm::Retry);
    main().setLinked(true);
    tick();
    ASSERT_EQ(cycle().reading().readoutText, "1.234");

    host_->hangUp();
    tick(); // the device has gone
    EXPECT_EQ(cycle().failureCount(), 1);
    tick(); // the reopen fails while it is out: polls fail as usual
    tick();
    EXPECT_EQ(autoMessages_.size(), 1u);

    ASSERT_TRUE(host_->replug());
    meter_.show(kDcVolts, "5.678");
    tick(); // reopened by name, polling resumes without the user
    EXPECT_EQ(cycle().reading().readoutText, "5.678");
    EXPECT_EQ(cycle().failureCount(), 0);
    EXPECT_TRUE(main().isLinked());
}

TEST_F(ShellTest, SharedReadingFollowsTheMeter)
{
    startProgram();
    QSignalSpy readings(&cycle(), &AcquisitionCycle::readingCompleted);
    waitForTheOpenToBeAnswered();
    const int frames = host_->framesSent();
    main().setLinked(true);
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle().reading().readoutText, "1.234");
    EXPECT_EQ(cycle().reading().unitText, "V");

    meter_.show(0x80, "4.702", true); // ohms, kilo
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle().reading().readoutText, "4.702");
    EXPECT_EQ(cycle().reading().prefixText, "k");
    EXPECT_EQ(cycle().reading().unitText, "W");

    meter_.show(0x40001, "1.234", true); // single-phase watts
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle().reading().functionCode, code::ActivePower1);
    EXPECT_EQ(cycle().reading().readoutText, "1.234");
    EXPECT_EQ(cycle().reading().prefixText, "k");
    EXPECT_TRUE(state_.readingAvailable);
    // Exactly one exchange per tick.
    EXPECT_EQ(host_->framesSent() - frames, readings.count());
}
