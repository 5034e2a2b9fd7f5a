#include "screen/VtEmul.h"

#include "platform/core/Ticks.h"

#include <QApplication>
#include <QClipboard>
#include <QFontInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <set>
#include <string>
#include <thread>

namespace {

// A screen on a hand-driven clock: the refresh timer is stopped and the
// test calls the tick itself.
class TScreenFixture : public ::testing::Test {
protected:
    std::uint32_t Now = 100000;

    void SetUp() override {
        win::SetTickSource([this] { return Now; });
    }
    void TearDown() override { win::SetTickSource({}); }

    // Lets queued work (timer switches, scroll bar and caret syncs) run.
    static void Settle() {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }
    void Prepare(TBgCrt& s, int columns, int rows, bool timerRuns = false) {
        s.SetColumns(columns);
        s.SetRows(rows);
        s.SetTransparent(false); // opaque renderer unless a test wants pictures
        if (!timerRuns)          // the test ticks by hand
            s.StopRefresh();
        s.show();
        Settle();
    }
    // Lets the timer see the output, then the pause pass, and ticks again:
    // renders what is pending.
    void Render(TBgCrt& s) {
        s.RefreshTimerTick();
        Now += s.Interval() + 1;
        s.RefreshTimerTick();
    }
    static TBgr Px(const TBgCrt& s, int x, int y) { return s.DisplayBitmap().Bitmap().Pixel(x, y); }
    static TBgr Bg(const TBgCrt& s, int index) { return ColorToBgr(s.BgColorTable()[index]); }
    static TBgr Fg(const TBgCrt& s, int index) { return ColorToBgr(s.FgColorTable()[index]); }
    // Distinct colours in a cell's pixels.
    static std::set<std::uint32_t> Colours(const TBgCrt& s, int col, int line) {
        std::set<std::uint32_t> out;
        const QRect r = s.CellRect(col, line);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                out.insert(BgrToColor(Px(s, x, y)));
        return out;
    }
    // Gives the screen the keyboard as a user does: its window active and
    // a click on its margin.
    static void Focus(TBgCrt& s) {
        QApplication::setActiveWindow(s.window());
        EXPECT_TRUE(QTest::qWaitForWindowActive(s.window()));
        QTest::mouseClick(&s, Qt::LeftButton, {}, QPoint(0, 0));
        EXPECT_TRUE(s.hasFocus());
    }
};

class TCountingScreen : public TBgCrt {
public:
    int Renders = 0;

protected:
    void AfterRender() override { ++Renders; }
};

} // namespace

TEST_F(TScreenFixture, DefaultsOfAScreenAndAnEmulator) {
    TBgCrt s;
    EXPECT_EQ(s.size(), QSize(200, 150));
    EXPECT_TRUE(s.Display());
    EXPECT_TRUE(s.Transparent());
    EXPECT_EQ(s.Transparency(), 60);
    EXPECT_EQ(s.TranspColor(), 0u);
    EXPECT_EQ(s.BackStyle(), bsStretched);
    EXPECT_TRUE(s.GlyphVisible());
    EXPECT_TRUE(s.CursorVisible());
    EXPECT_EQ(s.CursorHeight(), 2);
    EXPECT_EQ(s.CursorBlinkInterval(), 600u);
    EXPECT_EQ(s.SpaceV(), 0);
    EXPECT_EQ(s.Font().family(), QStringLiteral("細明體"));
    EXPECT_EQ(s.Font().pointSize(), 12);
    EXPECT_EQ(s.PrinterFont(), s.Font());
    EXPECT_EQ(s.Interval(), 20u);
    EXPECT_EQ(s.BlinkInterval(), 700u);
    EXPECT_EQ(s.Timer1Interval() + s.Timer2Interval() + s.Timer3Interval(), 0u);
    EXPECT_EQ(s.TextColor(), 7);
    EXPECT_EQ(s.BackColor(), 0);
    EXPECT_EQ(s.Columns(), 80);
    EXPECT_EQ(s.Rows(), 25);
    EXPECT_EQ(s.MaxBufferRows(), 1000);
    EXPECT_TRUE(s.AutoWrap());
    EXPECT_TRUE(s.Hyperlink);
    EXPECT_EQ(s.HttpHyperlinkColor, 0x00FF00u);
    EXPECT_EQ(s.OnHyperlinkBackColor, 0x0000FFu);
    EXPECT_TRUE(s.BlinkPhase());
    EXPECT_FALSE(s.LazyRefresh() || s.NeedRefreshLater() || s.LazyChangeFont());
    EXPECT_FALSE(s.RefreshActive()) << "nothing to look at before anything is shown";
    EXPECT_EQ(s.ScrollBar(), nullptr);

    TVtEmul v;
    EXPECT_EQ(v.Rows(), 24);
    EXPECT_FALSE(v.AutoWrap());
    EXPECT_TRUE(v.testAttribute(Qt::WA_OpaquePaintEvent));
    // Out-of-range values change nothing.
    v.SetTransparency(101);
    v.SetCursorHeight(-1);
    EXPECT_EQ(v.Transparency(), 60);
    EXPECT_EQ(v.CursorHeight(), 2);
}

