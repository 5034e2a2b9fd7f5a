#include "platform/QtMessageLoop.h"
#include "platform/core/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <gtest/gtest.h>
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

TEST(QtMessageLoop, TimersFireFromTheQtLoop) {
    InstallQtMessageLoop();
    int ticks = 0;
    HWND w = AllocateHWnd([&](TMessage& m) { ticks += m.Msg == WM_TIMER; });
    SetTimer(w, 1, 5);
    EXPECT_TRUE(SpinUntil([&] { return ticks >= 3; }, 5000));
    KillTimer(w, 1);
    DeallocateHWnd(w);
}
