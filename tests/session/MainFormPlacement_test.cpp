// Window places and the backgrounds that follow them, on a real main window
// offscreen: the splitter under the tab strip and the two session-list
// toggles, the fixed window sizes, the tab strip's rows, and a window that
// fills the document area keeping it filled when the preferences change the
// font; the trace window in the screen's corner.
#include "SessionPeers.h"
#include "WindowFixture.h"
#include "support/SandboxHome.h"

#include "dialogs/PreferenceDialog.h"
#include "dialogs/TraceDialog.h"
#include "platform/QtMessageLoop.h"
#include "screen/BgCrt.h"
#include "session/ConnectionThread.h"
#include "session/kvMainForm.h"
#include "session/uTiler.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace {

struct ViewTest : sessiontest::TWindowTest {

    static void Settle() {
        sessiontest::WaitFor([] { return false; }, 50);
    }
    void Open(int n) {
        for (int i = 0; i < n; ++i)
            Form->OpenSessionWindow();
        Settle();
    }
    QAction* A(const char* name) { return Form->Action(QString::fromLatin1(name)); }

    // Counts each screen's background rebuilds from now on, with the
    // progress text shown while it ran.
    void WatchRebuilds() {
        Rebuilds.clear();
        Progress.clear();
        for (TConnection* s : Form->Sessions) {
            Rebuilds[s] = 0;
            s->OnScreenShoot = [this, s](TBgCrt*) {
                ++Rebuilds[s];
                Progress.push_back(Form->StatusText(4).toStdString());
            };
        }
    }
    int TotalRebuilds() const {
        int n = 0;
        for (auto& [s, count] : Rebuilds)
            n += count;
        return n;
    }

