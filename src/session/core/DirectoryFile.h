// Directory.ini, the address book: one section per site (named by its
// alias) with the host, the port and every per-site setting, one settings
// section "*Setting*" for the book itself, and the default site, whose
// section name is the byte 0xFF + "【預設位址】".
//
// Values are read with the defaults of the format and written in its key
// order. Every operation of the book that writes changes the parsed file and
// stores it in one atomic write (ProfileEdit.h), readable by the user only,
// since the book holds the login texts and the password.
#pragma once
#include "platform/core/IniFile.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace session {

extern const std::string kSettingSection; // "*Setting*"
// 0xFF + the Big5 text "【預設位址】", 13 bytes.
const std::string& DefaultSiteName();
// The screen font a site has when it names none (Big5 "細明體").
const std::string& DefaultSiteFontName();
bool IsSettingSection(std::string_view name);
bool IsDefaultSiteName(std::string_view name);
// The alias as the list shows it: the default site without its 0xFF.
std::string SiteDisplayName(std::string_view alias);

// True when the alias reads as an address one could type into the host
// box: a dotted IPv4 address, an IPv6 address or a host name with a dot.
bool AliasReadsAsHost(std::string_view alias);
// The alias a new site gets when `taken` says `alias` is in use. A name
// that reads as a host address gets " (2)", " (3)", ... after it, since
// renumbering its last digits would name another host (127.0.0.1 must not
// become 127.0.0.2); any other name has its trailing digits replaced by a
// counter from 1 (site9 becomes site1, site becomes site1, site2, ...).
std::string NumberedAlias(const std::string& alias,
                          const std::function<bool(const std::string&)>& taken);

// The font size a site has when it names none, from the screen width.
int DefaultFontSizeForWidth(int screenWidth);

// The text as a decimal integer, or def when it is not one.
int NumberRule(std::string_view text, int def);

// Longest anti-idle string padding honoured, against a hand-edited length.
inline constexpr int kMaxAutoSendKeyLen = 1024;

// One site as stored. Texts that the dialog shows as typed (port, rows,
// columns) stay texts.
struct TSite {
    std::string Hostname;
    std::string Port = "23";
    std::string FontName;
    int FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;
    std::string Row = "24";
    std::string Column = "80";
    int SpaceV = 0;
    bool LocalEcho = false;
    bool Monochrome = false;
    bool AutoWrap = false;
    bool Hyperlink = true;
    std::string KeyType = "Default";
    bool Login = false;
    std::string TriggerStr;
    std::string LoginText; // plain, lines joined by "^M"
    bool ForeAutoSendKey = false;
    bool BackAutoSendKey = false;
    int SendKeyInterval = 60;
    std::string AutoSendKey = "\\x00";
    bool Picture = false;
    std::string PictureFilename;
    int PictureStyle = 3;
    int Color = 0;
    bool Transparent = false;
    int Transparency = 20;
    bool Check = false;

    int Rows() const { return NumberRule(Row, 24); }
    int Columns() const { return NumberRule(Column, 80); }
};

// Key groups of a site, as the copiers move them.
enum TSiteGroup : unsigned {
    sgHost = 1,      // Hostname, Port
    sgFont = 2,      // Font.*, Row, Column, SpaceV
    sgOptions = 4,   // LocalEcho, Monochrome, AutoWrap, Hyperlink, KeyType
    sgLogin = 8,     // Login, TriggerStr, LoginKey
    sgAutoSend = 16, // ForeAutoSendKey .. AutoSendKeyLen
    sgPicture = 32,  // Picture .. Transparency
    sgSite = 63,     // every key but Check
};

// The site of a section with the format's defaults; out-of-range SpaceV,
// SendKeyInterval and Font.Size read as their defaults, an undecodable
// LoginKey as an empty login text.
TSite ReadSite(const win::TIniText& text, std::string_view alias, int defaultFontSize);

// Writes the keys of the groups, in key order; the login text scrambled
// anew. A value that starts or ends with a blank or quote keeps them.
void WriteSite(win::TIniText& text, std::string_view alias, const TSite& site, unsigned groups);

// The site aliases in file order, the settings section left out.
std::vector<std::string> SiteAliases(const win::TIniText& text);

// Adds the default site when no section has its name: Hostname = one of
// hosts chosen at random, Port = "23"; true when it was added.
bool EnsureDefaultSite(win::TIniText& text, const std::vector<std::string>& hosts,
                       std::mt19937& random);

// The host a new default site gets.
const std::vector<std::string>& BuiltInDefaultHosts();

// The directory password, plain; an undecodable one reads as empty.
std::string ReadDirectoryPassword(const win::TIniText& text);
void WriteDirectoryPassword(win::TIniText& text, std::string_view plain);

// The book's file by path.
class TDirectoryFile {
public:
    explicit TDirectoryFile(std::string path) : FPath(std::move(path)) {}
    const std::string& Path() const { return FPath; }

    // Reading never fails: a missing or unreadable file reads as empty.
    win::TIniText Read() const;
    // Reads for an edit, applies change, writes once. Throws win::EFileError
    // (nothing written) when the file cannot be read or written.
    template <class F> void Edit(F&& change) const {
        win::TIniText text = ReadForEdit();
        change(text);
        Write(text);
    }

private:
    win::TIniText ReadForEdit() const;
    void Write(const win::TIniText& text) const;
    std::string FPath;
};

} // namespace session
