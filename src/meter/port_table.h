#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace vt640 {

// The fixed table of port names "COM1" to "COM10" and the Linux device each
// name stands for. A symbolic link named COMn in the user's ports folder
// ($XDG_CONFIG_HOME/vt640/ports, default ~/.config/vt640/ports) wins over the
// built-in mapping: COM1-4 -> /dev/ttyS0-3, COM5-8 -> /dev/ttyUSB0-3,
// COM9-10 -> /dev/ttyACM0-1. A run may also map a number to a device of its
// own (the demo meter's pseudo-terminal); such an override wins over both.
class PortTable {
public:
    static constexpr int kFirst = 1;
    static constexpr int kLast = 10;

    static bool isValidNumber(int number) { return number >= kFirst && number <= kLast; }
    // "COM1" .. "COM10", or empty for a number that names no port.
    static std::string portName(int number);
    // The number of a name "COM1" .. "COM10"; 0 for any other text.
    static int portNumber(const std::string& name);
    // The folder that holds the COMn links.
    static std::filesystem::path portsFolder();
    // The device a port name stands for without links or overrides.
    static std::string defaultDevice(int number);

    // The device path that opening port `number` opens now; empty if the
    // number names no port.
    std::string devicePath(int number) const;

    // Maps `number` to `device` for the life of this table (not persisted).
    void setOverride(int number, const std::string& device);
    void clearOverride(int number);

private:
    std::map<int, std::string> overrides_;
};

} // namespace vt640
