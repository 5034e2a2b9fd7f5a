// Windows of other processes: this test program runs itself again as the
// peer process (BP_CHANNEL_PEER names what the peer does), both sharing a
// runtime folder of the test's own.
#include "platform/core/CrossProcessFrames.h"
#include "platform/core/WindowChannel.h"

#include "platform/core/TempDir.h"
#include "support/PeerProcess.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using namespace win;

namespace {

std::string Hex(std::uint64_t v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(v));
    return buf;
}

// A window of class TPeerWindow: answers "PeerPing" with wParam + 1, reports
// what reaches it, and answers a "PeerRequest" broadcast with a "PeerResponse"
// sent to the asking window from inside the broadcast.
int RunWindowPeer() {
    UINT ping = RegisterWindowMessage("PeerPing");
    UINT request = RegisterWindowMessage("PeerRequest");
    UINT response = RegisterWindowMessage("PeerResponse");
    bool quit = false;
    HWND self = 0;
    self = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == ping) {
            m.Result = static_cast<LRESULT>(m.WParam + 1);
        } else if (m.Msg == request) {
            SendMessage(static_cast<HWND>(m.WParam), response, self, 7);
        } else if (m.Msg == WM_COPYDATA) {
            auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(m.LParam);
            std::string bytes;
            for (DWORD i = 0; cds && i < cds->cbData; ++i)
                bytes += Hex(static_cast<const unsigned char*>(cds->lpData)[i] | 0x100).substr(1);
            PeerSay("copydata " + (cds ? Hex(cds->dwData) : std::string("none")) + " " + bytes);
            m.Result = cds ? static_cast<LRESULT>(cds->cbData) : -1;
        } else if (m.Msg == WM_USER + 5) {
            PeerSay("posted " + std::to_string(m.WParam));
        } else if (m.Msg == WM_CLOSE) {
            quit = true;
        }
    });
    TWindowStateHandler h;
    h.Show = [](int cmd) {
        PeerSay("show " + std::to_string(cmd));
        return true;
    };
    h.SetForeground = [] {
        PeerSay("foreground");
        return true;
    };
    h.IsIconic = [] { return true; };
    SetWindowStateHandler(self, h);
    SetWindowClassName(self, "TPeerWindow");
    PeerSay("ready " + Hex(self) + " " + std::to_string(ping));
    while (!quit) {
        ProcessMessages();
        WaitMessage(100);
    }
    return 0;
}

// Starts like a single-instance program: the first becomes the full one.
int RunSinglePeer() {
    HWND self = 0;
    {
        TWindowClassLock lock("TSingle");
        if (FindWindow("TSingle")) {
            PeerSay("second");
            return 0;
        }
        self = AllocateHWnd([](TMessage&) {});
        SetWindowClassName(self, "TSingle");
    }
    PeerSay("full");
    for (;;) {
        ProcessMessages();
        WaitMessage(100);
    }
}

int RunPeer(const std::string& mode) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (mode == "window") return RunWindowPeer();
    if (mode == "single") return RunSinglePeer();
    return 2;
}

// Every process of this test (and its peers) gets the same private folders.
class TChannelEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (std::getenv("BP_CHANNEL_PEER")) return;
        ::setenv("XDG_RUNTIME_DIR", (Dir / "run").c_str(), 1);
        ::mkdir((Dir / "run").c_str(), 0700);
        ::setenv("TMPDIR", Dir.Path.c_str(), 1);
        ::setenv("HOME", Dir.Path.c_str(), 1);
    }
    TTempDir Dir;
};
const auto* kEnvironment = testing::AddGlobalTestEnvironment(new TChannelEnvironment);

std::vector<std::string> PeerArgs() {
    return {"/proc/self/exe", "--gtest_filter=PeerProcess.Run", "--gtest_brief=1"};
}

struct TPeerWindow {
    TPeerWindow() : Child(PeerArgs(), {"BP_CHANNEL_PEER=window"}) {
        std::string line = Child.ReadPeerLine();
        unsigned long long h = 0;
        unsigned ping = 0;
        if (std::sscanf(line.c_str(), "ready %llx %u", &h, &ping) == 2) {
            Wnd = static_cast<HWND>(h);
            Ping = ping;
        }
    }
    ~TPeerWindow() {
        if (IsWindow(Wnd)) PostMessage(Wnd, WM_CLOSE, 0, 0);
        Child.Wait(5000);
    }
    std::string SocketPath() const {
        char name[16];
        std::snprintf(name, sizeof name, "%08x", HandleTag(Wnd));
        return WindowChannelFolder() + name + ".sock";
    }
    TPeerProcess Child;
    HWND Wnd = 0;
    UINT Ping = 0;
};

