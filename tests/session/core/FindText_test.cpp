// The find scans and search steps over a real screen buffer: scroll-back
// and screen together, view moves, Big5-safe comparison, stale positions.
#include "session/core/FindText.h"

#include "screen/core/ScreenBuffer.h"
#include "screen/core/VtInterpreter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

using findtext::DirDown;
using findtext::DirUp;
using findtext::TFindState;

namespace {

// A buffer with the selection a screen control would hold.
class TBufferRows : public findtext::TFindRows {
public:
    TScreenBuffer Buffer;
    bool Sel = false;
    int L = 0, T = 0, R = 0, B = 0;
    int Reads = 0;

    int Columns() const override { return Buffer.Columns(); }
    int Rows() const override { return Buffer.Rows(); }
    int TopRow() const override { return Buffer.TopRow(); }
    int ViewRow() const override { return Buffer.ViewRow(); }
    int RowCount() const override { return Buffer.RowCount(); }
    void ReadRow(int y, unsigned char* bytes) const override {
        // Out-of-range reads are the fault these tests guard against.
        EXPECT_GE(y, 0);
        EXPECT_LT(y, Buffer.RowCount());
        if (y < 0 || y >= Buffer.RowCount()) return;
        for (int i = 0; i < RowCells; ++i)
            bytes[i] = Buffer.Row(y).Cells[i].Char;
        const_cast<TBufferRows*>(this)->Reads++;
    }
    std::uint64_t DroppedRows() const override { return Buffer.DroppedRows(); }
    void BeginRead() override { Buffer.Rendering.lock(); }
    void EndRead() override { Buffer.Rendering.unlock(); }
    bool HasSelection() const override { return Sel; }
    int SelLeft() const override { return L; }
    int SelTop() const override { return T; }
    int SelRight() const override { return R; }
    void SetViewRow(int row) override { Buffer.SetViewRow(row); }
    void SetSelection(int l, int t, int r, int b) override {
        Sel = true;
        L = l, T = t, R = r, B = b;
    }
    void ClearSelection() override { Sel = false; }

    // List row of the selection.
    int SelListRow() const { return T + Buffer.ViewRow(); }
    void Lines(int count, const char* prefix = "line ") {
        for (int i = 0; i < count; ++i) {
            Buffer.WriteStr(prefix + std::to_string(i));
            Buffer.WriteStr("\r\n");
        }
    }
};

} // namespace

TEST(FindScan, CaseFoldingAndCaseSensitive) {
    TBufferRows s;
    s.Buffer.WriteStr("ABC aBc abc");
    TFindState st;
    st.Reset(s, DirDown, 3);
    int hits = 0;
    while (st.Step(s, "abc", DirDown, false))
        ++hits;
    EXPECT_EQ(hits, 3);

    st.Reset(s, DirDown, 3);
    ASSERT_TRUE(st.Step(s, "abc", DirDown, true));
    EXPECT_EQ(s.L, 8);
    EXPECT_EQ(s.R, 10);
    EXPECT_FALSE(st.Step(s, "abc", DirDown, true));
    EXPECT_EQ(st.LastDirection, findtext::DirFailed);
}

TEST(FindScan, TextLongerThanColumnsNeverMatchesDownward) {
    TBufferRows s;
    s.Buffer.SetColumns(10);
    s.Buffer.WriteStr("0123456789");
    TFindState st;
    st.Reset(s, DirDown, 11);
    EXPECT_FALSE(st.Step(s, "0123456789A", DirDown, true));
    st.Reset(s, DirDown, 10);
    EXPECT_TRUE(st.Step(s, "0123456789", DirDown, true));
}

