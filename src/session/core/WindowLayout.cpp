#include "session/core/WindowLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace session {

namespace {

int AtLeast(int v, int low) {
    return v < low ? low : v;
}

// Splits total into count parts, the extra pixels to the first parts.
std::vector<int> Split(int total, int count) {
    std::vector<int> parts(static_cast<std::size_t>(count), total / count);
    for (int i = 0; i < total % count; ++i)
        ++parts[static_cast<std::size_t>(i)];
    return parts;
}

// Length in bytes of the UTF-8 character starting at s[i].
std::size_t CharLength(const std::string& s, std::size_t i) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    return std::min(n, s.size() - i);
}

// The string's characters (each a UTF-8 sequence).
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = CharLength(s, i);
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

const char* const HiddenHead = "(Alt + ";

} // namespace

TSessionFit FitSessionWindow(TLayoutSize area, TFrameMargins frame, int barWidth, bool barShown,
                             TLayoutSize cell) {
    const int bar = barShown ? AtLeast(barWidth, 0) : 0;
    TSessionFit fit;
    fit.Screen.Width = AtLeast(area.Width - frame.Horizontal() - bar, AtLeast(cell.Width, 1));
    fit.Screen.Height = AtLeast(area.Height - frame.Vertical(), AtLeast(cell.Height, 1));
    fit.Outer.Width = fit.Screen.Width + bar + frame.Horizontal();
    fit.Outer.Height = fit.Screen.Height + frame.Vertical();
    fit.BarLeft = fit.Screen.Width;
    return fit;
}

std::vector<TLayoutRect> TileHorizontal(TLayoutSize area, int count, TLayoutSize minOuter) {
    std::vector<TLayoutRect> out;
    if (count <= 0) return out;
    const int width = AtLeast(area.Width, minOuter.Width);
    int top = 0;
    for (int h : Split(AtLeast(area.Height, 0), count)) {
        h = AtLeast(h, minOuter.Height);
        out.push_back({0, top, width, h});
        top += h;
    }
    return out;
}

std::vector<TLayoutRect> TileVertical(TLayoutSize area, int count, TLayoutSize minOuter) {
    std::vector<TLayoutRect> out;
    if (count <= 0) return out;
    const int height = AtLeast(area.Height, minOuter.Height);
    int left = 0;
    for (int w : Split(AtLeast(area.Width, 0), count)) {
        w = AtLeast(w, minOuter.Width);
        out.push_back({left, 0, w, height});
        left += w;
    }
    return out;
}

std::vector<TLayoutRect> Cascade(TLayoutSize area, int count, int step, TLayoutSize minOuter) {
    std::vector<TLayoutRect> out;
    if (count <= 0) return out;
    step = AtLeast(step, 1);
    // The window size leaves room for up to count - 1 steps, but never
    // shrinks below half the area (a long run wraps instead).
    const std::int64_t room = static_cast<std::int64_t>(count - 1) * step;
    auto sizeFor = [&](int total, int low) {
        std::int64_t s = total - room;
        s = std::max<std::int64_t>(s, total / 2);
        return AtLeast(static_cast<int>(s), low);
    };
    const int w = sizeFor(area.Width, minOuter.Width);
    const int h = sizeFor(area.Height, minOuter.Height);
    // Positions that still keep the window inside the area.
    const int maxSteps =
        std::max(1, std::min((area.Width - w) / step, (area.Height - h) / step) + 1);
    for (int i = 0; i < count; ++i) {
        int k = i % maxSteps;
        out.push_back({k * step, k * step, w, h});
    }
    return out;
}

int CascadeStep(TFrameMargins normalFrame, TLayoutSize cell) {
    if (normalFrame.Top > 0) return normalFrame.Top;
    return AtLeast(cell.Height, 1);
}

TShotCut ShotCutUnder(TLayoutRect areaOnDesktop, int desktopOriginX, int desktopOriginY,
                      double pixelRatio, TLayoutSize shotSize) {
    TShotCut cut;
    if (!(pixelRatio > 0) || !std::isfinite(pixelRatio)) pixelRatio = 1;
    auto dev = [&](std::int64_t v) {
        return static_cast<std::int64_t>(std::llround(static_cast<double>(v) * pixelRatio));
    };
    // The area in shot pixels.
    std::int64_t x0 = dev(static_cast<std::int64_t>(areaOnDesktop.Left) - desktopOriginX);
    std::int64_t y0 = dev(static_cast<std::int64_t>(areaOnDesktop.Top) - desktopOriginY);
    std::int64_t x1 = x0 + dev(AtLeast(areaOnDesktop.Width, 0));
    std::int64_t y1 = y0 + dev(AtLeast(areaOnDesktop.Height, 0));
    std::int64_t cx0 = std::max<std::int64_t>(x0, 0), cy0 = std::max<std::int64_t>(y0, 0);
    std::int64_t cx1 = std::min<std::int64_t>(x1, shotSize.Width);
    std::int64_t cy1 = std::min<std::int64_t>(y1, shotSize.Height);
    if (cx1 <= cx0 || cy1 <= cy0) return cut;
    cut.Source = {static_cast<int>(cx0), static_cast<int>(cy0), static_cast<int>(cx1 - cx0),
                  static_cast<int>(cy1 - cy0)};
    cut.TargetX = static_cast<int>(cx0 - x0);
    cut.TargetY = static_cast<int>(cy0 - y0);
    return cut;
}

