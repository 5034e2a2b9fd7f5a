// A fake millisecond clock for tests of timers on win::SetTimer: while it
// lives, GetTickCount reads it; Advance moves it on and runs whatever timer
// came due on the calling thread.
#pragma once
#include "platform/core/Messages.h"
#include "platform/core/Ticks.h"

struct TFakeClock {
    win::DWORD Now;
    explicit TFakeClock(win::DWORD start = 1000) : Now(start) {
        win::SetTickSource([this] { return Now; });
    }
    ~TFakeClock() { win::SetTickSource(nullptr); }
    TFakeClock(const TFakeClock&) = delete;
    TFakeClock& operator=(const TFakeClock&) = delete;
    void Advance(int ms) {
        Now += win::DWORD(ms);
        win::ProcessMessages();
    }
};
