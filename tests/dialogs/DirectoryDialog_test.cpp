#include "dialogs/DirectoryDialog.h"

#include "DialogFixture.h"
#include "dialogs/LoginDialog.h"
#include "platform/CodePage.h"
#include "platform/core/Big5.h"
#include "platform/core/IniFile.h"
#include "session/core/StrCrypt.h"
#include "support/ClickButton.h"
#include "support/ModalScript.h"
#include "support/RealInput.h"
#include "support/Unprivileged.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

using namespace testsupport;

namespace {

std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

std::string Value(const std::string& bytes, const std::string& section, const char* key) {
    std::string v;
    win::TIniText(bytes).Find(section, key, &v);
    return v;
}

class DirectoryDialog : public TDialogTest {
protected:
    std::unique_ptr<TDirectoryDlg> Make() {
        auto d = std::make_unique<TDirectoryDlg>(Host, 1024, std::vector<std::string>{"127.0.0.1"});
        Settle();
        return d;
    }
    // The book in view and its window active, to take the mouse and keys.
    std::unique_ptr<TDirectoryDlg> MakeShown() {
        auto d = Make();
        Show(*d);
        return d;
    }
    static void Show(TDirectoryDlg& d) {
        d.show();
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        Settle();
    }
    // Clicks the site's row.
    void Select(TDirectoryDlg& d, const std::string& alias) {
        int row = d.IndexOfSite(alias);
        ASSERT_GE(row, 0);
        ClickRow(d.CheckListBox, row);
        ASSERT_EQ(d.ItemIndex(), row);
    }
    // Clicks the check box of the site's row.
    static void Check(TDirectoryDlg& d, const std::string& alias) {
        const int row = d.IndexOfSite(alias);
        ASSERT_GE(row, 0);
        const bool was = d.ItemChecked(row);
        ClickRowCheck(d.CheckListBox, row);
        ASSERT_NE(d.ItemChecked(row), was) << "the click missed the check box";
    }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // Types the alias (and the host) and clicks New.
    static void TypeNew(TDirectoryDlg& d, const QString& alias, const QString& host = {}) {
        TypeOver(d.AliasEdit, alias);
        if (!host.isEmpty()) TypeOver(d.HostEdit, host);
        Click(d.NewHotBitBtn);
    }
    // Right-clicks an empty spot of a group box and clicks the item
    // `what` of the submenu `sub` (0 the group's own, 1 all groups) of its
    // pop-up menu.
    static bool CopyFromGroupMenu(QGroupBox* box, int sub, int what) {
        QMenu* menu = box->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        if (!menu) return false;
        RightClickMenu(box, EmptySpot(box));
        QAction* item = menu->actions().value(sub)->menu()->actions().value(what);
        return ClickMenuItem(menu, item);
    }
};

} // namespace

TEST_F(DirectoryDialog, CreationReadsTheBookWithoutAskingAnything) {
    CopyFixtures();
    win::TIniFile(Host.SettingsFileName()).WriteInteger("DirectoryDialog", "Field", 3);
    TModalScript modals; // no question may come before the first show
    auto d = Make();
    ASSERT_EQ(d->Count(), 4);
    // Shown texts are the conversions; entries keep their bytes.
    std::vector<std::string> shown;
    for (int i = 0; i < d->Count(); ++i)
        shown.push_back(d->CheckListBox->item(i)->text().toStdString());
    EXPECT_NE(std::find(shown.begin(), shown.end(), "【預設位址】"), shown.end());
    EXPECT_EQ(d->ItemAlias(d->ItemIndex()), B5("兀站")) << "the last run's selection";
    EXPECT_TRUE(d->ItemChecked(d->IndexOfSite(B5("乙站"))));
    EXPECT_FALSE(d->ItemChecked(d->IndexOfSite(B5("兀站"))));
    EXPECT_NE(d->IndexOfSite(B5("乙站")), d->IndexOfSite(B5("兀站")));
    EXPECT_TRUE(d->FieldItems[2]->isChecked());
    EXPECT_TRUE(d->ApplyCheckBox->isChecked());
    EXPECT_EQ(d->DefaultSite().Hostname, "127.0.0.1");
    EXPECT_EQ(d->DefaultSite().TriggerStr, "login:");
    EXPECT_EQ(d->DefaultFontSize(), 17);
    // The key maps of Keys.ini, the "Default" map completed in the file.
    EXPECT_GE(d->KeyTypeComboBox->findText("Many"), 0);
    EXPECT_GE(d->KeyTypeComboBox->findText("Default"), 0);
    win::TIniText keys(TScratchFolder::Read(Host.Dir + "Keys.ini"));
    EXPECT_EQ(keys.Keys("Default").size(), 21u);
    EXPECT_EQ(keys.Keys("Many").size(), 70u) << "other maps untouched";
    EXPECT_TRUE(WriteErrors.empty());
}

