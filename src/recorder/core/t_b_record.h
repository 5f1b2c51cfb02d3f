#pragma once

#include "recorder/core/t_a_record.h"
#include "recorder/core/t_record.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace vt640 {

// The record the recorder logs and keeps, 128 bytes (".640" and temporary
// files): TARecord's 96 bytes followed by the accumulated energy text.
struct TBRecord {
    char mainText[8] = {};
    char exponentText[4] = {};
    std::int32_t functionCode = 0;
    char timeText[16] = {};
    char valueText[16] = {};
    char prefixText[8] = {};
    char unitText[8] = {};
    float value = 0.0f;
    char subText[16] = {};
    char subFunction[8] = {};
    std::uint8_t status = 0;
    std::uint8_t padding[3] = {};
    char energyText[32] = {};

    // The older layouts widen to this one: the first 68 bytes are kept, the
    // rest is left empty (a 96-byte record's sub-display and status are dropped).
    static TBRecord fromOlder(const TRecord& r)
    {
        TBRecord b;
        std::memcpy(static_cast<void*>(&b), &r, sizeof r);
        return b;
    }
    static TBRecord fromOlder(const TARecord& r)
    {
        TBRecord b;
        std::memcpy(static_cast<void*>(&b), &r, sizeof(TRecord));
        return b;
    }
};

static_assert(std::is_standard_layout_v<TBRecord>);
static_assert(std::is_trivially_copyable_v<TBRecord>);
static_assert(sizeof(TBRecord) == 128);
static_assert(offsetof(TBRecord, mainText) == 0);
static_assert(offsetof(TBRecord, exponentText) == 8);
static_assert(offsetof(TBRecord, functionCode) == 12);
static_assert(offsetof(TBRecord, timeText) == 16);
static_assert(offsetof(TBRecord, valueText) == 32);
static_assert(offsetof(TBRecord, prefixText) == 48);
static_assert(offsetof(TBRecord, unitText) == 56);
static_assert(offsetof(TBRecord, value) == 64);
static_assert(offsetof(TBRecord, subText) == 68);
static_assert(offsetof(TBRecord, subFunction) == 84);
static_assert(offsetof(TBRecord, status) == 92);
static_assert(offsetof(TBRecord, energyText) == 96);
static_assert(sizeof(float) == 4 && sizeof(std::int32_t) == 4);
// Records are written and read as raw images, which are little-endian.
static_assert(std::endian::native == std::endian::little);

} // namespace vt640
