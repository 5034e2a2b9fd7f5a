#include "session/core/DesktopEntry.h"

#include "platform/core/DesktopText.h"
#include "platform/core/Files.h"
#include "platform/core/Folders.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

const char* EnvOrEmpty(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadSmallFile(const std::string& path, std::string& text) {
    try {
        return win::ReadWholeFile(path, text);
    } catch (const win::EFileError&) {
        text.clear();
        return false;
    }
}

bool NeedsQuotes(std::string_view arg) {
    if (arg.empty()) return true;
    for (char c : arg)
        switch (c) {
        case ' ':
        case '\t':
        case '\n':
        case '"':
        case '\'':
        case '\\':
        case '>':
        case '<':
        case '~':
        case '|':
        case '&':
        case ';':
        case '$':
        case '*':
        case '?':
        case '#':
        case '(':
        case ')':
        case '`':
            return true;
        default:
            break;
        }
    return false;
}

} // namespace

std::optional<std::string> TDesktopFile::Raw(std::string_view group, std::string_view key) const {
    std::optional<std::string> found;
    for (const auto& g : Groups) {
        if (g.Name != group) continue;
        for (const auto& [k, v] : g.Keys)
            if (k == key) found = v;
    }
    return found;
}

std::optional<std::string> TDesktopFile::String(std::string_view group,
                                                std::string_view key) const {
    auto raw = Raw(group, key);
    if (raw) *raw = UnescapeDesktopString(*raw);
    return raw;
}

TDesktopFile ParseDesktopFile(std::string_view text) {
    TDesktopFile file;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        std::string_view t = win::TrimDesktopBlanks(line);
        if (t.empty() || t.front() == '#') continue;
        if (t.front() == '[') {
            std::size_t close = t.find(']');
            if (close == std::string_view::npos) continue;
            file.Groups.push_back({std::string(t.substr(1, close - 1)), {}});
            continue;
        }
        std::size_t eq = t.find('=');
        if (eq == std::string_view::npos || file.Groups.empty()) continue;
        std::string_view key = win::TrimDesktopBlanks(t.substr(0, eq));
        if (key.empty()) continue;
        file.Groups.back().Keys.emplace_back(std::string(key),
                                             std::string(win::TrimDesktopBlanks(t.substr(eq + 1))));
    }
    return file;
}

std::string EscapeDesktopString(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case ' ':
            // Only leading blanks would be lost when the file is read.
            out += (i == 0) ? "\\s" : " ";
            break;
        default:
            out += c;
            break;
        }
    }
    // Trailing blanks are trimmed by readers too.
    if (!out.empty() && out.back() == ' ') {
        out.pop_back();
        out += "\\s";
    }
    return out;
}

std::string UnescapeDesktopString(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (std::size_t i = 0; i < value.size(); ++i) {
        char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out += c;
            continue;
        }
        char n = value[++i];
        switch (n) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += n;
            break;
        }
    }
    return out;
}

std::string QuoteExecArgument(std::string_view arg) {
    std::string out;
    const bool quote = NeedsQuotes(arg);
    if (quote) out += '"';
    for (char c : arg) {
        if (c == '%') {
            out += "%%";
            continue;
        }
        if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) out += '\\';
        out += c;
    }
    if (quote) out += '"';
    return out;
}

std::string BuildExecLine(const std::vector<std::string>& argv) {
    std::string out;
    for (const auto& a : argv) {
        if (!out.empty()) out += ' ';
        out += QuoteExecArgument(a);
    }
    return out;
}

bool SplitExecLine(std::string_view exec, const TExecFields& fields,
                   std::vector<std::string>& argv) {
    argv.clear();
    std::string current;
    bool inWord = false;    // an argument is being collected
    bool dropEmpty = false; // an argument made only of empty field codes goes
    auto finish = [&] {
        if (inWord && !(dropEmpty && current.empty())) argv.push_back(current);
        current.clear();
        inWord = false;
        dropEmpty = false;
    };
    std::size_t i = 0;
    while (i < exec.size()) {
        char c = exec[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            finish();
            ++i;
            continue;
        }
        if (c == '"') {
            // A quoted argument: escapes for " ` $ \ ; field codes are not
            // allowed inside, but "%%" still reads as "%".
            inWord = true;
            ++i;
            bool closed = false;
            while (i < exec.size()) {
                char q = exec[i];
                if (q == '"') {
                    closed = true;
                    ++i;
                    break;
                }
                if (q == '\\' && i + 1 < exec.size()) {
                    current += exec[i + 1];
                    i += 2;
                    continue;
                }
                if (q == '%' && i + 1 < exec.size() && exec[i + 1] == '%') {
                    current += '%';
                    i += 2;
                    continue;
                }
                current += q;
                ++i;
            }
            if (!closed) {
                argv.clear();
                return false;
            }
            continue;
        }
        if (c == '%' && i + 1 < exec.size()) {
            char code = exec[i + 1];
            i += 2;
            const bool alone = !inWord;
            inWord = true;
            switch (code) {
            case '%':
                current += '%';
                break;
            case 'u':
            case 'U':
            case 'f':
            case 'F':
                current += fields.Url;
                if (alone) dropEmpty = true;
                break;
            case 'i':
                if (alone && !fields.Icon.empty()) {
                    argv.push_back("--icon");
                    current += fields.Icon;
                } else if (alone) {
                    dropEmpty = true;
                }
                break;
            case 'c':
                current += fields.Name;
                break;
            case 'k':
                current += fields.Location;
                break;
            default:
                // Deprecated and unknown codes stand for nothing.
                if (alone) dropEmpty = true;
                break;
            }
            continue;
        }
        inWord = true;
        current += c;
        ++i;
    }
    finish();
    return true;
}

