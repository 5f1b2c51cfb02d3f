#include "views/core/limit_rules.h"

#include "meter/number_text.h"

#include <cmath>

namespace vt640 {

LimitEdit applyLimitText(const QString& text, double& limit)
{
    if (text.isEmpty())
        return LimitEdit::Ignored;
    const auto value = parseDecimal(text.toStdString());
    if (!value || !std::isfinite(*value))
        return LimitEdit::Refused;
    limit = *value;
    return LimitEdit::Accepted;
}

bool limitsAcceptable(double upperLimit, double lowerLimit) { return upperLimit > lowerLimit; }

} // namespace vt640
