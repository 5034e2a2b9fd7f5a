// When a screen's refresh timer has to look next. The timer renders output
// after a pause, steps the blink of blinking cells and raises the owner's
// interval timers; between those it has nothing to do and does not run.
#pragma once
#include <array>
#include <cstdint>

namespace screen {

// Period of the looks while rendered output waits for its pause.
constexpr int RefreshBusyMs = 3;

struct TRefreshState {
    std::uint32_t Now = 0;
    // Output waits to be rendered and the screen can show it.
    bool RenderPending = false;
    // Blinking cells are shown: the blink steps every BlinkInterval ms
    // (a step is due once more than BlinkInterval ms have passed).
    bool Blinking = false;
    std::uint32_t LastBlink = 0;
    unsigned BlinkInterval = 700;
    // The owner's timers (0 = off); one is due once Interval ms have passed.
    std::array<unsigned, 3> TimerInterval{0, 0, 0};
    std::array<std::uint32_t, 3> TimerLast{0, 0, 0};
};

// Milliseconds until the next look (0 = at once), or -1 when nothing waits.
int NextRefreshDelay(const TRefreshState& s);

} // namespace screen
