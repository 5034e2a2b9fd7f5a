// Dock sites and dockable tool windows.
//
// TDock is a bar along one edge of a form that holds tool windows in rows;
// TCustomToolWindow is the base of every dockable window, docked on a TDock
// or floating in its own small window, TFloatingWindowParent, that stays
// with its form. Layout decisions (rows, positions, frames, drag targets,
// outlines, on-screen moves) are the engine's (controls/core); these classes
// feed it sizes and apply what it answers.
//
// The drag and resize loops run from the widget's own events while it holds
// the mouse and keyboard grab: every position comes from an event's global
// position, so synthesized events drive them like real ones. The outline is
// an input-transparent frameless window masked to its ring.
#pragma once
#include "controls/ControlPaint.h"
#include "controls/DockCmn.h"
#include "controls/DockVers.h"
#include "controls/DockWinOutline.h"
#include "controls/core/DockArrange.h"
#include "controls/core/ToolWindowDrag.h"

#include <QColor>
#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <stdexcept>

class TCustomToolWindow;
class TFloatingWindowParent;

using controls::dhDouble;
using controls::dhNone;
using controls::dhSingle;
using controls::dpBottom;
using controls::dpLeft;
using controls::dpRight;
using controls::dpTop;
using controls::TDockPosition;
using controls::TDockType;
using controls::TDragHandleStyle;

// A control put where it cannot live.
class EInvalidOperation : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum TDockBoundLine : unsigned { blTop = 1, blBottom = 2, blLeft = 4, blRight = 8 };
using TDockBoundLines = unsigned;

enum TToolWindowDockMode { dmCanFloat, dmCannotFloat, dmCannotFloatOrChangeDocks };
enum TToolWindowFloatingMode { fmOnTopOfParentForm, fmOnTopOfAllForms };
enum TBorderStyle { bsNone, bsSingle };
// The dock positions a window may be dropped on, one bit per TDockPosition.
using TDockableTo = unsigned;
constexpr TDockableTo DockableToAll = 0xF;
constexpr TDockableTo DockableBit(TDockPosition p) {
    return 1u << p;
}

// ---- Dock site ------------------------------------------------------------------

class TDock : public QWidget {
    Q_OBJECT
public:
    using TInsertRemoveEvent =
        std::function<void(TDock* sender, bool inserting, TCustomToolWindow* bar)>;
    using TRequestDockEvent =
        std::function<void(TDock* sender, TCustomToolWindow* bar, bool& accept)>;
    using TNotifyEvent = std::function<void(QObject* sender)>;

    // A dock may not sit inside a tool window or another dock.
    explicit TDock(QWidget* parent = nullptr, TDockPosition position = dpTop);
    ~TDock() override;
    // Re-parents with the same check as construction.
    void SetParent(QWidget* parent);

