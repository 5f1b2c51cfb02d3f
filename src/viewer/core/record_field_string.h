#pragma once

#include "recorder/core/record_text.h"

#include <QString>

#include <cstddef>

namespace vt640 {

// A record's text field as shown on screen. Its bytes are taken one to one
// as characters, so a field read from a file shows whatever it holds.
template <std::size_t N>
QString fieldString(const char (&field)[N])
{
    const std::string_view s = fieldText(field);
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace vt640
