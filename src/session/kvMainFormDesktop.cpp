// The main window and the desktop: the link to the site-list program (the
// IPC client, the sites it sends, starting it), opening web addresses, the
// bell's wave player, the document-area background painter, shortcuts, the
// telnet-link handler command and the local address.
#include "session/kvMainForm.h"

#include "platform/Artwork.h"
#include "platform/CodePage.h"
#include "platform/core/Folders.h"
#include "platform/core/LocalAddress.h"
#include "platform/core/TelnetHandler.h"
#include "session/Connection.h"
#include "session/IPC.h"
#include "session/ShellLink.h"
#include "session/UrlOpener.h"
#include "session/WavePlayer.h"
#include "session/core/AppExecCore.h"
#include "session/core/HandlerCommand.h"
#include "session/core/IPCRecord.h"
#include "session/core/UrlLaunch.h"
#include "session/uTiler.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <deque>

namespace {

// The program's home page.
constexpr const char* kHomePage = "https://brannocpro.invalid/";
// Sites are connected one at a time; a connect that never ends gives way.
constexpr int kSiteConnectBoundMs = 30000;
// After starting the site list: how often and how long to look for it.
constexpr int kQuillonRetryMs = 100;
constexpr int kQuillonRetries = 50;

} // namespace

// The desktop components' state, owned by the form (a child object, so it
// goes with the form).
struct TDesktopParts : QObject {
    explicit TDesktopParts(QObject* parent) : QObject(parent) {}
    ~TDesktopParts() override {
        delete Client;
        delete Exec;
        delete Beep;
    }
    TIPCClient* Client = nullptr;
    TAppExec* Exec = nullptr;
    TWavePlayer* Beep = nullptr;
    std::deque<std::string> Sites; // records waiting to be connected
    bool SiteRunning = false;
    QTimer* QuillonTimer = nullptr;
    int QuillonTries = 0;
};

void TkvMainForm::BuildDesktop() {
    FDesktop = new TDesktopParts(this);
    IPCClient = FDesktop->Client = new TIPCClient;
    AppExec = FDesktop->Exec = new TAppExec;
    BeepWave = FDesktop->Beep = new TWavePlayer;
    // The bell must not hold the window while it sounds.
    BeepWave->SetAsync(true);
    BeepPlayer = [this](const std::string& file) {
        if (file.empty()) return false;
        BeepWave->WaveLocation = TWaveLocation::wlFile;
        BeepWave->WaveName = file;
        return BeepWave->Play();
    };
    OpenUrlHandler = [this](const std::string& url) { OpenUrl(url); };
    StartProgram = [this](const std::string& program, const std::vector<std::string>& args,
                          std::string* error) {
        AppExec->Clear();
        AppExec->ExeName = program;
        AppExec->ExeParams = args;
        try {
            AppExec->Execute();
        } catch (const EAppExec& e) {
            if (error) *error = e.what();
            return false;
        }
        return true;
    };
    Tiler = new TTiler(this);
    Tiler->SetTileMode(TTileMode::tmTile);
    Tiler->SetActive(true);

    IPCClient->OnData = [this](const void* record) {
        // Copied and connected later: the sender is not kept waiting for a
        // connect, and a record arriving meanwhile waits its turn.
        FDesktop->Sites.emplace_back(static_cast<const char*>(record), kIPCRecordSize);
        QTimer::singleShot(0, this, [this] { RunQueuedSites(); });
    };
    OnIpcOpen = [this] { IpcOpen(); };
    OnIpcClose = [this] {
        std::string rec = EncodeIPCRecord(IPCCommandRecord(kIPCClose));
        IPCClient->SendData(rec.data(), kIPCRecordSize);
        IPCClient->Close();
    };

    FDesktop->QuillonTimer = new QTimer(FDesktop);
    FDesktop->QuillonTimer->setObjectName(QStringLiteral("QuillonTimer"));
    FDesktop->QuillonTimer->setInterval(kQuillonRetryMs);
    connect(FDesktop->QuillonTimer, &QTimer::timeout, this, [this] { QuillonTimerTimer(); });
}

// Opens the link (a new window asks for a server) and, when a server
// answered, says "IPC_Open".
bool TkvMainForm::IpcOpen() {
    if (!IPCClient) return false;
    if (!IPCClient->Connected()) IPCClient->SessionName.clear();
    IPCClient->Open();
    if (!IPCClient->Connected()) return false;
    std::string rec = EncodeIPCRecord(IPCCommandRecord(kIPCOpen));
    IPCClient->SendData(rec.data(), kIPCRecordSize);
    return true;
}

void TkvMainForm::RunQueuedSites() {
    if (FDesktop->SiteRunning) return; // the running one takes the rest
    FDesktop->SiteRunning = true;
    while (!FDesktop->Sites.empty() && !FClosed) {
        std::string rec = std::move(FDesktop->Sites.front());
        FDesktop->Sites.pop_front();
        IPCClientData(rec.data());
    }
    FDesktop->SiteRunning = false;
}

