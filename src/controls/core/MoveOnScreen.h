// Keeping floating windows reachable: the work area nearest a window and the
// shift that brings the window inside it.
#pragma once
#include "controls/core/DockGeometry.h"

#include <vector>

namespace controls {

// The work area that overlaps the rectangle most, or, when none overlaps,
// the one nearest to it. An empty list gives an empty rectangle.
TRect NearestWorkArea(const TRect& r, const std::vector<TRect>& areas);
// The work area under (or nearest to) a point.
TRect WorkAreaAt(TPoint p, const std::vector<TRect>& areas);

// Where a floating window at `window` should be. With onlyIfFullyOffscreen a
// window that still overlaps its work area stays; otherwise it is shifted
// left, up, right and down, in that order, as far as needed to lie inside
// (a window larger than the area ends at its left and top edges).
TRect MoveOnScreen(const TRect& window, const std::vector<TRect>& areas, bool onlyIfFullyOffscreen);

// A point clamped into a rectangle (last pixel included).
TPoint ClampPoint(TPoint p, const TRect& r);

} // namespace controls
