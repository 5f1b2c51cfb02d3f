#include "app/core/about_text.h"

#include "app/core/user_messages.h"
#include "resources/string_table.h"

#include <QSysInfo>

#include <sys/utsname.h>

namespace vt640 {
namespace {

// The decimal digits at the front of `s` (at most nine, so the number fits),
// consuming them.
QString leadingNumber(std::string_view& s)
{
    QString digits;
    while (!s.empty() && s.front() >= '0' && s.front() <= '9') {
        if (digits.size() < 9)
            digits += QLatin1Char(s.front());
        s.remove_prefix(1);
    }
    if (digits.isEmpty())
        return QStringLiteral("0");
    return QString::number(digits.toLongLong());
}

} // namespace

QString systemLineFor(const QString& product, std::string_view kernel, std::string_view release)
{
    const QString major = leadingNumber(release);
    QString minor = QStringLiteral("0");
    if (!release.empty() && release.front() == '.') {
        release.remove_prefix(1);
        minor = leadingNumber(release);
    }
    QString kernelName = QString::fromUtf8(kernel.data(), static_cast<qsizetype>(kernel.size())).trimmed();
    if (kernelName.isEmpty())
        kernelName = QStringLiteral("Unknown");
    const QString kernelText = kernelName + QLatin1Char(' ') + major + QLatin1Char('.') + minor;
    const QString name = product.trimmed();
    if (name.isEmpty() || name.startsWith(kernelName, Qt::CaseInsensitive))
        return QStringLiteral("System: ") + kernelText;
    return QStringLiteral("System: ") + name + QStringLiteral(", ") + kernelText;
}

QString systemLine()
{
    struct utsname name {};
    if (::uname(&name) != 0)
        return systemLineFor(QSysInfo::prettyProductName(), {}, {});
    return systemLineFor(QSysInfo::prettyProductName(), name.sysname, name.release);
}

QStringList aboutLines()
{
    return {
        loadString(Str::MeterModel),
        loadString(Str::AppTitle),
        loadString(Str::Version),
        loadString(Str::ReleaseDate),
        loadString(Str::Notice1),
        loadString(Str::Notice2),
        systemLine(),
    };
}

} // namespace vt640
