// Desktop entry files (the shortcuts and menu items of the desktop) and the
// mimeapps.list files that name the default program for a kind of file or
// link.
//
// Both are group/key text files: "[Group]" lines, "Key=Value" lines,
// comments ("#") and blank lines. String values escape "\s", "\n", "\t",
// "\r" and "\\". The Exec key holds a command line of its own quoting:
// an argument with a blank or one of  " ' \ > < ~ | & ; $ * ? # ( ) `  is
// written in double quotes, inside which " ` $ \ take a backslash; "%"
// starts a field code ("%%" is a literal "%").
#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The keys of each group, in file order; a later duplicate key wins.
struct TDesktopFile {
    struct TGroup {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Keys; // raw values
    };
    std::vector<TGroup> Groups;

    // The raw value; none when the group or the key is missing.
    std::optional<std::string> Raw(std::string_view group, std::string_view key) const;
    // The value with the string escapes decoded.
    std::optional<std::string> String(std::string_view group, std::string_view key) const;
};

// Reads any text; lines that are neither groups, keys, comments nor blank
// are skipped, as are keys before the first group.
TDesktopFile ParseDesktopFile(std::string_view text);

std::string EscapeDesktopString(std::string_view value);
std::string UnescapeDesktopString(std::string_view value);

// One argument as the Exec key wants it (before the string escape).
std::string QuoteExecArgument(std::string_view arg);
// An Exec value (before the string escape) for a program and its arguments.
std::string BuildExecLine(const std::vector<std::string>& argv);

// What the field codes of an Exec line stand for.
struct TExecFields {
    std::string Url;      // %u %U %f %F: one argument, dropped when empty
    std::string Icon;     // %i: "--icon" and the icon, dropped when empty
    std::string Name;     // %c
    std::string Location; // %k
};

// Splits an Exec value (string escapes already decoded) into the program
// and its arguments, replacing field codes; an unknown or deprecated code
// is dropped. False for a malformed line (an open quote); no program: an
// empty vector.
bool SplitExecLine(std::string_view exec, const TExecFields& fields,
                   std::vector<std::string>& argv);

// The XDG folders the lookups use, each ending in "/".
struct TXdgPaths {
    std::string ConfigHome;
    std::vector<std::string> ConfigDirs;
    std::string DataHome;
    std::vector<std::string> DataDirs;
    std::vector<std::string> Desktops; // lower case, from XDG_CURRENT_DESKTOP
    // From HOME, XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME,
    // XDG_DATA_DIRS and XDG_CURRENT_DESKTOP, with their standard defaults.
    static TXdgPaths FromEnvironment();
};

// The mimeapps.list files to consult, most important first.
std::vector<std::string> MimeAppsFiles(const TXdgPaths& xdg);
// The folders desktop entries are installed in, most important first.
std::vector<std::string> ApplicationFolders(const TXdgPaths& xdg);

// The desktop ids (in order) a mimeapps.list text gives as default for a
// type in its [Default Applications] group.
std::vector<std::string> DefaultApplicationsIn(std::string_view mimeAppsText,
                                               std::string_view mimeType);

// The file of an installed desktop entry by id ("" when none); an id with
// "-" is also looked up with the dashes as sub-folders.
std::string FindDesktopEntryFile(const TXdgPaths& xdg, const std::string& id);

// The Exec value (decoded) of the default program for the first of the
// types that has an installed default; "" when none does.
std::string DefaultExecFor(const TXdgPaths& xdg, const std::vector<std::string>& mimeTypes);
