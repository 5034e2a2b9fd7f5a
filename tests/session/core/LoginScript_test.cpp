#include "session/core/LoginScript.h"

#include "platform/core/Big5.h"

#include <gtest/gtest.h>

#include <vector>

using namespace session;

namespace {

// Runs a whole script as the session would: each wait is taken as ended,
// the bytes of each run collected in order.
std::vector<std::string> Runs(const std::string& text) {
    TLoginState st;
    st.LoginScript = text;
    std::vector<std::string> out;
    for (int guard = 0; guard < 10000 && !st.ScriptDone; ++guard)
        out.push_back(StepLogin(st).Out);
    return out;
}

} // namespace

TEST(LoginScriptRun, LinesWithoutWaitGoInOnePiece) {
    TScriptRun r = RunLoginScript("guest^Mpass^M", 1, false);
    EXPECT_EQ(r.Out, "guest\rpass\r");
    EXPECT_EQ(r.Wait, TScriptRun::wEnd);
    EXPECT_EQ(r.Pos, 14);
}

TEST(LoginScriptRun, ControlMarks) {
    EXPECT_EQ(RunLoginScript("^[[m^J^m^^^a", 1, false).Out, "\x1B[m\n\r\x1E\x01");
    // A caret in the last position is itself.
    EXPECT_EQ(RunLoginScript("ab^", 1, false).Out, "ab^");
    EXPECT_EQ(RunLoginScript("^", 1, false).Out, "^");
}

TEST(LoginScriptRun, TimerWaitSendsWhatCameBefore) {
    TScriptRun r = RunLoginScript("a^M~3~b", 1, false);
    EXPECT_EQ(r.Out, "a\r");
    EXPECT_EQ(r.Wait, TScriptRun::wTimer);
    EXPECT_EQ(r.TimerMs, 3000);
    EXPECT_EQ(r.Pos, 7);
    r = RunLoginScript("a^M~3~b", r.Pos, false);
    EXPECT_EQ(r.Out, "b");
    EXPECT_EQ(r.Wait, TScriptRun::wEnd);
    // Without the closing "~" the digits still count.
    r = RunLoginScript("~12x", 1, false);
    EXPECT_EQ(r.TimerMs, 12000);
    EXPECT_EQ(r.Pos, 4);
}

TEST(LoginScriptRun, WaitsThatCannotEndGoOnAtOnce) {
    // "~0~", "~" alone and an empty keyword would stall the login.
    for (const char* t : {"~0~x", "~x", "~~~x", "@@@@x", "@\rx", "@"}) {
        TScriptRun r = RunLoginScript(t, 1, false);
        if (r.Wait == TScriptRun::wEnd) continue; // literal forms
        EXPECT_EQ(r.Wait, TScriptRun::wTimer) << t;
        EXPECT_EQ(r.TimerMs, 0) << t;
    }
    EXPECT_EQ(RunLoginScript("@@x", 1, false).Out, "@x");
    EXPECT_EQ(RunLoginScript("~~x", 1, false).Out, "~x");
}

TEST(LoginScriptRun, LongDigitRunSaturates) {
    TScriptRun r = RunLoginScript("~" + std::string(200, '9') + "~", 1, false);
    EXPECT_EQ(r.Wait, TScriptRun::wTimer);
    EXPECT_GT(r.TimerMs, 2000000000);
    EXPECT_EQ(r.Pos, 203);
}

TEST(LoginScriptRun, KeywordWait) {
    TScriptRun r = RunLoginScript("@login:@guest^M@Password@pw^M", 1, false);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Wait, TScriptRun::wKeyWord);
    EXPECT_EQ(r.KeyWord, "login:");
    r = RunLoginScript("@login:@guest^M@Password@pw^M", r.Pos, false);
    EXPECT_EQ(r.Out, "guest\r");
    EXPECT_EQ(r.KeyWord, "Password");
    r = RunLoginScript("@login:@guest^M@Password@pw^M", r.Pos, false);
    EXPECT_EQ(r.Out, "pw\r");
    EXPECT_EQ(r.Wait, TScriptRun::wEnd);
    // The keyword ends at a CR (which is then the next byte) or the end.
    r = RunLoginScript("@abc\rdef", 1, false);
    EXPECT_EQ(r.KeyWord, "abc");
    EXPECT_EQ(RunLoginScript("@abc\rdef", r.Pos, false).Out, "\rdef");
    EXPECT_EQ(RunLoginScript("x@abc", 1, false).KeyWord, "abc");
}

TEST(LoginScriptRun, Big5PairsAreWhole) {
    // 一 A4 40, 年 A6 7E, 乞 A4 5E, 功 A5 5C: second bytes "@", "~", "^", "\".
    const std::string name = win::Utf8ToBig5("一年乞功");
    ASSERT_EQ(name, "\xA4\x40\xA6\x7E\xA4\x5E\xA5\x5C");
    TScriptRun r = RunLoginScript(name + "^M", 1, false);
    EXPECT_EQ(r.Out, name + "\r");
    EXPECT_EQ(r.Wait, TScriptRun::wEnd);
    // Inside a keyword, 一's "@" does not end it.
    const std::string prompt = win::Utf8ToBig5("請輸入代號一：");
    r = RunLoginScript("@" + prompt + "@" + name + "^M", 1, false);
    EXPECT_EQ(r.KeyWord, prompt);
    // A lead byte last in the text is itself.
    EXPECT_EQ(RunLoginScript("a\xA4", 1, false).Out, "a\xA4");
}

