#include "session/core/SiteSettings.h"

#include "platform/core/Big5.h"

#include <algorithm>
#include <limits>

namespace session {

namespace {

unsigned char FoldAscii(unsigned char c) {
    return c >= 'a' && c <= 'z' ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool SameAlias(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (win::IsBig5Lead(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
        } else if (FoldAscii(x) != FoldAscii(y)) {
            return false;
        }
    }
    return true;
}

// Seconds as the milliseconds of a timer, never overflowing.
int IntervalMs(int seconds) {
    constexpr int kMax = std::numeric_limits<int>::max() / 1000;
    return std::clamp(seconds, 0, kMax) * 1000;
}

void ClearLogin(TSessionSiteValues& s) {
    s.LoginScript.clear();
    s.KeyWord.clear();
    s.TriggerCnt = 0;
    s.SavedTriggerCnt = 0;
    s.SavedKeyWord.clear();
}

void ArmLogin(TSessionSiteValues& s, const std::string& text, const std::string& keyWord) {
    s.LoginScript = text;
    s.KeyWord = keyWord;
    s.TriggerCnt = 1;
    s.SavedTriggerCnt = 1;
    s.SavedKeyWord = keyWord;
}

// A script block with login lines: its keyword and trigger, unless the user
// turned automatic login off. The login text itself reached the session
// when it was created.
void ScriptLogin(const TSiteSettingsInput& in, TSessionSiteValues& s) {
    if (in.DontLogin) {
        s.TriggerCnt = 0;
        s.SavedTriggerCnt = 0;
        return;
    }
    s.KeyWord = in.Script.KeyWord;
    s.TriggerCnt = in.Script.Trigger;
    s.SavedTriggerCnt = in.Script.Trigger;
    s.SavedKeyWord = s.KeyWord;
}

bool PasswordAgrees(const TSiteSettingsInput& in) {
    return in.CheckPassword && in.CheckPassword();
}

void GlobalFont(const TSiteSettingsInput& in, TSessionSiteValues& s) {
    s.Font = in.Prefs.Font;
    s.SpaceV = in.Prefs.SpaceV;
}

void SiteFont(const TSite& site, TSessionSiteValues& s) {
    s.Font = TFontSpec{site.FontName, site.FontSize, site.FontBold, site.FontItalic};
    s.SpaceV = site.SpaceV;
}

void Options(const TSite& site, TSessionSiteValues& s) {
    s.LocalEcho = site.LocalEcho;
    s.Monochrome = site.Monochrome;
    s.AutoWrap = site.AutoWrap;
    s.Hyperlink = site.Hyperlink;
    s.KeyType = site.KeyType;
}

void AutoSend(const TSite& site, TSessionSiteValues& s) {
    s.ForeAutoSendKey = site.ForeAutoSendKey;
    s.BackAutoSendKey = site.BackAutoSendKey;
    s.SendKeyInterval = IntervalMs(site.SendKeyInterval);
    s.AutoKey = site.AutoSendKey;
}

void SitePicture(const TSite& site, TSessionSiteValues& s) {
    s.GlyphVisible = site.Picture;
    s.PictureFileName = site.PictureFilename;
    s.BackStyle = BackStyleOf(site.PictureStyle);
    s.TranspColor = site.Color;
    s.Transparent = site.Transparent;
    s.Transparency = site.Transparency;
}

void DefaultPath(const TSiteSettingsInput& in, TSessionSiteValues& s, TSiteFormFields& f) {
    const TSite& r = in.Directory.DefaultSite;
    s.UsesDefaultSite = 1;
    s.Rows = r.Rows();
    s.Columns = r.Columns();
    if (in.Prefs.GlobalFont)
        GlobalFont(in, s);
    else
        SiteFont(r, s);
    Options(r, s);

    if (!in.Script.LoginGiven) {
        if (r.Login) {
            // The default site's own login needs no password question.
            s.LoginScript = r.LoginText;
            s.KeyWord = r.TriggerStr;
            s.TriggerCnt = 1;
        } else {
            s.LoginScript.clear();
            s.KeyWord.clear();
            s.TriggerCnt = 0;
        }
    } else if (in.DontLogin) {
        s.TriggerCnt = 0;
    }
    s.SavedTriggerCnt = s.TriggerCnt;
    s.SavedKeyWord = s.KeyWord;

    AutoSend(r, s);
    if (!in.Prefs.GlobalPicture) SitePicture(r, s);

    const int i = FindAlias(in.Directory.Aliases, in.HostText);
    if (i >= 0) {
        // A book site under the default settings: its own address, the
        // default site's login (its stored login text stays untouched).
        const std::string& alias = in.Directory.Aliases[static_cast<std::size_t>(i)];
        std::string v;
        s.HostName = in.Directory.Book.Find(alias, "Hostname", &v) ? v : std::string();
        s.Port = in.PortGiven                                   ? in.PortText
                 : in.Directory.Book.Find(alias, "Port", &v) ? v
                                                               : std::string("23");
    } else if (in.Script.Host.empty()) {
        s.HostName = in.PendingHost.empty() ? in.HostText : in.PendingHost;
        s.Port = in.PortText;
    } else {
        // A script block for a host outside the book.
        s.HostName = in.Script.Host;
        s.Port = in.Script.Port;
        s.KeyWord = in.Script.KeyWord;
        s.TriggerCnt = in.DontLogin ? 0 : in.Script.Trigger;
        s.SavedTriggerCnt = s.TriggerCnt;
        s.SavedKeyWord = s.KeyWord;
        f.ScriptHost.clear();
    }
    f.HostHint = s.HostName;
}

void SitePath(const TSiteSettingsInput& in, const std::string& section, TSessionSiteValues& s,
              TSiteFormFields& f) {
    const TSite site = ReadConnectSite(in.Directory.Book, section, in.Directory.DefaultFontSize);
    s.UsesDefaultSite = 0;
    s.Rows = site.Rows();
    s.Columns = site.Columns();
    if (in.Prefs.GlobalFont)
        GlobalFont(in, s);
    else
        SiteFont(site, s);
    Options(site, s);

    if (in.Script.LoginGiven)
        ScriptLogin(in, s);
    else if (site.Login && PasswordAgrees(in))
        ArmLogin(s, site.LoginText, site.TriggerStr);
    else
        ClearLogin(s);

    AutoSend(site, s);
    if (!in.Prefs.GlobalPicture) SitePicture(site, s);
    s.HostName = site.Hostname;
    s.Port = in.PortGiven ? in.PortText : site.Port;
    f.HostHint = s.HostName;
}

void DialogPath(const TSiteSettingsInput& in, TSessionSiteValues& s, TSiteFormFields& f) {
    const TSite& d = in.Directory.Shown;
    s.UsesDefaultSite = 0;
    s.Rows = d.Rows();
    s.Columns = d.Columns();
    if (in.Prefs.GlobalFont)
        GlobalFont(in, s);
    else
        SiteFont(d, s);
    Options(d, s);
    AutoSend(d, s);

    if (in.Script.LoginGiven)
        ScriptLogin(in, s);
    else if (d.Login && PasswordAgrees(in))
        ArmLogin(s, d.LoginText, d.TriggerStr);
    else
        ClearLogin(s);

    if (!in.Prefs.GlobalPicture) SitePicture(d, s);
    s.HostName = d.Hostname;
    s.Port = d.Port;
    f.HostHint = d.Hostname;
}

} // namespace

int FindAlias(const std::vector<std::string>& aliases, std::string_view text) {
    for (std::size_t i = 0; i < aliases.size(); ++i)
        if (SameAlias(aliases[i], text)) return static_cast<int>(i);
    return -1;
}

TSite ReadConnectSite(const win::TIniText& book, std::string_view alias, int defaultFontSize) {
    TSite site = ReadSite(book, alias, defaultFontSize);
    std::string v;
    if (!book.Find(alias, "ForeAutoSendKey", &v)) site.ForeAutoSendKey = true;
    if (!book.Find(alias, "BackAutoSendKey", &v)) site.BackAutoSendKey = true;
    return site;
}

int BackStyleOf(int pictureStyle) {
    return pictureStyle >= 0 && pictureStyle <= 3 ? pictureStyle : 4;
}

TSitePath ChooseSitePath(const TSiteSettingsInput& in, std::string* section) {
    if (in.ApplyDefaultSetting) return TSitePath::Default;
    if (in.FromDirectory) return TSitePath::Dialog;
    const int i = FindAlias(in.Directory.Aliases, in.HostText);
    if (i < 0) return TSitePath::Default;
    if (i == in.Directory.ItemIndex) return TSitePath::Dialog;
    if (section) *section = in.HostText;
    return TSitePath::Site;
}

TSitePath ApplySiteSettings(const TSiteSettingsInput& in, TSessionSiteValues& s,
                            TSiteFormFields& f) {
    f.PendingHost = in.PendingHost;
    f.ScriptHost = in.Script.Host;
    f.HostHint.clear();

    const TSitePreferences& p = in.Prefs;
    if (p.GlobalPicture) {
        s.PictureFileName = p.PictureFilename;
        s.GlyphVisible = p.Picture;
        if (p.PictureStyle >= 0 && p.PictureStyle <= 4) s.BackStyle = p.PictureStyle;
        s.Transparent = p.Transparent;
        s.Transparency = p.Transparency;
        s.TranspColor = p.Color;
    }

    std::string section;
    const TSitePath path = ChooseSitePath(in, &section);
    switch (path) {
    case TSitePath::Default:
        DefaultPath(in, s, f);
        break;
    case TSitePath::Site:
        SitePath(in, section, s, f);
        break;
    case TSitePath::Dialog:
        DialogPath(in, s, f);
        break;
    }

    f.PendingHost.clear();
    s.SiteName = in.HostText;
    return path;
}

} // namespace session
