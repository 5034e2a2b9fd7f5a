// Builds screen rows from text for the engine tests.
#pragma once
#include "screen/core/Row.h"

#include <span>
#include <string>
#include <vector>

struct TRows {
    std::vector<TRow> Rows;
    std::vector<const TRow*> Ptrs;

    explicit TRows(const std::vector<std::string>& lines) {
        Rows.resize(lines.size());
        for (size_t i = 0; i < lines.size(); ++i) {
            for (auto& c : Rows[i].Cells)
                c = TCell{' ', 7, 0, 0, 0};
            for (size_t j = 0; j < lines[i].size() && j < RowCells; ++j)
                Rows[i].Cells[j].Char = static_cast<std::uint8_t>(lines[i][j]);
        }
        for (auto& r : Rows)
            Ptrs.push_back(&r);
    }
    std::span<const TRow* const> View() const { return Ptrs; }
};
