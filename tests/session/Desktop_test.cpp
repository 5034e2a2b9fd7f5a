// The desktop components against stand-in programs on a private PATH and
// private XDG folders: the opener and browser, the sound players, shortcut
// files, the background painter and the focus.
#include "session/ShellLink.h"
#include "session/SysFocus.h"
#include "session/UrlOpener.h"
#include "session/WavePlayer.h"
#include "session/uTiler.h"

#include "platform/core/Process.h"
#include "platform/core/TelnetHandler.h"
#include "session/core/DesktopEntry.h"
#include "session/core/HandlerCommand.h"

#include "support/SandboxHome.h"
#include "support/ScratchFolder.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using testsupport::TScratchFolder;

namespace {

class TDesktopEnvironment : public testing::Environment {
public:
    void SetUp() override { Home = std::make_unique<testpeer::TSandboxHome>(); }
    void TearDown() override { Home.reset(); }
    std::unique_ptr<testpeer::TSandboxHome> Home;
};
const auto* kEnvironment = testing::AddGlobalTestEnvironment(new TDesktopEnvironment);

// A folder of stand-in programs that is the whole PATH for one test, with
// private XDG folders; restored afterwards.
class TStandIns {
public:
    TStandIns() {
        for (const char* v : {"PATH", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                              "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"}) {
            const char* old = std::getenv(v);
            Saved.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        std::filesystem::create_directories(Dir.File("bin"));
        for (const char* sub : {"config", "etc", "data/applications", "system/applications"})
            std::filesystem::create_directories(Dir.File(sub));
        ::setenv("PATH", Dir.File("bin").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", Dir.File("config").c_str(), 1);
        ::setenv("XDG_CONFIG_DIRS", Dir.File("etc").c_str(), 1);
        ::setenv("XDG_DATA_HOME", Dir.File("data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", Dir.File("system").c_str(), 1);
        ::unsetenv("XDG_CURRENT_DESKTOP");
    }
    ~TStandIns() {
        for (auto& [name, value] : Saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }

    // A program that appends a line "start", its arguments (NUL-separated)
    // to <name>.log, runs body, then appends "end".
    std::string Program(const std::string& name, const std::string& body = "",
                        const std::string& where = "bin/") {
        std::string path = Dir.File(where + name);
        std::string log = Dir.File(name + ".log");
        TScratchFolder::Write(
            path, "#!/bin/sh\n"
                  "PATH=/usr/bin:/bin\n"
                  "log='" +
                      log +
                      "'\n"
                      "{ printf 'start'; for a in \"$@\"; do printf '\\0%s' \"$a\"; done; "
                      "echo; } >> \"$log\"\n" +
                      body + "\necho end >> \"$log\"\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }
    std::string Log(const std::string& name) const {
        return TScratchFolder::Read(Dir.File(name + ".log"));
    }
    // Waits for the log to hold n "end" lines (bounded; not a timing test).
    bool WaitForEnds(const std::string& name, int n) const {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Count(Log(name), "end\n") >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    static int Count(const std::string& text, const std::string& what) {
        int n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos;
             at = text.find(what, at + 1))
            ++n;
        return n;
    }
    // The argument vector of the first start in a log.
    static std::vector<std::string> FirstArgs(const std::string& log) {
        std::vector<std::string> out;
        std::string line = log.substr(0, log.find('\n'));
        if (line.rfind("start", 0) != 0) return out;
        std::size_t at = 5;
        while (at < line.size() && line[at] == '\0') {
            std::size_t next = line.find('\0', at + 1);
            out.push_back(
                line.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1));
            at = next == std::string::npos ? line.size() : next;
        }
        return out;
    }

    TScratchFolder Dir;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> Saved;
};

} // namespace

// ---- TUrlOpener -------------------------------------------------------------

TEST(UrlOpener, OpenerGetsTheAddressAsOneArgument) {
    TStandIns s;
    s.Program("xdg-open");
    TUrlOpener o;
    o.Url = "http://127.0.0.1/a b?x=$(id)&y=`id`";
    o.Execute();
    ASSERT_TRUE(s.WaitForEnds("xdg-open", 1));
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("xdg-open")), std::vector<std::string>{o.Url});
}

TEST(UrlOpener, HostWithoutSchemeIsAWebAddress) {
    TStandIns s;
    s.Program("xdg-open");
    TUrlOpener o;
    o.Url = "www.host.test";
    o.Execute();
    ASSERT_TRUE(s.WaitForEnds("xdg-open", 1));
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("xdg-open")),
              std::vector<std::string>{"http://www.host.test"});
}

TEST(UrlOpener, WithoutOpenerTheDefaultBrowserEntryRuns) {
    TStandIns s;
    std::string browser = s.Program("web browser", "", "system/");
    TScratchFolder::Write(s.Dir.File("config/mimeapps.list"),
                          "[Default Applications]\nx-scheme-handler/http=web.desktop\n");
    TScratchFolder::Write(s.Dir.File("system/applications/web.desktop"),
                          "[Desktop Entry]\nType=Application\nExec=\"" + browser +
                              "\" --new-window %u\n");
    TUrlOpener o;
    o.Url = "http://127.0.0.1/page";
    o.Execute();
    ASSERT_TRUE(s.WaitForEnds("web browser", 1));
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("web browser")),
              (std::vector<std::string>{"--new-window", "http://127.0.0.1/page"}));
}

