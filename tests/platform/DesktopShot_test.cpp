// The desktop shot: monitors joined in desktop coordinates whatever their
// pixel ratios, the platforms that give no picture, the run that hides the
// program's windows around the shot, and a real shot under X.
#include "platform/DesktopShot.h"
#include "platform/XDisplayChild.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

QImage Filled(QSize size, QColor c, double ratio = 1.0) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(c);
    img.setDevicePixelRatio(ratio);
    return img;
}

QColor At(const QImage& img, int x, int y) {
    return QColor(img.pixel(x, y));
}

// Processes events until pred holds or a generous guard runs out.
bool Until(const std::function<bool()>& pred, int guardMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > guardMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

TEST(DesktopShotCompose, MonitorsLeftOfAndAboveThePrimaryMoveTheOrigin) {
    // A primary at (0, 0) and a second monitor left of it and lower.
    const win::TDesktopShot shot =
        win::ComposeDesktop({{QRect(0, 0, 100, 80), Filled({100, 80}, Qt::red)},
                             {QRect(-60, 30, 60, 70), Filled({60, 70}, Qt::blue)}});
    ASSERT_TRUE(shot.Ok());
    EXPECT_EQ(shot.Origin, QPoint(-60, 0));
    EXPECT_EQ(shot.Image.size(), QSize(160, 100));
    EXPECT_EQ(At(shot.Image, 60, 0), QColor(Qt::red)); // desktop (0, 0)
    EXPECT_EQ(At(shot.Image, 159, 79), QColor(Qt::red));
    EXPECT_EQ(At(shot.Image, 0, 30), QColor(Qt::blue)); // desktop (-60, 30)
    EXPECT_EQ(At(shot.Image, 59, 99), QColor(Qt::blue));
    // Where neither monitor reaches: black, not garbage.
    EXPECT_EQ(At(shot.Image, 0, 0), QColor(Qt::black));
    EXPECT_EQ(At(shot.Image, 100, 90), QColor(Qt::black));
}

TEST(DesktopShotCompose, HighDensityMonitorsAreScaledToTheirLogicalSize) {
    // A 2x monitor gives 200 x 160 device pixels for 100 x 80 logical ones;
    // left half green, right half yellow. Beside it a 1x monitor.
    QImage dense(200, 160, QImage::Format_RGB32);
    dense.fill(Qt::green);
    QPainter(&dense).fillRect(100, 0, 100, 160, Qt::yellow);
    dense.setDevicePixelRatio(2.0);
    const win::TDesktopShot shot = win::ComposeDesktop(
        {{QRect(0, 0, 100, 80), dense}, {QRect(100, 0, 50, 80), Filled({50, 80}, Qt::red)}});
    ASSERT_TRUE(shot.Ok());
    EXPECT_EQ(shot.Image.size(), QSize(150, 80));
    EXPECT_DOUBLE_EQ(shot.Image.devicePixelRatio(), 1.0);
    EXPECT_EQ(At(shot.Image, 10, 40), QColor(Qt::green));
    EXPECT_EQ(At(shot.Image, 90, 40), QColor(Qt::yellow));
    // The dense picture did not spill over its neighbour.
    EXPECT_EQ(At(shot.Image, 101, 40), QColor(Qt::red));
}

TEST(DesktopShotCompose, NoUsableMonitorGivesAReasonNotAPicture) {
    EXPECT_FALSE(win::ComposeDesktop({}).Ok());
    const win::TDesktopShot empty = win::ComposeDesktop({{QRect(0, 0, 0, 50), QImage()}});
    EXPECT_FALSE(empty.Ok());
    EXPECT_FALSE(empty.Failure.isEmpty());
    // A monitor whose picture failed stays black; the others still show.
    const win::TDesktopShot part = win::ComposeDesktop(
        {{QRect(0, 0, 10, 10), QImage()}, {QRect(10, 0, 10, 10), Filled({10, 10}, Qt::red)}});
    ASSERT_TRUE(part.Ok());
    EXPECT_EQ(At(part.Image, 2, 2), QColor(Qt::black));
    EXPECT_EQ(At(part.Image, 12, 2), QColor(Qt::red));
}

TEST(DesktopShotPlatform, OffscreenSaysSoAndGivesABlackDesktop) {
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP() << "runs on the offscreen platform";
    QString why;
    EXPECT_FALSE(win::DesktopShotPossible(&why));
    EXPECT_TRUE(why.contains(QLatin1String("offscreen"))) << why.toStdString();
    const win::TDesktopShot shot = win::TakeDesktopShot();
    EXPECT_FALSE(shot.Ok());
    EXPECT_FALSE(shot.Failure.isEmpty());
    const win::TDesktopShot black = win::BlackDesktop();
    ASSERT_TRUE(black.Ok());
    EXPECT_EQ(QRect(black.Origin, black.Image.size()), win::VirtualDesktop());
    EXPECT_EQ(At(black.Image, black.Image.width() - 1, black.Image.height() - 1),
              QColor(Qt::black));
}

// ---- The run around the shot --------------------------------------------

struct ShooterTest : ::testing::Test {
    win::TDesktopShooter Shooter;
    std::vector<std::string> Log;
    int Shots = 0;

    void SetUp() override {
        Shooter.Source = [this] {
            ++Shots;
            Log.push_back("shot");
            win::TDesktopShot s;
            s.Image = Filled({4, 3}, Qt::red);
            s.Origin = QPoint(-4, 0);
            return s;
        };
    }
    win::TDesktopShooter::TPart Part(const std::string& name, bool hides) {
        return {[this, name, hides] {
                    Log.push_back("hide " + name);
                    return hides;
                },
                [this, name] { Log.push_back("show " + name); }};
    }
};

TEST_F(ShooterTest, HidesWaitsOnTheLoopShootsThenShowsOnlyWhatItHid) {
    win::TDesktopShot got;
    bool done = false;
    Shooter.Delay = 30;
    ASSERT_TRUE(Shooter.Start({Part("main", true), Part("docked bar", false), Part("float", true)},
                              [&](const win::TDesktopShot& s) {
                                  Log.push_back("done");
                                  got = s;
                                  done = true;
                              }));
    // Nothing happens inside the caller (it may be a show event).
    EXPECT_TRUE(Log.empty());
    EXPECT_TRUE(Shooter.Pending());
    // The event loop keeps running during the wait: a queued call gets in
    // between the hiding and the shot.
    bool ranMeanwhile = false;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            ranMeanwhile = true;
            Log.push_back("loop");
        });
    });
    ASSERT_TRUE(Until([&] { return done; }));
    EXPECT_TRUE(ranMeanwhile);
    const std::vector<std::string> expected = {
        "hide main", "hide docked bar", "hide float", "loop", "shot",
        "done",      "show main",       "show float"};
    EXPECT_EQ(Log, expected);
    EXPECT_FALSE(Shooter.Pending());
    EXPECT_EQ(got.Origin, QPoint(-4, 0));
    EXPECT_EQ(got.Image.size(), QSize(4, 3));
}

