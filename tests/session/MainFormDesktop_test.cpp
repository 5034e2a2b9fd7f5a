// The main window and the desktop: the link to a stand-in site list in
// another process (this program started again, BP_DESKTOP_PEER), starting
// the site list from the program folder, the browser commands, shortcuts,
// the telnet-link command and the local address. Every test runs with a
// private home, runtime folder and PATH; nothing real is opened.
#include "session/kvMainForm.h"

#include "UserInput.h"
#include "QuietEnvironment.h"

#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "platform/core/WindowChannel.h"
#include "session/IPC.h"
#include "session/core/HandlerCommand.h"
#include "session/core/IPCRecord.h"

#include "support/ChildProcess.h"
#include "support/ModalScript.h"
#include "support/PeerProcess.h"
#include "support/SandboxHome.h"
#include "support/ScratchFolder.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/stat.h>

using testsupport::TModalScript;
using testsupport::TScratchFolder;

namespace {

// The address the boxes' connect took: the newest session's host, or
// PendingHost while no connect has run yet.
std::string TakenHost(const TkvMainForm& f) {
    return f.Sessions.empty() ? f.PendingHost : f.Sessions.back()->HostName();
}

std::string Hex(const void* data, std::size_t n) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<const unsigned char*>(data)[i];
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// A site record whose unused bytes are not zero, so an echo can be told
// from a record built again.
std::string SiteBytes(const std::string& alias, const std::string& address, int port) {
    std::string r = EncodeIPCRecord(TIPCSiteRecord{alias, address, port});
    r[62] = '\xAB';
    r[63] = '\xCD';
    return r;
}

// The stand-in site list: reports what arrives ("connect", "disconnect",
// "data ALIAS ADDRESS PORT HEX"), reopens after "IPC_Close" ("reopened"),
// and answers "IPC_Open" with the sites of BP_STANDIN_SITES
// ("alias address port" items separated by ",").
int RunSiteList() {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    TIPCServer server;
    TIPCServer* s = &server;
    server.OnConnect = [](win::HWND) { PeerSay("connect"); };
    server.OnDisconnect = [](win::HWND) { PeerSay("disconnect"); };
    server.OnClientData = [s](const void* rec, win::HWND from) {
        TIPCSiteRecord r;
        DecodeIPCRecord(rec, kIPCRecordSize, r);
        PeerSay("data " + r.Alias + " " + r.Address + " " + std::to_string(r.Port) + " " +
                Hex(rec, kIPCRecordSize));
        if (r.Alias == kIPCClose) {
            s->Close();
            s->Open();
            PeerSay("reopened");
        } else if (r.Alias == kIPCOpen && std::getenv("BP_STANDIN_RAW")) {
            // Too short, too long, and lengths that point past their fields.
            std::string bad(69, 'x');
            s->SendData(bad.data(), from, 67);
            s->SendData(bad.data(), from, 69);
            std::string r68(kIPCRecordSize, '\0');
            r68[0] = static_cast<char>(200);
            for (int i = 1; i < 31; ++i)
                r68[i] = 'a';
            r68[31] = static_cast<char>(255);
            for (int i = 32; i < 62; ++i)
                r68[i] = 'b';
            r68[62] = 'c';
            r68[63] = 'c';
            r68[64] = r68[65] = r68[66] = r68[67] = '\xff';
            s->SendData(r68.data(), from, kIPCRecordSize);
        } else if (r.Alias == kIPCOpen) {
            const char* sites = std::getenv("BP_STANDIN_SITES");
            std::string list = sites ? sites : "";
            std::size_t start = 0;
            while (start < list.size()) {
                std::size_t end = list.find(',', start);
                if (end == std::string::npos) end = list.size();
                char alias[64], address[64];
                int port = 0;
                if (std::sscanf(list.substr(start, end - start).c_str(), "%63s %63s %d", alias,
                                address, &port) == 3) {
                    std::string out = SiteBytes(alias, address, port);
                    s->SendData(out.data(), from, kIPCRecordSize);
                }
                start = end + 1;
            }
        }
    };
    server.Open();
    PeerSay("ready");
    for (;;) {
        win::ProcessMessages();
        win::WaitMessage(50);
    }
}

class TDesktopEnvironment : public testing::Environment {
public:
    void SetUp() override {
        if (std::getenv("BP_DESKTOP_PEER")) return;
        Home = std::make_unique<testpeer::TSandboxHome>();
        win::InstallQtMessageLoop();
    }
    void TearDown() override { Home.reset(); }
    std::unique_ptr<testpeer::TSandboxHome> Home;
};
const auto* kEnvironment = testing::AddGlobalTestEnvironment(new TDesktopEnvironment);

std::string SelfPath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> SiteListArgs() {
    return {SelfPath(), "--gtest_filter=DesktopPeer.Run", "--gtest_brief=1"};
}

// Runs the GUI while waiting (peers send to our windows and wait for us).
bool Pump(const std::function<bool()>& done, int boundMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > boundMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
        ::usleep(2000);
    }
    return true;
}

