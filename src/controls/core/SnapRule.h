// The magnetic edges of a form: where a form being moved sticks to the
// screen's edges.
#pragma once
#include "controls/core/Geometry.h"

namespace controls {

// How close an edge must come to a screen edge to stick: an edge at a
// distance d snaps when Min < d < Max (negative d = beyond the screen).
struct TMargin {
    int LeftMin = -8, LeftMax = 10, TopMin = -8, TopMax = 10;
    int RightMin = -8, RightMax = 10, BottomMin = -8, BottomMax = 10;
    bool Enabled = true;
    friend bool operator==(const TMargin&, const TMargin&) = default;
};

// The moving rectangle (screen co-ordinates with the screen at 0,0) after
// the snap: left, then top, then bottom, then right. A snapped edge moves
// the whole form (its size is kept); with alwaysOnScreen an edge beyond the
// screen is pulled back whatever the margins say.
TRect SnapMovingRect(TRect moving, TSize form, TSize screen, const TMargin& margin,
                     bool alwaysOnScreen);

} // namespace controls
