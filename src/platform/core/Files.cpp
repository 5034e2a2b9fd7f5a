#include "platform/core/Files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace win {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* what, int err) {
    throw EFileError(path + ": " + what + (err ? std::string(": ") + std::strerror(err) : ""));
}

// The file a write must replace: the link target for a symbolic link, so
// the link itself survives the rename. Empty when a link cannot be resolved
// (err says why).
std::string ResolveTarget(const std::string& path, int& err) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real) {
        err = errno;
        return {};
    }
    std::string target(real);
    std::free(real);
    return target;
}

void SplitPath(const std::string& path, std::string& dir, std::string& base) {
    auto slash = path.rfind('/');
    dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    base = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Temporary copies of a file are named ".name.tmp" + a decimal number.
std::string TemporaryPrefix(const std::string& base) {
    return "." + base + ".tmp";
}

bool IsTemporaryOf(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 10 ||
        name.substr(0, prefix.size()) != prefix)
        return false;
    for (char c : name.substr(prefix.size()))
        if (c < '0' || c > '9') return false;
    return true;
}

// A write holds an exclusive lock on its temporary copy until the copy is
// renamed; a copy nobody holds was left by a write that was killed.
void RemoveStale(const std::string& dir, const std::string& base) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return;
    const int dfd = ::dirfd(d);
    const std::string prefix = TemporaryPrefix(base);
    while (struct dirent* e = ::readdir(d)) {
        if (!IsTemporaryOf(e->d_name, prefix)) continue;
        int fd =
            ::openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) continue;
        // Only the user's own regular files, and the name still the file
        // that was found free (a write may have renamed it meanwhile).
        struct stat held {
        }, named{};
        if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && held.st_uid == ::geteuid() &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            ::fstatat(dfd, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino)
            ::unlinkat(dfd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

bool ReadWholeFile(const std::string& path, std::string& out) {
    out.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        Fail(path, "cannot open", errno);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        int err = errno;
        ::close(fd);
        Fail(path, "not a regular file", S_ISREG(st.st_mode) ? err : 0);
    }
    if (static_cast<unsigned long long>(st.st_size) > kMaxSettingsFileSize) {
        ::close(fd);
        Fail(path, "file too big", 0);
    }
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int err = errno;
            ::close(fd);
            out.clear();
            Fail(path, "read error", err);
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > kMaxSettingsFileSize) {
            ::close(fd);
            out.clear();
            Fail(path, "file too big", 0);
        }
    }
    ::close(fd);
    return true;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes,
                     const TWriteOptions& options) {
    if (path.empty()) Fail(path, "no file name", 0);
    const bool through = options.Links == TLinkRule::WriteThrough;
    int err = 0;
    const std::string target = through ? ResolveTarget(path, err) : path;
    if (target.empty()) Fail(path, "cannot resolve the link", err);
    // A link that is replaced counts as no file: what it points to is never
    // looked at.
    struct stat st {};
    bool exists = (through ? ::stat(target.c_str(), &st) : ::lstat(target.c_str(), &st)) == 0 &&
                  !S_ISLNK(st.st_mode);
    if (exists) {
        if (!S_ISREG(st.st_mode)) Fail(target, "not a regular file", 0);
        if (::access(target.c_str(), W_OK) != 0) Fail(target, "not writable", errno);
    }
    std::string dir, base;
    SplitPath(target, dir, base);
    RemoveStale(dir, base);

    // The temporary name is ours alone (O_EXCL), hidden, and beside the
    // target so the rename never crosses file systems. It starts as the
    // user's only unless the new file is the usual kind anyway, so nobody
    // opens it before its final mode is set and reads what comes later.
    const mode_t createMode = !exists && options.Access == TFileAccess::Keep ? 0666 : 0600;
    std::random_device rd;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = dir + TemporaryPrefix(base) + std::to_string(rd() % 1000000000u);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, createMode);
        if (fd < 0) {
            if (errno != EEXIST) Fail(target, "cannot create a temporary file", errno);
            continue;
        }
        // Locked while the write runs, so other clean-ups leave it alone. A
        // clean-up that took it before the lock removed it: another name.
        // Where locks are not supported clean-ups remove nothing either.
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        struct stat own {};
        if (::fstat(fd, &own) == 0 && own.st_nlink == 0) {
            ::close(fd);
            fd = -1;
        }
    }
    if (fd < 0) Fail(target, "cannot create a temporary file", EEXIST);
    if (exists) {
        // The replacement keeps the old file's owner and, unless it must be
        // private, its permissions. Both are best effort: when they fail the
        // file still gets written, with the permissions it was created with.
        if (options.Access != TFileAccess::Private)
            static_cast<void>(fchmod(fd, st.st_mode & 07777));
        if (st.st_uid != geteuid() || st.st_gid != getegid())
            static_cast<void>(fchown(fd, st.st_uid, st.st_gid));
    }
    // A second descriptor keeps the lock from the close (which reports late
    // write errors) until the rename.
    int lockFd = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    bool ok = lockFd >= 0 && WriteAll(fd, bytes);
    err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        ::close(lockFd);
        Fail(target, "cannot replace the file", err);
    }
    if (!ok) ::unlink(tmp.c_str());
    if (lockFd >= 0) ::close(lockFd);
    if (!ok) Fail(target, "write error", err);
}

void RemoveStaleTemporaries(const std::string& path) {
    int err = 0;
    const std::string target = ResolveTarget(path, err);
    if (target.empty()) return;
    std::string dir, base;
    SplitPath(target, dir, base);
    RemoveStale(dir, base);
}

} // namespace win
