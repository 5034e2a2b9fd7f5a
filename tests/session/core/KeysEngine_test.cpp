// Speed-key strings and groups, the shortcut rules, the line box's Ctrl
// rule and history, and the colour composer's codes.
#include "session/core/ColorComposer.h"
#include "session/core/LineInput.h"
#include "session/core/MruList.h"
#include "session/core/ShortcutKeys.h"
#include "session/core/SpeedKeys.h"

#include <gtest/gtest.h>

namespace {

using session::AltKeyReachesMenus;
using session::DecodeSpeedKey;
using session::TShortcutAction;
namespace vk = session::vk;

// ---- Speed keys --------------------------------------------------------------

TEST(SpeedKey, CaretNotation) {
    EXPECT_EQ(DecodeSpeedKey("^[[A"), "\x1b[A");
    EXPECT_EQ(DecodeSpeedKey("ls^M"), "ls\r");
    EXPECT_EQ(DecodeSpeedKey("^c"), "\x03") << "lower case letters mask the same way";
    EXPECT_EQ(DecodeSpeedKey("a^^b"), "a^b") << "^^ is a plain caret here";
    EXPECT_EQ(DecodeSpeedKey("^^^^"), "^^");
    EXPECT_EQ(DecodeSpeedKey("x^"), "x^") << "a last caret stands for itself";
    EXPECT_EQ(DecodeSpeedKey("^"), "^");
    EXPECT_EQ(DecodeSpeedKey(""), "");
    EXPECT_EQ(DecodeSpeedKey("^@"), std::string(1, '\0')) << "NUL is a byte like any other";
}

TEST(SpeedKey, Big5CharactersAreWhole) {
    // 乞 is A4 5E: its second byte is a caret but not a caret character.
    EXPECT_EQ(DecodeSpeedKey("\xA4\x5E"
                             "A"),
              "\xA4\x5E"
              "A");
    EXPECT_EQ(DecodeSpeedKey("\xA4\x5E^M"), "\xA4\x5E\r");
    // A caret before a two-byte character has nothing to mask.
    EXPECT_EQ(DecodeSpeedKey("^\xA4\x40"), "^\xA4\x40");
    EXPECT_EQ(DecodeSpeedKey("^\xA4\x5E^["), "^\xA4\x5E\x1b");
    // A lone lead byte at the end passes as it is.
    EXPECT_EQ(DecodeSpeedKey("a\xA4"), "a\xA4");
    EXPECT_EQ(DecodeSpeedKey("^\xA4"), "^\xA4");
}

TEST(SpeedKey, LongHandEditedValueDecodesWhole) {
    std::string in;
    for (int i = 0; i < 1000; ++i)
        in += "^M";
    EXPECT_EQ(DecodeSpeedKey(in), std::string(1000, '\r'));
}

TEST(SpeedGroup, WrapsAndFileValuesAreChecked) {
    EXPECT_EQ(session::NextSpeedGroup(5), 1);
    EXPECT_EQ(session::PreviousSpeedGroup(1), 5);
    EXPECT_EQ(session::NextSpeedGroup(3), 4);
    EXPECT_EQ(session::ValidSpeedGroup(9), 1);
    EXPECT_EQ(session::ValidSpeedGroup(0), 1);
    EXPECT_EQ(session::ValidSpeedGroup(5), 5);
    EXPECT_EQ(session::SpeedKeyHint(11, "ls^M"), "F12:ls^M");
}

TEST(SpeedTable, RoundTripThroughOneText) {
    win::TIniText ini("[SpeedButton3]\r\nLabel4=\xB4\xFA\r\nKey4=^[[A\r\n[Other]\r\nx=1\r\n");
    session::TSpeedTable t = session::ReadSpeedTable(ini);
    EXPECT_EQ(t[2].Labels[4], "\xB4\xFA");
    EXPECT_EQ(t[2].Keys[4], "^[[A");
    EXPECT_EQ(t[0].Keys[0], "") << "missing keys read empty";
    t[4].Keys[11] = "bye^M";
    session::WriteSpeedTable(ini, t);
    win::TIniText again(ini.Text());
    EXPECT_EQ(session::ReadSpeedTable(again), t);
    std::string v;
    EXPECT_TRUE(again.Find("Other", "x", &v)) << "other sections stay";
    EXPECT_TRUE(again.Find("SpeedButton1", "Label0", &v)) << "every pair is written";
}

// ---- Shortcut rules ----------------------------------------------------------

session::TShortcutState ThreeSessions() {
    session::TShortcutState s;
    s.CurrentSession = 0;
    s.Numbers = {1, 2, 3};
    s.NumberUsed[1] = s.NumberUsed[2] = s.NumberUsed[3] = true;
    s.ActivationCount = 3;
    s.TerminalFocused = true;
    s.CurrentConnected = true;
    return s;
}

session::TShortcutResult Key(int key, const session::TShortcutState& s, bool shift = false,
                             bool alt = false, bool ctrl = false) {
    return session::DecideShortcut(key, shift, alt, ctrl, s);
}

TEST(Shortcut, FunctionKeysPressSpeedButtonsWithOrWithoutCtrl) {
    auto s = ThreeSessions();
    auto r = Key(vk::F5, s);
    EXPECT_EQ(r.Action, TShortcutAction::ClickSpeedButton);
    EXPECT_EQ(r.Arg, 4);
    EXPECT_TRUE(r.Consumed);
    r = Key(vk::F5, s, false, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::ClickSpeedButton);
    s.CurrentSession = -1;
    EXPECT_EQ(Key(vk::F1, s).Action, TShortcutAction::ClickSpeedButton)
        << "the button decides what an empty one or no session means";
}

TEST(Shortcut, ShiftWorksOnlyOnAFocusedTerminal) {
    auto s = ThreeSessions();
    auto r = Key(vk::F5, s, true);
    EXPECT_EQ(r.Action, TShortcutAction::SelectGroup);
    EXPECT_EQ(r.Arg, 5);
    EXPECT_EQ(Key(vk::PageUp, s, true).Action, TShortcutAction::SpinUp);
    EXPECT_EQ(Key(vk::PageDown, s, true).Action, TShortcutAction::SpinDown);
    EXPECT_EQ(Key(vk::Home, s, true).Arg, 1);
    EXPECT_EQ(Key(vk::End, s, true).Arg, 5);
    r = Key('1', s, true);
    EXPECT_TRUE(r.Consumed) << "Shift+1 is consumed (its ! still types)";
    EXPECT_EQ(r.Action, TShortcutAction::None);
    EXPECT_TRUE(Key(vk::Shift, s, true).Consumed);
    EXPECT_EQ(Key(vk::F5 + 1, s, true).Action, TShortcutAction::None);
    // Shift wins over Alt.
    EXPECT_EQ(Key('C', s, true, true).Action, TShortcutAction::None);
    s.TerminalFocused = false;
    r = Key(vk::F5, s, true);
    EXPECT_FALSE(r.Consumed) << "host box focused: Shift+F5 passes on";
    s.TerminalFocused = true;
    s.CurrentSession = -1;
    EXPECT_FALSE(Key(vk::F5, s, true).Consumed);
}

TEST(Shortcut, AltDigitsPickSessionsByNumber) {
    auto s = ThreeSessions();
    s.Numbers = {1, 3, 2};
    auto r = Key('3', s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::ActivateSession);
    EXPECT_EQ(r.Arg, 1);
    EXPECT_EQ(r.Caption, "&3");
    EXPECT_TRUE(r.Consumed);
    r = Key('1', s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::None) << "already current: caption only";
    EXPECT_TRUE(r.SetCaption);
    EXPECT_TRUE(r.Consumed);
    r = Key('4', s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::Beep);
    EXPECT_FALSE(r.Consumed) << "an unused number beeps and passes on";
    s.NumberUsed[10] = true; // flag set, but no session carries 10
    r = Key('0', s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::None);
    EXPECT_FALSE(r.Consumed);
    s.Numbers[2] = 10;
    r = Key('0', s, false, true);
    EXPECT_EQ(r.Arg, 2);
    EXPECT_EQ(r.Caption, "&0");
}

TEST(Shortcut, EveryAltKeyIsConsumedGuardedOrNot) {
    auto s = ThreeSessions();
    std::string disabled = "ConnectSpeedBtn";
    s.Enabled = [&](const std::string& c) { return c != disabled; };
    auto r = Key('C', s, false, true);
    EXPECT_TRUE(r.Consumed);
    EXPECT_EQ(r.Action, TShortcutAction::None);
    EXPECT_FALSE(r.SetCaption);
    disabled.clear();
    r = Key('C', s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::ClickControl);
    EXPECT_EQ(r.Control, "ConnectSpeedBtn");
    EXPECT_EQ(r.Caption, "&C");
    EXPECT_EQ(Key('D', s, false, true).Control, "Disconnect") << "the menu item is clicked";
    EXPECT_EQ(Key('G', s, false, true).Control, "SingleConnect");
    for (int k : std::initializer_list<int>{'E', 'F', 'I', 'M', 'Q', 'T', 'V', 'W', vk::Menu,
                                            vk::F5, '/'}) {
        r = Key(k, s, false, true);
        EXPECT_TRUE(r.Consumed) << k;
        EXPECT_EQ(r.Action, TShortcutAction::None) << k;
    }
    EXPECT_EQ(Key(vk::F4, s, false, true).Action, TShortcutAction::CloseMain);
    EXPECT_FALSE(Key(vk::F4, s, false, true).SetCaption);
}

TEST(Shortcut, OnlyAltAloneAndLettersWithoutACommandReachTheMenus) {
    for (int k : std::initializer_list<int>{'E', 'F', 'I', 'M', 'Q', 'T', 'V', 'W', vk::Menu})
        EXPECT_TRUE(AltKeyReachesMenus(k, false, true, false)) << k;
    for (int k : std::initializer_list<int>{'A', 'C', 'H', 'O', 'Z', '1', vk::F4, vk::Comma})
        EXPECT_FALSE(AltKeyReachesMenus(k, false, true, false)) << k;
    EXPECT_FALSE(AltKeyReachesMenus('F', false, false, false)) << "without Alt";
    EXPECT_FALSE(AltKeyReachesMenus('F', true, true, false)) << "Shift takes the Shift rule";
    EXPECT_FALSE(AltKeyReachesMenus('F', false, true, true)) << "Ctrl+Alt";
}

TEST(Shortcut, BoxFocusNeedsItsBarShown) {
    auto s = ThreeSessions();
    s.ConnectionBarVisible = false;
    auto r = Key('H', s, false, true);
    EXPECT_TRUE(r.Consumed);
    EXPECT_EQ(r.Action, TShortcutAction::None);
    EXPECT_EQ(Key('P', s, false, true).Action, TShortcutAction::None);
    EXPECT_EQ(Key('L', s, false, true).Action, TShortcutAction::FocusControl);
    s.ShortcutBarVisible = false;
    EXPECT_EQ(Key('L', s, false, true).Action, TShortcutAction::None);
}

TEST(Shortcut, AltCommaAndPeriodStepTabs) {
    auto s = ThreeSessions();
    auto r = Key(vk::Comma, s, false, true);
    EXPECT_EQ(r.Action, TShortcutAction::StepSession);
    EXPECT_EQ(r.Arg, 2);
    EXPECT_EQ(r.Caption, "&,");
    EXPECT_EQ(Key(vk::Period, s, false, true).Arg, 1);
    s.CurrentSession = 2;
    EXPECT_EQ(Key(vk::Period, s, false, true).Arg, 0);
    s.ActivationCount = 1;
    r = Key(vk::Period, s, false, true);
    EXPECT_TRUE(r.Consumed);
    EXPECT_EQ(r.Action, TShortcutAction::None);
}

TEST(Shortcut, AltAChoosesByLineBoxFocus) {
    auto s = ThreeSessions();
    EXPECT_EQ(Key('A', s, false, true).Action, TShortcutAction::LineEditorEnter);
    s.LineBoxFocused = true;
    EXPECT_EQ(Key('A', s, false, true).Action, TShortcutAction::LineEditorLeave);
}

TEST(Shortcut, CtrlPunctuation) {
    auto s = ThreeSessions();
    EXPECT_EQ(Key(vk::Semicolon, s, false, false, true).Text, "\xA1\x46");
    EXPECT_EQ(Key(vk::Comma, s, false, false, true).Text, "\xA1\x41");
    auto r = Key(vk::Period, s, false, false, true);
    EXPECT_EQ(r.Text, "\xA1\x43");
    EXPECT_TRUE(r.Consumed);
    EXPECT_FALSE(Key('C', s, false, false, true).Consumed);
    s.Punctuation = false;
    EXPECT_FALSE(Key(vk::Period, s, false, false, true).Consumed);
    s.Punctuation = true;
    s.CurrentConnected = false;
    EXPECT_FALSE(Key(vk::Period, s, false, false, true).Consumed);
    EXPECT_EQ(Key('C', s).Action, TShortcutAction::None) << "plain keys pass";
}

// ---- Line box ----------------------------------------------------------------

TEST(LineBox, CtrlBytesLeaveEditingKeysAlone) {
    EXPECT_EQ(session::LineCtrlByte('C'), 3);
    EXPECT_EQ(session::LineCtrlByte(219), 219 & 31) << "the [ key's virtual key";
    for (int k :
         std::initializer_list<int>{vk::Home, vk::End, vk::PageUp, vk::PageDown, vk::Left, vk::Up,
                                    vk::Right, vk::Down, vk::Insert, vk::F1, vk::F12, '0', '3', '9',
                                    vk::Numpad0 + 3, vk::Shift, vk::Control, vk::Menu})
        EXPECT_EQ(session::LineCtrlByte(k), -1) << k;
}

TEST(LineBox, SendAndHistoryRules) {
    EXPECT_EQ(session::LineToSend("", true), "\r\n");
    EXPECT_EQ(session::LineToSend("abc", false), "abc");
    EXPECT_FALSE(session::KeptInLineHistory("a"));
    EXPECT_TRUE(session::KeptInLineHistory("\xA4\x40")) << "one Big5 character is kept";
    EXPECT_TRUE(session::KeptInLineHistory("ab"));
}

TEST(Mru, AddMovesToFrontAndRemoveSelectsNeighbour) {
    std::vector<std::string> l;
    session::MruAdd(l, "a");
    session::MruAdd(l, "b");
    session::MruAdd(l, "c");
    session::MruAdd(l, "a");
    EXPECT_EQ(l, (std::vector<std::string>{"a", "c", "b"}));
    session::MruAdd(l, "d", 2);
    EXPECT_EQ(l, (std::vector<std::string>{"d", "a"}));

    l = {"a", "b", "c"};
    auto r = session::MruRemove(l, "a");
    EXPECT_TRUE(r.Removed);
    EXPECT_EQ(r.Selected, 0) << "the new first entry";
    r = session::MruRemove(l, "c");
    EXPECT_EQ(r.Selected, 0);
    EXPECT_EQ(l, std::vector<std::string>{"b"});
    r = session::MruRemove(l, "zz");
    EXPECT_FALSE(r.Removed);
    EXPECT_EQ(l.size(), 1u);
    r = session::MruRemove(l, "b");
    EXPECT_TRUE(r.Removed);
    EXPECT_EQ(r.Selected, -1) << "nothing left: the box is cleared";
    l = {"a", "b", "c", "d"};
    EXPECT_EQ(session::MruRemove(l, "c").Selected, 1);
}

// ---- Colour composer ---------------------------------------------------------

TEST(ColorCode, BuiltAsTheButtonsSay) {
    session::TColorChoice c;
    c.Text = 2;
    EXPECT_EQ(session::BuildCode(c, session::TColorPart::Text), "\x1b\x1b[32m");
    c = {};
    c.Head = 2;
    c.HighLight = c.Inverse = true;
    c.Text = 7;
    c.Back = 4;
    EXPECT_EQ(session::BuildCode(c, session::TColorPart::All), "[1;7;37;44m");
    EXPECT_EQ(session::BuildCode(c, session::TColorPart::Back), "[1;7;44m");
    c = {};
    EXPECT_EQ(session::BuildCode(c, session::TColorPart::All), "\x1b\x1b[m");
    c.Underline = c.Flash = true;
    EXPECT_EQ(session::BuildCode(c, session::TColorPart::Text), "\x1b\x1b[4;5m");
    c.Head = 1;
    EXPECT_EQ(session::NormalCode(c), "\x15[0m");
    c.Head = 0;
    EXPECT_EQ(session::NormalCode(c), "\x1b\x1b[0m");
}

TEST(ColorCode, ControlLetterIsOneLetterOrTheDefault) {
    EXPECT_EQ(session::ControlLetter("u"), 'U');
    EXPECT_EQ(session::ControlLetter("Z"), 'Z');
    EXPECT_EQ(session::ControlLetter(""), 0);
    EXPECT_EQ(session::ControlLetter("1"), 0);
    EXPECT_EQ(session::ControlLetter("\xA4\x40"), 0);
    session::TColorChoice c;
    c.Head = 1;
    c.Letter = session::ControlLetter("");
    EXPECT_EQ(session::ColorHead(c), "\x15[") << "no letter: the default U";
    c.Letter = 'A';
    EXPECT_EQ(session::ColorHead(c), "\x01[");
}

} // namespace
