#include "session/core/ProgressPass.h"

namespace session {

int ProgressPercent(int i, int n) {
    if (n <= 0) return 0;
    long long num = static_cast<long long>(i) * 100, q = num / n, r = num % n;
    // Halves go to the even neighbour.
    if (2 * r > n || (2 * r == n && q % 2 == 1)) ++q;
    return static_cast<int>(q);
}

std::string ProgressText(int i, int n) {
    return "進度: " + std::to_string(ProgressPercent(i, n)) + " %";
}

} // namespace session
