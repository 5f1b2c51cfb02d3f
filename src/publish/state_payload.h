#pragma once

#include "recorder/core/t_b_record.h"
#include "recorder/core/zoned_instant.h"

#include <cstdint>
#include <optional>
#include <string>

namespace vt640::publish {

struct Quantity;

// The state message of one logged record, one JSON object: its time, its
// index in the logger file, the value in base units (null for a status
// display such as "PAUS"), its quantity, unit, prefix and function, the
// meter's texts, the power factor where the sub-display shows one, the
// energy sum and the status marks. The record's own instant (its time
// stamp) is used where it has one that can be written; otherwise
// `published`, the time it is published.
std::string statePayload(const TBRecord& record, std::int64_t seq, const std::optional<ZonedInstant>& own,
                         const ZonedInstant& published);

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
