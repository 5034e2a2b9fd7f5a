// Brannoc.ini: defaults, reading with the stored files' quirks, writing.
#include "session/core/MainSettings.h"

#include "platform/core/Big5.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <map>
#include <string_view>

const std::array<const char*, tbCount> ToolbarPrefixes = {"Connection", "Function", "Shortcut",
                                                          "SpeedBtn", "Line"};

// Connection and Function share the first row of the top dock, Shortcut and
// SpeedBtn the second; the line bar sits alone on the bottom dock.
const std::array<TToolbarSettings, tbCount> DesignedToolbars = {{
    {true, 0, 0, 0, 1, 0, 0},
    {true, 0, 0, 0, 1, 0, 1},
    {true, 0, 0, 0, 1, 1, 0},
    {true, 0, 0, 0, 1, 1, 1},
    {true, 0, 0, 0, 2, 0, 0},
}};

const std::array<TColor, 16> DefaultPalette = {
    0,       168, 43008, 43176, 11010048, 11010216, 11053056, 12566463,
    8553090, 255, 65280, 65535, 16711680, 16711935, 16776960, 16777215,
};

const char* const BuiltInHost = "ptt.cc";

namespace {

const char* const W = "Windows";
const char* const TB = "ToolBar";

// The reading side over one parsed file, with the profile-file rules: a
// missing key gives the default, integers must be whole numbers.
struct TReader {
    const win::TIniText& Ini;
    std::string Str(const char* s, const std::string& k, const std::string& def) const {
        std::string v;
        return Ini.Find(s, k, &v) ? v : def;
    }
    int Int(const char* s, const std::string& k, int def) const {
        std::string v;
        return Ini.Find(s, k, &v) ? win::StrToIntDef(v, def) : def;
    }
    bool Bool(const char* s, const std::string& k, bool def) const { return Int(s, k, def) != 0; }
    TColor Color(const char* s, const std::string& k, TColor def) const {
        return static_cast<TColor>(Int(s, k, static_cast<int>(def)));
    }
};

struct TWriter {
    win::TIniText& Ini;
    void Str(const char* s, const std::string& k, const std::string& v) { Ini.Set(s, k, v); }
    void Int(const char* s, const std::string& k, int v) { Ini.Set(s, k, std::to_string(v)); }
    void Bool(const char* s, const std::string& k, bool v) { Ini.Set(s, k, v ? "1" : "0"); }
    void Color(const char* s, const std::string& k, TColor v) { Int(s, k, static_cast<int>(v)); }
};

// Host keys as the history writes them: "h" + a decimal number without
// leading zeros. Returns -1 for any other key.
long HostKeyIndex(std::string_view key) {
    if (key.size() < 2 || key.size() > 11 || (key[0] != 'h' && key[0] != 'H')) return -1;
    if (key[1] == '0' && key.size() > 2) return -1;
    long n = 0;
    for (std::size_t i = 1; i < key.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(key[i]))) return -1;
        n = n * 10 + (key[i] - '0');
    }
    return n <= INT_MAX ? n : -1;
}

// Key names built by appending (GCC 12 warns falsely on string + literal).
std::string Key(std::string_view a, std::string_view b) {
    std::string k(a);
    k.append(b);
    return k;
}
std::string Key(std::string_view a, int n) {
    return Key(a, std::to_string(n));
}

int InRangeOr(int v, int lo, int hi, int def) {
    return v < lo || v > hi ? def : v;
}

} // namespace

std::string SpeedGroupSection(int group) {
    return Key("SpeedButton", group);
}

TMainSettings::TMainSettings() : TMainSettings(TSettingsEnvironment{}) {}

TMainSettings::TMainSettings(const TSettingsEnvironment& env)
    : Width(env.ScreenWidth), Height(env.ScreenHeight), FontName(win::Utf8ToBig5("細明體")),
      DownloadDir(env.ProgramFolder) {}

