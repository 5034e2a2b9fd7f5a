// The main window's start and end in one process: every setting through
// the window and back into Brannoc.ini, the telnet-link offer, a save that
// fails, the command line at the first show and a hand-over request.
#include "session/kvMainForm.h"

#include "QuietEnvironment.h"
#include "UserInput.h"

#include "../support/FileAccess.h"
#include "../support/ModalScript.h"
#include "../support/SandboxHome.h"
#include "../support/ScratchFolder.h"

#include "platform/CodePage.h"
#include "platform/WriteErrorBox.h"
#include "platform/core/Big5.h"
#include "platform/core/IniFile.h"
#include "platform/core/TelnetHandler.h"
#include "platform/core/WriteError.h"
#include "session/core/HandlerCommand.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The address the boxes' connect took: the newest session's host, or
// PendingHost while no connect has run yet.
std::string TakenHost(const TkvMainForm& f) {
    return f.Sessions.empty() ? f.PendingHost : f.Sessions.back()->HostName();
}

using testsupport::TModalScript;
using testsupport::TScratchFolder;

// Every folder is the scratch folder. The telnet-link handler is either a
// scripted one (Handler, HandlerOpens) or the desktop's real one (RealHandler),
// which the test then points into a sandbox home.
class TTestEnvironment : public sessiontest::TQuietEnvironment {
public:
    explicit TTestEnvironment(const std::string& folder)
        : TQuietEnvironment({folder, folder + "windows/", folder, folder + "desktop/"}) {}
    bool AskDefaultTelnet(QWidget* owner, bool* dontAsk) override {
        ++Asked;
        if (RealDialog) return TMainFormEnvironment::AskDefaultTelnet(owner, dontAsk);
        *dontAsk = AnswerDontAsk;
        return AnswerYes;
    }
    bool ReadTelnetHandler(std::string* command) override {
        if (RealHandler) return TMainFormEnvironment::ReadTelnetHandler(command);
        *command = Handler;
        return HandlerOpens;
    }
    bool WriteTelnetHandler(const std::string& command) override {
        if (RealHandler) return TMainFormEnvironment::WriteTelnetHandler(command);
        Written.push_back(command);
        return true;
    }

    bool RealHandler = false;
    bool RealDialog = false;
    std::string Handler;
    bool HandlerOpens = false;
    bool AnswerYes = false;
    bool AnswerDontAsk = false;
    int Asked = 0;
    std::vector<std::string> Written;
};

class MainFormStart : public ::testing::Test {
protected:
    TScratchFolder Folder;
    std::unique_ptr<TkvMainForm> Form;
    TTestEnvironment* Env = nullptr;

    void SetUp() override { win::RearmWriteError(); }
    void TearDown() override { Stop(); }

    std::string IniPath() const { return Folder.File("Brannoc.ini"); }
    std::string Ini() const { return TScratchFolder::Read(IniPath()); }
    TMainSettings ReadBack() const {
        TMainSettings s;
        s.Load(win::TIniText(Ini()), Screen());
        return s;
    }
    static TSettingsEnvironment Screen() {
        TSettingsEnvironment e;
        QRect g = QGuiApplication::primaryScreen()->geometry();
        e.ScreenWidth = g.width();
        e.ScreenHeight = g.height();
        return e;
    }

    // Builds the window; configure runs on its environment before FormCreate.
    void Build(std::vector<std::string> args = {},
               const std::function<void(TTestEnvironment&)>& configure = {}) {
        auto env = std::make_unique<TTestEnvironment>(Folder.Path());
        Env = env.get();
        if (configure) configure(*env);
        Form = std::make_unique<TkvMainForm>(std::move(args), std::move(env));
    }
    void Start(std::vector<std::string> args = {},
               const std::function<void(TTestEnvironment&)>& configure = {}) {
        Build(std::move(args), configure);
        Form->show();
        (void)QTest::qWaitForWindowExposed(Form.get());
        QCoreApplication::processEvents();
    }
    void Stop() {
        if (!Form) return;
        Form->close();
        Form.reset();
        Env = nullptr;
        QCoreApplication::processEvents();
    }
    QString HostBox() const { return Form->HostNameComboBox->currentText(); }
    // Hidden files in the settings folder (temporary copies of saves).
    std::vector<std::string> HiddenNames() const {
        std::vector<std::string> names = testsupport::FolderNames(Folder.Path());
        std::erase_if(names, [](const std::string& n) { return n.front() != '.'; });
        return names;
    }
    QString PortBox() const { return Form->PortEdit->text(); }
};

