#include "session/core/SessionNumbers.h"

namespace session {

int TakeSessionNumber(TNumberUsed& used) {
    for (int n = 1; n <= 10; ++n)
        if (!used[n]) {
            used[n] = true;
            return n;
        }
    return 0;
}

void FreeSessionNumber(TNumberUsed& used, int n) {
    if (n >= 1 && n <= 10) used[n] = false;
}

} // namespace session
