// The main window: building the layout and the toolbars, lifetime (create,
// first show, close, destroy) and the window messages it answers.
#include "session/kvMainForm.h"

#include "controls/DockWin.h"
#include "platform/CodePage.h"
#include "platform/DesktopShot.h"
#include "platform/core/Folders.h"
#include "screen/KeyEvents.h"
#include "screen/MyBitmap.h"
#include "session/core/DockOrder.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>
#include <utility>

TkvMainForm* kvMainForm = nullptr;

namespace {
// A shown hint goes after ten seconds.
constexpr int kHintHideMs = 10000;
} // namespace

const char* const MainFormClassName = "TkvMainForm";
const char* const ApplicationTitle = "Brannoc Pro 2.00b";
const char* const MainCaption = "Brannoc Pro version 2.00b (中文版)";

TkvMainForm::TkvMainForm(std::vector<std::string> args, std::unique_ptr<TMainFormEnvironment> env,
                         QWidget* parent, bool create)
    : QMainWindow(parent), FArgs(std::move(args)), FEnv(std::move(env)) {
    if (!FEnv) FEnv = std::make_unique<TMainFormEnvironment>();
    kvMainForm = this;
    setObjectName(QStringLiteral("kvMainForm"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    FHandle = win::AllocateHWnd([this](win::TMessage& m) { WndProc(m); });
    // Built in and never fetched: the client exists for completeness.
    HTTP.URL = "http://127.0.0.1/";
    ScreenShoot = new TMyBitmap(this);
    BuildLayout();
    BuildCommands();
    BuildToolbars();
    BuildMenus();
    BuildDesktop();
    WireKeys();
    if (create) FormCreate();
}

TkvMainForm::~TkvMainForm() {
    // The boxes outlive this destructor (children go with the widget base):
    // what they emit while they are destroyed must not reach this form.
    for (QObject* box : std::initializer_list<QObject*>{HostNameComboBox, LineComboBox})
        if (box) box->disconnect(this);
    if (HostNameComboBox && HostNameComboBox->lineEdit())
        HostNameComboBox->lineEdit()->disconnect(this);
    FormDestroy();
    win::DeallocateHWnd(FHandle);
    if (kvMainForm == this) kvMainForm = nullptr;
}

void TkvMainForm::BuildLayout() {
    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    BuildDocks(central);
    BuildFormComponents();

    TabControl = new TTabStrip;
    TabControl->setObjectName(QStringLiteral("TabControl"));
    // One row of tabs at least; more rows as the splitter makes it taller.
    TabBarBaseHeight = std::max(22, TabControl->rowHeight());
    TabControl->setMinimumHeight(TabBarBaseHeight);
    TabControl->setMaximumHeight(std::max(220, TabBarBaseHeight));
    WireTabStrip();

    MdiArea = new QMdiArea;
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setBackground(QBrush(Qt::darkGray));

    BmpListBox = MakeSessionList();
    BmpListBox->setContextMenuPolicy(Qt::CustomContextMenu);

    HSplitter = new QSplitter(Qt::Horizontal);
    HSplitter->setObjectName(QStringLiteral("HSplitter"));
    HSplitter->setChildrenCollapsible(false);
    HSplitter->setHandleWidth(3);
    HSplitter->addWidget(MdiArea);
    HSplitter->addWidget(BmpListBox);
    HSplitter->setStretchFactor(0, 1);
    HSplitter->setStretchFactor(1, 0);

    VSplitter = new QSplitter(Qt::Vertical);
    VSplitter->setObjectName(QStringLiteral("VSplitter"));
    VSplitter->setChildrenCollapsible(false);
    VSplitter->setHandleWidth(3);
    VSplitter->addWidget(TabControl);
    VSplitter->addWidget(HSplitter);
    VSplitter->setStretchFactor(0, 0);
    VSplitter->setStretchFactor(1, 1);
    connect(VSplitter, &QSplitter::splitterMoved, this, [this] { VSplitterMoved(); });

    column->addWidget(TopDock);
    column->addWidget(VSplitter, 1);
    column->addWidget(BottomDock);
    setCentralWidget(central);

    static const char* const panels[5] = {"總連線數: 0", "連線數目: 0",
                                          "連線時間: ", "現在時間:", ""};
    static const int widths[5] = {85, 85, 133, 133, 100};
    for (int i = 0; i < 5; ++i) {
        StatusPanels[i] = new QLabel(QString::fromUtf8(panels[i]));
        StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        StatusPanels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(StatusPanels[i], i == 4 ? 1 : 0);
    }
    statusBar()->setObjectName(QStringLiteral("StatusBar"));

    ShortcutBtn = new QToolButton(this);
    ShortcutBtn->setObjectName(QStringLiteral("ShortcutBtn"));
    ShortcutBtn->setGeometry(0, -50, 1, 1);

    FlashTimer = new QTimer(this);
    FlashTimer->setObjectName(QStringLiteral("FlashTimer"));
    FlashTimer->setInterval(1000);
    connect(FlashTimer, &QTimer::timeout, this, [this] { FlashTimerTimer(); });
}

void TkvMainForm::SetStatusText(int panel, const QString& text) {
    if (panel >= 0 && panel < 5) StatusPanels[panel]->setText(text);
}

QString TkvMainForm::StatusText(int panel) const {
    return panel >= 0 && panel < 5 ? StatusPanels[panel]->text() : QString();
}

// Construction: folders, lists, the telnet-link offer, then every setting
// into menus, controls and toolbars.
void TkvMainForm::FormCreate() {
    setWindowTitle(QString::fromUtf8(MainCaption));
    PendingHost.clear();
    SiteNameOverride.clear();
    FirstShowDone = false;
    FromDirectory = 0;
    CommandLineScript = false;

    WinDir = win::IncludeTrailingPathDelimiter(FEnv->WindowsFolder());
    TempDir = win::IncludeTrailingPathDelimiter(FEnv->TempFolder());
    ProgDir = win::IncludeTrailingPathDelimiter(FEnv->ProgramFolder());
    DesktopDir = win::IncludeTrailingPathDelimiter(FEnv->DesktopFolder());
    SettingsDir = win::IncludeTrailingPathDelimiter(FEnv->SettingsFolder());
    SettingsFileName = SettingsDir + "Brannoc.ini";

    CurrentSession = -1;
    Sessions.clear();
    ActivationOrder.clear();
    Glyphs.clear();

    LoadSettings();
    if (!Settings.Ask) OfferTelnetHandler();
    ApplySettingsToForm();

    ListAutoScrollTimer = new QTimer(this);
    ListAutoScrollTimer->setObjectName(QStringLiteral("ListAutoScrollTimer"));
    ListAutoScrollTimer->setInterval(60);
    connect(ListAutoScrollTimer, &QTimer::timeout, this, [this] { ListAutoScroll(); });
    UpdateCommands();
    WireMenuHints();
    qApp->installEventFilter(this);
    FCreated = true;
}

void TkvMainForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!FirstShowDone) FormShow();
}