TEST_F(ShooterTest, ARequestWhilePendingDoesNotNest) {
    int dones = 0;
    ASSERT_TRUE(Shooter.Start({Part("main", true)}, [&](const win::TDesktopShot&) {
        ++dones;
        // Asking again from inside the hand-over is refused as well.
        EXPECT_FALSE(
            Shooter.Start({Part("inner", true)}, [&](const win::TDesktopShot&) { ++dones; }));
    }));
    EXPECT_FALSE(Shooter.Start({Part("second", true)}, [&](const win::TDesktopShot&) { ++dones; }));
    ASSERT_TRUE(Until([&] { return !Shooter.Pending(); }));
    EXPECT_EQ(Shots, 1);
    EXPECT_EQ(dones, 1);
    for (const std::string& l : Log)
        EXPECT_EQ(l.find("second"), std::string::npos) << l;
    // Once over, a new run is taken.
    EXPECT_TRUE(Shooter.Start({}, [&](const win::TDesktopShot&) { ++dones; }));
    ASSERT_TRUE(Until([&] { return !Shooter.Pending(); }));
    EXPECT_EQ(dones, 2);
}

TEST_F(ShooterTest, AFailedGrabStillShowsEverythingAgainAndSaysWhy) {
    Shooter.Source = [] { return win::TDesktopShot{}; };
    win::TDesktopShot got;
    got.Image = Filled({1, 1}, Qt::red);
    ASSERT_TRUE(Shooter.Start({Part("main", true)}, [&](const win::TDesktopShot& s) { got = s; }));
    ASSERT_TRUE(Until([&] { return !Shooter.Pending(); }));
    EXPECT_FALSE(got.Ok());
    EXPECT_FALSE(got.Failure.isEmpty());
    EXPECT_EQ(Log.back(), "show main");
}

