#pragma once

#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vt640::publish {

// Records as InfluxDB line protocol, one point a record:
//
//   vt640,function=AC\ volts,meter=logbox-com5,unit=V value=230.1,energy_kwh=0.083,pf=0.98 1796770680000000000
//
// measurement `vt640`; tags `function` (the function's name), `meter` and
// `unit` (the unit of the value in base units), each left out where empty;
// fields `value` where the display showed a number, `energy_kwh` where the
// record carries the energy sum, `pf` where the sub-display shows the power
// factor, `sub_value` where it shows another number, and `display` (a
// string) for an overload or a status display, so that every record makes
// a point; the time in nanoseconds since 1970 (UTC).

// Tag keys and values, and field keys: a comma, an equals sign and a blank
// escaped with a backslash. Characters a line cannot carry (line breaks and
// other control characters) and backslashes, which would escape what
// follows them, become '_'.
void appendTagText(std::string& out, std::string_view text);
// A string field's value in double quotes: a quote and a backslash escaped.
void appendStringField(std::string& out, std::string_view text);

// Appends the record's line with its newline; false (nothing appended)
// for a record with nothing to write.
bool appendLineProtocol(std::string& out, const TBRecord& record, std::int64_t utcMs, std::string_view meterId);

// Whether `id` can be the meter tag as it stands: 1 to 64 printable
// characters without blanks, commas, equals signs, quotes or backslashes.
bool isValidMeterTag(std::string_view id);

} // namespace vt640::publish
