#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vt640 {

// The oldest logged record layout, 68 bytes (".r26" files). Its bytes are its
// file image: little-endian numbers, NUL-terminated texts in fixed arrays.
struct TRecord {
    char mainText[8] = {};
    char exponentText[4] = {};
    std::int32_t functionCode = 0;
    char timeText[16] = {};
    char valueText[16] = {};
    char prefixText[8] = {};
    char unitText[8] = {};
    float value = 0.0f;
};

static_assert(std::is_standard_layout_v<TRecord>);
static_assert(std::is_trivially_copyable_v<TRecord>);
static_assert(sizeof(TRecord) == 68);
static_assert(offsetof(TRecord, mainText) == 0);
static_assert(offsetof(TRecord, exponentText) == 8);
static_assert(offsetof(TRecord, functionCode) == 12);
static_assert(offsetof(TRecord, timeText) == 16);
static_assert(offsetof(TRecord, valueText) == 32);
static_assert(offsetof(TRecord, prefixText) == 48);
static_assert(offsetof(TRecord, unitText) == 56);
static_assert(offsetof(TRecord, value) == 64);

} // namespace vt640
