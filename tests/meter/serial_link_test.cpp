#include "meter/meter_port.h"
#include "meter/port_table.h"
#include "meter/sim/pty_meter_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace vt640 {
namespace {

namespace fs = std::filesystem;
using sim::PtyMeterHost;
using Clock = std::chrono::steady_clock;

// A frame full of bytes that a terminal line would act on if the port were
// not raw: NUL, XON/XOFF, CR/LF, the signal, erase and line-editing
// characters, DEL and 0xFF (the parity-mark escape).
const MeterFrame kFrame = {0x00, 0x11, 0x13, 0x0D, 0x0A, 0x03, 0x04, 0x7F, 0xFF, 0x1A,
                           0x1C, 0x15, 0x17, 0x12, 0x16, 0x0F, 0x20, 0x5B, 0xA5, 0x80};

// Short read constant, so that failing exchanges do not slow the suite down.
constexpr int kFastMs = 200;

class RecordingReporter : public PortErrorReporter {
public:
    void portOpenError(const std::string& device, int error) override
    {
        openErrors.push_back(device);
        errors.push_back(error);
    }
    void portTimeoutError() override { ++timeoutErrors; }

    std::vector<std::string> openErrors;
    std::vector<int> errors; // the system's reason of each

    int timeoutErrors = 0;
};

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

MeterFrame filled(std::uint8_t value)
{
    MeterFrame f;
    f.fill(value);
    return f;
}

// A temporary $XDG_CONFIG_HOME holding the ports folder, restored afterwards.
class TempConfigHome {
public:
    TempConfigHome()
    {
        std::string pattern = (fs::temp_directory_path() / "vt640-link-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
            root_ = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            old_ = old;
        setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        fs::create_directories(PortTable::portsFolder());
    }
    ~TempConfigHome()
    {
        if (old_)
            setenv("XDG_CONFIG_HOME", old_->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    fs::path link(int number) const { return PortTable::portsFolder() / PortTable::portName(number); }

private:
    fs::path root_;
    std::optional<std::string> old_;
};

// A simulated meter that always shows kFrame.
class MeterHostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.start()); }

    TempConfigHome config;
    PtyMeterHost host{[] { return kFrame; }};
    RecordingReporter reporter;
};

// The same, with the port already open and on the short read constant.
class SerialLinkTest : public MeterHostTest {
protected:
    void SetUp() override
    {
        MeterHostTest::SetUp();
        port = openMeterDevice(host.devicePath(), &reporter);
        ASSERT_TRUE(port);
        ASSERT_TRUE(setMeterPortTimeouts(port.get(), kFastMs, &reporter));
    }
    void TearDown() override
    {
        EXPECT_TRUE(reporter.openErrors.empty());
        EXPECT_EQ(reporter.timeoutErrors, 0);
    }

