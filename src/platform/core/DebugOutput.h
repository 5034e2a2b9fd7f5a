// Debug output in place of the system debugger channel: lines go to a
// handler the program or tool installs, and nowhere when none is installed.
#pragma once
#include <functional>
#include <string>

namespace win {

void OutputDebugString(const std::string& text);
// True while a handler is installed (callers may skip formatting otherwise).
bool DebugOutputEnabled();
// Replaces the handler (any thread may write; calls are serialised).
// An empty function discards the output again.
void SetDebugOutputHandler(std::function<void(const std::string&)> handler);

} // namespace win
