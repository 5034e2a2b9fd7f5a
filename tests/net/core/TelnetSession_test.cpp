// The session on a headless screen: status lines, keys, line ends, pastes,
// quoted-printable decoding, and failures, against the scripted server.
#include "ScriptedServer.h"
#include "net/core/TelnetSession.h"
#include "platform/core/Big5.h"

#include <gtest/gtest.h>

#include <functional>

using namespace net;

namespace {

// A headless terminal: buffer, interpreter and session.
struct TTerm {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    TTelnetSession Session{Screen, Vt};
    std::vector<int> SendSizes;
    TTerm() {
        Session.TelnetCnx().Socket()->OnSendData = [this](TCustomAsyncSocket*, int n) {
            SendSizes.push_back(n);
        };
    }
    std::string Line(int y) const {
        std::string s;
        for (const TCell& c : Screen.ScreenRow(y).Cells)
            s.push_back(static_cast<char>(c.Char));
        while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
            s.pop_back();
        return s;
    }
    std::string Text() const {
        std::string all;
        for (int y = 0; y < Screen.Rows(); ++y)
            all += Line(y) + "\n";
        return all;
    }
    bool Shows(const std::string& utf8) const {
        return Text().find(win::Utf8ToBig5(utf8)) != std::string::npos;
    }
    void Feed(const std::string& s) {
        std::string copy = s;
        Session.HandleTelnetData(copy.data(), static_cast<int>(copy.size()));
    }
    void ConnectTo(int port) {
        Session.HostName = "127.0.0.1";
        Session.Port = std::to_string(port);
        Session.Connect();
    }
};

} // namespace

TEST(TelnetSession, QuotedPrintable) {
    TTerm t;
    t.Session.qpEnabled = true;
    t.Feed("=41=42|=4\n=1|=4Z|==|");
    EXPECT_EQ(t.Line(0), "AB|A|=4Z|==|");
    TTerm u;
    u.Session.qpEnabled = true;
    u.Feed("=\r\nabc\r\nx");
    // The first CR after the soft break is dropped: LF alone moves down
    // without returning to column 0.
    EXPECT_EQ(u.Line(0), "abc");
    EXPECT_EQ(u.Line(1), "   x");
}

TEST(TelnetSession, DataHandlerCannotReadPastTheBlock) {
    TTerm t;
    t.Session.OnDataAvailable = [](char*, int& len) { len += 1000; };
    t.Feed("abc");
    EXPECT_EQ(t.Line(0), "abc");
    t.Session.OnDataAvailable = [](char*, int& len) { len = -5; };
    t.Feed("zzz");
    EXPECT_EQ(t.Line(0), "abc");
}