// ---- Every key through the window ----------------------------------------

TEST_F(MainFormStart, EverySettingRoundTripsThroughTheWindow) {
    QImage(8, 8, QImage::Format_RGB32).save(QString::fromStdString(Folder.File("back.png")));
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();

    TMainSettings s(Screen());
    s.Ask = true;
    s.ShowConnectionList1 = false;
    s.ShowConnectionList2 = false;
    s.ConnectionList1Height = 60;
    s.ConnectionList2Width = 150;
    s.ScrollBarVisible = false;
    s.ApplyDefaultSetting = true;
    s.Max = false;
    s.MoveToLeftTopWhenConnection = false;
    s.DontLogin = true;
    s.Focus = false;
    s.ForeDontAutoKey = true;
    s.BackDontAutoKey = true;
    s.AutoSaveFontSize = false;
    s.MdiPicture = true;
    s.MdiPictureStyle = 0;
    s.MdiPictureFilename = Folder.File("back.png");
    s.Left = screen.x() + 20;
    s.Top = screen.y() + 10;
    s.Width = std::min(700, screen.width() - 40);
    s.Height = std::min(500, screen.height() - 20);
    s.MaxHostNumber = 5;
    s.MaxBufferRows = 3000;
    s.CRLF = 2;
    s.DelayInterval = 50;
    s.Caption = true;
    s.ShowID = false;
    s.CopyMark = true;
    s.RightBtnCopy = true;
    s.DecodeQP = true;
    s.DisconnectQuery = true;
    s.Remove = true;
    s.ReConnect = false;
    s.Magnetic = true;
    s.WwwHyperlinkColor = 1;
    s.FtpHyperlinkColor = 2;
    s.EmailHyperlinkColor = 3;
    s.GlobalPicture = true;
    s.Picture = true;
    s.PictureFilename = win::Utf8ToBig5("/圖/背景.bmp");
    s.PictureStyle = 1;
    s.Transparent = true;
    s.Transparency = 70;
    s.Color = 0x80000005;
    s.Punctuation = false;
    s.Big5BackSpace = false;
    s.Big5Delete = false;
    s.Big5Arrow = true;
    s.ClearBeepInterval = 9000;
    s.BeepKind = 1;
    s.Flash = false;
    s.CaretType = true;
    s.CaretHeight = 5;
    s.CaretImageFilename = "/caret.bmp";
    s.AnsiCode = 1;
    s.AnsiCtrl = "Y";
    s.Port = "2323";
    s.BrowserFilename = "/usr/bin/browser";
    s.BmpListBoxColor = 0x00102030;
    s.BmpListBoxFontColor = 0x80000008;
    s.Toolbars[tbSpeedBtn].Visible = false;
    s.Toolbars[tbFunction].Visible = false;
    s.StatusBar = false;
    s.LineLock = true;
    s.FontGlobal = true;
    s.FontName = win::Utf8ToBig5("標楷體");
    s.FontSize = 15;
    s.FontBold = true;
    s.FontItalic = true;
    s.FontSpaceV = 2;
    s.FgColors[1] = 0x123456;
    s.BgColors[15] = 0x654321;
    s.Hosts = {win::Utf8ToBig5("批踢踢"), "127.0.0.1", "127.0.0.2"};
    s.FTPFile = "/usr/bin/ftp";
    s.DownloadDir = "/dl/";
    s.DownloadMethod = 0;
    s.MoveToX = 33;
    s.MoveToY = 44;
    s.KeyGroup = 4;
    s.SpeedLabels[0] = win::Utf8ToBig5("回文");
    s.SpeedLabels[11] = "End";
    s.SpeedKeys[0] = "y\\r";
    s.SpeedKeys[11] = "^X";

    const std::string foreign =
        "[DirectoryDialog]\r\nSelected=" + win::Utf8ToBig5("站台") + "\r\n[Find]\r\nText=x y\r\n";
    win::TIniText ini(foreign);
    s.Save(ini);
    ini.Set("Windows", "Ask", "1");
    TScratchFolder::Write(IniPath(), ini.Text());

    Start();
    EXPECT_EQ(HostBox(), QString::fromUtf8("批踢踢"));
    EXPECT_EQ(PortBox(), "2323");
    Stop();

    TMainSettings back = ReadBack();
    // The whole model, field by field, so a failure names the field.
    EXPECT_EQ(back.Toolbars, s.Toolbars);
    EXPECT_EQ(back.Hosts, s.Hosts);
    EXPECT_EQ(back.SpeedLabels, s.SpeedLabels);
    EXPECT_EQ(back.SpeedKeys, s.SpeedKeys);
    EXPECT_EQ(back.Left, s.Left);
    EXPECT_EQ(back.Top, s.Top);
    EXPECT_EQ(back.Width, s.Width);
    EXPECT_EQ(back.Height, s.Height);
    EXPECT_EQ(back.ConnectionList1Height, s.ConnectionList1Height);
    EXPECT_EQ(back.ConnectionList2Width, s.ConnectionList2Width);
    EXPECT_EQ(back.AnsiCtrl, s.AnsiCtrl);
    EXPECT_EQ(back.MdiPictureFilename, s.MdiPictureFilename);
    EXPECT_TRUE(back == s);
    // Sections of the dialogs stay as they were, byte for byte.
    std::string after = Ini();
    EXPECT_NE(after.find(foreign.substr(0, foreign.find("[Find]"))), std::string::npos);
    EXPECT_NE(after.find("[Find]\r\nText=x y\r\n"), std::string::npos);
}

