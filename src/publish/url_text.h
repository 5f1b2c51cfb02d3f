#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vt640::publish {

// How much of a URL's text is decoded: %XX escapes, and in a query '+' as a blank.
enum class UrlPart { Path, Query };

// `text` with its %XX escapes decoded (and in a query '+' as a blank);
// empty for a broken escape, or where `refuseControl` and an escape yields
// a control character.
std::optional<std::string> urlDecoded(std::string_view text, UrlPart part, bool refuseControl);

} // namespace vt640::publish
