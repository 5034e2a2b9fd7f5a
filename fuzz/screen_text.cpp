// Arbitrary screen bytes through the link scanner, word rules, selection
// export and key doubling rules.
#include "screen/core/AnsiExport.h"
#include "screen/core/KeyTable.h"
#include "screen/core/LinkScanner.h"
#include "screen/core/Selection.h"
#include "screen/core/TextExport.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 6) return 0;
    int columns = data[0] % 82; // 0 and 81 are out of range on purpose
    screen::TSelection sel;
    sel.Shown = true;
    sel.BlockMode = data[1] & 1;
    sel.Anchor = {data[2] % 90 - 5, data[3] % 8};
    sel.End = {data[4] % 90 - 5, data[5] % 8};
    data += 6;
    size -= 6;
    std::vector<TRow> rows(size / RowCells + 1);
    for (auto& r : rows)
        for (auto& c : r.Cells)
            c = TCell{' ', 7, 0, 0, 0};
    for (std::size_t i = 0; i < size; ++i)
        rows[i / RowCells].Cells[i % RowCells].Char = data[i];
    std::vector<const TRow*> view;
    for (auto& r : rows)
        view.push_back(&r);
    for (const auto& link : screen::ScanLinks(view, 3, columns))
        (void)screen::LinkCovers(link, link.Col, link.Line, columns);
    (void)screen::SelectionLines(view, columns, sel);
    (void)screen::CellsToAnsi(screen::SelectionCells(view, columns, sel));
    int from, to;
    for (int c = 0; c < RowCells; c += 7) {
        screen::WordSpan(rows[0], columns, c, from, to);
        for (int mode = 1; mode <= 4; ++mode)
            (void)screen::ShouldDoubleKey(rows[0], columns, c, mode, false, {true, true, true});
    }
    return 0;
}
