// The main window's site settings and session events on real sessions:
// a book site connected from the address book logs in to a scripted peer and
// to busybox telnetd by itself, the bell state comes and goes, links reach a
// stand-in FTP program as one argument each, and the anti-idle string goes
// out only in the states it should.
#include "BookHost.h"
#include "QuietEnvironment.h"
#include "SessionPeers.h"
#include "UserInput.h"
#include "support/ChildProcess.h"
#include "support/ModalScript.h"
#include "support/SandboxHome.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedServer.h"

#include "controls/Flash.h"
#include "dialogs/DirectoryDialog.h"
#include "platform/CodePage.h"
#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/core/SessionEvents.h"
#include "session/core/StrCrypt.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <sys/stat.h>

using sessiontest::WaitFor;
using testsupport::TScratchFolder;

namespace {

std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

// Every folder is the scratch folder; nothing asks the user anything.
using TEnv = sessiontest::TQuietEnvironment;

using sessiontest::TBookHost;

// Forwards the session's events to the form, as the form will as owner.
struct TForward : TConnectionOwner {
    TkvMainForm* Form = nullptr;
    TSessionDefaults Defaults;
    int Closed = 0;
    const TSessionDefaults& SessionDefaults() const override { return Defaults; }
    std::string TakePendingScript() override { return {}; }
    int TakeSessionNumber() override { return 1; }
    void SessionConnected(TConnection* s) override {
        s->Busy = 0;
        s->ScriptPos = 1;
        s->ScriptDone = 0;
    }
    void ConnectionSessionClosed(TConnection* s) override {
        s->Busy = 0;
        ++Closed;
    }
    void ConnectFailed(TConnection* s) override { s->Busy = 0; }
    void SessionBeep(TConnection* s) override { Form->SessionBeep(s); }
    void SessionKeyWord(TConnection* s) override { Form->SessionKeyWord(s); }
    void ScriptTimerTimer(TConnection* s) override { Form->ScriptTimerTimer(s); }
    void SessionTimer1(TConnection* s) override { Form->SessionTimer1(s); }
    void SessionTimer2(TConnection* s) override { Form->SessionTimer2(s); }
    void SessionHeadString(TConnection* s, const std::string& h) override {
        Form->SessionHeadString(s, h);
    }
};

class MainFormLogin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static testpeer::TSandboxHome home;
        win::InstallQtMessageLoop();
    }
    TScratchFolder Folder;
    std::unique_ptr<TkvMainForm> Form;
    TBookHost Host;
    std::unique_ptr<TDirectoryDlg> Book;
    TForward Owner;
    std::map<TConnection*, int> Rows;
    std::string Heads;

    // A book whose password is "none" (no question) and one site.
    void WriteBook(const std::string& siteLines) {
        TScratchFolder::Write(Folder.File("Brannoc.ini"), "[Windows]\r\nAsk=1\r\n");
        TScratchFolder::Write(Folder.File("Directory.ini"),
                              "[*Setting*]\r\nPassword=" + session::EncodeStoredKey("none") +
                                  "\r\n[bbs]\r\n" + siteLines);
    }
    void Start() {
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TEnv>(Folder.Path()));
        Host.Dir = Form->SettingsDir;
        Book = std::make_unique<TDirectoryDlg>(Host, 1024);
        DirectoryDlg = Book.get();
        Owner.Form = Form.get();
        Form->SessionRowState = [this](TConnection* s) { return Rows[s]; };
        Form->SetSessionRowState = [this](TConnection* s, int v) { Rows[s] = v; };
        Form->ShowSessionHeadString = [this](TConnection*, const std::string& h) { Heads += h; };
    }
    void TearDown() override {
        if (Form) {
            // The sessions the test made are its own; the form's go with it.
            std::erase_if(Form->Sessions, [this](TConnection* s) { return Mine.count(s) != 0; });
            Form->CurrentSession = Form->Sessions.empty() ? -1 : 0;
            Form->close();
        }
        if (Book && DirectoryDlg == Book.get()) DirectoryDlg = nullptr;
        Book.reset();
        Form.reset();
    }
    std::set<TConnection*> Mine;
    // A session of the form connecting to alias from the address book.
    std::unique_ptr<TConnection> ConnectFromBook(const std::string& alias) {
        auto c = std::make_unique<TConnection>(Owner);
        c->show(); // the screen's timers run once it is shown
        Form->Sessions.push_back(c.get());
        Mine.insert(c.get());
        Form->CurrentSession = static_cast<int>(Form->Sessions.size()) - 1;
        Book->LoadSite(alias);
        Form->HostNameComboBox->setEditText(win::Big5ToQString(alias));
        Form->FromDirectory = 1;
        Form->ApplySiteSettings(c.get());
        Form->FromDirectory = 0;
        return c;
    }
};

