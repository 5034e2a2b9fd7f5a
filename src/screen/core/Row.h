// One screen or history line: always 80 cells of 5 bytes, whatever the
// screen's column count, so a column change never reallocates.
#pragma once
#include <cstdint>

constexpr int RowCells = 80;

struct TCell {
    std::uint8_t Char;      // the byte as received; Big5 pairs take two cells
    std::uint8_t Fg;        // index 0..15 into the foreground colour table
    std::uint8_t Bg;        // index 0..15 into the background colour table
    std::uint8_t Blink;     // 0/1
    std::uint8_t Underline; // 0/1
};
static_assert(sizeof(TCell) == 5, "a cell is five packed bytes");

struct TRow {
    TCell Cells[RowCells];
};
