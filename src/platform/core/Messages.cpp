#include "platform/core/Messages.h"

#include "platform/core/Ticks.h"

#include <algorithm>
#include <climits>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace win {
namespace {

// A SendMessage from another thread waits on one of these.
struct TSyncSend {
    std::mutex M;
    std::condition_variable Cv;
    bool Done = false;
    LRESULT Result = 0;
};

struct TEntry {
    TMessage Msg;
    std::shared_ptr<TSyncSend> Sync;
    // Set for RunOnWindowThread: runs instead of the window's handler.
    std::function<void()> Call;
    // Posted by PostMessageOnce: its key is in the queue's Once set.
    bool Once = false;
    std::uint64_t Seq = 0; // order of queueing, given by Enqueue
    bool IsSent() const { return Sync || Call; }
};

struct TMessageKey {
    HWND Wnd;
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    bool operator==(const TMessageKey&) const = default;
};

struct TMessageKeyHash {
    std::size_t operator()(const TMessageKey& k) const {
        std::size_t h = std::hash<HWND>()(k.Wnd);
        h = h * 31 + k.Msg;
        h = h * 31 + std::hash<WPARAM>()(k.WParam);
        return h * 31 + std::hash<LPARAM>()(k.LParam);
    }
};

struct TTimer {
    HWND Wnd;
    UINT_PTR Id;
    UINT Elapse;
    DWORD Due;
    // Changes at every SetTimer of this id, so a round of due timers can tell
    // a timer another handler restarted from the one it found due.
    std::uint64_t Serial;
};

struct TThreadQueue {
    std::mutex M;
    std::condition_variable Cv;
    std::deque<TEntry> Queue;
    // The messages of PostMessageOnce that wait in Queue.
    std::unordered_set<TMessageKey, TMessageKeyHash> Once;
    std::uint64_t NextSeq = 1;
    std::function<void()> Waker;
    bool Quit = false;
    int QuitCode = 0;
    std::vector<TTimer> Timers; // touched by the owner thread only
    std::uint64_t NextTimerSerial = 1;
};

struct TWindow {
    std::weak_ptr<TThreadQueue> Owner;
    std::shared_ptr<TWndMethod> Handler;
};

// The window table is never destroyed: detached threads (the window
// channel's listener answering a broadcast) may look windows up until the
// process is gone, after the static destructors have run.
std::mutex& WinMutex() {
    static auto* m = new std::mutex;
    return *m;
}
std::unordered_map<HWND, TWindow>& Windows() {
    static auto* m = new std::unordered_map<HWND, TWindow>;
    return *m;
}
std::atomic<std::uint32_t> gNextHandle{1};

std::mutex gHookMutex;
std::shared_ptr<const TRemoteWindowHooks> gRemoteHooks;

std::shared_ptr<const TRemoteWindowHooks> RemoteHooksFor(HWND wnd) {
    if (HandleTag(wnd) == ProcessHandleTag() && wnd != HWND_BROADCAST) return nullptr;
    std::lock_guard lock(gHookMutex);
    return gRemoteHooks;
}

thread_local std::shared_ptr<TThreadQueue> tQueue;

TThreadQueue& OwnQueue() {
    if (!tQueue) tQueue = std::make_shared<TThreadQueue>();
    return *tQueue;
}

// Signed distance so the comparison survives the 32-bit tick wrap.
int TicksUntil(DWORD due, DWORD now) {
    return static_cast<int>(due - now);
}

void Enqueue(TThreadQueue& q, TEntry entry) {
    std::function<void()> waker;
    {
        std::lock_guard lock(q.M);
        if (entry.Once) {
            const TMessage& m = entry.Msg;
            if (!q.Once.insert(TMessageKey{m.Hwnd, m.Msg, m.WParam, m.LParam}).second) return;
        }
        entry.Seq = q.NextSeq++;
        q.Queue.push_back(std::move(entry));
        waker = q.Waker;
    }
    q.Cv.notify_all();
    if (waker) waker();
}

// Takes the first queued entry; false when the queue is empty. Called with
// the queue's lock held.
bool PopLocked(TThreadQueue& q, TEntry& e) {
    if (q.Queue.empty()) return false;
    e = std::move(q.Queue.front());
    q.Queue.pop_front();
    if (e.Once) q.Once.erase(TMessageKey{e.Msg.Hwnd, e.Msg.Msg, e.Msg.WParam, e.Msg.LParam});
    return true;
}

// The queue of the thread that owns wnd; null when there is no such window.
std::shared_ptr<TThreadQueue> OwnerOf(HWND wnd) {
    std::lock_guard lock(WinMutex());
    auto it = Windows().find(wnd);
    return it == Windows().end() ? nullptr : it->second.Owner.lock();
}

void Dispatch(TEntry& e) {
    if (e.Call) {
        e.Call();
        if (e.Sync) {
            std::lock_guard lock(e.Sync->M);
            e.Sync->Done = true;
            e.Sync->Cv.notify_all();
        }
        return;
    }
    std::shared_ptr<TWndMethod> handler;
    {
        std::lock_guard lock(WinMutex());
        auto it = Windows().find(e.Msg.Hwnd);
        if (it != Windows().end()) handler = it->second.Handler;
    }
    if (handler && *handler) (*handler)(e.Msg);
    if (e.Sync) {
        std::lock_guard lock(e.Sync->M);
        e.Sync->Result = e.Msg.Result;
        e.Sync->Done = true;
        e.Sync->Cv.notify_all();
    }
}

int FireDueTimers(TThreadQueue& q) {
    int fired = 0;
    DWORD now = GetTickCount();
    // Copy: a timer handler may set or kill timers.
    std::vector<TTimer> due;
    for (auto& t : q.Timers) {
        if (TicksUntil(t.Due, now) <= 0) {
            due.push_back(t);
            t.Due = now + t.Elapse;
        }
    }
    for (auto& t : due) {
        // Skip a timer killed by an earlier handler of this round, and one
        // it restarted: that one is due a whole interval from the restart.
        bool alive = false;
        for (auto& cur : q.Timers)
            if (cur.Wnd == t.Wnd && cur.Id == t.Id && cur.Serial == t.Serial) alive = true;
        if (!alive) continue;
        TEntry e;
        e.Msg = TMessage{t.Wnd, WM_TIMER, t.Id, 0, 0};
        Dispatch(e);
        ++fired;
    }
    return fired;
}

} // namespace

