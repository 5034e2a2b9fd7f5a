// A home of its own for a test program: HOME, the XDG folders,
// XDG_RUNTIME_DIR and TMPDIR in a fresh temporary folder, so nothing a test
// runs reads or writes the real user's files. Header-only.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace testpeer {

class TSandboxHome {
public:
    TSandboxHome() {
        std::string base = std::filesystem::temp_directory_path().string() + "/bp-home-XXXXXX";
        if (!::mkdtemp(base.data())) return;
        Root_ = base;
        for (const char* sub : {"config", "data", "cache", "runtime", "tmp"})
            std::filesystem::create_directories(Root_ + "/" + sub);
        std::filesystem::permissions(Root_ + "/runtime", std::filesystem::perms::owner_all);
        ::setenv("HOME", Root_.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (Root_ + "/config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (Root_ + "/data").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (Root_ + "/cache").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (Root_ + "/runtime").c_str(), 1);
        ::setenv("TMPDIR", (Root_ + "/tmp").c_str(), 1);
    }
    ~TSandboxHome() {
        std::error_code ec;
        if (!Root_.empty()) std::filesystem::remove_all(Root_, ec);
    }
    TSandboxHome(const TSandboxHome&) = delete;
    TSandboxHome& operator=(const TSandboxHome&) = delete;
    const std::string& Root() const { return Root_; }

private:
    std::string Root_;
};

} // namespace testpeer