int ConnectTo(const std::string& path) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// How many bytes the peer answers to bytes before it closes the
// connection; -1 when it keeps the connection open.
int AnsweredBeforeClose(int fd, const std::string& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    int total = 0;
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 10000) <= 0) return -1;
        char buf[512];
        ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0) return total;
        total += static_cast<int>(n);
    }
}

bool DroppedWithoutAnswer(int fd, const std::string& bytes) {
    return AnsweredBeforeClose(fd, bytes) == 0;
}

} // namespace

// The peer process's body; skipped in a normal run.
TEST(PeerProcess, Run) {
    const char* mode = std::getenv("BP_CHANNEL_PEER");
    if (!mode) GTEST_SKIP() << "runs only as a peer";
    std::_Exit(RunPeer(mode));
}

TEST(ChannelFrames, RoundTripKeepsEveryField) {
    TChannelFrame f;
    f.Kind = TFrameKind::Send;
    f.Seq = 77;
    f.Target = 0x123456789ABCull;
    f.Msg = 0xC123;
    f.WParam = ~0ull;
    f.LParam = -5;
    f.Result = -9;
    f.Op = 3;
    f.Arg = -1;
    f.HasCopyData = true;
    f.CopyDwData = 0xFEEDull;
    f.MsgName = "IPCConnectRequest";
    f.ClassName = "TkvMainForm";
    f.CopyBytes = std::string("\0\x01\xff", 3);
    std::string bytes = EncodeFrame(f) + EncodeFrame(f);
    TFrameReader r;
    // Byte by byte: frames come out only when complete.
    int frames = 0;
    for (char c : bytes) {
        ASSERT_TRUE(r.Feed(&c, 1));
        TChannelFrame g;
        while (r.Next(g)) {
            ++frames;
            EXPECT_EQ(g.Seq, 77u);
            EXPECT_EQ(g.Target, f.Target);
            EXPECT_EQ(g.WParam, f.WParam);
            EXPECT_EQ(g.LParam, -5);
            EXPECT_EQ(g.Result, -9);
            EXPECT_EQ(g.Arg, -1);
            EXPECT_EQ(g.CopyDwData, f.CopyDwData);
            EXPECT_EQ(g.MsgName, f.MsgName);
            EXPECT_EQ(g.ClassName, f.ClassName);
            EXPECT_EQ(g.CopyBytes, f.CopyBytes);
        }
    }
    EXPECT_EQ(frames, 2);
    EXPECT_EQ(r.Pending(), 0u);
}

TEST(ChannelFrames, GarbledStreamsAreRefused) {
    TChannelFrame f;
    f.MsgName = "name";
    const std::string good = EncodeFrame(f);
    auto refused = [](const std::string& bytes) {
        TFrameReader r;
        TChannelFrame g;
        bool fed = r.Feed(bytes.data(), bytes.size());
        while (fed && r.Next(g)) {
        }
        return r.Failed();
    };
    EXPECT_FALSE(refused(good));
    EXPECT_TRUE(refused("XPWC" + good.substr(4)));
    std::string huge = good;
    huge.replace(4, 4, "\xff\xff\xff\xff");
    EXPECT_TRUE(refused(huge.substr(0, 8))) << "a 4 GB length is refused at the header";
    std::string tooShort = good;
    tooShort.replace(4, 4, std::string("\x03\0\0\0", 4));
    EXPECT_TRUE(refused(tooShort));
    std::string kind = good;
    kind[8] = 9;
    EXPECT_TRUE(refused(kind));
    // The name's length claims more than the body holds.
    std::string overrun = good;
    std::size_t nameLen = 8 + 55; // header + fixed fields
    overrun[nameLen] = 100;
    EXPECT_TRUE(refused(overrun));
    EXPECT_TRUE(refused(good + "junk"));
    std::string copyFlag = good;
    copyFlag[8 + 46] = 2;
    EXPECT_TRUE(refused(copyFlag));
    f.MsgName.assign(300, 'x');
    EXPECT_EQ(EncodeFrame(f), "") << "an over-long name is never sent";
}

TEST(WindowChannel, RegisteredNumbersAgreeAndIgnoreCase) {
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    UINT a = RegisterWindowMessage("IPCConnectRequest");
    EXPECT_GE(a, 0xC000u);
    EXPECT_LE(a, 0xFFFFu);
    EXPECT_EQ(RegisterWindowMessage("ipcconnectrequest"), a);
    EXPECT_NE(RegisterWindowMessage("IPCConnectRespose"), a);
    EXPECT_EQ(RegisteredMessageName(a), "IPCConnectRequest");
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    EXPECT_EQ(RegisterWindowMessage("peerping"), peer.Ping);
}