TEST_F(MainFormStart, ShownListsKeepTheirSizes) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nConnectionList1Height=60\r\n"
                                     "ConnectionList2Width=150\r\n");
    Start();
    Stop();
    EXPECT_EQ(ReadBack().ConnectionList1Height, 60);
    EXPECT_EQ(ReadBack().ConnectionList2Width, 150);
}

TEST_F(MainFormStart, AWindowSavedOffEveryScreenOrTooSmallComesBackUsable) {
    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nLeft=-30000\r\nTop=40000\r\n"
                                     "Width=3\r\nHeight=-8\r\n");
    Start();
    // Places are the whole window's, frame included.
    QRect g = Form->frameGeometry();
    EXPECT_TRUE(screen.intersects(g)) << g.x() << "," << g.y();
    EXPECT_GE(g.width(), kMinWindowWidth);
    EXPECT_GE(g.height(), kMinWindowHeight);
    Stop();
    // What was written is the usable place, read back the same next time.
    TMainSettings back = ReadBack();
    EXPECT_EQ(back.Left, g.x());
    EXPECT_EQ(back.Top, g.y());
    EXPECT_EQ(back.Width, g.width());
}

// Stored bytes that code page 950 has no character for (a user-defined
// Big5 pair) are written back as they were, not as "?".
TEST_F(MainFormStart, BytesWithoutACharacterSurviveASave) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n"
                                     "h1=bbs\xFA\x40x\r\n[SpeedButton]\r\nKeyGroup=1\r\n"
                                     "[SpeedButton1]\r\nLabel0=k\xFA\x41\r\n");
    Start();
    Stop();
    EXPECT_NE(Ini().find("h1=bbs\xFA\x40x\r\n"), std::string::npos) << Ini();
    EXPECT_NE(Ini().find("Label0=k\xFA\x41\r\n"), std::string::npos) << Ini();
}

