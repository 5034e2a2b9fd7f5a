// A script named on the command line, run by the built program as a real
// process offscreen: each test gives it a home, XDG folders, runtime folder
// and temporary folder of its own, and a copy of the program (its settings
// land beside it). Peers on 127.0.0.1 show a keyword and record what they
// are sent, so a session logs in only when its block reached it; a script
// dialog waiting for OK would leave every peer without a connection.
#include "../support/ChildProcess.h"
#include "../support/PeerProcess.h"
#include "../support/RecordingPeer.h"
#include "../support/SandboxHome.h"
#include "../support/ScratchFolder.h"
#include "../support/ScriptedServer.h"

#include "platform/core/IniFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using bptest::TRecordingPeer;
using testsupport::TScratchFolder;

constexpr int kWaitMs = 20000;

bool WaitUntil(const std::function<bool()>& pred, int timeoutMs = kWaitMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

class ScriptProcess : public ::testing::Test {
protected:
    // The test program's own home; each program it starts gets a home of
    // its own inside a scratch folder.
    static void SetUpTestSuite() { static testpeer::TSandboxHome home; }
    void SetUp() override {
        if (!std::filesystem::exists(testpeer::BuiltProgram("BrannocPro")))
            GTEST_SKIP() << "the program is not built";
        for (const char* sub : {"home", "config", "data", "cache", "runtime", "tmp", "prog"})
            std::filesystem::create_directories(Folder.File(sub));
        std::filesystem::permissions(Folder.File("runtime"), std::filesystem::perms::owner_all);
        std::filesystem::copy_file(testpeer::BuiltProgram("BrannocPro"),
                                   Folder.File("prog/BrannocPro"));
        // The offer to become the link handler is answered; the host history
        // names loopback only.
        TScratchFolder::Write(Folder.File("prog/Brannoc.ini"),
                              "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    }

    std::unique_ptr<TPeerProcess> Start(const std::vector<std::string>& args) {
        std::vector<std::string> argv{Folder.File("prog/BrannocPro")};
        argv.insert(argv.end(), args.begin(), args.end());
        return std::make_unique<TPeerProcess>(
            argv,
            std::vector<std::string>{
                "HOME=" + Folder.File("home"), "XDG_CONFIG_HOME=" + Folder.File("config"),
                "XDG_DATA_HOME=" + Folder.File("data"), "XDG_CACHE_HOME=" + Folder.File("cache"),
                "XDG_RUNTIME_DIR=" + Folder.File("runtime"), "TMPDIR=" + Folder.File("tmp"),
                "QT_QPA_PLATFORM=offscreen"},
            false);
    }
    // Ends the program as the desktop does; its exit code (-1: still running).
    static int Close(TPeerProcess& p) {
        p.Signal(SIGTERM);
        return p.Wait(kWaitMs);
    }
    std::string Setting(const std::string& section, const std::string& key) {
        std::string v;
        if (!win::TIniText(TScratchFolder::Read(Folder.File("prog/Brannoc.ini")))
                 .Find(section, key, &v))
            return "<missing>";
        return v;
    }
    // The peers outlive the program.
    // Shows "hello <keyword>" and keeps what each connection sends.
    TRecordingPeer& Peer(const std::string& keyWord) {
        Peers.push_back(std::make_unique<TRecordingPeer>("hello " + keyWord + "\r\n"));
        return *Peers.back();
    }

    std::vector<std::unique_ptr<TRecordingPeer>> Peers;
    TScratchFolder Folder;
};

TEST_F(ScriptProcess, CommandLineScriptLogsEverySessionInWithoutTheDialog) {
    TRecordingPeer &a = Peer("kwA"), &b = Peer("kwB"), &c = Peer("kwC");
    const int refused = bptest::UnusedPort();
    // A folder name with a blank and non-ASCII characters: the argument
    // reaches the file as one name.
    std::filesystem::create_directories(Folder.File("my scripts \xE8\x85\xB3\xE6\x9C\xAC"));
    const std::string file = Folder.File("my scripts \xE8\x85\xB3\xE6\x9C\xAC/three.txt");
    TScratchFolder::Write(file, "`three sites and one that refuses\r\n"
                                "#alpha 127.0.0.1 " +
                                    a.PortStr() +
                                    " kwA\r\nuserA\r\n%POSITION 10 20\r\npw A\r\n"
                                    "#dead 127.0.0.1 " +
                                    std::to_string(refused) +
                                    " never\r\nlost\r\n"
                                    "#beta 127.0.0.1 " +
                                    b.PortStr() +
                                    " kwB\r\n%position 30 40\r\nuserB\r\n"
                                    "#gamma 127.0.0.1 " +
                                    c.PortStr() + " kwC\nuserC");
    auto p = Start({"SCRIPT://" + file});
    ASSERT_TRUE(p->Started());
    ASSERT_TRUE(WaitUntil([&] { return a.Has("userA\rpw A") && b.Has("userB") && c.Has("userC"); }))
        << "a: " << a.ReceivedAll() << "\nb: " << b.ReceivedAll() << "\nc: " << c.ReceivedAll();
    // One session per block, each with its own login and no other's.
    EXPECT_EQ(a.Accepted(), 1);
    EXPECT_EQ(b.Accepted(), 1);
    EXPECT_EQ(c.Accepted(), 1);
    for (TRecordingPeer* peer : {&a, &b, &c}) {
        const std::string got = peer->ReceivedAll();
        int logins = 0;
        for (const char* login : {"userA", "userB", "userC", "lost"})
            logins += got.find(login) != std::string::npos;
        EXPECT_EQ(logins, 1) << "peer on " << peer->PortStr() << ": " << got;
    }

    EXPECT_EQ(Close(*p), 0);
    // Every session's connection ended with the program.
    EXPECT_TRUE(
        WaitUntil([&] { return a.Idle() && b.Idle() && c.Idle(); }));
    // The run went into the history; the settings were written in full.
    EXPECT_EQ(Setting("Script", "s0"), file);
    EXPECT_NE(Setting("ToolBar", "Line.Dock"), "<missing>");
}

TEST_F(ScriptProcess, ScriptNameInTheFileSystemsOwnBytesIsRunAndKept) {
    // A name that is not UTF-8 (Big5 bytes, as older disks hold them).
    TRecordingPeer& a = Peer("kwA");
    const std::string file = Folder.File("\xB8\xD5\xB8\xD5 run.txt");
    TScratchFolder::Write(file, "#alpha 127.0.0.1 " + a.PortStr() + " kwA\r\nbytes login\r\n");
    auto p = Start({"script://" + file});
    ASSERT_TRUE(p->Started());
    EXPECT_TRUE(WaitUntil([&] { return a.Has("bytes login"); })) << a.ReceivedAll();
    EXPECT_EQ(Close(*p), 0);
    EXPECT_EQ(Setting("Script", "s0"), file);
}

TEST_F(ScriptProcess, HostWithANulByteIsNotConnectedAsItsFirstPart) {
    // "127.0.0.1<NUL>x" names no host; cut at the NUL it would be another
    // one, and the block's login would go where the file never said.
    TRecordingPeer &cut = Peer("kw"), &next = Peer("kw");
    const std::string file = Folder.File("nul.txt");
    TScratchFolder::Write(file, std::string("#cut 127.0.0.1\0x ", 18) + cut.PortStr() +
                                    " kw\r\nsecret\r\n#next 127.0.0.1 " + next.PortStr() +
                                    " kw\r\nfine\r\n");
    auto p = Start({"SCRIPT://" + file});
    ASSERT_TRUE(p->Started());
    ASSERT_TRUE(WaitUntil([&] { return next.Has("fine"); })) << next.ReceivedAll();
    // The block before had its look-up and connect long before this one's
    // login went out; a little longer for good measure.
    bptest::SleepMs(300);
    EXPECT_EQ(cut.Accepted(), 0) << cut.ReceivedAll();
    EXPECT_EQ(Close(*p), 0);
}

TEST_F(ScriptProcess, HistoryKeepsEarlierRunsBehindTheCommandLinesFile) {
    TRecordingPeer& a = Peer("kw");
    const std::string file = Folder.File("again.txt");
    TScratchFolder::Write(file, "#one 127.0.0.1 " + a.PortStr() + " kw\r\nfirst\r\n");
    TScratchFolder::Write(Folder.File("prog/Brannoc.ini"),
                          "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n[Script]\r\ns0=" +
                              Folder.File("older.txt") + "\r\ns1=" + file +
                              "\r\ns2=*\r\ns3=" + Folder.File("oldest.txt") + "\r\n");
    auto p = Start({"SCRIPT://" + file});
    ASSERT_TRUE(p->Started());
    EXPECT_TRUE(WaitUntil([&] { return a.Has("first"); })) << a.ReceivedAll();
    EXPECT_EQ(Close(*p), 0);
    // Moved to the front without a copy; the "*" hole is gone.
    EXPECT_EQ(Setting("Script", "s0"), file);
    EXPECT_EQ(Setting("Script", "s1"), Folder.File("older.txt"));
    EXPECT_EQ(Setting("Script", "s2"), Folder.File("oldest.txt"));
    EXPECT_EQ(Setting("Script", "s3"), "<missing>");
}

} // namespace
