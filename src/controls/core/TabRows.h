// Where the tabs of a tab strip go: in one row from a first shown tab (the
// rest reached by scrolling), or wrapped into as many rows as they need.
#pragma once
#include <vector>

namespace controls {

struct TTabPlace {
    int Row = -1; // -1: scrolled out of the single row
    int Left = 0; // x of the tab in its row
    int Width = 0;
    bool operator==(const TTabPlace&) const = default;
};

// The places of tabs of the given widths in rows rowWidth pixels wide.
// Multi-line: a tab that does not fit after the others in its row starts
// the next row (a tab wider than a row has a row of its own). Single line:
// every tab from `first` on in row 0, those before it out.
std::vector<TTabPlace> PlaceTabs(const std::vector<int>& widths, int rowWidth, bool multiLine,
                                 int first);

// Rows the places use (at least 1).
int TabRowCount(const std::vector<TTabPlace>& places);

// The single row's first tab that keeps tab `index` in view when `first`
// was the first before: it scrolls only as far as needed.
int FirstToShow(const std::vector<int>& widths, int rowWidth, int first, int index);

} // namespace controls
