#include "session/core/DockOrder.h"

#include <algorithm>
#include <numeric>
#include <tuple>

std::array<int, tbCount> DockOrder(const std::array<TToolbarSettings, tbCount>& bars) {
    std::array<int, tbCount> order;
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return std::tie(bars[a].DockRow, bars[a].DockPos) <
               std::tie(bars[b].DockRow, bars[b].DockPos);
    });
    return order;
}
