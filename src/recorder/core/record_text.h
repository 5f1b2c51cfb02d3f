#pragma once

#include <cstddef>
#include <cstring>
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

} // namespace vt640
