#include "DockFixture.h"

#include "controls/DockCmn.h"
#include "controls/DockCnst.h"

#include <QScreen>

#include <climits>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EInvalidOperation& e) {
        return e.what();
    }
    return {};
}

bool Floating(TCustomToolWindow* w) {
    return !w->Docked() && w->FloatingParent() && w->parentWidget() == w->FloatingParent();
}

} // namespace

TEST(DockWin, MisplacedControlsRaiseTheFamilyTexts) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    EXPECT_EQ(ErrorOf([&] { new TDock(bar); }), STRDockParentNotAllowed);
    EXPECT_EQ(ErrorOf([&] { new TDock(f.Top); }), STRDockParentNotAllowed);
    EXPECT_EQ(ErrorOf([&] { f.Top->SetPosition(dpLeft); }), STRDockCannotChangePosition);
    EXPECT_EQ(f.Top->Position(), dpTop);
    EXPECT_EQ(ErrorOf([&] { bar->SetParent(f.Center); }), STRToolWindowParentNotAllowed);
    EXPECT_EQ(bar->DockedTo(), f.Top);
    EXPECT_EQ(ErrorOf([&] { new TToolbarSep(f.Center); }), STRToolbarSepParentNotAllowed);
    TToolbar orphan;
    EXPECT_EQ(ErrorOf([&] { orphan.SetDockedTo(nullptr); }), STRToolWindowParentNotAllowed);
    // An empty dock may change its position.
    TDock empty(f.Form.get());
    EXPECT_EQ(ErrorOf([&] { empty.SetPosition(dpRight); }), "");
}

TEST(DockWin, DockSizeFollowsItsRows) {
    TDockForm f;
    EXPECT_EQ(f.Top->height(), 0);
    f.Bottom->SetFixAlign(true);
    EXPECT_EQ(f.Bottom->height(), 1);
    TToolbar* a = MakeBar(f.Top);
    TToolbar* b = MakeBar(f.Top); // never placed (-1): goes first, pushing a along
    EXPECT_EQ(b->DockPos(), 0);
    EXPECT_EQ(a->DockPos(), b->width());
    b->SetDockRow(1);
    a->SetDockPos(0);
    Settle();
    // Two rows of 22-pixel controls, each with its 4-pixel border.
    EXPECT_EQ(f.Top->height(), 2 * 26);
    EXPECT_EQ(a->geometry(), QRect(0, 0, 11 + 5 * 23 + 6 + 2, 26));
    EXPECT_EQ(b->y(), 26);
    f.Top->SetBoundLines(blTop | blBottom);
    EXPECT_EQ(f.Top->height(), 2 * 26 + 2);
    EXPECT_EQ(a->y(), 1);
    // A hidden window leaves the shown list and the dock shrinks.
    a->hide();
    b->hide();
    EXPECT_EQ(f.Top->height(), 0);
    EXPECT_TRUE(f.Top->VisibleToolbars().isEmpty());
    EXPECT_EQ(f.Top->DockList().size(), 2);
}

