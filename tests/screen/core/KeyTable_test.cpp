#include "screen/core/KeyTable.h"

#include "screen/core/RowsFixture.h"
#include "screen/core/ScanCodes.h"

#include <gtest/gtest.h>

using namespace screen;

namespace {
TKeyMapEntry Entry(std::uint8_t scan, bool keypad, std::uint8_t shift, bool ext,
                   std::string_view value) {
    TKeyMapEntry e;
    e.ScanCode = scan;
    e.Keypad = keypad;
    e.Shift = shift;
    e.Extended = ext;
    e.SetText(value);
    return e;
}

struct KeyTableTest : ::testing::Test {
    TKeyTable Table{};
    TScrollState Scroll{500, 600, 24};

    TKeyDecision Press(std::uint8_t vk, std::uint8_t scan, bool ext = false, std::uint8_t shift = 0,
                       bool caps = false, bool scrollLock = false) {
        return DecideKey(TKeyDown{vk, scan, ext, shift, caps, scrollLock}, Table, Scroll);
    }
};
} // namespace

TEST(KeyMapEntry, LayoutIsTheStoredOne) {
    TKeyMapEntry e = Entry(59, true, ssCtrl, true, std::string(60, 'x'));
    const auto* b = reinterpret_cast<const std::uint8_t*>(&e);
    EXPECT_EQ(b[0], 59);
    EXPECT_EQ(b[1], 1);
    EXPECT_EQ(b[2], 4);
    EXPECT_EQ(b[3], 1);
    EXPECT_EQ(b[4], 50); // cut to 50 bytes
    EXPECT_EQ(e.Text(), std::string(50, 'x'));
    e.Value[0] = 200; // a damaged length byte from a file stays in bounds
    EXPECT_EQ(e.Text().size(), 50u);
}

TEST_F(KeyTableTest, FunctionKeyEntryMatchesExactShiftOnly) {
    Table[3] = Entry(59, false, 0, false, "\x1b[11~");
    auto d = Press(112, 59);
    ASSERT_EQ(d.Action, TKeyAction::SendEntry);
    EXPECT_EQ(d.Entry->Text(), "\x1b[11~");
    EXPECT_EQ(Press(112, 59, false, ssShift).Action, TKeyAction::PassOn);
    EXPECT_EQ(Press(112, 59, true).Action, TKeyAction::PassOn);
}

TEST_F(KeyTableTest, LettersWithCtrlCapsLockAndShift) {
    EXPECT_EQ(Press('C', 46, false, ssCtrl).Letter, 3);
    EXPECT_EQ(Press('C', 46).Letter, 'c');
    EXPECT_EQ(Press('C', 46, false, 0, true).Letter, 'C');
    EXPECT_EQ(Press('C', 46, false, ssShift).Letter, 'C');
    EXPECT_EQ(Press('C', 46).Action, TKeyAction::Letter);
    Table[5] = Entry(46, false, ssAlt, false, "alt");
    EXPECT_EQ(Press('C', 46, false, ssAlt).Action, TKeyAction::LeaveAlone);
    EXPECT_EQ(Press('1', 2).Action, TKeyAction::PassOn);
    Table[0] = Entry(46, false, ssCtrl, false, "copy");
    EXPECT_EQ(Press('C', 46, false, ssCtrl).Action, TKeyAction::SendEntry);
}

TEST_F(KeyTableTest, InsertCopyPasteInputMethodAndModeFlags) {
    Table[0] = Entry(0x52, false, ssShift, true, "never");
    Table[1] = Entry(0x52, false, ssCtrl, true, "never");
    EXPECT_EQ(Press(45, 0x52, true, ssShift).Action, TKeyAction::LeaveAlone);
    EXPECT_EQ(Press(45, 0x52, true, ssCtrl).Action, TKeyAction::LeaveAlone);
    EXPECT_EQ(Press(VkProcessKey, 30).Action, TKeyAction::LeaveAlone);
    EXPECT_EQ(Press(VkBack, 14).BsDelMode, 1);
    EXPECT_EQ(Press(VkLeft, 0x4B, true).BsDelMode, 2);
    EXPECT_EQ(Press(VkRight, 0x4D, true).BsDelMode, 3);
    EXPECT_EQ(Press(46, 0x53, true).BsDelMode, 4);
    EXPECT_EQ(Press(110, 0x53, false).BsDelMode, 0); // keypad '.'
    // Ctrl+Left is looked up as plain Left and marks CtrlArrow.
    Table[2] = Entry(0x4B, false, 0, true, "\x1b[D");
    auto d = Press(VkLeft, 0x4B, true, ssCtrl);
    EXPECT_EQ(d.Action, TKeyAction::SendEntry);
    EXPECT_TRUE(d.CtrlArrow);
    EXPECT_FALSE(Press(VkLeft, 0x4B, true).CtrlArrow);
    EXPECT_EQ(Press(VkShift, 0x2A).Action, TKeyAction::PassOn);
}

