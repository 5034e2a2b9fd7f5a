// The main window and its session windows on a real form offscreen: which
// right clicks open which pop-up and what the session pop-up enables, the
// wheel over a session window, and the move and size handlers that keep
// the transparent backgrounds right (passes that never nest, growth only).
#include "SessionPeers.h"
#include "UserInput.h"
#include "WindowFixture.h"
#include "support/SandboxHome.h"

#include "controls/DockWin.h"
#include "platform/QtMessageLoop.h"
#include "screen/MyBitmap.h"
#include "session/kvMainForm.h"
#include "session/uTiler.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QImage>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QWheelEvent>

#include <filesystem>
#include <gtest/gtest.h>

namespace {

using sessiontest::WaitFor;

void Settle() {
    WaitFor([] { return false; }, 50);
}

struct WindowTest : sessiontest::TWindowTest {
    void TearDown() override {
        for (QMenu* m : {Form->PopupMenu, Form->DetachedFormPopupMenu, Form->ListPopupMenu})
            if (m) m->hide();
        TWindowTest::TearDown();
    }

    TConnection& Open() {
        TConnection* s = Form->OpenSessionWindow();
        Settle();
        return *s;
    }
    TDetachedForm* W(TConnection& s) { return Form->FormOf(&s); }
    QAction* A(const char* name) { return Form->Action(QString::fromLatin1(name)); }
    // Chooses the command `name` from the menu bar with the mouse.
    void Choose(const char* name) {
        EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, A(name))) << name;
    }

    // A right click as the window system delivers it: to the widget under
    // the mouse, handed on to its parents until one takes it.
    static void RightClick(QWidget* w, QPoint at) {
        QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
        QApplication::sendEvent(w, &e);
    }
    static QPoint CellCentre(TConnection& s, int col, int row) {
        return {s.MarginX() + col * s.CellWidth() + s.CellWidth() / 2,
                s.MarginY() + row * s.CellHeight() + s.CellHeight() / 2};
    }
    static void Hover(TConnection& s, QPoint at) {
        QMouseEvent e(QEvent::MouseMove, QPointF(at), QPointF(s.mapToGlobal(at)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&s, &e);
    }
    // A link on row 0 of the screen, found once the screen has drawn it.
    static void ShowLink(TConnection& s) {
        s.Hyperlink = true;
        s.WriteStr("see http://127.0.0.1/page now");
        s.update();
        ASSERT_TRUE(WaitFor([&] { return !s.Hyperlinks().empty(); }, 5000));
    }
};

// ---- Pop-up menus ---------------------------------------------------------------

TEST_F(WindowTest, SessionPopupEnablesTheLinkCommandsOnlyOverALink) {
    TConnection& s = Open();
    ShowLink(s);
    std::string opened;
    Form->OpenUrlHandler = [&](const std::string& url) { opened = url; };

    Hover(s, CellCentre(s, 8, 0)); // on "http://..."
    ASSERT_FALSE(s.HoverLinkText.empty());
    RightClick(&s, CellCentre(s, 8, 0));
    EXPECT_TRUE(Form->DetachedFormPopupMenu->isVisible());
    EXPECT_TRUE(A("CopyHyperlink")->isEnabled());
    EXPECT_TRUE(A("GotoHyperlink")->isEnabled());
    // The mouse leaves the screen for the menu: the record still holds.
    s.HoverLinkText.clear();
    EXPECT_TRUE(sessiontest::ClickMenuItem(Form->DetachedFormPopupMenu, A("CopyHyperlink")));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("http://127.0.0.1/page"));
    Hover(s, CellCentre(s, 2, 5)); // off the link and back on it
    Hover(s, CellCentre(s, 8, 0));
    RightClick(&s, CellCentre(s, 8, 0));
    s.HoverLinkText.clear();
    EXPECT_TRUE(sessiontest::ClickMenuItem(Form->DetachedFormPopupMenu, A("GotoHyperlink")));
    EXPECT_NE(opened.find("127.0.0.1/page"), std::string::npos) << opened;
    Form->DetachedFormPopupMenu->hide();

    // Off the link: both commands off, and run anyway they do nothing,
    // not even with a link the screen still remembers from elsewhere.
    opened.clear();
    QApplication::clipboard()->setText(QStringLiteral("kept"));
    Hover(s, CellCentre(s, 2, 5));
    ASSERT_TRUE(s.HoverLinkText.empty());
    RightClick(&s, CellCentre(s, 2, 5));
    EXPECT_TRUE(Form->DetachedFormPopupMenu->isVisible());
    EXPECT_FALSE(A("CopyHyperlink")->isEnabled());
    EXPECT_FALSE(A("GotoHyperlink")->isEnabled());
    s.HoverLinkText = "http://127.0.0.1/stale";
    Form->CopyHyperlinkClick(nullptr);
    Form->GotoHyperlinkClick(nullptr);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("kept"));
    EXPECT_TRUE(opened.empty()) << opened;
}

