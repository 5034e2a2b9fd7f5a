// The desktop's handler for telnet links (x-scheme-handler/telnet): which
// program's command runs a link, and making this program that handler.
//
// The default comes from the mimeapps.list files in the XDG lookup order
// (desktop-specific files first, user config, system config, user data,
// system data); the handler's command is the Exec line of its desktop entry.
// Registering writes our own desktop entry into the program-menu folder and
// the default into the user's mimeapps.list, both as LF-ended UTF-8 text,
// each file replaced atomically with every other line kept.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace win {

// The folders the lookup uses (each ends in "/"); FromEnvironment reads
// HOME, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and
// XDG_CURRENT_DESKTOP.
struct TXdgFolders {
    std::string ConfigHome;
    std::vector<std::string> ConfigDirs;
    std::string DataHome;
    std::vector<std::string> DataDirs;
    std::vector<std::string> Desktops; // lower case, e.g. "gnome"
    static TXdgFolders FromEnvironment();
};

constexpr const char* TelnetScheme = "x-scheme-handler/telnet";
// The file name of our desktop entry.
constexpr const char* TelnetHandlerEntry = "brannocpro-telnet.desktop";
// The terminal's icon by name, as its desktop entries give it (Icon=).
constexpr const char* ProgramIconName = "brannocpro";

// The value of a key in a group of a desktop-style file (mimeapps.list, a
// desktop entry); false when absent. Keys compare exactly; string escapes
// (\s \n \t \r \\) are decoded.
bool FindDesktopKey(std::string_view text, std::string_view group, std::string_view key,
                    std::string* value);
// The text with key set in group (added at the group's end, the group added
// at the end of the text when missing); every other line kept as it was.
std::string SetDesktopKey(std::string_view text, std::string_view group, std::string_view key,
                          std::string_view value);

// True when the user's XDG folders exist (the handler settings "open").
bool TelnetHandlerSettingsExist(const TXdgFolders& xdg);
// The command of the default telnet-link handler, "" when none is set or
// its desktop entry is not installed.
std::string ReadTelnetHandlerCommand(const TXdgFolders& xdg);
// Makes command (an Exec line) the telnet-link handler. Throws EFileError.
void WriteTelnetHandlerCommand(const TXdgFolders& xdg, const std::string& command,
                               const std::string& name);

} // namespace win
