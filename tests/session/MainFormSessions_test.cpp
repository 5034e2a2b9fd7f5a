// The main window's sessions on Qt's loop against peers on loopback: several
// sessions side by side, drops closed or reconnected by the housekeeping
// timer, refused ports, look-ups held up by a test resolver while sessions
// close and move, the close request of a session window, and the end of the
// program with a look-up still blocked.
#include "QuietEnvironment.h"
#include "SessionPeers.h"
#include "UserInput.h"
#include "support/ChildProcess.h"
#include "support/SandboxHome.h"
#include "support/ScriptedServer.h"

#include "platform/QtMessageLoop.h"
#include "platform/core/Big5.h"
#include "platform/core/Ticks.h"
#include "session/ConnectionThread.h"
#include "session/core/NetworkUp.h"
#include "session/kvMainForm.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QImage>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMenu>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>

#include <atomic>
#include <gtest/gtest.h>

using sessiontest::ScreenHas;
using sessiontest::WaitFor;

namespace {

using sessiontest::Dir;
using sessiontest::Home;
using TTestEnvironment = sessiontest::TSandboxEnvironment;

// A fake clock the housekeeping timer reads; the test moves it.
std::atomic<win::DWORD> gNow{1000};

struct MainFormTest : ::testing::Test {
    static void SetUpTestSuite() {
        Home();
        win::InstallQtMessageLoop();
        win::SetTickSource([] { return gNow.load(); });
        session::SetNetworkProbe([] { return true; });
    }
    void SetUp() override {
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TTestEnvironment>());
        Form->show();             // window messages wait for the first show
        Form->FlashTimer->stop(); // the test runs the timer's steps itself
        Form->Settings.Remove = false;
        Form->Settings.ReConnect = false;
        Form->Settings.Max = false;
    }
    // The form goes first: its sessions close, so the peers' scripts end.
    void TearDown() override {
        Form.reset();
        Servers.clear();
    }

    // A peer on loopback that serves each connection on its own thread.
    bptest::TScriptedServer& Serve(bptest::TScriptedServer::TScript script) {
        Servers.push_back(std::make_unique<bptest::TScriptedServer>(std::move(script), true));
        return *Servers.back();
    }

    // Types the host and port into the connection bar and clicks Connect.
    void Connect(const std::string& host, const std::string& port) {
        sessiontest::TypeAndConnect(*Form, QString::fromStdString(host),
                                    QString::fromStdString(port));
    }
    // Chooses the command `name` from the menu bar with the mouse.
    void Choose(const char* name) {
        EXPECT_TRUE(sessiontest::ChooseMenuItem(*Form, Form->Action(QString::fromLatin1(name))))
            << name;
    }
    // Drags row `from` of the session list onto row `onto` with the mouse.
    void DragRow(int from, int onto) {
        QListWidget* list = Form->BmpListBox;
        const QPoint a = list->visualItemRect(list->item(from)).center();
        const QPoint b = list->visualItemRect(list->item(onto)).center();
        QTest::mousePress(list->viewport(), Qt::LeftButton, Qt::NoModifier, a);
        QTest::mouseMove(list->viewport(), (a + b) / 2);
        QTest::mouseMove(list->viewport(), b);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, Qt::NoModifier, b);
    }
    // Clicks row `row` of the session list.
    void ClickRow(int row) {
        QListWidget* list = Form->BmpListBox;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
    }
    // One step of the one-second timer, `ms` after the last.
    void Tick(int ms = 1000) {
        gNow += static_cast<win::DWORD>(ms);
        Form->FlashTimerTimer();
    }
    TConnection& S(int i) { return *Form->Sessions.at(static_cast<std::size_t>(i)); }
    int Count() const { return static_cast<int>(Form->Sessions.size()); }
    bool Enabled(const char* command) const {
        QAction* a = Form->Action(QString::fromLatin1(command));
        return a && a->isEnabled();
    }

    std::unique_ptr<TkvMainForm> Form;
    std::vector<std::unique_ptr<bptest::TScriptedServer>> Servers;
};

bptest::TScriptedServer::TScript Greeter(const std::string& text) {
    return [text](int fd, int) {
        bptest::SendAll(fd, text + "\r\n");
        bptest::ReadToEnd(fd, 60000);
    };
}

