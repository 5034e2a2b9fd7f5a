#include "session/core/FramePlace.h"

#include <algorithm>

namespace session {

TFrameMargins MarginsBetween(TLayoutRect outer, TLayoutRect client) {
    TFrameMargins m;
    m.Left = std::max(0, client.Left - outer.Left);
    m.Top = std::max(0, client.Top - outer.Top);
    m.Right = std::max(0, (outer.Left + outer.Width) - (client.Left + client.Width));
    m.Bottom = std::max(0, (outer.Top + outer.Height) - (client.Top + client.Height));
    return m;
}

TLayoutRect ClientForOuter(TLayoutRect outer, TFrameMargins frame) {
    return {outer.Left + frame.Left, outer.Top + frame.Top,
            std::max(1, outer.Width - frame.Horizontal()),
            std::max(1, outer.Height - frame.Vertical())};
}

TLayoutRect OuterInCorner(TLayoutRect area, TLayoutSize client, TFrameMargins frame) {
    const int width = std::max(1, client.Width) + frame.Horizontal();
    const int height = std::max(1, client.Height) + frame.Vertical();
    const int left = std::max(area.Left, area.Left + area.Width - width);
    const int top = std::max(area.Top, area.Top + area.Height - height);
    return {left, top, width, height};
}

} // namespace session
