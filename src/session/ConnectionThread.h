// The connect worker: one thread per connect attempt that does only the
// blocking name look-up. It works on data of its own (the host name, the
// resolver, a result slot it shares with the session) and posts the outcome
// to the session's own hidden window. Windows are never reused, so the post
// for a session closed meanwhile is dropped, and the thread touches nothing
// the session freed. Everything else of the connect (screen lines, the
// socket, list state, flags) runs on the GUI thread when the post arrives.
//
// The thread frees itself when done; nobody waits for it, so a look-up still
// blocked when the program ends does not hold the exit up.
#pragma once
#include "platform/core/Messages.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace session {

// Posted to the session's window when a look-up ended; wParam = attempt.
constexpr win::UINT WM_HOST_RESOLVED = win::WM_USER + 120;

// Name (or dotted address) to an IPv4 address in network order; raises
// net::ESocketException with the socket component's text on failure.
using TResolver = std::function<std::uint32_t(const std::string& host)>;
// Replaces the resolver of the attempts started from now on (tests); an
// empty function restores the socket library's look-up.
void SetResolver(TResolver resolver);

struct TResolveResult {
    bool Done = false;
    bool Ok = false;
    std::string Address; // dotted, when Ok
    std::string Message; // the exception text, when not Ok
};

// What the thread and the session share; the last owner frees it.
class TResolveSlot {
public:
    void Set(TResolveResult r);
    TResolveResult Get() const;

private:
    mutable std::mutex FLock;
    TResolveResult FResult;
};

class TConnectionThread {
public:
    // Starts the look-up of `host` (running, not suspended); the result goes
    // into the returned slot, then WM_HOST_RESOLVED(attempt) to `window`.
    static std::shared_ptr<TResolveSlot> Create(const std::string& host, win::HWND window,
                                                unsigned attempt);
    // The look-up the thread runs (also for tests): an empty host fails like
    // the socket component fails it.
    static TResolveResult Execute(const std::string& host, const TResolver& resolver);
    // Threads started and not yet ended.
    static int Running();
};

// Dotted text of an IPv4 address in network order.
std::string DottedAddress(std::uint32_t networkOrder);

} // namespace session