// A screen line that is exactly `line`.
bool OutputLine(const std::string& screen, const std::string& line) {
    std::size_t start = 0;
    while (start <= screen.size()) {
        std::size_t end = screen.find('\n', start);
        if (end == std::string::npos) end = screen.size();
        if (screen.compare(start, end - start, line) == 0) return true;
        start = end + 1;
    }
    return false;
}

} // namespace

TEST_F(MainFormLogin, BookSiteLogsInToTheScriptedPeer) {
    const std::string idPrompt = B5("請輸入代號："), pwPrompt = B5("請輸入您的密碼：");
    std::string early, got;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, idPrompt.substr(0, 7));
        early = bptest::ReadToEnd(fd, 300);
        bptest::SendAll(fd, idPrompt.substr(7));
        bptest::ReadUntil(fd, "\r", got);
        bptest::SendAll(fd, pwPrompt);
        bptest::ReadUntil(fd, "pw\r", got);
        bptest::SendAll(fd, "ok\r\n");
        bptest::ReadToEnd(fd, 2000);
    });
    WriteBook("Hostname=127.0.0.1\r\nPort=" + server.PortStr() +
              "\r\nLogin=1\r\nTriggerStr=" + idPrompt + "\r\nLoginKey=" +
              session::EncodeStoredKey(B5("一年") + "^M@" + pwPrompt + "@pw^M") + "\r\n");
    Start();
    auto c = ConnectFromBook("bbs");
    EXPECT_EQ(c->HostName(), "127.0.0.1");
    EXPECT_EQ(c->SiteName, "bbs");
    EXPECT_EQ(Form->HostNameComboBox->toolTip(), "127.0.0.1");
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(*c, "ok"); }));
    EXPECT_EQ(early, "");
    EXPECT_EQ(got, B5("一年") + "\rpw\r");
    EXPECT_EQ(Heads, B5("一年")); // ShowID is on by default
}

TEST_F(MainFormLogin, BookSiteLogsInToBusyboxTelnetd) {
    if (!testpeer::HaveProgram("busybox")) GTEST_SKIP() << "no busybox";
    std::string out;
    if (testpeer::RunCommand("busybox telnetd --help 2>&1", out) == 127 ||
        out.find("telnetd") == std::string::npos)
        GTEST_SKIP() << "busybox has no telnetd";
    // The login program: Big5 prompts, name and password read with echo off,
    // then a shell with a prompt of the test's own.
    auto octal = [](const std::string& bytes) {
        std::string s;
        char buf[8];
        for (unsigned char b : bytes) {
            std::snprintf(buf, sizeof buf, "\\%03o", b);
            s += buf;
        }
        return s;
    };
    const std::string idPrompt = B5("請輸入代號："), pwPrompt = B5("請輸入您的密碼：");
    const std::string script = Folder.File("login.sh");
    TScratchFolder::Write(script,
                          "#!/bin/sh\n"
                          "printf '" +
                              octal(idPrompt) +
                              "'\n"
                              "stty -echo\n"
                              "read name\n"
                              "printf '\\r\\n" +
                              octal(pwPrompt) +
                              "'\n"
                              "read pw\n"
                              "stty echo\n"
                              "printf '\\r\\n'\n"
                              "[ \"$name\" = 'guest' ] && [ \"$pw\" = 'sec ret' ] || exit 1\n"
                              "PS1='bp-test$ ' exec busybox sh -i\n");
    chmod(script.c_str(), 0700);
    const int port = testpeer::FreePort();
    testpeer::TChildProcess telnetd(
        {"busybox", "telnetd", "-F", "-b", "127.0.0.1:" + std::to_string(port), "-l", script});
    ASSERT_TRUE(testpeer::WaitForListener(static_cast<std::uint16_t>(port), 5000));
    WriteBook("Hostname=127.0.0.1\r\nPort=" + std::to_string(port) +
              "\r\nLogin=1\r\nTriggerStr=" + idPrompt + "\r\nLoginKey=" +
              session::EncodeStoredKey("guest^M@" + pwPrompt + "@sec ret^M@bp-test$@echo o''k^M") +
              "\r\n");
    Start();
    auto c = ConnectFromBook("bbs");
    c->StartConnect();
    // "echo o''k" echoes as typed; only the command's output is "ok" alone.
    ASSERT_TRUE(WaitFor([&] { return OutputLine(sessiontest::ScreenText(*c), "ok"); }))
        << sessiontest::ScreenText(*c);
    EXPECT_EQ(c->ScriptDone, 1);
}