TXdgPaths TXdgPaths::FromEnvironment() {
    TXdgPaths x;
    const char* home = std::getenv("HOME");
    std::string h = win::IncludeTrailingPathDelimiter(home && *home ? home : "/");
    const char* ch = std::getenv("XDG_CONFIG_HOME");
    x.ConfigHome = win::IncludeTrailingPathDelimiter(ch && *ch == '/' ? ch : h + ".config");
    x.ConfigDirs = win::AbsoluteFolderList(EnvOrEmpty("XDG_CONFIG_DIRS"), "/etc/xdg");
    const char* dh = std::getenv("XDG_DATA_HOME");
    x.DataHome = win::IncludeTrailingPathDelimiter(dh && *dh == '/' ? dh : h + ".local/share");
    x.DataDirs =
        win::AbsoluteFolderList(EnvOrEmpty("XDG_DATA_DIRS"), "/usr/local/share:/usr/share");
    x.Desktops = win::DesktopNameList(EnvOrEmpty("XDG_CURRENT_DESKTOP"));
    return x;
}

std::vector<std::string> MimeAppsFiles(const TXdgPaths& xdg) {
    std::vector<std::string> out;
    auto add = [&](const std::string& folder) {
        if (folder.empty()) return;
        for (const auto& d : xdg.Desktops)
            out.push_back(folder + d + "-mimeapps.list");
        out.push_back(folder + "mimeapps.list");
    };
    add(xdg.ConfigHome);
    for (const auto& d : xdg.ConfigDirs)
        add(d);
    if (!xdg.DataHome.empty()) add(xdg.DataHome + "applications/");
    for (const auto& d : xdg.DataDirs)
        add(d + "applications/");
    return out;
}

std::vector<std::string> ApplicationFolders(const TXdgPaths& xdg) {
    std::vector<std::string> out;
    if (!xdg.DataHome.empty()) out.push_back(xdg.DataHome + "applications/");
    for (const auto& d : xdg.DataDirs)
        out.push_back(d + "applications/");
    return out;
}

std::vector<std::string> DefaultApplicationsIn(std::string_view mimeAppsText,
                                               std::string_view mimeType) {
    std::vector<std::string> out;
    TDesktopFile f = ParseDesktopFile(mimeAppsText);
    auto value = f.String("Default Applications", mimeType);
    if (!value) return out;
    for (std::string& id : win::SemicolonList(*value))
        if (!id.empty() && id.find('/') == std::string::npos && id != "." && id != "..")
            out.push_back(std::move(id));
    return out;
}

std::string FindDesktopEntryFile(const TXdgPaths& xdg, const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos) return {};
    for (const auto& folder : ApplicationFolders(xdg)) {
        if (IsRegularFile(folder + id)) return folder + id;
        std::string nested = id;
        for (char& c : nested)
            if (c == '-') c = '/';
        if (nested != id && IsRegularFile(folder + nested)) return folder + nested;
    }
    return {};
}

std::string DefaultExecFor(const TXdgPaths& xdg, const std::vector<std::string>& mimeTypes) {
    const auto files = MimeAppsFiles(xdg);
    for (const auto& type : mimeTypes) {
        for (const auto& list : files) {
            std::string text;
            if (!ReadSmallFile(list, text)) continue;
            for (const auto& id : DefaultApplicationsIn(text, type)) {
                std::string entry = FindDesktopEntryFile(xdg, id);
                std::string body;
                if (entry.empty() || !ReadSmallFile(entry, body)) continue;
                auto exec = ParseDesktopFile(body).String("Desktop Entry", "Exec");
                if (exec && !exec->empty()) return *exec;
            }
        }
    }
    return {};
}
