// libFuzzer target: any bytes as the contents of the settings file, through
// the reader. Whatever the reader makes of them, the file the program writes
// from it at exit must read back complete and unchanged: a value the program
// wrote is never lost to the defaults.
#include "app/core/settings_file.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view contents(reinterpret_cast<const char*>(data), size);
    const vt640::Settings read = vt640::SettingsFile::parse(contents);

    const std::string written = vt640::SettingsFile::format(read);
    bool complete = false;
    const vt640::Settings back = vt640::SettingsFile::parse(written, &complete);
    if (!complete || vt640::SettingsFile::format(back) != written)
        __builtin_trap();
    return 0;
}
