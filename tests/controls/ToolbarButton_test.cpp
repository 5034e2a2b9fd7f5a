#include "controls/DockCtls.h"

#include "support/FakeClock.h"

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

struct ToolbarButtonTest : ::testing::Test {
    QWidget Form;
    void SetUp() override {
        Form.resize(300, 100);
        Form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Form));
    }
    TToolbarButton* Make(int x, int width = 23) {
        auto* b = new TToolbarButton(&Form);
        b->setGeometry(x, 10, width, 22);
        b->show();
        return b;
    }
};

} // namespace

TEST_F(ToolbarButtonTest, GroupedButtonsLatchOneAtATimeUnlessAllUpIsAllowed) {
    auto* a = Make(0);
    auto* b = Make(30);
    auto* other = Make(60);
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    other->SetGroupIndex(2);
    other->SetDown(true);
    QTest::mouseClick(a, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    EXPECT_TRUE(other->Down()); // another group
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    a->SetAllowAllUp(true);
    EXPECT_TRUE(b->AllowAllUp());
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(b->Down());
}

TEST_F(ToolbarButtonTest, ComboArrowOpensTheMenuAndAPlainDropdownClicksFirst) {
    QMenu menu;
    menu.addAction("one");
    auto* combo = Make(0, 30);
    combo->SetDropdownMenu(&menu);
    combo->SetDropdownCombo(true);
    EXPECT_EQ(combo->width(), 30 + 11); // widened by the arrow part
    int clicks = 0, drops = 0;
    combo->OnClick = [&](TToolbarButton*) { ++clicks; };
    combo->OnDropdown = [&](TToolbarButton*, bool& show, bool&) {
        ++drops;
        EXPECT_TRUE(show);
        QTimer::singleShot(0, &menu, [&] { menu.close(); });
    };
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 4, 5));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(4, 5));
    EXPECT_EQ(drops, 1);
    EXPECT_EQ(clicks, 1);

    auto* plain = Make(100);
    plain->SetDropdownMenu(&menu);
    std::string order;
    plain->OnClick = [&](TToolbarButton*) { order += "click;"; };
    plain->OnDropdown = [&](TToolbarButton*, bool&, bool&) {
        order += "dropdown;";
        QTimer::singleShot(0, &menu, [&] { menu.close(); });
    };
    QTest::mouseClick(plain, Qt::LeftButton, {}, QPoint(4, 5));
    EXPECT_EQ(order, "click;dropdown;");
}

TEST_F(ToolbarButtonTest, APressOnTheButtonClosesItsMenuForGood) {
    QMenu menu;
    menu.addAction("one");
    menu.addAction("two");
    auto* b = Make(10);
    b->SetDropdownMenu(&menu);
    int drops = 0;
    bool sawOpen = false, closedByPress = false;
    b->OnDropdown = [&](TToolbarButton*, bool&, bool&) {
        ++drops;
        if (drops > 1) return;
        QTimer::singleShot(50, &menu, [&] {
            sawOpen = menu.isVisible() && b->MenuOpen();
            // The user presses the button again, through the window system.
            const QPoint at = b->mapTo(&Form, QPoint(5, 5));
            QTest::mousePress(Form.windowHandle(), Qt::LeftButton, {}, at);
            closedByPress = !menu.isVisible();
            QTest::mouseRelease(Form.windowHandle(), Qt::LeftButton, {}, at);
            if (menu.isVisible()) menu.close(); // never hang the test
        });
    };
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(sawOpen);
    EXPECT_TRUE(closedByPress);
    EXPECT_FALSE(menu.isVisible());
    QApplication::processEvents();
    EXPECT_EQ(drops, 1);
    EXPECT_FALSE(b->MenuOpen());
}

TEST_F(ToolbarButtonTest, HeldRepeatingButtonClicksOnTheFakeClockWhileInside) {
    TFakeClock clock;
    auto* b = Make(10);
    b->SetRepeating(true);
    int clicks = 0;
    b->OnClick = [&](TToolbarButton*) { ++clicks; };
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    clock.Advance(399);
    EXPECT_EQ(clicks, 1);
    clock.Advance(1);
    EXPECT_EQ(clicks, 2);
    clock.Advance(100);
    EXPECT_EQ(clicks, 3);
    QTest::mouseMove(b, QPoint(60, 5));
    clock.Advance(100);
    clock.Advance(100);
    EXPECT_EQ(clicks, 3);
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(60, 5));
    clock.Advance(500);
    EXPECT_EQ(clicks, 3);
}

