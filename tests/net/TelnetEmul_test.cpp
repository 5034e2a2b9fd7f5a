// The session component on Qt's event loop: connect, status lines, typed
// keys through the control, clipboard pastes, and the end of the session.
#include "net/TelnetEmul.h"
#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <arpa/inet.h>
#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// One connection on 127.0.0.1: sends a greeting, collects what comes until
// "END", then closes.
class TOneShotPeer {
public:
    explicit TOneShotPeer(std::string greeting) {
        Fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(Fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(Fd, 1);
        socklen_t len = sizeof a;
        ::getsockname(Fd, reinterpret_cast<sockaddr*>(&a), &len);
        Port = ntohs(a.sin_port);
        Thread = std::thread([this, greeting] {
            pollfd p{Fd, POLLIN, 0};
            if (::poll(&p, 1, 10000) <= 0) return;
            int c = ::accept(Fd, nullptr, nullptr);
            if (c < 0) return;
            ::send(c, greeting.data(), greeting.size(), MSG_NOSIGNAL);
            char buf[1024];
            for (;;) {
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 10000) <= 0) break;
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                std::lock_guard lock(M);
                Got.append(buf, static_cast<std::size_t>(n));
                if (Got.find("END") != std::string::npos) break;
            }
            ::close(c);
        });
    }
    ~TOneShotPeer() {
        Thread.join();
        ::close(Fd);
    }
    std::string Received() {
        std::lock_guard lock(M);
        return Got;
    }
    int Fd = -1;
    int Port = 0;

private:
    std::mutex M;
    std::string Got;
    std::thread Thread;
};

bool ScreenShows(TTelnetEmul& e, const std::string& utf8) {
    const std::string want = win::Utf8ToBig5(utf8);
    for (int y = 0; y < e.Rows(); ++y) {
        std::string line;
        for (const TCell& c : e.Screen().ScreenRow(y).Cells)
            line.push_back(static_cast<char>(c.Char));
        if (line.find(want) != std::string::npos) return true;
    }
    return false;
}

} // namespace

TEST(TelnetEmul, SessionOnTheEventLoop) {
    win::InstallQtMessageLoop();
    TOneShotPeer peer("\xff\xfd\x18welcome\r\n");
    TTelnetEmul emul;
    int connected = 0, closed = 0;
    emul.OnSessionConnected = [&](TBgCrt*) { ++connected; };
    emul.OnSessionClosed = [&](TBgCrt*) { ++closed; };
    emul.SetHostName("127.0.0.1");
    emul.SetPort(std::to_string(peer.Port));
    emul.Connect();
    EXPECT_TRUE(emul.IsConnecting());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return connected == 1 && ScreenShows(emul, "welcome"); }, 10000));
    EXPECT_TRUE(ScreenShows(emul, "正在連線到 '127.0.0.1'"));
    EXPECT_TRUE(ScreenShows(emul, "連線成功"));

    QTest::keyClicks(&emul, "xy");
    QApplication::clipboard()->setText("p1\np2");
    emul.Paste();
    QApplication::clipboard()->setText(QString::fromUtf8("\x1b[1m中"));
    emul.PasteAnsi(1);
    emul.SetCRLF(2);
    char enter = '\r';
    emul.KeyPress(enter);
    emul.SendStr("END");
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed == 1; }, 10000));
    EXPECT_EQ(peer.Received(),
              std::string("\xff\xfb\x18xyp1\rp2\x15[1m") + win::Utf8ToBig5("中") + "\r\nEND");
    EXPECT_TRUE(ScreenShows(emul, "*** 遠端主機已中斷連線 ***"));
    EXPECT_FALSE(emul.IsConnected());
    // Keys on a closed session go nowhere and do not throw.
    char k = 'k';
    emul.KeyPress(k);
}