    // Drags the handle under the tab strip down by dy pixels, as a user does.
    void DragSplitter(int dy) {
        QWidget* handle = Form->VSplitter->handle(1);
        const QPoint from = handle->rect().center();
        const QPoint to = from + QPoint(0, dy);
        auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
            QMouseEvent e(type, at, handle->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
            QApplication::sendEvent(handle, &e);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        send(QEvent::MouseMove, to, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    std::map<TConnection*, int> Rebuilds;
    std::vector<std::string> Progress;
};

TEST_F(ViewTest, SplitterDragRebuildsEveryScreenOnlyWithTransparencyOn) {
    Open(4);
    if (!Form->TabControl->isVisible()) A("ConnectionForm1")->trigger();
    Settle();
    WatchRebuilds();
    Form->Settings.Transparent = false;
    const int before = Form->TabControl->height();
    DragSplitter(40);
    ASSERT_GT(Form->TabControl->height(), before) << "the drag moved the splitter";
    EXPECT_EQ(TotalRebuilds(), 0);

    Form->Settings.Transparent = true;
    DragSplitter(-20);
    for (auto& [s, count] : Rebuilds)
        EXPECT_EQ(count, 1);
    // One progress pass over the four sessions, in list order.
    EXPECT_EQ(Progress,
              (std::vector<std::string>{"進度: 0 %", "進度: 25 %", "進度: 50 %", "進度: 75 %"}));
    EXPECT_EQ(Form->StatusText(4), QString());
    EXPECT_FALSE(Form->CommandsLocked());
}

TEST_F(ViewTest, TabStripToggleCutsTheBackgroundForTheAreasNewPlace) {
    Open(2);
    A("TransparentMenuItem")->trigger();
    ASSERT_TRUE(A("TransparentMenuItem")->isChecked());
    const bool wasShown = A("ConnectionForm1")->isChecked();
    // With the screens' transparency off no pass runs (and processes no
    // layout messages) before the area's background is cut.
    for (bool screens : {false, true})
        for (int round = 0; round < 2; ++round) {
            Form->Settings.Transparent = screens;
            WatchRebuilds();
            A("ConnectionForm1")->trigger();
            EXPECT_EQ(A("ConnectionForm1")->isChecked(), round == 0 ? !wasShown : wasShown);
            // Right away, without waiting for the layout: the desktop copy
            // has the document area's present size.
            const QPixmap bitmap = Form->Tiler->Bitmap();
            const QSize area = Form->MdiArea->viewport()->size();
            EXPECT_EQ(bitmap.deviceIndependentSize().toSize(), area) << screens << round;
            EXPECT_EQ(TotalRebuilds(), screens ? 2 : 0) << round;
            EXPECT_EQ(Form->StatusText(4), QString());
        }
}

TEST_F(ViewTest, TabStripToggleWithoutTransparencyRebuildsNothing) {
    Open(2);
    Form->Settings.Transparent = false;
    WatchRebuilds();
    A("ConnectionForm1")->trigger();
    A("ConnectionForm1")->trigger();
    EXPECT_EQ(TotalRebuilds(), 0);
    EXPECT_TRUE(Form->Tiler->Bitmap().isNull());
}

TEST_F(ViewTest, ListTogglesGiveTheFocusBack) {
    Form->activateWindow();
    sessiontest::WaitFor([&] { return Form->isActiveWindow(); }, 2000);
    if (!Form->isActiveWindow()) GTEST_SKIP() << "the window cannot become active here";
    for (const char* item : {"ConnectionForm1", "ConnectionForm2"}) {
        Form->PortEdit->setFocus();
        ASSERT_TRUE(Form->PortEdit->hasFocus());
        A(item)->trigger();
        // No session: the focus goes back to the host box.
        EXPECT_TRUE(Form->HostNameComboBox->hasFocus()) << item;
        A(item)->trigger();
    }
}

// A press on the tab strip gives the keys to the current session, but only
// while some session is connected.
TEST_F(ViewTest, PressOnTheTabStripFocusesTheCurrentSessionWhileConnected) {
    Form->activateWindow();
    sessiontest::WaitFor([&] { return Form->isActiveWindow(); }, 2000);
    if (!Form->isActiveWindow()) GTEST_SKIP() << "the window cannot become active here";
    Open(2);
    if (!A("ConnectionForm1")->isChecked()) A("ConnectionForm1")->trigger();
    Settle();
    TConnection* current = Form->Sessions.at(static_cast<std::size_t>(Form->CurrentSession));
    const QPoint empty(Form->TabControl->width() - 2, Form->TabControl->height() / 2);
    for (int connected : {0, 1}) {
        Form->ConnectCount = connected;
        Form->PortEdit->setFocus();
        QTest::mousePress(Form->TabControl, Qt::LeftButton, Qt::NoModifier, empty);
        QTest::mouseRelease(Form->TabControl, Qt::LeftButton, Qt::NoModifier, empty);
        EXPECT_EQ(current->hasFocus(), connected == 1) << connected;
        EXPECT_EQ(Form->PortEdit->hasFocus(), connected == 0) << connected;
    }
    Form->ConnectCount = 0;
}

TEST_F(ViewTest, FixedSizesPlaceTheWholeWindowAtTheOrigin) {
    Form->move(120, 80);
    Settle();
    for (auto [item, size] : {std::pair{"Screen640x480", QSize(640, 480)},
                              std::pair{"Screen800x600", QSize(800, 600)}}) {
        A(item)->trigger();
        Settle();
        EXPECT_EQ(Form->frameGeometry().topLeft(), QPoint(0, 0)) << item;
        EXPECT_EQ(Form->frameGeometry().size(), size) << item;
    }
}

TEST_F(ViewTest, TallTabStripWrapsTheSessionsIntoRowsAndAClickThereSwitches) {
    sessiontest::TGateResolver resolver; // the look-ups wait; nothing is dialled
    Form->resize(520, 700);
    for (int i = 0; i < 12; ++i) {
        Form->HostNameComboBox->setCurrentText(QStringLiteral("site-%1").arg(i));
        Form->PortEdit->setText(QStringLiteral("23"));
        Form->ConnectClick(nullptr);
    }
    ASSERT_EQ(Form->TabControl->count(), 12);
    if (!A("ConnectionForm1")->isChecked()) A("ConnectionForm1")->trigger();
    Settle();
    const int total = Form->VSplitter->height();
    const int tall = 4 * Form->TabControl->rowHeight();
    Form->VSplitter->setSizes({tall, total - tall});
    sessiontest::WaitFor([&] { return Form->TabMultiLine; }, 500);
    ASSERT_TRUE(Form->TabMultiLine);
    ASSERT_GT(Form->TabControl->rowCount(), 1);
    // A tab of a lower row that the strip shows.
    int lower = -1;
    for (int i = 0; i < Form->TabControl->count() && lower < 0; ++i) {
        const QRect r = Form->TabControl->tabRect(i);
        if (r.top() > 0 && r.bottom() < Form->TabControl->height() && i != Form->CurrentSession)
            lower = i;
    }
    ASSERT_GE(lower, 0);
    QTest::mouseClick(Form->TabControl, Qt::LeftButton, Qt::NoModifier,
                      Form->TabControl->tabRect(lower).center());
    EXPECT_EQ(Form->CurrentSession, lower);
    EXPECT_EQ(Form->TabControl->currentIndex(), lower);
    EXPECT_EQ(Form->BmpListBox->currentRow(), lower);
    EXPECT_EQ(Form->HostNameComboBox->currentText(), QStringLiteral("site-%1").arg(lower));
    EXPECT_EQ(Form->ActivationOrder.front(), lower);
    if (const char* dir = std::getenv("BP_LAYOUT_SHOT"))
        Form->grab().save(QString::fromLocal8Bit(dir) + "/tab-rows.png");

    // Back to one row: the tabs scroll, the current one in view.
    Form->VSplitter->setSizes({Form->TabBarBaseHeight, total - Form->TabBarBaseHeight});
    sessiontest::WaitFor([&] { return !Form->TabMultiLine; }, 500);
    ASSERT_FALSE(Form->TabMultiLine);
    EXPECT_EQ(Form->TabControl->rowCount(), 1);
    Form->ActivateSession(Form->CurrentSession, 11, false);
    const QRect last = Form->TabControl->tabRect(11);
    EXPECT_FALSE(last.isEmpty());
    EXPECT_LE(last.right(), Form->TabControl->width() - 1);
    EXPECT_EQ(last.top(), 0);

    resolver.Release(true);
    ASSERT_TRUE(
        sessiontest::WaitFor([] { return session::TConnectionThread::Running() == 0; }, 30000));
}

TEST_F(ViewTest, BiggerFontKeepsAFilledWindowFillingTheArea) {
    Open(2);
    Form->MaximizeSession(0);
    TDetachedForm* filled = Form->FormOf(Form->Sessions[0]);
    TDetachedForm* other = Form->FormOf(Form->Sessions[1]);
    other->move(30, 40);
    const QRect area(QPoint(0, 0), Form->MdiArea->viewport()->size());
    ASSERT_EQ(filled->geometry(), area);
    const QRect otherBefore = other->geometry();
    const int sizeBefore = Form->Sessions[1]->Font().pointSize();
    Form->PreferenceDialogHook = [](TPreferenceDlg& d) {
        QTimer::singleShot(0, &d, [&d] {
            d.PageControl->setCurrentIndex(3);
            d.ApplyFontCheckBox->setChecked(true);
            d.ChooseFont = [](QFont& f) {
                f.setPointSize(f.pointSize() + 6);
                return true;
            };
            d.FontHotBitBtn->click();
            d.accept();
        });
    };
    Form->SetPreferenceClick(nullptr);
    // The filled window did not grow past the area; its screen fits its
    // font into the client instead.
    EXPECT_EQ(filled->geometry(), area);
    EXPECT_EQ(Form->Sessions[0]->Maximized, 1);
    EXPECT_EQ(filled->ResizeArmed, 1);
    TConnection* s = Form->Sessions[0];
    EXPECT_LE(s->Screen().Columns() * s->CellWidth(), s->width());
    EXPECT_LE(s->Screen().Rows() * s->CellHeight(), s->height());
    // The other window grows for the bigger font, from where it was.
    EXPECT_GT(Form->Sessions[1]->Font().pointSize(), sizeBefore);
    EXPECT_EQ(other->geometry().topLeft(), otherBefore.topLeft());
    EXPECT_GT(other->width(), otherBefore.width());
}

TEST_F(ViewTest, TraceWindowsFrameSitsInTheScreensCorner) {
    Open(1);
    Form->ChooseFileName = [](const std::string&, bool) { return std::string(); };
    Form->LoadTraceClick(nullptr);
    ASSERT_TRUE(Form->TraceDlg);
    Settle();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = Form->TraceDlg->frameGeometry();
    EXPECT_EQ(frame.bottomRight(), area.bottomRight());
    EXPECT_FALSE(Form->TraceBusy) << "a cancelled choice ends the command";
}

} // namespace
