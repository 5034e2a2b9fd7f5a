// The layout commands on a real main window offscreen: tiling, cascading,
// filling the document area, the scroll-bar toggle, moving all windows, the
// background items and their picture files, and a session closed while a
// pass processes messages.
#include "UserInput.h"
#include "SessionPeers.h"
#include "WindowFixture.h"
#include "support/SandboxHome.h"

#include "controls/DockTlbr.h"
#include "platform/DesktopShot.h"
#include "platform/QtMessageLoop.h"
#include "platform/XDisplayChild.h"
#include "screen/MyBitmap.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/kvMainForm.h"
#include "session/uTiler.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSplitter>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using sessiontest::Dir;

struct LayoutTest : sessiontest::TWindowTest {
    void SetUp() override {
        TWindowTest::SetUp();
        // Where the desktop gives a picture, the first show's shot hides the
        // window for a moment; the tests start once it is back.
        sessiontest::WaitFor([&] { return !Form->DesktopShooter()->Pending(); }, 5000);
    }
    void Open(int n) {
        for (int i = 0; i < n; ++i)
            Form->OpenSessionWindow();
        sessiontest::WaitFor([] { return false; }, 50);
    }
    TDetachedForm* W(int i) { return Form->FormOf(Form->Sessions.at(static_cast<std::size_t>(i))); }
    QAction* A(const char* name) { return Form->Action(QString::fromLatin1(name)); }
    QSize Area() { return Form->MdiArea->viewport()->size(); }
    // Chooses a command from the menu bar with the mouse.
    void Trigger(const char* name) { EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, A(name))) << name; }

    std::string WriteFile(const char* name, const std::string& bytes) {
        const std::string path = Dir("pics") + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    std::string WritePicture(const char* name, QSize size) {
        const std::string path = Dir("pics") + name;
        QImage img(size, QImage::Format_RGB32);
        img.fill(Qt::red);
        img.save(QString::fromStdString(path), "PNG");
        return path;
    }
};

TEST_F(LayoutTest, HorizontalTilingStacksAtFullWidthAndClearsMaximised) {
    Open(3);
    Trigger("MaxAllConnection");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Form->Sessions[static_cast<std::size_t>(i)]->Maximized, 1);
    Trigger("TileH");
    int top = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(W(i)->width(), Area().width()) << i;
        EXPECT_EQ(W(i)->y(), top) << i;
        top += W(i)->height();
        EXPECT_EQ(Form->Sessions[static_cast<std::size_t>(i)]->Maximized, 0);
    }
    EXPECT_EQ(top, Area().height());
}

// Minimise all leaves every window minimised, the current one included,
// also once the events that follow have run; restore all brings them back.
TEST_F(LayoutTest, MinimiseAllHoldsAndRestoreAllUndoesIt) {
    Open(3);
    Form->activateWindow();
    Trigger("MinAllConnection");
    sessiontest::WaitFor([] { return false; }, 300);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(W(i)->isMinimized()) << i;
    Trigger("RestoreAllConnection");
    sessiontest::WaitFor([] { return false; }, 100);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(W(i)->isMinimized()) << i;
}

TEST_F(LayoutTest, VerticalTilingLeavesMinimisedWindowsOut) {
    Open(3);
    W(1)->setWindowState(Qt::WindowMinimized);
    sessiontest::WaitFor([] { return false; }, 50);
    if (!W(1)->isMinimized()) GTEST_SKIP() << "session windows do not minimise on this platform";
    const QPoint minimisedAt = W(1)->pos();
    Trigger("TileV");
    EXPECT_EQ(W(0)->height(), Area().height());
    EXPECT_EQ(W(0)->x(), 0);
    EXPECT_EQ(W(2)->x(), W(0)->width());
    EXPECT_EQ(W(0)->width() + W(2)->width(), Area().width());
    EXPECT_TRUE(W(1)->isMinimized());
    EXPECT_EQ(W(1)->pos(), minimisedAt);
}

