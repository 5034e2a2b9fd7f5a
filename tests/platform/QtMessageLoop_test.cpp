#include "platform/QtMessageLoop.h"
#include "platform/core/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <gtest/gtest.h>
#include <atomic>
#include <chrono>
#include <thread>

using namespace win;

namespace {
bool SpinUntil(const std::function<bool()>& pred, int ms) {
    QElapsedTimer t;
    t.start();
    while (!pred() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    return pred();
}
} // namespace

TEST(QtMessageLoop, PostsFromAWorkerRunOnTheQtLoop) {
    InstallQtMessageLoop();
    int got = 0;
    HWND w = AllocateHWnd([&](TMessage& m) { got += static_cast<int>(m.WParam); });
    std::thread worker([&] {
        for (int i = 0; i < 10; ++i) PostMessage(w, WM_USER, 1, 0);
    });
    worker.join();
    EXPECT_TRUE(SpinUntil([&] { return got == 10; }, 5000));
    DeallocateHWnd(w);
}

// A look-up worker posts while the loop is idle, so each of its posts wakes
// the loop itself; nothing joins the worker before the messages are handled.
// (Under the thread checker this also shows that the wake-up hands nothing
// across threads behind its back.)
TEST(QtMessageLoop, AWorkerWakesTheIdleLoopForEachPost) {
    InstallQtMessageLoop();
    std::atomic<int> got{0};
    HWND w = AllocateHWnd([&](TMessage& m) { got += static_cast<int>(m.WParam); });
    SpinUntil([] { return false; }, 20); // the loop has nothing left to do
    std::thread worker([&] {
        for (int i = 1; i <= 5; ++i) {
            PostMessage(w, WM_USER, 1, 0);
            // The next post comes only once the loop handled this one.
            for (int spins = 0; got.load() < i && spins < 5000; ++spins)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    EXPECT_TRUE(SpinUntil([&] { return got.load() == 5; }, 10000));
    worker.join();
    DeallocateHWnd(w);
}

TEST(QtMessageLoop, TimersFireFromTheQtLoop) {
    InstallQtMessageLoop();
    int ticks = 0;
    HWND w = AllocateHWnd([&](TMessage& m) { ticks += m.Msg == WM_TIMER; });
    SetTimer(w, 1, 5);
    EXPECT_TRUE(SpinUntil([&] { return ticks >= 3; }, 5000));
    KillTimer(w, 1);
    DeallocateHWnd(w);
}

TEST(QtMessageLoop, AWindowThatKeepsPostingToItselfTakesTurnsWithQtEvents) {
    InstallQtMessageLoop();
    // As a socket with input always waiting does: each message it handles
    // posts the next one.
    long long handled = 0;
    bool stop = false;
    HWND w = 0;
    w = AllocateHWnd([&](TMessage&) {
        ++handled;
        if (!stop) PostMessage(w, WM_USER, 0, 0);
    });
    PostMessage(w, WM_USER, 0, 0);
    // A Qt event queued behind it (a paint, a key, a timer of Qt's own).
    long long handledWhenQtRan = -1;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&] { handledWhenQtRan = handled; },
        Qt::QueuedConnection);
    EXPECT_TRUE(SpinUntil([&] { return handledWhenQtRan >= 0; }, 5000));
    EXPECT_LE(handledWhenQtRan, 3) << "one message per turn of the Qt loop";
    stop = true;
    SpinUntil([] { return false; }, 20);
    DeallocateHWnd(w);
}