TEST(TelnetSession, KeysLineEndsAndHeadString) {
    std::string got;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "welcome");
        bptest::ReadUntil(fd, "END", got);
    });
    TTerm t;
    std::string head;
    t.Session.OnHeadString = [&](const std::string& h) { head = h; };
    bool connected = false;
    t.Session.OnSessionConnected = [&] { connected = true; };
    t.ConnectTo(server.Port());
    EXPECT_TRUE(t.Session.IsConnecting());
    EXPECT_TRUE(t.Shows("正在連線到 '127.0.0.1'"));
    ASSERT_TRUE(win::PumpUntil(
        [&] { return connected && t.Text().find("welcome") != std::string::npos; }, 5000));
    EXPECT_FALSE(t.Session.IsConnecting());
    EXPECT_TRUE(t.Shows("連線成功"));

    t.SendSizes.clear();
    const std::string big5 = win::Utf8ToBig5("中");
    t.Session.KeyPress(static_cast<std::uint8_t>(big5[0]));
    EXPECT_TRUE(t.SendSizes.empty()); // lead byte held
    t.Session.KeyPress(static_cast<std::uint8_t>(big5[1]));
    EXPECT_EQ(t.SendSizes, std::vector<int>{2});
    t.Session.KeyPress(0x81); // not a lead byte: sent at once
    EXPECT_EQ(t.SendSizes, (std::vector<int>{2, 1}));
    t.Session.KeyPress(0); // NUL not sent by default
    EXPECT_EQ(t.SendSizes.size(), 2u);
    for (char c : std::string("id"))
        t.Session.KeyPress(static_cast<std::uint8_t>(c));
    t.Session.KeyPress('\r');
    EXPECT_EQ(head, "\x81id");
    EXPECT_FALSE(t.Session.HeadStringEnabled);
    t.Session.CRLF = 1;
    t.Session.KeyPress('\r');
    t.Session.CRLF = 2;
    t.Session.KeyPress('\r');
    t.Session.SendNul = true;
    t.Session.KeyPress(0);
    t.Session.PasteText("a\r\nb\nc");
    t.Session.PasteAnsiText("\x1b[1m" + big5 + "\r\n\x1b[0m", 0);
    t.Session.PasteAnsiText(std::string("\x1b[1m|") + "\xa4\x1b", 1);
    t.Session.PasteAnsiText("\x1b[1m|END", 2);
    // The script has read everything once it has returned.
    ASSERT_TRUE(win::PumpUntil([&] { return server.Accepted() == 1 && server.Idle(); }, 5000));
    EXPECT_EQ(got, big5 + "\x81id\r" + "\n" + "\r\n" + std::string(1, '\0') + "a\rb\rc" +
                       "\x1b\x1b[1m" + big5 + "\r\x1b\x1b[0m" + "\x15[1m|\xa4\x1b" + "[1m|END");
}

TEST(TelnetSession, RefusedAndClosedLines) {
    TTerm t;
    int closed = 0;
    t.Session.OnSessionClosed = [&] { ++closed; };
    t.ConnectTo(bptest::UnusedPort());
    ASSERT_TRUE(win::PumpUntil([&] { return closed == 1; }, 5000));
    EXPECT_TRUE(t.Shows("連線失敗!"));
    // Nothing was connected, so nobody hung up.
    EXPECT_FALSE(t.Shows("*** 遠端主機已中斷連線 ***")) << t.Text();
    EXPECT_EQ(t.Session.Error(), 0);
    EXPECT_FALSE(t.Session.IsConnecting());
    // Typing on a closed session is refused by the socket.
    EXPECT_THROW(t.Session.KeyPress('x'), ESocketException);

    TTerm u;
    u.Session.HostName = "127.0.0.1";
    u.Session.Port = "99999";
    try {
        u.Session.Connect();
        FAIL() << "connect should fail";
    } catch (const ESocketException& e) {
        EXPECT_STREQ(e.what(), "connect: SocketResolvePort: Invalid Port.");
    }
    EXPECT_FALSE(u.Session.IsConnecting());
}

TEST(TelnetSession, AConnectionThatWasUpSaysTheFarEndHungUp) {
    bptest::TScriptedServer server([&](int fd, int) { bptest::SendAll(fd, "bye"); });
    TTerm t;
    int closed = 0;
    t.Session.OnSessionClosed = [&] { ++closed; };
    t.ConnectTo(server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return closed == 1; }, 5000));
    EXPECT_TRUE(t.Shows("*** 遠端主機已中斷連線 ***")) << t.Text();
    EXPECT_FALSE(t.Shows("連線失敗!"));
    // A refused reconnect of the same session shows only its failure.
    t.Session.Disconnect();
    t.Screen.ClearScreen();
    t.ConnectTo(bptest::UnusedPort());
    ASSERT_TRUE(win::PumpUntil([&] { return closed == 2; }, 5000));
    EXPECT_TRUE(t.Shows("連線失敗!"));
    EXPECT_FALSE(t.Shows("*** 遠端主機已中斷連線 ***")) << t.Text();
}