    bool AllowDrag() const { return FAllowDrag; }
    void SetAllowDrag(bool v);
    const QPixmap& Background() const { return FBackground; }
    void SetBackground(const QPixmap& v);
    bool BackgroundOnToolbars() const { return FBackgroundOnToolbars; }
    void SetBackgroundOnToolbars(bool v);
    bool BackgroundTransparent() const { return FBackgroundTransparent; }
    void SetBackgroundTransparent(bool v);
    TDockBoundLines BoundLines() const { return FBoundLines; }
    void SetBoundLines(TDockBoundLines v);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& v);
    bool FixAlign() const { return FFixAlign; }
    void SetFixAlign(bool v);
    bool LimitToOneRow() const { return FLimitToOneRow; }
    void SetLimitToOneRow(bool v);
    TDockPosition Position() const { return FPosition; }
    // Refused (EInvalidOperation) once the dock holds tool windows.
    void SetPosition(TDockPosition v);
    TToolbarVersion Version;

    TInsertRemoveEvent OnInsertRemoveBar;
    TRequestDockEvent OnRequestDock;
    TNotifyEvent OnResize;

    TDockType DockType() const { return controls::DockTypeOf(FPosition); }
    // Every tool window whose parent has been this dock, in layout order, and
    // those shown on it now.
    QList<TCustomToolWindow*> DockList() const;
    QList<TCustomToolWindow*> VisibleToolbars() const;
    const std::vector<int>& RowSizes() const { return FModel.RowSizes; }

    void BeginUpdate();
    void EndUpdate();
    void ArrangeToolbars(bool commit = false);

    // Row queries of the drag loop (pixels across the dock's client area).
    int GetHighestRow() const;
    int GetRowSize(int row, TCustomToolWindow* bar) const;
    int GetRowOf(int pixel, bool& before) const;
    int GetNumberOfToolbarsOnRow(int row, TCustomToolWindow* notIncluding) const;
    void InsertRowBefore(int row);
    void RemoveBlankRows();

    // Whether a background picture is in use, and its tiling over a rect
    // given in this widget's coordinates of `target` (a dock or tool window),
    // aligned to the form so neighbouring tiles line up.
    bool UsingBackground() const;
    void DrawBackground(QPainter& p, QWidget* target, const QRect& rect);

    // Called by tool windows: join or leave the list, shown or hidden.
    void ChangeDockList(bool inserting, TCustomToolWindow* bar);
    void ToolbarVisibilityChanged(TCustomToolWindow* bar, bool forceRemove);

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class TCustomToolWindow;
    void SyncModel() const; // fills the engine model from the list
    void UpdateMargins();
    void SetThickness(int thickness);
    void InvalidateBackground();
    // Copies rows and positions from the engine model back to the windows.
    void ApplyModel();
    // Gives a window dropped with its outline at `outlineClient` (client
    // coordinates) its row and position.
    void DropToolWindow(TCustomToolWindow* bar, const controls::TRect& outlineClient);
    // A window being destroyed leaves the lists without being asked anything.
    void Forget(TCustomToolWindow* bar);
    QPoint ClientOrigin() const;

    TDockPosition FPosition;
    bool FAllowDrag = true;
    TDockBoundLines FBoundLines = 0;
    QPixmap FBackground;
    QPixmap FCachedTile;
    bool FBackgroundTransparent = false;
    bool FBackgroundOnToolbars = true;
    bool FFixAlign = false;
    bool FLimitToOneRow = false;
    QColor FColor;
    controls::TArrangeLock FLock;
    bool FArranging = false;
    mutable controls::TDockLayout FModel;
    QList<QPointer<TCustomToolWindow>> FDockList;
    QList<QPointer<TCustomToolWindow>> FVisibleToolbars;
};

// ---- Floating window --------------------------------------------------------------

// The small frameless window a floating tool window lives in: transient for
// its form (on top of everything with fmOnTopOfAllForms), shown without
// activation; Escape in it gives the focus back to the form.
class TFloatingWindowParent : public QWidget {
    Q_OBJECT
public:
    TFloatingWindowParent(QWidget* parentForm, bool onTopOfAll);
    ~TFloatingWindowParent() override;
    bool Dying() const { return FDying; }
    QWidget* ParentForm() const { return FParentForm; }
    // Whether the visibility rule wants it shown.
    bool ShouldBeVisible = false;
    void SetOnTopOfAll(bool onTop);

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

private:
    // A click on the floating window hands activation back to the form
    // (the tool window's ActivateParent), unless it was on a control that
    // takes typing: the window manager gives the floating window the
    // keyboard on a click, and the keys belong to the form's focus.
    void MousePressed(QWidget* target);
    void HandBackActivation();

    QPointer<QWidget> FParentForm;
    bool FDying = false;
    bool FHandBack = false;
    int FHandBackTries = 0;
};

// A guarded pointer to a tool window's floating parent that never
// downcasts a widget whose own destructor has already run: from then on it
// reads as null (a plain QPointer would cast the dying base object).
class TFloatParentPtr {
public:
    TFloatParentPtr& operator=(TFloatingWindowParent* p) {
        FObject = p;
        return *this;
    }
    TFloatingWindowParent* data() const { return dynamic_cast<TFloatingWindowParent*>(FObject.data()); }
    operator TFloatingWindowParent*() const { return data(); }
    TFloatingWindowParent* operator->() const { return data(); }

private:
    QPointer<QObject> FObject;
};

// Whether a click on `w` (inside `top`) is one on a control that takes
// typing (a text box, an editable combo box): it keeps the keyboard.
bool TakesTyping(const QWidget* w, const QWidget* top);

// ---- Tool window ------------------------------------------------------------------

