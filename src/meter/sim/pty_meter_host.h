#pragma once

#include "meter/meter_reading.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vt640::sim {

// Runs a simulated meter on a pseudo-terminal. A pty carries no RTS line, so
// the host watches the master side in packet mode (TIOCPKT) and answers each
// receive-queue purge by the program with one frame from the source.
class PtyMeterHost {
public:
    // Called on the host's own thread, once per answer.
    using FrameSource = std::function<MeterFrame()>;

    // Ways the meter can misbehave, for the reliability tests.
    enum class Fault {
        None,
        NoAnswer,     // ignores requests
        PartialFrame, // sends only the first 11 bytes
        SurplusBytes, // sends the frame and then 7 bytes more
        RandomBytes,  // sends 20 random bytes
    };

    explicit PtyMeterHost(FrameSource source);
    ~PtyMeterHost();
    PtyMeterHost(const PtyMeterHost&) = delete;
    PtyMeterHost& operator=(const PtyMeterHost&) = delete;

    // Opens a pty and starts answering. False if no pty could be had.
    bool start();
    // Stops the thread and closes the master (the program sees a hang-up).
    void stop();

    // Path of the slave device that the program opens, e.g. /dev/pts/3.
    std::string devicePath() const;

    // Places a symbolic link `link` to the slave device, replacing any old
    // link there, and keeps it pointing at the device across replugs. The
    // link is removed by stop() and by the destructor.
    bool placeLink(const std::filesystem::path& link);

    void setFault(Fault fault);
    Fault fault() const;

    // Pulls the adapter out: closes the master so the program's handle hangs up.
    void hangUp();
    // Plugs it back in: a new pty (the link, if any, is moved to it).
    bool replug();

    // Number of requests (purges) seen so far.
    int requestsSeen() const;
    // Number of frames answered so far.
    int framesSent() const;

private:
    struct Impl;
    Impl* d_;
};

} // namespace vt640::sim