TEST(DockWin, ParentChangesFireTheirEventsInOrder) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    std::vector<std::string> log;
    auto note = [&](const char* name) {
        return [&log, name](TCustomToolWindow*) { log.push_back(name); };
    };
    bar->OnDockChanging = note("DockChanging");
    bar->OnDockChangingEx = [&](TCustomToolWindow*, TDock* to) {
        log.push_back(to == f.Bottom ? "DockChangingEx(Bottom)"
                      : to           ? "DockChangingEx(?)"
                                     : "DockChangingEx(none)");
    };
    bar->OnDockChangingHidden = [&](TCustomToolWindow* sender, TDock* to) {
        // Out of its old place, not yet in the new one, and not showing.
        log.push_back(std::string("DockChangingHidden(") +
                      (to == f.Bottom ? "Bottom"
                       : to           ? "?"
                                      : "none") +
                      ")" + (sender->isVisible() ? " shown" : "") +
                      (f.Top->VisibleToolbars().contains(sender) ? " on Top" : "") +
                      (f.Bottom->VisibleToolbars().contains(sender) ? " on Bottom" : ""));
    };
    bar->OnRecreating = note("Recreating");
    bar->OnMove = note("Move");
    bar->OnRecreated = note("Recreated");
    bar->OnDockChanged = note("DockChanged");
    f.Bottom->OnInsertRemoveBar = [&](TDock*, bool inserting, TCustomToolWindow*) {
        log.push_back(inserting ? "Bottom+" : "Bottom-");
    };
    f.Top->OnInsertRemoveBar = [&](TDock*, bool inserting, TCustomToolWindow*) {
        log.push_back(inserting ? "Top+" : "Top-");
    };
    bar->SetDockedTo(f.Bottom);
    const std::vector<std::string> expected{"DockChanging",
                                            "DockChangingEx(Bottom)",
                                            "Recreating",
                                            "Top-",
                                            "DockChangingHidden(Bottom)",
                                            "Bottom+",
                                            "Move",
                                            "Recreated",
                                            "DockChanged"};
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->LastDock(), f.Bottom);
    EXPECT_TRUE(f.Top->DockList().isEmpty());
    log.clear();
    bar->SetDockedTo(nullptr);
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[1], "DockChangingEx(none)");
    EXPECT_NE(std::find(log.begin(), log.end(), "DockChangingHidden(none)"), log.end());
    EXPECT_EQ(log.back(), "DockChanged");
    // Asked to stay where it is, nothing changes and nothing fires.
    log.clear();
    bar->SetDockedTo(nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(DockWin, FloatAndRedockKeepRowAndPosition) {
    TDockForm f;
    TToolbar* a = MakeBar(f.Top);
    TToolbar* b = MakeBar(f.Top);
    b->SetDockRow(1);
    b->SetDockPos(30);
    Settle();
    FloatAt(b, QPoint(300, 300));
    ASSERT_TRUE(Floating(b));
    EXPECT_TRUE(b->FloatingParent()->isVisible());
    EXPECT_EQ(b->FloatingParent()->pos(), QPoint(300, 300));
    EXPECT_EQ(b->FloatingParent()->size(), b->size());
    EXPECT_EQ(f.Top->height(), 26);
    // Still listed by its last dock, so docking back restores its place.
    EXPECT_TRUE(f.Top->DockList().contains(b));
    b->SetDockedTo(f.Top);
    Settle();
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(b->DockPos(), 30);
    EXPECT_EQ(b->pos(), QPoint(30, 26));
    EXPECT_EQ(b->FloatingParent(), nullptr);
    EXPECT_EQ(b->FloatingPosition(), QPoint(300, 300));
    (void)a;
}

TEST(DockWin, DragFromTopToBottomDockAndIntoANewRow) {
    TDockForm f;
    TToolbar* a = MakeBar(f.Top);
    TToolbar* b = MakeBar(f.Top);
    b->SetDockPos(200);
    Settle();
    const QPoint bottom = f.Bottom->mapToGlobal(QPoint(100, 0));
    Drag(b, HandlePoint(b), bottom);
    EXPECT_EQ(b->DockedTo(), f.Bottom);
    EXPECT_EQ(f.Bottom->height(), 26);
    EXPECT_EQ(f.Top->height(), 26);

    // Back on top, dropped with the outline's middle in the band below the
    // row: a row of its own under a.
    const QPoint below = a->mapToGlobal(QPoint(5, a->height() - 2));
    Drag(b, HandlePoint(b), below);
    EXPECT_EQ(b->DockedTo(), f.Top);
    EXPECT_EQ(b->DockRow(), 1);
    EXPECT_EQ(a->DockRow(), 0);
    EXPECT_EQ(f.Top->height(), 52);
    // Into the middle of a's row: side by side again.
    Drag(b, HandlePoint(b), a->mapToGlobal(QPoint(a->width() + 20, a->height() / 2)));
    EXPECT_EQ(b->DockRow(), 0);
    EXPECT_EQ(f.Top->height(), 26);
    EXPECT_GE(b->x(), a->x() + a->width());
}

TEST(DockWin, DragOutToFloatingAndBack) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    const QPoint middle = f.Center->mapToGlobal(f.Center->rect().center());
    Press(bar, HandlePoint(bar));
    MoveTo(bar, middle);
    ASSERT_TRUE(bar->Moving());
    EXPECT_EQ(bar->DragTarget().Dock, -1);
    ASSERT_TRUE(bar->DragOutline());
    EXPECT_TRUE(bar->DragOutline()->isVisible());
    const QRect outline = bar->DragOutline()->geometry();
    Release(bar, middle);
    Settle();
    EXPECT_FALSE(bar->Moving());
    EXPECT_FALSE(bar->DragOutline()->isVisible());
    ASSERT_TRUE(Floating(bar));
    EXPECT_EQ(bar->FloatingPosition(), outline.topLeft());
    EXPECT_EQ(bar->FloatingParent()->size(), outline.size());
    EXPECT_EQ(f.Top->height(), 0);
    // Dragged by its caption back onto the (now empty) top dock.
    Drag(bar, CaptionPoint(bar), f.Top->mapToGlobal(QPoint(40, 0)));
    EXPECT_EQ(bar->DockedTo(), f.Top);
}

