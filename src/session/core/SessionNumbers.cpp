#include "session/core/SessionNumbers.h"

namespace session {

int TSessionNumbers::Take() {
    for (int n = 1; n <= Count; ++n)
        if (!FUsed[n]) {
            FUsed[n] = true;
            return n;
        }
    return 0;
}

void TSessionNumbers::Free(int n) {
    if (n >= 1 && n <= Count) FUsed[n] = false;
}

} // namespace session