TEST_F(MainFormStart, ViewSettingsReachTheControlsBeforeTheFirstShow) {
    TScratchFolder::Write(
        IniPath(), "[Windows]\r\nAsk=1\r\nShowConnectionList2=0\r\nAnsiCtrl=\r\nPort=4000\r\n"
                   "MDI.Picture=1\r\nMDI.PictureFilename=/nowhere/missing.png\r\n"
                   "[ToolBar]\r\nStatusBar=0\r\n[SpeedButton]\r\nKeyGroup=2\r\n"
                   "[SpeedButton2]\r\nLabel3=abc\r\nKey3=xyz\r\n");
    Build();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_FALSE(Form->BmpListBox->isVisibleTo(Form.get()));
    EXPECT_FALSE(Form->statusBar()->isVisibleTo(Form.get()));
    EXPECT_EQ(PortBox(), "4000");
    // No history: the built-in host, which nothing here connects to.
    EXPECT_EQ(HostBox(), QString::fromLatin1(BuiltInHost));
    EXPECT_EQ(Form->LastHostText, BuiltInHost);
    EXPECT_EQ(Form->KeyGroup, 2);
    EXPECT_EQ(Form->SpeedButtons[3]->text(), "abc");
    EXPECT_EQ(Form->SpeedKeys[3], "xyz");
    EXPECT_EQ(Form->SpeedButtons[3]->toolTip(), "F4:xyz");
    // An empty letter reads as "U"; a picture that cannot be loaded is off.
    EXPECT_EQ(Form->Action("AnsiCtrl")->text(), "&Ctrl + U");
    EXPECT_FALSE(Form->Action("PictureMenuItem")->isChecked());
    EXPECT_FALSE(Form->FirstShowDone);
    EXPECT_EQ(Form->CurrentSession, -1);
    Stop();
    TMainSettings back = ReadBack();
    EXPECT_FALSE(back.MdiPicture);
    EXPECT_EQ(back.MdiPictureFilename, "");
    EXPECT_EQ(back.AnsiCtrl, "U");
}

// ---- Closing -------------------------------------------------------------

TEST_F(MainFormStart, ClosingSavesOnceAndAnUnbuiltWindowSavesNothing) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nPort=4000\r\n");
    Start();
    sessiontest::TypeOver(Form->PortEdit, "2424");
    Form->close();
    EXPECT_TRUE(Form->LastSaveOk());
    EXPECT_EQ(ReadBack().Port, "2424");
    // A second close (the program's quit path) writes nothing again.
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nPort=1\r\n");
    Form->FormClose();
    Form.reset();
    EXPECT_EQ(Ini(), "[Windows]\r\nAsk=1\r\nPort=1\r\n");

    // A window closed before FormCreate (a signal during start-up) would
    // only write designed values over the user's file: it writes nothing.
    auto env = std::make_unique<TTestEnvironment>(Folder.Path());
    Form =
        std::make_unique<TkvMainForm>(std::vector<std::string>{}, std::move(env), nullptr, false);
    Form->close();
    Form.reset();
    EXPECT_EQ(Ini(), "[Windows]\r\nAsk=1\r\nPort=1\r\n");
}

TEST_F(MainFormStart, AFailedSaveKeepsTheOldFileAndShowsOneBox) {
    win::InstallWriteErrorBox();
    const std::string old = "[Windows]\r\nAsk=1\r\nPort=23\r\n";
    TScratchFolder::Write(IniPath(), old);
    TModalScript modal;
    modal.Ok();
    Start({}, [](TTestEnvironment& e) { e.HandlerOpens = false; });
    sessiontest::TypeOver(Form->PortEdit, "2525");
    {
        // The disk is full while the window closes.
        testsupport::TFileSizeLimit full(static_cast<rlim_t>(old.size()));
        ASSERT_TRUE(full.Active);
        Form->close();
        QCoreApplication::processEvents();
        QTest::qWait(50);
    }
    EXPECT_FALSE(Form->LastSaveOk());
    // The value stays in memory after the failure.
    EXPECT_EQ(Form->Settings.Port, "2525");
    Form.reset();
    ASSERT_EQ(modal.Texts.size(), 1u);
    EXPECT_EQ(modal.Texts[0], "無法寫入 " + IniPath() + "!");
    EXPECT_EQ(Ini(), old);
    EXPECT_EQ(HiddenNames(), std::vector<std::string>{});

    // The message comes once a run: the next failing close shows nothing
    // (the script has no answer left, so a box would fail the test).
    Start({}, [](TTestEnvironment& e) { e.HandlerOpens = false; });
    {
        testsupport::TFileSizeLimit full(static_cast<rlim_t>(old.size()));
        Form->close();
        QTest::qWait(50);
    }
    EXPECT_FALSE(Form->LastSaveOk());
    win::SetWriteErrorHandler(nullptr);
}

