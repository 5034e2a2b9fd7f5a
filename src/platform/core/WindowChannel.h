// Windows of other processes of the same user.
//
// Every process that uses the channel listens on one local socket in a
// per-user folder of mode 0700 ($XDG_RUNTIME_DIR/brannocpro/windows/, else
// the private TEMP's windows/ folder). A window handle names its process
// (Messages.h), so a handle from another process works with PostMessage,
// SendMessage, IsWindow and the calls below: they travel as frames to the
// owning process, which hands them to the window on its owner thread.
// Connections from another user id are refused; a garbled frame drops its
// connection; the socket of a process that died is removed by the next
// process that finds it, and that process's windows are no windows then.
//
// A sending thread that waits for another process handles the messages sent
// to its own windows meanwhile, so a peer can answer inside the send (as a
// server answers a client's broadcast). A send gives up after a bound and
// returns 0, as it does for a window that no longer exists.
#pragma once
#include "platform/core/Messages.h"

#include <cstdint>
#include <functional>
#include <string>

namespace win {

using DWORD = std::uint32_t;
using ULONG_PTR = std::uintptr_t;

// lParam of WM_COPYDATA; lpData (cbData bytes) is valid during the handler.
struct COPYDATASTRUCT {
    ULONG_PTR dwData = 0;
    DWORD cbData = 0;
    const void* lpData = nullptr;
};

constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_RESTORE = 9;

// Milliseconds a cross-process send waits for its answer.
constexpr int kCrossProcessSendBound = 5000;

// Starts listening (once per process). Called by SetWindowClassName,
// RegisterWindowMessage and FindWindow; false when no socket folder works.
bool StartWindowChannel();
// The folder of the sockets and locks, with "/"; empty when unavailable.
std::string WindowChannelFolder();

// Makes a local window findable by FindWindow under className.
void SetWindowClassName(HWND wnd, const std::string& className);
// A window of that class: a local one first, else one of another process
// of the user; 0 when there is none.
HWND FindWindow(const std::string& className);

// A message number in 0xC000..0xFFFF for name (letter case ignored), the
// same in every process, since frames carry the name; 0 for an empty name.
UINT RegisterWindowMessage(const std::string& name);
// The name a number was registered under ("" for other numbers).
std::string RegisteredMessageName(UINT msg);

// How a window answers ShowWindow, SetForegroundWindow and IsIconic; the
// form that owns the window installs it. Calls run on the window's thread.
struct TWindowStateHandler {
    std::function<bool(int showCommand)> Show;
    std::function<bool()> SetForeground;
    std::function<bool()> IsIconic;
};
void SetWindowStateHandler(HWND wnd, TWindowStateHandler handler);

// False when the window does not exist or has no handler for it.
bool ShowWindow(HWND wnd, int showCommand);
bool SetForegroundWindow(HWND wnd);
bool IsIconic(HWND wnd);

// One per class name: held across FindWindow and SetWindowClassName, so two
// programs starting at once don't both miss each other. Blocks until the
// lock is free (a file lock in the channel folder; released by the system
// if the holder dies).
class TWindowClassLock {
public:
    explicit TWindowClassLock(const std::string& className);
    ~TWindowClassLock();
    TWindowClassLock(const TWindowClassLock&) = delete;
    TWindowClassLock& operator=(const TWindowClassLock&) = delete;
    bool Locked() const { return Fd_ >= 0; }

private:
    int Fd_ = -1;
};

} // namespace win
