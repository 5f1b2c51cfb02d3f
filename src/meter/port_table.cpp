#include "meter/port_table.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace vt640 {

namespace {

// The user's home folder: $HOME, or the password database when it is unset.
std::filesystem::path homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0')
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return pw->pw_dir;
    return "/";
}

} // namespace

std::string PortTable::portName(int number)
{
    if (!isValidNumber(number))
        return {};
    return "COM" + std::to_string(number);
}

int PortTable::portNumber(const std::string& name)
{
    for (int n = kFirst; n <= kLast; ++n)
        if (portName(n) == name)
            return n;
    return 0;
}

std::filesystem::path PortTable::portsFolder()
{
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    std::filesystem::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && xdg[0] == '/')
        config = xdg;
    else
        config = homeFolder() / ".config";
    return config / "vt640" / "ports";
}

std::string PortTable::defaultDevice(int number)
{
    if (number >= 1 && number <= 4)
        return "/dev/ttyS" + std::to_string(number - 1);
    if (number >= 5 && number <= 8)
        return "/dev/ttyUSB" + std::to_string(number - 5);
    if (number >= 9 && number <= 10)
        return "/dev/ttyACM" + std::to_string(number - 9);
    return {};
}

std::string PortTable::devicePath(int number) const
{
    if (!isValidNumber(number))
        return {};
    if (auto it = overrides_.find(number); it != overrides_.end())
        return it->second;

    // The link itself is returned (not its target): opening follows it, so a
    // link the user re-points takes effect at the next open.
    const std::filesystem::path link = portsFolder() / portName(number);
    std::error_code ec;
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, ec)))
        return link.string();
    return defaultDevice(number);
}

void PortTable::setOverride(int number, const std::string& device)
{
    if (isValidNumber(number))
        overrides_[number] = device;
}

void PortTable::clearOverride(int number) { overrides_.erase(number); }

} // namespace vt640
