// The site-list program's start: one instance per user, found by the class
// name "TQuillonFrm". A second start asks the first to come forward and ends.
#pragma once
#include "sitelist/SiteChannel.h"

#include <functional>
#include <memory>
#include <string>

class TQuillonFrm;

struct TQuillonStart {
    // Both end in "/"; empty: the program's own folder, and the data folder
    // it chooses.
    std::string ProgramFolder, DataFolder;
    // The channel to the terminal; empty: MakeChannelServer.
    std::function<std::unique_ptr<TSiteServer>()> MakeServer;
    // Runs once the window exists, before it shows.
    std::function<void(TQuillonFrm&)> OnForm;
};

// Quillon.txt, its backup and Quillon.ini lie in the per-user settings
// folder, unless the program's folder already holds Quillon.ini or
// Quillon.txt (see win::GetSettingsFolder).
std::string QuillonDataFolder(const std::string& programFolder);

// The program; returns its exit code. Makes the QApplication unless one exists.
int RunQuillon(int& argc, char** argv, const TQuillonStart& start = {});