std::uint32_t ProcessHandleTag() {
    // The process id (below 2^22 on Linux) with a random nonce above it, so a
    // later process that gets the same id does not inherit stale handles.
    static std::atomic<std::uint64_t> cached{0}; // pid << 32 | tag
    std::uint64_t pid = static_cast<std::uint64_t>(::getpid());
    std::uint64_t c = cached.load();
    if (c >> 32 == pid) return static_cast<std::uint32_t>(c);
    std::random_device rd;
    std::uint32_t nonce = 1 + rd() % 511;
    std::uint32_t tag = (nonce << 22) | static_cast<std::uint32_t>(pid & 0x3FFFFF);
    cached.store(pid << 32 | tag);
    return tag;
}

void SetRemoteWindowHooks(TRemoteWindowHooks hooks) {
    std::lock_guard lock(gHookMutex);
    gRemoteHooks = std::make_shared<const TRemoteWindowHooks>(std::move(hooks));
}

HWND AllocateHWnd(TWndMethod handler) {
    OwnQueue();
    HWND h = static_cast<HWND>(ProcessHandleTag()) << 32 | gNextHandle.fetch_add(1);
    std::lock_guard lock(WinMutex());
    Windows()[h] = TWindow{tQueue, std::make_shared<TWndMethod>(std::move(handler))};
    return h;
}

void DeallocateHWnd(HWND wnd) {
    if (!wnd) return;
    std::shared_ptr<TThreadQueue> owner;
    {
        std::lock_guard lock(WinMutex());
        auto it = Windows().find(wnd);
        if (it == Windows().end()) return;
        owner = it->second.Owner.lock();
        Windows().erase(it);
    }
    if (owner && owner == tQueue) {
        auto& timers = owner->Timers;
        std::erase_if(timers, [wnd](const TTimer& t) { return t.Wnd == wnd; });
    }
}