// A site from the site list: into the boxes and connected; then the same
// 68 bytes go back, so the site list knows this window.
void TkvMainForm::IPCClientData(const void* record) {
    TIPCSiteRecord site;
    if (!DecodeIPCRecord(record, kIPCRecordSize, site)) return;
    const std::string bytes(static_cast<const char*>(record), kIPCRecordSize);
    HostNameComboBox->setEditText(win::Big5ToQString(site.Alias));
    SiteNameOverride = site.Alias;
    PendingHost = site.Address;
    HostNameComboBox->setToolTip(win::Big5ToQString(site.Address));
    PortEdit->setText(QString::number(site.Port));
    QAction* connectAction = Action(QStringLiteral("Connect"));
    ConnectClick(connectAction);
    QElapsedTimer bound;
    bound.start();
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    while (connectAction && !connectAction->isEnabled() && !FClosed &&
           bound.elapsed() < kSiteConnectBoundMs)
        QApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
    if (!FClosed && IPCClient->Connected()) IPCClient->SendData(bytes.data(), kIPCRecordSize);
}

// Starts the site list from the program folder, then looks for its channel
// every 100 ms for up to 5 s; the command waits meanwhile. A site list that
// cannot be started or never answers ends it without a word.
void TkvMainForm::QuillonClick(QObject*) {
    if (FDesktop->QuillonTimer->isActive()) return;
    AppExec->Clear();
    AppExec->ExeName = ProgDir + "Quillon";
    try {
        AppExec->Execute();
    } catch (const EAppExec&) {
        return;
    }
    if (QAction* a = Action(QStringLiteral("Quillon"))) a->setEnabled(false);
    FDesktop->QuillonTries = 0;
    // An old link is dropped once, so the new site list is the one found.
    IPCClient->Close();
    FDesktop->QuillonTimer->start();
}

void TkvMainForm::QuillonTimerTimer() {
    ++FDesktop->QuillonTries;
    bool done = FClosed || IpcOpen() || FDesktop->QuillonTries >= kQuillonRetries;
    if (!done) return;
    FDesktop->QuillonTimer->stop();
    if (QAction* a = Action(QStringLiteral("Quillon"))) a->setEnabled(true);
    UpdateCommands();
}

// The configured browser with the address as its one argument (none when
// empty), else the desktop's way of opening web addresses.
bool TkvMainForm::OpenUrl(const std::string& link) {
    // A host without a scheme is a web address, never a file or an option.
    const std::string url = UrlForOpener(link);
    try {
        if (!Settings.BrowserFilename.empty()) {
            AppExec->Clear();
            AppExec->ExeName = Settings.BrowserFilename;
            if (!url.empty()) AppExec->ExeParams.push_back(url);
            AppExec->Execute();
            return true;
        }
        TUrlOpener opener;
        opener.Url = url;
        return opener.Execute();
    } catch (const std::exception& e) {
        QMessageBox::critical(this, QString::fromUtf8(ApplicationTitle),
                              win::Big5ToQString(std::string_view(e.what())));
    }
    return true; // tried, and the failure was told
}

void TkvMainForm::GotoBrowserClick(QObject*) {
    OpenUrl(std::string());
}

void TkvMainForm::Brannoconline1Click(QObject*) {
    if (!OpenUrl(kHomePage))
        QMessageBox::critical(this, QString::fromUtf8(ApplicationTitle),
                              QString::fromUtf8("找不到可以開啟網頁的程式，無法開啟 ") +
                                  QString::fromLatin1(kHomePage));
}

// Becomes the telnet-link handler only where a handler is set up already.
void TkvMainForm::DefaultTelnetClick(QObject*) {
    std::string command;
    if (!FEnv->ReadTelnetHandler(&command)) return;
    if (!FEnv->WriteTelnetHandler(HandlerCommandFor(FEnv->ProgramPath())))
        QMessageBox::warning(this, QString::fromUtf8(ApplicationTitle),
                             QString::fromUtf8("無法設定 Telnet 連結的處理程式。"));
}

void TkvMainForm::DesktopItemIndexClick(QObject*) {
    CreateShortcut("Desktop");
}

void TkvMainForm::ProgramMenuItemClick(QObject*) {
    CreateShortcut("Programs");
}

// "Brannoc.desktop" in the named folder; a folder that is not known gets
// no shortcut (and a word why), never one in another place.
void TkvMainForm::CreateShortcut(const std::string& folderName) {
    std::string folder = folderName == "Desktop" ? DesktopDir : win::GetShellFolder(folderName);
    const QString title = QString::fromUtf8(ApplicationTitle);
    if (folder.empty()) {
        QMessageBox::warning(this, title,
                             QString::fromUtf8("找不到資料夾「%1」，捷徑沒有建立。")
                                 .arg(QString::fromUtf8(folderName.c_str())));
        return;
    }
    TShellLink link;
    link.Description = "Brannoc Pro: 多視窗 Telnet 終端機";
    link.HotKey = 0x064D; // Ctrl+Alt+M; a desktop entry has no place for it
    link.ProgramFile = FEnv->ProgramPath();
    link.IconFile = win::DesktopIconName(win::ProgramIconName);
    link.LinkFile = win::IncludeTrailingPathDelimiter(folder) + "Brannoc.desktop";
    try {
        link.Write();
    } catch (const EShellLink& e) {
        QMessageBox::warning(this, title, QString::fromLocal8Bit(e.what()));
    }
}

void TkvMainForm::ShowLocalIPClick(QObject*) {
    QMessageBox::information(this, QString::fromUtf8(ApplicationTitle),
                             QStringLiteral("Local IP address: ") +
                                 QString::fromLatin1(win::GetLocalIPAddress().c_str()));
    if (CurrentSession >= 0 && CurrentSession < static_cast<int>(Sessions.size()) &&
        Sessions[static_cast<std::size_t>(CurrentSession)])
        Sessions[static_cast<std::size_t>(CurrentSession)]->setFocus();
}
