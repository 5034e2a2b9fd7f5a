// Where a background picture goes in a client area, by tile mode.
//
//   tmTile     copies from the top-left corner across and down
//   tmStretch  one copy stretched to the whole area
//   tmCenter   one copy in the middle
//   positioned modes: x = 0 (Left), width - picture width - 1 (Right) or
//   width / 2 - picture width / 2 (Center); y = height / 2 - picture height / 2
//   (VCenter), 0 (VTop) or height - picture height (VBottom)
//
// Every mode but tmTile and tmStretch fills the area with the window's own
// brush first.
#pragma once
#include <optional>

enum class TTileMode {
    tmTile,
    tmStretch,
    tmCenter,
    tmLeftVCenter,
    tmLeftVTop,
    tmLeftVBottom,
    tmRightVCenter,
    tmRightVTop,
    tmRightVBottom,
    tmCenterVTop,
    tmCenterVBottom
};
constexpr int kTileModeCount = 11;

struct TTileRect {
    int X = 0, Y = 0, Width = 0, Height = 0;
    bool operator==(const TTileRect&) const = default;
};

// True when the mode fills the area with the brush before drawing.
bool TileModeFillsFirst(TTileMode mode);

// The rectangle the picture is drawn into (the picture's size, but for
// tmStretch); for tmTile the first copy, which repeats across and down.
// None for an empty area or an empty picture.
std::optional<TTileRect> TilePlacement(TTileMode mode, int areaWidth, int areaHeight,
                                       int pictureWidth, int pictureHeight);
