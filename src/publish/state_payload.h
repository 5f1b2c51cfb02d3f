#pragma once

#include "recorder/core/t_b_record.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640::publish {

struct Quantity;

// When a record was made: UTC milliseconds since the Unix epoch and the
// local offset from UTC that was in force, in minutes.
struct RecordInstant {
    std::int64_t utcMs = 0;
    int offsetMinutes = 0;

    // This moment, with this machine's present offset.
    static RecordInstant now();
    // Whether it can be written as RFC 3339 (years 0 to 9999, an offset
    // under a day).
    bool valid() const;
};

// "2026-12-08T14:05:09.300+01:00": the local time with its offset.
std::string rfc3339(const RecordInstant& instant);

// The state message of one logged record, one JSON object: its time, its
// index in the logger file, the value in base units (null for a status
// display such as "PAUS"), its quantity, unit, prefix and function, the
// meter's texts, the power factor where the sub-display shows one, the
// energy sum and the status marks. A record's own instant is used where it
// has one; otherwise `fallback` (the time it is published).
std::string statePayload(const TBRecord& record, std::int64_t seq, std::optional<std::int64_t> utcMs, int offsetMinutes,
                         const RecordInstant& fallback = RecordInstant::now());

// The quantities a record gives values for: that of its value, the power
// factor and the energy sum, each only where the record has it. At most three.
struct RecordQuantities {
    const Quantity* items[3] = {};
    int count = 0;
};
RecordQuantities quantitiesOf(const TBRecord& record);

// The power factor the sub-display shows, if it shows one.
std::optional<double> powerFactorOf(const TBRecord& record);
// The energy sum in kWh, if the record carries one (not "----").
std::optional<double> energyOf(const TBRecord& record);

} // namespace vt640::publish
