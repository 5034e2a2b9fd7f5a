#include "session/core/SiteSettings.h"

#include "platform/core/Big5.h"
#include "session/core/StrCrypt.h"

#include <gtest/gtest.h>

using namespace session;

namespace {

// A book with three sites and the default site's record.
struct Fixture {
    TSiteSettingsInput in;
    int passwordAsked = 0;
    bool passwordAnswer = true;

    Fixture() {
        in.Directory.Book.Parse("[bbs]\r\n"
                                "Hostname=bbs.example\r\n"
                                "Port=2323\r\n"
                                "Row=30\r\n"
                                "Column=100\r\n"
                                "Font.Name=Mono\r\n"
                                "Font.Size=15\r\n"
                                "Font.Bold=1\r\n"
                                "SpaceV=2\r\n"
                                "Monochrome=1\r\n"
                                "KeyType=Mine\r\n"
                                "Login=1\r\n"
                                "TriggerStr=login:\r\n"
                                "LoginKey=" +
                                EncodeStoredKey("guest^Msecret^M") +
                                "\r\n"
                                "PictureStyle=7\r\n"
                                "Transparency=-5\r\n"
                                "[plain]\r\n"
                                "Hostname=plain.example\r\n"
                                "Row=abc\r\n"
                                "AutoSendKey=abc\r\n"
                                "AutoSendKeyLen=5\r\n"
                                "[shown]\r\n"
                                "Hostname=shown.example\r\n");
        in.Directory.Aliases = {"bbs", "plain", "shown"};
        in.Directory.ItemIndex = 2;
        in.Directory.DefaultFontSize = 13;
        TSite& r = in.Directory.DefaultSite;
        r.Hostname = "default.example";
        r.Row = "25";
        r.Column = "81";
        r.FontName = "DefFont";
        r.FontSize = 11;
        r.SpaceV = 1;
        r.LocalEcho = true;
        r.KeyType = "DefKeys";
        r.Login = true;
        r.TriggerStr = "ID:";
        r.LoginText = "anon^M";
        r.ForeAutoSendKey = true;
        r.SendKeyInterval = 30;
        r.AutoSendKey = "\\x00";
        r.Picture = true;
        r.PictureFilename = "/pics/def.png";
        r.PictureStyle = 9;
        TSite& d = in.Directory.Shown;
        d.Hostname = "edited.example";
        d.Port = "24";
        d.Row = "40";
        d.FontName = "DlgFont";
        d.FontSize = 20;
        d.Login = true;
        d.TriggerStr = "name:";
        d.LoginText = "unsaved^M";
        d.PictureStyle = 2;
        d.Color = 0x123456;
        in.HostText = "bbs";
        in.PortText = "23";
        in.CheckPassword = [this] {
            ++passwordAsked;
            return passwordAnswer;
        };
    }

    TSessionSiteValues Apply(TSessionSiteValues s = {}, TSiteFormFields* out = nullptr) {
        TSiteFormFields f;
        ApplySiteSettings(in, s, f);
        if (out) *out = f;
        return s;
    }
};

} // namespace

TEST(SiteSettingsPath, FirstMatchWins) {
    Fixture fx;
    auto path = [&] { return ChooseSitePath(fx.in); };
    EXPECT_EQ(path(), TSitePath::Site);
    fx.in.HostText = "shown"; // the entry the dialog shows
    EXPECT_EQ(path(), TSitePath::Dialog);
    fx.in.HostText = "elsewhere.example";
    EXPECT_EQ(path(), TSitePath::Default);
    fx.in.FromDirectory = true;
    EXPECT_EQ(path(), TSitePath::Dialog);
    fx.in.HostText = "bbs";
    fx.in.ApplyDefaultSetting = true;
    EXPECT_EQ(path(), TSitePath::Default);
}

TEST(SiteSettingsPath, ListSearchFoldsAsciiOnly) {
    std::vector<std::string> list = {"MyBBS", win::Utf8ToBig5("一"), "x"};
    EXPECT_EQ(FindAlias(list, "MYBBS"), 0);
    EXPECT_EQ(FindAlias(list, "mybbs"), 0);
    EXPECT_EQ(FindAlias(list, "mybbs "), -1); // whole text
    EXPECT_EQ(FindAlias(list, "MyBB"), -1);
    // 一 is A4 40; A4 60 differs only in a second byte that folds as ASCII
    // would if it were a letter pair ('@' vs '`'); A4 61 / A4 41 too.
    EXPECT_EQ(FindAlias(list, win::Utf8ToBig5("一")), 1);
    std::vector<std::string> pair = {"\xA4\x41"};
    EXPECT_EQ(FindAlias(pair, "\xA4\x61"), -1);
    EXPECT_EQ(FindAlias(pair, "\xA4\x41"), 0);
}

