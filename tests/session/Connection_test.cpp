// The session component on Qt's loop against peers on loopback: the connect
// road's GUI-thread half, the look-up worker, failures and closes while a
// look-up is still blocked.
#include "SessionPeers.h"
#include "support/ChildProcess.h"
#include "support/SandboxHome.h"
#include "support/ScriptedServer.h"

#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "session/Connection.h"

#include <gtest/gtest.h>

using sessiontest::ScreenHas;
using sessiontest::WaitFor;

namespace {

// The owner's side of a session, counting what it heard.
struct TFakeOwner : TConnectionOwner {
    TSessionDefaults Defaults;
    std::string PendingScript;
    int NextNumber = 1;
    int Connected = 0, Closed = 0, Failed = 0;
    const TSessionDefaults& SessionDefaults() const override { return Defaults; }
    std::string TakePendingScript() override { return std::exchange(PendingScript, {}); }
    int TakeSessionNumber() override { return NextNumber++; }
    void SessionConnected(TConnection* s) override {
        ++Connected;
        s->Busy = 0;
    }
    void ConnectionSessionClosed(TConnection* s) override {
        ++Closed;
        s->Busy = 0;
    }
    void ConnectFailed(TConnection* s) override {
        ++Failed;
        s->Busy = 0;
    }
};

struct ConnectionTest : ::testing::Test {
    static void SetUpTestSuite() {
        static testpeer::TSandboxHome home;
        win::InstallQtMessageLoop();
    }
    TFakeOwner Owner;
    std::unique_ptr<TConnection> Make(const std::string& host, const std::string& port) {
        auto c = std::make_unique<TConnection>(Owner);
        c->SetHostName(host);
        c->SetPort(port);
        return c;
    }
};

TEST_F(ConnectionTest, CreationTakesTheOwnersSettingsScriptAndNumber) {
    Owner.Defaults.MaxBufferRows = 321;
    Owner.Defaults.CRLF = 2;
    Owner.Defaults.DecodeQP = true;
    Owner.Defaults.ClearBeepInterval = 7000;
    Owner.PendingScript = "login";
    TConnection a(Owner), b(Owner);
    EXPECT_EQ(a.MaxBufferRows(), 321);
    EXPECT_EQ(a.CRLF(), 2);
    EXPECT_TRUE(a.qpEnabled());
    EXPECT_EQ(a.Timer1Interval(), 7000u);
    EXPECT_EQ(a.Busy, 1);
    EXPECT_EQ(a.ScriptPos, 1);
    EXPECT_EQ(a.LoginScript, "login");
    EXPECT_EQ(b.LoginScript, "") << "the queued script goes to one session only";
    EXPECT_EQ(a.Tag, 1);
    EXPECT_EQ(b.Tag, 2);
    EXPECT_TRUE(a.LazyChangeFont());
}

TEST_F(ConnectionTest, ConnectsThroughTheWorkerAndShowsWhatThePeerSends) {
    bptest::TScriptedServer server([](int fd, int) {
        bptest::SendAll(fd, "welcome aboard\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    auto c = Make("127.0.0.1", server.PortStr());
    c->StartConnect();
    EXPECT_TRUE(ScreenHas(*c, "正在連線到 '127.0.0.1'"));
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(*c, "welcome aboard"); }));
    EXPECT_EQ(Owner.Connected, 1);
    EXPECT_TRUE(ScreenHas(*c, "連線成功"));
    EXPECT_TRUE(c->IsConnected());
}

TEST_F(ConnectionTest, RefusedPortShowsTheFailureLinesAndLeavesTheSessionIdle) {
    auto c = Make("127.0.0.1", std::to_string(bptest::UnusedPort()));
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return c->Busy == 0; }));
    EXPECT_EQ(Owner.Connected, 0);
    EXPECT_FALSE(c->IsConnected());
    EXPECT_FALSE(c->IsConnecting());
    EXPECT_TRUE(ScreenHas(*c, "連線失敗!") || ScreenHas(*c, "Connection refused"))
        << sessiontest::ScreenText(*c);
    // A second attempt on the same session writes no stray close line.
    Owner.Closed = Owner.Failed = 0;
    c->Busy = 1;
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return c->Busy == 0; }));
    // Only this attempt's lines: at most one close line, none before the
    // failure line.
    const std::string text = sessiontest::ScreenText(*c);
    const std::string closeLine = win::Utf8ToBig5("遠端主機已中斷連線");
    const auto first = text.find(closeLine);
    EXPECT_TRUE(first == std::string::npos || text.find(closeLine, first + 1) == std::string::npos)
        << text;
    EXPECT_LE(Owner.Closed, 1);
}

