#include "screen/core/VtInterpreter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct RecordingHost : TScreenHost {
    void RedrawScreen() override { ++Redraws; }
    void LinesMoved(int from, int delta) override {
        MovedFrom = from;
        MovedBy += delta;
    }
    int Redraws = 0, MovedFrom = -1, MovedBy = 0;
};

struct Emu : ::testing::Test {
    RecordingHost host;
    TScreenBuffer s{&host};
    TVtInterpreter vt{s};

    void Feed(const std::string& bytes) {
        for (unsigned char c : bytes)
            vt.ProcessChar(c);
    }
    // Text of list row index, trailing blanks cut.
    std::string ListLine(int index) {
        std::string t;
        for (const TCell& c : s.Row(index).Cells)
            t += static_cast<char>(c.Char);
        t.erase(t.find_last_not_of(' ') + 1);
        return t;
    }
    std::string Line(int y) { return ListLine(s.TopRow() + y); }
    // Writes "rN" on each screen row N.
    void NumberRows() {
        for (int y = 0; y < s.Rows(); ++y)
            Feed("\x1b[" + std::to_string(y + 1) + "Hr" + std::to_string(y));
    }
};

} // namespace

TEST_F(Emu, ConstructorAppliesTheEmulatorDefaults) {
    EXPECT_EQ(s.Rows(), 24);
    EXPECT_EQ(s.Columns(), 80);
    EXPECT_FALSE(s.AutoWrap);
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_EQ(vt.Attr, 7);
}

TEST_F(Emu, BareSgrAndSgrZeroDifferOnlyInMonochrome) {
    Feed("\x1b[1;33;41m\x1b[m");
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_EQ(s.BackColor, 0);
    vt.Monochrome = true;
    Feed("\x1b[m");
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_EQ(s.BackColor, 0);
    Feed("\x1b[0m");
    EXPECT_EQ(s.TextColor, 0);
    EXPECT_EQ(s.BackColor, 15);
    Feed("\x1b[8m");
    EXPECT_EQ(s.TextColor, 15);
    Feed("\x1b[41m");
    EXPECT_EQ(s.BackColor, 7);
}

TEST_F(Emu, ReverseIsExchangedAgainByEachLaterSgr) {
    Feed("\x1b[32;44m\x1b[7m");
    EXPECT_EQ(s.TextColor, 4);
    EXPECT_EQ(s.BackColor, 2);
    Feed("\x1b[1m");
    EXPECT_EQ(s.TextColor, 2 | 8);
    EXPECT_EQ(s.BackColor, 4);
    Feed("\x1b[27m");
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_FALSE(vt.Reverse);
}

TEST_F(Emu, HugeParametersSaturate) {
    Feed("\x1b[5;5H\x1b[99999999999999999999A");
    EXPECT_EQ(s.CursorY, 0);
    Feed("\x1b[99999999999999999999C\x1b[99999999999999999999B");
    EXPECT_EQ(s.CursorX, 79);
    EXPECT_EQ(s.CursorY, 23);
    Feed("\x1b[99999999999999999999;99999999999999999999H");
    EXPECT_EQ(s.CursorX, 79);
    Feed("\x1b[99999999999999999999m\x1b[99999999999999999999J");
    EXPECT_EQ(s.TextColor, 7);
}

TEST_F(Emu, BellGoesToOnBeepOnly) {
    int beeps = 0;
    Feed("\x07");
    vt.OnBeep = [&] { ++beeps; };
    Feed("\x07x\x07");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Line(0), "x");
}

TEST_F(Emu, EraseDisplayResetsColoursButNotAttr) {
    Feed("\x1b[1;33;44;5m");
    Feed("text\x1b[2J");
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_FALSE(s.Blink);
    EXPECT_EQ(vt.Attr, 0x4B);
    EXPECT_EQ(s.CursorX, 0);
    EXPECT_EQ(s.CursorY, 0);
    EXPECT_EQ(ListLine(s.TopRow() - 1), "text");
}

