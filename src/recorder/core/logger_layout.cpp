#include "recorder/core/logger_layout.h"

#include "recorder/core/t_b_record.h"

namespace vt640 {
namespace {

char lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` contains `lowerNeedle` (given in lower case), ignoring case.
bool containsNoCase(std::string_view text, std::string_view lowerNeedle)
{
    if (lowerNeedle.size() > text.size())
        return false;
    for (std::size_t i = 0; i + lowerNeedle.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < lowerNeedle.size() && lower(text[i + k]) == lowerNeedle[k])
            ++k;
        if (k == lowerNeedle.size())
            return true;
    }
    return false;
}

bool endsWithNoCase(std::string_view text, std::string_view lowerSuffix)
{
    return text.size() >= lowerSuffix.size()
           && containsNoCase(text.substr(text.size() - lowerSuffix.size()), lowerSuffix);
}

} // namespace

std::size_t recordSize(RecordLayout layout)
{
    switch (layout) {
    case RecordLayout::Native: return sizeof(TBRecord);
    case RecordLayout::Older: return sizeof(TARecord);
    case RecordLayout::Oldest: break;
    }
    return sizeof(TRecord);
}

RecordLayout layoutForPath(std::string_view path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (containsNoCase(name, ".r27"))
        return RecordLayout::Older;
    if (containsNoCase(name, ".640"))
        return RecordLayout::Native;
    if (endsWithNoCase(name, ".tmp"))
        return RecordLayout::Native;
    return RecordLayout::Oldest;
}

} // namespace vt640
