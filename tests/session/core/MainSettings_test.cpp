// Brannoc.ini model: defaults, clamps and quirks of stored files, the
// round trip of every key, and what a save leaves alone.
#include "platform/core/Big5.h"
#include "session/core/DockOrder.h"
#include "session/core/MainSettings.h"

#include <gtest/gtest.h>

namespace {

TSettingsEnvironment Env() {
    TSettingsEnvironment e;
    e.ScreenWidth = 1280;
    e.ScreenHeight = 1024;
    e.ProgramFolder = "/opt/bp/";
    return e;
}

TMainSettings Read(const std::string& text) {
    TMainSettings s;
    s.Load(win::TIniText(text), Env());
    return s;
}

std::string Value(const win::TIniText& ini, const char* section, const char* key) {
    std::string v;
    return ini.Find(section, key, &v) ? v : "<missing>";
}

TEST(MainSettings, EmptyFileGivesTheDefaults) {
    TMainSettings s = Read("");
    EXPECT_EQ(s, TMainSettings(Env()));
    EXPECT_EQ(s.Width, 1280);
    EXPECT_EQ(s.Height, 1024);
    EXPECT_EQ(s.DownloadDir, "/opt/bp/");
    EXPECT_EQ(s.FontName, win::Utf8ToBig5("細明體"));
    EXPECT_EQ(s.ClearBeepInterval, 5000);
    EXPECT_EQ(s.AnsiCtrl, "U");
    EXPECT_EQ(s.Toolbars[tbLine].Dock, 2);
    EXPECT_EQ(s.Toolbars[tbConnection].Dock, 1);
    EXPECT_EQ(s.BmpListBoxColor, static_cast<TColor>(-2147483643));
    EXPECT_EQ(s.BmpListBoxFontColor, 8388608u);
    // The palettes are the file's 16 values, not a terminal's ANSI table.
    EXPECT_EQ(s.FgColors[1], 168u);
    EXPECT_EQ(s.BgColors[15], 16777215u);
    EXPECT_EQ(s.FgColors, s.BgColors);
    EXPECT_TRUE(s.Hosts.empty());
}

TEST(MainSettings, OutOfRangeValuesReadAsTheirDefaults) {
    TMainSettings s = Read("[Windows]\r\nMDI.PictureStyle=7\r\nCRLF=5\r\nAnsiCode=9\r\n"
                           "AnsiCtrl=\r\nTop=-4\r\nLeft=-4\r\nConnectionList2Width=99999\r\n");
    EXPECT_EQ(s.MdiPictureStyle, 1);
    EXPECT_EQ(s.CRLF, 0);
    EXPECT_EQ(s.AnsiCode, 0);
    EXPECT_EQ(s.AnsiCtrl, "U");
    EXPECT_EQ(s.Top, 0);
    EXPECT_EQ(s.Left, 0);
    EXPECT_EQ(s.ConnectionList2Width, 1280);
    EXPECT_EQ(Read("[Windows]\nCRLF=-1\n").CRLF, 0);
    EXPECT_EQ(Read("[Windows]\nTop=-8\nLeft=-1\n").Top, -8);
    EXPECT_EQ(Read("[Windows]\nMDI.PictureStyle=abc\n").MdiPictureStyle, 1);
    EXPECT_EQ(Read("[Windows]\nAnsiCtrl=Q\n").AnsiCtrl, "Q");
}

TEST(MainSettings, ValuesThatWouldOverflowAreClamped) {
    TMainSettings s = Read("[Windows]\nClearBeepInterval=2147483647\nDelayInterval=-5\n"
                           "MaxHostNumber=-3\n");
    EXPECT_EQ(s.ClearBeepInterval, 2147483 * 1000);
    EXPECT_EQ(s.DelayInterval, 0);
    EXPECT_EQ(s.MaxHostNumber, 0);
    EXPECT_EQ(Read("[Windows]\nClearBeepInterval=-10\n").ClearBeepInterval, 0);
}

TEST(MainSettings, HostHistoryReadsOnlyKeysBelowTheLimit) {
    std::string text = "[Windows]\nMaxHostNumber=20\n[Hosts]\n";
    for (int i = 0; i < 30; ++i) {
        std::string n = std::to_string(i);
        text.append("h").append(n).append("=host").append(n).append("\n");
    }
    TMainSettings s = Read(text);
    ASSERT_EQ(s.Hosts.size(), 20u);
    EXPECT_EQ(s.Hosts.front(), "host0");
    EXPECT_EQ(s.Hosts.back(), "host19");

    // Stars and gaps are skipped; keys are taken in number order, not file order.
    s = Read("[Hosts]\nh2=c\nh0=a\nh1=*\nh05=x\nhx=y\n");
    EXPECT_EQ(s.Hosts, (std::vector<std::string>{"a", "c"}));

    // A huge limit costs only the keys that exist.
    s = Read("[Windows]\nMaxHostNumber=2147483647\n[Hosts]\nh0=a\nh2147483646=z\n");
    EXPECT_EQ(s.Hosts, (std::vector<std::string>{"a", "z"}));
    EXPECT_TRUE(Read("[Windows]\nMaxHostNumber=0\n[Hosts]\nh0=a\n").Hosts.empty());
}

TEST(MainSettings, EveryKeyRoundTrips) {
    TMainSettings s(Env());
    s.ShowConnectionList1 = false;
    s.ConnectionList1Height = 60;
    s.ConnectionList2Width = 200;
    s.ScrollBarVisible = false;
    s.ApplyDefaultSetting = true;
    s.Max = false;
    s.MdiPicture = true;
    s.MdiPictureStyle = 2;
    s.MdiPictureFilename = win::Utf8ToBig5("/圖片/背景.png");
    s.Top = 10;
    s.Left = 20;
    s.Width = 700;
    s.Height = 500;
    s.MaxHostNumber = 5;
    s.MaxBufferRows = 3000;
    s.CRLF = 2;
    s.DelayInterval = 50;
    s.Caption = true;
    s.ReConnect = false;
    s.WwwHyperlinkColor = 123456;
    s.Color = 0x80000005;
    s.Picture = true;
    s.PictureFilename = "/pic.bmp";
    s.PictureStyle = 4;
    s.Transparency = 55;
    s.Big5Arrow = true;
    s.ClearBeepInterval = 7000;
    s.BeepFilename = "/bell.wav";
    s.CaretType = true;
    s.CaretHeight = 4;
    s.CaretImageFilename = "/caret.bmp";
    s.AnsiCode = 1;
    s.AnsiCtrl = "X";
    s.Port = "2323";
    s.BrowserFilename = "/usr/bin/browser";
    s.BmpListBoxColor = 0x00112233;
    s.BmpListBoxFontColor = 0x80000008;
    s.Toolbars[tbSpeedBtn] = {false, 5, 6, 300, 0, 3, 66};
    s.StatusBar = false;
    s.LineLock = true;
    s.FontGlobal = true;
    s.FontName = win::Utf8ToBig5("標楷體");
    s.FontSize = 16;
    s.FontBold = true;
    s.FontItalic = true;
    s.FontSpaceV = 3;
    s.FgColors[3] = 1;
    s.BgColors[0] = 0xFFFFFF;
    s.Hosts = {win::Utf8ToBig5("批踢踢"), "127.0.0.1", "bbs.example"};
    s.FTPFile = "/usr/bin/ftp";
    s.DownloadDir = "/dl/";
    s.DownloadMethod = 2;
    s.MoveToX = 40;
    s.MoveToY = -30;
    s.KeyGroup = 3;
    s.SpeedLabels[0] = win::Utf8ToBig5("回覆");
    s.SpeedKeys[11] = "^M";

    win::TIniText ini;
    s.Save(ini);
    TMainSettings back;
    back.Load(ini, Env());
    EXPECT_EQ(back, s);
    EXPECT_EQ(Value(ini, "Windows", "ClearBeepInterval"), "7");
    EXPECT_EQ(Value(ini, "Windows", "Color"), "-2147483643");
    EXPECT_EQ(Value(ini, "Windows", "Ask"), "<missing>");
    EXPECT_EQ(Value(ini, "SpeedButton3", "Label0"), win::Utf8ToBig5("回覆"));
}

TEST(MainSettings, SaveKeepsForeignSectionsAndDropsRemovedHosts) {
    std::string before =
        "; kept comment\r\n[DirectoryDialog]\r\nSelected=" + win::Utf8ToBig5("站台") +
        "\r\n[Windows]\r\nAsk=1\r\nUnknownKey=stays\r\n"
        "[Hosts]\r\nh0=a\r\nh1=b\r\nh2=c\r\nh3=d\r\nnote=x\r\n[Find]\r\nText=q\r\n";
    win::TIniText ini(before);
    TMainSettings s;
    s.Load(ini, Env());
    ASSERT_EQ(s.Hosts.size(), 4u);
    s.Hosts = {"b", "a"};
    s.Save(ini);
    std::string after = ini.Text();
    EXPECT_EQ(
        after.rfind("; kept comment\r\n[DirectoryDialog]\r\nSelected=" + win::Utf8ToBig5("站台") +
                        "\r\n[Windows]\r\nAsk=1\r\nUnknownKey=stays\r\n",
                    0),
        0u);
    EXPECT_NE(after.find("[Find]\r\nText=q\r\n"), std::string::npos);
    EXPECT_EQ(Value(ini, "Hosts", "h0"), "b");
    EXPECT_EQ(Value(ini, "Hosts", "h1"), "a");
    EXPECT_EQ(Value(ini, "Hosts", "h2"), "<missing>");
    EXPECT_EQ(Value(ini, "Hosts", "h3"), "<missing>");
    EXPECT_EQ(Value(ini, "Hosts", "note"), "x");
    TMainSettings again;
    again.Load(ini, Env());
    EXPECT_EQ(again.Hosts, s.Hosts);
    EXPECT_TRUE(again.Ask);
}

TEST(MainSettings, MainWindowIsPlacedOnAScreenAtAUsableSize) {
    std::vector<TRect> screens = {{0, 0, 1280, 1024}, {1280, 0, 1024, 768}};
    EXPECT_EQ(PlaceMainWindow({10, 20, 800, 600}, screens), (TRect{10, 20, 800, 600}));
    EXPECT_EQ(PlaceMainWindow({1400, 100, 800, 600}, screens), (TRect{1400, 100, 800, 600}));
    EXPECT_EQ(PlaceMainWindow({5000, 5000, 800, 600}, screens), (TRect{0, 0, 800, 600}));
    EXPECT_EQ(PlaceMainWindow({-3000, 10, 800, 600}, screens), (TRect{0, 0, 800, 600}));
    EXPECT_EQ(PlaceMainWindow({0, 0, 10, -5}, screens),
              (TRect{0, 0, kMinWindowWidth, kMinWindowHeight}));
    EXPECT_EQ(PlaceMainWindow({0, 0, 99999, 99999}, screens), (TRect{0, 0, 1280, 1024}));
    EXPECT_EQ(PlaceMainWindow({2147483000, 2147483000, 2147483647, 2147483647}, screens).Left, 0);
}

TEST(DockOrder, ToolbarsDockInSavedRowAndPositionOrder) {
    auto bars = DesignedToolbars;
    bars[tbConnection].DockRow = 0, bars[tbConnection].DockPos = 0;
    bars[tbSpeedBtn].DockRow = 1, bars[tbSpeedBtn].DockPos = 66;
    bars[tbShortcut].DockRow = 1, bars[tbShortcut].DockPos = 0;
    bars[tbFunction].DockRow = 2, bars[tbFunction].DockPos = 0;
    bars[tbLine].DockRow = 0, bars[tbLine].DockPos = 0;
    EXPECT_EQ(DockOrder(bars),
              (std::array<int, tbCount>{tbConnection, tbLine, tbShortcut, tbSpeedBtn, tbFunction}));
}

TEST(DockOrder, LargeAndNegativeValuesStillDockEveryToolbarOnce) {
    auto bars = DesignedToolbars;
    bars[tbConnection].DockRow = 5000;
    bars[tbFunction].DockRow = 1000, bars[tbFunction].DockPos = 1000;
    bars[tbShortcut].DockRow = -2;
    bars[tbSpeedBtn].DockRow = 2147483647;
    bars[tbLine].DockRow = 1000, bars[tbLine].DockPos = 999;
    EXPECT_EQ(DockOrder(bars),
              (std::array<int, tbCount>{tbShortcut, tbLine, tbFunction, tbConnection, tbSpeedBtn}));
    // A full tie keeps the fixed order.
    for (auto& b : bars)
        b.DockRow = b.DockPos = 7;
    EXPECT_EQ(DockOrder(bars), (std::array<int, tbCount>{0, 1, 2, 3, 4}));
}

} // namespace