TEST_F(TScreenFixture, TheDesignFaceIsMappedToAnInstalledCjkFontWithoutSmoothing) {
    const QFont f = MakeScreenFont(QStringLiteral("細明體"), 12);
    EXPECT_EQ(QFontInfo(f).family(), FallbackScreenFamily());
    EXPECT_TRUE(f.styleStrategy() & QFont::NoAntialias);
    const QFont other = MakeScreenFont(QStringLiteral("標楷體"), 12);
    EXPECT_EQ(QFontInfo(other).family(), FallbackScreenFamily());
    EXPECT_EQ(CellText(0xA4, 0xA4), QStringLiteral("中"));
    EXPECT_EQ(CellText('A', 0), QStringLiteral("A"));
    EXPECT_EQ(CellText(0xA4, 0x20), QString(QChar(0xFFFD))); // not a Big5 pair
    EXPECT_TRUE(CellText(0xA4, 0).isEmpty());

    // Glyph pixels are the text colour or the background colour, nothing between.
    TBgCrt s;
    Prepare(s, 10, 3);
    s.SetTextColor(15);
    s.SetBackColor(4);
    s.WriteStr("\xA4\xA4\xA4\xE5@g");
    Render(s);
    const std::set<std::uint32_t> both{s.FgColorTable()[15], s.BgColorTable()[4]};
    for (int col = 0; col < 4; ++col)
        EXPECT_EQ(Colours(s, col, 0), both) << "column " << col;
}

TEST_F(TScreenFixture, RenderingWaitsForAPauseInTheOutput) {
    TCountingScreen s;
    Prepare(s, 20, 5, true);
    Render(s);
    const int before = s.Renders;
    for (int i = 0; i < 10; ++i) { // a byte every 10 ms
        s.WriteChar('x');
        Now += 10;
        s.RefreshTimerTick();
    }
    EXPECT_EQ(s.Renders, before);
    EXPECT_TRUE(s.Screen().NeedRender);
    Settle(); // the first write switched the timer to its short period
    EXPECT_EQ(s.RefreshIntervalMs(), 3);
    Now += 11;
    s.RefreshTimerTick(); // 21 ms of quiet
    EXPECT_EQ(s.Renders, before + 1);
    EXPECT_FALSE(s.Screen().NeedRender);
    EXPECT_FALSE(s.RefreshActive()) << "rendered, nothing blinks, no timers: quiet";
    EXPECT_EQ(Px(s, s.MarginX() + 9 * s.CellWidth(), s.MarginY()), Bg(s, 0));
    EXPECT_NE(Colours(s, 9, 0).size(), 1u); // the tenth x is drawn

    s.SetDisplay(false); // nothing is rendered while the display is off
    s.WriteChar('y');
    Render(s);
    EXPECT_EQ(s.Renders, before + 1);
    EXPECT_FALSE(s.CaretShown());
}

TEST_F(TScreenFixture, ByteWiseOutputRunningUpToALookIsNotRenderedBeforeItPauses) {
    TCountingScreen s;
    Prepare(s, 20, 5);
    Render(s);
    const int before = s.Renders;
    // A byte every millisecond: only the first one reads the clock.
    for (int i = 0; i < 3 * static_cast<int>(s.Interval()); ++i) {
        s.WriteChar(static_cast<std::uint8_t>('a' + i % 26));
        Now += 1;
    }
    // Long after the first byte, just after the last one: no render yet.
    s.RefreshTimerTick();
    EXPECT_EQ(s.Renders, before);
    Now += s.Interval() + 1;
    s.RefreshTimerTick();
    EXPECT_EQ(s.Renders, before + 1);
    EXPECT_FALSE(s.Screen().NeedRender);
}

