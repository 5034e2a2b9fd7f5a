// What a session takes from the site it is about to connect to: screen size,
// font, options, key map, automatic login, anti-idle sending, background
// picture, and the address the connect uses.
//
// The values come from one of three sources: the default site of the
// address book, a site's own section of Directory.ini, or the address book
// dialog's controls as they stand (so unsaved edits of the shown site take
// effect). Program-wide preferences may override the font and the picture of
// every source. The main window gathers its state into TSiteSettingsInput,
// the session's current values into TSessionSiteValues, and applies what
// comes back.
//
// A path that arms no login clears the session's login, keyword and saved
// trigger, so a reused session moving to a site without automatic login
// never types the former site's login text when its keyword shows. A login
// text is decoded for this session alone; nothing here queues one for the
// next session.
#pragma once
#include "platform/core/IniFile.h"
#include "session/core/DirectoryFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace session {

struct TFontSpec {
    std::string Name;
    int Size = 13;
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TFontSpec&) const = default;
};

// The preferences that apply one font or one picture to every site
// ([Windows] and [Font] of the main settings).
struct TSitePreferences {
    bool GlobalPicture = false;
    bool Picture = false;
    std::string PictureFilename;
    int PictureStyle = 3;
    bool Transparent = false;
    int Transparency = 20;
    int Color = 0;

    bool GlobalFont = false;
    TFontSpec Font;
    int SpaceV = 0;
};

// A script block's connect fields, handed over by the script reader.
struct TScriptHandOver {
    bool LoginGiven = false; // the block had login lines
    std::string Host;        // a host that is not in the address book
    std::string Port;
    std::string KeyWord;
    int Trigger = 0;
};

// The address book dialog as the connect sees it.
struct TDirectorySnapshot {
    std::vector<std::string> Aliases; // the list's items in order
    int ItemIndex = -1;               // the site the dialog shows
    TSite DefaultSite;                // the default-site record, login text plain
    int DefaultFontSize = 13;
    // The dialog's controls as a site: Row/Column as typed, the font of the
    // font dialog, the picture's full path, Color = the tint colour shown,
    // LoginText = the shown site's plain login text.
    TSite Shown;
    win::TIniText Book; // Directory.ini as read (empty when missing)
};

struct TSiteSettingsInput {
    TSitePreferences Prefs;
    bool ApplyDefaultSetting = false; // menu: the default site for every connect
    bool DontLogin = false;           // menu: no automatic login
    bool FromDirectory = false;       // the connect came from the address book dialog
    std::string HostText;             // the host box: a site alias or a host
    std::string PortText;             // the port box
    bool PortGiven = false;           // a link or the command line gave the port: it wins
    std::string PendingHost;          // the address while the host box shows an alias
    TScriptHandOver Script;
    TDirectorySnapshot Directory;
    // The directory password gate; may ask once per run. Asked only when a
    // site's automatic login is about to be armed. Empty = refused.
    std::function<bool()> CheckPassword;
};

// The session's site-dependent values: in, as the session holds them; out,
// as it should hold them. The caller sets only what changed.
struct TSessionSiteValues {
    int Rows = 24;
    int Columns = 80;
    TFontSpec Font;
    int SpaceV = 0;
    bool LocalEcho = false;
    bool Monochrome = false;
    bool AutoWrap = false;
    bool Hyperlink = true;
    std::string KeyType = "Default";

    std::string LoginScript;
    std::string KeyWord;
    int TriggerCnt = 0;
    int SavedTriggerCnt = 0;
    std::string SavedKeyWord;

    bool ForeAutoSendKey = false;
    bool BackAutoSendKey = false;
    int SendKeyInterval = 0; // milliseconds, also the Timer2 interval
    std::string AutoKey;

    bool GlyphVisible = false;
    std::string PictureFileName;
    int BackStyle = 3;
    int TranspColor = 0;
    bool Transparent = false;
    int Transparency = 20;

    std::string HostName;
    std::string Port;
    std::string SiteName;
    int UsesDefaultSite = 0;
};

// The main-window fields the call changes.
struct TSiteFormFields {
    std::string PendingHost; // cleared on every path
    std::string ScriptHost;  // the input's, cleared once the script host was used
    std::string HostHint;    // the host box's hint: the address
};

enum class TSitePath { Default, Site, Dialog };

// The list's exact-string search: the whole text, ASCII letters compared
// without regard to case, a Big5 pair byte for byte. -1 when absent.
int FindAlias(const std::vector<std::string>& aliases, std::string_view text);

// The site path's reading of a section: the address book's reader, except
// that a missing auto-send flag reads as on (a section without them sends
// the anti-idle string in both states).
TSite ReadConnectSite(const win::TIniText& book, std::string_view alias, int defaultFontSize);

// A stored picture style as a back style: 0..3 as they are, any other as 4.
int BackStyleOf(int pictureStyle);

// Which source the connect takes; *section receives the alias for the site
// path.
TSitePath ChooseSitePath(const TSiteSettingsInput& in, std::string* section = nullptr);

// Applies the chosen source to the session's values and sets every field of
// form (the form writes them back as they come).
TSitePath ApplySiteSettings(const TSiteSettingsInput& in, TSessionSiteValues& session,
                            TSiteFormFields& form);

} // namespace session
