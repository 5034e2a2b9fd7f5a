#include "session/core/DirectoryFile.h"

#include "platform/core/Big5.h"
#include "platform/core/Files.h"
#include "session/core/ProfileEdit.h"
#include "session/core/ScriptLineWriter.h"
#include "session/core/StrCrypt.h"
#include "support/ScratchFolder.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

using namespace session;
using testsupport::FixturePath;
using testsupport::TScratchFolder;

namespace {

std::string B5(const char* utf8) {
    return win::Utf8ToBig5(utf8);
}

win::TIniText Fixture() {
    return win::TIniText(TScratchFolder::Read(FixturePath("addressbook/Directory.ini")));
}

// The lines of a section as the file holds them.
std::vector<std::string> SectionLines(const std::string& bytes, const std::string& section) {
    std::vector<std::string> out;
    bool in = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find("\r\n", start);
        std::string line = bytes.substr(start, end - start);
        start = end == std::string::npos ? bytes.size() : end + 2;
        if (!line.empty() && line[0] == '[') {
            in = line == "[" + section + "]";
            continue;
        }
        if (in && !line.empty()) out.push_back(line);
    }
    return out;
}

} // namespace

TEST(DirectoryFile, NamesOfTheBook) {
    EXPECT_EQ(DefaultSiteName().size(), 13u);
    EXPECT_EQ(DefaultSiteName()[0], '\xFF');
    EXPECT_EQ(SiteDisplayName(DefaultSiteName()), B5("【預設位址】"));
    EXPECT_TRUE(IsSettingSection("*SETTING*"));
    EXPECT_EQ(DefaultFontSizeForWidth(1152), 21);
    EXPECT_EQ(DefaultFontSizeForWidth(1151), 17);
    EXPECT_EQ(DefaultFontSizeForWidth(1024), 17);
    EXPECT_EQ(DefaultFontSizeForWidth(800), 13);
    EXPECT_EQ(DefaultFontSizeForWidth(799), 9);
}

TEST(DirectoryFile, NumberedAliasNeverNamesAnotherHost) {
    std::set<std::string> taken;
    auto number = [&](const std::string& a) {
        std::string n = NumberedAlias(a, [&](const std::string& x) { return taken.count(x) > 0; });
        taken.insert(n);
        return n;
    };
    for (const char* a : {"127.0.0.1", "::1", "bbs.host.test", "site9", "site"})
        EXPECT_EQ(number(a), a) << "free names stay";
    EXPECT_EQ(number("127.0.0.1"), "127.0.0.1 (2)");
    EXPECT_EQ(number("127.0.0.1 (2)"), "127.0.0.1 (3)") << "a numbered copy counts from its host";
    EXPECT_EQ(number("::1"), "::1 (2)");
    EXPECT_EQ(number("bbs.host.test"), "bbs.host.test (2)");
    EXPECT_EQ(number("site9"), "site1");
    EXPECT_EQ(number("site"), "site2") << "site1 is taken";
    for (const char* host : {"127.0.0.1", "10.0.0.255", "::1", "fe80::1%eth0", "a-b.host.test"})
        EXPECT_TRUE(AliasReadsAsHost(host)) << host;
    for (const char* name : {"site9", "my bbs", "127.0.0.1 (2)", "", "...", "\xA4\xA4.bbs"})
        EXPECT_FALSE(AliasReadsAsHost(name)) << name;
}

TEST(DirectoryFile, FixtureLoads) {
    win::TIniText t = Fixture();
    std::vector<std::string> aliases = SiteAliases(t);
    ASSERT_EQ(aliases.size(), 4u);
    // 乙 (A4 41) and 兀 (A4 61) differ only in a second byte that looks like
    // a letter: two sites. 包也 ends in a "]" second byte.
    EXPECT_EQ(aliases[0], B5("乙站"));
    EXPECT_EQ(aliases[1], B5("兀站"));
    EXPECT_EQ(aliases[2], B5("包也"));
    EXPECT_EQ(aliases[3], DefaultSiteName());

    TSite s = ReadSite(t, B5("乙站"), 13);
    EXPECT_EQ(s.Hostname, "127.0.0.1");
    EXPECT_EQ(s.Port, "2323");
    EXPECT_EQ(s.FontName, B5("細明體"));
    EXPECT_EQ(s.FontSize, 17);
    EXPECT_TRUE(s.FontBold);
    EXPECT_EQ(s.Rows(), 30);
    EXPECT_EQ(s.Columns(), 100);
    EXPECT_EQ(s.KeyType, "Vt100");
    EXPECT_TRUE(s.Login);
    EXPECT_EQ(s.TriggerStr, B5("請輸入代號"));
    EXPECT_EQ(s.LoginText, B5("guest^M乞丐^M"));
    EXPECT_EQ(s.AutoSendKey, "abc ") << "padded to AutoSendKeyLen";
    EXPECT_EQ(s.SendKeyInterval, 300);
    EXPECT_EQ(s.PictureStyle, 2);
    EXPECT_EQ(s.Color, 16711680);
    EXPECT_EQ(s.Transparency, 35);
    EXPECT_TRUE(s.Check);
    EXPECT_EQ(ReadDirectoryPassword(t), "secret");
}