TEST_F(TScreenFixture, RedrawsOfOneBlockAreRenderedOnce) {
    TCountingScreen s;
    Prepare(s, 20, 5);
    Render(s);
    const int before = s.Renders;
    for (int i = 0; i < 50; ++i) {
        s.WriteStr("line\r\n");
        s.RedrawScreen();
    }
    Settle();
    EXPECT_EQ(s.Renders, before + 1);
    EXPECT_FALSE(s.Screen().NeedRender);
}

TEST_F(TScreenFixture, SplitColourPairsWearTheirOwnCellsColours) {
    TBgCrt s;
    Prepare(s, 10, 3);
    s.SetTextColor(14);
    s.SetBackColor(1);
    s.WriteChar(0xA4);
    s.SetTextColor(11);
    s.SetBackColor(4);
    s.WriteChar(0xA4);
    Render(s);
    EXPECT_EQ(Colours(s, 0, 0),
              (std::set<std::uint32_t>{s.FgColorTable()[14], s.BgColorTable()[1]}));
    EXPECT_EQ(Colours(s, 1, 0),
              (std::set<std::uint32_t>{s.FgColorTable()[11], s.BgColorTable()[4]}));
}

TEST_F(TScreenFixture, APairWhoseFirstHalfIsOutsideTheDirtyCellsIsDrawnWhole) {
    TBgCrt s;
    Prepare(s, 10, 3);
    s.SetBackColor(2);
    s.WriteStr("\xA4\xA4");
    Render(s);
    const auto whole = Colours(s, 0, 0);
    s.DisplayBitmap().Bitmap().Fill(TBgr{});
    {
        std::lock_guard<TRenderGuard> g(s.Screen().Rendering);
        s.Screen().DirtyLeft = s.Screen().DirtyRight = 1;
        s.Screen().DirtyTop = s.Screen().DirtyBottom = 0;
        s.Screen().NeedRender = true;
    }
    Render(s);
    EXPECT_EQ(Colours(s, 0, 0), whole);
}

TEST_F(TScreenFixture, UnderlineRowAndBlinkPhases) {
    TBgCrt s;
    Prepare(s, 10, 3);
    s.SetTextColor(10);
    s.SetUnderline(true);
    s.WriteChar(' ');
    s.SetUnderline(false);
    s.SetBlink(true);
    s.SetBackColor(4);
    s.WriteChar('B');
    Render(s);
    const QRect cell = s.CellRect(0, 0);
    int underlined = -1;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        if (Px(s, cell.left(), y) == Fg(s, 10) && Px(s, cell.right(), y) == Fg(s, 10))
            underlined = y - cell.top();
    EXPECT_GE(underlined, s.CellHeight() / 2); // in the lower half of the cell
    EXPECT_EQ(Px(s, cell.left(), cell.top()), Bg(s, 0));

    ASSERT_TRUE(s.BlinkPhase()); // phase on: blinking cells show their background only
    EXPECT_EQ(Colours(s, 1, 0), std::set<std::uint32_t>{s.BgColorTable()[4]});
    Now += s.BlinkInterval() + 1;
    s.RefreshTimerTick();
    EXPECT_FALSE(s.BlinkPhase());
    EXPECT_EQ(Colours(s, 1, 0).size(), 2u);
    // A selection dragged with the mouse pauses the blink.
    QTest::mousePress(&s, Qt::LeftButton, {}, s.CellRect(0, 1).center());
    QTest::mouseMove(&s, s.CellRect(3, 1).center());
    QTest::mouseRelease(&s, Qt::LeftButton, {}, s.CellRect(3, 1).center());
    ASSERT_TRUE(s.SelectionShown);
    Now += s.BlinkInterval() + 1;
    s.RefreshTimerTick();
    EXPECT_FALSE(s.BlinkPhase());
}

