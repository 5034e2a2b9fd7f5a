// The atomic write: who may read what it leaves, links in the temp folder,
// a write that fails (a full disk) or is killed half-way.
#include "platform/core/Files.h"

#include "TempDir.h"
#include "support/FileAccess.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using testsupport::FolderNames;
using testsupport::ModeOf;
using testsupport::OtherUserCanRead;
using Names = std::vector<std::string>;

// A folder others may pass through, so only a file's own mode decides
// whether another user reads it.
struct TOpenFolder : TTempDir {
    TOpenFolder() { ::chmod(Path.c_str(), 0755); }
};

mode_t Umask() {
    mode_t m = ::umask(022);
    ::umask(m);
    return m;
}

TEST(Files, WhatAWriteLeavesReadableByOthers) {
    TOpenFolder dir;
    const std::string book = dir / "Directory.ini", keys = dir / "Keys.ini",
                      text = dir / "screen.txt";
    for (const auto& p : {book, keys, text}) {
        TTempDir::Put(p, "old");
        ASSERT_EQ(::chmod(p.c_str(), 0644), 0);
    }
    // Secrets: the user's only, whatever mode the file had.
    win::WriteFileAtomic(book, "Password=x", {win::TFileAccess::Private});
    EXPECT_EQ(ModeOf(book), 0600);
    EXPECT_EQ(TTempDir::Get(book), "Password=x");
    // Other files keep the mode the user gave them.
    win::WriteFileAtomic(keys, "k", {win::TFileAccess::KeepOrPrivate});
    EXPECT_EQ(ModeOf(keys), 0644);
    ASSERT_EQ(::chmod(text.c_str(), 0640), 0);
    win::WriteFileAtomic(text, "t");
    EXPECT_EQ(ModeOf(text), 0640);
    // Another user (where the test can become one and reaches the folder:
    // the shared file tells) cannot read the private one.
    if (OtherUserCanRead(keys) == true) {
        EXPECT_EQ(OtherUserCanRead(book), false);
    }

    // New files: private ones start private, the rest get the usual mode.
    win::WriteFileAtomic(dir / "new-book", "p", {win::TFileAccess::Private});
    win::WriteFileAtomic(dir / "new-keys", "k", {win::TFileAccess::KeepOrPrivate});
    win::WriteFileAtomic(dir / "new-text", "t");
    EXPECT_EQ(ModeOf(dir / "new-book"), 0600);
    EXPECT_EQ(ModeOf(dir / "new-keys"), 0600);
    EXPECT_EQ(ModeOf(dir / "new-text"), static_cast<int>(0666 & ~Umask()));
}

