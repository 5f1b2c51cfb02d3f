#pragma once

#include "meter/meter_reading.h"

#include <memory>
#include <string>

namespace vt640 {

class PortTable;

// Tells the user about failures of the port layer. The application shows
// E9001 for portOpenError and E9009 followed by W8001 for portTimeoutError;
// the command-line tool prints to standard error.
class PortErrorReporter {
public:
    virtual ~PortErrorReporter() = default;
    // `device` could not be opened or set up; `error` is the system's error
    // number (errno) of the step that failed.
    virtual void portOpenError(const std::string& device, int error) = 0;
    virtual void portTimeoutError() = 0;
};

// Why the last exchange failed.
enum class PortFailure {
    None,       // last exchange succeeded
    Timeout,    // a byte did not arrive in time; the device is still there
    DeviceGone, // hang-up or I/O error: the adapter was pulled out
};

// An open serial port (exclusive, blocking, 9600 8N1, RTS driven by hand).
class MeterPort {
public:
    MeterPort(int fd, std::string device);
    ~MeterPort();
    MeterPort(const MeterPort&) = delete;
    MeterPort& operator=(const MeterPort&) = delete;

    int fd() const { return fd_; }
    const std::string& device() const { return device_; }
    int readConstantMs() const { return readConstantMs_; }
    void setReadConstantMs(int ms) { readConstantMs_ = ms; }
    PortFailure lastFailure() const { return lastFailure_; }
    void setLastFailure(PortFailure f) { lastFailure_ = f; }
    // Closes the descriptor without flush or pause, giving up exclusive use.
    void closeNow();

private:
    int fd_ = -1;
    std::string device_;
    int readConstantMs_ = 1500;
    PortFailure lastFailure_ = PortFailure::None;
};

// A null handle is an empty pointer.
using MeterPortHandle = std::unique_ptr<MeterPort>;

// Opens port `number` through `table` (a number outside 1..10 gives a null
// handle without a message); shows its own error through `reporter`.
MeterPortHandle openMeterPort(int number, const PortTable& table, PortErrorReporter* reporter);
// Opens a device path directly (the command-line tool's `watch /dev/...`).
MeterPortHandle openMeterDevice(const std::string& device, PortErrorReporter* reporter);
// Applies the time-outs; read constant in ms. False after reporting on failure.
bool setMeterPortTimeouts(MeterPort* port, int readConstantMs, PortErrorReporter* reporter);
// One request/response exchange: purge receive then transmit, 1 ms RTS pulse,
// 10 ms pause, twenty one-byte reads each waiting at most the read constant.
bool readMeterFrame(MeterPort* port, MeterFrame& frame);
// Flush, wait 100 ms, close; does nothing (and waits nothing) for a null handle.
void closeMeterPort(MeterPortHandle& port);
// Whether `device` can be opened exclusively right now (the start-up probe).
// A port that another handle holds exclusively counts as busy, for root too.
bool probeMeterDevice(const std::string& device);

} // namespace vt640
