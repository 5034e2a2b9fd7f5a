#include "session/core/TilePlacement.h"

bool TileModeFillsFirst(TTileMode mode) {
    return mode != TTileMode::tmTile && mode != TTileMode::tmStretch;
}

std::optional<TTileRect> TilePlacement(TTileMode mode, int areaWidth, int areaHeight,
                                       int pictureWidth, int pictureHeight) {
    if (areaWidth <= 0 || areaHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
        return std::nullopt;
    const int w = pictureWidth, h = pictureHeight;
    switch (mode) {
    case TTileMode::tmTile:
        return TTileRect{0, 0, w, h};
    case TTileMode::tmStretch:
        return TTileRect{0, 0, areaWidth, areaHeight};
    case TTileMode::tmCenter:
        return TTileRect{areaWidth / 2 - w / 2, areaHeight / 2 - h / 2, w, h};
    default:
        break;
    }
    int x = 0, y = 0;
    switch (mode) {
    case TTileMode::tmLeftVCenter:
    case TTileMode::tmLeftVTop:
    case TTileMode::tmLeftVBottom:
        x = 0;
        break;
    case TTileMode::tmRightVCenter:
    case TTileMode::tmRightVTop:
    case TTileMode::tmRightVBottom:
        x = areaWidth - w - 1;
        break;
    default:
        x = areaWidth / 2 - w / 2;
        break;
    }
    switch (mode) {
    case TTileMode::tmLeftVCenter:
    case TTileMode::tmRightVCenter:
        y = areaHeight / 2 - h / 2;
        break;
    case TTileMode::tmLeftVTop:
    case TTileMode::tmRightVTop:
    case TTileMode::tmCenterVTop:
        y = 0;
        break;
    default:
        y = areaHeight - h;
        break;
    }
    return TTileRect{x, y, w, h};
}
