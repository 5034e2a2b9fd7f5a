#include "platform/core/Folders.h"

#include "TempDir.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

using namespace win;

namespace {

// Points HOME and the XDG variables into a private folder for one test.
class FoldersTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* v :
             {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
            const char* old = getenv(v);
            Saved[v] = old ? std::optional<std::string>(old) : std::nullopt;
            unsetenv(v);
        }
        Home = Dir / "home/";
        std::filesystem::create_directories(Home);
        setenv("HOME", Home.c_str(), 1);
        setenv("TMPDIR", (Dir / "tmp").c_str(), 1);
        std::filesystem::create_directories(Dir / "tmp");
    }
    void TearDown() override {
        for (const auto& [k, v] : Saved)
            if (v)
                setenv(k.c_str(), v->c_str(), 1);
            else
                unsetenv(k.c_str());
    }
    static unsigned Mode(const std::string& p) {
        struct stat st {};
        return lstat(p.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0xFFFF;
    }

    TTempDir Dir;
    std::string Home;
    std::map<std::string, std::optional<std::string>> Saved;
};

} // namespace

TEST_F(FoldersTest, ProgramAndWindowsFolders) {
    std::string prog = GetProgramFolder();
    ASSERT_FALSE(prog.empty());
    EXPECT_EQ(prog.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(prog + "test_platform_core_Folders"));

    std::string win = GetWindowsFolder();
    EXPECT_EQ(win, Home + ".local/share/brannocpro/");
    EXPECT_EQ(Mode(win), 0700u) << "created on demand, private";
    setenv("XDG_DATA_HOME", (Dir / "data").c_str(), 1);
    EXPECT_EQ(GetWindowsFolder(), Dir / "data/brannocpro/");
    setenv("XDG_DATA_HOME", "relative/path", 1);
    EXPECT_EQ(GetWindowsFolder(), win) << "a relative XDG value is ignored";
    EXPECT_EQ(GetShellFolder("PROGRAMS"), Home + ".local/share/applications/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingPathDelimiter("/a/"), "/a/");
}

TEST_F(FoldersTest, TempIsPrivateAndNeverShared) {
    std::string temp = GetTempFolder();
    EXPECT_EQ(temp, Dir / "tmp/brannocpro-" + std::to_string(geteuid()) + "/");
    EXPECT_EQ(Mode(temp), 0700u);
    EXPECT_EQ(GetTempFolder(), temp) << "both instances of a program find the same folder";

    // Our own folder with group access is made private again.
    chmod(temp.c_str(), 0755);
    EXPECT_EQ(GetTempFolder(), temp);
    EXPECT_EQ(Mode(temp), 0700u);

    // A link planted under our name is never followed.
    std::filesystem::remove(temp);
    std::filesystem::create_directory(Dir / "elsewhere");
    std::filesystem::create_directory_symlink(Dir / "elsewhere", temp.substr(0, temp.size() - 1));
    std::string fallback = GetTempFolder();
    EXPECT_EQ(fallback, Home + ".local/share/brannocpro/temp/");
    EXPECT_EQ(Mode(fallback), 0700u);

    // The session's runtime folder comes first when there is one.
    setenv("XDG_RUNTIME_DIR", (Dir / "run").c_str(), 1);
    std::filesystem::create_directory(Dir / "run");
    EXPECT_EQ(GetTempFolder(), Dir / "run/brannocpro/");
}

TEST_F(FoldersTest, TempRefusesAFolderOwnedBySomeoneElse) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to give a folder away";
    std::string name = Dir / "tmp/brannocpro-0";
    std::filesystem::create_directory(name);
    chmod(name.c_str(), 0700);
    ASSERT_EQ(chown(name.c_str(), 65534, 65534), 0);
    EXPECT_EQ(GetTempFolder(), Home + ".local/share/brannocpro/temp/");
}

