// Helpers of the session tests: the text of a screen, pumping Qt and window
// messages until something holds, and a resolver the test opens and fails
// at will (failing look-ups never reach the machine's resolver).
#pragma once
#include "screen/BgCrt.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace sessiontest {

// The shown rows as text (Big5 bytes), trailing blanks cut, one per line.
std::string ScreenText(TBgCrt& screen);
// True when some shown row contains `utf8` (converted to Big5).
bool ScreenHas(TBgCrt& screen, const std::string& utf8);
// Handles Qt events (and with them window messages) until pred() holds or
// timeoutMs passed; returns pred().
bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 30000);

// Every test program of this folder resolves through this from its start:
// dotted addresses in 127.0.0.0/8 answer as themselves, anything else fails
// with the socket component's look-up text, so no test reaches the
// machine's resolver or dials off the machine.
std::uint32_t LoopbackOnlyResolve(const std::string& host);

// A resolver that blocks every look-up until Release; then each look-up
// either fails with the socket component's look-up text or answers
// 127.0.0.1. Installed for the life of the object (then the loopback-only
// one again).
class TGateResolver {
public:
    TGateResolver();
    ~TGateResolver();
    void Release(bool fail);
    int Waiting() const;

private:
    struct TState {
        mutable std::mutex M;
        std::condition_variable Cv;
        bool Open = false;
        bool Fail = false;
        int Waiting = 0;
    };
    std::shared_ptr<TState> FState = std::make_shared<TState>();
};

} // namespace sessiontest
