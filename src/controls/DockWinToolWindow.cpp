// The tool window: properties, re-parenting between docks and its floating
// window with the events around it, frames and their painting, and the
// rule that shows or hides a floating window.
#include "controls/DockWin.h"

#include "controls/DockCnst.h"
#include "controls/core/MoveOnScreen.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <qdrawutil.h>

#include <climits>

#include <algorithm>

namespace {

// Every tool window of the process, for the hook callback.
QList<TCustomToolWindow*>& AllToolWindows() {
    static QList<TCustomToolWindow*> list;
    return list;
}

// A screen that goes away may leave floating windows out of reach.
void WatchScreens() {
    static bool watching = false;
    if (watching || !qApp) return;
    watching = true;
    QObject::connect(qApp, &QGuiApplication::screenRemoved, qApp, [] {
        QTimer::singleShot(0, qApp, [] {
            for (TCustomToolWindow* w : AllToolWindows())
                if (w->FloatingParent() && w->parentWidget() == w->FloatingParent())
                    w->MoveOnScreen(true);
        });
    });
}

void Fire(const TCustomToolWindow::TNotifyEvent& e, TCustomToolWindow* sender) {
    if (e) e(sender);
}

} // namespace

TCustomToolWindow::TCustomToolWindow()
    : QWidget(nullptr), FColor(palette().color(QPalette::Button)) {
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    AllToolWindows().append(this);
    InstallHookProc(&DockHookProc, HookKinds(controls::hkActivateApp, controls::hkWindowPosChanged,
                                             controls::hkDestroyWindow));
    WatchScreens();
}

TCustomToolWindow::~TCustomToolWindow() {
    if (FLoop != TLoop::None) {
        releaseMouse();
        releaseKeyboard();
        QObject::disconnect(FAppStateConnection);
        if (FNoDropCursor) QApplication::restoreOverrideCursor();
    }
    delete FOutline.data();
    AllToolWindows().removeAll(this);
    UninstallHookProc(&DockHookProc);
    // Leave the docks without letting them ask this half-destroyed window
    // for its sizes.
    if (FDockedTo) FDockedTo->Forget(this);
    if (FLastDock && FLastDock != FDockedTo) FLastDock->Forget(this);
    if (TFloatingWindowParent* fp = FFloatParent.data(); fp && !fp->Dying()) fp->deleteLater();
}

void TCustomToolWindow::DockDestroying(TDock* dock) {
    if (FDockedTo == dock) FDockedTo = nullptr;
    if (FLastDock == dock) FLastDock = nullptr;
    if (FDefaultDock == dock) FDefaultDock = nullptr;
}

// ---- Properties -------------------------------------------------------------------

void TCustomToolWindow::SetBorderStyle(TBorderStyle v) {
    if (FBorderStyle == v) return;
    FBorderStyle = v;
    if (FDocked) ArrangeControls();
}

void TCustomToolWindow::SetCaption(const QString& v) {
    setWindowTitle(v);
    if (FFloatParent) FFloatParent->setWindowTitle(v);
    update();
}

void TCustomToolWindow::SetColor(const QColor& v) {
    if (FColor == v) return;
    FColor = v;
    update();
}

void TCustomToolWindow::SetCloseButton(bool v) {
    if (FCloseButton == v) return;
    FCloseButton = v;
    update();
}

void TCustomToolWindow::SetCloseButtonWhenDocked(bool v) {
    if (FCloseButtonWhenDocked == v) return;
    FCloseButtonWhenDocked = v;
    if (FDocked) ArrangeControls();
}

void TCustomToolWindow::SetDockPos(int v) {
    FDockPos = v;
    if (FDocked && FDockedTo) FDockedTo->ArrangeToolbars();
}

void TCustomToolWindow::SetDockRow(int v) {
    FDockRow = v;
    if (FDocked && FDockedTo) FDockedTo->ArrangeToolbars();
}

void TCustomToolWindow::SetDragHandleStyle(TDragHandleStyle v) {
    if (FDragHandleStyle == v) return;
    FDragHandleStyle = v;
    if (FDocked) ArrangeControls();
}

void TCustomToolWindow::SetFloatingMode(TToolWindowFloatingMode v) {
    if (FFloatingMode == v) return;
    FFloatingMode = v;
    if (FFloatParent) FFloatParent->SetOnTopOfAll(v == fmOnTopOfAllForms);
    UpdateVisibility();
}

