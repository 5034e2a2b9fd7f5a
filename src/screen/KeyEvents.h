// Qt key events as the key table sees them: PC scan code with the extended
// flag, virtual-key number and shift state.
#pragma once
#include "screen/core/KeyTable.h"
#include "screen/core/ScanCodes.h"

class QKeyEvent;

namespace screen {

// The PC key of a Qt key when the event carries no native key code (input
// injected by programs and tests); `keypad` is the event's keypad flag.
TScanCode ScanFromQtKey(int qtKey, bool keypad);

// Decodes a key press. Caps Lock is read from the text the key produced (an
// upper-case letter without Shift); `scrollLock` is kept by the caller,
// since the desktop does not report it.
TKeyDown KeyDownFromEvent(const QKeyEvent& e, bool scrollLock);

} // namespace screen