TEST_F(MainFormTest, ThreeTelnetdSessionsEachShowOnlyTheirOwnOutput) {
    if (!testpeer::HaveProgram("/bin/busybox")) GTEST_SKIP() << "busybox not installed";
    const std::uint16_t port = testpeer::FreePort();
    testpeer::TChildProcess d({"/bin/busybox", "telnetd", "-F", "-b", "127.0.0.1", "-p",
                               std::to_string(port), "-l", "/bin/sh"});
    ASSERT_TRUE(testpeer::WaitForListener(port, 5000));
    for (int i = 0; i < 3; ++i)
        Connect("127.0.0.1", std::to_string(port));
    ASSERT_EQ(Count(), 3) << "a connecting current session is not reused";
    ASSERT_TRUE(WaitFor([&] { return Form->ConnectCount == 3; }));
    EXPECT_EQ(Form->TabControl->count(), 3);
    EXPECT_EQ(Form->BmpListBox->count(), 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Form->RowState(i), 2);
        EXPECT_EQ(S(i).Tag, i + 1);
    }
    EXPECT_EQ(Form->StatusText(0), QString::fromUtf8("總連線數: 3"));
    EXPECT_EQ(Form->StatusText(1), QString::fromUtf8("連線數目: 3"));
    EXPECT_EQ(Form->CurrentSession, 2);
    EXPECT_EQ(Form->ActivationOrder, (std::vector<int>{2, 1, 0}));

    WaitFor([] { return false; }, 300); // let the shells print their prompts
    for (char k : std::string("echo hel\"\"lo\r")) {
        char key = k;
        S(1).KeyPress(key);
    }
    ASSERT_TRUE(WaitFor([&] {
        return sessiontest::ScreenText(S(1)).find("\nhello") != std::string::npos;
    })) << sessiontest::ScreenText(S(1));
    EXPECT_EQ(sessiontest::ScreenText(S(0)).find("hello"), std::string::npos);
    EXPECT_EQ(sessiontest::ScreenText(S(2)).find("hello"), std::string::npos);
}

// Full-size session windows lie on each other: the housekeeping timer takes
// the pictures of the covered one back, and a click on its tab brings it to
// the front drawn whole, text and background.
TEST_F(MainFormTest, ACoveredSessionGivesItsPicturesBackAndIsDrawnWholeWhenBroughtBack) {
    bptest::TScriptedServer& server = Serve([](int fd, int index) {
        bptest::SendAll(fd, "\x1b[1;33msession " + std::to_string(index) + "\x1b[0m\r\n");
        bptest::ReadToEnd(fd, 60000);
    });
    Form->Settings.Max = true;
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(S(0), "session 0"); }));
    Connect("127.0.0.1", server.PortStr());
    ASSERT_EQ(Count(), 2);
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(S(1), "session 1"); }));
    // The screens render after a pause in the output, on the test's clock.
    auto rendered = [&](int i) {
        gNow += 30;
        std::lock_guard<TRenderGuard> g(S(i).Screen().Rendering);
        return !S(i).Screen().NeedRender;
    };
    ASSERT_TRUE(WaitFor([&] { return rendered(0) && rendered(1); }));
    WaitFor([] { return false; }, 100);
    const QImage before = S(0).DisplayBitmap().ToImage();
    ASSERT_FALSE(before.isNull());
    ASSERT_TRUE(S(0).Unseen()) << "the second window lies over the first";
    ASSERT_FALSE(S(1).Unseen());

    Tick();
    Tick(); // a paint before the first look holds it back once
    EXPECT_TRUE(S(0).PicturesReleased());
    EXPECT_TRUE(Form->FormOf(&S(0))->MirrorBitmap->Empty());
    EXPECT_TRUE(Form->FormOf(&S(0))->BackBitmap->Empty());
    EXPECT_FALSE(S(1).PicturesReleased()) << "the one in front keeps them";
    EXPECT_FALSE(Form->FormOf(&S(1))->MirrorBitmap->Empty());

    QTest::mouseClick(Form->TabControl, Qt::LeftButton, Qt::NoModifier,
                      Form->TabControl->tabRect(0).center());
    ASSERT_EQ(Form->CurrentSession, 0);
    ASSERT_TRUE(WaitFor([&] { return !S(0).PicturesReleased() && rendered(0); }))
        << "shown again, it is painted and built again";
    EXPECT_EQ(S(0).DisplayBitmap().ToImage(), before);
    Tick();
    Tick();
    EXPECT_TRUE(S(1).PicturesReleased()) << "now the second one is covered";
    EXPECT_FALSE(S(0).PicturesReleased());
}

