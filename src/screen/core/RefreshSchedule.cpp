#include "screen/core/RefreshSchedule.h"

#include <algorithm>
#include <climits>

namespace screen {
namespace {

// Time left until `since` + `ms` (+ 1 when the step needs strictly more than
// ms), with the tick counter wrapping as it does.
long long Remaining(std::uint32_t now, std::uint32_t since, unsigned ms, bool strictly) {
    const std::uint32_t elapsed = now - since;
    const long long due = static_cast<long long>(ms) + (strictly ? 1 : 0);
    return std::max(0LL, due - static_cast<long long>(elapsed));
}

} // namespace

int NextRefreshDelay(const TRefreshState& s) {
    if (s.RenderPending) return RefreshBusyMs;
    long long next = LLONG_MAX;
    if (s.Blinking) next = Remaining(s.Now, s.LastBlink, s.BlinkInterval, true);
    for (std::size_t n = 0; n < s.TimerInterval.size(); ++n)
        if (s.TimerInterval[n] != 0)
            next = std::min(next, Remaining(s.Now, s.TimerLast[n], s.TimerInterval[n], false));
    if (next == LLONG_MAX) return -1;
    return static_cast<int>(std::min<long long>(next, INT_MAX));
}

} // namespace screen