void TCustomToolWindow::SetFullSize(bool v) {
    if (FFullSize == v) return;
    FFullSize = v;
    ArrangeControls();
}

void TCustomToolWindow::SetHideWhenInactive(bool v) {
    if (FHideWhenInactive == v) return;
    FHideWhenInactive = v;
    UpdateVisibility();
}

void TCustomToolWindow::SetLastDock(TDock* v) {
    // While docked with UseLastDock the last dock is the dock itself.
    if (FUseLastDock && FDockedTo) v = FDockedTo;
    if (v == FLastDock) return;
    if (FLastDock && FLastDock != FDockedTo) FLastDock->ChangeDockList(false, this);
    FLastDock = v;
    if (v) {
        v->ChangeDockList(true, this);
        FUseLastDock = true;
    }
}

void TCustomToolWindow::SetShowCaption(bool v) {
    if (FShowCaption == v) return;
    FShowCaption = v;
    if (!FDocked) ArrangeControls();
}

void TCustomToolWindow::SetUseLastDock(bool v) {
    FUseLastDock = v;
    SetLastDock(v ? FDockedTo.data() : nullptr);
    if (!v && FLastDock) {
        if (FLastDock != FDockedTo) FLastDock->ChangeDockList(false, this);
        FLastDock = nullptr;
    }
}

void TCustomToolWindow::SetFloatingPosition(const QPoint& p) {
    // A hand-edited place near the end of the int range would leave the
    // window's rectangle unrepresentable; no screen is anywhere near as far.
    constexpr int kFarthest = 1 << 24;
    FFloatingPosition = QPoint(std::clamp(p.x(), -kFarthest, kFarthest),
                               std::clamp(p.y(), -kFarthest, kFarthest));
    const QPoint& at = FFloatingPosition;
    if (!FDocked && FFloatParent && parentWidget() == FFloatParent) FFloatParent->move(at);
}

void TCustomToolWindow::FloatingMoved(const QPoint& p) {
    if (FFloatingPosition == p) return;
    FFloatingPosition = p;
    Fire(OnMove, this);
}

QWidget* TCustomToolWindow::ParentForm() const {
    if (FFloatParent && parentWidget() == FFloatParent) return FFloatParent->ParentForm();
    if (QWidget* p = parentWidget()) return p->window();
    return nullptr;
}

TDockType TCustomToolWindow::CurrentDockType() const {
    return FDocked && FDockedTo ? FDockedTo->DockType() : TDockType::NotDocked;
}

// ---- Parent changes ---------------------------------------------------------------

void TCustomToolWindow::SetDockedTo(TDock* dock) {
    if (dock) {
        SetParent(dock);
        return;
    }
    QWidget* form = ParentForm();
    if (!form) throw EInvalidOperation(STRToolWindowParentNotAllowed);
    SetParent(form);
}

