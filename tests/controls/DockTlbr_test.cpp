#include "DockFixture.h"

#include <gtest/gtest.h>

namespace {
TToolbarSep* SeparatorOf(TToolbar* bar) {
    return bar->findChild<TToolbarSep*>();
}
} // namespace

TEST(DockTlbr, FloatingToolbarWrapsAtItsWidthAndUnwrapsAgain) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top, 3, 2);
    FloatAt(bar, QPoint(250, 250));
    const controls::TMargins frame = bar->FrameFor(TDockType::NotDocked);
    // One row: margins 4 + 121 + 4, 2 + 22 + 1.
    EXPECT_EQ(bar->size(), QSize(129 + frame.Horizontal(), 25 + frame.Vertical()));
    TToolbarSep* sep = SeparatorOf(bar);
    EXPECT_EQ(sep->width(), 6);
    bar->SetFloatingRightX(90);
    Settle();
    EXPECT_EQ(sep->width(), 0);
    ASSERT_EQ(bar->WrapLines().size(), 1u);
    EXPECT_EQ(bar->size(), QSize(83 + frame.Horizontal(), 2 + 22 + 6 + 22 + 1 + frame.Vertical()));
    EXPECT_EQ(bar->FloatingParent()->size(), bar->size());
    bar->SetFloatingRightX(0);
    Settle();
    EXPECT_EQ(sep->width(), 6);
    EXPECT_TRUE(bar->WrapLines().empty());
    // Docked it is one line whatever its floating width.
    bar->SetFloatingRightX(90);
    bar->SetDockedTo(f.Top);
    Settle();
    EXPECT_EQ(bar->height(), 26);
    EXPECT_EQ(sep->width(), 6);
}

TEST(DockTlbr, FloatingResizeSnapsToThePotentialSizes) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top, 3, 2);
    FloatAt(bar, QPoint(200, 200));
    const QSize before = bar->size();
    const int fx = controls::DefaultFrameMetrics().FrameX;
    const QPoint edge = bar->mapToGlobal(QPoint(bar->width() - 2, bar->height() / 2 + 4));
    Press(bar, edge);
    ASSERT_TRUE(bar->Sizing());
    ASSERT_GE(bar->PotentialSizes().size(), 2u);
    const QSize narrow = bar->PotentialSizes()[1];
    // Dragged close to the second shape's right edge.
    const QPoint to = edge - QPoint(before.width() - narrow.width() - 3, 0);
    MoveTo(bar, to);
    ASSERT_TRUE(bar->DragOutline());
    EXPECT_EQ(bar->DragOutline()->geometry(), QRect(QPoint(200, 200), narrow));
    Release(bar, to);
    Settle();
    EXPECT_FALSE(bar->Sizing());
    EXPECT_EQ(bar->size(), narrow);
    EXPECT_EQ(bar->FloatingRightX(), narrow.width() - 2 * fx);
    EXPECT_EQ(bar->FloatingParent()->pos(), QPoint(200, 200));
    EXPECT_FALSE(bar->WrapLines().empty());

    // Escape leaves the size alone.
    const QPoint edge2 = bar->mapToGlobal(QPoint(bar->width() - 2, bar->height() / 2 + 4));
    Press(bar, edge2);
    MoveTo(bar, edge2 + QPoint(300, 0));
    QTest::keyClick(bar, Qt::Key_Escape);
    Release(bar, edge2 + QPoint(300, 0));
    EXPECT_EQ(bar->size(), narrow);
}

TEST(DockTlbr, SeparatorPressDragsTheToolbar) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top, 3, 2);
    TToolbarSep* sep = SeparatorOf(bar);
    const QPoint at = sep->mapToGlobal(sep->rect().center());
    QTest::mousePress(sep, Qt::LeftButton, {}, sep->rect().center());
    EXPECT_TRUE(bar->Moving());
    const QPoint bottom = f.Bottom->mapToGlobal(QPoint(60, 0));
    MoveTo(bar, bottom);
    Release(bar, bottom);
    Settle();
    EXPECT_EQ(bar->DockedTo(), f.Bottom);
    (void)at;
}

TEST(DockTlbr, ControlsShownOrHiddenReLayTheToolbar) {
    TDockForm f;
    TToolbar* bar = MakeBar(f.Top, 2, 0, false);
    const int w = bar->width();
    auto* extra = new QWidget(bar);
    extra->resize(40, 30);
    extra->show();
    Settle();
    EXPECT_EQ(bar->width(), w + 40);
    EXPECT_EQ(f.Top->height(), 34);
    extra->hide();
    Settle();
    EXPECT_EQ(bar->width(), w);
    EXPECT_EQ(f.Top->height(), 26);
    // A taller neighbour in the row centres the shorter controls.
    TToolbar* tall = MakeBar(f.Top, 0, 0, false);
    auto* big = new QWidget(tall);
    big->resize(30, 40);
    big->show();
    Settle();
    EXPECT_EQ(f.Top->height(), 44);
    EXPECT_EQ(bar->OrderList().first()->y(), 2 + (40 - 22) / 2);
    // Side docks lay the controls out downwards.
    TDock side(f.Form.get(), dpLeft);
    side.resize(0, 300);
    bar->SetDockedTo(&side);
    Settle();
    EXPECT_EQ(side.width(), 23 + 4); // across a side dock: the controls' width
    EXPECT_GT(bar->height(), bar->width());
}
