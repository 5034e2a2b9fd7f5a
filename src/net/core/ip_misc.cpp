#include "net/core/ip_misc.h"

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
