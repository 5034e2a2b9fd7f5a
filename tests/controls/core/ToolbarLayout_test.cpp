#include "controls/core/ToolbarLayout.h"

#include <gtest/gtest.h>

using namespace controls;

namespace {
TToolbarItem Btn(int w = 23, int h = 22) {
    TToolbarItem it;
    it.Width = w;
    it.Height = h;
    return it;
}
TToolbarItem Sep(bool blank = false) {
    TToolbarItem it;
    it.Separator = true;
    it.Blank = blank;
    return it;
}
// Three buttons, a separator, two buttons: groups of 75 and 46 pixels.
std::vector<TToolbarItem> TwoGroups() {
    return {Btn(), Btn(), Btn(), Sep(), Btn(), Btn()};
}
} // namespace

TEST(ToolbarLayout, DockedIsOneLineWithoutMargins) {
    const auto l = OrderControls(TwoGroups(), TDockType::TopBottom, 50);
    EXPECT_EQ(l.ClientSize, (TSize{23 * 5 + 6, 22}));
    EXPECT_EQ(l.Bounds[3], RectOfSize(69, 0, 6, 22));
    EXPECT_EQ(l.Bounds[4].Left, 75);
    EXPECT_TRUE(l.WrapLines.empty());
    // A taller dock row centres the controls across it.
    const auto tall = OrderControls(TwoGroups(), TDockType::TopBottom, 0, 30);
    EXPECT_EQ(tall.Bounds[0].Top, 4);
    EXPECT_EQ(tall.Bounds[3].Height(), 30);
    // On a side dock the axes swap and separators take SizeVert.
    auto items = TwoGroups();
    items[3].SizeVert = 10;
    const auto lr = OrderControls(items, TDockType::LeftRight, 0);
    EXPECT_EQ(lr.ClientSize, (TSize{23, 22 * 5 + 10}));
    EXPECT_EQ(lr.Bounds[3], RectOfSize(0, 66, 23, 10));
}

TEST(ToolbarLayout, FloatingWithoutWidthIsOneRowWithMargins) {
    const auto l = OrderControls(TwoGroups(), TDockType::NotDocked, 0);
    EXPECT_EQ(l.ClientSize, (TSize{4 + 121 + 4, 2 + 22 + 1}));
    EXPECT_EQ(l.Bounds[0], RectOfSize(4, 2, 23, 22));
}

TEST(ToolbarLayout, WrapSeparatorBecomesALineAndComesBackWhenUnwrapped) {
    const auto l = OrderControls(TwoGroups(), TDockType::NotDocked, 90);
    // The second group wraps; the separator turns into a line 6 pixels of gap.
    EXPECT_EQ(l.Bounds[4], RectOfSize(4, 2 + 22 + 6, 23, 22));
    EXPECT_TRUE(l.WrapLine[3]);
    EXPECT_EQ(l.Bounds[3].Width(), 0);
    ASSERT_EQ(l.WrapLines.size(), 1u);
    EXPECT_EQ(l.WrapLines[0].Pos, 30);
    // The first row's width still counts the separator, so laying out at
    // that width gives the same shape.
    EXPECT_EQ(l.ClientSize, (TSize{4 + 75 + 4, 2 + 22 + 6 + 22 + 1}));
    EXPECT_EQ(OrderControls(TwoGroups(), TDockType::NotDocked, 83).ClientSize, l.ClientSize);
    // Wider again: the separator has its width back and no line is drawn.
    const auto wide = OrderControls(TwoGroups(), TDockType::NotDocked, 400);
    EXPECT_FALSE(wide.WrapLine[3]);
    EXPECT_EQ(wide.Bounds[3].Width(), 6);
    EXPECT_TRUE(wide.WrapLines.empty());
    // A blank separator records a blank line.
    auto items = TwoGroups();
    items[3].Blank = true;
    EXPECT_TRUE(OrderControls(items, TDockType::NotDocked, 90).WrapLines[0].Blank);
}

TEST(ToolbarLayout, NarrowWidthCountsAsWidestControlPlusEight) {
    const std::vector<TToolbarItem> items{Btn(40), Btn(23), Btn(23)};
    const auto a = OrderControls(items, TDockType::NotDocked, 10);
    const auto b = OrderControls(items, TDockType::NotDocked, 48);
    EXPECT_EQ(a.ClientSize, b.ClientSize);
    // Each control alone in its row; no wrap lines without separators.
    EXPECT_EQ(a.ClientSize, (TSize{4 + 40 + 4, 2 + 3 * 22 + 1}));
    EXPECT_TRUE(a.WrapLines.empty());
}

TEST(ToolbarLayout, NoShownControlsIsEightThick) {
    EXPECT_EQ(MinimumSizeAcross({}, TDockType::TopBottom), 8);
    EXPECT_EQ(MinimumSizeAcross({Sep()}, TDockType::LeftRight), 8);
    EXPECT_EQ(MinimumSizeAcross({Btn(30, 5)}, TDockType::LeftRight), 30);
    EXPECT_EQ(OrderControls({}, TDockType::TopBottom, 0).ClientSize, (TSize{0, 8}));
}

TEST(ToolbarLayout, PotentialSizesFallInWidthAndEachReproducesItself) {
    std::vector<TToolbarItem> items;
    for (int i = 0; i < 9; ++i) {
        items.push_back(Btn(20 + i % 3 * 5));
        if (i % 3 == 2) items.push_back(Sep());
    }
    const auto sizes = BuildPotentialSizes(items);
    ASSERT_GE(sizes.size(), 3u);
    EXPECT_EQ(sizes.front(), OrderControls(items, TDockType::NotDocked, 0).ClientSize);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        EXPECT_LT(sizes[i].Width, sizes[i - 1].Width);
        EXPECT_GT(sizes[i].Height, sizes[i - 1].Height);
    }
    for (const TSize& s : sizes)
        EXPECT_EQ(OrderControls(items, TDockType::NotDocked, s.Width).ClientSize, s);
    // A toolbar with nothing in it has just the one size.
    EXPECT_EQ(BuildPotentialSizes({}).size(), 1u);
}
