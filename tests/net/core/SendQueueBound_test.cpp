// The send queue's bound against a loopback peer that floods option
// requests and does not read the answers: the program stops reading from it
// instead of queueing answers without end, stays responsive for its other
// sessions, and once the peer reads, every answer arrives in order and
// reading goes on.
#include "ScriptedServer.h"
#include "net/core/TelnetCnx.h"
#include "support/RecordingPeer.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

using namespace net;

namespace {

// The request of unit i and the answer it gets: IAC DO x for an option the
// program refuses (x cycles through 26..255, so a lost or swapped answer
// shows), then one data byte, which keeps the guard against negotiation
// loops from ever stopping the answers.
constexpr int kUnitSize = 4;
char OptionOf(std::size_t i) {
    return static_cast<char>(26 + i % 230);
}
std::string Requests(std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i < to; ++i)
        s += {'\xFF', '\xFD', OptionOf(i), 'z'};
    return s;
}
std::string Answers(std::size_t from, std::size_t to) {
    std::string s;
    for (std::size_t i = from; i < to; ++i)
        s += {'\xFF', '\xFC', OptionOf(i)};
    return s;
}

std::string FirstDifference(const std::string& got, const std::string& want) {
    const auto d = std::mismatch(got.begin(), got.end(), want.begin(), want.end());
    if (d.first == got.end() && d.second == want.end()) return "none";
    return "at byte " + std::to_string(d.first - got.begin()) + " of " +
           std::to_string(got.size()) + " (expected " + std::to_string(want.size()) + ")";
}

// A peer with a small receive buffer that sends requests in blocks of
// kBlockUnits from a thread of its own until told to stop (the block under
// way is finished), and reads nothing until told to read.
class TFloodPeer {
public:
    static constexpr std::size_t kBlockUnits = 16384;

    TFloodPeer() : Server_([this](int fd, int) { Serve(fd); }) {}
    ~TFloodPeer() { Stopping_ = true; }

    std::string PortStr() const { return Server_.PortStr(); }
    void StopSending() { StopSending_ = true; }
    void StartReading() { Reading_ = true; }
    bool DoneSending() const { return DoneSending_; }
    std::size_t UnitsSent() const { return UnitsSent_; }
    std::size_t GotSize() const { return GotSize_; }
    std::string Got() const {
        std::lock_guard l(M_);
        return Got_;
    }

private:
    // Sends all of bytes, waiting while the program does not read; false
    // when the test ends first.
    bool SendBlock(int fd, const std::string& bytes) {
        std::size_t off = 0;
        while (off < bytes.size()) {
            if (Stopping_) return false;
            pollfd p{fd, POLLOUT, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            ssize_t n = ::send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
            if (n < 0) return false;
            off += static_cast<std::size_t>(n);
        }
        return true;
    }
    void Serve(int fd) {
        // Small, but not below one loopback segment (64 KiB): smaller, the
        // system drops whole segments and the stream crawls.
        int small = 64 << 10;
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        std::thread writer([this, fd] {
            std::size_t units = 0;
            while (!StopSending_) {
                if (!SendBlock(fd, Requests(units, units + kBlockUnits))) break;
                units += kBlockUnits;
                UnitsSent_ = units;
            }
            DoneSending_ = true;
        });
        while (!Reading_ && !Stopping_)
            bptest::SleepMs(10);
        char buf[65536];
        while (!Stopping_) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) break;
            std::lock_guard l(M_);
            Got_.append(buf, static_cast<std::size_t>(n));
            GotSize_ = Got_.size();
        }
        writer.join();
    }

    std::atomic<bool> Stopping_{false}, StopSending_{false}, Reading_{false}, DoneSending_{false};
    std::atomic<std::size_t> UnitsSent_{0}, GotSize_{0};
    mutable std::mutex M_;
    std::string Got_;
    bptest::TScriptedServer Server_; // last: serves once the rest exists
};

} // namespace