// A Brannoc.ini that is there but cannot be read is named as unreadable as
// the window is built (before the link-handler question), the defaults go
// on, and the file is never written over: no later write names it again.
TEST_F(MainFormStart, AnUnreadableFileIsNamedOnceAtStartAndKeptAsItIs) {
    win::InstallWriteErrorBox();
    struct TCase {
        const char* Name;
        std::function<void(const std::string&)> Make;
    };
    std::vector<TCase> cases = {
        {"a folder", [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); }},
        {"a FIFO", [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }},
        {"too big",
         [](const std::string& p) {
             TScratchFolder::Write(p, "[Windows]\r\nAsk=1\r\n");
             ASSERT_EQ(::truncate(p.c_str(), (65 << 20)), 0);
         }},
    };
    // The superuser reads a file of mode 000 anyway.
    if (::geteuid() != 0)
        cases.push_back({"mode 000", [](const std::string& p) {
                             TScratchFolder::Write(p, "[Windows]\r\nAsk=1\r\n");
                             ASSERT_EQ(::chmod(p.c_str(), 0), 0);
                         }});
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        std::filesystem::remove_all(IniPath());
        c.Make(IniPath());
        struct stat before {};
        ASSERT_EQ(::lstat(IniPath().c_str(), &before), 0);
        win::RearmWriteError();
        TModalScript modal;
        modal.Ok();
        // The offer is asked and answered; its "do not ask again" cannot be
        // stored.
        Start({}, [](TTestEnvironment& e) {
            e.HandlerOpens = true;
            e.AnswerDontAsk = true;
        });
        EXPECT_EQ(Env->Asked, 1);
        EXPECT_EQ(Form->PortEdit->text(), "23");
        Form->PortEdit->setText("2525");
        Stop();
        QTest::qWait(20);
        ASSERT_EQ(modal.Texts.size(), 1u);
        EXPECT_EQ(modal.Texts[0], "無法讀取 " + IniPath() + "!");
        struct stat after {};
        ASSERT_EQ(::lstat(IniPath().c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(after.st_size, before.st_size);
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (::chmod(IniPath().c_str(), 0600) != 0) ADD_FAILURE() << "cannot restore the mode";
    }
    win::SetWriteErrorHandler(nullptr);
}

// A save killed half-way left its hidden copy of Brannoc.ini (and of the
// address book): the next start removes them.
TEST_F(MainFormStart, TheNextStartRemovesCopiesThatKilledSavesLeft) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\n");
    for (const char* copy : {".Brannoc.ini.tmp81234", ".Directory.ini.tmp7"})
        TScratchFolder::Write(Folder.File(copy), std::string(4096, 'x'));
    ASSERT_EQ(HiddenNames().size(), 2u);
    Build({}, [](TTestEnvironment& e) { e.HandlerOpens = false; });
    EXPECT_EQ(HiddenNames(), std::vector<std::string>{});
}

// ---- The telnet-link offer -----------------------------------------------