TEST_F(TScreenFixture, TextAreaIsCentredWithMarginsAndCaretFollowsTheCursor) {
    TBgCrt s;
    Prepare(s, 10, 3);
    s.resize(300, 200);
    Settle();
    EXPECT_EQ(s.TextAreaWidth(), 10 * s.CellWidth());
    EXPECT_EQ(s.MarginX(), (300 - 10 * s.CellWidth()) / 2);
    EXPECT_EQ(s.MarginY(), (200 - 3 * s.CellHeight()) / 2);
    s.SetBackColor(4);
    s.WriteStr("0123456789");
    Render(s);
    EXPECT_EQ(Px(s, s.MarginX() - 1, s.MarginY()), Bg(s, 0));
    EXPECT_EQ(Px(s, s.MarginX(), s.MarginY()), Bg(s, 4));
    EXPECT_EQ(Px(s, s.MarginX() + s.TextAreaWidth() - 1, s.MarginY()), Bg(s, 4));
    EXPECT_EQ(Px(s, s.MarginX() + s.TextAreaWidth(), s.MarginY()), Bg(s, 0));

    Focus(s);
    s.GotoXY(5, 2);
    Settle();
    ASSERT_TRUE(s.Focused());
    EXPECT_TRUE(s.CaretShown());
    const QRect expected(s.MarginX() + 5 * s.CellWidth(),
                         s.MarginY() + 3 * s.CellHeight() - s.CursorHeight(), s.CellWidth(),
                         s.CursorHeight());
    EXPECT_EQ(s.CaretRect(), expected);
    // The caret inverts the pixels under it on the screen.
    const QImage shown = s.grab().toImage();
    const QColor under = shown.pixelColor(expected.left(), expected.bottom());
    const TBgr bg = Bg(s, 0);
    EXPECT_EQ(under, QColor(255 - bg.R, 255 - bg.G, 255 - bg.B));
    EXPECT_EQ(shown.pixelColor(expected.left(), expected.top() - 1), QColor(bg.R, bg.G, bg.B));
}

TEST_F(TScreenFixture, BlackCellsShowThePictureAndOtherBackgroundsCoverIt) {
    TBgCrt s;
    TMyBitmap picture, back, mirror;
    picture.SetSize(4, 4);
    picture.Bitmap().Fill(TBgr{30, 160, 90});
    s.SetScreenBack(&back);
    s.SetMirror(&mirror);
    Prepare(s, 10, 3);
    s.SetTransparency(0); // the picture alone
    s.SetGlyph(&picture);
    EXPECT_TRUE(s.UsesBackgroundRenderer());
    s.SetTextColor(15);
    s.WriteStr("A");
    s.SetTextColor(0);
    s.WriteStr("B"); // black on black: invisible
    s.SetBackColor(4);
    s.WriteStr("C");
    Render(s);
    const TBgr pic{30, 160, 90};
    EXPECT_EQ(Px(s, 0, 0), pic); // a margin
    EXPECT_EQ(Colours(s, 0, 0), (std::set<std::uint32_t>{BgrToColor(pic), s.FgColorTable()[15]}));
    EXPECT_EQ(Colours(s, 1, 0), std::set<std::uint32_t>{BgrToColor(pic)});
    EXPECT_FALSE(Colours(s, 2, 0).count(BgrToColor(pic)));
    EXPECT_TRUE(Colours(s, 2, 0).count(s.BgColorTable()[4]));

    picture.Bitmap().Fill(TBgr{1, 2, 3}); // changed in place by the owner
    s.GlyphChanged();
    Render(s);
    EXPECT_EQ(Px(s, s.CellRect(1, 0).left(), s.CellRect(1, 0).top()), (TBgr{1, 2, 3}));
}

TEST_F(TScreenFixture, BackgroundRebuildsOnlyWhenItCanAndClampsItsSize) {
    TBgCrt s;
    int shots = 0;
    s.OnScreenShoot = [&](TBgCrt*) { ++shots; };
    s.StopRefresh();
    s.UpdateBackground(); // no bitmaps, not loaded
    EXPECT_EQ(shots, 0);
    TMyBitmap back, mirror, shot;
    s.SetScreenBack(&back);
    s.SetMirror(&mirror);
    s.UpdateBackground(); // not loaded yet
    EXPECT_EQ(shots, 0);
    s.SetScreenShoot(&shot);
    s.show();
    Settle();
    const int afterShow = shots;
    EXPECT_GE(afterShow, 1);
    EXPECT_EQ(back.Width(), 200);

    shot.SetSize(10, 10); // a shot smaller than the control: black beyond it
    shot.Bitmap().Fill(TBgr{200, 200, 200});
    s.SetTransparency(100);
    EXPECT_GT(shots, afterShow);
    EXPECT_EQ(back.Bitmap().Pixel(150, 100), TBgr{});

    s.resize(2000, 1500);
    Settle();
    s.UpdateBackground();
    EXPECT_EQ(s.size(), QSize(1280, 1024));
    EXPECT_EQ(back.Width(), 200); // kept its size for that call
    EXPECT_EQ(mirror.Height(), 150);
    s.UpdateBackground();
    EXPECT_EQ(back.Width(), 1280);
}

