// The terminal's main window on a real desktop under a window manager:
// where it is placed and how big it is are its frame's, as the user sees
// them, and the place the user left is the place the next start shows.
#include "../support/Desktop.h"

#include "../support/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <regex>
#include <thread>

namespace {

using desk::TDesktopTest;
using desk::TRect;

class TerminalWindow : public TDesktopTest {
protected:
    void SetUp() override {
        TDesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        Box.CopyProgram("BrannocPro");
    }
    // Starts the program (with no site to connect unless args name one),
    // waits for its window.
    std::string Start(TPeerProcess*& program, std::vector<std::string> args = {}) {
        program = &StartProgram("BrannocPro", std::move(args));
        return Display->WaitWindow(program->Pid, "Brannoc");
    }
    // Starts the program with its window saved at (300, 200), 900 x 700.
    std::string StartPlaced(TPeerProcess*& program) {
        Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\nTop=200\r\nLeft=300\r\nWidth=900\r\n"
                                     "Height=700\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
        return Start(program);
    }
    // Starts the program with a session on the peer (the find and trace
    // commands need one); its window once the session is connected.
    std::string StartConnected(TPeerProcess*& program, const desk::TRecordingPeer& peer) {
        Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
        std::string w = Start(program, {"127.0.0.1", peer.PortStr()});
        return !w.empty() && peer.WaitAccepted() ? w : std::string();
    }
    // Picks a menu item as the user does: a click on the menu bar's first
    // menu (檔案), Right to the wanted one (menu 0 is 檔案), then the items'
    // keys. Each step waits for the menu it opens, which takes the keys
    // once it is up.
    void Menu(const std::string& window, int menu, const std::string& keys) {
        OpenMenu(window, menu);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Display->Key(keys, 300);
    }
    // Opens menu number menu of the window's menu bar as Menu does; the
    // open menu's window ("" when none opened).
    std::string OpenMenu(const std::string& window, int menu) {
        Display->SettledFrame(window);
        Display->Activate(window);
        desk::WaitFor([&] { return Display->ActiveWindow() == window; }, 5000);
        const TRect c = Display->Client(window);
        const pid_t pid = Pid(window);
        // The start's desktop shot hides and shows the window once.
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        const std::vector<std::string> before = Display->Windows(pid);
        auto popup = [&] {
            for (const std::string& id : Display->Windows(pid))
                if (std::find(before.begin(), before.end(), id) == before.end()) return id;
            return std::string();
        };
        Display->Click(c.X + 15, c.Y + 10);
        std::string open;
        desk::WaitFor([&] { return !(open = popup()).empty(); }, 5000);
        for (int moved = 0, tries = 0; moved < menu && tries < 4 * menu; ++tries) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            Display->Key("Right");
            // The first Right may only pick the open menu's first item.
            std::string now;
            if (desk::WaitFor([&] { return (now = popup()) != open && !now.empty(); }, 700))
                open = now, ++moved;
        }
        return open;
    }
    // 視窗 (menu 3) > 視窗大小 > 640*480 with the mouse: the pointer goes up
    // the menu from its bottom (視窗大小 is near the end) until the size
    // menu opens, then clicks its first item. False when a menu did not open.
    bool Pick640x480(const std::string& window) {
        const std::string open = OpenMenu(window, 3);
        if (open.empty()) return false;
        const pid_t pid = Pid(window);
        const TRect menu = Display->Client(open);
        const std::vector<std::string> before = Display->Windows(pid);
        std::string sizes;
        for (int y = menu.Bottom() - 6; y > menu.Y && sizes.empty(); y -= 8) {
            Display->Run("xdotool mousemove --sync " + std::to_string(menu.X + menu.W / 2) + " " +
                         std::to_string(y));
            desk::WaitFor(
                [&] {
                    for (const std::string& id : Display->Windows(pid))
                        if (std::find(before.begin(), before.end(), id) == before.end()) sizes = id;
                    return !sizes.empty();
                },
                400);
        }
        if (sizes.empty()) return false;
        const TRect items = Display->Client(sizes);
        Display->Click(items.X + items.W / 2, items.Y + 10);
        return true;
    }
    bool Maximised(const std::string& window) {
        return Display->WmState(window).find("_NET_WM_STATE_MAXIMIZED_HORZ") != std::string::npos;
    }
    // What the user sees of a small window that belongs in the screen's
    // bottom-right corner: its whole frame on the screen with the frame's
    // corner on the screen's, and all of its client, down to the bottom row
    // where the dialogs keep their boxes and buttons, on the screen.
    void ExpectWholeInTheScreensCorner(const std::string& id) {
        const TRect frame = Display->SettledFrame(id), client = Display->Client(id);
        EXPECT_TRUE(frame.Inside(Display->Screen())) << "frame " << frame;
        EXPECT_EQ(frame.Right(), Display->Width()) << "frame " << frame;
        EXPECT_EQ(frame.Bottom(), Display->Height()) << "frame " << frame;
        EXPECT_TRUE(client.Inside(Display->Screen()))
            << "client " << client << ": its bottom row is off the screen";
        EXPECT_TRUE(client.Inside(frame)) << "client " << client << " frame " << frame;
    }
    pid_t Pid(const std::string& window) {
        return pid_t(std::atoi(Display->Run("xdotool getwindowpid " + window).c_str()));
    }
    // Closes the window as the user does (the window manager's Alt+F4).
    void CloseByUser(TPeerProcess& program, const std::string& window) {
        Display->Activate(window);
        Display->Key("alt+F4");
        EXPECT_EQ(program.Wait(15000), 0) << "the program did not end on Alt+F4";
    }
    int IniValue(const std::string& key) {
        std::smatch m;
        const std::string ini = Box.Read("bin/Brannoc.ini");
        std::regex re("\r\n" + key + "=(-?[0-9]+)\r\n");
        return std::regex_search(ini, m, re) ? std::stoi(m[1]) : -99999;
    }
};

