// Rectangle helpers and the rounding multiply-divide.
#include "controls/core/DockGeometry.h"

#include <algorithm>
#include <limits>

namespace controls {

TRect RectOfSize(int left, int top, int width, int height) {
    return TRect{left, top, ClampToInt(std::int64_t{left} + width),
                 ClampToInt(std::int64_t{top} + height)};
}

TRect Shifted(const TRect& r, int dx, int dy) {
    return TRect{ClampToInt(std::int64_t{r.Left} + dx), ClampToInt(std::int64_t{r.Top} + dy),
                 ClampToInt(std::int64_t{r.Right} + dx), ClampToInt(std::int64_t{r.Bottom} + dy)};
}

TRect Intersection(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.Empty()) return TRect{};
    return r;
}

bool Intersects(const TRect& a, const TRect& b) {
    return !Intersection(a, b).Empty();
}

std::int64_t OverlapArea(const TRect& a, const TRect& b) {
    const TRect r = Intersection(a, b);
    return std::int64_t{r.Width()} * r.Height();
}

std::int64_t DistanceSquared(const TRect& a, const TRect& b) {
    auto gap = [](int aLo, int aHi, int bLo, int bHi) -> std::int64_t {
        if (std::int64_t{aHi} <= bLo) return std::int64_t{bLo} - aHi;
        if (std::int64_t{bHi} <= aLo) return std::int64_t{aLo} - bHi;
        return 0;
    };
    const std::int64_t dx = gap(a.Left, a.Right, b.Left, b.Right);
    const std::int64_t dy = gap(a.Top, a.Bottom, b.Top, b.Bottom);
    // Each gap is below 2^32; capping it at 2^31 keeps the sum of squares in
    // 64 bits and still orders near before far.
    const std::int64_t cap = std::int64_t{1} << 31;
    const std::int64_t cx = std::min(dx, cap), cy = std::min(dy, cap);
    return cx * cx + cy * cy;
}

TRect Deflate(const TRect& r, int d) {
    return TRect{ClampToInt(std::int64_t{r.Left} + d), ClampToInt(std::int64_t{r.Top} + d),
                 ClampToInt(std::int64_t{r.Right} - d), ClampToInt(std::int64_t{r.Bottom} - d)};
}

int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const std::int64_t product = std::int64_t{number} * numerator;
    std::int64_t q = product / denominator;
    const std::int64_t rem = product % denominator;
    // Round half away from zero: compare twice the remainder with the divisor.
    const std::int64_t twice = rem < 0 ? -2 * rem : 2 * rem;
    const std::int64_t div = denominator < 0 ? -std::int64_t{denominator} : denominator;
    if (twice >= div) q += ((product < 0) != (denominator < 0)) ? -1 : 1;
    return ClampToInt(q);
}

int ClampToInt(std::int64_t v) {
    constexpr std::int64_t lo = std::numeric_limits<int>::min();
    constexpr std::int64_t hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(v, lo, hi));
}

} // namespace controls
