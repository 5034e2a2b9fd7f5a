// Test helpers for file permissions and failing writes (header-only): what
// another user can read, a file size limit that makes writes fail as a full
// disk does, and the names a folder holds.
#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// The unprivileged account the checks run as (nobody).
constexpr uid_t kOtherUser = 65534;
constexpr gid_t kOtherGroup = 65534;

// Whether the nobody account can open path for reading; nullopt when this
// process cannot become another user (not root). The folders on the way
// must let others through for the answer to be about the file's own mode.
inline std::optional<bool> OtherUserCanRead(const std::string& path) {
    if (::geteuid() != 0) return std::nullopt;
    pid_t pid = ::fork();
    if (pid < 0) return std::nullopt;
    if (pid == 0) {
        // Only async-signal-safe calls between fork and _exit; the ids are
        // changed by plain system calls (the child has one thread).
        if (::syscall(SYS_setgroups, 0, nullptr) != 0 ||
            ::syscall(SYS_setresgid, kOtherGroup, kOtherGroup, kOtherGroup) != 0 ||
            ::syscall(SYS_setresuid, kOtherUser, kOtherUser, kOtherUser) != 0)
            ::_exit(2);
        int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
        ::_exit(fd >= 0 ? 0 : 1);
    }
    int st = 0;
    while (::waitpid(pid, &st, 0) < 0) {
    }
    if (!WIFEXITED(st) || WEXITSTATUS(st) == 2) return std::nullopt;
    return WEXITSTATUS(st) == 0;
}

// The permission bits of path (not following a link); -1 when it is missing.
inline int ModeOf(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return -1;
    return static_cast<int>(st.st_mode & 07777);
}

// While it lives, no file of this process may grow past `bytes`: writes
// beyond fail with EFBIG, as they fail with ENOSPC on a full disk. Works for
// root and other users alike (lowering the limit needs no privilege).
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &FOld);
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &FOldAction);
        struct rlimit r = FOld;
        r.rlim_cur = bytes;
        Active = ::setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~TFileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        ::sigaction(SIGXFSZ, &FOldAction, nullptr);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
    bool Active = false;

private:
    struct rlimit FOld {};
    struct sigaction FOldAction {};
};

// The names in a folder (hidden ones too), sorted.
inline std::vector<std::string> FolderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (struct dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(n);
        }
        ::closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
