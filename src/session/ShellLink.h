// TShellLink: a shortcut to a program as a desktop entry file
// ("[Desktop Entry]", Type=Application), mode 0755 so desktops that want
// launchers executable run it.
//
// Stored: Exec (the program and its arguments, each quoted by the entry's
// rules), Path (the working folder, the program's folder when empty),
// Icon, Comment (the description) and Name (the file's own name). A
// desktop entry has no place for a hot key, an icon index or a window
// state: those stay in the object and Read leaves them as they are.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

class EShellLink : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TShellLinkWindowState { wsNormal, wsMinimized, wsMaximized };

class TShellLink {
public:
    std::vector<std::string> Arguments;
    std::string Description;
    std::string IconFile;
    unsigned IconIndex = 0;
    int HotKey = 0;
    std::string LinkFile;
    std::string ProgramFile;
    TShellLinkWindowState WindowState = TShellLinkWindowState::wsNormal;
    std::string WorkingDirectory;

    // Writes LinkFile (an existing one is replaced); raises EShellLink.
    void Write();
    // Reads LinkFile into the stored properties; raises EShellLink.
    void Read();

    // The file's text as Write stores it.
    std::string EntryText() const;
};
