#include "LoopbackServer.h"
#include "net/core/AsyncSocket.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

#include <atomic>

using namespace net;
using namespace testpeer;

namespace {

// A peer that sends the chunks one by one (a little apart, so they tend to
// arrive in separate reads), keeps what the client sends and, unless told
// to hold, closes after the last chunk.
struct TScriptedPeer {
    TScriptedPeer(std::vector<std::string> chunks, bool hold)
        : Chunks(std::move(chunks)), Hold(hold), Server([this](int fd) { Serve(fd); }) {}
    void Serve(int fd) {
        for (const auto& c : Chunks) {
            WriteAll(fd, c);
            usleep(30000);
        }
        if (!Hold) {
            shutdown(fd, SHUT_WR);
        }
        std::string got = ReadAll(fd);
        std::lock_guard l(M);
        Received = got;
    }
    std::string Got() {
        std::lock_guard l(M);
        return Received;
    }
    std::vector<std::string> Chunks;
    bool Hold;
    std::mutex M;
    std::string Received;
    TLoopbackServer Server;
};

struct TLineClient {
    TAsyncSocket S;
    std::vector<std::string> Lines;
    std::vector<std::string> Events;
    bool Closed = false;
    bool ReadNothing = false;

    TLineClient() {
        S.OnDataAvailable = [this](TCustomAsyncSocket*, WORD) {
            if (ReadNothing) return;
            std::string s = S.ReceiveStr();
            if (!s.empty()) {
                Lines.push_back(s);
                Events.push_back("line");
            }
        };
        S.OnSessionClosed = [this](TCustomAsyncSocket*, WORD) {
            Events.push_back("closed");
            Closed = true;
        };
    }
    void Connect(std::uint16_t port) {
        S.SetAddr("127.0.0.1");
        S.SetPort(std::to_string(port));
        S.Connect();
    }
};

std::string Joined(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v)
        s += x;
    return s;
}

} // namespace

TEST(LineEditing, BackspaceAndTab) {
    std::string echo;
    std::string buf = "abc\bd\r\n";
    EXPECT_EQ(EditLineBytes(buf, 0, 0, echo), 0u);
    EXPECT_EQ(buf, "abd\r\n");
    EXPECT_EQ(echo, "abc\b \bd\r\n");

    echo.clear();
    buf = "ab\tx";
    EXPECT_EQ(EditLineBytes(buf, 0, 0, echo), 0u);
    EXPECT_EQ(buf, "ab      x");
    EXPECT_EQ(echo, "ab      x");

    buf = "12345678\t"; // a tab at a tab stop: blanks up to the next one
    EditLineBytes(buf, 0, 0, echo);
    EXPECT_EQ(buf, "12345678        ");

    // A backspace of a later read erases a byte of an earlier one.
    echo.clear();
    buf = "abc\b\bX";
    EXPECT_EQ(EditLineBytes(buf, 3, 0, echo), 1u);
    EXPECT_EQ(buf, "aX");
    EXPECT_EQ(echo, "\b \b\b \bX");

    // Never below the floor, never below the start.
    echo.clear();
    buf = "ab\b\b\b\bc";
    EXPECT_EQ(EditLineBytes(buf, 2, 1, echo), 1u);
    EXPECT_EQ(buf, "ac");
    buf = "\b\b";
    EXPECT_EQ(EditLineBytes(buf, 0, 0, echo), 0u);
    EXPECT_EQ(buf, "");

    echo.clear();
    buf = "plain";
    EXPECT_EQ(EditLineBytes(buf, 2, 0, echo), 2u);
    EXPECT_EQ(buf, "plain");
    EXPECT_EQ(echo, "ain");
}

TEST(LineSocket, WithLineModeOffBytesPassStraightThrough) {
    TScriptedPeer peer({"ab\r", "\ncd"}, false);
    TLineClient c;
    c.Connect(peer.Server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
    EXPECT_EQ(Joined(c.Lines), "ab\r\ncd");
    EXPECT_EQ(c.S.LineBuffered(), 0u);
}

TEST(LineSocket, LinesSplitAcrossReadsAndTheLastLineAtClose) {
    TScriptedPeer peer({"a", "b\r", "\nc", "d\r\nef\r\n", "gh"}, false);
    TLineClient c;
    c.S.SetLineMode(true);
    c.Connect(peer.Server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return c.Closed; }, 10000));
    EXPECT_EQ(c.Lines, (std::vector<std::string>{"ab\r\n", "cd\r\n", "ef\r\n", "gh"}));
    EXPECT_EQ(c.Events.back(), "closed") << "the last line comes before the close";
}

TEST(LineSocket, OtherLineEndsAndPartialReads) {
    TScriptedPeer peer({"one||two|", "|three"}, false);
    TAsyncSocket s;
    std::string got;
    std::vector<int> counts;
    bool closed = false;
    s.SetLineMode(true);
    s.LineEnd = "||";
    s.OnDataAvailable = [&](TCustomAsyncSocket*, WORD) {
        counts.push_back(s.RcvdCount());
        char buf[2];
        int n = s.Receive(buf, sizeof buf); // two bytes at a time
        if (n > 0) got.append(buf, static_cast<std::size_t>(n));
        got += "/";
    };
    s.OnSessionClosed = [&](TCustomAsyncSocket*, WORD) { closed = true; };
    s.SetAddr("127.0.0.1");
    s.SetPort(std::to_string(peer.Server.Port()));
    s.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return closed; }, 10000));
    EXPECT_EQ(got, "on/e|/|/tw/o|/|/th/re/e/");
    ASSERT_FALSE(counts.empty());
    EXPECT_EQ(counts[0], 5) << "RcvdCount is the line with its end";
}

