#include "controls/core/MoveOnScreen.h"
#include "controls/core/ToolWindowDrag.h"

#include <climits>
#include <gtest/gtest.h>

using namespace controls;

TEST(FrameMetrics, DragHandleSizesAndFrames) {
    EXPECT_EQ(DragHandleSize(false, dhDouble), 9);
    EXPECT_EQ(DragHandleSize(false, dhNone), 0);
    EXPECT_EQ(DragHandleSize(false, dhSingle), 6);
    for (auto s : {dhDouble, dhNone, dhSingle})
        EXPECT_EQ(DragHandleSize(true, s), 14);
    EXPECT_EQ(DockedCloseButtonSize(14), 11);

    EXPECT_EQ(DockedFrame(TDockType::TopBottom, true, false, dhDouble, false),
              (TMargins{11, 2, 2, 2}));
    EXPECT_EQ(DockedFrame(TDockType::LeftRight, true, false, dhSingle, false),
              (TMargins{2, 8, 2, 2}));
    // No dragging on the dock: no handle; no border with bsNone.
    EXPECT_EQ(DockedFrame(TDockType::TopBottom, false, true, dhDouble, true), (TMargins{}));

    TFrameMetrics m;
    EXPECT_EQ(FloatingFrame(m, true, true),
              (TMargins{m.FrameX, m.FrameY + m.SmallCaption, m.FrameX, m.FrameY}));
    EXPECT_EQ(FloatingFrame(m, false, false),
              (TMargins{m.DlgFrameX, m.DlgFrameY, m.DlgFrameX, m.DlgFrameY}));
}

TEST(MulDivRounding, HalvesAwayFromZeroAndMinusOneForZeroDivisor) {
    EXPECT_EQ(MulDiv(32, 5, 10), 16);
    EXPECT_EQ(MulDiv(1, 1, 2), 1);
    EXPECT_EQ(MulDiv(-1, 1, 2), -1);
    EXPECT_EQ(MulDiv(1, 1, 3), 0);
    EXPECT_EQ(MulDiv(2, 1, 3), 1);
    EXPECT_EQ(MulDiv(7, 3, -2), -11);
    EXPECT_EQ(MulDiv(3, 1, 0), -1);
    EXPECT_EQ(MulDiv(INT_MAX, INT_MAX, 1), INT_MAX);
}

namespace {
// A 100x30 window grabbed 10 pixels in; a top dock along y 0..30 and a
// bottom dock along y 570..600 on an 800x600 screen.
struct DragFixture : ::testing::Test {
    TDragStart start;
    std::vector<TDragDock> docks;
    std::vector<TRect> screens{RectOfSize(0, 0, 800, 600)};
    void SetUp() override {
        start.Offset = {10, 10};
        start.StartSize = {100, 30};
        start.FloatSize = {90, 40};
        start.FloatFrame = TMargins{4, 20, 4, 4};
        start.FloatFrameX = 4;
        start.FloatFrameY = 4;
        docks = {TDragDock{RectOfSize(0, 0, 800, 30), TDockType::TopBottom, {100, 30}},
                 TDragDock{RectOfSize(0, 570, 800, 30), TDockType::TopBottom, {100, 30}}};
    }
};
} // namespace

TEST_F(DragFixture, PointerOverADockTargetsIt) {
    TDragTarget t = EvaluateDrag(start, docks, {300, 15}, false, screens);
    EXPECT_EQ(t.Dock, 0);
    // The outline keeps the pointer's relative place: 10 * 99 / 100 rounds to 10.
    EXPECT_EQ(t.Outline, RectOfSize(290, 5, 100, 30));
    t = EvaluateDrag(start, docks, {300, 580}, false, screens);
    EXPECT_EQ(t.Dock, 1);
    // The band below the top dock reaches 20 - n (n = 20*10/30 = 7) pixels: y 36 still hits.
    EXPECT_EQ(EvaluateDrag(start, docks, {300, 36}, false, screens).Dock, 0);
    EXPECT_EQ(EvaluateDrag(start, docks, {300, 37}, false, screens).Dock, -1);
}

