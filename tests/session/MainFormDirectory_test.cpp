// The address book and the key maps on a real main window (offscreen):
// Update reaching the open sessions of a site in a progress pass, the
// long-command lock, add-site, key tables loaded at connect time, and a map
// saved in the editor reaching a connected session's keys.
#include "QuietEnvironment.h"
#include "UserInput.h"
#include "SessionPeers.h"
#include "dialogs/DialogFixture.h"
#include "support/FileAccess.h"
#include "support/ModalScript.h"
#include "support/ScriptedServer.h"

#include "dialogs/DirectoryDialog.h"
#include "dialogs/KeyBoardDialog.h"
#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/core/DirectoryFile.h"
#include "session/core/StrCrypt.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using sessiontest::WaitFor;
using testsupport::TScratchFolder;

namespace {

std::string Value(const std::string& bytes, const std::string& section, const char* key) {
    std::string v;
    win::TIniText(bytes).Find(section, key, &v);
    return v;
}

// The desktop of the test: every folder in the scratch tree, no handler
// question; the desktop's handler settings cannot be opened.
struct TTestEnvironment : sessiontest::TQuietEnvironment {
    TTestEnvironment(const std::string& settings, const std::string& temp)
        : TQuietEnvironment({settings, temp, temp, temp}) {}
    bool ReadTelnetHandler(std::string*) override { return false; }
};

// Sessions of these tests answer to a stand-in owner; the main window only
// lists them, as it does its own.
struct TOwner : TConnectionOwner {
    TSessionDefaults Defaults;
    int Number = 1;
    const TSessionDefaults& SessionDefaults() const override { return Defaults; }
    std::string TakePendingScript() override { return {}; }
    int TakeSessionNumber() override { return Number++; }
    void SessionConnected(TConnection* s) override { s->Busy = 0; }
    void ConnectionSessionClosed(TConnection* s) override { s->Busy = 0; }
    void ConnectFailed(TConnection* s) override { s->Busy = 0; }
};

const char* const kBook = "[*Setting*]\r\n"
                          "ItemIndex=bbs\r\n"
                          "[bbs]\r\n"
                          "Hostname=127.0.0.1\r\n"
                          "Port=2323\r\n"
                          "Row=24\r\n"
                          "Column=80\r\n"
                          "KeyType=Default\r\n"
                          "[other]\r\n"
                          "Hostname=127.0.0.2\r\n"
                          "Port=23\r\n";

class MainFormDirectory : public testsupport::TDialogTest {
protected:
    void SetUp() override {
        TDialogTest::SetUp();
        static bool once = false;
        if (!once) win::InstallQtMessageLoop();
        once = true;
        TScratchFolder::Write(Host.Dir + "Directory.ini", kBook);
        auto env = std::make_unique<TTestEnvironment>(Host.Dir, Scratch.File("tmp/"));
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{}, std::move(env));
    }
    void TearDown() override {
        // The test's own sessions leave the list; the window's own go with it.
        if (Form) {
            auto& list = Form->Sessions;
            for (auto& s : Owned)
                list.erase(std::remove(list.begin(), list.end(), s.get()), list.end());
        }
        Owned.clear();
        Form.reset();
        TDialogTest::TearDown();
    }
    // A session of the site, listed by the main window.
    TConnection* AddSession(const std::string& site) {
        auto* s = new TConnection(Owners);
        s->SiteName = site;
        s->KeyType = "Default";
        Form->Sessions.push_back(s);
        Owned.emplace_back(s);
        return s;
    }
    // Chooses the command `name` from the menu bar with the mouse.
    void Choose(const char* name) {
        EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action(QString::fromLatin1(name))))
            << name;
    }
    // Sets key F1's text in the key-map editor with the mouse and the keys:
    // the key, the text typed, Change and OK.
    static void SetF1(TKeyBoardDlg& editor, const QString& text) {
        editor.show();
        QTest::mouseClick(editor.KeyButton(59, false), Qt::LeftButton);
        sessiontest::TypeOver(editor.KeyEdit, text);
        QTest::mouseClick(editor.ChangeBtn, Qt::LeftButton);
        QTest::mouseClick(editor.OKBtn, Qt::LeftButton);
    }
    TOwner Owners;
    std::unique_ptr<TkvMainForm> Form;
    std::vector<std::unique_ptr<TConnection>> Owned;
};

