// The one poll step every poller of the meter shares, against the simulated
// meter on a pseudo-terminal: readings, failed polls and their warning, an
// energy function, a low battery, and a pulled adapter that comes back.
#include "meter/meter_poller.h"
#include "meter/sim/pty_meter_host.h"
#include "support/meter_script.h"

#include <gtest/gtest.h>

namespace vt640 {
namespace {

using Result = PollOutcome::Result;
constexpr int kFastMs = 100; // a short read time-out, so a silent meter costs little

class MeterPollerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.start());
        port = open();
        ASSERT_TRUE(port);
    }

    MeterPortHandle open()
    {
        MeterPortHandle p = openMeterDevice(host.devicePath(), nullptr);
        if (p)
            setMeterPortTimeouts(p.get(), kFastMs, nullptr);
        return p;
    }

    test::MeterScript meter;
    sim::PtyMeterHost host{[this] { return meter.frame(); }};
    MeterPortHandle port;
    MeterPoller poller{port, [this] { return open(); }};
    MeterReading reading;
};

TEST_F(MeterPollerTest, AReadingIsDecodedAndCompleted)
{
    meter.show(0x4, "1.234");
    const PollOutcome out = poller.poll(reading);
    EXPECT_EQ(out.result, Result::Reading);
    EXPECT_FALSE(out.lowBattery || out.warnNoData || out.deviceGone || out.reopened);
    EXPECT_EQ(reading.functionCode, 4);
    EXPECT_EQ(reading.readoutText, "1.234");
    EXPECT_EQ(reading.unitText, "V");
}

TEST_F(MeterPollerTest, TheThirdFailedPollInARowIsWarnedAboutAndTheCountStartsAgain)
{
    host.setFault(sim::PtyMeterHost::Fault::NoAnswer);
    std::vector<bool> warned;
    for (int i = 0; i < 7; ++i) {
        const PollOutcome out = poller.poll(reading);
        EXPECT_EQ(out.result, Result::NoAnswer);
        EXPECT_FALSE(out.deviceGone);
        warned.push_back(out.warnNoData);
    }
    EXPECT_EQ(warned, (std::vector<bool>{false, false, true, false, false, true, false}));
    // One answer resets the count.
    host.setFault(sim::PtyMeterHost::Fault::None);
    EXPECT_EQ(poller.poll(reading).result, Result::Reading);
    EXPECT_EQ(poller.failureCount(), 0);
}

TEST_F(MeterPollerTest, EnergyIsRefusedAndALowBatteryAskedBeforeCompletion)
{
    meter.show(0x4, "1.234");
    ASSERT_EQ(poller.poll(reading).result, Result::Reading);

    meter.show(0x140001, "2.000"); // single-phase kWh
    PollOutcome out = poller.poll(reading);
    EXPECT_EQ(out.result, Result::KilowattHours);
    EXPECT_EQ(reading.functionCode, 0x140001);
    EXPECT_EQ(reading.readoutText, "1.234"); // never completed

    // A low battery: asked first; dropped, the reading is not completed.
    meter.show(0x4 | code::LowBatteryBit, "5.678");
    int asked = 0;
    out = poller.poll(reading, [&] {
        ++asked;
        return false;
    });
    EXPECT_EQ(out.result, Result::Dropped);
    EXPECT_TRUE(out.lowBattery);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(reading.readoutText, "1.234");
    // Going on (or asking nobody), it is completed and marked.
    out = poller.poll(reading, [] { return true; });
    EXPECT_EQ(out.result, Result::Reading);
    EXPECT_TRUE(out.lowBattery);
    EXPECT_EQ(reading.readoutText, "5.678");
    EXPECT_EQ(reading.functionCode, 4);
}

TEST_F(MeterPollerTest, APulledAdapterIsToldOnceAndOpenedAgainWhenItIsBack)
{
    ASSERT_EQ(poller.poll(reading).result, Result::Reading);
    host.hangUp();
    PollOutcome out = poller.poll(reading);
    EXPECT_EQ(out.result, Result::NoAnswer);
    EXPECT_TRUE(out.deviceGone);
    // Away: every poll fails, quietly, and counts towards the warning.
    std::vector<bool> warned;
    for (int i = 0; i < 2; ++i) {
        out = poller.poll(reading);
        EXPECT_EQ(out.result, Result::NoAnswer);
        EXPECT_FALSE(out.deviceGone);
        EXPECT_FALSE(out.reopened);
        warned.push_back(out.warnNoData);
    }
    EXPECT_EQ(warned, (std::vector<bool>{false, true}));
    EXPECT_FALSE(port);

    // Back under the same name: opened again, and the poll reads.
    ASSERT_TRUE(host.replug());
    out = poller.poll(reading);
    EXPECT_TRUE(out.reopened);
    EXPECT_EQ(out.result, Result::Reading);
    EXPECT_TRUE(port);
    EXPECT_FALSE(poller.poll(reading).reopened);
}

} // namespace
} // namespace vt640
