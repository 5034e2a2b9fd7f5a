#include "screen/core/Background.h"

#include <gtest/gtest.h>

namespace {

TPixelBuffer Solid(int w, int h, TBgr c) {
    TPixelBuffer b(w, h);
    b.Fill(c);
    return b;
}

// A picture whose every pixel tells its own coordinates (B = x, G = y).
TPixelBuffer Gradient(int w, int h) {
    TPixelBuffer b(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.SetPixel(x, y, TBgr{std::uint8_t(x), std::uint8_t(y), 200});
    return b;
}

const TBgr Red{0, 0, 255}, Black{};

} // namespace

TEST(PixelBuffer, CopiesAreClippedOnEverySide) {
    TPixelBuffer dst = Solid(10, 10, Red);
    TPixelBuffer src = Gradient(4, 4);
    CopyRect(dst, -2, -2, src, 0, 0, 4, 4); // only src (2..3, 2..3) lands
    EXPECT_EQ(dst.Pixel(0, 0), (TBgr{2, 2, 200}));
    EXPECT_EQ(dst.Pixel(2, 2), Red);
    CopyRect(dst, 8, 8, src, -1, -1, 100, 100); // source starts outside
    EXPECT_EQ(dst.Pixel(9, 9), (TBgr{0, 0, 200}));
    EXPECT_EQ(dst.Pixel(8, 8), Red);
    CopyRect(dst, 1 << 30, 5, src, 0, 0, 1 << 30, 1 << 30); // nothing, no overflow
    CopyRect(dst, 5, 5, src, 0, 0, -3, 4);
    TPixelBuffer empty;
    CopyRect(empty, 0, 0, src, 0, 0, 4, 4);
    EXPECT_EQ(dst.Stride() % 4, 0);
}

TEST(PixelBuffer, AreaFromAShotIsBlackWhereTheShotEnds) {
    TPixelBuffer shot = Gradient(50, 40);
    TPixelBuffer out;
    CopyArea(out, shot, -5, 30, 20, 20);
    ASSERT_EQ(out.Width(), 20);
    ASSERT_EQ(out.Height(), 20);
    EXPECT_EQ(out.Pixel(4, 0), Black);              // left of the shot
    EXPECT_EQ(out.Pixel(5, 0), (TBgr{0, 30, 200})); // shot (0, 30)
    EXPECT_EQ(out.Pixel(19, 9), (TBgr{14, 39, 200}));
    EXPECT_EQ(out.Pixel(19, 10), Black); // below the shot
}

TEST(PixelBuffer, TransparentCopyLeavesBlackPixelsAlone) {
    TPixelBuffer dst = Solid(4, 1, Red);
    TPixelBuffer src(4, 1);
    src.SetPixel(1, 0, TBgr{1, 0, 0});
    src.SetPixel(3, 0, TBgr{9, 9, 9});
    CopyRectTransparent(dst, 0, 0, src, 0, 0, 4, 1);
    EXPECT_EQ(dst.Pixel(0, 0), Red);
    EXPECT_EQ(dst.Pixel(1, 0), (TBgr{1, 0, 0}));
    EXPECT_EQ(dst.Pixel(2, 0), Red);
    EXPECT_EQ(dst.Pixel(3, 0), (TBgr{9, 9, 9}));
}

TEST(PixelBuffer, BlendTruncatesPerChannel) {
    TPixelBuffer a = Solid(2, 2, TBgr{255, 100, 1});
    BlendWith(a, Solid(2, 2, TBgr{0, 201, 2}), 60);
    // (255*60 + 0*40)/100 = 153; (100*60 + 201*40)/100 = 140.4; (60 + 80)/100 = 1.4
    EXPECT_EQ(a.Pixel(1, 1), (TBgr{153, 140, 1}));
    TPixelBuffer b = Solid(1, 1, TBgr{10, 20, 30});
    BlendWithColor(b, TBgr{255, 255, 255}, 0);
    EXPECT_EQ(b.Pixel(0, 0), (TBgr{255, 255, 255}));
    TPixelBuffer c = Solid(1, 1, TBgr{10, 20, 30});
    BlendColorOver(c, TBgr{255, 255, 255}, 0);
    EXPECT_EQ(c.Pixel(0, 0), (TBgr{10, 20, 30}));
    BlendColorOver(c, TBgr{255, 255, 255}, 100);
    EXPECT_EQ(c.Pixel(0, 0), (TBgr{255, 255, 255}));
}

TEST(Background, RoundingAndFittedSize) {
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
    EXPECT_EQ(RoundHalfEven(2.4999), 2);
    EXPECT_EQ(FittedSize(100, 100, 300, 200), (TPictureSize{100, 100})); // never enlarged
    EXPECT_EQ(FittedSize(400, 100, 300, 200), (TPictureSize{300, 75}));
    EXPECT_EQ(FittedSize(100, 400, 300, 200), (TPictureSize{50, 200}));
    EXPECT_EQ(FittedSize(600, 500, 300, 200), (TPictureSize{240, 200}));
    EXPECT_EQ(FittedSize(5, 2, 300, 1), (TPictureSize{2, 1}));       // 2.5 -> 2
    EXPECT_EQ(FittedSize(7, 2, 300, 1), (TPictureSize{4, 1}));       // 3.5 -> 4
    EXPECT_EQ(FittedSize(100000, 1, 10, 10), (TPictureSize{10, 1})); // not 0 high
    EXPECT_EQ(FittedSize(1, 100000, 10, 10), (TPictureSize{1, 10}));
}

TEST(Background, SizeCheckClampsAndRefuses) {
    EXPECT_TRUE(CheckBackgroundSize(1280, 1024).Accept);
    TSizeCheck big = CheckBackgroundSize(2000, 1500);
    EXPECT_FALSE(big.Accept);
    EXPECT_EQ(big.Width, 1280);
    EXPECT_EQ(big.Height, 1024);
    TSizeCheck zero = CheckBackgroundSize(0, 300);
    EXPECT_FALSE(zero.Accept);
    EXPECT_EQ(zero.Height, 300);
    EXPECT_FALSE(CheckBackgroundSize(-5, 10).Accept);
}

TEST(Background, CenteredPlacement) {
    TPixelBuffer front;
    BuildFrontLayer(front, 300, 200, Solid(100, 100, Red), bsCentered);
    EXPECT_EQ(front.Pixel(99, 50), Black);
    EXPECT_EQ(front.Pixel(100, 50), Red);
    EXPECT_EQ(front.Pixel(199, 149), Red);
    EXPECT_EQ(front.Pixel(200, 149), Black);
    EXPECT_EQ(front.Pixel(150, 150), Black);
    // A bigger picture shows its middle.
    BuildFrontLayer(front, 300, 200, Gradient(400, 300), bsCentered);
    EXPECT_EQ(front.Pixel(0, 0), (TBgr{50, 50, 200}));
    EXPECT_EQ(front.Pixel(299, 199), (TBgr{std::uint8_t(349), 249, 200}));
}

TEST(Background, FitCenteredNeverEnlargesAndCentres) {
    TPixelBuffer front;
    BuildFrontLayer(front, 300, 200, Solid(100, 100, Red), bsFitCentered);
    EXPECT_EQ(front.Pixel(100, 50), Red);
    EXPECT_EQ(front.Pixel(99, 50), Black);
    BuildFrontLayer(front, 300, 200, Solid(400, 100, Red), bsFitCentered);
    EXPECT_EQ(front.Pixel(0, 61), Black);
    EXPECT_EQ(front.Pixel(0, 62), Red);
    EXPECT_EQ(front.Pixel(299, 136), Red);
    EXPECT_EQ(front.Pixel(299, 137), Black);
}

TEST(Background, TilingCoversTheLayerAndEndsOnOddShapes) {
    TPixelBuffer front;
    BuildFrontLayer(front, 10, 7, Gradient(4, 3), bsTiled);
    EXPECT_EQ(front.Pixel(9, 6), (TBgr{1, 0, 200}));
    EXPECT_EQ(front.Pixel(4, 3), (TBgr{0, 0, 200}));
    // bsFitTiled scales a too-wide picture once, then repeats it.
    BuildFrontLayer(front, 20, 20, Gradient(40, 10), bsFitTiled);
    EXPECT_EQ(front.Pixel(0, 5), front.Pixel(0, 0));
    EXPECT_EQ(front.Pixel(19, 19), front.Pixel(19, 4));
    // A 1-pixel-high tile that would round to nothing still terminates.
    BuildFrontLayer(front, 64, 64, Solid(100000, 1, Red), bsFitTiled);
    EXPECT_EQ(front.Pixel(63, 63), Red);
    // Nothing to tile leaves the layer black.
    BuildFrontLayer(front, 8, 8, TPixelBuffer(), bsTiled);
    EXPECT_EQ(front.Pixel(3, 3), Black);
}

TEST(Background, StretchFillsTheWholeLayer) {
    TPixelBuffer front;
    TPixelBuffer pic = Gradient(2, 2);
    BuildFrontLayer(front, 10, 6, pic, bsStretched);
    EXPECT_EQ(front.Pixel(0, 0), pic.Pixel(0, 0));
    EXPECT_EQ(front.Pixel(9, 5), pic.Pixel(1, 1));
    EXPECT_EQ(front.Pixel(4, 2), pic.Pixel(0, 0));
    EXPECT_EQ(front.Pixel(5, 3), pic.Pixel(1, 1));
}

TEST(Background, ComposeFollowsTheFourLayerRules) {
    TPixelBuffer shot = Solid(800, 600, TBgr{200, 100, 50});
    TPixelBuffer pic = Solid(10, 10, TBgr{0, 0, 100});
    TPixelBuffer back;
    TBackgroundParams p;
    p.Shot = &shot;
    p.ShotX = 790; // the control hangs over the shot's right edge
    p.ShotY = 10;
    p.Picture = &pic;
    p.Transparency = 60;
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(5, 5), (TBgr{120, 60, 70})); // 60 % shot, 40 % picture
    EXPECT_EQ(back.Pixel(15, 5), (TBgr{0, 0, 40}));   // no shot there: black
    p.Transparency = 0;
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(5, 5), (TBgr{0, 0, 100}));
    p.Transparency = 100;
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(5, 5), (TBgr{200, 100, 50}));

    p.Picture = nullptr; // shot blended with the colour
    p.Transparency = 50;
    p.TranspColor = 0x0000FF; // red
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(0, 0), (TBgr{100, 50, 152}));

    p.Transparent = false; // colour only
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(19, 19), (TBgr{0, 0, 255}));

    p.Picture = &pic; // picture blended with the colour
    p.Transparency = 60;
    ComposeBackground(back, 20, 20, p);
    EXPECT_EQ(back.Pixel(0, 0), (TBgr{0, 0, 193})); // (255*60 + 100*40)/100
}
