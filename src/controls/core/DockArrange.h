// The dock model: the tool windows a dock holds, in rows, and the
// arrangement that gives each shown window its place.
//
// The dock widget keeps its list of tool windows; before an arrangement or a
// row query it fills a TDockLayout with each window's row, position, flags
// and the sizes it asks for on this dock type, and afterwards copies rows,
// positions and bounds back. Rows are renumbered densely from 0, positions
// never fall below 0, and sums of positions and sizes are taken in 64 bits,
// so hand-edited values can neither hang nor overflow the layout.
#pragma once
#include "controls/core/DockGeometry.h"

#include <cstdint>
#include <vector>

namespace controls {

enum class TDockType { NotDocked, TopBottom, LeftRight };
enum TDockPosition { dpTop, dpBottom, dpLeft, dpRight };

inline TDockType DockTypeOf(TDockPosition p) {
    return (p == dpLeft || p == dpRight) ? TDockType::LeftRight : TDockType::TopBottom;
}

// One tool window as its dock sees it.
struct TDockBar {
    std::uintptr_t Id = 0; // the caller's handle for the window
    int DockRow = 0;
    int DockPos = -1;
    bool FullSize = false;
    bool Shown = false; // parent is this dock and visible
    int Along = 0;      // size along the row for this dock type (Width on a top/bottom dock)
    int Across = 0;     // the thickness it asks for (without its 4-pixel border)
    TRect Bounds;       // output: placed bounds in dock client coordinates
};

// The arrangement lock: nested updates collapse into one arrangement at the
// outermost end, keeping a commit asked for meanwhile.
class TArrangeLock {
public:
    // Asks for an arrangement; true when it may run now (the caller then
    // arranges with Commit() and calls Done()).
    bool Request(bool commit, bool loading);
    void BeginUpdate() { ++FCount; }
    // True when the lock reached 0 and an arrangement was asked for meanwhile.
    bool EndUpdate();
    bool Locked() const { return FCount > 0; }
    bool Commit() const { return FCommit; }
    // Taken while an arrangement runs; clears both flags when released.
    void Enter() { ++FCount; }
    void Leave();

private:
    int FCount = 0;
    bool FNeeded = false;
    bool FCommit = false;
};

class TDockLayout {
public:
    TDockType Type = TDockType::TopBottom;
    bool LimitToOneRow = false;
    bool FixAlign = false;
    int NonClientWidth = 0;     // bound lines on the left and right edges
    int NonClientHeight = 0;    // bound lines on the top and bottom edges
    std::vector<TDockBar> Bars; // every window of the dock, in layout order
    std::vector<int> RowSizes;  // thickness of each row, from the last arrangement

    // Lays the shown windows out in a dock of the given outer size and
    // returns the dock's new thickness (height on a top/bottom dock, width on
    // a left/right one). With commit the positions pushed back by a narrow
    // dock are stored; without, the windows return to their stored positions
    // when the dock grows again.
    int Arrange(int width, int height, bool commit);

    // Row queries of the drag loop.
    int HighestRow() const; // -1 when empty
    // RowSizes[row] when that row has a thickness; otherwise barAcross when a
    // window is given (>= 0), else 0.
    int RowSize(int row, int barAcross = -1) const;
    // The row at a pixel across the dock; before = insert a new row there
    // (a 5-pixel band on each side of a row boundary).
    int RowOf(int pixel, bool& before) const;
    int ToolbarsOnRow(int row, std::uintptr_t notIncluding) const;
    void InsertRowBefore(int row);
    // Renumbers the rows in use densely from 0, keeping their order;
    // negative rows count as row 0.
    void RemoveBlankRows();
    TDockBar* Find(std::uintptr_t id);

    // Where a window dropped with its outline at `outline` (dock client
    // coordinates) goes: its row (a new one, made room for here, in the band
    // between rows, or after a shared row for a full-size window) and its
    // position. The window itself need not be in Bars yet.
    struct TPlace {
        int Row = 0;
        int Pos = 0;
    };
    TPlace Drop(std::uintptr_t id, const TRect& outline, bool fullSize);

private:
    int AlongOf(const TRect& r) const { return Type == TDockType::LeftRight ? r.Top : r.Left; }
};

} // namespace controls