TEST_F(MainFormLogin, BellStateComesAndGoes) {
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "ring\a\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    WriteBook("Hostname=127.0.0.1\r\nPort=" + server.PortStr() + "\r\n");
    Start();
    Form->Settings.ClearBeepInterval = 50;
    Form->Settings.BeepKind = 0; // silent
    auto c = ConnectFromBook("bbs");
    Rows[c.get()] = session::rsConnecting;
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return Rows[c.get()] == session::rsBell; }));
    ASSERT_TRUE(WaitFor([&] { return Rows[c.get()] == session::rsConnected; }));
    // The window flashes until the housekeeping timer ends it.
    TFlash* flash = Form->Flash;
    ASSERT_TRUE(flash);
    EXPECT_TRUE(flash->Enabled());
    EXPECT_TRUE(WaitFor([&] { return !flash->Enabled(); }, 5000));
}

TEST_F(MainFormLogin, FtpLinkReachesTheProgramAsOneArgumentEach) {
    WriteBook("Hostname=127.0.0.1\r\n");
    Start();
    const std::string record = Folder.File("args.txt");
    const std::string program = Folder.File("ftp stand-in");
    TScratchFolder::Write(program,
                          "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                              record + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    chmod(program.c_str(), 0700);
    Form->Settings.DownloadMethod = session::dmFtpProgram;
    Form->Settings.FTPFile = program;
    Form->Settings.DownloadDir = Folder.File("down load");
    const std::string link = "ftp://h.example/a b;$(touch pwned)'\"`x`";
    Form->SessionHyperlink(nullptr, link, session::lkFtp);
    ASSERT_TRUE(WaitFor([&] { return !TScratchFolder::Read(record).empty(); }));
    EXPECT_EQ(TScratchFolder::Read(record),
              "[" + link + "]\n[local:" + Folder.File("down load") + "/]\n");
    struct stat st;
    EXPECT_NE(stat(Folder.File("pwned").c_str(), &st), 0);
    EXPECT_NE(stat("pwned", &st), 0);
}

TEST_F(MainFormLogin, AntiIdleOnlyWhenLoggedInAndInTheRightState) {
    std::string got;
    bptest::TScriptedServer server([&](int fd, int) {
        bptest::SendAll(fd, "hi\r\n");
        got = bptest::ReadToEnd(fd, 1500);
    });
    WriteBook("Hostname=127.0.0.1\r\nPort=" + server.PortStr() +
              "\r\nAutoSendKey=\\x00\r\nAutoSendKeyLen=0\r\n");
    Start();
    auto c = ConnectFromBook("bbs");
    auto other = std::make_unique<TConnection>(Owner);
    Form->Sessions.push_back(other.get()); // c is no longer current
    Mine.insert(other.get());
    Form->CurrentSession = 1;
    c->ForeAutoSendKey = c->BackAutoSendKey = true;
    c->SetTimer2Interval(0);
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(*c, "hi"); }));
    Form->SessionTimer2(c.get()); // not logged in: nothing
    c->SetHeadString("guest");
    Form->show();
    ASSERT_FALSE(Form->Action("BackDontAutoSendKey")->isChecked());
    EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action("BackDontAutoSendKey")));
    Form->SessionTimer2(c.get()); // turned off for the background: nothing
    EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action("BackDontAutoSendKey")));
    Form->SessionTimer2(c.get()); // one NUL
    ASSERT_TRUE(WaitFor([&] { return server.Idle(); }, 5000));
    EXPECT_EQ(got, std::string(1, '\0'));
}

TEST_F(MainFormLogin, FtpProgramThatCannotStartIsReported) {
    WriteBook("Hostname=127.0.0.1\r\n");
    Start();
    Form->Settings.DownloadMethod = session::dmFtpProgram;
    Form->Settings.FTPFile = Folder.File("no such program");
    testsupport::TModalScript answers;
    answers.Ok();
    Form->SessionHyperlink(nullptr, "ftp://h.example/", session::lkFtp);
    ASSERT_EQ(answers.Texts.size(), 1u);
    EXPECT_NE(answers.Texts[0].find("執行檔不存在!"), std::string::npos) << answers.Texts[0];
}

