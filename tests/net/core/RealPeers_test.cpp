// Sessions against real telnet servers started on loopback, and the failures
// that need a network of their own (made with unshare -n), through the
// telnetdump tool.
#include "LoopbackServer.h"
#include "ScriptedServer.h"
#include "net/core/TelnetSession.h"
#include "screen/core/ScreenDump.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

using namespace net;

namespace {

struct TTerm {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    TTelnetSession Session{Screen, Vt};
    // A screen line that is `text` or ends with it (after a prompt).
    bool HasLine(const std::string& text) const {
        for (int y = 0; y < Screen.Rows(); ++y) {
            std::string s;
            for (const TCell& c : Screen.ScreenRow(y).Cells)
                s.push_back(static_cast<char>(c.Char));
            while (!s.empty() && s.back() == ' ')
                s.pop_back();
            if (s.size() >= text.size() &&
                s.compare(s.size() - text.size(), text.size(), text) == 0)
                return true;
        }
        return false;
    }
    void Type(const std::string& keys) {
        for (char c : keys)
            Session.KeyPress(static_cast<std::uint8_t>(c));
    }
};

int Shell(const std::string& cmd, std::string& out) {
    return testpeer::RunCommand(cmd, out);
}

std::string Tool() {
    return testpeer::BuiltProgram("telnetdump");
}

bool CanUnshare() {
    std::string out;
    return Shell("unshare -n true", out) == 0;
}

} // namespace

TEST(RealPeers, BusyboxTelnetdShellSession) {
    if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
    std::uint16_t port = testpeer::FreePort();
    testpeer::TChildProcess d({"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                               std::to_string(port), "-l", "/bin/sh"});
    ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
    TTerm t;
    bool connected = false;
    t.Session.OnSessionConnected = [&] { connected = true; };
    t.Session.HostName = "127.0.0.1";
    t.Session.Port = std::to_string(port);
    t.Session.Connect();
    // The shell is ready once the server has negotiated echo and SGA.
    auto& cnx = t.Session.TelnetCnx();
    ASSERT_TRUE(win::PumpUntil([&] { return connected && cnx.SGA(); }, 10000));
    EXPECT_FALSE(cnx.LocalEcho());
    // Typed at once: the shell may print its prompt before or after.
    t.Type("echo hel\"\"lo\r");
    EXPECT_TRUE(win::PumpUntil([&] { return t.HasLine("hello"); }, 10000)) << DumpScreen(t.Screen);
    t.Type("exit\r");
    EXPECT_TRUE(win::PumpUntil([&] { return !t.Session.IsConnected(); }, 10000));
}

TEST(RealPeers, InetutilsTelnetdSeesTheTerminalType) {
    if (!testpeer::HaveProgram("/usr/sbin/telnetd") || !testpeer::HaveProgram("socat"))
        GTEST_SKIP() << "inetutils-telnetd or socat not installed";
    std::uint16_t port = testpeer::FreePort();
    // The server runs directly on the accepted socket, as under inetd.
    testpeer::TChildProcess d(
        {"socat", "TCP-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr,fork",
         "EXEC:/usr/sbin/telnetd -h -E /bin/sh,nofork"});
    ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
    TTerm t;
    bool termType = false;
    t.Session.TelnetCnx().OnTermType = [&](TTelnetCnx*) { termType = true; };
    t.Session.HostName = "127.0.0.1";
    t.Session.Port = std::to_string(port);
    t.Session.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return termType && t.Session.TelnetCnx().SGA(); }, 10000));
    // Let the shell start, then ask it.
    win::PumpUntil([] { return false; }, 500);
    t.Type("echo T=$TERM\r");
    EXPECT_TRUE(win::PumpUntil([&] { return t.HasLine("T=vt100"); }, 10000));
}

TEST(RealPeers, TelnetdumpPrintsScreenAndTrace) {
    bptest::TScriptedServer server([](int fd, int) {
        bptest::SendAll(fd, "\xff\xfd\x18hello\r\n");
        std::string got;
        bptest::ReadUntil(fd, "\r", got);
        bptest::SendAll(fd, "typed " + got.substr(3) + "\n");
        bptest::SleepMs(200);
    });
    std::string out;
    int rc = Shell(Tool() + " 127.0.0.1 " + server.PortStr() +
                       " --keys 'ab\\x41\\r' --wait 300 --rows 5 --trace",
                   out);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_NE(out.find("screen 80x5 "), std::string::npos) << out;
    EXPECT_NE(out.find("|hello "), std::string::npos) << out;
    EXPECT_NE(out.find("|typed abA"), std::string::npos) << out;
    EXPECT_NE(out.find(" SENT WILL TERMINAL-TYPE\r\n"), std::string::npos) << out;

    EXPECT_EQ(Shell(Tool() + " 127.0.0.1 " + std::to_string(bptest::UnusedPort()), out), 1);
    EXPECT_NE(out.find("連線失敗!"), std::string::npos) << out;
    EXPECT_EQ(Shell(Tool() + " 127.0.0.1 70000", out), 1);
    EXPECT_NE(out.find("connect: SocketResolvePort: Invalid Port."), std::string::npos) << out;
    EXPECT_EQ(Shell(Tool() + " 127.0.0.1", out), 2);
    EXPECT_EQ(Shell(Tool() + " 127.0.0.1 23 --keys '\\x4'", out), 2);
}

TEST(RealPeers, FailuresInsideAnEmptyNetwork) {
    if (!CanUnshare())
        GTEST_SKIP() << "unshare -n is not permitted here; network-namespace cases skipped";
    std::string out;
    // Loopback down: nothing is reachable.
    EXPECT_EQ(Shell("unshare -n " + Tool() + " 127.0.0.1 23", out), 1);
    EXPECT_NE(out.find("Error 10051 in function Connect\r\nNetwork is unreachable"),
              std::string::npos)
        << out;
    // A route that rejects: "No route to host" at the position the connect
    // road looks for it (character 34).
    EXPECT_EQ(Shell("unshare -n sh -c 'ip link set lo up && ip route add unreachable 127.1.2.3/32 "
                    "table local && " +
                        Tool() + " 127.1.2.3 23'",
                    out),
              1);
    std::size_t at = out.find("Error 10065 in function Connect\r\nNo route to host");
    ASSERT_NE(at, std::string::npos) << out;
    EXPECT_EQ(out.substr(at + 33, 16), "No route to host");
    // No name server can be reached: the name does not resolve.
    EXPECT_EQ(Shell("unshare -n " + Tool() + " no-such-host.invalid 23", out), 1);
    EXPECT_NE(out.find("connect: SocketResolveHost: Cannot convert host address "
                       "'no-such-host.invalid', Error #11"),
              std::string::npos)
        << out;
}
