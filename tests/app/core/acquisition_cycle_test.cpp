// The acquisition cycle and the link without any window: a simulated meter
// on a pseudo-terminal, recording sinks in place of the views.
#include "app/core/acquisition_cycle.h"
#include "app/core/global_state.h"
#include "app/core/link_state.h"
#include "app/core/reading_sink.h"
#include "meter/meter_port.h"
#include "meter/sim/pty_meter_host.h"
#include "support/gui_test_app.h"
#include "support/meter_script.h"
#include "support/scripted_prompt_service.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace vt640::test {
namespace {

using Fault = sim::PtyMeterHost::Fault;
using AutoResult = AcquisitionCycle::AutoMessageResult;

constexpr std::uint32_t kDcVolts = 0x4;
constexpr std::uint32_t kEnergy = 0x140001;

// Writes down every reading it is handed, with its own name.
class RecordingSink : public ReadingSink {
public:
    RecordingSink(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}
    void takeReading(const MeterReading& r) override { log_.push_back(name_ + " " + r.readoutText); }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class CycleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        coreApp();
        base_ = std::filesystem::temp_directory_path()
                / ("vt640-cycle-" + std::to_string(::getpid()) + "-"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(base_);
        std::filesystem::create_directories(base_ / "config/vt640/ports");
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((base_ / "config").string()));
        host_ = std::make_unique<sim::PtyMeterHost>([this] { return meter_.frame(); });
        ASSERT_TRUE(host_->start());
        ASSERT_TRUE(host_->placeLink(base_ / "config/vt640/ports/COM2"));

        state_.iPort = 2;
        state_.meterPort = openMeterPort(2, state_.portTable, nullptr);
        ASSERT_TRUE(state_.meterPort);
        cycle_ = std::make_unique<AcquisitionCycle>(state_, prompts_);
        link_ = std::make_unique<LinkState>(state_, *cycle_);
        for (RecordingSink& s : sinks_)
            cycle_->addSink(s);
        cycle_->setAutoMessage([this](const QString& caption, const QString& l1, const QString& l2, const QString& l3) {
            autoMessages_.push_back({caption, l1, l2, l3});
            return autoResult_;
        });
    }

    void TearDown() override
    {
        link_.reset();
        cycle_.reset();
        closeMeterPort(state_.meterPort);
        host_.reset();
        qunsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(base_);
    }

    void tick() { cycle_->TimerGetSdTimer(); }
    // Makes the exchange give up quickly when the meter is silent.
    void fastTimeouts() { setMeterPortTimeouts(state_.meterPort.get(), 50, nullptr); }
    // Waits until the meter has answered the purge that opening the port
    // makes, so that counts taken afterwards see only the cycle's polls.
    void waitForTheOpenToBeAnswered()
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return host_->framesSent() >= 1; }, 5000));
        QTest::qWait(50);
    }

    std::filesystem::path base_;
    MeterScript meter_;
    std::unique_ptr<sim::PtyMeterHost> host_;
    GlobalState state_;
    ScriptedPromptService prompts_;
    std::unique_ptr<AcquisitionCycle> cycle_;
    std::unique_ptr<LinkState> link_;
    std::vector<std::string> handed_;
    RecordingSink sinks_[4] = {
        {"digital", handed_}, {"recorder", handed_}, {"analog", handed_}, {"comparator", handed_}};
    AutoResult autoResult_ = AutoResult::Continue;
    std::vector<QStringList> autoMessages_;
};

TEST_F(CycleTest, EveryReadingGoesToEverySinkInOrder)
{
    link_->setLinked(true);
    tick();
    meter_.show(kDcVolts, "5.678");
    tick();
    EXPECT_EQ(handed_,
              (std::vector<std::string>{"digital 1.234", "recorder 1.234", "analog 1.234", "comparator 1.234",
                                        "digital 5.678", "recorder 5.678", "analog 5.678", "comparator 5.678"}));
    EXPECT_TRUE(state_.readingAvailable);
}