TEST(UrlOpener, NoAddressStartsTheBrowserAloneEvenWithAnOpener) {
    TStandIns s;
    s.Program("xdg-open");
    std::string browser = s.Program("browser", "", "system/");
    TScratchFolder::Write(s.Dir.File("config/mimeapps.list"),
                          "[Default Applications]\ntext/html=b.desktop\n");
    TScratchFolder::Write(s.Dir.File("data/applications/b.desktop"),
                          "[Desktop Entry]\nExec=" + browser + " %U\n");
    TUrlOpener o;
    o.Execute();
    ASSERT_TRUE(s.WaitForEnds("browser", 1));
    EXPECT_TRUE(TStandIns::FirstArgs(s.Log("browser")).empty());
    EXPECT_EQ(s.Log("xdg-open"), "");
}

TEST(UrlOpener, NoBrowserIsSilentAndAMissingOneRaises) {
    TStandIns s;
    TUrlOpener o;
    o.Url = "http://127.0.0.1/";
    EXPECT_NO_THROW(o.Execute());
    TScratchFolder::Write(s.Dir.File("config/mimeapps.list"),
                          "[Default Applications]\nx-scheme-handler/http=gone.desktop\n");
    TScratchFolder::Write(s.Dir.File("data/applications/gone.desktop"),
                          "[Desktop Entry]\nExec=/nonexistent/browser %u\n");
    try {
        o.Execute();
        FAIL() << "no exception";
    } catch (const EUrlOpener& e) {
        EXPECT_STREQ(e.what(), "Couldn't launch default browser");
    }
}

TEST(UrlOpener, ShowCommandsMapAsTheWindowShowCommands) {
    EXPECT_EQ(UrlShowCommandValue(TUrlShowCmd::ssShowNormal), 1);
    EXPECT_EQ(UrlShowCommandValue(TUrlShowCmd::ssMinimize), 6);
    EXPECT_EQ(UrlShowCommandValue(TUrlShowCmd::ssShowDefault), 10);
    EXPECT_EQ(UrlShowCommandValue(TUrlShowCmd::ssShowMaximized),
              UrlShowCommandValue(TUrlShowCmd::ssMaximize));
}

// ---- TWavePlayer ------------------------------------------------------------

TEST(WavePlayer, LoopOnlyWhileAsync) {
    TWavePlayer p;
    p.SetLoop(true);
    EXPECT_FALSE(p.Loop());
    p.SetAsync(true);
    p.SetLoop(true);
    EXPECT_TRUE(p.Loop());
    p.SetAsync(false);
    EXPECT_FALSE(p.Loop()) << "turning Async off clears Loop";
}

TEST(WavePlayer, NoPlayerIsSilenceAndFalse) {
    TStandIns s;
    TScratchFolder::Write(s.Dir.File("beep.wav"), "RIFF");
    TWavePlayer p;
    p.WaveName = s.Dir.File("beep.wav");
    int before = 0, after = 0;
    p.BeforePlay = [&] { ++before; };
    p.AfterPlay = [&] { ++after; };
    EXPECT_FALSE(p.Play());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
}

TEST(WavePlayer, FirstPlayerOnPathPlaysTheFile) {
    TStandIns s;
    s.Program("aplay");
    s.Program("paplay");
    s.Program("pw-play");
    std::string wav = s.Dir.File("a beep; $(x).wav");
    TScratchFolder::Write(wav, "RIFF");
    TWavePlayer p;
    p.WaveName = wav;
    EXPECT_TRUE(p.Play());
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("pw-play")), std::vector<std::string>{wav});
    EXPECT_EQ(s.Log("paplay") + s.Log("aplay"), "");
}