TEST_F(WindowTest, SessionPopupTakesTheLinkOfTheWindowClickedNotOfTheCurrentOne) {
    TConnection& first = Open();
    TConnection& second = Open();
    ShowLink(first);
    Hover(first, CellCentre(first, 8, 0));
    ASSERT_FALSE(first.HoverLinkText.empty());
    Form->CurrentSession = Form->SessionIndex(&second); // the other one is current
    ASSERT_TRUE(second.HoverLinkText.empty());
    RightClick(&first, CellCentre(first, 8, 0));
    EXPECT_TRUE(A("CopyHyperlink")->isEnabled());
    EXPECT_EQ(Form->PopupLinkText, "http://127.0.0.1/page");
    Form->DetachedFormPopupMenu->hide();

    // And the other way round: a window without a link, the current one
    // hovering one, gives a pop-up without the link commands.
    Form->CurrentSession = Form->SessionIndex(&first);
    RightClick(&second, CellCentre(second, 2, 5));
    EXPECT_FALSE(A("CopyHyperlink")->isEnabled());
    EXPECT_TRUE(Form->PopupLinkText.empty());
}

TEST_F(WindowTest, MainPopupOpensOnlyOverTheDocumentArea) {
    QWidget* area = Form->MdiArea->viewport();
    RightClick(area, QPoint(area->width() / 2, area->height() / 2));
    EXPECT_TRUE(Form->PopupMenu->isVisible());
    Form->PopupMenu->hide();
    // The area's corners are in; one pixel past them is not.
    EXPECT_TRUE(Form->FormContextPopup(area->mapTo(Form.get(), QPoint(0, 0)), QPoint()));
    Form->PopupMenu->hide();
    const QPoint lastPixel = area->mapTo(Form.get(), QPoint(area->width() - 1, area->height() - 1));
    EXPECT_TRUE(Form->FormContextPopup(lastPixel, QPoint()));
    Form->PopupMenu->hide();
    EXPECT_FALSE(Form->FormContextPopup(lastPixel + QPoint(1, 0), QPoint()));
    EXPECT_FALSE(Form->FormContextPopup(lastPixel + QPoint(0, 1), QPoint()));
    EXPECT_FALSE(Form->FormContextPopup(area->mapTo(Form.get(), QPoint(0, -1)), QPoint()));

    // Session list, status bar, top dock and tab strip: no main pop-up.
    for (QWidget* w : std::initializer_list<QWidget*>{Form->BmpListBox, Form->statusBar(),
                                                      Form->TopDock, Form->TabControl}) {
        if (!w->isVisible()) continue;
        RightClick(w, QPoint(w->width() / 2, w->height() / 2));
        EXPECT_FALSE(Form->PopupMenu->isVisible()) << w->objectName().toStdString();
        Form->PopupMenu->hide();
        if (Form->ListPopupMenu) Form->ListPopupMenu->hide();
    }
}

TEST_F(WindowTest, TheDocumentAreaFollowsTheListsAndBars) {
    // With the vertical list shown, its place is no document area; hidden,
    // the area takes the room and a click there opens the pop-up.
    if (!A("ConnectionForm2")->isChecked()) Choose("ConnectionForm2");
    Settle();
    ASSERT_TRUE(Form->BmpListBox->isVisible());
    const QPoint onList = Form->BmpListBox->mapTo(
        Form.get(), QPoint(Form->BmpListBox->width() / 2, Form->BmpListBox->height() / 2));
    EXPECT_FALSE(Form->FormContextPopup(onList, QPoint()));
    Choose("ConnectionForm2");
    Settle();
    ASSERT_FALSE(Form->BmpListBox->isVisible());
    EXPECT_TRUE(Form->FormContextPopup(onList, QPoint()));
    Form->PopupMenu->hide();

    // The same with the tab strip above the area.
    if (!A("ConnectionForm1")->isChecked()) Choose("ConnectionForm1");
    Settle();
    ASSERT_TRUE(Form->TabControl->isVisible());
    const QPoint onTabs = Form->TabControl->mapTo(Form.get(), QPoint(5, 5));
    EXPECT_FALSE(Form->FormContextPopup(onTabs, QPoint()));
    Choose("ConnectionForm1");
    Settle();
    ASSERT_FALSE(Form->TabControl->isVisible());
    EXPECT_TRUE(Form->FormContextPopup(onTabs, QPoint()));
}

