// The telnet parser and option policy, fed byte streams directly, and the
// connection against the scripted loopback server.
#include "ScriptedServer.h"
#include "net/core/TelnetCnx.h"
#include "platform/core/DebugOutput.h"

#include <gtest/gtest.h>

using namespace net;

namespace {

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

// Captures what the protocol sends and the data it hands over.
class TCapture : public TTelnetCnx {
public:
    TCapture() {
        OnDataAvailable = [this](TTelnetCnx*, char* buf, int len) {
            Data.append(buf, static_cast<std::size_t>(len));
            ++Blocks;
            EXPECT_EQ(buf[len], '\0');
        };
        OnLocalEcho = [this](TTelnetCnx*) { ++EchoEvents; };
    }
    int Send(const void* buf, int len) override {
        Sent.append(static_cast<const char*>(buf), static_cast<std::size_t>(len));
        return len;
    }
    void Feed(const std::string& s) { ProcessBytes(s.data(), static_cast<int>(s.size())); }
    using TTelnetCnx::ProcessByte;
    std::string Sent, Data;
    int Blocks = 0;
    int EchoEvents = 0;
};

} // namespace

TEST(TelnetCnx, DataAndCommandsAcrossReads) {
    TCapture t;
    t.Feed(B({'a', 255, 255, 'b', 244}));
    EXPECT_EQ(t.Data, B({'a', 255, 'b', 244})); // IAC IAC is one 255; bare IP is data
    t.Feed(B({'x', 255}));
    t.Feed(B({253, 24}));
    EXPECT_EQ(t.Sent, B({255, 251, 24}));
    EXPECT_TRUE(t.TermTypeOrEor());
    t.Sent.clear();
    // Sub-negotiation split over three reads.
    t.Feed(B({255, 250}));
    t.Feed(B({24, 1}));
    t.Feed(B({255, 240, 'y'}));
    EXPECT_EQ(t.Sent, B({255, 250, 24, 0}) + "VT100" + B({255, 240}));
    EXPECT_EQ(t.Data, B({'a', 255, 'b', 244, 'x', 'y'}));
    t.Sent.clear();
    t.Feed(B({255, 250, 24, 2, 255, 240}));
    t.Feed(B({255, 241, 255, 249, 'z'})); // NOP and GA dropped
    EXPECT_EQ(t.Sent, "");
    EXPECT_EQ(t.Data.back(), 'z');
}

TEST(TelnetCnx, OptionPolicy) {
    TCapture t;
    t.Feed(B({255, 251, 31, 255, 253, 31})); // NAWS offered / asked
    EXPECT_EQ(t.Sent, B({255, 254, 31, 255, 252, 31}));
    t.Sent.clear();
    t.Feed(B({255, 253, 1}));
    EXPECT_EQ(t.Sent, "");
    EXPECT_EQ(t.EchoEvents, 1);
    t.Feed(B({255, 252, 1}));
    EXPECT_TRUE(t.LocalEcho());
    t.Feed(B({255, 251, 1, 255, 251, 3, 255, 251, 0}));
    EXPECT_EQ(t.Sent, B({255, 253, 1, 255, 253, 3, 255, 253, 0}));
    EXPECT_FALSE(t.LocalEcho());
    EXPECT_TRUE(t.SGA());
    EXPECT_TRUE(t.Binary());
    EXPECT_EQ(t.EchoEvents, 3);
    t.Sent.clear();
    t.Feed(B({255, 252, 0, 255, 254, 0, 255, 253, 0, 255, 252, 3}));
    EXPECT_EQ(t.Sent, "");
    EXPECT_FALSE(t.Binary());
    t.Location = "HOME";
    t.Feed(B({255, 253, 23}));
    EXPECT_EQ(t.Sent, B({255, 251, 23, 255, 250, 23}) + "HOME" + B({255, 240}));
    t.Sent.clear();
    t.Feed(B({255, 252, 99, 255, 254, 99}));
    EXPECT_EQ(t.Sent, B({255, 252, 99, 255, 252, 99}));
}

TEST(TelnetCnx, HostileStreamsStayBounded) {
    TCapture t;
    // A sub-negotiation that never ends keeps only a bounded prefix.
    t.Feed(B({255, 250, 24}));
    std::string junk(1 << 20, 'j');
    t.Feed(junk);
    t.Feed(B({255, 240, 'd'}));
    EXPECT_EQ(t.Data, "d");
    // A peer repeating the same request for ever gets a bounded number of
    // answers.
    t.Sent.clear();
    std::string loop;
    for (int i = 0; i < 1000; ++i)
        loop += B({255, 251, 31});
    t.Feed(loop);
    EXPECT_LE(t.Sent.size(), 3u * 60);
    EXPECT_GT(t.Sent.size(), 0u);
    // Data is handed over in blocks of at most 2049 bytes.
    TCapture u;
    u.Feed(std::string(5000, 'q'));
    EXPECT_EQ(u.Data.size(), 5000u);
    EXPECT_EQ(u.Blocks, 3);
}