TEST_F(Emu, IndexScrollsOnlyAfterReverseIndex) {
    NumberRows();
    const int redraws = host.Redraws;
    Feed("\x1b"
         "D");
    EXPECT_EQ(Line(0), "r0");
    EXPECT_EQ(host.Redraws, redraws);
    Feed("\x1bM");
    EXPECT_EQ(Line(0), "");
    EXPECT_EQ(Line(1), "r0");
    EXPECT_EQ(Line(23), "r22");
    EXPECT_EQ(s.ScreenRow(0).Cells[0].Fg, 0);
    EXPECT_EQ(host.MovedBy, 1);
    EXPECT_EQ(host.MovedFrom, s.TopRow());
    Feed("\x1b"
         "D");
    EXPECT_EQ(Line(0), "r0");
    EXPECT_EQ(Line(23), "");
    EXPECT_EQ(host.MovedBy, 0);
    EXPECT_EQ(vt.IndexCount, 0);
    EXPECT_EQ(host.Redraws, redraws + 2);
}

TEST_F(Emu, SetModeSuppressesIndexScrolls) {
    NumberRows();
    Feed("\x1b[?1h\x1bM");
    EXPECT_EQ(Line(0), "r0");
    EXPECT_EQ(vt.IndexCount, 1);
    Feed("\x1b[4l\x1b"
         "D");
    EXPECT_EQ(Line(0), "r1");
}

TEST_F(Emu, ScrollsMoveOnlyCharAndColours) {
    Feed("\x1b[2;1H\x1b[5;4;31mX\x1b[0m\x1b[1;1H");
    Feed("\x1b[L");
    const TCell moved = s.ScreenRow(2).Cells[0];
    EXPECT_EQ(moved.Char, 'X');
    EXPECT_EQ(moved.Fg, 1);
    EXPECT_EQ(moved.Blink, 0);
    EXPECT_EQ(s.ScreenRow(1).Cells[0].Blink, 1) << "flags stay with the row";
    EXPECT_EQ(s.CursorY, 0);
}

TEST_F(Emu, RegionParametersAreClampedAndInvertedRegionsDoNothing) {
    NumberRows();
    Feed("\x1b[30;40r");
    EXPECT_EQ(Line(23), "") << "clamped to the bottom row";
    EXPECT_EQ(Line(22), "r22");
    Feed("\x1b[1r"); // second of a pair: toggled off
    Feed("\x1b[20;3r");
    EXPECT_TRUE(vt.RegionToggle) << "an inverted region still flips the toggle";
    EXPECT_EQ(Line(3), "r3");
    Feed("\x1b[0;99999999999999r");
    EXPECT_EQ(Line(0), "r0") << "the toggle skipped the first";
    Feed("\x1b[0;0r");
    EXPECT_EQ(Line(0), "r1");
}

TEST_F(Emu, SavedCursorIsClampedWhenRestoredOnASmallerScreen) {
    Feed("\x1b[20;70H\x1b"
         "7");
    s.SetRows(10);
    s.SetColumns(40);
    Feed("\x1b"
         "8");
    EXPECT_EQ(s.CursorY, 9);
    EXPECT_EQ(s.CursorX, 39);
    Feed("x\x1b[s\x1b[H\x1b[u");
    EXPECT_EQ(s.CursorX, 39);
}

namespace {

// One sequence case: bytes from a fresh emulator, then the cursor and the
// attributes of the cell written last (at X-1 of the cursor row when Mark is
// set).
struct SeqCase {
    const char* Name;
    std::string Bytes;
    int X, Y;
    int Fg, Bg;
    bool Mark = false;
};

// Feeds the case three ways: byte by byte, in one block, and in one block
// per byte, which must all agree.
void RunSeqCases(const std::vector<SeqCase>& cases) {
    for (const SeqCase& c : cases) {
        for (int way = 0; way < 3; ++way) {
            SCOPED_TRACE(std::string(c.Name) + " way " + std::to_string(way));
            TScreenBuffer s;
            TVtInterpreter vt{s};
            if (way == 0) {
                for (unsigned char b : c.Bytes)
                    vt.ProcessChar(b);
            } else if (way == 1) {
                vt.ProcessBuffer(c.Bytes);
            } else {
                for (char b : c.Bytes)
                    vt.ProcessBuffer(std::string_view(&b, 1));
            }
            EXPECT_EQ(s.CursorX, c.X);
            EXPECT_EQ(s.CursorY, c.Y);
            EXPECT_EQ(s.TextColor, c.Fg);
            EXPECT_EQ(s.BackColor, c.Bg);
            if (c.Mark) {
                ASSERT_GT(s.CursorX, 0);
                const TCell cell = s.ScreenRow(s.CursorY).Cells[s.CursorX - 1];
                EXPECT_EQ(cell.Char, 'X');
                EXPECT_EQ(cell.Fg, c.Fg);
                EXPECT_EQ(cell.Bg, c.Bg);
            }
        }
    }
}

} // namespace

