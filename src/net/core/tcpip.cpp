#include "net/core/tcpip.h"

#include "net/core/ip_misc.h"

#include <cctype>
#include <climits>

int StrToInt(std::string_view s) {
    auto bad = [&] {
        return EConvertError("'" + std::string(s) + "' is not a valid integer value");
    };
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    if (i >= s.size()) throw bad();
    long long v = 0;
    for (; i < s.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(s[i]))) throw bad();
        v = v * 10 + (s[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) throw bad();
    }
    if (negative) v = -v;
    if (v > INT_MAX || v < INT_MIN) throw bad();
    return static_cast<int>(v);
}

TUrlParts SplitUrl(std::string_view url) {
    TUrlParts p;
    std::string_view rest = url;
    if (auto at = url.find("://"); at != std::string_view::npos) {
        p.Proto = url.substr(0, at);
        rest = url.substr(at + 3);
    } else {
        std::string head(url.substr(0, 7));
        for (char& c : head)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (head == "mailto:") {
            p.Proto = "mailto";
            rest = url.substr(url.find(':') + 1);
        }
    }
    if (auto slash = rest.find('/'); slash != std::string_view::npos) {
        p.Path = rest.substr(slash);
        rest = rest.substr(0, slash);
    }
    const int len = static_cast<int>(rest.size());
    int c = FindNthOccurrence(":", rest, -1);
    int a = FindNthOccurrence("@", rest, -1);
    if (c > len) c = 0;
    if (a > len) a = 0;
    if (c == 0 && a == 0) {
        p.Host = rest;
    } else if (c <= a) {
        p.Host = rest.substr(a);
    } else {
        p.Port = rest.substr(c);
        p.Host = rest.substr(a, c - 1 - a);
    }
    if (a > 0) {
        std::string_view cred = rest.substr(0, a - 1);
        if (auto colon = cred.find(':'); colon != std::string_view::npos) {
            p.User = cred.substr(0, colon);
            p.Password = cred.substr(colon + 1);
        } else {
            p.User = cred;
        }
    }
    return p;
}

THttpTarget HttpTarget(std::string_view url, std::string_view proxy) {
    THttpTarget t;
    if (proxy.empty()) {
        TUrlParts u = SplitUrl(url);
        t.Host = u.Host;
        t.Port = u.Port.empty() ? "80" : u.Port;
        t.Path = u.Path;
    } else {
        t.Path = url.find("://") == std::string_view::npos ? "http://" + std::string(url)
                                                           : std::string(url);
        TUrlParts p = SplitUrl(proxy);
        t.Host = p.Host;
        t.Port = p.Port.empty() ? "8080" : p.Port;
    }
    if (t.Path.empty()) t.Path.push_back('/');
    return t;
}

bool ParseStatusLine(std::string_view line, int& code, std::string& text) {
    // Any HTTP/1.x version: a 1.1 server's error must not pass for a body.
    if (line.size() < 8 || line.substr(0, 7) != "HTTP/1.") return false;
    code = StrToInt(line.size() > 9 ? line.substr(9, 3) : std::string_view{});
    text = line.size() > 13 ? std::string(line.substr(13)) : std::string();
    return true;
}

bool ParseHeaderLine(std::string_view line, std::string& name, std::string& value) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    name = line.substr(0, colon);
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t v = colon + 1;
    while (v < line.size() && (line[v] == ' ' || line[v] == '\t'))
        ++v;
    value = line.substr(v);
    return true;
}
