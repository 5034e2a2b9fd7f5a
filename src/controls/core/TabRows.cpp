#include "controls/core/TabRows.h"

#include <algorithm>

namespace controls {

std::vector<TTabPlace> PlaceTabs(const std::vector<int>& widths, int rowWidth, bool multiLine,
                                 int first) {
    std::vector<TTabPlace> places(widths.size());
    int row = 0, x = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const int w = std::max(1, widths[i]);
        if (!multiLine && static_cast<int>(i) < first) continue;
        if (multiLine && x > 0 && x + w > rowWidth) {
            ++row;
            x = 0;
        }
        places[i] = {row, x, w};
        x += w;
    }
    return places;
}

int TabRowCount(const std::vector<TTabPlace>& places) {
    int rows = 1;
    for (const TTabPlace& p : places)
        rows = std::max(rows, p.Row + 1);
    return rows;
}

int FirstToShow(const std::vector<int>& widths, int rowWidth, int first, int index) {
    const int n = static_cast<int>(widths.size());
    if (n == 0) return 0;
    first = std::clamp(first, 0, n - 1);
    if (index < 0 || index >= n) return first;
    if (index < first) return index;
    // Move the first tab right until the tabs from it through `index` fit.
    int span = 0;
    for (int i = first; i <= index; ++i)
        span += std::max(1, widths[static_cast<std::size_t>(i)]);
    while (first < index && span > rowWidth)
        span -= std::max(1, widths[static_cast<std::size_t>(first++)]);
    return first;
}

} // namespace controls
