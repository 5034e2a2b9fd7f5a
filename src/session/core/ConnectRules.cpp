#include "session/core/ConnectRules.h"

#include "platform/core/Big5.h"

#include <cctype>

namespace session {
namespace {

std::string Lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Blanks around a typed address are not part of it.
std::string Trim(const std::string& s) {
    const char* blanks = " \t\r\n";
    const std::size_t b = s.find_first_not_of(blanks);
    return b == std::string::npos ? std::string() : s.substr(b, s.find_last_not_of(blanks) - b + 1);
}

// Length of a leading "scheme:" (letters, digits, + - . after a letter), 0
// when the text has none. "host:23" is a host and port, not a scheme.
std::size_t SchemeLength(const std::string& s) {
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return 0;
    std::size_t i = 1;
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '+' ||
                            s[i] == '-' || s[i] == '.'))
        ++i;
    if (i >= s.size() || s[i] != ':') return 0;
    if (s.compare(i, 3, "://") == 0) return i;
    const bool portFollows = i + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1]));
    return portFollows ? 0 : i;
}

} // namespace

bool SiteChanged(const TSiteQuery& q) {
    if (q.InDirectory) return q.SessionHost != q.HostText;
    if (q.PendingHost.empty()) return q.SessionHost != q.HostHint || q.SessionPort != q.PortText;
    return q.SessionHost != q.PendingHost || q.SessionPort != q.PortText;
}

std::string ConnectErrorLine(const std::string& message) {
    if (message.find("No route to host") != std::string::npos)
        return win::Utf8ToBig5("無路徑至此位址!");
    if (message.find("Cannot convert host address") != std::string::npos)
        return win::Utf8ToBig5("無法轉換為實際位址!");
    return message;
}

std::optional<std::string> BrowserUrl(const std::string& text) {
    const std::string t = Trim(text);
    if (t.empty()) return std::string();
    for (char c : t)
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7F) return std::nullopt;
    const std::size_t n = SchemeLength(t);
    if (n == 0) return "http://" + t;
    const std::string scheme = Lower(t.substr(0, n));
    if (scheme != "http" && scheme != "https") return std::nullopt;
    if (t.compare(n, 3, "://") != 0 || t.size() == n + 3) return std::nullopt;
    return t;
}

bool IsWebPort(const std::string& portText) {
    const std::string p = Lower(portText);
    return p == "80" || p == "www";
}

} // namespace session
