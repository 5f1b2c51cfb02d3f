#pragma once

#include <QString>

namespace vt640 {

// What an edit of a limit field does to the limit it stands for.
enum class LimitEdit {
    Ignored,    // the field is empty: the limit stays, nothing is said
    Accepted,   // the text is a number: the limit takes it
    Unfinished, // not a number yet, but typing on can make one ("-", "+"):
                // the limit stays, nothing is said
    Refused,    // no number, and no typing on makes one: the limit stays, E9007
};

// Applies the text of a limit field to `limit`. Numbers are read with "." as
// the separator whatever the locale; a number too large to hold is refused
// like any other text that is no limit.
LimitEdit applyLimitText(const QString& text, double& limit);

// Whether a limit field's text, as it stands, is a limit: a number, or empty
// (which keeps the limit).
bool isCompleteLimitText(const QString& text);

// The dialog accepts only an upper limit strictly above the lower one.
bool limitsAcceptable(double upperLimit, double lowerLimit);

} // namespace vt640
