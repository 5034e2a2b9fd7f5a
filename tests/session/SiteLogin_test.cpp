// Site settings and the login script on a real session against scripted
// peers on loopback: a book site logs in by itself, a reused session moving
// to a site without login types nothing, the anti-idle string, a session
// closed in the middle of its script, and hostile site values.
#include "SessionPeers.h"
#include "support/SandboxHome.h"
#include "support/ScriptedServer.h"

#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "session/Connection.h"
#include "session/LoginRunner.h"
#include "session/SiteApply.h"
#include "session/core/StrCrypt.h"

#include <gtest/gtest.h>

using sessiontest::WaitFor;

namespace {

std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

// The main window's part: the keyword and the script timer drive the
// script, as the form's handlers do.
struct TLoginOwner : TConnectionOwner {
    TSessionDefaults Defaults;
    int Connected = 0, Closed = 0;
    const TSessionDefaults& SessionDefaults() const override { return Defaults; }
    std::string TakePendingScript() override { return {}; }
    int TakeSessionNumber() override { return 1; }
    void SessionConnected(TConnection* s) override {
        ++Connected;
        s->Busy = 0;
        s->ScriptPos = 1;
        s->ScriptDone = 0;
    }
    void ConnectionSessionClosed(TConnection* s) override {
        ++Closed;
        s->Busy = 0;
    }
    void ConnectFailed(TConnection* s) override { s->Busy = 0; }
    void SessionKeyWord(TConnection* s) override { RunLoginStep(*s); }
    void ScriptTimerTimer(TConnection* s) override { LoginTimerFired(*s); }
};

struct SiteLoginTest : ::testing::Test {
    static void SetUpTestSuite() {
        static testpeer::TSandboxHome home;
        win::InstallQtMessageLoop();
    }
    TLoginOwner Owner;

    // The book: "bbs" logs in with a Big5 name, "plain" has no login.
    session::TSiteSettingsInput Input(const std::string& alias, int portA, int portB) {
        session::TSiteSettingsInput in;
        const std::string name = B5("一年");
        in.Directory.Book.Parse(
            "[bbs]\r\nHostname=127.0.0.1\r\nPort=" + std::to_string(portA) +
            "\r\nLogin=1\r\nTriggerStr=" + B5("請輸入代號：") + "\r\nLoginKey=" +
            session::EncodeStoredKey(name + "^M@" + B5("請輸入您的密碼：") + "@pw^M") +
            "\r\nAutoSendKey=\\x00\r\nAutoSendKeyLen=0\r\n"
            "[plain]\r\nHostname=127.0.0.1\r\nPort=" +
            std::to_string(portB) + "\r\nRow=abc\r\nPictureStyle=7\r\nTransparency=-5\r\n");
        in.Directory.Aliases = {"bbs", "plain"};
        in.HostText = alias;
        in.CheckPassword = [] { return true; };
        return in;
    }
    void Apply(TConnection& c, const session::TSiteSettingsInput& in) {
        session::TSessionSiteValues v = SiteValuesOf(c);
        session::TSiteFormFields f;
        session::ApplySiteSettings(in, v, f);
        ApplySiteValues(c, v);
    }
};

} // namespace

TEST_F(SiteLoginTest, BookSiteLogsInByItself) {
    const std::string idPrompt = B5("請輸入代號："), pwPrompt = B5("請輸入您的密碼：");
    std::string early, name, rest;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, idPrompt.substr(0, 5));
        early = bptest::ReadToEnd(fd, 300);
        bptest::SendAll(fd, idPrompt.substr(5) + "\r\n");
        bptest::ReadUntil(fd, "\r", name);
        bptest::SendAll(fd, pwPrompt.substr(0, 1));
        bptest::SleepMs(30);
        bptest::SendAll(fd, pwPrompt.substr(1));
        bptest::ReadUntil(fd, "pw\r", rest);
        bptest::SendAll(fd, "welcome\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    TConnection c(Owner);
    Apply(c, Input("bbs", server.Port(), 1));
    EXPECT_EQ(c.HostName(), "127.0.0.1");
    EXPECT_EQ(c.TriggerCnt(), 1);
    c.StartConnect();
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(c, "welcome"); }));
    EXPECT_EQ(early, "");
    EXPECT_EQ(name, B5("一年") + "\r");
    EXPECT_EQ(rest, "pw\r");
    EXPECT_EQ(c.ScriptDone, 1);
    EXPECT_EQ(c.HeadString(), B5("一年"));
}

