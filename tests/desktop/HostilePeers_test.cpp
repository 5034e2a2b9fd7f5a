// Ten sessions in one terminal, each to a different hostile peer on
// loopback, at once: random bytes at full speed, a negotiation that never
// settles, an endless sub-negotiation, a 50 MB Big5 flood, escape sequences
// with huge and with 100,000 parameters, a reset mid-stream, a half-close, a
// peer that never sends, one byte a second, and one well-behaved board.
// While they run the program must stay a program: hand-overs connect, keys
// reach the well-behaved board, the screen repaints, memory stays bounded,
// and Alt+F4 and SIGTERM end it with its settings written.
#include "../support/Desktop.h"

#include <gtest/gtest.h>

#include <sys/socket.h>

#include <atomic>
#include <fstream>
#include <random>

namespace {

using desk::TDesktopTest;
using desk::TRecordingPeer;

std::atomic<bool> Stopping{false};

// Sends until the program closes the connection or the test ends.
bool Send(int fd, const std::string& bytes) {
    std::size_t off = 0;
    while (off < bytes.size() && !Stopping) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        ssize_t n = ::send(fd, bytes.data() + off, bytes.size() - off, MSG_NOSIGNAL);
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        off += std::size_t(n);
    }
    return !Stopping;
}
// Reads what is waiting without blocking.
std::string Drain(int fd) {
    std::string got;
    char buf[4096];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0) return got;
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return got;
        got.append(buf, std::size_t(n));
    }
}

using TPeerScript = std::function<void(int fd)>;

const std::vector<std::pair<const char*, TPeerScript>>& HostileScripts() {
    static const std::vector<std::pair<const char*, TPeerScript>> scripts = {
        {"never sends",
         [](int fd) {
             while (!Stopping) Drain(fd), bptest::SleepMs(50);
         }},
        {"random bytes",
         [](int fd) {
             std::mt19937 rng(7);
             std::string chunk(64 * 1024, '\0');
             while (!Stopping) {
                 for (char& c : chunk) c = char(rng());
                 if (!Send(fd, chunk)) return;
                 Drain(fd);
             }
         }},
        {"negotiation loop",
         [](int fd) {
             // Asks for every option, then answers each reply with its opposite.
             std::string ask;
             for (int o = 0; o < 256; ++o) ask += std::string{'\xFF', '\xFD', char(o)};
             if (!Send(fd, ask)) return;
             while (!Stopping) {
                 std::string got = Drain(fd), reply;
                 for (std::size_t i = 0; i + 2 < got.size(); ++i) {
                     if (got[i] != '\xFF') continue;
                     const unsigned char verb = got[i + 1];
                     const char o = got[i + 2];
                     if (verb == 251) reply += std::string{'\xFF', '\xFE', o}; // WILL -> DONT
                     if (verb == 252) reply += std::string{'\xFF', '\xFD', o}; // WONT -> DO
                     if (verb == 253) reply += std::string{'\xFF', '\xFC', o}; // DO -> WONT
                     if (verb == 254) reply += std::string{'\xFF', '\xFB', o}; // DONT -> WILL
                 }
                 if (reply.empty()) reply = ask;
                 if (!Send(fd, reply)) return;
             }
         }},
        {"endless sub-negotiation",
         [](int fd) {
             if (!Send(fd, std::string{'\xFF', '\xFA', '\x18'})) return;
             const std::string junk(64 * 1024, 'x');
             while (!Stopping && Send(fd, junk)) Drain(fd);
         }},
        {"50 MB Big5 flood",
         [](int fd) {
             std::string chunk;
             while (chunk.size() < 64 * 1024)
                 chunk += "\x1b[1;33;44m\xA4\xA4\xA4\xE5\xB4\xFA\xB8\xD5\x1b[m BBS \r\n";
             for (std::size_t sent = 0; sent < 50u * 1024 * 1024 && !Stopping; sent += chunk.size())
                 if (!Send(fd, chunk)) return;
             while (!Stopping) Drain(fd), bptest::SleepMs(50);
         }},
        {"huge and countless parameters",
         [](int fd) {
             std::string many = "\x1b[";
             for (int i = 0; i < 100000; ++i) many += "1;";
             many += "m";
             const std::string huge = "\x1b[99999999999999999999;99999999999999999999H"
                                      "\x1b[99999999999999999999m\x1b[99999999999999999999L"
                                      "\x1b[99999999999999999999@x";
             while (!Stopping)
                 if (!Send(fd, many + huge)) return;
         }},
        {"reset mid-stream",
         [](int fd) {
             Send(fd, std::string(100000, 'r'));
             bptest::ResetClose(fd);
         }},
        {"half-close",
         [](int fd) {
             Send(fd, "bye for now\r\n");
             ::shutdown(fd, SHUT_WR);
             while (!Stopping) Drain(fd), bptest::SleepMs(50);
         }},
        {"one byte a second",
         [](int fd) {
             for (int i = 0; !Stopping; ++i) {
                 if (!Send(fd, std::string(1, char('a' + i % 26)))) return;
                 for (int t = 0; t < 20 && !Stopping; ++t) bptest::SleepMs(50);
             }
         }},
    };
    return scripts;
}

