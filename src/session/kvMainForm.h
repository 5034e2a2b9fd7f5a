// The terminal's main window: the document area holding the session
// windows, the toolbars, the two session lists and the status bar.
//
// One class over several files by concern:
//   kvMainForm.cpp          building, layout, lifetime, window messages
//   kvMainFormCommands.cpp  the command table, menus and enabling
//   kvMainFormSettings.cpp  reading and writing Brannoc.ini
//   kvMainFormStart.cpp     command line, hand-over, telnet-link offer
//   kvMainFormToolbars.cpp  the docks and toolbars, their events and places
//   kvMainFormStubs.cpp     commands whose bodies other files will hold
// (sessions, connect, desktop and key-map files add their own).
#pragma once
#include "controls/TabStrip.h"
#include "net/core/tcpip.h"
#include "platform/core/Messages.h"
#include "session/Connection.h"
#include "session/DetachedForm.h"
#include "session/core/CommandLine.h"
#include "session/core/CommandRules.h"
#include "session/core/GlyphCache.h"
#include "session/core/MainSettings.h"
#include "session/core/ProgressPass.h"
#include "session/core/Reconnect.h"
#include "session/core/ScriptFile.h"
#include "session/core/SpeedKeys.h"
#include "session/core/WindowLayout.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAbstractButton;
class QEvent;
class QKeyEvent;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMdiArea;
class QMenu;
class QSplitter;
class QTimer;
class QToolButton;
class TAnsiColorDlg;
class TAppExec;
class TConnection;
struct TDesktopParts;
class TDetachedForm;
class TDirectoryDlg;
class TFForm;
class TTraceDlg;
class TPreferenceDlg;
class QPrinter;
class QFont;
class TIPCClient;
class TMyBitmap;
class TDock;
class TFlash;
class THotBitBtn;
class TLabelEffect;
class TMagnetic;
class TSpin;
class TTiler;
class TToolbar;
class TWavePlayer;
class TScriptDlg;
namespace session {
struct TScriptBlock;
}
namespace win {
class TDesktopShooter;
}

// Private messages of the main window (posted, never sent).
constexpr win::UINT WM_CONNECT_REQUEST = win::WM_USER + 401; // connect the boxes
constexpr win::UINT WM_REMOTE_CONNECT = win::WM_USER + 402;  // a hand-over arrived
constexpr win::UINT WM_RUN_SCRIPT = win::WM_USER + 403;      // run the command-line script
// WM_CLOSE_SESSION (WM_USER+404, a session window asks to close): DetachedForm.h

// The class name other processes find a running terminal by.
extern const char* const MainFormClassName;
// Captions: the application title and the main window's fixed caption.
extern const char* const ApplicationTitle;
extern const char* const MainCaption;

// What the main window asks of the desktop; tests put their own in.
class TMainFormEnvironment {
public:
    virtual ~TMainFormEnvironment() = default;
    // The folders (each ending in "/").
    virtual std::string ProgramFolder();
    virtual std::string WindowsFolder();
    virtual std::string TempFolder();
    virtual std::string DesktopFolder();
    // Where Brannoc.ini, Directory.ini and Keys.ini live.
    virtual std::string SettingsFolder();
    // The program file's full path (what the telnet-link handler runs).
    virtual std::string ProgramPath();
    // The offer to become the telnet-link handler: true = Yes; *dontAsk is
    // the "do not ask again" check box.
    virtual bool AskDefaultTelnet(QWidget* owner, bool* dontAsk);
    // The telnet handler's command ("" = none) and writing ours; false when
    // the user's handler settings cannot be opened or written.
    virtual bool ReadTelnetHandler(std::string* command);
    virtual bool WriteTelnetHandler(const std::string& command);
};