// A port the user gave in a link or on the command line wins over the
// book site's of the same name; without one the site's port stands.
TEST(SiteSettingsSite, AGivenPortWinsOverTheSitesPort) {
    Fixture fx;
    fx.in.PortText = "4444";
    fx.in.PortGiven = true;
    EXPECT_EQ(fx.Apply({}, nullptr).Port, "4444");
    fx.in.PortGiven = false;
    EXPECT_EQ(fx.Apply({}, nullptr).Port, "2323");
}

TEST(SiteSettingsSite, SectionValuesReachTheSession) {
    Fixture fx;
    TSiteFormFields f;
    TSessionSiteValues s = fx.Apply({}, &f);
    EXPECT_EQ(s.Rows, 30);
    EXPECT_EQ(s.Columns, 100);
    EXPECT_EQ(s.Font, (TFontSpec{"Mono", 15, true, false}));
    EXPECT_EQ(s.SpaceV, 2);
    EXPECT_TRUE(s.Monochrome);
    EXPECT_TRUE(s.Hyperlink); // missing key: on
    EXPECT_EQ(s.KeyType, "Mine");
    EXPECT_EQ(s.HostName, "bbs.example");
    EXPECT_EQ(s.Port, "2323");
    EXPECT_EQ(f.HostHint, "bbs.example");
    EXPECT_EQ(s.SiteName, "bbs");
    EXPECT_EQ(s.UsesDefaultSite, 0);
    // Login armed with the decoded text, after one password question.
    EXPECT_EQ(fx.passwordAsked, 1);
    EXPECT_EQ(s.LoginScript, "guest^Msecret^M");
    EXPECT_EQ(s.KeyWord, "login:");
    EXPECT_EQ(s.TriggerCnt, 1);
    EXPECT_EQ(s.SavedTriggerCnt, 1);
    EXPECT_EQ(s.SavedKeyWord, "login:");
    // Out-of-range picture values.
    EXPECT_EQ(s.BackStyle, 4);
    EXPECT_EQ(s.Transparency, -5); // the screen's setter refuses it
    // Auto-send defaults of the connect: both flags on, 60 s.
    EXPECT_TRUE(s.ForeAutoSendKey);
    EXPECT_TRUE(s.BackAutoSendKey);
    EXPECT_EQ(s.SendKeyInterval, 60000);
    EXPECT_EQ(s.AutoKey, "\\x00");
}

TEST(SiteSettingsSite, HostileAndMissingKeys) {
    Fixture fx;
    fx.in.HostText = "PLAIN"; // other letter case
    TSessionSiteValues s = fx.Apply();
    EXPECT_EQ(s.Rows, 24); // "abc"
    EXPECT_EQ(s.Columns, 80);
    EXPECT_EQ(s.AutoKey, "abc  ");
    EXPECT_EQ(s.Port, "23");
    EXPECT_EQ(s.Font.Name, DefaultSiteFontName());
    EXPECT_EQ(s.Font.Size, 13);
    EXPECT_EQ(s.BackStyle, 3);
    EXPECT_EQ(s.Transparency, 20);
    EXPECT_EQ(s.SiteName, "PLAIN");
    EXPECT_EQ(fx.passwordAsked, 0); // no login, no question
}

TEST(SiteSettingsSite, UndecodableLoginKeyStillArmsTheTrigger) {
    Fixture fx;
    fx.in.Directory.Book.Set("bbs", "LoginKey", "12x");
    TSessionSiteValues s = fx.Apply();
    EXPECT_EQ(s.LoginScript, "");
    EXPECT_EQ(s.KeyWord, "login:");
    EXPECT_EQ(s.TriggerCnt, 1);
}

TEST(SiteSettingsSite, RefusedPasswordArmsNothing) {
    Fixture fx;
    fx.passwordAnswer = false;
    TSessionSiteValues s = fx.Apply();
    EXPECT_EQ(fx.passwordAsked, 1);
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.LoginScript, "");
}

