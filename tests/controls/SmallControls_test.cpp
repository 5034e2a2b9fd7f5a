#include "controls/Bmplbox.h"
#include "controls/Flash.h"
#include "controls/HotBitBtn.h"
#include "controls/LblEffct.h"
#include "controls/Magnetic.h"
#include "platform/FlashWindow.h"
#include "support/FakeClock.h"

#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <string>

namespace {

// Records FlashWindow calls: "F+" = form toggled, "A-" = application off.
struct TFlashStandIn {
    std::string Log;
    QWidget* Form;
    explicit TFlashStandIn(QWidget* form) : Form(form) {
        win::SetFlashWindowHandler([this](QWidget* w, bool invert) {
            Log += w == nullptr ? 'A' : w == Form ? 'F' : '?';
            Log += invert ? '+' : '-';
            return false;
        });
    }
    ~TFlashStandIn() { win::SetFlashWindowHandler(nullptr); }
};

int CountColour(const QImage& img, QRgb c) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) == (c & 0xFFFFFF);
    return n;
}

} // namespace

TEST(Flash, TogglesBothEntriesOnEachTickAndRestoresThemWhenOff) {
    TFakeClock clock;
    QWidget form;
    TFlashStandIn standIn(&form);
    TFlash flash(&form);
    int ticks = 0;
    flash.OnFlash = [&](TFlash*, bool app) {
        EXPECT_TRUE(app);
        ++ticks;
    };
    flash.SetEnabled(true);
    flash.SetEnabled(true); // the same value again does nothing
    EXPECT_EQ(standIn.Log, "F+A+");
    clock.Advance(500);
    clock.Advance(500);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(standIn.Log, "F+A+A+F+A+F+");
    flash.SetEnabled(false);
    EXPECT_EQ(standIn.Log, "F+A+A+F+A+F+A-F-");
    clock.Advance(1000);
    EXPECT_EQ(ticks, 2);

    // An interval of 0 keeps the timer off.
    flash.SetInterval(0);
    flash.SetInterval(-3);
    EXPECT_EQ(flash.Interval(), 0u);
    flash.SetEnabled(true);
    clock.Advance(1);
    clock.Advance(1);
    EXPECT_EQ(ticks, 2);
}

TEST(Flash, RealAttentionStateTogglesPerWindowAndIgnoresTheApplication) {
    QWidget form;
    EXPECT_FALSE(win::FlashWindow(&form, true));
    EXPECT_TRUE(win::FlashWindow(&form, true));
    EXPECT_FALSE(win::FlashWindow(&form, false));
    EXPECT_FALSE(win::FlashWindow(nullptr, true));
    EXPECT_FALSE(win::FlashWindow(nullptr, true));
}

TEST(Flash, AHandlerMayDeleteTheFlasher) {
    TFakeClock clock;
    QWidget form;
    TFlashStandIn standIn(&form);
    QPointer<TFlash> flash = new TFlash(&form);
    flash->OnFlash = [](TFlash* f, bool) { delete f; };
    flash->SetEnabled(true);
    clock.Advance(500);
    EXPECT_TRUE(flash.isNull());
    clock.Advance(500);
    EXPECT_EQ(standIn.Log, "F+A+");
}

TEST(Magnetic, ASettledMoveNearAnEdgeSnapsTheForm) {
    TFakeClock clock;
    QWidget form;
    form.resize(200, 150);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    TMagnetic magnetic(&form);
    const QRect screen = form.screen()->geometry();
    form.move(screen.left() + 9, screen.top() + 100);
    clock.Advance(149);
    EXPECT_EQ(form.frameGeometry().left(), screen.left() + 9);
    clock.Advance(1);
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(screen.left(), screen.top() + 100));

    form.move(screen.left() + 10, screen.top() + 100);
    clock.Advance(150);
    EXPECT_EQ(form.frameGeometry().left(), screen.left() + 10);

    // OnMoving decides alone.
    magnetic.OnMoving = [](TMagnetic*, QRect& r) { r.moveTopLeft(QPoint(r.left() + 1, r.top())); };
    form.move(screen.left() + 3, screen.top() + 100);
    clock.Advance(150);
    EXPECT_EQ(form.frameGeometry().left(), screen.left() + 4);
}

TEST(HotBitBtn, ColoursFollowTheMouseAndOnlyOnClickFires) {
    QWidget form;
    auto* b = new THotBitBtn(&form);
    b->setGeometry(10, 10, 80, 25);
    b->SetCaption("Send");
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QColor normalFont = b->FontColor();
    QEnterEvent enter(QPointF(5, 5), QPointF(15, 15), QPointF(15, 15));
    QApplication::sendEvent(b, &enter);
    EXPECT_EQ(b->FontColor(), QColor(Qt::blue));
    QTest::mousePress(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(b->FontColor(), QColor(Qt::red));
    const QImage pressed = b->grab().toImage();
    EXPECT_GT(CountColour(pressed, qRgb(255, 0, 0)), 0);
    int clicks = 0;
    b->OnClick = [&](THotBitBtn*) { ++clicks; };
    QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->FontColor(), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b, &leave);
    EXPECT_EQ(b->FontColor(), normalFont);

    // A click handler may delete its own button.
    QPointer<THotBitBtn> guard = b;
    b->OnClick = [](THotBitBtn* self) { delete self; };
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(guard.isNull());
}

