#include "session/core/UrlLaunch.h"

#include "session/core/DesktopEntry.h"

#include <cctype>

namespace {

std::string Trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t'))
        --b;
    return s.substr(a, b - a);
}

// Length of a leading "scheme:" name (0 when there is none). A name
// followed by digits only up to the path is a host and its port.
std::size_t SchemeLength(const std::string& t) {
    if (t.empty() || !std::isalpha(static_cast<unsigned char>(t[0]))) return 0;
    std::size_t i = 1;
    while (i < t.size() && (std::isalnum(static_cast<unsigned char>(t[i])) || t[i] == '+' ||
                            t[i] == '-' || t[i] == '.'))
        ++i;
    if (i >= t.size() || t[i] != ':') return 0;
    std::size_t j = i + 1;
    while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j])))
        ++j;
    if (j > i + 1 && (j == t.size() || t[j] == '/')) return 0; // host:port
    return i;
}

} // namespace

std::string UrlForOpener(const std::string& url) {
    std::string t = Trim(url);
    if (t.empty() || SchemeLength(t) > 0) return t;
    if (t[0] == '/' || t[0] == '.' || t[0] == '~') return t;
    std::size_t slash = t.find('/');
    if (t.substr(0, slash).find('@') != std::string::npos) return t;
    return "http://" + t;
}

std::vector<std::string> UrlOpenCommand(const std::string& url, const std::string& xdgOpen,
                                        const std::string& browserExec) {
    if (!url.empty() && !xdgOpen.empty()) return {xdgOpen, url};
    std::vector<std::string> argv;
    if (browserExec.empty()) return argv;
    TExecFields fields;
    fields.Url = url;
    if (!SplitExecLine(browserExec, fields, argv)) argv.clear();
    return argv;
}
