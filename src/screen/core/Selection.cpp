#include "screen/core/Selection.h"

#include "screen/core/Big5Cells.h"

#include <algorithm>

namespace screen {

bool TSelection::RowSpan(int row, int columns, int& from, int& to) const {
    if (!Shown || columns <= 0) return false;
    if (BlockMode) {
        if (row < SelTop() || row > SelBottom()) return false;
        from = std::max(0, SelLeft());
        to = std::min(columns - 1, SelRight());
        return from <= to;
    }
    TCellPos a = First(), b = Last();
    if (row < a.Row || row > b.Row) return false;
    from = row == a.Row ? std::max(0, a.Col) : 0;
    to = row == b.Row ? std::min(columns - 1, b.Col) : columns - 1;
    return from <= to;
}

bool TSelection::Contains(int col, int row, int columns) const {
    int from, to;
    return RowSpan(row, columns, from, to) && col >= from && col <= to;
}

namespace {
enum class TWordClass { Blank, Wide, Other };

TWordClass ClassAt(const TRow& row, int columns, int col) {
    TCellPart part = CellPartAt(row, columns, col);
    if (part != TCellPart::Single) return TWordClass::Wide;
    return row.Cells[col].Char == ' ' ? TWordClass::Blank : TWordClass::Other;
}
} // namespace

void WordSpan(const TRow& row, int columns, int col, int& from, int& to) {
    columns = std::clamp(columns, 1, RowCells);
    col = std::clamp(col, 0, columns - 1);
    TWordClass cls = ClassAt(row, columns, col);
    from = to = col;
    while (from > 0 && ClassAt(row, columns, from - 1) == cls)
        --from;
    while (to + 1 < columns && ClassAt(row, columns, to + 1) == cls)
        ++to;
}

} // namespace screen
