// The dock's arrangement: rows renumbered, windows sorted, full-size
// windows alone in their rows, collisions resolved, the row fitted into the
// dock's length, and bounds handed out row by row.
#include "controls/core/DockArrange.h"

#include <algorithm>
#include <limits>

namespace controls {

bool TArrangeLock::Request(bool commit, bool loading) {
    if (commit) FCommit = true;
    if (FCount > 0 || loading) {
        FNeeded = true;
        return false;
    }
    return true;
}

bool TArrangeLock::EndUpdate() {
    if (FCount > 0) --FCount;
    return FCount == 0 && FNeeded;
}

void TArrangeLock::Leave() {
    if (FCount > 0) --FCount;
    FNeeded = false;
    FCommit = false;
}

int TDockLayout::HighestRow() const {
    int highest = -1;
    for (const TDockBar& b : Bars)
        highest = std::max(highest, b.DockRow);
    return highest;
}

int TDockLayout::RowSize(int row, int barAcross) const {
    if (row >= 0 && static_cast<std::size_t>(row) < RowSizes.size() && RowSizes[row] != 0)
        return RowSizes[row];
    return barAcross >= 0 ? barAcross : 0;
}

int TDockLayout::RowOf(int pixel, bool& before) const {
    const std::int64_t highest = HighestRow();
    // Rows past the last arrangement's sizes are empty and skipped, so the
    // walk covers only the sized rows and then the one after the highest.
    const std::int64_t sized =
        std::min<std::int64_t>(highest, static_cast<std::int64_t>(RowSizes.size()) - 1);
    std::int64_t offset = 0;
    for (std::int64_t r = 0; r <= sized; ++r) {
        const int t = RowSizes[static_cast<std::size_t>(r)];
        if (t == 0) continue;
        const std::int64_t end = offset + t + 4;
        if (pixel < offset + 5) {
            before = true;
            return static_cast<int>(r);
        }
        if (pixel < end - 5) {
            before = false;
            return static_cast<int>(r);
        }
        offset = end;
    }
    // The step after the highest row reaches to the end of the dock.
    before = pixel < offset + 5;
    return ClampToInt(highest + 1);
}

int TDockLayout::ToolbarsOnRow(int row, std::uintptr_t notIncluding) const {
    int n = 0;
    for (const TDockBar& b : Bars)
        if (b.DockRow == row && b.Id != notIncluding) ++n;
    return n;
}

void TDockLayout::InsertRowBefore(int row) {
    for (TDockBar& b : Bars)
        if (b.DockRow >= row) b.DockRow = ClampToInt(std::int64_t{b.DockRow} + 1);
}

void TDockLayout::RemoveBlankRows() {
    std::vector<int> used;
    used.reserve(Bars.size());
    for (TDockBar& b : Bars) {
        if (b.DockRow < 0) b.DockRow = 0;
        used.push_back(b.DockRow);
    }
    std::sort(used.begin(), used.end());
    used.erase(std::unique(used.begin(), used.end()), used.end());
    for (TDockBar& b : Bars)
        b.DockRow =
            static_cast<int>(std::lower_bound(used.begin(), used.end(), b.DockRow) - used.begin());
}

TDockBar* TDockLayout::Find(std::uintptr_t id) {
    for (TDockBar& b : Bars)
        if (b.Id == id) return &b;
    return nullptr;
}

TDockLayout::TPlace TDockLayout::Drop(std::uintptr_t id, const TRect& outline, bool fullSize) {
    const bool lr = Type == TDockType::LeftRight;
    const std::int64_t middle = lr ? (std::int64_t{outline.Left} + outline.Right) / 2
                                   : (std::int64_t{outline.Top} + outline.Bottom) / 2;
    bool before = false;
    int row = RowOf(ClampToInt(middle), before);
    if (before) {
        InsertRowBefore(row);
    } else if (fullSize && ToolbarsOnRow(row, id) > 0) {
        row = ClampToInt(std::int64_t{row} + 1);
        InsertRowBefore(row);
    }
    return TPlace{row, std::max(0, AlongOf(outline))};
}

int TDockLayout::Arrange(int width, int height, bool commit) {
    const bool lr = Type == TDockType::LeftRight;
    const bool anyShown = std::any_of(Bars.begin(), Bars.end(), [](auto& b) { return b.Shown; });
    if (!anyShown) {
        RowSizes.clear();
        return FixAlign ? 1 : 0;
    }
    const int clientW = std::max(0, width - NonClientWidth);
    const int clientH = std::max(0, height - NonClientHeight);
    const int extent = lr ? clientH : clientW;

    if (LimitToOneRow)
        for (TDockBar& b : Bars)
            b.DockRow = 0;
    RemoveBlankRows();
    // A stable sort: windows with equal row and position keep their list order.
    auto byPlace = [](const TDockBar& a, const TDockBar& b) {
        return a.DockRow != b.DockRow ? a.DockRow < b.DockRow : a.DockPos < b.DockPos;
    };
    std::stable_sort(Bars.begin(), Bars.end(), byPlace);

    // A full-size window ends alone in its row: everything else at or after
    // that row moves down one.
    int highest = HighestRow();
    for (int r = 0; r <= highest; ++r) {
        for (std::size_t i = 0; i < Bars.size(); ++i) {
            if (Bars[i].DockRow != r || !Bars[i].FullSize) continue;
            if (ToolbarsOnRow(r, Bars[i].Id) == 0) continue;
            for (std::size_t j = 0; j < Bars.size(); ++j)
                if (j != i && Bars[j].DockRow >= r) ++Bars[j].DockRow;
            ++highest;
        }
    }
    std::stable_sort(Bars.begin(), Bars.end(), byPlace);

    RowSizes.assign(static_cast<std::size_t>(highest + 1), 0);
    for (const TDockBar& b : Bars)
        if (b.Shown) RowSizes[b.DockRow] = std::max({RowSizes[b.DockRow], b.Across, 8});

    // Collisions: each window starts at or after the end of the one before.
    for (int r = 0; r <= highest; ++r) {
        std::int64_t cursor = 0;
        for (TDockBar& b : Bars) {
            if (b.DockRow != r || !b.Shown) continue;
            if (b.FullSize)
                b.DockPos = 0;
            else if (b.DockPos < cursor)
                b.DockPos = ClampToInt(cursor);
            cursor = std::int64_t{b.DockPos} + std::max(0, b.Along);
        }
    }

    // Fit: windows pushed back inside the dock's end, never before 0 or over
    // their left neighbour; on a copy unless committing.
    std::vector<std::int64_t> pos(Bars.size());
    for (std::size_t i = 0; i < Bars.size(); ++i)
        pos[i] = Bars[i].DockPos;
    std::vector<std::size_t> row;
    for (int r = 0; r <= highest; ++r) {
        row.clear();
        for (std::size_t i = 0; i < Bars.size(); ++i)
            if (Bars[i].DockRow == r && Bars[i].Shown) row.push_back(i);
        std::int64_t limit = extent;
        for (auto k = row.rbegin(); k != row.rend(); ++k) {
            const TDockBar& b = Bars[*k];
            if (b.FullSize) continue;
            pos[*k] = std::min(pos[*k], limit - std::max(0, b.Along));
            limit = pos[*k];
        }
        std::int64_t cursor = 0;
        for (std::size_t k : row) {
            pos[k] = std::max(pos[k], cursor);
            cursor = pos[k] + std::max(0, Bars[k].Along);
        }
    }
    if (commit)
        for (std::size_t i = 0; i < Bars.size(); ++i)
            if (Bars[i].Shown) Bars[i].DockPos = ClampToInt(pos[i]);

    // Placing, row by row; a row is its thickness plus a 4-pixel border.
    std::int64_t offset = 0;
    for (int r = 0; r <= highest; ++r) {
        const int thick = RowSizes[r] ? RowSizes[r] + 4 : 0;
        for (std::size_t i = 0; i < Bars.size(); ++i) {
            TDockBar& b = Bars[i];
            if (b.DockRow != r || !b.Shown) continue;
            const int along = b.FullSize ? extent : std::max(0, b.Along);
            const int at = ClampToInt(pos[i]);
            const int off = ClampToInt(offset);
            b.Bounds = lr ? RectOfSize(off, at, thick, along) : RectOfSize(at, off, along, thick);
        }
        offset += thick;
    }
    return ClampToInt((lr ? NonClientWidth : NonClientHeight) + offset);
}

} // namespace controls
