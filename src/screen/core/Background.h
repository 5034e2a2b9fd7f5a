// Composition of a screen's background: the picture placed by one of six
// styles (the front layer), blended with a part of a desktop picture or with
// a plain colour (the back layer).
#pragma once
#include "screen/core/PixelBuffer.h"

#include <cstdint>
#include <functional>

enum TBackgroundStyle : std::uint8_t {
    bsCentered,
    bsTiled,
    bsFitCentered,
    bsFitTiled,
    bsStretched,
    bsCustom
};

// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double v);

struct TPictureSize {
    int Width = 0, Height = 0;
    friend bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

// Size of a pw x ph picture fitted into W x H keeping its shape: a picture
// that fits keeps its size (pictures are never enlarged). Never below 1 x 1,
// so a tile of an extreme picture shape cannot vanish.
TPictureSize FittedSize(int pw, int ph, int W, int H);

// The biggest background the screen composes; a control larger than this
// (or with no area) is clamped to it and keeps its old bitmaps for that call.
constexpr int MaxBackgroundWidth = 1280;
constexpr int MaxBackgroundHeight = 1024;

struct TSizeCheck {
    bool Accept = false;       // W x H may be used for the bitmaps
    int Width = 0, Height = 0; // the control's size after the check
};
TSizeCheck CheckBackgroundSize(int W, int H);

// Builds the W x H front layer: the picture placed by style on black.
// bsCustom leaves it black (the owner draws through its own event).
void BuildFrontLayer(TPixelBuffer& front, int W, int H, const TPixelBuffer& picture,
                     TBackgroundStyle style);

struct TBackgroundParams {
    bool Transparent = true;               // blend with the desktop picture under the control
    int Transparency = 60;                 // weight of the back layer, percent
    std::uint32_t TranspColor = 0;         // 0x00BBGGRR
    const TPixelBuffer* Shot = nullptr;    // desktop picture (may be absent or small)
    int ShotX = 0, ShotY = 0;              // the control's client origin on the desktop
    const TPixelBuffer* Picture = nullptr; // shown picture; null or empty = none
    TBackgroundStyle Style = bsStretched;
    // bsCustom: called with the back buffer once it holds the back layer.
    std::function<void(TPixelBuffer&)> OnCustom;
};

// Composes the W x H background into back (resized to W x H).
void ComposeBackground(TPixelBuffer& back, int W, int H, const TBackgroundParams& p);
