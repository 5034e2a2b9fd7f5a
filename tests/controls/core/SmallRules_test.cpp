#include "controls/core/BmpItemMetrics.h"
#include "controls/core/SnapRule.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {
const TSize Form{300, 200}, Screen{1024, 768};
TRect At(int left, int top) {
    return Bounds(left, top, Form.Width, Form.Height);
}
} // namespace

TEST(SnapRule, LeftEdgeSnapsWithinTheMargin) {
    const TMargin m;
    EXPECT_EQ(SnapMovingRect(At(9, 100), Form, Screen, m, false), At(0, 100));
    EXPECT_EQ(SnapMovingRect(At(10, 100), Form, Screen, m, false), At(10, 100));
    EXPECT_EQ(SnapMovingRect(At(-7, 100), Form, Screen, m, false), At(0, 100));
    EXPECT_EQ(SnapMovingRect(At(-8, 100), Form, Screen, m, false), At(-8, 100));
    EXPECT_EQ(SnapMovingRect(At(-8, 100), Form, Screen, m, true), At(0, 100));
    EXPECT_EQ(SnapMovingRect(At(-200, 100), Form, Screen, m, true), At(0, 100));
    TMargin off;
    off.Enabled = false;
    EXPECT_EQ(SnapMovingRect(At(9, 100), Form, Screen, off, false), At(9, 100));
}

TEST(SnapRule, OtherEdgesAndTheOrderLeftTopBottomRight) {
    const TMargin m;
    // Bottom edge 9 short of the screen's bottom.
    EXPECT_EQ(SnapMovingRect(At(100, 768 - 200 - 9), Form, Screen, m, false), At(100, 568));
    // Right edge 7 beyond the screen.
    EXPECT_EQ(SnapMovingRect(At(1024 - 300 + 7, 100), Form, Screen, m, false), At(724, 100));
    // A form taller than the screen: top snaps first, then bottom wins.
    const TSize tall{300, 770};
    EXPECT_EQ(SnapMovingRect(Bounds(50, 5, 300, 770), tall, Screen, m, false),
              Bounds(50, 768 - 770, 300, 770));
    // Wider than the screen, off the left: left snaps, then the right edge
    // lies beyond the screen and is pulled back.
    const TSize wide{1030, 100};
    EXPECT_EQ(SnapMovingRect(Bounds(-3, 300, 1030, 100), wide, Screen, m, true),
              Bounds(1024 - 1030, 300, 1030, 100));
}

TEST(BmpItemMetrics, HeightsOffsetsAndPicturesBeyondTheStrip) {
    TBmpListLook look{48, 12, 12, 4, 3};
    EXPECT_TRUE(CanDrawBitmaps(look));
    EXPECT_EQ(MeasureBmpItem(look, -16).Height, 22);
    EXPECT_EQ(MeasureBmpItem(look, 16).PictureOffset, 5);
    EXPECT_EQ(MeasureBmpItem(look, 8).Height, 18);

    const TRect item{0, 40, 200, 62};
    auto p = PaintBmpItem(look, item, 5, PictureNumber(PictureValue(2)));
    EXPECT_TRUE(p.DrawPicture);
    EXPECT_EQ(p.Source, Bounds(24, 0, 12, 12));
    EXPECT_EQ(p.Target, (TPoint{4, 45}));
    EXPECT_EQ(p.TextLeft, 12 + 8);

    auto beyond = PaintBmpItem(look, item, 5, 4);
    EXPECT_FALSE(beyond.DrawPicture);
    EXPECT_EQ(beyond.TextLeft, 20);
    EXPECT_FALSE(PaintBmpItem(look, item, 5, 0xFFFF).DrawPicture);

    // A strip that ends inside the last cell gives a cut cell.
    look.StripWidth = 40;
    EXPECT_EQ(PaintBmpItem(look, item, 5, 3).Source, Bounds(36, 0, 4, 12));

    // Cell width 0: no pictures and no indent.
    look.BmpItemWidth = 0;
    EXPECT_FALSE(CanDrawBitmaps(look));
    EXPECT_EQ(MeasureBmpItem(look, 16).Height, 16);
    auto none = PaintBmpItem(look, item, 0, 1);
    EXPECT_FALSE(none.DrawPicture);
    EXPECT_EQ(none.TextLeft, 0);
}
