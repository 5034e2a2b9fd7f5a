// The folders the programs keep their files in. Every path returned ends in
// "/" (callers append file names directly); an empty string means the
// folder is not available.
//
//   program folder   the folder of the running executable
//   Windows folder   per-user data folder shared by both programs:
//                    $XDG_DATA_HOME/brannocpro/ (~/.local/share/...),
//                    created on demand
//   TEMP             per-user private folder, mode 0700, never a shared
//                    folder such as /tmp itself
//   desktop          the XDG desktop folder, when it exists
//   program menu     $XDG_DATA_HOME/applications/, where menu entries go
//   settings         $XDG_CONFIG_HOME/brannocpro/ (~/.config/...), unless
//                    the program's folder already holds its settings file
#pragma once
#include <initializer_list>
#include <string>
#include <string_view>

namespace win {

// path with a "/" at its end (unchanged when it has one or is empty).
std::string IncludeTrailingPathDelimiter(std::string path);

std::string GetProgramFolder();
std::string GetWindowsFolder();
std::string GetTempFolder();
std::string GetDesktopFolder();
std::string GetProgramsFolder();
// The folder called name in the desktop's shell-folder list ("Desktop",
// "Programs"; letter case ignored); empty for other names.
std::string GetShellFolder(std::string_view name);

// The user's home folder (from HOME, else the password database), with "/".
std::string GetHomeFolder();

// Makes sure path is a folder that only the calling user can use: creates
// it (mode 0700) when missing, refuses a symbolic link or a folder owned by
// someone else, and takes group and other access away from our own folder.
bool EnsurePrivateFolder(const std::string& path);

// What a start finds when it chooses the folder of its settings files.
struct TSettingsPlaces {
    std::string Program;  // the program's folder
    std::string Config;   // $XDG_CONFIG_HOME/brannocpro/; "" when there is none
    std::string OldData;  // $XDG_DATA_HOME/brannocpro/, where settings went
                          // when the program's folder could not be written
    bool ProgramWritable = false;
    // The program's settings file is there.
    bool InProgram = false, InConfig = false, InOldData = false;
};

// The settings folder (ending in "/"; "" when there is none): the program's
// folder when it already holds the settings file and can be written
// (portable use and set-ups that keep their files beside the program), else
// the per-user settings folder; settings found only in the old data-folder
// place stay there, so no user loses an address book.
std::string ChooseSettingsFolder(const TSettingsPlaces& places);

// The settings folder for a program in programFolder whose settings files
// are called names (any one of them marks the folder as holding them); a
// per-user settings folder chosen is created, mode 0700.
std::string GetSettingsFolder(const std::string& programFolder,
                              std::initializer_list<const char*> names);

} // namespace win
