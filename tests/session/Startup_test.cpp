// The terminal program as real processes: a second start hands its command
// line to the running one and ends, while no arguments or a script give a
// second full instance. Every program runs from its own copy in a sandbox
// home (Brannoc.ini lands beside it); the history names a loopback address
// only, so no start ever reaches for a host outside the machine.
#include "session/kvMainForm.h"

#include "../support/ChildProcess.h"
#include "../support/PeerProcess.h"
#include "../support/SandboxHome.h"
#include "../support/ScratchFolder.h"
#include "../support/ScriptedServer.h"

#include "platform/core/Big5.h"
#include "platform/core/Folders.h"
#include "platform/core/IniFile.h"
#include "platform/core/WindowChannel.h"
#include "session/core/CommandLine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::TScratchFolder;

// One home for the whole test program: the window channel of this process
// (which looks the programs up) is set up once, in the first home it sees.
testpeer::TSandboxHome& Home() {
    static testpeer::TSandboxHome home;
    return home;
}

constexpr int kWaitMs = 20000;

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(Home().Root().empty());
        if (!std::filesystem::exists(testpeer::BuiltProgram("BrannocPro")))
            GTEST_SKIP() << "the program is not built";
        // Whatever an earlier test left running is gone by now.
        ASSERT_EQ(win::FindWindow(MainFormClassName), 0u);
    }

    // A copy of the program in a folder of its own, with the offer answered,
    // a loopback history and the port box at 4000.
    std::string ProgramCopy(const std::string& name) {
        std::string folder = Home().Root() + "/" + name + "-" + std::to_string(++Copies) + "/";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(testpeer::BuiltProgram("BrannocPro"), folder + "BrannocPro");
        TScratchFolder::Write(folder + "Brannoc.ini",
                              "[Windows]\r\nAsk=1\r\nPort=4000\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
        return folder;
    }
    static std::unique_ptr<TPeerProcess> Run(const std::string& folder,
                                             std::vector<std::string> args = {}) {
        args.insert(args.begin(), folder + "BrannocPro");
        return std::make_unique<TPeerProcess>(args, std::vector<std::string>{}, false);
    }
    // The running instance's window, once it can be found.
    static win::HWND WaitForWindow() {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (std::chrono::steady_clock::now() < end) {
            if (win::HWND w = win::FindWindow(MainFormClassName)) return w;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return 0;
    }
    // Ends a full instance as the desktop does; its settings are saved.
    static int Close(TPeerProcess& p) {
        p.Signal(SIGTERM);
        return p.Wait(kWaitMs);
    }
    // Waits until the server accepted a connection.
    static bool Connected(const bptest::TScriptedServer& server) {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMs);
        while (std::chrono::steady_clock::now() < end) {
            if (server.Accepted() > 0) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }
    static std::string Setting(const std::string& folder, const std::string& section,
                               const std::string& key) {
        std::string v;
        if (!win::TIniText(TScratchFolder::Read(folder + "Brannoc.ini")).Find(section, key, &v))
            return "<missing>";
        return v;
    }
    static THandover HandoverFile(bool* hasHost = nullptr) {
        return ReadHandoverFile(TScratchFolder::Read(win::GetTempFolder() + "KVpass"), hasHost);
    }

    static inline int Copies = 0;
};

TEST_F(Startup, ASecondStartHandsItsLinkOverAndEnds) {
    std::string folder = ProgramCopy("first");
    auto first = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);

    const std::string alias = win::Utf8ToBig5("測試站");
    auto second = Run(folder, {"telnet://" + alias + ";127.0.0.1:2323/"});
    EXPECT_EQ(second->Wait(kWaitMs), 0);
    // The file holds the request; the running instance took it.
    bool hasHost = false;
    THandover h = HandoverFile(&hasHost);
    EXPECT_TRUE(hasHost);
    EXPECT_EQ(h.Alias, alias);
    EXPECT_EQ(h.Host, "127.0.0.1");
    EXPECT_EQ(h.Port, "2323");
    EXPECT_EQ(h.Ticket, "");

    // Three arguments travel unchanged.
    auto third = Run(folder, {alias, "127.0.0.1", "2424"});
    EXPECT_EQ(third->Wait(kWaitMs), 0);
    h = HandoverFile();
    EXPECT_EQ(h.Alias, alias);
    EXPECT_EQ(h.Host, "127.0.0.1");
    EXPECT_EQ(h.Port, "2424");

    // The running instance put the request into its port box.
    EXPECT_EQ(Close(*first), 0);
    EXPECT_EQ(Setting(folder, "Windows", "Port"), "2424");
}