TEST_F(LayoutTest, CascadeStepsEachWindowByItsCaption) {
    Open(3);
    Trigger("TileO");
    EXPECT_EQ(W(0)->pos(), QPoint(0, 0));
    EXPECT_GT(W(1)->x(), 0);
    EXPECT_EQ(W(1)->x(), W(1)->y());
    EXPECT_EQ(W(2)->x(), 2 * W(1)->x());
    EXPECT_EQ(W(0)->size(), W(2)->size());
    EXPECT_LE(W(2)->geometry().right(), Area().width() - 1);
}

TEST_F(LayoutTest, MaximiseFillsTheAreaAndTwiceChangesNothing) {
    Open(1);
    W(0)->move(40, 30);
    Trigger("MaxConnection");
    EXPECT_EQ(W(0)->geometry(), QRect(QPoint(0, 0), Area()));
    TConnection* s = Form->Sessions[0];
    EXPECT_EQ(s->Maximized, 1);
    const QRect screen = s->geometry();
    // The screen and the bar fill the client side by side.
    EXPECT_EQ(screen.width() + W(0)->ScrollBar->width(), W(0)->Client()->width());
    s->Maximized = 0;
    Trigger("MaxConnection");
    EXPECT_EQ(s->Maximized, 1);
    EXPECT_EQ(s->geometry(), screen);
    EXPECT_EQ(W(0)->ResizeArmed, 1);
}

TEST_F(LayoutTest, ScrollBarToggleByMaximisedFlag) {
    Open(2);
    Form->MaximizeSession(0);
    A("ScrollBarVisible")->setChecked(true);
    const int outer0 = W(0)->width(), screen0 = Form->Sessions[0]->width();
    const int outer1 = W(1)->width(), screen1 = Form->Sessions[1]->width();
    const int bar = W(0)->ScrollBar->sizeHint().width();
    Trigger("ScrollBarVisible"); // hidden
    EXPECT_FALSE(A("ScrollBarVisible")->isChecked());
    // The maximised window keeps its size, its screen takes the bar's room;
    // the other window shrinks by the bar, its screen keeps its size.
    EXPECT_EQ(W(0)->width(), outer0);
    EXPECT_EQ(Form->Sessions[0]->width(), screen0 + bar);
    EXPECT_EQ(W(1)->width(), outer1 - bar);
    EXPECT_EQ(Form->Sessions[1]->width(), screen1);
    EXPECT_FALSE(W(1)->ScrollBar->isVisible());
    Trigger("ScrollBarVisible"); // shown again
    EXPECT_EQ(W(1)->width(), outer1);
    EXPECT_EQ(Form->Sessions[0]->width(), screen0);
    EXPECT_EQ(Form->StatusText(4), QString());

    // A client with no room left for it: the screen still keeps one cell.
    const int cw = Form->Sessions[0]->CellWidth(), ch = Form->Sessions[0]->CellHeight();
    Form->FitSessionScreen(Form->Sessions[0], W(0), QSize(-20, 3));
    EXPECT_GE(Form->Sessions[0]->width(), cw);
    EXPECT_GE(Form->Sessions[0]->height(), ch);
}

TEST_F(LayoutTest, MoveAllAndASessionClosedDuringThePass) {
    Open(3);
    W(0)->move(50, 60);
    W(2)->move(10, 0);
    // The second window closes while the pass processes messages.
    QMetaObject::invokeMethod(
        Form.get(), [&] { Form->CloseSessionWindow(1, false); }, Qt::QueuedConnection);
    Form->MoveAllSessions(7, 9);
    ASSERT_EQ(Form->Sessions.size(), 2u);
    EXPECT_EQ(W(0)->pos(), QPoint(7, 9));
    EXPECT_EQ(W(1)->pos(), QPoint(7, 9));
    EXPECT_EQ(Form->StatusText(4), QString());
    EXPECT_FALSE(Form->CommandsLocked());
    Trigger("MoveToLeftTop");
    EXPECT_EQ(W(0)->pos(), QPoint(0, 0));
}

TEST_F(LayoutTest, SessionWindowStoresEachNewPosition) {
    Open(1);
    W(0)->move(40, 30);
    EXPECT_EQ(W(0)->SavedLeft, 40);
    EXPECT_EQ(W(0)->SavedTop, 30);
    W(0)->move(5, 70);
    EXPECT_EQ(W(0)->SavedLeft, 5);
    EXPECT_EQ(W(0)->SavedTop, 70);
}

