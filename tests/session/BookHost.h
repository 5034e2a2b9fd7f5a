// The address book's host for tests: its files in one folder, no current
// site, connect and update requests ignored.
#pragma once

#include "dialogs/DirectoryDialog.h"

#include <string>

namespace sessiontest {

struct TBookHost : TDirectoryHost {
    std::string Dir;
    std::string SettingsDir() const override { return Dir; }
    std::string SettingsFileName() const override { return Dir + "Brannoc.ini"; }
    bool CurrentSiteName(std::string&) const override { return false; }
    void ConnectSite(const std::string&, const std::string&, const std::string&) override {}
    void UpdateSessions(const TSiteUpdate&) override {}
};

} // namespace sessiontest
