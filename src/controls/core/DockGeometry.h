// Plain geometry shared by the dock and tool-window engine: points and
// rectangles in screen or dock coordinates (right and bottom exclusive, as
// window rectangles are), and the rounding multiply-divide the drag loop
// uses to keep the pointer's relative place in a window.
#pragma once
#include <cstdint>

namespace controls {

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TSize&) const = default;
};

struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;

    static TRect FromSize(int left, int top, int width, int height);
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(TPoint p) const {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    void Offset(int dx, int dy);
    bool operator==(const TRect&) const = default;
};

// Widths of a frame or margin on each side.
struct TMargins {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Horizontal() const { return Left + Right; }
    int Vertical() const { return Top + Bottom; }
    bool operator==(const TMargins&) const = default;
};

// The overlap of two rectangles; empty (all zero) when they do not meet.
TRect Intersection(const TRect& a, const TRect& b);
bool Intersects(const TRect& a, const TRect& b);
// Area of the overlap, in 64 bits (rectangles may be huge).
std::int64_t OverlapArea(const TRect& a, const TRect& b);
// Squared gap between two rectangles (0 when they touch or overlap), for
// comparing which of several rectangles lies nearest.
std::int64_t DistanceSquared(const TRect& a, const TRect& b);
// Shrinks by d on every side (grows for negative d).
TRect Deflate(const TRect& r, int d);

// number * numerator / denominator rounded half away from zero, computed in
// 64 bits; -1 when the denominator is 0. Results outside int are clamped.
int MulDiv(int number, int numerator, int denominator);

// Clamps a 64-bit sum into int, so sums of hand-edited positions and sizes
// never wrap.
int ClampToInt(std::int64_t v);

} // namespace controls