    MeterPortHandle port;
};

TEST_F(SerialLinkTest, GoodFrameArrivesByteForByte)
{
    MeterFrame frame = filled(0x55);
    ASSERT_TRUE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(frame, kFrame);
    EXPECT_EQ(port->lastFailure(), PortFailure::None);
}

TEST_F(SerialLinkTest, ManyExchangesInARowAllSucceed)
{
    const int sentBefore = host.framesSent();
    int failures = 0;
    int wrongFrames = 0;
    for (int i = 0; i < 200; ++i) {
        MeterFrame frame = filled(0x55);
        if (!readMeterFrame(port.get(), frame))
            ++failures;
        else if (frame != kFrame)
            ++wrongFrames;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(wrongFrames, 0);
    EXPECT_GE(host.framesSent() - sentBefore, 200);
}

TEST_F(SerialLinkTest, SilentMeterTimesOutAfterTheReadConstantOfOpen)
{
    // Reopen so that the read constant is the one the open applies.
    port.reset();
    port = openMeterDevice(host.devicePath(), &reporter);
    ASSERT_TRUE(port);
    host.setFault(PtyMeterHost::Fault::NoAnswer);
    const int requestsBefore = host.requestsSeen();
    const int sentBefore = host.framesSent();

    MeterFrame frame = filled(0x55);
    const auto start = Clock::now();
    EXPECT_FALSE(readMeterFrame(port.get(), frame));
    const double elapsed = msSince(start);

    EXPECT_GE(elapsed, 1400.0);
    EXPECT_LT(elapsed, 3000.0);
    EXPECT_EQ(port->lastFailure(), PortFailure::Timeout);
    EXPECT_EQ(frame, filled(0x55)); // left as it was
    EXPECT_GT(host.requestsSeen(), requestsBefore);
    EXPECT_EQ(host.framesSent(), sentBefore);
}

TEST_F(SerialLinkTest, PartialFrameFailsAndItsLeftoversArePurged)
{
    MeterFrame frame;
    ASSERT_TRUE(readMeterFrame(port.get(), frame));

    host.setFault(PtyMeterHost::Fault::PartialFrame);
    EXPECT_FALSE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(port->lastFailure(), PortFailure::Timeout);

    host.setFault(PtyMeterHost::Fault::None);
    frame = filled(0x55);
    ASSERT_TRUE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(frame, kFrame);
    EXPECT_EQ(port->lastFailure(), PortFailure::None);
}

TEST_F(SerialLinkTest, SurplusBytesNeverReachTheNextFrame)
{
    host.setFault(PtyMeterHost::Fault::SurplusBytes);
    for (int i = 0; i < 3; ++i) {
        MeterFrame frame = filled(0x55);
        ASSERT_TRUE(readMeterFrame(port.get(), frame)) << "exchange " << i;
        EXPECT_EQ(frame, kFrame) << "exchange " << i;
    }
    host.setFault(PtyMeterHost::Fault::None);
    MeterFrame frame = filled(0x55);
    ASSERT_TRUE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(frame, kFrame);
}

TEST_F(SerialLinkTest, AnyTwentyBytesAreAcceptedUnchecked)
{
    host.setFault(PtyMeterHost::Fault::RandomBytes);
    MeterFrame frame = kFrame;
    ASSERT_TRUE(readMeterFrame(port.get(), frame));
    EXPECT_NE(frame, kFrame);
    EXPECT_EQ(port->lastFailure(), PortFailure::None);
}

TEST_F(SerialLinkTest, PulledAdapterFailsAtOnceAsDeviceGone)
{
    // A long read constant: a hang-up must not wait for it.
    ASSERT_TRUE(setMeterPortTimeouts(port.get(), 5000, &reporter));
    host.hangUp();

    for (int i = 0; i < 2; ++i) {
        MeterFrame frame = filled(0x55);
        const auto start = Clock::now();
        EXPECT_FALSE(readMeterFrame(port.get(), frame));
        EXPECT_LT(msSince(start), 1000.0) << "exchange " << i;
        EXPECT_EQ(port->lastFailure(), PortFailure::DeviceGone) << "exchange " << i;
        EXPECT_EQ(frame, filled(0x55));
    }
    closeMeterPort(port);
    EXPECT_FALSE(port);
}

TEST_F(MeterHostTest, TerminalDefaultsOfTheDriverDoNotAlterTheFrame)
{
    // A serial driver reports the kernel's terminal defaults until someone
    // changes them: XON/XOFF flow control, CR to NL, canonical input, echo,
    // signal characters. The host leaves its pty raw, so put those back.
    {
        const int fd = open(host.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        termios tio{};
        ASSERT_EQ(tcgetattr(fd, &tio), 0);
        tio.c_iflag = ICRNL | IXON | IXANY;
        tio.c_oflag = OPOST | ONLCR;
        tio.c_lflag = ISIG | ICANON | ECHO | ECHOE | ECHOK | ECHOCTL | ECHOKE | IEXTEN;
        EXPECT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
        close(fd);
    }
    MeterPortHandle port = openMeterDevice(host.devicePath(), &reporter);
    ASSERT_TRUE(port);
    ASSERT_TRUE(setMeterPortTimeouts(port.get(), kFastMs, &reporter));
    for (int i = 0; i < 3; ++i) {
        MeterFrame frame = filled(0x55);
        ASSERT_TRUE(readMeterFrame(port.get(), frame)) << "exchange " << i;
        EXPECT_EQ(frame, kFrame) << "exchange " << i;
    }
}

TEST_F(MeterHostTest, FlowControlLeftOnByAnEarlierUserIsSwitchedOff)
{
    // As `stty crtscts ixoff` leaves an adapter: with CRTSCTS the driver
    // drives RTS itself, so the request pulse would not be ours to give.
    {
        const int fd = open(host.devicePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        termios tio{};
        ASSERT_EQ(tcgetattr(fd, &tio), 0);
        tio.c_cflag |= CRTSCTS | PARENB | CSTOPB;
        tio.c_iflag |= IXOFF | IXON | IXANY | INPCK | ISTRIP;
        tio.c_lflag |= ICANON | ECHO | ISIG | IEXTEN;
        tio.c_oflag |= OPOST;
        ASSERT_EQ(tcsetattr(fd, TCSANOW, &tio), 0);
        termios check{};
        ASSERT_EQ(tcgetattr(fd, &check), 0);
        ASSERT_TRUE(check.c_cflag & CRTSCTS); // the pty keeps what was set
        close(fd);
    }
    MeterPortHandle port = openMeterDevice(host.devicePath(), &reporter);
    ASSERT_TRUE(port);
    termios tio{};
    ASSERT_EQ(tcgetattr(port->fd(), &tio), 0);
    EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | IXANY), 0u);
    // Fully raw, 8N1.
    EXPECT_EQ(tio.c_iflag & (IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | INPCK), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    EXPECT_EQ(tio.c_lflag & (ECHO | ECHONL | ICANON | ISIG | IEXTEN), 0u);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB), static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cc[VMIN], 1);
    EXPECT_EQ(tio.c_cc[VTIME], 0);
}

TEST_F(MeterHostTest, ReplugAndReopenByTheSameLink)
{
    ASSERT_TRUE(host.placeLink(config.link(7)));
    const PortTable table;
    MeterPortHandle port = openMeterPort(7, table, &reporter);
    ASSERT_TRUE(port);
    ASSERT_TRUE(setMeterPortTimeouts(port.get(), kFastMs, &reporter));
    MeterFrame frame;
    ASSERT_TRUE(readMeterFrame(port.get(), frame));

    host.hangUp();
    EXPECT_FALSE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(port->lastFailure(), PortFailure::DeviceGone);
    port.reset();

    ASSERT_TRUE(host.replug());
    EXPECT_EQ(fs::read_symlink(config.link(7)), fs::path(host.devicePath()));
    port = openMeterPort(7, table, &reporter);
    ASSERT_TRUE(port);
    ASSERT_TRUE(setMeterPortTimeouts(port.get(), kFastMs, &reporter));
    for (int i = 0; i < 5; ++i) {
        frame = filled(0x55);
        ASSERT_TRUE(readMeterFrame(port.get(), frame)) << "exchange " << i;
        EXPECT_EQ(frame, kFrame);
    }
    EXPECT_TRUE(reporter.openErrors.empty());
}

TEST_F(MeterHostTest, PortTenOpensTheComTenLinkNotComOne)
{
    fs::create_symlink("/dev/vt640-nowhere", config.link(1));
    ASSERT_TRUE(host.placeLink(config.link(10)));
    EXPECT_EQ(config.link(10).filename(), "COM10");

    const PortTable table;
    MeterPortHandle port = openMeterPort(10, table, &reporter);
    ASSERT_TRUE(port);
    ASSERT_TRUE(setMeterPortTimeouts(port.get(), kFastMs, &reporter));
    MeterFrame frame;
    ASSERT_TRUE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(frame, kFrame);
    EXPECT_TRUE(reporter.openErrors.empty());
}

TEST_F(MeterHostTest, StopRemovesTheLinkAndHangsUp)
{
    ASSERT_TRUE(host.placeLink(config.link(2)));
    MeterPortHandle port = openMeterDevice(host.devicePath(), &reporter);
    ASSERT_TRUE(port);
    host.stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(config.link(2))));
    MeterFrame frame;
    EXPECT_FALSE(readMeterFrame(port.get(), frame));
    EXPECT_EQ(port->lastFailure(), PortFailure::DeviceGone);
}