// The next line a peer says, running the GUI meanwhile.
std::string NextLine(TPeerProcess& p, int boundMs = 10000) {
    std::string line;
    Pump(
        [&] {
            line = p.ReadPeerLine(5);
            return !line.empty();
        },
        boundMs);
    return line;
}

// The desktop the form sees: folders in a scratch folder, the telnet-link
// handler in memory.
class TTestEnvironment : public sessiontest::TQuietEnvironment {
public:
    explicit TTestEnvironment(const TScratchFolder& dir, const std::string& desktop = "Desktop/")
        : TQuietEnvironment({dir.File("prog dir/"), dir.File("win/"), dir.File("tmp/"),
                             desktop.empty() ? "" : dir.File(desktop)},
                            "Brannoc Pro") {}
    bool ReadTelnetHandler(std::string* command) override {
        *command = *Handler;
        return HandlerExists;
    }
    bool WriteTelnetHandler(const std::string& command) override {
        *Handler = command;
        return true;
    }
    bool HandlerExists = false;
    std::shared_ptr<std::string> Handler = std::make_shared<std::string>();
};

class MainFormDesktop : public testing::Test {
protected:
    void SetUp() override {
        for (const char* sub : {"prog dir", "win", "tmp", "Desktop", "bin"})
            std::filesystem::create_directories(Dir.File(sub));
        OldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", Dir.File("bin").c_str(), 1);
    }
    void TearDown() override {
        Form.reset();
        ::setenv("PATH", OldPath.c_str(), 1);
    }
    TkvMainForm& MakeForm(bool show = true, std::string desktop = "Desktop/") {
        auto env = std::make_unique<TTestEnvironment>(Dir, std::move(desktop));
        Env = env.get();
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{}, std::move(env));
        if (show) Form->show();
        return *Form;
    }
    // Chooses the command `name` from the window's menu bar with the mouse.
    void Choose(const char* name) {
        EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action(QString::fromLatin1(name))))
            << name;
    }
    // A stand-in program on PATH (or elsewhere) that writes its arguments,
    // one per line, to <name>.args.
    std::string Recorder(const std::string& name, const std::string& where = "bin/") {
        std::string path = Dir.File(where + name);
        TScratchFolder::Write(
            path,
            "#!/bin/sh\nPATH=/usr/bin:/bin\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                Dir.File(name + ".tmp") + "'\nmv '" + Dir.File(name + ".tmp") + "' '" +
                Dir.File(name + ".args") + "'\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    bool WaitForFile(const std::string& path) {
        return Pump([&] { return std::filesystem::exists(path); });
    }

    TScratchFolder Dir;
    std::unique_ptr<TkvMainForm> Form;
    TTestEnvironment* Env = nullptr;
    std::string OldPath;
};

} // namespace

TEST(DesktopPeer, Run) {
    const char* part = std::getenv("BP_DESKTOP_PEER");
    if (!part) GTEST_SKIP() << "runs only as a peer";
    std::_Exit(RunSiteList());
}

// ---- the link to the site list ---------------------------------------------