TEST(CtrlKeys, TypeControlCharactersOrNothing) {
    EXPECT_EQ(CtrlCharacter('A', ssCtrl), 1);
    EXPECT_EQ(CtrlCharacter('Z', ssCtrl | ssShift), 26);
    EXPECT_EQ(CtrlCharacter(219, ssCtrl), 0x1B);
    EXPECT_EQ(CtrlCharacter('2', ssCtrl), 0);
    EXPECT_EQ(CtrlCharacter(13, ssCtrl), 10);
    EXPECT_EQ(CtrlCharacter(VkBack, ssCtrl), 0x7F);
    // Digits, punctuation and Ctrl+Shift with them type nothing.
    for (int vk : {int('1'), int('0'), 187, 188, 190, 186, 222, 191})
        EXPECT_EQ(CtrlCharacter(static_cast<std::uint8_t>(vk), ssCtrl), -1) << vk;
    EXPECT_EQ(CtrlCharacter(219, ssCtrl | ssShift), -1);
    EXPECT_EQ(CtrlCharacter('A', ssCtrl | ssAlt), -1);
    EXPECT_EQ(CtrlCharacter('A', 0), -1);
}

TEST(ScrollKeys, MoveTheViewWithinTheHistory) {
    TScrollState s{100, 200, 24};
    EXPECT_EQ(ScrollViewRow(VkPrior, s), 76);
    EXPECT_EQ(ScrollViewRow(VkNext, s), 124);
    EXPECT_EQ(ScrollViewRow(VkHome, s), 0);
    EXPECT_EQ(ScrollViewRow(VkEnd, s), 200);
    EXPECT_EQ(ScrollViewRow(VkPrior, TScrollState{24, 200, 24}), 0);
    EXPECT_EQ(ScrollViewRow(VkNext, TScrollState{190, 200, 24}), 200);
    EXPECT_EQ(ScrollViewRow(VkDown, TScrollState{200, 200, 24}), 200);
    EXPECT_EQ(ScrollViewRow(VkUp, TScrollState{0, 200, 24}), 0);
}

TEST(Big5Doubling, LeftAndRightSidesPairFromTheRowStart) {
    TDoubleRules on{true, true, true};
    // "a" + two-cell character + trail-looking lead byte pair.
    TRows rows({"a\xA4\xA4\xA4\x61z"}); // cells: a | A4 A4 | A4 61 | z
    const TRow& r = rows.Rows[0];
    EXPECT_TRUE(ShouldDoubleKey(r, 80, 3, 1, false, on));  // Backspace after A4A4
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 1, 1, false, on)); // after 'a' (and x < 2)
    EXPECT_TRUE(ShouldDoubleKey(r, 80, 3, 4, false, on));  // Delete on A4 61
    // Column 2 is the trail A4 of the first character, not a lead.
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 2, 3, false, on));
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 3, 3, true, on)); // Ctrl+Right never doubles
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 3, 4, false, TDoubleRules{true, false, true}));
}

TEST(Big5Doubling, PairsAtTheRowEdges) {
    TDoubleRules on{true, true, true};
    TRows rows({std::string(8, 'x') + "\xA5\xBB"});
    const TRow& r = rows.Rows[0];
    EXPECT_TRUE(ShouldDoubleKey(r, 10, 8, 4, false, on));  // pair in the last two columns
    EXPECT_TRUE(ShouldDoubleKey(r, 10, 10, 1, false, on)); // cursor past the last column
    EXPECT_FALSE(ShouldDoubleKey(r, 10, 9, 4, false, on)); // no room for a pair
    EXPECT_FALSE(ShouldDoubleKey(r, 9, 8, 4, false, on));  // lead in the last column
    TRows lead({"\xA5\xBB"});
    EXPECT_TRUE(ShouldDoubleKey(lead.Rows[0], 80, 2, 2, false, on));
    EXPECT_TRUE(ShouldDoubleKey(lead.Rows[0], 80, 0, 3, false, on));
}

