// Main window: what a session takes from its site before it connects. The
// form gathers its state and the address book's, the engine
// (session/core/SiteSettings.h) decides, SiteApply.h writes the session.
#include "dialogs/DirectoryDialog.h"
#include "platform/CodePage.h"
#include "session/Connection.h"
#include "session/DirectoryHost.h"
#include "session/SiteApply.h"
#include "session/kvMainForm.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>

void TkvMainForm::ApplySiteSettings(TConnection* s) {
    if (!s) return;
    session::TSiteSettingsInput in;
    session::TSitePreferences& p = in.Prefs;
    p.GlobalPicture = Settings.GlobalPicture;
    p.Picture = Settings.Picture;
    p.PictureFilename = Settings.PictureFilename;
    p.PictureStyle = Settings.PictureStyle;
    p.Transparent = Settings.Transparent;
    p.Transparency = Settings.Transparency;
    p.Color = static_cast<int>(Settings.Color);
    p.GlobalFont = Settings.FontGlobal;
    p.Font = {Settings.FontName, Settings.FontSize, Settings.FontBold, Settings.FontItalic};
    p.SpaceV = Settings.FontSpaceV;

    auto checked = [this](const char* name) {
        QAction* a = Action(QString::fromLatin1(name));
        return a && a->isChecked();
    };
    in.ApplyDefaultSetting = checked("ApplyDefaultSettingMenuItem");
    in.DontLogin = checked("DontLogin");
    in.FromDirectory = FromDirectory != 0;
    in.HostText = HostNameComboBox ? win::QStringToBig5(HostNameComboBox->currentText()) : "";
    in.PortText = PortEdit ? win::QStringToBig5(PortEdit->text()) : "";
    in.PortGiven = PortGiven;
    in.PendingHost = PendingHost;
    in.Script = {ScriptLoginGiven, ScriptHost, ScriptPort, ScriptKeyWord, ScriptTrigger};
    in.Directory = DirectorySnapshot(::DirectoryDlg, SettingsDir + "Directory.ini");
    // Without an address book there is no one to ask: no stored login runs.
    in.CheckPassword = [] { return ::DirectoryDlg && ::DirectoryDlg->CheckPassword(false); };

    session::TSessionSiteValues v = SiteValuesOf(*s);
    session::TSiteFormFields f;
    session::ApplySiteSettings(in, v, f);
    ApplySiteValues(*s, v);
    PendingHost = f.PendingHost;
    ScriptHost = f.ScriptHost;
    if (HostNameComboBox) HostNameComboBox->setToolTip(win::Big5ToQString(f.HostHint));
}
