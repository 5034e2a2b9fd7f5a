// The toolbar's layout of its child controls: one line when docked, rows
// wrapped at the floating width when floating, groups kept together up to
// each separator; and the list of shapes a floating toolbar can take.
#pragma once
#include "controls/core/DockArrange.h"
#include "controls/core/DockGeometry.h"

#include <vector>

namespace controls {

// One child control, in the toolbar's order, shown for the dock type in
// question (the caller leaves out the others).
struct TToolbarItem {
    int Width = 0;
    int Height = 0;
    bool Separator = false;
    bool Blank = false; // a separator that draws nothing
    int SizeHorz = 6;   // a separator's extent along a top/bottom row
    int SizeVert = 6;   // and along a left/right row
};

// A separator that ended a floating row, drawn across the toolbar.
struct TWrapLine {
    int Pos = 0; // top of the row that follows it (the line lies 4 and 3 pixels above)
    bool Blank = false;
    bool operator==(const TWrapLine&) const = default;
};

struct TToolbarLayout {
    std::vector<TRect> Bounds;  // per item, client coordinates
    std::vector<bool> WrapLine; // per item: a separator turned into a wrap line (width 0)
    std::vector<TWrapLine> WrapLines;
    TSize ClientSize;
};

// Margins of the layout: floating top 2, bottom 1, left 4, right 4; docked none.
TMargins ToolbarMargins(TDockType type);

// The thickness the toolbar asks for across a row of this dock type: the
// largest height (top/bottom, floating) or width (left/right) of its
// non-separator controls, 8 when it has none.
int MinimumSizeAcross(const std::vector<TToolbarItem>& items, TDockType type);

// Lays the items out for a dock type; floatingRightX wraps floating rows (0
// = one row; narrower than the widest control + 8 counts as that). The row
// thickness is the minimum size across, or the dock's row when the caller
// gives one (rowThickness > 0).
TToolbarLayout OrderControls(const std::vector<TToolbarItem>& items, TDockType type,
                             int floatingRightX, int rowThickness = 0);

// The client sizes a floating toolbar can take, widest first: widths
// strictly falling, each the narrowest that gives its height.
std::vector<TSize> BuildPotentialSizes(const std::vector<TToolbarItem>& items);

} // namespace controls