TEST_F(ToolbarButtonTest, DeactivationEndsTheHotLook) {
    auto* b = Make(10);
    QTest::mouseMove(b, QPoint(5, 5));
    b->SetShowBorderWhenInactive(true); // the offscreen desktop may not activate
    QTest::mouseMove(b, QPoint(6, 5));
    ASSERT_TRUE(b->Machine().MouseInControl());
    EXPECT_EQ(b->State(), controls::bsMouseIn);
    b->SetShowBorderWhenInactive(false);
    TToolbarButton::HookProc(controls::hkActivateApp, nullptr, 0, 0);
    EXPECT_FALSE(b->Machine().MouseInControl());
    EXPECT_EQ(b->State(), controls::bsUp);
    // A move over another widget also ends it.
    b->SetShowBorderWhenInactive(true);
    QTest::mouseMove(b, QPoint(7, 5));
    ASSERT_TRUE(b->Machine().MouseInControl());
    QTest::mouseMove(&Form, QPoint(200, 60));
    EXPECT_FALSE(b->Machine().MouseInControl());
}

TEST_F(ToolbarButtonTest, AClickHandlerMayDeleteItsOwnButton) {
    QPointer<TToolbarButton> b = Make(10);
    b->OnClick = [](TToolbarButton* self) { delete self; };
    QTest::mouseClick(b.data(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(b.isNull());

    TFakeClock clock;
    QPointer<TToolbarButton> r = Make(40);
    r->SetRepeating(true);
    int clicks = 0;
    r->OnClick = [&](TToolbarButton* self) {
        if (++clicks == 2) delete self;
    };
    QTest::mousePress(r.data(), Qt::LeftButton, {}, QPoint(5, 5));
    clock.Advance(400);
    EXPECT_TRUE(r.isNull());
    clock.Advance(400);
    EXPECT_EQ(clicks, 2);
}

TEST_F(ToolbarButtonTest, PropertyRulesAndAction) {
    auto* b = Make(10);
    b->SetNumGlyphs(0);
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->SetNumGlyphs(7);
    EXPECT_EQ(b->NumGlyphs(), 5);
    b->SetDropdownArrowWidth(3);
    EXPECT_EQ(b->DropdownArrowWidth(), 7);
    b->SetMargin(-5);
    EXPECT_EQ(b->Margin(), -1);
    b->SetGlyph(QImage(48, 16, QImage::Format_ARGB32));
    EXPECT_EQ(b->NumGlyphs(), 3);
    b->SetGlyph(QImage(16, 0, QImage::Format_ARGB32));
    EXPECT_EQ(b->NumGlyphs(), 1);
    b->Version.Set("x");
    EXPECT_EQ(b->Version.Get(), "Dock toolbar version 1.0");

    QAction action("Go");
    action.setCheckable(true);
    b->SetGroupIndex(3);
    b->SetAction(&action);
    EXPECT_EQ(b->Caption(), "Go");
    action.setChecked(true);
    EXPECT_TRUE(b->Down());
    action.setEnabled(false);
    EXPECT_FALSE(b->isEnabled());
    EXPECT_EQ(b->State(), controls::bsDisabled);
}

TEST_F(ToolbarButtonTest, DisabledButtonPaintsItsEmbossedGlyph) {
    auto* b = Make(10, 30);
    QImage glyph(8, 8, QImage::Format_ARGB32);
    glyph.fill(qRgb(0, 128, 128));
    glyph.setPixel(0, 7, qRgb(255, 0, 255)); // the transparent colour
    b->SetGlyph(glyph);
    b->setEnabled(false);
    const QImage shot = b->grab().toImage();
    const QRgb dark = b->palette().color(QPalette::Active, QPalette::Dark).rgb();
    int darkPixels = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            darkPixels += shot.pixel(x, y) == dark;
    EXPECT_EQ(darkPixels, 63);
}
