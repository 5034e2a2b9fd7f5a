#include "controls/AddOnDock.h"

#include "support/FakeClock.h"

#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct SpinTest : ::testing::Test {
    QWidget Form;
    TSpin* Spin = nullptr;
    int Ups = 0, Downs = 0;
    void SetUp() override {
        Form.resize(200, 100);
        Spin = new TSpin(&Form);
        Spin->move(10, 10);
        Spin->OnUpClick = [this](TSpin*) { ++Ups; };
        Spin->OnDownClick = [this](TSpin*) { ++Downs; };
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
};

} // namespace

TEST_F(SpinTest, HalvesSplitAnOddHeightAndFollowAKindChange) {
    EXPECT_EQ(Spin->size(), QSize(20, 25));
    EXPECT_EQ(Spin->UpButton()->geometry(), QRect(0, 0, 20, 12));
    EXPECT_EQ(Spin->DownButton()->geometry(), QRect(0, 12, 20, 13));
    Spin->SetKind(skHorizontal);
    EXPECT_EQ(Spin->UpButton()->geometry(), QRect(0, 0, 10, 25));
    EXPECT_EQ(Spin->DownButton()->geometry(), QRect(10, 0, 10, 25));
    Spin->resize(21, 25);
    EXPECT_EQ(Spin->DownButton()->geometry(), QRect(10, 0, 11, 25));
}

TEST_F(SpinTest, ClicksFireTheirHalfAndFocusTheControl) {
    auto* edit = new QLineEdit(&Form);
    edit->move(50, 10);
    edit->show();
    Spin->SetFocusControl(edit);
    Form.activateWindow();
    QTest::mouseClick(Spin->UpButton(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(Spin->DownButton(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(Spin->DownButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Ups, 1);
    EXPECT_EQ(Downs, 2);
    EXPECT_EQ(Form.focusWidget(), edit);
}

TEST_F(SpinTest, RepeatingFiresOnEachTickWhileOnTheHalfAndOnceForAShortPress) {
    TFakeClock clock;
    Spin->SetRepeating(true);
    // A short press fires once.
    QTest::mouseClick(Spin->UpButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Ups, 1);

    // A held press fires on each tick, not again at the release.
    QTest::mousePress(Spin->DownButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Downs, 0);
    clock.Advance(100);
    EXPECT_EQ(Downs, 1);
    clock.Advance(100);
    EXPECT_EQ(Downs, 2);
    // Off the half the ticks fire nothing.
    QTest::mouseMove(Spin->DownButton(), QPoint(5, 40));
    clock.Advance(100);
    EXPECT_EQ(Downs, 2);
    QTest::mouseMove(Spin->DownButton(), QPoint(5, 5));
    clock.Advance(100);
    EXPECT_EQ(Downs, 3);
    QTest::mouseRelease(Spin->DownButton(), Qt::LeftButton, {}, QPoint(5, 5));
    clock.Advance(300);
    EXPECT_EQ(Downs, 3);
    EXPECT_EQ(Ups, 1);

    // A delay of 0 keeps the timer off: the press fires once at the release.
    Spin->SetRepeatDelay(0);
    QTest::mousePress(Spin->UpButton(), Qt::LeftButton, {}, QPoint(5, 5));
    clock.Advance(1);
    clock.Advance(1);
    QTest::mouseRelease(Spin->UpButton(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(Ups, 2);
}

TEST_F(SpinTest, AHandlerMayDeleteTheSpin) {
    TFakeClock clock;
    QPointer<TSpin> spin = Spin;
    spin->SetRepeating(true);
    spin->OnDownClick = [](TSpin* s) { delete s; };
    QTest::mousePress(spin->DownButton(), Qt::LeftButton, {}, QPoint(5, 5));
    clock.Advance(100);
    EXPECT_TRUE(spin.isNull());
    clock.Advance(100);

    auto* other = new TSpin(&Form);
    other->show();
    QPointer<TSpin> guard = other;
    other->OnUpClick = [](TSpin* s) { delete s; };
    QTest::mouseClick(other->UpButton(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(guard.isNull());
}
