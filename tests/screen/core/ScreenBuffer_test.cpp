#include "screen/core/ScreenBuffer.h"

#include "platform/core/Beep.h"
#include "platform/core/Ticks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(const TRow& row, int from = 0, int to = RowCells) {
    std::string s;
    for (int x = from; x < to; ++x)
        s += static_cast<char>(row.Cells[x].Char);
    return s;
}

std::string Trimmed(const TRow& row) {
    std::string s = Text(row);
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

struct ScrollBarHost : TScreenHost {
    bool HasScrollBar() const override { return true; }
    void ViewRowChanged(int v) override { Position = v; }
    void TopRowChanged(int t) override { Max = t; }
    int Position = -1, Max = -1;
};

// A buffer the way the emulator sets it up: 24 rows, no wrapping.
struct Buffer : ::testing::Test {
    TScreenBuffer b;
    void SetUp() override {
        b.SetRows(24);
        b.AutoWrap = false;
    }
};

} // namespace

TEST_F(Buffer, ConstructionLeavesOneHistoryRowAfterShrinkingTo24) {
    EXPECT_EQ(b.RowCount(), 25);
    EXPECT_EQ(b.TopRow(), 1);
    EXPECT_EQ(b.ViewRow(), 1);
}

TEST_F(Buffer, WithoutAutoWrapTheLastColumnTakesTheOverflow) {
    std::string s;
    for (int i = 0; i < 100; ++i)
        s += static_cast<char>('A' + i % 26);
    b.WriteStr(s);
    EXPECT_EQ(b.CursorX, 79);
    EXPECT_EQ(b.CursorY, 0);
    EXPECT_EQ(b.ScreenRow(0).Cells[79].Char, static_cast<std::uint8_t>('A' + 99 % 26));
    EXPECT_EQ(b.ScreenRow(0).Cells[78].Char, static_cast<std::uint8_t>('A' + 78 % 26));
    EXPECT_EQ(b.DirtyLeft, 0);
    EXPECT_EQ(b.DirtyRight, 79);
}

// Only a write that makes the bytes after it pair otherwise widens the
// dirty rectangle to the row's end.
TEST_F(Buffer, ARepairingWriteDirtiesTheRestOfTheRow) {
    auto dirtyAfter = [&](const char* before, int x, const char* text) {
        b.GotoXY(0, 2);
        b.WriteStr(before);
        b.ResetDirty();
        b.GotoXY(x, 2);
        b.WriteStr(text);
        return std::pair(b.DirtyLeft, b.DirtyRight);
    };
    // "中文" then "a" over the first byte: the rest pairs anew.
    EXPECT_EQ(dirtyAfter("\xA4\xA4\xA4\xE5xy", 0, "a"), std::pair(0, 79));
    EXPECT_EQ(dirtyAfter("ab\xA4\xA4\xA4\xE5", 1, "\xA4"), std::pair(1, 79));
    // Same pairing after the write: only the written cells.
    EXPECT_EQ(dirtyAfter("\xA4\xA4\xA4\xE5xy", 0, "\xA6\x72"), std::pair(0, 1));
    EXPECT_EQ(dirtyAfter("abcdef", 2, "xy"), std::pair(2, 3));
    EXPECT_EQ(dirtyAfter("\xA4\xA4\xA4\xE5", 3, "x"), std::pair(3, 3)) << "a trail stays one";
}

TEST_F(Buffer, ControlBytesAreIgnoredAndBelBeeps) {
    int beeps = 0;
    win::SetBeepHandler([&](unsigned) { ++beeps; });
    b.WriteStr(std::string("a\x01\x08\x0b\x0c\x1b\x07z", 8));
    win::SetBeepHandler(nullptr);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Trimmed(b.ScreenRow(0)), "az");
}

TEST_F(Buffer, CellsTakeTheCurrentAttributes) {
    b.TextColor = 12;
    b.BackColor = 3;
    b.Blink = true;
    b.Underline = true;
    b.WriteChar(0xA4);
    const TCell c = b.ScreenRow(0).Cells[0];
    EXPECT_EQ(c.Char, 0xA4);
    EXPECT_EQ(c.Fg, 12);
    EXPECT_EQ(c.Bg, 3);
    EXPECT_EQ(c.Blink, 1);
    EXPECT_EQ(c.Underline, 1);
}