TEST(Files, TempFolderWritesReplaceALinkAndNeverTouchWhatItPointsTo) {
    TTempDir dir;
    const std::string victim = dir / "victim", pass = dir / "KVpass";
    TTempDir::Put(victim, "the user's file");
    ASSERT_EQ(::symlink(victim.c_str(), pass.c_str()), 0);
    win::WriteTempFileAtomic(pass, "[Para]\r\nHost=127.0.0.1\r\n");
    EXPECT_EQ(TTempDir::Get(victim), "the user's file");
    struct stat st {};
    ASSERT_EQ(::lstat(pass.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(TTempDir::Get(pass), "[Para]\r\nHost=127.0.0.1\r\n");

    // A dangling link and a link to a folder are replaced just the same.
    const std::string dangling = dir / "KV1.ini", toFolder = dir / "KV2.ini";
    ASSERT_EQ(::symlink((dir / "nowhere").c_str(), dangling.c_str()), 0);
    ASSERT_EQ(::symlink(dir.Path.c_str(), toFolder.c_str()), 0);
    win::WriteTempFileAtomic(dangling, "a");
    win::WriteTempFileAtomic(toFolder, "b");
    EXPECT_EQ(TTempDir::Get(dangling), "a");
    EXPECT_EQ(TTempDir::Get(toFolder), "b");
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
    // A folder at the name itself is no file to replace.
    ASSERT_EQ(::mkdir((dir / "KV3.ini").c_str(), 0700), 0);
    EXPECT_THROW(win::WriteTempFileAtomic(dir / "KV3.ini", "c"), win::EFileError);

    // Settings in the user's own folder are still written through a link.
    const std::string real = dir / "real.ini", shown = dir / "Brannoc.ini";
    TTempDir::Put(real, "old");
    ASSERT_EQ(::symlink(real.c_str(), shown.c_str()), 0);
    win::WriteFileAtomic(shown, "new");
    EXPECT_EQ(TTempDir::Get(real), "new");
    ASSERT_EQ(::lstat(shown.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(Files, AWriteOnAFullDiskLeavesTheFolderAsItWas) {
    TTempDir dir;
    const std::string old = dir / "Brannoc.ini";
    TTempDir::Put(old, "[Windows]\r\n");
    const std::string big(4096, 'x');
    {
        testsupport::TFileSizeLimit full(64);
        ASSERT_TRUE(full.Active);
        for (auto access :
             {win::TFileAccess::Keep, win::TFileAccess::KeepOrPrivate, win::TFileAccess::Private}) {
            EXPECT_THROW(win::WriteFileAtomic(dir / "Keys.ini", big, {access}), win::EFileError);
            EXPECT_THROW(win::WriteFileAtomic(old, big, {access}), win::EFileError);
        }
        EXPECT_THROW(win::WriteTempFileAtomic(dir / "KVpass", big), win::EFileError);
    }
    EXPECT_EQ(FolderNames(dir.Path), Names{"Brannoc.ini"});
    EXPECT_EQ(TTempDir::Get(old), "[Windows]\r\n");
}

TEST(Files, CopiesOfKilledWritesGoWithTheNextWriteAndOnlyThose) {
    TTempDir dir;
    const std::string path = dir / "Brannoc.ini";
    TTempDir::Put(path, "old");
    // A save killed half-way: the file size limit ends the writer as it
    // writes (SIGXFSZ), after its copy was created and partly filled.
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::signal(SIGXFSZ, SIG_DFL);
        struct rlimit r {};
        ::getrlimit(RLIMIT_FSIZE, &r);
        r.rlim_cur = 1024;
        ::setrlimit(RLIMIT_FSIZE, &r);
        try {
            win::WriteFileAtomic(path, std::string(1 << 20, 'x'));
        } catch (...) {
        }
        ::_exit(0);
    }
    int st = 0;
    ASSERT_EQ(::waitpid(pid, &st, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(st) && WTERMSIG(st) == SIGXFSZ);
    Names left = FolderNames(dir.Path);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].rfind(".Brannoc.ini.tmp", 0), 0u);
    EXPECT_EQ(TTempDir::Get(path), "old");

    // What must stay: a copy a running write holds, another user's, a link
    // named like a copy, copies of another file, names not of the pattern.
    const std::string held = dir / ".Brannoc.ini.tmp1", link = dir / ".Brannoc.ini.tmp3";
    TTempDir::Put(held, "");
    int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    TTempDir::Put(dir / "victim", "v");
    ASSERT_EQ(::symlink((dir / "victim").c_str(), link.c_str()), 0);
    Names kept = {".Brannoc.ini.tmp1",           ".Brannoc.ini.tmp3", ".Brannoc.ini.tmpx",
                  ".Brannoc.ini.tmp12345678901", ".Keys.ini.tmp4",    "victim"};
    for (const char* n : {".Brannoc.ini.tmpx", ".Brannoc.ini.tmp12345678901", ".Keys.ini.tmp4"})
        TTempDir::Put(dir / n, "");
    if (::geteuid() == 0) {
        TTempDir::Put(dir / ".Brannoc.ini.tmp2", "");
        ASSERT_EQ(::chown((dir / ".Brannoc.ini.tmp2").c_str(), testsupport::kOtherUser,
                          testsupport::kOtherGroup),
                  0);
        kept.push_back(".Brannoc.ini.tmp2");
    }
    kept.push_back("Brannoc.ini");
    std::sort(kept.begin(), kept.end());

    win::WriteFileAtomic(path, "new");
    EXPECT_EQ(TTempDir::Get(path), "new");
    EXPECT_EQ(FolderNames(dir.Path), kept);
    EXPECT_EQ(TTempDir::Get(dir / "victim"), "v");

    // Once its write is gone, the held copy is a leftover too.
    ::close(holder);
    win::RemoveStaleTemporaries(path);
    std::erase(kept, ".Brannoc.ini.tmp1");
    EXPECT_EQ(FolderNames(dir.Path), kept);
}

} // namespace
