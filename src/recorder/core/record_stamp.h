#pragma once

#include "recorder/core/t_b_record.h"
#include "recorder/core/zoned_instant.h"

#include <cstddef>
#include <optional>
#include <string>

namespace vt640 {

// A record's date: the instant it was logged and the local offset then, in
// the last 16 bytes of its energy text (record offsets 112 to 127). Every
// reader of the text stops at its NUL, which for any energy below 10^11 kWh
// comes well before them, so the stamp changes nothing that is shown or
// exported. The block, little-endian:
//
//   0..3   marker "VTS" and the block's version, 1
//   4..11  the instant, int64 milliseconds since 1970-01-01T00:00:00Z
//   12..13 the local offset from UTC, int16 minutes
//   14     0
//   15     CRC-8 (polynomial 0x07, initial 0xFF) of bytes 0..14
//
// Records widened from the older layouts, and records made by other
// programs, have none.
inline constexpr std::size_t kStampOffset = 112;
inline constexpr std::size_t kStampSize = 16;

// Writes the stamp into `record`, whose energy text is already set. False,
// and nothing written, when the energy text reaches into the block or `at`
// cannot be written as a date.
bool writeRecordStamp(TBRecord& record, const ZonedInstant& at);

// The stamp of `record`; empty when its last 16 bytes hold no valid block
// (wrong marker, version or check byte, a text reaching into them, or a
// date that cannot be written).
std::optional<ZonedInstant> recordStamp(const TBRecord& record);

// Zeroes the block's bytes, as a record logged without a stamp has them.
void clearRecordStamp(TBRecord& record);

// The date, time and zone of a stamped record for a tooltip, e.g.
// "2026-12-08 14:05:09.300 UTC+01:00"; empty without a stamp.
std::string recordDateTimeTip(const TBRecord& record);

} // namespace vt640