TEST_F(MainFormDirectory, UpdateReachesTheSitesSessionsSkippingOneClosedMidPass) {
    TConnection* a = AddSession("bbs");
    TConnection* gone = AddSession("BBS"); // site names fold ASCII case
    TConnection* b = AddSession("bbs");
    TConnection* other = AddSession("other");
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    ASSERT_EQ(dlg, DirectoryDlg);
    dlg->LoadSite("bbs");
    dlg->RowEdit->setText("30");
    dlg->ColumnEdit->setText("60");

    // Messages the pass processes before its first step close a session
    // and look at the lock.
    bool lockedDuringPass = false;
    QString progress;
    QTimer::singleShot(0, Form.get(), [&] {
        lockedDuringPass = !Form->Action("Directory")->isEnabled() &&
                           !Form->Action("SetPreference")->isEnabled() &&
                           !Form->Action("RunScript")->isEnabled() && Form->CommandsLocked();
        progress = Form->StatusText(4);
        // A session list change re-runs the enabling rules mid-pass.
        Form->UpdateCommands();
        auto& list = Form->Sessions;
        list.erase(std::find(list.begin(), list.end(), gone));
        for (auto& o : Owned)
            if (o.get() == gone) o.reset();
    });
    dlg->UpdateClick();

    EXPECT_TRUE(lockedDuringPass);
    EXPECT_EQ(progress, QString::fromUtf8("進度: 0 %"));
    EXPECT_EQ(a->Rows(), 30);
    EXPECT_EQ(a->Columns(), 60);
    EXPECT_EQ(b->Rows(), 30);
    EXPECT_EQ(b->Columns(), 60);
    EXPECT_EQ(other->Rows(), 24) << "another site's session is left alone";
    EXPECT_TRUE(Form->Action("Directory")->isEnabled());
    EXPECT_TRUE(Form->Action("RunScript")->isEnabled());
    EXPECT_FALSE(Form->CommandsLocked());
    EXPECT_TRUE(Form->StatusText(4).isEmpty());
    EXPECT_NE(Book().find("Row=30"), std::string::npos);
}

TEST_F(MainFormDirectory, UpdateOfTheDefaultSiteReachesOnlySessionsThatTookIt) {
    TConnection* took = AddSession("somewhere");
    took->UsesDefaultSite = 1;
    TConnection* own = AddSession("bbs");
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    dlg->LoadSite(session::DefaultSiteName());
    dlg->RowEdit->setText("40");
    dlg->UpdateClick();
    EXPECT_EQ(took->Rows(), 40);
    EXPECT_EQ(own->Rows(), 24);
    EXPECT_EQ(dlg->DefaultSite().Rows(), 40);
}

TEST_F(MainFormDirectory, PassesNestAndEveryWayOutUnlocks) {
    TConnection* s = AddSession("bbs");
    int steps = 0;
    bool lockedInInner = false;
    Form->ProgressPass({s}, [&](TConnection*) {
        Form->ProgressPass({s}, [&](TConnection*) {
            ++steps;
            lockedInInner = Form->CommandsLocked();
        });
        // The inner pass ended without unlocking the outer one's commands.
        EXPECT_TRUE(Form->CommandsLocked());
        EXPECT_FALSE(Form->Action("Directory")->isEnabled());
        ++steps;
    });
    EXPECT_EQ(steps, 2);
    EXPECT_TRUE(lockedInInner);
    EXPECT_FALSE(Form->CommandsLocked());

    EXPECT_THROW(Form->ProgressPass({s}, [](TConnection*) { throw std::runtime_error("step"); }),
                 std::runtime_error);
    EXPECT_FALSE(Form->CommandsLocked());
    EXPECT_TRUE(Form->Action("Directory")->isEnabled());
    EXPECT_TRUE(Form->StatusText(4).isEmpty());

    // A pass over no session still leaves the commands on.
    Form->ProgressPass({}, [&](TConnection*) { ++steps; });
    EXPECT_EQ(steps, 2);
    EXPECT_TRUE(Form->Action("ConnectionForm1")->isEnabled());
}

