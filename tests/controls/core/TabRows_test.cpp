// Tab places of a tab strip: wrapping into rows, the single scrolled row,
// and scrolling just far enough to show a tab.
#include "controls/core/TabRows.h"

#include <gtest/gtest.h>

namespace {

using controls::FirstToShow;
using controls::PlaceTabs;
using controls::TabRowCount;
using controls::TTabPlace;

TEST(TabRows, WrapsWhenTheNextTabDoesNotFit) {
    const auto p = PlaceTabs({40, 40, 40, 40, 40}, 100, true, 0);
    EXPECT_EQ(p[0], (TTabPlace{0, 0, 40}));
    EXPECT_EQ(p[1], (TTabPlace{0, 40, 40}));
    EXPECT_EQ(p[2], (TTabPlace{1, 0, 40})); // 80 + 40 > 100
    EXPECT_EQ(p[4], (TTabPlace{2, 0, 40}));
    EXPECT_EQ(TabRowCount(p), 3);
    // Exactly filling a row is still that row.
    EXPECT_EQ(PlaceTabs({50, 50, 50}, 100, true, 0)[1].Row, 0);
}

TEST(TabRows, TabWiderThanTheRowHasARowOfItsOwn) {
    const auto p = PlaceTabs({30, 500, 30}, 100, true, 0);
    EXPECT_EQ(p[0].Row, 0);
    EXPECT_EQ(p[1], (TTabPlace{1, 0, 500}));
    EXPECT_EQ(p[2].Row, 2);
    // Also as the very first tab: no empty row before it.
    EXPECT_EQ(PlaceTabs({500, 30}, 100, true, 0)[0].Row, 0);
}

TEST(TabRows, SingleRowStartsAtTheFirstShownTab) {
    const auto p = PlaceTabs({40, 40, 40, 40}, 100, false, 2);
    EXPECT_EQ(p[0].Row, -1);
    EXPECT_EQ(p[1].Row, -1);
    EXPECT_EQ(p[2], (TTabPlace{0, 0, 40}));
    EXPECT_EQ(p[3], (TTabPlace{0, 40, 40}));
    EXPECT_EQ(TabRowCount(p), 1);
    // Many tabs in one row never wrap.
    EXPECT_EQ(PlaceTabs(std::vector<int>(50, 40), 100, false, 0)[49].Row, 0);
}

TEST(TabRows, EmptyAndDegenerateWidths) {
    EXPECT_TRUE(PlaceTabs({}, 100, true, 0).empty());
    EXPECT_EQ(TabRowCount({}), 1);
    const auto p = PlaceTabs({0, -5, 3}, 0, true, 0);
    EXPECT_EQ(p[0].Width, 1);
    EXPECT_EQ(p[1].Width, 1);
    EXPECT_EQ(p[2].Row, 2); // a row of no width holds one tab each
}

TEST(TabRows, ScrollsOnlyAsFarAsNeeded) {
    const std::vector<int> w{40, 40, 40, 40, 40, 40};
    EXPECT_EQ(FirstToShow(w, 100, 0, 1), 0); // already in view
    EXPECT_EQ(FirstToShow(w, 100, 0, 4), 3); // tabs 3 and 4 fit
    EXPECT_EQ(FirstToShow(w, 100, 4, 1), 1); // back to the left
    EXPECT_EQ(FirstToShow(w, 100, 0, 5), 4);
    // A tab wider than the row is shown from its own left edge.
    EXPECT_EQ(FirstToShow({40, 300, 40}, 100, 0, 1), 1);
    // Out-of-range indexes and first values stay in range.
    EXPECT_EQ(FirstToShow(w, 100, 99, -1), 5);
    EXPECT_EQ(FirstToShow(w, 100, -3, 99), 0);
    EXPECT_EQ(FirstToShow({}, 100, 3, 0), 0);
}

} // namespace