TEST_F(DragFixture, CtrlNeverDocksAndARefusingDockIsPassedOver) {
    TDragTarget t = EvaluateDrag(start, docks, {300, 15}, true, screens);
    EXPECT_EQ(t.Dock, -1);
    EXPECT_FALSE(t.NoDrop);
    EXPECT_EQ(t.Outline.Width(), 90);
    // Overlapping candidates: the first accepting one wins.
    docks[1].Rect = docks[0].Rect;
    t = EvaluateDrag(start, docks, {300, 15}, false, screens, [](int d) { return d != 0; });
    EXPECT_EQ(t.Dock, 1);
}

TEST_F(DragFixture, CannotFloatWithoutADockGivesNoDrop) {
    start.CannotFloat = true;
    TDragTarget t = EvaluateDrag(start, docks, {300, 300}, false, screens);
    EXPECT_TRUE(t.NoDrop);
    EXPECT_TRUE(t.Outline.Empty());
    EXPECT_EQ(EvaluateDrag(start, docks, {300, 15}, false, screens).Dock, 0);
}

TEST_F(DragFixture, EmptyDocksStillTakeWindowsAndSideDocksNeedThePointerInside) {
    docks = {TDragDock{RectOfSize(0, 600, 800, 0), TDockType::TopBottom, {100, 30}}};
    EXPECT_EQ(EvaluateDrag(start, docks, {300, 595}, false, screens).Dock, 0);
    docks = {TDragDock{RectOfSize(0, 100, 30, 400), TDockType::LeftRight, {30, 100}}};
    EXPECT_EQ(EvaluateDrag(start, docks, {15, 300}, false, screens).Dock, 0);
    EXPECT_EQ(EvaluateDrag(start, docks, {15, 95}, false, screens).Dock, -1);
}

TEST_F(DragFixture, FloatingOutlineStaysReachable) {
    // Far off the screen: the pointer is clamped and the outline overlaps.
    TDragTarget t = EvaluateDrag(start, docks, {-5000, -5000}, false, screens);
    EXPECT_EQ(t.Dock, -1);
    EXPECT_TRUE(Intersects(t.Outline, screens[0]));
    EXPECT_GE(t.Outline.Top, 4 - start.FloatFrame.Top);
    t = EvaluateDrag(start, docks, {5000, 5000}, false, screens);
    EXPECT_TRUE(Intersects(t.Outline, screens[0]));
    // Well inside: untouched.
    t = EvaluateDrag(start, docks, {400, 300}, false, screens);
    EXPECT_EQ(t.Outline, RectOfSize(391, 287, 90, 40));
}