TEST_F(MainFormLogin, ThousandBellsStartOnePlayerAtATime) {
    // A stand-in sound player first on PATH: it records each start and
    // notes when a second one runs beside it.
    const std::string bin = Folder.File("bin/");
    mkdir(bin.c_str(), 0700);
    const std::string d = Folder.Path();
    const std::string log = Folder.File("players.log");
    TScratchFolder::Write(bin + "pw-play", "#!/bin/sh\n"
                                           "trap 'echo \"end $$\" >> \"$BP_LOG\"; exit 0' TERM\n"
                                           "echo \"start $$ $1\" >> \"$BP_LOG\"\n"
                                           "sleep 0.2 & wait\n"
                                           "echo \"end $$\" >> \"$BP_LOG\"\n");
    setenv("BP_LOG", log.c_str(), 1);
    chmod((bin + "pw-play").c_str(), 0700);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
    TScratchFolder::Write(Folder.File("bell.wav"), "RIFF");

    bptest::TScriptedServer server([&](int fd, int) {
        for (int i = 0; i < 10; ++i)
            bptest::SendAll(fd, std::string(100, '\a'));
        bptest::SendAll(fd, "done\r\n");
        bptest::ReadToEnd(fd, 3000);
    });
    WriteBook("Hostname=127.0.0.1\r\nPort=" + server.PortStr() + "\r\n");
    Start();
    Form->Settings.BeepKind = session::kBeepSound | session::kBeepWave;
    Form->Settings.BeepFilename = Folder.File("bell.wav");
    auto c = ConnectFromBook("bbs");
    c->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(*c, "done"); }));
    ASSERT_TRUE(WaitFor([&] { return !TScratchFolder::Read(log).empty(); }));
    std::erase(Form->Sessions, c.get());
    Form->CurrentSession = -1;
    c.reset();
    Form->close();
    Form.reset(); // the player ends with the window
    setenv("PATH", savedPath.c_str(), 1);
    // Replay the log: a start while another player is still running is an
    // overlap.
    std::istringstream lines(TScratchFolder::Read(log));
    std::set<std::string> running;
    int starts = 0, overlaps = 0;
    std::string word, pid, file;
    while (lines >> word >> pid) {
        if (word == "start") {
            std::getline(lines, file);
            if (!file.empty() && file[0] == ' ') file.erase(0, 1);
            EXPECT_EQ(file, Folder.File("bell.wav"));
            if (!running.empty()) ++overlaps;
            running.insert(pid);
            ++starts;
        } else {
            running.erase(pid);
        }
    }
    EXPECT_GE(starts, 1);
    EXPECT_LE(starts, 1000);
    EXPECT_EQ(overlaps, 0);
    RecordProperty("players", starts);
}