TEST_F(MainFormDesktop, SiteListFirstThenTerminal_SiteConnectsAndTheSameBytesComeBack) {
    TPeerProcess sitelist(SiteListArgs(),
                          {"BP_DESKTOP_PEER=1", "BP_STANDIN_SITES=home 127.0.0.1 2323"});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(sitelist), "connect");
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    ASSERT_TRUE(f.IPCClient->Connected());

    // The site went into the boxes, and its own 68 bytes came back.
    std::string echo = NextLine(sitelist);
    EXPECT_EQ(echo, "data home 127.0.0.1 2323 " +
                        Hex(SiteBytes("home", "127.0.0.1", 2323).data(), kIPCRecordSize));
    EXPECT_EQ(f.HostNameComboBox->currentText().toStdString(), "home");
    EXPECT_EQ(f.SiteNameOverride, "home");
    EXPECT_EQ(TakenHost(f), "127.0.0.1");
    EXPECT_EQ(f.HostNameComboBox->toolTip().toStdString(), "127.0.0.1");
    EXPECT_EQ(f.PortEdit->text().toStdString(), "2323");

    // Closing says "IPC_Close"; the site list opens its channel again.
    f.close();
    EXPECT_EQ(NextLine(sitelist).substr(0, 17), "data IPC_Close  0");
    EXPECT_EQ(NextLine(sitelist), "reopened");
}

TEST_F(MainFormDesktop, ASiteFromTheSiteListBecomesAConnectedSession) {
    if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
    const std::uint16_t port = testpeer::FreePort();
    testpeer::TChildProcess telnetd({"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                                     std::to_string(port), "-l", "/bin/sh"});
    ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
    const std::string site = "bbs 127.0.0.1 " + std::to_string(port);
    TPeerProcess sitelist(SiteListArgs(), {"BP_DESKTOP_PEER=1", "BP_STANDIN_SITES=" + site});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(sitelist), "connect");
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    // The echo comes once the connect has run its course.
    EXPECT_EQ(NextLine(sitelist, 20000).substr(0, site.size() + 6), "data " + site + " ");
    ASSERT_TRUE(Pump([&] { return f.ConnectCount == 1; }));
    EXPECT_EQ(f.Sessions.size(), 1u);
}

TEST_F(MainFormDesktop, AHandOverFromASecondStartSaysOpenAgain) {
    TPeerProcess sitelist(SiteListArgs(), {"BP_DESKTOP_PEER=1"});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(sitelist), "connect");
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    // A second start without a site only brings the window forward; the
    // link is opened (already open) and announced once more.
    f.WMRemoteConnect(0);
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    EXPECT_TRUE(f.IPCClient->Connected());
}

TEST_F(MainFormDesktop, SitesArrivingTogetherAreConnectedOneAfterTheOther) {
    TPeerProcess sitelist(
        SiteListArgs(), {"BP_DESKTOP_PEER=1", "BP_STANDIN_SITES=one 127.0.0.1 23,two 127.0.0.2 0"});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(sitelist), "connect");
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    EXPECT_EQ(NextLine(sitelist).substr(0, 22), "data one 127.0.0.1 23 ");
    EXPECT_EQ(NextLine(sitelist).substr(0, 21), "data two 127.0.0.2 0 ");
    EXPECT_EQ(f.HostNameComboBox->currentText().toStdString(), "two");
    EXPECT_EQ(f.PortEdit->text().toStdString(), "0");
}

TEST_F(MainFormDesktop, BadRecordsAreRefusedAndLengthsStayInTheirFields) {
    TPeerProcess sitelist(SiteListArgs(), {"BP_DESKTOP_PEER=1", "BP_STANDIN_RAW=1"});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(sitelist), "connect");
    EXPECT_EQ(NextLine(sitelist).substr(0, 16), "data IPC_Open  0");
    // Only the 68-byte record came through, and came back.
    std::string echo = NextLine(sitelist);
    EXPECT_EQ(echo.substr(0, 69),
              "data " + std::string(30, 'a') + " " + std::string(30, 'b') + " -1");
    EXPECT_EQ(f.HostNameComboBox->currentText().toStdString(), std::string(30, 'a'));
    EXPECT_EQ(TakenHost(f), std::string(30, 'b'));
    EXPECT_EQ(f.PortEdit->text().toStdString(), "-1");
    Pump([] { return false; }, 300);
    EXPECT_EQ(sitelist.ReadPeerLine(50), "") << "nothing else was echoed";
}

