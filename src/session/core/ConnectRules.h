// Decisions of the connect road that need no window: whether a reused
// session must be set up again for a new site, which line a failed connect
// leaves on the screen, and what address a web link hands to the browser.
#pragma once
#include <optional>
#include <string>

namespace session {

// What the connect command knows when it reuses the current session.
struct TSiteQuery {
    bool InDirectory = false; // the host-box text is a site of the address book
    std::string HostText;     // the host-box text
    std::string HostHint;     // the address put in the host box's hint with an alias
    std::string PendingHost;  // the address while the host box shows an alias
    std::string PortText;     // the port-box text
    std::string SessionHost;  // where the session connected last
    std::string SessionPort;
};

// True when the session's last host (or port) is not the one asked for now,
// so its site settings must be applied again. Comparisons are exact.
bool SiteChanged(const TSiteQuery& q);

// The line a failed connect writes (Big5 bytes): the two known socket texts
// get their own wording, any other message is shown byte for byte.
std::string ConnectErrorLine(const std::string& message);

// The address the browser gets for a link or a host typed with port 80:
// http and https addresses as they are, a text without a scheme with
// "http://" before it, anything else (another scheme) nothing. An empty
// text stays empty (start the browser without an address).
std::optional<std::string> BrowserUrl(const std::string& text);

// "80" or "WWW" (any case) in the port box sends the host to the browser.
bool IsWebPort(const std::string& portText);

} // namespace session