TEST(DockWin, CtrlEscapeAndASecondPressDuringADrag) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    const QPoint overBottom = f.Bottom->mapToGlobal(QPoint(100, 0));
    Press(bar, HandlePoint(bar));
    MoveTo(bar, overBottom);
    EXPECT_EQ(bar->DragTarget().Dock, 1);
    // Ctrl re-evaluates at once: no docking while held.
    QTest::keyPress(bar, Qt::Key_Control, Qt::ControlModifier);
    EXPECT_EQ(bar->DragTarget().Dock, -1);
    QTest::keyRelease(bar, Qt::Key_Control);
    EXPECT_EQ(bar->DragTarget().Dock, 1);
    QTest::keyClick(bar, Qt::Key_Escape);
    EXPECT_FALSE(bar->Moving());
    Release(bar, overBottom);
    Settle();
    EXPECT_EQ(bar->DockedTo(), f.Top);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

    Press(bar, HandlePoint(bar));
    MoveTo(bar, overBottom);
    Press(bar, overBottom); // a second press cancels
    EXPECT_FALSE(bar->Moving());
    Release(bar, overBottom);
    Settle();
    EXPECT_EQ(bar->DockedTo(), f.Top);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);

    // Ctrl held at the press: not even its own dock takes it.
    Press(bar, HandlePoint(bar), Qt::ControlModifier);
    EXPECT_EQ(bar->DragTarget().Dock, -1);
    EXPECT_FALSE(bar->DragTarget().NoDrop);
    MoveTo(bar, overBottom);
    QTest::mouseDClick(bar, Qt::LeftButton, {}, bar->mapFromGlobal(overBottom));
    EXPECT_FALSE(bar->Moving());
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromGlobal(overBottom));
    EXPECT_EQ(bar->DockedTo(), f.Top);
}

TEST(DockWin, CannotFloatGivesNoDropAwayFromDocks) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Bottom);
    bar->DockMode = dmCannotFloat;
    const QPoint middle = f.Center->mapToGlobal(f.Center->rect().center());
    Press(bar, HandlePoint(bar));
    MoveTo(bar, middle);
    EXPECT_TRUE(bar->DragTarget().NoDrop);
    EXPECT_FALSE(bar->DragOutline() && bar->DragOutline()->isVisible());
    EXPECT_EQ(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                             : Qt::ArrowCursor,
              Qt::ForbiddenCursor);
    Release(bar, middle);
    Settle();
    EXPECT_EQ(bar->DockedTo(), f.Bottom);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // It may still change docks.
    Drag(bar, HandlePoint(bar), f.Top->mapToGlobal(QPoint(30, 0)));
    EXPECT_EQ(bar->DockedTo(), f.Top);
    // A refusing dock is passed over.
    f.Bottom->OnRequestDock = [](TDock*, TCustomToolWindow*, bool& accept) { accept = false; };
    Drag(bar, HandlePoint(bar), f.Bottom->mapToGlobal(QPoint(30, 0)));
    EXPECT_EQ(bar->DockedTo(), f.Top);
}

