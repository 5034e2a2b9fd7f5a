#include "screen/core/Selection.h"

#include "screen/core/RowsFixture.h"
#include "screen/core/TextExport.h"

#include <gtest/gtest.h>

using namespace screen;

namespace {
TSelection Sel(int ac, int ar, int ec, int er, bool block) {
    TSelection s;
    s.Anchor = {ac, ar};
    s.End = {ec, er};
    s.Shown = true;
    s.BlockMode = block;
    return s;
}

const std::vector<std::string> Screen = {"0123456789", "abcdefghij", "ABCDEFGHIJ"};
} // namespace

TEST(Selection, StreamInTextOrderEitherWayBlockAsRectangle) {
    TRows rows(Screen);
    std::vector<std::string> stream = {"6789", "abcdefghij", "ABC"};
    EXPECT_EQ(SelectionLines(rows.View(), 10, Sel(6, 0, 2, 2, false)), stream);
    EXPECT_EQ(SelectionLines(rows.View(), 10, Sel(2, 2, 6, 0, false)), stream);
    EXPECT_EQ(SelectionLines(rows.View(), 10, Sel(5, 1, 2, 1, false)),
              std::vector<std::string>{"cdef"});
    std::vector<std::string> block = {"2345", "cdef", "CDEF"};
    EXPECT_EQ(SelectionLines(rows.View(), 10, Sel(5, 2, 2, 0, true)), block);
    EXPECT_EQ(SelectionLines(rows.View(), 10, Sel(2, 0, 5, 2, true)), block);
    TSelection hidden = Sel(5, 2, 2, 0, true);
    hidden.Shown = false;
    EXPECT_TRUE(SelectionLines(rows.View(), 10, hidden).empty());
}

TEST(Selection, TwoCellCharactersAreTakenWhole) {
    TRows rows({"ab\xA4\x61\xA5\xBBz"});
    // Ends on the trail of the first and the lead of the second character.
    EXPECT_EQ(SelectionLines(rows.View(), 80, Sel(3, 0, 4, 0, false)),
              std::vector<std::string>{"\xA4\x61\xA5\xBB"});
}

TEST(Selection, WordsOfBlanksBig5AndOtherBytes) {
    TRows rows({"ab-c   \xA4\x61\xA5\xBBxy\xA4\x40q"});
    const TRow& r = rows.Rows[0];
    int from, to;
    WordSpan(r, 80, 5, from, to); // blanks
    EXPECT_EQ(from, 4);
    EXPECT_EQ(to, 6);
    WordSpan(r, 80, 8, from, to); // a trail cell of a run of two-cell characters
    EXPECT_EQ(from, 7);
    EXPECT_EQ(to, 10);
    WordSpan(r, 80, 1, from, to); // other bytes up to the blank
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 3);
    WordSpan(r, 80, 11, from, to); // up to the next two-cell character
    EXPECT_EQ(from, 11);
    EXPECT_EQ(to, 12);
    WordSpan(r, 80, 14, from, to); // '@' trail byte belongs to its character
    EXPECT_EQ(from, 13);
    EXPECT_EQ(to, 14);
}

TEST(TextExport, LinesLoseTrailingBlanksAndEndInCrLf) {
    TRows rows({"abc", "", "  x \xA4\x61"});
    auto lines = RowLines(rows.View(), 80);
    EXPECT_EQ(lines, (std::vector<std::string>{"abc", "", "  x \xA4\x61"}));
    EXPECT_EQ(JoinLines(lines), "abc\r\n\r\n  x \xA4\x61");
    EXPECT_EQ(FileText(lines), "abc\r\n\r\n  x \xA4\x61\r\n");
    // Only the first `columns` cells count.
    EXPECT_EQ(RowText(rows.Rows[2], 3), "  x");
}