TEST(WavePlayer, AplayQuietlyAndFailuresReadFalse) {
    TStandIns s;
    s.Program("aplay", "exit 3");
    TScratchFolder::Write(s.Dir.File("b.wav"), "RIFF");
    TWavePlayer p;
    p.WaveName = s.Dir.File("b.wav");
    EXPECT_FALSE(p.Play()) << "the player failed";
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("aplay")),
              (std::vector<std::string>{"-q", s.Dir.File("b.wav")}));
    p.WaveName = s.Dir.File("missing.wav");
    EXPECT_FALSE(p.Play());
    EXPECT_EQ(TStandIns::Count(s.Log("aplay"), "start"), 1) << "no player for a missing file";
}

TEST(WavePlayer, SoundFromMemoryGoesThroughAPrivateFileThatIsRemoved) {
    TStandIns s;
    s.Program("pw-play", "cp \"$1\" '" + s.Dir.File("copy.wav") + "'; stat -c %a \"$1\" > '" +
                             s.Dir.File("mode") + "'");
    TWavePlayer p;
    p.WaveLocation = TWaveLocation::wlRAM;
    p.WaveData = std::string("RIFF\0\x01\x02WAVE", 11);
    EXPECT_TRUE(p.Play());
    EXPECT_EQ(TScratchFolder::Read(s.Dir.File("copy.wav")), p.WaveData);
    EXPECT_EQ(TScratchFolder::Read(s.Dir.File("mode")), "600\n");
    std::string used = TStandIns::FirstArgs(s.Log("pw-play")).at(0);
    EXPECT_FALSE(std::filesystem::exists(used)) << used;
}