// ---- Wheel ------------------------------------------------------------------------

struct WheelTest : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        S = &Open();
        for (int i = 0; i < 80; ++i)
            S->WriteStr("line " + std::to_string(i) + "\r\n");
        S->update();
        // The bar follows the screen's rows once the write is over.
        QScrollBar* bar = W(*S)->ScrollBar;
        ASSERT_TRUE(WaitFor(
            [&] {
                return S->TopRow() > 10 && bar->maximum() == S->TopRow() &&
                       bar->value() == bar->maximum();
            },
            5000));
        Top = S->TopRow();
        ASSERT_EQ(S->ViewRow(), Top);
    }
    // Vertical delta dy, horizontal dx, to the window as the screen hands it on.
    void Wheel(int dy, int dx = 0) {
        TDetachedForm* w = W(*S);
        const QPointF at(20, 40);
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(dx, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    }
    TConnection* S = nullptr;
    int Top = 0;
};

TEST_F(WheelTest, WholeNotchesMoveOneLineEachTowardsTheHistory) {
    Wheel(120);
    EXPECT_EQ(S->ViewRow(), Top - 1);
    Wheel(-120);
    EXPECT_EQ(S->ViewRow(), Top);
    Wheel(-120); // never past the live screen
    EXPECT_EQ(S->ViewRow(), Top);
    Wheel(240);
    EXPECT_EQ(S->ViewRow(), Top - 2);
}

TEST_F(WheelTest, SmallStepsAddUpAndNeverRace) {
    Wheel(40);
    Wheel(40);
    EXPECT_EQ(S->ViewRow(), Top); // two thirds of a notch: nothing yet
    Wheel(40);
    EXPECT_EQ(S->ViewRow(), Top - 1);
    // A touchpad trembling back and forth moves nothing.
    for (int i = 0; i < 10; ++i) {
        Wheel(30);
        Wheel(-30);
    }
    EXPECT_EQ(S->ViewRow(), Top - 1);
}

TEST_F(WheelTest, ASidewaysWheelMovesNothing) {
    Wheel(0, 120);
    Wheel(0, -120);
    EXPECT_EQ(S->ViewRow(), Top);
    // Nor does it count towards a vertical notch.
    Wheel(60);
    Wheel(0, 120);
    Wheel(60);
    EXPECT_EQ(S->ViewRow(), Top - 1);
}

TEST_F(WheelTest, AHugeDeltaStopsAtTheOldestLine) {
    Wheel(120 * 100000);
    EXPECT_EQ(S->ViewRow(), 0);
    Wheel(-2147483647);
    EXPECT_EQ(S->ViewRow(), Top);
}

// ---- Move and size handlers ----------------------------------------------------

struct MoveTest : WindowTest {
    struct TRun {
        QPoint At;
        bool Locked; // a pass (another run) was still running as it started
    };
    void SetUp() override {
        WindowTest::SetUp();
        for (int i = 0; i < 3; ++i)
            Open().SetTransparent(true);
        Form->OnMovePass = [this](QPoint at) {
            Runs.push_back({at, Form->CommandsLocked()});
            if (OnRun) OnRun(static_cast<int>(Runs.size()));
        };
    }
    // Moves the main window and waits until the pass that follows is over.
    void MoveTo(QPoint p) {
        Form->move(p);
        WaitFor([&] { return Form->pos() == p && !Form->LayoutMoveGate.Running(); }, 5000);
        Settle();
    }
    std::vector<TRun> Runs;
    std::function<void(int run)> OnRun;
};

TEST_F(MoveTest, AMoveDuringThePassRunsItOnceMoreAtTheLatestPlace) {
    MoveTo(QPoint(100, 100));
    Runs.clear();
    // While the first run processes messages, the window moves twice more.
    OnRun = [this](int run) {
        if (run != 1) return;
        QTimer::singleShot(0, Form.get(), [this] {
            Form->move(150, 120);
            Form->MainWindowMoved();
            Form->move(170, 130);
            Form->MainWindowMoved();
        });
    };
    Form->move(120, 110);
    WaitFor([&] { return Form->pos() == QPoint(170, 130) && !Form->LayoutMoveGate.Running(); },
            5000);
    Settle();
    ASSERT_EQ(Runs.size(), 2u);
    EXPECT_EQ(Runs[0].At, QPoint(120, 110));
    EXPECT_EQ(Runs[1].At, QPoint(170, 130));
    EXPECT_FALSE(Runs[1].Locked) << "the second run started inside the first";
    EXPECT_FALSE(Form->CommandsLocked());
    EXPECT_TRUE(Form->StatusText(4).isEmpty());
}