TEST_F(LayoutTest, TallerTabStripShowsSeveralRows) {
    Form->TabControl->setVisible(true);
    sessiontest::WaitFor([] { return false; }, 20);
    const int total = Form->VSplitter->height();
    Form->VSplitter->setSizes({90, total - 90});
    sessiontest::WaitFor([&] { return Form->TabControl->height() > Form->TabBarBaseHeight; }, 500);
    ASSERT_GT(Form->TabControl->height(), Form->TabBarBaseHeight);
    EXPECT_TRUE(Form->TabMultiLine);
    EXPECT_FALSE(Form->TabControl->usesScrollButtons());
    Form->VSplitter->setSizes({Form->TabBarBaseHeight, total - Form->TabBarBaseHeight});
    sessiontest::WaitFor([&] { return Form->TabControl->height() <= Form->TabBarBaseHeight; }, 500);
    ASSERT_LE(Form->TabControl->height(), Form->TabBarBaseHeight);
    EXPECT_FALSE(Form->TabMultiLine);
    EXPECT_TRUE(Form->TabControl->usesScrollButtons());
}

TEST_F(LayoutTest, TransparencyAndPictureUncheckEachOther) {
    const std::string pic = WritePicture("sky.png", {40, 30});
    Form->PictureFileChooser = [&](const QString&) { return QString::fromStdString(pic); };
    Trigger("TransparentMenuItem");
    EXPECT_TRUE(A("TransparentMenuItem")->isChecked());
    EXPECT_FALSE(Form->Tiler->Bitmap().isNull()) << "the desktop copy is shown";
    Trigger("LoadPictureMenuItem");
    EXPECT_FALSE(A("TransparentMenuItem")->isChecked());
    EXPECT_TRUE(A("PictureMenuItem")->isChecked());
    EXPECT_EQ(A("PictureMenuItem")->text(), QString::fromUtf8("顯示圖片(&P)(sky.png)"));
    EXPECT_EQ(Form->Tiler->Bitmap().size(), QSize(40, 30));
    EXPECT_EQ(A("LoadPictureMenuItem")->property("Hint").toString(), QString::fromStdString(pic));
    Trigger("TransparentMenuItem");
    EXPECT_FALSE(A("PictureMenuItem")->isChecked());
    Trigger("TransparentMenuItem"); // off: nothing shown
    EXPECT_TRUE(Form->Tiler->Bitmap().isNull());
    Trigger("PictureMenuItem"); // the stored picture again
    EXPECT_TRUE(A("PictureMenuItem")->isChecked());
    EXPECT_EQ(Form->Tiler->Bitmap().size(), QSize(40, 30));
}

TEST_F(LayoutTest, BrokenPictureFilesSwitchThePictureOff) {
    const std::string good = WritePicture("ok.png", {20, 20});
    std::ifstream in(good, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    // A PNG header claiming 100000 x 100000 pixels, and a file cut short.
    std::string huge = bytes.substr(0, 33);
    const unsigned char dims[8] = {0, 1, 0x86, 0xA0, 0, 1, 0x86, 0xA0};
    huge.replace(16, 8, reinterpret_cast<const char*>(dims), 8);
    for (const std::string& path :
         {WriteFile("cut.png", bytes.substr(0, 20)), WriteFile("huge.png", huge),
          WriteFile("empty.png", ""), Dir("pics") + "missing.png"}) {
        Form->PictureFileChooser = [&](const QString&) { return QString::fromStdString(path); };
        Trigger("LoadPictureMenuItem");
        EXPECT_FALSE(A("PictureMenuItem")->isChecked()) << path;
        EXPECT_TRUE(Form->Tiler->Bitmap().isNull()) << path;
    }
    // A cancelled dialog keeps what was there.
    Form->PictureFileChooser = [&](const QString&) { return QString::fromStdString(good); };
    Trigger("LoadPictureMenuItem");
    Form->PictureFileChooser = [](const QString&) { return QString(); };
    Trigger("LoadPictureMenuItem");
    EXPECT_EQ(A("LoadPictureMenuItem")->property("Hint").toString(), QString::fromStdString(good));
}

TEST_F(LayoutTest, StyleItemsSetTheTileModeAndTheStoredNumber) {
    Trigger("CenterMenuItem");
    EXPECT_EQ(Form->Tiler->TileMode(), TTileMode::tmCenter);
    EXPECT_EQ(Form->Settings.MdiPictureStyle, 0);
    Trigger("StretchMenuItem");
    EXPECT_EQ(Form->Tiler->TileMode(), TTileMode::tmStretch);
    EXPECT_FALSE(A("CenterMenuItem")->isChecked());
    EXPECT_EQ(Form->Settings.MdiPictureStyle, 2);
    Form->CenterMenuItemClick(nullptr); // no tag: nothing
    EXPECT_EQ(Form->Tiler->TileMode(), TTileMode::tmStretch);
}

} // namespace

