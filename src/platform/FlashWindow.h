// Flashing a window's taskbar entry.
//
// Each window has an attention state that FlashWindow toggles (invert) or
// turns off; each turn to "on" raises the window system's attention hint
// for durationMs, so it clears by itself. A null window stands for the
// application's own taskbar window, which this desktop does not have:
// calls for it do nothing (else the form's two toggles per tick would
// cancel each other).
#pragma once
#include <functional>

class QWidget;

namespace win {

// Returns the state before the call (true = it was on).
bool FlashWindow(QWidget* wnd, bool invert, int durationMs = 500);

// Tests: sees every call instead of the desktop (an empty function restores
// the real one).
void SetFlashWindowHandler(std::function<bool(QWidget* wnd, bool invert)> handler);

} // namespace win
