// The terminal's main settings file, Brannoc.ini, as a plain model.
//
// Every key the main window reads at start-up and writes when it closes has a
// field here with its default; Load applies the clamps and quirks the stored
// files rely on, Save writes every key (except "Ask", which only the start-up
// offer writes) into the parsed file so other sections and keys stay byte for
// byte. Strings are Big5 bytes as stored.
#pragma once
#include "platform/core/IniFile.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using TColor = std::uint32_t; // 0x00BBGGRR; system colours have the high bit set

// System colours as stored (high bit set, low byte the system colour index).
constexpr TColor clWindow = 0x80000005;
constexpr TColor clNavy = 0x00800000;

// One of the five toolbars, in the fixed order of ToolbarPrefixes.
struct TToolbarSettings {
    bool Visible = true;
    int Left = 0;
    int Top = 0;
    int FloatingWidth = 0; // FloatingRightX of the toolbar
    int Dock = 1;          // 1 top dock, 2 bottom dock, anything else floating
    int DockRow = 0;
    int DockPos = 0;
    bool operator==(const TToolbarSettings&) const = default;
};

enum TToolbarIndex { tbConnection, tbFunction, tbShortcut, tbSpeedBtn, tbLine, tbCount };
// Key prefixes of the toolbars: "Connection", "Function", "Shortcut", "SpeedBtn", "Line".
extern const std::array<const char*, tbCount> ToolbarPrefixes;
// Where each toolbar sits when the file says nothing (the form's design).
extern const std::array<TToolbarSettings, tbCount> DesignedToolbars;

// The 16 colours both palettes start with, index 0..15.
extern const std::array<TColor, 16> DefaultPalette;

// The host shown when the history is empty (and the hand-over default).
extern const char* const BuiltInHost;

// Values the file's defaults depend on: the screen and the program folder.
struct TSettingsEnvironment {
    int ScreenWidth = 1024;
    int ScreenHeight = 768;
    std::string ProgramFolder; // default of "Archie"/"DownloadDir"
};

struct TMainSettings {
    // [Windows]
    bool Ask = false;
    bool ShowConnectionList1 = true;
    int ConnectionList1Height = 22; // the tab control's designed height
    bool ShowConnectionList2 = true;
    int ConnectionList2Width = 113;
    bool ScrollBarVisible = true;
    bool ApplyDefaultSetting = false;
    bool Max = true;
    bool MoveToLeftTopWhenConnection = true;
    bool DontLogin = false;
    bool Focus = true;
    bool ForeDontAutoKey = false;
    bool BackDontAutoKey = false;
    bool AutoSaveFontSize = true;
    bool MdiTransparent = false;
    bool MdiPicture = false;
    int MdiPictureStyle = 1; // 0..2 as stored
    std::string MdiPictureFilename;
    int Top = 0;
    int Left = 0;
    int Width = 1024;
    int Height = 768;
    int MaxHostNumber = 20;
    int MaxBufferRows = 1000;
    int CRLF = 0;
    int DelayInterval = 0;
    bool Caption = false;
    bool ShowID = true;
    bool CopyMark = false;
    bool RightBtnCopy = false;
    bool DecodeQP = false;
    bool DisconnectQuery = false;
    bool Remove = false;
    bool ReConnect = true;
    bool Magnetic = false;
    TColor WwwHyperlinkColor = 65280;
    TColor FtpHyperlinkColor = 255;
    TColor EmailHyperlinkColor = 16777215;
    bool GlobalPicture = false;
    bool Picture = false;
    std::string PictureFilename;
    int PictureStyle = 3;
    bool Transparent = false;
    int Transparency = 20;
    TColor Color = 0;
    bool Punctuation = true;
    bool Big5BackSpace = true;
    bool Big5Delete = true;
    bool Big5Arrow = false;
    int ClearBeepInterval = 5000; // milliseconds (stored in seconds)
    int BeepKind = 2;
    bool Flash = true;
    std::string BeepFilename;
    bool CaretType = false;
    int CaretHeight = 2;
    std::string CaretImageFilename;
    int AnsiCode = 0;           // 0 escape, 1 control letter, 2 none
    std::string AnsiCtrl = "U"; // the letter of the control-letter escape
    std::string Port = "23";
    std::string BrowserFilename;
    TColor BmpListBoxColor = clWindow;
    TColor BmpListBoxFontColor = clNavy;

    // [ToolBar]
    std::array<TToolbarSettings, tbCount> Toolbars = DesignedToolbars;
    bool StatusBar = true;
    bool LineLock = false;

    // [Font]
    bool FontGlobal = false;
    std::string FontName; // Big5 of the default face, set by the constructor
    int FontSize = 12;
    bool FontBold = false;
    bool FontItalic = false;
    int FontSpaceV = 0;

    // [ForegroundColor], [BackgroundColor]
    std::array<TColor, 16> FgColors = DefaultPalette;
    std::array<TColor, 16> BgColors = DefaultPalette;

    // [Hosts], most recent first
    std::vector<std::string> Hosts;

    // [Archie]
    std::string FTPFile = "c:\\program files\\ws_ftp\\ftp95pro.exe";
    std::string DownloadDir;
    int DownloadMethod = 1;

    // [Window]
    int MoveToX = 0;
    int MoveToY = 0;

    // [SpeedButton] and the shown group "SpeedButton<KeyGroup>"
    int KeyGroup = 1;
    std::array<std::string, 12> SpeedLabels;
    std::array<std::string, 12> SpeedKeys;

    TMainSettings();
    // Defaults for this screen and program folder (what an empty file reads as).
    explicit TMainSettings(const TSettingsEnvironment& env);

    // Reads every key; missing or malformed values give the defaults.
    void Load(const win::TIniText& ini, const TSettingsEnvironment& env);
    // Sets every key but "Ask" in ini. Host keys "h<n>" and above (n = the
    // number of hosts) are deleted, so hosts removed this run stay removed.
    void Save(win::TIniText& ini) const;
    // Reads the labels and keys of speed-key group KeyGroup.
    void LoadSpeedGroup(const win::TIniText& ini);

    bool operator==(const TMainSettings&) const = default;
};

// Section name of a speed-key group: "SpeedButton" + group.
std::string SpeedGroupSection(int group);

// Smallest main window that keeps menus, toolbars and a session usable.
constexpr int kMinWindowWidth = 320;
constexpr int kMinWindowHeight = 240;

struct TRect {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const TRect&) const = default;
};

// Where the main window goes: the saved rectangle, at least the usable
// minimum and at most the primary screen's size, moved onto the primary
// screen when it would show on none of the screens.
TRect PlaceMainWindow(TRect saved, const std::vector<TRect>& screens);
