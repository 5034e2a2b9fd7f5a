#include "net/core/ip_misc.h"

#include "platform/core/Winsock.h"

#include <cstring>

int FindNthOccurrence(std::string_view sub, std::string_view text, int n) {
    const int len = static_cast<int>(text.size());
    if (n == 0) return 0;
    if (n > 0) {
        std::size_t from = 0;
        int pos = 0;
        for (int i = 1; i <= n; ++i) {
            const std::size_t at = sub.empty() ? std::string_view::npos : text.find(sub, from);
            if (at == std::string_view::npos) return len + (n - i + 1);
            pos = static_cast<int>(at) + 1;
            from = at + 1; // go on after the first character of this one
        }
        return pos;
    }
    if (sub.empty() || sub.size() > text.size()) return 0;
    int wanted = -n;
    for (std::size_t start = text.size() - sub.size() + 1; start-- > 0;) {
        if (text.compare(start, sub.size(), sub) == 0 && --wanted == 0)
            return static_cast<int>(start) + 1;
    }
    return 0;
}

std::string IpToDottedText(std::uint32_t addrNetOrder) {
    const auto* b = reinterpret_cast<const unsigned char*>(&addrNetOrder);
    return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
           std::to_string(b[3]);
}

namespace {

bool gStarted = false;

// Starts the library with the program and cleans it up at its end.
struct TWinsockUnit {
    TWinsockUnit() { StartWinsock(); }
    ~TWinsockUnit() { StopWinsock(); }
} gWinsockUnit;

} // namespace

void StartWinsock() {
    if (gStarted) return;
    win::WSADATA data;
    const int rc = win::wsock32::WSAStartup(0x0101, &data);
    // Only the library's refusals leave it unstarted.
    gStarted = rc != win::WSAEINVAL && rc != win::WSASYSNOTREADY && rc != win::WSAVERNOTSUPPORTED;
}

void StopWinsock() {
    if (!gStarted) return;
    gStarted = false;
    win::wsock32::WSACleanup();
}

bool WinsockStarted() {
    return gStarted;
}

std::uint32_t ResolveHostAddress(std::string_view name) {
    constexpr std::uint32_t None = 0xFFFFFFFFu;
    if (name.empty()) return None;
    try {
        const std::string n(name);
        std::uint32_t a = win::wsock32::inet_addr(n.c_str());
        if (a != None) return a;
        const hostent* h = win::wsock32::gethostbyname(n.c_str());
        if (h && h->h_length > 0 && h->h_addr_list && h->h_addr_list[0]) {
            std::memcpy(&a, h->h_addr_list[0], sizeof a);
            return a;
        }
    } catch (...) {
    }
    return None;
}

std::uint16_t NetOrder16(std::uint16_t v) {
    const unsigned char b[2] = {static_cast<unsigned char>(v >> 8),
                                static_cast<unsigned char>(v & 0xFF)};
    std::uint16_t r;
    std::memcpy(&r, b, 2);
    return r;
}