TEST_F(MoveTest, APlaceAlreadyHandledRunsNoPass) {
    MoveTo(QPoint(60, 40));
    Runs.clear();
    Form->MainWindowMoved();
    Form->MainWindowMoved();
    EXPECT_TRUE(Runs.empty());
}

TEST_F(MoveTest, ATopDockHeightChangeRunsOneFullPassWithoutAMove) {
    MoveTo(QPoint(60, 40));
    Runs.clear();
    Form->LastDockHeight = Form->TopDock->height() + 5; // as if it had been taller
    Form->TopDockResize(nullptr);
    Form->TopDockResize(nullptr); // the same height again: nothing more
    EXPECT_TRUE(Runs.empty()) << "the pass comes as a posted move, not inside the dock";
    WaitFor([&] { return !Runs.empty(); }, 5000);
    Settle();
    ASSERT_EQ(Runs.size(), 1u);
    EXPECT_EQ(Runs[0].At, QPoint(60, 40));
}

TEST_F(MoveTest, ASessionClosedDuringThePassIsSkipped) {
    MoveTo(QPoint(100, 100));
    OnRun = [this](int) {
        QTimer::singleShot(0, Form.get(), [this] {
            if (Form->Sessions.size() == 3) Form->CloseSessionWindow(2, false);
        });
    };
    MoveTo(QPoint(140, 100));
    EXPECT_EQ(Form->Sessions.size(), 2u);
    EXPECT_FALSE(Form->CommandsLocked());
}

// The transparent document-area background under resizes: the copy is cut
// as large as the area; a smaller area keeps it, only growth past the copy
// paints a new one.
struct SizeTest : WindowTest {
    void SetUp() override {
        WindowTest::SetUp();
        if (!A("TransparentMenuItem")->isChecked()) Choose("TransparentMenuItem");
        ASSERT_TRUE(A("TransparentMenuItem")->isChecked());
        Settle();
    }
    QSize Area() { return Form->MdiArea->viewport()->size(); }
    QSize Painted() { return Form->Tiler->Bitmap().deviceIndependentSize().toSize(); }
    qint64 Key() { return Form->Tiler->Bitmap().cacheKey(); }
    bool Covers() {
        return Painted().width() >= Area().width() && Painted().height() >= Area().height();
    }
    void ResizeTo(QSize s) {
        Form->resize(s);
        WaitFor([&] { return Form->size() == s; }, 5000);
        Settle();
    }
};

TEST_F(SizeTest, ShrinkingKeepsTheCopyAndGrowingPastItPaintsANewOne) {
    ResizeTo({1000, 760});
    ASSERT_TRUE(Covers());
    const qint64 large = Key();
    ResizeTo({800, 600});
    EXPECT_EQ(Key(), large) << "a smaller window repainted";
    ResizeTo({900, 700});
    EXPECT_EQ(Key(), large) << "still within the copy";
    ResizeTo({1100, 700}); // wider only
    EXPECT_NE(Key(), large);
    EXPECT_TRUE(Covers());
}

TEST_F(SizeTest, GrowingBackAfterAMoveRepaintedSmallCoversTheArea) {
    ResizeTo({1000, 760});
    ResizeTo({700, 500});
    // The move cuts a new copy as large as the small area.
    Form->move(30, 20);
    WaitFor([&] { return Form->pos() == QPoint(30, 20) && !Form->LayoutMoveGate.Running(); }, 5000);
    Settle();
    ASSERT_EQ(Painted(), Area());
    // Back to the largest size so far: the copy no longer covers the area.
    ResizeTo({1000, 760});
    EXPECT_TRUE(Covers()) << Painted().width() << "x" << Painted().height() << " for "
                          << Area().width() << "x" << Area().height();
}

TEST_F(SizeTest, TheAreaWideningInsideTheWindowPaintsANewCopy) {
    if (!A("ConnectionForm2")->isChecked()) Choose("ConnectionForm2");
    Settle();
    ASSERT_TRUE(Form->BmpListBox->isVisible());
    Choose("TransparentMenuItem");
    Choose("TransparentMenuItem"); // a fresh copy for this layout
    ASSERT_EQ(Painted(), Area());
    Choose("ConnectionForm2"); // the list hides, the area widens
    Settle();
    EXPECT_TRUE(Covers());
}

} // namespace
