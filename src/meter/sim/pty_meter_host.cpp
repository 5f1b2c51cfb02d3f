#include "meter/sim/pty_meter_host.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace vt640::sim {

namespace {

using Clock = std::chrono::steady_clock;

// How long the host waits after a purge before it answers. The program purges
// its receive queue when it opens the port and again at the start of every
// exchange; an open followed at once by an exchange gives two purges within
// microseconds, and answering both could put the first answer behind the
// second purge. Purges that follow each other within this time get one
// answer. The program waits 11 ms after its purge, so the answer is there in
// time.
constexpr auto kSettle = std::chrono::milliseconds(2);

// The bytes a misbehaving meter adds after a whole frame.
constexpr std::uint8_t kSurplusByte = 0xEE;
constexpr std::size_t kSurplusCount = 7;
constexpr std::size_t kPartialCount = 11;

void closeFd(int& fd)
{
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Points `link` at `target`, replacing whatever link is there. The new link is
// made under a temporary name and renamed over the old one, so the old link is
// never followed and the name never goes missing.
bool pointLink(const std::filesystem::path& link, const std::string& target)
{
    std::error_code ec;
    const std::filesystem::path temp = link.string() + ".new-" + std::to_string(getpid());
    std::filesystem::remove(temp, ec);
    std::filesystem::create_symlink(target, temp, ec);
    if (ec)
        return false;
    std::filesystem::rename(temp, link, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

} // namespace

struct PtyMeterHost::Impl {
    explicit Impl(FrameSource s) : source(std::move(s)) {}

    FrameSource source;
    std::atomic<int> fault{static_cast<int>(Fault::None)};
    std::atomic<int> requests{0};
    std::atomic<int> frames{0};

    // Guards everything below against concurrent calls of the public API.
    mutable std::mutex mutex;
    int masterFd = -1;
    // The host keeps the slave open itself: with no slave descriptor open the
    // master reads EIO and polls as hung up, which would spin the thread
    // between the program's opens.
    int slaveFd = -1;
    int wakeFd = -1;
    std::string slavePath;
    std::filesystem::path link;
    std::thread thread;

    bool openPty();
    void closePty();
    bool startThread();
    void stopThread();
    void run(int master, int wake);
    void answer(int master, std::mt19937& rng);
};

bool PtyMeterHost::Impl::openPty()
{
    masterFd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (masterFd < 0)
        return false;
    char name[128];
    int packet = 1;
    if (grantpt(masterFd) != 0 || unlockpt(masterFd) != 0 || ptsname_r(masterFd, name, sizeof name) != 0
        || ioctl(masterFd, TIOCPKT, &packet) != 0) {
        closePty();
        return false;
    }
    slavePath = name;
    slaveFd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slaveFd < 0 || tcgetattr(slaveFd, &tio) != 0) {
        closePty();
        return false;
    }
    // Raw from the start, so nothing is echoed back or held for a line end
    // before the program configures the port itself.
    cfmakeraw(&tio);
    if (tcsetattr(slaveFd, TCSANOW, &tio) != 0) {
        closePty();
        return false;
    }
    return true;
}

void PtyMeterHost::Impl::closePty()
{
    // Closing the master hangs up every descriptor the program holds on the slave.
    closeFd(masterFd);
    closeFd(slaveFd);
}

bool PtyMeterHost::Impl::startThread()
{
    wakeFd = eventfd(0, EFD_CLOEXEC);
    if (wakeFd < 0)
        return false;
    thread = std::thread([this, master = masterFd, wake = wakeFd] { run(master, wake); });
    return true;
}

void PtyMeterHost::Impl::stopThread()
{
    if (thread.joinable()) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(wakeFd, &one, sizeof one);
        thread.join();
    }
    closeFd(wakeFd);
}

void PtyMeterHost::Impl::answer(int master, std::mt19937& rng)
{
    const auto f = static_cast<Fault>(fault.load());
    if (f == Fault::NoAnswer)
        return;

    std::vector<std::uint8_t> bytes;
    if (f == Fault::RandomBytes) {
        std::uniform_int_distribution<int> byte(0, 255);
        for (int i = 0; i < 20; ++i)
            bytes.push_back(static_cast<std::uint8_t>(byte(rng)));
    } else {
        const MeterFrame frame = source ? source() : MeterFrame{};
        bytes.assign(frame.begin(), frame.end());
        if (f == Fault::PartialFrame)
            bytes.resize(kPartialCount);
        else if (f == Fault::SurplusBytes)
            bytes.insert(bytes.end(), kSurplusCount, kSurplusByte);
    }
    if (writeAll(master, bytes.data(), bytes.size()))
        frames.fetch_add(1);
}

void PtyMeterHost::Impl::run(int master, int wake)
{
    std::mt19937 rng{std::random_device{}()};
    bool pending = false;
    Clock::time_point answerAt{};
    bool masterQuiet = false; // master reported hang-up: wait on the wake-up only

    for (;;) {
        // poll() reports a hang-up whatever is asked for, so a quiet master
        // is left out altogether.
        pollfd fds[2] = {{wake, POLLIN, 0}, {masterQuiet ? -1 : master, POLLIN, 0}};
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (pending || masterQuiet) {
            auto left = pending ? answerAt - Clock::now() : std::chrono::nanoseconds(std::chrono::milliseconds(20));
            if (left < Clock::duration::zero())
                left = Clock::duration::zero();
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
            timeout.tv_sec = static_cast<time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            timeoutPtr = &timeout;
        }
        const int r = ppoll(fds, 2, timeoutPtr, nullptr);
        if (r < 0 && errno != EINTR)
            return;
        if (r > 0 && (fds[0].revents & POLLIN))
            return;
        masterQuiet = false;

        if (r > 0 && (fds[1].revents & POLLIN)) {
            // Packet mode: the first byte says what the rest is. Data written
            // by the program (it never writes) is dropped; a status byte with
            // FLUSHREAD is the program purging its receive queue.
            std::uint8_t buf[512];
            const ssize_t n = read(master, buf, sizeof buf);
            if (n > 0 && buf[0] != TIOCPKT_DATA && (buf[0] & TIOCPKT_FLUSHREAD)) {
                requests.fetch_add(1);
                pending = true;
                answerAt = Clock::now() + kSettle;
            } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
                masterQuiet = true;
            }
        } else if (r > 0 && (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL))) {
            masterQuiet = true;
        }