TEST(WindowChannel, LocalWindowsAnswerThroughTheirStateHandler) {
    HWND w = AllocateHWnd([](TMessage&) {});
    EXPECT_FALSE(ShowWindow(w, SW_RESTORE)) << "no handler installed";
    std::vector<int> shown;
    TWindowStateHandler h;
    h.Show = [&](int cmd) {
        shown.push_back(cmd);
        return true;
    };
    h.IsIconic = [] { return true; };
    SetWindowStateHandler(w, h);
    SetWindowClassName(w, "TLocalOnly");
    EXPECT_EQ(FindWindow("TLocalOnly"), w);
    EXPECT_TRUE(ShowWindow(w, SW_RESTORE));
    EXPECT_TRUE(IsIconic(w));
    EXPECT_FALSE(SetForegroundWindow(w));
    EXPECT_EQ(shown, std::vector<int>{SW_RESTORE});
    DeallocateHWnd(w);
    EXPECT_EQ(FindWindow("TLocalOnly"), 0u);
    EXPECT_FALSE(IsIconic(w));
}

TEST(WindowChannel, MessagesReachTheWindowOfAnotherProcess) {
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    EXPECT_NE(HandleTag(peer.Wnd), ProcessHandleTag());
    EXPECT_EQ(FindWindow("TPeerWindow"), peer.Wnd);
    EXPECT_EQ(FindWindow("TNoSuchClass"), 0u);
    EXPECT_TRUE(IsWindow(peer.Wnd));

    EXPECT_EQ(SendMessage(peer.Wnd, RegisterWindowMessage("PeerPing"), 41, 0), 42);

    const char data[] = {'a', 0, 'b', '\xff'};
    COPYDATASTRUCT cds;
    cds.dwData = 0x1234;
    cds.cbData = sizeof data;
    cds.lpData = data;
    EXPECT_EQ(SendMessage(peer.Wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)), 4);
    EXPECT_EQ(peer.Child.ReadPeerLine(), "copydata 1234 610062ff");
    EXPECT_FALSE(PostMessage(peer.Wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)))
        << "the bytes would be gone before the peer reads them";

    for (WPARAM i = 1; i <= 3; ++i)
        EXPECT_TRUE(PostMessage(peer.Wnd, WM_USER + 5, i, 0));
    EXPECT_EQ(peer.Child.ReadPeerLine(), "posted 1");
    EXPECT_EQ(peer.Child.ReadPeerLine(), "posted 2");
    EXPECT_EQ(peer.Child.ReadPeerLine(), "posted 3");

    EXPECT_TRUE(ShowWindow(peer.Wnd, SW_RESTORE));
    EXPECT_EQ(peer.Child.ReadPeerLine(), "show 9");
    EXPECT_TRUE(SetForegroundWindow(peer.Wnd));
    EXPECT_EQ(peer.Child.ReadPeerLine(), "foreground");
    EXPECT_TRUE(IsIconic(peer.Wnd));
}

TEST(WindowChannel, ABroadcastIsAnsweredFromInsideTheSend) {
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    UINT request = RegisterWindowMessage("PeerRequest");
    UINT response = RegisterWindowMessage("PeerResponse");
    std::vector<std::pair<WPARAM, LPARAM>> answers;
    int localRequests = 0;
    HWND mine = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == response) answers.emplace_back(m.WParam, m.LParam);
        if (m.Msg == request) ++localRequests;
    });
    SendMessage(HWND_BROADCAST, request, mine, 0);
    ASSERT_EQ(answers.size(), 1u) << "the answer arrives before the broadcast returns";
    EXPECT_EQ(answers[0].first, peer.Wnd);
    EXPECT_EQ(answers[0].second, 7);
    EXPECT_EQ(localRequests, 1) << "own windows hear the broadcast too";
    DeallocateHWnd(mine);
}

TEST(WindowChannel, ADeadProcessHasNoWindows) {
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    std::string socket = peer.SocketPath();
    struct stat st {};
    ASSERT_EQ(::stat(socket.c_str(), &st), 0);
    peer.Child.Kill();
    EXPECT_FALSE(IsWindow(peer.Wnd));
    EXPECT_EQ(SendMessage(peer.Wnd, RegisterWindowMessage("PeerPing"), 1, 0), 0);
    EXPECT_FALSE(PostMessage(peer.Wnd, WM_USER, 0, 0));
    EXPECT_FALSE(ShowWindow(peer.Wnd, SW_SHOW));
    EXPECT_EQ(FindWindow("TPeerWindow"), 0u);
    EXPECT_NE(::stat(socket.c_str(), &st), 0) << "the dead process's socket is removed";
    // A broadcast with a dead peer in the folder still returns.
    SendMessage(HWND_BROADCAST, RegisterWindowMessage("PeerRequest"), 0, 0);
}

