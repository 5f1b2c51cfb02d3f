#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vt640 {

// The fields every logged record starts with, 68 bytes: the reading's texts,
// its function code, the time stamp and the value. The three record layouts
// (68, 96 and 128 bytes) lead with it, so their common part is written once
// and each stays standard-layout. Its bytes are its file image:
// little-endian numbers, NUL-terminated texts in fixed arrays.
struct RecordHead {
    char mainText[8] = {};
    char exponentText[4] = {};
    std::int32_t functionCode = 0;
    char timeText[16] = {};
    char valueText[16] = {};
    char prefixText[8] = {};
    char unitText[8] = {};
    float value = 0.0f;
};

static_assert(std::is_standard_layout_v<RecordHead>);
static_assert(std::is_trivially_copyable_v<RecordHead>);
static_assert(sizeof(RecordHead) == 68);
static_assert(offsetof(RecordHead, mainText) == 0);
static_assert(offsetof(RecordHead, exponentText) == 8);
static_assert(offsetof(RecordHead, functionCode) == 12);
static_assert(offsetof(RecordHead, timeText) == 16);
static_assert(offsetof(RecordHead, valueText) == 32);
static_assert(offsetof(RecordHead, prefixText) == 48);
static_assert(offsetof(RecordHead, unitText) == 56);
static_assert(offsetof(RecordHead, value) == 64);

// The sub-display and status that the 96- and 128-byte layouts add, with the
// three padding bytes after the status byte, 28 bytes.
struct RecordSub {
    char subText[16] = {};
    char subFunction[8] = {};
    std::uint8_t status = 0;
    std::uint8_t padding[3] = {};
};

static_assert(std::is_standard_layout_v<RecordSub>);
static_assert(sizeof(RecordSub) == 28);
static_assert(offsetof(RecordSub, subFunction) == 16);
static_assert(offsetof(RecordSub, status) == 24);

} // namespace vt640