class TkvMainForm : public QMainWindow, public TConnectionOwner {
    Q_OBJECT
public:
    // The command-line arguments as raw bytes; env may be nullptr (desktop).
    // Without create the caller runs FormCreate itself (the program does,
    // once its window is findable and the start lock is free again).
    explicit TkvMainForm(std::vector<std::string> args = {},
                         std::unique_ptr<TMainFormEnvironment> env = nullptr,
                         QWidget* parent = nullptr, bool create = true);
    ~TkvMainForm() override;

    // ---- Handle for window messages (WM_USER+401..404) -------------------
    win::HWND Handle() const { return FHandle; }

    // ---- Folders and settings ---------------------------------------------
    std::string WinDir, TempDir, ProgDir, DesktopDir, SettingsDir;
    std::string SettingsFileName; // SettingsDir + "Brannoc.ini"
    // Every setting of Brannoc.ini; the two palettes every screen points to
    // are Settings.FgColors and Settings.BgColors.
    TMainSettings Settings;

    // ---- Sessions (the form owns them; lists hold references) -------------
    std::vector<TConnection*> Sessions; // index i = tab i = list row i
    int CurrentSession = -1;
    std::vector<int> ActivationOrder;  // session indexes, most recent first
    std::array<bool, 11> NumberUsed{}; // [1..10]: session number taken
    // Shared background pictures, by file name, freed with their last user.
    using TGlyphs = session::TGlyphCache<TMyBitmap, TConnection>;
    TGlyphs Glyphs{GlyphOps()};
    int ConnectCount = 0;
    std::string PendingHost, SiteNameOverride, LastHost, LastHostText, CaptionSuffix;
    unsigned char FromDirectory = 0;
    // The next connect's port was given by a link or the command line: it
    // wins over the port of an address-book site of the same name.
    bool PortGiven = false;
    bool FirstShowDone = false;
    bool CommandLineScript = false;
    std::string OpenDialogFileName; // the script file a command line names
    // One shot of the whole screen, shared by the document background and
    // every session screen; black when no grab works.
    TMyBitmap* ScreenShoot = nullptr;
    // The blocking HTTP client the window carries (never called).
    T_HTTP HTTP;

    // ---- Speed keys -------------------------------------------------------
    std::array<QToolButton*, 12> SpeedButtons{};
    std::array<std::string, 12> SpeedKeys;
    int KeyGroup = 1;

    // ---- Controls ---------------------------------------------------------
    QMdiArea* MdiArea = nullptr;
    TDock* TopDock = nullptr;
    TDock* BottomDock = nullptr;
    TTabStrip* TabControl = nullptr; // the horizontal session list
    QSplitter* VSplitter = nullptr;  // sets the tab bar's height
    QListWidget* BmpListBox = nullptr;
    QSplitter* HSplitter = nullptr; // sets the session list's width
    std::array<QLabel*, 5> StatusPanels{};
    TToolbar* ConnectionBar = nullptr;
    TToolbar* FunctionBar = nullptr;
    TToolbar* ShortcutBar = nullptr;
    TToolbar* SpeedBtnBar = nullptr;
    TToolbar* LineBar = nullptr;
    std::array<TToolbar*, tbCount> Toolbars{}; // in ToolbarPrefixes order
    TLabelEffect* HostLabelEffect = nullptr;
    QComboBox* HostNameComboBox = nullptr;
    QLineEdit* PortEdit = nullptr;
    QLineEdit* ShortcutEdit = nullptr;
    QComboBox* LineComboBox = nullptr;
    QCheckBox* LineLockCheckBox = nullptr;
    THotBitBtn* SendHotBitBtn = nullptr;
    THotBitBtn* SendLnHotBitBtn = nullptr;
    QToolButton* EditSpeedBtn = nullptr;
    TSpin* Spin = nullptr;         // switches the speed-key group
    TFlash* Flash = nullptr;       // taskbar flashing of the bell
    TMagnetic* Magnetic = nullptr; // edge snapping ([Windows] "Magnetic")
    // Switches the edge snapping.
    void SetMagneticOn(bool on);
    // Off-screen accelerator button of the Alt shortcuts.
    QToolButton* ShortcutBtn = nullptr;
    QMenu* PopupMenu = nullptr;             // the document area's pop-up
    QMenu* DetachedFormPopupMenu = nullptr; // the session windows' pop-up
    QMenu* ListPopupMenu = nullptr;         // the session list's pop-up
    QTimer* FlashTimer = nullptr;           // one-second housekeeping
    QTimer* ListAutoScrollTimer = nullptr;  // 60 ms, while dragging list rows
    int TabBarBaseHeight = 22;
    // The tab strip shows its tabs in several rows (no scroll buttons) while
    // it is taller than TabBarBaseHeight; TabControlResize keeps it so.
    bool TabMultiLine = false;