TEST(TelnetCnx, NegotiationLoopGuardAnswersExactlyFiftyTimesPerOption) {
    struct Case {
        const char* Name;
        std::string Request, Reply;
    } cases[] = {
        {"unknown option offered", B({255, 251, 31}), B({255, 254, 31})},
        {"unknown option asked", B({255, 253, 99}), B({255, 252, 99})},
        {"echo offered", B({255, 251, 1}), B({255, 253, 1})},
        {"terminal type asked", B({255, 253, 24}), B({255, 251, 24})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TCapture t;
        std::string requests;
        for (int i = 0; i < 51; ++i)
            requests += c.Request;
        t.Feed(requests);
        std::string fifty;
        for (int i = 0; i < 50; ++i)
            fifty += c.Reply;
        EXPECT_EQ(t.Sent, fifty) << "the 51st request goes unanswered";
        // Another option has a count of its own.
        t.Sent.clear();
        t.Feed(B({255, 251, 32}));
        EXPECT_EQ(t.Sent, B({255, 254, 32}));
        // A data byte starts the count again, for fifty more.
        t.Sent.clear();
        t.Feed("x" + requests);
        EXPECT_EQ(t.Sent, fifty);
        // Requests split one byte per read count the same.
        TCapture u;
        for (char b : requests)
            u.Feed(std::string(1, b));
        EXPECT_EQ(u.Sent, fifty);
    }
}

TEST(TelnetCnx, TraceLinesNumberedInOrder) {
    std::vector<std::string> lines;
    win::SetDebugOutputHandler([&](const std::string& l) { lines.push_back(l); });
    TCapture t;
    t.Feed(B({255, 253, 24, 255, 200}));
    win::SetDebugOutputHandler({});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(5), "RCVD DO TERMINAL-TYPE\r\n");
    EXPECT_EQ(lines[1].substr(5), "SENT WILL TERMINAL-TYPE\r\n");
    EXPECT_EQ(lines[2].substr(5), "Unknown C8 '\xC8'\r\n");
    EXPECT_EQ(std::stoi(lines[1].substr(0, 4), nullptr, 16),
              std::stoi(lines[0].substr(0, 4), nullptr, 16) + 1);
}

namespace {

struct TSessionLog {
    explicit TSessionLog(TTelnetCnx& c) {
        c.OnSessionConnected = [this](TTelnetCnx*, WORD e) { Events += "C" + std::to_string(e); };
        c.OnSessionClosed = [this](TTelnetCnx*, WORD e) { Events += "X" + std::to_string(e); };
        c.OnDataAvailable = [this](TTelnetCnx*, char* b, int n) {
            Data.append(b, static_cast<std::size_t>(n));
        };
        c.OnDisplay = [this](TTelnetCnx*, const std::string& s) { Display += s; };
    }
    std::string Events, Data, Display;
};

} // namespace

TEST(TelnetCnx, ReconnectAfterStreamCutInsideSubnegotiation) {
    std::string replies[2];
    bptest::TScriptedServer server([&](int fd, int index) {
        if (index == 0) {
            // Negotiation, then the stream ends inside a sub-negotiation.
            bptest::SendAll(fd, B({255, 253, 24}));
            bptest::ReadExactly(fd, 3, replies[0]);
            bptest::SendAll(fd, "one" + B({255, 250, 24}));
            bptest::SleepMs(100);
            return;
        }
        bptest::SendAll(fd, B({255, 250, 24, 1, 255, 240}) + "two");
        std::string got;
        bptest::ReadUntil(fd, B({255, 240}), replies[1]);
        bptest::SleepMs(100);
    });
    TTelnetCnx c;
    TSessionLog log(c);
    c.Host = "127.0.0.1";
    c.Port = server.PortStr();
    c.Connect();
    ASSERT_TRUE(win::PumpUntil(
        [&] { return log.Events == "C0X0" && server.Accepted() == 1 && server.Idle(); }, 5000));
    EXPECT_EQ(replies[0], B({255, 251, 24}));
    EXPECT_EQ(log.Data, "one");
    EXPECT_NE(log.Display.find("Remote has closed"), std::string::npos);
    // The next connection starts with a fresh parser: its first bytes are
    // not taken for the end of the old sub-negotiation.
    c.Connect();
    ASSERT_TRUE(win::PumpUntil(
        [&] { return log.Events == "C0X0C0X0" && server.Accepted() == 2 && server.Idle(); }, 5000));
    EXPECT_EQ(log.Data, "onetwo");
    EXPECT_EQ(replies[1], B({255, 250, 24, 0}) + "VT100" + B({255, 240}));
}