namespace {

TEST_F(LayoutTest, PictureShowsAroundCascadedSessions) {
    const std::string pic = WritePicture("red.png", {16, 16});
    Form->PictureFileChooser = [&](const QString&) { return QString::fromStdString(pic); };
    Trigger("LoadPictureMenuItem");
    Open(3);
    Trigger("TileO");
    sessiontest::WaitFor([] { return false; }, 100);
    const QImage shot = Form->MdiArea->viewport()->grab().toImage();
    // Right of the first window and above the second only the picture shows.
    const QRect last = W(2)->geometry();
    ASSERT_GT(W(1)->y(), 2);
    ASSERT_LT(W(0)->geometry().right() + 2, shot.width());
    EXPECT_EQ(QColor(shot.pixel(shot.width() - 2, 1)), QColor(Qt::red));
    EXPECT_NE(QColor(shot.pixel(last.center())), QColor(Qt::red));
    if (const char* dir = std::getenv("BP_LAYOUT_SHOT"))
        Form->grab().save(QString::fromLocal8Bit(dir) + "/cascade.png");
}

} // namespace

// ---- The desktop shot -------------------------------------------------------

namespace {

// Counts one kind of event reaching the object it watches (and lives on).
class TEventCounter : public QObject {
public:
    TEventCounter(QObject* watched, QEvent::Type type) : QObject(watched), FType(type) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == FType) ++Count;
        return false;
    }
    int Count = 0;

private:
    QEvent::Type FType;
};

