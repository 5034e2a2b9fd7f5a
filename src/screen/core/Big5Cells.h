// How the bytes of a row pair up into characters. A byte 130..254 that is
// not in the last shown column starts a two-cell (Big5) character together
// with the byte after it; every other byte is one cell. Pairing always
// starts at column 0, the same walk the renderer makes.
#pragma once
#include "screen/core/Row.h"

#include <cstdint>

namespace screen {

inline bool IsLeadByte(std::uint8_t b) {
    return b >= 130 && b <= 254;
}

enum class TCellPart { Single, Lead, Trail };

// What the cell at `col` is within the first `columns` cells of `row`.
TCellPart CellPartAt(const TRow& row, int columns, int col);

// Widens [from, to] so that no two-cell character is cut in half: a start on
// a trail cell moves back to its lead, an end on a lead cell moves on to its
// trail.
void WidenToCharacters(const TRow& row, int columns, int& from, int& to);

} // namespace screen
