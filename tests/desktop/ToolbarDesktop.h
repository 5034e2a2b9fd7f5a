// What the toolbar tests of the desktop tier share: the two programs started
// with settings beside them, and finding toolbars on the screen the way a
// person does, by their drag handles and separators.
#pragma once
#include "../support/Desktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tbdesk {

using desk::TRect;
using desk::TShot;

// A vertical stretch of a column: rows First..Last.
struct TRun {
    int First = 0, Last = 0;
    int Middle() const { return (First + Last) / 2; }
};

// The drag handles of the docked toolbars whose left edge is at `left`
// (each first toolbar of a row), between rows y0 and y1: two raised bars,
// light edge, face, dark edge, twice over, 3 pixels in from the toolbar's
// left edge. Colour-blind: only the repeat of the pattern counts.
inline std::vector<TRun> HandlesAt(const TShot& shot, int left, int y0, int y1) {
    const int x = left + 3;
    auto handleRow = [&](int y) {
        auto p = [&](int dx) { return shot.At(x + dx, y); };
        return p(0) == p(3) && p(1) == p(4) && p(2) == p(5) && p(0) != p(2) && p(0) != p(1);
    };
    std::vector<TRun> runs;
    for (int y = y0; y < y1; ++y) {
        if (!handleRow(y)) continue;
        int end = y;
        while (end + 1 < y1 && handleRow(end + 1))
            ++end;
        if (end - y + 1 >= 10) runs.push_back({y, end});
        y = end;
    }
    return runs;
}

// The separators of a floating toolbar's row: etched vertical lines (a
// dark column with a light one beside it) at least `minRows` tall, crossing
// row y, away from the window's own frame; their x, left to right.
inline std::vector<int> SeparatorsOnRow(const TShot& shot, int y, int minRows = 14) {
    std::vector<int> xs;
    auto etched = [&](int x, int row) {
        const auto a = shot.At(x, row), b = shot.At(x + 1, row), before = shot.At(x - 1, row);
        return a != b && a != before && b != before && (a & 0xff) < (b & 0xff) &&
               (a & 0xff) < (before & 0xff);
    };
    for (int x = 8; x + 8 < shot.W; ++x) {
        if (!etched(x, y)) continue;
        int top = y, bottom = y;
        while (top > 0 && etched(x, top - 1) && shot.At(x, top - 1) == shot.At(x, y))
            --top;
        while (bottom + 1 < shot.H && etched(x, bottom + 1) &&
               shot.At(x, bottom + 1) == shot.At(x, y))
            ++bottom;
        if (bottom - top + 1 >= minRows) xs.push_back(x);
    }
    return xs;
}

// A desktop test of either program: settings written beside the program's
// copy, the program started and its windows found.
class TToolbarDesktop : public desk::TDesktopTest {
protected:
    // The terminal's settings: the link question answered unless `ask`,
    // a window of a known size, a loopback history, and `extra` sections.
    void TerminalSettings(const std::string& extra, bool ask = false, int port = 23) {
        Box.CopyProgram("BrannocPro");
        std::string ini = "[Windows]\r\n";
        if (!ask) ini += "Ask=1\r\n";
        ini += "Left=0\r\nTop=0\r\nWidth=900\r\nHeight=700\r\nPort=" + std::to_string(port) +
               "\r\n" + extra + "[Hosts]\r\nh0=127.0.0.1\r\n";
        Box.Write("bin/Brannoc.ini", ini);
    }
    void SiteListSettings(const std::string& toolbar) {
        Box.CopyProgram("Quillon");
        Box.Write("bin/Quillon.ini", "[Windows]\r\nLeft=0\r\nTop=0\r\nWidth=900\r\nHeight=700\r\n"
                                     "[ToolBar]\r\n" +
                                         toolbar);
        Box.Write("bin/Quillon.txt", "Home,127.0.0.1,23,\r\n");
    }

    // The main window of a started program (the terminal's caption starts
    // with "Brannoc Pro", the site list's is "站台列表"), framed and settled.
    std::string MainWindow(pid_t pid, const std::string& title) {
        std::string id = Display->WaitWindow(pid, title);
        if (!id.empty()) Display->SettledFrame(id);
        return id;
    }
    // The program's other visible windows (its floating toolbars).
    std::vector<std::string> Others(pid_t pid, const std::string& main) const {
        std::vector<std::string> out;
        for (const auto& id : Display->Windows(pid))
            if (id != main) out.push_back(id);
        return out;
    }
    // Closes the window as the window manager's close button does and waits
    // for the program to end (it saves its settings on the way).
    void CloseAndWait(TPeerProcess& program, const std::string& main) {
        Display->Run("wmctrl -i -c " + main);
        EXPECT_EQ(program.Wait(20000), 0) << "the program did not end cleanly";
    }
    // The handles of the toolbars at the left edge of the client area,
    // above and below its middle.
    std::vector<TRun> Handles(const TRect& client) const {
        return HandlesAt(Display->Screenshot(), client.X, client.Y, client.Bottom());
    }
    static int CountBetween(const std::vector<TRun>& runs, int y0, int y1) {
        int n = 0;
        for (const TRun& r : runs)
            n += r.First >= y0 && r.Last < y1;
        return n;
    }
    // Waits for `above` handles in the upper half (any number when
    // negative) and `below` in the lower half.
    bool WaitHandles(const TRect& client, int above, int below, std::vector<TRun>* out = nullptr) {
        const int middle = client.Y + client.H / 2;
        std::vector<TRun> runs;
        const bool ok = desk::WaitFor(
            [&] {
                runs = Handles(client);
                return (above < 0 || CountBetween(runs, client.Y, middle) == above) &&
                       CountBetween(runs, middle, client.Bottom()) == below;
            },
            10000, 100);
        if (out) *out = runs;
        return ok;
    }
    // One value of an ini text: the line "key=value" (first match).
    static std::string Value(const std::string& ini, const std::string& key) {
        const std::string k = "\n" + key + "=";
        const auto at = ("\n" + ini).find(k);
        if (at == std::string::npos) return "<none>";
        const auto start = at + k.size() - 1;
        const auto end = ini.find_first_of("\r\n", start);
        return ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
};

} // namespace tbdesk
