#pragma once

#include "recorder/core/record_dating.h"
#include "recorder/core/t_b_record.h"

#include <optional>
#include <string>

// One record as one line of JSON (a ".jsonl" file): when it was logged
// ("time" in RFC 3339 with its offset, "utcMs", and "dateInferred" when the
// date comes from --date or an earlier record rather than from the record's
// own stamp; null where it has no date), its buffer position "item" (from
// 1), every field of the record by its name (texts as UTF-8 of the stored
// 8-bit bytes, "value" the stored number), and "baseValue": the value in
// base units where the display showed a number, null for an overload such
// as "OL" or a status display such as "Strt".
void appendRecordJson(std::string& out, const vt640::TBRecord& record, int index,
                      const std::optional<vt640::RecordDating::Dated>& when);