// The first show only: the desktop shot, the housekeeping timer, the
// inter-program link and the command line.
void TkvMainForm::FormShow() {
    if (FirstShowDone) return;
    FirstShowDone = true;
    CaptureDesktop();
    FlashTimer->start();
    if (OnIpcOpen) OnIpcOpen();
    HandleCommandLine();
    if (!FCommandLinePending) ReleaseDeferred();
}

// Requests that came while the window was being built (or before the
// command line's own request ran), in their order.
void TkvMainForm::ReleaseDeferred() {
    FCommandLinePending = false;
    for (const win::TMessage& m : std::exchange(FDeferred, {}))
        win::PostMessage(FHandle, m.Msg, m.WParam, m.LParam);
}

bool TkvMainForm::FormCloseQuery() {
    return true;
}

void TkvMainForm::closeEvent(QCloseEvent* e) {
    if (FormCloseQuery()) FormClose();
    QMainWindow::closeEvent(e);
}

// Saves every setting (one guarded write) and says good-bye on the link.
void TkvMainForm::FormClose() {
    // Before FormCreate finished there is nothing of the user's to save (the
    // controls would still hold their designed values).
    if (FClosed || !FCreated) return;
    FClosed = true;
    // Windows a pending desktop shot hid are shown before their state is saved.
    if (auto* shot = findChild<win::TDesktopShooter*>(QString(), Qt::FindDirectChildrenOnly))
        shot->Cancel();
    CollectSettingsFromForm();
    FLastSaveOk = SaveSettings();
    if (OnIpcClose) OnIpcClose();
}

