#pragma once

#include <vector>

namespace vt640 {

// The points of [first, last] that get an X-axis label when at most
// `maxLabels` labels fit: every step-th point counted back from `last`, so
// the newest point always has its label and the labels are evenly spaced.
// Ascending; empty when the range is empty.
std::vector<int> evenLabelPoints(int first, int last, int maxLabels);

} // namespace vt640
