// The site-list window's toolbar: docked by default with its groups, its
// place written to Quillon.ini and read back to the same bytes, floating
// and dragged back, files from before DockPos, and hand-edited places.
#include "../controls/DockFixture.h"
#include "QuillonFixture.h"

#include "controls/DockCtls.h"
#include "controls/DockTlbr.h"
#include "controls/DockWin.h"
#include "platform/core/IniFile.h"

#include <QAction>
#include <QGuiApplication>
#include <QScreen>
#include <QTreeWidget>

namespace {

class QuillonToolbar : public QuillonTest {
protected:
    void PutIni(const std::string& toolbarLines) {
        TTempDir::Put(Dir / "Quillon.ini", "[ToolBar]\r\n" + toolbarLines);
    }
    std::string Ini() const { return TTempDir::Get(Dir / "Quillon.ini"); }
    std::string Key(const char* key) const {
        return win::TIniFile(Dir / "Quillon.ini").ReadString("ToolBar", key, "<none>");
    }
    void Reopen() {
        ASSERT_TRUE(Form->close());
        Form.reset();
        Settle();
        Open();
        Settle();
    }
};

TEST_F(QuillonToolbar, DockedAboveTheListsWithThreeSeparatorsAndItsCommands) {
    PutList("/A\r\n");
    TQuillonFrm& form = Open();
    Settle();
    EXPECT_EQ(form.MainBar->DockedTo(), form.MainDock);
    EXPECT_LE(form.MainDock->mapTo(&form, QPoint(0, 0)).y(),
              form.TreeView->mapTo(&form, QPoint(0, 0)).y());
    EXPECT_EQ(form.MainBar->findChildren<TToolbarSep*>().size(), 3);
    const auto buttons = form.MainBar->findChildren<TToolbarButton*>();
    ASSERT_EQ(buttons.size(), 10);
    // The buttons follow their commands' enabled state.
    TToolbarButton* connect = nullptr;
    for (TToolbarButton* b : buttons)
        if (b->Action() == form.ConnectAct) connect = b;
    ASSERT_TRUE(connect);
    form.ConnectAct->setEnabled(false);
    EXPECT_FALSE(connect->isEnabled());
    form.ConnectAct->setEnabled(true);
    EXPECT_TRUE(connect->isEnabled());
}

// Each button shows its command's picture beside its caption, whole: the
// bar holds them all and its dock holds the bar.
TEST_F(QuillonToolbar, EveryButtonShowsItsPictureAndItsWholeCaption) {
    PutList("/A\r\n");
    TQuillonFrm& form = Open();
    Settle();
    const auto buttons = form.MainBar->findChildren<TToolbarButton*>();
    ASSERT_EQ(buttons.size(), 10);
    for (TToolbarButton* b : buttons) {
        SCOPED_TRACE(b->Caption().toStdString());
        EXPECT_FALSE(b->Glyph().isNull());
        EXPECT_EQ(b->DisplayMode(), dmBoth);
        EXPECT_GE(b->width(), b->Glyph().width() + b->Spacing() +
                                  b->fontMetrics().horizontalAdvance(b->Caption()));
        EXPECT_TRUE(form.MainBar->rect().contains(b->geometry()));
    }
    EXPECT_LE(form.MainBar->geometry().right(), form.MainDock->width() - 1);
}

TEST_F(QuillonToolbar, AFileWithoutDockPosLoadsDockedAndRoundTripsToTheSameBytes) {
    PutList("/A\r\n");
    PutIni("Visible=1\r\nDock=1\r\nLeft=0\r\nTop=0\r\nFloatingWidth=0\r\n");
    Open();
    Settle();
    EXPECT_TRUE(Form->MainBar->Docked());
    EXPECT_EQ(Form->MainBar->DockPos(), 0);
    Reopen();
    const std::string first = Ini();
    EXPECT_EQ(Key("DockPos"), "0");
    EXPECT_EQ(Key("Dock"), "1");
    Reopen();
    ASSERT_TRUE(Form->close());
    EXPECT_EQ(Ini(), first);
}

TEST_F(QuillonToolbar, FloatingPlaceAndWidthComeBackAfterARestart) {
    PutList("/A\r\n");
    PutIni("Dock=0\r\nLeft=120\r\nTop=140\r\nFloatingWidth=90\r\n");
    Open();
    Settle();
    TToolbar* bar = Form->MainBar;
    ASSERT_FALSE(bar->Docked());
    EXPECT_EQ(bar->FloatingPosition(), QPoint(120, 140));
    EXPECT_EQ(bar->FloatingRightX(), 90);
    EXPECT_FALSE(bar->WrapLines().empty()); // narrow: several rows
    Reopen();
    EXPECT_EQ(Key("Dock"), "0");
    EXPECT_EQ(Key("Left"), "120");
    EXPECT_EQ(Key("FloatingWidth"), "90");
    bar = Form->MainBar;
    ASSERT_FALSE(bar->Docked());
    // Dragged back by its caption onto the dock: docked after a restart,
    // with the place it floated at kept.
    Drag(bar, CaptionPoint(bar), Form->MainDock->mapToGlobal(QPoint(30, 0)));
    ASSERT_TRUE(bar->Docked());
    Reopen();
    EXPECT_TRUE(Form->MainBar->Docked());
    EXPECT_EQ(Key("Dock"), "1");
    EXPECT_EQ(Key("Left"), "120");
    EXPECT_EQ(Key("Top"), "140");
}

TEST_F(QuillonToolbar, HandEditedPlacesKeepTheToolbarReachable) {
    PutList("/A\r\n");
    PutIni("Dock=0\r\nLeft=-90000\r\nTop=2147483647\r\nFloatingWidth=-5\r\nDockPos=x\r\n");
    Open();
    Settle();
    TToolbar* bar = Form->MainBar;
    ASSERT_FALSE(bar->Docked());
    const QRect frame = bar->FloatingParent()->frameGeometry();
    bool onScreen = false;
    for (QScreen* s : QGuiApplication::screens())
        onScreen = onScreen || s->availableGeometry().intersects(frame);
    EXPECT_TRUE(onScreen);
    EXPECT_EQ(bar->FloatingRightX(), 0);
    ASSERT_TRUE(Form->close());
    EXPECT_EQ(Key("DockPos"), "0");
    EXPECT_EQ(Key("FloatingWidth"), "0");
}

TEST_F(QuillonToolbar, TheViewItemAndTheCloseButtonHideIt) {
    PutList("/A\r\n");
    PutIni("Dock=0\r\nLeft=200\r\nTop=200\r\n");
    TQuillonFrm& form = Open();
    Settle();
    TToolbar* bar = form.MainBar;
    ASSERT_TRUE(form.ToolBarAct->isChecked());
    const QRect c = ToQRect(controls::FloatingCloseButton({bar->width(), bar->height()},
                                                          controls::DefaultFrameMetrics(), true));
    Press(bar, bar->mapToGlobal(c.center()));
    Release(bar, bar->mapToGlobal(c.center()));
    Settle();
    EXPECT_FALSE(form.ToolBarAct->isChecked());
    EXPECT_FALSE(bar->Visible());
    form.ToolBarClick();
    EXPECT_TRUE(form.ToolBarAct->isChecked());
    EXPECT_TRUE(bar->Visible());
    form.ToolBarClick();
    ASSERT_TRUE(form.close());
    EXPECT_EQ(Key("Visible"), "0");
}

} // namespace