TEST_F(TerminalWindow, FrameStaysWhereItWasAcrossRestarts) {
    Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\nTop=100\r\nLeft=100\r\nWidth=900\r\n"
                                 "Height=700\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    const TRect expected{100, 100, 900, 700};
    for (int round = 0; round < 10; ++round) {
        TPeerProcess* program = nullptr;
        std::string w = Start(program);
        ASSERT_FALSE(w.empty()) << "round " << round << ": no window";
        EXPECT_EQ(Display->SettledFrame(w), expected) << "round " << round;
        CloseByUser(*program, w);
        EXPECT_EQ(IniValue("Left"), 100) << "round " << round;
        EXPECT_EQ(IniValue("Top"), 100) << "round " << round;
        EXPECT_EQ(IniValue("Width"), 900) << "round " << round;
        EXPECT_EQ(IniValue("Height"), 700) << "round " << round;
    }
}

// A window manager that does not say beforehand which frame it will give
// a window (or answers too late): the window is placed once more when the
// frame is known, so the saved place is still the frame's.
TEST_F(TerminalWindow, SavedPlaceHoldsWhenTheManagerTellsTheFrameOnlyAfterShowing) {
    // Takes the frame request out of what the manager announces; the
    // manager keeps framing windows as before.
    std::string supported = Display->Run("xprop -root -notype _NET_SUPPORTED");
    const auto eq = supported.find('=');
    ASSERT_NE(eq, std::string::npos) << supported;
    supported = std::regex_replace(supported.substr(eq + 1),
                                   std::regex(R"(\s*_NET_REQUEST_FRAME_EXTENTS,?)"), "");
    supported = std::regex_replace(supported, std::regex(R"(,\s*$|\s+$|^\s+)"), "");
    Display->Run("xprop -root -f _NET_SUPPORTED 32a -set _NET_SUPPORTED '" + supported + "'");
    ASSERT_EQ(Display->Run("xprop -root _NET_SUPPORTED").find("_NET_REQUEST_FRAME_EXTENTS"),
              std::string::npos);

    Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\nTop=100\r\nLeft=100\r\nWidth=900\r\n"
                                 "Height=700\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    TPeerProcess* program = nullptr;
    std::string w = Start(program);
    ASSERT_FALSE(w.empty()) << "no window";
    EXPECT_EQ(Display->SettledFrame(w), (TRect{100, 100, 900, 700}));
    CloseByUser(*program, w);
    EXPECT_EQ(IniValue("Left"), 100);
    EXPECT_EQ(IniValue("Top"), 100);
    EXPECT_EQ(IniValue("Width"), 900);
    EXPECT_EQ(IniValue("Height"), 700);
}

TEST_F(TerminalWindow, FirstStartsWholeWindowLiesOnTheScreen) {
    Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    TPeerProcess* program = nullptr;
    std::string w = Start(program);
    ASSERT_FALSE(w.empty());
    const TRect frame = Display->SettledFrame(w);
    EXPECT_TRUE(frame.Inside(Display->Screen())) << "frame " << frame;
}

