#include "screen/core/CellRenderer.h"

#include <gtest/gtest.h>

namespace {

// Marks the glyph's ink with one pixel per cell it covers, at (1, 1) of each
// cell, and counts how often it was asked.
class TDotRasterizer : public TGlyphRasterizer {
public:
    int Calls = 0;
    void Rasterize(TPixelBuffer& out, std::uint8_t, std::uint8_t trail, TBgr fg, TBgr) override {
        ++Calls;
        out.SetPixel(1, 1, fg);
        if (trail) out.SetPixel(out.Width() / 2 + 1, 1, fg);
    }
};

constexpr int CW = 4, CH = 6;
const std::uint32_t Colours[16] = {0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                   0xAAAA00, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                   0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
const TBgr Picture{10, 20, 30};

struct Fixture : ::testing::Test {
    TDotRasterizer raster;
    TGlyphCache cache{raster};
    TPixelBuffer display{10 * CW, 3 * CH};
    TPixelBuffer back{10 * CW, 3 * CH};
    TRow row{};
    TRenderContext ctx;

    void SetUp() override {
        cache.SetCellSize(CW, CH);
        back.Fill(Picture);
        for (TCell& c : row.Cells)
            c = TCell{' ', 7, 0, 0, 0};
        ctx.Display = &display;
        ctx.FgTable = Colours;
        ctx.BgTable = Colours;
        ctx.Columns = 10;
        ctx.Cache = &cache;
        ctx.Geometry = TCellGeometry{CW, CH, 0, 0, CH - 2, 1};
    }
    void Put(int col, std::uint8_t ch, std::uint8_t fg, std::uint8_t bg, bool ul = false,
             bool blink = false) {
        row.Cells[col] = TCell{ch, fg, bg, std::uint8_t(blink), std::uint8_t(ul)};
    }
    TBgr At(int col, int x, int y, int line = 0) const {
        return display.Pixel(col * CW + x, line * CH + y);
    }
};

} // namespace

TEST_F(Fixture, RunStartsAtTheLeadOfASplitCharacter) {
    Put(0, 'a', 7, 0);
    Put(1, 0xA4, 7, 0);
    Put(2, 0x40, 7, 0);
    Put(3, 0x81, 7, 0); // not a lead byte
    Put(4, 'x', 7, 0);
    EXPECT_EQ(RunStartColumn(row, 2, 10), 1);
    EXPECT_EQ(RunStartColumn(row, 1, 10), 1);
    EXPECT_EQ(RunStartColumn(row, 4, 10), 4);
    Put(8, 0xA4, 7, 0);
    EXPECT_EQ(RunStartColumn(row, 9, 10), 8);
    EXPECT_EQ(RunStartColumn(row, 9, 9), 8); // column 8 is the last: single cell
}

TEST_F(Fixture, OpaquePairsAndSplitHalves) {
    Put(0, 0xA4, 15, 1); // same colours: one two-cell glyph
    Put(1, 0x40, 15, 1);
    Put(2, 0xA4, 14, 4); // split: left half light cyan on blue, right half white on red
    Put(3, 0x40, 15, 1);
    Put(4, 0x81, 15, 0); // 0x81 is an ordinary single cell
    Put(9, 0xA4, 15, 0); // a lead byte in the last column is a single cell
    DrawRowRun(ctx, row, 1, 0, 9);
    EXPECT_EQ(At(0, 1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(1, 1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(1, 0, 0, 1), ColorToBgr(0x0000AA));
    EXPECT_EQ(At(2, 1, 1, 1), ColorToBgr(0xFFFF55));
    EXPECT_EQ(At(2, 0, 0, 1), ColorToBgr(0xAA0000));
    EXPECT_EQ(At(3, 1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(3, 0, 0, 1), ColorToBgr(0x0000AA));
    EXPECT_EQ(At(4, 1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(9, 1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(0, 0, 0, 0), TBgr{}); // line 0 untouched
    // Two pair glyphs (once in each colour set), one ordinary and one space-like
    // cell for the blanks and 0x81/0xA4 singles.
    int calls = raster.Calls;
    DrawRowRun(ctx, row, 1, 0, 9);
    EXPECT_EQ(raster.Calls, calls); // all from the cache the second time
}

TEST_F(Fixture, BlackBackgroundIsSeeThroughOverAPicture) {
    ctx.Background = true;
    ctx.Back = &back;
    display.Fill(TBgr{99, 99, 99}); // stale pixels must be replaced by the picture
    Put(0, 'A', 7, 0);              // grey on black: picture around the ink
    Put(1, 'B', 0, 0);              // black on black: the picture only
    Put(2, 'C', 7, 4);              // grey on blue: covers the picture
    Put(3, 0xA4, 7, 0);             // split pair over black: both halves see-through
    Put(4, 0x40, 9, 0);
    DrawRowRun(ctx, row, 0, 0, 4);
    EXPECT_EQ(At(0, 0, 0), Picture);
    EXPECT_EQ(At(0, 1, 1), ColorToBgr(0xAAAAAA));
    EXPECT_EQ(At(1, 1, 1), Picture);
    EXPECT_EQ(At(2, 0, 0), ColorToBgr(0xAA0000));
    EXPECT_EQ(At(3, 0, 0), Picture);
    EXPECT_EQ(At(3, 1, 1), ColorToBgr(0xAAAAAA));
    EXPECT_EQ(At(4, 1, 1), ColorToBgr(0x5555FF));
    EXPECT_EQ(At(5, 0, 0), (TBgr{99, 99, 99})); // outside the run
}

TEST_F(Fixture, UnderlineOfTheFirstCellRunsUnderBothHalves) {
    Put(0, 'u', 10, 0, true);
    Put(2, 0xA4, 12, 0, true); // split pair, first cell underlined
    Put(3, 0x40, 14, 1, false);
    Put(5, 0xA4, 12, 0, false); // second cell's underline alone draws nothing
    Put(6, 0x40, 14, 1, true);
    DrawRowRun(ctx, row, 0, 0, 9);
    const int ul = CH - 2;
    EXPECT_EQ(At(0, 0, ul), ColorToBgr(0x55FF55));
    EXPECT_EQ(At(0, CW - 1, ul), ColorToBgr(0x55FF55));
    EXPECT_EQ(At(0, 0, ul + 1), TBgr{});
    EXPECT_EQ(At(1, 0, ul), TBgr{});
    EXPECT_EQ(At(2, 0, ul), ColorToBgr(0xFF5555));
    EXPECT_EQ(At(3, CW - 1, ul), ColorToBgr(0xFF5555));
    EXPECT_EQ(At(6, 0, ul), ColorToBgr(0x0000AA)); // the second cell's own background
}

TEST_F(Fixture, BlinkingCellsShowOnlyTheirBackgroundWhileHidden) {
    Put(0, 'b', 15, 4, true, true);
    Put(1, 'n', 15, 4);
    ctx.BlinkHidden = true;
    DrawRowRun(ctx, row, 0, 0, 1);
    EXPECT_EQ(At(0, 1, 1), ColorToBgr(0xAA0000));
    EXPECT_EQ(At(0, 0, CH - 2), ColorToBgr(0xAA0000)); // no underline either
    EXPECT_EQ(At(1, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_TRUE(RowHasBlink(row, 10));
    ctx.BlinkHidden = false;
    display.Fill(TBgr{});
    DrawBlinkingCells(ctx, row, 0);
    EXPECT_EQ(At(0, 1, 1), ColorToBgr(0xFFFFFF));
    EXPECT_EQ(At(1, 1, 1), TBgr{}); // not blinking: not redrawn
}

TEST_F(Fixture, CellsBeyondTheDisplayAreClipped) {
    ctx.Geometry.MarginX = 9 * CW + 2; // the run hangs over the right edge
    ctx.Geometry.MarginY = -3;
    Put(0, 0xA4, 7, 1);
    Put(1, 0x40, 7, 1);
    DrawRowRun(ctx, row, 0, 0, 9);
    EXPECT_EQ(display.Pixel(10 * CW - 1, 0), ColorToBgr(0x0000AA));
    DrawRowRun(ctx, row, 50, -5, 500); // far below: nothing, no fault
}
