// The site-list window: loading, editing through its commands and keys,
// and the save question on close.
#include "QuillonFixture.h"
#include "QuillonInput.h"

#include "platform/core/Big5.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTreeWidget>
#include <filesystem>

namespace {
std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

// Types a name into the open in-place editor over what it shows, and ends with Enter.
void TypeName(const QString& name) {
    QWidget* editor = QApplication::focusWidget();
    ASSERT_TRUE(editor);
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    for (QChar c : name)
        QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view takes the text on its next turn
}
} // namespace

// A hand-made file: Big5 names, CR LF, a remark holding ";", a stray line.
static const std::string kHandMade =
    B5("/我的最愛\r\n") + B5("-//批踢踢;ptt.example;23;備註;含分號\r\n") + "a stray line\r\n" +
    B5("-/子目錄\r\n") + "--//s2;h2;2323;\r\n" + "\r\n" + "/B\r\n";

TEST_F(QuillonTest, HandMadeFileTakesAnEditAndSavesEveryOtherLineUnchanged) {
    PutList(kHandMade);
    TQuillonFrm& form = Open();
    ASSERT_EQ(form.TreeView->topLevelItemCount(), 2);
    ClickFolder(form, 0);
    EXPECT_EQ(Rows(), std::vector<std::string>{"批踢踢 ptt.example 23 備註;含分號"});
    EXPECT_EQ(form.StatusPanel->text(), "1 個站台");
    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
    ASSERT_EQ(Rows().size(), 2u);
    EXPECT_EQ(Rows()[1], "新站台 位址 23 ");

    Answers.push_back(QMessageBox::Yes);
    EXPECT_TRUE(form.close());
    std::string expected = kHandMade;
    std::string added = B5("-//新站台;位址;23;\r\n");
    expected.insert(expected.find("a stray line"), added);
    EXPECT_EQ(List(), expected);
    EXPECT_EQ(TTempDir::Get(Dir / "Quillon.txt.bak"), kHandMade);
}

TEST_F(QuillonTest, SaveQuestionCancelKeepsTheWindowNoKeepsTheFile) {
    PutList("/A\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
    Answers.push_back(QMessageBox::Cancel);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Messages.back(), "你確定要儲存更動後的站台列表嗎?");
    Answers.push_back(QMessageBox::No);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(List(), "/A\r\n");
    EXPECT_FALSE(std::filesystem::exists(Dir / "Quillon.txt.bak"));
    // Settings are written before the question.
    EXPECT_TRUE(std::filesystem::exists(Dir / "Quillon.ini"));
}

TEST_F(QuillonTest, FailedBackupNamesItsFileAndKeepsWindowAndBothFiles) {
    PutList("/A\r\n");
    std::filesystem::create_directory(Dir / "Quillon.txt.bak"); // cannot be replaced by a file
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
    Answers.push_back(QMessageBox::Yes);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Messages.back().toStdString(), "無法寫入 " + Dir / "Quillon.txt.bak" + "!");
    EXPECT_EQ(List(), "/A\r\n");
    EXPECT_TRUE(std::filesystem::is_directory(Dir / "Quillon.txt.bak"));
    Answers.push_back(QMessageBox::No);
    EXPECT_TRUE(form.close());
}

TEST_F(QuillonTest, UnreadableListIsNamedAndNeverReplaced) {
    std::filesystem::create_directory(Dir / "Quillon.txt");
    TQuillonFrm& form = Open();
    ASSERT_FALSE(Messages.empty());
    EXPECT_EQ(Messages.front().toStdString(), "無法讀取 " + Dir / "Quillon.txt" + "!");
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);
    Answers.push_back(QMessageBox::Yes);
    EXPECT_FALSE(form.close());
    EXPECT_TRUE(std::filesystem::is_directory(Dir / "Quillon.txt"));
    Answers.push_back(QMessageBox::No);
    EXPECT_TRUE(form.close());
}

TEST_F(QuillonTest, SettingsRoundTripAndAStoredIndexBeyondTheTreeIsIgnored) {
    PutList("/A\r\n-/B\r\n/C\r\n");
    TTempDir::Put(Dir / "Quillon.ini", "[TreeView]\r\nItemIndex=7\r\n");
    {
        TQuillonFrm& form = Open();
        EXPECT_EQ(form.SelectedNode(), -1);
        ClickFolder(form, 1);
        EXPECT_TRUE(form.close());
    }
    Form.reset();
    TQuillonFrm& again = Open();
    EXPECT_EQ(again.SelectedNode(), 1);
    EXPECT_EQ(again.TreeView->currentItem()->text(0), "B");
}

