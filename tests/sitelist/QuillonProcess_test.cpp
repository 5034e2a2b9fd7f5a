// The site-list program as a real process: its channel to a terminal, the
// start road, connect-all, the single instance and the close on a signal.
//
// The site list runs as this test program started again (BP_QUILLON_PEER=
// quillon): the program's own start routine, driven through a FIFO of
// commands, reporting with PeerSay. The terminal is a stand-in
// (BP_QUILLON_PEER=terminal) that the site list starts through a
// "BrannocPro" script in its program folder: it opens the channel, logs each
// record and sends it back. Everything lives in a private home.
#include "QuillonInput.h"

#include "session/IPC.h"
#include "session/core/IPCRecord.h"
#include "sitelist/QuillonForm.h"
#include "sitelist/QuillonStart.h"
#include "sitelist/SiteMessages.h"
#include "support/ChildProcess.h"
#include "support/PeerProcess.h"
#include "support/SandboxHome.h"

#include <QApplication>
#include <QKeySequence>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <thread>

namespace fs = std::filesystem;

namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void AppendLine(const std::string& path, const std::string& line) {
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out << line << "\n";
}

// ---- the site list, driven by commands -----------------------------------------------------

// A key as a person types it ("Alt+D", "Return"), to the open dialog or the window.
void TypeKey(TQuillonFrm& form, const std::string& name) {
    QKeyCombination key = QKeySequence(QString::fromStdString(name))[0];
    QWidget* to = QApplication::activeModalWidget();
    QTest::keyClick(to ? to : &form, key.key(), key.keyboardModifiers());
}

void RunCommand(TQuillonFrm& form, const std::string& line) {
    std::istringstream in(line);
    std::string op;
    int arg = 0;
    in >> op;
    if (op == "key") {
        std::string name;
        in >> name;
        TypeKey(form, name);
        PeerSay("typed " + name);
        return;
    }
    in >> arg;
    if (op == "select") {
        ClickFolder(form, arg);
        PeerSay("selected " + std::to_string(form.ListView->topLevelItemCount()));
    } else if (op == "site") {
        ClickSite(form, arg);
        PeerSay("clicked");
    } else if (op == "connect") {
        ClickSite(form, arg);
        QTest::keyClick(form.ListView, Qt::Key_Return);
        PeerSay("connected");
    } else if (op == "connect-all") {
        ClickToolButton(form, form.ConnectAllAct);
        PeerSay("connect-all done");
    } else if (op == "find") {
        ClickToolButton(form, form.FindAct);
        PeerSay("found");
    } else if (op == "tree") {
        std::string names;
        for (int i = 0; i < form.TreeView->topLevelItemCount(); ++i)
            names += " " + form.TreeView->topLevelItem(i)->text(0).toStdString();
        PeerSay("tree" + names);
    } else if (op == "windows") {
        // Each shown window's id and caption, the main window first.
        std::ostringstream out;
        out << "windows";
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) out << (w == &form ? " main=" : " dialog=") << w->winId();
        PeerSay(out.str());
    } else if (op == "state") {
        PeerSay(std::string("state client=") + (form.ClientConnected() ? "1" : "0") + " window=" +
                (form.ClientWindow() ? "1" : "0") + " ready=" + (form.TerminalReady() ? "1" : "0"));
    } else if (op == "new-folder") {
        TypeKey(form, "Alt+R");
        PeerSay("created");
    } else if (op == "close") {
        form.close();
        PeerSay(form.isVisible() ? "still open" : "closed");
    }
}

// The real channel, with every record that reaches the site list logged
// (BP_SERVER_LOG): the terminal's "IPC_Open", "IPC_Close" and echoes.
class TLoggingServer : public TSiteServer {
public:
    explicit TLoggingServer(std::string log) : FLog(std::move(log)), FInner(MakeChannelServer()) {
        FInner->OnConnect = [this](win::HWND h) {
            if (OnConnect) OnConnect(h);
        };
        FInner->OnClientData = [this](const std::string& alias, win::HWND h) {
            AppendLine(FLog, alias);
            if (OnClientData) OnClientData(alias, h);
        };
        FInner->OnDisconnect = [this](win::HWND h) {
            AppendLine(FLog, "lost");
            if (OnDisconnect) OnDisconnect(h);
        };
        FInner->OnAfterClose = [this] {
            if (OnAfterClose) OnAfterClose();
        };
    }
    bool Active() const override { return FInner->Active(); }
    void Open() override { FInner->Open(); }
    void Close() override { FInner->Close(); }
    void ClearSessionName() override { FInner->ClearSessionName(); }
    bool SendSite(win::HWND client, const std::string& alias, const std::string& address,
                  int port) override {
        return FInner->SendSite(client, alias, address, port);
    }

private:
    std::string FLog;
    std::unique_ptr<TSiteServer> FInner;
};