TEST_F(MainFormTest, DroppedSessionIsStartedAgainWithReconnect) {
    bptest::TScriptedServer& server = Serve([](int fd, int index) {
        bptest::SendAll(fd, index == 0 ? "first visit\r\n" : "second visit\r\n");
        if (index > 0) bptest::ReadToEnd(fd, 60000);
    });
    Form->Settings.ReConnect = true;
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(S(0), "first visit"); }));
    ASSERT_TRUE(WaitFor([&] { return Form->RowState(0) == 0; }));
    EXPECT_EQ(Form->ConnectCount, 0);
    EXPECT_TRUE(Form->Handshake.PendingReconnect);
    Tick(200);
    EXPECT_EQ(server.Accepted(), 1) << "500 ms have not passed";
    Tick(1000);
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(S(0), "second visit"); }));
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(Form->RowState(0), 2);
    EXPECT_EQ(Form->ConnectCount, 1);
}

TEST_F(MainFormTest, NoNetworkHoldsTheReconnectBack) {
    bptest::TScriptedServer& server = Serve([](int fd, int index) {
        bptest::SendAll(fd, "visit " + std::to_string(index) + "\r\n");
        if (index > 0) bptest::ReadToEnd(fd, 60000);
    });
    Form->Settings.ReConnect = true;
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return Form->RowState(0) == 0 && S(0).Busy == 0; }));
    session::SetNetworkProbe([] { return false; });
    Tick();
    Tick();
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(server.Accepted(), 1);
    session::SetNetworkProbe([] { return true; });
    Tick();
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(S(0), "visit 1"); }));
}

TEST_F(MainFormTest, DroppedSessionWindowIsClosedWithRemove) {
    bptest::TScriptedServer& server = Serve([](int fd, int) { bptest::SendAll(fd, "bye\r\n"); });
    Form->Settings.Remove = true;
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return Form->Handshake.PendingRemove; }));
    Tick(50);
    EXPECT_EQ(Count(), 1) << "100 ms have not passed";
    Tick(200);
    EXPECT_EQ(Count(), 0);
    EXPECT_EQ(Form->TabControl->count(), 0);
    EXPECT_EQ(Form->BmpListBox->count(), 0);
    EXPECT_EQ(Form->CurrentSession, -1);
    EXPECT_EQ(Form->windowTitle(), QString::fromUtf8(MainCaption));
    EXPECT_FALSE(Enabled("Disconnect"));
    EXPECT_FALSE(Enabled("ReconnectAll"));
    EXPECT_FALSE(Enabled("AddSite"));
    EXPECT_TRUE(Enabled("Connect"));
    EXPECT_EQ(Form->ConnectCount, 0);
}

TEST_F(MainFormTest, RemovePassClosesEveryIdleSession) {
    bptest::TScriptedServer& server = Serve([](int fd, int) { bptest::SendAll(fd, "bye\r\n"); });
    Form->Settings.Remove = true;
    for (int i = 0; i < 3; ++i)
        Connect("127.0.0.1", server.PortStr());
    ASSERT_EQ(Count(), 3);
    ASSERT_TRUE(WaitFor([&] {
        for (TConnection* s : Form->Sessions)
            if (s->Busy || s->IsConnected()) return false;
        return true;
    }));
    Tick(500);
    EXPECT_EQ(Count(), 0);
    EXPECT_TRUE(Form->ActivationOrder.empty());
}

TEST_F(MainFormTest, RefusedPortShowsTheLinesAndUserDisconnectThenClose) {
    Connect("127.0.0.1", std::to_string(bptest::UnusedPort()));
    ASSERT_EQ(Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return S(0).Busy == 0; }));
    EXPECT_TRUE(ScreenHas(S(0), "正在連線到 '127.0.0.1'"));
    EXPECT_TRUE(ScreenHas(S(0), "連線失敗!") || ScreenHas(S(0), "Connection refused"))
        << sessiontest::ScreenText(S(0));
    EXPECT_EQ(Form->RowState(0), 0);
    EXPECT_EQ(Form->ConnectCount, 0);
    // An idle current session is used again: no new window.
    Connect("127.0.0.1", std::to_string(bptest::UnusedPort()));
    EXPECT_EQ(Count(), 1);
    ASSERT_TRUE(WaitFor([&] { return S(0).Busy == 0; }));
    // Disconnect on an idle session closes its window.
    Choose("Disconnect");
    EXPECT_EQ(Count(), 0);
}

