#include "session/core/NetworkUp.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <mutex>
#include <net/if.h>
#include <netinet/in.h>

namespace session {
namespace {

std::mutex gProbeLock;
std::function<bool()> gProbe;

} // namespace

bool HasNonLoopbackIPv4() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return false;
    bool found = false;
    for (ifaddrs* i = list; i && !found; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
        if (!(i->ifa_flags & IFF_UP) || (i->ifa_flags & IFF_LOOPBACK)) continue;
        const auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        found = (ntohl(a->sin_addr.s_addr) >> 24) != 127;
    }
    freeifaddrs(list);
    return found;
}

bool NetworkUp() {
    std::function<bool()> probe;
    {
        std::lock_guard l(gProbeLock);
        probe = gProbe;
    }
    return probe ? probe() : HasNonLoopbackIPv4();
}

void SetNetworkProbe(std::function<bool()> probe) {
    std::lock_guard l(gProbeLock);
    gProbe = std::move(probe);
}

} // namespace session
