// Script files: line ends, words, blocks and their fields, bad input, and
// the file history kept in the settings file.
#include "platform/core/IniFile.h"
#include "session/core/ScriptFile.h"

#include <gtest/gtest.h>

using session::kScriptNoPosition;
using session::ReadScriptBlocks;
using session::TScriptBlock;

namespace {

TEST(ScriptFileLines, EveryLineEndAndNoStrayCarriageReturn) {
    using V = std::vector<std::string>;
    EXPECT_EQ(session::ScriptFileLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(session::ScriptFileLines("a\r\n"), (V{"a"}));
    // CR CR LF: one empty line between, no CR left in a line.
    EXPECT_EQ(session::ScriptFileLines("a\r\r\nb"), (V{"a", "", "b"}));
    EXPECT_EQ(session::ScriptFileLines("\n\n"), (V{"", ""}));
    EXPECT_TRUE(session::ScriptFileLines("").empty());
}

TEST(ScriptFileWords, BlanksOnlySeparateAndTabsBelongToWords) {
    std::size_t pos = 1;
    const std::string line = "#  a\tb   host  ";
    EXPECT_EQ(session::NextWord(line, pos), "a\tb");
    EXPECT_EQ(session::NextWord(line, pos), "host");
    EXPECT_EQ(session::NextWord(line, pos), "");
    EXPECT_EQ(pos, line.size());
    EXPECT_EQ(session::NextWord(line, pos), ""); // at the end stays there
    EXPECT_EQ(pos, line.size());
}

TEST(ScriptFileBlocks, HeadAloneIsTheNameAsTyped) {
    const auto b = ReadScriptBlocks("#mysite");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Name, "mysite");
    EXPECT_EQ(b[0].Host, "");
    EXPECT_EQ(b[0].Port, "23");
    EXPECT_FALSE(b[0].LoginGiven);
    EXPECT_EQ(b[0].Login, "");
    EXPECT_EQ(b[0].Trigger, 0);
    EXPECT_EQ(b[0].Left, kScriptNoPosition);
}

TEST(ScriptFileBlocks, LoginLinesJoinAndEmptyLinesAreEnters) {
    const auto b = ReadScriptBlocks("#n h 3000 kw\r\nA\r\n\r\nB\r\n");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Host, "h");
    EXPECT_EQ(b[0].Port, "3000");
    EXPECT_EQ(b[0].KeyWord, "kw");
    EXPECT_EQ(b[0].Trigger, 1);
    EXPECT_TRUE(b[0].LoginGiven);
    EXPECT_EQ(b[0].Login, "A^M^MB");
}

TEST(ScriptFileBlocks, LinesBeforeTheFirstHeadAreDiscarded) {
    const auto b = ReadScriptBlocks("%position 10 20\nlogin\n%DEFAULT\n#a h\n");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Left, kScriptNoPosition);
    EXPECT_EQ(b[0].Top, kScriptNoPosition);
    EXPECT_FALSE(b[0].LoginGiven);
    EXPECT_FALSE(b[0].ApplyDefault);
}

TEST(ScriptFileBlocks, NothingCarriesOverFromTheBlockBefore) {
    // The second block names no keyword, no login and no position: it must
    // not wait for the first site's keyword or send its login.
    const auto b = ReadScriptBlocks("#a h1 23 kw\nuser\n%POSITION 5 6\n%DEFAULT\n#b h2\n");
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].KeyWord, "kw");
    EXPECT_EQ(b[0].Login, "user");
    EXPECT_EQ(b[0].Left, 5);
    EXPECT_EQ(b[0].Top, 6);
    EXPECT_TRUE(b[0].ApplyDefault);
    TScriptBlock second;
    second.Name = "b";
    second.Host = "h2";
    EXPECT_EQ(b[1], second);
}

TEST(ScriptFileBlocks, DirectivesAnywhereInTheBlock) {
    const auto b = ReadScriptBlocks("#a\nx\n%default\ny\n% POSITION 1\n");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_TRUE(b[0].ApplyDefault);
    EXPECT_EQ(b[0].Login, "x^My");
    EXPECT_EQ(b[0].Left, 1);
    EXPECT_EQ(b[0].Top, 0); // a missing y is 0
}