TEST(WavePlayer, ANewSoundEndsTheOneStillPlaying) {
    TStandIns s;
    // Plays until told to stop; says "start" once it listens for that.
    std::string path = s.Dir.File("bin/pw-play");
    std::string log = s.Dir.File("pw-play.log");
    TScratchFolder::Write(path, "#!/bin/sh\nPATH=/usr/bin:/bin\n"
                                "trap 'kill $!; echo end >> \"" +
                                    log +
                                    "\"; exit 0' TERM\n"
                                    "echo start >> '" +
                                    log + "'\nsleep 30 & wait $!\n");
    ::chmod(path.c_str(), 0755);
    TScratchFolder::Write(s.Dir.File("c.wav"), "RIFF");
    TWavePlayer p;
    p.SetAsync(true);
    p.WaveName = s.Dir.File("c.wav");
    auto started = [&](int n) {
        for (int i = 0; i < 1000; ++i) {
            if (TStandIns::Count(s.Log("pw-play"), "start") >= n) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    ASSERT_TRUE(p.Play());
    EXPECT_TRUE(p.Playing());
    ASSERT_TRUE(started(1));
    ASSERT_TRUE(p.Play());
    ASSERT_TRUE(started(2));
    p.Stop();
    EXPECT_FALSE(p.Playing());
    // Each player was ended before the next started: never two at once.
    EXPECT_EQ(s.Log("pw-play"), "start\nend\nstart\nend\n");
}

TEST(WavePlayer, LoopRestartsUntilStopped) {
    TStandIns s;
    s.Program("pw-play");
    TScratchFolder::Write(s.Dir.File("d.wav"), "RIFF");
    TWavePlayer p;
    p.SetAsync(true);
    p.SetLoop(true);
    p.WaveName = s.Dir.File("d.wav");
    ASSERT_TRUE(p.Play());
    EXPECT_TRUE(s.WaitForEnds("pw-play", 3)) << "played again after it ended";
    p.Stop();
    EXPECT_FALSE(p.Playing());
}

TEST(WavePlayer, ALoopEndsWhenThePlayerFails) {
    TStandIns s;
    s.Program("pw-play", "echo end >> \"$log\"; exit 1");
    TScratchFolder::Write(s.Dir.File("e.wav"), "RIFF");
    TWavePlayer p;
    p.SetAsync(true);
    p.SetLoop(true);
    p.WaveName = s.Dir.File("e.wav");
    ASSERT_TRUE(p.Play()) << "the player took it";
    ASSERT_TRUE(s.WaitForEnds("pw-play", 1));
    for (int i = 0; i < 500 && p.Playing(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(p.Playing());
    EXPECT_EQ(TStandIns::Count(s.Log("pw-play"), "start"), 1);
}

// ---- The telnet-link handler ------------------------------------------------

// What a desktop launcher runs for a telnet link: this program, whatever its
// folder is called, with the link as its one argument.
TEST(TelnetLinkHandler, ALauncherStartsTheProgramWithTheLinkWhateverItsFolderIsCalled) {
    TStandIns s;
    std::filesystem::create_directories(s.Dir.File("100% a$b"));
    const std::string program = s.Program("BrannocPro", "", "100% a$b/");
    const std::string command = HandlerCommandFor(program);
    const win::TXdgFolders xdg = win::TXdgFolders::FromEnvironment();
    win::WriteTelnetHandlerCommand(xdg, command, "Brannoc Pro");
    EXPECT_EQ(win::ReadTelnetHandlerCommand(xdg), command);
    const std::string entry = xdg.DataHome + "applications/" + win::TelnetHandlerEntry;
    const std::string link = "telnet://127.0.0.1:2323";

    // The desktop-entry rules, as our own reader applies them.
    const auto exec = ParseDesktopFile(TScratchFolder::Read(entry)).String("Desktop Entry", "Exec");
    ASSERT_TRUE(exec);
    TExecFields fields;
    fields.Url = link;
    std::vector<std::string> argv;
    // Every "%" starts a field code or is doubled.
    for (std::size_t i = 0; i < exec->size(); ++i) {
        if ((*exec)[i] != '%') continue;
        const char code = i + 1 < exec->size() ? (*exec)[i + 1] : '\0';
        EXPECT_NE(std::string_view("%fFuUick").find(code), std::string_view::npos) << *exec;
        ++i;
    }
    ASSERT_TRUE(SplitExecLine(*exec, fields, argv)) << *exec;
    if (!argv.empty() && argv[0] == "env") argv.erase(argv.begin());
    EXPECT_EQ(argv, (std::vector<std::string>{program, link})) << *exec;

    // A real launcher, where the machine has one.
    if (!std::filesystem::exists("/usr/bin/gio")) GTEST_SKIP() << "no gio (libglib2.0-bin)";
    win::TSpawnOptions wait;
    wait.Wait = true;
    const win::TSpawnResult r = win::SpawnProcess(
        {"/usr/bin/env", "PATH=/usr/bin:/bin", "/usr/bin/gio", "launch", entry, link}, wait);
    ASSERT_EQ(r.Error, 0);
    EXPECT_EQ(r.ExitStatus, 0);
    ASSERT_TRUE(s.WaitForEnds("BrannocPro", 1)) << "the launcher did not start the program";
    EXPECT_EQ(TStandIns::FirstArgs(s.Log("BrannocPro")), std::vector<std::string>{link});
}

// ---- TShellLink -------------------------------------------------------------

TEST(ShellLink, WrittenTwiceIsOneRunnableFileThatReadsBackEqual) {
    TScratchFolder dir;
    TShellLink link;
    link.ProgramFile = "/opt/my 100% programs/Brannoc Pro";
    link.Arguments = {"--site", "a b", "$(id)", "50%", "-x"};
    link.Description = "a shortcut\nwith a second line";
    link.IconFile = "/opt/icons/b.png";
    link.LinkFile = dir.File("Brannoc.desktop");
    link.HotKey = 0x064D;
    link.Write();
    link.Write();
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++files;
        (void)e;
    }
    EXPECT_EQ(files, 1);
    struct stat st {};
    ASSERT_EQ(::stat(link.LinkFile.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0755u);
    std::string text = TScratchFolder::Read(link.LinkFile);
    EXPECT_NE(text.find("Exec=\"/opt/my 100%% programs/Brannoc Pro\" --site \"a b\" \"\\\\$(id)\" "
                        "50%% -x\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Path=/opt/my 100% programs\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Name=Brannoc\n"), std::string::npos);

    TShellLink back;
    back.LinkFile = link.LinkFile;
    back.HotKey = 7;
    back.Read();
    EXPECT_EQ(back.ProgramFile, link.ProgramFile);
    EXPECT_EQ(back.Arguments, link.Arguments);
    EXPECT_EQ(back.Description, link.Description);
    EXPECT_EQ(back.IconFile, link.IconFile);
    EXPECT_EQ(back.WorkingDirectory, "/opt/my 100% programs");
    EXPECT_EQ(back.HotKey, 7) << "not stored, left as it was";
}

TEST(ShellLink, FailuresRaise) {
    TScratchFolder dir;
    TShellLink link;
    link.ProgramFile = "/bin/true";
    link.LinkFile = dir.File("no such folder/x.desktop");
    EXPECT_THROW(link.Write(), EShellLink);
    link.LinkFile = dir.File("missing.desktop");
    EXPECT_THROW(link.Read(), EShellLink);
    TScratchFolder::Write(link.LinkFile, "[Desktop Entry]\nExec=\"open quote\n");
    EXPECT_THROW(link.Read(), EShellLink);
    TScratchFolder::Write(link.LinkFile, "[Desktop Entry]\nName=no command\n");
    EXPECT_THROW(link.Read(), EShellLink);
}

// ---- TTiler -----------------------------------------------------------------

namespace {

QPixmap Solid(int w, int h, Qt::GlobalColor c) {
    QPixmap p(w, h);
    p.fill(c);
    return p;
}

QColor At(const QPixmap& p, int x, int y) {
    return p.toImage().pixelColor(x, y);
}

} // namespace

TEST(Tiler, OnlyAFormCanCarryIt) {
    QWidget form;
    auto* child = new QWidget(&form);
    try {
        TTiler t(child);
        FAIL() << "no exception";
    } catch (const ETiler& e) {
        EXPECT_STREQ(e.what(), "Can't attach TTiler component to something else than a TForm.");
    }
    EXPECT_THROW(TTiler(nullptr), ETiler);
}

TEST(Tiler, RightBottomCornerLeavesOneColumnAndFillsTheRest) {
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Qt::blue);
    form.setPalette(pal);
    form.resize(100, 50);
    auto* tiler = new TTiler(&form);
    tiler->SetBitmap(Solid(20, 10, Qt::red));
    tiler->SetTileMode(TTileMode::tmRightVBottom);
    tiler->SetActive(true);
    QPixmap shot = tiler->Rendered();
    ASSERT_EQ(shot.size(), QSize(100, 50));
    EXPECT_EQ(At(shot, 79, 40), QColor(Qt::red));
    EXPECT_EQ(At(shot, 98, 49), QColor(Qt::red));
    EXPECT_EQ(At(shot, 99, 45), QColor(Qt::blue)) << "the last column keeps the brush";
    EXPECT_EQ(At(shot, 78, 45), QColor(Qt::blue));
    EXPECT_EQ(At(shot, 85, 39), QColor(Qt::blue));
}

TEST(Tiler, TileCoversTheAreaAndInactiveShowsTheBrush) {
    QWidget form;
    QPalette pal = form.palette();
    pal.setColor(QPalette::Window, Qt::blue);
    form.setPalette(pal);
    form.resize(45, 25);
    TTiler tiler(&form);
    QPixmap pic(20, 10);
    pic.fill(Qt::green);
    {
        QPainter p(&pic);
        p.fillRect(0, 0, 1, 1, Qt::red);
    }
    tiler.SetBitmap(pic);
    tiler.SetActive(true);
    QPixmap shot = tiler.Rendered();
    EXPECT_EQ(At(shot, 0, 0), QColor(Qt::red));
    EXPECT_EQ(At(shot, 40, 20), QColor(Qt::red)) << "third copy across, third down";
    EXPECT_EQ(At(shot, 44, 24), QColor(Qt::green));
    // A mode change while active paints again; inactive is the brush alone.
    tiler.SetTileMode(TTileMode::tmStretch);
    EXPECT_EQ(tiler.TileMode(), TTileMode::tmStretch);
    tiler.SetActive(false);
    EXPECT_EQ(At(tiler.Rendered(), 0, 0), QColor(Qt::blue));
    tiler.Refresh();
    EXPECT_FALSE(tiler.Active()) << "Refresh keeps the state";
}

TEST(Tiler, DocumentAreaBackgroundIsPaintedAndGivenBack) {
    QMainWindow form;
    auto* mdi = new QMdiArea;
    mdi->setBackground(QBrush(Qt::darkGray));
    form.setCentralWidget(mdi);
    form.resize(200, 150);
    {
        TTiler tiler(&form);
        EXPECT_EQ(tiler.Target(), mdi->viewport());
        tiler.SetBitmap(Solid(10, 10, Qt::yellow));
        tiler.SetActive(true);
        EXPECT_EQ(mdi->background().style(), Qt::TexturePattern);
    }
    EXPECT_EQ(mdi->background().color(), QColor(Qt::darkGray));
}

// ---- TSysFocus --------------------------------------------------------------

TEST(SysFocus, MovesTheFocusAmongOurWindowsAndReportsWhoHadIt) {
    QWidget form;
    auto* layout = new QVBoxLayout(&form);
    auto* a = new QLineEdit;
    auto* b = new QLineEdit;
    layout->addWidget(a);
    layout->addWidget(b);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    TSysFocus f;
    a->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(f.GetFocus(), a);
    EXPECT_EQ(f.SetFocus(b), a);
    QApplication::processEvents();
    EXPECT_EQ(f.GetFocus(), b);
    EXPECT_EQ(f.SetFocus(nullptr), b);
}
