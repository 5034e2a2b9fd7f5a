// Sorting a list in place with an order function of the caller's.
#pragma once
#include <utility>
#include <vector>

namespace controls {

// Sorts list with compare(item1, item2, extraData) (< 0, 0, > 0) by a
// recursive quick sort around the middle element, exchanging items in
// place, so items that compare equal may change order. Lists of fewer than
// two items are left alone. The scans stay inside the list even when compare
// is not a consistent order.
template <class T, class Compare>
void ListSortEx(std::vector<T>& list, Compare compare, void* extraData = nullptr) {
    struct TSorter {
        std::vector<T>& List;
        Compare& Cmp;
        void* Extra;
        void Sort(int l, int r) {
            int i = l;
            do {
                i = l;
                int j = r;
                const T pivot = List[std::size_t((l + r) >> 1)];
                do {
                    while (i < r && Cmp(List[std::size_t(i)], pivot, Extra) < 0)
                        ++i;
                    while (j > l && Cmp(List[std::size_t(j)], pivot, Extra) > 0)
                        --j;
                    if (i <= j) {
                        std::swap(List[std::size_t(i)], List[std::size_t(j)]);
                        ++i;
                        --j;
                    }
                } while (i <= j);
                if (l < j) Sort(l, j);
                l = i;
            } while (i < r);
        }
    };
    if (list.size() < 2) return;
    TSorter{list, compare, extraData}.Sort(0, int(list.size()) - 1);
}

} // namespace controls
