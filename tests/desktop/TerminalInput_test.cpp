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
        Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\n" + ExtraWindows + "Port=" +
                                         std::to_string(port) + "\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    }
    std::string ExtraWindows; // more [Windows] lines, each with its CR LF

    // Starts the program on a session to `peer` and makes its window the
    // active one; the main window's id.
    std::string StartOn(TRecordingPeer& peer, TPeerProcess** program = nullptr) {
        Settings(peer.Port());
        auto& p = StartProgram("BrannocPro", {"127.0.0.1", peer.PortStr()});
        if (program) *program = &p;
        EXPECT_TRUE(peer.WaitAccepted()) << "the session did not connect";
        std::string main = Display->WaitWindow(p.Pid, "Brannoc");
        EXPECT_FALSE(main.empty()) << "no main window";
        if (main.empty()) return main;
        Display->Activate(main);
        EXPECT_TRUE(desk::WaitFor([&] { return Display->ActiveWindow() == main; }));
        return main;
    }
};

TEST_F(TerminalInput, TypedKeysReachThePeerOfTheFocusedSession) {
    TRecordingPeer peer;
    ASSERT_FALSE(StartOn(peer).empty());
    Display->Type("hello");
    Display->Key("Return");
    EXPECT_TRUE(peer.WaitReceived("hello\r")) << "peer got: " << peer.Received();
}

// Ctrl with the semicolon, comma and period keys types full-width Big5
// punctuation while "Punctuation" is on; with it off they type nothing (they
// used to type ".", ";" and ","). Ctrl with a letter types its control byte.
TEST_F(TerminalInput, CtrlTypesFullWidthPunctuationAControlCharacterOrNothing) {
    for (bool punctuation : {true, false}) {
        SCOPED_TRACE(punctuation ? "Punctuation on" : "Punctuation off");
        Programs.clear();
        ExtraWindows = punctuation ? "" : "Punctuation=0\r\n";
        TRecordingPeer peer;
        ASSERT_FALSE(StartOn(peer).empty());
        Display->Type("start");
        Display->Key("Return");
        ASSERT_TRUE(peer.WaitReceived("start\r")) << "peer got: " << peer.Received();
        Display->Key("ctrl+period ctrl+semicolon ctrl+comma ctrl+a");
        Display->Type("end");
        Display->Key("Return");
        ASSERT_TRUE(peer.WaitReceived("end\r")) << "peer got: " << peer.Received();
        const std::string got = peer.Received();
        EXPECT_EQ(got.substr(got.rfind("start\r") + 6),
                  punctuation ? "\xA1\x43\xA1\x46\xA1\x41\x01" "end\r" : "\x01" "end\r");
    }
}

// Alt+F opens the 檔案 menu from the keyboard, as Alt alone then Down does.
TEST_F(TerminalInput, AltLetterWithoutACommandOpensItsMenu) {
    TRecordingPeer peer;
    TPeerProcess* program = nullptr;
    const std::string main = StartOn(peer, &program);
    ASSERT_FALSE(main.empty());
    const std::size_t before = Display->Windows(program->Pid).size();
    Display->Key("alt+f");
    EXPECT_TRUE(desk::WaitFor([&] { return Display->Windows(program->Pid).size() > before; }, 5000))
        << "no menu opened";
    Display->Key("Escape");
}

} // namespace