// The find window's frame sits in the main window's bottom-right corner,
// which for a first start's window, as large as the screen, is the
// screen's: all of it is on the screen, the case box in its bottom row too
// (it used to hang below the screen by the frame's height).
TEST_F(TerminalWindow, FindWindowLiesOnTheScreenInTheMainWindowsCorner) {
    desk::TRecordingPeer peer;
    TPeerProcess* program = nullptr;
    std::string w = StartConnected(program, peer);
    ASSERT_FALSE(w.empty()) << "no window or no session";
    ASSERT_EQ(Display->SettledFrame(w), Display->Screen());
    Menu(w, 1, "f"); // 編輯 > 尋找...
    std::string find = Display->WaitWindow(program->Pid, "尋找字串");
    ASSERT_FALSE(find.empty()) << "no find window";
    ExpectWholeInTheScreensCorner(find);
}

// The trace window's frame sits in the screen's bottom-right corner, with
// its bottom row (繼續, 繼續*10, 不要暫停) on the screen.
TEST_F(TerminalWindow, TraceWindowSitsInTheScreensCorner) {
    desk::TRecordingPeer peer;
    TPeerProcess* program = nullptr;
    std::string w = StartConnected(program, peer);
    ASSERT_FALSE(w.empty()) << "no window or no session";
    Menu(w, 0, "e"); // 檔案 > 讀入追蹤畫面...
    std::string trace = Display->WaitWindow(program->Pid, "追蹤對話框");
    ASSERT_FALSE(trace.empty()) << "no trace window";
    ExpectWholeInTheScreensCorner(trace);
}

// 視窗大小 > 640*480 makes the whole window that size at the screen's
// origin: its frame, title bar included, starts at (0, 0) and is on screen.
TEST_F(TerminalWindow, AFixedSizePutsTheWholeFrameAtTheScreensOrigin) {
    TPeerProcess* program = nullptr;
    const std::string w = StartPlaced(program);
    ASSERT_FALSE(w.empty()) << "no window";
    ASSERT_EQ(Display->SettledFrame(w), (TRect{300, 200, 900, 700}));
    ASSERT_TRUE(Pick640x480(w)) << "the 視窗 or 視窗大小 menu did not open";
    ASSERT_TRUE(desk::WaitFor([&] { return Display->Frame(w).W == 640; }, 5000))
        << "frame " << Display->Frame(w);
    const TRect frame = Display->SettledFrame(w);
    EXPECT_EQ(frame, (TRect{0, 0, 640, 480})) << "frame " << frame;
    EXPECT_GE(Display->Client(w).Y, 0) << "title bar above the screen";
}

// 視窗大小 on a maximised window gives the window back its normal frame,
// title bar and borders, and makes that whole frame 640 x 480 at the
// screen's origin (the maximised frame, with no borders, used to size it:
// 642 x 486 at (-1, -1)).
TEST_F(TerminalWindow, AFixedSizeOfAMaximisedWindowIsTheNormalFrameAtTheOrigin) {
    TPeerProcess* program = nullptr;
    const std::string w = StartPlaced(program);
    ASSERT_FALSE(w.empty()) << "no window";
    const TRect normal = Display->SettledFrame(w);
    const std::vector<int> normalExtents = Display->FrameExtents(w);
    // A double click on the title bar maximises the window (the window
    // manager's own gesture).
    Display->Activate(w);
    const TRect client = Display->Client(w);
    Display->Run("xdotool mousemove --sync " + std::to_string(client.X + client.W / 2) + " " +
                 std::to_string(normal.Y + normalExtents[2] / 2) + " click --repeat 2 --delay 80 1");
    ASSERT_TRUE(desk::WaitFor([&] { return Maximised(w); }, 5000)) << Display->WmState(w);
    const TRect maximised = Display->SettledFrame(w);
    ASSERT_EQ(maximised.W, Display->Width()) << "frame " << maximised;
    ASSERT_NE(Display->FrameExtents(w), normalExtents) << "a maximised frame without its borders";

    ASSERT_TRUE(Pick640x480(w)) << "the 視窗 or 視窗大小 menu did not open";
    ASSERT_TRUE(desk::WaitFor([&] { return !Maximised(w); }, 5000)) << Display->WmState(w);
    const TRect frame = Display->SettledFrame(w);
    EXPECT_EQ(frame, (TRect{0, 0, 640, 480})) << "frame " << frame;
    EXPECT_EQ(Display->FrameExtents(w), normalExtents) << "not the normal frame";
    EXPECT_GE(Display->Client(w).Y, 0) << "title bar above the screen";
}

} // namespace