TEST_F(Buffer, KeyWordFiresAsOftenAsTriggerCntAllows) {
    int fired = 0;
    b.SetKeyWord("abc");
    b.TriggerCnt = 2;
    b.OnKeyWord = [&] { ++fired; };
    b.WriteStr("ababcabc");
    EXPECT_EQ(fired, 2);
    b.WriteStr("abc abc");
    EXPECT_EQ(fired, 2);
    EXPECT_EQ(b.TriggerCnt, 0);
}

TEST_F(Buffer, KeyWordMatchingIgnoresControlBytesAndRestartsNaively) {
    int fired = 0;
    b.SetKeyWord("aab");
    b.TriggerCnt = 5;
    b.OnKeyWord = [&] { ++fired; };
    b.WriteStr("aaab"); // naive restart: the overlap is not found
    EXPECT_EQ(fired, 0);
    b.WriteStr("a\r\na\tb");
    EXPECT_EQ(fired, 1);
}

TEST_F(Buffer, ClearScreenScrollsDownToTheLastTextRow) {
    b.GotoXY(5, 3);
    b.WriteStr("text");
    const int count = b.RowCount();
    b.ClearScreen();
    EXPECT_EQ(b.RowCount(), count + 4);
    EXPECT_EQ(b.CursorX, 0);
    EXPECT_EQ(b.CursorY, 0);
    EXPECT_EQ(Trimmed(b.Row(b.TopRow() - 1)), "     text");
    for (int y = 0; y < 24; ++y)
        EXPECT_EQ(Trimmed(b.ScreenRow(y)), "");
}

TEST_F(Buffer, ClearScreenRecoloursBlankRowsAndKeepsABlankScreenInPlace) {
    b.TextColor = 2;
    b.BackColor = 4;
    const int count = b.RowCount();
    b.ClearScreen();
    EXPECT_EQ(b.RowCount(), count);
    EXPECT_EQ(b.ScreenRow(23).Cells[0].Bg, 4);
    EXPECT_EQ(b.ScreenRow(0).Cells[79].Fg, 2);
}

TEST_F(Buffer, EraseOperationsUseTheirColoursAndKeepTheirBounds) {
    for (int y = 0; y < 24; ++y) {
        b.GotoXY(0, y);
        b.WriteStr(std::string(80, 'x'));
    }
    b.TextColor = 3;
    b.BackColor = 5;
    b.GotoXY(10, 5);
    b.ClearEOL();
    EXPECT_EQ(Text(b.ScreenRow(5), 9, 11), "x ");
    EXPECT_EQ(b.ScreenRow(5).Cells[10].Fg, 7);
    EXPECT_EQ(b.ScreenRow(5).Cells[10].Bg, 0);
    b.GotoXY(10, 6);
    b.ClearBOL();
    EXPECT_EQ(Text(b.ScreenRow(6), 0, 11), "          x") << "the cursor cell stays";
    EXPECT_EQ(b.ScreenRow(6).Cells[0].Bg, 5);
    b.GotoXY(40, 20);
    b.ClearEOS();
    EXPECT_EQ(Text(b.ScreenRow(20), 39, 41), "x ");
    EXPECT_EQ(Trimmed(b.ScreenRow(21)), "");
    EXPECT_EQ(b.ScreenRow(23).Cells[0].Bg, 5);
    EXPECT_EQ(b.ScreenRow(20).Cells[40].Bg, 0);
    b.GotoXY(40, 2);
    b.ClearBOS();
    EXPECT_EQ(Trimmed(b.ScreenRow(0)), "");
    EXPECT_EQ(Text(b.ScreenRow(2), 39, 41), " x");
    EXPECT_EQ(b.DirtyTop, 0);
    EXPECT_EQ(b.DirtyBottom, 23);
}