class TCustomToolWindow : public QWidget {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TCustomToolWindow* sender)>;
    using TCloseQueryEvent = std::function<void(TCustomToolWindow* sender, bool& canClose)>;
    using TDockChangingExEvent = std::function<void(TCustomToolWindow* sender, TDock* dockingTo)>;

    ~TCustomToolWindow() override;

    // ---- Properties ----
    bool ActivateParent = true;
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& v);
    QColor Color() const { return FColor; }
    void SetColor(const QColor& v);
    bool CloseButton() const { return FCloseButton; }
    void SetCloseButton(bool v);
    bool CloseButtonWhenDocked() const { return FCloseButtonWhenDocked; }
    void SetCloseButtonWhenDocked(bool v);
    TDock* DefaultDock() const { return FDefaultDock; }
    void SetDefaultDock(TDock* v) { FDefaultDock = v; }
    TDockableTo DockableTo = DockableToAll;
    TDock* DockedTo() const { return FDockedTo; }
    // nullptr floats the window over its form; a dock docks it.
    void SetDockedTo(TDock* dock);
    TToolWindowDockMode DockMode = dmCanFloat;
    int DockPos() const { return FDockPos; }
    void SetDockPos(int v);
    int DockRow() const { return FDockRow; }
    void SetDockRow(int v);
    TDragHandleStyle DragHandleStyle() const { return FDragHandleStyle; }
    void SetDragHandleStyle(TDragHandleStyle v);
    TToolWindowFloatingMode FloatingMode() const { return FFloatingMode; }
    void SetFloatingMode(TToolWindowFloatingMode v);
    bool FullSize() const { return FFullSize; }
    void SetFullSize(bool v);
    bool HideWhenInactive() const { return FHideWhenInactive; }
    void SetHideWhenInactive(bool v);
    TDock* LastDock() const { return FLastDock; }
    void SetLastDock(TDock* v);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool v);
    bool UseLastDock() const { return FUseLastDock; }
    void SetUseLastDock(bool v);
    TToolbarVersion Version;

    // The floating window's screen position: where it floats now, or where
    // it last floated while docked. Setting it moves a floating window.
    QPoint FloatingPosition() const { return FFloatingPosition; }
    void SetFloatingPosition(const QPoint& p);
    bool Docked() const { return FDocked; }
    TFloatingWindowParent* FloatingParent() const { return FFloatParent; }
    // The form the window belongs to (docked or floating).
    QWidget* ParentForm() const;

    // Visible as the design means it: the window's own flag, whatever its
    // floating window shows.
    bool Visible() const { return FVisible; }
    void setVisible(bool visible) override;

    // ---- Events ----
    TNotifyEvent OnClose, OnDockChanged, OnDockChanging, OnMove, OnRecreated, OnRecreating,
        OnResize, OnVisibleChanged;
    TCloseQueryEvent OnCloseQuery;
    TDockChangingExEvent OnDockChangingEx, OnDockChangingHidden;

    // Re-parents: nullptr, a TDock, or a form (floating); fires the dock
    // change events around the move.
    void SetParent(QWidget* parent);

    // Keeps a floating window reachable: moved into the work area nearest to
    // it (with onlyIfFullyOffscreen only when it lies wholly outside).
    void MoveOnScreen(bool onlyIfFullyOffscreen);
    // Re-evaluates whether the floating window is shown.
    void UpdateVisibility();
    // Re-lays the children for the current dock type and resizes.
    void ArrangeControls();

    // The size the window takes on a dock of this type (or floating).
    QSize SizeForDockType(TDockType type);
    // Its frame (non-client widths) for a dock type.
    controls::TMargins FrameFor(TDockType type) const;
    TDockType CurrentDockType() const;

    // Starts the drag loop at a global pointer position (the drag handle,
    // the floating caption, or a separator of a toolbar).
    void BeginMoving(const QPoint& globalPos, Qt::KeyboardModifiers modifiers);
    bool Moving() const { return FLoop == TLoop::Moving; }
    bool Sizing() const { return FLoop == TLoop::Sizing; }
    // The outline window of a running loop (tests read its place).
    QWidget* DragOutline() const;
    // Where the drag loop would drop now.
    const controls::TDragTarget& DragTarget() const { return FTarget; }