void TCustomToolWindow::SetParent(QWidget* parent) {
    TDock* newDock = qobject_cast<TDock*>(parent);
    if (parent && !newDock && !parent->isWindow())
        throw EInvalidOperation(STRToolWindowParentNotAllowed);
    QWidget* form = parent && !newDock ? parent : nullptr;
    if (newDock && parentWidget() == newDock) return;
    if (form && FFloatParent && parentWidget() == FFloatParent &&
        FFloatParent->ParentForm() == form)
        return;

    if (parent) {
        Fire(OnDockChanging, this);
        if (OnDockChangingEx) OnDockChangingEx(this, newDock);
        Fire(OnRecreating, this);
    }
    TDock* oldDock = FDockedTo;
    if (oldDock) oldDock->BeginUpdate();
    if (newDock && newDock != oldDock) newDock->BeginUpdate();
    if (oldDock) {
        if (!FUseLastDock) oldDock->ChangeDockList(false, this);
        oldDock->ToolbarVisibilityChanged(this, true);
    }
    // Hidden between its old place and its new one, so nothing flashes
    // half moved; the last word before it joins the new place.
    if (parent) {
        ++FReparenting;
        QWidget::setVisible(false);
        --FReparenting;
        if (OnDockChangingHidden) OnDockChangingHidden(this, newDock);
    }

    TFloatingWindowParent* oldFloat = FFloatParent;
    QWidget* real = parent;
    if (form) {
        if (!FFloatParent || FFloatParent->ParentForm() != form) {
            FFloatParent = new TFloatingWindowParent(form, FFloatingMode == fmOnTopOfAllForms);
            FFloatParent->setWindowTitle(windowTitle());
        }
        real = FFloatParent;
    }
    ++FReparenting;
    QWidget::setParent(real);
    if (real) {
        if (form) move(0, 0);
        QWidget::setVisible(FVisible);
    }
    --FReparenting;
    FDockedTo = newDock;
    FDocked = newDock != nullptr;
    ApplyFrame();
    if (oldFloat && oldFloat != real) {
        if (oldFloat == FFloatParent) FFloatParent = nullptr;
        oldFloat->hide();
        oldFloat->deleteLater();
    }

    if (newDock) {
        if (!FUseLastDock)
            newDock->ChangeDockList(true, this);
        else
            SetLastDock(newDock);
        newDock->ToolbarVisibilityChanged(this, false);
    }
    ArrangeControls();
    if (form) {
        FFloatParent->move(FFloatingPosition);
        UpdateVisibility();
    }
    if (newDock && newDock != oldDock) newDock->EndUpdate();
    if (oldDock) oldDock->EndUpdate();

    Fire(OnMove, this);
    Fire(OnRecreated, this);
    Fire(OnDockChanged, this);
}

void TCustomToolWindow::setVisible(bool visible) {
    if (FReparenting) {
        QWidget::setVisible(visible);
        return;
    }
    const bool was = FVisible;
    FVisible = visible;
    QWidget::setVisible(visible);
    if (FDockedTo) FDockedTo->ToolbarVisibilityChanged(this, false);
    if (FFloatParent && parentWidget() == FFloatParent) UpdateVisibility();
    if (was != visible) Fire(OnVisibleChanged, this);
}

// ---- Sizes and frames -------------------------------------------------------------

void TCustomToolWindow::EnsureParams() {
    if (FParamsRead) return;
    FParamsRead = true;
    GetParams(FOpt0, FCornerResize, FClipCursor);
}

void TCustomToolWindow::GetParams(bool& opt0, bool& cornerResize, bool& clipCursor) {
    opt0 = cornerResize = clipCursor = true;
}

int TCustomToolWindow::GetMinimumSizeAcross(TDockType) {
    return 8;
}

controls::TMargins TCustomToolWindow::FrameFor(TDockType type) const {
    if (type == TDockType::NotDocked)
        return controls::FloatingFrame(controls::DefaultFrameMetrics(), FResizable, FShowCaption);
    const bool allowDrag = !FDockedTo || FDockedTo->AllowDrag();
    return controls::DockedFrame(type, allowDrag, FCloseButtonWhenDocked, FDragHandleStyle,
                                 FBorderStyle == bsNone);
}

QSize TCustomToolWindow::SizeForDockType(TDockType type) {
    const QSize client = OrderControls(false, type);
    const controls::TMargins f = FrameFor(type);
    return QSize(client.width() + f.Horizontal(), client.height() + f.Vertical());
}

void TCustomToolWindow::ApplyFrame() {
    const controls::TMargins f = FrameFor(CurrentDockType());
    setContentsMargins(f.Left, f.Top, f.Right, f.Bottom);
    update();
}

QRect TCustomToolWindow::ClientRect() const {
    return contentsRect();
}

void TCustomToolWindow::LayOutChildren() {
    ApplyFrame();
    OrderControls(true, CurrentDockType());
}

void TCustomToolWindow::ArrangeControls() {
    ApplyFrame();
    const QSize client = OrderControls(true, CurrentDockType());
    if (FDocked && FDockedTo) {
        if (!FUpdatingBounds) FDockedTo->ArrangeToolbars();
        return;
    }
    const controls::TMargins f = FrameFor(CurrentDockType());
    const QSize size(client.width() + f.Horizontal(), client.height() + f.Vertical());
    resize(size);
    if (FFloatParent && parentWidget() == FFloatParent) FFloatParent->resize(size);
}

// ---- Floating visibility ------------------------------------------------------------