TEST_F(CycleTest, ThreeFailedPollsInARowWarnOnceAndGoOn)
{
    fastTimeouts();
    link_->setLinked(true);
    host_->setFault(Fault::NoAnswer);

    tick();
    tick();
    EXPECT_TRUE(autoMessages_.empty());
    EXPECT_TRUE(cycle_->isPolling());
    tick();
    ASSERT_EQ(autoMessages_.size(), 1u);
    EXPECT_EQ(autoMessages_[0],
              (QStringList{"Warning[W8004]", "No data received.", "Will re-try automatically in 3 seconds.",
                           "Check cable connection and COM port selection if required."}));
    EXPECT_TRUE(cycle_->isPolling());
    EXPECT_TRUE(link_->isLinked());
    // Continue restarts the count: three more failures for the next warning.
    tick();
    tick();
    EXPECT_EQ(autoMessages_.size(), 1u);
    tick();
    EXPECT_EQ(autoMessages_.size(), 2u);
    EXPECT_TRUE(handed_.empty());
}

TEST_F(CycleTest, OneGoodAnswerResetsTheFailureCount)
{
    fastTimeouts();
    link_->setLinked(true);
    for (Fault f : {Fault::NoAnswer, Fault::NoAnswer, Fault::None, Fault::NoAnswer, Fault::NoAnswer}) {
        host_->setFault(f);
        tick();
    }
    EXPECT_TRUE(autoMessages_.empty());
    EXPECT_EQ(cycle_->failureCount(), 2);
}

TEST_F(CycleTest, AbortInTheNoDataWarningUnlinks)
{
    fastTimeouts();
    autoResult_ = AutoResult::Abort;
    QSignalSpy changes(link_.get(), &LinkState::linkedChanged);
    link_->setLinked(true);
    host_->setFault(Fault::NoAnswer);
    tick();
    tick();
    tick();
    EXPECT_FALSE(link_->isLinked());
    ASSERT_EQ(changes.count(), 2);
    EXPECT_FALSE(changes.at(1).at(0).toBool());
    EXPECT_FALSE(cycle_->isPolling());
    EXPECT_FALSE(state_.readingAvailable);
}

TEST_F(CycleTest, KilowattHoursUnlinkOnceWithAStopMessage)
{
    link_->setLinked(true);
    tick();
    ASSERT_TRUE(state_.readingAvailable);
    const std::string shown = cycle_->reading().readoutText;

    meter_.show(kEnergy, "12.34");
    tick();
    EXPECT_FALSE(link_->isLinked());
    EXPECT_FALSE(cycle_->isPolling());
    ASSERT_EQ(prompts_.messageCount(), 1);
    EXPECT_EQ(prompts_.last().caption, "Warning[W9015]");
    EXPECT_EQ(prompts_.last().icon, PromptService::Icon::Stop);
    EXPECT_EQ(prompts_.last().text, QString::fromUtf8("The Data logging feature is not supported in KWHr mode\n"
                                                      "please change to active power mode\u2026"));
    // The refused reading is never completed or handed out.
    EXPECT_EQ(cycle_->reading().readoutText, shown);
    EXPECT_EQ(handed_.size(), 4u);
    EXPECT_FALSE(state_.readingAvailable);
}

TEST_F(CycleTest, LowBatteryWarnsOnEveryReading)
{
    autoResult_ = AutoResult::TimedOut; // closes itself
    link_->setLinked(true);
    meter_.show(kDcVolts | code::LowBatteryBit, "1.234");
    tick();
    tick();
    ASSERT_EQ(autoMessages_.size(), 2u);
    EXPECT_EQ(autoMessages_[0], (QStringList{"Warning[W8000]", "The battery power of the DMM is low.",
                                             "(Will continue automatically in 3 seconds.)", ""}));
    EXPECT_EQ(cycle_->reading().readoutText, "1.234");
    EXPECT_EQ(handed_.size(), 8u);
    EXPECT_TRUE(cycle_->isPolling());

    // Abort: unlinked, and this reading is not processed.
    autoResult_ = AutoResult::Abort;
    meter_.show(kDcVolts | code::LowBatteryBit, "5.678");
    tick();
    EXPECT_FALSE(link_->isLinked());
    EXPECT_EQ(cycle_->reading().readoutText, "1.234");
    EXPECT_EQ(handed_.size(), 8u);
}