TEST_F(QuillonTest, AltKeysRunEnabledCommandsOnly) {
    PutList("/A\r\n-//s1;h;23;\r\n");
    TQuillonFrm& form = Open();
    // Ctrl+click takes away the folder selected at start.
    QTest::mouseClick(form.TreeView->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      form.TreeView->visualItemRect(form.NodeItem(0)).center());
    // Nothing selected: new site and delete are disabled and ignore their keys.
    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(form.Sites().LineCount(), 2);
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(Rows().size(), 2u);
    // Copy the folder and paste it into itself: refused.
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);
    EXPECT_TRUE(form.PasteAct->isEnabled());
    QTest::keyClick(&form, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(Messages.back(), "來源和目的為同一目錄!");
    // Delete with the tree focused takes the folder.
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_D, Qt::AltModifier);
    EXPECT_EQ(form.TreeView->topLevelItemCount(), 0);
    EXPECT_FALSE(form.PasteAct->isEnabled());
    Answers.push_back(QMessageBox::No);
}

TEST_F(QuillonTest, NewFoldersSitBesideSubfoldersAndRenamesThatBreakTheFileRevert) {
    PutList("/A\r\n-/B\r\n--//b1;h;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier); // a new folder, its name in an editor
    QTreeWidgetItem* a = form.TreeView->topLevelItem(0);
    ASSERT_EQ(a->childCount(), 2);
    EXPECT_EQ(a->child(1)->text(0), "新資料匣");
    TypeName("/bad");
    EXPECT_EQ(a->child(1)->text(0), "新資料匣");
    EXPECT_NE(Messages.back().indexOf("/"), -1);
    ClickFolder(form, 2);
    QTest::keyClick(form.TreeView, Qt::Key_F2);
    TypeName("好");
    EXPECT_EQ(form.Sites().Text(), "/A\r\n-/B\r\n--//b1;h;23;\r\n" + B5("-/好\r\n"));
    // B keeps its site.
    ClickFolder(form, 1);
    EXPECT_EQ(Rows(), std::vector<std::string>{"b1 h 23 "});
    // A site alias edited in place: ";" is refused and reverts. The click
    // lands in the middle of the row, on the address: F2 still takes the alias.
    ClickSite(form, 0);
    QTest::keyClick(form.ListView, Qt::Key_F2);
    TypeName("x;y");
    EXPECT_EQ(Rows(), std::vector<std::string>{"b1 h 23 "});
    QTest::keyClick(form.ListView, Qt::Key_F2);
    TypeName("b2");
    EXPECT_EQ(form.Sites().Line(2), "--//b2;h;23;");
    Answers.push_back(QMessageBox::No);
}

TEST_F(QuillonTest, PastedSitesTakeCopyNamesAndTheCaptionFollowsTheSelection) {
    PutList("/A\r\n-//s1;h1;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    ClickSite(form, 0);
    EXPECT_EQ(form.windowTitle(), "站台列表 - s1 (h1)");
    EXPECT_TRUE(form.ConnectAct->isEnabled());
    QTest::keyClick(&form, Qt::Key_Y, Qt::AltModifier);
    QTest::keyClick(&form, Qt::Key_U, Qt::AltModifier);
    QTest::keyClick(&form, Qt::Key_U, Qt::AltModifier);
    std::vector<std::string> aliases;
    for (const auto& r : Rows())
        aliases.push_back(r.substr(0, r.find(" h1")));
    EXPECT_EQ(aliases, (std::vector<std::string>{"s1", "複製 - s1", "複製 (2) - s1"}));
    // Ctrl+click on each selected row leaves none selected.
    for (int row = 0; row < 3; ++row)
        if (form.ListView->topLevelItem(row)->isSelected())
            ClickSite(form, row, Qt::ControlModifier);
    EXPECT_EQ(form.windowTitle(), "站台列表");
    Answers.push_back(QMessageBox::No);
}

TEST_F(QuillonTest, ImportLandsAtTheEndOfTheFolderTakingEntryLinesOnly) {
    PutList("/A\r\n-/Old\r\n");
    TTempDir::Put(Dir / "import.txt", "junk\r\n/N\r\n-//n;h;23;\r\n");
    TQuillonFrm& form = Open();
    form.ChooseImportFile = [this] { return QString::fromStdString(Dir / "import.txt"); };
    ClickFolder(form, 0);
    form.LoadSiteListAct->trigger(); // the menu's command
    EXPECT_EQ(form.Sites().Text(), "/A\r\n-/Old\r\n-/N\r\n--//n;h;23;\r\n");
    EXPECT_EQ(form.TreeView->topLevelItem(0)->child(1)->text(0), "N");
    EXPECT_TRUE(form.Sites().Modified);
    Answers.push_back(QMessageBox::No);
}
