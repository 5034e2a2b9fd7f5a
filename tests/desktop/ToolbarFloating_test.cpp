// Floating toolbars on a real desktop: they go and come back with their
// main window, show after the first-start question, and a click on one
// leaves the keyboard with the session unless it lands in a text box.
#include "ToolbarDesktop.h"

namespace {

using desk::TRecordingPeer;

class ToolbarFloating : public tbdesk::TToolbarDesktop {
protected:
    bool Iconic(const std::string& id) const {
        return Display->WmState(id).find("Iconic") != std::string::npos;
    }
    bool NormalState(const std::string& id) const {
        return Display->WmState(id).find("window state: Normal") != std::string::npos;
    }
    // Minimises the main window, asks for it back once, and checks that it
    // comes back with its floating toolbar and stays.
    void MinimiseAndRestore(pid_t pid, const std::string& main, const std::string& request) {
        Display->Run("xdotool windowminimize --sync " + main);
        ASSERT_TRUE(desk::WaitFor([&] { return Iconic(main); })) << "the window did not minimise";
        EXPECT_TRUE(desk::WaitFor([&] { return Others(pid, main).empty(); }))
            << "the floating toolbar stayed on the screen";

        Display->Run(request + " " + main);
        ASSERT_TRUE(desk::WaitFor([&] {
            return NormalState(main) && Others(pid, main).size() == 1;
        })) << "the window and its floating toolbar did not come back";
        // Restored for good: the window manager does not take it away again.
        bool stayed = true;
        desk::WaitFor(
            [&] {
                stayed = stayed && NormalState(main);
                return !stayed;
            },
            1500, 20);
        EXPECT_TRUE(stayed) << "the window was minimised again after its restore";
        EXPECT_EQ(Others(pid, main).size(), 1u);
    }
};

TEST_F(ToolbarFloating, TerminalMinimisedWithAFloatingToolbarIsRestoredByOneRequest) {
    TerminalSettings("[ToolBar]\r\nConnection.Dock=0\r\nConnection.Left=300\r\n"
                     "Connection.Top=400\r\n");
    auto& program = StartProgram("BrannocPro");
    const std::string main = MainWindow(program.Pid, "Brannoc Pro");
    ASSERT_FALSE(main.empty()) << "no main window";
    ASSERT_TRUE(desk::WaitFor([&] { return Others(program.Pid, main).size() == 1; }))
        << "the floating toolbar does not show";
    MinimiseAndRestore(program.Pid, main, "wmctrl -i -a");
    MinimiseAndRestore(program.Pid, main, "xdotool windowactivate");
}

TEST_F(ToolbarFloating, SiteListMinimisedWithAFloatingToolbarIsRestoredByOneRequest) {
    SiteListSettings("Dock=0\r\nLeft=300\r\nTop=400\r\n");
    auto& program = StartProgram("Quillon");
    const std::string main = MainWindow(program.Pid, "站台列表");
    ASSERT_FALSE(main.empty()) << "no site-list window";
    ASSERT_TRUE(desk::WaitFor([&] { return Others(program.Pid, main).size() == 1; }))
        << "the floating toolbar does not show";
    MinimiseAndRestore(program.Pid, main, "wmctrl -i -a");
}

// Without "Ask=1" the terminal first asks whether it should open telnet
// links; answered with a key, the main window comes up with its floating
// toolbar, without the user having to switch away and back.
TEST_F(ToolbarFloating, TerminalFloatingToolbarShowsAfterTheFirstStartQuestion) {
    TerminalSettings("[ToolBar]\r\nConnection.Dock=0\r\nConnection.Left=300\r\n"
                     "Connection.Top=400\r\n",
                     true);
    auto& program = StartProgram("BrannocPro");
    const std::string question = Display->WaitWindow(program.Pid, "^Brannoc$");
    ASSERT_FALSE(question.empty()) << "the first-start question did not show";
    Display->Activate(question);
    Display->Key("Escape");
    const std::string main = MainWindow(program.Pid, "Brannoc Pro");
    ASSERT_FALSE(main.empty()) << "no main window after the question";
    EXPECT_TRUE(desk::WaitFor([&] { return Others(program.Pid, main).size() == 1; }, 5000))
        << "the floating toolbar is missing";
}

// Both toolbars floating, the terminal set to connect to the peer.
class ToolbarFloatingKeys : public ToolbarFloating {
protected:
    void Start(TRecordingPeer& peer, std::vector<std::string> args) {
        TerminalSettings("[ToolBar]\r\nFunction.Dock=0\r\nFunction.Left=100\r\n"
                         "Function.Top=300\r\nConnection.Dock=0\r\nConnection.Left=100\r\n"
                         "Connection.Top=500\r\n",
                         false, peer.Port());
        auto& program = StartProgram("BrannocPro", std::move(args));
        Main = MainWindow(program.Pid, "Brannoc Pro");
        Function = Display->WaitWindow(program.Pid, "^Function$");
        Connection = Display->WaitWindow(program.Pid, "^Connection$");
    }
    std::string Main, Function, Connection;
};

// A click on a floating toolbar's button runs it and leaves the keyboard
// with the current session.
TEST_F(ToolbarFloatingKeys, TerminalKeysAfterAClickOnAFloatingButtonReachTheSession) {
    TRecordingPeer peer;
    Start(peer, {"127.0.0.1", peer.PortStr()});
    ASSERT_TRUE(peer.WaitAccepted()) << "the session did not connect";
    ASSERT_FALSE(Main.empty() || Function.empty()) << "no main window or floating toolbar";
    Display->Activate(Main);
    ASSERT_TRUE(desk::WaitFor([&] { return Display->ActiveWindow() == Main; }));

    // Copy, the first button after the first separator of the Function bar.
    const desk::TRect bar = Display->Client(Function);
    const desk::TShot shot = Display->WindowShot(Function);
    const int row = shot.H * 2 / 3;
    const auto separators = tbdesk::SeparatorsOnRow(shot, row);
    ASSERT_GE(separators.size(), 1u) << "no separators found on the Function toolbar";
    Display->Click(bar.X + separators[0] + 14, bar.Y + row);
    EXPECT_TRUE(desk::WaitFor([&] { return Display->ActiveWindow() == Main; }, 5000))
        << "the floating toolbar kept the activation";
    Display->Type("hello");
    EXPECT_TRUE(peer.WaitReceived("hello")) << "peer got: " << peer.Received();
}

// A click in a floating text box (the host box) keeps the keys there, Enter
// included: the address typed opens the session.
TEST_F(ToolbarFloatingKeys, TerminalFloatingHostBoxKeepsTheKeys) {
    TRecordingPeer peer;
    Start(peer, {});
    ASSERT_FALSE(Main.empty() || Connection.empty()) << "no main window or floating toolbar";
    // The host box: the first long white field of the Connection toolbar.
    const desk::TRect bar = Display->Client(Connection);
    const desk::TShot shot = Display->WindowShot(Connection);
    const int row = shot.H * 2 / 3;
    int field = -1;
    for (int x = 8, run = 0; x < shot.W && field < 0; ++x) {
        run = shot.At(x, row) == 0xffffff ? run + 1 : 0;
        if (run == 40) field = x;
    }
    ASSERT_GE(field, 0) << "no host box found on the Connection toolbar";
    Display->Click(bar.X + field, bar.Y + row);
    ASSERT_TRUE(desk::WaitFor([&] { return Display->ActiveWindow() == Connection; }, 5000))
        << "the host box did not get the keyboard";
    Display->Key("ctrl+a");
    Display->Type("127.0.0.1");
    Display->Key("Return");
    EXPECT_TRUE(peer.WaitAccepted()) << "the address typed did not reach the host box";
}

} // namespace
