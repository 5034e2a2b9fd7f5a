// TQuillonFrm: the site-list window. A folder tree beside a list of the
// selected folder's sites, both views of the site-list model
// (sitelist/core/SiteList), which holds every line of Quillon.txt.
//
// Files by concern:
//   QuillonForm.cpp      building, commands, settings, start and close
//   QuillonFormEdit.cpp  the tree and list views and the edit commands
//   QuillonFormSend.cpp  sending sites to the terminal, connect-all, the channel
#pragma once
#include "sitelist/SiteChannel.h"
#include "sitelist/core/QuillonSettings.h"
#include "sitelist/core/SiteFile.h"
#include "sitelist/core/SiteList.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QEventLoop;
class QLabel;
class QMenu;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class TDock;
class TFindSiteDlg;
class TToolbar;
class TSetSiteDlg;

class TQuillonFrm : public QMainWindow, private sitelist::TSiteListObserver {
    Q_OBJECT
public:
    // dataFolder: where Quillon.txt, its backup and Quillon.ini lie;
    // programFolder: where BrannocPro lies. Both end in "/".
    TQuillonFrm(std::string dataFolder, std::string programFolder,
                std::unique_ptr<TSiteServer> server, std::unique_ptr<TTerminalStarter> starter,
                QWidget* parent = nullptr);
    ~TQuillonFrm() override;

    // ---- widgets and commands ----
    QSplitter* Splitter;
    QTreeWidget* TreeView;
    QTreeWidget* ListView;
    TDock* MainDock;
    TToolbar* MainBar;
    QLabel* StatusPanel;
    QMenu* PopupMenu;
    QAction *ConnectAct, *ConnectAllAct, *FindAct, *CreateFolderAct, *CreateSiteAct, *ModifyAct,
        *DeleteAct, *CutAct, *CopyAct, *PasteAct, *ExpandSubDirectoryAct, *ExpandAllSubDirectoryAct,
        *LoadSiteListAct, *ToolBarAct, *ExitProgramAct, *AboutAct;
    TSetSiteDlg* SetSiteDlg;
    TFindSiteDlg* FindSiteDlg;

    sitelist::TSiteList& Sites() { return FSites; }
    sitelist::TSiteFile& SiteFile() { return FFile; }
    std::string DataFolder() const { return FDataFolder; }

    // ---- handlers ----
    void FormCreate();
    void FormShow();
    // False when the window stays open.
    bool FormClose();
    void LoadSiteFile(const std::string& path);
    void LoadSiteListClick();
    void TreeViewChange();
    void ListViewChange();
    void UpdateEditButtons(bool enabled);
    void UpdatePasteButtons();
    void CreateFolderClick();
    void CreateSiteClick();
    void Modify1Click();
    void Delete1Click();
    void Copy1Click();
    void Paste1Click();
    void ExpandSubDirectoryClick();
    void ExpandAllSubDirectoryClick();
    void ToolBarClick();
    void MainBarClose();
    void ExitProgramClick();
    void A1Click();
    void ConnectClick();
    void ConnectAllClick();
    void FindClick();

    enum class TConnectResult { Skipped, Sent, Started, Failed };
    TConnectResult ConnectSite(const std::string& alias, const std::string& address, int port);

    void IPCServerConnect(win::HWND client);
    void IPCServerClientData(const std::string& alias, win::HWND from);
    void IPCServerAfterClose();
    // A client's process went away without a goodbye.
    void IPCServerDisconnect(win::HWND client);

    // ---- state ----
    int SelectedNode() const;
    std::vector<int> SelectedSiteLines() const;
    QTreeWidgetItem* NodeItem(int node) const;
    void SelectNode(int node);
    bool ClientConnected() const { return FClientConnected; }
    bool TerminalReady() const { return FTerminalReady; }
    win::HWND ClientWindow() const { return FClientWindow; }
    bool ConnectAllRunning() const { return FConnectAllRunning; }
    // How long connect-all waits for a started terminal (30 s).
    void SetOpenTimeoutMs(int ms) { FOpenTimeoutMs = ms; }
    // Chooses the file to import (tests answer it; default: an open dialog).
    std::function<QString()> ChooseImportFile;

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    // The toolbar and its dock (QuillonFormToolbar.cpp): the dock above
    // `center` in the returned widget, the View item, the buttons, and the
    // toolbar's place between the window and the settings.
    QWidget* BuildMainBar(QWidget* center);
    QAction* MainBarViewAction();
    void FillMainBar();
    void ApplyToolbarSettings();
    void StoreToolbarSettings();

    // TSiteListObserver: the tree follows the model's nodes.
    void NodesInserted(int first, int count) override;
    void NodesErased(int first, int count) override;
    void NodeChanged(int node) override;
    void Reset() override;

    void BuildCommands();
    void BuildMenus();
    void ApplySettings();
    void StoreSettings();
    void FillSiteList(const std::vector<int>& selectLines = {});
    void TreeItemEdited(QTreeWidgetItem* item);
    void ListItemEdited(QTreeWidgetItem* item, int column);
    void EditSiteInDialog(QTreeWidgetItem* item);
    void IPCClosed();
    bool TreeFocused() const { return FTreeFocused; }

    std::string FDataFolder, FProgramFolder;
    sitelist::TSiteList FSites;
    sitelist::TSiteFile FFile;
    sitelist::TQuillonSettings FSettings;
    std::unique_ptr<TSiteServer> FServer;
    std::unique_ptr<TTerminalStarter> FStarter;
    std::vector<QTreeWidgetItem*> FItems; // tree items in node order
    bool FTreeFocused = true;
    bool FFilling = false; // widgets are being filled: edits are not the user's
    bool FClientConnected = false, FTerminalReady = false;
    win::HWND FClientWindow = 0;
    bool FConnectAllRunning = false, FClosing = false;
    int FOpenTimeoutMs = 30000;
    QPointer<QEventLoop> FWaitLoop;
};
