#include "dialogs/KeyBoardDialog.h"

#include "DialogFixture.h"
#include "dialogs/AccessKeyBoardIniDialog.h"
#include "session/core/KeysFile.h"
#include "support/ModalScript.h"
#include "support/Unprivileged.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <filesystem>

using namespace testsupport;

namespace {

class KeyBoardDialog : public TDialogTest {
protected:
    std::string Temp() const { return Scratch.File("tmp/"); }
    // The editor on `map`, shown for the mouse and the keys.
    std::unique_ptr<TKeyBoardDlg> Make(const std::string& map) {
        auto d = std::make_unique<TKeyBoardDlg>(Host, Host.Dir + "Keys.ini", map, Temp());
        d->show();
        return d;
    }
    static void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // Replaces the key text as typed: all selected and typed over.
    static void Type(QLineEdit* e, const QString& text) {
        e->setFocus();
        QTest::keyClick(e, Qt::Key_End);
        QTest::keyClick(e, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClick(e, Qt::Key_Delete);
        QTest::keyClicks(e, text);
    }
    std::string Keys() const { return TScratchFolder::Read(Host.Dir + "Keys.ini"); }
    static std::string Value(const std::string& bytes, const std::string& section,
                             const std::string& key) {
        std::string v;
        win::TIniText(bytes).Find(section, key, &v);
        return v;
    }
};

} // namespace

TEST_F(KeyBoardDialog, KeyNamesFollowTheMarkers) {
    CopyFixtures();
    auto d = Make("Default");
    EXPECT_EQ(d->windowTitle(), "鍵盤對映 - Default");
    EXPECT_EQ(d->HintLabel->text(), "^[ = Esc; ^ = Ctrl");
    QPushButton* pad7 = d->KeyButton(71, false);
    QPushButton* home = d->KeyButton(71, true);
    ASSERT_TRUE(pad7 && home);
    Click(d->NumBtn);
    EXPECT_EQ(d->NumStaticText->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(d->MakeKeyName(pad7), "071-1000(7)");
    EXPECT_EQ(d->MakeKeyName(home), "071-0001(Home)") << "an extended key is no keypad digit";
    Click(d->ShiftBtn2);
    EXPECT_FALSE(d->NumOn()) << "Shift switches Num off";
    EXPECT_NE(d->NumStaticText->palette().color(QPalette::Window), QColor(0, 255, 0));
    Click(d->CrtlBtn1);
    EXPECT_EQ(d->MakeKeyName(d->KeyButton(30, false)), "030-0110(A)");
    Click(d->KeyButton(30, false));
    EXPECT_TRUE(d->KeyEdit->isEnabled());
    EXPECT_TRUE(d->KeyButton(30, false)->font().bold());
    Click(d->NumBtn);
    EXPECT_FALSE(d->KeyEdit->isEnabled()) << "a marker click deselects the key";
    EXPECT_FALSE(d->KeyButton(30, false)->font().bold());
    for (auto* b : d->findChildren<QPushButton*>()) {
        if (b->property("Tag").toInt() != 250) {
            EXPECT_EQ(d->MakeKeyName(b).find('='), std::string::npos) << d->MakeKeyName(b);
        }
    }
}

TEST_F(KeyBoardDialog, EditsStayInTheScratchCopyUntilSaved) {
    CopyFixtures();
    const std::string before = Keys();
    std::string temp;
    {
        auto d = Make("Odd");
        temp = d->TempFileName();
        ASSERT_FALSE(temp.empty());
        EXPECT_EQ(temp.rfind(Temp() + "KV", 0), 0u);
        Click(d->KeyButton(72, true));
        EXPECT_EQ(d->KeyEdit->text(), "^[[A");
        Type(d->KeyEdit, "^[OA");
        QTest::keyClick(d->KeyEdit, Qt::Key_Return);
        EXPECT_EQ(Value(TScratchFolder::Read(temp), session::kTempKeySection, "072-0001(Up)"),
                  "^[OA");
        Click(d->KeyButton(2, false));
        d->KeyEdit->clear();
        Click(d->ChangeBtn);
        EXPECT_EQ(Keys(), before) << "Cancel stores nothing";
    }
    EXPECT_FALSE(std::filesystem::exists(temp)) << "the scratch file goes with the editor";
}

TEST_F(KeyBoardDialog, SaveUnderANewNameAddsItToBothListsAndRebuildsTables) {
    CopyFixtures();
    auto d = Make("Odd");
    TModalScript modals;
    Click(d->KeyButton(59, false));
    Type(d->KeyEdit, "^M");
    Click(d->ChangeBtn);
    modals.Then([](QDialog* dlg) {
        EXPECT_EQ(dlg->windowTitle(), "儲存");
        Type(dlg->findChild<QLineEdit*>("Edit"), "Mine");
        QTest::keyClick(dlg->findChild<QLineEdit*>("Edit"), Qt::Key_Return);
    });
    Click(d->SaveBtn);
    EXPECT_EQ(d->MapName(), "Mine");
    EXPECT_EQ(d->windowTitle(), "鍵盤對映 - Mine");
    EXPECT_EQ(Value(Keys(), "Mine", "059-0000(F1)"), "^M");
    EXPECT_EQ(win::TIniText(Keys()).Keys("Mine").size(), 8u) << "Odd's keys with a value, and F1";
    EXPECT_EQ(Host.Added, std::vector<std::string>{"Mine"});
    EXPECT_EQ(Host.Rebuilt, std::vector<std::string>{"Mine"});
    EXPECT_TRUE(d->AccessDlg->HasMap("mine"));
    // An existing name in another case reuses the map under its own name.
    modals.Type("many");
    Click(d->SaveBtn);
    EXPECT_EQ(d->MapName(), "Many");
    EXPECT_EQ(Host.Added.size(), 1u);
    EXPECT_EQ(win::TIniText(Keys()).Sections().size(), 4u);
}

TEST_F(KeyBoardDialog, OverflowWarnsOncePerSessionAndReadOnlyMapsSayWhy) {
    if (testpeer::RanUnprivileged()) return;
    CopyFixtures();
    auto d = Make("Many");
    TModalScript modals;
    Host.Overflowing = 2;
    modals.Ok();
    modals.Ok();
    Click(d->OKBtn);
    ASSERT_EQ(modals.Texts.size(), 2u);
    EXPECT_EQ(modals.Texts[0], "按鍵設定數目超過 64 個!\r系統會忽略第 64 個以後的按鍵設定值!");

    Host.Overflowing = 0;
    const std::string path = Host.Dir + "Keys.ini";
    chmod(path.c_str(), 0400);
    if (access(path.c_str(), W_OK) == 0) GTEST_SKIP() << "running with rights over every file";
    const std::string before = Keys();
    modals.Ok();
    d->ApplyKeyMap("Many");
    EXPECT_EQ(modals.Texts.back().rfind("無法寫入 ", 0), 0u);
    EXPECT_EQ(Keys(), before);
    EXPECT_EQ(Host.Rebuilt.size(), 2u) << "the tables are rebuilt all the same";
    Click(d->KeyButton(2, false));
    EXPECT_TRUE(d->KeyEdit->isEnabled()) << "the editor stays usable";
    chmod(path.c_str(), 0600);
}

TEST_F(KeyBoardDialog, TakenScratchNamesAreNeverReused) {
    CopyFixtures();
    // Every name but one is taken: the editor finds the free one.
    auto first = Make("Default");
    auto second = Make("Default");
    EXPECT_NE(first->TempFileName(), second->TempFileName());
    TScratchFolder::Write(second->TempFileName(), "mine");
    EXPECT_EQ(TScratchFolder::Read(second->TempFileName()), "mine");
}

TEST_F(KeyBoardDialog, MapChooser) {
    CopyFixtures();
    TAccessKeyBoardIniDlg d(Host.Dir + "Keys.ini");
    EXPECT_FALSE(d.OKBtn->isEnabled());
    ASSERT_GE(d.ListBox->count(), 3);
    EXPECT_EQ(d.ListBox->item(0)->text(), "Empty") << "sorted";
    d.show();
    QTest::mouseClick(d.ListBox->viewport(), Qt::LeftButton, {},
                      d.ListBox->visualItemRect(d.ListBox->item(1)).center());
    EXPECT_EQ(d.Edit->text(), d.ListBox->item(1)->text());
    EXPECT_TRUE(d.OKBtn->isEnabled());
    d.Edit->clear();
    EXPECT_FALSE(d.OKBtn->isEnabled());
}

TEST_F(KeyBoardDialog, DamagedMapsOpenEditAndSaveWithoutLosingOtherMaps) {
    std::string binary;
    for (int i = 0; i < 4096; ++i)
        binary.push_back(static_cast<char>((i * 53) & 0xFF));
    const std::pair<const char*, std::string> files[] = {
        {"truncated", "[Default]\r\n072-0001(Up)=^[[A\r\n[Mine]\r\n059-00"},
        {"no section", "059-0000(F1)=^[OP\r\n060-0000(F2)=^[OQ\r\n"},
        {"short names and empty values",
         "[Mine]\r\n059=\r\n5=x\r\n000-0000(?)=y\r\n99x-0000=z\r\n"},
        {"binary", "[Other]\r\n030-0000(A)=kept\r\n" + binary},
    };
    for (const auto& [what, bytes] : files) {
        SCOPED_TRACE(what);
        TScratchFolder::Write(Host.Dir + "Keys.ini", bytes);
        WriteErrors.clear();
        Host.Rebuilt.clear();
        auto d = Make("Mine");
        Click(d->KeyButton(59, false));
        Type(d->KeyEdit, "^[OP");
        Click(d->ChangeBtn);
        d->ApplyKeyMap("Mine");
        EXPECT_TRUE(WriteErrors.empty());
        ASSERT_EQ(Host.Rebuilt.size(), 1u);
        const std::string after = Keys();
        EXPECT_EQ(Value(after, "Mine", "059-0000(F1)"), "^[OP");
        if (std::string(what) == "binary") {
            EXPECT_EQ(Value(after, "Other", "030-0000(A)"), "kept");
        }
    }
}