TEST_F(MainFormDesktop, NoSiteListMeansNoRecordAndNoQuestion) {
    TModalScript modal;
    TkvMainForm& f = MakeForm();
    Pump([] { return false; }, 300);
    EXPECT_FALSE(f.IPCClient->Connected());
}

TEST_F(MainFormDesktop, ADeadSiteListGivesWayToTheNextOne) {
    auto first = std::make_unique<TPeerProcess>(SiteListArgs(),
                                                std::vector<std::string>{"BP_DESKTOP_PEER=1"});
    ASSERT_EQ(first->ReadPeerLine(), "ready");
    TkvMainForm& f = MakeForm();
    EXPECT_EQ(NextLine(*first), "connect");
    ASSERT_TRUE(f.IPCClient->Connected());
    first->Kill();
    EXPECT_TRUE(Pump([&] { return !f.IPCClient->Connected(); }))
        << "the dead server counts as gone";

    TPeerProcess next(SiteListArgs(), {"BP_DESKTOP_PEER=1"});
    ASSERT_EQ(next.ReadPeerLine(), "ready");
    EXPECT_TRUE(f.IpcOpen());
    EXPECT_EQ(NextLine(next), "connect");
    EXPECT_EQ(NextLine(next).substr(0, 16), "data IPC_Open  0");
}

TEST_F(MainFormDesktop, ATerminalProcessThatIsKilledIsReportedToTheSiteList) {
    const char* bin = std::getenv("BP_BINARY_DIR");
    std::string terminal = bin ? std::string(bin) + "/BrannocPro" : "";
    if (terminal.empty() || ::access(terminal.c_str(), X_OK) != 0) GTEST_SKIP() << "no program";
    // Run from a program folder of the test's own, so its files go there.
    std::string copy = Dir.File("prog dir/BrannocPro");
    std::filesystem::copy_file(terminal, copy);
    // Settings that skip the telnet-link question (it would wait for a click).
    TScratchFolder::Write(Dir.File("prog dir/Brannoc.ini"), "[Windows]\r\nAsk=1\r\n");
    TPeerProcess sitelist(SiteListArgs(), {"BP_DESKTOP_PEER=1"});
    ASSERT_EQ(sitelist.ReadPeerLine(), "ready");
    TPeerProcess program({copy}, {"QT_QPA_PLATFORM=offscreen"}, false);
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(sitelist.ReadPeerLine(20000), "connect");
    EXPECT_EQ(sitelist.ReadPeerLine(20000).substr(0, 16), "data IPC_Open  0");
    program.Kill();
    EXPECT_EQ(sitelist.ReadPeerLine(20000), "disconnect");
}

// ---- starting the site list --------------------------------------------------

TEST_F(MainFormDesktop, SiteListStartedFromTheProgramFolderGetsOneOpen) {
    // "Quillon" in the program folder: notes each start and its pid, then
    // runs the stand-in with its output in a file.
    std::string out = Dir.File("sitelist.out");
    std::string quillon = Dir.File("prog dir/Quillon");
    TScratchFolder::Write(quillon, "#!/bin/sh\necho $$ >> '" + Dir.File("starts") +
                                       "'\nBP_DESKTOP_PEER=1 exec '" + SelfPath() +
                                       "' --gtest_filter=DesktopPeer.Run --gtest_brief=1 >> '" +
                                       out + "'\n");
    ::chmod(quillon.c_str(), 0755);
    TModalScript modal;
    TkvMainForm& f = MakeForm();
    QAction* cmd = f.Action(QStringLiteral("Quillon"));
    Choose("Quillon");
    EXPECT_FALSE(cmd->isEnabled()) << "waits for the site list";
    Choose("Quillon"); // a second click meanwhile starts nothing
    ASSERT_TRUE(Pump([&] { return f.IPCClient->Connected(); }, 15000));
    ASSERT_TRUE(Pump([&] { return cmd->isEnabled(); }));
    Pump([] { return false; }, 300);
    std::string said = TScratchFolder::Read(out);
    std::string starts = TScratchFolder::Read(Dir.File("starts"));
    int opens = 0;
    for (std::size_t at = said.find("@data IPC_Open "); at != std::string::npos;
         at = said.find("@data IPC_Open ", at + 1))
        ++opens;
    EXPECT_EQ(opens, 1) << said;
    EXPECT_EQ(std::count(starts.begin(), starts.end(), '\n'), 1) << starts;
    // The stand-in runs in a session of its own: ended here by its id.
    pid_t pid = std::atoi(starts.c_str());
    if (pid > 1) ::kill(pid, SIGKILL);
}

