// A login script against a scripted BBS peer on loopback: Big5 prompts split
// across reads and inside the keyword, the bytes the peer receives checked
// exactly. The glue is the one the main window uses: the keyword event only
// steps the script and queues its bytes; they go out after the screen write.
#include "net/core/TelnetSession.h"
#include "platform/core/Big5.h"
#include "session/core/LoginScript.h"
#include "support/ScriptedServer.h"

#include <gtest/gtest.h>

using namespace session;

namespace {

std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

struct TLoginTerm {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    net::TTelnetSession Session{Screen, Vt};
    TLoginState State;
    std::string Queued;
    bool TimerArmed = false;
    bool InsideWrite = false;
    int Steps = 0;

    explicit TLoginTerm(const std::string& script, const std::string& keyWord) {
        State.LoginScript = script;
        Screen.SetKeyWord(keyWord);
        Screen.TriggerCnt = 1;
        Screen.OnKeyWord = [this] { Step(); };
    }
    void Step() {
        ++Steps;
        State.KeyWord = Screen.KeyWord();
        State.TriggerCnt = Screen.TriggerCnt;
        State.HeadStringEnabled = Session.HeadStringEnabled;
        TScriptRun r = StepLogin(State);
        Session.HeadStringEnabled = State.HeadStringEnabled;
        if (r.HeadCaptured) Session.SetHeadString(r.HeadString);
        if (r.Wait == TScriptRun::wKeyWord) {
            Screen.SetKeyWord(State.KeyWord);
            Screen.TriggerCnt = State.TriggerCnt;
        }
        Queued += r.Out;
        TimerArmed = r.Wait == TScriptRun::wTimer;
    }
    // One pass of the loop: the queued bytes go out, a due wait ends.
    void Flush() {
        if (!Queued.empty() && Session.IsConnected()) {
            Session.SendStr(Queued);
            Queued.clear();
        }
        if (TimerArmed) {
            TimerArmed = false;
            Step();
        }
    }
    bool Pump(const std::function<bool()>& done, int ms = 5000) {
        return win::PumpUntil(
            [&] {
                Flush();
                return done();
            },
            ms);
    }
};

} // namespace

TEST(LoginPeer, Big5PromptsSplitAcrossReads) {
    const std::string idPrompt = B5("請輸入代號："), pwPrompt = B5("請輸入您的密碼：");
    const std::string name = B5("一年"); // A4 40 A6 7E: "@" and "~" as second bytes
    std::string gotBeforePrompt, gotName, gotRest;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, B5("歡迎光臨") + "\r\n");
        // The keyword arrives in three pieces, the cut inside a character.
        bptest::SendAll(fd, idPrompt.substr(0, 3));
        gotBeforePrompt = bptest::ReadToEnd(fd, 300);
        bptest::SendAll(fd, idPrompt.substr(3, 4));
        bptest::SleepMs(50);
        bptest::SendAll(fd, idPrompt.substr(7));
        bptest::ReadUntil(fd, "\r", gotName);
        bptest::SendAll(fd, "\r\n" + pwPrompt.substr(0, 5));
        bptest::SleepMs(50);
        bptest::SendAll(fd, pwPrompt.substr(5));
        bptest::ReadUntil(fd, "END\r", gotRest);
    });
    TLoginTerm t(name + "^M@" + pwPrompt + "@secret^M~0~END^M", idPrompt);
    std::string head;
    t.Session.OnHeadString = [&](const std::string& h) { head = h; };
    t.Session.HostName = "127.0.0.1";
    t.Session.Port = server.PortStr();
    t.Session.Connect();
    ASSERT_TRUE(t.Pump([&] { return server.Accepted() == 1 && server.Idle(); }));
    EXPECT_EQ(gotBeforePrompt, "");
    EXPECT_EQ(gotName, name + "\r");
    EXPECT_EQ(gotRest, "secret\rEND\r");
    EXPECT_EQ(t.State.ScriptDone, 1);
    EXPECT_EQ(t.Session.HeadString(), name);
    EXPECT_EQ(t.Steps, 3);
}

TEST(LoginPeer, KeywordThatNeverShowsSendsNothing) {
    std::string got;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "login: password: ");
        got = bptest::ReadToEnd(fd, 400);
    });
    TLoginTerm t("secret^M", "never-shown");
    t.Session.HostName = "127.0.0.1";
    t.Session.Port = server.PortStr();
    t.Session.Connect();
    ASSERT_TRUE(t.Pump([&] { return server.Accepted() == 1 && server.Idle(); }));
    EXPECT_EQ(got, "");
    EXPECT_EQ(t.Steps, 0);
    EXPECT_EQ(t.State.ScriptDone, 0);
}
