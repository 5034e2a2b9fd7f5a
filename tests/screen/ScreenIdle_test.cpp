// What an idle screen costs: its refresh timer runs only while something
// waits (output, blinking cells, the owner's timers), and a screen nobody
// sees gives back its pictures and builds them again, whole, when shown.
#include "screen/BgCrt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QTest::qWait(2);
    }
    return true;
}

void Settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// A screen as a session uses it: pictures from its owner, a picture behind
// the text, on the real clock with its timer running.
struct TOwnedScreen {
    TMyBitmap Picture, Back, Mirror;
    TBgCrt S;
    explicit TOwnedScreen(QWidget* parent = nullptr) : S(parent) {
        Picture.SetSize(8, 8);
        Picture.Bitmap().Fill(TBgr{40, 90, 150});
        S.SetColumns(20);
        S.SetRows(5);
        S.SetScreenBack(&Back);
        S.SetMirror(&Mirror);
        S.SetTransparency(0);
        S.SetGlyph(&Picture);
        S.resize(300, 120);
    }
    bool Rendered() {
        std::lock_guard<TRenderGuard> g(S.Screen().Rendering);
        return !S.Screen().NeedRender;
    }
};

} // namespace

TEST(ScreenIdle, AQuietScreenStopsItsTimerAndBlinkingCellsKeepItAtTheirPace) {
    TBgCrt s;
    s.SetColumns(20);
    s.SetRows(5);
    s.SetTransparent(false);
    s.SetBlinkInterval(40);
    s.show();
    s.WriteStr("plain text");
    ASSERT_TRUE(WaitFor([&] { return !s.Screen().NeedRender && !s.RefreshActive(); }))
        << "rendered and nothing else waits: the timer stops";

    s.SetBlink(true);
    s.WriteChar('B');
    s.SetBlink(false);
    ASSERT_TRUE(WaitFor([&] { return !s.Screen().NeedRender; }));
    EXPECT_TRUE(s.RefreshActive());
    const bool phase = s.BlinkPhase();
    ASSERT_TRUE(WaitFor([&] { return s.BlinkPhase() != phase; })) << "the cell blinks";
    ASSERT_TRUE(WaitFor([&] { return s.BlinkPhase() == phase; }));

    s.ClearScreen(); // the blinking cell is gone: quiet again
    EXPECT_TRUE(WaitFor([&] { return !s.RefreshActive(); }));
}

TEST(ScreenIdle, TheOwnersTimersRunOnAQuietScreenAndStopWhenSwitchedOff) {
    TBgCrt s;
    s.SetTransparent(false);
    s.show();
    ASSERT_TRUE(WaitFor([&] { return !s.RefreshActive(); }));
    int ticks = 0;
    s.OnTimer2 = [&](TBgCrt*) { ++ticks; };
    s.SetTimer2Interval(30);
    EXPECT_TRUE(s.RefreshActive());
    EXPECT_TRUE(WaitFor([&] { return ticks >= 3; }));
    s.SetTimer2Interval(0);
    EXPECT_TRUE(WaitFor([&] { return !s.RefreshActive(); }));
}

TEST(ScreenIdle, OutputToAHiddenScreenWaitsWithoutPollingAndShowsWhenShownAgain) {
    TBgCrt s;
    s.SetColumns(20);
    s.SetRows(5);
    s.SetTransparent(false);
    s.resize(300, 120);
    s.show();
    ASSERT_TRUE(WaitFor([&] { return !s.RefreshActive(); }));
    s.hide();
    s.SetTextColor(15);
    s.WriteStr("while hidden");
    Settle();
    QTest::qWait(30);
    Settle();
    EXPECT_FALSE(s.RefreshActive()) << "a hidden screen does not look every 3 ms";
    EXPECT_TRUE(s.Screen().NeedRender);

    s.show();
    ASSERT_TRUE(WaitFor([&] { return !s.Screen().NeedRender; })) << "rendered once shown";
    const QImage shown = s.grab().toImage();
    const QRect cell = s.CellRect(0, 0); // the 'w'
    bool text = false;
    for (int y = cell.top(); y <= cell.bottom() && !text; ++y)
        for (int x = cell.left(); x <= cell.right() && !text; ++x)
            text = shown.pixelColor(x, y) == QColor(Qt::white);
    EXPECT_TRUE(text);
}

