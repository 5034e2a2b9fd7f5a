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
#pragma once
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

} // namespace win