TEST_F(FoldersTest, DesktopFromUserDirsWithFallback) {
    EXPECT_EQ(GetDesktopFolder(), "") << "no desktop folder at all";
    std::filesystem::create_directory(Home + "Desktop");
    EXPECT_EQ(GetDesktopFolder(), Home + "Desktop/");
    std::filesystem::create_directories(Home + ".config");
    std::filesystem::create_directory(Home + "桌面");
    TTempDir::Put(Home + ".config/user-dirs.dirs",
                  "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/桌面\"\n");
    EXPECT_EQ(GetShellFolder("desktop"), Home + "桌面/");
    TTempDir::Put(Home + ".config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/missing\"\n");
    EXPECT_EQ(GetDesktopFolder(), Home + "Desktop/");
    EXPECT_EQ(GetShellFolder("Startup"), "");
}

TEST(SettingsFolder, BesideTheProgramOnlyWhenItsFileIsThereElseThePerUserFolder) {
    TSettingsPlaces p{"/opt/bp", "/h/.config/brannocpro/", "/h/.local/share/brannocpro/"};
    p.ProgramWritable = true;
    // A first start: the per-user folder, never beside the program.
    EXPECT_EQ(ChooseSettingsFolder(p), "/h/.config/brannocpro/");
    // A portable copy, or a set-up that kept its files beside the program.
    p.InProgram = true;
    EXPECT_EQ(ChooseSettingsFolder(p), "/opt/bp/");
    // ... and even when the per-user folder holds another set.
    p.InConfig = p.InOldData = true;
    EXPECT_EQ(ChooseSettingsFolder(p), "/opt/bp/");
    // A program folder that cannot be written is no place for settings.
    p.ProgramWritable = false;
    EXPECT_EQ(ChooseSettingsFolder(p), "/h/.config/brannocpro/");
}

TEST(SettingsFolder, SettingsInTheOldDataPlaceStayThereUntilThePerUserFolderHasSome) {
    TSettingsPlaces p{"/usr/bin/", "/h/.config/brannocpro/", "/h/.local/share/brannocpro/"};
    p.InOldData = true;
    EXPECT_EQ(ChooseSettingsFolder(p), "/h/.local/share/brannocpro/");
    p.InConfig = true;
    EXPECT_EQ(ChooseSettingsFolder(p), "/h/.config/brannocpro/");
    // No home at all: the data folder, else none; trailing "/" added.
    EXPECT_EQ(ChooseSettingsFolder({"/usr/bin", "", "/d"}), "/d/");
    EXPECT_EQ(ChooseSettingsFolder({"/usr/bin", "", ""}), "");
}

TEST_F(FoldersTest, SettingsFolderIsMadePrivateAndFoundByTheProgramsOwnFile) {
    const std::string prog = Dir / "prog/";
    std::filesystem::create_directories(prog);
    TTempDir::Put(prog + "Quillon.ini", "");
    // The site list's file beside the program says nothing about the terminal's.
    const std::string config = Home + ".config/brannocpro/";
    EXPECT_EQ(GetSettingsFolder(prog, {"Brannoc.ini"}), config);
    EXPECT_EQ(Mode(config), 0700u);
    EXPECT_FALSE(std::filesystem::exists(Home + ".local")) << "the old place is only looked at";
    EXPECT_EQ(GetSettingsFolder(prog, {"Quillon.ini", "Quillon.txt"}), prog);

    // A book kept in the old data-folder place is kept using.
    std::filesystem::remove_all(config);
    setenv("XDG_CONFIG_HOME", (Dir / "cfg").c_str(), 1);
    std::filesystem::create_directories(Dir / "data/brannocpro");
    TTempDir::Put(Dir / "data/brannocpro/Brannoc.ini", "");
    setenv("XDG_DATA_HOME", (Dir / "data").c_str(), 1);
    EXPECT_EQ(GetSettingsFolder(prog, {"Brannoc.ini"}), Dir / "data/brannocpro/");
    EXPECT_FALSE(std::filesystem::exists(Dir / "cfg"));
    // Once the per-user settings folder holds settings, they win.
    std::filesystem::create_directories(Dir / "cfg/brannocpro");
    TTempDir::Put(Dir / "cfg/brannocpro/Brannoc.ini", "");
    EXPECT_EQ(GetSettingsFolder(prog, {"Brannoc.ini"}), Dir / "cfg/brannocpro/");
}