bool IsWindow(HWND wnd) {
    if (auto hooks = RemoteHooksFor(wnd)) return hooks->IsWindow && hooks->IsWindow(wnd);
    std::lock_guard lock(WinMutex());
    return Windows().count(wnd) != 0;
}

void SetWndMethod(HWND wnd, TWndMethod handler) {
    std::lock_guard lock(WinMutex());
    auto it = Windows().find(wnd);
    if (it != Windows().end()) it->second.Handler = std::make_shared<TWndMethod>(std::move(handler));
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto hooks = RemoteHooksFor(wnd))
        return hooks->Post && hooks->Post(wnd, msg, wParam, lParam);
    std::shared_ptr<TThreadQueue> owner = OwnerOf(wnd);
    if (!owner) return false;
    Enqueue(*owner, TEntry{TMessage{wnd, msg, wParam, lParam, 0}, nullptr, {}});
    return true;
}

bool PostMessageOnce(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (RemoteHooksFor(wnd)) return PostMessage(wnd, msg, wParam, lParam);
    std::shared_ptr<TThreadQueue> owner = OwnerOf(wnd);
    if (!owner) return false;
    TEntry e{TMessage{wnd, msg, wParam, lParam, 0}, nullptr, {}};
    e.Once = true;
    Enqueue(*owner, std::move(e));
    return true;
}

int QueuedMessageCount(HWND wnd, UINT msg, LPARAM lParam) {
    std::shared_ptr<TThreadQueue> owner = OwnerOf(wnd);
    if (!owner) return 0;
    std::lock_guard lock(owner->M);
    return static_cast<int>(
        std::count_if(owner->Queue.begin(), owner->Queue.end(), [&](const TEntry& e) {
            return !e.IsSent() && e.Msg.Hwnd == wnd && e.Msg.Msg == msg && e.Msg.LParam == lParam;
        }));
}

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (auto hooks = RemoteHooksFor(wnd))
        return hooks->Send ? hooks->Send(wnd, msg, wParam, lParam) : 0;
    std::shared_ptr<TThreadQueue> owner = OwnerOf(wnd);
    if (!owner) return 0;
    TEntry e{TMessage{wnd, msg, wParam, lParam, 0}, nullptr, {}};
    if (owner == tQueue) {
        Dispatch(e);
        return e.Msg.Result;
    }
    auto sync = std::make_shared<TSyncSend>();
    e.Sync = sync;
    Enqueue(*owner, std::move(e));
    std::unique_lock lock(sync->M);
    sync->Cv.wait(lock, [&] { return sync->Done; });
    return sync->Result;
}

bool RunOnWindowThread(HWND wnd, std::function<void()> fn, bool wait) {
    std::shared_ptr<TThreadQueue> owner = OwnerOf(wnd);
    if (!owner) return false;
    if (owner == tQueue) {
        fn();
        return true;
    }
    TEntry e{TMessage{wnd, WM_NULL, 0, 0, 0}, nullptr, std::move(fn)};
    std::shared_ptr<TSyncSend> sync;
    if (wait) e.Sync = sync = std::make_shared<TSyncSend>();
    Enqueue(*owner, std::move(e));
    if (sync) {
        std::unique_lock lock(sync->M);
        sync->Cv.wait(lock, [&] { return sync->Done; });
    }
    return true;
}

int ProcessSentMessages() {
    auto& q = OwnQueue();
    int handled = 0;
    for (;;) {
        TEntry e;
        {
            std::lock_guard lock(q.M);
            auto it = std::find_if(q.Queue.begin(), q.Queue.end(),
                                   [](const TEntry& x) { return x.IsSent(); });
            if (it == q.Queue.end()) break;
            e = std::move(*it);
            q.Queue.erase(it);
        }
        Dispatch(e);
        ++handled;
    }
    return handled;
}

std::vector<HWND> EnumWindows() {
    std::vector<HWND> all;
    {
        std::lock_guard lock(WinMutex());
        all.reserve(Windows().size());
        for (auto& [h, w] : Windows())
            all.push_back(h);
    }
    std::sort(all.begin(), all.end());
    return all;
}

