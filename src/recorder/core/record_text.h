#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace vt640 {

// Writes `text` into a fixed text field of a record: at most N - 1 characters
// (a longer text is cut), always NUL-terminated, the rest of the field zeroed
// so that the record's file image does not depend on earlier contents.
template <std::size_t N>
void copyText(char (&field)[N], std::string_view text)
{
    static_assert(N > 0);
    const std::size_t n = text.size() < N - 1 ? text.size() : N - 1;
    if (n > 0)
        std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, N - n);
}

// The text of a record field: up to its NUL or the end of the array, whichever
// comes first (a field read from a file need not be terminated).
template <std::size_t N>
std::string_view fieldText(const char (&field)[N])
{
    const void* nul = std::memchr(field, 0, N);
    return {field, nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - field) : N};
}

// `text` without the spaces the meter pads its fields with.
inline std::string_view withoutPadding(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A record's texts are 8-bit bytes, read as Latin-1 as the data list reads
// them; this is the same text in UTF-8.
inline std::string latin1ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

} // namespace vt640
