#include "screen/core/TextExport.h"

#include "screen/core/Big5Cells.h"
#include "screen/core/Selection.h"

#include <algorithm>

namespace screen {

std::string RowText(const TRow& row, int from, int to) {
    from = std::max(0, from);
    to = std::min(RowCells - 1, to);
    std::string s;
    for (int c = from; c <= to; ++c)
        s.push_back(static_cast<char>(row.Cells[c].Char));
    auto end = s.find_last_not_of(' ');
    s.resize(end == std::string::npos ? 0 : end + 1);
    return s;
}

std::string RowText(const TRow& row, int columns) {
    return RowText(row, 0, std::clamp(columns, 1, RowCells) - 1);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i) s += "\r\n";
        s += lines[i];
    }
    return s;
}

std::string FileText(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) {
        s += l;
        s += "\r\n";
    }
    return s;
}

std::vector<std::string> RowLines(std::span<const TRow* const> rows, int columns) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const TRow* r : rows)
        lines.push_back(r ? RowText(*r, columns) : std::string());
    return lines;
}

std::vector<std::string> SelectionLines(std::span<const TRow* const> view, int columns,
                                        const TSelection& sel) {
    std::vector<std::string> lines;
    columns = std::clamp(columns, 1, RowCells);
    for (int r = 0; r < static_cast<int>(view.size()); ++r) {
        int from, to;
        if (!sel.RowSpan(r, columns, from, to)) continue;
        if (!view[r]) {
            lines.emplace_back();
            continue;
        }
        WidenToCharacters(*view[r], columns, from, to);
        lines.push_back(RowText(*view[r], from, to));
    }
    return lines;
}

} // namespace screen
