#include "session/DirectoryHost.h"

#include "platform/CodePage.h"
#include "platform/core/IniFile.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/core/KeyMapBuilder.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>

TDirectoryDlg* DirectoryDlg = nullptr;

namespace {
TMainDirectoryHost* TheHost = nullptr;
}

TMainDirectoryHost::TMainDirectoryHost(TkvMainForm& form) : QObject(&form), FForm(form) {}

TMainDirectoryHost::~TMainDirectoryHost() {
    if (TheHost == this) TheHost = nullptr;
}

TMainDirectoryHost& EnsureDirectoryHost(TkvMainForm& form) {
    if (!TheHost) TheHost = new TMainDirectoryHost(form);
    return *TheHost;
}

std::string TMainDirectoryHost::SettingsDir() const {
    return FForm.SettingsDir;
}

std::string TMainDirectoryHost::SettingsFileName() const {
    return FForm.SettingsFileName;
}

bool TMainDirectoryHost::GlobalFont() const {
    return FForm.Settings.FontGlobal;
}

bool TMainDirectoryHost::GlobalPicture() const {
    return FForm.Settings.GlobalPicture;
}

bool TMainDirectoryHost::CurrentSiteName(std::string& name) const {
    int i = FForm.CurrentSession;
    if (i < 0 || i >= static_cast<int>(FForm.Sessions.size())) return false;
    name = FForm.Sessions[static_cast<std::size_t>(i)]->SiteName;
    return true;
}

void TMainDirectoryHost::ConnectSite(const std::string& alias, const std::string& host,
                                     const std::string& port) {
    FForm.HostNameComboBox->setCurrentText(win::Big5ToQString(alias));
    FForm.HostNameComboBox->setToolTip(win::Big5ToQString(host));
    FForm.SiteNameOverride = alias;
    FForm.PortEdit->setText(win::Big5ToQString(port));
    FForm.FromDirectory = 1;
    QApplication::processEvents();
    FForm.ConnectClick(nullptr);
}

void TMainDirectoryHost::UpdateSessions(const TSiteUpdate& update) {
    std::vector<TConnection*> targets;
    for (TConnection* s : FForm.Sessions) {
        if (update.IsDefaultSite ? s->UsesDefaultSite != 0
                                 : win::SameProfileName(s->SiteName, update.Alias))
            targets.push_back(s);
    }
    FForm.ProgressPass(targets, [&](TConnection* s) { ApplyToSession(s, update); });
}

void TMainDirectoryHost::ApplyToSession(TConnection* s, const TSiteUpdate& u) {
    const session::TSite& site = u.Site;
    const TMainSettings& prefs = FForm.Settings;
    s->SetLazyRefresh(true);
    bool resized = false;
    auto setIf = [&resized](int now, int wanted, auto set) {
        if (now == wanted) return;
        set(wanted);
        resized = true;
    };
    setIf(s->Rows(), site.Rows(), [s](int v) { s->SetRows(v); });
    setIf(s->Columns(), site.Columns(), [s](int v) { s->SetColumns(v); });
    QFont font = u.Font;
    int spaceV = site.SpaceV;
    if (prefs.FontGlobal) {
        font = QFont(win::Big5ToQString(prefs.FontName));
        font.setPointSize(std::max(1, prefs.FontSize));
        font.setBold(prefs.FontBold);
        font.setItalic(prefs.FontItalic);
        spaceV = prefs.FontSpaceV;
    }
    if (s->Font() != font) {
        s->SetFont(font);
        resized = true;
    }
    setIf(s->SpaceV(), spaceV, [s](int v) { s->SetSpaceV(v); });
    s->LocalEcho = site.LocalEcho;
    s->SetMonochrome(site.Monochrome);
    s->SetAutoWrap(site.AutoWrap);
    s->Hyperlink = site.Hyperlink;
    s->KeyType = site.KeyType;
    if (u.Unlocked) {
        s->SetKeyWord(site.TriggerStr);
        s->LoginScript = site.LoginText;
        s->ScriptPos = 1;
        s->SetTriggerCnt(site.Login ? 1 : 0);
        s->SavedTriggerCnt = site.Login ? 1 : 0;
    }
    s->ForeAutoSendKey = site.ForeAutoSendKey;
    s->BackAutoSendKey = site.BackAutoSendKey;
    s->SendKeyInterval = site.SendKeyInterval * 1000;
    s->SetTimer2Interval(static_cast<unsigned>(site.SendKeyInterval) * 1000u);
    s->AutoKey = site.AutoSendKey;
    bool pictureChanged = false;
    if (!prefs.GlobalPicture) {
        bool wasShown = s->GlyphVisible();
        std::string oldFile = s->PictureFileName;
        s->SetTranspColor(static_cast<TColor>(site.Color));
        s->SetTransparent(site.Transparent);
        s->SetTransparency(site.Transparency);
        s->SetBackStyle(static_cast<TBackgroundStyle>(std::clamp(site.PictureStyle, 0, 4)));
        if (site.Picture) {
            s->PictureFileName = site.PictureFilename;
            s->SetGlyph(FForm.AssignGlyph(s, s->PictureFileName, true));
        }
        s->SetGlyphVisible(site.Picture);
        pictureChanged = wasShown != site.Picture || oldFile != s->PictureFileName;
    }
    s->SetLazyRefresh(false);
    if (resized) {
        if (auto* w = qobject_cast<TDetachedForm*>(s->parentWidget())) w->adjustSize();
    }
    if (pictureChanged && s->isVisible()) {
        s->UpdateBackground();
        s->update();
    }
}

QColor TMainDirectoryHost::ListColor() const {
    return FForm.BmpListBox->palette().color(QPalette::Base);
}

QColor TMainDirectoryHost::ListFontColor() const {
    return FForm.BmpListBox->palette().color(QPalette::Text);
}

void TMainDirectoryHost::ListBackgroundColorClick() {
    FForm.CLFormBackColorClick(nullptr);
}

void TMainDirectoryHost::ListFontColorClick() {
    FForm.CLFormFontColorClick(nullptr);
}

int TMainDirectoryHost::RebuildKeyTables(
    const std::string& map, const std::vector<std::pair<std::string, std::string>>& keys) {
    int overflowed = 0;
    for (TConnection* s : FForm.Sessions) {
        if (!win::SameProfileName(s->KeyType, map)) continue;
        if (session::BuildKeyTable(keys, s->KeyTable).Overflow) ++overflowed;
    }
    return overflowed;
}

void TMainDirectoryHost::KeyMapAdded(const std::string& map) {
    if (DirectoryDlg) DirectoryDlg->AddKeyType(map);
}

TDirectoryDlg* EnsureDirectoryDlg(TkvMainForm& form) {
    if (DirectoryDlg) return DirectoryDlg;
    TMainDirectoryHost* host = &EnsureDirectoryHost(form);
    QScreen* screen = QGuiApplication::primaryScreen();
    DirectoryDlg = new TDirectoryDlg(*host, screen ? screen->geometry().width() : 800,
                                     session::BuiltInDefaultHosts(), &form);
    QObject::connect(DirectoryDlg, &QObject::destroyed, [] { DirectoryDlg = nullptr; });
    // The connect road asks whether a host-box text names a site of the book.
    form.InAddressBook = [](const std::string& alias) {
        return DirectoryDlg && DirectoryDlg->IndexOfSite(alias) >= 0;
    };
    return DirectoryDlg;
}
