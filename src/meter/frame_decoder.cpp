#include "meter/frame_decoder.h"

#include "meter/number_text.h"

#include <array>

namespace vt640 {
namespace {

constexpr std::uint8_t kMark = 0x08; // bit 3 of a digit byte: sign or point

constexpr std::array<char, 256> makeSegmentTable()
{
    std::array<char, 256> t{};
    for (auto& c : t)
        c = '?';
    t[0x00] = ' ';
    t[0x20] = '-';
    t[0x24] = 'r';
    t[0x27] = 'F';
    t[0x37] = 'P';
    t[0x40] = 'i';
    t[0x50] = '1';
    t[0x51] = '7';
    t[0x64] = 'n';
    t[0x72] = '4';
    t[0x73] = 'g';
    t[0x76] = 'H';
    t[0x77] = 'A';
    t[0x86] = 'L';
    t[0x87] = 'C';
    t[0xA6] = 't';
    t[0xA7] = 'E';
    t[0xB5] = '2';
    t[0xC4] = 'u';
    t[0xD6] = 'U';
    t[0xD7] = '0';
    t[0xE3] = '5';
    t[0xE4] = 'o';
    t[0xE6] = 'b';
    t[0xE7] = '6';
    t[0xF1] = '3';
    t[0xF2] = 'y';
    t[0xF3] = '9';
    t[0xF4] = 'd';
    t[0xF7] = '8';
    return t;
}
constexpr auto kSegments = makeSegmentTable();

constexpr bool bit(std::uint8_t byte, int n) { return (byte >> n) & 1u; }

char digitAt(const MeterFrame& f, int index) { return segmentToChar(static_cast<std::uint8_t>(f[index] & ~kMark)); }

// Annunciator bits of the frame and the function-code bit each one sets.
struct CodeBit {
    std::uint8_t byte;
    std::uint8_t frameBit;
    std::uint8_t codeBit;
};
constexpr CodeBit kCodeBits[] = {
    {3, 4, 0}, {3, 5, 19}, {8, 4, 31}, {9, 0, 20}, {9, 1, 2},   {9, 2, 9},   {9, 3, 17},
    {9, 4, 7}, {9, 5, 10}, {9, 7, 18}, {10, 3, 8}, {10, 5, 16}, {10, 6, 11},
};

std::uint32_t functionBits(const MeterFrame& f)
{
    std::uint32_t c = 0;
    for (const auto& b : kCodeBits)
        if (bit(f[b.byte], b.frameBit))
            c |= 1u << b.codeBit;
    // The meter lights the percent-type bits beside an AC volts or AC amperes
    // reading that shows THD; they do not change the function.
    if (c == 0x10805u)
        c = 0x5u;
    else if (c == 0x10A01u)
        c = 0x201u;
    return c;
}

std::uint8_t statusBits(const MeterFrame& f)
{
    std::uint8_t s = 0;
    if (bit(f[8], 0))
        s |= static_cast<std::uint8_t>(f[8] & 0x0F);
    if (bit(f[9], 6))
        s |= status::ALags;
    if (bit(f[3], 2))
        s |= status::Hold;
    if (bit(f[10], 1))
        s |= status::Peak;
    if (bit(f[3], 7) && (bit(f[3], 0) || bit(f[3], 1)))
        s |= status::FourWire;
    return s;
}

std::string subDigits(const MeterFrame& f, bool withPoints)
{
    const char s1 = digitAt(f, 0), s2 = digitAt(f, 1), s3 = digitAt(f, 2);
    std::string t;
    t.push_back(s1);
    if (withPoints && bit(f[1], 3)) {
        t.push_back('.');
        t.push_back(s2);
        t.push_back(s3);
    } else if (withPoints && bit(f[2], 3)) {
        t.push_back(s2);
        t.push_back('.');
        t.push_back(s3);
    } else {
        t.push_back(s2);
        t.push_back(s3);
    }
    return t;
}

} // namespace

char segmentToChar(std::uint8_t pattern) { return kSegments[pattern]; }

void decodeMeterFrame(const MeterFrame& f, MeterReading& r)
{
    std::uint32_t raw = functionBits(f);

    const int dp = (bit(f[5], 3) ? 4 : 0) + (bit(f[6], 3) ? 2 : 0) + (bit(f[7], 3) ? 1 : 0);
    const char c1 = digitAt(f, 4), c2 = digitAt(f, 5), c3 = digitAt(f, 6), c4 = digitAt(f, 7);

    // The meter shows a hexadecimal power of ten after an "E".
    std::string last(1, c4);
    if (c3 == 'E') {
        switch (c4) {
        case 'A': last = "10"; break;
        case 'b': last = "11"; break;
        case 'C': last = "12"; break;
        case 'd': last = "13"; break;
        case 'E': last = "14"; break;
        case 'F': last = "15"; break;
        default: break;
        }
    }

    // The point always goes after the first character; where the meter's
    // point stands is carried by the exponent.
    std::string text;
    text.reserve(8);
    text.push_back(c1);
    text.push_back('.');
    text.push_back(c2);
    text.push_back(c3);
    text += last;

    if (!parseDecimal(text)) {
        if (c2 == '0' && c3 == 'L') {
            switch (dp) {
            case 4: text = ".OL"; break;
            case 2: text = "O.L"; break;
            case 1: text = "OL."; break;
            default: text = "OL"; break;
            }
        } else if (c4 == 'C') {
            raw = code::DegreesC;
        } else if (c4 == 'F') {
            raw = code::DegreesF;
        } else {
            text = {c1, c2, c3, c4};
            // The meter's messages use the 5 pattern for S.
            if (const auto at = text.find('5'); at != std::string::npos)
                text[at] = 'S';
        }
        if (text == "Auto")
            raw = code::Auto;
    }
    if (bit(f[4], 3))
        text.insert(text.begin(), '-');

    int exponent = 0;
    switch (dp) {
    case 0: exponent = 3; break;
    case 1: exponent = raw == code::Hertz ? 5 : 2; break;
    case 2: exponent = raw == code::Hertz ? 4 : 1; break;
    case 4: exponent = raw == code::Hertz ? 3 : 0; break;
    default: exponent = 0; break;
    }
    if (bit(f[8], 7))
        exponent += 3;
    if (raw == code::DegreesC || raw == code::DegreesF)
        exponent = 2;

    std::string subFunction;
    std::string subText;
    if (bit(f[10], 7)) {
        subFunction = "PF";
        subText = {digitAt(f, 0), '.', digitAt(f, 1), digitAt(f, 2)};
        if (bit(f[0], 3))
            subText.insert(subText.begin(), '-');
    } else if (bit(f[10], 0)) {
        subFunction = "Hr.";
        subText = subDigits(f, true);
    } else if ((bit(f[10], 5) || bit(f[10], 6)) && (bit(f[9], 1) || bit(f[9], 2))) {
        subFunction = "THD%";
        subText = subDigits(f, true);
    } else if (bit(f[3], 3)) {
        subText = "V-Line: " + subDigits(f, false);
    }

    r.mainText = std::move(text);
    r.exponentText = std::to_string(exponent);
    r.rawCode = raw;
    r.subFunction = std::move(subFunction);
    r.subText = std::move(subText);
    r.status = statusBits(f);
}

} // namespace vt640
