#include "controls/core/BmpItemMetrics.h"

#include <algorithm>
#include <cstdlib>

namespace controls {

bool CanDrawBitmaps(const TBmpListLook& look) {
    return look.BmpItemWidth >= 1 && look.StripWidth > 0 && look.StripHeight > 0;
}

TBmpItemHeight MeasureBmpItem(const TBmpListLook& look, int fontHeight) {
    fontHeight = std::abs(fontHeight);
    if (!CanDrawBitmaps(look)) return {fontHeight, 0};
    const int h = std::max(fontHeight, look.StripHeight) + 2 * look.TopAndBottomMargin;
    return {h, (h - look.StripHeight) / 2};
}

TBmpItemPaint PaintBmpItem(const TBmpListLook& look, const TRect& item, int pictureOffset,
                           int picture) {
    TBmpItemPaint out;
    const bool can = CanDrawBitmaps(look);
    // Computed in 64 bits: a large picture number times the cell width must
    // not wrap into the strip.
    const long long x = (long long)picture * look.BmpItemWidth;
    if (can && picture >= 0 && x < look.StripWidth) {
        out.DrawPicture = true;
        const int w = int(std::min<long long>(look.BmpItemWidth, look.StripWidth - x));
        out.Source = Bounds(int(x), 0, w, look.StripHeight);
        out.Target = {item.Left + look.LeftMargin, item.Top + pictureOffset};
    }
    out.TextLeft = item.Left + look.BmpItemWidth + (can ? 2 * look.LeftMargin : 0);
    return out;
}

} // namespace controls
