// The machine's own IPv4 address as the terminal shows it and as the
// reconnect rule tests it ("127.0.0.1" meaning no network).
//
// The host's own name (at most 64 characters) is looked up and the last
// address of the result kept. Many systems map the host name to a loopback
// address in their hosts file (127.0.1.1, say); such a result gives way to
// the last IPv4 address of an interface that is not a loopback one, and
// with none of those it reads "127.0.0.1". A name that does not resolve
// gives "".
#pragma once
#include <string>
#include <vector>

namespace win {

// True for an address of 127.0.0.0/8 in dotted form.
bool IsLoopbackAddress(const std::string& dotted);

// The rule over its inputs: the lookup's addresses in their order (resolved
// false when the name did not resolve), and the IPv4 addresses of the
// interfaces that are not loopback ones, in the system's order.
std::string ChooseLocalAddress(bool resolved, const std::vector<std::string>& lookup,
                               const std::vector<std::string>& interfaces);

// The lookup's addresses for the host's own name; false when it fails.
bool LookUpOwnName(std::vector<std::string>& addresses);
// The IPv4 addresses of interfaces without the loopback flag.
std::vector<std::string> NonLoopbackInterfaceAddresses();

std::string GetLocalIPAddress();

} // namespace win