protected:
    // Descendants put the window on its parent (SetParent) at the end of
    // their own construction, once their layout can answer.
    TCustomToolWindow();

    // ---- What descendants fill in ----
    // The thickness the window asks for across a row of this dock type.
    virtual int GetMinimumSizeAcross(TDockType type);
    // The client size below which the floating window cannot be sized.
    virtual QSize GetBaseSize() { return QSize(0, 0); }
    // Lays the children out for a dock type (moving them when canMove) and
    // returns the client size they need.
    virtual QSize OrderControls(bool canMove, TDockType type) = 0;
    // The three option flags: 0 unused, 1 corner resizing, 2 clamp the
    // pointer to the work area while resizing.
    virtual void GetParams(bool& opt0, bool& cornerResize, bool& clipCursor);
    virtual void SizingBegin() {}
    // Adjusts the outline of a resize (screen coordinates).
    virtual QRect SizingStep(const QRect& proposed, controls::TSizingEdges edges);
    // Ends a resize; with accept the window takes the rectangle's size.
    virtual void SizingEnd(bool accept, const QRect& rect);
    // The client rectangle inside the frame.
    QRect ClientRect() const;
    // Paints the frame and background; descendants paint over it.
    void paintEvent(QPaintEvent* e) override;

    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

    bool FUpdatingBounds = false; // the dock is placing the window

private:
    friend class TDock;
    friend class TFloatingWindowParent;
    enum class TLoop { None, Moving, Sizing, Closing };

    void ApplyFrame();
    void EnsureParams();
    void LayOutChildren();
    void FloatingMoved(const QPoint& p);
    void JoinDock(TDock* dock);
    void BeginSizing(const QPoint& globalPos, controls::THitZone zone);
    void BeginClosing();
    void EvaluateDrag(const QPoint& globalPos);
    void EndLoop(bool accept);
    void FinishMoving();
    void FinishSizing();
    void ShowOutline(const QRect& screenRect, int thickness);
    void HideOutline();
    void DockDestroying(TDock* dock);
    bool OverCloseButton(const QPoint& local) const;
    QRect DockedCloseButtonRect() const;
    QRect DockedHandleRect() const;
    static void DockHookProc(controls::THookKind kind, void* wnd, win::WPARAM wParam,
                             win::LPARAM lParam);
    void ScheduleVisibilityCheck();

    TBorderStyle FBorderStyle = bsSingle;
    QColor FColor;
    bool FCloseButton = true;
    bool FCloseButtonWhenDocked = false;
    QPointer<TDock> FDefaultDock;
    QPointer<TDock> FDockedTo;
    int FDockPos = -1;
    int FDockRow = 0;
    TDragHandleStyle FDragHandleStyle = dhDouble;
    TToolWindowFloatingMode FFloatingMode = fmOnTopOfParentForm;
    bool FFullSize = false;
    bool FHideWhenInactive = true;
    QPointer<TDock> FLastDock;
    bool FShowCaption = true;
    bool FUseLastDock = true;
    bool FDocked = false;
    QPoint FFloatingPosition;
    bool FResizable = true;
    bool FParamsRead = false;
    bool FOpt0 = true, FCornerResize = true, FClipCursor = true;
    bool FInactiveCaption = false;
    int FReparenting = 0;
    bool FVisible = true; // the design's Visible: true from the start
    bool FVisibilityCheckPending = false;
    TFloatParentPtr FFloatParent;

    // The running loop.
    TLoop FLoop = TLoop::None;
    controls::TDragStart FDragStart;
    std::vector<controls::TDragDock> FDragDocks;
    QList<QPointer<TDock>> FDragDockWidgets;
    controls::TDragTarget FTarget;
    QPoint FLastPointer;
    bool FCtrl = false;
    bool FNoDropCursor = false;
    controls::TSizingEdges FSizingEdges;
    QRect FSizingStart, FSizingRect;
    QPoint FSizingPress;
    QSize FSizingMinimum;
    bool FClosePressed = false;
    QPointer<TDragOutline> FOutline;
    QMetaObject::Connection FAppStateConnection;
};

// The work areas of every screen (the outline and on-screen rules).
std::vector<controls::TRect> ScreenWorkAreas();
// A Qt rectangle as the engine's (the other way: ToQRect of ControlPaint).
controls::TRect ToRect(const QRect& r);