TEST_F(Buffer, HistoryIsTrimmedByTwoScreensPastTheLimit) {
    for (int i = 0; i < 1024; ++i)
        b.WriteStr("\n");
    const int limit = 2 * 24 + 1000;
    EXPECT_LE(b.RowCount(), limit);
    for (int i = 0; i < 200; ++i) {
        b.WriteStr("line\r\n");
        ASSERT_LE(b.RowCount(), limit);
        ASSERT_EQ(b.TopRow(), b.RowCount() - 24);
        ASSERT_EQ(b.ViewRow(), b.TopRow());
    }
}

TEST_F(Buffer, RepaintsWithoutLineFeedsAreTrimmedToo) {
    for (int i = 0; i < 3000; ++i) {
        b.GotoXY(0, 23);
        b.WriteStr("x");
        b.ClearScreen();
        ASSERT_LE(b.RowCount(), 2 * 24 + 1000);
    }
    b.AutoWrap = true;
    for (int i = 0; i < 2000; ++i)
        b.WriteStr(std::string(80, 'w'));
    EXPECT_LE(b.RowCount(), 2 * 24 + 1000);
}

TEST_F(Buffer, TrimmingNeverCutsIntoTheScreen) {
    b.SetMaxBufferRows(25);
    b.SetRows(200);
    for (int i = 0; i < 2000; ++i) {
        b.WriteStr("\n");
        ASSERT_GE(b.RowCount(), 200);
        ASSERT_EQ(b.TopRow(), b.RowCount() - 200);
    }
}

TEST_F(Buffer, LongTextIsWrittenWhole) {
    b.AutoWrap = true;
    const std::string s(1000, 'q');
    b.WriteLn(s);
    b.WriteStr(s);
    EXPECT_EQ(b.CursorX, 1000 % 80);
}

TEST_F(Buffer, OutOfRangePropertiesAreIgnored) {
    b.SetRows(0);
    b.SetRows(201);
    b.SetColumns(81);
    b.SetColumns(0);
    b.SetMaxBufferRows(24);
    EXPECT_EQ(b.Rows(), 24);
    EXPECT_EQ(b.Columns(), 80);
    EXPECT_EQ(b.MaxBufferRows(), 1000);
    b.SetMaxBufferRows(INT_MAX); // no limit, and no overflow in the trim test
    b.WriteStr("\n\n");
    EXPECT_EQ(b.TopRow(), b.RowCount() - 24);
}

TEST_F(Buffer, RowsChangesAddRowsOrClampTheCursor) {
    b.GotoXY(0, 20);
    b.SetRows(10);
    EXPECT_EQ(b.CursorY, 9);
    EXPECT_EQ(b.TopRow(), b.RowCount() - 10);
    const int count = b.RowCount();
    b.SetRows(30);
    EXPECT_EQ(b.RowCount(), count + 20);
    EXPECT_EQ(b.TopRow(), b.RowCount() - 30);
    EXPECT_EQ(b.ViewRow(), b.TopRow());
}

TEST_F(Buffer, GotoXYClamps) {
    b.GotoXY(-5, 500);
    EXPECT_EQ(b.CursorX, 0);
    EXPECT_EQ(b.CursorY, 23);
    b.GotoXY(1 << 30, -(1 << 30));
    EXPECT_EQ(b.CursorX, 79);
    EXPECT_EQ(b.CursorY, 0);
}

TEST(BufferView, NewOutputSnapsBackOnlyWithinOnePage) {
    ScrollBarHost host;
    TScreenBuffer b(&host);
    b.SetRows(24);
    for (int i = 0; i < 200; ++i)
        b.WriteStr("\r\n");
    ASSERT_EQ(b.ViewRow(), b.TopRow());
    b.SetViewRow(b.TopRow() - 30);
    b.WriteStr("more\r\n");
    EXPECT_LT(b.ViewRow(), b.TopRow() - 24) << "scrolled back more than a page stays";
    b.SetViewRow(b.TopRow() - 10);
    b.WriteStr("more\r\n");
    EXPECT_EQ(b.ViewRow(), b.TopRow());
    EXPECT_EQ(host.Position, b.ViewRow());
    EXPECT_EQ(host.Max, b.TopRow());
}

