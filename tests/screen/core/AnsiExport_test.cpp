#include "screen/core/AnsiExport.h"

#include "screen/core/VtInterpreter.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace screen;

namespace {
TCell C(char ch, int fg, int bg, int blink = 0, int ul = 0) {
    return TCell{static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(fg),
                 static_cast<std::uint8_t>(bg), static_cast<std::uint8_t>(blink),
                 static_cast<std::uint8_t>(ul)};
}

// Replays copied text on a fresh screen through the interpreter and returns
// the first `count` cells of each written line.
std::vector<std::vector<TCell>> Replay(const std::string& s,
                                       const std::vector<std::vector<TCell>>& shape) {
    TScreenBuffer screen;
    TVtInterpreter vt(screen);
    vt.ProcessBuffer(s);
    std::vector<std::vector<TCell>> out;
    for (size_t y = 0; y < shape.size(); ++y) {
        const TRow& row = screen.ScreenRow(static_cast<int>(y));
        out.emplace_back(row.Cells, row.Cells + shape[y].size());
    }
    return out;
}

bool SameCells(const std::vector<TCell>& a, const std::vector<TCell>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::memcmp(&a[i], &b[i], sizeof(TCell)) != 0) return false;
    return true;
}
} // namespace

TEST(AnsiExport, FirstSequenceIsFullAndLaterOnesOnlyChange) {
    EXPECT_EQ(CellsToAnsi({{C('A', 7, 0), C('B', 11, 0)}}), "\x1b[37;40mA\x1b[1;33mB\x1b[0m");
    EXPECT_EQ(CellsToAnsi({{C('a', 7, 0), C('b', 7, 0)}, {C('c', 7, 0)}}),
              "\x1b[37;40mab\r\nc\x1b[0m");
    EXPECT_EQ(CellsToAnsi({{C('A', 9, 4, 1, 1)}}), "\x1b[4;5;1;31;44mA\x1b[0m");
}

TEST(AnsiExport, AttributesStillOnAreRestatedAfterAReset) {
    // Underline goes off while blink and a bright foreground stay on.
    std::string s = CellsToAnsi({{C('A', 11, 1, 1, 1), C('B', 11, 1, 1, 0)}});
    EXPECT_EQ(s, "\x1b[4;5;1;33;41mA\x1b[;5;1;33;41mB\x1b[0m");
}

TEST(AnsiExport, CopyWithColoursReplaysToTheSameCells) {
    std::vector<std::vector<TCell>> lines = {
        {C('a', 7, 0), C('b', 15, 0, 0, 1), C('c', 15, 0, 1, 1), C('d', 15, 0, 1, 0),
         C('e', 3, 0, 1, 0), C('f', 3, 2, 0, 0), C('g', 12, 2, 0, 0), C('h', 4, 2, 0, 1)},
        {C('\xA4', 1, 6), C('\x61', 1, 6), C(' ', 7, 0), C('z', 9, 0, 1, 0)},
    };
    auto replayed = Replay(CellsToAnsi(lines), lines);
    ASSERT_EQ(replayed.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(SameCells(replayed[i], lines[i])) << "line " << i;
}

// Backgrounds 8..15 must not brighten a normal foreground when the copy is
// replayed: bold is the foreground's alone.
TEST(AnsiExport, BrightBackgroundsLeaveTheForegroundAlone) {
    for (int bg = 8; bg < 16; ++bg)
        for (int fg : {0, 3, 7, 9, 15}) {
            const std::vector<std::vector<TCell>> lines{{C('x', fg, bg), C('y', fg, 0)}};
            const std::string s = CellsToAnsi(lines);
            const auto got = Replay(s, lines);
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0][0].Fg, fg) << "bg " << bg << ": " << s;
            EXPECT_EQ(got[0][0].Bg, bg - 8) << s;
            EXPECT_EQ(got[0][1].Fg, fg) << s;
            EXPECT_EQ(got[0][1].Bg, 0) << s;
        }
}