TEST_F(MainFormTest, DisconnectKeepsTheWindowAndArmsNoReconnect) {
    bptest::TScriptedServer& server = Serve(Greeter("hello there"));
    Form->Settings.ReConnect = true;
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return S(0).IsConnected(); }));
    Choose("Disconnect");
    EXPECT_EQ(Count(), 1);
    EXPECT_FALSE(S(0).IsConnected());
    EXPECT_EQ(Form->ConnectCount, 0);
    EXPECT_FALSE(Form->Handshake.PendingReconnect);
    Tick();
    Tick();
    WaitFor([] { return false; }, 100);
    EXPECT_EQ(server.Accepted(), 1) << "a session the user ended stays ended";
    // Reconnect-all takes it all the same.
    Choose("ReconnectAll");
    Tick();
    ASSERT_TRUE(WaitFor([&] { return S(0).IsConnected(); }));
    // The session is connected once the handshake is done; the server's
    // accept may come after.
    EXPECT_TRUE(WaitFor([&] { return server.Accepted() >= 2; }));
    EXPECT_EQ(server.Accepted(), 2);
    Choose("Disconnect");
    Choose("Disconnect");
    EXPECT_EQ(Count(), 0);
}

TEST_F(MainFormTest, CloseRequestNamesItsWindow) {
    bptest::TScriptedServer& server = Serve(Greeter("hi"));
    Connect("127.0.0.1", std::to_string(bptest::UnusedPort()));
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return S(0).Busy == 0 && S(1).IsConnected(); }));
    ASSERT_EQ(Form->CurrentSession, 1);
    TConnection* idle = &S(0);
    TConnection* busy = &S(1);
    // Closing the first (idle) window closes it, not the current one.
    Form->FormOf(idle)->close();
    ASSERT_TRUE(WaitFor([&] { return Count() == 1; }));
    EXPECT_EQ(&S(0), busy);
    EXPECT_TRUE(busy->IsConnected());
    EXPECT_EQ(Form->CurrentSession, 0);
    EXPECT_EQ(Form->ConnectCount, 1);
}

TEST_F(MainFormTest, BlockedLookUpsSurviveCloseAndDragAndLandOnTheRightSession) {
    sessiontest::TGateResolver resolver;
    for (const char* host : {"alpha", "beta", "gamma", "delta"})
        Connect(host, "23");
    ASSERT_EQ(Count(), 4);
    ASSERT_TRUE(WaitFor([&] { return resolver.Waiting() == 4; }));
    // Close "beta" while its look-up is blocked, then drag "alpha" below
    // "gamma".
    ClickRow(1);
    ASSERT_EQ(Form->CurrentSession, 1);
    Choose("Disconnect"); // connecting: only disconnects
    EXPECT_EQ(S(1).Busy, 0);
    Choose("Disconnect"); // idle now: closes
    ASSERT_EQ(Count(), 3);
    EXPECT_EQ(Form->ConnectCount, 0) << "a session that never connected does not count down";
    DragRow(0, 2);
    ASSERT_EQ(Form->CurrentSession, 1);
    EXPECT_EQ(S(0).SiteName, "gamma");
    EXPECT_EQ(S(1).SiteName, "alpha");
    EXPECT_EQ(S(2).SiteName, "delta");
    EXPECT_EQ(Form->TabControl->tabText(1), QStringLiteral("alpha"));
    EXPECT_EQ(Form->BmpListBox->item(1)->text(), QStringLiteral("alpha"));

    resolver.Release(true);
    ASSERT_TRUE(WaitFor([&] { return S(0).Busy == 0 && S(1).Busy == 0 && S(2).Busy == 0; }));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(ScreenHas(S(i), "無法轉換為實際位址!")) << S(i).SiteName;
        EXPECT_TRUE(ScreenHas(S(i), "正在連線到 '" + S(i).SiteName + "'"));
        EXPECT_EQ(Form->RowState(i), 0);
    }
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

TEST_F(MainFormTest, LookUpSucceedingAfterAMoveConnectsEachSessionInItsRow) {
    sessiontest::TGateResolver resolver;
    bptest::TScriptedServer& server = Serve(Greeter("welcome"));
    for (const char* host : {"one", "two", "three"})
        Connect(host, server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return resolver.Waiting() == 3; }));
    DragRow(2, 0);
    EXPECT_EQ(S(0).SiteName, "three");
    Form->CloseSessionWindow(1, true); // "one", still looking up
    ASSERT_EQ(Count(), 2);
    resolver.Release(false);
    ASSERT_TRUE(WaitFor([&] { return Form->ConnectCount == 2; }));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Form->RowState(i), 2) << i;
        EXPECT_TRUE(WaitFor([&] { return ScreenHas(S(i), "welcome"); })) << i;
    }
    EXPECT_EQ(server.Accepted(), 2);
}