    // Status bar panel text (0..4).
    void SetStatusText(int panel, const QString& text);
    QString StatusText(int panel) const;

    // ---- Commands ---------------------------------------------------------
    using THandler = void (TkvMainForm::*)(QObject* sender);
    struct TCommand {
        const char* Name;     // the menu item's name; its "2" copy shares the action
        const char* Caption;  // UTF-8
        const char* Shortcut; // QKeySequence text, "" = none
        THandler Handler;
        TCommandRule Enabled;
        bool Checkable;
        const char* Icon = ""; // its picture's freedesktop icon name, "" = none
    };
    static const std::vector<TCommand>& Commands();
    // The action of a command by name; "Name2" gives the action of "Name".
    QAction* Action(const QString& name) const;
    // Enables every command by its rule in the current state.
    void UpdateCommands();
    TCommandState CommandState() const;

    // ---- Start-up and shutdown --------------------------------------------
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    // True once the settings were written without an error this run.
    bool LastSaveOk() const { return FLastSaveOk; }
    // Brings the window forward for another process (hand-over).
    void BringForward();

    // Settings between the file, the model and the controls.
    void LoadSettings();
    void ApplySettingsToForm();
    void CollectSettingsFromForm();
    bool SaveSettings();

    // ---- Command line and hand-over ---------------------------------------
    void HandleCommandLine();
    void WMConnectRequest();
    void WMRemoteConnect(win::WPARAM ticket);
    void OfferTelnetHandler();

    // ---- Hooks for the inter-program channel (set by its unit) -----------
    std::function<void()> OnIpcOpen;
    std::function<void()> OnIpcClose;

    // ---- The site-list link and the desktop (kvMainFormDesktop.cpp) -------
    TIPCClient* IPCClient = nullptr;
    TAppExec* AppExec = nullptr;
    TWavePlayer* BeepWave = nullptr; // plays for BeepPlayer (below)
    TTiler* Tiler = nullptr;         // the document area's background
    void BuildDesktop();
    // Opens the link when it is not open; true (and "IPC_Open" sent) when a
    // site list answered.
    bool IpcOpen();
    // A site record from the site list: filled into the boxes, connected.
    void IPCClientData(const void* record);
    void RunQueuedSites();
    void QuillonTimerTimer();
    // False when nothing could open it (no browser set, no opener found).
    bool OpenUrl(const std::string& url);
    void CreateShortcut(const std::string& folderName);

    // ---- Sessions and connecting (bodies in the sessions files) ----------
    TConnection* OpenSessionWindow();
    void ApplySiteSettings(TConnection* session);
    void LoadKeyMap(TConnection* session);
    void HandleShortcutKey(int& key, Qt::KeyboardModifiers shift, QAbstractButton* button);
    void EnableCommands(bool enable);
    void CaptureDesktop();
    // The run behind CaptureDesktop (made on first use); tests replace its source.
    win::TDesktopShooter* DesktopShooter();
    void RestoreCurrentSession(TConnection* current,
                               const std::vector<QPointer<TConnection>>& order);

