// Text with colour sequences (SGR) out of screen cells, so that replaying the
// text on a terminal reproduces the cells' characters and attributes.
#pragma once
#include "screen/core/Row.h"

#include <span>
#include <string>
#include <vector>

namespace screen {

struct TSelection;

class TAnsiEncoder {
public:
    // The SGR sequence that moves from the previous cell's attributes to
    // `cell`'s (empty when nothing changes), and `cell` becomes the previous.
    std::string CellToAnsi(const TCell& cell);

private:
    enum class TBold { Unknown, Off, On };
    bool Started = false;
    TCell Prev{};
    TBold Bold = TBold::Unknown;
};

// Each line is the cells of one row in order. The result is the cells' bytes
// with colour sequences, lines separated by CR LF, ending in ESC "[0m".
std::string CellsToAnsi(const std::vector<std::vector<TCell>>& lines);

// The selected cells of the shown rows, as SelectionLines picks them (but
// with every selected cell, blanks included, so colours survive).
std::vector<std::vector<TCell>> SelectionCells(std::span<const TRow* const> view, int columns,
                                               const TSelection& sel);

} // namespace screen
