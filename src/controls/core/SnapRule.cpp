#include "controls/core/SnapRule.h"

namespace controls {

TRect SnapMovingRect(TRect r, TSize form, TSize screen, const TMargin& m, bool alwaysOnScreen) {
    if ((m.Enabled && m.LeftMin < r.Left && r.Left < m.LeftMax) || (alwaysOnScreen && r.Left < 0)) {
        r.Left = 0;
        r.Right = form.Width;
    }
    if ((m.Enabled && m.TopMin < r.Top && r.Top < m.TopMax) || (alwaysOnScreen && r.Top < 0)) {
        r.Top = 0;
        r.Bottom = form.Height;
    }
    const int sh = screen.Height, sw = screen.Width;
    if ((m.Enabled && sh - m.BottomMax < r.Bottom && r.Bottom < sh - m.BottomMin) ||
        (alwaysOnScreen && r.Bottom > sh)) {
        r.Bottom = sh;
        r.Top = sh - form.Height;
    }
    if ((m.Enabled && sw - m.RightMax < r.Right && r.Right < sw - m.RightMin) ||
        (alwaysOnScreen && r.Right > sw)) {
        r.Right = sw;
        r.Left = sw - form.Width;
    }
    return r;
}

} // namespace controls
