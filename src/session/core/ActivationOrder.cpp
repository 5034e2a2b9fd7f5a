#include "session/core/ActivationOrder.h"

#include <algorithm>

namespace session {

void RemoveFromOrder(TActivationOrder& order, int index) {
    std::erase(order, index);
    for (int& i : order)
        if (i > index) --i;
}

void MoveToFront(TActivationOrder& order, int index) {
    std::erase(order, index);
    order.insert(order.begin(), index);
}

void MoveInOrder(TActivationOrder& order, int from, int to) {
    if (from == to) return;
    for (int& i : order) {
        if (i == from)
            i = to;
        else if (from < to && i > from && i <= to)
            --i;
        else if (from > to && i >= to && i < from)
            ++i;
    }
}

int DropDestination(int source, int target, int count) {
    if (source < 0 || source >= count) return -1;
    int dest;
    if (source <= target) {
        if (source >= target - 1) return -1;
        dest = target - 1;
    } else {
        dest = target;
    }
    if (dest < 0 || dest >= count) return -1;
    return dest;
}

} // namespace session