TEST_F(DirectoryDialog, EmptyBookGetsTheDefaultSiteAndDestructionKeepsMarks) {
    TScratchFolder::Write(Host.Dir + "Directory.ini", "[*Setting*]\r\nItemIndex=\r\n");
    {
        auto d = MakeShown();
        ASSERT_EQ(d->Count(), 1);
        EXPECT_EQ(d->ItemAlias(0), session::DefaultSiteName());
        EXPECT_EQ(d->HostEdit->text(), "127.0.0.1");
        Check(*d, session::DefaultSiteName());
    }
    std::string book = Book();
    EXPECT_EQ(Value(book, session::DefaultSiteName(), "Check"), "1");
    EXPECT_EQ(Value(book, "*Setting*", "ItemIndex"), session::DefaultSiteName());
}

TEST_F(DirectoryDialog, LoginRuleWaitsForTheFirstShowAndARefusalKeepsTheStoredLogin) {
    CopyFixtures();
    win::TIniText t(Book());
    t.Set("*Setting*", "ItemIndex", B5("乙站"));
    TScratchFolder::Write(Host.Dir + "Directory.ini", t.Text());
    TModalScript modals;
    auto d = Make();
    EXPECT_TRUE(modals.Captions.empty());
    EXPECT_TRUE(d->LoginCheckBox->isChecked());
    modals.Ignore(d.get());
    modals.Cancel();
    Show(*d);
    EXPECT_EQ(modals.Captions, std::vector<std::string>{"請輸入密碼"});
    EXPECT_FALSE(d->LoginCheckBox->isChecked()) << "a refusal unchecks the box";
    EXPECT_FALSE(d->TriggerStrEdit->isEnabled());
    // Saving now keeps the stored automatic login.
    Click(d->UpdateHotBitBtn);
    EXPECT_EQ(Value(Book(), B5("乙站"), "Login"), "1");
    ASSERT_EQ(Host.Updates.size(), 1u);
    EXPECT_FALSE(Host.Updates[0].Unlocked);
    // The user's own change of the box is saved.
    modals.Type("secret");
    ClickIndicator(d->LoginCheckBox);
    EXPECT_TRUE(d->LoginCheckBox->isChecked());
    ClickIndicator(d->LoginCheckBox);
    Click(d->UpdateHotBitBtn);
    EXPECT_EQ(Value(Book(), B5("乙站"), "Login"), "0");
    d->hide();
}

TEST_F(DirectoryDialog, SiteSavedUnchangedKeepsItsKeys) {
    CopyFixtures();
    const std::string before = Book();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    modals.Type("secret");
    Select(*d, B5("乙站"));
    EXPECT_EQ(d->FontStaticText->text(), "細明體");
    EXPECT_EQ(d->AutoSendKeyEdit->text(), "abc ");
    // The login text is a value of the button, not something shown on hover.
    EXPECT_TRUE(d->LoginStrHotBitBtn->toolTip().isEmpty());
    EXPECT_EQ(d->LoginText(), B5("guest^M乞丐^M"));
    Click(d->UpdateHotBitBtn);
    ASSERT_TRUE(WriteErrors.empty());
    ASSERT_EQ(Host.Updates.size(), 1u);
    const std::string after = Book();
    for (const auto& key : win::TIniText(before).Keys(B5("乙站"))) {
        if (key == "LoginKey" || key == "Check") continue;
        EXPECT_EQ(Value(before, B5("乙站"), key.c_str()), Value(after, B5("乙站"), key.c_str()))
            << key;
    }
    EXPECT_EQ(session::DecodeStoredKey(Value(after, B5("乙站"), "LoginKey")), B5("guest^M乞丐^M"));
    EXPECT_NE(after.find("Font.Name=" + B5("細明體") + "\r\n"), std::string::npos);
}

