// Command-line grammar, start decision and the hand-over file.
#include "session/core/CommandLine.h"

#include <string_view>

#include "platform/core/Big5.h"
#include "platform/core/IniFile.h"
#include "session/core/MainSettings.h"
#include "session/core/ProfileEdit.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

bool StartsWithNoCase(const std::string& s, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= s.size()) return false;
        if (std::toupper(static_cast<unsigned char>(s[i])) != prefix[i]) return false;
    }
    return true;
}

void DropOneSlash(std::string& s) {
    if (!s.empty() && s.back() == '/') s.pop_back();
}

} // namespace

bool ParseUrlBody(const std::string& body, TTelnetUrl& url) {
    if (body.empty()) return false;
    url = TTelnetUrl{};
    std::size_t i = body.find_first_of(":;");
    if (i == std::string::npos) i = body.size();
    std::size_t hostStart = 0;
    std::size_t j = i;
    if (i < body.size() && body[i] == ';') {
        url.Alias = body.substr(0, i);
        DropOneSlash(url.Alias);
        hostStart = i + 1;
        j = body.find_first_of(":;", hostStart);
        if (j == std::string::npos) j = body.size();
    }
    url.Host = body.substr(hostStart, j - hostStart);
    DropOneSlash(url.Host);
    if (j + 1 < body.size()) {
        std::size_t k = j + 1;
        while (k < body.size() && std::isdigit(static_cast<unsigned char>(body[k])))
            ++k;
        url.Port = body.substr(j + 1, k - j - 1);
        url.PortGiven = !url.Port.empty();
    } else {
        url.Port = "23";
    }
    return true;
}

bool TelnetUrlBody(const std::string& arg, std::string& body) {
    if (StartsWithNoCase(arg, "TELNET://")) {
        body = arg.substr(9);
        return true;
    }
    if (StartsWithNoCase(arg, "TELNET:")) {
        body = arg.substr(7);
        return true;
    }
    return false;
}

bool IsScriptArgument(const std::string& arg) {
    return StartsWithNoCase(arg, "SCRIPT://");
}

void ParseTelnetUrl(const std::string& body, TConnectFields& fields) {
    TTelnetUrl url;
    if (!ParseUrlBody(body, url)) return;
    if (!url.Host.empty() && !url.Alias.empty()) {
        fields.HostBox = url.Alias;
        fields.PendingHost = url.Host;
    } else if (!url.Host.empty()) {
        fields.HostBox = url.Host;
    } else if (!url.Alias.empty()) {
        fields.HostBox = url.Alias;
    }
    fields.PortBox = url.Port;
    fields.PortGiven = url.PortGiven;
}

void ParseHandoverUrl(const std::string& body, THandover& handover) {
    TTelnetUrl url;
    if (!ParseUrlBody(body, url)) return;
    handover.Alias = url.Alias.empty() ? url.Host : url.Alias;
    handover.Host = url.Host;
    handover.Port = url.Port;
    handover.PortGiven = url.PortGiven;
}

std::string PortArgument(const std::string& p2) {
    if (p2.empty()) return "23";
    std::string port = p2;
    while (!port.empty() && port.back() == '/')
        port.pop_back();
    return port;
}

namespace {

// Options the toolkit reads from the command line, with one or two dashes.
const char* const OptionsWithValue[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",       "display", "geometry",
    "style",       "stylesheet",         "name",          "title",   "visual"};
const char* const OptionsAlone[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

} // namespace

std::vector<std::string> WithoutToolkitOptions(const std::vector<std::string>& args) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string_view name(a);
        if (name.size() < 2 || name[0] != '-') {
            out.push_back(a);
            continue;
        }
        name.remove_prefix(name.substr(0, 2) == "--" ? 2 : 1);
        const std::size_t eq = name.find('=');
        const std::string_view key = name.substr(0, eq);
        bool dropped = key.substr(0, 14) == "qmljsdebugger";
        for (const char* o : OptionsAlone)
            dropped = dropped || (eq == std::string_view::npos && key == o);
        for (const char* o : OptionsWithValue)
            if (key == o) {
                dropped = true;
                if (eq == std::string_view::npos) ++i; // the value is the next argument
            }
        if (!dropped) out.push_back(a);
    }
    return out;
}

namespace {

// Strict UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
bool ValidUtf8(const std::string& s, bool* nonAscii) {
    *nonAscii = false;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        *nonAscii = true;
        std::size_t n = 0;
        char32_t c = 0;
        if (b >= 0xC2 && b <= 0xDF) n = 1, c = b & 0x1F;
        else if (b >= 0xE0 && b <= 0xEF) n = 2, c = b & 0x0F;
        else if (b >= 0xF0 && b <= 0xF4) n = 3, c = b & 0x07;
        else return false;
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= s.size()) return false;
            const auto t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        if ((n == 2 && c < 0x800) || (n == 3 && c < 0x10000) || c > 0x10FFFF ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

} // namespace

std::string ArgumentToBig5(const std::string& arg) {
    // A script's file name is the file system's own bytes, never text.
    if (IsScriptArgument(arg)) return arg;
    bool nonAscii = false;
    if (!ValidUtf8(arg, &nonAscii) || !nonAscii) return arg;
    return win::Utf8ToBig5(arg);
}

TOptionCheck CheckOptions(const std::vector<std::string>& args, std::string* unknown) {
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") return TOptionCheck::Help;
        if (a.size() > 1 && a[0] == '-') {
            if (unknown) *unknown = a;
            return TOptionCheck::Unknown;
        }
    }
    return TOptionCheck::Run;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program + " [telnet://][alias;]host[:port][/]\n"
           "       " + program + " host [port]\n"
           "       " + program + " alias host port\n"
           "       " + program + " script://file\n"
           "       " + program + " --help\n"
           "\n"
           "A multi-session telnet terminal for text BBSes (Big5).\n"
           "Without arguments the window opens with the host history.\n"
           "A host or link given while the program is running already is handed\n"
           "to the running window, which connects it; script:// runs a script file.\n";
}