TEST_F(MainFormTest, SessionNumbersAreReusedAndTheEleventhHasNone) {
    sessiontest::TGateResolver resolver;
    for (int i = 0; i < 11; ++i)
        Connect("host" + std::to_string(i), "23");
    ASSERT_EQ(Count(), 11);
    EXPECT_EQ(S(9).Tag, 10);
    EXPECT_EQ(S(10).Tag, 0);
    EXPECT_TRUE(Form->ShortcutEdit->text().isEmpty());
    Form->ShowSessionNumber(9);
    EXPECT_EQ(Form->ShortcutEdit->text(), QStringLiteral("0"));
    Form->CloseSessionWindow(3, false);
    Connect("again", "23");
    EXPECT_EQ(S(Count() - 1).Tag, 4);
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

TEST_F(MainFormTest, WebPortOpensNoSessionAndHistoryKeepsItsLimit) {
    Form->Settings.MaxHostNumber = 2;
    Form->Settings.BrowserFilename = "/bin/true";
    Connect("www.example.org", "WWW");
    EXPECT_EQ(Count(), 0);
    sessiontest::TGateResolver resolver;
    for (const char* h : {"a", "b", "c", "b"})
        Connect(h, "23");
    ASSERT_EQ(Form->HostNameComboBox->count(), 2);
    EXPECT_EQ(Form->HostNameComboBox->itemText(0), QStringLiteral("b"));
    EXPECT_EQ(Form->HostNameComboBox->itemText(1), QStringLiteral("c"));
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// A row dragged to the list's lower edge scrolls it one row per tick while
// rows lie below; leaving the list stops the scrolling.
TEST_F(MainFormTest, DragAtTheListEdgeScrollsRowByRow) {
    sessiontest::TGateResolver resolver;
    for (int i = 0; i < 10; ++i)
        Connect("row" + std::to_string(i), "23");
    QListWidget* list = Form->BmpListBox;
    list->setFixedHeight(4 * list->sizeHintForRow(0) + 2 * list->frameWidth());
    WaitFor([] { return false; }, 50);
    list->verticalScrollBar()->setValue(0);
    QWidget* view = list->viewport();
    const QPoint row = list->visualItemRect(list->item(1)).center();
    const QPoint low(row.x(), view->height() - 2);
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, row);
    QTest::mouseMove(view, (row + low) / 2);
    QTest::mouseMove(view, low);
    EXPECT_TRUE(Form->ListAutoScrollTimer->isActive());
    EXPECT_EQ(Form->DragScrollDown, 1);
    const int before = list->verticalScrollBar()->value();
    Form->ListAutoScroll();
    EXPECT_GT(list->verticalScrollBar()->value(), before);
    QTest::mouseMove(view, QPoint(row.x(), view->height() / 2));
    EXPECT_FALSE(Form->ListAutoScrollTimer->isActive()) << "away from the edge";
    QTest::mouseMove(view, QPoint(row.x(), 2));
    EXPECT_TRUE(Form->ListAutoScrollTimer->isActive());
    EXPECT_EQ(Form->DragScrollDown, 0);
    QTest::mouseMove(view, QPoint(row.x(), -10));
    EXPECT_FALSE(Form->ListAutoScrollTimer->isActive()) << "left the list";
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, QPoint(row.x(), -10));
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// The mouse on the list itself: a row pressed and dragged onto a lower row
// lands above it, the tabs and sessions follow, a plain click only selects.
TEST_F(MainFormTest, RowDraggedWithTheMouseMovesItsSession) {
    sessiontest::TGateResolver resolver;
    for (const char* host : {"north", "east", "south"})
        Connect(host, "23");
    QListWidget* list = Form->BmpListBox;
    QWidget* view = list->viewport();
    DragRow(0, 2);
    EXPECT_EQ(S(0).SiteName, "east");
    EXPECT_EQ(S(1).SiteName, "north");
    EXPECT_EQ(S(2).SiteName, "south");
    EXPECT_EQ(Form->TabControl->tabText(1), QStringLiteral("north"));
    EXPECT_EQ(Form->CurrentSession, 1);
    EXPECT_EQ(list->currentRow(), 1);
    // A click without a drag switches sessions and moves nothing.
    const QPoint south = list->visualItemRect(list->item(2)).center();
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, south);
    EXPECT_EQ(Form->CurrentSession, 2);
    EXPECT_EQ(S(2).SiteName, "south");
    EXPECT_EQ(Form->ActivationOrder.front(), 2);
    // A tab does the same from the tab bar.
    QTest::mouseClick(Form->TabControl, Qt::LeftButton, Qt::NoModifier,
                      Form->TabControl->tabRect(0).center());
    EXPECT_EQ(Form->CurrentSession, 0);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(Form->ActivationOrder.front(), 0);
    EXPECT_EQ(Form->HostNameComboBox->currentText(), QStringLiteral("east"));
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// A right click on a row of the list opens the list's colour pop-up and
// leaves the selection on the current session, as the tabs show it; the main
// window's pop-up stays shut.
TEST_F(MainFormTest, RightClickOnTheListOpensItsPopupAndKeepsTheCurrentRow) {
    sessiontest::TGateResolver resolver;
    for (const char* host : {"north", "east", "south"})
        Connect(host, "23");
    ASSERT_EQ(Form->CurrentSession, 2);
    QListWidget* list = Form->BmpListBox;
    QWidget* view = list->viewport();
    ASSERT_NE(Form->ListPopupMenu, nullptr);
    const QPoint first = list->visualItemRect(list->item(0)).center();
    // The press and release, then the pop-up request the window system
    // sends after the press; a double click of the right button as well.
    QTest::mousePress(view, Qt::RightButton, Qt::NoModifier, first);
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_FALSE(list->item(0)->isSelected());
    QContextMenuEvent menu(QContextMenuEvent::Mouse, first, view->mapToGlobal(first));
    QApplication::sendEvent(view, &menu);
    QTest::mouseRelease(view, Qt::RightButton, Qt::NoModifier, first);
    EXPECT_TRUE(WaitFor([&] { return Form->ListPopupMenu->isVisible(); }, 5000));
    EXPECT_FALSE(Form->PopupMenu->isVisible());
    QStringList items;
    for (QAction* a : Form->ListPopupMenu->actions())
        items << a->text();
    EXPECT_EQ(items, (QStringList{QString::fromUtf8("底色...(&B)"),
                                  QString::fromUtf8("字型顏色...(&F)")}));
    Form->ListPopupMenu->hide();
    QTest::mouseDClick(view, Qt::RightButton, Qt::NoModifier, first);
    EXPECT_FALSE(list->item(0)->isSelected());
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(Form->CurrentSession, 2);
    EXPECT_EQ(Form->TabControl->currentIndex(), 2);
    // The left button still switches.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, first);
    EXPECT_EQ(Form->CurrentSession, 0);
    EXPECT_EQ(list->currentRow(), 0);
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// The session commands are one list: on with the first session, off with
// the last; stepping between sessions needs two.
TEST_F(MainFormTest, SessionCommandsFollowTheSessionCount) {
    sessiontest::TGateResolver resolver;
    EXPECT_FALSE(Enabled("Disconnect"));
    Connect("first", "23");
    for (const char* c : {"Disconnect", "DisconnectAll", "ReconnectAll", "AddSite", "ClearScreen"})
        EXPECT_TRUE(Enabled(c)) << c;
    EXPECT_TRUE(Form->ShortcutEdit->isEnabled());
    EXPECT_FALSE(Enabled("Next"));
    EXPECT_FALSE(Enabled("PreviousTalk"));
    Connect("second", "23");
    EXPECT_TRUE(Enabled("Next"));
    EXPECT_TRUE(Enabled("Previous"));
    EXPECT_TRUE(Enabled("NextTalk"));
    Form->CloseSessionWindow(0, true);
    EXPECT_FALSE(Enabled("Next"));
    EXPECT_FALSE(Enabled("Previous"));
    EXPECT_TRUE(Enabled("Disconnect"));
    EXPECT_EQ(Form->CurrentSession, 0);
    EXPECT_EQ(S(0).SiteName, "second");
    Form->CloseSessionWindow(0, true);
    for (const char* c : {"Disconnect", "DisconnectAll", "ReconnectAll", "AddSite", "ClearScreen"})
        EXPECT_FALSE(Enabled(c)) << c;
    EXPECT_FALSE(Form->ShortcutEdit->isEnabled());
    EXPECT_TRUE(Form->ShortcutEdit->text().isEmpty());
    EXPECT_TRUE(Enabled("Connect"));
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// The status bar speaks of the sessions there are: once the user has ended
// the last one, no connect time of it stays beside the zero counts.
TEST_F(MainFormTest, ClosingTheLastSessionClearsItsConnectTime) {
    bptest::TScriptedServer& server = Serve(Greeter("hello"));
    Connect("127.0.0.1", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return S(0).IsConnected(); }));
    const std::string since = "連線時間: " + S(0).ConnectTime.toString("HH:mm:ss").toStdString();
    ASSERT_EQ(Form->StatusText(2).toStdString(), since);
    // Disconnect ends the connection and leaves the window; a second
    // Disconnect on the idle session closes it.
    Choose("Disconnect");
    ASSERT_EQ(Count(), 1);
    Choose("Disconnect");
    ASSERT_EQ(Count(), 0);
    EXPECT_EQ(Form->StatusText(0).toStdString(), "總連線數: 0");
    EXPECT_EQ(Form->StatusText(1).toStdString(), "連線數目: 0");
    EXPECT_EQ(Form->StatusText(2).trimmed().toStdString(), "連線時間:");
}

// Ctrl+Del in the host box drops the shown entry and shows the next one;
// Enter then opens a session named after what the box shows, not after the
// session that was current before.
TEST_F(MainFormTest, HostRemovedWithCtrlDelLeavesNoStaleNameForTheNextSession) {
    // Two names for the same peer, answered here: nothing reaches a resolver.
    session::SetResolver([](const std::string& host) -> std::uint32_t {
        if (host != "board-a" && host != "board-b") throw std::runtime_error("unknown " + host);
        return htonl(INADDR_LOOPBACK);
    });
    struct TRestore {
        ~TRestore() { session::SetResolver(nullptr); }
    } restore;
    bptest::TScriptedServer& server = Serve(Greeter("hello"));
    Connect("board-a", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return Count() == 1 && S(0).IsConnected(); }));
    Connect("board-b", server.PortStr());
    ASSERT_TRUE(WaitFor([&] { return Count() == 2 && S(1).IsConnected(); }));
    ASSERT_EQ(S(1).SiteName, "board-b");

    // Keys go where the application sends them: to the box holding the focus.
    QTest::mouseClick(Form->HostNameComboBox->lineEdit(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return QApplication::focusWidget() == Form->HostNameComboBox; }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(Form->HostNameComboBox->currentText().toStdString(), "board-a");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return Count() == 3 && S(2).IsConnected(); }));
    EXPECT_EQ(S(2).SiteName, "board-a");
    const QList<QMdiSubWindow*> windows = Form->MdiArea->subWindowList();
    ASSERT_EQ(windows.size(), 3);
    EXPECT_EQ(windows.back()->windowTitle().toStdString(), "board-a");
    EXPECT_TRUE(Form->windowTitle().endsWith(QStringLiteral(" - board-a")))
        << Form->windowTitle().toStdString();
}