TEST_F(DirectoryDialog, NewRefusesEmptyAndSettingsNamesAndNumbersDuplicates) {
    CopyFixtures();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    for (const char* bad : {"", "   ", "*SETTING*"}) {
        modals.Ok();
        TypeNew(*d, QString::fromLatin1(bad));
    }
    EXPECT_EQ(modals.Texts, std::vector<std::string>(3, "別名欄位必須有輸入!"));
    EXPECT_FALSE(win::TIniText(Book()).HasSection("*setting*") &&
                 win::TIniText(Book()).Keys("*setting*").size() > 2);
    TypeNew(*d, "  site9 ", "127.0.0.1");
    EXPECT_GE(d->IndexOfSite("site9"), 0) << "blanks trimmed";
    TypeNew(*d, "site9");
    EXPECT_GE(d->IndexOfSite("site1"), 0);
    TypeNew(*d, "site");
    EXPECT_GE(d->IndexOfSite("site"), 0);
    TypeNew(*d, "site");
    EXPECT_GE(d->IndexOfSite("site2"), 0);
    TypeNew(*d, "site");
    EXPECT_GE(d->IndexOfSite("site3"), 0) << "site1 and site2 taken";
    EXPECT_EQ(Value(Book(), "site3", "Hostname"), "127.0.0.1");
    EXPECT_EQ(d->ItemAlias(d->ItemIndex()), "site3");
}