long RssKiB(pid_t pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

class HostilePeers : public TDesktopTest {
protected:
    void SetUp() override {
        Stopping = false;
        TDesktopTest::SetUp();
    }
    void TearDown() override {
        Stopping = true;
        TDesktopTest::TearDown();
    }
    void RunTenAtOnce(bool bySignal);
};

// Runs the ten peers against one program and checks it stays responsive;
// then ends it by Alt+F4 or by SIGTERM.
TEST_F(HostilePeers, TenAtOnceLeaveTheProgramResponsiveAndAltF4EndsIt) {
    RunTenAtOnce(false);
}

TEST_F(HostilePeers, TenAtOnceLeaveTheProgramResponsiveAndSigtermEndsIt) {
    RunTenAtOnce(true);
}

void HostilePeers::RunTenAtOnce(bool bySignal) {
    std::vector<std::unique_ptr<bptest::TScriptedServer>> hostile;
    for (const auto& [name, script] : HostileScripts()) {
        TPeerScript s = script;
        hostile.push_back(std::make_unique<bptest::TScriptedServer>(
            [s](int fd, int) { s(fd); }, true));
    }
    TRecordingPeer board("\r\nthe well-behaved board\r\n");
    Box.CopyProgram("BrannocPro");
    // The bell does not pull the focus to a session that rings.
    Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\nFocus=0\r\n[Hosts]\r\nh0=127.0.0.1\r\n");

    // The first start opens the quiet peer's session; each further start
    // hands its site over to the running one and ends.
    auto& program = StartProgram("BrannocPro", {"127.0.0.1", hostile[0]->PortStr()});
    std::string main = Display->WaitWindow(program.Pid, "Brannoc");
    ASSERT_FALSE(main.empty()) << "no main window";
    auto handOver = [&](const std::string& port) {
        auto second = Display->Start({Box.Bin() + "BrannocPro", "127.0.0.1", port});
        return second->Wait(20000);
    };
    for (std::size_t i = 1; i < hostile.size(); ++i) {
        ASSERT_EQ(handOver(hostile[i]->PortStr()), 0) << "hand-over " << i;
        ASSERT_TRUE(desk::WaitFor([&] { return hostile[i]->Accepted() >= 1; }, 20000))
            << HostileScripts()[i].first << " was not connected";
    }
    ASSERT_EQ(handOver(board.PortStr()), 0) << "hand-over of the board";
    ASSERT_TRUE(board.WaitAccepted(1, 20000)) << "the board was not connected";
    // Let the floods run a while before asking anything of the program.
    bptest::SleepMs(2000);

    // The board is the current session: keys typed now reach it.
    Display->Activate(main);
    Display->Type("ping");
    Display->Key("Return");
    EXPECT_TRUE(board.WaitReceived("ping\r", 0, 5000)) << "board got: " << board.Received();

    // The window still repaints: the status bar's clock moves on screen.
    const desk::TRect client = Display->Client(main);
    const int bottom = std::min(client.Bottom(), Display->Height());
    auto statusRow = [&] {
        desk::TShot s = Display->Screenshot();
        std::vector<std::uint32_t> row;
        for (int y = bottom - 20; y < bottom; ++y)
            for (int x = client.X; x < client.Right(); ++x) row.push_back(s.At(x, y));
        return row;
    };
    const auto before = statusRow();
    EXPECT_TRUE(desk::WaitFor([&] { return statusRow() != before; }, 5000, 200))
        << "the status bar did not repaint";

    // Memory stays bounded while the floods go on.
    const long rss = RssKiB(program.Pid);
    EXPECT_LT(rss, 400 * 1024) << "RSS " << rss << " KiB";

    // Alt+F4 or SIGTERM ends the program promptly, with its settings written.
    const auto written = std::filesystem::last_write_time(Box.Path("bin/Brannoc.ini"));
    bptest::SleepMs(20);
    if (bySignal) {
        program.Signal(SIGTERM);
    } else {
        Display->Activate(main);
        Display->Key("alt+F4");
    }
    EXPECT_EQ(program.Wait(5000), 0) << (bySignal ? "SIGTERM" : "Alt+F4") << " did not end it";
    EXPECT_GT(std::filesystem::last_write_time(Box.Path("bin/Brannoc.ini")), written)
        << "the settings were not written at the close";
    Stopping = true;
}

} // namespace