// A link planted as KVpass in the temp folder (before the folder was made
// private) is replaced by the hand-over file; the file it points to, which
// the user may well care about, stays as it was.
TEST_F(Startup, AHandoverReplacesALinkPlantedAsItsFileAndNeverWritesThroughIt) {
    std::string folder = ProgramCopy("first");
    const std::string victim = folder + "notes.txt", pass = win::GetTempFolder() + "KVpass";
    TScratchFolder::Write(victim, "the user's own file\n");
    std::filesystem::remove(pass);
    ASSERT_EQ(::symlink(victim.c_str(), pass.c_str()), 0);
    auto first = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);
    auto second = Run(folder, {"telnet://127.0.0.1:2323/"});
    EXPECT_EQ(second->Wait(kWaitMs), 0);
    EXPECT_EQ(TScratchFolder::Read(victim), "the user's own file\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(pass)));
    bool hasHost = false;
    THandover h = HandoverFile(&hasHost);
    EXPECT_TRUE(hasHost);
    EXPECT_EQ(h.Host, "127.0.0.1");
    EXPECT_EQ(h.Port, "2323");
    EXPECT_EQ(Close(*first), 0);
    EXPECT_EQ(Setting(folder, "Windows", "Port"), "2323");
}

TEST_F(Startup, EachHandedOverLinkConnectsToItsOwnHost) {
    auto idle = [](int, int) {};
    bptest::TScriptedServer a(idle), b(idle), c(idle);
    std::string folder = ProgramCopy("first");
    // The first start's own link connects at its first show. Two second
    // starts come at once while the first is still being built (its window
    // can be found before it shows): it takes requests only after its first
    // show, and neither request may be lost or taken twice meanwhile.
    auto first = Run(folder, {"telnet://127.0.0.1:" + a.PortStr()});
    ASSERT_NE(WaitForWindow(), 0u);
    auto second = Run(folder, {"telnet://127.0.0.1:" + b.PortStr()});
    auto third = Run(folder, {"site", "127.0.0.1", c.PortStr()});
    EXPECT_EQ(second->Wait(kWaitMs), 0);
    EXPECT_EQ(third->Wait(kWaitMs), 0);
    EXPECT_TRUE(Connected(a));
    EXPECT_TRUE(Connected(b));
    EXPECT_TRUE(Connected(c));
    EXPECT_EQ(Close(*first), 0);
}

TEST_F(Startup, HandoversCloseTogetherEachEndAndNoneIsLeft) {
    std::string folder = ProgramCopy("first");
    auto first = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);
    std::vector<std::unique_ptr<TPeerProcess>> starts;
    for (int port : {3001, 3002, 3003, 3004})
        starts.push_back(Run(folder, {"telnet://127.0.0.1:" + std::to_string(port)}));
    for (auto& s : starts)
        EXPECT_EQ(s->Wait(kWaitMs), 0);
    // Every request was read (the last reader took the last ticket).
    EXPECT_EQ(HandoverFile().Ticket, "");
    EXPECT_EQ(Close(*first), 0);
    std::string port = Setting(folder, "Windows", "Port");
    EXPECT_TRUE(port == "3001" || port == "3002" || port == "3003" || port == "3004") << port;
}

TEST_F(Startup, AnEmptyHostOnlyBringsTheWindowForward) {
    std::string folder = ProgramCopy("first");
    auto first = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);
    for (const char* arg : {"telnet://", "telnet:;;;", "TELNET:/"}) {
        auto second = Run(folder, {arg});
        EXPECT_EQ(second->Wait(kWaitMs), 0) << arg;
        bool hasHost = true;
        HandoverFile(&hasHost);
        EXPECT_FALSE(hasHost) << arg;
    }
    EXPECT_EQ(Close(*first), 0);
    // Nothing reached the boxes: the port is still the saved one.
    EXPECT_EQ(Setting(folder, "Windows", "Port"), "4000");
}

TEST_F(Startup, NoArgumentsOrAScriptStartASecondFullInstance) {
    for (std::vector<std::string> args :
         {std::vector<std::string>{}, std::vector<std::string>{"Script://nowhere.bks"}}) {
        std::string folder = ProgramCopy("first");
        auto first = Run(folder);
        ASSERT_NE(WaitForWindow(), 0u);
        std::string own = ProgramCopy("second");
        TScratchFolder::Write(own + "Brannoc.ini",
                              "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
        auto second = Run(own, args);
        // With the first gone, the window still found is the second's: a
        // hand-over would have ended without one.
        EXPECT_EQ(Close(*first), 0);
        EXPECT_NE(WaitForWindow(), 0u);
        EXPECT_EQ(Close(*second), 0);
        // It saved its own settings beside its own copy.
        EXPECT_NE(Setting(own, "ToolBar", "Line.Dock"), "<missing>");
        EXPECT_EQ(win::FindWindow(MainFormClassName), 0u);
    }
}

TEST_F(Startup, AfterTheFirstIsKilledTheNextStartIsAFullOne) {
    std::string folder = ProgramCopy("first");
    auto first = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);
    first->Kill();
    // Its socket is still there; the next start finds nobody behind it and
    // opens the link itself (closed once it has, so the link was taken in).
    bptest::TScriptedServer peer([](int fd, int) { bptest::ReadToEnd(fd, 20000); });
    auto next = Run(folder, {"telnet://127.0.0.1:" + peer.PortStr()});
    ASSERT_NE(WaitForWindow(), 0u);
    EXPECT_TRUE(Connected(peer));
    EXPECT_EQ(Close(*next), 0);
    EXPECT_EQ(Setting(folder, "Windows", "Port"), peer.PortStr());
}