TEST_F(MeterHostTest, OpenPortIsExclusiveUntilClosed)
{
    MeterPortHandle first = openMeterDevice(host.devicePath(), &reporter);
    ASSERT_TRUE(first);
    EXPECT_FALSE(probeMeterDevice(host.devicePath()));
    EXPECT_FALSE(openMeterDevice(host.devicePath(), &reporter));
    EXPECT_EQ(reporter.openErrors, std::vector<std::string>{host.devicePath()});
    EXPECT_EQ(reporter.errors, std::vector<int>{EBUSY});

    closeMeterPort(first);
    EXPECT_FALSE(first);
    EXPECT_TRUE(probeMeterDevice(host.devicePath()));
    MeterPortHandle again = openMeterDevice(host.devicePath(), &reporter);
    EXPECT_TRUE(again);
    EXPECT_EQ(reporter.openErrors.size(), 1u);
}

TEST_F(MeterHostTest, APortTheUserMayNotOpenSaysPermissionDenied)
{
    // A device of another user's, as a serial port outside one's groups is.
    // The superuser opens anything, so as root the open runs as nobody; as
    // anyone else the pty (their own) is closed to its owner too.
    const bool root = ::geteuid() == 0;
    ASSERT_EQ(::chmod(host.devicePath().c_str(), root ? 0600 : 0), 0);
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    MeterPortHandle port = openMeterDevice(host.devicePath(), &reporter);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(port);
    EXPECT_EQ(reporter.openErrors, std::vector<std::string>{host.devicePath()});
    EXPECT_EQ(reporter.errors, std::vector<int>{EACCES});
}