        if (pending && Clock::now() >= answerAt) {
            pending = false;
            answer(master, rng);
        }
    }
}

PtyMeterHost::PtyMeterHost(FrameSource source) : d_(new Impl(std::move(source))) {}

PtyMeterHost::~PtyMeterHost()
{
    stop();
    delete d_;
}

bool PtyMeterHost::start()
{
    std::lock_guard lock(d_->mutex);
    if (d_->thread.joinable())
        return true;
    if (d_->masterFd < 0 && !d_->openPty())
        return false;
    if (!d_->startThread()) {
        d_->closePty();
        return false;
    }
    if (!d_->link.empty())
        pointLink(d_->link, d_->slavePath);
    return true;
}

void PtyMeterHost::stop()
{
    std::lock_guard lock(d_->mutex);
    d_->stopThread();
    d_->closePty();
    if (!d_->link.empty()) {
        std::error_code ec;
        if (std::filesystem::is_symlink(std::filesystem::symlink_status(d_->link, ec)))
            std::filesystem::remove(d_->link, ec);
        d_->link.clear();
    }
}

std::string PtyMeterHost::devicePath() const
{
    std::lock_guard lock(d_->mutex);
    return d_->slavePath;
}

bool PtyMeterHost::placeLink(const std::filesystem::path& link)
{
    std::lock_guard lock(d_->mutex);
    if (d_->slavePath.empty() || !pointLink(link, d_->slavePath))
        return false;
    d_->link = link;
    return true;
}

void PtyMeterHost::setFault(Fault fault) { d_->fault.store(static_cast<int>(fault)); }

PtyMeterHost::Fault PtyMeterHost::fault() const { return static_cast<Fault>(d_->fault.load()); }

void PtyMeterHost::hangUp()
{
    std::lock_guard lock(d_->mutex);
    d_->stopThread();
    d_->closePty();
}

bool PtyMeterHost::replug()
{
    std::lock_guard lock(d_->mutex);
    d_->stopThread();
    d_->closePty();
    if (!d_->openPty())
        return false;
    if (!d_->startThread()) {
        d_->closePty();
        return false;
    }
    if (!d_->link.empty() && !pointLink(d_->link, d_->slavePath))
        return false;
    return true;
}

int PtyMeterHost::requestsSeen() const { return d_->requests.load(); }

int PtyMeterHost::framesSent() const { return d_->frames.load(); }

} // namespace vt640::sim