TEST_F(TScreenFixture, UserTimersTickAtTheirIntervals) {
    TBgCrt s;
    Prepare(s, 10, 3);
    int ticks = 0;
    s.OnTimer2 = [&](TBgCrt*) { ++ticks; };
    s.SetTimer2Interval(1000);
    for (int i = 0; i < 35; ++i) { // 3.5 s of 100 ms ticks
        Now += 100;
        s.RefreshTimerTick();
    }
    EXPECT_EQ(ticks, 3);
    s.SetTimer2Interval(0);
    Now += 5000;
    s.RefreshTimerTick();
    EXPECT_EQ(ticks, 3);
}

TEST_F(TScreenFixture, FontFittingNeverGoesBelowOnePoint) {
    TBgCrt s;
    Prepare(s, 80, 24);
    s.resize(20, 10);
    EXPECT_TRUE(s.FitFontToClient());
    EXPECT_EQ(s.Font().pointSize(), 1);
    EXPECT_FALSE(s.FitFontToClient());
    s.resize(80 * 10, 24 * 20);
    EXPECT_TRUE(s.FitFontToClient());
    EXPECT_LE(80 * s.CellWidth(), s.width());
    EXPECT_LE(24 * s.CellHeight(), s.height());
    EXPECT_GT(s.Font().pointSize(), 8);

    s.SetLazyChangeFont(true); // deferred until turned off
    s.SetSpaceV(4);
    EXPECT_TRUE(s.NeedChangeFontLater);
    const int h = s.CellHeight();
    s.SetLazyChangeFont(false);
    EXPECT_EQ(s.CellHeight(), h + 4);
}

TEST_F(TScreenFixture, ScrollBarFollowsTheBufferAndScrollsTheView) {
    TVtEmul s;
    QScrollBar bar(Qt::Vertical);
    s.SetScrollBar(&bar);
    Prepare(s, 20, 5);
    for (int i = 0; i < 30; ++i)
        s.ProcessBuffer(std::string_view("text\r\n"));
    Settle();
    EXPECT_EQ(bar.maximum(), s.TopRow());
    EXPECT_EQ(bar.value(), s.ViewRow());
    EXPECT_EQ(bar.pageStep(), 5);
    // A click on the bar's up arrow scrolls the view back one row.
    bar.resize(16, 200);
    bar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = option.sliderValue = bar.value();
    option.pageStep = bar.pageStep();
    option.singleStep = bar.singleStep();
    const QRect up =
        bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSubLine, &bar);
    const int top = s.TopRow();
    QTest::mouseClick(&bar, Qt::LeftButton, {}, up.center());
    EXPECT_EQ(bar.value(), top - 1);
    EXPECT_EQ(s.ViewRow(), top - 1);
    EXPECT_TRUE(s.Screen().NeedRender);
}

TEST_F(TScreenFixture, AWorkerThreadWritesWhileTheGuiThreadRenders) {
    win::SetTickSource({}); // real time: the worker and the ticks interleave freely
    TVtEmul s;
    QScrollBar bar(Qt::Vertical);
    s.SetScrollBar(&bar);
    Prepare(s, 40, 10);
    s.SetInterval(0);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 300; ++i) {
            if (i % 100 == 0) s.ClearScreen();
            s.WriteLn("\xB3\x73\xBD\x75\xA4\xA4 connecting " + std::to_string(i));
            s.GotoXY(i % 40, i % 10);
        }
        done = true;
    });
    while (!done) {
        s.RefreshTimerTick();
        QApplication::processEvents();
    }
    worker.join();
    Settle();
    // The first look sees the worker's last writes; the next one, after a
    // pause, renders them.
    for (int look = 0; look < 2; ++look) {
        QThread::msleep(2);
        s.RefreshTimerTick();
    }
    EXPECT_FALSE(s.Screen().NeedRender);
    EXPECT_EQ(bar.maximum(), s.TopRow());
    EXPECT_EQ(s.CursorY(), 9);
}

