#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace vt640 {

// The 96-byte record layout (".r27" files): the 68 bytes of TRecord followed
// by the sub-display and the status byte. The fields are repeated rather than
// inherited so that the structure stays standard-layout.
struct TARecord {
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
};

static_assert(std::is_standard_layout_v<TARecord>);
static_assert(std::is_trivially_copyable_v<TARecord>);
static_assert(sizeof(TARecord) == 96);
static_assert(offsetof(TARecord, value) == 64);
static_assert(offsetof(TARecord, subText) == 68);
static_assert(offsetof(TARecord, subFunction) == 84);
static_assert(offsetof(TARecord, status) == 92);
static_assert(offsetof(TARecord, padding) == 93);

} // namespace vt640
