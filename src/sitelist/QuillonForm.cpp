// TQuillonFrm: building the window, the command table, settings, start and close.
#include "sitelist/QuillonForm.h"

#include "dialogs/AboutDialog.h"
#include "platform/Artwork.h"
#include "platform/WindowFrame.h"
#include "platform/core/Files.h"
#include "sitelist/FindSiteDialog.h"
#include "sitelist/SetSiteDialog.h"
#include "sitelist/SiteMessages.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTreeWidget>

using namespace sitelist;

TQuillonFrm::TQuillonFrm(std::string dataFolder, std::string programFolder,
                         std::unique_ptr<TSiteServer> server,
                         std::unique_ptr<TTerminalStarter> starter, QWidget* parent)
    : QMainWindow(parent), FDataFolder(std::move(dataFolder)),
      FProgramFolder(std::move(programFolder)), FFile(FDataFolder + "Quillon.txt"),
      FServer(std::move(server)), FStarter(std::move(starter)) {
    setObjectName("QuillonFrm");
    setWindowTitle(QuillonTitle());

    TreeView = new QTreeWidget;
    TreeView->setObjectName("TreeView");
    TreeView->setHeaderHidden(true);
    TreeView->setEditTriggers(QAbstractItemView::EditKeyPressed);
    TreeView->setContextMenuPolicy(Qt::CustomContextMenu);
    ListView = new QTreeWidget;
    ListView->setObjectName("ListView");
    ListView->setColumnCount(4);
    ListView->setHeaderLabels({"站台名稱", "位址", "通訊埠", "備註"});
    ListView->setRootIsDecorated(false);
    ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView->setEditTriggers(QAbstractItemView::EditKeyPressed);
    ListView->setContextMenuPolicy(Qt::CustomContextMenu);
    Splitter = new QSplitter;
    Splitter->addWidget(TreeView);
    Splitter->addWidget(ListView);
    Splitter->setStretchFactor(1, 1);
    setCentralWidget(BuildMainBar(Splitter));
    StatusPanel = new QLabel;
    statusBar()->addWidget(StatusPanel);

    BuildCommands();
    BuildMenus();
    TreeView->installEventFilter(this);
    ListView->installEventFilter(this);
    FSites.SetObserver(this);
    // A folder is taken once it is selected, however that came about.
    connect(TreeView, &QTreeWidget::itemSelectionChanged, this, [this] { TreeViewChange(); });
    connect(TreeView, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { TreeItemEdited(item); });
    connect(ListView, &QTreeWidget::itemSelectionChanged, this, [this] { ListViewChange(); });
    connect(ListView, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) { ListItemEdited(item, column); });
    connect(ListView, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (!SelectedSiteLines().empty()) ConnectClick();
    });
    for (QTreeWidget* view : {TreeView, ListView})
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            PopupMenu->popup(view->viewport()->mapToGlobal(at));
        });

    if (FServer) {
        FServer->OnConnect = [this](win::HWND h) { IPCServerConnect(h); };
        FServer->OnClientData = [this](const std::string& a, win::HWND h) {
            IPCServerClientData(a, h);
        };
        FServer->OnDisconnect = [this](win::HWND h) { IPCServerDisconnect(h); };
        FServer->OnAfterClose = [this] { IPCServerAfterClose(); };
    }
    FormCreate();
}

TQuillonFrm::~TQuillonFrm() {
    FSites.SetObserver(nullptr);
    if (FServer) {
        FServer->OnConnect = nullptr;
        FServer->OnClientData = nullptr;
        FServer->OnDisconnect = nullptr;
        FServer->OnAfterClose = nullptr;
    }
}

// ---- the command table -----------------------------------------------------------------