TEST(ScanCodes, XKeyCodesGiveStoredScanCodesAndVirtualKeys) {
    struct {
        std::uint32_t X;
        std::uint8_t Scan;
        bool Ext;
        std::uint8_t VkNumLock, Vk;
    } cases[] = {
        {9, 0x01, false, 27, 27},    // Esc
        {22, 0x0E, false, 8, 8},     // Backspace
        {38, 0x1E, false, 'A', 'A'}, // A
        {67, 0x3B, false, 112, 112}, // F1
        {95, 0x57, false, 122, 122}, // F11
        {80, 0x48, false, 104, 38},  // keypad 8 / Up
        {91, 0x53, false, 110, 46},  // keypad . / Delete
        {90, 0x52, false, 96, 45},   // keypad 0 / Insert
        {111, 0x48, true, 38, 38},   // Up
        {113, 0x4B, true, 37, 37},   // Left
        {119, 0x53, true, 46, 46},   // Delete
        {118, 0x52, true, 45, 45},   // Insert
        {104, 0x1C, true, 13, 13},   // keypad Enter
        {105, 0x1D, true, 17, 17},   // right Ctrl
        {106, 0x35, true, 111, 111}, // keypad /
        {77, 0x45, true, 144, 144},  // Num Lock
        {127, 0x45, false, 19, 19},  // Pause
        {112, 0x49, true, 33, 33},   // Page Up
    };
    for (auto& c : cases) {
        TScanCode s = ScanFromXKeyCode(c.X);
        EXPECT_EQ(s.Scan, c.Scan) << c.X;
        EXPECT_EQ(s.Extended, c.Ext) << c.X;
        EXPECT_EQ(VirtualKeyFromScan(s, true), c.VkNumLock) << c.X;
        EXPECT_EQ(VirtualKeyFromScan(s, false), c.Vk) << c.X;
    }
    EXPECT_EQ(ScanFromXKeyCode(0).Scan, 0);
    EXPECT_EQ(ScanFromXKeyCode(300).Scan, 0);
    EXPECT_EQ(ScanFromXKeyCode(8 + 200).Scan, 0);
    EXPECT_TRUE(IsKeypadKey(VirtualKeyFromScan(ScanFromXKeyCode(80), true), 0x48));
    EXPECT_FALSE(IsKeypadKey(VirtualKeyFromScan(ScanFromXKeyCode(111), true), 0x48));
}

TEST_F(KeyTableTest, PlainAndKeypadEntriesOfOneScanCodeAreToldApart) {
    // Scan 71 is keypad 7 and Home, scan 83 keypad '.' and Delete. Entries
    // that differ only in the keypad flag must each answer their own key,
    // whichever comes first in the table.
    for (bool keypadFirst : {false, true}) {
        SCOPED_TRACE(keypadFirst ? "keypad entries first" : "plain entries first");
        const int kp = keypadFirst ? 0 : 1, plain = 1 - kp;
        Table = {};
        Table[plain] = Entry(71, false, 0, false, "\x1b[H");
        Table[kp] = Entry(71, true, 0, false, "seven");
        Table[2 + plain] = Entry(83, false, 0, false, "\x1b[3~");
        Table[2 + kp] = Entry(83, true, 0, false, "dot");
        Table[4] = Entry(71, false, 0, true, "\x1b[1~"); // the Home key
        struct {
            std::uint8_t VK, Scan;
            std::string_view Sent;
        } keys[] = {
            {103, 71, "seven"},      // Num Lock on: keypad 7
            {VkHome, 71, "\x1b[1~"}, // Num Lock off: Home, looked up as extended
            {110, 83, "dot"},        // Num Lock on: keypad '.'
            {46, 83, "\x1b[3~"},     // Num Lock off: Delete
        };
        for (auto& k : keys) {
            auto d = Press(k.VK, k.Scan);
            ASSERT_EQ(d.Action, TKeyAction::SendEntry) << int(k.VK);
            EXPECT_EQ(d.Entry->Text(), k.Sent) << int(k.VK);
        }
    }
    // A keypad entry alone never answers the other key sharing its scan
    // code, nor a plain entry the keypad key.
    Table = {};
    Table[0] = Entry(83, true, 0, false, "dot");
    EXPECT_EQ(Press(46, 83).Action, TKeyAction::PassOn);
    EXPECT_EQ(Press(110, 83).Action, TKeyAction::SendEntry);
    Table[0] = Entry(83, false, 0, false, "\x1b[3~");
    EXPECT_EQ(Press(110, 83).Action, TKeyAction::PassOn);
}

TEST(Big5Doubling, LeftSideDoublesOnlyFromColumnTwo) {
    TDoubleRules on{true, true, true};
    // A pair in columns 0-1: the cursor on its trail is not past it.
    TRows rows({"\xA5\xBB\xA5\xBBx"});
    const TRow& r = rows.Rows[0];
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode == 1 ? "Backspace" : "Left");
        EXPECT_FALSE(ShouldDoubleKey(r, 80, 0, mode, false, on));
        EXPECT_FALSE(ShouldDoubleKey(r, 80, 1, mode, false, on));
        EXPECT_TRUE(ShouldDoubleKey(r, 80, 2, mode, false, on));
        EXPECT_TRUE(ShouldDoubleKey(r, 80, 4, mode, false, on));
        EXPECT_FALSE(ShouldDoubleKey(r, 80, 5, mode, false, on)) << "after the single 'x'";
    }
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 2, 1, false, TDoubleRules{false, true, true}));
    EXPECT_FALSE(ShouldDoubleKey(r, 80, 2, 2, true, on)) << "Ctrl+Left never doubles";
}
