// Top-level windows placed by their frames. The toolkit sets a window's
// client rectangle, while the sizes the user picks (640 x 480 and the like)
// and the screen's corners are about the whole window with its frame; these
// turn one into the other. Frames are measured on the real windows.
#pragma once
#include "session/core/WindowLayout.h"

namespace session {

// The frame's thickness between an outer and a client rectangle; a part
// that would be negative (no frame known yet) is 0.
TFrameMargins MarginsBetween(TLayoutRect outer, TLayoutRect client);

// The client rectangle that gives a window the outer rectangle `outer`
// with a frame of `frame`; the client keeps at least one pixel each way.
TLayoutRect ClientForOuter(TLayoutRect outer, TFrameMargins frame);

// The outer rectangle of a window with a client of `client` whose frame
// touches the bottom-right corner of `area`. A window larger than the area
// keeps the area's left or top edge instead, so its caption stays reachable.
TLayoutRect OuterInCorner(TLayoutRect area, TLayoutSize client, TFrameMargins frame);

} // namespace session
