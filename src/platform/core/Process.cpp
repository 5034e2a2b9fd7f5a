#include "platform/core/Process.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace win {

TSpawnResult SpawnProcess(const std::vector<std::string>& argv, const TSpawnOptions& options) {
    TSpawnResult result;
    if (argv.empty() || argv[0].empty()) {
        result.Error = ENOENT;
        return result;
    }
    if (!options.Folder.empty()) {
        // Checked here, so a folder that cannot be entered is not taken
        // for a missing program.
        struct stat st {};
        if (::stat(options.Folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            ::access(options.Folder.c_str(), X_OK) != 0) {
            result.Error = errno ? errno : ENOTDIR;
            if (::stat(options.Folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
                result.Error = ENOTDIR;
            result.FolderError = true;
            return result;
        }
    }
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    if (!options.Folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, options.Folder.c_str());
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setflags(&attr,
                             POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const bool bare = argv[0].find('/') == std::string::npos;
    int rc = bare ? posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ)
                  : posix_spawn(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0) {
        result.Error = rc;
        return result;
    }
    result.Pid = pid;
    if (options.Wait) {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        result.ExitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    } else {
        std::thread([pid, onExit = options.OnExit] {
            int status = 0;
            while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
            if (onExit) onExit(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        }).detach();
    }
    return result;
}

std::string FindProgramOnPath(const std::string& name) {
    auto runnable = [](const std::string& file) {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
               ::access(file.c_str(), X_OK) == 0;
    };
    if (name.empty()) return {};
    if (name.find('/') != std::string::npos) return runnable(name) ? name : std::string();
    const char* path = std::getenv("PATH");
    std::string p = path ? path : "/usr/local/bin:/usr/bin:/bin";
    std::string_view rest(p);
    for (;;) {
        std::size_t end = rest.find(':');
        std::string_view dir = rest.substr(0, end);
        std::string file(dir.empty() ? std::string_view(".") : dir);
        file.append("/").append(name);
        if (runnable(file)) return file;
        if (end == std::string_view::npos) return {};
        rest.remove_prefix(end + 1);
    }
}

} // namespace win
