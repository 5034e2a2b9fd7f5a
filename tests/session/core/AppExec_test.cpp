// The starter against stand-in programs that record how they were started.
#include "session/core/AppExecCore.h"

#include "platform/core/Big5.h"
#include "support/ScratchFolder.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using testsupport::TScratchFolder;

namespace {

// A program that writes its arguments (NUL-ended), its folder and its
// session id to record, then ends.
std::string StandIn(const TScratchFolder& dir, const std::string& record) {
    std::string path = dir.File("stand in");
    TScratchFolder::Write(path,
                          "#!/bin/sh\n"
                          "out='" +
                              record +
                              "'\n"
                              "for a in \"$@\"; do printf '%s\\0' \"$a\"; done > \"$out.tmp\"\n"
                              "pwd >> \"$out.tmp\"\n"
                              "cut -d' ' -f6 /proc/$$/stat >> \"$out.tmp\"\n"
                              "mv \"$out.tmp\" \"$out\"\n");
    ::chmod(path.c_str(), 0755);
    return path;
}

bool WaitForFile(const std::string& path) {
    for (int i = 0; i < 1000; ++i) {
        if (::access(path.c_str(), F_OK) == 0) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

std::string Cwd() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? buf : "";
}

// Zombie children of this process.
int Zombies() {
    int n = 0;
    DIR* d = ::opendir("/proc");
    while (dirent* e = d ? ::readdir(d) : nullptr) {
        if (e->d_name[0] < '1' || e->d_name[0] > '9') continue;
        std::ifstream in(std::string("/proc/") + e->d_name + "/stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        auto close = stat.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int ppid = 0;
        if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && state == 'Z' &&
            ppid == ::getpid())
            ++n;
    }
    if (d) ::closedir(d);
    return n;
}

} // namespace

TEST(AppExec, ArgumentsArriveByteForByteInTheChildsFolderOnly) {
    TScratchFolder dir;
    std::string record = dir.File("record");
    ::mkdir(dir.File("work").c_str(), 0700);
    TAppExec exec;
    EXPECT_EQ(exec.ErrNo(), -1);
    exec.ExeName = StandIn(dir, record);
    exec.ExeParams = {
        "two words", "\"quoted\" 'single'", "$(touch " + dir.File("pwned") + ")", "-leading", "",
        "tab\there", "\xA1\x40 big5"};
    exec.SetExePath(dir.File("work/"));
    EXPECT_EQ(exec.ExePath(), dir.File("work"));
    const std::string before = Cwd();
    exec.Execute();
    EXPECT_EQ(Cwd(), before) << "the caller's folder never changes";
    EXPECT_EQ(exec.ErrNo(), -1) << "a start not waited for leaves ErrNo";
    ASSERT_TRUE(WaitForFile(record));
    std::string got = TScratchFolder::Read(record);
    std::string want;
    for (auto& p : exec.ExeParams)
        want += p + '\0';
    want += dir.File("work") + "\n";
    EXPECT_EQ(got.substr(0, want.size()), want);
    EXPECT_NE(::access(dir.File("pwned").c_str(), F_OK), 0) << "no shell saw the arguments";
    // Its own session: the child leads it.
    long sid = std::atol(got.substr(want.size()).c_str());
    EXPECT_NE(sid, static_cast<long>(::getsid(0)));
}

TEST(AppExec, WaitingSetsErrNoToZero) {
    TScratchFolder dir;
    TAppExec exec;
    exec.ExeName = StandIn(dir, dir.File("record"));
    exec.Wait = true;
    exec.Execute();
    EXPECT_EQ(exec.ErrNo(), 0);
    EXPECT_EQ(::access(dir.File("record").c_str(), F_OK), 0) << "ended before Execute returned";
    exec.Clear();
    EXPECT_EQ(exec.ErrNo(), -1);
    EXPECT_TRUE(exec.ExeName.empty());
    EXPECT_TRUE(exec.ExeParams.empty());
    EXPECT_TRUE(exec.ExePath().empty());
}

TEST(AppExec, FailedStartsSayWhy) {
    TScratchFolder dir;
    TAppExec exec;
    exec.ExeName = dir.File("missing");
    try {
        exec.Execute();
        FAIL() << "started a missing program";
    } catch (const EAppExecWinExec& e) {
        EXPECT_EQ(std::string(e.what()), win::Utf8ToBig5("執行檔不存在!"));
        EXPECT_EQ(exec.ErrNo(), ENOENT);
    }
    exec.ExeName = "no-such-program-anywhere";
    EXPECT_THROW(exec.Execute(), EAppExecWinExec);

    TScratchFolder::Write(dir.File("plain"), "#!/bin/sh\n");
    ::chmod(dir.File("plain").c_str(), 0644);
    for (const std::string& name : {dir.File("plain"), dir.Path()}) {
        exec.ExeName = name;
        try {
            exec.Execute();
            FAIL() << name;
        } catch (const EAppExecWinExec& e) {
            EXPECT_EQ(exec.ErrNo(), EACCES) << name;
            EXPECT_EQ(std::string(e.what()), std::strerror(EACCES)) << "the system's text";
        }
    }
}

TEST(AppExec, AFolderThatCannotBeEnteredStartsNothing) {
    TScratchFolder dir;
    TAppExec exec;
    exec.ExeName = StandIn(dir, dir.File("record"));
    exec.SetExePath(dir.File("no such folder"));
    EXPECT_THROW(exec.Execute(), EAppExecChDir);
    exec.SetExePath(exec.ExeName); // a file, not a folder
    EXPECT_THROW(exec.Execute(), EAppExecChDir);
    exec.ChangeDir = false;
    exec.Wait = true;
    exec.Execute();
    EXPECT_EQ(::access(dir.File("record").c_str(), F_OK), 0)
        << "the folder is ignored without ChangeDir";
}

TEST(AppExec, PathKeepsTheRootAndDropsOneTrailingSlash) {
    TAppExec exec;
    exec.SetExePath("/opt/tools/");
    EXPECT_EQ(exec.ExePath(), "/opt/tools");
    exec.SetExePath("/");
    EXPECT_EQ(exec.ExePath(), "/");
    exec.SetExePath("/opt//");
    EXPECT_EQ(exec.ExePath(), "/opt/");
}

TEST(AppExec, AHundredStartsLeaveNoZombie) {
    TScratchFolder dir;
    TScratchFolder::Write(dir.File("quick"), "#!/bin/sh\nexit 0\n");
    ::chmod(dir.File("quick").c_str(), 0755);
    TAppExec exec;
    exec.ExeName = dir.File("quick");
    for (int i = 0; i < 100; ++i)
        exec.Execute();
    int zombies = 0;
    for (int i = 0; i < 500 && (zombies = Zombies()) > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(zombies, 0);
}