TEST(TelnetCnx, FloodAndResetMidStream) {
    const std::size_t kFlood = 10u << 20;
    bptest::TScriptedServer server([&](int fd, int index) {
        if (index == 0) {
            std::string chunk(65536, 'f');
            chunk[100] = static_cast<char>(255);
            chunk[101] = static_cast<char>(255); // one data byte 255 per chunk
            for (std::size_t sent = 0; sent < kFlood; sent += chunk.size())
                if (!bptest::SendAll(fd, chunk)) return;
            return;
        }
        bptest::SendAll(fd, "partial");
        bptest::SleepMs(100);
        bptest::ResetClose(fd);
    });
    TTelnetCnx c;
    TSessionLog log(c);
    c.Host = "127.0.0.1";
    c.Port = server.PortStr();
    c.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return log.Events == "C0X0"; }, 30000));
    EXPECT_EQ(log.Data.size(), kFlood - kFlood / 65536);
    log.Data.clear();
    c.Connect();
    ASSERT_TRUE(win::PumpUntil(
        [&] { return log.Events.size() > 4 && log.Events.find('X', 4) != std::string::npos; },
        5000));
    EXPECT_EQ(log.Events.substr(0, 6), "C0X0C0");
    EXPECT_FALSE(c.IsConnected());
}

TEST(TelnetCnx, SplitCommandsAndNegotiationLoopOverTheWire) {
    std::string replies, loopReplies;
    bptest::TScriptedServer server([&](int fd, int) {
        // IAC at the end of one read, the rest in the next; a sub-negotiation
        // in three reads; IAC IAC inside data.
        const std::string pieces[] = {"a" + B({255}), B({253, 24}),  B({255, 250}),
                                      B({24, 1}),     B({255, 240}), B({255, 255}) + "b"};
        for (const auto& p : pieces) {
            bptest::SendAll(fd, p);
            bptest::SleepMs(30);
        }
        bptest::ReadUntil(fd, B({255, 240}), replies);
        // A peer that asks again after every answer.
        std::string got;
        for (int round = 0; round < 200; ++round) {
            bptest::SendAll(fd, B({255, 251, 31}));
            if (!bptest::ReadExactly(fd, 3, got, 300)) break;
            loopReplies += got;
        }
        bptest::SendAll(fd, "end");
        bptest::SleepMs(100);
    });
    TTelnetCnx c;
    TSessionLog log(c);
    c.Host = "127.0.0.1";
    c.Port = server.PortStr();
    c.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return log.Events == "C0X0" && server.Idle(); }, 20000));
    EXPECT_EQ(log.Data, "a" + B({255}) + "bend");
    EXPECT_EQ(replies, B({255, 251, 24, 255, 250, 24, 0}) + "VT100" + B({255, 240}));
    // Answered for a while, then no more: the loop ends.
    EXPECT_GT(loopReplies.size(), 0u);
    EXPECT_LT(loopReplies.size(), 3u * 200);
    EXPECT_EQ(loopReplies.substr(0, 3), B({255, 254, 31}));
}

TEST(TelnetCnx, OptionsToggledAroundDataAreAnsweredEveryTime) {
    // A host that turns echo on and off around each of its prompts, far more
    // often than a negotiation loop would be tolerated, with text between.
    constexpr int kPrompts = 120;
    std::string replies;
    bptest::TScriptedServer server([&](int fd, int) {
        std::string got;
        for (int round = 0; round < kPrompts; ++round) {
            bptest::SendAll(fd, B({255, 251, 1}) + "Password: ");
            if (!bptest::ReadExactly(fd, 3, got, 2000)) break;
            replies += got;
        }
        bptest::SendAll(fd, "end");
        bptest::SleepMs(100);
    });
    TTelnetCnx c;
    TSessionLog log(c);
    c.Host = "127.0.0.1";
    c.Port = server.PortStr();
    c.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return server.Idle() && log.Data.size() > 3; }, 30000));
    EXPECT_EQ(replies.size(), 3u * kPrompts);
}

TEST(TelnetCnx, AnEndlessSubnegotiationKeepsABoundedBuffer) {
    TCapture t;
    t.Feed(B({'a', 255, 250, 24, 1}));
    // 8 MB that never end the sub-negotiation (IAC included: inside a
    // sub-negotiation it is just another byte), fed as socket reads come.
    std::string read(TTelnetCnx::ReadSize, 'x');
    for (std::size_t i = 0; i < read.size(); i += 7)
        read[i] = static_cast<char>(255);
    for (int i = 0; i < 4096; ++i)
        t.Feed(read);
    EXPECT_LE(t.SubnegotiationCapacity(), 2 * TTelnetCnx::MaxSubnegotiation);
    EXPECT_EQ(t.Data, "a");
    EXPECT_EQ(t.Sent, "");
    t.Feed(B({240, 'b'}));
    // The request is still recognised by its first bytes, answered once.
    EXPECT_EQ(t.Sent, B({255, 250, 24, 0}) + "VT100" + B({255, 240}));
    EXPECT_EQ(t.Data, "ab");
    EXPECT_EQ(t.SubnegotiationCapacity(), std::string().capacity())
        << "nothing of it is kept afterwards";
}