int RunQuillonPeer() {
    // Boxes are reported, not shown; a question gets BP_ANSWER (default No).
    SetMessageHook([](TMsgKind kind, const QString& text, const QString& caption) {
        PeerSay("box " + text.toStdString());
        if (!Env("BP_HOLD_BOXES").empty()) {
            // The box stays open, as a person who has not read it yet leaves it.
            QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
            return static_cast<QMessageBox::StandardButton>(box.exec());
        }
        if (kind != TMsgKind::Confirmation) return QMessageBox::Ok;
        return Env("BP_ANSWER") == "yes" ? QMessageBox::Yes : QMessageBox::No;
    });
    TQuillonStart start;
    start.ProgramFolder = start.DataFolder = Env("BP_PROG");
    if (!Env("BP_SERVER_LOG").empty())
        start.MakeServer = [] { return std::make_unique<TLoggingServer>(Env("BP_SERVER_LOG")); };
    start.OnForm = [](TQuillonFrm& form) {
        if (!Env("BP_OPEN_WAIT_MS").empty())
            form.SetOpenTimeoutMs(std::stoi(Env("BP_OPEN_WAIT_MS")));
        int fd = ::open(Env("BP_COMMANDS").c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, &form);
        auto* pending = new std::string;
        QObject::connect(notifier, &QSocketNotifier::activated, &form, [&form, fd, pending] {
            char buf[256];
            ssize_t n;
            while ((n = ::read(fd, buf, sizeof buf)) > 0)
                pending->append(buf, static_cast<std::size_t>(n));
            std::size_t nl;
            while ((nl = pending->find('\n')) != std::string::npos) {
                std::string line = pending->substr(0, nl);
                pending->erase(0, nl + 1);
                // From the event loop itself: connect-all runs loops of its own.
                QTimer::singleShot(0, &form, [&form, line] { RunCommand(form, line); });
            }
        });
        QTimer::singleShot(0, &form, [] { PeerSay("ready"); });
    };
    int argc = 1;
    char name[] = "Quillon";
    char* argv[] = {name, nullptr};
    int rc = RunQuillon(argc, argv, start);
    PeerSay("exit");
    return rc;
}

// ---- a terminal in miniature ---------------------------------------------------------------

std::atomic<bool> gQuit{false};

int RunTerminalPeer() {
    std::string log = Env("BP_TERMINAL_LOG");
    struct sigaction sa {};
    sa.sa_handler = [](int) { gQuit = true; };
    ::sigaction(SIGTERM, &sa, nullptr);
    AppendLine(log, "pid " + std::to_string(::getpid()));
    TIPCClient client;
    client.OnData = [&](const void* data) {
        TIPCSiteRecord r;
        if (!DecodeIPCRecord(data, kIPCRecordSize, r)) return;
        AppendLine(log, "record " + r.Alias + ";" + r.Address + ";" + std::to_string(r.Port));
        std::string echo(static_cast<const char*>(data), kIPCRecordSize);
        client.SendData(echo.data(), kIPCRecordSize);
    };
    client.Open();
    if (client.Connected() && Env("BP_TERMINAL_MUTE").empty()) {
        // Logged before it goes: while the send waits for its answer, the
        // first record the site list sends in return is already handled.
        AppendLine(log, "open");
        std::string open = EncodeIPCRecord(IPCCommandRecord(kIPCOpen));
        client.SendData(open.data(), kIPCRecordSize);
    } else {
        AppendLine(log, "alone");
    }
    while (!gQuit) {
        win::ProcessMessages();
        win::WaitMessage(20);
    }
    if (client.Connected()) {
        std::string close = EncodeIPCRecord(IPCCommandRecord(kIPCClose));
        client.SendData(close.data(), kIPCRecordSize);
    }
    client.Close();
    AppendLine(log, "closed");
    return 0;
}

