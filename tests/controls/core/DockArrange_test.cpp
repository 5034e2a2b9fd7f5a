#include "controls/core/DockArrange.h"

#include <climits>
#include <gtest/gtest.h>

using namespace controls;

namespace {
// A shown bar `along` long that asks for `across` thickness.
TDockBar Bar(std::uintptr_t id, int row, int pos, int along = 50, int across = 20) {
    TDockBar b;
    b.Id = id;
    b.DockRow = row;
    b.DockPos = pos;
    b.Along = along;
    b.Across = across;
    b.Shown = true;
    return b;
}

const TDockBar& Get(TDockLayout& d, std::uintptr_t id) {
    return *d.Find(id);
}
} // namespace

TEST(DockArrange, EmptyDockIsZeroThickOrOneWithFixAlign) {
    TDockLayout d;
    EXPECT_EQ(d.Arrange(400, 30, false), 0);
    d.FixAlign = true;
    EXPECT_EQ(d.Arrange(400, 30, false), 1);
    // Hidden windows do not count as shown.
    TDockBar hidden = Bar(1, 0, 0);
    hidden.Shown = false;
    d.Bars.push_back(hidden);
    EXPECT_EQ(d.Arrange(400, 30, false), 1);
}

TEST(DockArrange, OverlappingWindowsEndSideBySideInPositionOrder) {
    TDockLayout d;
    d.Bars = {Bar(2, 0, 10), Bar(1, 0, 0)};
    const int h = d.Arrange(400, 0, false);
    EXPECT_EQ(Get(d, 1).DockPos, 0);
    EXPECT_EQ(Get(d, 2).DockPos, 50);
    EXPECT_EQ(Get(d, 2).Bounds, RectOfSize(50, 0, 50, 24));
    EXPECT_EQ(h, 24);
    // Positions -1 (never placed) start at the row's beginning.
    d.Bars = {Bar(3, 0, -1)};
    d.Arrange(400, 0, false);
    EXPECT_EQ(Get(d, 3).DockPos, 0);
}

TEST(DockArrange, RowsAreRenumberedDenselyWhateverTheirValues) {
    TDockLayout d;
    d.Bars = {Bar(1, 0, 0), Bar(2, 5, 0), Bar(3, 9, 0)};
    d.Arrange(400, 0, false);
    EXPECT_EQ(Get(d, 1).DockRow, 0);
    EXPECT_EQ(Get(d, 2).DockRow, 1);
    EXPECT_EQ(Get(d, 3).DockRow, 2);

    // Hand-edited rows: negative counts as 0, huge ones close up at once.
    d.Bars = {Bar(1, -3, 0), Bar(2, INT_MAX, 0), Bar(3, 5000, 0), Bar(4, 0, 100)};
    const int h = d.Arrange(400, 0, false);
    EXPECT_EQ(Get(d, 1).DockRow, 0);
    EXPECT_EQ(Get(d, 4).DockRow, 0);
    EXPECT_EQ(Get(d, 3).DockRow, 1);
    EXPECT_EQ(Get(d, 2).DockRow, 2);
    EXPECT_EQ(h, 3 * 24);
    EXPECT_EQ(d.RowSizes.size(), 3u);
}

TEST(DockArrange, NarrowDockPushesBackWithoutCommittingPositions) {
    TDockLayout d;
    d.Bars = {Bar(1, 0, 0), Bar(2, 0, 100), Bar(3, 0, 200)};
    d.Arrange(120, 0, false);
    // Pushed inside the end, never before 0 or over the left neighbour.
    EXPECT_EQ(Get(d, 3).Bounds.Left, 100);
    EXPECT_EQ(Get(d, 2).Bounds.Left, 50);
    EXPECT_EQ(Get(d, 1).Bounds.Left, 0);
    EXPECT_EQ(Get(d, 3).DockPos, 200);
    // The dock grows again: back to the stored places.
    d.Arrange(600, 0, false);
    EXPECT_EQ(Get(d, 3).Bounds.Left, 200);
    EXPECT_EQ(Get(d, 2).Bounds.Left, 100);
    // A committed arrangement stores what it showed.
    d.Arrange(120, 0, true);
    EXPECT_EQ(Get(d, 3).DockPos, 100);
    d.Arrange(600, 0, false);
    EXPECT_EQ(Get(d, 3).Bounds.Left, 100);
}

