// Ends the program the way closing its main window does when the system
// asks: SIGTERM, SIGINT and SIGHUP, and the desktop's log-out, call the
// given handler on the GUI thread.
#pragma once
#include <functional>

namespace win {

// Call once on the GUI thread after the QApplication exists. onClose runs
// on the GUI thread for each request (a signal or a log-out).
void CloseOnSignals(std::function<void()> onClose);

// True when a signal came that the event loop has not yet acted on: for
// steps before the loop runs (reading big settings files at start-up), which
// check it between steps and end the start.
bool CloseSignalPending();

} // namespace win