TEST(SiteSettingsSite, ReusedSessionForgetsTheFormerSitesLogin) {
    // Site A armed its login on this session; site B has none. Reconnect
    // restores the saved trigger, so every piece must go.
    Fixture fx;
    TSessionSiteValues s = fx.Apply();
    ASSERT_EQ(s.TriggerCnt, 1);
    fx.in.HostText = "plain";
    s = fx.Apply(s);
    EXPECT_EQ(s.LoginScript, "");
    EXPECT_EQ(s.KeyWord, "");
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.SavedTriggerCnt, 0);
    EXPECT_EQ(s.SavedKeyWord, "");
    // The same through the dialog path with its login box off.
    s = fx.Apply();
    fx.in.HostText = "shown";
    fx.in.Directory.Shown.Login = false;
    s = fx.Apply(s);
    EXPECT_EQ(s.LoginScript, "");
    EXPECT_EQ(s.SavedTriggerCnt, 0);
    EXPECT_EQ(s.SavedKeyWord, "");
}

TEST(SiteSettingsSite, ScriptBlockLoginArmsItsTrigger) {
    Fixture fx;
    fx.in.Script.LoginGiven = true;
    fx.in.Script.KeyWord = "ID:";
    fx.in.Script.Trigger = 1;
    TSessionSiteValues s;
    s.LoginScript = "from-script^M"; // taken at construction
    s = fx.Apply(s);
    EXPECT_EQ(fx.passwordAsked, 0);
    EXPECT_EQ(s.LoginScript, "from-script^M");
    EXPECT_EQ(s.KeyWord, "ID:");
    EXPECT_EQ(s.TriggerCnt, 1);
    EXPECT_EQ(s.SavedTriggerCnt, 1);
    EXPECT_EQ(s.SavedKeyWord, "ID:");
    fx.in.DontLogin = true;
    s = fx.Apply(s);
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.SavedTriggerCnt, 0);
}

TEST(SiteSettingsDefault, HostOutsideTheBook) {
    Fixture fx;
    fx.in.HostText = "elsewhere.example";
    fx.in.PortText = "2300";
    TSiteFormFields f;
    TSessionSiteValues s = fx.Apply({}, &f);
    EXPECT_EQ(s.UsesDefaultSite, 1);
    EXPECT_EQ(s.Rows, 25);
    EXPECT_EQ(s.Columns, 81);
    EXPECT_EQ(s.Font, (TFontSpec{"DefFont", 11, false, false}));
    EXPECT_EQ(s.SpaceV, 1);
    EXPECT_TRUE(s.LocalEcho);
    EXPECT_EQ(s.KeyType, "DefKeys");
    // The default site's plain login, without a password question.
    EXPECT_EQ(fx.passwordAsked, 0);
    EXPECT_EQ(s.LoginScript, "anon^M");
    EXPECT_EQ(s.KeyWord, "ID:");
    EXPECT_EQ(s.SavedTriggerCnt, 1);
    EXPECT_TRUE(s.ForeAutoSendKey);
    EXPECT_FALSE(s.BackAutoSendKey);
    EXPECT_EQ(s.SendKeyInterval, 30000);
    EXPECT_TRUE(s.GlyphVisible);
    EXPECT_EQ(s.PictureFileName, "/pics/def.png");
    EXPECT_EQ(s.BackStyle, 4);
    EXPECT_EQ(s.HostName, "elsewhere.example");
    EXPECT_EQ(s.Port, "2300");
    EXPECT_EQ(f.HostHint, "elsewhere.example");
}

TEST(SiteSettingsDefault, PendingHostWinsAndIsCleared) {
    Fixture fx;
    fx.in.HostText = "Some Alias";
    fx.in.PendingHost = "10.0.0.1.example";
    TSiteFormFields f;
    TSessionSiteValues s = fx.Apply({}, &f);
    EXPECT_EQ(s.HostName, "10.0.0.1.example");
    EXPECT_EQ(s.SiteName, "Some Alias");
    EXPECT_EQ(f.PendingHost, "");
}

TEST(SiteSettingsDefault, MenuForcesDefaultsOnABookSite) {
    Fixture fx;
    fx.in.ApplyDefaultSetting = true;
    TSessionSiteValues s = fx.Apply();
    EXPECT_EQ(s.HostName, "bbs.example");
    EXPECT_EQ(s.Port, "2323");
    EXPECT_EQ(s.Rows, 25);
    EXPECT_EQ(s.KeyType, "DefKeys");
    // The default site's login; the site's own is neither asked for nor
    // decoded.
    EXPECT_EQ(s.LoginScript, "anon^M");
    EXPECT_EQ(fx.passwordAsked, 0);
    EXPECT_EQ(s.UsesDefaultSite, 1);
}

