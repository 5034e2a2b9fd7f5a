// Placing top-level windows by their frames: fixed outer sizes, the frame
// measured from the real window, and a window put into a screen's corner.
#include "session/core/FramePlace.h"

#include <gtest/gtest.h>

namespace {

using session::ClientForOuter;
using session::MarginsBetween;
using session::OuterInCorner;
using session::TFrameMargins;
using session::TLayoutRect;
using session::TLayoutSize;

int RightEdge(const TLayoutRect& r) {
    return r.Left + r.Width;
}
int BottomEdge(const TLayoutRect& r) {
    return r.Top + r.Height;
}

TEST(FramePlace, FixedSizeIsTheWholeWindowWithItsFrame) {
    const TFrameMargins frame{4, 27, 4, 4};
    const TLayoutRect client = ClientForOuter({0, 0, 640, 480}, frame);
    EXPECT_EQ(client, (TLayoutRect{4, 27, 632, 449}));
    // Measured back, the frame and the client give exactly the chosen size.
    const TFrameMargins m = MarginsBetween({0, 0, 640, 480}, client);
    EXPECT_EQ(m.Horizontal() + client.Width, 640);
    EXPECT_EQ(m.Vertical() + client.Height, 480);
    EXPECT_EQ(m.Left, 4);
    EXPECT_EQ(m.Top, 27);
}

TEST(FramePlace, WithoutAFrameTheClientIsTheWholeWindow) {
    EXPECT_EQ(ClientForOuter({0, 0, 1280, 1024}, {}), (TLayoutRect{0, 0, 1280, 1024}));
}

TEST(FramePlace, AFrameLargerThanTheSizeLeavesOnePixel) {
    const TLayoutRect c = ClientForOuter({0, 0, 10, 10}, {20, 40, 20, 20});
    EXPECT_EQ(c.Width, 1);
    EXPECT_EQ(c.Height, 1);
}

TEST(FramePlace, MarginsOfAWindowWhoseFrameIsNotKnownYetAreZero) {
    // Before the window manager reports the frame, the toolkit's frame
    // rectangle can equal the client or even lie inside it.
    const TFrameMargins none = MarginsBetween({10, 10, 100, 100}, {10, 10, 100, 100});
    EXPECT_EQ(none.Horizontal() + none.Vertical(), 0);
    const TFrameMargins odd = MarginsBetween({12, 12, 90, 90}, {10, 10, 100, 100});
    EXPECT_EQ(odd.Left + odd.Top + odd.Right + odd.Bottom, 0);
}

TEST(FramePlace, CornerPutsTheFrameNotTheClientOnTheEdges) {
    const TLayoutRect area{0, 0, 1920, 1040};
    const TLayoutRect outer = OuterInCorner(area, {440, 220}, {1, 22, 1, 1});
    EXPECT_EQ(RightEdge(outer), 1920);
    EXPECT_EQ(BottomEdge(outer), 1040);
    EXPECT_EQ(outer.Width, 442);
    EXPECT_EQ(outer.Height, 243);
    // Its client then ends one frame's width inside the corner.
    const TLayoutRect client = ClientForOuter(outer, {1, 22, 1, 1});
    EXPECT_EQ(RightEdge(client), 1919);
    EXPECT_EQ(BottomEdge(client), 1039);
}

TEST(FramePlace, CornerOfASecondScreen) {
    const TLayoutRect outer = OuterInCorner({1920, -200, 1280, 1024}, {300, 100}, {});
    EXPECT_EQ(outer, (TLayoutRect{2900, 724, 300, 100}));
}

TEST(FramePlace, WindowLargerThanTheAreaKeepsItsCaptionOnIt) {
    const TLayoutRect outer = OuterInCorner({100, 50, 300, 200}, {800, 600}, {2, 20, 2, 2});
    EXPECT_EQ(outer.Left, 100);
    EXPECT_EQ(outer.Top, 50);
    EXPECT_EQ(outer.Width, 804);
    EXPECT_EQ(outer.Height, 622);
}

} // namespace
