// Runs the calling thread's window messages and timers from Qt's event loop.
#pragma once

namespace win {

// Call once on a thread that runs a Qt event loop (the GUI thread) before
// its hidden windows are used. Also routes MessageBeep to the desktop bell.
void InstallQtMessageLoop();

} // namespace win