TEST_F(SiteLoginTest, ReusedSessionOnASiteWithoutLoginSendsNothing) {
    const std::string idPrompt = B5("請輸入代號：");
    bptest::TScriptedServer a([&](int fd, int) {
        bptest::SendAll(fd, "hello\r\n");
        // Drops before its prompt.
    });
    std::string gotB;
    bptest::TScriptedServer b([&](int fd, int) {
        bptest::SendAll(fd, idPrompt + "\r\n");
        gotB = bptest::ReadToEnd(fd, 500);
    });
    TConnection c(Owner);
    Apply(c, Input("bbs", a.Port(), b.Port()));
    c.StartConnect();
    ASSERT_TRUE(WaitFor([&] { return Owner.Closed == 1; }));
    // The same window, now site B; the reconnect road restores the saved
    // trigger.
    Apply(c, Input("plain", a.Port(), b.Port()));
    c.SetKeyWord(c.SavedKeyWord);
    c.SetTriggerCnt(c.SavedTriggerCnt);
    c.StartConnect();
    ASSERT_TRUE(WaitFor([&] { return b.Accepted() == 1 && b.Idle(); }));
    EXPECT_EQ(gotB, "");
    EXPECT_EQ(c.LoginScript, "");
    // Hostile values of "plain": defaults or left as they were.
    EXPECT_EQ(c.Rows(), 24);
    EXPECT_EQ(c.BackStyle(), bsStretched);
    EXPECT_GE(c.Transparency(), 0);
    EXPECT_LE(c.Transparency(), 100);
}

TEST_F(SiteLoginTest, AntiIdleStringSendsOneNul) {
    std::string got;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "ready\r\n");
        bptest::ReadUntil(fd, "END", got);
    });
    TConnection c(Owner);
    c.SetHostName("127.0.0.1");
    c.SetPort(server.PortStr());
    c.StartConnect();
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(c, "ready"); }));
    c.AutoKey = "\\x00";
    SendAutoKey(c);
    c.AutoKey = "\\x0g" + B5("功") + "END";
    SendAutoKey(c);
    ASSERT_TRUE(WaitFor([&] { return server.Idle(); }));
    EXPECT_EQ(got, std::string(1, '\0') + "\\x0g" + B5("功") + "END");
    EXPECT_FALSE(c.SendNul()); // restored after the call
}

TEST_F(SiteLoginTest, SessionClosedMidScriptOrMidSend) {
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "login:");
        bptest::ReadToEnd(fd, 2000);
    });
    auto c = std::make_unique<TConnection>(Owner);
    c->SetHostName("127.0.0.1");
    c->SetPort(server.PortStr());
    c->LoginScript = "user^M~1~pass^M";
    c->SetKeyWord("login:");
    c->SetTriggerCnt(1);
    c->StartConnect();
    // The keyword fires inside the read; the bytes wait for the next pass.
    ASSERT_TRUE(WaitFor([&] { return !QueuedLoginBytes(*c).empty() || c->ScriptPos > 1; }));
    EXPECT_TRUE(c->ScriptTimer->isActive());
    c.reset(); // closed with bytes queued and the timer running
    WaitFor([] { return false; }, 100);
    // A send on a session that is not connected stops at once.
    TConnection idle(Owner);
    idle.AutoKey = std::string(10000, 'x');
    SendAutoKey(idle);
    idle.LoginScript = std::string(10000, '@');
    RunLoginStep(idle);
    EXPECT_EQ(idle.ScriptDone, 1);
}