void TQuillonFrm::BuildCommands() {
    struct TCommand {
        QAction** Slot;
        const char* Caption;
        QKeySequence Key;
        void (TQuillonFrm::*Handler)();
        const char* Icon = ""; // its picture's freedesktop icon name, "" = none
    };
    const TCommand commands[] = {
        {&ConnectAct, "連線", QKeySequence("Alt+C"), &TQuillonFrm::ConnectClick, "bp-connect"},
        {&ConnectAllAct, "全部連線", {}, &TQuillonFrm::ConnectAllClick, "bp-connect-all"},
        {&FindAct, "搜尋站台", QKeySequence("Ctrl+F"), &TQuillonFrm::FindClick, "edit-find"},
        {&CreateFolderAct, "新增資料匣", QKeySequence("Alt+R"), &TQuillonFrm::CreateFolderClick,
         "folder-new"},
        {&CreateSiteAct, "新增站台", QKeySequence("Alt+S"), &TQuillonFrm::CreateSiteClick,
         "bp-site-new"},
        {&ModifyAct, "修改", QKeySequence("Alt+M"), &TQuillonFrm::Modify1Click,
         "document-properties"},
        {&DeleteAct, "刪除", QKeySequence("Alt+D"), &TQuillonFrm::Delete1Click, "edit-delete"},
        {&CutAct, "剪下", QKeySequence("Alt+T"), nullptr, "edit-cut"}, // Cut has no action
        {&CopyAct, "複製", QKeySequence("Alt+Y"), &TQuillonFrm::Copy1Click, "edit-copy"},
        {&PasteAct, "貼上", QKeySequence("Alt+U"), &TQuillonFrm::Paste1Click, "edit-paste"},
        {&ExpandSubDirectoryAct, "展開子目錄", {}, &TQuillonFrm::ExpandSubDirectoryClick},
        {&ExpandAllSubDirectoryAct, "展開全部目錄", {}, &TQuillonFrm::ExpandAllSubDirectoryClick},
        {&LoadSiteListAct, "插入站台列表...", {}, &TQuillonFrm::LoadSiteListClick},
        {&ExitProgramAct, "結束", QKeySequence("Alt+F4"), &TQuillonFrm::ExitProgramClick},
        {&AboutAct, "關於...", {}, &TQuillonFrm::A1Click},
    };
    for (const TCommand& c : commands) {
        QAction* a = new QAction(c.Caption, this);
        a->setShortcut(c.Key);
        a->setShortcutContext(Qt::WindowShortcut);
        if (*c.Icon) a->setIcon(win::ToolbarIcon(QString::fromLatin1(c.Icon)));
        if (c.Handler) connect(a, &QAction::triggered, this, c.Handler);
        addAction(a);
        *c.Slot = a;
    }
    ToolBarAct = MainBarViewAction();
    for (QAction* a : {ConnectAct, ConnectAllAct, CutAct, CopyAct, DeleteAct, ModifyAct, PasteAct})
        a->setEnabled(false);
}

void TQuillonFrm::BuildMenus() {
    QMenu* file = menuBar()->addMenu("檔案(&F)");
    file->addAction(LoadSiteListAct);
    file->addSeparator();
    file->addAction(ExitProgramAct);
    QMenu* edit = menuBar()->addMenu("編輯(&E)");
    for (QAction* a : {CreateFolderAct, CreateSiteAct, ModifyAct, DeleteAct})
        edit->addAction(a);
    edit->addSeparator();
    for (QAction* a : {CutAct, CopyAct, PasteAct})
        edit->addAction(a);
    edit->addSeparator();
    edit->addAction(FindAct);
    QMenu* site = menuBar()->addMenu("站台(&B)");
    site->addAction(ConnectAct);
    site->addAction(ConnectAllAct);
    QMenu* view = menuBar()->addMenu("檢視(&V)");
    view->addAction(ToolBarAct);
    view->addAction(ExpandSubDirectoryAct);
    view->addAction(ExpandAllSubDirectoryAct);
    QMenu* help = menuBar()->addMenu("說明(&H)");
    help->addAction(AboutAct);

    PopupMenu = new QMenu(this);
    for (QAction* a : {ConnectAct, ConnectAllAct})
        PopupMenu->addAction(a);
    PopupMenu->addSeparator();
    for (QAction* a : {CreateFolderAct, CreateSiteAct, ModifyAct, DeleteAct})
        PopupMenu->addAction(a);
    PopupMenu->addSeparator();
    for (QAction* a : {CutAct, CopyAct, PasteAct})
        PopupMenu->addAction(a);
    PopupMenu->addSeparator();
    for (QAction* a : {ExpandSubDirectoryAct, ExpandAllSubDirectoryAct})
        PopupMenu->addAction(a);

    FillMainBar();
}

// ---- settings -----------------------------------------------------------------------------