TEST(DockArrange, PositionsPastTheDockAndHugeSizesStayInRange) {
    TDockLayout d;
    d.Bars = {Bar(1, 0, INT_MAX, INT_MAX), Bar(2, 0, INT_MAX - 10, 100)};
    d.Arrange(300, 0, false);
    for (const TDockBar& b : d.Bars) {
        EXPECT_GE(b.DockPos, 0);
        EXPECT_GE(b.Bounds.Left, 0);
        EXPECT_GE(b.Bounds.Right, b.Bounds.Left);
    }
}

TEST(DockArrange, FullSizeWindowTakesItsOwnRowAndTheWholeWidth) {
    TDockLayout d;
    d.NonClientWidth = 2;
    TDockBar full = Bar(1, 0, 80);
    full.FullSize = true;
    d.Bars = {Bar(2, 0, 0), full, Bar(3, 1, 0)};
    d.Arrange(402, 0, false);
    EXPECT_EQ(Get(d, 2).DockRow, 1);
    EXPECT_EQ(Get(d, 1).DockRow, 0);
    EXPECT_EQ(Get(d, 3).DockRow, 2);
    EXPECT_EQ(Get(d, 1).DockPos, 0);
    EXPECT_EQ(Get(d, 1).Bounds, RectOfSize(0, 0, 400, 24));
}

TEST(DockArrange, RowsAreAtLeastEightThick) {
    TDockLayout d;
    d.NonClientHeight = 2;
    d.Bars = {Bar(1, 0, 0, 50, 3), Bar(2, 1, 0, 50, 30)};
    EXPECT_EQ(d.Arrange(400, 0, false), 2 + 12 + 34);
    EXPECT_EQ(Get(d, 1).Bounds.Height(), 12);
    EXPECT_EQ(Get(d, 2).Bounds.Top, 12);
}

TEST(DockArrange, EqualPlacesKeepListOrder) {
    TDockLayout d;
    for (std::uintptr_t id = 1; id <= 12; ++id)
        d.Bars.push_back(Bar(id, 0, 0, 10));
    d.Arrange(1000, 0, true);
    for (std::uintptr_t id = 1; id <= 12; ++id) {
        EXPECT_EQ(d.Bars[id - 1].Id, id);
        EXPECT_EQ(Get(d, id).DockPos, static_cast<int>((id - 1) * 10));
    }
}

TEST(DockArrange, LeftRightDockSwapsTheAxes) {
    TDockLayout d;
    d.Type = TDockType::LeftRight;
    d.Bars = {Bar(1, 0, 0, 60, 20), Bar(2, 1, 5, 40, 10)};
    EXPECT_EQ(d.Arrange(0, 300, false), 24 + 14);
    EXPECT_EQ(Get(d, 1).Bounds, RectOfSize(0, 0, 24, 60));
    EXPECT_EQ(Get(d, 2).Bounds, RectOfSize(24, 5, 14, 40));
}

TEST(DockArrange, LimitToOneRowPutsEveryWindowInRowZero) {
    TDockLayout d;
    d.LimitToOneRow = true;
    d.Bars = {Bar(1, 0, 0), Bar(2, 3, 0)};
    d.Arrange(400, 0, false);
    EXPECT_EQ(Get(d, 2).DockRow, 0);
    EXPECT_EQ(Get(d, 2).DockPos, 50);
}

