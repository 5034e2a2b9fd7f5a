// The session window: a child window of the main window's document area
// that holds one session (TConnection) with its scroll bar, the two
// off-screen pictures the screen draws through, and an off-screen button
// that carries the window's Alt+digit shortcut.
//
// A session window never closes itself: closing it asks the main window
// (WM_USER+404, naming this window) to disconnect or close the session.
#pragma once
#include "platform/core/Messages.h"
#include "screen/MyBitmap.h"
#include "session/core/WindowLayout.h"

#include <QMdiSubWindow>
#include <QPointer>

#include <functional>

class QScrollBar;
class QToolButton;
class TConnection;

// The close request the main window handles; wParam = Id() of the window.
constexpr win::UINT WM_CLOSE_SESSION = win::WM_USER + 404;

// Where a window opened by a script wants to go; this value means "not given".
constexpr int NoScriptPosition = -9317;

struct TDetachedFormSetup {
    QString Caption; // the site name
    bool ScrollBarVisible = true;
    bool MaxWhenConnection = false;
    bool MoveToLeftTopWhenConnection = false;
    bool ScriptPositionPending = false;
    int ScriptLeft = NoScriptPosition, ScriptTop = NoScriptPosition;
    QColor Background;        // background palette entry 0
    win::HWND MainWindow = 0; // receives the close request
};

class TDetachedForm : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit TDetachedForm(QWidget* parent = nullptr);
    ~TDetachedForm() override;

    // ---- fields, in the order the design lists them
    QToolButton* ShortcutBtn = nullptr;
    QPointer<TConnection> Session;
    TMyBitmap* MirrorBitmap = nullptr;
    TMyBitmap* BackBitmap = nullptr;
    int SavedLeft = 0, SavedTop = 0, SavedWidth = 0, SavedHeight = 0;
    QScrollBar* ScrollBar = nullptr;
    int ResizeArmed = 0; // size changes are handled only while set

    // Builds the window's parts and places it.
    void Initialize(const TDetachedFormSetup& setup);
    // The area the session sits in (the window's client).
    QWidget* Client() const { return FClient; }
    // Lays the client area out now, so its size is right before the first show.
    void LayOutClient();
    // Never reused within a run: the close request names the window by it.
    std::uint64_t Id() const { return FId; }

    // Raised when the window becomes the active one.
    std::function<void(TDetachedForm*)> OnActivate;
    // Raised after the window took a new size (the session was fitted).
    std::function<void(TDetachedForm*)> OnResized;
    // A key pressed while the window (not its session) has the focus.
    std::function<void(TDetachedForm*, QKeyEvent*)> OnKeyDown;

    // Fits the session (and scroll bar) into the client area.
    void FormResize();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* FClient = nullptr;
    win::HWND FMainWindow = 0;
    session::TWheelNotches FWheel; // wheel deltas not yet a whole notch
    std::uint64_t FId = 0;
};
