#include "screen/core/Big5Cells.h"

#include <algorithm>

namespace screen {

TCellPart CellPartAt(const TRow& row, int columns, int col) {
    columns = std::clamp(columns, 1, RowCells);
    if (col < 0 || col >= columns) return TCellPart::Single;
    int c = 0;
    while (c < col) {
        if (IsLeadByte(row.Cells[c].Char) && c + 1 < columns) {
            if (c + 1 == col) return TCellPart::Trail;
            c += 2;
        } else {
            ++c;
        }
    }
    return IsLeadByte(row.Cells[col].Char) && col + 1 < columns ? TCellPart::Lead
                                                                : TCellPart::Single;
}

void WidenToCharacters(const TRow& row, int columns, int& from, int& to) {
    if (CellPartAt(row, columns, from) == TCellPart::Trail) --from;
    if (CellPartAt(row, columns, to) == TCellPart::Lead) ++to;
}

} // namespace screen