TEST(SendQueueBound, APeerThatFloodsRequestsAndNeverReadsIsNoLongerRead) {
    TFloodPeer peer;
    TTelnetCnx cnx;
    TAsyncSocket& s = *cnx.Socket();
    // The queue after every read, when the answers to it have been queued.
    int most = 0;
    const auto read = s.OnDataAvailable;
    s.OnDataAvailable = [&, read](TCustomAsyncSocket* sender, WORD error) {
        read(sender, error);
        most = std::max(most, s.QueuedBytes());
    };
    cnx.Host = "127.0.0.1";
    cnx.Port = peer.PortStr();
    cnx.Connect();

    // The program answers until the answers fill the queue, then stops
    // reading. (Without the bound the queue grows on: a few times the bound
    // ends the wait.)
    const int bound = SendQueueHighMark + TTelnetCnx::ReadSize;
    ASSERT_TRUE(win::PumpUntil(
        [&] { return s.ReadingHeld() || s.QueuedBytes() > 4 * SendQueueHighMark; }, 60000));
    EXPECT_LE(most, bound) << "the queue grew past its bound";
    ASSERT_TRUE(s.ReadingHeld()) << "reading never stopped; queued " << s.QueuedBytes();
    peer.StopSending();

    // Meanwhile the program goes on: another session connects, is answered
    // and gets its data, while the held one reads nothing.
    const int readWhenHeld = s.ReadCount();
    bptest::TRecordingPeer board(std::string{'\xFF', '\xFD', '\x18'} + "hello");
    TTelnetCnx other;
    std::string otherData;
    other.OnDataAvailable = [&](TTelnetCnx*, char* buf, int len) {
        otherData.append(buf, static_cast<std::size_t>(len));
    };
    other.Host = "127.0.0.1";
    other.Port = board.PortStr();
    other.Connect();
    EXPECT_TRUE(win::PumpUntil(
        [&] {
            return otherData == "hello" && board.Has({'\xFF', '\xFB', '\x18'});
        },
        10000))
        << "the other session got '" << otherData << "'";
    EXPECT_TRUE(s.ReadingHeld());
    EXPECT_EQ(s.ReadCount(), readWhenHeld);
    // Held, the socket waits without a turn of its own: no event is posted
    // again and again to see whether the queue has drained.
    int handled = 0;
    for (int turn = 0; turn < 20; ++turn) {
        win::WaitMessage(10);
        handled += win::ProcessMessages();
    }
    EXPECT_LT(handled, 5) << "messages handled while nothing happens";

    // Keys typed now are queued behind the answers given so far: an answer
    // goes out when the option byte of its request was read.
    const std::size_t answered = (static_cast<std::size_t>(s.ReadCount()) + 1) / kUnitSize;
    EXPECT_EQ(cnx.SendStr("keys"), 4);
    EXPECT_TRUE(s.ReadingHeld()) << "a key does not restart reading";

    // The peer reads: the queue drains, reading resumes, the rest of the
    // flood is read and answered.
    peer.StartReading();
    ASSERT_TRUE(win::PumpUntil([&] { return peer.DoneSending(); }, 60000));
    const std::size_t units = peer.UnitsSent();
    const std::string expected = Answers(0, answered) + "keys" + Answers(answered, units);
    ASSERT_TRUE(win::PumpUntil(
        [&] {
            return peer.GotSize() >= expected.size() &&
                   s.ReadCount() == static_cast<int>(units * kUnitSize);
        },
        60000))
        << "the peer got " << peer.GotSize() << " of " << expected.size() << " bytes; read "
        << s.ReadCount() << " of " << units * kUnitSize << "; queued " << s.QueuedBytes();
    EXPECT_FALSE(s.ReadingHeld());
    EXPECT_EQ(FirstDifference(peer.Got(), expected), "none");
    EXPECT_LE(most, bound + 4) << "the queue grew past its bound";
    EXPECT_TRUE(cnx.IsConnected());
    cnx.Close();
}

namespace {

// A socket whose sends all would block while Stalled, as against a peer
// that reads nothing.
class TStalledSocket : public TAsyncSocket {
public:
    bool Stalled = true;

protected:
    int SendRaw(const void* Data, int Len) override {
        if (!Stalled) return TAsyncSocket::SendRaw(Data, Len);
        win::wsock32::WSASetLastError(win::WSAEWOULDBLOCK);
        return -1;
    }
};

} // namespace

TEST(SendQueueBound, APeerThatEndsWhileTheQueueIsFullIsSeenClosedAfterTheQueueDrained) {
    std::atomic<bool> end{false};
    bptest::TScriptedServer server([&](int fd, int) {
        while (!end)
            bptest::SleepMs(10);
        ::shutdown(fd, SHUT_WR);
        bptest::ReadToEnd(fd, 20000);
    });
    TStalledSocket s;
    std::string events;
    int queuedAtClose = -1;
    s.OnSessionConnected = [&](TCustomAsyncSocket*, WORD e) {
        events.append("C").append(std::to_string(e));
    };
    s.OnSessionClosed = [&](TCustomAsyncSocket*, WORD e) {
        events.append("X").append(std::to_string(e));
        queuedAtClose = s.QueuedBytes();
    };
    s.OnDataAvailable = [&](TCustomAsyncSocket*, WORD) {
        char buf[2048];
        s.Receive(buf, sizeof buf);
    };
    s.SetAddr("127.0.0.1");
    s.SetPort(server.PortStr());
    s.Connect();
    ASSERT_TRUE(win::PumpUntil([&] { return events == "C0"; }, 10000));

    // The queue is full when the peer ends its side: the close waits.
    const std::string block(SendQueueHighMark, 'q');
    EXPECT_EQ(s.Send(block.data(), static_cast<int>(block.size())), SendQueueHighMark);
    end = true;
    ASSERT_TRUE(win::PumpUntil([&] { return s.ReadingHeld(); }, 10000));
    EXPECT_EQ(events, "C0");
    EXPECT_EQ(s.State(), wsConnected);

    // The wire takes the queue: the close follows, once.
    s.Stalled = false;
    win::PostMessage(s.Handle(), WM_ASYNCSELECT, s.HSocket(),
                     win::WSAMAKESELECTREPLY(win::FD_WRITE, 0));
    ASSERT_TRUE(win::PumpUntil([&] { return events != "C0"; }, 20000));
    EXPECT_EQ(events, "C0X0");
    EXPECT_LT(queuedAtClose, SendQueueLowMark);
    EXPECT_FALSE(s.ReadingHeld());
}
