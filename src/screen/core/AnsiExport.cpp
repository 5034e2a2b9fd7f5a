#include "screen/core/AnsiExport.h"

#include "screen/core/Big5Cells.h"
#include "screen/core/Selection.h"

#include <algorithm>

namespace screen {

std::string TAnsiEncoder::CellToAnsi(const TCell& cell) {
    bool u = cell.Underline != 0, b = cell.Blink != 0;
    bool reset = false;
    std::string p;
    if (!Started) {
        // The first cell states everything that is on, from a clean slate.
        Started = true;
        reset = true;
        if (u) p += "4;";
        if (b) p += "5;";
    } else {
        bool pu = Prev.Underline != 0, pb = Prev.Blink != 0;
        if (pu == u && pb == b && Prev.Fg == cell.Fg && Prev.Bg == cell.Bg) return {};
        if (pu != u && !u) reset = true;
        if (pb != b && !b) reset = true;
        if (reset) {
            // The empty parameter resets every attribute, so whatever is
            // still on must be stated again.
            p += ";";
            Bold = TBold::Off;
            if (u) p += "4;";
            if (b) p += "5;";
        } else {
            if (u != pu) p += "4;";
            if (b != pb) p += "5;";
        }
    }
    if (reset || cell.Fg != Prev.Fg) {
        int n = cell.Fg & 15;
        if (n >= 8) {
            if (Bold != TBold::On) {
                p += "1;";
                Bold = TBold::On;
            }
            n -= 8;
        } else if (Bold == TBold::On) {
            p += "22;";
            Bold = TBold::Off;
        }
        p += '3';
        p += static_cast<char>('0' + n);
        p += ';';
    }
    if (reset || cell.Bg != Prev.Bg) {
        // A bright background has no code of its own: it goes out as its
        // normal colour. Bold belongs to the foreground alone (it would
        // brighten the text, not the background).
        int n = cell.Bg & 15;
        if (n >= 8) n -= 8;
        p += '4';
        p += static_cast<char>('0' + n);
        p += ';';
    }
    Prev = cell;
    p.pop_back();
    return "\x1b[" + p + "m";
}

std::string CellsToAnsi(const std::vector<std::vector<TCell>>& lines) {
    TAnsiEncoder enc;
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) s += "\r\n";
        for (const TCell& c : lines[i]) {
            s += enc.CellToAnsi(c);
            s.push_back(static_cast<char>(c.Char));
        }
    }
    s += "\x1b[0m";
    return s;
}

std::vector<std::vector<TCell>> SelectionCells(std::span<const TRow* const> view, int columns,
                                               const TSelection& sel) {
    std::vector<std::vector<TCell>> lines;
    columns = std::clamp(columns, 1, RowCells);
    for (int r = 0; r < static_cast<int>(view.size()); ++r) {
        int from, to;
        if (!sel.RowSpan(r, columns, from, to)) continue;
        std::vector<TCell> cells;
        if (view[r]) {
            WidenToCharacters(*view[r], columns, from, to);
            cells.assign(view[r]->Cells + from, view[r]->Cells + to + 1);
        }
        lines.push_back(std::move(cells));
    }
    return lines;
}

} // namespace screen