    // ---- Address book, key maps and the progress pass --------------------
    // (kvMainFormDirectory.cpp, kvMainFormKeyMap.cpp)
    // Runs step on each of the sessions in turn, showing the progress in
    // status panel 4 and processing pending messages before each step, with
    // the long-running commands locked. A session closed meanwhile is
    // skipped; the commands come back on every way out. A pass started
    // inside a pass neither locks nor unlocks.
    void ProgressPass(const std::vector<TConnection*>& sessions,
                      const std::function<void(TConnection*)>& step);
    // EnableCommands(false) holds until EnableCommands(true).
    bool CommandsLocked() const { return FCommandsLocked; }

    // ---- Window layout and backgrounds (kvMainFormLayout.cpp) -----------
    // Fills the document area with one session window (not by window state).
    void MaximizeSession(int index);
    // Moves every session window to (x, y) in a progress pass.
    void MoveAllSessions(int x, int y);
    // The document area's background cut from ScreenShoot under it.
    void PaintTransparentBackground();
    // The picture open dialog; tests put their own in ("" = cancelled).
    std::function<QString(const QString& start)> PictureFileChooser;
    session::TBackgroundState BackgroundState() const;
    void ApplyBackgroundState(const session::TBackgroundState& b);
    bool LoadBackgroundPicture(const std::string& fileName);
    void ClearBackgroundPicture();
    // 0 tile horizontally, 1 vertically, 2 cascade.
    void ArrangeSessions(int how);
    void FitSessionScreen(TConnection* s, TDetachedForm* w, QSize screen);
    bool LayoutChecked(const char* name) const;
    std::vector<TConnection*> LayoutSessions() const;
    // The main window's move and size handlers: transparent backgrounds
    // follow the window; a move during the pass reruns it once afterwards.
    void MainWindowMoved();
    void MainWindowResized();
    session::TMoveWatch LayoutMoveWatch;
    session::TGrowthWatch LayoutGrowth;
    session::TRerunGate LayoutMoveGate;
    // Raised as each run of the move pass starts, with the window's place.
    std::function<void(QPoint)> OnMovePass;