void TCustomToolWindow::UpdateVisibility() {
    if (!FFloatParent || parentWidget() != FFloatParent || FDocked) return;
    QWidget* form = FFloatParent->ParentForm();
    const bool show = Visible() && form && form->isVisible() && !form->isMinimized() &&
                      (!FHideWhenInactive || ApplicationIsActive());
    FFloatParent->ShouldBeVisible = show;
    if (FFloatParent->isVisible() == show) return;
    // A window manager that minimises the form takes its floating windows
    // along and marks them minimised; shown again so marked, the window asks
    // to start minimised and the manager minimises the whole family with it,
    // the form that was just restored included.
    if (show && FFloatParent->windowState().testFlag(Qt::WindowMinimized))
        FFloatParent->setWindowState(FFloatParent->windowState() & ~Qt::WindowMinimized);
    FFloatParent->setVisible(show);
}

void TCustomToolWindow::ScheduleVisibilityCheck() {
    // Evaluated once pending events are through: a focus move between the
    // form and its own floating window passes through "no active window"
    // and must not hide it on the way.
    if (FVisibilityCheckPending) return;
    FVisibilityCheckPending = true;
    QTimer::singleShot(0, this, [this] {
        FVisibilityCheckPending = false;
        UpdateVisibility();
        const bool inactive = !ApplicationIsActive();
        if (inactive != FInactiveCaption) {
            FInactiveCaption = inactive;
            update();
        }
    });
}

void TCustomToolWindow::DockHookProc(controls::THookKind kind, void* wnd, win::WPARAM,
                                     win::LPARAM lParam) {
    if (kind == controls::hkActivateApp) {
        for (TCustomToolWindow* w : AllToolWindows())
            w->ScheduleVisibilityCheck();
        return;
    }
    if (kind != controls::hkWindowPosChanged) return;
    if (!(lParam &
          (controls::SWP_SHOWWINDOW | controls::SWP_HIDEWINDOW | controls::SWP_FRAMECHANGED)))
        return;
    auto* changed = static_cast<QWidget*>(wnd);
    for (TCustomToolWindow* w : AllToolWindows()) {
        if (w->FFloatingMode != fmOnTopOfParentForm) continue;
        QWidget* form = w->ParentForm();
        if (form && (form == changed || (changed && changed->isAncestorOf(form))))
            w->ScheduleVisibilityCheck();
    }
}

void TCustomToolWindow::MoveOnScreen(bool onlyIfFullyOffscreen) {
    if (FDocked || !FFloatParent || parentWidget() != FFloatParent) return;
    // A hand-edited place near the end of the int range keeps the whole
    // window representable, so its size survives the move.
    const QSize size = FFloatParent->size();
    const QPoint at = FFloatParent->pos();
    const int x = std::min(at.x(), INT_MAX - size.width());
    const int y = std::min(at.y(), INT_MAX - size.height());
    const controls::TRect now = controls::RectOfSize(x, y, size.width(), size.height());
    const controls::TRect moved =
        controls::MoveOnScreen(now, ScreenWorkAreas(), onlyIfFullyOffscreen);
    const QPoint to(moved.Left, moved.Top);
    if (to != at) SetFloatingPosition(to);
}

// ---- Painting ---------------------------------------------------------------------

QRect TCustomToolWindow::DockedHandleRect() const {
    if (!FDocked || !FDockedTo || !FDockedTo->AllowDrag()) return QRect();
    const int handle = controls::DragHandleSize(FCloseButtonWhenDocked, FDragHandleStyle);
    const int b = FBorderStyle == bsNone ? 0 : 2;
    if (FDockedTo->DockType() == TDockType::LeftRight) return QRect(b, b, width() - 2 * b, handle);
    return QRect(b, b, handle, height() - 2 * b);
}

QRect TCustomToolWindow::DockedCloseButtonRect() const {
    if (!FCloseButtonWhenDocked) return QRect();
    const QRect h = DockedHandleRect();
    if (h.isEmpty()) return QRect();
    const int side = controls::DockedCloseButtonSize(
        controls::DragHandleSize(FCloseButtonWhenDocked, FDragHandleStyle));
    return QRect(h.x() + 1, h.y() + 1, side, side);
}

bool TCustomToolWindow::OverCloseButton(const QPoint& local) const {
    if (FDocked) return DockedCloseButtonRect().contains(local);
    const auto& m = controls::DefaultFrameMetrics();
    return FCloseButton && FShowCaption &&
           ToQRect(controls::FloatingCloseButton({width(), height()}, m, FResizable))
               .contains(local);
}

