#include "platform/core/Messages.h"
#include "platform/core/Ticks.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace win;

TEST(Messages, PostedMessagesArriveInOrderOnTheOwnerThread) {
    std::vector<WPARAM> got;
    std::thread::id handlerThread;
    HWND w = AllocateHWnd([&](TMessage& m) {
        handlerThread = std::this_thread::get_id();
        if (m.Msg == WM_USER + 1) got.push_back(m.WParam);
    });
    std::thread poster([&] {
        for (WPARAM i = 0; i < 1000; ++i)
            ASSERT_TRUE(PostMessage(w, WM_USER + 1, i, 0));
    });
    poster.join();
    EXPECT_TRUE(got.empty()) << "nothing runs before the owner pumps";
    ProcessMessages();
    ASSERT_EQ(got.size(), 1000u);
    for (WPARAM i = 0; i < 1000; ++i)
        EXPECT_EQ(got[i], i);
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
    DeallocateHWnd(w);
}

TEST(Messages, HandlesAreNeverReusedAndPostsToDeadWindowsAreDropped) {
    int calls = 0;
    HWND a = AllocateHWnd([&](TMessage&) { ++calls; });
    EXPECT_TRUE(PostMessage(a, WM_USER, 0, 0));
    DeallocateHWnd(a);
    HWND b = AllocateHWnd([&](TMessage&) { calls += 100; });
    EXPECT_NE(a, b);
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(PostMessage(a, WM_USER, 0, 0));
    ProcessMessages();
    EXPECT_EQ(calls, 0) << "the queued message of the dead window must not reach the new one";
    DeallocateHWnd(b);
}

TEST(Messages, SendMessageReturnsTheResultDirectlyAndAcrossThreads) {
    HWND w = AllocateHWnd([](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam * 2); });
    EXPECT_EQ(SendMessage(w, WM_USER, 21, 0), 42);
    std::atomic<LRESULT> fromWorker{0};
    std::thread worker([&] { fromWorker = SendMessage(w, WM_USER, 50, 0); });
    EXPECT_TRUE(PumpUntil([&] { return fromWorker.load() != 0; }, 5000));
    worker.join();
    EXPECT_EQ(fromWorker.load(), 100);
    DeallocateHWnd(w);
    EXPECT_EQ(SendMessage(w, WM_USER, 1, 0), 0);
}

TEST(Messages, TimersFollowTheInjectedClock) {
    DWORD now = 1000;
    SetTickSource([&] { return now; });
    std::vector<WPARAM> fired;
    HWND w = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TIMER) fired.push_back(m.WParam);
    });
    SetTimer(w, 7, 100);
    SetTimer(w, 9, 250);
    ProcessMessages();
    EXPECT_TRUE(fired.empty());
    EXPECT_EQ(NextTimerDueMs(), 100);
    now += 100;
    ProcessMessages();
    EXPECT_EQ(fired, (std::vector<WPARAM>{7}));
    now += 150;
    ProcessMessages();
    EXPECT_EQ(fired, (std::vector<WPARAM>{7, 7, 9}));
    EXPECT_TRUE(KillTimer(w, 7));
    now += 1000;
    ProcessMessages();
    EXPECT_EQ(fired.back(), 9u);
    DeallocateHWnd(w);
    EXPECT_EQ(NextTimerDueMs(), -1) << "a destroyed window keeps no timers";
    SetTickSource({});
}

TEST(Messages, TimersSurviveTheTickWrap) {
    DWORD now = 0xFFFFFFF0u;
    SetTickSource([&] { return now; });
    int fired = 0;
    HWND w = AllocateHWnd([&](TMessage& m) { fired += m.Msg == WM_TIMER; });
    SetTimer(w, 1, 0x20);
    now += 0x10; // wrapped to 0
    ProcessMessages();
    EXPECT_EQ(fired, 0);
    now += 0x10;
    ProcessMessages();
    EXPECT_EQ(fired, 1);
    DeallocateHWnd(w);
    SetTickSource({});
}

TEST(Messages, WaitMessageWakesOnAPostFromAnotherThread) {
    HWND w = AllocateHWnd([](TMessage&) {});
    std::thread t([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        PostMessage(w, WM_USER, 0, 0);
    });
    EXPECT_TRUE(WaitMessage(5000));
    EXPECT_EQ(ProcessMessages(), 1);
    t.join();
    PostQuitMessage(3);
    int code = 0;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(TakeQuit());
    DeallocateHWnd(w);
}