TEST_F(MainFormDirectory, TheLockHoldsTheHousekeepingTimerOnlyAfterTheFirstShow) {
    Form->EnableCommands(false);
    EXPECT_FALSE(Form->FlashTimer->isActive());
    Form->EnableCommands(true);
    EXPECT_FALSE(Form->FlashTimer->isActive()) << "the timer starts at the first show";
    Form->show();
    ASSERT_TRUE(Form->FirstShowDone);
    EXPECT_TRUE(Form->FlashTimer->isActive());
    Form->EnableCommands(false);
    EXPECT_FALSE(Form->FlashTimer->isActive());
    Form->EnableCommands(true);
    EXPECT_TRUE(Form->FlashTimer->isActive());
}

TEST_F(MainFormDirectory, AddSiteSavesTheCurrentSessionUnderAFreeAlias) {
    TConnection* s = AddSession("bbs");
    s->SetHostName("127.0.0.9");
    s->SetPort("2424");
    Form->CurrentSession = 0;
    Form->show();
    Form->UpdateCommands();
    Choose("AddSite");
    TDirectoryDlg* dlg = DirectoryDlg;
    ASSERT_NE(dlg, nullptr);
    ASSERT_GE(dlg->IndexOfSite("bbs1"), 0);
    EXPECT_FALSE(dlg->isVisible());
    const win::TIniText book(Book());
    std::string v;
    ASSERT_TRUE(book.Find("bbs1", "Hostname", &v));
    EXPECT_EQ(v, "127.0.0.9");
    ASSERT_TRUE(book.Find("bbs1", "Port", &v));
    EXPECT_EQ(v, "2424");
    // The other settings came from the default site, not from the shown one.
    ASSERT_TRUE(book.Find("bbs", "Port", &v));
    EXPECT_EQ(v, "2323");
    // Without a current session the command does nothing.
    Form->CurrentSession = -1;
    Form->UpdateCommands();
    Choose("AddSite");
    EXPECT_LT(dlg->IndexOfSite("bbs2"), 0);
}

TEST_F(MainFormDirectory, LoadKeyMapFillsFromTheSessionsMapAndKeepsTheTableForAnEmptyOne) {
    std::string keys = "[Mine]\r\n";
    for (int i = 0; i < 70; ++i)
        keys += std::to_string(100 + i) + "-0000(k)=^[[" + std::to_string(i) + "\r\n";
    keys += "[Blank]\r\n059-0000(F1)=\r\n"
            "[Hand]\r\nxyz-0000=oops\r\n060-01=^M\r\n";
    TScratchFolder::Write(Host.Dir + "Keys.ini", keys);
    TConnection* s = AddSession("bbs");
    s->KeyType = "mine";
    Form->LoadKeyMap(s);
    EXPECT_EQ(s->KeyTable[0].ScanCode, 100);
    EXPECT_EQ(s->KeyTable[0].Text(), "\x1b[0");
    EXPECT_EQ(s->KeyTable[63].ScanCode, 163) << "64 entries, the rest ignored";

    // A missing section leaves the table as it was.
    s->KeyType = "Nowhere";
    Form->LoadKeyMap(s);
    EXPECT_EQ(s->KeyTable[63].ScanCode, 163);

    // A hand-edited name is skipped; a short name has its missing flags clear.
    s->KeyType = "Hand";
    Form->LoadKeyMap(s);
    EXPECT_EQ(s->KeyTable[0].ScanCode, 60);
    EXPECT_EQ(s->KeyTable[0].Text(), "\r");
    EXPECT_EQ(s->KeyTable[0].Shift, 1);
    EXPECT_FALSE(s->KeyTable[0].Extended);
    EXPECT_EQ(s->KeyTable[1].ScanCode, 0);

    // Keys that are all empty clear the table.
    s->KeyType = "Blank";
    Form->LoadKeyMap(s);
    EXPECT_EQ(s->KeyTable[0].ScanCode, 0);
}

