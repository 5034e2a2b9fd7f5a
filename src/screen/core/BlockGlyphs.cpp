#include "screen/core/BlockGlyphs.h"

#include <algorithm>

namespace {

// Arms of a box-drawing character: up, right, down, left; 0 none, 1 single
// line, 2 double line.
struct TArms {
    char32_t Cp;
    std::uint8_t Up, Right, Down, Left;
};

constexpr TArms BoxTable[] = {
    {0x2500, 0, 1, 0, 1}, {0x2502, 1, 0, 1, 0}, {0x250C, 0, 1, 1, 0}, {0x2510, 0, 0, 1, 1},
    {0x2514, 1, 1, 0, 0}, {0x2518, 1, 0, 0, 1}, {0x251C, 1, 1, 1, 0}, {0x2524, 1, 0, 1, 1},
    {0x252C, 0, 1, 1, 1}, {0x2534, 1, 1, 0, 1}, {0x253C, 1, 1, 1, 1}, {0x2550, 0, 2, 0, 2},
    {0x2551, 2, 0, 2, 0}, {0x2554, 0, 2, 2, 0}, {0x2557, 0, 0, 2, 2}, {0x255A, 2, 2, 0, 0},
    {0x255D, 2, 0, 0, 2}, {0x2560, 2, 2, 2, 0}, {0x2563, 2, 0, 2, 2}, {0x2566, 0, 2, 2, 2},
    {0x2569, 2, 2, 0, 2}, {0x256C, 2, 2, 2, 2}, {0x256D, 0, 1, 1, 0}, {0x256E, 0, 0, 1, 1},
    {0x256F, 1, 0, 0, 1}, {0x2570, 1, 1, 0, 0},
};

const TArms* FindBox(char32_t cp) {
    for (const TArms& a : BoxTable)
        if (a.Cp == cp) return &a;
    return nullptr;
}

// Fills the rectangle between the corners (x0, y0) and (x1, y1), inclusive,
// in either order.
void Span(TPixelBuffer& out, int x0, int y0, int x1, int y1, TBgr c) {
    if (x1 < x0) std::swap(x0, x1);
    if (y1 < y0) std::swap(y0, y1);
    out.FillRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1, c);
}

void DrawBox(TPixelBuffer& out, const TArms& a, TBgr c) {
    const int w = out.Width(), h = out.Height();
    const int t = std::max(1, std::min(w, h) / 12);    // line thickness
    const int d = std::max(t + 1, std::min(w, h) / 6); // half the gap of a double line
    const int cx = (w - t) / 2, cy = (h - t) / 2;      // top-left of the centre line
    const int right = w - 1, bottom = h - 1;
    // Single arms: from the centre to the edge.
    if (a.Up == 1) Span(out, cx, 0, cx + t - 1, cy + t - 1, c);
    if (a.Down == 1) Span(out, cx, cy, cx + t - 1, bottom, c);
    if (a.Left == 1) Span(out, 0, cy, cx + t - 1, cy + t - 1, c);
    if (a.Right == 1) Span(out, cx, cy, right, cy + t - 1, c);
    // Double arms: two lines; each stops at the arm it meets, so corners and
    // crossings keep their inner and outer lines apart.
    const int hiY = cy - d, loY = cy + d, lfX = cx - d, rtX = cx + d;
    if (a.Right == 2) {
        Span(out, a.Up ? rtX : lfX, hiY, right, hiY + t - 1, c);
        Span(out, a.Down ? rtX : lfX, loY, right, loY + t - 1, c);
    }
    if (a.Left == 2) {
        Span(out, 0, hiY, (a.Up ? lfX : rtX) + t - 1, hiY + t - 1, c);
        Span(out, 0, loY, (a.Down ? lfX : rtX) + t - 1, loY + t - 1, c);
    }
    if (a.Down == 2) {
        Span(out, lfX, a.Left ? loY : hiY, lfX + t - 1, bottom, c);
        Span(out, rtX, a.Right ? loY : hiY, rtX + t - 1, bottom, c);
    }
    if (a.Up == 2) {
        Span(out, lfX, 0, lfX + t - 1, (a.Left ? hiY : loY) + t - 1, c);
        Span(out, rtX, 0, rtX + t - 1, (a.Right ? hiY : loY) + t - 1, c);
    }
}

// Rounded share of n eighths of len.
int Eighths(int len, int n) {
    return (len * n + 4) / 8;
}

} // namespace

bool IsBlockGlyph(char32_t cp) {
    return (cp >= 0x2580 && cp <= 0x2590) || cp == 0x2594 || cp == 0x2595 ||
           (cp >= 0x25E2 && cp <= 0x25E5) || FindBox(cp) != nullptr;
}

bool DrawBlockGlyph(TPixelBuffer& out, char32_t cp, TBgr c) {
    const int w = out.Width(), h = out.Height();
    if (w == 0 || h == 0 || !IsBlockGlyph(cp)) return false;
    if (cp == 0x2580) { // upper half
        out.FillRect(0, 0, w, h / 2, c);
    } else if (cp >= 0x2581 && cp <= 0x2588) { // lower 1/8 .. full block
        const int n = Eighths(h, int(cp - 0x2580));
        out.FillRect(0, h - n, w, n, c);
    } else if (cp >= 0x2589 && cp <= 0x258F) { // left 7/8 .. 1/8
        out.FillRect(0, 0, Eighths(w, int(0x2590 - cp)), h, c);
    } else if (cp == 0x2590) { // right half
        out.FillRect(w / 2, 0, w - w / 2, h, c);
    } else if (cp == 0x2594) { // upper 1/8
        out.FillRect(0, 0, w, std::max(1, Eighths(h, 1)), c);
    } else if (cp == 0x2595) { // right 1/8
        const int n = std::max(1, Eighths(w, 1));
        out.FillRect(w - n, 0, n, h, c);
    } else if (cp >= 0x25E2 && cp <= 0x25E5) {
        // Corner triangles: a pixel is inside when its centre lies on the
        // corner's side of the diagonal.
        const bool right = cp == 0x25E2 || cp == 0x25E5, lower = cp == 0x25E2 || cp == 0x25E3;
        const long long ww = w, hh = h;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const long long fx = right ? 2 * x + 1 : 2 * (w - 1 - x) + 1;
                const long long fy = lower ? 2 * y + 1 : 2 * (h - 1 - y) + 1;
                if (fx * hh + fy * ww >= 2 * ww * hh) out.SetPixel(x, y, c);
            }
    } else {
        DrawBox(out, *FindBox(cp), c);
    }
    return true;
}
