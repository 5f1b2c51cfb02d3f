#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

namespace vt640 {

// The lines of the About box: 0-5 the meter model (string 52), the
// application title (1), the version (2), the release date (3) and the two
// notice lines (4, 5); line 6 names the operating system.
QStringList aboutLines();

// Line 6 for the running kernel: "System: Unknown " followed by the kernel's
// major and minor version from uname(2), e.g. "System: Unknown 6.1".
QString systemLine();

// Line 6 for a kernel release text such as "6.1.0-18-amd64": the leading
// decimal numbers before and after the first "." (0 when absent).
QString systemLineFor(std::string_view release);

} // namespace vt640