// ---- the test side ----------------------------------------------------------------------

class TSandboxEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (Env("BP_QUILLON_PEER").empty()) Home = std::make_unique<testpeer::TSandboxHome>();
    }
    void TearDown() override { Home.reset(); }
    std::unique_ptr<testpeer::TSandboxHome> Home;
};
auto* const kEnvironment =
    static_cast<TSandboxEnvironment*>(testing::AddGlobalTestEnvironment(new TSandboxEnvironment));

std::string SelfPath() {
    return fs::read_symlink("/proc/self/exe").string();
}

class QuillonProcessTest : public testing::Test {
protected:
    void SetUp() override {
        static int n = 0;
        Prog = kEnvironment->Home->Root() + "/prog" + std::to_string(++n) + "/";
        fs::create_directories(Prog);
        Log = Prog + "terminal.log";
        Fifo = Prog + "commands";
        ASSERT_EQ(::mkfifo(Fifo.c_str(), 0600), 0);
    }
    void TearDown() override {
        if (CommandFd >= 0) ::close(CommandFd);
        Quillon.reset();
        // Terminals the site list started are not our children: end them by
        // id, each only while that id still runs one of this test's programs.
        std::istringstream in(ReadFile(Log));
        std::string word;
        pid_t pid;
        while (in >> word)
            if (word == "pid" && in >> pid) {
                std::string cmd = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
                if (cmd.find(Prog) != std::string::npos ||
                    cmd.find("QuillonPeer.Run") != std::string::npos)
                    ::kill(pid, SIGKILL);
            }
    }