TEST_F(MainFormDesktop, NoSiteListProgramIsSilent) {
    TModalScript modal;
    TkvMainForm& f = MakeForm();
    QAction* cmd = f.Action(QStringLiteral("Quillon"));
    Choose("Quillon");
    Pump([] { return false; }, 200);
    EXPECT_TRUE(cmd->isEnabled());
    EXPECT_FALSE(f.IPCClient->Connected());
}

// ---- browser ---------------------------------------------------------------

TEST_F(MainFormDesktop, ConfiguredBrowserGetsTheAddressAsItsOneArgument) {
    std::string browser = Recorder("my browser", "prog dir/");
    TkvMainForm& f = MakeForm();
    f.Settings.BrowserFilename = browser;
    f.OpenUrl("http://127.0.0.1/a b;$(id)");
    ASSERT_TRUE(WaitForFile(Dir.File("my browser.args")));
    EXPECT_EQ(TScratchFolder::Read(Dir.File("my browser.args")), "http://127.0.0.1/a b;$(id)\n");
    std::filesystem::remove(Dir.File("my browser.args"));
    f.OpenUrl("www.host.test");
    ASSERT_TRUE(WaitForFile(Dir.File("my browser.args")));
    EXPECT_EQ(TScratchFolder::Read(Dir.File("my browser.args")), "http://www.host.test\n");
    std::filesystem::remove(Dir.File("my browser.args"));
    Choose("GotoBrowser");
    ASSERT_TRUE(WaitForFile(Dir.File("my browser.args")));
    EXPECT_EQ(TScratchFolder::Read(Dir.File("my browser.args")), "") << "no empty argument";
}

TEST_F(MainFormDesktop, MissingBrowserShowsTheStartersMessage) {
    TModalScript modal;
    modal.Ok();
    TkvMainForm& f = MakeForm(false);
    f.Settings.BrowserFilename = Dir.File("no such browser");
    f.OpenUrl("http://127.0.0.1/");
    ASSERT_EQ(modal.Texts.size(), 1u);
    EXPECT_EQ(modal.Texts[0], "執行檔不存在!");
}

TEST_F(MainFormDesktop, WithoutBrowserTheDesktopOpensTheHomePage) {
    Recorder("xdg-open");
    MakeForm();
    Choose("Brannoconline1");
    ASSERT_TRUE(WaitForFile(Dir.File("xdg-open.args")));
    std::string args = TScratchFolder::Read(Dir.File("xdg-open.args"));
    EXPECT_EQ(args.rfind("https://", 0), 0u) << args;
    EXPECT_EQ(std::count(args.begin(), args.end(), '\n'), 1);
}

// 說明 → the home page on a desktop with no opener and no browser: a box
// says so, rather than nothing happening.
TEST_F(MainFormDesktop, HomePageWithNothingToOpenItSaysSo) {
    std::vector<std::pair<const char*, std::string>> saved;
    for (const char* v : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
        const char* old = std::getenv(v);
        saved.emplace_back(v, old ? old : "");
        ::setenv(v, Dir.File("no desktop").c_str(), 1);
    }
    TModalScript modal;
    modal.Ok();
    TkvMainForm& f = MakeForm();
    QApplication::setActiveWindow(&f);
    QMenuBar* bar = f.menuBar();
    QAction* help = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == QString::fromUtf8("說明(&H)")) help = a;
    ASSERT_NE(help, nullptr);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(help).center());
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* item = f.Action(QStringLiteral("Brannoconline1"));
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
    EXPECT_TRUE(Pump([&] { return !modal.Texts.empty(); }));
    for (const auto& [name, value] : saved)
        value.empty() ? ::unsetenv(name) : ::setenv(name, value.c_str(), 1);
    ASSERT_EQ(modal.Texts.size(), 1u);
    EXPECT_NE(modal.Texts[0].find("https://"), std::string::npos) << modal.Texts[0];
}

