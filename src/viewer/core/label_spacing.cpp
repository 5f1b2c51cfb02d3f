#include "viewer/core/label_spacing.h"

#include <algorithm>

namespace vt640 {

std::vector<int> evenLabelPoints(int first, int last, int maxLabels)
{
    std::vector<int> points;
    if (last < first)
        return points;
    const int count = last - first + 1;
    const int fit = std::max(maxLabels, 1);
    const int step = (count + fit - 1) / fit;
    for (int p = last; p >= first; p -= step)
        points.push_back(p);
    std::reverse(points.begin(), points.end());
    return points;
}

} // namespace vt640
