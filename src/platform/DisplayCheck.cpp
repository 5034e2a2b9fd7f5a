#include "platform/DisplayCheck.h"

#ifdef BP_HAVE_XCB
#include <xcb/xcb.h>
#endif

namespace win {

bool X11DisplayOpens(const std::string& display) {
    if (display.empty()) return false;
#ifdef BP_HAVE_XCB
    xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
    const bool ok = c && xcb_connection_has_error(c) == 0;
    if (c) xcb_disconnect(c);
    return ok;
#else
    return true;
#endif
}

} // namespace win
