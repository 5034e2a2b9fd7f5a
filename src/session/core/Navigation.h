// Moving between sessions: the activation order's walk (previous / next),
// the talk-screen search and its screen test, and the session-number box.
#pragma once
#include "screen/core/ScreenBuffer.h"
#include "session/core/ActivationOrder.h"

#include <array>
#include <functional>
#include <vector>

namespace session {

// Previous: the session after the most recent one; entry 0 then moves to
// the end. Next: the last entry, which moves to the front. Both return the
// session to activate, or -1 (order unchanged) with fewer than two entries.
int StepPrevious(TActivationOrder& order);
int StepNext(TActivationOrder& order);

// A screen shows a talk screen when, at column 1, the backgrounds of rows
// 9, 10, 12 and 13 agree and differ from row 11's (a colour band), or when
// columns 1 and 2 of one of rows 9..12 both hold "=" or both "-". A screen
// of fewer than 14 rows has no such rows and is never one. Reads the rows
// under the buffer's render guard.
bool IsTalkScreen(TScreenBuffer& screen);

// From current, steps d (-1 or +1) through the other sessions of n,
// wrapping, and returns the first that talks (connected and showing a talk
// screen: the caller's test), or -1.
int FindTalkSession(int n, int current, int d, const std::function<bool(int)>& talks);

// A key typed into the session-number box.
struct TNumberKey {
    bool Act = false; // a digit that changes the current session's number
    int Number = 0;   // 1..10 ("0" is 10)
    int Holder = -1;  // the session holding Number already (ask first), else -1
};
TNumberKey DecideNumberKey(char key, int currentNumber, const std::vector<int>& numbers,
                           const std::array<bool, 11>& used);
// A key-down in the session-number box (a virtual key): Esc gives the
// focus back, the digit keys of both blocks go on to be typed, a key that
// only shifts, locks or moves between controls (Tab) is left alone, and
// every other key is refused with a message.
enum class TNumberBoxKey { GiveBackFocus, Digit, LeaveAlone, Refuse };
TNumberBoxKey NumberBoxKeyDown(int vk);
// The box's text for a number: "0" for 10, the digit for 1..9, "" for none.
std::string NumberText(int n);

} // namespace session
