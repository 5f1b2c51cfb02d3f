#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

namespace vt640 {

// The lines of the About box: 0-5 the meter model (string 52), the
// application title (1), the version (2), the release date (3) and the two
// notice lines (4, 5); line 6 names the operating system.
QStringList aboutLines();

// Line 6 for the running system: its name as the distribution gives it
// (QSysInfo::prettyProductName()), then the kernel's name and its major and
// minor version from uname(2), e.g.
// "System: Debian GNU/Linux 12 (bookworm), Linux 6.1".
QString systemLine();

// Line 6 for a product name, a kernel name and a kernel release text such as
// "6.1.0-18-amd64": of the release, the leading decimal numbers before and
// after the first "." (0 when absent). A product name that is empty, or only
// the kernel again (Qt's answer where the distribution names none), is left
// out.
QString systemLineFor(const QString& product, std::string_view kernel, std::string_view release);

} // namespace vt640
