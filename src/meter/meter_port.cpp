#include "meter/meter_port.h"

#include "meter/port_table.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace vt640 {

namespace {

using Clock = std::chrono::steady_clock;

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Releases exclusive mode and closes. A pseudo-terminal outlives our
// descriptor when someone else holds its other end, and would otherwise stay
// locked against our own next open.
void releaseAndClose(int fd)
{
    ioctl(fd, TIOCNXCL);
    close(fd);
}

// Opens `device` without taking it. O_NONBLOCK keeps open() from waiting
// for carrier on a port whose CLOCAL is still clear; the handle is made
// blocking again once the line is configured. A port that someone else holds
// in exclusive mode counts as busy even for root, whom the kernel lets
// through. Returns -1 on failure.
int openUnlessHeld(const std::string& device)
{
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    int held = 0;
    if (ioctl(fd, TIOCGEXCL, &held) == 0 && held != 0) {
        close(fd);
        errno = EBUSY;
        return -1;
    }
    return fd;
}

// Opens `device` for exclusive use: later opens fail with EBUSY.
int openExclusive(const std::string& device)
{
    const int fd = openUnlessHeld(device);
    if (fd < 0)
        return -1;
    if (ioctl(fd, TIOCEXCL) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// 9600 baud, 8N1, fully raw, CLOCAL|CREAD, no flow control of any kind.
// RTS is the request line and must move only when readMeterFrame moves it:
// with CRTSCTS left on (some adapters keep it from an earlier user) the
// driver drives RTS itself and the request pulse may never reach the meter.
// Software flow control goes too: IXON/IXANY would take 0x11 and 0x13 out of
// the input and IXOFF would send them to the meter, and the meter's binary
// frame carries those values (annunciator bytes, unused bytes).
bool configureLine(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    // On top of raw mode: no parity check, no flow control, one stop bit,
    // and a local line that receives.
    tio.c_iflag &= ~(INPCK | IXOFF | IXANY);
    tio.c_cflag &= ~(CSTOPB | CRTSCTS);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        return false;

    // RTS rests low; each request raises it by hand. A pseudo-terminal has
    // no modem lines, so a failure here is not an error.
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &rts);

    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

void purge(int fd)
{
    tcflush(fd, TCIFLUSH);
    tcflush(fd, TCOFLUSH);
}

bool isGoneErrno(int err) { return err == EIO || err == ENXIO || err == ENODEV || err == EBADF; }

enum class ByteResult { Got, Timeout, Gone };

// Reads one byte, waiting at most `timeoutMs` for it.
ByteResult readOneByte(int fd, std::uint8_t& byte, int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (bool first = true;; first = false) {
        // Every way round the loop ends at the deadline, whatever poll() and
        // read() keep answering.
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now());
        if (!first && left.count() <= 0)
            return ByteResult::Timeout;
        // Round up so that a fraction of a millisecond still waits.
        const int waitMs = left.count() <= 0 ? 0 : static_cast<int>((left.count() + 999) / 1000);
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, waitMs);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            return isGoneErrno(errno) ? ByteResult::Gone : ByteResult::Timeout;
        }
        if (r == 0)
            continue;
        if (p.revents & POLLNVAL)
            return ByteResult::Gone;
        if (p.revents & POLLIN) {
            const ssize_t n = read(fd, &byte, 1);
            if (n == 1)
                return ByteResult::Got;
            if (n == 0)
                return ByteResult::Gone; // end of file: the line was hung up
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return isGoneErrno(errno) ? ByteResult::Gone : ByteResult::Timeout;
        }
        if (p.revents & (POLLHUP | POLLERR))
            return ByteResult::Gone;
    }
}

} // namespace

MeterPort::MeterPort(int fd, std::string device) : fd_(fd), device_(std::move(device)) {}

MeterPort::~MeterPort() { closeNow(); }

void MeterPort::closeNow()
{
    if (fd_ >= 0) {
        releaseAndClose(fd_);
        fd_ = -1;
    }
}

MeterPortHandle openMeterPort(int number, const PortTable& table, PortErrorReporter* reporter)
{
    if (!PortTable::isValidNumber(number))
        return nullptr;
    return openMeterDevice(table.devicePath(number), reporter);
}

MeterPortHandle openMeterDevice(const std::string& device, PortErrorReporter* reporter)
{
    const auto fail = [&](int error) {
        if (reporter != nullptr)
            reporter->portOpenError(device, error);
        return nullptr;
    };

    const int fd = openExclusive(device);
    if (fd < 0)
        return fail(errno);
    auto port = std::make_unique<MeterPort>(fd, device);
    if (!configureLine(fd))
        return fail(errno); // the handle closes on the way out
    if (!setMeterPortTimeouts(port.get(), 1500, reporter))
        return fail(0); // its own messages have said why
    purge(fd);
    return port;
}

bool setMeterPortTimeouts(MeterPort* port, int readConstantMs, PortErrorReporter* reporter)
{
    // The line discipline's VTIME counts tenths of a second and at most 25.5 s
    // per read, so the per-byte wait is done with poll(); what is kept here is
    // its length, after checking that the handle is a live terminal.
    termios tio{};
    if (port == nullptr || port->fd() < 0 || tcgetattr(port->fd(), &tio) != 0) {
        if (reporter != nullptr)
            reporter->portTimeoutError();
        return false;
    }
    port->setReadConstantMs(readConstantMs < 0 ? 0 : readConstantMs);
    return true;
}

bool readMeterFrame(MeterPort* port, MeterFrame& frame)
{
    if (port == nullptr)
        return false;
    const int fd = port->fd();
    if (fd < 0) {
        port->setLastFailure(PortFailure::DeviceGone);
        return false;
    }

    purge(fd);

    // The request: a 1 ms pulse on RTS.
    int rts = TIOCM_RTS;
    ioctl(fd, TIOCMBIS, &rts);
    sleepMs(1);
    ioctl(fd, TIOCMBIC, &rts);
    sleepMs(10);

    MeterFrame received{};
    for (std::size_t i = 0; i < received.size(); ++i) {
        switch (readOneByte(fd, received[i], port->readConstantMs())) {
        case ByteResult::Got: break;
        case ByteResult::Timeout: port->setLastFailure(PortFailure::Timeout); return false;
        case ByteResult::Gone: port->setLastFailure(PortFailure::DeviceGone); return false;
        }
    }
    frame = received;
    port->setLastFailure(PortFailure::None);
    return true;
}

void closeMeterPort(MeterPortHandle& port)
{
    if (!port)
        return;
    if (port->fd() >= 0) {
        tcdrain(port->fd());
        sleepMs(100);
    }
    port->closeNow();
    port.reset();
}

bool probeMeterDevice(const std::string& device)
{
    // Looks without taking: exclusive mode is not set, so it is not cleared.
    const int fd = openUnlessHeld(device);
    if (fd < 0)
        return false;
    termios tio{};
    const bool isTerminal = tcgetattr(fd, &tio) == 0;
    close(fd);
    return isTerminal;
}

} // namespace vt640
