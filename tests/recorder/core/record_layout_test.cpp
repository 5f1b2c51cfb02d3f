// The record family's bytes are its file image.
#include "recorder/core/record_text.h"
#include "recorder/core/t_b_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace vt640;

namespace {

template <typename T>
std::string bytesOf(const T& r)
{
    return std::string(reinterpret_cast<const char*>(&r), sizeof r);
}

} // namespace

TEST(RecordLayout, NumbersAreLittleEndianAtTheirOffsets)
{
    TBRecord r;
    r.head.functionCode = 0x00040001;
    r.head.value = 1234.0f; // 0x449A4000
    r.sub.status = 0xA5;
    const std::string b = bytesOf(r);
    ASSERT_EQ(b.size(), 128u);
    EXPECT_EQ(std::string("\x01\x00\x04\x00", 4), b.substr(12, 4));
    EXPECT_EQ(std::string("\x00\x40\x9A\x44", 4), b.substr(64, 4));
    EXPECT_EQ('\xA5', b[92]);
}

TEST(RecordLayout, DefaultRecordIsAllZeroBytes)
{
    const std::string b = bytesOf(TBRecord{});
    EXPECT_EQ(std::string(128, '\0'), b);
}

TEST(RecordLayout, TextsLandAtTheirOffsets)
{
    TBRecord r;
    copyText(r.head.mainText, "1.234");
    copyText(r.head.exponentText, "3");
    copyText(r.head.timeText, " 14:05:09.3  ");
    copyText(r.head.valueText, "1234");
    copyText(r.head.prefixText, "k");
    copyText(r.head.unitText, "V");
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    copyText(r.energyText, "00.012");
    const std::string b = bytesOf(r);
    EXPECT_EQ(b.substr(0, 6), std::string("1.234\0", 6));
    EXPECT_EQ(b.substr(8, 2), std::string("3\0", 2));
    EXPECT_EQ(b.substr(16, 14), std::string(" 14:05:09.3  \0", 14));
    EXPECT_EQ(b.substr(32, 5), std::string("1234\0", 5));
    EXPECT_EQ(b.substr(48, 2), std::string("k\0", 2));
    EXPECT_EQ(b.substr(56, 2), std::string("V\0", 2));
    EXPECT_EQ(b.substr(68, 5), std::string("0.98\0", 5));
    EXPECT_EQ(b.substr(84, 3), std::string("PF\0", 3));
    EXPECT_EQ(b.substr(96, 7), std::string("00.012\0", 7));
}

TEST(RecordText, LongTextIsCutToTheUsableLengthAndTerminated)
{
    TBRecord r;
    std::memset(static_cast<void*>(&r), 'x', sizeof r);
    copyText(r.head.mainText, "123456789012"); // 8-byte field: 7 characters fit
    EXPECT_EQ(std::string(r.head.mainText, 8), std::string("1234567\0", 8));
    EXPECT_EQ(fieldText(r.head.mainText), "1234567");
    copyText(r.head.exponentText, "");
    EXPECT_EQ(std::string(r.head.exponentText, 4), std::string(4, '\0'));
    copyText(r.energyText, std::string(40, '9'));
    EXPECT_EQ(fieldText(r.energyText), std::string(31, '9'));
    EXPECT_EQ(r.energyText[31], '\0');
    // The neighbours are untouched.
    EXPECT_EQ(r.head.functionCode, 0x78787878);
}

TEST(RecordText, UnterminatedFieldReadsToItsEnd)
{
    char field[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(fieldText(field), "abcd");
    char shorter[4] = {'a', '\0', 'c', 'd'};
    EXPECT_EQ(fieldText(shorter), "a");
}

TEST(RecordLayout, OlderLayoutsWidenKeepingTheFirst68Bytes)
{
    TARecord a;
    copyText(a.head.mainText, "OL");
    a.head.functionCode = 5;
    a.head.value = 6.6f;
    copyText(a.sub.subText, "0.5");
    copyText(a.sub.subFunction, "PF");
    a.sub.status = 0x21;
    const TBRecord b = TBRecord::fromOlder(a);
    EXPECT_EQ(bytesOf(b).substr(0, 68), bytesOf(a).substr(0, 68));
    EXPECT_EQ(fieldText(b.sub.subText), "");
    EXPECT_EQ(fieldText(b.sub.subFunction), "");
    EXPECT_EQ(b.sub.status, 0);
    EXPECT_EQ(fieldText(b.energyText), "");

    TRecord r;
    copyText(r.head.valueText, "12.5");
    r.head.value = 12.5f;
    const TBRecord b2 = TBRecord::fromOlder(r);
    EXPECT_EQ(bytesOf(b2).substr(0, 68), bytesOf(r));
    EXPECT_EQ(bytesOf(b2).substr(68), std::string(60, '\0'));
}
