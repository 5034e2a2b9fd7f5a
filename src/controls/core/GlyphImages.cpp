#include "controls/core/GlyphImages.h"

#include "controls/core/ButtonLayout.h"

namespace controls {

TImage::TImage(int width, int height, TArgb fill)
    : FWidth(std::max(0, width)), FHeight(std::max(0, height)),
      FPixels(std::size_t(FWidth) * std::size_t(FHeight), fill) {}

TArgb TImage::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return FPixels[std::size_t(y) * std::size_t(FWidth) + std::size_t(x)];
}

void TImage::SetPixel(int x, int y, TArgb p) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    FPixels[std::size_t(y) * std::size_t(FWidth) + std::size_t(x)] = p;
}

TImage CopyArea(const TImage& src, int x, int y, int w, int h) {
    TImage out(w, h);
    for (int j = 0; j < out.Height(); ++j)
        for (int i = 0; i < out.Width(); ++i)
            out.SetPixel(i, j, src.Pixel(x + i, y + j));
    return out;
}

TImage DitherPattern(TArgb face, TArgb highlight) {
    TImage out(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            out.SetPixel(x, y, Opaque((x % 2 == y % 2) ? RgbOf(highlight) : RgbOf(face)));
    return out;
}

TArgb TransparentColorOf(const TImage& glyph) {
    return RgbOf(glyph.Pixel(0, glyph.Height() - 1));
}

namespace {

// Whether the glyph pixel at (x, y) is see-through.
bool SeeThrough(const TImage& glyph, const TImage* mask, TArgb transparent, int x, int y) {
    if (mask && !mask->Empty()) return RgbOf(mask->Pixel(x, y)) != 0;
    return RgbOf(glyph.Pixel(x, y)) == transparent;
}

} // namespace

TImage StateImage(const TImage& strip, const TImage* mask, int numGlyphs, TButtonState state,
                  bool oldDisabledStyle, const TButtonColors& colors) {
    numGlyphs = ClampNumGlyphs(numGlyphs);
    const int w = strip.Width() / numGlyphs, h = strip.Height();
    if (w <= 0 || h <= 0) return {};
    const TArgb transparent = TransparentColorOf(strip);
    const int index = int(state) < numGlyphs ? int(state) : 0;
    if (state != bsDisabled || numGlyphs >= 2) {
        // (A disabled state within the strip is its own image.)
        const int x0 = index * w;
        TImage out(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (!SeeThrough(strip, mask, transparent, x0 + x, y))
                    out.SetPixel(x, y, Opaque(strip.Pixel(x0 + x, y)));
        return out;
    }
    TImage out(w + 1, h + 1);
    std::vector<bool> selected(std::size_t(w) * std::size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (SeeThrough(strip, mask, transparent, x, y)) continue;
            const TArgb p = RgbOf(strip.Pixel(x, y));
            selected[std::size_t(y) * w + x] =
                oldDisabledStyle ? p == 0 : p != 0xFFFFFF && p != 0xC0C0C0;
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (selected[std::size_t(y) * w + x])
                out.SetPixel(x + 1, y + 1, Opaque(RgbOf(colors.Highlight)));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (selected[std::size_t(y) * w + x]) out.SetPixel(x, y, Opaque(RgbOf(colors.Shadow)));
    // The list keeps the image masked on the face colour.
    for (int y = 0; y < out.Height(); ++y)
        for (int x = 0; x < out.Width(); ++x)
            if (RgbOf(out.Pixel(x, y)) == RgbOf(colors.Face)) out.SetPixel(x, y, 0);
    return out;
}

// ---- Glyph lists ----------------------------------------------------------------

int TGlyphList::Add(const TImage& image) {
    if (image.Width() < FWidth || image.Height() < FHeight)
        throw std::invalid_argument("Invalid image size");
    int slot = 0;
    while (slot < int(FInUse.size()) && FInUse[std::size_t(slot)])
        ++slot;
    if (slot == int(FInUse.size())) {
        FSlots.emplace_back();
        FInUse.push_back(false);
    }
    FSlots[std::size_t(slot)] = CopyArea(image, 0, 0, FWidth, FHeight);
    FInUse[std::size_t(slot)] = true;
    ++FUsed;
    return slot;
}

void TGlyphList::Delete(int slot) {
    if (slot < 0 || slot >= int(FInUse.size()) || !FInUse[std::size_t(slot)]) return;
    FInUse[std::size_t(slot)] = false;
    FSlots[std::size_t(slot)] = {};
    --FUsed;
}

const TImage* TGlyphList::Image(int slot) const {
    if (slot < 0 || slot >= int(FInUse.size()) || !FInUse[std::size_t(slot)]) return nullptr;
    return &FSlots[std::size_t(slot)];
}

std::shared_ptr<TGlyphList> TGlyphCache::GetList(int width, int height) {
    auto& list = FLists[{width, height}];
    if (!list) list = std::make_shared<TGlyphList>(width, height);
    return list;
}

void TGlyphCache::ReturnList(const std::shared_ptr<TGlyphList>& list) {
    if (!list || list->Count() > 0) return;
    auto it = FLists.find({list->Width(), list->Height()});
    if (it != FLists.end() && it->second == list) FLists.erase(it);
}

TGlyphCache& TGlyphCache::Shared() {
    static TGlyphCache cache;
    return cache;
}

// ---- One button's images ----------------------------------------------------------

TButtonGlyph::~TButtonGlyph() {
    Invalidate();
}

void TButtonGlyph::Invalidate() {
    for (int k = 0; k < 2; ++k) {
        for (int& slot : FSlots[k]) {
            if (slot >= 0 && FLists[k]) FLists[k]->Delete(slot);
            slot = -1;
        }
        if (FLists[k]) {
            auto list = std::move(FLists[k]);
            FLists[k].reset();
            TGlyphCache::Shared().ReturnList(list);
        }
    }
}

void TButtonGlyph::SetGlyph(TImage strip) {
    Invalidate();
    FGlyph = std::move(strip);
}

void TButtonGlyph::SetMask(TImage mask) {
    Invalidate();
    FMask = std::move(mask);
}

void TButtonGlyph::SetNumGlyphs(int n) {
    n = ClampNumGlyphs(n);
    if (n == FNumGlyphs) return;
    Invalidate();
    FNumGlyphs = n;
}

void TButtonGlyph::SetOldDisabledStyle(bool value) {
    if (value == FOldDisabledStyle) return;
    Invalidate();
    FOldDisabledStyle = value;
}

void TButtonGlyph::SetColors(const TButtonColors& colors) {
    if (colors.Face == FColors.Face && colors.Highlight == FColors.Highlight &&
        colors.Shadow == FColors.Shadow)
        return;
    Invalidate();
    FColors = colors;
}

TSize TButtonGlyph::ImageSize() const {
    const int w = FGlyph.Width() / FNumGlyphs;
    if (w <= 0 || FGlyph.Height() <= 0) return {};
    return {w, FGlyph.Height()};
}

const TImage* TButtonGlyph::Image(TButtonState state) {
    const TSize size = ImageSize();
    if (size.Width == 0) return nullptr;
    const int s = int(state) % 5;
    const int kind = state == bsDisabled && FNumGlyphs < 2 ? 1 : 0;
    if (FSlots[kind][s] < 0) {
        if (!FLists[kind])
            FLists[kind] = TGlyphCache::Shared().GetList(size.Width + kind, size.Height + kind);
        FSlots[kind][s] =
            FLists[kind]->Add(StateImage(FGlyph, FMask.Empty() ? nullptr : &FMask, FNumGlyphs,
                                         state, FOldDisabledStyle, FColors));
    }
    return FLists[kind]->Image(FSlots[kind][s]);
}

} // namespace controls
