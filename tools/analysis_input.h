#pragma once

#include "commands.h"

#include "analysis/record_times.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/record_dating.h"
#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// What stats and events share: reading a logger file record by record with
// each record's time, and writing numbers and durations.

struct DatingChoice {
    std::optional<vt640::RecordLayout> layout; // empty: the file's name tells it
    std::optional<vt640::CalendarDate> date;   // the first record's date, for files without stamps
    std::optional<std::string> dateText;
};

// Reads --layout and --date; the usage error, or empty.
std::string parseFileReading(const FileReading& options, DatingChoice& choice);

// The times of a file's records, undated ones dated as `choice` says, in
// this machine's zone.
vt640::analysis::RecordTimes recordTimes(const DatingChoice& choice);

// Hands each record of `path`, with its time, to `take`, in file order;
// false after telling why on standard error.
bool walkRecords(const std::string& path, const DatingChoice& choice, vt640::analysis::RecordTimes& times,
                 const std::function<void(const vt640::TBRecord&, const vt640::analysis::RecordTime&)>& take);

// What to say of records whose date is not their own; empty when every
// record carries its stamp.
std::string datingNote(const vt640::analysis::RecordTimes& times, const DatingChoice& choice);

// A number as the shortest text that reads back to it ("229.9", not
// "229.899994"), with "." whatever the locale.
std::string numberText(float value);
// A number with up to `digits` significant digits.
std::string numberText(double value, int digits);
// Seconds with milliseconds: "12.750".
std::string secondsText(std::int64_t ms);
// A length of time as a person reads it: "0:30:00.000", "2d 01:00:00.000".
std::string durationText(std::int64_t ms);