// A desktop picture whose every pixel tells where it lies: red = x, green =
// y (both modulo 256), blue fixed; so a cut from it shows its own origin.
win::TDesktopShot Pattern(QPoint origin, QSize size) {
    win::TDesktopShot shot;
    shot.Origin = origin;
    shot.Image = QImage(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            shot.Image.setPixel(x, y, qRgb(x & 255, y & 255, 77));
    return shot;
}

QColor PatternAt(const win::TDesktopShot& shot, QPoint desktop) {
    return QColor(shot.Image.pixel(desktop - shot.Origin));
}

struct ShotTest : LayoutTest {
    void WaitShot() {
        ASSERT_TRUE(
            sessiontest::WaitFor([&] { return !Form->DesktopShooter()->Pending(); }, 10000));
    }
    // A session whose background is the desktop under it, unblended.
    TConnection* TransparentSession() {
        Open(1);
        TConnection* s = Form->Sessions.back();
        s->SetTransparency(100);
        s->SetTransparent(true);
        return s;
    }
    QColor Back(TConnection* s, QPoint at) {
        return QColor(Form->FormOf(s)->BackBitmap->Image().pixel(at));
    }
};

TEST_F(ShotTest, WithoutAPictureNothingHidesTheShotStaysBlackAndTintsShow) {
    if (Form->DesktopShooter()->Possible()) GTEST_SKIP() << "this platform gives a real picture";
    // From the first show on: black at the desktop's size, at its origin.
    const QRect desktop = win::VirtualDesktop();
    EXPECT_EQ(QRect(Form->ScreenShoot->Origin,
                    QSize(Form->ScreenShoot->Width(), Form->ScreenShoot->Height())),
              desktop);
    TConnection* s = TransparentSession();
    s->SetTranspColor(0x0000FF); // red in the stored colour order
    s->SetTransparency(40);
    auto* hides = new TEventCounter(Form.get(), QEvent::Hide);
    Trigger("TransparentMenuItem");
    Trigger("Rearrange");
    EXPECT_FALSE(Form->DesktopShooter()->Pending()) << "no run without a picture";
    EXPECT_EQ(hides->Count, 0);
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(QColor(Form->ScreenShoot->Image().pixel(0, 0)), QColor(Qt::black));
    // The screen shows its tint over the black desktop: 60 % of red.
    EXPECT_EQ(Back(s, {3, 3}), QColor(153, 0, 0));
    // The document area shows the black desktop copy at its own size.
    EXPECT_EQ(Form->Tiler->Bitmap().size(), Area());
    EXPECT_EQ(QColor(Form->Tiler->Bitmap().toImage().pixel(5, 5)), QColor(Qt::black));
}

TEST_F(ShotTest, TheRunHidesWindowAndFloatingBarsAndPutsThemBack) {
    const win::TDesktopShot picture = Pattern({-300, -40}, {1900, 1200});
    // The connection bar floats and is shown, the function bar floats but its
    // item is off, the speed-button bar stays docked.
    Form->ConnectionBar->SetFloatingPosition(QPoint(610, 420));
    Form->ConnectionBar->SetDockedTo(nullptr);
    Form->FunctionBar->SetFloatingPosition(QPoint(20, 700));
    Form->FunctionBar->SetDockedTo(nullptr);
    if (A("FunctionToolBar")->isChecked()) Trigger("FunctionToolBar");
    ASSERT_TRUE(A("ConnectionToolBar")->isChecked());
    ASSERT_FALSE(Form->FunctionBar->Visible());
    ASSERT_TRUE(Form->SpeedBtnBar->Docked());
    Form->move(130, 90);
    sessiontest::WaitFor([] { return false; }, 50);
    const QPoint formAt = Form->pos();
    const QPoint barAt = Form->ConnectionBar->FloatingPosition();

    int shots = 0;
    bool mainShown = true, barShown = true, dockedShown = false, functionShown = true;
    Form->DesktopShooter()->Source = [&] {
        ++shots;
        mainShown = Form->isVisible();
        barShown = Form->ConnectionBar->Visible();
        dockedShown = Form->SpeedBtnBar->Visible();
        functionShown = Form->FunctionBar->Visible();
        // Asked again while the run is on: refused, no second shot.
        Form->CaptureDesktop();
        return picture;
    };
    TConnection* s = TransparentSession();
    Trigger("TransparentMenuItem");
    Trigger("Rearrange");
    Form->RearrangeClick(nullptr); // a second request while pending
    EXPECT_TRUE(Form->isVisible()) << "nothing is hidden inside the command";
    WaitShot();
    EXPECT_EQ(shots, 1);
    EXPECT_FALSE(mainShown);
    EXPECT_FALSE(barShown);
    EXPECT_TRUE(dockedShown) << "a docked bar is not touched";
    EXPECT_FALSE(functionShown);
    // Back, each at its place; the bar that was off stays off.
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->pos(), formAt);
    EXPECT_TRUE(Form->ConnectionBar->Visible());
    EXPECT_EQ(Form->ConnectionBar->FloatingPosition(), barAt);
    EXPECT_FALSE(Form->FunctionBar->Visible());
    EXPECT_TRUE(Form->SpeedBtnBar->Visible());

    // The shot is kept with its origin left of and above the primary screen.
    EXPECT_EQ(Form->ScreenShoot->Origin, QPoint(-300, -40));
    EXPECT_EQ(Form->ScreenShoot->Width(), 1900);
    // The document area's copy starts at the area's own place on the desktop.
    QWidget* area = Form->MdiArea->viewport();
    const QPoint areaAt = area->mapToGlobal(QPoint(0, 0));
    const QImage copy = Form->Tiler->Bitmap().toImage();
    ASSERT_EQ(copy.size(), area->size());
    EXPECT_EQ(QColor(copy.pixel(0, 0)), PatternAt(picture, areaAt));
    EXPECT_EQ(QColor(copy.pixel(37, 21)), PatternAt(picture, areaAt + QPoint(37, 21)));
    // The transparent screen was rebuilt from the new shot at its own place.
    const QPoint screenAt = s->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(Back(s, {0, 0}), PatternAt(picture, screenAt));
    EXPECT_EQ(Back(s, {11, 5}), PatternAt(picture, screenAt + QPoint(11, 5)));
    EXPECT_EQ(Form->StatusText(4), QString());
}