// The session fills its window: fitted to the document area when windows
// open maximised, at its own pixel size (and the window around it) when not.
TEST_F(MainFormTest, SessionWindowsAreSizedToTheirScreen) {
    sessiontest::TGateResolver resolver;
    Form->resize(1000, 760);
    WaitFor([] { return false; }, 50);
    Form->Settings.Max = true;
    Connect("fitted", "23");
    TConnection& fitted = S(0);
    QWidget* client = Form->FormOf(&fitted)->Client();
    EXPECT_EQ(fitted.Maximized, 1);
    EXPECT_GT(client->width(), 600);
    EXPECT_EQ(fitted.height(), client->height());
    EXPECT_GE(fitted.width(), client->width() - 40);
    // The font fitted the area: the cells fit and cover most of it.
    EXPECT_LE(fitted.Rows() * fitted.CellHeight(), fitted.height());
    EXPECT_LE(fitted.Columns() * fitted.CellWidth(), fitted.width());
    EXPECT_GT(2 * fitted.Rows() * fitted.CellHeight(), fitted.height());

    Form->Settings.Max = false;
    Connect("natural", "23");
    TConnection& natural = S(1);
    TDetachedForm* w = Form->FormOf(&natural);
    EXPECT_EQ(natural.Maximized, 0);
    EXPECT_EQ(natural.width(), natural.Columns() * natural.CellWidth());
    EXPECT_EQ(natural.height(), natural.Rows() * natural.CellHeight());
    EXPECT_EQ(w->Client()->height(), natural.height());
    EXPECT_EQ(w->Client()->width(), natural.width() + w->ScrollBar->sizeHint().width());
    EXPECT_EQ(w->ScrollBar->geometry().left(), natural.width());
    resolver.Release(true);
    ASSERT_TRUE(WaitFor([] { return session::TConnectionThread::Running() == 0; }));
}

