// A private user environment for one dialog test: HOME, the XDG folders,
// XDG_RUNTIME_DIR and TMPDIR in a scratch folder, the settings folder with
// copies of the address-book fixtures, and the write-error message caught.
#pragma once
#include "dialogs/DirectoryDialog.h"
#include "platform/core/WriteError.h"
#include "support/ScratchFolder.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace testsupport {

// The main window as the address book sees it, recording the calls.
struct TFakeDirectoryHost : TDirectoryHost, TKeyBoardHost {
    std::string Dir;
    bool FontGlobal = false, PictureGlobal = false;
    bool HasCurrent = false;
    std::string Current;
    struct TConnect {
        std::string Alias, Host, Port;
    };
    std::vector<TConnect> Connects;
    std::vector<TSiteUpdate> Updates;
    std::vector<std::string> Rebuilt, Added;
    int Overflowing = 0;

    std::string SettingsDir() const override { return Dir; }
    std::string SettingsFileName() const override { return Dir + "Brannoc.ini"; }
    bool GlobalFont() const override { return FontGlobal; }
    bool GlobalPicture() const override { return PictureGlobal; }
    bool CurrentSiteName(std::string& name) const override {
        name = Current;
        return HasCurrent;
    }
    void ConnectSite(const std::string& alias, const std::string& host,
                     const std::string& port) override {
        Connects.push_back({alias, host, port});
    }
    void UpdateSessions(const TSiteUpdate& u) override { Updates.push_back(u); }
    int RebuildKeyTables(const std::string& map,
                         const std::vector<std::pair<std::string, std::string>>&) override {
        Rebuilt.push_back(map);
        return Overflowing;
    }
    void KeyMapAdded(const std::string& map) override { Added.push_back(map); }
};

class TDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : kEnv) {
            const char* v = std::getenv(name);
            FSavedEnv.emplace_back(v ? v : "", v != nullptr);
        }
        for (const char* sub : {"home", "data", "config", "run", "tmp", "settings"})
            mkdir(Scratch.File(sub).c_str(), 0700);
        setenv("HOME", Scratch.File("home").c_str(), 1);
        setenv("XDG_DATA_HOME", Scratch.File("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", Scratch.File("config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", Scratch.File("run").c_str(), 1);
        setenv("TMPDIR", Scratch.File("tmp").c_str(), 1);
        Host.Dir = Scratch.File("settings/");
        win::RearmWriteError();
        win::SetWriteErrorHandler([this](const std::string& text) { WriteErrors.push_back(text); });
    }
    void TearDown() override {
        for (std::size_t i = 0; i < FSavedEnv.size(); ++i) {
            if (FSavedEnv[i].second)
                setenv(kEnv[i], FSavedEnv[i].first.c_str(), 1);
            else
                unsetenv(kEnv[i]);
        }
        win::SetWriteErrorHandler({});
        win::RearmWriteError();
    }
    void CopyFixtures() {
        for (const char* f : {"Directory.ini", "Keys.ini"})
            TScratchFolder::Write(
                Host.Dir + f, TScratchFolder::Read(FixturePath(std::string("addressbook/") + f)));
    }
    std::string Book() const { return TScratchFolder::Read(Host.Dir + "Directory.ini"); }
    static void Settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    static constexpr const char* kEnv[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                                           "XDG_RUNTIME_DIR", "TMPDIR"};
    std::vector<std::pair<std::string, bool>> FSavedEnv;
    TScratchFolder Scratch;
    TFakeDirectoryHost Host;
    std::vector<std::string> WriteErrors;
};

} // namespace testsupport