TEST(DirectoryFile, MissingAndBadValuesReadAsDefaults) {
    win::TIniText t = Fixture();
    TSite u = ReadSite(t, B5("兀站"), 21);
    EXPECT_EQ(u.Port, "23");
    EXPECT_EQ(u.FontName, B5("細明體"));
    EXPECT_EQ(u.FontSize, 21);
    EXPECT_TRUE(u.Hyperlink);
    EXPECT_EQ(u.KeyType, "Default");
    EXPECT_EQ(u.LoginText, "") << "an undecodable LoginKey reads empty";
    EXPECT_EQ(u.AutoSendKey, "\\x00");
    EXPECT_EQ(u.SendKeyInterval, 60);
    EXPECT_EQ(u.PictureStyle, 3);
    EXPECT_EQ(u.Transparency, 20);

    TSite b = ReadSite(t, B5("包也"), 9);
    EXPECT_EQ(b.Row, "24");
    EXPECT_EQ(b.Rows(), 24);
    EXPECT_EQ(b.SpaceV, 0) << "outside 0..50";
    EXPECT_EQ(b.SendKeyInterval, 60) << "outside 1..3600";
    EXPECT_EQ(b.FontSize, 9) << "outside 1..200";

    // A hand-edited huge length pads only up to the limit.
    win::TIniText h("[x]\r\nAutoSendKey=a\r\nAutoSendKeyLen=2000000000\r\n");
    EXPECT_EQ(ReadSite(h, "x", 9).AutoSendKey.size(), std::size_t(kMaxAutoSendKeyLen));
    win::TIniText shorter("[x]\r\nAutoSendKey=abcdef\r\nAutoSendKeyLen=2\r\n");
    EXPECT_EQ(ReadSite(shorter, "x", 9).AutoSendKey, "abcdef");
}

TEST(DirectoryFile, SiteSavedUnchangedKeepsItsBytes) {
    const std::string original = TScratchFolder::Read(FixturePath("addressbook/Directory.ini"));
    win::TIniText t(original);
    const std::string alias = B5("乙站");
    TSite s = ReadSite(t, alias, 13);
    WriteSite(t, alias, s, sgSite);
    std::string saved = t.Text();
    auto before = SectionLines(original, alias), after = SectionLines(saved, alias);
    ASSERT_EQ(before.size(), after.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (before[i].rfind("LoginKey=", 0) == 0) {
            EXPECT_EQ(DecodeStoredKey(after[i].substr(9)), s.LoginText);
            continue;
        }
        EXPECT_EQ(before[i], after[i]);
    }
    // Other sections untouched.
    EXPECT_EQ(SectionLines(original, B5("包也")), SectionLines(saved, B5("包也")));
}

TEST(DirectoryFile, NewSiteWritesEveryKeyInOrderAndKeepsBlanks) {
    win::TIniText t;
    TSite s;
    s.Hostname = "127.0.0.1";
    s.FontName = B5("細明體");
    s.FontSize = 17;
    s.TriggerStr = "ls ";
    s.KeyType = " spaced";
    s.AutoSendKey = "abc ";
    s.PictureFilename = "'quoted'";
    WriteSite(t, "site", s, sgSite);
    std::vector<std::string> keys = t.Keys("site");
    const std::vector<std::string> order = {"Hostname",
                                            "Port",
                                            "Font.Name",
                                            "Font.Size",
                                            "Font.Bold",
                                            "Font.Italic",
                                            "Row",
                                            "Column",
                                            "SpaceV",
                                            "LocalEcho",
                                            "Monochrome",
                                            "AutoWrap",
                                            "Hyperlink",
                                            "KeyType",
                                            "Login",
                                            "TriggerStr",
                                            "LoginKey",
                                            "ForeAutoSendKey",
                                            "BackAutoSendKey",
                                            "SendKeyInterval",
                                            "AutoSendKey",
                                            "AutoSendKeyLen",
                                            "Picture",
                                            "PictureFilename",
                                            "PictureStyle",
                                            "Color",
                                            "Transparent",
                                            "Transparency"};
    EXPECT_EQ(keys, order);
    win::TIniText back(t.Text());
    TSite r = ReadSite(back, "site", 9);
    EXPECT_EQ(r.TriggerStr, "ls ");
    EXPECT_EQ(r.KeyType, " spaced");
    EXPECT_EQ(r.AutoSendKey, "abc ");
    EXPECT_EQ(r.PictureFilename, "'quoted'");
    std::string v;
    back.Find("site", "AutoSendKeyLen", &v);
    EXPECT_EQ(v, "4");
    EXPECT_NE(t.Text().find("AutoSendKey=abc\r\n"), std::string::npos)
        << "the anti-idle string stays as files hold it, its blank restored by the length";
}

