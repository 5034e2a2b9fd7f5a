// Window messages and hidden windows.
//
// A window here is a handle with a message handler, owned by the thread that
// created it. Messages posted to it (from any thread) queue on the owner
// thread and are handled there, in the order they were posted; a message for
// a window destroyed meanwhile is dropped. Handles are never reused within a
// run, so a stale message can never reach a newer window.
//
// The queues live here and need no Qt. A thread runs them either headless
// (ProcessMessages / WaitMessage, used by tests, tools and fuzzers) or from
// Qt's event loop, which installs a waker for its thread (QtMessageLoop).
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace win {

using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using HWND = std::uint64_t; // 0 = no window
using UINT_PTR = std::uintptr_t;

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr UINT WM_TIMER = 0x0113;
constexpr UINT WM_USER = 0x0400;

struct TMessage {
    HWND Hwnd = 0;
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

// Handles a message; sets Msg.Result for SendMessage callers.
using TWndMethod = std::function<void(TMessage&)>;

// Creates a hidden window owned by the calling thread.
HWND AllocateHWnd(TWndMethod handler);
// Destroys it; pending and future messages for it are dropped. Call on the
// owner thread (a call from another thread also works: the handler is
// detached at once and never runs again).
void DeallocateHWnd(HWND wnd);
bool IsWindow(HWND wnd);
// Replaces the handler of a window (the owner thread's business).
void SetWndMethod(HWND wnd, TWndMethod handler);

// Queues a message for the window's owner thread; any thread may post.
// Returns false when the window does not exist.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// The same, unless this very message (window, number and both parameters)
// is still waiting in the queue: then nothing is queued and it returns true.
// For notifications that say "look again", where a second copy in the queue
// would only make the handler run twice for one reason.
bool PostMessageOnce(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
// How many messages with that number and lParam wait in the queue for the
// window (for tests and tools that check what a component leaves queued).
int QueuedMessageCount(HWND wnd, UINT msg, LPARAM lParam);
// Calls the handler and returns its result. On the owner thread the call is
// direct; from another thread the message is queued and the caller blocks
// until the owner thread handled it. 0 when the window does not exist.
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Posts WM_QUIT to the calling thread's queue (seen by GetMessage loops).
void PostQuitMessage(int exitCode);

// Handles every message queued for the calling thread and every timer that
// is due; returns how many were handled. A WM_QUIT found in the queue is
// left for WaitMessage's caller: ProcessMessages stops at it and returns.
int ProcessMessages();
// Handles the messages that were queued when it was called, and the timers
// that are due; what handlers post meanwhile waits for the next call. An
// event loop calls this once per turn, so a component that keeps posting
// (a socket with input waiting) takes turns with the loop's other events.
int ProcessQueuedMessages();
// Blocks until a message is queued for the calling thread, a timer is due,
// or timeoutMs passed (negative = no limit). True when something is ready.
bool WaitMessage(int timeoutMs);
// Takes a WM_QUIT seen by the calling thread; true (and its code) if one was queued.
bool TakeQuit(int* exitCode = nullptr);
// Runs ProcessMessages/WaitMessage until pred() is true or timeoutMs passed;
// returns pred(). For tests and tools driving components headless.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs);

// Interval timers: WM_TIMER (wParam = id) to the window every elapseMs, on
// the window's owner thread. Setting an existing id restarts it.
UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs);
bool KillTimer(HWND wnd, UINT_PTR id);

// Event-loop integration: the waker is called (from any thread) when a
// message is queued for this thread; nextDue tells the loop when the next
// timer of the thread is due (milliseconds from now, -1 = none).
void SetThreadWaker(std::function<void()> waker);
int NextTimerDueMs();

// ---- Hooks for windows of other processes (platform/core/WindowChannel) ----
// A handle carries its process's tag in its upper 32 bits, so a handle handed
// to another process (in wParam, say) names the same window there. Handles
// without the own tag are routed through the remote hooks when installed.
constexpr HWND HWND_BROADCAST = 0xFFFF;
std::uint32_t ProcessHandleTag();
inline std::uint32_t HandleTag(HWND wnd) {
    return static_cast<std::uint32_t>(wnd >> 32);
}

struct TRemoteWindowHooks {
    std::function<bool(HWND, UINT, WPARAM, LPARAM)> Post;
    std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)> Send;
    std::function<bool(HWND)> IsWindow;
};
void SetRemoteWindowHooks(TRemoteWindowHooks hooks);

// Runs fn on the thread that owns wnd the way a sent message is handled:
// directly when the caller is that thread, else queued there (and also run
// while that thread waits in WaitHandlingSends). wait: block until it ran.
// False (fn never runs) when the window does not exist.
bool RunOnWindowThread(HWND wnd, std::function<void()> fn, bool wait);
// Handles the messages sent (not posted) to the calling thread's windows.
int ProcessSentMessages();
// Every window of this process, in the order they were made.
std::vector<HWND> EnumWindows();

} // namespace win