TEST(ScriptFileBlocks, PositionValuesOutOfRangeOrNotNumbersAreZero) {
    auto b = ReadScriptBlocks("#a\n%POSITION 99999999999 -5\n");
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Left, 0);
    EXPECT_EQ(b[0].Top, -5);
    b = ReadScriptBlocks("#a\n%POSITION x1 12y\n");
    EXPECT_EQ(b[0].Left, 0);
    EXPECT_EQ(b[0].Top, 0);
    b = ReadScriptBlocks("#a\n%POSITION\n");
    EXPECT_EQ(b[0].Left, 0);
    EXPECT_EQ(b[0].Top, kScriptNoPosition);
    EXPECT_FALSE(b[0].LoginGiven);
}

TEST(ScriptFileBlocks, UnknownDirectivesHeadsWithoutNameAndLeadingBlanksAreLogin) {
    const auto b = ReadScriptBlocks("#a\n%HELLO x\n#\n# \n #b\n`note\n%\n");
    ASSERT_EQ(b.size(), 1u) << "a head without a name opens no block";
    EXPECT_EQ(b[0].Login, "%HELLO x^M#^M# ^M #b^M%");
}

TEST(ScriptFileBlocks, TabsNulBytesAndCarriageReturnsStayOutOfWords) {
    const std::string text = std::string("#a\tb h\0st 23\rlog\0in\r#c h2 23 k\r\n", 31);
    const auto b = ReadScriptBlocks(text);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].Name, "a\tb");
    EXPECT_EQ(b[0].Host, std::string("h\0st", 4));
    EXPECT_EQ(b[0].Port, "23");
    EXPECT_EQ(b[0].Login, std::string("log\0in", 6));
    EXPECT_EQ(b[1].KeyWord, "k");
}

TEST(ScriptFileBlocks, BigBlockKeepsEveryByte) {
    std::string big(1 << 20, 'x');
    const auto b = ReadScriptBlocks(std::string("#a h\n").append(big));
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].Login.size(), big.size());
}

TEST(ScriptFileBlocks, ReaderClosesEachBlockAtTheNextHead) {
    session::TScriptReader r;
    EXPECT_FALSE(r.Line("#a"));
    EXPECT_FALSE(r.Line("x"));
    const auto first = r.Line("#b");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Name, "a");
    const auto last = r.Finish();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->Name, "b");
    EXPECT_FALSE(r.Finish());
}

TEST(ScriptHistory, ReadSkipsStarsAndHolesAndStoreReplacesTheSection) {
    win::TIniText ini(
        "[Script]\r\ns0=a.txt\r\ns1=*\r\ns3=b.txt\r\ns30=late\r\nx=1\r\n[Other]\r\nk=v\r\n");
    EXPECT_EQ(session::ReadScriptHistory(ini), (std::vector<std::string>{"a.txt", "b.txt"}));
    session::StoreScriptHistory(ini, {"c.txt", "a.txt"});
    std::string v;
    EXPECT_FALSE(ini.Find("Script", "x", &v));
    EXPECT_FALSE(ini.Find("Script", "s3", &v));
    EXPECT_TRUE(ini.Find("Other", "k", &v));
    EXPECT_EQ(session::ReadScriptHistory(ini), (std::vector<std::string>{"c.txt", "a.txt"}));
}

TEST(ScriptHistory, ThirtyKeptNewestFirstAndNoDuplicates) {
    std::vector<std::string> h;
    for (int i = 0; i < 30; ++i)
        h.push_back(std::string(1, 'f').append(std::to_string(i)));
    session::AddScriptHistory(h, "new");
    ASSERT_EQ(h.size(), 30u);
    EXPECT_EQ(h.front(), "new");
    EXPECT_EQ(h.back(), "f28");
    session::AddScriptHistory(h, "f10");
    EXPECT_EQ(h.size(), 30u);
    EXPECT_EQ(h[0], "f10");
    EXPECT_EQ(h[1], "new");
    EXPECT_EQ(std::count(h.begin(), h.end(), "f10"), 1);
    // Storing more than thirty writes thirty.
    h.push_back("extra");
    win::TIniText ini;
    session::StoreScriptHistory(ini, h);
    EXPECT_EQ(session::ReadScriptHistory(ini).size(), 30u);
}

} // namespace