TEST_F(ShotTest, AFailedGrabKeepsTheLastPictureAndShowsEverythingAgain) {
    const win::TDesktopShot picture = Pattern({0, 0}, {1400, 1000});
    Form->DesktopShooter()->Source = [&] { return picture; };
    Form->CaptureDesktop();
    WaitShot();
    Form->DesktopShooter()->Source = [] { return win::TDesktopShot{}; };
    Form->CaptureDesktop();
    WaitShot();
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->ScreenShoot->Width(), 1400);
    EXPECT_EQ(QColor(Form->ScreenShoot->Image().pixel(300, 200)), PatternAt(picture, {300, 200}));
}

TEST_F(ShotTest, DocumentAreaCopyFollowsTheWindowAndClipsAtTheShotsEdge) {
    const win::TDesktopShot picture = Pattern({0, 0}, {1024, 768});
    Form->DesktopShooter()->Source = [&] { return picture; };
    Trigger("TransparentMenuItem");
    Form->CaptureDesktop();
    WaitShot();
    // Moved so that the area hangs over the shot's right and bottom edges.
    Form->move(700, 500);
    sessiontest::WaitFor([] { return false; }, 50);
    Form->PaintTransparentBackground();
    QWidget* area = Form->MdiArea->viewport();
    const QPoint at = area->mapToGlobal(QPoint(0, 0));
    const QImage copy = Form->Tiler->Bitmap().toImage();
    ASSERT_EQ(copy.size(), area->size());
    EXPECT_EQ(QColor(copy.pixel(0, 0)), PatternAt(picture, at));
    const QPoint outside(1024 - at.x() + 3, 768 - at.y() + 3);
    ASSERT_TRUE(QRect(QPoint(), copy.size()).contains(outside));
    EXPECT_EQ(QColor(copy.pixel(outside)), QColor(Qt::black));
}

} // namespace

// ---- Cascading after a window was maximised by its own button --------------

