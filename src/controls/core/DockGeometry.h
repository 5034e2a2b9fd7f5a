// Geometry helpers of the dock and tool-window engine over the control
// layer's points and rectangles (screen or dock coordinates): sums clamped
// into int, overlap and distance, frame margins, and the rounding
// multiply-divide the drag loop uses to keep the pointer's relative place
// in a window.
#pragma once
#include "controls/core/Geometry.h"

#include <cstdint>

namespace controls {

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

// A rectangle from its top-left corner and size, the far edges clamped
// into int.
TRect RectOfSize(int left, int top, int width, int height);
// The rectangle moved by (dx, dy), clamped into int.
TRect Shifted(const TRect& r, int dx, int dy);
inline bool Contains(const TRect& r, TPoint p) {
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

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