TEST_F(MainFormDesktop, BellAndProgramStartsGoThroughTheDesktopParts) {
    Recorder("pw-play");
    std::string tool = Recorder("tool", "prog dir/");
    TScratchFolder::Write(Dir.File("bell.wav"), "RIFF");
    TkvMainForm& f = MakeForm(false);
    ASSERT_TRUE(f.BeepPlayer);
    EXPECT_FALSE(f.BeepPlayer("")) << "no file: the caller beeps instead";
    EXPECT_TRUE(f.BeepPlayer(Dir.File("bell.wav")));
    ASSERT_TRUE(WaitForFile(Dir.File("pw-play.args")));
    EXPECT_EQ(TScratchFolder::Read(Dir.File("pw-play.args")), Dir.File("bell.wav") + "\n");

    std::string error;
    ASSERT_TRUE(f.StartProgram);
    EXPECT_TRUE(f.StartProgram(tool, {"ftp://127.0.0.1/a b", "local:/tmp/"}, &error));
    ASSERT_TRUE(WaitForFile(Dir.File("tool.args")));
    EXPECT_EQ(TScratchFolder::Read(Dir.File("tool.args")), "ftp://127.0.0.1/a b\nlocal:/tmp/\n");
    EXPECT_FALSE(f.StartProgram(Dir.File("missing tool"), {}, &error));
    EXPECT_EQ(win::Big5ToUtf8(error), "執行檔不存在!");
}

// ---- shortcuts, telnet links, local address ----------------------------------

TEST_F(MainFormDesktop, DesktopShortcutTwiceIsOneEntryForThisProgram) {
    TModalScript modal;
    MakeForm();
    Choose("DesktopItemIndex");
    Choose("DesktopItemIndex");
    std::vector<std::string> files;
    for (auto& e : std::filesystem::directory_iterator(Dir.File("Desktop")))
        files.push_back(e.path().filename().string());
    ASSERT_EQ(files, std::vector<std::string>{"Brannoc.desktop"});
    std::string text = TScratchFolder::Read(Dir.File("Desktop/Brannoc.desktop"));
    EXPECT_NE(text.find("Exec=\"" + Dir.File("prog dir/Brannoc Pro") + "\"\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Path=" + Dir.File("prog dir") + "\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Icon=brannocpro\n"), std::string::npos) << text;
}

TEST_F(MainFormDesktop, ProgramMenuShortcutGoesToTheMenuFolder) {
    TModalScript modal;
    MakeForm();
    Choose("ProgramMenuItem");
    const char* data = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(data, nullptr);
    std::string entry = std::string(data) + "/applications/Brannoc.desktop";
    EXPECT_TRUE(std::filesystem::exists(entry));
    std::filesystem::remove(entry);
}

TEST_F(MainFormDesktop, UnknownShortcutFolderWritesNothing) {
    TModalScript modal;
    modal.Ok();
    MakeForm(true, "");
    Choose("DesktopItemIndex");
    EXPECT_EQ(modal.Texts.size(), 1u);
    EXPECT_TRUE(std::filesystem::is_empty(Dir.File("Desktop")));
    EXPECT_FALSE(std::filesystem::exists("/Brannoc.desktop"));
}

TEST_F(MainFormDesktop, TelnetLinksOnlyWhereAHandlerIsSetUp) {
    MakeForm();
    *Env->Handler = "other %u";
    Env->HandlerExists = false;
    Choose("DefaultTelnet");
    EXPECT_EQ(*Env->Handler, "other %u");
    Env->HandlerExists = true;
    Choose("DefaultTelnet");
    EXPECT_EQ(*Env->Handler, HandlerCommandFor(Dir.File("prog dir/Brannoc Pro")));
}

TEST_F(MainFormDesktop, LocalAddressBox) {
    TModalScript modal;
    modal.Ok();
    MakeForm();
    Choose("ShowLocalIP");
    ASSERT_EQ(modal.Texts.size(), 1u);
    EXPECT_EQ(modal.Texts[0].rfind("Local IP address: ", 0), 0u);
}
