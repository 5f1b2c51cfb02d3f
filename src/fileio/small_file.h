#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace vt640 {

// Reads a small file (a position, a secret) whole, or its first `limit` + 1
// bytes when it is longer, so that the caller can tell it is. Never waits
// on a pipe or device planted at the name; with `followLink` false, a link
// at the name is not followed. Nothing when the file cannot be opened or
// read, with errno's value in `error`.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit, bool followLink, int& error);

} // namespace vt640