TEST(DockWin, CloseButtonClosesOnlyWhenReleasedOnIt) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    FloatAt(bar, QPoint(300, 250));
    int closed = 0;
    bar->OnClose = [&](TCustomToolWindow*) { ++closed; };
    const QRect c = ToQRect(controls::FloatingCloseButton({bar->width(), bar->height()},
                                                          controls::DefaultFrameMetrics(), true));
    const QPoint on = bar->mapToGlobal(c.center());
    const QPoint off = bar->mapToGlobal(QPoint(5, bar->height() - 3));
    Press(bar, on);
    MoveTo(bar, off);
    Release(bar, off);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(bar->Visible());

    bool allow = false;
    bar->OnCloseQuery = [&](TCustomToolWindow*, bool& canClose) { canClose = allow; };
    Press(bar, on);
    Release(bar, on);
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(bar->Visible());

    allow = true;
    Press(bar, on);
    Release(bar, on);
    Settle();
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(bar->Visible());
    EXPECT_FALSE(bar->FloatingParent()->isVisible());
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(DockWin, FloatingWindowHidesWhileTheApplicationIsInactive) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    FloatAt(bar, QPoint(300, 250));
    ASSERT_TRUE(bar->FloatingParent()->isVisible());
    QApplication::setActiveWindow(nullptr);
    HookRegistry().Dispatch(controls::hkActivateApp, nullptr, 0, 0);
    Settle();
    EXPECT_FALSE(bar->FloatingParent()->isVisible());
    EXPECT_TRUE(bar->Visible());
    QApplication::setActiveWindow(f.Form.get());
    HookRegistry().Dispatch(controls::hkActivateApp, f.Form.get(), 1, 0);
    Settle();
    EXPECT_TRUE(bar->FloatingParent()->isVisible());
    // A window that ignores activity stays; a hidden form hides it.
    bar->SetHideWhenInactive(false);
    QApplication::setActiveWindow(nullptr);
    HookRegistry().Dispatch(controls::hkActivateApp, nullptr, 0, 0);
    Settle();
    EXPECT_TRUE(bar->FloatingParent()->isVisible());
    f.Form->hide();
    Settle();
    EXPECT_FALSE(bar->FloatingParent()->isVisible());
    f.Form->show();
    Settle();
    EXPECT_TRUE(bar->FloatingParent()->isVisible());
    QApplication::setActiveWindow(f.Form.get());
}

TEST(DockWin, OffscreenFloatingWindowsComeBackWithinReach) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top);
    bar->SetFloatingPosition(QPoint(-50000, 90000));
    bar->SetDockedTo(nullptr);
    bar->MoveOnScreen(true);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(QRect(bar->FloatingParent()->pos(), bar->size())));
    // Partly visible: stays where it is.
    const QPoint partly(screen.right() - 10, screen.top() + 20);
    bar->SetFloatingPosition(partly);
    bar->MoveOnScreen(true);
    EXPECT_EQ(bar->FloatingParent()->pos(), partly);
    bar->MoveOnScreen(false);
    EXPECT_TRUE(screen.contains(QRect(bar->FloatingParent()->pos(), bar->size())));
}

TEST(DockWin, HandEditedPlacesLeaveEveryWindowReachable) {
    TDockForm f;
    std::vector<TToolbar*> bars;
    const int rows[] = {-3, 5000, INT_MAX, 0};
    const int positions[] = {0, INT_MAX, 100000, -7};
    for (int i = 0; i < 4; ++i) {
        TToolbar* b = MakeBar(f.Top, 2, 1);
        b->SetDockRow(rows[i]);
        b->SetDockPos(positions[i]);
        bars.push_back(b);
    }
    TToolbar* empty = MakeBar(f.Bottom, 0, 0, false); // no controls at all
    TToolbar* hidden = MakeBar(f.Bottom, 2, 0, false);
    for (QWidget* c : hidden->OrderList())
        c->hide();
    Settle();
    const QRect dock = f.Top->contentsRect();
    for (TToolbar* b : bars) {
        EXPECT_GE(b->DockRow(), 0);
        EXPECT_TRUE(dock.contains(b->geometry())) << b->DockRow() << " " << b->DockPos();
    }
    // Both 8 thick, in a row of 8 + 4.
    EXPECT_EQ(empty->height(), 12);
    EXPECT_EQ(hidden->height(), 12);
    EXPECT_EQ(f.Bottom->height(), 12);
    EXPECT_EQ(f.Top->GetHighestRow(), 2);
    // A dock squeezed to nothing still places every window without a crash.
    f.Top->resize(0, f.Top->height());
    f.Top->ArrangeToolbars();
    for (TToolbar* b : bars)
        EXPECT_GE(b->x(), 0);
}