namespace {
void DrawCross(QPainter& p, const QRect& r, const QColor& c) {
    p.setPen(QPen(c, 1));
    const QRect in = r.adjusted(3, 3, -4, -4);
    p.drawLine(in.topLeft(), in.bottomRight());
    p.drawLine(in.topRight(), in.bottomLeft());
}
} // namespace

void TCustomToolWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    p.fillRect(rect(), FColor);
    const QRect client = ClientRect();
    if (FDocked && FDockedTo && FDockedTo->BackgroundOnToolbars() && FDockedTo->UsingBackground())
        FDockedTo->DrawBackground(p, this, client);

    if (FDocked) {
        if (FBorderStyle != bsNone) qDrawWinPanel(&p, rect(), pal, false);
        const QRect h = DockedHandleRect();
        if (!h.isEmpty() && FDragHandleStyle != dhNone) {
            const bool lr = FDockedTo->DockType() == TDockType::LeftRight;
            const int bars = FDragHandleStyle == dhDouble ? 2 : 1;
            const QRect c = DockedCloseButtonRect();
            for (int i = 0; i < bars; ++i) {
                QRect bar = lr ? QRect(h.x() + 1, h.y() + 1 + i * 3, h.width() - 2, 3)
                               : QRect(h.x() + 1 + i * 3, h.y() + 1, 3, h.height() - 2);
                if (!c.isEmpty()) {
                    if (lr)
                        bar.setRight(c.left() - 2);
                    else
                        bar.setTop(c.bottom() + 2);
                }
                qDrawShadePanel(&p, bar, pal, false, 1);
            }
            if (!c.isEmpty()) {
                const bool down = FLoop == TLoop::Closing && FClosePressed;
                qDrawWinButton(&p, c, pal, down);
                DrawCross(p, c, pal.color(QPalette::ButtonText));
            }
        }
        return;
    }

    // Floating: frame, caption, close button.
    const auto& m = controls::DefaultFrameMetrics();
    qDrawWinPanel(&p, rect(), pal, false);
    if (!FShowCaption) return;
    const int fx = FResizable ? m.FrameX : m.DlgFrameX;
    const int fy = FResizable ? m.FrameY : m.DlgFrameY;
    const QRect caption(fx, fy, width() - 2 * fx, m.SmallCaption);
    const bool active = !FInactiveCaption;
    p.fillRect(caption, active ? pal.color(QPalette::Active, QPalette::Highlight)
                               : pal.color(QPalette::Inactive, QPalette::Mid));
    QFont f = font();
    f.setPixelSize(std::max(8, m.SmallCaption - 5));
    p.setFont(f);
    p.setPen(active ? pal.color(QPalette::Active, QPalette::HighlightedText)
                    : pal.color(QPalette::Inactive, QPalette::Window));
    QRect text = caption.adjusted(3, 0, -3, 0);
    if (FCloseButton) {
        const QRect c = ToQRect(controls::FloatingCloseButton({width(), height()}, m, FResizable));
        text.setRight(c.left() - 2);
        const bool down = FLoop == TLoop::Closing && FClosePressed;
        p.fillRect(c, pal.color(QPalette::Button));
        qDrawWinButton(&p, c, pal, down);
        DrawCross(p, c, pal.color(QPalette::ButtonText));
    }
    p.setPen(active ? pal.color(QPalette::Active, QPalette::HighlightedText)
                    : pal.color(QPalette::Inactive, QPalette::Window));
    p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
               p.fontMetrics().elidedText(windowTitle(), Qt::ElideRight, text.width()));
}

void TCustomToolWindow::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    if (!FDocked && FFloatParent && parentWidget() == FFloatParent) FFloatParent->resize(size());
    Fire(OnResize, this);
}

void TCustomToolWindow::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (FDocked && !FUpdatingBounds) Fire(OnMove, this);
}

void TCustomToolWindow::closeEvent(QCloseEvent* e) {
    // A close sent to the tool window is its form's close.
    e->ignore();
    if (QWidget* form = ParentForm())
        QMetaObject::invokeMethod(form, &QWidget::close, Qt::QueuedConnection);
}
