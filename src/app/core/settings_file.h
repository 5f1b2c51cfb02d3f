#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace vt640 {

class GlobalState;

// The three values kept between runs.
struct Settings {
    int iPort = 2;
    double fHiLimit = 300.0;
    double fLowLimit = 100.0;

    bool operator==(const Settings&) const = default;
};

enum class SettingsReadStatus {
    Ok,         // all three values read from the file
    Defaulted,  // file read, but a value was missing or unusable: all three defaults
    Missing,    // no file yet (first start): all three defaults, nothing to report
    Unreadable, // the file exists but cannot be read: errorText says so
};

struct SettingsReadResult {
    SettingsReadStatus status = SettingsReadStatus::Missing;
    Settings settings; // the defaults unless status is Ok
    QString errorText; // "Cannot open file <path>" when Unreadable
};

// The settings file "KORUDL.ini" in the start-up directory: plain 8-bit text,
// lines "key=value" ended by CR LF, keys "iPort", "fHiLimit", "fLowLimit".
//
// Reading: a leading UTF-8 byte-order mark is skipped. A key is the text
// before the first "=" of its line, compared
// without regard to ASCII case; the first matching line wins; other lines are
// ignored. Lines may also end with LF or CR alone. iPort is a decimal integer
// (surrounding blanks allowed), the limits are decimal numbers with "."
// whatever the locale; the 15-digit form of the largest double, which lies
// just beyond it, reads as the largest double, so that every limit written
// reads back. If any of the three is missing, malformed or out of range, all
// three take the defaults. A port number outside 1..10 is
// returned as read: it names no port, and the caller opening it gets no
// handle and shows W8001.
//
// Any content is accepted without harm: binary bytes and NULs are ordinary
// characters, at most kMaxFileBytes are looked at, and a line longer than
// kMaxLineBytes counts as malformed when its key is one of the three.
//
// Writing: exactly three lines, iPort, fHiLimit, fLowLimit, CR LF each, the
// limits in printf "%.15g" form with "." (12.5 -> "12.5", 100 -> "100").
// The text goes to a new file beside the target, created exclusively and
// without following links, is flushed to disk, and then renamed over the
// target; a symbolic link planted at the target is replaced, never followed.
// On failure the temporary file is removed and the old file stays whole.
class SettingsFile {
public:
    static constexpr Settings kDefaults{};
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;
    static constexpr std::size_t kMaxLineBytes = 64u * 1024u;

    // `directory` is the start-up directory without a trailing separator; an
    // empty directory means the current one.
    explicit SettingsFile(QString directory);

    // Full path of the settings file.
    QString path() const;
    // The temporary file written before it replaces the settings file.
    QString temporaryPath() const;

    SettingsReadResult read() const;
    // False on failure, with "Cannot create file <path>" in `errorText`.
    bool write(const Settings& settings, QString* errorText = nullptr) const;

    // The values in a file's contents; `complete` tells whether all three
    // were usable (if not, the defaults are returned).
    static Settings parse(std::string_view contents, bool* complete = nullptr);
    // The exact bytes write() puts in the file.
    static std::string format(const Settings& settings);

private:
    QString directory_;
};

// Start-up: reads the settings file of state.workingDirectory and, unless it
// is unreadable, puts the port number and both limits into `state`. An
// unreadable file leaves iPort and the limits untouched (1, 0.0, 0.0 at
// start-up); the caller shows result.errorText and skips opening the port.
SettingsReadResult loadSettings(GlobalState& state);

// Exit: writes state.iPort and the comparator's current limits. False with
// the error text to show when the file could not be written.
bool saveSettings(const GlobalState& state, double hiLimit, double lowLimit, QString* errorText = nullptr);

} // namespace vt640
