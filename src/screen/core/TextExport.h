// Plain text out of the screen rows: one line per row built from the bytes
// of its first `columns` cells with trailing blanks cut (Big5 bytes as they
// are), lines ending in CR LF.
#pragma once
#include "screen/core/Row.h"

#include <span>
#include <string>
#include <vector>

namespace screen {

struct TSelection;

std::string RowText(const TRow& row, int columns);

// The bytes of cells [from, to] of a row, trailing blanks cut.
std::string RowText(const TRow& row, int from, int to);

// Lines joined by CR LF, nothing after the last one (clipboard text).
std::string JoinLines(const std::vector<std::string>& lines);

// Every line followed by CR LF (text files).
std::string FileText(const std::vector<std::string>& lines);

// One line per row.
std::vector<std::string> RowLines(std::span<const TRow* const> rows, int columns);

// The selected text of the shown rows (`view[0]` is view row 0): a block
// gives its columns of every selected row, a stream runs from the first end
// point to the last across whole rows. Two-cell characters at the ends are
// taken whole.
std::vector<std::string> SelectionLines(std::span<const TRow* const> view, int columns,
                                        const TSelection& sel);

} // namespace screen