// The program ends while a look-up is still blocked: nothing waits for it.
TEST_F(MainFormTest, AMaximisedSessionsScreenFillsItsWindowAtAReadableSize) {
    // A command-line connect opens its session while the window is first
    // shown, before any client area has been laid out; a screen sized from
    // the placeholder sizes came out a few pixels wide with a one-point font.
    bptest::TScriptedServer& server = Serve(Greeter("welcome"));
    Form = std::make_unique<TkvMainForm>(
        std::vector<std::string>{"telnet://127.0.0.1:" + std::to_string(server.Port())},
        std::make_unique<TTestEnvironment>());
    Form->Settings.Max = true;
    Form->show();
    ASSERT_TRUE(WaitFor([&] { return Count() == 1; }));
    QWidget* client = Form->FormOf(&S(0))->Client();
    EXPECT_GT(S(0).width(), client->width() * 3 / 4);
    EXPECT_GT(S(0).height(), client->height() * 3 / 4);
    EXPECT_GE(S(0).Font().pointSize(), 6);
}

TEST_F(MainFormTest, KeysDeliveredToTheWindowHandleWithNoFocusAreLetThrough) {
    // Qt offers key events to the application's filters for the native
    // window too, where no widget is the target.
    if (QWidget* f = QApplication::focusWidget()) f->clearFocus();
    ASSERT_TRUE(Form->windowHandle());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
    QCoreApplication::sendEvent(Form->windowHandle(), &press);
    SUCCEED();
}