void TQuillonFrm::ApplySettings() {
    QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->geometry()
                                                    : QRect(0, 0, 800, 600);
    FSettings.Load(FDataFolder + "Quillon.ini", screen.width(), screen.height());
    std::vector<TRect> screens;
    for (QScreen* s : QGuiApplication::screens()) {
        QRect g = s->availableGeometry();
        screens.push_back({g.x(), g.y(), g.width(), g.height()});
    }
    TRect r = FitOnScreens(FSettings.Window, screens);
    // The stored place is the whole window's, title bar and borders
    // included: a first start fills the screen with the title bar on it.
    win::SetFrameRect(this, QRect(r.Left, r.Top, std::max(r.Width, 200), std::max(r.Height, 150)));
    Splitter->setSizes(
        {std::max(FSettings.TreeWidth, 0), std::max(r.Width - FSettings.TreeWidth, 1)});
    for (int i = 0; i < 4; ++i)
        ListView->header()->resizeSection(i, std::max(FSettings.ColWidth[i], 0));
    ApplyToolbarSettings();
}

void TQuillonFrm::StoreSettings() {
    const QRect g = win::FrameRect(this);
    FSettings.Window = {g.x(), g.y(), g.width(), g.height()};
    FSettings.KeyWord = FindSiteDlg->KeyWord();
    FSettings.TreeWidth = Splitter->sizes().value(0);
    FSettings.ItemIndex = SelectedNode();
    for (int i = 0; i < 4; ++i)
        FSettings.ColWidth[i] = ListView->header()->sectionSize(i);
    StoreToolbarSettings();
    std::string path = FDataFolder + "Quillon.ini";
    try {
        FSettings.Save(path);
    } catch (const win::EFileError&) {
        SiteError(this, WriteErrorMessage(path));
    }
}

// ---- start and close ---------------------------------------------------------------------------

void TQuillonFrm::FormCreate() {
    ApplySettings();
    SetSiteDlg = new TSetSiteDlg(this);
    try {
        LoadSiteFile(FFile.Path());
        if (FSettings.ItemIndex >= 0 && FSettings.ItemIndex < FSites.NodeCount())
            SelectNode(FSettings.ItemIndex);
    } catch (...) {
        // A damaged list shows what could be read.
    }
    FindSiteDlg = new TFindSiteDlg(
        FSites, FSettings.KeyWord,
        [this](const TSiteFields& s, int port) { ConnectSite(s.Alias, s.Address, port); }, this);
    ChooseImportFile = [this] {
        return QFileDialog::getOpenFileName(this, {}, QString::fromStdString(FFile.Path()),
                                            "Text files (*.txt);;All files (*.*)");
    };
}

// The first site file of the run: loaded whole, or an unreadable one named.
void TQuillonFrm::LoadSiteFile(const std::string& path) {
    if (FFile.Load(FSites) == TSiteFile::TLoad::Unreadable && path == FFile.Path())
        SiteError(this, FFile.ReadErrorText());
    FillSiteList();
}

void TQuillonFrm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!e->spontaneous()) FormShow();
}

void TQuillonFrm::FormShow() {
    FClientConnected = false;
    if (!FServer) return;
    if (!FServer->Active()) FServer->ClearSessionName();
    try {
        FServer->Open();
    } catch (const std::exception& e) {
        // Without a channel every site takes the start road.
        SiteError(this, e.what());
    }
}

bool TQuillonFrm::FormClose() {
    if (FConnectAllRunning) {
        // Connect-all ends first; it closes the window when it has.
        FClosing = true;
        if (FWaitLoop) FWaitLoop->quit();
        return false;
    }
    StoreSettings();
    if (FSites.Modified) {
        auto answer =
            SiteMessageBox(this, TMsgKind::Confirmation, "你確定要儲存更動後的站台列表嗎?",
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Cancel) return false;
        if (answer == QMessageBox::Yes) {
            std::string error = FFile.Save(FSites);
            if (!error.empty()) {
                SiteError(this, error);
                return false;
            }
        }
    }
    if (FServer) FServer->Close();
    return true;
}

void TQuillonFrm::closeEvent(QCloseEvent* e) {
    if (FormClose())
        e->accept();
    else
        e->ignore();
}

void TQuillonFrm::ExitProgramClick() {
    close();
}

void TQuillonFrm::ToolBarClick() {
    ToolBarAct->trigger();
}

void TQuillonFrm::A1Click() {
    TAboutDlg about(QuillonTitle(), this);
    about.exec();
}

void TQuillonFrm::FindClick() {
    FindSiteDlg->exec();
}
