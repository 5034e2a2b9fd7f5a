// What the terminal shows on its own window as a person uses it on a real
// desktop: the caption of a session window that a second start or the
// connect dialog opened, the saved background picture of the document area
// and its styles, and the clipboard text that resting the pointer on 貼上
// puts in the caption.
#include "../support/Desktop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>

namespace {

using desk::TDesktopTest;
using desk::TRecordingPeer;
using desk::TShot;

class TerminalHints : public TDesktopTest {
protected:
    // Settings beside the program's copy: the link question answered, a
    // loopback history, and `windows` / `more` added to [Windows] and after.
    void Settings(const std::string& windows = "", const std::string& more = "") {
        Box.CopyProgram("BrannocPro");
        Box.Write("bin/Brannoc.ini",
                  "[Windows]\r\nAsk=1\r\n" + windows + more + "[Hosts]\r\nh0=127.0.0.1\r\n");
    }
    // The main window of a started terminal, framed and settled.
    std::string MainWindow(pid_t pid) {
        const std::string id = Display->WaitWindow(pid, "^Brannoc Pro");
        if (!id.empty()) Display->SettledFrame(id);
        return id;
    }
    bool TitleEndsWith(const std::string& id, const std::string& tail, int ms = 15000) {
        return desk::WaitFor(
            [&] {
                const std::string t = Display->Title(id);
                return t.size() >= tail.size() &&
                       t.compare(t.size() - tail.size(), tail.size(), tail) == 0;
            },
            ms);
    }
};

// ---- the caption of a new session window ------------------------------------

// The first run of at least 12 rows, from the top of column x, in the blue
// of an active session window's caption bar; its middle row, -1 when none.
int CaptionBarRow(const TShot& shot, int x) {
    auto blue = [&](int y) {
        const std::uint32_t p = shot.At(x, y);
        const int r = int(p >> 16 & 0xff), g = int(p >> 8 & 0xff), b = int(p & 0xff);
        return b >= 150 && b > r + 80 && g > r;
    };
    for (int y = 0; y < shot.H; ++y) {
        int end = y;
        while (end < shot.H && blue(end))
            ++end;
        if (end - y >= 12) return (y + end) / 2;
        y = end;
    }
    return -1;
}

class SessionCaption : public TerminalHints {
protected:
    // Starts the terminal on a session named "home"; the main window's id.
    std::string StartHome(TRecordingPeer& peer) {
        Settings();
        Program = &StartProgram("BrannocPro", {"home", "127.0.0.1", peer.PortStr()});
        const std::string main = MainWindow(Program->Pid);
        EXPECT_FALSE(main.empty()) << "no main window";
        EXPECT_TRUE(peer.WaitAccepted()) << "the first site was not connected";
        EXPECT_TRUE(TitleEndsWith(main, " - home")) << Display->Title(main);
        return main;
    }
    // The active session window fills the document area; a double click
    // on its caption bar maximises it, and the main window's title then
    // ends with " - [" + its caption + "]".
    void Maximise(const std::string& main) {
        const desk::TRect client = Display->Client(main);
        int row = -1;
        ASSERT_TRUE(desk::WaitFor([&] {
            row = CaptionBarRow(Display->WindowShot(main), client.W / 4);
            return row >= 0;
        })) << "no active session window caption in the main window";
        Display->DoubleClick(client.X + client.W / 4, client.Y + row);
    }
    TPeerProcess* Program = nullptr;
};

// A second start hands "b" to the terminal that has "home" open. The new
// session window's own caption is drawn inside the main window, out of
// reach; maximised with a double click on its caption bar, as a person
// does, the window's caption goes into the main window's title as
// "... - [caption]", where the desktop shows it.
TEST_F(SessionCaption, ASessionOpenedByASecondStartIsCaptionedWithItsOwnName) {
    TRecordingPeer home, b;
    const std::string main = StartHome(home);
    ASSERT_FALSE(main.empty());

    auto second = Display->Start({Box.Bin() + "BrannocPro", "telnet://b;127.0.0.1:" + b.PortStr()});
    EXPECT_EQ(second->Wait(20000), 0) << "the second start did not end";
    ASSERT_TRUE(b.WaitAccepted()) << "the handed-over site was not connected";
    ASSERT_TRUE(TitleEndsWith(main, " - b")) << Display->Title(main);
    Maximise(main);
    EXPECT_TRUE(TitleEndsWith(main, " - [b]")) << Display->Title(main);
}

// The same for a host typed into the connect dialog (連線..., Alt+G) while
// "home" is the current session.
TEST_F(SessionCaption, ASessionOpenedFromTheConnectDialogIsCaptionedWithItsOwnName) {
    TRecordingPeer peer;
    const std::string main = StartHome(peer);
    ASSERT_FALSE(main.empty());

    Display->Activate(main);
    Display->Key("alt+g");
    const std::string dialog = Display->WaitWindow(Program->Pid, "^連線$");
    ASSERT_FALSE(dialog.empty()) << "the connect dialog did not open";
    // The dialog opens on the current site and its port: the host typed over.
    Display->Key("ctrl+a");
    Display->Type("127.0.0.1");
    Display->Key("Return");
    ASSERT_TRUE(peer.WaitAccepted(2)) << "the typed host was not connected";
    ASSERT_TRUE(TitleEndsWith(main, " - 127.0.0.1")) << Display->Title(main);
    Maximise(main);
    EXPECT_TRUE(TitleEndsWith(main, " - [127.0.0.1]")) << Display->Title(main);
}

// ---- the document area's background picture ---------------------------------

constexpr std::uint32_t kLeft = 0xC92190, kRight = 0x11AABB; // the picture's two halves
constexpr int kPicW = 60, kPicH = 40;

// A 24-bit picture file: the left half one colour, the right half another.
std::string Picture() {
    const int rowBytes = (kPicW * 3 + 3) / 4 * 4;
    const std::uint32_t dataSize = std::uint32_t(rowBytes) * kPicH;
    std::string f;
    auto u16 = [&](unsigned v) { f += char(v & 0xff), f += char(v >> 8 & 0xff); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xffff), u16(v >> 16); };
    f += "BM";
    u32(54 + dataSize), u32(0), u32(54);
    u32(40), u32(kPicW), u32(kPicH), u16(1), u16(24), u32(0), u32(dataSize), u32(2835), u32(2835),
        u32(0), u32(0);
    for (int y = 0; y < kPicH; ++y) {
        std::string row;
        for (int x = 0; x < kPicW; ++x) {
            const std::uint32_t c = x < kPicW / 2 ? kLeft : kRight;
            row += char(c & 0xff), row += char(c >> 8 & 0xff), row += char(c >> 16 & 0xff);
        }
        row.resize(std::size_t(rowBytes), '\0');
        f += row;
    }
    return f;
}