    // ---- Site settings and session events (kvMainFormSite.cpp, kvMainFormLogin.cpp)
    // A script block's connect fields, handed over by the script reader.
    bool ScriptLoginGiven = false;
    std::string ScriptHost, ScriptPort, ScriptKeyWord;
    int ScriptTrigger = 0;
    // Session list row state (session::TRowState) and the row text's head
    // string, kept by the sessions files; unset, the bell only sounds.
    std::function<int(TConnection*)> SessionRowState;
    std::function<void(TConnection*, int)> SetSessionRowState;
    std::function<void(TConnection*, const std::string&)> ShowSessionHeadString;
    // Makes the session current and moves it to the front (sessions files).
    std::function<void(TConnection*)> BringSessionForward;
    // Seconds the flashing has run; the housekeeping timer ends it.
    int FlashCounter = 0;
    // Desktop call points: the bell's wave player (false = nothing played),
    // the link openers and the program starter (false with *error set when
    // it could not start). Unset ones use the fallbacks in kvMainFormLogin.cpp.
    std::function<bool(const std::string& file)> BeepPlayer;
    std::function<void(const std::string& url)> OpenUrlHandler;
    std::function<bool(const std::string& program, const std::vector<std::string>& args,
                       std::string* error)>
        StartProgram;
    // TConnectionOwner: the session events (kvMainFormLogin.cpp).
    void SessionKeyWord(TConnection* s) override;
    void ScriptTimerTimer(TConnection* s) override;
    void SessionHeadString(TConnection* s, const std::string& head) override;
    void SessionBeep(TConnection* s) override;
    void SessionTimer1(TConnection* s) override;
    void SessionTimer2(TConnection* s) override;
    void SessionHyperlink(TConnection* s, const std::string& text, int kind) override;
    void SessionMouseDown(TConnection* s, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                          int x, int y) override;
    void SessionMouseUp(TConnection* s, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x,
                        int y) override;
    void SessionMouseMove(TConnection* s, Qt::KeyboardModifiers shift, int x, int y) override;
    // ---- Edit, save, print, find and trace (kvMainFormEdit.cpp) ---------
    // The file dialogs of these commands (filter in "Text|*.txt|All|*.*"
    // form; "" = cancelled) and the print-font choice; tests put their own in.
    std::function<std::string(const std::string& filter, bool save)> ChooseFileName;
    std::function<bool(QFont& font)> ChoosePrintFont;
    TFForm* FindForm = nullptr;    // created on first use, kept for the run
    TTraceDlg* TraceDlg = nullptr; // likewise
    bool TraceBusy = false;        // a replay runs
    int LastPreferencePage = 0;    // the preferences tab last used this run
    std::string PopupLinkText;     // the link under the mouse as the pop-up opened
    int PopupLinkKind = 0;
    // Records the link under the mouse whenever the session pop-up opens:
    // of PopupSession (the window's session that asked for the pop-up),
    // else of the current session.
    void WirePopupLink();
    QPointer<TConnection> PopupSession;
    // Takes s's link as the record and enables CopyHyperlink/GotoHyperlink
    // exactly when there is one.
    void RecordPopupLink(TConnection* s);
    TFForm* EnsureFindForm();
    // Called with the preferences dialog before it opens (tests answer it).
    std::function<void(TPreferenceDlg&)> PreferenceDialogHook;
    QPrinter& Printer();
    // ---- Sessions: kvMainFormSessions.cpp, kvMainFormConnect.cpp ---------
    std::string PendingScript; // login script for the next session opened
    // ---- Script files (kvMainFormScript.cpp) --------------------------------
    // Window place of the block being connected; -9317 = not given.
    int ScriptLeft = NoScriptPosition, ScriptTop = NoScriptPosition;
    bool ScriptBlockConnecting = false; // a script block's connect is running
    // Test hooks: the dialog (true = OK), the boxes, the save-file name.
    std::function<bool(TScriptDlg&)> ScriptDialogExec;
    std::function<void(const QString&)> ScriptMessage;
    int ScriptSessionLimit = session::kScriptMaxSessions; // sessions one run may open
    std::function<bool()> ScriptConfirm;
    std::function<std::string()> ScriptSaveName;
    // The reused idle session of a block's connect takes its login.
    void ScriptBlockToReusedSession(TConnection* session);
    void ConnectScriptBlock(const session::TScriptBlock& block);
    void ScriptBox(const QString& text);
    // Worker and timer handshake: dropped sessions to close or restart.
    session::THandshake Handshake;
    bool InTimer = false;             // the housekeeping timer is running
    int DragHoverIndex = -1;          // list row under a dragged row, -1 none
    unsigned char DragScrollDown = 0; // auto-scroll direction: 1 down, 0 up
    // Whether a host-box text names a site of the address book (set by it).
    std::function<bool(const std::string& alias)> InAddressBook;
    // Raised when the bell's flash has lasted ClearBeepInterval.
    std::function<void()> OnBeepFlashEnd;