void PostQuitMessage(int exitCode) {
    auto& q = OwnQueue();
    std::function<void()> waker;
    {
        std::lock_guard lock(q.M);
        q.Quit = true;
        q.QuitCode = exitCode;
        waker = q.Waker;
    }
    q.Cv.notify_all();
    if (waker) waker();
}

bool TakeQuit(int* exitCode) {
    auto& q = OwnQueue();
    std::lock_guard lock(q.M);
    if (!q.Quit) return false;
    q.Quit = false;
    if (exitCode) *exitCode = q.QuitCode;
    return true;
}

namespace {

// Handles queued entries older than `end` (in queueing order), at most max
// of them, then the due timers.
int HandleQueued(TThreadQueue& q, std::uint64_t end, int max) {
    int handled = 0;
    while (handled < max) {
        TEntry e;
        {
            std::lock_guard lock(q.M);
            if (q.Queue.empty() || q.Queue.front().Seq >= end || !PopLocked(q, e)) break;
        }
        Dispatch(e);
        ++handled;
    }
    return handled + FireDueTimers(q);
}

} // namespace

int ProcessMessages() {
    // Bounded, so a handler that keeps posting to itself cannot hold the
    // caller here forever; the rest waits for the next call.
    constexpr int kMaxPerCall = 100000;
    return HandleQueued(OwnQueue(), UINT64_MAX, kMaxPerCall);
}

int ProcessQueuedMessages() {
    auto& q = OwnQueue();
    std::uint64_t end;
    {
        std::lock_guard lock(q.M);
        end = q.NextSeq;
    }
    return HandleQueued(q, end, INT_MAX);
}

int NextTimerDueMs() {
    auto& q = OwnQueue();
    if (q.Timers.empty()) return -1;
    DWORD now = GetTickCount();
    int best = -1;
    for (auto& t : q.Timers) {
        int d = TicksUntil(t.Due, now);
        if (d < 0) d = 0;
        if (best < 0 || d < best) best = d;
    }
    return best;
}

bool WaitMessage(int timeoutMs) {
    auto& q = OwnQueue();
    int timerMs = NextTimerDueMs();
    int wait = timeoutMs;
    if (timerMs >= 0 && (wait < 0 || timerMs < wait)) wait = timerMs;
    std::unique_lock lock(q.M);
    auto ready = [&] { return !q.Queue.empty() || q.Quit; };
    if (ready()) return true;
    if (wait < 0) {
        q.Cv.wait(lock, ready);
        return true;
    }
    if (q.Cv.wait_for(lock, std::chrono::milliseconds(wait), ready)) return true;
    lock.unlock();
    return NextTimerDueMs() == 0;
}

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
    auto start = std::chrono::steady_clock::now();
    for (;;) {
        ProcessMessages();
        if (pred()) return true;
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - start)
                           .count();
        if (elapsed >= timeoutMs) return pred();
        int left = timeoutMs - static_cast<int>(elapsed);
        WaitMessage(left < 10 ? left : 10);
    }
}

UINT_PTR SetTimer(HWND wnd, UINT_PTR id, UINT elapseMs) {
    if (!IsWindow(wnd)) return 0;
    auto& q = OwnQueue();
    DWORD due = GetTickCount() + elapseMs;
    for (auto& t : q.Timers) {
        if (t.Wnd == wnd && t.Id == id) {
            t.Elapse = elapseMs;
            t.Due = due;
            t.Serial = q.NextTimerSerial++;
            if (q.Waker) q.Waker();
            return id;
        }
    }
    q.Timers.push_back(TTimer{wnd, id, elapseMs, due, q.NextTimerSerial++});
    if (q.Waker) q.Waker();
    return id;
}

bool KillTimer(HWND wnd, UINT_PTR id) {
    auto& q = OwnQueue();
    auto n = std::erase_if(q.Timers, [&](const TTimer& t) { return t.Wnd == wnd && t.Id == id; });
    return n > 0;
}

void SetThreadWaker(std::function<void()> waker) {
    auto& q = OwnQueue();
    std::lock_guard lock(q.M);
    q.Waker = std::move(waker);
}

} // namespace win
