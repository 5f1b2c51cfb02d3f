#include "app/core/settings_file.h"

#include "fileio/atomic_file.h"

#include "app/core/global_state.h"
#include "app/core/user_messages.h"
#include "meter/number_text.h"
#include "resources/string_table.h"

#include <QFile>

#include <cerrno>
#include <cmath>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

constexpr std::string_view kKeyPort = "iPort";
constexpr std::string_view kKeyHigh = "fHiLimit";
constexpr std::string_view kKeyLow = "fLowLimit";

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameKey(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    return true;
}

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

// The file name of string 7 without its leading separator.
QString settingsFileName()
{
    std::string_view name = stringText(Str::SettingsFileName);
    while (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        name.remove_prefix(1);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

// A value found in the file; `overlong` marks a line too long to be a number.
struct FoundValue {
    std::string_view text;
    bool overlong = false;
};

std::optional<int> portValue(const std::optional<FoundValue>& v)
{
    if (!v || v->overlong)
        return std::nullopt;
    return parseInteger(trimBlanks(v->text));
}

std::optional<double> limitValue(const std::optional<FoundValue>& v)
{
    if (!v || v->overlong)
        return std::nullopt;
    // The limits are written in 15 digits; read so that the form the largest
    // limit is written in comes back as a limit, not as out of range.
    const std::optional<double> d = parseGeneral15(v->text);
    if (!d || !std::isfinite(*d))
        return std::nullopt;
    return d;
}

} // namespace

SettingsFile::SettingsFile(QString directory) : directory_(std::move(directory)) {}

QString SettingsFile::path() const
{
    if (directory_.isEmpty())
        return settingsFileName();
    if (directory_.endsWith(QLatin1Char('/')))
        return directory_ + settingsFileName();
    return directory_ + QLatin1Char('/') + settingsFileName();
}

QString SettingsFile::temporaryPath() const
{
    return path() + QLatin1Char('.') + QString::number(::getpid()) + QStringLiteral(".tmp");
}

Settings SettingsFile::parse(std::string_view contents, bool* complete)
{
    std::optional<FoundValue> port, high, low;

    // Some editors start a UTF-8 file with a byte-order mark; it belongs to
    // no key.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (contents.substr(0, kByteOrderMark.size()) == kByteOrderMark)
        contents.remove_prefix(kByteOrderMark.size());

    std::size_t pos = 0;
    while (pos < contents.size()) {
        // CR LF, LF or CR alone ends a line.
        std::size_t end = contents.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = contents.size();
        const std::string_view line = contents.substr(pos, end - pos);
        pos = end + 1;
        if (end < contents.size() && contents[end] == '\r' && pos < contents.size() && contents[pos] == '\n')
            ++pos;

        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, eq);
        const FoundValue value{line.substr(eq + 1), line.size() > kMaxLineBytes};
        if (!port && sameKey(key, kKeyPort))
            port = value;
        else if (!high && sameKey(key, kKeyHigh))
            high = value;
        else if (!low && sameKey(key, kKeyLow))
            low = value;
    }

    const std::optional<int> p = portValue(port);
    const std::optional<double> h = limitValue(high);
    const std::optional<double> l = limitValue(low);
    const bool ok = p && h && l;
    if (complete)
        *complete = ok;
    if (!ok)
        return kDefaults;
    return Settings{*p, *h, *l};
}

std::string SettingsFile::format(const Settings& settings)
{
    std::string text;
    text += kKeyPort;
    text += '=';
    text += std::to_string(settings.iPort);
    text += "\r\n";
    text += kKeyHigh;
    text += '=';
    text += formatGeneral15(settings.fHiLimit);
    text += "\r\n";
    text += kKeyLow;
    text += '=';
    text += formatGeneral15(settings.fLowLimit);
    text += "\r\n";
    return text;
}

SettingsReadResult SettingsFile::read() const
{
    SettingsReadResult result;
    const QString filePath = path();
    const QByteArray native = QFile::encodeName(filePath);

    auto unreadable = [&] {
        result.status = SettingsReadStatus::Unreadable;
        result.settings = kDefaults;
        result.errorText = loadFormatted(Str::CannotOpenFile, {filePath});
        return result;
    };

    // Non-blocking so that a FIFO planted at the path cannot hang start-up.
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            result.status = SettingsReadStatus::Missing;
            result.settings = kDefaults;
            return result;
        }
        return unreadable();
    }

    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return unreadable();
    }

    std::string contents;
    bool truncated = false;
    char buffer[65536];
    for (;;) {
        const std::size_t room = kMaxFileBytes - contents.size();
        if (room == 0) {
            truncated = true;
            break;
        }
        const ssize_t n = ::read(fd, buffer, std::min(room, sizeof buffer));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return unreadable();
        }
        if (n == 0)
            break;
        contents.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);

    if (truncated) {
        // Drop the line that the size limit cut in two.
        const std::size_t lastBreak = contents.find_last_of("\r\n");
        contents.resize(lastBreak == std::string::npos ? 0 : lastBreak + 1);
    }

    bool complete = false;
    result.settings = parse(contents, &complete);
    result.status = complete ? SettingsReadStatus::Ok : SettingsReadStatus::Defaulted;
    return result;
}

bool SettingsFile::write(const Settings& settings, QString* errorText) const
{
    // Written beside the file under this process's temporary name and
    // renamed over it once on disk: a reader finds the old file or the new
    // one, and a link planted at either name is never followed.
    const QString filePath = path();
    AtomicFile file(QFile::encodeName(filePath).toStdString());
    file.setTemporaryPath(QFile::encodeName(temporaryPath()).toStdString());
    file.setNewFileMode(0644);
    if (file.open() && file.write(format(settings)) && file.commit())
        return true;
    if (errorText)
        *errorText = loadFormatted(Str::CannotCreateFile, {filePath});
    return false;
}

SettingsReadResult loadSettings(GlobalState& state)
{
    SettingsReadResult result = SettingsFile(state.workingDirectory).read();
    if (result.status != SettingsReadStatus::Unreadable) {
        state.iPort = result.settings.iPort;
        state.fHiLimit = result.settings.fHiLimit;
        state.fLowLimit = result.settings.fLowLimit;
    }
    return result;
}

bool saveSettings(const GlobalState& state, double hiLimit, double lowLimit, QString* errorText)
{
    return SettingsFile(state.workingDirectory).write(Settings{state.iPort, hiLimit, lowLimit}, errorText);
}

} // namespace vt640