TEST_F(CycleTest, FirstPollComesOneIntervalAfterLinking)
{
    QSignalSpy readings(cycle_.get(), &AcquisitionCycle::readingCompleted);
    waitForTheOpenToBeAnswered();
    const int requests = host_->requestsSeen();
    const int frames = host_->framesSent();
    link_->setLinked(true);
    EXPECT_TRUE(cycle_->isPolling());
    EXPECT_EQ(cycle_->intervalMs(), 750);
    EXPECT_GT(cycle_->msUntilNextTick(), 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(readings.count(), 0);
    EXPECT_EQ(host_->requestsSeen(), requests);
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(host_->framesSent(), frames + 1);
}

TEST_F(CycleTest, TheTimerIsStoppedWhileATickRuns)
{
    link_->setLinked(true);
    bool activeInside = true;
    cycle_->setAutoMessage([&](const QString&, const QString&, const QString&, const QString&) {
        activeInside = cycle_->isPolling();
        return AutoResult::Continue;
    });
    meter_.show(kDcVolts | code::LowBatteryBit, "1.234");
    tick();
    EXPECT_FALSE(activeInside);
    EXPECT_TRUE(cycle_->isPolling());
}

TEST_F(CycleTest, UnlinkingTellsEveryoneBeforeThePollingStops)
{
    link_->setLinked(true);
    tick();
    bool pollingWhenTold = false;
    bool availableWhenTold = true;
    QObject::connect(link_.get(), &LinkState::linkedChanged, [&](bool linked) {
        if (!linked) {
            pollingWhenTold = cycle_->isPolling();
            availableWhenTold = state_.readingAvailable;
        }
    });
    link_->setLinked(false);
    EXPECT_TRUE(pollingWhenTold);
    EXPECT_FALSE(availableWhenTold);
    EXPECT_FALSE(cycle_->isPolling());
}

TEST_F(CycleTest, PulledAdapterIsReopenedWhenItComesBack)
{
    link_->setLinked(true);
    tick();
    ASSERT_EQ(cycle_->reading().readoutText, "1.234");

    host_->hangUp();
    tick(); // the device has gone
    EXPECT_EQ(cycle_->failureCount(), 1);
    tick(); // the reopen fails while it is out: polls fail as usual
    tick();
    EXPECT_EQ(autoMessages_.size(), 1u);

    ASSERT_TRUE(host_->replug());
    meter_.show(kDcVolts, "5.678");
    tick(); // reopened by name, polling resumes without the user
    EXPECT_EQ(cycle_->reading().readoutText, "5.678");
    EXPECT_EQ(cycle_->failureCount(), 0);
    EXPECT_TRUE(link_->isLinked());
}

TEST_F(CycleTest, SharedReadingFollowsTheMeter)
{
    QSignalSpy readings(cycle_.get(), &AcquisitionCycle::readingCompleted);
    waitForTheOpenToBeAnswered();
    const int frames = host_->framesSent();
    link_->setLinked(true);
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle_->reading().readoutText, "1.234");
    EXPECT_EQ(cycle_->reading().unitText, "V");

    meter_.show(0x80, "4.702", true); // ohms, kilo
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle_->reading().readoutText, "4.702");
    EXPECT_EQ(cycle_->reading().prefixText, "k");
    EXPECT_EQ(cycle_->reading().unitText, "W");

    meter_.show(0x40001, "1.234", true); // single-phase watts
    ASSERT_TRUE(readings.wait(3000));
    EXPECT_EQ(cycle_->reading().functionCode, code::ActivePower1);
    EXPECT_EQ(cycle_->reading().readoutText, "1.234");
    EXPECT_EQ(cycle_->reading().prefixText, "k");
    EXPECT_TRUE(state_.readingAvailable);
    // Exactly one exchange per tick.
    EXPECT_EQ(host_->framesSent() - frames, readings.count());
}

} // namespace
} // namespace vt640::test