TEST(DirectoryFile, GroupsWriteOnlyTheirKeys) {
    win::TIniText t("[a]\r\nHostname=h\r\nFont.Size=9\r\nLocalEcho=0\r\n");
    TSite s;
    s.FontSize = 30;
    s.LocalEcho = true;
    s.Hostname = "changed";
    WriteSite(t, "a", s, sgOptions);
    std::string v;
    t.Find("a", "Font.Size", &v);
    EXPECT_EQ(v, "9");
    t.Find("a", "Hostname", &v);
    EXPECT_EQ(v, "h");
    t.Find("a", "LocalEcho", &v);
    EXPECT_EQ(v, "1");
    EXPECT_FALSE(t.Find("a", "LoginKey", nullptr));
}

TEST(DirectoryFile, DefaultSiteCreatedOnce) {
    win::TIniText t("[*Setting*]\r\nItemIndex=x\r\n");
    std::mt19937 rng(1);
    EXPECT_TRUE(EnsureDefaultSite(t, {"127.0.0.1"}, rng));
    EXPECT_EQ(SiteAliases(t), std::vector<std::string>{DefaultSiteName()});
    EXPECT_EQ(t.Keys(DefaultSiteName()), (std::vector<std::string>{"Hostname", "Port"}));
    TSite d = ReadSite(t, DefaultSiteName(), 9);
    EXPECT_EQ(d.Hostname, "127.0.0.1");
    EXPECT_EQ(d.Port, "23");
    EXPECT_FALSE(EnsureDefaultSite(t, {"127.0.0.2"}, rng));
    win::TIniText deleted = t;
    deleted.EraseSection(DefaultSiteName());
    EXPECT_TRUE(EnsureDefaultSite(deleted, {"127.0.0.2"}, rng));
}

TEST(DirectoryFile, FileEditsAreAtomicAndPrivate) {
    TScratchFolder dir;
    TDirectoryFile file(dir.File("Directory.ini"));
    EXPECT_TRUE(SiteAliases(file.Read()).empty()) << "a missing file reads empty";
    TSite s;
    s.Hostname = "127.0.0.1";
    file.Edit([&](win::TIniText& t) { WriteSite(t, "a", s, sgSite); });
    struct stat st {};
    ASSERT_EQ(stat(file.Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a new book is the user's alone";

    // A read-only book: the edit throws and nothing changes.
    std::string before = TScratchFolder::Read(file.Path());
    chmod(file.Path().c_str(), 0400);
    if (access(file.Path().c_str(), W_OK) != 0) {
        EXPECT_THROW(file.Edit([&](win::TIniText& t) { WriteSite(t, "b", s, sgSite); }),
                     win::EFileError);
        EXPECT_EQ(TScratchFolder::Read(file.Path()), before);
    }
    chmod(file.Path().c_str(), 0600);
    // Binary junk reads without failing; an edit keeps the junk lines.
    TScratchFolder::Write(file.Path(), std::string("\x00\xFF[\r\n=\x01\r\n", 9));
    EXPECT_NO_THROW(ReadSite(file.Read(), "a", 9));
    file.Edit([&](win::TIniText& t) { WriteSite(t, "a", s, sgHost); });
    EXPECT_EQ(ReadSite(file.Read(), "a", 9).Hostname, "127.0.0.1");
}

TEST(ScriptLines, SitesThatWouldReadBackWronglyAreRefused) {
    TScriptSite ok{"bbs", "127.0.0.1", "23", "login:", "guest^M"};
    EXPECT_TRUE(ScriptSiteWritable(ok));
    std::vector<std::string> lines;
    AppendScriptLines(ok, lines);
    ok.KeyWord.clear();
    ok.Login.clear();
    AppendScriptLines(ok, lines);
    EXPECT_EQ(lines, (std::vector<std::string>{"#bbs 127.0.0.1 23 login:", "guest^M",
                                               "#bbs 127.0.0.1 23"}));
    EXPECT_EQ(ScriptFileText({"a", "b"}), "a\r\nb\r\n");
    for (auto bad :
         {TScriptSite{"my bbs", "h", "23", "", ""}, TScriptSite{"a", "", "23", "", ""},
          TScriptSite{"a", "h", "23", "請 輸入", ""}, TScriptSite{"a", "h", "23", "", "#other"},
          TScriptSite{"a", "h", "23", "", "%default"}, TScriptSite{"a", "h", "23", "", "`note"}})
        EXPECT_FALSE(ScriptSiteWritable(bad)) << bad.Name << "|" << bad.KeyWord << "|" << bad.Login;
    EXPECT_EQ(ScriptFileName("/tmp/x/sites"), "/tmp/x/sites.txt");
    EXPECT_EQ(ScriptFileName("/tmp/x.d/sites.scr"), "/tmp/x.d/sites.scr");
    EXPECT_EQ(ScriptFileName("/tmp/x.d/sites"), "/tmp/x.d/sites.txt");
}
