// The mouse selection of a screen: two end points in view coordinates
// (column, row relative to the first shown row), either a stream (text
// order, from the earlier end point to the later one across whole rows) or a
// block (the rectangle the two points span).
#pragma once
#include "screen/core/Row.h"

namespace screen {

struct TCellPos {
    int Col = 0;
    int Row = 0;
};

// True when a comes before b in text order (row first, then column).
inline bool Before(TCellPos a, TCellPos b) {
    return a.Row < b.Row || (a.Row == b.Row && a.Col < b.Col);
}

struct TSelection {
    TCellPos Anchor; // where the drag started
    TCellPos End;    // where it is now
    bool Shown = false;
    bool BlockMode = false;
    bool Selecting = false;

    // Rectangle bounds (block mode, painting limits).
    int SelLeft() const { return Anchor.Col < End.Col ? Anchor.Col : End.Col; }
    int SelRight() const { return Anchor.Col < End.Col ? End.Col : Anchor.Col; }
    int SelTop() const { return Anchor.Row < End.Row ? Anchor.Row : End.Row; }
    int SelBottom() const { return Anchor.Row < End.Row ? End.Row : Anchor.Row; }

    // Stream end points in text order.
    TCellPos First() const { return Before(End, Anchor) ? End : Anchor; }
    TCellPos Last() const { return Before(End, Anchor) ? Anchor : End; }

    // Columns [from, to] selected on view row `row` of a `columns` wide
    // screen; false when nothing of that row is selected.
    bool RowSpan(int row, int columns, int& from, int& to) const;
    bool Contains(int col, int row, int columns) const;
};

// The double-click word around `col`: the run of blanks on a blank, the run
// of two-cell characters on one of those, otherwise the run of other bytes up
// to the next blank or two-cell character.
void WordSpan(const TRow& row, int columns, int col, int& from, int& to);

} // namespace screen
