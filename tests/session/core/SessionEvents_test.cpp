#include "session/core/SessionEvents.h"

#include <gtest/gtest.h>

using namespace session;

TEST(SessionBell, SoundByKind) {
    auto sound = [](int kind, bool wave) {
        TBellInput in;
        in.BeepKind = kind;
        in.WaveFileSet = wave;
        return DecideBell(in).Sound;
    };
    EXPECT_EQ(sound(0, true), TBellAction::sNone);
    EXPECT_EQ(sound(kBeepWave, true), TBellAction::sNone); // sound off
    EXPECT_EQ(sound(kBeepSound, true), TBellAction::sSystemDefault);
    EXPECT_EQ(sound(kBeepSound | kBeepWave, true), TBellAction::sWave);
    EXPECT_EQ(sound(kBeepSound | kBeepWave, false), TBellAction::sMessageBeep);
}

TEST(SessionBell, StateFlashAndFocus) {
    TBellInput in;
    in.Flash = true;
    TBellAction a = DecideBell(in);
    EXPECT_TRUE(a.SetBellState);
    EXPECT_TRUE(a.StartFlash);
    EXPECT_FALSE(a.BringAppForward);
    // A second bell while the row shows the first starts nothing new.
    in.RowState = rsBell;
    a = DecideBell(in);
    EXPECT_FALSE(a.SetBellState);
    EXPECT_FALSE(a.StartFlash);
    in.FocusWhenBeep = true;
    in.AppActive = false;
    in.IsCurrent = false;
    a = DecideBell(in);
    EXPECT_TRUE(a.BringAppForward);
    EXPECT_TRUE(a.ActivateSession);
    in.FocusWhenBeep = false;
    a = DecideBell(in);
    EXPECT_FALSE(a.BringAppForward || a.ActivateSession);
}

TEST(SessionBell, TimerEndsTheBellStateOnly) {
    EXPECT_EQ(RowStateAfterBell(rsBell, true), rsConnected);
    EXPECT_EQ(RowStateAfterBell(rsBell, false), rsIdle);
    EXPECT_EQ(RowStateAfterBell(rsConnecting, false), rsConnecting);
    EXPECT_EQ(RowStateAfterBell(rsIdle, true), rsIdle);
}

TEST(SessionLinks, EveryKindAndMethod) {
    const std::string link = "ftp://h.example/a b;$(x)'\"";
    TLinkAction a = DecideLink("me@h.example", lkMail, dmFtpProgram, "ftpc", "/dl");
    EXPECT_EQ(a.Kind, TLinkAction::aOpenMail);
    EXPECT_EQ(a.Target, "mailto:me@h.example");
    a = DecideLink(link, lkFtp, dmFtpProgram, "ftpc", "/home/u/dl");
    EXPECT_EQ(a.Kind, TLinkAction::aStartProgram);
    EXPECT_EQ(a.Program, "ftpc");
    EXPECT_EQ(a.Args, (std::vector<std::string>{link, "local:/home/u/dl/"}));
    a = DecideLink(link, lkFtp, dmFtpProgram, "ftpc", "/dl/");
    EXPECT_EQ(a.Args, (std::vector<std::string>{link, "local:/dl/"}));
    a = DecideLink(link, lkFtp, dmFtpProgram, "ftpc", "");
    EXPECT_EQ(a.Args, (std::vector<std::string>{link}));
    a = DecideLink(link, lkFtp, dmBrowser, "ftpc", "");
    EXPECT_EQ(a.Kind, TLinkAction::aOpenUrl);
    a = DecideLink(link, lkFtp, dmClipboard, "ftpc", "");
    EXPECT_EQ(a.Kind, TLinkAction::aClipboard);
    EXPECT_EQ(a.Target, link);
    a = DecideLink("http://h.example/", lkWeb, dmClipboard, "", "");
    EXPECT_EQ(a.Kind, TLinkAction::aOpenUrl);
    EXPECT_EQ(DecideLink("x", 9, dmClipboard, "", "").Kind, TLinkAction::aOpenUrl);
}

TEST(SessionAutoSend, ForeAndBackMatrix) {
    // Every combination of the flags, menu items, current and active.
    for (int bits = 0; bits < 64; ++bits) {
        TAutoSendInput in;
        in.Connected = in.HeadStringSet = true;
        in.ForeAutoSendKey = bits & 1;
        in.ForeDontAutoSendKey = bits & 2;
        in.BackAutoSendKey = bits & 4;
        in.BackDontAutoSendKey = bits & 8;
        in.IsCurrent = bits & 16;
        in.AppActive = bits & 32;
        bool expect = in.IsCurrent ? in.ForeAutoSendKey && !in.ForeDontAutoSendKey && !in.AppActive
                                   : in.BackAutoSendKey && !in.BackDontAutoSendKey;
        EXPECT_EQ(ShouldAutoSend(in), expect) << bits;
        in.LoginWaiting = true;
        EXPECT_FALSE(ShouldAutoSend(in)) << bits;
        in.LoginWaiting = false;
        in.HeadStringSet = false;
        EXPECT_FALSE(ShouldAutoSend(in)) << bits;
        in.HeadStringSet = true;
        in.Connected = false;
        EXPECT_FALSE(ShouldAutoSend(in)) << bits;
        in.Connected = true;
        in.Terminating = true;
        EXPECT_FALSE(ShouldAutoSend(in)) << bits;
    }
    EXPECT_TRUE(LoginScriptWaiting("x", 1, 0));
    EXPECT_FALSE(LoginScriptWaiting("x", 0, 0));
    EXPECT_FALSE(LoginScriptWaiting("x", 1, 1));
    EXPECT_FALSE(LoginScriptWaiting("", 1, 0));
}
