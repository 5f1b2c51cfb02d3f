#pragma once

#include <span>
#include <string_view>

namespace vt640 {

// The program's numbered string table. Every text the user reads (window and
// menu captions, hints, labels, information texts, warnings and errors) is an
// entry here, in UTF-8. Numbers are grouped by purpose:
//
//   1..7        application (title, version, release date, notices, file names)
//   10..52      meter family identifiers (52 is the meter this program serves)
//   100..107    window captions
//   200..206    acquisition interval dialog
//   307..332    export dialog
//   500..999    menu captions
//   1000..1055  tool-button hints
//   6001..7999  information and status texts, labels, file dialog filters
//   8000..8998  warning texts; 8999 the warning caption "Warning[W%d]"
//   9001..9998  error texts;   9999 the error caption "Error[E%d]"
//
// Format texts use printf's "%d" and "%s"; fill them with fillFormat()
// (app/user_messages.h), never with the C printf family.

struct StringEntry {
    int id;
    std::string_view text;
};

// The text of string `id`; empty for a number that names no string.
std::string_view stringText(int id);

// Whether `id` names a string (some strings could be empty texts).
bool hasString(int id);

// The whole table, ordered by id (for checks and tools).
std::span<const StringEntry> allStrings();

// Well-known numbers.
namespace sid {
inline constexpr int kAppTitle = 1;
inline constexpr int kVersion = 2;
inline constexpr int kReleaseDate = 3;
inline constexpr int kNotice1 = 4;
inline constexpr int kNotice2 = 5;
inline constexpr int kTempFileStem = 6;
inline constexpr int kSettingsFileName = 7;
inline constexpr int kMeterModel = 52;

inline constexpr int kCannotOpenFile = 6001;   // "Cannot open file %s"
inline constexpr int kCannotCreateFile = 6002; // "Cannot create file %s"
inline constexpr int kNotAFloat = 6003;        // "'%s' is not a valid floating point value"
inline constexpr int kOk = 6013;               // "OK"
inline constexpr int kAboutCaption = 6014;     // "About"

inline constexpr int kWarningCaption = 8999; // "Warning[W%d]"
inline constexpr int kErrorCaption = 9999;   // "Error[E%d]"
} // namespace sid

} // namespace vt640