TEST_F(ConnectionTest, FailedLookUpShowsItsLineOnThatSessionOnly) {
    sessiontest::TGateResolver resolver;
    auto a = Make("no.such.host", "23");
    auto b = Make("127.0.0.1", "23");
    a->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return resolver.Waiting() == 1; }));
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([&] { return Owner.Failed == 1; }));
    EXPECT_TRUE(ScreenHas(*a, "無法轉換為實際位址!"));
    EXPECT_FALSE(ScreenHas(*b, "無法轉換為實際位址!"));
    EXPECT_EQ(a->Busy, 0);
    EXPECT_FALSE(a->IsConnecting());
}

TEST_F(ConnectionTest, EmptyHostFailsInsteadOfConnectingForever) {
    auto c = Make("", "23");
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return Owner.Failed == 1; }));
    EXPECT_TRUE(ScreenHas(*c, "Invalid Hostname")) << sessiontest::ScreenText(*c);
    EXPECT_FALSE(c->IsConnecting());
}

TEST_F(ConnectionTest, SessionClosedDuringALookUpIgnoresItsResult) {
    sessiontest::TGateResolver resolver;
    bptest::TScriptedServer server([](int fd, int) { bptest::ReadToEnd(fd, 2000); });
    auto gone = Make("somewhere", server.PortStr());
    auto stays = Make("somewhere", server.PortStr());
    gone->StartConnect();
    stays->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return resolver.Waiting() == 2; }));
    gone.reset();
    resolver.Release(false);
    ASSERT_TRUE(WaitFor([&] { return Owner.Connected == 1; }));
    EXPECT_TRUE(stays->IsConnected());
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
    // Connected means the handshake is done; the server's accept may come after.
    EXPECT_TRUE(WaitFor([&] { return server.Accepted() >= 1; }));
    EXPECT_EQ(server.Accepted(), 1);
}

TEST_F(ConnectionTest, DisconnectDuringALookUpForgetsIt) {
    sessiontest::TGateResolver resolver;
    bptest::TScriptedServer server([](int fd, int) { bptest::ReadToEnd(fd, 2000); });
    auto c = Make("somewhere", server.PortStr());
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return resolver.Waiting() == 1; }));
    c->Disconnect();
    EXPECT_EQ(Owner.Closed, 1);
    EXPECT_FALSE(c->IsConnecting());
    resolver.Release(false);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
    sessiontest::WaitFor([] { return false; }, 100);
    EXPECT_FALSE(c->IsConnected());
    EXPECT_EQ(server.Accepted(), 0);
}

TEST_F(ConnectionTest, BusyboxTelnetdSessionRunsAShellCommand) {
    if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
    const std::uint16_t port = testpeer::FreePort();
    testpeer::TChildProcess d({"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                               std::to_string(port), "-l", "/bin/sh"});
    ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
    auto c = Make("127.0.0.1", std::to_string(port));
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return c->IsConnected(); }));
    sessiontest::WaitFor([] { return false; }, 300);
    for (char k : std::string("echo hel\"\"lo\r")) {
        char key = k;
        c->KeyPress(key);
    }
    ASSERT_TRUE(WaitFor([&] {
        return sessiontest::ScreenText(*c).find("\nhello") != std::string::npos;
    })) << sessiontest::ScreenText(*c);
}

} // namespace