TEST_F(MainFormLogin, MailLinkReachesTheDesktopOpenerAsOneArgument) {
    const std::string bin = Folder.File("bin/");
    mkdir(bin.c_str(), 0700);
    const std::string record = Folder.File("opener.args");
    TScratchFolder::Write(bin + "xdg-open",
                          "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                              record + ".part'\nmv '" + record + ".part' '" + record + "'\n");
    chmod((bin + "xdg-open").c_str(), 0700);
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", (bin + ":/usr/bin:/bin").c_str(), 1);
    WriteBook("Hostname=127.0.0.1\r\n");
    Start();
    // A browser named in the preferences is for web links, not mail.
    Form->Settings.BrowserFilename = Folder.File("no browser");
    const std::string address = "a b;$(touch pwned)'\"@h.example";
    Form->SessionHyperlink(nullptr, address, session::lkMail);
    const bool seen = WaitFor([&] { return !TScratchFolder::Read(record).empty(); });
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_TRUE(seen);
    EXPECT_EQ(TScratchFolder::Read(record), "[mailto:" + address + "]\n");
    struct stat st;
    EXPECT_NE(stat(Folder.File("pwned").c_str(), &st), 0);
}

// The whole road: the address book's connect button, the window's connect,
// a new session window, its site settings, the connect and the login.
TEST_F(MainFormLogin, AddressBookConnectButtonLogsInByItself) {
    if (!testpeer::HaveProgram("busybox")) GTEST_SKIP() << "no busybox";
    const std::string idPrompt = B5("請輸入代號："), pwPrompt = B5("請輸入您的密碼：");
    const std::string script = Folder.File("login.sh");
    TScratchFolder::Write(script, "#!/bin/sh\n"
                                  "printf '\\r\\n%s' \"$BP_ID\"\n"
                                  "stty -echo\nread name\n"
                                  "printf '\\r\\n%s' \"$BP_PW\"\n"
                                  "read pw\nstty echo\nprintf '\\r\\n'\n"
                                  "[ \"$name\" = \"$BP_NAME\" ] && [ \"$pw\" = 'x y' ] || exit 1\n"
                                  "PS1='bp-book$ ' exec busybox sh -i\n");
    chmod(script.c_str(), 0700);
    setenv("BP_ID", idPrompt.c_str(), 1);
    setenv("BP_PW", pwPrompt.c_str(), 1);
    setenv("BP_NAME", B5("一年").c_str(), 1);
    const int port = testpeer::FreePort();
    testpeer::TChildProcess telnetd(
        {"busybox", "telnetd", "-F", "-b", "127.0.0.1:" + std::to_string(port), "-l", script});
    ASSERT_TRUE(testpeer::WaitForListener(static_cast<std::uint16_t>(port), 5000));
    WriteBook(
        "Hostname=127.0.0.1\r\nPort=" + std::to_string(port) +
        "\r\nLogin=1\r\nTriggerStr=" + idPrompt + "\r\nLoginKey=" +
        session::EncodeStoredKey(B5("一年") + "^M@" + pwPrompt + "@x y^M@bp-book$@echo o''k^M") +
        "\r\n");
    Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                         std::make_unique<TEnv>(Folder.Path()));
    Form->show();
    testsupport::TModalScript modals;
    sessiontest::ConnectFromBook(*Form, modals, "bbs");
    ASSERT_EQ(Form->Sessions.size(), 1u);
    TConnection& c = *Form->Sessions[0];
    EXPECT_EQ(c.SiteName, "bbs");
    ASSERT_TRUE(WaitFor([&] { return OutputLine(sessiontest::ScreenText(c), "ok"); }))
        << sessiontest::ScreenText(c);
    EXPECT_EQ(c.ScriptDone, 1);
}

// Site A (login on a keyword) connects and drops; the same window then
// connects to site B (no login), whose peer shows A's keyword.
TEST_F(MainFormLogin, ReusedWindowOnASiteWithoutLoginTypesNothing) {
    const std::string idPrompt = B5("請輸入代號：");
    bptest::TScriptedServer a([&](int fd, int) { bptest::SendAll(fd, "bye\r\n"); });
    std::string gotB;
    bptest::TScriptedServer b([&](int fd, int) {
        bptest::SendAll(fd, idPrompt + "\r\n");
        gotB = bptest::ReadToEnd(fd, 800);
        bptest::SendAll(fd, "seen\r\n");
    });
    WriteBook("Hostname=127.0.0.1\r\nPort=" + a.PortStr() + "\r\nLogin=1\r\nTriggerStr=" +
              idPrompt + "\r\nLoginKey=" + session::EncodeStoredKey("secret^M") +
              "\r\n[plain]\r\nHostname=127.0.0.1\r\nPort=" + b.PortStr() + "\r\n");
    Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                         std::make_unique<TEnv>(Folder.Path()));
    Form->show();
    Form->Settings.Remove = false;
    Form->Settings.ReConnect = false;
    testsupport::TModalScript modals;
    auto connect = [&](const char* alias) { sessiontest::ConnectFromBook(*Form, modals, alias); };
    connect("bbs");
    ASSERT_EQ(Form->Sessions.size(), 1u);
    TConnection& c = *Form->Sessions[0];
    ASSERT_TRUE(WaitFor([&] { return !c.IsConnected() && !c.Busy && a.Idle(); }));
    EXPECT_EQ(c.LoginScript, "secret^M");
    connect("plain");
    ASSERT_EQ(Form->Sessions.size(), 1u) << "the idle window is used again";
    ASSERT_TRUE(WaitFor([&] { return sessiontest::ScreenHas(c, "seen"); }));
    EXPECT_EQ(gotB, "");
    EXPECT_EQ(c.SiteName, "plain");
}