TBackgroundPaint BackgroundPaint(const TBackgroundState& s) {
    if (s.Transparent) return TBackgroundPaint::DesktopCopy;
    if (s.Picture && !s.FileName.empty()) return TBackgroundPaint::Picture;
    return TBackgroundPaint::None;
}

void ToggleTransparent(TBackgroundState& s) {
    s.Transparent = !s.Transparent;
    if (s.Transparent) s.Picture = false;
}

void TogglePicture(TBackgroundState& s) {
    s.Picture = !s.Picture;
    if (s.Picture) s.Transparent = false;
}

void PictureChosen(TBackgroundState& s, const std::string& fileName) {
    s.FileName = fileName;
    s.Picture = true;
    s.Transparent = false;
}

void PictureFailed(TBackgroundState& s) {
    s.Picture = false;
}

bool SetStyleByTag(TBackgroundState& s, int tag) {
    switch (tag) {
    case 1:
        s.Style = TTileMode::tmCenter;
        return true;
    case 2:
        s.Style = TTileMode::tmTile;
        return true;
    case 3:
        s.Style = TTileMode::tmStretch;
        return true;
    default:
        return false;
    }
}

TTileMode StyleFromStored(int stored) {
    switch (stored) {
    case 0:
        return TTileMode::tmCenter;
    case 2:
        return TTileMode::tmStretch;
    default:
        return TTileMode::tmTile;
    }
}

int StoredStyle(TTileMode mode) {
    switch (mode) {
    case TTileMode::tmCenter:
        return 0;
    case TTileMode::tmStretch:
        return 2;
    default:
        return 1;
    }
}

std::string PictureItemCaption(const std::string& fileName) {
    std::string caption = "顯示圖片(&P)";
    std::size_t slash = fileName.find_last_of('/');
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    if (!name.empty()) caption += "(" + name + ")";
    return caption;
}

TButtonText HideButtonCaption(const TButtonText& b) {
    std::vector<std::string> c = Chars(b.Caption);
    if (c.empty()) return b; // nothing to show in the hint
    TButtonText out;
    out.Hint = b.Hint + HiddenHead + c[0] + ")";
    out.Caption = c.size() >= 2 ? c[1] : std::string();
    return out;
}

TButtonText ShowButtonCaption(const TButtonText& b) {
    // The tail Hide added: "(Alt + " + one character + ")".
    std::size_t head = b.Hint.rfind(HiddenHead);
    if (head == std::string::npos || b.Hint.empty() || b.Hint.back() != ')') return b;
    std::string letter =
        b.Hint.substr(head + std::char_traits<char>::length(HiddenHead),
                      b.Hint.size() - 1 - head - std::char_traits<char>::length(HiddenHead));
    if (Chars(letter).size() != 1) return b;
    return {letter + b.Caption, b.Hint.substr(0, head)};
}

bool TGrowthWatch::Grew(int width, int height) {
    if (width <= FWidth && height <= FHeight) return false;
    FWidth = std::max(FWidth, width);
    FHeight = std::max(FHeight, height);
    return true;
}

bool TMoveWatch::Moved(int left, int top) {
    if (FValid && left == FLeft && top == FTop) return false;
    FLeft = left;
    FTop = top;
    FValid = true;
    return true;
}

bool TRerunGate::Begin() {
    if (FRunning) {
        FPending = true;
        return false;
    }
    FRunning = true;
    return true;
}

bool TRerunGate::Again() {
    if (FPending) {
        FPending = false;
        return true;
    }
    FRunning = false;
    return false;
}

int TWheelNotches::Add(int delta) {
    // A turn the other way drops what the last direction had gathered.
    if ((delta > 0 && FRest < 0) || (delta < 0 && FRest > 0)) FRest = 0;
    long long sum = static_cast<long long>(FRest) + delta;
    long long notches = sum / 120;
    FRest = static_cast<int>(sum - notches * 120);
    return static_cast<int>(-notches);
}

} // namespace session
