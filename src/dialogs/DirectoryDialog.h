// The address book "位址簿": edits the sites of Directory.ini, connects to
// one or many of them, copies setting groups between sites, exports sites as
// a script file and applies a saved site to the open sessions of that site.
// Created once at program start; it also keeps the default site's settings
// (DefaultSite) that connects to hosts outside the book use.
//
// The dialog binds its controls to a session::TSite (ShownSite / ShowSite);
// the file format, the password rule and the script lines live in
// session/core.
#pragma once
#include "dialogs/KeyBoardDialog.h"
#include "session/core/DirectoryFile.h"
#include "session/core/SitePassword.h"

#include <QColor>
#include <QDialog>
#include <QFont>

#include <functional>

#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QSpinBox;

// A saved site applied to the open sessions (TDirectoryDlg Update).
struct TSiteUpdate {
    std::string Alias;
    bool IsDefaultSite = false; // reach the sessions that took the default settings
    session::TSite Site;        // the shown settings, login text included
    QFont Font;                 // the site's screen font
    bool Unlocked = false;      // login settings may be applied
};

// What the address book needs of the main window.
class TDirectoryHost {
public:
    virtual ~TDirectoryHost() = default;
    // The folder of Directory.ini and Keys.ini, ending in "/".
    virtual std::string SettingsDir() const = 0;
    // The main settings file (its [DirectoryDialog] section is this
    // dialog's).
    virtual std::string SettingsFileName() const = 0;
    // The preferences apply one font / one picture to every site.
    virtual bool GlobalFont() const { return false; }
    virtual bool GlobalPicture() const { return false; }
    // The site name of the current session; false when there is none.
    virtual bool CurrentSiteName(std::string& name) const = 0;
    // Fills the host box (alias, address in its hint), the port box and the
    // connect fields, then connects (ConnectClick).
    virtual void ConnectSite(const std::string& alias, const std::string& host,
                             const std::string& port) = 0;
    // Applies the site to its open sessions in a progress pass.
    virtual void UpdateSessions(const TSiteUpdate& update) = 0;
    // The session list's colours, and its two colour commands.
    virtual QColor ListColor() const { return QColor(Qt::white); }
    virtual QColor ListFontColor() const { return QColor(Qt::black); }
    virtual void ListBackgroundColorClick() {}
    virtual void ListFontColorClick() {}
};

class TDirectoryDlg : public QDialog {
    Q_OBJECT
public:
    // screenWidth fixes DefaultFontSize; defaultHosts are the hosts a new
    // default site may get.
    TDirectoryDlg(TDirectoryHost& host, int screenWidth,
                  std::vector<std::string> defaultHosts = session::BuiltInDefaultHosts(),
                  QWidget* parent = nullptr);
    ~TDirectoryDlg() override;

    // ---- what the main window uses
    void LoadSite(const std::string& alias);
    // False when the book could not be written (after the message).
    bool SaveSite();
    void UpdateFontSize(const std::string& alias, int size);
    bool CheckPassword(bool changePassword);
    bool Unlocked() const { return FPassword.Unlocked(); }
    // The ask-again command: the password is asked at the next use; with a
    // password stored the shown site's login box is unchecked meanwhile.
    void ReAskPassword();
    const session::TSite& DefaultSite() const { return FDefaultSite; }
    QFont DefaultSiteFont() const;
    int DefaultFontSize() const { return FDefaultFontSize; }
    // The shown controls as a site (the connect's dialog path reads them).
    session::TSite ShownSite() const;
    QFont ShownFont() const;
    const std::string& LoginText() const { return FLoginText; }
    int TintColor() const { return FTintColor; }
    // The list row of an alias (ASCII letters folded), -1 when absent.
    int IndexOfSite(const std::string& alias) const;
    int ItemIndex() const;
    std::string ItemAlias(int row) const;
    bool ItemChecked(int row) const;
    int Count() const;
    // The key map a session with that site uses (KeyType of its section,
    // of the default site when it is not in the book).
    std::string KeyMapOf(const std::string& siteName) const;
    void AddKeyType(const std::string& map);
    void SetListColors(const QColor& background, const QColor& font);
    const std::string& DirectoryFileName() const { return FFile.Path(); }
    const std::string& KeysFileName() const { return FKeysFile; }

    // ---- commands
    void NewClick();
    void UpdateClick();
    void DeleteClick();
    void ConnectClick();
    void JumpClick();
    void MakeScriptClick();
    void SelectAllClick();
    void SelectNoneClick();
    void SelectReverseClick();
    void SetColumns(int field);
    // Copies a group (session::TSiteGroup) to the checked or all sites.
    void CopyGroup(unsigned group, bool checkedOnly);
    void CopyAllGroups(bool checkedOnly);
    void LoginCheckBoxClick();
    void LoginStrClick();
    void FontClick();
    void OpenPictureClick();
    void ColorClick();