TEST(LineSocket, EditingAndEcho) {
    TScriptedPeer peer({"abc\b", "d\r\n", "ab\tx\r\n"}, true);
    TLineClient c;
    c.S.SetLineMode(true);
    c.S.LineEdit = true;
    c.S.LineEcho = true;
    c.Connect(peer.Server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return c.Lines.size() >= 2; }, 10000));
    EXPECT_EQ(c.Lines, (std::vector<std::string>{"abd\r\n", "ab      x\r\n"}));
    c.S.Close();
    ASSERT_TRUE(win::PumpUntil([&] { return !peer.Got().empty(); }, 10000));
    EXPECT_EQ(peer.Got(), "abc\b \bd\r\nab      x\r\n");
}

TEST(LineSocket, LineLimit) {
    for (bool keep : {false, true}) {
        TScriptedPeer peer({"0123456789X"}, true);
        TLineClient c;
        std::vector<int> fired;
        c.S.SetLineMode(true);
        c.S.LineLimit = 10;
        c.S.OnLineLimitExceeded = [&](TCustomAsyncSocket*, int len, bool& clear) {
            fired.push_back(len);
            EXPECT_TRUE(clear);
            if (keep) clear = false;
        };
        c.Connect(peer.Server.Port());
        ASSERT_TRUE(win::PumpUntil([&] { return !fired.empty(); }, 10000));
        EXPECT_EQ(fired, std::vector<int>{11});
        EXPECT_EQ(c.S.LineBuffered(), keep ? 11u : 0u);
        EXPECT_TRUE(c.Lines.empty());
    }
}

TEST(LineSocket, AHandlerThatReadsNothingDoesNotHang) {
    TScriptedPeer peer({"first\r\nsecond\r\n"}, true);
    TLineClient c;
    c.ReadNothing = true;
    c.S.SetLineMode(true);
    c.Connect(peer.Server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return c.S.LineBuffered() > 0; }, 10000));
    win::PumpUntil([] { return false; }, 100); // let it settle: must return
    // The line waits for the owner, whole.
    EXPECT_EQ(c.S.RcvdCount(), 7);
    EXPECT_EQ(c.S.ReceiveStr(), "first\r\n");
    c.ReadNothing = false;
    c.S.Close();
    EXPECT_EQ(c.Lines, std::vector<std::string>{"second\r\n"}) << "the rest at the close";
}

TEST(LineSocket, SwitchingModeDeliversWhatWasBufferedOnce) {
    TScriptedPeer peer({"a1\r\na2\r\nrest"}, true);
    TLineClient c;
    c.S.SetLineMode(true);
    bool switched = false;
    c.S.OnDataAvailable = [&](TCustomAsyncSocket*, WORD) {
        std::string s = c.S.ReceiveStr();
        c.Lines.push_back(s);
        if (!switched) {
            switched = true;
            c.S.SetLineMode(false); // inside the first line's delivery
        }
    };
    c.Connect(peer.Server.Port());
    ASSERT_TRUE(win::PumpUntil([&] { return Joined(c.Lines) == "a1\r\na2\r\nrest"; }, 10000))
        << Joined(c.Lines);
    EXPECT_EQ(c.Lines.front(), "a1\r\n");
    EXPECT_EQ(c.S.LineBuffered(), 0u);

    // Back on: what arrives is delivered line by line again.
    c.Lines.clear();
    c.S.SetLineMode(true);
    win::ProcessMessages();
    EXPECT_TRUE(c.Lines.empty());
}

TEST(SyncSocket, WaitsForAFlagWhileEventsFlow) {
    TLoopbackServer echo(Echo);
    TAsyncSocket s;
    bool connected = false;
    s.OnSessionConnected = [&](TCustomAsyncSocket*, WORD e) { connected = e == 0; };
    s.SetAddr("127.0.0.1");
    s.SetPort(std::to_string(echo.Port()));
    EXPECT_EQ(s.RunAndWait(connected, [&] { s.Connect(); }), 0);
    EXPECT_TRUE(connected);

    bool got = false;
    std::string data;
    s.OnDataAvailable = [&](TCustomAsyncSocket*, WORD) {
        data += s.ReceiveStr();
        got = data == "sync";
    };
    EXPECT_EQ(s.RunAndWait(got, [&] { s.SendStr("sync"); }), 0);
    EXPECT_EQ(data, "sync");

    bool never = false;
    s.WaitTimeout = 100;
    EXPECT_EQ(s.WaitForFlag(never), WAIT_TIMED_OUT);

    s.WaitTimeout = 0;
    win::PostQuitMessage(3);
    EXPECT_EQ(s.WaitForFlag(never), WAIT_TIMED_OUT) << "the thread is told to quit";
    int code = 0;
    EXPECT_TRUE(win::TakeQuit(&code)) << "the quit is left for the thread's own loop";
    EXPECT_EQ(code, 3);
    s.Close();
}
