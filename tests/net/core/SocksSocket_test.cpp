#include "LoopbackServer.h"
#include "net/core/AsyncSocket.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace net;
using namespace testpeer;

namespace {

std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b)
        s.push_back(static_cast<char>(c));
    return s;
}

// A socket driven on the test thread, with every event written to a log.
struct TClient {
    TAsyncSocket S;
    std::vector<std::string> Log;
    std::string Data;
    bool Closed = false;
    bool Connected = false;
    int ReadBeforeSocket = -1; // RcvdCount seen by the first data event

    TClient() {
        S.OnSocksConnected = [this](TCustomAsyncSocket*, WORD e) { Add("socks-connected", e); };
        S.OnSocksError = [this](TCustomAsyncSocket*, int e, const std::string& m) {
            Log.push_back("socks-error " + std::to_string(e) + " " + m);
        };
        S.OnSocksAuthState = [this](TCustomAsyncSocket*, int st) { Add("auth", st); };
        S.OnSessionConnected = [this](TCustomAsyncSocket*, WORD e) {
            Add("connected", e);
            Connected = e == 0;
        };
        S.OnSessionClosed = [this](TCustomAsyncSocket*, WORD e) {
            Add("closed", e);
            Closed = true;
        };
        S.OnDataAvailable = [this](TCustomAsyncSocket*, WORD e) {
            if (ReadBeforeSocket < 0) ReadBeforeSocket = S.RcvdCount();
            char buf[512];
            int n = S.Receive(buf, sizeof buf);
            if (n > 0) Data.append(buf, static_cast<std::size_t>(n));
            if (Log.empty() || Log.back() != "data") Add("data", e), Log.back() = "data";
        };
    }
    void Add(const std::string& what, int v) { Log.push_back(what + " " + std::to_string(v)); }
    void Proxy(std::uint16_t port, const std::string& level = "5") {
        S.SetSocksServer("127.0.0.1");
        S.SetSocksPort(std::to_string(port));
        S.SetSocksLevel(level);
    }
    void Target(const std::string& addr, const std::string& port) {
        S.SetAddr(addr);
        S.SetPort(port);
    }
    bool WaitConnectedOrClosed() {
        return win::PumpUntil([&] { return Connected || Closed; }, 10000);
    }
    // Sends text and waits for the echo of it.
    bool RoundTrip(const std::string& text) {
        Data.clear();
        S.SendStr(text);
        return win::PumpUntil([&] { return Data.size() >= text.size() || Closed; }, 10000) &&
               Data == text;
    }
};

template <class F> TFakeSocksScript With(F f) {
    TFakeSocksScript s;
    f(s);
    return s;
}

} // namespace

TEST(SocksSocket, LevelAndServerSetters) {
    TAsyncSocket s;
    EXPECT_EQ(s.SocksLevel(), "5");
    s.SetSocksLevel("4a");
    EXPECT_EQ(s.SocksLevel(), "4A");
    s.SetSocksLevel("4");
    EXPECT_EQ(s.SocksLevel(), "4");
    try {
        s.SetSocksLevel("6");
        FAIL();
    } catch (const ESocketException& e) {
        EXPECT_STREQ(e.what(), "Invalid socks level. Must be 4, 4A or 5.");
    }
    s.SetSocksServer("  127.0.0.1 ");
    EXPECT_EQ(s.SocksServer(), "127.0.0.1");
    s.SetSocksPort(" 1080");
    EXPECT_EQ(s.SocksPort(), "1080");
    EXPECT_THROW(s.Listen(), ESocketException);
    s.SetProto("udp");
    s.SetAddr("127.0.0.1");
    s.SetPort("23");
    try {
        s.Connect();
        FAIL();
    } catch (const ESocketException& e) {
        EXPECT_STREQ(e.what(), "tcp is the only protocol supported thru socks server");
    }
}

