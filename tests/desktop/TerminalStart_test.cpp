// The terminal's start as a user meets it: where a first start keeps its
// settings, and what a second start that hands its site over leaves on the
// window.
#include "../support/Desktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/stat.h>

namespace {

using desk::TDesktopTest;
namespace fs = std::filesystem;

class TerminalStart : public TDesktopTest {};

// A copy of the program in a folder of its own that holds no settings keeps
// them in the per-user folder, private, and leaves its own folder alone: a
// build folder removed takes no address book with it.
TEST_F(TerminalStart, AFirstStartKeepsItsSettingsInThePerUserFolderOnly) {
    Box.CopyProgram("BrannocPro");
    auto& program = StartProgram("BrannocPro");
    ASSERT_FALSE(Display->WaitWindow(program.Pid, "Brannoc").empty()) << "no main window";
    program.Signal(SIGTERM);
    ASSERT_EQ(program.Wait(15000), 0) << "SIGTERM did not end it";

    const std::string folder = Box.Path("config/brannocpro");
    EXPECT_TRUE(fs::is_regular_file(folder + "/Brannoc.ini")) << "no settings written";
    struct stat st {};
    ASSERT_EQ(::stat(folder.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    std::vector<std::string> beside;
    for (const auto& e : fs::directory_iterator(Box.Bin())) beside.push_back(e.path().filename());
    EXPECT_EQ(beside, std::vector<std::string>{"BrannocPro"}) << "files beside the program";
}

// A second start hands its site to the running terminal; once the new
// session is up, the main window's caption names its site, not the one of
// the session that was current when the request came.
TEST_F(TerminalStart, ASiteHandedOverIsTitledWithItsOwnName) {
    desk::TRecordingPeer first, second;
    Box.CopyProgram("BrannocPro");
    Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    auto& program = StartProgram("BrannocPro", {"first", "127.0.0.1", first.PortStr()});
    const std::string main = Display->WaitWindow(program.Pid, "Brannoc");
    ASSERT_FALSE(main.empty()) << "no main window";
    ASSERT_TRUE(first.WaitAccepted()) << "the first site was not connected";
    auto endsWith = [&](const std::string& tail) {
        return desk::WaitFor([&] {
            const std::string t = Display->Title(main);
            return t.size() >= tail.size() && t.compare(t.size() - tail.size(), tail.size(), tail) == 0;
        });
    };
    ASSERT_TRUE(endsWith(" - first")) << Display->Title(main);

    auto handOver = Display->Start({Box.Bin() + "BrannocPro", "127.0.0.1", second.PortStr()});
    EXPECT_EQ(handOver->Wait(20000), 0) << "the second start did not end";
    ASSERT_TRUE(second.WaitAccepted()) << "the handed-over site was not connected";
    EXPECT_TRUE(endsWith(" - 127.0.0.1")) << Display->Title(main);
}

} // namespace
