#include "screen/core/AnsiExport.h"

#include "screen/core/RowsFixture.h"
#include "screen/core/Selection.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace screen;

namespace {
TCell C(char ch, int fg, int bg, int blink = 0, int ul = 0) {
    return TCell{static_cast<std::uint8_t>(ch), static_cast<std::uint8_t>(fg),
                 static_cast<std::uint8_t>(bg), static_cast<std::uint8_t>(blink),
                 static_cast<std::uint8_t>(ul)};
}

// A small SGR replayer with the colour rules of a BBS terminal: 1 makes the
// foreground bright, an empty or 0 parameter resets.
std::vector<std::vector<TCell>> Replay(const std::string& s) {
    std::vector<std::vector<TCell>> out(1);
    int fg = 7, bg = 0, blink = 0, ul = 0;
    bool bold = false;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\x1b' && i + 1 < s.size() && s[i + 1] == '[') {
            size_t m = s.find('m', i);
            std::string p = s.substr(i + 2, m - i - 2);
            std::vector<std::string> params;
            size_t start = 0;
            for (;;) {
                size_t semi = p.find(';', start);
                params.push_back(p.substr(start, semi - start));
                if (semi == std::string::npos) break;
                start = semi + 1;
            }
            for (auto& q : params) {
                int n = q.empty() ? 0 : std::stoi(q);
                if (n == 0) {
                    fg = 7, bg = 0, blink = 0, ul = 0, bold = false;
                } else if (n == 1) {
                    bold = true;
                    fg |= 8;
                } else if (n == 22) {
                    bold = false;
                    fg &= 7;
                } else if (n == 4) {
                    ul = 1;
                } else if (n == 5) {
                    blink = 1;
                } else if (n >= 30 && n <= 37) {
                    fg = (n - 30) | (bold ? 8 : 0);
                } else if (n >= 40 && n <= 47) {
                    bg = n - 40;
                }
            }
            i = m;
        } else if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            out.emplace_back();
            ++i;
        } else {
            out.back().push_back(C(s[i], fg, bg, blink, ul));
        }
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
    auto replayed = Replay(CellsToAnsi(lines));
    ASSERT_EQ(replayed.size(), lines.size());
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(SameCells(replayed[i], lines[i])) << "line " << i;
}

TEST(AnsiExport, SelectionCellsKeepBlanksAndFollowTheSelection) {
    TRows rows({"ab  ", "cd"});
    TSelection s;
    s.Anchor = {1, 1};
    s.End = {2, 0};
    s.Shown = true;
    auto cells = SelectionCells(rows.View(), 4, s);
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].size(), 2u); // columns 2..3 of row 0, blanks kept
    EXPECT_EQ(cells[1].size(), 2u);
    EXPECT_EQ(cells[1][1].Char, 'd');
}