// A picture with see-through parts: enabled it shows its colour, disabled
// it turns grey, and its see-through parts show the face in both states.
TEST(HotBitBtn, ADisabledPictureIsGreyAndKeepsItsSeeThroughParts) {
    QWidget form;
    auto* b = new THotBitBtn(&form);
    b->setGeometry(10, 10, 40, 30);
    QImage glyph(16, 16, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    for (int y = 4; y < 12; ++y)
        for (int x = 4; x < 12; ++x)
            glyph.setPixel(x, y, qRgb(0, 0, 255));
    b->SetGlyph(glyph);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    const QRgb face = b->Color().rgb();
    // The picture sits in the middle: (12, 7) to (28, 23).
    QImage shot = b->grab().toImage();
    EXPECT_EQ(shot.pixel(13, 8), face);
    EXPECT_EQ(shot.pixel(20, 15), qRgb(0, 0, 255));
    b->setEnabled(false);
    shot = b->grab().toImage();
    EXPECT_EQ(shot.pixel(13, 8), face);
    const QRgb inside = shot.pixel(20, 15);
    EXPECT_EQ(qRed(inside), qGreen(inside));
    EXPECT_EQ(qGreen(inside), qBlue(inside));
    EXPECT_NE(inside, face);
}

TEST(BmpListBox, PicturesBeyondTheStripAndCellWidthZeroShowOnlyText) {
    TBmpListBox box;
    box.resize(160, 120);
    box.SetBitmapStrip(SessionStateStrip(12));
    box.SetBmpItemWidth(12);
    for (int state : {2, 7}) {
        auto* item = new QListWidgetItem(state == 2 ? "connected" : "beyond", &box);
        TBmpListBox::SetItemValue(item, controls::PictureValue(state));
    }
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    EXPECT_EQ(controls::PictureNumber(TBmpListBox::ItemValue(box.item(1))), 7);
    const QRect r0 = box.visualItemRect(box.item(0)), r1 = box.visualItemRect(box.item(1));
    EXPECT_EQ(r0.height(), std::max(box.fontMetrics().height(), 12) + 6);
    const QImage shot = box.viewport()->grab().toImage();
    const QRgb green = qRgb(0, 170, 0);
    EXPECT_GT(CountColour(shot.copy(r0), green), 0);
    EXPECT_EQ(CountColour(shot.copy(r1), green), 0);
    // The see-through grey never shows.
    EXPECT_EQ(CountColour(shot.copy(r0.adjusted(0, 0, -100, 0)), qRgb(128, 128, 128)), 0);

    box.SetBmpItemWidth(0);
    QApplication::processEvents();
    const QImage plain = box.viewport()->grab().toImage();
    EXPECT_EQ(CountColour(plain, green), 0);
}

TEST(LabelEffect, AsButtonPressesAndClicks) {
    QWidget form;
    auto* label = new TLabelEffect(&form);
    label->SetCaption("host");
    label->SetAsButton(true);
    form.show();
    int clicks = 0, downs = 0;
    label->OnClick = [&](TLabelEffect*) { ++clicks; };
    label->OnMouseDown = [&](TLabelEffect*, Qt::MouseButton, int, int) { ++downs; };
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(label->EffectStyle(), controls::esSunken);
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(label->EffectStyle(), controls::esRaised);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downs, 0); // replaced while AsButton is on

    label->SetAlignment(laCenter);
    label->SetAngle(90);
    EXPECT_EQ(label->Alignment(), laLeftJustify);
    label->SetAlignment(laRightJustify);
    EXPECT_EQ(label->Alignment(), laLeftJustify);
}

TEST(LabelEffect, PaintsItsLayersInTheirColours) {
    TLabelEffect label;
    label.resize(142, 33);
    label.SetCaption("WWW");
    label.SetColourScheme(controls::csSteel);
    const QImage img = label.Render();
    // Steel: highlight cyan, shadow navy, face teal.
    EXPECT_GT(CountColour(img, qRgb(0, 255, 255)), 0);
    EXPECT_GT(CountColour(img, qRgb(0, 0, 128)), 0);
    EXPECT_GT(CountColour(img, qRgb(0, 128, 128)), 0);
    // The same caption at 90 degrees still draws inside the label.
    label.SetAngle(90);
    label.resize(40, 142);
    EXPECT_GT(CountColour(label.Render(), qRgb(0, 128, 128)), 0);
    // Every letter takes the face colour, the ones far along the rotated
    // baseline too: no layer pixel is left in the letters' own white.
    {
        const QImage rotated = label.Render();
        EXPECT_GT(CountColour(rotated.copy(0, 0, 40, 71), qRgb(0, 128, 128)), 0);
        EXPECT_GT(CountColour(rotated.copy(0, 71, 40, 71), qRgb(0, 128, 128)), 0);
        EXPECT_EQ(CountColour(rotated, qRgb(255, 255, 255)), 0);
    }

    TLabelEffect copy;
    copy.Assign(label);
    EXPECT_EQ(copy.Angle(), 90);
    EXPECT_EQ(copy.ColourScheme(), controls::csSteel);
    EXPECT_EQ(copy.Caption(), "WWW");
}

TEST(LabelEffect, ItsAcceleratorFocusesTheFocusControlOnlyWithShowAccelChar) {
    QWidget form;
    auto* label = new TLabelEffect(&form);
    auto* edit = new QLineEdit(&form);
    auto* other = new QLineEdit(&form);
    other->move(0, 40);
    label->SetCaption(QStringLiteral("主機(&Q)"));
    label->SetFocusControl(edit);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    other->setFocus();
    QTest::keyClick(&form, Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(edit->hasFocus());
    // A new caption moves the accelerator; the old letter does nothing.
    other->setFocus();
    label->SetCaption(QStringLiteral("&Z"));
    QTest::keyClick(&form, Qt::Key_Q, Qt::AltModifier);
    EXPECT_TRUE(other->hasFocus());
    QTest::keyClick(&form, Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(edit->hasFocus());
    other->setFocus();
    label->SetShowAccelChar(false);
    QTest::keyClick(&form, Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(other->hasFocus());
}
