#include "meter/sim/meter_encoder.h"

#include "meter/frame_decoder.h"

namespace vt640::sim {
namespace {

constexpr std::uint8_t kMark = 0x08;

void setBit(MeterFrame& f, int byte, int bit) { f[byte] |= static_cast<std::uint8_t>(1u << bit); }

// Function-code bit -> frame byte and bit (the decoder's table read backwards).
struct CodeBit {
    std::uint8_t codeBit;
    std::uint8_t byte;
    std::uint8_t frameBit;
};
constexpr CodeBit kCodeBits[] = {
    {0, 3, 4}, {19, 3, 5}, {31, 8, 4}, {20, 9, 0}, {2, 9, 1},   {9, 9, 2},   {17, 9, 3},
    {7, 9, 4}, {10, 9, 5}, {18, 9, 7}, {8, 10, 3}, {16, 10, 5}, {11, 10, 6},
};

// Lays `text` (digits, letters, at most one point) right-aligned onto `count`
// digit characters. `point` gets the digit (1-based) the point stands before,
// 0 for none.
bool layDigits(const std::string& text, std::size_t count, char* digits, int& point)
{
    std::string chars;
    int pointAfter = -1; // number of characters before the point
    for (char c : text) {
        if (c == '.') {
            if (pointAfter >= 0)
                return false;
            pointAfter = static_cast<int>(chars.size());
            continue;
        }
        if (c == 'S')
            c = '5'; // the meter writes S with the 5 pattern
        if (c == 'O')
            c = '0';
        if (charToSegment(c) == 0xFF)
            return false;
        chars.push_back(c);
    }
    if (chars.size() > count)
        return false;
    const std::size_t pad = count - chars.size();
    for (std::size_t i = 0; i < count; ++i)
        digits[i] = i < pad ? ' ' : chars[i - pad];
    point = 0;
    if (pointAfter >= 0) {
        point = static_cast<int>(pad) + pointAfter + 1;
        if (point < 2 || point > static_cast<int>(count))
            return false;
    }
    return true;
}

} // namespace

std::uint8_t charToSegment(char c)
{
    if (c == '?')
        return 0xFF;
    for (int p = 0; p < 256; ++p) {
        if ((p & kMark) == 0 && segmentToChar(static_cast<std::uint8_t>(p)) == c)
            return static_cast<std::uint8_t>(p);
    }
    return 0xFF;
}

MeterFrame encodeMeterFrame(const LcdPicture& p)
{
    MeterFrame f{};
    auto segment = [](char c) {
        const std::uint8_t s = charToSegment(c);
        return s == 0xFF ? std::uint8_t{0x01} : s; // a lone top bar reads "?"
    };
    for (int i = 0; i < 4; ++i)
        f[4 + i] = segment(p.main[i]);
    for (int i = 0; i < 3; ++i)
        f[i] = segment(p.sub[i]);

    if (p.minus)
        f[4] |= kMark;
    if (p.mainPoint >= 2 && p.mainPoint <= 4)
        f[3 + p.mainPoint] |= kMark;
    if (p.subMinus)
        f[0] |= kMark;
    if (p.subPoint == 2 || p.subPoint == 3)
        f[p.subPoint - 1] |= kMark;
    if (p.kilo)
        setBit(f, 8, 7);

    for (const auto& b : kCodeBits)
        if (p.functionBits & (1u << b.codeBit))
            setBit(f, b.byte, b.frameBit);

    switch (p.subLabel) {
    case LcdPicture::SubLabel::None: break;
    case LcdPicture::SubLabel::PF: setBit(f, 10, 7); break;
    case LcdPicture::SubLabel::Hours: setBit(f, 10, 0); break;
    case LcdPicture::SubLabel::THD:
        // The meter lights its percent marks beside a THD reading.
        setBit(f, 10, 5);
        setBit(f, 10, 6);
        break;
    case LcdPicture::SubLabel::VLine: setBit(f, 3, 3); break;
    }

    if (p.status & status::PhaseMarks)
        f[8] |= static_cast<std::uint8_t>(p.status & 0x0F);
    if (p.status & status::ALags)
        setBit(f, 9, 6);
    if (p.status & status::Hold)
        setBit(f, 3, 2);
    if (p.status & status::Peak)
        setBit(f, 10, 1);
    if (p.status & status::FourWire) {
        setBit(f, 3, 7);
        setBit(f, 3, 0);
    }
    return f;
}

bool setMainDisplay(LcdPicture& p, const std::string& text)
{
    std::string body = text;
    bool minus = false;
    if (!body.empty() && body[0] == '-') {
        minus = true;
        body.erase(0, 1);
    }
    // An overload shows as " 0L " with the point where the range puts it.
    if (body == "OL" || body == ".OL" || body == "O.L" || body == "OL.") {
        p.main = {' ', '0', 'L', ' '};
        p.mainPoint = body == ".OL" ? 2 : body == "O.L" ? 3 : body == "OL." ? 4 : 0;
        p.minus = minus;
        return true;
    }
    char digits[4];
    int point = 0;
    if (!layDigits(body, 4, digits, point))
        return false;
    for (int i = 0; i < 4; ++i)
        p.main[i] = digits[i];
    p.mainPoint = point;
    p.minus = minus;
    return true;
}

bool setSubDisplay(LcdPicture& p, const std::string& text)
{
    std::string body = text;
    bool minus = false;
    if (!body.empty() && body[0] == '-') {
        minus = true;
        body.erase(0, 1);
    }
    char digits[3];
    int point = 0;
    if (!layDigits(body, 3, digits, point))
        return false;
    for (int i = 0; i < 3; ++i)
        p.sub[i] = digits[i];
    p.subPoint = point;
    p.subMinus = minus;
    return true;
}

} // namespace vt640::sim
