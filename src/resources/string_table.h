#pragma once

#include "resources/string_ids.h"

#include <span>
#include <string_view>

namespace vt640 {

// The program's numbered string table (the names are in string_ids.h). Every text the user reads (window and
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
    Str id;
    std::string_view text;
};

// The text of string `id`.
std::string_view stringText(Str id);

// Whether `number` names a string (for numbers that come from outside, such
// as a caption a user quotes).
bool hasString(int number);

// The whole table, ordered by number (for checks and tools).
std::span<const StringEntry> allStrings();

} // namespace vt640