TEST(LoginScriptRun, HeadStringIsWhatCameBeforeTheFirstEnter) {
    TScriptRun r = RunLoginScript("guest^Mpw^M", 1, true);
    EXPECT_TRUE(r.HeadCaptured);
    EXPECT_EQ(r.HeadString, "guest");
    // Nothing before the Enter: no capture, it waits for the next one.
    r = RunLoginScript("^Mguest^M", 1, true);
    EXPECT_EQ(r.HeadString, "\rguest");
    r = RunLoginScript("^M", 1, true);
    EXPECT_FALSE(r.HeadCaptured);
    EXPECT_FALSE(RunLoginScript("guest^M", 1, false).HeadCaptured);
}

TEST(LoginScriptRun, PositionsOutsideTheText) {
    EXPECT_EQ(RunLoginScript("abc", 0, false).Out, "abc");
    EXPECT_EQ(RunLoginScript("abc", -5, false).Out, "abc");
    TScriptRun r = RunLoginScript("abc", 99, false);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Wait, TScriptRun::wEnd);
    EXPECT_EQ(RunLoginScript("", 1, false).Wait, TScriptRun::wEnd);
}

TEST(LoginScriptState, StepsArmTriggerAndFinish) {
    TLoginState st;
    st.LoginScript = "@ID:@me^M~1~@pw:@x^M";
    st.HeadStringEnabled = true;
    TScriptRun r = StepLogin(st);
    EXPECT_EQ(st.KeyWord, "ID:");
    EXPECT_EQ(st.TriggerCnt, 1);
    st.TriggerCnt = 0; // the screen matched
    r = StepLogin(st);
    EXPECT_EQ(r.Out, "me\r");
    EXPECT_EQ(r.Wait, TScriptRun::wTimer);
    EXPECT_FALSE(st.HeadStringEnabled);
    EXPECT_EQ(st.TriggerCnt, 0);
    r = StepLogin(st);
    EXPECT_EQ(st.KeyWord, "pw:");
    st.TriggerCnt = 0;
    r = StepLogin(st);
    EXPECT_EQ(r.Out, "x\r");
    EXPECT_EQ(st.ScriptDone, 1);
    EXPECT_EQ(Runs("a^M~2~b^M@k@c"), (std::vector<std::string>{"a\r", "b\r", "c"}));
}

TEST(LoginScriptState, TenThousandByteTextEnds) {
    std::string text;
    while (text.size() < 10000)
        text += "ab~0~@@^M\xA4\x40@";
    std::vector<std::string> runs = Runs(text);
    ASSERT_FALSE(runs.empty());
    std::size_t total = 0;
    for (auto& r : runs)
        total += r.size();
    EXPECT_LE(total, text.size());
}

TEST(AutoKey, Decoding) {
    EXPECT_EQ(DecodeAutoKey("\\x00"), std::string(1, '\0'));
    EXPECT_EQ(DecodeAutoKey("\\X1b\\x4A"), "\x1B\x4A");
    // Fewer than two digits after "\x", or a non-digit: as typed.
    EXPECT_EQ(DecodeAutoKey("\\x0"), "\\x0");
    EXPECT_EQ(DecodeAutoKey("\\xzz"), "\\xzz");
    EXPECT_EQ(DecodeAutoKey("\\x0g"), "\\x0g");
    EXPECT_EQ(DecodeAutoKey("\\n"), "\\n");
    EXPECT_EQ(DecodeAutoKey("^[^M^^"), "\x1B\r\x1E");
    EXPECT_EQ(DecodeAutoKey("a^"), "a^");
    EXPECT_EQ(DecodeAutoKey("   "), "   ");
    // 功 A5 5C and 乞 A4 5E start nothing.
    EXPECT_EQ(DecodeAutoKey("\xA5\x5Cx41\xA4\x5EM"), "\xA5\x5Cx41\xA4\x5EM");
}

TEST(AutoKey, HexDigits) {
    EXPECT_EQ(HexDigitValue('0'), 0);
    EXPECT_EQ(HexDigitValue('9'), 9);
    EXPECT_EQ(HexDigitValue('a'), 10);
    EXPECT_EQ(HexDigitValue('F'), 15);
    for (char c : {'g', 'G', 'z', ' ', '\0', '/', ':', '@', '`'})
        EXPECT_EQ(HexDigitValue(c), -1) << int(c);
    EXPECT_EQ(HexByteValue('f', 'F'), 255);
    EXPECT_EQ(HexByteValue('1', 'x'), -1);
}