TEST(MoveOnScreenTest, OnlyWhollyOffscreenWindowsComeBackWithTwoScreens) {
    const std::vector<TRect> two{RectOfSize(0, 0, 800, 600), RectOfSize(800, 100, 1024, 768)};
    // Partly visible on the second screen: stays.
    const TRect partly = RectOfSize(1700, 800, 300, 100);
    EXPECT_EQ(MoveOnScreen(partly, two, true), partly);
    // Wholly off, nearest the second screen's right edge: pulled inside it.
    EXPECT_EQ(MoveOnScreen(RectOfSize(5000, 300, 100, 50), two, true),
              RectOfSize(1724, 300, 100, 50));
    // Wholly off to the top left: nearest is the first screen.
    EXPECT_EQ(MoveOnScreen(RectOfSize(-900, -900, 100, 50), two, true), RectOfSize(0, 0, 100, 50));
    // Without the exception the partly visible one moves fully inside.
    EXPECT_EQ(MoveOnScreen(partly, two, false), RectOfSize(1524, 768, 300, 100));
    // Larger than its area (the second screen, which it overlaps most): the
    // left and top edges win.
    EXPECT_EQ(MoveOnScreen(RectOfSize(-50, -50, 2000, 2000), two, false),
              RectOfSize(800, 100, 2000, 2000));
    // Coordinates at the ends of int do not wrap.
    const TRect far = MoveOnScreen(TRect{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, two, true);
    EXPECT_TRUE(Intersects(far, two[1]));
    // No screens at all: unchanged.
    EXPECT_EQ(MoveOnScreen(partly, {}, true), partly);
    // A window over both screens belongs to the one it overlaps most.
    EXPECT_EQ(NearestWorkArea(RectOfSize(700, 200, 300, 50), two), two[1]);
}

TEST(Sizing, EdgesFollowThePointerAndSnapToTheNearestPotentialSize) {
    EXPECT_TRUE(EdgesOf(THitZone::BottomLeft).Left);
    EXPECT_TRUE(EdgesOf(THitZone::BottomLeft).Bottom);
    EXPECT_FALSE(EdgesOf(THitZone::Caption).Any());

    const TRect start = RectOfSize(100, 100, 300, 40);
    TSizingEdges right = EdgesOf(THitZone::Right);
    EXPECT_EQ(SizingRect(start, right, -50, 7, {20, 20}), RectOfSize(100, 100, 250, 40));
    // The minimum holds against the opposite edge.
    EXPECT_EQ(SizingRect(start, EdgesOf(THitZone::Left), 1000, 0, {20, 20}),
              RectOfSize(380, 100, 20, 40));

    const std::vector<TSize> potential{{300, 40}, {200, 70}, {120, 100}};
    EXPECT_EQ(SizingStep(potential, right, RectOfSize(100, 100, 240, 40)),
              RectOfSize(100, 100, 200, 70));
    EXPECT_EQ(SizingStep(potential, right, RectOfSize(100, 100, 270, 40)),
              RectOfSize(100, 100, 300, 40));
    // Dragging the left edge keeps the right one; the bottom edge picks by height.
    EXPECT_EQ(SizingStep(potential, EdgesOf(THitZone::Left), TRect{250, 100, 400, 140}),
              (TRect{280, 100, 400, 200}));
    EXPECT_EQ(SizingStep(potential, EdgesOf(THitZone::Bottom), TRect{100, 100, 400, 170}),
              (TRect{100, 100, 300, 170}));
    EXPECT_EQ(SizingStep({}, right, start), start);
}

TEST(HitTest, FloatingFrameZones) {
    const TFrameMetrics m;
    const TSize w{200, 60};
    auto hit = [&](int x, int y, bool corners = false) {
        return FloatingHitTest({x, y}, w, m, true, true, true, corners);
    };
    EXPECT_EQ(hit(50, m.FrameY + 3), THitZone::Caption);
    const TRect close = FloatingCloseButton(w, m, true);
    EXPECT_EQ(hit(close.Left + 1, close.Top + 1), THitZone::Close);
    EXPECT_EQ(hit(50, 40), THitZone::Client);
    EXPECT_EQ(hit(1, 40), THitZone::Left);
    EXPECT_EQ(hit(199, 40), THitZone::Right);
    EXPECT_EQ(hit(50, 59), THitZone::Bottom);
    EXPECT_EQ(hit(50, 1), THitZone::Top);
    EXPECT_EQ(hit(1, 59), THitZone::Left);
    EXPECT_EQ(hit(1, 59, true), THitZone::BottomLeft);
    EXPECT_EQ(hit(-1, 10), THitZone::Nowhere);
    // Without a caption or close button the top is frame and client.
    EXPECT_EQ(FloatingHitTest({50, 10}, w, m, true, false, true, false), THitZone::Client);
    EXPECT_EQ(FloatingHitTest({50, 1}, w, m, false, false, false, false), THitZone::Nowhere);
}