TEST_F(MainFormStart, OfferOnlyWhenAnotherProgramOrNoneHandlesLinks) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nPort=23\r\n");
    // Handler settings that cannot be opened: no question.
    Build({}, [](TTestEnvironment& e) { e.HandlerOpens = false; });
    EXPECT_EQ(Env->Asked, 0);
    Stop();
    // This program already, in another letter case and with quotes.
    Build({}, [](TTestEnvironment& e) {
        e.HandlerOpens = true;
        e.Handler = "\"/opt/other place/brannocpro\" %u";
    });
    EXPECT_EQ(Env->Asked, 0);
    Stop();
    // Another program: asked; No without the check box asks again next time.
    Build({}, [](TTestEnvironment& e) {
        e.HandlerOpens = true;
        e.Handler = "/usr/bin/othertelnet %u";
    });
    EXPECT_EQ(Env->Asked, 1);
    EXPECT_TRUE(Env->Written.empty());
    EXPECT_FALSE(ReadBack().Ask);
    Stop();
    // No handler at all counts as another one. Yes with the check box
    // registers this program and is never asked again.
    Build({}, [](TTestEnvironment& e) {
        e.HandlerOpens = true;
        e.AnswerYes = true;
        e.AnswerDontAsk = true;
    });
    EXPECT_EQ(Env->Asked, 1);
    ASSERT_EQ(Env->Written.size(), 1u);
    EXPECT_EQ(Env->Written[0], HandlerCommandFor(Folder.File("BrannocPro")));
    // Written at once, not only at close.
    EXPECT_TRUE(ReadBack().Ask);
    Stop();
    EXPECT_TRUE(ReadBack().Ask);
    Build({}, [](TTestEnvironment& e) { e.HandlerOpens = true; });
    EXPECT_EQ(Env->Asked, 0);
}

TEST_F(MainFormStart, YesInTheOfferMakesThisProgramTheDesktopsHandler) {
    testpeer::TSandboxHome home;
    ASSERT_FALSE(home.Root().empty());
    TModalScript modal;
    modal.Then([](QDialog* d) {
        EXPECT_EQ(d->windowTitle(), "Brannoc");
        auto* box = d->findChild<QCheckBox*>("CheckBox");
        ASSERT_TRUE(box);
        EXPECT_EQ(box->text(), QString::fromUtf8("下次不要再詢問"));
        d->accept();
    });
    Build({}, [](TTestEnvironment& e) {
        e.RealHandler = true;
        e.RealDialog = true;
    });
    EXPECT_EQ(Env->Asked, 1);
    Stop();
    // The check box was not ticked: asked again, but now this program is
    // the handler, so there is nothing to ask.
    EXPECT_FALSE(ReadBack().Ask);
    std::string command = win::ReadTelnetHandlerCommand(win::TXdgFolders::FromEnvironment());
    EXPECT_TRUE(HandlerNamesProgram(command, "BrannocPro")) << command;
    std::string mimeapps = TScratchFolder::Read(home.Root() + "/config/mimeapps.list");
    EXPECT_NE(mimeapps.find(std::string("x-scheme-handler/telnet=") + win::TelnetHandlerEntry),
              std::string::npos)
        << mimeapps;
    // The link handler's entry shows the program's icon, found by name: the
    // user's own copy unless the program is installed.
    std::string entry =
        TScratchFolder::Read(home.Root() + "/data/applications/" + win::TelnetHandlerEntry);
    EXPECT_NE(entry.find("\nIcon=brannocpro\n"), std::string::npos) << entry;
    const std::string icon = "/icons/hicolor/scalable/apps/brannocpro.svg";
    EXPECT_TRUE(std::filesystem::exists(home.Root() + "/data" + icon) ||
                std::filesystem::exists("/usr/local/share" + icon) ||
                std::filesystem::exists("/usr/share" + icon));
    Build({}, [](TTestEnvironment& e) {
        e.RealHandler = true;
        e.RealDialog = true;
    });
    EXPECT_EQ(Env->Asked, 0);
}

// ---- The command line at the first show ------------------------------------

TEST_F(MainFormStart, CommandLineFillsTheBoxesAtTheFirstShowOnly) {
    TScratchFolder::Write(IniPath(),
                          "[Windows]\r\nAsk=1\r\nPort=4000\r\n[Hosts]\r\nh0=127.0.0.9\r\n");
    Start({"home", "127.0.0.1", "2323"});
    EXPECT_EQ(HostBox(), "home");
    EXPECT_EQ(TakenHost(*Form), "127.0.0.1");
    EXPECT_EQ(PortBox(), "2323");
    EXPECT_TRUE(Form->FirstShowDone);
    // Showing again (restoring) never reads the command line again.
    Form->HostNameComboBox->setEditText("typed");
    Form->hide();
    Form->show();
    QCoreApplication::processEvents();
    EXPECT_EQ(HostBox(), "typed");
    Stop();

    // A Big5 alias arrives as the bytes it was given.
    const std::string alias = win::Utf8ToBig5("許功蓋");
    Start({"TELNET://" + alias + ";127.0.0.1/:23//"});
    EXPECT_EQ(HostBox(), QString::fromUtf8("許功蓋"));
    EXPECT_EQ(TakenHost(*Form), "127.0.0.1");
    EXPECT_EQ(PortBox(), "23");
    Stop();

    Start({"127.0.0.3", "2424///"});
    EXPECT_EQ(HostBox(), "127.0.0.3");
    EXPECT_EQ(PortBox(), "2424");
    EXPECT_EQ(Form->PendingHost, "");
}

