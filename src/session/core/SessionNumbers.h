// Session numbers 1..10: each session window carries the lowest free number
// (its Alt+digit shortcut) and gives it back when it closes. With all ten
// taken a session gets 0, meaning no number. The flags are the main
// window's NumberUsed (index 0 unused).
#pragma once
#include <array>

namespace session {

using TNumberUsed = std::array<bool, 11>;

// Marks and returns the lowest free number, or 0 when all are taken.
int TakeSessionNumber(TNumberUsed& used);
// Gives a number back; numbers outside 1..10 are ignored.
void FreeSessionNumber(TNumberUsed& used, int n);

} // namespace session
