// Whether an X display answers, asked before the toolkit starts (the
// toolkit ends the process when it cannot open the display it chose).
#pragma once
#include <string>

namespace win {

// True when the X server named by `display` accepts a connection. Where
// the program is built without X11 support it answers true and leaves the
// question to the toolkit.
bool X11DisplayOpens(const std::string& display);

} // namespace win