TEST(TelnetSession, HeldLeadByteDoesNotSurviveReconnect) {
    std::string got[2];
    bptest::TScriptedServer server([&](int fd, int index) {
        bptest::SendAll(fd, "hi");
        bptest::ReadUntil(fd, "!", got[index], index == 0 ? 300 : 5000);
    });
    TTerm t;
    int connects = 0;
    t.Session.OnSessionConnected = [&] { ++connects; };
    t.ConnectTo(server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return connects == 1; }, 5000));
    t.Session.KeyPress(0xA4); // lead byte held when the session ends
    t.Session.Disconnect();
    t.ConnectTo(server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return connects == 2; }, 5000));
    t.Session.KeyPress('!');
    ASSERT_TRUE(win::PumpUntil([&] { return server.Accepted() == 2 && server.Idle(); }, 5000));
    EXPECT_EQ(got[1], "!");
}

namespace {

// What a hostile peer sends, over and over until the client goes away.
std::string HostileBlock(int kind) {
    std::string block;
    if (kind == 0) { // random bytes
        unsigned x = 99;
        block.resize(64 * 1024);
        for (char& c : block)
            c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
    } else if (kind == 1) { // a sub-negotiation that never ends
        block.assign(64 * 1024, 'x');
    } else { // escape sequences with 100,000 parameters each
        block = "\x1b[";
        for (int i = 0; i < 100000; ++i)
            block += "1;";
        block += "m";
    }
    return block;
}

} // namespace

TEST(TelnetSession, HostilePeersNeitherStallAnotherSessionNorGrowWithoutBound) {
    bptest::TScriptedServer server(
        [](int fd, int index) {
            if (index == 3) { // the well-behaved peer
                bptest::SleepMs(100);
                bptest::SendAll(fd, "hello");
                bptest::ReadToEnd(fd, 20000);
                return;
            }
            const std::string block = HostileBlock(index);
            if (index == 1) bptest::SendAll(fd, "\xff\xfa\x18");
            for (std::size_t sent = 0; sent < (256u << 20); sent += block.size())
                if (!bptest::SendAll(fd, block)) return;
        },
        true);
    // Turns as the program's loop makes them: the messages queued before
    // each turn, not also those their handlers post meanwhile.
    const auto turnsUntil = [](const std::function<bool()>& done, int ms) {
        const auto from = bptest::detail::NowMs();
        while (!done() && bptest::detail::NowMs() - from < ms) {
            win::ProcessQueuedMessages();
            win::WaitMessage(5);
        }
        return done();
    };
    std::vector<std::unique_ptr<TTerm>> terms;
    for (int i = 0; i < 4; ++i) {
        terms.push_back(std::make_unique<TTerm>());
        terms.back()->ConnectTo(server.Port());
        ASSERT_TRUE(turnsUntil([&] { return server.Accepted() == i + 1; }, 5000));
    }
    const auto floodBytes = [&] {
        long long n = 0;
        for (int i = 0; i < 3; ++i)
            n += terms[static_cast<std::size_t>(i)]->Session.TelnetCnx().Socket()->ReadCount();
        return n;
    };
    // The well-behaved session's greeting shows after a few turns of the
    // loop, not after the floods ran out.
    const auto start = bptest::detail::NowMs();
    int mostQueued = 0;
    while (!terms[3]->Shows("hello") && bptest::detail::NowMs() - start < 20000) {
        win::ProcessQueuedMessages();
        for (auto& t : terms)
            mostQueued = std::max(
                mostQueued,
                win::QueuedMessageCount(t->Session.TelnetCnx().Socket()->Handle(), WM_ASYNCSELECT,
                                        win::WSAMAKESELECTREPLY(win::FD_READ, 0)));
        win::WaitMessage(5);
    }
    EXPECT_TRUE(terms[3]->Shows("hello"));
    EXPECT_LT(floodBytes(), 64 << 20) << "the greeting waited for the floods";
    EXPECT_LE(mostQueued, 1);
    EXPECT_LE(terms[1]->Session.TelnetCnx().SubnegotiationCapacity(),
              2 * TTelnetCnx::MaxSubnegotiation);
    for (auto& t : terms)
        t->Session.Disconnect();
}