TEST_F(TScreenFixture, LazyRefreshDefersGeometryAndBackgroundChanges) {
    TBgCrt s;
    Prepare(s, 10, 3);
    s.SetLazyRefresh(true);
    s.SetColumns(20);
    s.SetTranspColor(0x0000FF);
    EXPECT_TRUE(s.NeedRefreshLater());
    EXPECT_EQ(s.TextAreaWidth(), 10 * s.CellWidth()); // metrics not yet recomputed
    s.SetLazyRefresh(false);
    EXPECT_FALSE(s.NeedRefreshLater());
    EXPECT_EQ(s.TextAreaWidth(), std::min(20 * s.CellWidth(), s.width()));
    EXPECT_TRUE(s.UsesBackgroundRenderer());
}

TEST_F(TScreenFixture, ACaretPictureCoversTheWholeCell) {
    QWidget window;
    TBgCrt& s = *new TBgCrt(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 200);
    window.resize(300, 260);
    Prepare(s, 10, 3);
    window.show();
    QImage glyph(3, 3, QImage::Format_RGB32);
    glyph.fill(Qt::white);
    s.SetCursorGlyph(glyph);
    Focus(s);
    s.GotoXY(2, 1);
    Settle();
    EXPECT_EQ(s.CaretRect(), s.CellRect(2, 1));
    const QImage shown = s.grab().toImage();
    const TBgr bg = Bg(s, 0);
    const QColor inverted(255 - bg.R, 255 - bg.G, 255 - bg.B);
    EXPECT_EQ(shown.pixelColor(s.CellRect(2, 1).topLeft()), inverted);
    EXPECT_EQ(shown.pixelColor(s.CellRect(2, 1).bottomRight()), inverted);
    s.SetCursorVisible(false);
    // The keyboard goes to the other box and comes back with a click.
    QTest::mouseClick(other, Qt::LeftButton);
    ASSERT_TRUE(other->hasFocus());
    Focus(s);
    EXPECT_FALSE(s.CaretShown());
}

namespace {
class TPaintCountingScreen : public TBgCrt {
public:
    int Paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++Paints;
        TBgCrt::paintEvent(event);
    }
};
} // namespace

TEST_F(TScreenFixture, ACaretWithoutBlinkTimeStaysOnAndStill) {
    TPaintCountingScreen s;
    Prepare(s, 10, 3);
    Focus(s);
    s.GotoXY(1, 1);
    Settle();
    ASSERT_TRUE(s.CaretShown());
    s.SetCursorBlinkInterval(0);
    Settle();
    s.Paints = 0;
    QTest::qWait(60);
    EXPECT_LE(s.Paints, 1); // no caret blinking, let alone every millisecond
    const QImage shown = s.grab().toImage();
    const TBgr bg = Bg(s, 0);
    EXPECT_EQ(shown.pixelColor(s.CaretRect().topLeft()),
              QColor(255 - bg.R, 255 - bg.G, 255 - bg.B));
    s.SetCursorBlinkInterval(600); // blinking again
    EXPECT_EQ(s.CursorBlinkInterval(), 600u);
}

TEST_F(TScreenFixture, TabStaysWithTheScreen) {
    QWidget window;
    auto* s = new TBgCrt(&window);
    auto* other = new QLineEdit(&window);
    other->move(0, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(s, Qt::LeftButton);
    ASSERT_TRUE(s->hasFocus());
    QTest::keyClick(s, Qt::Key_Tab);
    EXPECT_TRUE(s->hasFocus());
}

TEST_F(TScreenFixture, PasteWritesClipboardLinesAsBig5) {
    TBgCrt s;
    Prepare(s, 20, 5);
    QApplication::clipboard()->setText(QStringLiteral("ab\r\n中文"));
    s.Paste(); // the owning window's paste command; the screen takes no input for it
    EXPECT_FALSE(s.ScrollLazy);
    const TRow& first = s.Screen().ScreenRow(0);
    const TRow& second = s.Screen().ScreenRow(1);
    EXPECT_EQ(first.Cells[0].Char, 'a');
    EXPECT_EQ(first.Cells[1].Char, 'b');
    EXPECT_EQ(second.Cells[0].Char, 0xA4);
    EXPECT_EQ(second.Cells[1].Char, 0xA4);
    EXPECT_EQ(second.Cells[2].Char, 0xA4);
    EXPECT_EQ(second.Cells[3].Char, 0xE5);
    EXPECT_EQ(s.CursorY(), 1); // the last line has no line end
    EXPECT_EQ(s.CursorX(), 4);
}
