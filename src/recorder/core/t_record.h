#pragma once

#include "recorder/core/record_head.h"

namespace vt640 {

// The oldest logged record layout, 68 bytes (".r26" files).
struct TRecord {
    RecordHead head;
};

static_assert(std::is_standard_layout_v<TRecord>);
static_assert(std::is_trivially_copyable_v<TRecord>);
static_assert(sizeof(TRecord) == 68);

} // namespace vt640