void TMainSettings::LoadSpeedGroup(const win::TIniText& ini) {
    TReader r{ini};
    std::string section = SpeedGroupSection(KeyGroup);
    for (int i = 0; i < 12; ++i) {
        SpeedLabels[i] = r.Str(section.c_str(), Key("Label", static_cast<int>(i)), "");
        SpeedKeys[i] = r.Str(section.c_str(), Key("Key", static_cast<int>(i)), "");
    }
}

void TMainSettings::Load(const win::TIniText& ini, const TSettingsEnvironment& env) {
    *this = TMainSettings(env);
    TReader r{ini};
    Ask = r.Bool(W, "Ask", false);
    KeyGroup = InRangeOr(r.Int("SpeedButton", "KeyGroup", 1), 1, 5, 1);
    LoadSpeedGroup(ini);

    ShowConnectionList1 = r.Bool(W, "ShowConnectionList1", true);
    ConnectionList1Height = r.Int(W, "ConnectionList1Height", ConnectionList1Height);
    ShowConnectionList2 = r.Bool(W, "ShowConnectionList2", true);
    ConnectionList2Width = std::min(r.Int(W, "ConnectionList2Width", 113), env.ScreenWidth);
    ScrollBarVisible = r.Bool(W, "ScrollBarVisible", true);
    ApplyDefaultSetting = r.Bool(W, "ApplyDefaultSetting", false);
    Max = r.Bool(W, "Max", true);
    MoveToLeftTopWhenConnection = r.Bool(W, "MoveToLeftTopWhenConnection", true);
    DontLogin = r.Bool(W, "DontLogin", false);
    Focus = r.Bool(W, "Focus", true);
    ForeDontAutoKey = r.Bool(W, "ForeDontAutoKey", false);
    BackDontAutoKey = r.Bool(W, "BackDontAutoKey", false);
    AutoSaveFontSize = r.Bool(W, "AutoSaveFontSize", true);
    MdiTransparent = r.Bool(W, "MDI.Transparent", false);
    MdiPicture = r.Bool(W, "MDI.Picture", false);
    MdiPictureStyle = InRangeOr(r.Int(W, "MDI.PictureStyle", 1), 0, 2, 1);
    MdiPictureFilename = r.Str(W, "MDI.PictureFilename", "");
    // A maximised window is stored a few pixels off the screen's corner.
    Top = r.Int(W, "Top", 0);
    if (Top >= -7 && Top <= -1) Top = 0;
    Left = r.Int(W, "Left", 0);
    if (Left >= -7 && Left <= -1) Left = 0;
    Width = r.Int(W, "Width", env.ScreenWidth);
    Height = r.Int(W, "Height", env.ScreenHeight);

    for (int t = 0; t < tbCount; ++t)
        Toolbars[t].Visible = r.Bool(TB, ToolbarPrefixes[t], true);
    StatusBar = r.Bool(TB, "StatusBar", true);
    for (int t = 0; t < tbCount; ++t) {
        std::string p = ToolbarPrefixes[t];
        TToolbarSettings& b = Toolbars[t];
        b.Left = r.Int(TB, Key(p, ".Left"), 0);
        b.Top = r.Int(TB, Key(p, ".Top"), 0);
        b.FloatingWidth = r.Int(TB, Key(p, ".FloatingWidth"), 0);
        b.Dock = r.Int(TB, Key(p, ".Dock"), DesignedToolbars[t].Dock);
        b.DockRow = r.Int(TB, Key(p, ".DockRow"), DesignedToolbars[t].DockRow);
        b.DockPos = r.Int(TB, Key(p, ".DockPos"), DesignedToolbars[t].DockPos);
    }
    LineLock = r.Bool(TB, "Line.Lock", false);

    MaxHostNumber = std::max(0, r.Int(W, "MaxHostNumber", 20));
    MaxBufferRows = r.Int(W, "MaxBufferRows", 1000);
    CRLF = InRangeOr(r.Int(W, "CRLF", 0), 0, 2, 0);
    DelayInterval = std::max(0, r.Int(W, "DelayInterval", 0));
    Caption = r.Bool(W, "Caption", false);
    ShowID = r.Bool(W, "ShowID", true);
    CopyMark = r.Bool(W, "CopyMark", false);
    RightBtnCopy = r.Bool(W, "RightBtnCopy", false);
    DecodeQP = r.Bool(W, "DecodeQP", false);
    DisconnectQuery = r.Bool(W, "DisconnectQuery", false);
    Remove = r.Bool(W, "Remove", false);
    ReConnect = r.Bool(W, "ReConnect", true);
    Magnetic = r.Bool(W, "Magnetic", false);

    FontGlobal = r.Bool("Font", "Global", false);
    FontName = r.Str("Font", "Name", FontName);
    FontSize = r.Int("Font", "Size", 12);
    FontBold = r.Bool("Font", "Bold", false);
    FontItalic = r.Bool("Font", "Italic", false);
    FontSpaceV = r.Int("Font", "SpaceV", 0);

    for (int i = 0; i < 16; ++i) {
        FgColors[i] = r.Color("ForegroundColor", Key("f", static_cast<int>(i)), DefaultPalette[i]);
        BgColors[i] = r.Color("BackgroundColor", Key("b", static_cast<int>(i)), DefaultPalette[i]);
    }

    WwwHyperlinkColor = r.Color(W, "wwwHyperlinkColor", 65280);
    FtpHyperlinkColor = r.Color(W, "ftpHyperlinkColor", 255);
    EmailHyperlinkColor = r.Color(W, "emailHyperlinkColor", 16777215);
    GlobalPicture = r.Bool(W, "GlobalPicture", false);
    Picture = r.Bool(W, "Picture", false);
    PictureFilename = r.Str(W, "PictureFilename", "");
    PictureStyle = r.Int(W, "PictureStyle", 3);
    Transparent = r.Bool(W, "Transparent", false);
    Transparency = r.Int(W, "Transparency", 20);
    Color = r.Color(W, "Color", 0);
    Punctuation = r.Bool(W, "Punctuation", true);
    Big5BackSpace = r.Bool(W, "Big5BackSpace", true);
    Big5Delete = r.Bool(W, "Big5Delete", true);
    Big5Arrow = r.Bool(W, "Big5Arrow", false);
    // Kept in milliseconds: the seconds are clamped so the product fits.
    ClearBeepInterval = std::clamp(r.Int(W, "ClearBeepInterval", 5), 0, INT_MAX / 1000) * 1000;
    BeepKind = r.Int(W, "BeepKind", 2);
    Flash = r.Bool(W, "Flash", true);
    BeepFilename = r.Str(W, "BeepFilename", "");
    CaretType = r.Bool(W, "CaretType", false);
    CaretHeight = r.Int(W, "CaretHeight", 2);
    CaretImageFilename = r.Str(W, "CaretImageFilename", "");
    AnsiCode = InRangeOr(r.Int(W, "AnsiCode", 0), 0, 2, 0);
    std::string letter = r.Str(W, "AnsiCtrl", "U");
    AnsiCtrl.assign(1, letter.empty() ? 'U' : letter[0]);

    // Only existing keys below MaxHostNumber are visited, in number order,
    // so a huge MaxHostNumber costs nothing.
    std::map<long, std::string> hosts;
    for (const std::string& key : ini.Keys("Hosts")) {
        long n = HostKeyIndex(key);
        if (n < 0 || n >= MaxHostNumber || hosts.count(n)) continue;
        std::string v = r.Str("Hosts", key, "*");
        if (v != "*") hosts[n] = v;
    }
    for (auto& [n, host] : hosts)
        Hosts.push_back(host);
    Port = r.Str(W, "Port", "23");

    FTPFile = r.Str("Archie", "FTPFile", FTPFile);
    DownloadDir = r.Str("Archie", "DownloadDir", env.ProgramFolder);
    DownloadMethod = r.Int("Archie", "DownloadMethod", 1);
    BrowserFilename = r.Str(W, "BrowserFilename", "");
    BmpListBoxColor = r.Color(W, "BmpListBox.Color", clWindow);
    BmpListBoxFontColor = r.Color(W, "BmpListBox.FontColor", clNavy);
    MoveToX = r.Int("Window", "MoveToX", 0);
    MoveToY = r.Int("Window", "MoveToY", 0);
}