TEST(SerialLinkFailures, OpenFailuresReportOnceAndGiveNoHandle)
{
    RecordingReporter reporter;
    PortTable table;
    table.setOverride(3, "/dev/vt640-missing");
    EXPECT_FALSE(openMeterPort(3, table, &reporter));
    EXPECT_EQ(reporter.openErrors, std::vector<std::string>{"/dev/vt640-missing"});

    // Opens, but is no terminal.
    EXPECT_FALSE(openMeterDevice("/dev/null", &reporter));
    EXPECT_EQ(reporter.openErrors.size(), 2u);
    EXPECT_EQ(reporter.timeoutErrors, 0);
    // Each with the system's reason.
    EXPECT_EQ(reporter.errors, (std::vector<int>{ENOENT, ENOTTY}));

    EXPECT_FALSE(probeMeterDevice("/dev/vt640-missing"));
    EXPECT_FALSE(probeMeterDevice("/dev/null"));
}

TEST(SerialLinkFailures, NumbersOutsideTheTableOpenNothingSilently)
{
    RecordingReporter reporter;
    const PortTable table;
    EXPECT_FALSE(openMeterPort(0, table, &reporter));
    EXPECT_FALSE(openMeterPort(11, table, &reporter));
    EXPECT_FALSE(openMeterPort(-1, table, &reporter));
    EXPECT_TRUE(reporter.openErrors.empty());
    EXPECT_EQ(reporter.timeoutErrors, 0);
}

TEST(SerialLinkFailures, TimeoutsNeedALivePort)
{
    RecordingReporter reporter;
    EXPECT_FALSE(setMeterPortTimeouts(nullptr, kFastMs, &reporter));
    EXPECT_EQ(reporter.timeoutErrors, 1);

    MeterPort closed(-1, "/dev/vt640-closed");
    EXPECT_FALSE(setMeterPortTimeouts(&closed, kFastMs, &reporter));
    EXPECT_EQ(reporter.timeoutErrors, 2);
    EXPECT_TRUE(reporter.openErrors.empty());

    MeterFrame frame;
    EXPECT_FALSE(readMeterFrame(&closed, frame));
    EXPECT_EQ(closed.lastFailure(), PortFailure::DeviceGone);
    EXPECT_FALSE(readMeterFrame(nullptr, frame));
}

TEST(SerialLinkFailures, ClosingANullHandleWaitsNothing)
{
    MeterPortHandle none;
    const auto start = Clock::now();
    closeMeterPort(none);
    EXPECT_LT(msSince(start), 50.0);
    EXPECT_FALSE(none);
}

} // namespace
} // namespace vt640
