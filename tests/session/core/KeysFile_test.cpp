#include "session/core/KeyMapBuilder.h"
#include "session/core/KeysFile.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>

using namespace session;
using testsupport::FixturePath;
using testsupport::TScratchFolder;

namespace {

win::TIniText Fixture() {
    return win::TIniText(TScratchFolder::Read(FixturePath("addressbook/Keys.ini")));
}

} // namespace

TEST(KeysFile, KeyNamesAndTheKeypadRule) {
    EXPECT_EQ(MakeKeyName(72, true, "Up", false, false, false), "072-0001(Up)");
    EXPECT_EQ(MakeKeyName(71, false, "7", true, false, false), "071-1000(7)");
    EXPECT_EQ(MakeKeyName(71, true, "Home", true, false, false), "071-0001(Home)")
        << "an extended key is never the keypad digit";
    EXPECT_EQ(MakeKeyName(74, false, "-", true, false, false), "074-0000(-)");
    EXPECT_EQ(MakeKeyName(30, false, "A", false, true, true), "030-0110(A)");
    EXPECT_EQ(MakeKeyName(13, false, "=", false, false, false), "013-0000(_)")
        << "a \"=\" would end the key name";
    auto k = ParseKeyName("071-1011(x)");
    ASSERT_TRUE(k);
    EXPECT_EQ(k->Scan, 71);
    EXPECT_TRUE(k->Keypad && !k->Shift && k->Ctrl && k->Extended);
    auto shortName = ParseKeyName("059-1");
    ASSERT_TRUE(shortName) << "missing flags are clear";
    EXPECT_TRUE(shortName->Keypad && !shortName->Shift && !shortName->Extended);
    for (const char* bad : {"000-0000(zero)", "99x-0000", "12", "256-0000", ""})
        EXPECT_FALSE(ParseKeyName(bad)) << bad;
}

TEST(KeysFile, CaretNotation) {
    EXPECT_EQ(DecodeCaretText("^[[A"), "\x1B[A");
    EXPECT_EQ(DecodeCaretText("^M"), "\r");
    EXPECT_EQ(DecodeCaretText("ab^"), "ab^");
    EXPECT_EQ(DecodeCaretText("^^"), "\x1E");
    EXPECT_EQ(DecodeCaretText("\x7F"), "\x7F");
    // 乞 (A4 5E) followed by "M" is a character and a letter, not a CR.
    EXPECT_EQ(DecodeCaretText("\xA4\x5EM"), "\xA4\x5EM");
    EXPECT_EQ(DecodeCaretText(std::string(80, 'x')).size(), 50u);
    EXPECT_EQ(DecodeCaretText(std::string(49, 'x') + "\xA4\x5E").size(), 50u);
}

TEST(KeysFile, DefaultMapIsCompletedNotOverwritten) {
    win::TIniText t("[Default]\r\n072-0001(Up)=^[OA\r\n080-0001(Down)=\r\n");
    EXPECT_TRUE(EnsureDefaultKeyMap(t));
    EXPECT_EQ(t.Keys("Default").size(), 21u);
    std::string v;
    t.Find("Default", "072-0001(Up)", &v);
    EXPECT_EQ(v, "^[OA");
    t.Find("Default", "080-0001(Down)", &v);
    EXPECT_EQ(v, "^[[B");
    t.Find("default", "014-0000(Back)", &v);
    EXPECT_EQ(v, "\x7F");
    EXPECT_FALSE(EnsureDefaultKeyMap(t));
}

TEST(KeysFile, ReplaceDropsEmptyValuesAndKeepsOthers) {
    win::TIniText t = Fixture();
    ReplaceKeyMap(t, "Odd",
                  {{"072-0001(Up)", "x"}, {"073-0001(PgUp)", ""}, {"074-0000(-)", " y "}});
    win::TIniText back(t.Text());
    auto pairs = ReadKeyMap(back, "odd");
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[1].second, " y ");
    EXPECT_EQ(ReadKeyMap(back, "Many").size(), 70u);
    std::string stray;
    EXPECT_NE(back.Text().find("stray=before any section"), std::string::npos);
}

TEST(KeyMapBuilder, FillsAtMost64AndReportsTheRest) {
    win::TIniText t = Fixture();
    TKeyTable table{};
    TKeyMapBuild r = BuildKeyTable(ReadKeyMap(t, "Many"), table);
    EXPECT_EQ(r.Filled, 64);
    EXPECT_TRUE(r.Overflow);
    EXPECT_EQ(table[63].ScanCode, 64);
    EXPECT_EQ(table[63].Text(), "v63");

    auto pairs = ReadKeyMap(t, "Many");
    pairs.resize(64);
    r = BuildKeyTable(pairs, table);
    EXPECT_EQ(r.Filled, 64);
    EXPECT_FALSE(r.Overflow) << "exactly 64 keys fit";
}

TEST(KeyMapBuilder, SkipsHandEditedNamesAndEmptyValues) {
    win::TIniText t = Fixture();
    TKeyTable table{};
    table.fill(TKeyMapEntry());
    table[10].ScanCode = 99;
    TKeyMapBuild r = BuildKeyTable(ReadKeyMap(t, "Odd"), table);
    ASSERT_EQ(r.Filled, 3);
    EXPECT_EQ(table[0].ScanCode, 59);
    EXPECT_EQ(table[0].Keypad, 1);
    EXPECT_EQ(table[0].Text(), "fewflags");
    EXPECT_EQ(table[1].ScanCode, 72);
    EXPECT_EQ(table[1].Extended, 1);
    EXPECT_EQ(table[1].Text(), "\x1B[A");
    EXPECT_EQ(table[2].ScanCode, 30);
    EXPECT_EQ(table[2].Shift, ssShift);
    EXPECT_EQ(table[2].Text(), "\xA4\x5E\r");
    EXPECT_EQ(table[10].ScanCode, 0) << "entries after the last are cleared";

    // All values empty: everything cleared; the loader's own rule keeps the
    // table for a missing section (no keys at all).
    table[0].ScanCode = 5;
    r = BuildKeyTable(ReadKeyMap(t, "Empty"), table);
    EXPECT_EQ(r.Filled, 0);
    EXPECT_EQ(table[0].ScanCode, 0);
    EXPECT_TRUE(ReadKeyMap(t, "Missing").empty());
}
