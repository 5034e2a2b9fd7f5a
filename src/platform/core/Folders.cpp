#include "platform/core/Folders.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace win {
namespace {

const char* const kSuiteFolder = "brannocpro";

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

// An XDG base folder from its variable; relative values are invalid by the
// XDG rules and fall back to the default under the home folder.
std::string XdgBase(const char* var, const char* homeRelative) {
    std::string v = Env(var);
    if (!v.empty() && v.front() == '/') return IncludeTrailingPathDelimiter(v);
    std::string home = GetHomeFolder();
    return home.empty() ? std::string() : home + homeRelative;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// mkdir -p; folders created here get mode 0700 (the XDG rule for folders a
// program creates under the user's base folders).
bool MakeFolders(const std::string& path) {
    if (path.empty() || path.front() != '/') return false;
    std::size_t pos = 1;
    for (;;) {
        std::size_t slash = path.find('/', pos);
        std::string part = path.substr(0, slash);
        if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos || slash + 1 >= path.size()) break;
        pos = slash + 1;
    }
    return IsFolder(path);
}

std::string DataFolder(const char* sub) {
    std::string base = XdgBase("XDG_DATA_HOME", ".local/share/");
    if (base.empty()) return {};
    std::string path = base + sub + "/";
    return MakeFolders(path) ? path : std::string();
}

// path + one of names exists (a folder or a broken entry in a file's place
// counts: the program then says what is wrong instead of moving away).
bool HoldsAny(const std::string& path, std::initializer_list<const char*> names) {
    if (path.empty()) return false;
    for (const char* n : names) {
        struct stat st {};
        if (::lstat((path + n).c_str(), &st) == 0) return true;
    }
    return false;
}

// The value of XDG_DESKTOP_DIR in user-dirs.dirs: "$HOME/sub" or an
// absolute path, in double quotes.
std::string ConfiguredDesktop() {
    std::string config = XdgBase("XDG_CONFIG_HOME", ".config/");
    if (config.empty()) return {};
    std::ifstream in(config + "user-dirs.dirs");
    std::string line;
    while (std::getline(in, line)) {
        const std::string key = "XDG_DESKTOP_DIR=";
        auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
        std::string v = line.substr(start + key.size());
        while (!v.empty() && (v.back() == '\r' || v.back() == ' ' || v.back() == '\t'))
            v.pop_back();
        if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
        if (v.rfind("$HOME", 0) == 0) {
            std::string home = GetHomeFolder();
            if (home.empty()) return {};
            v = home + (v.size() > 5 && v[5] == '/' ? v.substr(6) : v.substr(5));
        }
        return v.empty() || v.front() != '/' ? std::string() : v;
    }
    return {};
}

bool SameAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
        if (x != y) return false;
    }
    return true;
}

} // namespace

std::string IncludeTrailingPathDelimiter(std::string path) {
    if (!path.empty() && path.back() != '/') path += '/';
    return path;
}

std::string GetHomeFolder() {
    std::string home = Env("HOME");
    if (home.empty() || home.front() != '/') {
        home.clear();
        std::vector<char> buf(16384);
        struct passwd pw {};
        struct passwd* found = nullptr;
        if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found &&
            found->pw_dir && found->pw_dir[0] == '/')
            home = found->pw_dir;
    }
    return IncludeTrailingPathDelimiter(home);
}

std::string GetProgramFolder() {
    std::vector<char> buf(PATH_MAX + 1);
    ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
    std::string exe = n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : "";
    auto slash = exe.rfind('/');
    if (slash != std::string::npos) return exe.substr(0, slash + 1);
    char* cwd = ::getcwd(buf.data(), buf.size());
    return cwd ? IncludeTrailingPathDelimiter(cwd) : std::string();
}

std::string GetWindowsFolder() {
    return DataFolder(kSuiteFolder);
}

std::string GetProgramsFolder() {
    return DataFolder("applications");
}

bool EnsurePrivateFolder(const std::string& path) {
    if (path.empty() || path.front() != '/') return false;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    // Checked through a descriptor opened without following links, so the
    // folder checked is the folder the caller gets.
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok && (st.st_mode & 077) != 0)
        ok = ::fchmod(fd, 0700) == 0 && ::fstat(fd, &st) == 0 && (st.st_mode & 077) == 0;
    ::close(fd);
    return ok;
}

std::string GetTempFolder() {
    std::vector<std::string> candidates;
    // The session's runtime folder is private already; the per-user folder
    // in the temporary area comes next; the data folder is the last resort
    // when someone else holds that name.
    std::string runtime = Env("XDG_RUNTIME_DIR");
    if (!runtime.empty() && runtime.front() == '/')
        candidates.push_back(IncludeTrailingPathDelimiter(runtime) + kSuiteFolder + "/");
    std::string tmp = Env("TMPDIR");
    if (tmp.empty() || tmp.front() != '/') tmp = "/tmp";
    candidates.push_back(IncludeTrailingPathDelimiter(tmp) + kSuiteFolder + "-" +
                         std::to_string(geteuid()) + "/");
    std::string data = GetWindowsFolder();
    if (!data.empty()) candidates.push_back(data + "temp/");
    for (const auto& c : candidates)
        if (EnsurePrivateFolder(c.substr(0, c.size() - 1))) return c;
    return {};
}

std::string ChooseSettingsFolder(const TSettingsPlaces& p) {
    const std::string program = IncludeTrailingPathDelimiter(p.Program);
    const std::string config = IncludeTrailingPathDelimiter(p.Config);
    const std::string old = IncludeTrailingPathDelimiter(p.OldData);
    if (!program.empty() && p.InProgram && p.ProgramWritable) return program;
    if (!config.empty() && p.InConfig) return config;
    if (!old.empty() && p.InOldData) return old;
    return !config.empty() ? config : old;
}

std::string GetSettingsFolder(const std::string& programFolder,
                              std::initializer_list<const char*> names) {
    TSettingsPlaces p;
    p.Program = IncludeTrailingPathDelimiter(programFolder);
    p.ProgramWritable = !p.Program.empty() && ::access(p.Program.c_str(), W_OK | X_OK) == 0;
    p.InProgram = HoldsAny(p.Program, names);
    std::string config = XdgBase("XDG_CONFIG_HOME", ".config/");
    if (!config.empty()) p.Config = config + kSuiteFolder + "/";
    p.InConfig = HoldsAny(p.Config, names);
    // Looked at without creating it: only settings already there count.
    std::string data = XdgBase("XDG_DATA_HOME", ".local/share/");
    if (!data.empty()) p.OldData = data + kSuiteFolder + "/";
    p.InOldData = HoldsAny(p.OldData, names);
    std::string chosen = ChooseSettingsFolder(p);
    if (chosen == p.Config && !MakeFolders(chosen)) {
        // No settings folder can be made: the data folder is the next best.
        p.Config.clear();
        chosen = ChooseSettingsFolder(p);
        if (!chosen.empty() && !MakeFolders(chosen)) chosen.clear();
    }
    return chosen;
}

std::string GetDesktopFolder() {
    std::string configured = ConfiguredDesktop();
    if (IsFolder(configured)) return IncludeTrailingPathDelimiter(configured);
    std::string home = GetHomeFolder();
    if (!home.empty() && IsFolder(home + "Desktop")) return home + "Desktop/";
    return {};
}

std::string GetShellFolder(std::string_view name) {
    if (SameAsciiCase(name, "Desktop")) return GetDesktopFolder();
    if (SameAsciiCase(name, "Programs")) return GetProgramsFolder();
    return {};
}

} // namespace win