// Sessions go first: their screens point at the palettes and the desktop
// shot that the form frees after them.
void TkvMainForm::FormDestroy() {
    if (FDestroyed) return;
    FDestroyed = true;
    qApp->removeEventFilter(this);
    if (FlashTimer) FlashTimer->stop();
    if (ListAutoScrollTimer) ListAutoScrollTimer->stop();
    ActivationOrder.clear();
    for (QMdiSubWindow* w : MdiArea->subWindowList())
        delete w;
    Sessions.clear();
    CurrentSession = -1;
    Glyphs.clear();
}

void TkvMainForm::BringForward() {
    if (!FirstShowDone) return; // the first show brings it up anyway
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
    if (!isActiveWindow()) QApplication::alert(this);
}

void TkvMainForm::WndProc(win::TMessage& m) {
    // Before the first show nothing of ours is handled yet; a hand-over that
    // was queued before the command line's own request waits for it, since
    // both go through the host and port boxes.
    bool early = !FirstShowDone && m.Msg >= win::WM_USER;
    if (early || (FCommandLinePending && m.Msg == WM_REMOTE_CONNECT)) {
        FDeferred.push_back(m);
        return;
    }
    switch (m.Msg) {
    case WM_CONNECT_REQUEST:
        WMConnectRequest();
        if (FCommandLinePending) ReleaseDeferred();
        break;
    case WM_REMOTE_CONNECT:
        WMRemoteConnect(m.WParam);
        break;
    case WM_RUN_SCRIPT:
        RunScriptClick(nullptr);
        if (FCommandLinePending) ReleaseDeferred();
        break;
    case WM_CLOSE_SESSION:
        WMCloseSession(m.WParam, m.LParam);
        break;
    case win::WM_CLOSE:
        close();
        break;
    default:
        break;
    }
}

// Key preview: the key dispatcher (kvMainFormKeys.cpp) sees every key of
// the window's controls and session windows first.
bool TkvMainForm::eventFilter(QObject* watched, QEvent* e) {
    if (HintEvent(watched, e)) return true;
    if (KeyPreview(watched, e)) return true;
    return QMainWindow::eventFilter(watched, e);
}

void TkvMainForm::FormKeyDown(int& key, Qt::KeyboardModifiers shift) {
    HandleShortcutKey(key, shift, ShortcutBtn);
}

// ---- Hints -------------------------------------------------------------------

// Hints show at once and stay for ten seconds; the control the mouse rests
// on (the innermost one with a hint) is the application's hint. Menu items
// give theirs as they are highlighted.
bool TkvMainForm::HintEvent(QObject* watched, QEvent* e) {
    if (!watched->isWidgetType()) return false;
    auto* w = static_cast<QWidget*>(watched);
    switch (e->type()) {
    case QEvent::Enter:
        if (!w->toolTip().isEmpty()) {
            FHint = w->toolTip();
            AppHint(FHint);
            QToolTip::showText(QCursor::pos(), FHint, w, QRect(), kHintHideMs);
        }
        return false;
    case QEvent::Leave:
        if (!FHint.isEmpty() && w->toolTip() == FHint) {
            FHint.clear();
            AppHint(FHint);
        }
        return false;
    case QEvent::ToolTip:
        if (w->toolTip().isEmpty()) return false;
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), w->toolTip(), w, QRect(),
                           kHintHideMs);
        return true;
    default:
        return false;
    }
}

void TkvMainForm::WireMenuHints() {
    for (QMenu* m : findChildren<QMenu*>()) {
        connect(m, &QMenu::hovered, this, [this](QAction* a) {
            FHint = a ? a->toolTip() : QString();
            AppHint(FHint);
        });
        connect(m, &QMenu::aboutToHide, this, [this] {
            FHint.clear();
            AppHint(FHint);
        });
    }
}

void TkvMainForm::AppHint(const QString& hint) {
    if (hint.startsWith(QString::fromUtf8("貼上"))) {
        const QString text = QGuiApplication::clipboard()->text();
        if (!text.isEmpty()) {
            setWindowTitle(text);
            return;
        }
    }
    ShowCaption();
}
