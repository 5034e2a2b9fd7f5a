// The pictures of a toolbar button: state images cut from a glyph strip,
// the embossed disabled image, the latched face's dither pattern, and the
// per-size lists that keep built images until the glyph changes.
//
// Images are 32-bit pixels 0xAARRGGBB (alpha 0 = see-through), so a widget
// can wrap them without copying. Every operation clips: odd, empty or
// oversized glyphs and cells beyond the strip never read or write outside
// an image.
#pragma once
#include "controls/core/ButtonMachine.h"
#include "controls/core/Geometry.h"

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace controls {

using TArgb = std::uint32_t;
constexpr TArgb Opaque(TArgb rgb) {
    return rgb | 0xFF000000u;
}
constexpr TArgb RgbOf(TArgb p) {
    return p & 0x00FFFFFFu;
}

class TImage {
public:
    TImage() = default;
    TImage(int width, int height, TArgb fill = 0);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    // Reads outside give 0 (see-through), writes outside are ignored.
    TArgb Pixel(int x, int y) const;
    void SetPixel(int x, int y, TArgb p);
    TArgb* Bits() { return FPixels.data(); }
    const TArgb* Bits() const { return FPixels.data(); }
    friend bool operator==(const TImage&, const TImage&) = default;

private:
    int FWidth = 0, FHeight = 0;
    std::vector<TArgb> FPixels;
};

// The w x h area of src at (x, y); pixels beyond src are see-through.
TImage CopyArea(const TImage& src, int x, int y, int w, int h);

// The system colours the pictures are made of (0xRRGGBB).
struct TButtonColors {
    TArgb Face = 0xC0C0C0, Highlight = 0xFFFFFF, Shadow = 0x808080;
};

// The 8 x 8 latched pattern: face, with highlight where x and y parity agree.
TImage DitherPattern(TArgb face, TArgb highlight);

// The transparent colour of a glyph: its bottom-left pixel (0xRRGGBB).
TArgb TransparentColorOf(const TImage& glyph);

// The image of one state. The strip holds numGlyphs images side by side;
// a state beyond them shows image 0, except the disabled state, which is
// then built (one pixel wider and taller): the pixels the mask selects
// drawn in highlight one pixel down-right, then in shadow in place. The
// selection is the glyph's black pixels with oldDisabledStyle, else every
// pixel that is neither white, silver nor transparent. Pixels of the
// transparent colour, or white in mask, become see-through.
TImage StateImage(const TImage& strip, const TImage* mask, int numGlyphs, TButtonState state,
                  bool oldDisabledStyle, const TButtonColors& colors);

// A list of same-size images with reusable slots.
class TGlyphList {
public:
    TGlyphList(int width, int height) : FWidth(width), FHeight(height) {}
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Stores image in the first free slot (growing by one when full) and
    // returns the slot. Throws std::invalid_argument("Invalid image size")
    // for an image smaller than the list's size; a larger one is cut.
    int Add(const TImage& image);
    void Delete(int slot);
    const TImage* Image(int slot) const;
    int Count() const { return FUsed; }
    int Capacity() const { return int(FSlots.size()); }

private:
    int FWidth, FHeight, FUsed = 0;
    std::vector<TImage> FSlots;
    std::vector<bool> FInUse;
};

// Every glyph list of the process, at most one per size.
class TGlyphCache {
public:
    std::shared_ptr<TGlyphList> GetList(int width, int height);
    // Drops a list that no longer holds images.
    void ReturnList(const std::shared_ptr<TGlyphList>& list);
    std::size_t ListCount() const { return FLists.size(); }
    static TGlyphCache& Shared();

private:
    std::map<std::pair<int, int>, std::shared_ptr<TGlyphList>> FLists;
};

// The images one button has built, by state, in the shared lists: normal
// states in a list of the glyph's size, disabled ones one pixel larger.
class TButtonGlyph {
public:
    TButtonGlyph() = default;
    ~TButtonGlyph();
    TButtonGlyph(const TButtonGlyph&) = delete;
    TButtonGlyph& operator=(const TButtonGlyph&) = delete;

    void SetGlyph(TImage strip);
    void SetMask(TImage mask);
    const TImage& Glyph() const { return FGlyph; }
    // Stored clamped to 1..5.
    void SetNumGlyphs(int n);
    int NumGlyphs() const { return FNumGlyphs; }
    void SetOldDisabledStyle(bool value);
    void SetColors(const TButtonColors& colors);
    // The size of one image of the strip (0 x 0 without a glyph).
    TSize ImageSize() const;
    // The built image of a state, built on first use; nullptr without a
    // glyph.
    const TImage* Image(TButtonState state);
    // Discards every built image.
    void Invalidate();

private:
    TImage FGlyph, FMask;
    int FNumGlyphs = 1;
    bool FOldDisabledStyle = false;
    TButtonColors FColors;
    std::shared_ptr<TGlyphList> FLists[2];
    int FSlots[2][5] = {{-1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1}};
};

} // namespace controls