namespace {

// A word for the shell: as it is when it holds only plain characters, else
// in single quotes.
std::string ShellWord(const std::string& w) {
    const bool plain = !w.empty() && std::all_of(w.begin(), w.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || std::strchr("_./+-=:,@%", c);
    });
    if (plain) return w;
    std::string q = "'";
    for (char c : w) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

} // namespace

std::string NoDisplayMessage(const TDisplayEnvironment& env, const std::string& program,
                             const std::string& started) {
    const bool x11 = !env.Display.empty() && env.X11Opens;
    const bool wayland = !env.WaylandDisplay.empty();
    std::vector<std::string> names;
    std::size_t from = 0;
    while (from <= env.Platform.size()) {
        std::size_t semi = env.Platform.find(';', from);
        if (semi == std::string::npos) semi = env.Platform.size();
        std::string name = env.Platform.substr(from, semi - from);
        name = name.substr(0, name.find(':'));
        if (!name.empty()) names.push_back(name);
        from = semi + 1;
    }
    if (names.empty()) names = {"xcb", "wayland"};
    for (const std::string& n : names) {
        if (n == "xcb" ? x11 : n.rfind("wayland", 0) == 0 ? wayland : true) return {};
    }
    std::string why;
    if (!env.Display.empty())
        why = "the X display \"" + env.Display + "\" cannot be opened";
    else if (names.size() == 1 && names[0].rfind("wayland", 0) == 0)
        why = "WAYLAND_DISPLAY is not set";
    else
        why = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return program + " needs a graphical desktop (X11 or Wayland), and " + why +
           ".\nTo try it without a desktop, run it on a virtual screen (xvfb-run comes with "
           "Debian's package xvfb):\n    xvfb-run -a " +
           ShellWord(started.empty() ? program : started) + "\n";
}

TArguments FirstThree(const std::vector<std::string>& args) {
    TArguments a;
    a.Count = args.size();
    if (args.size() > 0) a.P1 = args[0];
    if (args.size() > 1) a.P2 = args[1];
    if (args.size() > 2) a.P3 = args[2];
    return a;
}

TStartRequest ReadCommandLine(const TArguments& args, const TConnectFields& boxes) {
    TStartRequest r;
    r.Fields = boxes;
    if (args.Empty()) return r;
    if (IsScriptArgument(args.P1)) {
        r.Action = TStartAction::RunScript;
        r.ScriptFile = args.P1.substr(9);
        return r;
    }
    r.Action = TStartAction::Connect;
    if (!args.P3.empty()) {
        r.Fields.HostBox = args.P1;
        r.Fields.PendingHost = args.P2;
        r.Fields.PortBox = args.P3;
        r.Fields.PortGiven = true;
        r.SetPendingHost = true;
        return r;
    }
    r.Fields.PortBox = PortArgument(args.P2);
    r.Fields.PortGiven = !args.P2.empty();
    std::string body;
    if (TelnetUrlBody(args.P1, body)) {
        if (body.empty()) return TStartRequest{TStartAction::None, {}, boxes, false};
        std::string pending = r.Fields.PendingHost;
        ParseTelnetUrl(body, r.Fields);
        r.SetPendingHost = r.Fields.PendingHost != pending;
    } else {
        r.Fields.HostBox = args.P1;
    }
    return r;
}

bool IsHandover(const TArguments& args) {
    return !args.Empty() && !IsScriptArgument(args.P1);
}

THandover HandoverFromArguments(const TArguments& args) {
    THandover h;
    if (!args.P3.empty()) {
        h.Alias = args.P1;
        h.Host = args.P2;
        h.Port = args.P3;
        h.PortGiven = true;
        return h;
    }
    h.Port = PortArgument(args.P2);
    h.PortGiven = !args.P2.empty();
    std::string body;
    if (TelnetUrlBody(args.P1, body)) {
        ParseHandoverUrl(body, h);
    } else {
        h.Alias = args.P1;
        h.Host = args.P1;
    }
    return h;
}

std::string HandoverFileText(const THandover& h) {
    // Values go through the quoting writer: a reader trims blanks and one
    // pair of quotes, so an argument such as 'x' must arrive as 'x'.
    win::TIniText ini;
    session::SetProfileValue(ini, "Para", "Alias", h.Alias);
    session::SetProfileValue(ini, "Para", "Host", h.Host);
    session::SetProfileValue(ini, "Para", "Port", h.Port);
    if (h.PortGiven) session::SetProfileValue(ini, "Para", "PortGiven", "1");
    if (!h.Ticket.empty()) session::SetProfileValue(ini, "Para", "Ticket", h.Ticket);
    return ini.Text();
}

THandover ReadHandoverFile(const std::string& bytes, bool* hasHost) {
    win::TIniText ini(bytes);
    THandover h;
    std::string v;
    h.Alias = ini.Find("Para", "Alias", &v) ? v : BuiltInHost;
    bool found = ini.Find("Para", "Host", &v);
    h.Host = found ? v : BuiltInHost;
    if (hasHost) *hasHost = found && !v.empty();
    h.Port = ini.Find("Para", "Port", &v) ? v : "23";
    h.PortGiven = ini.Find("Para", "PortGiven", &v) && v == "1";
    if (ini.Find("Para", "Ticket", &v)) h.Ticket = v;
    return h;
}