TEST(SocksSocket, OverlongFieldsAreRefusedBeforeConnecting) {
    TFakeSocksProxy proxy({});
    TClient c;
    c.Proxy(proxy.Port());
    c.Target(std::string(256, 'h'), "23");
    EXPECT_THROW(c.S.Connect(), ESocketException);
    EXPECT_EQ(c.S.State(), wsClosed);

    c.Proxy(proxy.Port());
    c.Target("host", "23");
    c.S.SocksAuthentication = socksAuthenticateUsercode;
    c.S.SocksUsercode = "u";
    c.S.SocksPassword = std::string(300, 'p');
    try {
        c.S.Connect();
        FAIL();
    } catch (const ESocketException& e) {
        EXPECT_STREQ(e.what(), "connect: Socks password too long (255 bytes at most)");
    }
    EXPECT_EQ(proxy.Greeting(), "") << "nothing reached the proxy";
}

TEST(SocksSocket, Socks5FramesAndSession) {
    TFakeSocksProxy proxy({});
    TClient c;
    c.Proxy(proxy.Port());
    c.Target("hello", "23");
    c.S.Connect();
    ASSERT_TRUE(c.WaitConnectedOrClosed());
    EXPECT_EQ(proxy.Greeting(), Bytes({5, 1, 0}));
    EXPECT_EQ(proxy.ConnectRequest(), Bytes({5, 1, 0, 3, 5, 'h', 'e', 'l', 'l', 'o', 0, 23}));
    EXPECT_EQ(c.Log, (std::vector<std::string>{"socks-connected 0", "connected 0", "data"}));
    EXPECT_TRUE(c.RoundTrip("ping through the proxy"));
    EXPECT_THROW(c.S.Connect(), ESocketException) << "already in use";
    EXPECT_TRUE(c.RoundTrip("the session goes on"));
    try {
        c.S.SetSocksLevel("4");
        FAIL() << "changed while connected";
    } catch (const ESocketException& e) {
        EXPECT_STREQ(e.what(), "Can't change socks level if not closed");
    }
    c.S.Close();
    EXPECT_EQ(c.Log.back(), "closed 0");
    EXPECT_EQ(c.S.SocksServer(), "") << "set again for each connection";
}

TEST(SocksSocket, Socks4And4ARequests) {
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) { s.Reply = 90; }));
        TClient c;
        c.Proxy(proxy.Port(), "4A");
        c.Target("hello", "23");
        c.S.Connect();
        ASSERT_TRUE(c.WaitConnectedOrClosed());
        EXPECT_EQ(proxy.ConnectRequest(),
                  Bytes({4, 1, 0, 23, 0, 0, 0, 1, 0, 'h', 'e', 'l', 'l', 'o', 0}));
        EXPECT_TRUE(c.Connected);
        EXPECT_TRUE(c.RoundTrip("4a"));
    }
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) { s.Reply = 90; }));
        TClient c;
        c.Proxy(proxy.Port(), "4");
        c.Target("127.0.0.1", "0x17"); // a port read up to its first non-digit: 0
        c.S.SetPort("4660");
        c.S.SocksUsercode = "me";
        c.S.Connect();
        ASSERT_TRUE(c.WaitConnectedOrClosed());
        EXPECT_EQ(proxy.ConnectRequest(), Bytes({4, 1, 0x12, 0x34, 127, 0, 0, 1, 'm', 'e', 0}));
        EXPECT_TRUE(c.RoundTrip("4"));
    }
}

TEST(SocksSocket, RefusalsReachTheOwnerThreeWays) {
    struct TCase {
        TFakeSocksScript Script;
        std::string Level;
        std::string Error;
    };
    const std::vector<TCase> cases = {
        {With([&](TFakeSocksScript& s) { s.Reply = 2; }), "5",
         "20005 connection not allowed by ruleset"},
        {With([&](TFakeSocksScript& s) { s.Reply = 91; }), "4", "20016 request rejected or failed"},
        {With([&](TFakeSocksScript& s) { s.Reply = 144; }), "4", "20012 unassigned error #144"},
        {With([&](TFakeSocksScript& s) { s.Method = 0xFF; }), "5",
         "20003 authentification method not acceptable"},
        {With([&](TFakeSocksScript& s) { s.AddrType = 9; }), "5",
         "20011 address type not supported"},
        {With([&](TFakeSocksScript& s) {
             s.RawReply = Bytes({4, 0, 0, 1});
         }),
         "5", "20002 socks version error"},
    };
    for (const auto& t : cases) {
        TFakeSocksProxy proxy(t.Script);
        TClient c;
        c.Proxy(proxy.Port(), t.Level);
        c.Target("127.0.0.1", "23");
        c.S.Connect();
        ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000)) << t.Error;
        const std::string code = t.Error.substr(0, 5);
        EXPECT_EQ(c.Log, (std::vector<std::string>{"socks-connected 0", "socks-error " + t.Error,
                                                   "connected " + code, "closed " + code}));
        EXPECT_EQ(c.S.State(), wsClosed);
    }
}

