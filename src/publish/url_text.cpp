#include "publish/url_text.h"

#include "meter/number_text.h"

namespace vt640::publish {

std::optional<std::string> urlDecoded(std::string_view text, UrlPart part, bool refuseControl)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size())
                return std::nullopt;
            const int hi = hexDigitValue(text[i + 1]), lo = hexDigitValue(text[i + 2]);
            if (hi < 0 || lo < 0)
                return std::nullopt;
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
        } else if (c == '+' && part == UrlPart::Query) {
            c = ' ';
        }
        const auto u = static_cast<unsigned char>(c);
        if (refuseControl && (u < 0x20 || u == 0x7F))
            return std::nullopt;
        out += c;
    }
    return out;
}

} // namespace vt640::publish
