// 24-bit pixel buffers (blue, green, red bytes per pixel) and the clipped
// copies, fills, stretches and blends the screen's pictures are made of.
//
// Every operation clips against both buffers: coordinates may be negative or
// lie beyond either edge, and only the overlapping pixels are touched.
#pragma once
#include <cstdint>
#include <vector>

struct TBgr {
    std::uint8_t B = 0, G = 0, R = 0;
    bool IsBlack() const { return B == 0 && G == 0 && R == 0; }
    friend bool operator==(const TBgr&, const TBgr&) = default;
};

// A colour value 0x00BBGGRR (red in the lowest byte) as a pixel.
inline TBgr ColorToBgr(std::uint32_t c) {
    return TBgr{std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
}
inline std::uint32_t BgrToColor(TBgr p) {
    return std::uint32_t(p.R) | std::uint32_t(p.G) << 8 | std::uint32_t(p.B) << 16;
}

class TPixelBuffer {
public:
    TPixelBuffer() = default;
    TPixelBuffer(int width, int height) { SetSize(width, height); }

    // Resizes; the contents become black. Negative sizes count as 0.
    void SetSize(int width, int height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Bytes per line: 3 x width rounded up to a multiple of 4, so a line
    // layout can be shared with image libraries without copying.
    int Stride() const { return FStride; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }

    std::uint8_t* Bits() { return FData.data(); }
    const std::uint8_t* Bits() const { return FData.data(); }
    std::uint8_t* Line(int y) { return FData.data() + std::size_t(y) * FStride; }
    const std::uint8_t* Line(int y) const { return FData.data() + std::size_t(y) * FStride; }

    // Pixel access; reads outside give black, writes outside are ignored.
    TBgr Pixel(int x, int y) const;
    void SetPixel(int x, int y, TBgr p);

    void Fill(TBgr p);
    void FillRect(int x, int y, int w, int h, TBgr p);

    friend bool operator==(const TPixelBuffer&, const TPixelBuffer&) = default;

private:
    int FWidth = 0, FHeight = 0, FStride = 0;
    std::vector<std::uint8_t> FData;
};

// Copies the w x h area of src at (sx, sy) to dst at (dx, dy).
void CopyRect(TPixelBuffer& dst, int dx, int dy, const TPixelBuffer& src, int sx, int sy, int w,
              int h);
// As CopyRect, but pure black source pixels are see-through: they leave the
// destination as it is.
void CopyRectTransparent(TPixelBuffer& dst, int dx, int dy, const TPixelBuffer& src, int sx, int sy,
                         int w, int h);
// Copies the w x h area of src at (sx, sy) to dst at (0, 0), making dst
// exactly w x h; pixels with no source (outside src) are black.
void CopyArea(TPixelBuffer& dst, const TPixelBuffer& src, int sx, int sy, int w, int h);
// Scales the whole of src into the dw x dh rectangle of dst at (dx, dy),
// nearest pixel; parts of the rectangle outside dst are cut off.
void StretchDraw(TPixelBuffer& dst, int dx, int dy, int dw, int dh, const TPixelBuffer& src);

// Blends over the area both buffers cover, channel by channel, with integer
// arithmetic that truncates: dst = (dst x t + other x (100 - t)) div 100.
// t is a percentage, clamped to 0..100.
void BlendWith(TPixelBuffer& dst, const TPixelBuffer& other, int t);
// dst = (dst x t + c x (100 - t)) div 100.
void BlendWithColor(TPixelBuffer& dst, TBgr c, int t);
// dst = (c x t + dst x (100 - t)) div 100: the colour is the weighted layer.
void BlendColorOver(TPixelBuffer& dst, TBgr c, int t);
