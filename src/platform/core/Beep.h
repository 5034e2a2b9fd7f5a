// The system beep. The engine calls MessageBeep; the program installs a
// handler that makes a sound (Qt back end); without one the beep is silent.
#pragma once
#include <functional>

namespace win {

void MessageBeep(unsigned type);
void SetBeepHandler(std::function<void(unsigned)> handler);

} // namespace win
