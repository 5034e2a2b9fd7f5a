#include "screen/core/PixelBuffer.h"

#include <algorithm>
#include <cstring>

void TPixelBuffer::SetSize(int width, int height) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    if (FWidth == 0 || FHeight == 0) FWidth = FHeight = 0;
    FStride = (FWidth * 3 + 3) & ~3;
    FData.assign(std::size_t(FStride) * FHeight, 0);
}

TBgr TPixelBuffer::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return {};
    const std::uint8_t* p = Line(y) + x * 3;
    return TBgr{p[0], p[1], p[2]};
}

void TPixelBuffer::SetPixel(int x, int y, TBgr c) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    std::uint8_t* p = Line(y) + x * 3;
    p[0] = c.B;
    p[1] = c.G;
    p[2] = c.R;
}

void TPixelBuffer::Fill(TBgr c) {
    FillRect(0, 0, FWidth, FHeight, c);
}

void TPixelBuffer::FillRect(int x, int y, int w, int h, TBgr c) {
    int x0 = std::max(0, x), y0 = std::max(0, y);
    int x1 = std::min(FWidth, x + std::max(0, w)), y1 = std::min(FHeight, y + std::max(0, h));
    if (x0 >= x1 || y0 >= y1) return;
    for (int yy = y0; yy < y1; ++yy) {
        std::uint8_t* p = Line(yy) + x0 * 3;
        if (c.B == c.G && c.G == c.R) {
            std::memset(p, c.B, std::size_t(x1 - x0) * 3);
            continue;
        }
        for (int xx = x0; xx < x1; ++xx, p += 3) {
            p[0] = c.B;
            p[1] = c.G;
            p[2] = c.R;
        }
    }
}

namespace {

// Cuts a copy of w x h pixels from src (sx, sy) to dst (dx, dy) down to what
// both buffers hold. False when nothing is left.
bool ClipCopy(int dstW, int dstH, int srcW, int srcH, int& dx, int& dy, int& sx, int& sy, int& w,
              int& h) {
    if (w <= 0 || h <= 0) return false;
    // Work in 64 bits so extreme coordinates cannot overflow.
    long long ldx = dx, ldy = dy, lsx = sx, lsy = sy, lw = w, lh = h;
    auto cut = [](long long& d, long long& s, long long& len, long long dLim, long long sLim) {
        if (d < 0) {
            s -= d;
            len += d;
            d = 0;
        }
        if (s < 0) {
            d -= s;
            len += s;
            s = 0;
        }
        len = std::min({len, dLim - d, sLim - s});
    };
    cut(ldx, lsx, lw, dstW, srcW);
    cut(ldy, lsy, lh, dstH, srcH);
    if (lw <= 0 || lh <= 0) return false;
    dx = int(ldx), dy = int(ldy), sx = int(lsx), sy = int(lsy), w = int(lw), h = int(lh);
    return true;
}

inline std::uint8_t Mix(int a, int ta, int b, int tb) {
    return std::uint8_t((a * ta + b * tb) / 100);
}

} // namespace

void CopyRect(TPixelBuffer& dst, int dx, int dy, const TPixelBuffer& src, int sx, int sy, int w,
              int h) {
    if (&dst == &src) return; // no caller copies within one buffer; refuse rather than alias
    if (!ClipCopy(dst.Width(), dst.Height(), src.Width(), src.Height(), dx, dy, sx, sy, w, h))
        return;
    for (int y = 0; y < h; ++y)
        std::memcpy(dst.Line(dy + y) + dx * 3, src.Line(sy + y) + sx * 3, std::size_t(w) * 3);
}

void CopyRectTransparent(TPixelBuffer& dst, int dx, int dy, const TPixelBuffer& src, int sx, int sy,
                         int w, int h) {
    if (&dst == &src) return;
    if (!ClipCopy(dst.Width(), dst.Height(), src.Width(), src.Height(), dx, dy, sx, sy, w, h))
        return;
    for (int y = 0; y < h; ++y) {
        std::uint8_t* d = dst.Line(dy + y) + dx * 3;
        const std::uint8_t* s = src.Line(sy + y) + sx * 3;
        for (int x = 0; x < w; ++x, d += 3, s += 3) {
            if (s[0] | s[1] | s[2]) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
            }
        }
    }
}

void CopyArea(TPixelBuffer& dst, const TPixelBuffer& src, int sx, int sy, int w, int h) {
    if (&dst == &src) return;
    dst.SetSize(w, h);
    CopyRect(dst, 0, 0, src, sx, sy, w, h);
}

void StretchDraw(TPixelBuffer& dst, int dx, int dy, int dw, int dh, const TPixelBuffer& src) {
    if (&dst == &src || src.Empty() || dw <= 0 || dh <= 0) return;
    int x0 = std::max(0, dx), y0 = std::max(0, dy);
    long long x1 = std::min<long long>(dst.Width(), (long long)dx + dw);
    long long y1 = std::min<long long>(dst.Height(), (long long)dy + dh);
    if (x0 >= x1 || y0 >= y1) return;
    std::vector<int> srcX(std::size_t(x1 - x0));
    for (int x = x0; x < x1; ++x)
        srcX[x - x0] = int(((long long)(x - dx) * src.Width()) / dw) * 3;
    for (int y = y0; y < y1; ++y) {
        int sy = int(((long long)(y - dy) * src.Height()) / dh);
        const std::uint8_t* s = src.Line(sy);
        std::uint8_t* d = dst.Line(y) + x0 * 3;
        for (std::size_t i = 0; i < srcX.size(); ++i, d += 3) {
            const std::uint8_t* p = s + srcX[i];
            d[0] = p[0];
            d[1] = p[1];
            d[2] = p[2];
        }
    }
}

void BlendWith(TPixelBuffer& dst, const TPixelBuffer& other, int t) {
    t = std::clamp(t, 0, 100);
    int w = std::min(dst.Width(), other.Width()), h = std::min(dst.Height(), other.Height());
    for (int y = 0; y < h; ++y) {
        std::uint8_t* d = dst.Line(y);
        const std::uint8_t* o = other.Line(y);
        for (int i = 0; i < w * 3; ++i)
            d[i] = Mix(d[i], t, o[i], 100 - t);
    }
}

void BlendWithColor(TPixelBuffer& dst, TBgr c, int t) {
    t = std::clamp(t, 0, 100);
    const int add[3] = {c.B * (100 - t), c.G * (100 - t), c.R * (100 - t)};
    for (int y = 0; y < dst.Height(); ++y) {
        std::uint8_t* d = dst.Line(y);
        for (int x = 0; x < dst.Width(); ++x, d += 3)
            for (int k = 0; k < 3; ++k)
                d[k] = std::uint8_t((d[k] * t + add[k]) / 100);
    }
}

void BlendColorOver(TPixelBuffer& dst, TBgr c, int t) {
    BlendWithColor(dst, c, 100 - std::clamp(t, 0, 100));
}
