#include "net/core/SyncSocket.h"

#include "platform/core/Ticks.h"

namespace net {

std::function<bool()> TCustomSyncSocket::ApplicationTerminated;

int TCustomSyncSocket::WaitForFlag(bool& Flag) {
    FTimeStop = win::GetTickCount() + static_cast<win::DWORD>(WaitTimeout);
    for (;;) {
        if (Flag) return 0;
        // Signed distance: survives the wrap of the tick counter.
        if (WaitTimeout > 0 && static_cast<int>(win::GetTickCount() - FTimeStop) > 0)
            return WAIT_TIMED_OUT;
        if (FTerminated || (ApplicationTerminated && ApplicationTerminated()))
            return WAIT_TIMED_OUT;
        int code = 0;
        if (!MultiThreaded && win::TakeQuit(&code)) {
            // The thread's own loop must still see the quit after this wait.
            win::PostQuitMessage(code);
            return WAIT_TIMED_OUT;
        }
        PumpMessages();
        if (Flag) return 0;
        // Sleeps until a message comes instead of spinning.
        win::WaitMessage(10);
    }
}

int TCustomSyncSocket::RunAndWait(bool& Flag, const std::function<void()>& Proc) {
    Flag = false;
    if (Proc) Proc();
    return WaitForFlag(Flag);
}

} // namespace net