TEST(VtSequences, SgrResetsEndReverseVideo) {
    RunSeqCases({
        {"reverse", "\x1b[32;44m\x1b[7mX", 1, 0, 4, 2, true},
        {"ESC[0m after reverse", "\x1b[32;44m\x1b[7m\x1b[0mX", 1, 0, 7, 0, true},
        {"ESC[m after reverse", "\x1b[32;44m\x1b[7m\x1b[mX", 1, 0, 7, 0, true},
        // The reverse is over: a later SGR no longer exchanges the colours.
        {"bold after ESC[0m", "\x1b[7m\x1b[0m\x1b[1mX", 1, 0, 15, 0, true},
        {"bold after ESC[m", "\x1b[7m\x1b[m\x1b[1mX", 1, 0, 15, 0, true},
        {"colour after ESC[;m", "\x1b[7m\x1b[;m\x1b[31mX", 1, 0, 1, 0, true},
        {"ESC[0;7m reverses again", "\x1b[7m\x1b[0;7mX", 1, 0, 0, 7, true},
    });
}

TEST(VtSequences, CursorMovesCountAbsentOrZeroAsOne) {
    RunSeqCases({
        {"bare A", "\x1b[10;5H\x1b[A", 4, 8, 7, 0},
        {"zero A", "\x1b[10;5H\x1b[0A", 4, 8, 7, 0},
        {"bare B", "\x1b[10;5H\x1b[B", 4, 10, 7, 0},
        {"bare C", "\x1b[10;5H\x1b[C", 5, 9, 7, 0},
        {"bare D", "\x1b[10;5H\x1b[D", 3, 9, 7, 0},
        {"three A", "\x1b[10;5H\x1b[3A", 4, 6, 7, 0},
        {"bare A on the top row", "\x1b[H\x1b[A", 0, 0, 7, 0},
        {"bare H homes", "\x1b[10;5H\x1b[H", 0, 0, 7, 0},
        {"row only", "\x1b[10;5H\x1b[7H", 0, 6, 7, 0},
    });
}

TEST(VtSequences, AnEscInsideASequenceStartsANewOne) {
    RunSeqCases({
        {"ESC restarts a CSI", "\x1b[5;5H\x1b[12\x1b[2C", 6, 4, 7, 0},
        {"ESC right after the bracket", "\x1b[5;5H\x1b[\x1b[31mX", 5, 4, 1, 0, true},
        {"ESC between parameters", "\x1b[5;5H\x1b[1;\x1b[A", 4, 3, 7, 0},
        {"ESC ESC", "\x1b[5;5H\x1b\x1b[B", 4, 5, 7, 0},
    });
}

TEST_F(Emu, RegionWithoutABottomScrollsDownToTheLastRow) {
    NumberRows();
    Feed("\x1b[5r");
    EXPECT_EQ(Line(3), "r3") << "rows above the region stay";
    EXPECT_EQ(Line(4), "r5");
    EXPECT_EQ(Line(22), "r23") << "the last row is in the region";
    EXPECT_EQ(Line(23), "");
    vt.ResetScrollState();
    Feed("\x1b[1;r");
    EXPECT_EQ(Line(0), "r1");
    EXPECT_EQ(Line(21), "r23");
    EXPECT_EQ(Line(22), "");
}