TEST_F(Startup, BigSettingsFilesStartAndASignalDuringTheStartEndsItCleanly) {
    // A 10,000-site address book whose sites name 10,000 key maps, in a
    // key-map file of 50 MB: read once each, not once per key.
    std::string folder = ProgramCopy("big");
    std::string book, keys;
    for (int i = 0; i < 10000; ++i)
        book += "[site" + std::to_string(i) + "]\r\nHostname=127.0.0.1\r\nKeyType=map" +
                std::to_string(i) + "\r\n";
    for (int i = 0; keys.size() < (50u << 20); ++i)
        keys += "[map" + std::to_string(i) +
                "]\r\n072-0001(Up)=^[[A\r\n080-0001(Down)=^[[B\r\n075-0001(Left)=^[[D\r\n"
                "077-0001(Right)=^[[C\r\n073-0001(PgUp)=^[[5~\r\n";
    TScratchFolder::Write(folder + "Directory.ini", book);
    TScratchFolder::Write(folder + "Keys.ini", keys);
    auto p = Run(folder);
    ASSERT_NE(WaitForWindow(), 0u);
    // The window is findable before the files are read: the signal comes
    // in the middle of the start, and ends it (the guard only catches a
    // start that never ends, and is long for the sanitizer build, where
    // reading 50 MB takes a while).
    p->Signal(SIGTERM);
    EXPECT_EQ(p->Wait(120000), 0);
    EXPECT_EQ(Setting(folder, "Hosts", "h0"), "127.0.0.1") << "what was read is saved";
}

TEST_F(Startup, OddCommandLinesStartAndCloseCleanly) {
    const std::vector<std::vector<std::string>> lines = {
        {"telnet:;;;"},
        {"telnet://" + win::Utf8ToBig5("站") + "\xff;127.0.0.1:99999999999999999999"},
        {"127.0.0.1", "", ""},
        {"127.0.0.1", std::string(100000, '9')},
        {"script://"},
        {"TELNET://127.0.0.1/", "//", "", "extra"},
    };
    for (const auto& args : lines) {
        std::string folder = ProgramCopy("odd");
        auto p = Run(folder, args);
        ASSERT_NE(WaitForWindow(), 0u) << args[0].substr(0, 40);
        EXPECT_EQ(Close(*p), 0) << args[0].substr(0, 40);
        // The settings were written in full.
        EXPECT_NE(Setting(folder, "ToolBar", "Line.Dock"), "<missing>");
    }
}

// Runs the program copy in folder with args (words without blanks) and
// the given environment changes; what it printed (both streams) and its
// exit code.
std::string RunToEnd(const std::string& folder, const std::string& args, int* rc,
                     const std::vector<std::string>& env = {}) {
    const std::string out = folder + "printed.txt";
    TPeerProcess p({"/bin/sh", "-c", "\"$0\" " + args + " >\"$1\" 2>&1",
                    folder + "BrannocPro", out},
                   env, false);
    *rc = p.Wait(kWaitMs);
    return TScratchFolder::Read(out);
}

TEST_F(Startup, HelpPrintsTheUsageAndUnknownOptionsAreRefused) {
    std::string folder = ProgramCopy("help");
    int rc = -1;
    std::string out = RunToEnd(folder, "--help", &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("Usage: BrannocPro"), std::string::npos) << out;
    EXPECT_NE(out.find("alias host port"), std::string::npos) << out;

    // Not a host: nothing is looked up and no window opens.
    out = RunToEnd(folder, "--frobnicate", &rc);
    EXPECT_EQ(rc, 2);
    EXPECT_NE(out.find("--frobnicate"), std::string::npos) << out;
    EXPECT_EQ(win::FindWindow(MainFormClassName), 0u);
}

TEST_F(Startup, WithoutAnyDisplayItSaysWhatItNeeds) {
    std::string folder = ProgramCopy("nodisplay");
    int rc = -1;
    std::string out =
        RunToEnd(folder, "", &rc, {"QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find("graphical desktop"), std::string::npos) << out;
    // The hint's command starts this very copy, which is on no PATH.
    EXPECT_NE(out.find("xvfb-run -a " + folder + "BrannocPro\n"), std::string::npos) << out;
    // A display that is named but does not answer is no desktop either.
    out = RunToEnd(folder, "", &rc, {"QT_QPA_PLATFORM=", "DISPLAY=:9876", "WAYLAND_DISPLAY="});
    EXPECT_EQ(rc, 1) << out;
    EXPECT_NE(out.find(":9876"), std::string::npos) << out;
}

} // namespace