TEST_F(MainFormDirectory, AMapSavedInTheEditorReachesAConnectedSessionsKeys) {
    std::string got;
    std::atomic<bool> done{false};
    bptest::TScriptedServer server([&](int fd, int) {
        std::string bytes;
        bptest::ReadUntil(fd, "hi\r", bytes, 8000);
        got = bytes;
        done = true;
    });
    TConnection* s = AddSession("bbs");
    s->SetHostName("127.0.0.1");
    s->SetPort(server.PortStr());
    s->StartConnect();
    ASSERT_TRUE(WaitFor([&] { return s->IsConnected(); }));

    // The editor on the session's map: F1 (scan 59) sends "hi" and Enter.
    TKeyBoardDlg editor(EnsureDirectoryHost(*Form), Host.Dir + "Keys.ini", "Default",
                        Scratch.File("tmp/"), Form.get());
    ASSERT_NE(editor.KeyButton(59, false), nullptr);
    SetF1(editor, "hi^M");

    // The key goes through the screen's key hook.
    s->show();
    QFocusEvent in(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(s, &in);
    ASSERT_TRUE(s->HookInstalled());
    QTest::keyClick(s, Qt::Key_F1);
    ASSERT_TRUE(WaitFor([&] { return done.load(); }));
    EXPECT_EQ(got, "hi\r");
    s->Disconnect();
}

TEST_F(MainFormDirectory, ConnectOnThreeCheckedSitesOpensThreeSessionsOfTheirSites) {
    std::atomic<int> greeted{0};
    // Each connection is greeted and then kept open until the window goes: a
    // session the server let go would be idle, and the next site's connect
    // would take it again instead of opening a window of its own.
    bptest::TScriptedServer server(
        [&](int fd, int) {
            bptest::SendAll(fd, "hello\r\n");
            ++greeted;
            bptest::ReadToEnd(fd, 60000);
        },
        true);
    struct TFormGoesFirst {
        std::unique_ptr<TkvMainForm>& F;
        ~TFormGoesFirst() { F.reset(); }
    } formGoesFirst{Form};
    Form->Settings.Remove = false; // closed sessions stay listed
    const std::string port = server.PortStr();
    TScratchFolder::Write(Host.Dir + "Directory.ini", "[*Setting*]\r\nItemIndex=one\r\n"
                                                      "[one]\r\nHostname=127.0.0.1\r\nPort=" +
                                                          port +
                                                          "\r\nRow=30\r\nCheck=1\r\n"
                                                          "[two]\r\nHostname=127.0.0.1\r\nPort=" +
                                                          port +
                                                          "\r\nRow=20\r\nCheck=1\r\n"
                                                          "[three]\r\nHostname=127.0.0.1\r\nPort=" +
                                                          port +
                                                          "\r\nCheck=1\r\n"
                                                          "[idle]\r\nHostname=127.0.0.1\r\nPort=" +
                                                          port + "\r\nCheck=0\r\n");
    Form->show();
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    testsupport::TModalScript modals;
    // (clicked once the answer is given, so the question it asks is
    // answered in turn; the book, open again after it, is no new question)
    modals.Then([&modals](QDialog* book) {
        modals.Ignore(book);
        QTimer::singleShot(0, book, [book] {
            QTest::mouseClick(static_cast<TDirectoryDlg*>(book)->ConnectHotBitBtn, Qt::LeftButton);
        });
    });
    modals.Ok(); // "你確定要連線到這 3 個站台嗎?"
    Choose("Directory");
    ASSERT_TRUE(WaitFor([&] { return greeted.load() == 3; }));
    ASSERT_EQ(Form->Sessions.size(), 3u);
    std::vector<std::string> sites;
    for (TConnection* s : Form->Sessions) {
        sites.push_back(s->SiteName);
        EXPECT_EQ(s->HostName(), "127.0.0.1") << "the host comes from the hint, not the alias";
        EXPECT_EQ(s->Port(), port);
        const int rows = s->SiteName == "one" ? 30 : s->SiteName == "two" ? 20 : 24;
        EXPECT_EQ(s->Rows(), rows) << s->SiteName;
    }
    std::sort(sites.begin(), sites.end());
    EXPECT_EQ(sites, (std::vector<std::string>{"one", "three", "two"}));
    EXPECT_EQ(Form->FromDirectory, 0) << "each connect consumed its mark";
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
}

TEST_F(MainFormDirectory, SavedFontSizeReachesTheBookAndTheShownSiteOnly) {
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    dlg->LoadSite("bbs");
    Form->SaveSiteFontSize("bbs", 25);
    EXPECT_EQ(Value(Book(), "bbs", "Font.Size"), "25");
    EXPECT_EQ(dlg->FontSizeStaticText->text(), "25");
    Form->SaveSiteFontSize("other", 11);
    EXPECT_EQ(Value(Book(), "other", "Font.Size"), "11");
    EXPECT_EQ(dlg->FontSizeStaticText->text(), "25") << "another site is not the shown one";
    // A host outside the book gets no section.
    Form->SaveSiteFontSize("nowhere", 12);
    EXPECT_FALSE(win::TIniText(Book()).HasSection("nowhere"));
    // A book that cannot be written: one message, nothing thrown.
    const std::string path = Host.Dir + "Directory.ini";
    chmod(Host.Dir.c_str(), 0500);
    chmod(path.c_str(), 0400);
    const bool readOnly = access(path.c_str(), W_OK) != 0;
    EXPECT_NO_THROW(Form->SaveSiteFontSize("bbs", 30));
    EXPECT_NO_THROW(Form->SaveSiteFontSize("bbs", 31));
    chmod(Host.Dir.c_str(), 0700);
    chmod(path.c_str(), 0600);
    if (readOnly) { // not when the test runs with rights over every file
        EXPECT_EQ(WriteErrors.size(), 1u);
        EXPECT_EQ(Value(Book(), "bbs", "Font.Size"), "25");
        EXPECT_EQ(dlg->FontSizeStaticText->text(), "25");
    }
}

TEST_F(MainFormDirectory, SitesChecksPasswordAndMapsSurviveARestartByteForByte) {
    CopyFixtures();
    const std::string keysPath = Host.Dir + "Keys.ini";
    auto restart = [&] {
        Owned.clear();
        Form.reset();
        auto env = std::make_unique<TTestEnvironment>(Host.Dir, Scratch.File("tmp/"));
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{}, std::move(env));
        return EnsureDirectoryDlg(*Form);
    };
    const std::string b = win::Utf8ToBig5("兀站");
    TDirectoryDlg* dlg = restart();
    // One run's changes: a check mark, a key of a map, the selection.
    const int row = dlg->IndexOfSite(b);
    ASSERT_GE(row, 0);
    const bool wasChecked = dlg->ItemChecked(row);
    dlg->CheckListBox->item(row)->setCheckState(wasChecked ? Qt::Unchecked : Qt::Checked);
    {
        TKeyBoardDlg editor(EnsureDirectoryHost(*Form), keysPath, "Odd", Scratch.File("tmp/"),
                            Form.get());
        SetF1(editor, "^[OP");
    }
    dlg = restart();
    const std::string book = Book(), keys = TScratchFolder::Read(keysPath);
    EXPECT_EQ(dlg->ItemChecked(dlg->IndexOfSite(b)), !wasChecked);
    EXPECT_EQ(dlg->ItemAlias(dlg->ItemIndex()), b);
    EXPECT_EQ(Value(keys, "Odd", "059-0000(F1)"), "^[OP");
    // The password of the book is asked again in the new run and holds.
    {
        testsupport::TModalScript modals;
        modals.Type("secret");
        EXPECT_TRUE(dlg->CheckPassword(false));
    }
    // A run that changes nothing leaves both files as they were.
    dlg = restart();
    Form.reset();
    EXPECT_EQ(Book(), book);
    EXPECT_EQ(TScratchFolder::Read(keysPath), keys);
}