namespace {

// A window maximised by its button hides its caption; measured so, it gave
// the cascade a step of one pixel and every window sat on the one before.
void CascadeFromAMaximisedWindow(LayoutTest& t) {
    t.Open(3);
    t.W(0)->showMaximized();
    sessiontest::WaitFor([] { return false; }, 50);
    ASSERT_TRUE(t.W(0)->isMaximized());
    t.Trigger("TileO");
    sessiontest::WaitFor([] { return false; }, 100);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(t.W(i)->isMaximized()) << i;
    // One caption band per step: the client's top inside a normal window.
    const int caption = t.W(1)->Client()->y();
    ASSERT_GT(caption, 1);
    EXPECT_EQ(t.W(0)->pos(), QPoint(0, 0));
    EXPECT_EQ(t.W(1)->pos(), QPoint(caption, caption));
    EXPECT_EQ(t.W(2)->pos(), QPoint(2 * caption, 2 * caption));
    EXPECT_EQ(t.W(0)->size(), t.W(2)->size());
    EXPECT_LE(t.W(2)->geometry().bottom(), t.Area().height() - 1);
}

TEST_F(LayoutTest, CascadeAfterAWindowWasMaximisedByItsButton) {
    CascadeFromAMaximisedWindow(*this);
}

TEST_F(LayoutTest, CascadeUnderX) {
    if (!testx::InXChild()) {
        testx::RunUnderX();
        return;
    }
    CascadeFromAMaximisedWindow(*this);
    // And from windows in the normal state, placed by hand.
    W(1)->move(200, 0);
    W(2)->move(0, 0);
    Trigger("TileO");
    sessiontest::WaitFor([] { return false; }, 100);
    const int caption = W(1)->Client()->y();
    EXPECT_EQ(W(1)->pos(), QPoint(caption, caption));
    EXPECT_EQ(W(2)->pos(), QPoint(2 * caption, 2 * caption));
}

// The real shot: under X the main window is out of the picture while it is
// taken (what lies beneath shows), and it comes back where it was.
TEST_F(ShotTest, RealShotUnderXLeavesTheProgramOut) {
    if (!testx::InXChild()) {
        testx::RunUnderX();
        return;
    }
    ASSERT_TRUE(Form->DesktopShooter()->Possible());
    const QColor beneath(200, 40, 160);
    QWidget backdrop(nullptr, Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    QPalette pal = backdrop.palette();
    pal.setColor(QPalette::Window, beneath);
    backdrop.setPalette(pal);
    backdrop.setAutoFillBackground(true);
    backdrop.setGeometry(0, 0, 1200, 950);
    backdrop.show();
    Form->move(60, 40);
    Form->raise();
    Form->ConnectionBar->SetFloatingPosition(QPoint(900, 700));
    Form->ConnectionBar->SetDockedTo(nullptr);
    sessiontest::WaitFor([] { return false; }, 300);
    const QPoint formAt = Form->pos();
    const QPoint barAt = Form->ConnectionBar->FloatingPosition();
    const QPoint centre = Form->geometry().center();
    const QPoint onBar = QRect(barAt, Form->ConnectionBar->size()).center();
    Trigger("TransparentMenuItem");
    // The picture under the window: the backdrop, once the window system
    // has repainted it (a slow server may need a second request).
    auto shotShowsBeneath = [&] {
        const QImage img = Form->ScreenShoot->Image();
        const QPoint at = centre - Form->ScreenShoot->Origin;
        const QPoint atBar = onBar - Form->ScreenShoot->Origin;
        return QRect(QPoint(), img.size()).contains(at) && QColor(img.pixel(at)) == beneath &&
               QColor(img.pixel(atBar)) == beneath;
    };
    bool seen = false;
    for (int i = 0; i < 20 && !seen; ++i) {
        Trigger("Rearrange");
        WaitShot();
        seen = shotShowsBeneath();
    }
    EXPECT_TRUE(seen) << "the program's windows were in the picture";
    EXPECT_TRUE(Form->isVisible());
    EXPECT_EQ(Form->pos(), formAt);
    EXPECT_TRUE(Form->ConnectionBar->Visible());
    EXPECT_EQ(Form->ConnectionBar->FloatingPosition(), barAt);
    // The document area's copy is the backdrop, cut at the area's place.
    const QImage copy = Form->Tiler->Bitmap().toImage();
    ASSERT_FALSE(copy.isNull());
    EXPECT_EQ(QColor(copy.pixel(copy.width() / 2, copy.height() / 2)), beneath);
}

} // namespace

namespace {

// Hiding and showing the main window around the shot must not change which
// session is the current one (the document area would pick its own).
TEST_F(ShotTest, TheCurrentSessionStaysCurrentAcrossTheShot) {
    Open(3);
    Form->ActivateSession(-1, 2, true);
    sessiontest::WaitFor([] { return false; }, 50);
    ASSERT_EQ(Form->CurrentSession, 2);
    Form->DesktopShooter()->Source = [] { return Pattern({0, 0}, {64, 64}); };
    for (int round = 0; round < 2; ++round) {
        Form->CaptureDesktop();
        WaitShot();
        sessiontest::WaitFor([] { return false; }, 50);
        EXPECT_EQ(Form->CurrentSession, 2) << round;
        EXPECT_EQ(Form->MdiArea->activeSubWindow(), W(2)) << round;
    }
}

TEST_F(ShotTest, TheCurrentSessionStaysCurrentAcrossTheShotUnderX) {
    if (!testx::InXChild()) {
        testx::RunUnderX();
        return;
    }
    // With the keyboard focus in the program, showing the main window again
    // hands the focus from one session window to the next.
    Form->activateWindow();
    ASSERT_TRUE(sessiontest::WaitFor([&] { return Form->isActiveWindow(); }, 5000));
    Open(3);
    Form->ActivateSession(-1, 2, true);
    Form->MoveCurrentToFront();
    sessiontest::WaitFor([] { return false; }, 100);
    ASSERT_EQ(Form->CurrentSession, 2);
    const std::vector<int> order = Form->ActivationOrder;
    for (int round = 0; round < 2; ++round) {
        Form->CaptureDesktop();
        WaitShot();
        sessiontest::WaitFor([&] { return Form->isActiveWindow(); }, 2000);
        sessiontest::WaitFor([] { return false; }, 200);
        EXPECT_EQ(Form->CurrentSession, 2) << round;
        EXPECT_EQ(Form->MdiArea->activeSubWindow(), W(2)) << round;
        EXPECT_EQ(Form->ActivationOrder, order) << round;
    }
}

} // namespace

namespace {

// Closed while the shot waits: no shot comes, the closed window does not
// show itself again, and the hidden toolbar is back for the settings.
TEST_F(ShotTest, ClosingWhileTheShotWaitsEndsTheRun) {
    Form->ConnectionBar->SetFloatingPosition(QPoint(500, 400));
    Form->ConnectionBar->SetDockedTo(nullptr);
    int shots = 0;
    Form->DesktopShooter()->Source = [&] {
        ++shots;
        return Pattern({0, 0}, {32, 32});
    };
    Form->DesktopShooter()->Delay = 200;
    Form->CaptureDesktop();
    ASSERT_TRUE(sessiontest::WaitFor([&] { return !Form->isVisible(); }, 5000));
    EXPECT_FALSE(Form->ConnectionBar->Visible());
    Form->close();
    EXPECT_FALSE(Form->DesktopShooter()->Pending());
    EXPECT_TRUE(Form->ConnectionBar->Visible());
    // Well past the pause: still closed, still no shot.
    sessiontest::WaitFor([] { return false; }, 500);
    EXPECT_EQ(shots, 0);
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(A("ConnectionToolBar")->isChecked());
}

} // namespace

// Windows brought forward before a cascade: afterwards each lies over the
// one before it, so every caption shows, and the current one is in front.
TEST_F(LayoutTest, CascadeStacksEachWindowOverThePreviousOne) {
    Open(4);
    auto stack = [this] {
        std::vector<QMdiSubWindow*> order;
        for (QMdiSubWindow* w : Form->MdiArea->subWindowList(QMdiArea::StackingOrder))
            order.push_back(w);
        return order;
    };
    W(1)->raise();
    W(0)->raise();
    Form->CurrentSession = 3;
    Trigger("TileO");
    EXPECT_EQ(stack(), (std::vector<QMdiSubWindow*>{W(0), W(1), W(2), W(3)}));
    // A current session inside the run stays in front of the later ones.
    // (chosen by a click on its caption, which shows above the later
    // windows: the menu hands the focus back to the current session's window
    // when it closes)
    QTest::mouseClick(W(1), Qt::LeftButton, Qt::NoModifier,
                      QPoint(W(1)->width() / 2, W(1)->Client()->y() / 2));
    ASSERT_EQ(Form->CurrentSession, 1);
    Trigger("TileO");
    EXPECT_EQ(stack(), (std::vector<QMdiSubWindow*>{W(0), W(2), W(3), W(1)}));
    EXPECT_EQ(W(1)->pos(), QPoint(W(1)->x(), W(1)->x()));
    EXPECT_LT(W(1)->x(), W(2)->x());
}

// Minimising a window other than the current one leaves the current
// session as it was: the focus the window's screen gets on the way down is
// no switch.
TEST_F(LayoutTest, MinimisingAnotherWindowKeepsTheCurrentSession) {
    Open(3);
    Form->CurrentSession = 2;
    W(0)->showMinimized();
    sessiontest::WaitFor([] { return false; }, 50);
    EXPECT_TRUE(W(0)->isMinimized());
    EXPECT_EQ(Form->CurrentSession, 2);
    EXPECT_FALSE(W(2)->isMinimized());
}