TEST(SocksSocket, RepliesOfEveryLegalShape) {
    // Data behind the reply in the same segment is delivered before any
    // socket read, with RcvdCount telling its size.
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) { s.Behind = "12345"; }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("127.0.0.1", "23");
        c.S.Connect();
        ASSERT_TRUE(win::PumpUntil([&] { return c.Data.size() >= 5; }, 10000));
        EXPECT_EQ(c.Data, "12345");
        EXPECT_EQ(c.ReadBeforeSocket, 5);
        EXPECT_EQ(c.Log, (std::vector<std::string>{"socks-connected 0", "connected 0", "data"}));
    }
    for (std::uint8_t type : {std::uint8_t(3), std::uint8_t(4)}) {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) {
            s.AddrType = type;
            s.BoundName = std::string(255, 'b');
            s.Behind = "after";
        }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("127.0.0.1", "23");
        c.S.Connect();
        ASSERT_TRUE(win::PumpUntil([&] { return c.Data.size() >= 5 || c.Closed; }, 10000));
        EXPECT_EQ(c.Data, "after") << "address type " << int(type);
        EXPECT_TRUE(c.RoundTrip("echo"));
    }
}

TEST(SocksSocket, UserPasswordAuthentication) {
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) { s.Method = 2; }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("host", "23");
        c.S.SocksAuthentication = socksAuthenticateUsercode;
        c.S.SocksUsercode = "joe";
        c.S.SocksPassword = "pw";
        c.S.Connect();
        ASSERT_TRUE(c.WaitConnectedOrClosed());
        EXPECT_EQ(proxy.Greeting(), Bytes({5, 1, 2}));
        EXPECT_EQ(proxy.AuthRequest(), Bytes({1, 3, 'j', 'o', 'e', 2, 'p', 'w'}));
        EXPECT_EQ(c.Log, (std::vector<std::string>{"socks-connected 0", "auth 0", "auth 1",
                                                   "connected 0", "data"}));
    }
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) {
            s.Method = 2;
            s.AuthStatus = 1;
        }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("host", "23");
        c.S.SocksAuthentication = socksAuthenticateUsercode;
        c.S.Connect();
        ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
        EXPECT_EQ(c.Log, (std::vector<std::string>{"socks-connected 0", "auth 0",
                                                   "socks-error 20015 socks authentication failed",
                                                   "connected 20015", "closed 20015"}));
    }
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) {
            s.Method = 2;
            s.CloseInsteadOfAuthReply = true;
        }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("host", "23");
        c.S.SocksAuthentication = socksAuthenticateUsercode;
        c.S.Connect();
        ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
        ASSERT_GE(c.Log.size(), 3u);
        EXPECT_EQ(c.Log[c.Log.size() - 2], "auth 2") << "before the session closes";
        EXPECT_EQ(c.Log.back().substr(0, 6), "closed");
    }
    {
        TFakeSocksProxy proxy(With([&](TFakeSocksScript& s) { s.Method = 0; }));
        TClient c;
        c.Proxy(proxy.Port());
        c.Target("host", "23");
        c.S.SocksAuthentication = socksAuthenticateUsercode;
        c.S.Connect();
        ASSERT_TRUE(c.WaitConnectedOrClosed());
        EXPECT_EQ(c.Log,
                  (std::vector<std::string>{"socks-connected 0", "auth 3", "connected 0", "data"}));
        EXPECT_EQ(proxy.AuthRequest(), "");
    }
}

// ---- real proxies in front of a loopback echo peer ---------------------------------