TEST_F(MainFormDirectory, PasswordCommandsAskAgainResetAndKeepTheStoredLogin) {
    CopyFixtures();
    const std::string site = win::Utf8ToBig5("乙站"); // automatic login with a login text
    Form->show();
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    testsupport::TModalScript modals;
    modals.Type("secret");
    dlg->LoadSite(site);
    ASSERT_TRUE(dlg->Unlocked());
    ASSERT_TRUE(dlg->LoginCheckBox->isChecked());

    // Ask again: the password is forgotten and the box waits for it; saving
    // meanwhile keeps the stored automatic login.
    Choose("ReAskPassword");
    EXPECT_FALSE(dlg->Unlocked());
    EXPECT_FALSE(dlg->LoginCheckBox->isChecked());
    dlg->SaveSite();
    EXPECT_EQ(Value(Book(), site, "Login"), "1");

    // Reset: the old password, then the new one twice.
    modals.Type("secret");
    modals.Type("fresh");
    modals.Type("fresh");
    Choose("ResetPassword");
    EXPECT_TRUE(dlg->Unlocked());
    Choose("ReAskPassword");
    modals.Type("secret");
    modals.Ok(); // "密碼錯誤!"
    EXPECT_FALSE(dlg->CheckPassword(false)) << "the old password no longer opens the book";
    EXPECT_EQ(modals.Texts.back(), "密碼錯誤!");
    modals.Type("fresh");
    EXPECT_TRUE(dlg->CheckPassword(false));

    // With "none" chosen, asking again unchecks nothing and asks nothing.
    modals.Type("fresh");
    modals.Type("none");
    Choose("ResetPassword");
    dlg->LoadSite(site);
    ASSERT_TRUE(dlg->LoginCheckBox->isChecked());
    Choose("ReAskPassword");
    EXPECT_TRUE(dlg->LoginCheckBox->isChecked());
    EXPECT_TRUE(dlg->CheckPassword(false));
}