// Where one exact colour shows in a shot: how many pixels and their bounds.
struct TPatch {
    long Count = 0;
    int X0 = INT_MAX, Y0 = INT_MAX, X1 = -1, Y1 = -1; // inclusive bounds
    int W() const { return X1 - X0 + 1; }
    int H() const { return Y1 - Y0 + 1; }
    bool Solid() const { return Count > 0 && Count == long(W()) * H(); }
};
TPatch Find(const TShot& shot, std::uint32_t colour) {
    TPatch p;
    for (int y = 0; y < shot.H; ++y)
        for (int x = 0; x < shot.W; ++x)
            if (shot.At(x, y) == colour) {
                ++p.Count;
                p.X0 = std::min(p.X0, x), p.X1 = std::max(p.X1, x);
                p.Y0 = std::min(p.Y0, y), p.Y1 = std::max(p.Y1, y);
            }
    return p;
}
std::ostream& operator<<(std::ostream& o, const TPatch& p) {
    return o << p.Count << " pixels in " << p.W() << "x" << p.H() << "+" << p.X0 << "+" << p.Y0;
}

// A centred picture saved with the settings comes back centred: one whole
// copy in the middle of the document area, not tiled over it. Another style
// chosen from the menu with the keys then lays out the same picture.
TEST_F(TerminalHints, ASavedCentredPictureStartsCentredAndTakesAnotherStyle) {
    const std::string file = Box.Path("home/back.bmp");
    Box.Write("home/back.bmp", Picture());
    Settings("MDI.Picture=1\r\nMDI.PictureStyle=0\r\nMDI.PictureFilename=" + file + "\r\n");
    auto& program = StartProgram("BrannocPro");
    const std::string main = MainWindow(program.Pid);
    ASSERT_FALSE(main.empty()) << "no main window";

    TShot shot;
    ASSERT_TRUE(desk::WaitFor([&] {
        shot = Display->WindowShot(main);
        return Find(shot, kLeft).Count > 0;
    })) << "the picture is not shown";
    desk::WaitFor([] { return false; }, 500); // painted once and for all
    shot = Display->WindowShot(main);
    const TPatch left = Find(shot, kLeft), right = Find(shot, kRight);
    EXPECT_TRUE(left.Solid() && left.W() == kPicW / 2 && left.H() == kPicH) << left;
    EXPECT_TRUE(right.Solid() && right.W() == kPicW / 2 && right.H() == kPicH) << right;
    EXPECT_EQ(right.X0, left.X1 + 1) << "the halves are not side by side";
    const int cx = (left.X0 + right.X1) / 2, cy = (left.Y0 + left.Y1) / 2;
    EXPECT_TRUE(cx > shot.W / 4 && cx < shot.W * 3 / 4 && cy > shot.H / 4 && cy < shot.H * 3 / 4)
        << "the picture is not in the middle: " << left;

    // 檢視 > 背景 > 圖片樣式 > 展開, by their letters.
    Display->Activate(main);
    Display->Key("alt+v g y s", 200);
    TPatch l, r;
    EXPECT_TRUE(desk::WaitFor(
        [&] {
            shot = Display->WindowShot(main);
            l = Find(shot, kLeft), r = Find(shot, kRight);
            return l.Solid() && r.Solid() && l.W() > 5 * kPicW && r.W() > 5 * kPicW &&
                   l.H() > 5 * kPicH && r.X0 > l.X1;
        },
        10000))
        << "not stretched over the area: left " << l << ", right " << r;
}

