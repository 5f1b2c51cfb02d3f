#include "recorder/core/record_stamp.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vt640 {
namespace {

constexpr std::size_t kInText = kStampOffset - offsetof(TBRecord, energyText);
static_assert(kInText == 16 && kInText + kStampSize == sizeof(TBRecord::energyText));

constexpr unsigned char kMarker[4] = {'V', 'T', 'S', 1};

constexpr std::array<std::uint8_t, 256> crcTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) {
        auto c = static_cast<std::uint8_t>(i);
        for (int bit = 0; bit < 8; ++bit)
            c = static_cast<std::uint8_t>((c & 0x80) ? (c << 1) ^ 0x07 : c << 1);
        table[static_cast<std::size_t>(i)] = c;
    }
    return table;
}
constexpr auto kCrc = crcTable();

std::uint8_t crc8(const unsigned char* p, std::size_t n)
{
    std::uint8_t c = 0xFF;
    while (n--)
        c = kCrc[c ^ *p++];
    return c;
}

// Whether the energy text ends (its NUL) before the block.
bool textLeavesRoom(const TBRecord& record) { return std::memchr(record.energyText, 0, kInText) != nullptr; }

} // namespace

bool writeRecordStamp(TBRecord& record, const ZonedInstant& at)
{
    if (!textLeavesRoom(record) || !isWritable(at))
        return false;
    unsigned char block[kStampSize] = {};
    std::memcpy(block, kMarker, sizeof kMarker);
    const auto ms = static_cast<std::uint64_t>(at.utcMs);
    for (int i = 0; i < 8; ++i)
        block[4 + i] = static_cast<unsigned char>(ms >> (8 * i));
    const auto offset = static_cast<std::uint16_t>(static_cast<std::int16_t>(at.offsetMinutes));
    block[12] = static_cast<unsigned char>(offset);
    block[13] = static_cast<unsigned char>(offset >> 8);
    block[15] = crc8(block, kStampSize - 1);
    std::memcpy(record.energyText + kInText, block, kStampSize);
    return true;
}

std::optional<ZonedInstant> recordStamp(const TBRecord& record)
{
    if (!textLeavesRoom(record))
        return std::nullopt;
    unsigned char block[kStampSize];
    std::memcpy(block, record.energyText + kInText, kStampSize);
    if (std::memcmp(block, kMarker, sizeof kMarker) != 0 || block[14] != 0 || crc8(block, kStampSize - 1) != block[15])
        return std::nullopt;
    std::uint64_t ms = 0;
    for (int i = 0; i < 8; ++i)
        ms |= static_cast<std::uint64_t>(block[4 + i]) << (8 * i);
    const auto offset = static_cast<std::int16_t>(static_cast<std::uint16_t>(block[12] | block[13] << 8));
    const ZonedInstant at{static_cast<std::int64_t>(ms), offset};
    if (!isWritable(at))
        return std::nullopt;
    return at;
}

void clearRecordStamp(TBRecord& record) { std::memset(record.energyText + kInText, 0, kStampSize); }

std::string recordDateTimeTip(const TBRecord& record)
{
    const auto at = recordStamp(record);
    if (!at)
        return {};
    // The RFC 3339 text, made easier on the eye.
    std::string text = rfc3339(*at);
    text[10] = ' ';
    text.insert(23, " UTC");
    return text;
}

} // namespace vt640