    // A "BrannocPro" in the program folder that logs its argument and runs
    // the stand-in terminal (mute: it never says "IPC_Open").
    void InstallTerminal(bool mute = false) {
        std::string script = "#!/bin/sh\nprintf 'start %s\\n' \"$1\" >> '" + Log + "'\n" +
                             "BP_QUILLON_PEER=terminal BP_TERMINAL_LOG='" + Log + "' " +
                             (mute ? "BP_TERMINAL_MUTE=1 " : "") + "exec '" + SelfPath() +
                             "' --gtest_filter=QuillonPeer.Run --gtest_brief=1 >/dev/null\n";
        std::ofstream(Prog + "BrannocPro") << script;
        fs::permissions(Prog + "BrannocPro", fs::perms::owner_all);
    }
    void PutList(const std::string& bytes) {
        std::ofstream(Prog + "Quillon.txt", std::ios::binary) << bytes;
    }
    // The site list, started and shown.
    void StartQuillon(std::vector<std::string> extraEnv = {}) {
        extraEnv.push_back("BP_QUILLON_PEER=quillon");
        extraEnv.push_back("BP_PROG=" + Prog);
        extraEnv.push_back("BP_COMMANDS=" + Fifo);
        Quillon = std::make_unique<TPeerProcess>(
            std::vector<std::string>{SelfPath(), "--gtest_filter=QuillonPeer.Run",
                                     "--gtest_brief=1"},
            extraEnv);
        ASSERT_EQ(Quillon->ReadPeerLine(), "ready");
        CommandFd = ::open(Fifo.c_str(), O_WRONLY | O_CLOEXEC);
    }
    // Sends a command; returns the site list's answer.
    std::string Ask(const std::string& command, int timeoutMs = 20000) {
        std::string line = command + "\n";
        EXPECT_EQ(::write(CommandFd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        return Quillon->ReadPeerLine(timeoutMs);
    }
    // Terminal log lines (pids left out).
    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile(Log));
        std::string line;
        while (std::getline(in, line))
            if (line.rfind("pid ", 0) != 0) lines.push_back(line);
        return lines;
    }
    // Waits until the log has `count` lines.
    bool WaitForLog(std::size_t count, int timeoutMs = 10000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            if (LogLines().size() >= count) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Asks for the state until it reads `want` (the site list sees a
    // terminal come and go on its own time).
    bool WaitForState(const std::string& want, int timeoutMs = 10000) {
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (std::chrono::steady_clock::now() < until) {
            if (Ask("state") == want) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    std::vector<pid_t> TerminalPids() const {
        std::vector<pid_t> pids;
        std::istringstream in(ReadFile(Log));
        std::string word;
        pid_t pid;
        while (in >> word)
            if (word == "pid" && in >> pid) pids.push_back(pid);
        return pids;
    }

    std::string Prog, Log, Fifo;
    int CommandFd = -1;
    std::unique_ptr<TPeerProcess> Quillon;
};

using Lines = std::vector<std::string>;

} // namespace

TEST(QuillonPeer, Run) {
    std::string part = Env("BP_QUILLON_PEER");
    if (part.empty()) GTEST_SKIP() << "runs only as a peer";
    if (part == "quillon") ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::_Exit(part == "quillon" ? RunQuillonPeer() : RunTerminalPeer());
}

TEST_F(QuillonProcessTest, TheStartRoadStartsOneTerminalAndLaterSitesGoAsRecords) {
    InstallTerminal();
    PutList("/A\r\n-//My BBS;127.0.0.1;2323;r\r\n-//b:c;host.invalid;x;\r\n");
    StartQuillon();
    EXPECT_EQ(Ask("select 0"), "selected 2");
    EXPECT_EQ(Ask("connect 0"), "connected");
    ASSERT_TRUE(WaitForLog(2));
    EXPECT_EQ(LogLines(), (Lines{"start telnet://My\xA1\x40"
                                 "BBS;127.0.0.1;2323",
                                 "open"}));
    ASSERT_TRUE(WaitForState("state client=1 window=1 ready=1"));
    // A running terminal gets the record and sends it back.
    EXPECT_EQ(Ask("connect 1"), "connected");
    ASSERT_TRUE(WaitForLog(3));
    EXPECT_EQ(LogLines()[2], "record b:c;host.invalid;23");
    EXPECT_EQ(TerminalPids().size(), 1u);
}

TEST_F(QuillonProcessTest, ConnectAllOverThreeSitesStartsOneTerminalAndSendsTheRest) {
    InstallTerminal();
    PutList("/A\r\n-//s1;h1;23;\r\n-//s2;h2;24;\r\n-//s3;h3;25;\r\n");
    StartQuillon();
    EXPECT_EQ(Ask("select 0"), "selected 3");
    EXPECT_EQ(Ask("connect-all"), "connect-all done");
    ASSERT_TRUE(WaitForLog(4));
    EXPECT_EQ(LogLines(),
              (Lines{"start telnet://s1;h1;23", "open", "record s2;h2;24", "record s3;h3;25"}));
    EXPECT_EQ(TerminalPids().size(), 1u);
}

TEST_F(QuillonProcessTest, ConnectAllEndsWhenTheTerminalIsMissingOrNeverOpensTheChannel) {
    PutList("/A\r\n-//s1;h1;23;\r\n-//s2;h2;23;\r\n-//s3;h3;23;\r\n");
    StartQuillon({"BP_OPEN_WAIT_MS=300"});
    EXPECT_EQ(Ask("select 0"), "selected 3");
    // No BrannocPro in the program folder.
    EXPECT_EQ(Ask("connect-all"), "box 執行檔不存在!");
    EXPECT_EQ(Quillon->ReadPeerLine(), "connect-all done");

    InstallTerminal(/*mute=*/true);
    EXPECT_EQ(Ask("connect-all"), "connect-all done");
    ASSERT_TRUE(WaitForLog(2));
    EXPECT_EQ(LogLines(), (Lines{"start telnet://s1;h1;23", "alone"}));
    // The window is usable again.
    EXPECT_EQ(Ask("select 0"), "selected 3");
}

TEST_F(QuillonProcessTest, AfterTheTerminalClosesOrIsKilledTheNextSiteStartsANewOne) {
    InstallTerminal();
    PutList("/A\r\n-//s1;h1;23;\r\n");
    StartQuillon();
    Ask("select 0");
    Ask("connect 0");
    ASSERT_TRUE(WaitForState("state client=1 window=1 ready=1"));
    ASSERT_EQ(TerminalPids().size(), 1u);
    // A terminal that says goodbye.
    ::kill(TerminalPids()[0], SIGTERM);
    ASSERT_TRUE(WaitForLog(3));
    ASSERT_TRUE(WaitForState("state client=0 window=0 ready=1"));
    Ask("connect 0");
    ASSERT_TRUE(WaitForLog(5));
    ASSERT_TRUE(WaitForState("state client=1 window=1 ready=1"));
    ASSERT_EQ(TerminalPids().size(), 2u);
    // A terminal that is killed.
    ::kill(TerminalPids()[1], SIGKILL);
    ASSERT_TRUE(WaitForState("state client=0 window=0 ready=1"));
    Ask("connect 0");
    ASSERT_TRUE(WaitForLog(7));
    EXPECT_EQ(LogLines(),
              (Lines{"start telnet://s1;h1;23", "open", "closed", "start telnet://s1;h1;23", "open",
                     "start telnet://s1;h1;23", "open"}));
}

TEST_F(QuillonProcessTest, ASecondStartBringsTheFirstForwardAndEnds) {
    PutList("/A\r\n");
    StartQuillon();
    fs::copy_file(testpeer::BuiltProgram("Quillon"), Prog + "Quillon");
    TPeerProcess second({Prog + "Quillon"}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(second.Wait(20000), 0);
    EXPECT_EQ(Ask("state"), "state client=0 window=0 ready=0") << "the first still runs";
    // Nor did the second write anything of its own.
    EXPECT_FALSE(fs::exists(Prog + "Quillon.ini"));
}

TEST_F(QuillonProcessTest, ACrashedInstanceLeavesNoInstanceBehind) {
    PutList("/A\r\n");
    StartQuillon();
    ::close(CommandFd);
    CommandFd = -1;
    Quillon->Kill();
    StartQuillon(); // a start after the crash is the instance: it shows its window
    EXPECT_EQ(Ask("select 0"), "selected 0");
}

TEST_F(QuillonProcessTest, TwoStartsAtOnceLeaveOneInstance) {
    PutList("/A\r\n");
    fs::copy_file(testpeer::BuiltProgram("Quillon"), Prog + "Quillon");
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen"};
    TPeerProcess a({Prog + "Quillon"}, env), b({Prog + "Quillon"}, env);
    // One of them ends (it found the other); the other keeps running.
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    int ended = 0;
    while (std::chrono::steady_clock::now() < until && ended == 0) {
        if (a.Wait(10) == 0)
            ended = 1;
        else if (b.Wait(10) == 0)
            ended = 2;
    }
    ASSERT_NE(ended, 0);
    TPeerProcess& other = ended == 1 ? b : a;
    EXPECT_EQ(other.Wait(500), -1) << "the first instance runs on";
}

TEST_F(QuillonProcessTest, ASignalClosesAsTheCloseCommandDoesWithItsSaveQuestion) {
    PutList("/A\r\n-//s1;h1;23;\r\n");
    StartQuillon({"BP_ANSWER=yes"});
    Ask("select 0");
    EXPECT_EQ(Ask("new-folder"), "created");
    Quillon->Signal(SIGTERM);
    EXPECT_EQ(Quillon->ReadPeerLine(), "box 你確定要儲存更動後的站台列表嗎?");
    EXPECT_EQ(Quillon->ReadPeerLine(), "exit");
    EXPECT_EQ(Quillon->Wait(), 0);
    EXPECT_EQ(ReadFile(Prog + "Quillon.txt.bak"), "/A\r\n-//s1;h1;23;\r\n");
    EXPECT_NE(ReadFile(Prog + "Quillon.txt")
                  .find("-/\xB7\x73\xB8\xEA\xAE\xC6\xA7\x58") /* 新資料匣 in Big5 */,
              std::string::npos);
    EXPECT_NE(ReadFile(Prog + "Quillon.ini").find("[TreeView]"), std::string::npos);
}

// The list is there but cannot be read: the box that says so opens while
// the window is being built. A signal then closes the box and ends the start
// cleanly, as it would end the program a moment later.
TEST_F(QuillonProcessTest, ASignalWhileTheStartUpBoxIsOpenEndsTheStartCleanly) {
    fs::create_directory(Prog + "Quillon.txt");
    Quillon = std::make_unique<TPeerProcess>(
        std::vector<std::string>{SelfPath(), "--gtest_filter=QuillonPeer.Run", "--gtest_brief=1"},
        std::vector<std::string>{"BP_QUILLON_PEER=quillon", "BP_PROG=" + Prog,
                                 "BP_COMMANDS=" + Fifo, "BP_HOLD_BOXES=1"});
    ASSERT_EQ(Quillon->ReadPeerLine(), "box 無法讀取 " + Prog + "Quillon.txt!");
    Quillon->Signal(SIGTERM);
    EXPECT_EQ(Quillon->ReadPeerLine(), "exit");
    EXPECT_EQ(Quillon->Wait(), 0);
    EXPECT_TRUE(fs::is_directory(Prog + "Quillon.txt"));
}

TEST_F(QuillonProcessTest, DeletingAFolderThatHoldsASubfolderLeavesTheRestAndSavesIt) {
    PutList("/A\r\n-/B\r\n--//b1;127.0.0.1;23;\r\n/C\r\n-//c1;127.0.0.1;23;\r\n");
    StartQuillon({"BP_ANSWER=yes"});
    EXPECT_EQ(Ask("select 0"), "selected 0");
    ASSERT_EQ(Ask("key Alt+D"), "typed Alt+D") << "the site list went down";
    EXPECT_EQ(Ask("tree"), "tree C");
    EXPECT_EQ(Ask("select 0"), "selected 1");
    EXPECT_EQ(Ask("close"), "box 你確定要儲存更動後的站台列表嗎?");
    EXPECT_EQ(Quillon->ReadPeerLine(), "closed");
    EXPECT_EQ(Quillon->ReadPeerLine(), "exit");
    EXPECT_EQ(Quillon->Wait(), 0);
    EXPECT_EQ(ReadFile(Prog + "Quillon.txt"), "/C\r\n-//c1;127.0.0.1;23;\r\n");
}

// ---- captions on a real X display ------------------------------------------------------------

namespace {

// A private X server for one test; Xvfb picks a free display and names it.
class TPrivateDisplay {
public:
    TPrivateDisplay() {
        int fds[2];
        if (!testpeer::HaveProgram("Xvfb") || ::pipe2(fds, O_CLOEXEC) != 0) return;
        ::fcntl(fds[1], F_SETFD, 0); // the server writes the display number here
        Server = std::make_unique<testpeer::TChildProcess>(
            std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(fds[1]), "-nolisten",
                                     "tcp", "-screen", "0", "1024x768x24"});
        ::close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        std::string number;
        char c;
        while (::poll(&p, 1, 20000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        ::close(fds[0]);
        if (!number.empty()) Name = ":" + number;
    }
    std::string Name; // empty: no display
    std::unique_ptr<testpeer::TChildProcess> Server;
};

// The caption the X server holds for a window.
std::string XWindowName(const std::string& display, const std::string& id) {
    std::string command = "DISPLAY=" + display + " LC_ALL=C.UTF-8 xprop -id " + id +
                          " -notype _NET_WM_NAME 2>/dev/null";
    std::string out;
    if (FILE* f = ::popen(command.c_str(), "r")) {
        char buf[512];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            out.append(buf, n);
        ::pclose(f);
    }
    std::size_t first = out.find('"'), last = out.rfind('"');
    return first < last ? out.substr(first + 1, last - first - 1) : "<none: " + out + ">";
}

// "windows main=1 dialog=2" -> the id after "name=".
std::string WindowId(const std::string& windows, const std::string& name) {
    std::size_t at = windows.find(" " + name + "=");
    if (at == std::string::npos) return "0";
    at += name.size() + 2;
    return windows.substr(at, windows.find(' ', at) - at);
}

} // namespace

// The window system gets the captions as they are: no program name added.
TEST_F(QuillonProcessTest, CaptionsReachTheWindowSystemWithNothingAdded) {
    TPrivateDisplay x;
    if (x.Name.empty() || !testpeer::HaveProgram("xprop")) GTEST_SKIP() << "needs Xvfb and xprop";
    PutList("/A\r\n-//s1;127.0.0.1;23;\r\n");
    StartQuillon({"QT_QPA_PLATFORM=xcb", "DISPLAY=" + x.Name});
    EXPECT_EQ(XWindowName(x.Name, WindowId(Ask("windows"), "main")), "站台列表");
    EXPECT_EQ(Ask("select 0"), "selected 1");
    EXPECT_EQ(Ask("site 0"), "clicked");
    EXPECT_EQ(XWindowName(x.Name, WindowId(Ask("windows"), "main")), "站台列表 - s1 (127.0.0.1)");
    // A dialog: its answer comes once it has closed.
    std::string find = "find\n";
    ASSERT_EQ(::write(CommandFd, find.data(), find.size()), static_cast<ssize_t>(find.size()));
    EXPECT_EQ(XWindowName(x.Name, WindowId(Ask("windows"), "dialog")), "搜尋站台");
    EXPECT_EQ(Ask("key Escape"), "typed Escape");
    EXPECT_EQ(Quillon->ReadPeerLine(), "found");
    Quillon.reset(); // before its display goes
}

// ---- with the real terminal ------------------------------------------------------------------
//
// BrannocPro itself, copied into the program folder behind a script that
// logs its pid, against busybox telnetd on loopback whose login program
// records each connection.

namespace {

// Something listens on 127.0.0.1:port (read from the kernel's table, so no
// probe connection counts as a login).
bool Listening(std::uint16_t port) {
    std::istringstream in(ReadFile("/proc/net/tcp"));
    std::string line;
    char want[16];
    std::snprintf(want, sizeof want, "0100007F:%04X", port);
    while (std::getline(in, line))
        if (line.find(want) != std::string::npos && line.find(" 0A ") != std::string::npos)
            return true;
    return false;
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::vector<std::string> FileLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

class QuillonTerminalTest : public QuillonProcessTest {
protected:
    void SetUp() override {
        QuillonProcessTest::SetUp();
        if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
        Logins = Prog + "logins";
        ServerLog = Prog + "server.log";
        std::string login = Prog + "login.sh";
        std::ofstream(login) << "#!/bin/sh\necho login >> '" + Logins + "'\nexec cat >/dev/null\n";
        fs::permissions(login, fs::perms::owner_all);
        Port = testpeer::FreePort();
        Telnetd = std::make_unique<testpeer::TChildProcess>(
            std::vector<std::string>{"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                                     std::to_string(Port), "-l", login});
        ASSERT_TRUE(WaitUntil([this] { return Listening(Port); }, 5000));
        fs::copy_file(testpeer::BuiltProgram("BrannocPro"), Prog + "BrannocPro.bin");
        std::ofstream(Prog + "BrannocPro") << "#!/bin/sh\necho pid $$ >> '" + Log + "'\nexec '" +
                                                  Prog + "BrannocPro.bin' \"$@\"\n";
        fs::permissions(Prog + "BrannocPro", fs::perms::owner_all);
        // A terminal that does not offer to become the telnet-link handler.
        std::ofstream(Prog + "Brannoc.ini", std::ios::binary) << "[Windows]\r\nAsk=1\r\n";
    }
    void TearDown() override {
        QuillonProcessTest::TearDown();
        Telnetd.reset();
    }
    std::string Site(const std::string& alias) const {
        return "-//" + alias + ";127.0.0.1;" + std::to_string(Port) + ";\r\n";
    }
    void StartQuillonLogged() { StartQuillon({"BP_SERVER_LOG=" + ServerLog}); }
    std::size_t LoginCount() const { return FileLines(Logins).size(); }
    bool WaitForLogins(std::size_t n) {
        return WaitUntil([&] { return LoginCount() >= n; });
    }
    bool WaitForServerLog(const Lines& want) {
        return WaitUntil([&] { return FileLines(ServerLog) == want; });
    }

    std::string Logins, ServerLog;
    std::uint16_t Port = 0;
    std::unique_ptr<testpeer::TChildProcess> Telnetd;
};

} // namespace

TEST_F(QuillonTerminalTest, ARunningTerminalConnectsTheSiteAndSendsTheRecordBack) {
    PutList("/A\r\n" + Site("s1"));
    StartQuillonLogged();
    TPeerProcess terminal({Prog + "BrannocPro"}, {}, false);
    ASSERT_TRUE(WaitForServerLog({"IPC_Open"})) << "the terminal found the site list";
    ASSERT_TRUE(WaitForState("state client=1 window=1 ready=1"));
    Ask("select 0");
    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(1));
    EXPECT_TRUE(WaitForServerLog({"IPC_Open", "s1"})) << "the record came back";
    EXPECT_EQ(TerminalPids().size(), 1u);
}

TEST_F(QuillonTerminalTest, WithoutATerminalTheStartRoadStartsOneThatConnects) {
    PutList("/A\r\n" + Site("My BBS"));
    StartQuillonLogged();
    Ask("select 0");
    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(1));
    EXPECT_TRUE(WaitForServerLog({"IPC_Open"}));
    EXPECT_EQ(TerminalPids().size(), 1u);
}

TEST_F(QuillonTerminalTest, ConnectAllOverThreeSitesGivesOneTerminalAndThreeConnections) {
    PutList("/A\r\n" + Site("s1") + Site("s2") + Site("s3"));
    StartQuillonLogged();
    Ask("select 0");
    EXPECT_EQ(Ask("connect-all", 60000), "connect-all done");
    ASSERT_TRUE(WaitForLogins(3));
    EXPECT_TRUE(WaitForServerLog({"IPC_Open", "s2", "s3"}));
    EXPECT_EQ(TerminalPids().size(), 1u);
}

TEST_F(QuillonTerminalTest, AfterTheTerminalIsClosedOrKilledTheNextSiteStartsANewOne) {
    PutList("/A\r\n" + Site("s1"));
    StartQuillonLogged();
    Ask("select 0");
    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(1));
    ASSERT_TRUE(WaitForServerLog({"IPC_Open"}));
    ASSERT_EQ(TerminalPids().size(), 1u);
    ::kill(TerminalPids()[0], SIGTERM); // closes as its window's close does
    ASSERT_TRUE(WaitForServerLog({"IPC_Open", "IPC_Close"}));
    ASSERT_TRUE(WaitForState("state client=0 window=0 ready=1"));

    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(2));
    ASSERT_TRUE(WaitForServerLog({"IPC_Open", "IPC_Close", "IPC_Open"}));
    ASSERT_EQ(TerminalPids().size(), 2u);
    ::kill(TerminalPids()[1], SIGKILL);
    ASSERT_TRUE(WaitForServerLog({"IPC_Open", "IPC_Close", "IPC_Open", "lost"}));
    ASSERT_TRUE(WaitForState("state client=0 window=0 ready=1"));

    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(3));
    EXPECT_EQ(TerminalPids().size(), 3u);
}

TEST_F(QuillonTerminalTest, ATerminalThatRanBeforeTheSiteListGetsTheSiteByHandOverThenListens) {
    PutList("/A\r\n" + Site("s1") + Site("s2"));
    // A terminal of its own, up once its own connection is made.
    TPeerProcess terminal({Prog + "BrannocPro", "telnet://first;127.0.0.1;" + std::to_string(Port)},
                          {}, false);
    ASSERT_TRUE(WaitForLogins(1));
    StartQuillonLogged();
    Ask("select 0");
    // Not on the channel: the start road; the second terminal hands over and ends.
    Ask("connect 0");
    ASSERT_TRUE(WaitForLogins(2));
    ASSERT_EQ(TerminalPids().size(), 2u);
    EXPECT_TRUE(WaitUntil([this] { return ::kill(TerminalPids()[1], 0) != 0; }));
    EXPECT_EQ(::kill(TerminalPids()[0], 0), 0);
    // The running terminal opened the channel on the hand-over.
    ASSERT_TRUE(WaitForServerLog({"IPC_Open"}));
    ASSERT_TRUE(WaitForState("state client=1 window=1 ready=1"));
    Ask("connect 1");
    ASSERT_TRUE(WaitForLogins(3));
    EXPECT_TRUE(WaitForServerLog({"IPC_Open", "s2"}));
    EXPECT_EQ(TerminalPids().size(), 2u);
}