TEST_F(MainFormTest, TheWheelOverTheScreenMovesTheScrollBackOneLinePerNotch) {
    std::string lines;
    for (int i = 0; i < 60; ++i)
        lines += "line " + std::to_string(i) + "\r\n";
    bptest::TScriptedServer& server = Serve(Greeter(lines + "end"));
    Connect("127.0.0.1", std::to_string(server.Port()));
    ASSERT_EQ(Count(), 1);
    TConnection& s = S(0);
    ASSERT_TRUE(WaitFor([&] { return ScreenHas(s, "end"); }));
    ASSERT_TRUE(WaitFor([&] { return s.TopRow() > 0; }));
    const int top = s.TopRow();
    ASSERT_EQ(s.ViewRow(), top);

    // The screen leaves the wheel to its window, where Qt hands on what
    // the screen did not take (only for events from the window system, so
    // the test gives it to the window).
    TDetachedForm* w = Form->FormOf(&s);
    // The bar follows the rows by a queued call after the write.
    ASSERT_TRUE(WaitFor([&] {
        return w->ScrollBar->maximum() == s.TopRow() && w->ScrollBar->value() == s.ViewRow();
    }));
    const QPointF at(20, 40);
    auto wheel = [&](int dy, int dx = 0) {
        QWheelEvent e(at, w->mapToGlobal(at), QPoint(), QPoint(dx, dy), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(w, &e);
    };
    wheel(120);
    EXPECT_EQ(s.ViewRow(), top - 1);
    wheel(360); // a large step is three notches
    EXPECT_EQ(s.ViewRow(), top - 4);
    wheel(0, 120); // a sideways wheel leaves the view alone
    EXPECT_EQ(s.ViewRow(), top - 4);
    wheel(-360);
    wheel(-120);
    wheel(-120); // no further than the live screen
    EXPECT_EQ(s.ViewRow(), top);
}

TEST(MainFormExit, EndsWithALookUpStillBlocked) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            Home();
            win::InstallQtMessageLoop();
            sessiontest::TGateResolver resolver;
            auto form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                                      std::make_unique<TTestEnvironment>());
            form->HostNameComboBox->setCurrentText(QStringLiteral("stuck.host"));
            form->PortEdit->setText(QStringLiteral("23"));
            form->ConnectClick(nullptr);
            WaitFor([&] { return resolver.Waiting() == 1; });
            form.reset();
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
