// Document-area geometry, the background choice and the handler guards.
#include "session/core/WindowLayout.h"

#include <gtest/gtest.h>

using namespace session;

namespace {

TEST(FitSessionWindow, ScreenIsClientLessBarAndNeverBelowOneCell) {
    TFrameMargins frame{4, 27, 4, 4};
    TSessionFit fit = FitSessionWindow({800, 600}, frame, 16, true, {8, 16});
    EXPECT_EQ(fit.Outer, (TLayoutSize{800, 600}));
    EXPECT_EQ(fit.Screen, (TLayoutSize{800 - 8 - 16, 600 - 31}));
    EXPECT_EQ(fit.BarLeft, fit.Screen.Width);
    // Hidden bar: the screen takes its place.
    EXPECT_EQ(FitSessionWindow({800, 600}, frame, 16, false, {8, 16}).Screen.Width, 792);
    // An area smaller than the frame: one cell, and the window grows to hold it.
    TSessionFit tiny = FitSessionWindow({10, 10}, frame, 16, true, {8, 16});
    EXPECT_EQ(tiny.Screen, (TLayoutSize{8, 16}));
    EXPECT_EQ(tiny.Outer, (TLayoutSize{8 + 16 + 8, 16 + 31}));
    // A zero cell still leaves one pixel.
    EXPECT_EQ(FitSessionWindow({0, 0}, {}, 0, false, {0, 0}).Screen, (TLayoutSize{1, 1}));
}

TEST(Tiling, HorizontalStacksAtFullWidthVerticalSideBySide) {
    auto h = TileHorizontal({1000, 601}, 3, {100, 50});
    ASSERT_EQ(h.size(), 3u);
    EXPECT_EQ(h[0], (TLayoutRect{0, 0, 1000, 201}));
    EXPECT_EQ(h[1], (TLayoutRect{0, 201, 1000, 200}));
    EXPECT_EQ(h[2], (TLayoutRect{0, 401, 1000, 200}));
    auto v = TileVertical({1000, 600}, 3, {100, 50});
    EXPECT_EQ(v[0], (TLayoutRect{0, 0, 334, 600}));
    EXPECT_EQ(v[2], (TLayoutRect{667, 0, 333, 600}));
    EXPECT_TRUE(TileHorizontal({1000, 600}, 0, {}).empty());
}

TEST(Tiling, TooManyWindowsKeepTheirSmallestSizeAndRunPastTheArea) {
    auto h = TileHorizontal({300, 100}, 10, {50, 40});
    ASSERT_EQ(h.size(), 10u);
    for (std::size_t i = 0; i < h.size(); ++i) {
        EXPECT_EQ(h[i].Height, 40);
        EXPECT_EQ(h[i].Top, static_cast<int>(i) * 40);
    }
    auto v = TileVertical({-5, -5}, 2, {50, 40});
    EXPECT_EQ(v[1], (TLayoutRect{50, 0, 50, 40}));
}

TEST(Cascade, StepsDownAndRightAndWrapsInsideTheArea) {
    auto c = Cascade({800, 600}, 3, 24, {100, 60});
    ASSERT_EQ(c.size(), 3u);
    EXPECT_EQ(c[0], (TLayoutRect{0, 0, 800 - 48, 600 - 48}));
    EXPECT_EQ(c[2], (TLayoutRect{48, 48, 752, 552}));
    // Many windows: none shrinks below half the area, none leaves it.
    auto many = Cascade({800, 600}, 50, 24, {100, 60});
    for (const auto& r : many) {
        EXPECT_EQ(r.Width, 400);
        EXPECT_EQ(r.Height, 300);
        EXPECT_LE(r.Left + r.Width, 800);
        EXPECT_LE(r.Top + r.Height, 600);
    }
    EXPECT_EQ(many[13].Top, 0); // 300 / 24 + 1 = 13 places, then again
    // A step of 0 or less still moves each window.
    EXPECT_EQ(Cascade({800, 600}, 2, 0, {})[1].Left, 1);
}

TEST(ShotCutUnder, FollowsTheVirtualDesktopAndPixelRatio) {
    // Area at (100, 50) on a desktop whose left screen starts at x = -1280.
    TShotCut cut = ShotCutUnder({100, 50, 400, 300}, -1280, 0, 1.0, {2560, 1024});
    EXPECT_EQ(cut.Source, (TLayoutRect{1380, 50, 400, 300}));
    EXPECT_EQ(cut.TargetX, 0);
    // Doubled pixels.
    cut = ShotCutUnder({100, 50, 400, 300}, 0, 0, 2.0, {4000, 4000});
    EXPECT_EQ(cut.Source, (TLayoutRect{200, 100, 800, 600}));
}

TEST(ShotCutUnder, AreaPartlyOrWhollyOffTheShotIsClipped) {
    TShotCut cut = ShotCutUnder({-30, -20, 100, 100}, 0, 0, 1.0, {1280, 1024});
    EXPECT_EQ(cut.Source, (TLayoutRect{0, 0, 70, 80}));
    EXPECT_EQ(cut.TargetX, 30);
    EXPECT_EQ(cut.TargetY, 20);
    cut = ShotCutUnder({1200, 1000, 200, 200}, 0, 0, 1.0, {1280, 1024});
    EXPECT_EQ(cut.Source, (TLayoutRect{1200, 1000, 80, 24}));
    EXPECT_EQ(ShotCutUnder({5000, 0, 10, 10}, 0, 0, 1.0, {1280, 1024}).Source.Width, 0);
    EXPECT_EQ(ShotCutUnder({0, 0, 10, 10}, 0, 0, 1.0, {0, 0}).Source.Width, 0);
    // Extreme positions and a broken ratio neither overflow nor crash.
    cut = ShotCutUnder({2147483000, -2147483000, 2147483647, 2147483647}, -2147483647, 2147483647,
                       -1.0, {1280, 1024});
    EXPECT_EQ(cut.Source.Width, 0);
}

TEST(Background, TransparencyAndPictureExcludeEachOther) {
    TBackgroundState s;
    s.FileName = "/p/sky.png";
    TogglePicture(s);
    EXPECT_EQ(BackgroundPaint(s), TBackgroundPaint::Picture);
    ToggleTransparent(s);
    EXPECT_TRUE(s.Transparent);
    EXPECT_FALSE(s.Picture);
    EXPECT_EQ(BackgroundPaint(s), TBackgroundPaint::DesktopCopy);
    PictureChosen(s, "/q/sea.jpg");
    EXPECT_FALSE(s.Transparent);
    EXPECT_EQ(BackgroundPaint(s), TBackgroundPaint::Picture);
    ToggleTransparent(s);
    ToggleTransparent(s); // off again: no picture comes back by itself
    EXPECT_EQ(BackgroundPaint(s), TBackgroundPaint::None);
    // The picture item with no file shows nothing; a failed load keeps the name.
    TBackgroundState empty;
    TogglePicture(empty);
    EXPECT_EQ(BackgroundPaint(empty), TBackgroundPaint::None);
    PictureFailed(s);
    EXPECT_EQ(s.FileName, "/q/sea.jpg");
}

TEST(Background, StyleTagsAndStoredNumbers) {
    TBackgroundState s;
    EXPECT_TRUE(SetStyleByTag(s, 1));
    EXPECT_EQ(s.Style, TTileMode::tmCenter);
    EXPECT_TRUE(SetStyleByTag(s, 3));
    EXPECT_EQ(s.Style, TTileMode::tmStretch);
    EXPECT_FALSE(SetStyleByTag(s, 0));
    EXPECT_FALSE(SetStyleByTag(s, 4));
    EXPECT_EQ(s.Style, TTileMode::tmStretch);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(StoredStyle(StyleFromStored(i)), i);
    EXPECT_EQ(StyleFromStored(-1), TTileMode::tmTile);
    EXPECT_EQ(StyleFromStored(99), TTileMode::tmTile);
}

TEST(Background, PictureCaptionNamesTheFileWithoutFolder) {
    EXPECT_EQ(PictureItemCaption("/home/u/圖/山.bmp"), "顯示圖片(&P)(山.bmp)");
    EXPECT_EQ(PictureItemCaption(""), "顯示圖片(&P)");
    EXPECT_EQ(PictureItemCaption("/home/u/"), "顯示圖片(&P)");
    EXPECT_EQ(PictureItemCaption("a.png"), "顯示圖片(&P)(a.png)");
}

TEST(ButtonCaptions, HideThenShowRestoresCaptionAndHint) {
    TButtonText g{"G", "連線..."};
    TButtonText hidden = HideButtonCaption(g);
    EXPECT_EQ(hidden, (TButtonText{"", "連線...(Alt + G)"}));
    EXPECT_EQ(ShowButtonCaption(hidden), g);
    // Two characters: the second stays on the button.
    TButtonText two{"C中", "連線"};
    EXPECT_EQ(HideButtonCaption(two), (TButtonText{"中", "連線(Alt + C)"}));
    EXPECT_EQ(ShowButtonCaption(HideButtonCaption(two)), two);
}

TEST(ButtonCaptions, ShowWithoutHideAndEmptyCaptionsChangeNothing) {
    TButtonText plain{"G", "連線..."};
    EXPECT_EQ(ShowButtonCaption(plain), plain);
    TButtonText shortHint{"", "ab)"};
    EXPECT_EQ(ShowButtonCaption(shortHint), shortHint);
    TButtonText none{"", "說明"};
    EXPECT_EQ(HideButtonCaption(none), none);
}

TEST(HandlerGuards, SizeRepaintsOnlyPastTheLargestSoFar) {
    TGrowthWatch w;
    EXPECT_TRUE(w.Grew(800, 600));
    EXPECT_FALSE(w.Grew(640, 480));
    EXPECT_FALSE(w.Grew(800, 600));
    EXPECT_TRUE(w.Grew(640, 700)); // taller only
    EXPECT_FALSE(w.Grew(800, 700));
}

TEST(HandlerGuards, MoveRunsOnceAPlaceUntilInvalidated) {
    TMoveWatch m;
    EXPECT_TRUE(m.Moved(-100, -100)); // a window really at the reset value
    EXPECT_FALSE(m.Moved(-100, -100));
    EXPECT_TRUE(m.Moved(10, 20));
    EXPECT_FALSE(m.Moved(10, 20));
    m.Invalidate(); // the dock changed height
    EXPECT_TRUE(m.Moved(10, 20));
}

TEST(HandlerGuards, RequestsDuringAPassRunItOnceMore) {
    TRerunGate g;
    ASSERT_TRUE(g.Begin());
    EXPECT_FALSE(g.Begin()); // arrives while the pass runs
    EXPECT_FALSE(g.Begin());
    EXPECT_TRUE(g.Again()); // one more run, not two
    EXPECT_FALSE(g.Again());
    EXPECT_FALSE(g.Running());
    EXPECT_TRUE(g.Begin());
}

TEST(HandlerGuards, WheelDeltasAddUpToNotches) {
    TWheelNotches w;
    EXPECT_EQ(w.Add(120), -1);
    EXPECT_EQ(w.Add(-240), 2);
    // A touchpad's small steps: nothing until a whole notch came.
    EXPECT_EQ(w.Add(40), 0);
    EXPECT_EQ(w.Add(40), 0);
    EXPECT_EQ(w.Add(40), -1);
    EXPECT_EQ(w.Add(0), 0);
    // A turn back drops the gathered rest.
    EXPECT_EQ(w.Add(100), 0);
    EXPECT_EQ(w.Add(-100), 0);
    EXPECT_EQ(w.Add(-20), 1);
    EXPECT_EQ(w.Add(2147483647), -17895697);
}

} // namespace

namespace {

TEST(CascadeStep, CaptionOfANormalFrameElseOneCell) {
    EXPECT_EQ(CascadeStep({4, 24, 4, 4}, {8, 16}), 24);
    // Measured while maximised (caption hidden): one cell, never 0 or 1 pixel.
    EXPECT_EQ(CascadeStep({0, 0, 0, 0}, {8, 16}), 16);
    EXPECT_EQ(CascadeStep({0, 0, 0, 0}, {0, 0}), 1);
    EXPECT_EQ(CascadeStep({0, -3, 0, 0}, {8, 20}), 20);
}

} // namespace