TEST(Messages, ATimerKilledOrRestartedByAnotherTimersHandlerDoesNotFireThatRound) {
    DWORD now = 5000;
    SetTickSource([&] { return now; });
    std::vector<WPARAM> fired;
    HWND w = 0;
    w = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_TIMER) return;
        fired.push_back(m.WParam);
        if (m.WParam == 1) KillTimer(w, 2);
        if (m.WParam == 3) SetTimer(w, 4, 500); // restarted: due 500 ms from now
    });
    // All four are due in the same round, in the order they were set.
    SetTimer(w, 1, 100);
    SetTimer(w, 2, 100);
    SetTimer(w, 3, 100);
    SetTimer(w, 4, 100);
    now += 100;
    ProcessMessages();
    EXPECT_EQ(fired, (std::vector<WPARAM>{1, 3}));
    fired.clear();
    now += 100;
    ProcessMessages();
    EXPECT_EQ(fired, (std::vector<WPARAM>{1, 3})) << "timer 2 stays dead, timer 4 waits";
    fired.clear();
    KillTimer(w, 1);
    KillTimer(w, 3);
    now += 500;
    ProcessMessages();
    EXPECT_EQ(fired, (std::vector<WPARAM>{4}));
    // A window destroyed by an earlier handler of the round hears no more.
    HWND a = 0, b = 0;
    std::vector<HWND> heard;
    a = AllocateHWnd([&](TMessage& m) {
        if (m.Msg != WM_TIMER) return;
        heard.push_back(a);
        DeallocateHWnd(b);
    });
    b = AllocateHWnd([&](TMessage& m) {
        if (m.Msg == WM_TIMER) heard.push_back(b);
    });
    SetTimer(a, 1, 10);
    SetTimer(b, 1, 10);
    now += 10;
    ProcessMessages();
    EXPECT_EQ(heard, std::vector<HWND>{a});
    DeallocateHWnd(a);
    DeallocateHWnd(w);
    SetTickSource({});
}

TEST(Messages, ATurnHandlesWhatWasQueuedAndAPostedOnceMessageWaitsOnlyOnce) {
    std::vector<WPARAM> got;
    HWND w = 0;
    w = AllocateHWnd([&](TMessage& m) {
        got.push_back(m.WParam);
        // A handler that keeps posting to itself, as a socket with input
        // waiting does: its follow-up belongs to the next turn.
        if (m.WParam < 100) PostMessage(w, WM_USER, m.WParam + 1, 0);
    });
    PostMessage(w, WM_USER, 0, 0);
    PostMessage(w, WM_USER, 50, 0);
    EXPECT_EQ(ProcessQueuedMessages(), 2);
    EXPECT_EQ(got, (std::vector<WPARAM>{0, 50}));
    EXPECT_EQ(QueuedMessageCount(w, WM_USER, 0), 2);
    ProcessQueuedMessages();
    EXPECT_EQ(got, (std::vector<WPARAM>{0, 50, 1, 51}));
    ProcessMessages(); // the unbounded drain still runs the chain out
    EXPECT_EQ(got.back(), 100u);
    got.clear();

    // The same message posted again while it waits is queued once; a
    // different parameter or number is a message of its own, and once the
    // waiting one was handled the next post queues again.
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(PostMessageOnce(w, WM_USER + 1, 200, 7));
    PostMessageOnce(w, WM_USER + 1, 200, 8);
    PostMessageOnce(w, WM_USER + 2, 200, 7);
    EXPECT_EQ(QueuedMessageCount(w, WM_USER + 1, 7), 1);
    EXPECT_EQ(QueuedMessageCount(w, WM_USER + 1, 8), 1);
    EXPECT_EQ(QueuedMessageCount(w, WM_USER + 2, 7), 1);
    ProcessQueuedMessages();
    EXPECT_EQ(got.size(), 3u);
    EXPECT_TRUE(PostMessageOnce(w, WM_USER + 1, 200, 7));
    EXPECT_EQ(QueuedMessageCount(w, WM_USER + 1, 7), 1);
    DeallocateHWnd(w);
    // A dead window's waiting message is dropped and forgets its key.
    ProcessQueuedMessages();
    EXPECT_EQ(got.size(), 3u);
    EXPECT_FALSE(PostMessageOnce(w, WM_USER + 1, 200, 7));
}

// A detached thread (the window channel's listener answering a broadcast)
// may still walk the windows while the process ends: the window table
// outlives the static destructors, so neither a crash nor, under the thread
// checker, a race with the end of the process follows.
TEST(MessagesExit, AThreadWalkingTheWindowsWhileTheProcessEndsFindsThemStillThere) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            HWND w = AllocateHWnd([](TMessage&) {});
            std::atomic<bool> walking{false};
            std::thread([&walking] {
                for (;;) {
                    EnumWindows();
                    walking = true;
                }
            }).detach();
            while (!walking)
                std::this_thread::yield();
            (void)w;
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}
