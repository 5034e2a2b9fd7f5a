// The item geometry of the bitmap list box: each item shows one picture
// cut from a strip (its number in the high 16 bits of the item's value)
// before its text.
#pragma once
#include "controls/core/Geometry.h"

#include <cstdint>

namespace controls {

struct TBmpListLook {
    int StripWidth = 0, StripHeight = 0;
    int BmpItemWidth = 0, LeftMargin = 4, TopAndBottomMargin = 3;
};

// Pictures are drawn when the cell width is at least 1 and the strip holds
// pixels.
bool CanDrawBitmaps(const TBmpListLook& look);

// The picture number of an item's value.
inline int PictureNumber(std::uint32_t value) {
    return int(value >> 16);
}
// An item value holding a picture number (low half 0).
inline std::uint32_t PictureValue(int picture) {
    return std::uint32_t(picture & 0xFFFF) << 16;
}

struct TBmpItemHeight {
    int Height;        // the item's height
    int PictureOffset; // the picture's top within the item
};
// With pictures: max(fontHeight, strip height) + 2 x TopAndBottomMargin, the
// picture centred. Without: the font's height and no offset.
TBmpItemHeight MeasureBmpItem(const TBmpListLook& look, int fontHeight);

struct TBmpItemPaint {
    bool DrawPicture = false;
    TRect Source;  // the strip cell
    TPoint Target; // where the cell goes
    int TextLeft = 0;
};
// Where an item's picture and text go in the item rectangle. A picture
// whose cell starts beyond the strip is not drawn (its text still is); a
// cell the strip cuts short is cut to the strip.
TBmpItemPaint PaintBmpItem(const TBmpListLook& look, const TRect& item, int pictureOffset,
                           int picture);

} // namespace controls
