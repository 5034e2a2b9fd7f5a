// Tests of what an ordinary user meets (a read-only file, a folder it may
// not write) mean nothing as root, who writes anywhere. Run as root (as CI
// does), such a test runs its body again in a child as the unprivileged
// user "nobody" (uid and gid 65534), from a copy of the test program with a
// home and fixtures of its own that the user can reach; the child's result
// is the test's. Header-only.
// Use: if (testpeer::RanUnprivileged()) return;   (first line of the body)
#pragma once
#include "ChildProcess.h"
#include "PeerProcess.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace testpeer {

inline bool InUnprivilegedChild() {
    const char* v = std::getenv("BP_UNPRIVILEGED_CHILD");
    return v && *v == '1';
}

// True when the body has run in the child (the caller returns at once);
// false when the caller is the one to run it (not root, or the child).
inline bool RanUnprivileged() {
    if (::geteuid() != 0 || InUnprivilegedChild()) return false;
    namespace fs = std::filesystem;
    constexpr unsigned kNobody = 65534;
    // Under /tmp itself: the test's own TMPDIR may lie in a folder only
    // root can enter.
    std::string base = "/tmp/bp-nobody-XXXXXX";
    if (!::mkdtemp(base.data())) {
        ADD_FAILURE() << "no temporary folder";
        return true;
    }
    struct TCleanup {
        std::string Path;
        ~TCleanup() {
            std::error_code ec;
            fs::remove_all(Path, ec);
        }
    } cleanup{base};
    std::error_code ec;
    fs::permissions(base, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec, ec);
    const std::string self = fs::read_symlink("/proc/self/exe", ec).string();
    fs::copy_file(self, base + "/test", ec);
    if (ec) {
        ADD_FAILURE() << "cannot copy the test program: " << ec.message();
        return true;
    }
    // The fixtures as a copy the user can read, wherever the tree lies.
    const char* fixtures = std::getenv("BP_FIXTURES");
    std::vector<std::string> env;
    if (fixtures && fs::exists(fixtures)) {
        fs::copy(fixtures, base + "/fixtures", fs::copy_options::recursive, ec);
        env.push_back("BP_FIXTURES=" + base + "/fixtures");
    }
    const std::string home = base + "/home";
    for (const char* sub : {"", "/config", "/data", "/cache", "/runtime", "/tmp"})
        fs::create_directories(home + sub, ec);
    std::string out;
    RunCommand("chown -R " + std::to_string(kNobody) + ":" + std::to_string(kNobody) + " '" +
                   home + "' && chmod -R a+rX '" + base + "' && chmod 0700 '" + home + "/runtime'",
               out);

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string filter =
        std::string("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    env.insert(env.end(),
               {"BP_UNPRIVILEGED_CHILD=1", "GTEST_OUTPUT=", "HOME=" + home,
                "XDG_CONFIG_HOME=" + home + "/config", "XDG_DATA_HOME=" + home + "/data",
                "XDG_CACHE_HOME=" + home + "/cache", "XDG_RUNTIME_DIR=" + home + "/runtime",
                "TMPDIR=" + home + "/tmp"});
    TPeerProcess child({"/usr/bin/setpriv", "--reuid=" + std::to_string(kNobody),
                        "--regid=" + std::to_string(kNobody), "--clear-groups",
                        base + "/test", filter},
                       env);
    if (!child.Started()) {
        ADD_FAILURE() << "setpriv could not start";
        return true;
    }
    std::string all;
    for (std::string line; !(line = child.ReadLine(240000)).empty() || child.Out >= 0;)
        all += line + "\n";
    const int rc = child.Wait(240000);
    EXPECT_EQ(rc, 0) << "as the unprivileged user:\n" << all;
    if (all.find("[  SKIPPED ] 1 test") != std::string::npos)
        [&] { GTEST_SKIP() << "skipped as the unprivileged user:\n" << all; }();
    return true;
}

} // namespace testpeer