// A copy of a site named by its address is numbered so that it can never be
// read, or typed, as another address; the default site's shown name typed
// as an alias is the typed bytes.
TEST_F(DirectoryDialog, NewNumbersAddressesAsCopiesAndKeepsTypedBytes) {
    CopyFixtures();
    auto d = Make();
    d->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(d.get()));
    auto typeNew = [&](const QString& alias, const char* host) {
        d->AliasEdit->clear();
        d->AliasEdit->setFocus();
        // Chinese text arrives from the input method, as typed.
        QInputMethodEvent typed;
        typed.setCommitString(alias);
        QApplication::sendEvent(d->AliasEdit, &typed);
        d->HostEdit->clear();
        QTest::keyClicks(d->HostEdit, QString::fromLatin1(host));
        QTest::mouseClick(d->NewHotBitBtn, Qt::LeftButton);
        return d->ItemAlias(d->ItemIndex());
    };
    EXPECT_EQ(typeNew("127.0.0.1", "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(typeNew("127.0.0.1", "127.0.0.1"), "127.0.0.1 (2)");
    EXPECT_EQ(typeNew("127.0.0.1", "127.0.0.1"), "127.0.0.1 (3)");
    EXPECT_EQ(typeNew("127.0.0.1 (2)", "127.0.0.1"), "127.0.0.1 (4)");
    win::TIniText book(Book());
    EXPECT_FALSE(book.HasSection("127.0.0.2")) << "no alias reads as another host";
    EXPECT_EQ(Value(Book(), "127.0.0.1 (2)", "Hostname"), "127.0.0.1");
    EXPECT_EQ(typeNew("::1", "::1"), "::1");
    EXPECT_EQ(typeNew("::1", "::1"), "::1 (2)");
    EXPECT_EQ(typeNew("bbs2.host.test", "127.0.0.1"), "bbs2.host.test");
    EXPECT_EQ(typeNew("bbs2.host.test", "127.0.0.1"), "bbs2.host.test (2)");

    // The default site shows without its hidden first byte; typing what it
    // shows names a site of the typed bytes, numbered like any taken name.
    const std::string shownDefault = B5("【預設位址】");
    EXPECT_EQ(typeNew(QString::fromUtf8("【預設位址】"), "127.0.0.1"), shownDefault + "1");
    int hidden = 0;
    for (const std::string& section : win::TIniText(Book()).Sections())
        if (!section.empty() && section[0] == '\xFF') ++hidden;
    EXPECT_EQ(hidden, 1) << "only the default site starts with 0xFF";
    EXPECT_EQ(Value(Book(), shownDefault + "1", "Hostname"), "127.0.0.1");
}

TEST_F(DirectoryDialog, ReadOnlyBookGivesOneMessageAndLosesNothing) {
    if (testpeer::RanUnprivileged()) return;
    CopyFixtures();
    auto d = MakeShown();
    const std::string path = Host.Dir + "Directory.ini";
    chmod(path.c_str(), 0400);
    if (access(path.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights over every file";
    const std::string before = Book();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    SetChecked(d->ApplyCheckBox, false);
    Select(*d, B5("包也"));
    modals.Ok(); // "delete?"
    Click(d->DeleteHotBitBtn);
    EXPECT_GE(d->IndexOfSite(B5("包也")), 0) << "nothing stored, nothing removed";
    TypeNew(*d, "fresh");
    EXPECT_LT(d->IndexOfSite("fresh"), 0);
    TypeOver(d->TransparencyEdit, "x");
    Click(d->UpdateHotBitBtn);
    EXPECT_EQ(WriteErrors.size(), 1u) << "one message for the run";
    EXPECT_EQ(Book(), before);
    chmod(path.c_str(), 0600);
}

TEST_F(DirectoryDialog, UnreadableBookIsNeverOverwritten) {
    // A folder where the book should be: every write fails, once reported.
    mkdir((Host.Dir + "Directory.ini").c_str(), 0700);
    auto d = MakeShown();
    EXPECT_EQ(d->Count(), 1) << "the default site is listed all the same";
    TypeNew(*d, "x");
    Click(d->UpdateHotBitBtn); // tries the new site once more
    EXPECT_EQ(WriteErrors.size(), 1u);
    EXPECT_LT(d->IndexOfSite("x"), 0);
}

TEST_F(DirectoryDialog, DeleteAndConnectActOnTheCheckedSites) {
    CopyFixtures();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    // Three checked sites: the two of the fixture and the default site.
    Check(*d, session::DefaultSiteName());
    modals.Ok();
    modals.Type("secret"); // loading the site with automatic login
    Click(d->ConnectHotBitBtn);
    EXPECT_EQ(modals.Texts.back(), "你確定要連線到這 3 個站台嗎?");
    ASSERT_EQ(Host.Connects.size(), 3u);
    std::vector<std::string> aliases;
    for (const auto& c : Host.Connects)
        aliases.push_back(c.Alias);
    EXPECT_NE(std::find(aliases.begin(), aliases.end(), B5("乙站")), aliases.end());
    for (const auto& c : Host.Connects) {
        if (c.Alias == B5("乙站")) {
            EXPECT_EQ(c.Host + ":" + c.Port, "127.0.0.1:2323");
        }
    }
    EXPECT_EQ(d->result(), QDialog::Accepted);

    // Opened again, delete the two fixture sites in one write.
    Show(*d);
    Check(*d, session::DefaultSiteName());
    modals.Ok();
    Click(d->DeleteHotBitBtn);
    EXPECT_EQ(modals.Texts.back(), "你確定要刪除這 2 個記錄嗎?");
    EXPECT_EQ(d->Count(), 2);
    EXPECT_FALSE(win::TIniText(Book()).HasSection(B5("乙站")));
    EXPECT_TRUE(win::TIniText(Book()).HasSection(B5("兀站")));
    EXPECT_EQ(Value(Book(), "*Setting*", "Password"),
              Value(TScratchFolder::Read(FixturePath("addressbook/Directory.ini")), "*Setting*",
                    "Password"));
}

TEST_F(DirectoryDialog, CopyingTheLoginGroupAsksThePasswordAndRefreshesTheDefaultSite) {
    CopyFixtures();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    Check(*d, session::DefaultSiteName());
    modals.Type("secret");
    Select(*d, B5("乙站"));
    modals.Ok();
    ASSERT_TRUE(CopyFromGroupMenu(d->LoginGroupBox, 0, 0)); // this group, to the ticked sites
    EXPECT_EQ(modals.Texts.back(), "你確定要複製[自動簽入]到這 3 個站台嗎?");
    EXPECT_EQ(d->DefaultSite().TriggerStr, B5("請輸入代號")) << "the default site is read again";
    EXPECT_EQ(d->DefaultSite().LoginText, B5("guest^M乞丐^M"));
    EXPECT_EQ(session::DecodeStoredKey(Value(Book(), B5("包也"), "LoginKey")), B5("guest^M乞丐^M"));
    EXPECT_FALSE(win::TIniText(Book()).Find(B5("兀站"), "TriggerStr", nullptr))
        << "an unchecked site is left alone";
    // Copying all groups to all: five confirmations, one per group.
    for (int i = 0; i < 5; ++i)
        modals.Ok();
    ASSERT_TRUE(CopyFromGroupMenu(d->OptionGroupBox, 1, 1)); // all groups, to all sites
    EXPECT_EQ(Value(Book(), B5("兀站"), "Font.Size"), "17");
    EXPECT_EQ(Value(Book(), B5("兀站"), "AutoSendKeyLen"), "4");
}

TEST_F(DirectoryDialog, ExportAsksForAnyLoginTextAndLeavesOutWhatWouldReadBackWrongly) {
    CopyFixtures();
    win::TIniText t(Book());
    t.Set(B5("乙站"), "Login", "0");
    t.Set(B5("包也"), "TriggerStr", "two words");
    TScratchFolder::Write(Host.Dir + "Directory.ini", t.Text());
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    modals.Cancel(); // the password, although the site logs in by hand
    Click(d->MakeScriptHotBitBtn);
    EXPECT_EQ(modals.Captions, std::vector<std::string>{"請輸入密碼"});

    const std::string file = Scratch.File("sites");
    modals.Type("secret");
    modals.Ok();
    modals.Then([&](QDialog* dlg) {
        auto* f = qobject_cast<QFileDialog*>(dlg);
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(f->nameFilters().join(";;"), "Script files (*.txt);;All files (*)");
        auto* name = f->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        TypeOver(name, QString::fromStdString(file));
        TModalScript::Answer(f, true);
    });
    modals.Ok(); // the sites left out
    Click(d->MakeScriptHotBitBtn);
    std::string script = TScratchFolder::Read(file + ".txt");
    EXPECT_EQ(script, "#" + B5("乙站") + " 127.0.0.1 2323 " + B5("請輸入代號") + "\r\n" +
                          B5("guest^M乞丐^M") + "\r\n");
    ASSERT_FALSE(modals.Texts.empty());
    EXPECT_NE(modals.Texts.back().find("包也"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat((file + ".txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(DirectoryDialog, ControlsFollowTheirRules) {
    CopyFixtures();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    TypeOver(d->TransparencyEdit, "much");
    Click(d->UpdateHotBitBtn);
    EXPECT_EQ(Value(Book(), B5("兀站"), "Transparency"), "20");
    EXPECT_TRUE(WriteErrors.empty());
    SetChecked(d->ForeAutoSendKeyCheckBox, false);
    SetChecked(d->BackAutoSendKeyCheckBox, false);
    EXPECT_FALSE(d->AutoSendKeyEdit->isEnabled());
    SetChecked(d->BackAutoSendKeyCheckBox, true);
    EXPECT_TRUE(d->AutoSendKeyIntervalSpinEdit->isEnabled());
    SetChecked(d->PictureCheckBox, true);
    SetChecked(d->TransparentCheckBox, true);
    EXPECT_FALSE(d->ColorStaticText->isEnabled());
    SetChecked(d->TransparentCheckBox, false);
    EXPECT_TRUE(d->ColorStaticText->isEnabled());
    // Column choice "&1" from the list's pop-up menu writes 0.
    const QRect last = d->CheckListBox->visualItemRect(d->CheckListBox->item(d->Count() - 1));
    RightClickMenu(d->CheckListBox->viewport(), last.bottomLeft() + QPoint(4, 4));
    EXPECT_TRUE(ClickMenuItem(d->ListMenu, d->FieldItems[0]));
    EXPECT_EQ(win::TIniFile(Host.SettingsFileName()).ReadInteger("DirectoryDialog", "Field", 9), 0);
    // Red captions while the preferences decide font and picture; Jump goes
    // to the current session's site.
    d->hide();
    Host.FontGlobal = Host.PictureGlobal = true;
    Host.HasCurrent = true;
    Host.Current = "nowhere";
    Show(*d);
    EXPECT_EQ(d->FontStaticText->palette().color(QPalette::WindowText), QColor(Qt::red));
    EXPECT_NE(d->PictureGroupBox->styleSheet().indexOf("red"), -1);
    Click(d->JumpHotBitBtn);
    EXPECT_EQ(d->ItemAlias(d->ItemIndex()), session::DefaultSiteName());
    d->UpdateFontSize(session::DefaultSiteName(), 30); // the window's own call, no input
    d->hide();
    EXPECT_EQ(d->FontSizeStaticText->text(), "30");
}

TEST_F(DirectoryDialog, LoginTextEditorKeepsLinesAndStoresScrambled) {
    CopyFixtures();
    auto d = MakeShown();
    TModalScript modals;
    modals.Ignore(d.get()); // the book is modal itself
    modals.Type("secret");
    Select(*d, B5("乙站"));
    modals.Then([](QDialog* dlg) {
        auto* memo = dlg->findChild<QPlainTextEdit*>("Memo");
        if (!memo) {
            ADD_FAILURE() << "no text box";
            dlg->reject();
            return;
        }
        EXPECT_EQ(memo->toPlainText().toStdString(), "guest\n乞丐\n");
        memo->setFocus();
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(memo, Qt::Key_Delete);
        for (const char* line : {"one", "two"}) {
            QTest::keyClicks(memo, QString::fromLatin1(line));
            QTest::keyClick(memo, Qt::Key_Return);
        }
        QTest::keyClicks(memo, QStringLiteral("three"));
        TModalScript::Answer(dlg, true);
    });
    Click(d->LoginStrHotBitBtn);
    EXPECT_EQ(d->LoginText(), "one^Mtwo^Mthree");
    EXPECT_EQ(session::DecodeStoredKey(Value(Book(), B5("乙站"), "LoginKey")), "one^Mtwo^Mthree");
    EXPECT_TRUE(d->LoginStrHotBitBtn->toolTip().isEmpty());
}

TEST_F(DirectoryDialog, DamagedBooksOpenAndKeepWhatTheyHeld) {
    const std::string fixture = TScratchFolder::Read(FixturePath("addressbook/Directory.ini"));
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 37) & 0xFF)); // NULs, CRs, brackets, lead bytes
    std::string oversized;
    for (int i = 0; i < 3000; ++i)
        oversized += "[site" + std::to_string(i) +
                     "]\r\nHostname=127.0.0.1\r\nPort=" + std::string(5000, '9') +
                     "\r\nCheck=" + std::to_string(i % 2) + "\r\n";
    const std::pair<const char*, std::string> books[] = {
        {"cut inside a line", fixture.substr(0, fixture.size() / 2 + 7)},
        {"cut inside a section name", fixture.substr(0, fixture.find("[", 10) + 2)},
        {"binary", binary},
        {"oversized", oversized},
    };
    for (const auto& [what, bytes] : books) {
        SCOPED_TRACE(what);
        TScratchFolder::Write(Host.Dir + "Directory.ini", bytes);
        win::RearmWriteError();
        WriteErrors.clear();
        int count = 0;
        {
            auto d = MakeShown();
            count = d->Count();
            ASSERT_GE(count, 1);
            EXPECT_GE(d->IndexOfSite(session::DefaultSiteName()), 0);
            // Usable: a new site is added and saved.
            TypeNew(*d, "fresh", "127.0.0.1");
            EXPECT_GE(d->IndexOfSite("fresh"), 0);
        }
        EXPECT_TRUE(WriteErrors.empty());
        const std::string after = Book();
        EXPECT_EQ(Value(after, "fresh", "Hostname"), "127.0.0.1");
        // Every section that was there is there again.
        win::TIniText before(bytes), now(after);
        for (const std::string& section : before.Sections())
            EXPECT_TRUE(now.HasSection(section)) << section.size() << " bytes of name";
        if (std::string(what) == "oversized") {
            EXPECT_EQ(count, 3001);
            EXPECT_EQ(Value(after, "site7", "Port"), std::string(5000, '9'));
            EXPECT_EQ(Value(after, "site7", "Check"), "1");
        }
    }
}

