// Session numbers 1..10: each session window carries the lowest free number
// (its Alt+digit shortcut) and gives it back when it closes. With all ten
// taken a session gets 0, meaning no number.
#pragma once
#include <array>

namespace session {

class TSessionNumbers {
public:
    static constexpr int Count = 10;

    // Marks and returns the lowest free number, or 0 when all are taken.
    int Take();
    // Gives a number back; numbers outside 1..10 are ignored.
    void Free(int n);
    bool Used(int n) const { return n >= 1 && n <= Count && FUsed[n]; }

private:
    std::array<bool, Count + 1> FUsed{};
};

} // namespace session
