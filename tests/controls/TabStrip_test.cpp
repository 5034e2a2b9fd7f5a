// The tab strip as a real widget offscreen: tabs wrapped into rows and
// clicked there, the single row scrolled to a tab, and the current tab kept
// through removals and moves.
#include "controls/TabStrip.h"

#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct TabStripTest : ::testing::Test {
    void SetUp() override {
        Strip.resize(260, 4 * Strip.rowHeight());
        Strip.show();
        for (int i = 0; i < 9; ++i)
            Strip.addTab(QStringLiteral("session %1").arg(i));
    }
    // The strip's own arrow buttons, left one first.
    QList<QToolButton*> Arrows() { return Strip.findChildren<QToolButton*>(); }
    bool InView(int i) {
        const QRect r = Strip.tabRect(i);
        return !r.isEmpty() && Strip.rect().contains(r.center());
    }

    TTabStrip Strip;
};

TEST_F(TabStripTest, MultiLineWrapsIntoRowsAndAClickInALowerRowSelects) {
    Strip.setMultiLine(true);
    ASSERT_GT(Strip.rowCount(), 1);
    EXPECT_FALSE(Strip.usesScrollButtons());
    int lowest = 0;
    for (int i = 0; i < Strip.count(); ++i) {
        const QRect r = Strip.tabRect(i);
        EXPECT_LE(r.right(), Strip.width() - 1) << i;
        EXPECT_EQ(r.top() % Strip.rowHeight(), 0) << i;
        if (r.top() > Strip.tabRect(lowest).top()) lowest = i;
    }
    ASSERT_GT(Strip.tabRect(lowest).top(), 0);
    for (QToolButton* b : Arrows())
        EXPECT_FALSE(b->isVisible());

    QSignalSpy clicked(&Strip, &TTabStrip::tabBarClicked);
    QSignalSpy changed(&Strip, &TTabStrip::currentChanged);
    QTest::mouseClick(&Strip, Qt::LeftButton, Qt::NoModifier, Strip.tabRect(lowest).center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), lowest);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toInt(), lowest);
    EXPECT_EQ(Strip.currentIndex(), lowest);
    // The current tab again: reported as a click, no change.
    QTest::mouseClick(&Strip, Qt::LeftButton, Qt::NoModifier, Strip.tabRect(lowest).center());
    EXPECT_EQ(clicked.count(), 2);
    EXPECT_EQ(changed.count(), 1);
    // Between tabs of a short row nothing is hit.
    const QPoint pastLastTab(Strip.width() - 1, Strip.tabRect(0).center().y());
    if (Strip.tabAt(pastLastTab) < 0) {
        QTest::mouseClick(&Strip, Qt::LeftButton, Qt::NoModifier, pastLastTab);
        EXPECT_EQ(clicked.count(), 2);
    }
}

// With more rows than the strip is tall, the current tab's row comes into
// view, and a click there still selects the tab under the mouse.
TEST_F(TabStripTest, RowsBeyondTheStripsHeightScrollToTheCurrentTab) {
    Strip.resize(260, Strip.rowHeight() + Strip.rowHeight() / 2);
    Strip.setMultiLine(true);
    ASSERT_GT(Strip.rowCount(), 2);
    const int last = Strip.count() - 1;
    EXPECT_FALSE(InView(last));
    Strip.setCurrentIndex(last);
    EXPECT_TRUE(InView(last));
    EXPECT_EQ(Strip.tabAt(Strip.tabRect(last).center()), last);
    Strip.setCurrentIndex(0);
    EXPECT_TRUE(InView(0));
    EXPECT_EQ(Strip.tabRect(0).top(), 0);
}

TEST_F(TabStripTest, OneRowScrollsToTheCurrentTabAndByItsArrows) {
    EXPECT_EQ(Strip.rowCount(), 1);
    EXPECT_TRUE(Strip.usesScrollButtons());
    for (int i = 0; i < Strip.count(); ++i)
        EXPECT_EQ(Strip.tabRect(i).top(), 0);
    ASSERT_EQ(Arrows().size(), 2);
    EXPECT_TRUE(Arrows()[0]->isVisible());
    EXPECT_FALSE(InView(8));

    Strip.setCurrentIndex(8);
    EXPECT_TRUE(InView(8));
    EXPECT_FALSE(InView(0));
    // The tab stays clear of the arrows.
    EXPECT_LE(Strip.tabRect(8).right(), Arrows()[0]->geometry().left());
    QTest::mouseClick(&Strip, Qt::LeftButton, Qt::NoModifier, Strip.tabRect(8).center());
    EXPECT_EQ(Strip.currentIndex(), 8);

    for (int i = 0; i < 50 && Arrows()[0]->isEnabled(); ++i)
        QTest::mouseClick(Arrows()[0], Qt::LeftButton);
    EXPECT_TRUE(InView(0));
    EXPECT_EQ(Strip.currentIndex(), 8); // scrolling selects nothing

    // Wide enough again: no arrows, every tab in view.
    Strip.resize(4000, Strip.height());
    EXPECT_FALSE(Arrows()[0]->isVisible());
    for (int i = 0; i < Strip.count(); ++i)
        EXPECT_TRUE(InView(i)) << i;
}

TEST_F(TabStripTest, CurrentTabSurvivesRemovalsAndMoves) {
    for (int i = 0; i < Strip.count(); ++i)
        Strip.setTabData(i, i * 10);
    Strip.setCurrentIndex(4);
    Strip.removeTab(1);
    EXPECT_EQ(Strip.currentIndex(), 3);
    EXPECT_EQ(Strip.tabText(3), QStringLiteral("session 4"));
    EXPECT_EQ(Strip.tabData(3).toInt(), 40);
    Strip.moveTab(3, 0);
    EXPECT_EQ(Strip.currentIndex(), 0);
    EXPECT_EQ(Strip.tabText(0), QStringLiteral("session 4"));
    Strip.moveTab(1, 5); // another tab moves past it: it stays current
    EXPECT_EQ(Strip.tabText(Strip.currentIndex()), QStringLiteral("session 4"));
    // The current one removed: a neighbour is current.
    QSignalSpy changed(&Strip, &TTabStrip::currentChanged);
    Strip.removeTab(0);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_GE(Strip.currentIndex(), 0);
    EXPECT_LT(Strip.currentIndex(), Strip.count());
    while (Strip.count() > 0)
        Strip.removeTab(0);
    EXPECT_EQ(Strip.currentIndex(), -1);
    // Out-of-range indexes are ignored.
    Strip.removeTab(3);
    Strip.setTabText(2, QStringLiteral("x"));
    Strip.moveTab(0, 1);
    EXPECT_EQ(Strip.tabText(0), QString());
    EXPECT_EQ(Strip.tabAt({5, 5}), -1);
}

TEST_F(TabStripTest, AClickHandlerThatRemovesTheTabs) {
    Strip.setMultiLine(true);
    const int last = Strip.count() - 1;
    QObject::connect(&Strip, &TTabStrip::tabBarClicked, &Strip, [this] {
        while (Strip.count() > 2)
            Strip.removeTab(Strip.count() - 1);
    });
    QTest::mouseClick(&Strip, Qt::LeftButton, Qt::NoModifier, Strip.tabRect(last).center());
    EXPECT_EQ(Strip.count(), 2);
    EXPECT_LT(Strip.currentIndex(), 2);
}

} // namespace
