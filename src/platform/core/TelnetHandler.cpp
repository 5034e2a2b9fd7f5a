#include "platform/core/TelnetHandler.h"

#include "platform/core/DesktopText.h"
#include "platform/core/Files.h"
#include "platform/core/Folders.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace win {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ReadFileOrEmpty(const std::string& path) {
    std::string bytes;
    try {
        ReadWholeFile(path, bytes);
    } catch (const EFileError&) {
        bytes.clear();
    }
    return bytes;
}

std::string Unescape(std::string_view v) {
    std::string out;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        char c = v[++i];
        out += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::string Escape(std::string_view v) {
    std::string out;
    for (char c : v) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// Calls f(line, group, key, value) for every line; key empty for lines
// that are not keys.
template <class F> void EachLine(std::string_view text, F f) {
    std::string group;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        std::string_view t = TrimDesktopBlanks(line);
        std::string_view key, value;
        if (!t.empty() && t.front() == '[' && t.back() == ']') {
            group = std::string(t.substr(1, t.size() - 2));
        } else if (!t.empty() && t.front() != '#') {
            std::size_t eq = t.find('=');
            if (eq != std::string_view::npos) {
                key = TrimDesktopBlanks(t.substr(0, eq));
                value = TrimDesktopBlanks(t.substr(eq + 1));
            }
        }
        if (!f(line, std::string_view(group), key, value, t)) return;
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

bool DesktopEntryInstalled(const TXdgFolders& xdg, const std::string& id, std::string* exec) {
    std::vector<std::string> roots{xdg.DataHome};
    roots.insert(roots.end(), xdg.DataDirs.begin(), xdg.DataDirs.end());
    if (id.empty() || id.find('/') != std::string::npos || id.find("..") != std::string::npos)
        return false;
    for (const std::string& root : roots) {
        if (root.empty()) continue;
        std::string path = root + "applications/" + id;
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        std::string text = ReadFileOrEmpty(path);
        std::string hidden;
        if (FindDesktopKey(text, "Desktop Entry", "Hidden", &hidden) && hidden == "true")
            return false;
        return FindDesktopKey(text, "Desktop Entry", "Exec", exec);
    }
    return false;
}

} // namespace

TXdgFolders TXdgFolders::FromEnvironment() {
    TXdgFolders x;
    std::string home = GetHomeFolder();
    std::string config = Env("XDG_CONFIG_HOME");
    x.ConfigHome = !config.empty() && config.front() == '/' ? IncludeTrailingPathDelimiter(config)
                   : home.empty()                           ? std::string()
                                                            : home + ".config/";
    std::string data = Env("XDG_DATA_HOME");
    x.DataHome = !data.empty() && data.front() == '/' ? IncludeTrailingPathDelimiter(data)
                 : home.empty()                       ? std::string()
                                                      : home + ".local/share/";
    x.ConfigDirs = AbsoluteFolderList(Env("XDG_CONFIG_DIRS"), "/etc/xdg");
    x.DataDirs = AbsoluteFolderList(Env("XDG_DATA_DIRS"), "/usr/local/share/:/usr/share/");
    x.Desktops = DesktopNameList(Env("XDG_CURRENT_DESKTOP"));
    return x;
}

bool FindDesktopKey(std::string_view text, std::string_view group, std::string_view key,
                    std::string* value) {
    bool found = false;
    EachLine(text, [&](std::string_view, std::string_view g, std::string_view k, std::string_view v,
                       std::string_view) {
        if (g == group && k == key) {
            if (value) *value = Unescape(v);
            found = true;
            return false;
        }
        return true;
    });
    return found;
}

std::string SetDesktopKey(std::string_view text, std::string_view group, std::string_view key,
                          std::string_view value) {
    std::string line(key);
    line.append("=").append(Escape(value));
    std::vector<std::string> lines;
    bool done = false;
    bool inGroup = false;
    auto addBeforeNextGroup = [&] {
        // The new key goes after the group's last key, before blank lines.
        std::size_t at = lines.size();
        while (at > 0 && TrimDesktopBlanks(lines[at - 1]).empty())
            --at;
        lines.insert(lines.begin() + static_cast<long>(at), line);
        done = true;
    };
    EachLine(text, [&](std::string_view raw, std::string_view g, std::string_view k,
                       std::string_view, std::string_view t) {
        bool header = !t.empty() && t.front() == '[' && t.back() == ']';
        if (header && inGroup && !done) addBeforeNextGroup();
        if (header) inGroup = g == group;
        if (!done && inGroup && k == key) {
            lines.push_back(line);
            done = true;
            return true;
        }
        std::string r(raw);
        if (!r.empty() && r.back() == '\r') r.pop_back();
        lines.push_back(r);
        return true;
    });
    if (!done && inGroup) addBeforeNextGroup();
    if (!done) {
        if (!lines.empty() && !TrimDesktopBlanks(lines.back()).empty()) lines.push_back("");
        std::string header(1, '[');
        header.append(group).append("]");
        lines.push_back(header);
        lines.push_back(line);
    }
    std::string out;
    for (const std::string& l : lines)
        out += l + "\n";
    return out;
}

bool TelnetHandlerSettingsExist(const TXdgFolders& xdg) {
    return IsFolder(xdg.ConfigHome) || IsFolder(xdg.DataHome);
}

std::string ReadTelnetHandlerCommand(const TXdgFolders& xdg) {
    std::vector<std::string> files;
    auto add = [&](const std::string& dir) {
        if (dir.empty()) return;
        for (const std::string& d : xdg.Desktops)
            files.push_back(dir + d + "-mimeapps.list");
        files.push_back(dir + "mimeapps.list");
    };
    add(xdg.ConfigHome);
    for (const std::string& d : xdg.ConfigDirs)
        add(d);
    add(xdg.DataHome.empty() ? std::string() : xdg.DataHome + "applications/");
    for (const std::string& d : xdg.DataDirs)
        add(d + "applications/");
    for (const std::string& file : files) {
        std::string list;
        if (!FindDesktopKey(ReadFileOrEmpty(file), "Default Applications", TelnetScheme, &list))
            continue;
        for (const std::string& id : SemicolonList(list)) {
            std::string exec;
            if (DesktopEntryInstalled(xdg, id, &exec)) return exec;
        }
    }
    return {};
}

void WriteTelnetHandlerCommand(const TXdgFolders& xdg, const std::string& command,
                               const std::string& name) {
    if (xdg.DataHome.empty() || xdg.ConfigHome.empty())
        throw EFileError("no folder for the telnet-link handler");
    std::string apps = xdg.DataHome + "applications/";
    for (const std::string& dir : {xdg.DataHome, apps, xdg.ConfigHome})
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST)
            throw EFileError("cannot create " + dir);
    std::string entry = apps + TelnetHandlerEntry;
    std::string text = ReadFileOrEmpty(entry);
    text = SetDesktopKey(text, "Desktop Entry", "Type", "Application");
    text = SetDesktopKey(text, "Desktop Entry", "Name", name);
    text = SetDesktopKey(text, "Desktop Entry", "Exec", command);
    text = SetDesktopKey(text, "Desktop Entry", "Icon", ProgramIconName);
    text = SetDesktopKey(text, "Desktop Entry", "MimeType", std::string(TelnetScheme) + ";");
    text = SetDesktopKey(text, "Desktop Entry", "Terminal", "false");
    text = SetDesktopKey(text, "Desktop Entry", "NoDisplay", "true");
    WriteFileAtomic(entry, text);
    std::string list = xdg.ConfigHome + "mimeapps.list";
    WriteFileAtomic(list, SetDesktopKey(ReadFileOrEmpty(list), "Default Applications", TelnetScheme,
                                        std::string(TelnetHandlerEntry) + ";"));
}

} // namespace win
