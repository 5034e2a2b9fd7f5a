// Docked toolbars dragged by their handles with the real pointer: onto the
// other dock, into another row, along their own row; the place they end in
// is what the settings file keeps and the next start shows.
#include "ToolbarDesktop.h"

namespace {

using tbdesk::TRun;

class ToolbarDocking : public tbdesk::TToolbarDesktop {
protected:
    // Drags a handle (its middle) so the pointer ends at (x, y).
    void DragHandle(const desk::TRect& client, const TRun& handle, int x, int y) {
        Display->Drag(client.X + 6, handle.Middle(), x, y, 16);
    }
};

// The terminal's designed places: Connection over Shortcut on the top dock,
// Line alone on the bottom one. The Connection bar dragged into a new first
// row of the bottom dock docks there and starts there next time.
TEST_F(ToolbarDocking, TerminalToolbarDraggedOntoTheOtherDockStaysThere) {
    TerminalSettings("");
    auto& program = StartProgram("BrannocPro");
    std::string main = MainWindow(program.Pid, "Brannoc Pro");
    ASSERT_FALSE(main.empty()) << "no main window";
    const desk::TRect client = Display->Client(main);
    std::vector<TRun> handles;
    ASSERT_TRUE(WaitHandles(client, 2, 1, &handles))
        << "expected the designed rows: two handles above, one below";
    const TRun connection = handles[0], line = handles[2];

    // Into the band at the top edge of the bottom dock: a new row before Line's.
    DragHandle(client, connection, client.X + 6, line.First - 2);
    // The Function bar may slide to the left edge of the row it now has
    // to itself, so only the bottom dock's count is sure.
    ASSERT_TRUE(WaitHandles(client, -1, 2)) << "the bar did not dock on the bottom dock";
    EXPECT_EQ(Others(program.Pid, main).size(), 0u) << "the dragged bar floats";
    CloseAndWait(program, main);
    std::string ini = Box.Read("bin/Brannoc.ini");
    EXPECT_EQ(Value(ini, "Connection.Dock"), "2");
    EXPECT_EQ(Value(ini, "Connection.DockRow"), "0");
    EXPECT_EQ(Value(ini, "Line.DockRow"), "1");

    auto& again = StartProgram("BrannocPro");
    main = MainWindow(again.Pid, "Brannoc Pro");
    ASSERT_FALSE(main.empty());
    EXPECT_TRUE(WaitHandles(Display->Client(main), -1, 2)) << "the new place was not restored";
    CloseAndWait(again, main);
    EXPECT_EQ(Value(Box.Read("bin/Brannoc.ini"), "Connection.Dock"), "2");
}

// The Line bar cannot float but changes docks: up into a new first row of
// the top dock, and along its row there.
TEST_F(ToolbarDocking, TerminalLineBarMovesBetweenTheDocks) {
    TerminalSettings("");
    auto& program = StartProgram("BrannocPro");
    const std::string main = MainWindow(program.Pid, "Brannoc Pro");
    ASSERT_FALSE(main.empty()) << "no main window";
    const desk::TRect client = Display->Client(main);
    std::vector<TRun> handles;
    ASSERT_TRUE(WaitHandles(client, 2, 1, &handles));
    const TRun top = handles[0], line = handles[2];

    DragHandle(client, line, client.X + 6, top.First - 2);
    ASSERT_TRUE(WaitHandles(client, 3, 0, &handles)) << "the Line bar did not move to the top dock";
    // Along its new row, by 150 pixels: it is no longer at the left edge.
    DragHandle(client, handles[0], client.X + 156, handles[0].Middle());
    ASSERT_TRUE(WaitHandles(client, 2, 0)) << "the Line bar did not move along its row";
    EXPECT_EQ(Others(program.Pid, main).size(), 0u);
    CloseAndWait(program, main);
    const std::string ini = Box.Read("bin/Brannoc.ini");
    EXPECT_EQ(Value(ini, "Line.Dock"), "1");
    EXPECT_EQ(Value(ini, "Line.DockRow"), "0");
    EXPECT_GE(std::atoi(Value(ini, "Line.DockPos").c_str()), 100);
}

// The site list's one dock: its toolbar dragged along the dock keeps the
// new position, in Quillon.ini and on the next start.
TEST_F(ToolbarDocking, SiteListToolbarDraggedAlongItsDockKeepsItsPosition) {
    SiteListSettings("");
    auto& program = StartProgram("Quillon");
    std::string main = MainWindow(program.Pid, "站台列表");
    ASSERT_FALSE(main.empty()) << "no site-list window";
    const desk::TRect client = Display->Client(main);
    std::vector<TRun> handles;
    ASSERT_TRUE(WaitHandles(client, 1, 0, &handles)) << "no docked toolbar at the left edge";

    DragHandle(client, handles[0], client.X + 206, handles[0].Middle());
    ASSERT_TRUE(WaitHandles(client, 0, 0)) << "the toolbar did not move along its dock";
    EXPECT_EQ(Others(program.Pid, main).size(), 0u) << "the dragged toolbar floats";
    CloseAndWait(program, main);
    std::string ini = Box.Read("bin/Quillon.ini");
    EXPECT_EQ(Value(ini, "Dock"), "1");
    const int pos = std::atoi(Value(ini, "DockPos").c_str());
    EXPECT_GE(pos, 150);

    auto& again = StartProgram("Quillon");
    main = MainWindow(again.Pid, "站台列表");
    ASSERT_FALSE(main.empty());
    const desk::TRect now = Display->Client(main);
    EXPECT_TRUE(desk::WaitFor(
        [&] {
            return tbdesk::HandlesAt(Display->Screenshot(), now.X + pos, now.Y, now.Bottom())
                       .size() == 1;
        },
        10000, 100))
        << "the toolbar does not start at its saved position " << pos;
    CloseAndWait(again, main);
    EXPECT_EQ(Value(Box.Read("bin/Quillon.ini"), "DockPos"), std::to_string(pos));
}

} // namespace
