#pragma once

#include "recorder/core/record_head.h"

namespace vt640 {

// The 96-byte record layout (".r27" files): the 68 leading bytes followed by
// the sub-display and the status byte.
struct TARecord {
    RecordHead head;
    RecordSub sub;
};

static_assert(std::is_standard_layout_v<TARecord>);
static_assert(std::is_trivially_copyable_v<TARecord>);
static_assert(sizeof(TARecord) == 96);
static_assert(offsetof(TARecord, sub) == 68);
static_assert(offsetof(TARecord, sub) + offsetof(RecordSub, subFunction) == 84);
static_assert(offsetof(TARecord, sub) + offsetof(RecordSub, status) == 92);
static_assert(offsetof(TARecord, sub) + offsetof(RecordSub, padding) == 93);

} // namespace vt640