// An older book that others could read gets a login text and the password
// through the address book's own buttons: from then on it is the user's only.
TEST_F(MainFormDirectory, ABookThatGetsLoginTextsAndThePasswordIsTheUsersOnly) {
    const std::string book = Host.Dir + "Directory.ini";
    for (const std::string& folder : {Scratch.Path(), Host.Dir})
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(book.c_str(), 0644), 0);
    // Whether another user could read it so far (nullopt: not checkable).
    const std::optional<bool> readableBefore = testsupport::OtherUserCanRead(book);

    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    testsupport::TModalScript modals;
    modals.Ignore(dlg);
    dlg->show();
    dlg->LoadSite("bbs");
    QTest::mouseClick(dlg->LoginCheckBox, Qt::LeftButton);
    ASSERT_TRUE(dlg->LoginStrHotBitBtn->isEnabled());
    modals.Type("fresh"); // a new password, twice
    modals.Type("fresh");
    modals.Then([](QDialog* d) {
        if (auto* memo = d->findChild<QPlainTextEdit*>("Memo")) memo->setPlainText("guest\npw");
        d->accept();
    });
    QTest::mouseClick(dlg->LoginStrHotBitBtn, Qt::LeftButton);
    dlg->hide();
    EXPECT_EQ(session::DecodeStoredKey(Value(Book(), "bbs", "LoginKey")), "guest^Mpw");
    EXPECT_EQ(session::ReadDirectoryPassword(win::TIniText(Book())), "fresh");

    struct stat st {};
    ASSERT_EQ(::stat(book.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    if (readableBefore == true) {
        EXPECT_EQ(testsupport::OtherUserCanRead(book), false);
    }
}

TEST_F(MainFormDirectory, UpdateOverConnectedSessionsSurvivesOneClosedByTheUserMidPass) {
    bptest::TScriptedServer server([](int fd, int) { bptest::ReadToEnd(fd, 8000); });
    TScratchFolder::Write(Host.Dir + "Directory.ini",
                          "[*Setting*]\r\nItemIndex=bbs\r\n[bbs]\r\nHostname=127.0.0.1\r\nPort=" +
                              server.PortStr() + "\r\nRow=24\r\n");
    Form->show();
    TDirectoryDlg* dlg = EnsureDirectoryDlg(*Form);
    dlg->ApplyCheckBox->setChecked(false);
    testsupport::TModalScript modals;
    for (int i = 0; i < 3; ++i) {
        sessiontest::ConnectFromBook(*Form, modals, "bbs");
        ASSERT_TRUE(WaitFor([&] {
            return static_cast<int>(Form->Sessions.size()) == i + 1 &&
                   Form->Sessions.back()->IsConnected();
        }));
    }
    // The row count typed and Update clicked in the book, which stays open
    // until Esc.
    modals.Then([&](QDialog* book) {
        sessiontest::TypeOver(dlg->RowEdit, "30");
        QTimer::singleShot(0, Form.get(), [&] { Form->CloseSessionWindow(1, false); });
        QTest::mouseClick(dlg->UpdateHotBitBtn, Qt::LeftButton);
        QTest::keyClick(book, Qt::Key_Escape);
    });
    Choose("Directory");
    ASSERT_EQ(Form->Sessions.size(), 2u);
    for (TConnection* s : Form->Sessions) {
        EXPECT_EQ(s->SiteName, "bbs");
        EXPECT_EQ(s->Rows(), 30);
        EXPECT_TRUE(s->IsConnected());
    }
    EXPECT_TRUE(Form->Action("Directory")->isEnabled());
    EXPECT_TRUE(Form->FlashTimer->isActive());
    for (TConnection* s : Form->Sessions)
        s->Disconnect();
}

} // namespace
