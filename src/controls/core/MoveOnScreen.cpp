// Work-area choice and the on-screen shift.
#include "controls/core/MoveOnScreen.h"

#include <algorithm>

namespace controls {

TRect NearestWorkArea(const TRect& r, const std::vector<TRect>& areas) {
    const TRect* best = nullptr;
    std::int64_t bestOverlap = 0;
    for (const TRect& a : areas) {
        const std::int64_t o = OverlapArea(r, a);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &a;
        }
    }
    if (best) return *best;
    std::int64_t bestDistance = 0;
    for (const TRect& a : areas) {
        const std::int64_t d = DistanceSquared(r, a);
        if (!best || d < bestDistance) {
            bestDistance = d;
            best = &a;
        }
    }
    return best ? *best : TRect{};
}

TRect WorkAreaAt(TPoint p, const std::vector<TRect>& areas) {
    return NearestWorkArea(RectOfSize(p.X, p.Y, 1, 1), areas);
}

TRect MoveOnScreen(const TRect& window, const std::vector<TRect>& areas,
                   bool onlyIfFullyOffscreen) {
    if (areas.empty()) return window;
    const TRect wa = NearestWorkArea(window, areas);
    if (onlyIfFullyOffscreen && Intersects(window, wa)) return window;
    TRect r = window;
    if (r.Right > wa.Right) r = Shifted(r, ClampToInt(std::int64_t{wa.Right} - r.Right), 0);
    if (r.Bottom > wa.Bottom) r = Shifted(r, 0, ClampToInt(std::int64_t{wa.Bottom} - r.Bottom));
    if (r.Left < wa.Left) r = Shifted(r, ClampToInt(std::int64_t{wa.Left} - r.Left), 0);
    if (r.Top < wa.Top) r = Shifted(r, 0, ClampToInt(std::int64_t{wa.Top} - r.Top));
    return r;
}

TPoint ClampPoint(TPoint p, const TRect& r) {
    if (r.Empty()) return p;
    return TPoint{std::clamp(p.X, r.Left, r.Right - 1), std::clamp(p.Y, r.Top, r.Bottom - 1)};
}

} // namespace controls
