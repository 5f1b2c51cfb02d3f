#include "views/core/limit_rules.h"

#include "meter/number_text.h"

#include <cmath>
#include <string>

namespace vt640 {

LimitEdit applyLimitText(const QString& text, double& limit)
{
    if (text.isEmpty())
        return LimitEdit::Ignored;
    const std::string typed = text.toStdString();
    const auto value = parseDecimal(typed);
    if (!value) {
        // A text that a digit more makes a number is the start of one; what
        // the number grammar leaves unparsed then is only a sign and blanks.
        return parseDecimal(typed + "0") ? LimitEdit::Unfinished : LimitEdit::Refused;
    }
    if (!std::isfinite(*value))
        return LimitEdit::Refused;
    limit = *value;
    return LimitEdit::Accepted;
}

bool isCompleteLimitText(const QString& text)
{
    double ignored = 0.0;
    const LimitEdit edit = applyLimitText(text, ignored);
    return edit == LimitEdit::Ignored || edit == LimitEdit::Accepted;
}

bool limitsAcceptable(double upperLimit, double lowerLimit) { return upperLimit > lowerLimit; }

} // namespace vt640