TEST(SiteSettingsDefault, ScriptHostOutsideTheBook) {
    Fixture fx;
    fx.in.HostText = "scripted";
    fx.in.Script = {true, "script.example", "2424", "Name:", 1};
    TSiteFormFields f;
    TSessionSiteValues s = fx.Apply({}, &f);
    EXPECT_EQ(s.HostName, "script.example");
    EXPECT_EQ(s.Port, "2424");
    EXPECT_EQ(s.KeyWord, "Name:");
    EXPECT_EQ(s.TriggerCnt, 1);
    EXPECT_EQ(s.SavedKeyWord, "Name:");
    EXPECT_EQ(f.ScriptHost, "");
    // Turning automatic login off holds here too.
    fx.in.DontLogin = true;
    s = fx.Apply({}, &f);
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.SavedTriggerCnt, 0);
}

TEST(SiteSettingsDefault, NoLoginClearsTheTrigger) {
    Fixture fx;
    fx.in.HostText = "elsewhere";
    fx.in.Directory.DefaultSite.Login = false;
    TSessionSiteValues s;
    s.KeyWord = "old";
    s.TriggerCnt = 1;
    s.SavedKeyWord = "old";
    s.SavedTriggerCnt = 1;
    s = fx.Apply(s);
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.SavedTriggerCnt, 0);
    EXPECT_EQ(s.SavedKeyWord, "");
}

TEST(SiteSettingsDialog, UnsavedControlsTakeEffect) {
    Fixture fx;
    fx.in.HostText = "SHOWN";
    TSiteFormFields f;
    TSessionSiteValues s;
    s.UsesDefaultSite = 1; // the session was on the default site before
    s = fx.Apply(s, &f);
    EXPECT_EQ(s.UsesDefaultSite, 0);
    EXPECT_EQ(s.HostName, "edited.example");
    EXPECT_EQ(s.Port, "24");
    EXPECT_EQ(f.HostHint, "edited.example");
    EXPECT_EQ(s.Rows, 40);
    EXPECT_EQ(s.Font.Name, "DlgFont");
    EXPECT_EQ(s.BackStyle, 2);
    EXPECT_EQ(s.TranspColor, 0x123456);
    EXPECT_EQ(s.LoginScript, "unsaved^M");
    EXPECT_EQ(s.KeyWord, "name:");
    EXPECT_EQ(s.SavedTriggerCnt, 1);
    fx.passwordAnswer = false;
    s = fx.Apply(s);
    EXPECT_EQ(s.KeyWord, "");
    EXPECT_EQ(s.TriggerCnt, 0);
    EXPECT_EQ(s.LoginScript, "");
}

TEST(SiteSettingsGlobal, PreferencesOverrideEverySource) {
    Fixture fx;
    TSitePreferences& p = fx.in.Prefs;
    p.GlobalFont = true;
    p.Font = {"Global", 18, false, true};
    p.SpaceV = 4;
    p.GlobalPicture = true;
    p.Picture = true;
    p.PictureFilename = "/pics/all.png";
    p.PictureStyle = 7;
    p.Transparent = true;
    p.Transparency = 55;
    p.Color = 0x010203;
    for (const char* host : {"bbs", "shown", "elsewhere"}) {
        fx.in.HostText = host;
        TSessionSiteValues before;
        before.BackStyle = 1;
        TSessionSiteValues s = fx.Apply(before);
        EXPECT_EQ(s.Font, p.Font) << host;
        EXPECT_EQ(s.SpaceV, 4) << host;
        EXPECT_EQ(s.PictureFileName, "/pics/all.png") << host;
        EXPECT_TRUE(s.GlyphVisible) << host;
        EXPECT_EQ(s.BackStyle, 1) << host; // style 7 leaves it alone
        EXPECT_TRUE(s.Transparent) << host;
        EXPECT_EQ(s.Transparency, 55) << host;
        EXPECT_EQ(s.TranspColor, 0x010203) << host;
    }
    p.PictureStyle = 0;
    EXPECT_EQ(fx.Apply().BackStyle, 0);
}

TEST(SiteSettingsSite, HugeIntervalsDoNotOverflow) {
    Fixture fx;
    fx.in.HostText = "elsewhere";
    fx.in.Directory.DefaultSite.SendKeyInterval = 2147483647;
    EXPECT_GT(fx.Apply().SendKeyInterval, 0);
    fx.in.Directory.DefaultSite.SendKeyInterval = -7;
    EXPECT_EQ(fx.Apply().SendKeyInterval, 0);
}
