// The two programs on a real desktop: the terminal's 站台列表 command starts
// the site list from the terminal's own folder, both programs' windows
// carry their icon, and the site list's window keeps its place with the
// title bar on the screen.
#include "../support/Desktop.h"

#include <gtest/gtest.h>

namespace {

using desk::TDesktopTest;

class SiteListStart : public TDesktopTest {
protected:
    // Both programs side by side, the link question answered.
    void Install() {
        ASSERT_FALSE(Box.CopyProgram("BrannocPro").empty());
        ASSERT_FALSE(Box.CopyProgram("Quillon").empty());
        Box.Write("bin/Brannoc.ini", "[Windows]\r\nAsk=1\r\n[Hosts]\r\nh0=127.0.0.1\r\n");
    }
    bool HasIcon(const std::string& id) const {
        return Display->Run("xprop -id " + id + " _NET_WM_ICON").find("Icon (") !=
               std::string::npos;
    }
};

TEST_F(SiteListStart, TheSiteListCommandStartsTheSiteListAndBothShowTheirIcon) {
    Install();
    auto& terminal = StartProgram("BrannocPro");
    const std::string main = Display->WaitWindow(terminal.Pid, "Brannoc");
    ASSERT_FALSE(main.empty()) << "no main window";
    Display->SettledFrame(main);
    Display->Activate(main);
    EXPECT_TRUE(HasIcon(main));

    // 檔案(F) on the menu bar, then its item 站台列表...(B) by its letter.
    const desk::TRect client = Display->Client(main);
    Display->Click(client.X + 20, client.Y + 9);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Display->Key("b");
    std::string list;
    ASSERT_TRUE(desk::WaitFor(
        [&] {
            std::string out = Display->Run("xdotool search --onlyvisible --name '^站台列表' "
                                           "2>/dev/null");
            if (out.empty()) return false;
            list = out.substr(0, out.find('\n'));
            return true;
        },
        20000, 100))
        << "no site-list window";
    EXPECT_TRUE(HasIcon(list));
    // The site list is its own process, started from the terminal's folder.
    const std::string pid = Display->Run("xdotool getwindowpid " + list);
    EXPECT_NE(std::atoi(pid.c_str()), terminal.Pid);
    EXPECT_NE(Display->Run("readlink /proc/" + std::to_string(std::atoi(pid.c_str())) + "/exe")
                  .find(Box.Bin() + "Quillon"),
              std::string::npos);
}

// Quillon.ini keeps the whole window's place, title bar and borders
// included: a first start fills the screen with the title bar on it (not
// above the screen's top), and a kept place comes back as it was and is
// written back unchanged.
TEST_F(SiteListStart, TheSiteListWindowKeepsItsWholeFrameOnTheScreen) {
    ASSERT_FALSE(Box.CopyProgram("Quillon").empty());
    auto& first = StartProgram("Quillon");
    std::string list = Display->WaitWindow(first.Pid, "^站台列表");
    ASSERT_FALSE(list.empty()) << "no site-list window";
    const desk::TRect screen{0, 0, 1280, 1024};
    desk::TRect frame = Display->SettledFrame(list);
    EXPECT_TRUE(frame.Inside(screen)) << "frame " << frame.X << "," << frame.Y << " " << frame.W
                                      << "x" << frame.H;
    EXPECT_EQ(frame, screen);
    Display->Run("wmctrl -i -c " + list);
    ASSERT_EQ(first.Wait(20000), 0);

    Box.Write("bin/Quillon.ini",
              "[Windows]\r\nLeft=100\r\nTop=80\r\nWidth=700\r\nHeight=500\r\n");
    auto& again = StartProgram("Quillon");
    list = Display->WaitWindow(again.Pid, "^站台列表");
    ASSERT_FALSE(list.empty()) << "no site-list window";
    frame = Display->SettledFrame(list);
    EXPECT_EQ(frame, (desk::TRect{100, 80, 700, 500}))
        << "frame " << frame.X << "," << frame.Y << " " << frame.W << "x" << frame.H;
    Display->Run("wmctrl -i -c " + list);
    ASSERT_EQ(again.Wait(20000), 0);
    const std::string ini = Box.Read("bin/Quillon.ini");
    for (const char* kept : {"Left=100\r\n", "Top=80\r\n", "Width=700\r\n", "Height=500\r\n"})
        EXPECT_NE(ini.find(kept), std::string::npos) << kept << " in\n" << ini;
}

} // namespace
