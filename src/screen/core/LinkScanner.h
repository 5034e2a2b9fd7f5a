// Finds web, FTP and e-mail addresses in the shown rows of a screen.
#pragma once
#include "screen/core/Row.h"

#include <span>
#include <string>
#include <vector>

// One address found on the screen. The text is remote data: it is handed on
// as it stands and must only ever reach a program as a single argument.
struct THyperlinkInfo {
    int Col = 0;  // first column
    int Line = 0; // buffer row index of the first cell
    std::string Text;
    int Kind = 0; // 0 web ("http://", "www."), 1 "ftp://", 2 e-mail
};

namespace screen {

enum : int { LinkWeb = 0, LinkFtp = 1, LinkEmail = 2 };

// Scans `rows` (the rows shown, the first one being buffer row `firstLine`),
// `columns` cells of each. The scan runs on across row ends, so an address
// that wraps to the next row is found whole.
std::vector<THyperlinkInfo> ScanLinks(std::span<const TRow* const> rows, int firstLine,
                                      int columns);

// Cuts trailing '.', ',' and ';' from a found address. Returns false when
// nothing worth keeping remains (a bare prefix, an e-mail domain without a dot).
bool TrimLinkText(std::string& text, int kind);

// True when the cell (col, line) is one of the link's cells; a link that
// wraps covers the start of the following rows.
bool LinkCovers(const THyperlinkInfo& link, int col, int line, int columns);

} // namespace screen
