#pragma once

#include "recorder/core/t_a_record.h"
#include "recorder/core/t_record.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vt640 {

// The record the recorder logs and keeps, 128 bytes (".640" and temporary
// files): the 96 bytes of the older layout followed by the accumulated
// energy text.
struct TBRecord {
    RecordHead head;
    RecordSub sub;
    char energyText[32] = {};

    // The older layouts widen to this one: the leading 68 bytes are kept, the
    // rest is left empty (a 96-byte record's sub-display and status are dropped).
    static TBRecord fromOlder(const TRecord& r)
    {
        TBRecord b;
        b.head = r.head;
        return b;
    }
    static TBRecord fromOlder(const TARecord& r)
    {
        TBRecord b;
        b.head = r.head;
        return b;
    }
};

static_assert(std::is_standard_layout_v<TBRecord>);
static_assert(std::is_trivially_copyable_v<TBRecord>);
static_assert(sizeof(TBRecord) == 128);
static_assert(offsetof(TBRecord, head) == 0);
static_assert(offsetof(TBRecord, sub) == 68);
static_assert(offsetof(TBRecord, energyText) == 96);
static_assert(sizeof(float) == 4 && sizeof(std::int32_t) == 4);
// Records are written and read as raw images, which are little-endian.
static_assert(std::endian::native == std::endian::little);

} // namespace vt640