    void CloseSessionWindow(int index, bool activate);
    void ActivateSession(int oldIndex, int newIndex, bool focus);
    void ShowSessionNumber(int index);
    void SelectSessionInLists(int index);
    void DefaultFocus(bool lineLock);
    void MoveCurrentToFront();
    std::string GetSiteName() const;
    TMyBitmap* AcquireGlyph(TConnection* session, const std::string& fileName, bool load);
    void ReleaseGlyph(TConnection* session);
    TMyBitmap* AssignGlyph(TConnection* session, const std::string& fileName, bool load);
    void SaveSiteFontSize(const std::string& siteName, int size);
    // Index of a session in Sessions (-1 = not there) and its window.
    int SessionIndex(const TConnection* session) const;
    TDetachedForm* FormOf(const TConnection* session) const;
    // Session list rows: state 0 idle, 1 connecting, 2 connected, 3 bell.
    int RowState(int index) const;
    void SetRowState(int index, int state);
    void BmpListBoxClick();
    void TabControlChange(int index);
    // The tab strip took a new height: multi-line exactly when it is taller
    // than its base height.
    void TabControlResize();
    // A press on the tab strip gives the keys back to the current session.
    void TabControlMouseDown();
    // Makes TabControlResize follow the strip's resizes (once, at creation).
    void WireTabStrip();
    void BmpListBoxMouseDown();
    // A row dragged over the list at viewport height y (inside = still over it).
    void BmpListBoxDragOver(int y, bool inside);
    void BmpListBoxDragDrop();
    void DetachedFormActivate(TDetachedForm* form);
    // The session window's pop-up at `at` (window coordinates), with the
    // link under the mouse of its session recorded.
    void DetachedFormContextPopup(TDetachedForm* form, const QPoint& at);
    // The main pop-up opens only over the document area (at in the main
    // window's coordinates); true when it opened.
    bool FormContextPopup(const QPoint& at, const QPoint& globalAt);

    // TConnectionOwner: what every session asks of the window.
    const TSessionDefaults& SessionDefaults() const override;
    std::string TakePendingScript() override;
    int TakeSessionNumber() override;
    void SessionConnected(TConnection* session) override;
    void ConnectionSessionClosed(TConnection* session) override;
    void ConnectFailed(TConnection* session) override;
    void SessionSetFocus(TConnection* session) override;

    // ---- Keys: kvMainFormKeys.cpp -----------------------------------------
    // The key dispatcher's part of the window's event filter: true when the
    // event is used up.
    bool KeyPreview(QObject* watched, QEvent* e);
    void WireKeys();
    void LoadSpeedButtonGroup();
    void SelectSpeedKeyGroup(int group);
    // The speed-key dialog, focused on a row (0..11; 12 and above: none).
    void EditSpeedBtnRow(int row);
    void LineComboBoxChange();
    void LineComboBoxEnter();
    bool LineEditorEntered = false; // the line editor got the focus
    // The ANSI mode of the two menus (0 escape, 1 control letter, 2 none).
    int AnsiMode() const;
    void SetAnsiMode(int mode);
    // Types a colour code into the current session (connected only).
    void SendAnsiCode(const std::string& code);
    QPointer<TAnsiColorDlg> AnsiColorDlg; // exists while AnsiColor is checked

    // ---- Navigation and boxes: kvMainFormNavigate.cpp ---------------------
    void FindTalkSession(int d);
    void CloseAllSessions();
    void HostLabelEffectClick();
    void ClearHostHistory();
    // A file-dialog filter written as "Text files (*.txt)|*.txt|..." in Qt's form.
    static QString QtFilter(const std::string& filter);
    void ClearAllBuffers();
    void HostNameComboBoxChange();
    void HostNameComboBoxEnter();
    void PortEditEnter();
    void PortEditClick();
    void ShortcutEditMouseDown();
    unsigned char PortSelectArmed = 0;