TEST(BufferView, ViewChangesMarkTheWholeViewDirtyWithoutAHost) {
    TScreenBuffer b;
    b.SetRows(24);
    for (int i = 0; i < 100; ++i)
        b.WriteStr("\r\n");
    b.ResetDirty();
    b.NeedRender = false;
    b.SetViewRow(10);
    EXPECT_TRUE(b.NeedRender);
    EXPECT_EQ(b.DirtyTop, 0);
    EXPECT_EQ(b.DirtyBottom, 23);
    EXPECT_EQ(b.DirtyLeft, 0);
    EXPECT_EQ(b.DirtyRight, 79);
    b.SetViewRow(-3);
    EXPECT_EQ(b.ViewRow(), 0);
    b.SetViewRow(1 << 30);
    EXPECT_EQ(b.ViewRow(), b.TopRow());
}

TEST(BufferView, TrimmingWhileScrolledBackKeepsShowingTheSameLines) {
    ScrollBarHost host;
    TScreenBuffer b(&host);
    b.SetRows(24);
    for (int i = 0; i < 400; ++i)
        b.WriteStr("\n");
    b.SetViewRow(500);
    b.Row(500).Cells[0].Char = '#';
    bool trimmed = false;
    for (int i = 0; i < 300; ++i) { // until the marked line itself is trimmed
        const int count = b.RowCount();
        b.ResetDirty();
        b.WriteStr("\n");
        ASSERT_EQ(b.Row(b.ViewRow()).Cells[0].Char, '#') << "after " << i << " lines";
        if (b.RowCount() < count) {
            trimmed = true;
            EXPECT_EQ(host.Position, b.ViewRow());
            EXPECT_EQ(b.DirtyTop, 0);
            EXPECT_EQ(b.DirtyBottom, 23);
        }
    }
    EXPECT_TRUE(trimmed);
}

TEST(BufferView, ClearHistoryLeavesOnlyTheScreen) {
    TScreenBuffer b;
    b.SetRows(24);
    for (int i = 0; i < 100; ++i)
        b.WriteStr("x\r\n");
    b.ClearHistory();
    EXPECT_EQ(b.RowCount(), 24);
    EXPECT_EQ(b.TopRow(), 0);
    EXPECT_EQ(b.ViewRow(), 0);
    b.GotoXY(0, 0);
    b.WriteStr("\n");
    EXPECT_EQ(b.TopRow(), 1);
}

TEST(BufferGuard, AWriteWaitsForARenderInProgress) {
    TScreenBuffer b;
    b.Rendering.lock();
    std::atomic<bool> wrote{false};
    std::thread writer([&] {
        b.WriteStr("late");
        wrote = true;
    });
    // While the render holds the guard the writer cannot have changed cells.
    EXPECT_EQ(b.ScreenRow(0).Cells[0].Char, ' ');
    EXPECT_FALSE(wrote.load());
    b.Rendering.unlock();
    writer.join();
    EXPECT_TRUE(wrote.load());
    EXPECT_EQ(Trimmed(b.ScreenRow(0)), "late");
}

TEST(BufferGuard, ABatchMarksTheBufferWrittenOnceAtItsEnd) {
    struct CountingHost : TScreenHost {
        void WriteMarked() override { ++Marks; }
        int Marks = 0;
    } host;
    TScreenBuffer b(&host);
    {
        TScreenBuffer::TWriteBatch batch(b);
        b.WriteStr("one\r\n");
        b.WriteStr("two");
        b.ClearEOL();
        EXPECT_TRUE(b.Rendering.IsHeld());
        EXPECT_TRUE(b.NeedRender);
        EXPECT_EQ(host.Marks, 0);
    }
    EXPECT_EQ(host.Marks, 1);
    EXPECT_FALSE(b.Rendering.IsHeld());
    b.WriteStr("three");
    EXPECT_EQ(host.Marks, 2);
}

