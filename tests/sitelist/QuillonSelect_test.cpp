// Selecting folders in the site-list window with the mouse and the keys:
// the site list, the edit buttons and connect-all follow; deleting a folder
// that holds subfolders.
#include "QuillonFixture.h"
#include "QuillonInput.h"

#include <QAction>
#include <QLabel>
#include <QTreeWidget>

using TRows = std::vector<std::string>;

TEST_F(QuillonTest, ClickingAFolderListsItsSitesAndSetsTheButtons) {
    PutList("/A\r\n-//a1;h1;23;\r\n/B\r\n-//b1;h2;23;\r\n-//b2;h3;23;\r\n/C\r\n");
    TQuillonFrm& form = Open();
    // The first folder is taken at start.
    EXPECT_EQ(Rows(), TRows{"a1 h1 23 "});
    ClickFolder(form, 1);
    EXPECT_EQ(Rows(), (TRows{"b1 h2 23 ", "b2 h3 23 "}));
    EXPECT_EQ(form.StatusPanel->text(), "2 個站台");
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
    EXPECT_TRUE(form.CreateSiteAct->isEnabled());
    EXPECT_TRUE(form.DeleteAct->isEnabled());
    // Clicked again, the highlighted folder still lists its sites.
    ClickFolder(form, 1);
    EXPECT_EQ(Rows().size(), 2u);
    // A folder without sites: nothing to connect.
    ClickFolder(form, 2);
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(form.StatusPanel->text(), "0 個站台");
    EXPECT_FALSE(form.ConnectAllAct->isEnabled());
    // The arrow keys select as the mouse does.
    QTest::keyClick(form.TreeView, Qt::Key_Up);
    QTest::keyClick(form.TreeView, Qt::Key_Up);
    EXPECT_EQ(Rows(), TRows{"a1 h1 23 "});
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
    // Ctrl+click takes the selection away: no folder, no sites.
    QTreeWidgetItem* a = form.NodeItem(0);
    QTest::mouseClick(form.TreeView->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      form.TreeView->visualItemRect(a).center());
    EXPECT_EQ(form.SelectedNode(), -1);
    EXPECT_TRUE(Rows().empty());
    EXPECT_FALSE(form.CreateSiteAct->isEnabled());
    EXPECT_FALSE(form.ConnectAllAct->isEnabled());
}

TEST_F(QuillonTest, TheFolderSelectedAtTheLastCloseIsListedAtStart) {
    PutList("/A\r\n/B\r\n-//b1;h;23;\r\n");
    TTempDir::Put(Dir / "Quillon.ini", "[TreeView]\r\nItemIndex=1\r\n");
    TQuillonFrm& form = Open();
    EXPECT_EQ(Rows(), TRows{"b1 h 23 "});
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
}

// A site of A that follows A's subfolder B is listed under A, not under B.
TEST_F(QuillonTest, ASiteAfterASubfolderIsListedUnderItsFolder) {
    PutList("/A\r\n-/B\r\n--//b1;h;23;\r\n-//a2;h;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 0);
    EXPECT_EQ(Rows(), TRows{"a2 h 23 "});
    EXPECT_TRUE(form.ConnectAllAct->isEnabled());
    ClickFolder(form, 1);
    EXPECT_EQ(Rows(), TRows{"b1 h 23 "});
}

// Deleting a folder with a subfolder from the toolbar: its block and its
// node go, the window goes on, and the saved file keeps the next folder.
TEST_F(QuillonTest, DeletingAFolderThatHoldsASubfolderTakesItsWholeBlock) {
    PutList("/A\r\n-/B\r\n--//b1;127.0.0.1;23;\r\n/C\r\n-//c1;127.0.0.1;23;\r\n");
    TQuillonFrm& form = Open();
    ClickFolder(form, 1); // B, opened under A
    ClickFolder(form, 0);
    ClickToolButton(form, form.DeleteAct);
    ASSERT_EQ(form.TreeView->topLevelItemCount(), 1);
    EXPECT_EQ(form.TreeView->topLevelItem(0)->text(0), "C");
    // The window still answers: C's sites show when it is clicked.
    ClickFolder(form, 0);
    EXPECT_EQ(Rows(), TRows{"c1 127.0.0.1 23 "});
    Answers.push_back(QMessageBox::Yes);
    EXPECT_TRUE(form.close());
    EXPECT_EQ(List(), "/C\r\n-//c1;127.0.0.1;23;\r\n");
}
