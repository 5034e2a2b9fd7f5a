// Synchronous layer of the socket component: a caller waits for a flag
// while the socket's messages keep flowing on its thread, and the published
// TAsyncSocket at the end of the class chain.
//
// Part of the socket component's class chain; see SocksSocket.h on includes.
#include "net/core/AsyncSocket.h"

#ifndef BP_NET_SYNC_SOCKET_DEFINED
#define BP_NET_SYNC_SOCKET_DEFINED

#include "net/core/LineSocket.h"
#include "platform/core/Ticks.h"

#include <functional>

namespace net {

// Result of a wait that ended without the flag: time-out or termination.
constexpr int WAIT_TIMED_OUT = 12001;

class TCustomSyncSocket : public TCustomLineSocket {
public:
    // Milliseconds a wait may last; 0 = no limit.
    int WaitTimeout = 0;

    // 0 once Flag is true; WAIT_TIMED_OUT when WaitTimeout passed, the
    // thread's message loop was told to quit, or the application ends.
    virtual int WaitForFlag(bool& Flag);
    // Flag := false, runs Proc (when given), then waits for Flag.
    virtual int RunAndWait(bool& Flag, const std::function<void()>& Proc);

    // Tells whether the application is ending (set by the program's
    // toolkit layer; none by default).
    static std::function<bool()> ApplicationTerminated;

protected:
    win::DWORD FTimeStop = 0;
};

} // namespace net

#endif
