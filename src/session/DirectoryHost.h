// The main window as the address book and the keyboard-map editor see it:
// the host box and connect command, the preferences that override a site,
// the session list's colours, and the open sessions that an updated site or
// a saved key map reaches.
#pragma once
#include "dialogs/DirectoryDialog.h"
#include "dialogs/KeyBoardDialog.h"

#include <QObject>

class TkvMainForm;
class TConnection;

class TMainDirectoryHost : public QObject, public TDirectoryHost, public TKeyBoardHost {
public:
    explicit TMainDirectoryHost(TkvMainForm& form);
    ~TMainDirectoryHost() override;

    std::string SettingsDir() const override;
    std::string SettingsFileName() const override;
    bool GlobalFont() const override;
    bool GlobalPicture() const override;
    bool CurrentSiteName(std::string& name) const override;
    void ConnectSite(const std::string& alias, const std::string& host,
                     const std::string& port) override;
    void UpdateSessions(const TSiteUpdate& update) override;
    QColor ListColor() const override;
    QColor ListFontColor() const override;
    void ListBackgroundColorClick() override;
    void ListFontColorClick() override;

    int RebuildKeyTables(const std::string& map,
                         const std::vector<std::pair<std::string, std::string>>& keys) override;
    void KeyMapAdded(const std::string& map) override;

    // One session takes the saved site's settings.
    void ApplyToSession(TConnection* s, const TSiteUpdate& u);

private:
    TkvMainForm& FForm;
};

// The one address book of the run, created with the main window (nullptr
// before and after).
extern TDirectoryDlg* DirectoryDlg;
// Creates the address book for the main window when it does not exist yet.
TDirectoryDlg* EnsureDirectoryDlg(TkvMainForm& form);
// The main window's side of the address book and the key-map editor.
TMainDirectoryHost& EnsureDirectoryHost(TkvMainForm& form);