TEST(BufferDirty, EveryWrittenCellIsInsideTheDirtyRectangle) {
    struct Case {
        const char* Name;
        bool AutoWrap;
        int X, Y;
        const char* Text;
        int Left, Top, Right, Bottom;
    } cases[] = {
        {"short run in mid row", false, 10, 3, "hello", 10, 3, 14, 3},
        {"single cell", false, 40, 7, "x", 40, 7, 40, 7},
        {"ends in the last column", false, 75, 3, "hello", 75, 3, 79, 3},
        {"ends in the last column, wrapping", true, 75, 3, "hello", 75, 3, 79, 3},
        {"overflow without wrap", false, 78, 3, "hello", 78, 3, 79, 3},
        {"wraps onto the next row", true, 77, 3, "hello", 0, 3, 79, 4},
        {"wraps from the last column", true, 79, 5, "ab", 0, 5, 79, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TScreenBuffer b;
        b.SetRows(24);
        b.AutoWrap = c.AutoWrap;
        b.GotoXY(c.X, c.Y);
        b.ResetDirty();
        b.WriteStr(c.Text);
        EXPECT_EQ(b.DirtyLeft, c.Left);
        EXPECT_EQ(b.DirtyTop, c.Top);
        EXPECT_EQ(b.DirtyRight, c.Right);
        EXPECT_EQ(b.DirtyBottom, c.Bottom);
    }
}

TEST(BufferDirty, ARunWrittenAfterARenderMarksOnlyItsOwnCells) {
    // Two runs on one row between renders: the rectangle spans both, the
    // last byte of the second included.
    TScreenBuffer b;
    b.SetRows(24);
    b.AutoWrap = false;
    b.ResetDirty();
    b.GotoXY(10, 2);
    b.WriteStr("ab");
    b.GotoXY(30, 2);
    b.WriteStr("cd");
    EXPECT_EQ(b.DirtyLeft, 10);
    EXPECT_EQ(b.DirtyRight, 31);
    b.ResetDirty();
    b.GotoXY(50, 9);
    b.WriteChar('z');
    EXPECT_EQ(b.DirtyLeft, 50);
    EXPECT_EQ(b.DirtyRight, 50);
    EXPECT_EQ(b.DirtyTop, 9);
    EXPECT_EQ(b.DirtyBottom, 9);
}

TEST(BufferHistory, TrimHappensExactlyPastTheBoundAndDropsTwoScreens) {
    struct Case {
        int Rows, MaxBufferRows;
        int Bound;     // the most rows kept before a trim
        int AfterTrim; // rows left by the trim
    } cases[] = {
        {24, 1000, 2 * 24 + 1000, 2 * 24 + 1000 + 1 - 48},
        {10, 25, 2 * 10 + 25, 2 * 10 + 25 + 1 - 20},
        // Two screens would cut into the screen itself: only the history goes.
        {200, 25, 2 * 200 + 25, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Rows);
        TScreenBuffer b;
        b.SetRows(c.Rows);
        b.SetMaxBufferRows(c.MaxBufferRows);
        for (int i = b.RowCount(); i < c.Bound; ++i)
            b.AddRow();
        ASSERT_EQ(b.RowCount(), c.Bound) << "nothing trimmed up to the bound";
        EXPECT_EQ(b.TopRow(), c.Bound - c.Rows);
        b.FollowCursor();
        const int dropped = c.Bound + 1 - c.AfterTrim;
        b.Row(dropped).Cells[0].Char = '#'; // the oldest row that survives
        b.AddRow();
        EXPECT_EQ(b.RowCount(), c.AfterTrim);
        EXPECT_EQ(b.TopRow(), c.AfterTrim - c.Rows);
        // The view keeps showing the lines it showed.
        EXPECT_EQ(b.ViewRow(), std::max(0, c.Bound - c.Rows - dropped));
        EXPECT_EQ(b.Row(0).Cells[0].Char, '#');
    }
}

// ---- What a trim or a clear tells the host ------------------------------------------

namespace {

// Keeps "links" the way a screen control does: list lines that must follow
// their text through every move the buffer reports.
struct RowTrackingHost : TScreenHost {
    bool ScrollBar = true;
    bool HasScrollBar() const override { return ScrollBar; }
    void LinesMoved(int from, int delta) override {
        ++Moves;
        for (int& line : Lines) {
            if (line < from) continue;
            line += delta;
            if (line < from) line = -1; // gone with its row
        }
    }
    void ShownRowsDropped() override { ++ShownDrops; }
    std::vector<int> Lines;
    int Moves = 0, ShownDrops = 0;
};

// Writes "<tag>" on list row `index`.
void Tag(TScreenBuffer& b, int index, const std::string& tag) {
    for (std::size_t i = 0; i < tag.size(); ++i)
        b.Row(index).Cells[i].Char = static_cast<std::uint8_t>(tag[i]);
}

} // namespace

TEST(BufferRowMoves, RowsRecordedByTheHostFollowTheirTextThroughTrimsAndLineFeeds) {
    RowTrackingHost host;
    TScreenBuffer b(&host);
    b.SetRows(24);
    b.SetMaxBufferRows(100); // a trim past 148 rows drops the oldest 48
    while (b.RowCount() < 100)
        b.WriteStr("old\r\n");
    ASSERT_EQ(b.DroppedRows(), 0u);
    // One tag on a history row the next trim drops, one on a history row it
    // keeps, one on a screen row.
    const int doomed = 3, kept = 60, onScreen = b.TopRow() + 5;
    ASSERT_LT(kept, b.TopRow());
    Tag(b, doomed, "doomed");
    Tag(b, kept, "kept");
    Tag(b, onScreen, "screen");
    host.Lines = {doomed, kept, onScreen};
    const std::uint64_t before = b.DroppedRows();
    // Line feeds from the middle of the screen insert history rows above it
    // without scrolling it, until the history is trimmed.
    while (b.DroppedRows() == before) {
        b.GotoXY(0, 10);
        b.WriteStr("\n");
    }
    EXPECT_EQ(host.Lines[0], -1);
    ASSERT_GE(host.Lines[1], 0);
    ASSERT_GE(host.Lines[2], 0);
    EXPECT_EQ(Trimmed(b.Row(host.Lines[1])), "kept");
    EXPECT_EQ(Trimmed(b.Row(host.Lines[2])), "screen");
    // A clear drops the whole history: the screen row moves to its new
    // index, the history row goes.
    b.ClearHistory();
    EXPECT_EQ(host.Lines[1], -1);
    ASSERT_GE(host.Lines[2], 0);
    EXPECT_EQ(Trimmed(b.Row(host.Lines[2])), "screen");
}

TEST(BufferRowMoves, OnlyATrimOrClearUnderAScrolledBackViewReplacesWhatIsShown) {
    RowTrackingHost host;
    TScreenBuffer b(&host);
    b.SetRows(24);
    b.SetMaxBufferRows(25);
    auto trim = [&] {
        const std::uint64_t before = b.DroppedRows();
        while (b.DroppedRows() == before)
            b.WriteStr("line\r\n");
    };
    // Following the screen: the shown rows survive every trim.
    for (int i = 0; i < 3; ++i)
        trim();
    EXPECT_EQ(host.ShownDrops, 0);
    // Scrolled back onto the oldest rows, more than a page back so output
    // leaves the view alone: the next trim drops them.
    while (b.RowCount() < 70)
        b.WriteStr("line\r\n");
    b.SetViewRow(0);
    trim();
    EXPECT_EQ(host.ShownDrops, 1);

    // A clear on the screen leaves the view on the same rows ...
    b.SetViewRow(b.TopRow());
    b.ClearHistory();
    EXPECT_EQ(host.ShownDrops, 1);
    // ... and one while scrolled back shows the screen instead.
    for (int i = 0; i < 30; ++i)
        b.WriteStr("line\r\n");
    b.SetViewRow(b.TopRow() - 1);
    b.ClearHistory();
    EXPECT_EQ(host.ShownDrops, 2);
    // Nothing to clear: nothing moves.
    const int moves = host.Moves;
    b.ClearHistory();
    EXPECT_EQ(host.Moves, moves);
    EXPECT_EQ(host.ShownDrops, 2);
}

TEST(BufferRowMoves, AViewTwoScreensBackAtATrimKeepsShowingItsLines) {
    // The view sits exactly where the screen will start after the trim: it
    // still has to move with its own lines, not stay on that index.
    RowTrackingHost host;
    TScreenBuffer b(&host);
    b.SetRows(24);
    b.SetMaxBufferRows(1000);
    while (b.RowCount() < 2 * 24 + 1000)
        b.AddRow();
    const int drop = 2 * 24;
    const int view = b.TopRow() + 1 - drop; // the TopRow after the next trim
    b.SetViewRow(view);
    Tag(b, view, "mine");
    b.AddRow();
    ASSERT_EQ(b.DroppedRows(), static_cast<std::uint64_t>(drop));
    b.FollowCursor();
    EXPECT_EQ(Trimmed(b.Row(b.ViewRow())), "mine");
    EXPECT_EQ(host.ShownDrops, 0);
}

// ---- The clock -------------------------------------------------------------------------

TEST(BufferClock, WritesBetweenTwoLooksReadTheClockOnceAndNeverRenderEarly) {
    std::uint32_t now = 5000;
    int reads = 0;
    win::SetTickSource([&] {
        ++reads;
        return now;
    });
    TScreenBuffer b;
    b.SeenWrites(now);
    for (int i = 0; i < 1000; ++i)
        b.WriteChar('x');
    EXPECT_EQ(reads, 1);
    // Byte-wise writes went on after the clock was read: the look takes
    // its own time as the latest write, never the first one's.
    now += 50;
    EXPECT_EQ(b.SeenWrites(now), 5050u);
    // A lone write after a look keeps its own time ...
    now += 5;
    b.WriteChar('y');
    EXPECT_EQ(reads, 2);
    now += 30;
    EXPECT_EQ(b.SeenWrites(now), 5055u);
    // ... and a look without writes changes nothing.
    now += 30;
    EXPECT_EQ(b.SeenWrites(now), 5055u);
    // A batch of byte-wise writes reads it at most once.
    {
        TScreenBuffer::TWriteBatch batch(b);
        for (int i = 0; i < 1000; ++i)
            b.WriteChar('z');
    }
    EXPECT_EQ(reads, 3);
    win::SetTickSource({});
}

TEST(BufferWrite, ByteAtATimeEqualsOneWriteAtEveryEdgeOfTheLine) {
    struct Case {
        bool AutoWrap;
        int ShrinkTo; // Columns after the cursor was placed, 0 = unchanged
        bool KeyWord;
    } cases[] = {{false, 0, false}, {true, 0, false}, {false, 40, false},
                 {true, 40, false}, {true, 0, true},  {false, 30, true}};
    const std::string text = "abc\tdef\r\n\x07gh" + std::string(100, 'w') + "\nxy\rz";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.AutoWrap << " " << c.ShrinkTo << " " << c.KeyWord);
        TScreenBuffer whole, bytes;
        int fired[2] = {0, 0};
        int n = 0;
        for (TScreenBuffer* b : {&whole, &bytes}) {
            b->SetRows(24);
            b->AutoWrap = c.AutoWrap;
            b->GotoXY(70, 22);
            if (c.ShrinkTo) b->SetColumns(c.ShrinkTo);
            if (c.KeyWord) {
                b->SetKeyWord("ww");
                b->TriggerCnt = 3;
                int* counter = &fired[n];
                b->OnKeyWord = [counter] { ++*counter; };
            }
            ++n;
        }
        whole.WriteStr(text);
        for (unsigned char ch : text)
            bytes.WriteChar(ch);
        EXPECT_EQ(bytes.CursorX, whole.CursorX);
        EXPECT_EQ(bytes.CursorY, whole.CursorY);
        EXPECT_EQ(bytes.RowCount(), whole.RowCount());
        EXPECT_EQ(fired[1], fired[0]);
        for (int i = 0; i < whole.RowCount(); ++i)
            ASSERT_EQ(std::memcmp(bytes.Row(i).Cells, whole.Row(i).Cells, sizeof(TRow::Cells)), 0)
                << "row " << i;
    }
}