    // ---- controls, by their design names
    QListWidget* CheckListBox = nullptr;
    QLineEdit* AliasEdit = nullptr;
    QLineEdit* HostEdit = nullptr;
    QLineEdit* PortEdit = nullptr;
    QGroupBox* FontGroupBox = nullptr;
    QPushButton* FontHotBitBtn = nullptr;
    QLabel* FontStaticText = nullptr;
    QLabel* FontSizeLabel = nullptr;
    QLabel* FontSizeStaticText = nullptr;
    QLabel* SpaceVLabel = nullptr;
    QSpinBox* SpaceVSpinEdit = nullptr;
    QLineEdit* RowEdit = nullptr;
    QLineEdit* ColumnEdit = nullptr;
    QGroupBox* OptionGroupBox = nullptr;
    QCheckBox* LocalEchoCheckBox = nullptr;
    QCheckBox* MonoChromeCheckBox = nullptr;
    QCheckBox* HyperlinkCheckBox = nullptr;
    QCheckBox* AutoWrapCheckBox = nullptr;
    QComboBox* KeyTypeComboBox = nullptr;
    QGroupBox* LoginGroupBox = nullptr;
    QCheckBox* LoginCheckBox = nullptr;
    QLabel* TriggerStrLabel = nullptr;
    QLineEdit* TriggerStrEdit = nullptr;
    QPushButton* LoginStrHotBitBtn = nullptr; // property "Hint": the plain login text
    QGroupBox* AutoSendGroupBox = nullptr;
    QCheckBox* ForeAutoSendKeyCheckBox = nullptr;
    QCheckBox* BackAutoSendKeyCheckBox = nullptr;
    QLabel* AutoSendKeyLabel = nullptr;
    QLineEdit* AutoSendKeyEdit = nullptr;
    QLabel* AutoSendKeyIntervalLabel = nullptr;
    QSpinBox* AutoSendKeyIntervalSpinEdit = nullptr;
    QGroupBox* PictureGroupBox = nullptr;
    QCheckBox* PictureCheckBox = nullptr;
    QLabel* PictureStaticText = nullptr;
    QPushButton* OpenSpeedButton = nullptr;
    QComboBox* PictureStyleComboBox = nullptr;
    QLabel* ColorLabel = nullptr;
    QLabel* ColorStaticText = nullptr;
    QCheckBox* TransparentCheckBox = nullptr;
    QLineEdit* TransparencyEdit = nullptr;
    QPushButton* JumpHotBitBtn = nullptr;
    QPushButton* NewHotBitBtn = nullptr;
    QPushButton* DeleteHotBitBtn = nullptr;
    QPushButton* UpdateHotBitBtn = nullptr;
    QPushButton* ConnectHotBitBtn = nullptr;
    QPushButton* MakeScriptHotBitBtn = nullptr;
    QPushButton* SelectAllHotBitBtn = nullptr;
    QPushButton* SelectNoneHotBitBtn = nullptr;
    QPushButton* SelectReverseHotBitBtn = nullptr;
    QCheckBox* ApplyCheckBox = nullptr;
    QMenu* ListMenu = nullptr;
    std::vector<QAction*> FieldItems; // "&1" .. "&5"

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class TStore;
    void BuildControls();
    QMenu* GroupMenu(QGroupBox* box, unsigned group, const char* name);
    void ShowSite(const session::TSite& site);
    void ShowFont();
    void ShowPicturePath(const std::string& path);
    void PictureRule();
    void AutoSendRule();
    void LoginEnableRule();
    // Asks the password when the box is checked for a site with a login
    // text; a refusal unchecks the box and keeps the stored value.
    void LoginRule();
    void SetLoginText(const std::string& text);
    void EnableSiteButtons(bool on);
    void ListClick(QListWidgetItem* item);
    void SelectRow(int row);
    int AddAlias(const std::string& alias, bool checked);
    // The rows the commands act on: the checked ones when ApplyCheckBox is
    // on and any is checked, else the selected one.
    std::vector<int> TargetRows() const;
    int CheckedCount() const;
    bool LoginToSave() const;
    // Acting on the checked sites (ApplyCheckBox on and any checked).
    bool ActOnChecked() const;
    void CopyGroupConfirmed(unsigned group, bool checkedOnly);
    void ReloadDefaultSite();
    void LayoutColumns();
    // One atomic edit of the book; false after the once-per-run message.
    bool EditBook(const std::function<void(win::TIniText&)>& change);
    // The alias box as bytes: an entry's own bytes when it shows that entry.
    std::string AliasBytes() const;
    void WriteDialogSetting(const char* key, int value);

    TDirectoryHost& FHost;
    session::TDirectoryFile FFile;
    std::string FKeysFile;
    std::vector<std::string> FDefaultHosts;
    int FDefaultFontSize = 13;
    session::TSitePassword FPassword;
    session::TSite FDefaultSite;
    // The shown site's font, kept as stored (the face's Big5 name, not the
    // substitute the system draws with).
    std::string FFontName;
    int FFontSize = 13;
    bool FFontBold = false, FFontItalic = false;
    std::string FLoginText;
    int FTintColor = 0;
    // Login as stored for the shown site, and whether the user changed the
    // box since it was loaded.
    bool FLoginStored = false;
    bool FLoginTouched = false;
    bool FShownOnce = false;
    int FColumns = 2;
};