TEST(WindowChannel, AHungPeerCostsABoundedWaitAndAnswersZero) {
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    peer.Child.Signal(SIGSTOP);
    EXPECT_EQ(SendMessage(peer.Wnd, RegisterWindowMessage("PeerPing"), 1, 0), 0);
    peer.Child.Signal(SIGCONT);
    EXPECT_EQ(SendMessage(peer.Wnd, RegisterWindowMessage("PeerPing"), 1, 0), 2);
}

TEST(WindowChannel, GarbledAndFloodingConnectionsLeaveThePeerWorking) {
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    const std::string path = peer.SocketPath();
    TChannelFrame find;
    find.Kind = TFrameKind::FindClass;
    find.ClassName = "TPeerWindow";
    std::string good = EncodeFrame(find);

    std::vector<std::string> garbage = {
        "hello, window",
        std::string("BPWC\xff\xff\xff\xff", 8),
        good.substr(0, 4) + std::string("\x10\0\0\0", 4) + std::string(16, '\0'),
    };
    for (auto& g : garbage) {
        int fd = ConnectTo(path);
        ASSERT_GE(fd, 0);
        EXPECT_TRUE(DroppedWithoutAnswer(fd, g)) << g.size();
        ::close(fd);
    }
    // A good frame is answered before the garbage after it drops the connection.
    int mixed = ConnectTo(path);
    EXPECT_EQ(AnsweredBeforeClose(mixed, good + "BPWX"), static_cast<int>(good.size()) - 11);
    ::close(mixed);
    // A frame cut short, then the connection closed.
    int cut = ConnectTo(path);
    ::send(cut, good.data(), good.size() / 2, MSG_NOSIGNAL);
    ::close(cut);

    rlimit lim{};
    ::getrlimit(RLIMIT_NOFILE, &lim);
    lim.rlim_cur = lim.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &lim);
    std::vector<int> flood;
    for (int i = 0; i < 1000; ++i) {
        int fd = ConnectTo(path);
        if (fd < 0) break;
        flood.push_back(fd);
    }
    EXPECT_GT(flood.size(), 100u);
    EXPECT_EQ(SendMessage(peer.Wnd, RegisterWindowMessage("PeerPing"), 5, 0), 6)
        << "a real request still gets through";
    for (int fd : flood)
        ::close(fd);
    EXPECT_EQ(FindWindow("TPeerWindow"), peer.Wnd);
}

TEST(WindowChannel, AnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
    TPeerWindow peer;
    ASSERT_NE(peer.Wnd, 0u);
    const std::string path = peer.SocketPath();
    // Open the folders to everyone for the moment, so only the peer's own
    // check stands between the other user and the window.
    std::vector<std::pair<std::string, mode_t>> opened;
    const std::string root = std::getenv("TMPDIR");
    for (std::string p = path; p.size() + 1 >= root.size(); p = p.substr(0, p.rfind('/'))) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0) break;
        opened.emplace_back(p, st.st_mode & 07777);
        ::chmod(p.c_str(), S_ISDIR(st.st_mode) ? 0755 : 0777);
    }
    TChannelFrame find;
    find.Kind = TFrameKind::FindClass;
    find.ClassName = "TPeerWindow";
    std::string good = EncodeFrame(find);
    pid_t pid = fork();
    if (pid == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) _exit(3);
        int fd = ConnectTo(path);
        if (fd < 0) _exit(4);
        _exit(DroppedWithoutAnswer(fd, good) ? 0 : 1);
    }
    int st = 0;
    ::waitpid(pid, &st, 0);
    for (auto& [p, mode] : opened)
        ::chmod(p.c_str(), mode);
    ASSERT_TRUE(WIFEXITED(st));
    EXPECT_EQ(WEXITSTATUS(st), 0) << "the other user's request is closed unanswered";
}

TEST(WindowChannel, SimultaneousStartsMakeOneFullInstance) {
    std::vector<std::unique_ptr<TPeerProcess>> starts;
    for (int i = 0; i < 6; ++i)
        starts.push_back(std::make_unique<TPeerProcess>(
            PeerArgs(), std::vector<std::string>{"BP_CHANNEL_PEER=single"}));
    int full = 0, second = 0;
    for (auto& s : starts) {
        std::string line = (*s).ReadPeerLine();
        full += line == "full";
        second += line == "second";
    }
    EXPECT_EQ(full, 1);
    EXPECT_EQ(second, 5);
}
