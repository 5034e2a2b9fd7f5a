#include "platform/core/LocalAddress.h"

#include <arpa/inet.h>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace win {

namespace {

std::string Dotted(const sockaddr* sa) {
    char text[INET_ADDRSTRLEN] = {};
    const auto* in = reinterpret_cast<const sockaddr_in*>(sa);
    if (!::inet_ntop(AF_INET, &in->sin_addr, text, sizeof text)) return {};
    return text;
}

} // namespace

bool IsLoopbackAddress(const std::string& dotted) {
    in_addr a{};
    if (::inet_pton(AF_INET, dotted.c_str(), &a) != 1) return false;
    return (ntohl(a.s_addr) >> 24) == 127;
}

std::string ChooseLocalAddress(bool resolved, const std::vector<std::string>& lookup,
                               const std::vector<std::string>& interfaces) {
    if (!resolved || lookup.empty()) return {};
    const std::string& last = lookup.back();
    if (!IsLoopbackAddress(last)) return last;
    for (auto it = interfaces.rbegin(); it != interfaces.rend(); ++it)
        if (!it->empty() && !IsLoopbackAddress(*it)) return *it;
    return "127.0.0.1";
}

bool LookUpOwnName(std::vector<std::string>& addresses) {
    addresses.clear();
    char name[65] = {};
    if (::gethostname(name, 64) != 0) return false;
    name[64] = '\0';
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &result) != 0 || !result) return false;
    for (addrinfo* p = result; p; p = p->ai_next)
        if (p->ai_family == AF_INET && p->ai_addr) {
            std::string d = Dotted(p->ai_addr);
            if (!d.empty()) addresses.push_back(d);
        }
    ::freeaddrinfo(result);
    return !addresses.empty();
}

std::vector<std::string> NonLoopbackInterfaceAddresses() {
    std::vector<std::string> out;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0) return out;
    for (ifaddrs* p = list; p; p = p->ifa_next) {
        if (!p->ifa_addr || p->ifa_addr->sa_family != AF_INET) continue;
        if (p->ifa_flags & IFF_LOOPBACK) continue;
        std::string d = Dotted(p->ifa_addr);
        if (!d.empty()) out.push_back(d);
    }
    ::freeifaddrs(list);
    return out;
}

std::string GetLocalIPAddress() {
    std::vector<std::string> lookup;
    bool resolved = LookUpOwnName(lookup);
    if (!resolved) return {};
    if (!IsLoopbackAddress(lookup.back())) return lookup.back();
    return ChooseLocalAddress(resolved, lookup, NonLoopbackInterfaceAddresses());
}

} // namespace win