TEST_F(MainFormStart, OddCommandLinesLeaveTheBoxesUsable) {
    TScratchFolder::Write(IniPath(),
                          "[Windows]\r\nAsk=1\r\nPort=4000\r\n[Hosts]\r\nh0=127.0.0.9\r\n");
    // A link with nothing after the scheme asks for nothing: the boxes stay
    // as the settings have them.
    Start({"telnet://"});
    EXPECT_EQ(HostBox(), "127.0.0.9");
    EXPECT_EQ(PortBox(), "4000");
    Stop();
    // Letters where the port goes give an empty port.
    Start({"telnet:127.0.0.1:x1"});
    EXPECT_EQ(HostBox(), "127.0.0.1");
    EXPECT_EQ(PortBox(), "");
    Stop();
    // Only three arguments count; a huge one is taken as it is.
    Start({"127.0.0.1", "23", std::string(100000, '9'), "extra", "more"});
    EXPECT_EQ(PortBox().size(), Form->PortEdit->maxLength());
    Stop();
    // Bytes that are no Big5 text still start the window.
    Start({"telnet://\xff\xfe\x80;127.0.0.1:23"});
    EXPECT_EQ(TakenHost(*Form), "127.0.0.1");
    EXPECT_FALSE(HostBox().isEmpty());
}

// ---- A hand-over from a second start ------------------------------------

TEST_F(MainFormStart, AHandoverIsReadOnceAndOnlyWithAHost) {
    TScratchFolder::Write(IniPath(),
                          "[Windows]\r\nAsk=1\r\nPort=4000\r\n[Hosts]\r\nh0=127.0.0.9\r\n");
    Start();
    const std::string kvpass = Folder.File("KVpass");

    // Another request's file (its ticket differs) is not this message's.
    THandover h{"site", "127.0.0.1", "2323", "77"};
    TScratchFolder::Write(kvpass, HandoverFileText(h));
    Form->WMRemoteConnect(78);
    EXPECT_EQ(HostBox(), "127.0.0.9");
    EXPECT_NE(TScratchFolder::Read(kvpass).find("77"), std::string::npos);

    Form->WMRemoteConnect(77);
    EXPECT_EQ(HostBox(), "site");
    EXPECT_EQ(TakenHost(*Form), "127.0.0.1");
    EXPECT_EQ(PortBox(), "2323");
    // Taken: the ticket is gone, so the waiting second start may go on.
    EXPECT_EQ(ReadHandoverFile(TScratchFolder::Read(kvpass), nullptr).Ticket, "");

    // A request without a host or without a file only brings the window
    // forward: it never connects the built-in host.
    Form->HostNameComboBox->setEditText("127.0.0.9");
    Form->PendingHost.clear();
    TScratchFolder::Write(kvpass, HandoverFileText({"", "", "23", "5"}));
    Form->WMRemoteConnect(5);
    EXPECT_EQ(HostBox(), "127.0.0.9");
    EXPECT_EQ(Form->PendingHost, "");
    std::filesystem::remove(kvpass);
    Form->WMRemoteConnect(0);
    EXPECT_EQ(HostBox(), "127.0.0.9");
    EXPECT_EQ(PortBox(), "2323");
    // Garbage in the file reads as a file without a host.
    TScratchFolder::Write(kvpass, std::string("\0\xff[Para\nHost\n=", 14));
    Form->WMRemoteConnect(0);
    EXPECT_EQ(HostBox(), "127.0.0.9");
}

} // namespace
