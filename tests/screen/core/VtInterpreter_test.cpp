#include "screen/core/VtInterpreter.h"

#include "screen/core/ScreenDump.h"

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

TEST_F(Emu, SgrBoldColourAndResets) {
    Feed("\x1b[1;31mA");
    EXPECT_EQ(s.TextColor, 9);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_EQ(s.ScreenRow(0).Cells[0].Fg, 9);
    Feed("\x1b[44;5;4m");
    EXPECT_EQ(s.BackColor, 4);
    EXPECT_TRUE(s.Blink);
    EXPECT_TRUE(s.Underline);
    Feed("\x1b[0m");
    EXPECT_EQ(s.TextColor, 7);
    EXPECT_EQ(s.BackColor, 0);
    EXPECT_FALSE(s.Blink);
    EXPECT_FALSE(s.Underline);
    Feed("\x1b[1;22;33m");
    EXPECT_EQ(s.TextColor, 3);
    Feed("\x1b[8m");
    EXPECT_EQ(s.TextColor, 0);
    Feed("\x1b[;32m"); // an empty first parameter resets first
    EXPECT_EQ(s.TextColor, 2);
    Feed("\x1b[10;12;99;1m"); // unknown parameters are skipped
    EXPECT_EQ(s.TextColor, 10);
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

TEST_F(Emu, CursorMovesWithAbsentOrZeroCountsMeaningOne) {
    Feed("\x1b[10;20H");
    EXPECT_EQ(s.CursorX, 19);
    EXPECT_EQ(s.CursorY, 9);
    Feed("\x1b[C\x1b[0C\x1b[3C");
    EXPECT_EQ(s.CursorX, 24);
    Feed("\x1b[A\x1b[0A\x1b[2B\x1b[D\x1b[0D\x1b[5D");
    EXPECT_EQ(s.CursorY, 9);
    EXPECT_EQ(s.CursorX, 17);
    Feed("\x1b[H");
    EXPECT_EQ(s.CursorX, 0);
    EXPECT_EQ(s.CursorY, 0);
    Feed("\x1b[5f");
    EXPECT_EQ(s.CursorY, 4);
    EXPECT_EQ(s.CursorX, 0);
    Feed("\x1b[3 ; 0H");
    EXPECT_EQ(s.CursorY, 2);
    EXPECT_EQ(s.CursorX, 0);
    Feed("\x1b[999;999H");
    EXPECT_EQ(s.CursorY, 23);
    EXPECT_EQ(s.CursorX, 79);
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

TEST_F(Emu, BackspaceMovesLeftWithoutErasing) {
    Feed("ab\x08\x08\x08");
    EXPECT_EQ(s.CursorX, 0);
    EXPECT_EQ(Line(0), "ab");
}

TEST_F(Emu, BellGoesToOnBeepOnly) {
    int beeps = 0;
    Feed("\x07");
    vt.OnBeep = [&] { ++beeps; };
    Feed("\x07x\x07");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(Line(0), "x");
}

TEST_F(Emu, EscapeFollowedByAnUnknownByteWritesIt) {
    Feed("\x1bZ\x1b(B\x1b)0\x1b=\x1b>!");
    EXPECT_EQ(Line(0), "Z!");
}

TEST_F(Emu, OverlongSequenceIsDroppedAndTheRestIsText) {
    Feed("\x1b[" + std::string(78, '1'));
    EXPECT_TRUE(vt.InEscape);
    Feed("1");
    EXPECT_FALSE(vt.InEscape);
    Feed("2m");
    EXPECT_EQ(Line(0), "2m");
    EXPECT_EQ(s.TextColor, 7);
}

TEST_F(Emu, EscapeInsideASequenceRestartsIt) {
    Feed("\x1b[31\x1b[32mx");
    EXPECT_EQ(s.ScreenRow(0).Cells[0].Fg, 2);
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

TEST_F(Emu, EraseLineAndDisplayParts) {
    NumberRows();
    Feed("\x1b[5;2H\x1b[K");
    EXPECT_EQ(Line(4), "r");
    Feed("\x1b[1J");
    EXPECT_EQ(Line(3), "");
    EXPECT_EQ(Line(4), "");
    Feed("\x1b[20;1H\x1b[J");
    EXPECT_EQ(Line(18), "r18");
    EXPECT_EQ(Line(19), "");
    EXPECT_EQ(Line(23), "");
    Feed("\x1b[6;1H\x1b[3J"); // unknown erase: colours reset, nothing erased
    EXPECT_EQ(Line(5), "r5");
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

TEST_F(Emu, RegionScrollTogglesAndScrollsEveryOtherTime) {
    NumberRows();
    Feed("\x1b[2;20r");
    EXPECT_EQ(Line(0), "r0");
    EXPECT_EQ(Line(1), "r2");
    EXPECT_EQ(Line(18), "r19");
    EXPECT_EQ(Line(19), "");
    EXPECT_EQ(Line(20), "r20");
    EXPECT_TRUE(vt.RegionToggle);
    Feed("\x1b[2;20r");
    EXPECT_EQ(Line(1), "r2");
    Feed("\x1b[2;20r");
    EXPECT_EQ(Line(1), "r3");
    Feed("\x1b[r"); // no parameters: not even the toggle
    EXPECT_TRUE(vt.RegionToggle);
    vt.ResetScrollState();
    EXPECT_FALSE(vt.RegionToggle);
}

TEST_F(Emu, RegionScrollDownKeepsTheTopRowColours) {
    NumberRows();
    Feed("\x1b[3;1H\x1b[44mB\x1b[0m\x1b[?6h\x1b[3;5r");
    EXPECT_EQ(Line(2), "");
    EXPECT_EQ(s.ScreenRow(2).Cells[0].Bg, 4);
    EXPECT_EQ(Line(3), "B2");
    EXPECT_EQ(Line(4), "r3");
    EXPECT_EQ(Line(5), "r5");
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

TEST_F(Emu, UnknownFinalsAreSwallowed) {
    Feed("\x1b[6n\x1b[2@\x1b[3P\x1b[?25l\x1b[5Sok");
    EXPECT_EQ(Line(0), "ok");
}

TEST_F(Emu, ControlBytesOutsideAnEscape) {
    Feed(std::string("a\0b\x0e\x0f"
                     "c\x01\x1f"
                     "d",
                     9));
    EXPECT_EQ(Line(0), "abcd");
}

TEST_F(Emu, BulkFeedingMatchesByteFeeding) {
    std::string stream;
    for (int i = 0; i < 60; ++i) {
        stream += "\x1b[" + std::to_string(i % 8 + 30) + "mline " + std::to_string(i);
        stream += (i % 7 == 0) ? "\x1b[2J" : "\r\n";
        stream += "\xa4\xa4\xa4\xe5\t|\x1bM\x1b"
                  "D\x07\x08";
    }
    Feed(stream);
    TScreenBuffer s2;
    TVtInterpreter vt2(s2);
    vt2.ProcessBuffer(stream);
    EXPECT_EQ(DumpScreen(s2, true), DumpScreen(s, true));
}
