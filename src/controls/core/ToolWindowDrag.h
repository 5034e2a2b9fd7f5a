// Tool-window frames and the decisions of its drag and resize loops: which
// dock the pointer is over, where the outline goes, which edges a resize
// zone moves and which size a toolbar snaps to. The widget runs the loop
// (events, grab, outline window) and asks these functions at every step.
#pragma once
#include "controls/core/DockArrange.h"
#include "controls/core/DockGeometry.h"

#include <functional>
#include <vector>

namespace controls {

enum TDragHandleStyle { dhDouble, dhNone, dhSingle };

// The frame sizes a floating window is drawn with (our own fixed metrics in
// place of the system's).
struct TFrameMetrics {
    int FrameX = 4; // resizable frame
    int FrameY = 4;
    int DlgFrameX = 3; // fixed frame
    int DlgFrameY = 3;
    int SmallCaption = 16;
};
const TFrameMetrics& DefaultFrameMetrics();

// The docked drag handle: 9, 0 or 6 pixels for dhDouble, dhNone, dhSingle;
// 14 for all three with a close button beside it.
int DragHandleSize(bool closeButtonWhenDocked, TDragHandleStyle style);
// The square close button beside a docked handle.
inline int DockedCloseButtonSize(int handleSize) {
    return handleSize - 3;
}

// Frame of a docked window: a 2-pixel border (none with borderNone) and the
// drag handle on the leading edge when the dock allows dragging.
TMargins DockedFrame(TDockType type, bool allowDrag, bool closeButtonWhenDocked,
                     TDragHandleStyle style, bool borderNone);
// Frame of a floating window: frame metrics on every side, the small caption
// on top when shown.
TMargins FloatingFrame(const TFrameMetrics& m, bool resizable, bool showCaption);

// ---- Drag loop ----------------------------------------------------------------

// One dock the window may be dropped on, in screen coordinates.
struct TDragDock {
    TRect Rect; // the dock's window rectangle on the screen
    TDockType Type = TDockType::TopBottom;
    TSize BarSize; // the dragged window's size on this dock
};

struct TDragStart {
    TPoint Offset;       // pointer inside the window at the press
    TSize StartSize;     // the window's size at the press
    TSize FloatSize;     // its size when floating
    TMargins FloatFrame; // frame of the floating window
    int FloatFrameX = 0; // frame metric used for the floating outline's thickness
    int FloatFrameY = 0;
    bool CannotFloat = false;
};

struct TDragTarget {
    int Dock = -1;       // index into the candidate docks, -1 = floating
    bool NoDrop = false; // cannot float and no dock: nothing happens on release
    TRect Outline;       // screen rectangle of the outline; empty with NoDrop
    bool operator==(const TDragTarget&) const = default;
};

// Asks the dock's owner (OnRequestDock) whether it takes the window.
using TAcceptDock = std::function<bool(int dock)>;

// True when the pointer is over the dock as the drag loop counts it: a band
// beside the dock scaled by the pointer's place in the window, and the
// outline the dock would show intersecting it.
bool DockHit(const TDragStart& start, const TDragDock& dock, TPoint pointer);
// The outline of size `size` that keeps the pointer's relative place.
TRect PlaceOutline(const TDragStart& start, TSize size, TPoint pointer);
// Keeps a floating outline over the work area (shrunk by the frame + 4), its
// caption reachable below the area's top.
TRect KeepFloatingOutline(const TDragStart& start, TRect outline, const TRect& workArea);
// The target for a pointer position: the first dock hit that accepts (none
// while noDock, e.g. with Ctrl held), else floating, else no drop.
TDragTarget EvaluateDrag(const TDragStart& start, const std::vector<TDragDock>& docks,
                         TPoint pointer, bool noDock, const std::vector<TRect>& workAreas,
                         const TAcceptDock& accept = {});

// ---- Resize loop --------------------------------------------------------------

// Frame zones of a floating window, as hit testing reports them.
enum class THitZone {
    Nowhere,
    Client,
    Caption,
    Close,
    Left,
    Right,
    Top,
    Bottom,
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight
};

struct TSizingEdges {
    bool Left = false;
    bool Top = false;
    bool Right = false;
    bool Bottom = false;
    bool Any() const { return Left || Top || Right || Bottom; }
};
TSizingEdges EdgesOf(THitZone zone);

// Where a point of a floating window (window coordinates) lies.
THitZone FloatingHitTest(TPoint p, TSize window, const TFrameMetrics& m, bool resizable,
                         bool showCaption, bool closeButton, bool cornerResize);
// The caption's close button rectangle (window coordinates).
TRect FloatingCloseButton(TSize window, const TFrameMetrics& m, bool resizable);

// The rectangle after the pointer moved by (dx, dy) from the press: the
// grabbed edges follow, the minimum size holds against the opposite edges.
TRect SizingRect(const TRect& start, TSizingEdges edges, int dx, int dy, TSize minimum);
// The potential window size whose dragged edge lies nearest the proposed
// rectangle's (the pointer's) edge, anchored on the opposite edges of the
// proposed rectangle; the proposed rectangle itself when there is none.
TRect SizingStep(const std::vector<TSize>& potential, TSizingEdges edges, const TRect& proposed);

} // namespace controls