    // ---- Command handlers (Sender: the action or button, or nullptr) -----
    void ConnectClick(QObject* sender = nullptr);
    void DisconnectClick(QObject* sender = nullptr);
    void DisconnectAllClick(QObject* sender);
    void ReconnectAllClick(QObject* sender);
    void SingleConnectClick(QObject* sender);
    void DirectoryClick(QObject* sender);
    void AddSiteClick(QObject* sender);
    void RunScriptClick(QObject* sender);
    void MakeScriptClick(QObject* sender);
    void LoadTraceClick(QObject* sender);
    void UploadClick(QObject* sender);
    void SaveScreenClick(QObject* sender);
    void SaveBufferClick(QObject* sender);
    void PrintScreenClick(QObject* sender);
    void PrintBufferClick(QObject* sender);
    void SetupPrinterClick(QObject* sender);
    void ExitProgramClick(QObject* sender);
    void CopyClick(QObject* sender);
    void CopyAnsiClick(QObject* sender);
    void PasteClick(QObject* sender);
    void PasteAnsiClick(QObject* sender);
    void CopyPasteClick(QObject* sender);
    void CopyScreenClick(QObject* sender);
    void CopyBufferClick(QObject* sender);
    void CopyHyperlinkClick(QObject* sender);
    void GotoHyperlinkClick(QObject* sender);
    void ClearScreenClick(QObject* sender);
    void ClearBufferClick(QObject* sender);
    void FindClick(QObject* sender);
    void FindNextClick(QObject* sender);
    void ConnectionToolBarClick(QObject* sender);
    void FunctionToolBarClick(QObject* sender);
    void SpeedBtnToolBarClick(QObject* sender);
    void ShortcutToolBarClick(QObject* sender);
    void LineToolBarClick(QObject* sender);
    void StatusBarMenuItemClick(QObject* sender);
    void ConnectionForm1Click(QObject* sender);
    void ConnectionForm2Click(QObject* sender);
    // The tab strip's splitter moved (also after the strip was shown or hidden).
    void VSplitterMoved();
    void ScrollBarVisibleClick(QObject* sender);
    void TransparentMenuItemClick(QObject* sender);
    void PictureMenuItemClick(QObject* sender);
    void CenterMenuItemClick(QObject* sender);
    void LoadPictureMenuItemClick(QObject* sender);
    void RearrangeClick(QObject* sender);
    void MaxConnectionClick(QObject* sender);
    void MaxAllConnectionClick(QObject* sender);
    void MinAllConnectionClick(QObject* sender);
    void RestoreAllConnectionClick(QObject* sender);
    void TileHClick(QObject* sender);
    void TileVClick(QObject* sender);
    void TileOClick(QObject* sender);
    void MoveToLeftTopClick(QObject* sender);
    void MoveToClick(QObject* sender);
    void Screen640x480Click(QObject* sender);
    void Screen800x600Click(QObject* sender);
    void Screen1024x768Click(QObject* sender);
    void Screen1280x1024Click(QObject* sender);
    void PreviousClick(QObject* sender);
    void NextClick(QObject* sender);
    void PreviousTalkClick(QObject* sender);
    void NextTalkClick(QObject* sender);
    void SetPreferenceClick(QObject* sender);
    void KeyboardMappingClick(QObject* sender);
    void EditSpeedBtnClick(QObject* sender);
    void SpeedBtnClick(QObject* sender);
    void SpinUpClick(QObject* sender);
    void SpinDownClick(QObject* sender);
    void AnsiColorClick(QObject* sender);
    void AnsiEscClick(QObject* sender);
    void AnsiCtrlClick(QObject* sender);
    void AnsiNoneClick(QObject* sender);
    void ResetPasswordClick(QObject* sender);
    void ReAskPasswordClick(QObject* sender);
    void DefaultTelnetClick(QObject* sender);
    void DesktopItemIndexClick(QObject* sender);
    void ProgramMenuItemClick(QObject* sender);
    void QuillonClick(QObject* sender);
    void GotoBrowserClick(QObject* sender);
    void ShowLocalIPClick(QObject* sender);
    void Brannoconline1Click(QObject* sender);
    void AboutClick(QObject* sender);
    // The toolbar command buttons' Alt letters moved into their hints and back.
    void HideButtonCaptions();
    void ShowButtonCaptions();
    void CLFormBackColorClick(QObject* sender);
    void PickSessionListColor(bool font);
    void CLFormFontColorClick(QObject* sender);
    void SendHotBitBtnClick(QObject* sender);
    void LineLockCheckBoxClick(QObject* sender);
    // Toolbar events: a close clears the bar's View mark.
    void ConnectionBarClose(QObject* sender);
    void FunctionBarClose(QObject* sender);
    void SpeedBtnBarClose(QObject* sender);
    void ShortcutBarClose(QObject* sender);
    void LineBarClose(QObject* sender);
    void ConnectionBarDockChanged(QObject* sender);
    void TopDockResize(QObject* sender);
    int LastDockHeight = 0; // TopDock's height last seen
    // A check item bound to a setting: flips its own mark only.
    void ToggleClick(QObject* sender);
    void FlashTimerTimer();
    void ListAutoScroll();
    // The application's hint changed (the mouse rests on another control or
    // menu item): the paste hint shows the clipboard's text in the caption.
    void AppHint(const QString& hint);
    void WMCloseSession(win::WPARAM wParam, win::LPARAM lParam);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool HintEvent(QObject* watched, QEvent* e);
    void WireMenuHints();
    QString FHint; // the application's hint now
    static TGlyphs::TOps GlyphOps();
    bool SiteChanged(TConnection* session) const;
    void SessionDropped(TConnection* session);
    void SetRowText(int index, const QString& text);
    void ShowCaption();
    bool ConnectionBarShown() const;
    bool LineLocked() const;
    void WireSessionLists();
    void SwitchTo(int index);
    int TopRow() const;
    void MoveSession(int from, int to);
    void RemoveIdleSessions();
    void ReconnectIdleSessions(bool all);
    mutable TSessionDefaults FSessionDefaults;
    bool FListsWired = false;
    bool FTabResizeAttached = false; // TabControlResize runs on strip resizes
    // Keys (kvMainFormKeys.cpp, kvMainFormNavigate.cpp).
    QAbstractButton* AcceleratorOf(QWidget* w);
    bool TerminalFocused() const;
    bool CurrentConnected() const;
    void ShowSpeedGroup(const session::TSpeedGroup& g);
    void ShowKeyGroupDigit();
    void SetLineLock(bool on);
    void FreeAnsiColorDlg();
    bool LineComboBoxKey(QKeyEvent* e);
    bool ConnectOnEnter(QKeyEvent* e);
    bool HostNameComboBoxKey(QKeyEvent* e);
    bool PortEditKey(QKeyEvent* e);
    bool ShortcutEditKeyDown(QKeyEvent* e);
    bool ShortcutEditKeyPress(QKeyEvent* e);
    bool FShortcutSent = false; // the last shortcut sent bytes itself
    void BuildLayout();
    void BuildToolbars();
    void BuildCommands();
    void BuildMenus();
    QToolButton* CommandButton(const char* name, const QString& objectName);
    std::vector<QToolButton*> CaptionButtons() const;
    void MoveButtonCaptions(bool hide);
    void BuildDocks(QWidget* central);
    void BuildFormComponents();
    QListWidget* MakeSessionList();
    void DockToolbars();
    void CollectToolbarSettings();
    void WndProc(win::TMessage& msg);
    void FormKeyDown(int& key, Qt::KeyboardModifiers shift);

    std::vector<std::string> FArgs;
    std::unique_ptr<TMainFormEnvironment> FEnv;
    win::HWND FHandle = 0;
    TDesktopParts* FDesktop = nullptr;
    std::map<QString, QAction*> FActions;
    QActionGroup* FAnsiGroup = nullptr;
    QActionGroup* FPictureStyleGroup = nullptr;
    bool FCreated = false;
    std::vector<win::TMessage> FDeferred; // arrived before the first show
    bool FCommandLinePending = false;     // the command line's request is queued
    void ReleaseDeferred();
    bool FClosed = false;
    bool FDestroyed = false;
    bool FLastSaveOk = false;
    bool FCommandsLocked = false;
    // A script run is in progress: its command stays off until it ends,
    // whatever a progress pass in between switches back on.
    bool FScriptRunning = false;
    session::TPassLock FPassLock;
};

extern TkvMainForm* kvMainForm;
