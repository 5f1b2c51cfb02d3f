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

constexpr std::uint8_t crc8(const unsigned char* p, std::size_t n, std::uint8_t c = 0xFF)
{
    while (n--)
        c = kCrc[c ^ *p++];
    return c;
}
// The check byte's state after the marker, which never changes.
constexpr std::uint8_t kCrcAfterMarker = crc8(kMarker, sizeof kMarker);

// Whether the energy text ends (its NUL) before the block.
bool textLeavesRoom(const TBRecord& record) { return std::memchr(record.energyText, 0, kInText) != nullptr; }

} // namespace

bool writeRecordStamp(TBRecord& record, const ZonedInstant& at)
{
    if (!textLeavesRoom(record) || !isWritable(at))
        return false;
    // Numbers as their little-endian images (records are little-endian, t_b_record.h).
    unsigned char block[kStampSize];
    std::memcpy(block, kMarker, sizeof kMarker);
    std::memcpy(block + 4, &at.utcMs, 8);
    const auto offset = static_cast<std::int16_t>(at.offsetMinutes);
    std::memcpy(block + 12, &offset, 2);
    block[14] = 0;
    block[15] = crc8(block + 4, kStampSize - 5, kCrcAfterMarker);
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
    ZonedInstant at;
    std::memcpy(&at.utcMs, block + 4, 8);
    std::int16_t offset = 0;
    std::memcpy(&offset, block + 12, 2);
    at.offsetMinutes = offset;
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