// ---- the paste hint ----------------------------------------------------------

// Resting the pointer on 貼上 puts the clipboard's text in the main window's
// caption at once; any other hint gives the caption back. The Function
// toolbar floats, so its buttons are found from its window's place.
TEST_F(TerminalHints, RestingOnPasteShowsTheClipboardInTheCaption) {
    if (!testpeer::HaveProgram("xclip")) GTEST_SKIP() << "needs xclip to fill the clipboard";
    TRecordingPeer peer;
    Settings("", "[ToolBar]\r\nFunction.Dock=0\r\nFunction.Left=200\r\nFunction.Top=500\r\n");
    auto& program = StartProgram("BrannocPro", {"home", "127.0.0.1", peer.PortStr()});
    const std::string main = MainWindow(program.Pid);
    ASSERT_FALSE(main.empty()) << "no main window";
    ASSERT_TRUE(peer.WaitAccepted()) << "the session did not connect";
    ASSERT_TRUE(TitleEndsWith(main, " - home")) << Display->Title(main);
    std::string bar;
    ASSERT_TRUE(desk::WaitFor([&] {
        for (const auto& id : Display->Windows(program.Pid))
            if (id != main) bar = id;
        return !bar.empty();
    })) << "the floating toolbar does not show";

    const std::string clip = "clip-text-42";
    // xclip stays to serve the clipboard; it ends with the display.
    Box.Write("tmp/clip.txt", clip);
    Display->Run("xclip -selection clipboard -i " + desk::Quote(Box.Path("tmp/clip.txt")) +
                 " >/dev/null 2>&1");
    auto captionIs = [&](const std::string& want, int ms) {
        return desk::WaitFor([&] { return Display->Title(main) == want; }, ms, 20);
    };

    // The pointer goes along the toolbar's buttons until the caption
    // changes: that is 貼上.
    const desk::TRect r = Display->Client(bar);
    const int y = r.Y + r.H * 2 / 3;
    int pasteX = -1;
    for (int x = r.X + 4; x < r.Right() - 4 && pasteX < 0; x += 6) {
        Display->MoveTo(x, y);
        if (captionIs(clip, 150)) pasteX = x;
    }
    ASSERT_GE(pasteX, 0) << "no button showed the clipboard in the caption: "
                         << Display->Title(main);
    // 複製, left of it, has a hint of its own: the caption comes back.
    Display->MoveTo(pasteX - 12, y);
    EXPECT_TRUE(TitleEndsWith(main, " - home", 3000)) << Display->Title(main);
    Display->MoveTo(pasteX, y);
    EXPECT_TRUE(captionIs(clip, 3000)) << Display->Title(main);

    // The 編輯 menu's 貼上 item does the same as it is highlighted.
    Display->MoveTo(r.X + r.W / 2, r.Bottom() + 150); // away from the bar
    ASSERT_TRUE(TitleEndsWith(main, " - home", 3000)) << Display->Title(main);
    Display->Activate(main);
    Display->Key("alt+e", 200);
    bool highlighted = false;
    for (int i = 0; i < 6 && !highlighted; ++i) {
        Display->Key("Down");
        highlighted = captionIs(clip, 300);
    }
    EXPECT_TRUE(highlighted) << "the menu's 貼上 did not show the clipboard";
    Display->Key("Up");
    EXPECT_TRUE(TitleEndsWith(main, " - home", 3000)) << Display->Title(main);
    Display->Key("Escape Escape");
}

} // namespace
