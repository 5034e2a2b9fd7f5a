// Loading and saving the site file with its backup, and Quillon.ini.
#include "platform/core/TempDir.h"
#include "sitelist/core/QuillonSettings.h"
#include "sitelist/core/SiteFile.h"

#include <filesystem>
#include "../../support/Unprivileged.h"
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace sitelist;

TEST(SiteFile, SaveBacksUpWhatIsOnDiskThenWritesTheList) {
    TTempDir dir;
    TTempDir::Put(dir / "Quillon.txt", "/A\r\n");
    TSiteList list;
    TSiteFile file(dir / "Quillon.txt");
    EXPECT_EQ(file.Load(list), TSiteFile::TLoad::Loaded);
    list.CreateSite(0);
    EXPECT_EQ(file.Save(list), "");
    EXPECT_FALSE(list.Modified);
    EXPECT_EQ(TTempDir::Get(dir / "Quillon.txt.bak"), "/A\r\n");
    EXPECT_EQ(TTempDir::Get(dir / "Quillon.txt"), list.Text());
}

TEST(SiteFile, MissingFileGivesAnEmptyListAndLeavesTheBackup) {
    TTempDir dir;
    TTempDir::Put(dir / "Quillon.txt.bak", "old backup");
    TSiteList list;
    TSiteFile file(dir / "Quillon.txt");
    EXPECT_EQ(file.Load(list), TSiteFile::TLoad::Missing);
    EXPECT_EQ(list.LineCount(), 0);
    list.CreateFolder(-1);
    EXPECT_EQ(file.Save(list), "");
    EXPECT_EQ(TTempDir::Get(dir / "Quillon.txt.bak"), "old backup");
}

TEST(SiteFile, UnreadableFileIsNeverReplaced) {
    TTempDir dir;
    std::filesystem::create_directory(dir / "Quillon.txt"); // exists, cannot be read
    TSiteList list;
    TSiteFile file(dir / "Quillon.txt");
    EXPECT_EQ(file.Load(list), TSiteFile::TLoad::Unreadable);
    EXPECT_EQ(file.ReadErrorText(), "無法讀取 " + dir / "Quillon.txt" + "!");
    list.CreateFolder(-1);
    EXPECT_EQ(file.Save(list), file.ReadErrorText());
    EXPECT_TRUE(list.Modified);
}

TEST(SiteFile, ReadOnlyFolderNamesTheFileAndKeepsBoth) {
    if (testpeer::RanUnprivileged()) return;
    TTempDir dir;
    TTempDir::Put(dir / "Quillon.txt", "/A\r\n");
    TTempDir::Put(dir / "Quillon.txt.bak", "bak");
    TSiteList list;
    TSiteFile file(dir / "Quillon.txt");
    file.Load(list);
    list.CreateSite(0);
    chmod(dir.Path.c_str(), 0555);
    std::string error = file.Save(list);
    chmod(dir.Path.c_str(), 0755);
    EXPECT_EQ(error, WriteErrorMessage(dir / "Quillon.txt.bak"));
    EXPECT_EQ(TTempDir::Get(dir / "Quillon.txt"), "/A\r\n");
    EXPECT_EQ(TTempDir::Get(dir / "Quillon.txt.bak"), "bak");
}

TEST(SiteFile, LoadingRemovesCopiesThatKilledSavesLeft) {
    TTempDir dir;
    TTempDir::Put(dir / "Quillon.txt", "/A\r\n");
    for (const char* copy : {".Quillon.txt.tmp4711", ".Quillon.txt.bak.tmp12"})
        TTempDir::Put(dir / copy, std::string(4096, 'x'));
    TTempDir::Put(dir / ".Quillon.txt.tmp-mine", "not ours");
    TSiteList list;
    EXPECT_EQ(TSiteFile(dir / "Quillon.txt").Load(list), TSiteFile::TLoad::Loaded);
    EXPECT_FALSE(std::filesystem::exists(dir / ".Quillon.txt.tmp4711"));
    EXPECT_FALSE(std::filesystem::exists(dir / ".Quillon.txt.bak.tmp12"));
    EXPECT_TRUE(std::filesystem::exists(dir / ".Quillon.txt.tmp-mine"));
}

TEST(QuillonSettings, DefaultsRoundTripAndToolBarKeysKeptAsRead) {
    TTempDir dir;
    TQuillonSettings s;
    s.Load(dir / "Quillon.ini", 1024, 768);
    EXPECT_EQ(s.Window, (TRect{0, 0, 1024, 768}));
    EXPECT_EQ(s.TreeWidth, 220);
    EXPECT_EQ(s.ColWidth[2], 50);
    TTempDir::Put(dir / "Quillon.ini",
                  "[ToolBar]\r\nDock=0\r\nFloatingWidth=333\r\n[Other]\r\nx=1\r\n");
    s.Load(dir / "Quillon.ini", 1024, 768);
    s.KeyWord = "\xA4\x40";
    s.ItemIndex = -1;
    s.Save(dir / "Quillon.ini");
    std::string text = TTempDir::Get(dir / "Quillon.ini");
    EXPECT_NE(text.find("Dock=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("FloatingWidth=333\r\n"), std::string::npos);
    EXPECT_NE(text.find("x=1\r\n"), std::string::npos);
    EXPECT_EQ(text.find("ItemIndex"), std::string::npos); // nothing selected
    TQuillonSettings back;
    back.Load(dir / "Quillon.ini", 1, 1);
    EXPECT_EQ(back.KeyWord, "\xA4\x40");
    EXPECT_EQ(back.Window, (TRect{0, 0, 1024, 768}));
}

TEST(QuillonSettings, WindowOffEveryScreenMovesToTheNearest) {
    std::vector<TRect> screens = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
    EXPECT_EQ(FitOnScreens({100, 100, 800, 600}, screens), (TRect{100, 100, 800, 600}));
    EXPECT_EQ(FitOnScreens({5000, 100, 800, 600}, screens), (TRect{2400, 100, 800, 600}));
    EXPECT_EQ(FitOnScreens({-5000, -5000, 4000, 4000}, screens).Width, 1920);
}
