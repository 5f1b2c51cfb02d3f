#pragma once

#include <QString>

namespace vt640 {

// What an edit of a limit field does to the limit it stands for.
enum class LimitEdit {
    Ignored,  // the field is empty: the limit stays, nothing is said
    Accepted, // the text is a number: the limit takes it
    Refused,  // not a number (a lone "-" included): the limit stays, E9007
};

// Applies the text of a limit field to `limit`. Numbers are read with "." as
// the separator whatever the locale; a number too large to hold is refused
// like any other text that is no limit.
LimitEdit applyLimitText(const QString& text, double& limit);

// The dialog accepts only an upper limit strictly above the lower one.
bool limitsAcceptable(double upperLimit, double lowerLimit);

} // namespace vt640
