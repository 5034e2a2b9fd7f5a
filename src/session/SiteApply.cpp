#include "session/SiteApply.h"

#include "dialogs/DirectoryDialog.h"
#include "platform/CodePage.h"
#include "session/Connection.h"
#include "session/core/ProfileEdit.h"

#include <algorithm>

session::TSessionSiteValues SiteValuesOf(const TConnection& s) {
    session::TSessionSiteValues v;
    v.Rows = s.Rows();
    v.Columns = s.Columns();
    const QFont& f = s.Font();
    v.Font = {win::QStringToBig5(f.family()), f.pointSize(), f.bold(), f.italic()};
    v.SpaceV = s.SpaceV();
    v.LocalEcho = s.LocalEcho;
    v.Monochrome = s.Monochrome();
    v.AutoWrap = s.AutoWrap();
    v.Hyperlink = s.Hyperlink;
    v.KeyType = s.KeyType;
    v.LoginScript = s.LoginScript;
    v.KeyWord = s.KeyWord();
    v.TriggerCnt = s.TriggerCnt();
    v.SavedTriggerCnt = s.SavedTriggerCnt;
    v.SavedKeyWord = s.SavedKeyWord;
    v.ForeAutoSendKey = s.ForeAutoSendKey;
    v.BackAutoSendKey = s.BackAutoSendKey;
    v.SendKeyInterval = s.SendKeyInterval;
    v.AutoKey = s.AutoKey;
    v.GlyphVisible = s.GlyphVisible();
    v.PictureFileName = s.PictureFileName;
    v.BackStyle = s.BackStyle();
    v.TranspColor = static_cast<int>(s.TranspColor());
    v.Transparent = s.Transparent();
    v.Transparency = s.Transparency();
    v.HostName = s.HostName();
    v.Port = s.Port();
    v.SiteName = s.SiteName;
    v.UsesDefaultSite = s.UsesDefaultSite;
    return v;
}

void ApplySiteValues(TConnection& s, const session::TSessionSiteValues& v) {
    if (v.Rows != s.Rows()) s.SetRows(v.Rows);
    if (v.Columns != s.Columns()) s.SetColumns(v.Columns);
    // The font rule: style, then name, then size, each only when it differs.
    QFont f = s.Font();
    bool changed = false;
    if (f.bold() != v.Font.Bold || f.italic() != v.Font.Italic) {
        f.setBold(v.Font.Bold);
        f.setItalic(v.Font.Italic);
        changed = true;
    }
    const QString family = win::Big5ToQString(v.Font.Name);
    if (!family.isEmpty() && f.family() != family) {
        f.setFamily(family);
        changed = true;
    }
    if (v.Font.Size > 0 && v.Font.Size != f.pointSize()) {
        f.setPointSize(std::min(v.Font.Size, 200));
        changed = true;
    }
    if (changed) s.SetFont(f);
    if (v.SpaceV != s.SpaceV()) s.SetSpaceV(v.SpaceV);
    s.LocalEcho = v.LocalEcho;
    s.SetMonochrome(v.Monochrome);
    s.SetAutoWrap(v.AutoWrap);
    s.Hyperlink = v.Hyperlink;
    s.KeyType = v.KeyType;

    s.LoginScript = v.LoginScript;
    s.SetKeyWord(v.KeyWord);
    s.SetTriggerCnt(v.TriggerCnt);
    s.SavedTriggerCnt = v.SavedTriggerCnt;
    s.SavedKeyWord = v.SavedKeyWord;

    s.ForeAutoSendKey = v.ForeAutoSendKey;
    s.BackAutoSendKey = v.BackAutoSendKey;
    s.SendKeyInterval = v.SendKeyInterval;
    s.SetTimer2Interval(static_cast<unsigned>(std::max(0, v.SendKeyInterval)));
    s.AutoKey = v.AutoKey;

    s.SetGlyphVisible(v.GlyphVisible);
    s.PictureFileName = v.PictureFileName;
    if (v.BackStyle >= 0 && v.BackStyle <= bsCustom)
        s.SetBackStyle(static_cast<TBackgroundStyle>(v.BackStyle));
    s.SetTranspColor(static_cast<TColor>(v.TranspColor));
    s.SetTransparent(v.Transparent);
    s.SetTransparency(v.Transparency); // the screen refuses values outside 0..100

    s.SetHostName(v.HostName);
    s.SetPort(v.Port);
    s.SiteName = v.SiteName;
    s.UsesDefaultSite = v.UsesDefaultSite;
}

session::TDirectorySnapshot DirectorySnapshot(const TDirectoryDlg* dialog,
                                              const std::string& directoryFile) {
    session::TDirectorySnapshot d;
    d.Book = session::TDirectoryFile(directoryFile).Read();
    if (dialog) {
        for (int i = 0; i < dialog->Count(); ++i)
            d.Aliases.push_back(dialog->ItemAlias(i));
        d.ItemIndex = dialog->ItemIndex();
        d.DefaultSite = dialog->DefaultSite();
        d.DefaultFontSize = dialog->DefaultFontSize();
        d.Shown = dialog->ShownSite();
        return d;
    }
    d.Aliases = session::SiteAliases(d.Book);
    d.DefaultSite = session::ReadSite(d.Book, session::DefaultSiteName(), d.DefaultFontSize);
    return d;
}