TEST(ScreenIdle, ReleasedPicturesAreBuiltAgainWholeByTheNextPaint) {
    TOwnedScreen a, b; // b is the reference that never lets go
    for (TOwnedScreen* o : {&a, &b}) {
        o->S.show();
        o->S.SetTextColor(14);
        o->S.SetBackColor(1);
        o->S.WriteStr("\xA4\xA4 one");
        o->S.SetBackColor(0);
        o->S.WriteStr(" two");
    }
    ASSERT_TRUE(WaitFor([&] { return a.Rendered() && b.Rendered(); }));
    Settle();
    ASSERT_FALSE(a.Mirror.Empty());

    ASSERT_TRUE(a.S.ReleasePictures());
    EXPECT_TRUE(a.S.PicturesReleased());
    EXPECT_TRUE(a.Mirror.Empty());
    EXPECT_TRUE(a.Back.Empty());
    EXPECT_EQ(a.S.CachedGlyphs(), 0u);
    EXPECT_FALSE(a.S.ReleasePictures()) << "nothing left to free";

    // Output while released: the paint it asks for builds everything again.
    for (TOwnedScreen* o : {&a, &b})
        o->S.WriteStr("\r\nthree");
    ASSERT_TRUE(WaitFor([&] { return !a.S.PicturesReleased(); }));
    ASSERT_TRUE(WaitFor([&] { return a.Rendered() && b.Rendered(); }));
    Settle();
    EXPECT_EQ(a.Mirror.Bitmap(), b.Mirror.Bitmap());
    EXPECT_EQ(a.Back.Bitmap(), b.Back.Bitmap());
    EXPECT_EQ(a.S.grab().toImage(), b.S.grab().toImage());
}

TEST(ScreenIdle, ACoveredScreenIsUnseenAndIsDrawnRightWhenUncovered) {
    QWidget box;
    box.resize(400, 300);
    TOwnedScreen a(&box);
    TOwnedScreen ref;
    QWidget cover(&box);
    cover.setAutoFillBackground(true);
    cover.setGeometry(0, 0, 400, 300);
    cover.hide();
    box.show();
    ref.S.show();
    for (TOwnedScreen* o : {&a, &ref}) {
        o->S.SetTextColor(10);
        o->S.WriteStr("covered text");
    }
    ASSERT_TRUE(WaitFor([&] { return a.Rendered() && ref.Rendered(); }));
    Settle();
    EXPECT_FALSE(a.S.Unseen());

    cover.setGeometry(50, 0, 350, 300); // part of the screen still shows
    cover.show();
    cover.raise();
    Settle();
    EXPECT_FALSE(a.S.Unseen());
    cover.setGeometry(0, 0, 400, 300);
    Settle();
    EXPECT_TRUE(a.S.Unseen());

    // A paint since the last look vetoes once; then the pictures go.
    a.S.update();
    Settle();
    EXPECT_FALSE(a.S.ReleasePicturesIfUnseen());
    EXPECT_TRUE(a.S.ReleasePicturesIfUnseen());
    EXPECT_TRUE(a.Mirror.Empty());

    a.S.WriteStr(" more"); // output while covered stays in the buffer
    ref.S.WriteStr(" more");
    ASSERT_TRUE(WaitFor([&] { return a.Rendered() && ref.Rendered(); }));
    Settle();
    EXPECT_TRUE(a.S.PicturesReleased()) << "nobody sees it: nothing is built";

    cover.hide(); // uncovered: the exposed screen paints and is built again
    ASSERT_TRUE(WaitFor([&] { return !a.S.PicturesReleased(); }));
    Settle();
    EXPECT_EQ(a.Mirror.Bitmap(), ref.Mirror.Bitmap());
    EXPECT_EQ(a.S.grab().toImage(), ref.S.grab().toImage());

    // Outside its parent's area a screen is unseen too; hidden, minimized too.
    a.S.move(500, 0);
    EXPECT_TRUE(a.S.Unseen());
    a.S.move(0, 0);
    EXPECT_FALSE(a.S.Unseen());
    a.S.hide();
    EXPECT_TRUE(a.S.Unseen());
}