void TMainSettings::Save(win::TIniText& ini) const {
    TWriter w{ini};
    w.Bool(W, "ShowConnectionList1", ShowConnectionList1);
    w.Int(W, "ConnectionList1Height", ConnectionList1Height);
    w.Bool(W, "ShowConnectionList2", ShowConnectionList2);
    w.Int(W, "ConnectionList2Width", ConnectionList2Width);
    w.Bool(W, "ScrollBarVisible", ScrollBarVisible);
    w.Bool(W, "ApplyDefaultSetting", ApplyDefaultSetting);
    w.Bool(W, "Max", Max);
    w.Bool(W, "MoveToLeftTopWhenConnection", MoveToLeftTopWhenConnection);
    w.Bool(W, "DontLogin", DontLogin);
    w.Bool(W, "Focus", Focus);
    w.Bool(W, "ForeDontAutoKey", ForeDontAutoKey);
    w.Bool(W, "BackDontAutoKey", BackDontAutoKey);
    w.Bool(W, "AutoSaveFontSize", AutoSaveFontSize);
    w.Bool(W, "MDI.Transparent", MdiTransparent);
    w.Bool(W, "MDI.Picture", MdiPicture);
    w.Int(W, "MDI.PictureStyle", MdiPictureStyle);
    w.Str(W, "MDI.PictureFilename", MdiPictureFilename);
    w.Int(W, "Top", Top);
    w.Int(W, "Left", Left);
    w.Int(W, "Width", Width);
    w.Int(W, "Height", Height);

    for (int t = 0; t < tbCount; ++t)
        w.Bool(TB, ToolbarPrefixes[t], Toolbars[t].Visible);
    w.Bool(TB, "StatusBar", StatusBar);
    for (int t = 0; t < tbCount; ++t) {
        std::string p = ToolbarPrefixes[t];
        const TToolbarSettings& b = Toolbars[t];
        w.Int(TB, Key(p, ".Left"), b.Left);
        w.Int(TB, Key(p, ".Top"), b.Top);
        w.Int(TB, Key(p, ".FloatingWidth"), b.FloatingWidth);
        w.Int(TB, Key(p, ".Dock"), b.Dock);
        w.Int(TB, Key(p, ".DockRow"), b.DockRow);
        w.Int(TB, Key(p, ".DockPos"), b.DockPos);
    }
    w.Bool(TB, "Line.Lock", LineLock);

    w.Int(W, "MaxHostNumber", MaxHostNumber);
    w.Int(W, "MaxBufferRows", MaxBufferRows);
    w.Int(W, "CRLF", CRLF);
    w.Int(W, "DelayInterval", DelayInterval);
    w.Bool(W, "Caption", Caption);
    w.Bool(W, "ShowID", ShowID);
    w.Bool(W, "CopyMark", CopyMark);
    w.Bool(W, "RightBtnCopy", RightBtnCopy);
    w.Bool(W, "DecodeQP", DecodeQP);
    w.Bool(W, "DisconnectQuery", DisconnectQuery);
    w.Bool(W, "Remove", Remove);
    w.Bool(W, "ReConnect", ReConnect);
    w.Bool(W, "Magnetic", Magnetic);

    w.Bool("Font", "Global", FontGlobal);
    w.Str("Font", "Name", FontName);
    w.Int("Font", "Size", FontSize);
    w.Bool("Font", "Bold", FontBold);
    w.Bool("Font", "Italic", FontItalic);
    w.Int("Font", "SpaceV", FontSpaceV);
    for (int i = 0; i < 16; ++i) {
        w.Color("ForegroundColor", Key("f", static_cast<int>(i)), FgColors[i]);
        w.Color("BackgroundColor", Key("b", static_cast<int>(i)), BgColors[i]);
    }

    w.Color(W, "wwwHyperlinkColor", WwwHyperlinkColor);
    w.Color(W, "ftpHyperlinkColor", FtpHyperlinkColor);
    w.Color(W, "emailHyperlinkColor", EmailHyperlinkColor);
    w.Bool(W, "GlobalPicture", GlobalPicture);
    w.Bool(W, "Picture", Picture);
    w.Str(W, "PictureFilename", PictureFilename);
    w.Int(W, "PictureStyle", PictureStyle);
    w.Bool(W, "Transparent", Transparent);
    w.Int(W, "Transparency", Transparency);
    w.Color(W, "Color", Color);
    w.Bool(W, "Punctuation", Punctuation);
    w.Bool(W, "Big5BackSpace", Big5BackSpace);
    w.Bool(W, "Big5Delete", Big5Delete);
    w.Bool(W, "Big5Arrow", Big5Arrow);
    w.Int(W, "ClearBeepInterval", ClearBeepInterval / 1000);
    w.Int(W, "BeepKind", BeepKind);
    w.Bool(W, "Flash", Flash);
    w.Str(W, "BeepFilename", BeepFilename);
    w.Bool(W, "CaretType", CaretType);
    w.Int(W, "CaretHeight", CaretHeight);
    w.Str(W, "CaretImageFilename", CaretImageFilename);
    w.Int(W, "AnsiCode", AnsiCode);
    w.Str(W, "AnsiCtrl", AnsiCtrl.empty() ? std::string("U") : AnsiCtrl.substr(0, 1));

    for (std::size_t i = 0; i < Hosts.size(); ++i)
        w.Str("Hosts", Key("h", static_cast<int>(i)), Hosts[i]);
    // One pass however many keys go.
    ini.DeleteKeys("Hosts", [&](std::string_view key) {
        return HostKeyIndex(key) >= static_cast<long>(Hosts.size());
    });
    w.Str(W, "Port", Port);

    w.Str("Archie", "FTPFile", FTPFile);
    w.Str("Archie", "DownloadDir", DownloadDir);
    w.Int("Archie", "DownloadMethod", DownloadMethod);
    w.Str(W, "BrowserFilename", BrowserFilename);
    w.Color(W, "BmpListBox.Color", BmpListBoxColor);
    w.Color(W, "BmpListBox.FontColor", BmpListBoxFontColor);
    w.Int("Window", "MoveToX", MoveToX);
    w.Int("Window", "MoveToY", MoveToY);
    w.Int("SpeedButton", "KeyGroup", KeyGroup);
    std::string group = SpeedGroupSection(KeyGroup);
    for (int i = 0; i < 12; ++i) {
        w.Str(group.c_str(), Key("Label", static_cast<int>(i)), SpeedLabels[i]);
        w.Str(group.c_str(), Key("Key", static_cast<int>(i)), SpeedKeys[i]);
    }
}

TRect PlaceMainWindow(TRect r, const std::vector<TRect>& screens) {
    TRect primary = screens.empty() ? TRect{0, 0, 1024, 768} : screens.front();
    r.Width = std::clamp(r.Width, kMinWindowWidth, std::max(kMinWindowWidth, primary.Width));
    r.Height = std::clamp(r.Height, kMinWindowHeight, std::max(kMinWindowHeight, primary.Height));
    // Visible means some of the title bar's area lies on a screen.
    auto onScreen = [&](const TRect& s) {
        long long left = std::max<long long>(r.Left, s.Left);
        long long right = std::min<long long>(static_cast<long long>(r.Left) + r.Width,
                                              static_cast<long long>(s.Left) + s.Width);
        long long top = std::max<long long>(r.Top, s.Top);
        long long bottom = std::min<long long>(static_cast<long long>(r.Top) + 24,
                                               static_cast<long long>(s.Top) + s.Height);
        return right - left >= 32 && bottom > top;
    };
    if (std::none_of(screens.begin(), screens.end(), onScreen) || screens.empty()) {
        r.Left = primary.Left;
        r.Top = primary.Top;
    }
    return r;
}