TEST(SocksSocket, ThroughMicrosocks) {
    if (!HaveProgram("microsocks")) GTEST_SKIP() << "microsocks not installed";
    TLoopbackServer echo(Echo);
    for (bool auth : {false, true}) {
        const std::uint16_t port = FreePort();
        std::vector<std::string> argv = {"microsocks", "-i", "127.0.0.1", "-p",
                                         std::to_string(port)};
        if (auth) argv.insert(argv.end(), {"-u", "joe", "-P", "secret"});
        TChildProcess proxy(argv);
        ASSERT_TRUE(WaitForListener(port, 10000));
        for (const std::string password : {"secret", "wrong"}) {
            if (!auth && password == "wrong") continue;
            TClient c;
            c.Proxy(port);
            c.Target("127.0.0.1", std::to_string(echo.Port()));
            if (auth) {
                c.S.SocksAuthentication = socksAuthenticateUsercode;
                c.S.SocksUsercode = "joe";
                c.S.SocksPassword = password;
            }
            c.S.Connect();
            ASSERT_TRUE(c.WaitConnectedOrClosed());
            if (password == "wrong") {
                ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
                EXPECT_NE(std::find(c.Log.begin(), c.Log.end(),
                                    "socks-error 20015 socks authentication failed"),
                          c.Log.end());
                continue;
            }
            EXPECT_TRUE(c.Connected) << (auth ? "with" : "without") << " authentication";
            EXPECT_TRUE(c.RoundTrip("hello through microsocks\r\n"));
            c.S.Close();
        }
    }
}

class DanteProxy : public ::testing::Test {
protected:
    void Start(const std::string& method) {
        if (!HaveProgram("danted")) GTEST_SKIP() << "dante-server not installed";
        Port = FreePort();
        Conf = std::filesystem::temp_directory_path() /
               ("bp-danted-" + std::to_string(getpid()) + "-" + method + ".conf");
        std::ofstream(Conf) << "logoutput: stderr\n"
                            << "internal: 127.0.0.1 port = " << Port << "\n"
                            << "external: lo\n"
                            << "clientmethod: none\n"
                            << "socksmethod: " << method << "\n"
                            << (geteuid() == 0 ? "user.privileged: root\n"
                                                 "user.unprivileged: nobody\n"
                                               : "")
                            << "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                            << "socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 protocol: tcp }\n";
        Proxy = std::make_unique<TChildProcess>(
            std::vector<std::string>{"danted", "-f", Conf.string(), "-N", "1"});
        ASSERT_TRUE(WaitForListener(Port, 20000)) << "danted did not start";
    }
    void TearDown() override {
        Proxy.reset();
        if (!Conf.empty()) std::filesystem::remove(Conf);
    }
    std::uint16_t Port = 0;
    std::filesystem::path Conf;
    std::unique_ptr<TChildProcess> Proxy;
};

TEST_F(DanteProxy, Socks4And5Sessions) {
    Start("none");
    if (IsSkipped()) return;
    TLoopbackServer echo(Echo);
    for (const std::string level : {"5", "4"}) { // this proxy refuses 4A requests
        TClient c;
        c.Proxy(Port, level);
        c.Target("127.0.0.1", std::to_string(echo.Port()));
        c.S.Connect();
        ASSERT_TRUE(c.WaitConnectedOrClosed()) << level;
        ASSERT_TRUE(c.Connected) << "SOCKS " << level << ": " << c.Log.back();
        EXPECT_TRUE(c.RoundTrip("hello through dante " + level)) << level;
        c.S.Close();
    }
    // A destination where nothing listens is refused by the proxy.
    TClient c;
    c.Proxy(Port, "5");
    c.Target("127.0.0.1", std::to_string(FreePort()));
    c.S.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
    EXPECT_NE(std::find(c.Log.begin(), c.Log.end(), "socks-error 20008 connection refused"),
              c.Log.end());
}

TEST_F(DanteProxy, AuthenticationFailure) {
    Start("username");
    if (IsSkipped()) return;
    TClient c;
    c.Proxy(Port, "5");
    c.Target("127.0.0.1", "23");
    c.S.SocksAuthentication = socksAuthenticateUsercode;
    c.S.SocksUsercode = "no-such-user-here";
    c.S.SocksPassword = "x";
    c.S.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
    EXPECT_NE(
        std::find(c.Log.begin(), c.Log.end(), "socks-error 20015 socks authentication failed"),
        c.Log.end());
    EXPECT_NE(std::find(c.Log.begin(), c.Log.end(), "auth 0"), c.Log.end());
}