TEST(DockRows, RowOfUsesFivePixelBandsAtRowBoundaries) {
    TDockLayout d;
    d.Bars = {Bar(1, 0, 0, 50, 20), Bar(2, 1, 0, 50, 20)};
    d.Arrange(400, 0, false); // rows 0..24 and 24..48
    bool before = false;
    EXPECT_EQ(d.RowOf(4, before), 0);
    EXPECT_TRUE(before);
    EXPECT_EQ(d.RowOf(5, before), 0);
    EXPECT_FALSE(before);
    EXPECT_EQ(d.RowOf(18, before), 0);
    EXPECT_FALSE(before);
    // end - 5 of row 0 is the band before row 1.
    EXPECT_EQ(d.RowOf(19, before), 1);
    EXPECT_TRUE(before);
    EXPECT_EQ(d.RowOf(24 + 4, before), 1);
    EXPECT_TRUE(before);
    EXPECT_EQ(d.RowOf(24 + 5, before), 1);
    EXPECT_FALSE(before);
    // Past the last row: the row after the highest, to the end of the dock.
    EXPECT_EQ(d.RowOf(48 + 4, before), 2);
    EXPECT_TRUE(before);
    EXPECT_EQ(d.RowOf(5000, before), 2);
    EXPECT_FALSE(before);
}

TEST(DockRows, QueriesTolerateRowsWithoutWindows) {
    TDockLayout d;
    bool before = false;
    EXPECT_EQ(d.HighestRow(), -1);
    EXPECT_EQ(d.RowOf(10, before), 0);
    EXPECT_EQ(d.RowSize(3), 0);
    EXPECT_EQ(d.RowSize(3, 17), 17);
    // A row number far past the arranged rows neither hangs nor overflows.
    d.Bars = {Bar(1, INT_MAX, 0)};
    EXPECT_EQ(d.RowOf(100, before), INT_MAX);
    d.InsertRowBefore(0);
    EXPECT_EQ(d.Bars[0].DockRow, INT_MAX);
}

TEST(DockRows, DropMakesNewRowsInTheBandAndAfterASharedRowForFullSize) {
    TDockLayout d;
    d.Bars = {Bar(1, 0, 0), Bar(2, 1, 0)};
    d.Arrange(400, 0, false);
    // Outline middle at 24 (band between rows 0 and 1): new row 1.
    auto place = d.Drop(9, RectOfSize(30, 12, 50, 24), false);
    EXPECT_EQ(place.Row, 1);
    EXPECT_EQ(place.Pos, 30);
    EXPECT_EQ(Get(d, 2).DockRow, 2);
    // Into the middle of row 0: that row.
    d.Bars = {Bar(1, 0, 0), Bar(2, 1, 0)};
    d.Arrange(400, 0, false);
    place = d.Drop(9, RectOfSize(-20, 0, 50, 24), false);
    EXPECT_EQ(place.Row, 0);
    EXPECT_EQ(place.Pos, 0);
    // A full-size window into a row shared with others goes after it.
    place = d.Drop(9, RectOfSize(0, 0, 50, 24), true);
    EXPECT_EQ(place.Row, 1);
    EXPECT_EQ(Get(d, 2).DockRow, 2);
}

TEST(DockArrangeLock, NestedUpdatesCollapseIntoOneCommittedArrangement) {
    TArrangeLock lock;
    EXPECT_TRUE(lock.Request(false, false));
    EXPECT_FALSE(lock.Request(false, true)); // loading: later
    lock.Leave();
    lock.BeginUpdate();
    lock.BeginUpdate();
    EXPECT_FALSE(lock.Request(true, false));
    EXPECT_FALSE(lock.Request(false, false));
    EXPECT_FALSE(lock.EndUpdate());
    EXPECT_TRUE(lock.EndUpdate());
    EXPECT_TRUE(lock.Commit());
    lock.Enter();
    lock.Leave();
    EXPECT_FALSE(lock.Commit());
    EXPECT_FALSE(lock.EndUpdate());
}
