#include "platform/core/Files.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace win {
namespace {

[[noreturn]] void Fail(const std::string& path, const char* what, int err) {
    throw EFileError(path + ": " + what + (err ? std::string(": ") + std::strerror(err) : ""));
}

// The file a write must replace: the link target for a symbolic link, so
// the link itself survives the rename.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char* real = realpath(path.c_str(), nullptr);
    if (!real) Fail(path, "cannot resolve the link", errno);
    std::string target(real);
    std::free(real);
    return target;
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

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
    if (path.empty()) Fail(path, "no file name", 0);
    const std::string target = ResolveTarget(path);
    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists) {
        if (!S_ISREG(st.st_mode)) Fail(target, "not a regular file", 0);
        if (::access(target.c_str(), W_OK) != 0) Fail(target, "not writable", errno);
    }
    auto slash = target.rfind('/');
    std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    // The temporary name is ours alone (O_EXCL), hidden, and beside the
    // target so the rename never crosses file systems.
    std::random_device rd;
    std::string tmp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = dir + "." + base + ".tmp" + std::to_string(rd() % 1000000000u);
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST) Fail(target, "cannot create a temporary file", errno);
    }
    if (fd < 0) Fail(target, "cannot create a temporary file", EEXIST);
    if (exists) {
        // The replacement keeps the old file's permissions and owner. Both
        // are best effort: when they fail the file still gets written, with
        // the default permissions.
        bool kept = fchmod(fd, st.st_mode & 07777) == 0;
        if ((st.st_uid != geteuid() || st.st_gid != getegid()) &&
            fchown(fd, st.st_uid, st.st_gid) != 0)
            kept = false;
        static_cast<void>(kept);
    }
    bool ok = WriteAll(fd, bytes);
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        Fail(target, "write error", err);
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        err = errno;
        ::unlink(tmp.c_str());
        Fail(target, "cannot replace the file", err);
    }
}

} // namespace win