TEST(FindScan, HitFarBackScrollsToTopRowAndUpwardBelowLandsOnBottom) {
    TBufferRows s;
    s.Buffer.SetMaxBufferRows(2000);
    s.Buffer.WriteStr("needle\r\n");
    s.Lines(300);
    const int top = s.Buffer.TopRow();
    ASSERT_GT(top, 200);
    TFindState st;
    st.Reset(s, DirDown, 6);
    ASSERT_TRUE(st.Step(s, "needle", DirDown, true));
    EXPECT_EQ(s.Buffer.ViewRow(), 0);
    EXPECT_EQ(s.T, 0);
    EXPECT_EQ(s.L, 0);

    // View at the oldest rows; an upward hit far below lands on the bottom row.
    s.Buffer.WriteStr("marker");
    s.Buffer.SetViewRow(0);
    s.Sel = false;
    st.Reset(s, DirUp, 6);
    ASSERT_TRUE(st.Step(s, "marker", DirUp, true));
    EXPECT_EQ(s.T, s.Buffer.Rows() - 1);
    EXPECT_EQ(s.SelListRow(), s.Buffer.TopRow() + s.Buffer.CursorY);
}

TEST(FindScan, DirectionChangeStartsUpwardBeforeTheSelectedHit) {
    TBufferRows s;
    s.Buffer.WriteStr("xyz       xyz");
    TFindState st;
    st.Reset(s, DirDown, 3);
    ASSERT_TRUE(st.Step(s, "xyz", DirDown, true));
    ASSERT_TRUE(st.Step(s, "xyz", DirDown, true));
    EXPECT_EQ(s.L, 10);
    // Upward from column 9 of that row finds the first one.
    ASSERT_TRUE(st.Step(s, "xyz", DirUp, true));
    EXPECT_EQ(s.L, 0);
    // Without a selection the position is stepped back over the hit too.
    s.Sel = false;
    ASSERT_TRUE(st.Step(s, "xyz", DirDown, true));
    EXPECT_EQ(s.L, 10);
}

TEST(FindScan, FailedUpwardThenClearedSelectionThenDownwardStaysInRange) {
    TBufferRows s;
    s.Buffer.WriteStr("short");
    TFindState st;
    const std::string longText(100, 'q');
    st.Reset(s, DirUp, 100);
    EXPECT_FALSE(st.Step(s, longText, DirUp, true));
    s.Sel = false;
    EXPECT_FALSE(st.Step(s, "zzz", DirDown, true));
    EXPECT_GE(st.FindX, 0);
    EXPECT_GE(st.FindY, 0);
    // After that, a normal downward search still works from the start.
    st.Reset(s, DirDown, 5);
    EXPECT_TRUE(st.Step(s, "short", DirDown, true));
}

TEST(FindScan, Big5TrailLetterIsNeitherFoundNorFolded) {
    TBufferRows s;
    // 0xA4 0x65 is a character whose second byte is the letter "e".
    s.Buffer.WriteStr("\xA4\x65 e \xA4\x45");
    TFindState st;
    st.Reset(s, DirDown, 1);
    ASSERT_TRUE(st.Step(s, "e", DirDown, false));
    EXPECT_EQ(s.L, 3);                             // the single "e", not the trail byte at column 1
    EXPECT_FALSE(st.Step(s, "e", DirDown, false)); // 0x45 is a trail: not "E"
    // The pair itself is found; folding must not turn 0xA4 0x65 into 0xA4 0x45.
    st.Reset(s, DirDown, 2);
    ASSERT_TRUE(st.Step(s, "\xA4\x65", DirDown, false));
    EXPECT_EQ(s.L, 0);
    EXPECT_FALSE(st.Step(s, "\xA4\x65", DirDown, false));
}

TEST(FindScan, PatternFoldLeavesSecondBytesAlone) {
    EXPECT_EQ(findtext::FoldPattern("a\xA4\x65z", false), "A\xA4\x65Z");
    EXPECT_EQ(findtext::FoldPattern("a\xA4\x65z", true), "a\xA4\x65z");
}

