// Whether the machine has a network for the automatic reconnect: an
// interface that is up with an IPv4 address that is not a loopback one.
// Asked of the interfaces, never through a name look-up, so the GUI thread
// never blocks on it. Tests put a probe of their own in its place.
#pragma once
#include <functional>

namespace session {

bool NetworkUp();
// Replaces the probe; an empty function restores the interface query.
void SetNetworkProbe(std::function<bool()> probe);

// The interface query itself.
bool HasNonLoopbackIPv4();

} // namespace session