TEST_F(ShooterTest, DestroyedWhilePendingRunsNothingLater) {
    bool done = false;
    {
        win::TDesktopShooter doomed;
        doomed.Source = [] { return win::TDesktopShot{}; };
        ASSERT_TRUE(
            doomed.Start({Part("main", true)}, [&](const win::TDesktopShot&) { done = true; }));
    }
    // Gives the timers that would have fired every chance to.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 250)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(done);
    EXPECT_TRUE(Log.empty());
}

TEST(DesktopShotOnX, RealShotShowsAWindowWhereItIsAndNotOnceHidden) {
    if (!testx::InXChild()) {
        testx::RunUnderX();
        return;
    }
    ASSERT_EQ(QGuiApplication::platformName(), QLatin1String("xcb"));
    QString why;
    ASSERT_TRUE(win::DesktopShotPossible(&why)) << why.toStdString();
    const QColor mark(10, 200, 30);
    QWidget w(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    QPalette pal = w.palette();
    pal.setColor(QPalette::Window, mark);
    w.setPalette(pal);
    w.setAutoFillBackground(true);
    w.setGeometry(120, 80, 160, 120);
    w.show();
    const QPoint inside = w.geometry().center();
    auto markAt = [&](const win::TDesktopShot& s) {
        const QPoint p = inside - s.Origin;
        return s.Ok() && QRect(QPoint(), s.Image.size()).contains(p) &&
               QColor(s.Image.pixel(p)) == mark;
    };
    win::TDesktopShot shot;
    // The window is mapped and painted at some point; until then keep looking.
    ASSERT_TRUE(Until([&] {
        shot = win::TakeDesktopShot();
        return markAt(shot);
    })) << "the window never showed in a shot: "
        << shot.Failure.toStdString();
    EXPECT_EQ(QRect(shot.Origin, shot.Image.size()), win::VirtualDesktop());
    EXPECT_EQ(shot.Image.devicePixelRatio(), 1.0);
    // Hidden, it is gone from the next shot.
    w.hide();
    ASSERT_TRUE(Until([&] {
        shot = win::TakeDesktopShot();
        return shot.Ok() && !markAt(shot);
    }));
}

} // namespace

namespace {

TEST_F(ShooterTest, CancelShowsOnlyWhatWasHiddenAndHandsNothingOver) {
    bool done = false;
    // Cancelled before the parts were hidden: nothing to show again.
    ASSERT_TRUE(
        Shooter.Start({Part("main", true)}, [&](const win::TDesktopShot&) { done = true; }));
    Shooter.Cancel();
    EXPECT_FALSE(Shooter.Pending());
    EXPECT_TRUE(Log.empty());
    // Cancelled during the pause: shown again at once.
    Shooter.Delay = 5000;
    ASSERT_TRUE(Shooter.Start({Part("main", true), Part("docked", false)},
                              [&](const win::TDesktopShot&) { done = true; }));
    ASSERT_TRUE(Until([&] { return !Log.empty(); }));
    Shooter.Cancel();
    const std::vector<std::string> expected = {"hide main", "hide docked", "show main"};
    EXPECT_EQ(Log, expected);
    // The timers of both runs may fire now: nothing more happens.
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 200)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_FALSE(done);
    EXPECT_EQ(Shots, 0);
    EXPECT_EQ(Log, expected);
}

} // namespace