TEST(FindScan, TrimmedHistoryBetweenStepsContinuesAfterTheHit) {
    TBufferRows s;
    s.Buffer.SetMaxBufferRows(25);
    s.Buffer.SetViewRow(0);
    for (int i = 0; i < 40; ++i)
        s.Buffer.WriteStr(("row" + std::to_string(i) + " hit\r\n").c_str());
    TFindState st;
    st.Reset(s, DirDown, 3);
    ASSERT_TRUE(st.Step(s, "hit", DirDown, true));
    // The row of the hit and its text.
    auto textAt = [&](int listRow) {
        std::string t;
        for (int i = 0; i < 8; ++i)
            t.push_back(static_cast<char>(s.Buffer.Row(listRow).Cells[i].Char));
        return t;
    };
    const std::string first = textAt(s.SelListRow());
    const std::uint64_t before = s.Buffer.DroppedRows();
    for (int i = 40; i < 120; ++i)
        s.Buffer.WriteStr(("row" + std::to_string(i) + " hit\r\n").c_str());
    ASSERT_GT(s.Buffer.DroppedRows(), before);
    ASSERT_TRUE(st.Step(s, "hit", DirDown, true));
    const std::string second = textAt(s.SelListRow());
    // The next hit is a later row than the first, never an earlier one again.
    const int a = std::atoi(first.c_str() + 3), b = std::atoi(second.c_str() + 3);
    EXPECT_GT(b, a) << first << " then " << second;
}

TEST(FindScan, ClearedHistoryPutsAStoredPositionOnRowZero) {
    TBufferRows s;
    s.Lines(100);
    TFindState st;
    st.Reset(s, DirUp, 4);
    ASSERT_TRUE(st.Step(s, "line", DirUp, true));
    s.Buffer.ClearHistory();
    s.Sel = false;
    st.Step(s, "line", DirUp, true);
    st.Step(s, "line", DirDown, true);
    EXPECT_GE(st.FindY, 0);
    EXPECT_LE(st.FindY, s.Buffer.RowCount());
}

TEST(FindScan, FarOffStoredPositionMovesOntoTheList) {
    TBufferRows s;
    s.Buffer.WriteStr("abc");
    TFindState st;
    st.LastDirection = 7;
    st.FindX = 100000;
    st.FindY = 1 << 30;
    EXPECT_TRUE(st.Step(s, "abc", DirUp, true));
    st.FindX = -500;
    st.FindY = -500;
    s.Sel = false;
    st.LastDirection = 7;
    EXPECT_TRUE(st.Step(s, "abc", DirDown, true));
}

TEST(FindScan, HistoryMovesToFront) {
    std::vector<std::string> h{"a", "b", "c"};
    findtext::MoveToFront(h, "c");
    EXPECT_EQ(h, (std::vector<std::string>{"c", "a", "b"}));
    findtext::MoveToFront(h, "c");
    findtext::MoveToFront(h, "new");
    EXPECT_EQ(h, (std::vector<std::string>{"new", "c", "a", "b"}));
}

// Every golden stream, fed whole with full scroll-back: every hit found
// downward is found again upward, in reverse order.
TEST(FindScan, GoldenStreamsDownAndUpAgree) {
    const char* fx = std::getenv("BP_FIXTURES");
    if (!fx) GTEST_SKIP() << "BP_FIXTURES not set";
    namespace fs = std::filesystem;
    int streams = 0;
    for (const auto& e : fs::directory_iterator(fs::path(fx) / "golden")) {
        if (e.path().extension() != ".ans") continue;
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        TBufferRows s;
        s.Buffer.SetMaxBufferRows(100000);
        TVtInterpreter vt(s.Buffer);
        vt.ProcessBuffer(ss.str());
        for (const char* word : {"e", "the", "\xA4\x40"}) {
            std::vector<std::pair<int, int>> down, up;
            TFindState st;
            st.Reset(s, DirDown, static_cast<int>(std::strlen(word)));
            while (st.Step(s, word, DirDown, false) && down.size() < 5000)
                down.emplace_back(s.SelListRow(), s.L);
            st.Reset(s, DirUp, static_cast<int>(std::strlen(word)));
            while (st.Step(s, word, DirUp, false) && up.size() < 5000)
                up.emplace_back(s.SelListRow(), s.L);
            std::reverse(up.begin(), up.end());
            EXPECT_EQ(down, up) << e.path() << " " << word;
        }
        ++streams;
    }
    EXPECT_GT(streams, 5);
}
