// The main window's desktop for tests: its folders in a sandbox, every folder
// writable, no question to the user, and the desktop's telnet-link handler
// left alone (it reads as none set; writing it succeeds and changes nothing).
// Tests that script the handler or the offer override those calls.
#pragma once

#include "session/kvMainForm.h"
#include "../support/SandboxHome.h"

#include <filesystem>

#include <string>
#include <utility>

namespace sessiontest {

// The folders the window is given, each ending in "/" (Desktop may be "").
struct TTestFolders {
    std::string Program, Windows, Temp, Desktop;
};

class TQuietEnvironment : public TMainFormEnvironment {
public:
    // Every folder is this one.
    explicit TQuietEnvironment(const std::string& folder)
        : TQuietEnvironment(TTestFolders{folder, folder, folder, folder}) {}
    // The program file is programFile in the program folder.
    explicit TQuietEnvironment(TTestFolders folders, std::string programFile = "BrannocPro")
        : Folders(std::move(folders)), ProgramFile(std::move(programFile)) {}

    std::string ProgramFolder() override { return Folders.Program; }
    std::string WindowsFolder() override { return Folders.Windows; }
    std::string TempFolder() override { return Folders.Temp; }
    std::string DesktopFolder() override { return Folders.Desktop; }
    // Settings beside the sandbox program, as a portable set-up keeps them.
    std::string SettingsFolder() override { return Folders.Program; }
    std::string ProgramPath() override { return Folders.Program + ProgramFile; }
    bool AskDefaultTelnet(QWidget*, bool* dontAsk) override {
        if (dontAsk) *dontAsk = true;
        return false;
    }
    bool ReadTelnetHandler(std::string* command) override {
        if (command) command->clear();
        return true;
    }
    bool WriteTelnetHandler(const std::string&) override { return true; }

    TTestFolders Folders;
    std::string ProgramFile;
};

// One sandbox home per test program (HOME, XDG folders and TMPDIR point into
// it), made on first use, and folders inside it that end in "/".
inline testpeer::TSandboxHome& Home() {
    static testpeer::TSandboxHome home;
    return home;
}

inline std::string Dir(const char* name) {
    const std::string d = Home().Root() + "/" + name + "/";
    std::filesystem::create_directories(d);
    return d;
}

// The quiet desktop with its program, Windows, temp and desktop folders in
// the sandbox, so settings never land in the build tree.
class TSandboxEnvironment : public TQuietEnvironment {
public:
    TSandboxEnvironment()
        : TQuietEnvironment(TTestFolders{Dir("prog"), Dir("win"), Dir("tmp"), Dir("desktop")}) {}
};

} // namespace sessiontest
