#include "screen/core/Background.h"

#include <algorithm>
#include <cmath>

int RoundHalfEven(double v) {
    double f = std::floor(v);
    double diff = v - f;
    double r;
    if (diff > 0.5)
        r = f + 1;
    else if (diff < 0.5)
        r = f;
    else
        r = std::fmod(f, 2.0) == 0 ? f : f + 1;
    if (r > 2147483647.0) return 2147483647;
    if (r < -2147483648.0) return -2147483647 - 1;
    return int(r);
}

TPictureSize FittedSize(int pw, int ph, int W, int H) {
    if (pw <= 0 || ph <= 0 || W <= 0 || H <= 0) return {std::max(0, pw), std::max(0, ph)};
    int fw = pw, fh = ph;
    if (pw <= W && ph <= H) return {pw, ph};
    if (pw <= W) {
        fh = H;
        fw = RoundHalfEven(double(pw) * H / ph);
        if (fw > W) {
            fh = RoundHalfEven(double(W) / fw * fh);
            fw = W;
        }
    } else {
        fw = W;
        fh = RoundHalfEven(double(ph) * W / pw);
        if (fh > H) {
            fw = RoundHalfEven(double(H) / fh * fw);
            fh = H;
        }
    }
    return {std::max(1, fw), std::max(1, fh)};
}

TSizeCheck CheckBackgroundSize(int W, int H) {
    if (W <= 0 || W > MaxBackgroundWidth || H <= 0 || H > MaxBackgroundHeight)
        return {false, std::clamp(W, 0, MaxBackgroundWidth), std::clamp(H, 0, MaxBackgroundHeight)};
    return {true, W, H};
}

namespace {

void Tile(TPixelBuffer& front, const TPixelBuffer& tile) {
    if (tile.Empty()) return;
    for (int y = 0; y < front.Height(); y += tile.Height())
        for (int x = 0; x < front.Width(); x += tile.Width())
            CopyRect(front, x, y, tile, 0, 0, tile.Width(), tile.Height());
}

} // namespace

void BuildFrontLayer(TPixelBuffer& front, int W, int H, const TPixelBuffer& picture,
                     TBackgroundStyle style) {
    front.SetSize(W, H);
    if (front.Empty() || picture.Empty()) return;
    const int pw = picture.Width(), ph = picture.Height();
    switch (style) {
    case bsCentered:
        CopyRect(front, (W - pw) / 2, (H - ph) / 2, picture, 0, 0, pw, ph);
        break;
    case bsTiled:
        Tile(front, picture);
        break;
    case bsFitCentered: {
        TPictureSize f = FittedSize(pw, ph, W, H);
        StretchDraw(front, (W - f.Width) / 2, (H - f.Height) / 2, f.Width, f.Height, picture);
        break;
    }
    case bsFitTiled: {
        TPictureSize f = FittedSize(pw, ph, W, H);
        if (f.Width == pw && f.Height == ph) {
            Tile(front, picture);
        } else {
            TPixelBuffer tile(f.Width, f.Height);
            StretchDraw(tile, 0, 0, f.Width, f.Height, picture);
            Tile(front, tile);
        }
        break;
    }
    case bsStretched:
        StretchDraw(front, 0, 0, W, H, picture);
        break;
    case bsCustom:
        break;
    }
}

void ComposeBackground(TPixelBuffer& back, int W, int H, const TBackgroundParams& p) {
    const bool picture = p.Picture && !p.Picture->Empty();
    const TBgr colour = ColorToBgr(p.TranspColor);
    const int t = std::clamp(p.Transparency, 0, 100);
    TPixelBuffer front;
    auto buildFront = [&] {
        if (p.Style == bsCustom && p.OnCustom) p.OnCustom(back);
        BuildFrontLayer(front, W, H, *p.Picture, p.Style);
    };
    if (p.Transparent) {
        if (p.Shot)
            CopyArea(back, *p.Shot, p.ShotX, p.ShotY, W, H);
        else
            back.SetSize(W, H);
        if (picture) {
            buildFront();
            BlendWith(back, front, t);
        } else {
            BlendWithColor(back, colour, t);
        }
    } else if (picture) {
        back.SetSize(W, H);
        buildFront();
        back = std::move(front);
        BlendColorOver(back, colour, t);
    } else {
        back.SetSize(W, H);
        back.Fill(colour);
    }
}
