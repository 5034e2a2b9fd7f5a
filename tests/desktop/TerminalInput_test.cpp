// The terminal program on a real desktop, typed into with real keys: what a
// person types in the focused session reaches that session's peer.
#include "../support/Desktop.h"

#include <gtest/gtest.h>

namespace {

using desk::TDesktopTest;
using desk::TRecordingPeer;

class TerminalInput : public TDesktopTest {
protected:
    // A settings file beside the program: the link question answered and a
    // loopback history, so nothing reaches for a host outside the machine.
    void Settings(int port) {
        Box.CopyProgram("BrannocPro");
        Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\nPort=" + std::to_string(port) +
                                         "\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    }
};

TEST_F(TerminalInput, TypedKeysReachThePeerOfTheFocusedSession) {
    TRecordingPeer peer;
    Settings(peer.Port());
    auto& program = StartProgram("BrannocPro", {"127.0.0.1", peer.PortStr()});
    ASSERT_TRUE(peer.WaitAccepted()) << "the session did not connect";
    std::string main = Display->WaitWindow(program.Pid, "Brannoc");
    ASSERT_FALSE(main.empty()) << "no main window";
    Display->Activate(main);
    ASSERT_TRUE(desk::WaitFor([&] { return Display->ActiveWindow() == main; }));
    Display->Type("hello");
    Display->Key("Return");
    EXPECT_TRUE(peer.WaitReceived("hello\r")) << "peer got: " << peer.Received();
}

} // namespace
