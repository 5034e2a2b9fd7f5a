// Dock sites: the list of tool windows, the arrangement through the engine,
// bound lines, the tiled background; the floating window; the drag outline.
// The tool window itself lives in DockWinToolWindow.cpp and its loops in
// DockWinLoops.cpp.
#include "controls/DockWin.h"

#include "controls/DockCnst.h"
#include "controls/DockWinOutline.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <algorithm>

using controls::TDockBar;

controls::TRect ToRect(const QRect& r) {
    return controls::RectOfSize(r.x(), r.y(), r.width(), r.height());
}

std::vector<controls::TRect> ScreenWorkAreas() {
    std::vector<controls::TRect> areas;
    for (QScreen* s : QGuiApplication::screens())
        areas.push_back(ToRect(s->availableGeometry()));
    return areas;
}

namespace {

QWidget* CheckDockParent(QWidget* parent) {
    if (qobject_cast<TCustomToolWindow*>(parent) || qobject_cast<TDock*>(parent))
        throw EInvalidOperation(STRDockParentNotAllowed);
    return parent;
}

std::uintptr_t IdOf(const TCustomToolWindow* bar) {
    return reinterpret_cast<std::uintptr_t>(bar);
}

} // namespace

// ---- TDock ------------------------------------------------------------------------

TDock::TDock(QWidget* parent, TDockPosition position)
    : QWidget(CheckDockParent(parent)), FPosition(position),
      FColor(palette().color(QPalette::Button)) {
    setAutoFillBackground(false);
    SetPosition(position);
}

TDock::~TDock() {
    // The windows on the dock are children and go with it; they must not
    // call back into a dock that is half destroyed.
    for (const auto& bar : FDockList)
        if (bar) bar->DockDestroying(this);
    FDockList.clear();
    FVisibleToolbars.clear();
}

void TDock::SetParent(QWidget* parent) {
    QWidget::setParent(CheckDockParent(parent));
}

void TDock::SetAllowDrag(bool v) {
    if (FAllowDrag == v) return;
    FAllowDrag = v;
    // Every window's handle appears or goes.
    BeginUpdate();
    for (TCustomToolWindow* bar : DockList())
        if (bar->DockedTo() == this) bar->ApplyFrame();
    ArrangeToolbars();
    EndUpdate();
}

void TDock::SetBackground(const QPixmap& v) {
    FBackground = v;
    InvalidateBackground();
}

void TDock::SetBackgroundOnToolbars(bool v) {
    if (FBackgroundOnToolbars == v) return;
    FBackgroundOnToolbars = v;
    InvalidateBackground();
}

void TDock::SetBackgroundTransparent(bool v) {
    if (FBackgroundTransparent == v) return;
    FBackgroundTransparent = v;
    InvalidateBackground();
}

void TDock::SetBoundLines(TDockBoundLines v) {
    if (FBoundLines == v) return;
    FBoundLines = v;
    UpdateMargins();
    ArrangeToolbars();
}

void TDock::SetColor(const QColor& v) {
    if (FColor == v) return;
    FColor = v;
    InvalidateBackground();
}

void TDock::SetFixAlign(bool v) {
    if (FFixAlign == v) return;
    FFixAlign = v;
    ArrangeToolbars();
}

void TDock::SetLimitToOneRow(bool v) {
    if (FLimitToOneRow == v) return;
    FLimitToOneRow = v;
    ArrangeToolbars();
}

void TDock::SetPosition(TDockPosition v) {
    if (v != FPosition && (!DockList().isEmpty() || findChild<TCustomToolWindow*>()))
        throw EInvalidOperation(STRDockCannotChangePosition);
    FPosition = v;
    if (DockType() == TDockType::LeftRight)
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    else
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    UpdateMargins();
    ArrangeToolbars();
}

QList<TCustomToolWindow*> TDock::DockList() const {
    QList<TCustomToolWindow*> out;
    for (const auto& bar : FDockList)
        if (bar) out.append(bar);
    return out;
}

QList<TCustomToolWindow*> TDock::VisibleToolbars() const {
    QList<TCustomToolWindow*> out;
    for (const auto& bar : FVisibleToolbars)
        if (bar) out.append(bar);
    return out;
}

void TDock::BeginUpdate() {
    FLock.BeginUpdate();
}

void TDock::EndUpdate() {
    if (FLock.EndUpdate()) ArrangeToolbars(FLock.Commit());
}

void TDock::UpdateMargins() {
    setContentsMargins((FBoundLines & blLeft) ? 1 : 0, (FBoundLines & blTop) ? 1 : 0,
                       (FBoundLines & blRight) ? 1 : 0, (FBoundLines & blBottom) ? 1 : 0);
}

QPoint TDock::ClientOrigin() const {
    return QPoint(contentsMargins().left(), contentsMargins().top());
}

void TDock::SyncModel() const {
    const QMargins m = contentsMargins();
    FModel.Type = DockType();
    FModel.LimitToOneRow = FLimitToOneRow;
    FModel.FixAlign = FFixAlign;
    FModel.NonClientWidth = m.left() + m.right();
    FModel.NonClientHeight = m.top() + m.bottom();
    FModel.Bars.clear();
    const bool lr = DockType() == TDockType::LeftRight;
    for (const auto& bar : FDockList) {
        if (!bar) continue;
        TDockBar b;
        b.Id = IdOf(bar);
        b.DockRow = bar->FDockRow;
        b.DockPos = bar->FDockPos;
        b.FullSize = bar->FFullSize;
        b.Shown = FVisibleToolbars.contains(bar);
        if (b.Shown) {
            const QSize s = bar->SizeForDockType(DockType());
            const controls::TMargins f = bar->FrameFor(DockType());
            b.Along = lr ? s.height() : s.width();
            b.Across = std::max(0, lr ? s.width() - f.Horizontal() : s.height() - f.Vertical());
        }
        FModel.Bars.push_back(b);
    }
}

void TDock::ApplyModel() {
    QList<QPointer<TCustomToolWindow>> order;
    for (const TDockBar& b : FModel.Bars) {
        auto* bar = reinterpret_cast<TCustomToolWindow*>(b.Id);
        bar->FDockRow = b.DockRow;
        bar->FDockPos = b.DockPos;
        order.append(bar);
    }
    FDockList = order;
    std::stable_sort(
        FVisibleToolbars.begin(), FVisibleToolbars.end(),
        [&](const auto& a, const auto& b) { return FDockList.indexOf(a) < FDockList.indexOf(b); });
}

void TDock::ArrangeToolbars(bool commit) {
    if (!FLock.Request(commit, false)) return;
    FLock.Enter();
    struct TRelease {
        controls::TArrangeLock& Lock;
        ~TRelease() { Lock.Leave(); }
    } release{FLock};
    raise();
    SyncModel();
    const int thickness = FModel.Arrange(width(), height(), FLock.Commit());
    ApplyModel();
    const QPoint origin = ClientOrigin();
    for (const TDockBar& b : FModel.Bars) {
        if (!b.Shown) continue;
        auto* bar = reinterpret_cast<TCustomToolWindow*>(b.Id);
        bar->FUpdatingBounds = true;
        bar->setGeometry(ToQRect(b.Bounds).translated(origin));
        bar->LayOutChildren();
        bar->FUpdatingBounds = false;
    }
    SetThickness(thickness);
}

void TDock::SetThickness(int thickness) {
    // The edge the position anchors stays where it is when the dock is not
    // managed by a layout.
    const bool managed =
        parentWidget() && parentWidget()->layout() && parentWidget()->layout()->indexOf(this) >= 0;
    if (DockType() == TDockType::LeftRight) {
        if (width() == thickness && minimumWidth() == thickness) return;
        const int right = x() + width();
        setFixedWidth(thickness);
        if (!managed && FPosition == dpRight) move(right - thickness, y());
    } else {
        if (height() == thickness && minimumHeight() == thickness) return;
        const int bottom = y() + height();
        setFixedHeight(thickness);
        if (!managed && FPosition == dpBottom) move(x(), bottom - thickness);
    }
}

int TDock::GetHighestRow() const {
    SyncModel();
    return FModel.HighestRow();
}

int TDock::GetRowSize(int row, TCustomToolWindow* bar) const {
    int across = -1;
    if (bar) {
        const QSize s = bar->SizeForDockType(DockType());
        const controls::TMargins f = bar->FrameFor(DockType());
        across = DockType() == TDockType::LeftRight ? s.width() - f.Horizontal()
                                                    : s.height() - f.Vertical();
    }
    return FModel.RowSize(row, std::max(-1, across));
}

int TDock::GetRowOf(int pixel, bool& before) const {
    SyncModel();
    return FModel.RowOf(pixel, before);
}

int TDock::GetNumberOfToolbarsOnRow(int row, TCustomToolWindow* notIncluding) const {
    SyncModel();
    return FModel.ToolbarsOnRow(row, IdOf(notIncluding));
}

void TDock::InsertRowBefore(int row) {
    SyncModel();
    FModel.InsertRowBefore(row);
    ApplyModel();
}

void TDock::RemoveBlankRows() {
    SyncModel();
    FModel.RemoveBlankRows();
    ApplyModel();
}

void TDock::DropToolWindow(TCustomToolWindow* bar, const controls::TRect& outlineClient) {
    SyncModel();
    const auto place = FModel.Drop(IdOf(bar), outlineClient, bar->FFullSize);
    ApplyModel();
    bar->FDockRow = place.Row;
    bar->FDockPos = place.Pos;
}

void TDock::ChangeDockList(bool inserting, TCustomToolWindow* bar) {
    if (inserting) {
        if (!FDockList.contains(bar)) FDockList.append(bar);
    } else {
        FDockList.removeAll(bar);
    }
    ToolbarVisibilityChanged(bar, false);
}

void TDock::ToolbarVisibilityChanged(TCustomToolWindow* bar, bool forceRemove) {
    const bool shown = !forceRemove && bar->parentWidget() == this && bar->Visible();
    if (shown == FVisibleToolbars.contains(bar)) return;
    if (shown)
        FVisibleToolbars.append(bar);
    else
        FVisibleToolbars.removeAll(bar);
    ArrangeToolbars();
    if (OnInsertRemoveBar) OnInsertRemoveBar(this, shown, bar);
}

void TDock::Forget(TCustomToolWindow* bar) {
    const bool had = FDockList.contains(bar) || FVisibleToolbars.contains(bar);
    FDockList.removeAll(bar);
    FVisibleToolbars.removeAll(bar);
    if (had) ArrangeToolbars();
}

// ---- Background and painting ---------------------------------------------------

bool TDock::UsingBackground() const {
    return !FBackground.isNull() && FBackground.width() > 0 && FBackground.height() > 0;
}

void TDock::InvalidateBackground() {
    FCachedTile = QPixmap();
    update();
    for (TCustomToolWindow* bar : VisibleToolbars())
        bar->update();
}

void TDock::DrawBackground(QPainter& p, QWidget* target, const QRect& rect) {
    if (!UsingBackground()) return;
    const QPixmap* tile = &FBackground;
    if (FBackgroundTransparent) {
        if (FCachedTile.isNull()) {
            // The colour of the bottom-left pixel shows the dock colour.
            const QImage img = FBackground.toImage();
            const QColor key = img.pixelColor(0, img.height() - 1);
            QPixmap pm(FBackground.size());
            pm.fill(FColor);
            QPixmap src = FBackground;
            src.setMask(QBitmap::fromImage(img.createMaskFromColor(key.rgb(), Qt::MaskInColor)));
            QPainter tp(&pm);
            tp.drawPixmap(0, 0, src);
            tp.end();
            FCachedTile = pm;
        }
        tile = &FCachedTile;
    }
    // Tiles start at the form's origin, so neighbours line up.
    const QPoint at = target->mapTo(window(), rect.topLeft());
    const int w = tile->width(), h = tile->height();
    p.drawTiledPixmap(rect, *tile, QPoint(((at.x() % w) + w) % w, ((at.y() % h) + h) % h));
}

void TDock::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), FColor);
    const QRect client = contentsRect();
    if (UsingBackground()) DrawBackground(p, this, client);
    if (FBoundLines == 0 || FVisibleToolbars.isEmpty()) return;
    const QColor shadow = palette().color(QPalette::Dark);
    const QColor light = palette().color(QPalette::Light);
    const int r = width() - 1, b = height() - 1;
    if (FBoundLines & blTop) p.fillRect(0, 0, width(), 1, shadow);
    if (FBoundLines & blLeft) p.fillRect(0, 0, 1, height(), shadow);
    if (FBoundLines & blBottom) p.fillRect(0, b, width(), 1, light);
    if (FBoundLines & blRight) p.fillRect(r, 0, 1, height(), light);
}

void TDock::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    ArrangeToolbars();
    if (OnResize) OnResize(this);
}

void TDock::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (!UsingBackground()) return;
    update();
    for (TCustomToolWindow* bar : VisibleToolbars())
        bar->update();
}

void TDock::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::PaletteChange) InvalidateBackground();
}

// ---- Floating window ------------------------------------------------------------

TFloatingWindowParent::TFloatingWindowParent(QWidget* parentForm, bool onTopOfAll)
    : QWidget(parentForm, Qt::Tool | Qt::FramelessWindowHint), FParentForm(parentForm) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("DockFloatingWindowParent"));
    SetOnTopOfAll(onTopOfAll);
    // The application's filter sees the presses on this window's native
    // window before any control does.
    qApp->installEventFilter(this);
}

bool TakesTyping(const QWidget* w, const QWidget* top) {
    for (; w && w != top; w = w->parentWidget()) {
        if (qobject_cast<const TCustomToolWindow*>(w)) return false;
        const QWidget* f = w->focusProxy() ? w->focusProxy() : w;
        if (f->isEnabled() && f->testAttribute(Qt::WA_InputMethodEnabled) &&
            (f->focusPolicy() & Qt::ClickFocus))
            return true;
    }
    return false;
}

bool TFloatingWindowParent::eventFilter(QObject* watched, QEvent* e) {
    // Every press on the window passes its native window first, also one
    // on a disabled control, which no widget is given.
    if (e->type() != QEvent::MouseButtonPress && e->type() != QEvent::MouseButtonRelease)
        return false;
    if (!windowHandle() || watched != windowHandle()) return false;
    if (e->type() == QEvent::MouseButtonPress) {
        const QPoint at = static_cast<QMouseEvent*>(e)->position().toPoint();
        QWidget* target = childAt(at);
        MousePressed(target ? target : this);
    } else if (FHandBack) { // the click's own work (a command, a drag) is done by then
        QTimer::singleShot(0, this, [this] { HandBackActivation(); });
    }
    return false;
}

void TFloatingWindowParent::MousePressed(QWidget* target) {
    auto* bar = findChild<TCustomToolWindow*>(QString(), Qt::FindDirectChildrenOnly);
    FHandBack = bar && bar->ActivateParent && !TakesTyping(target, this);
    FHandBackTries = 0;
    if (FHandBack) QTimer::singleShot(0, this, [this] { HandBackActivation(); });
}

void TFloatingWindowParent::HandBackActivation() {
    // Only while this window holds the activation: a dialog the click
    // opened keeps it. The window manager may activate this window after
    // the click was handled, even once more after the form took over, so
    // the wish stands until the next click (see event()).
    if (!FHandBack || !FParentForm || QApplication::activeWindow() != this) return;
    if (QApplication::activeModalWidget()) return;
    FParentForm->activateWindow();
    // A window manager still busy with the click may pass over the request;
    // asked again a little later, a few times at most.
    if (FHandBackTries++ < 3) QTimer::singleShot(150, this, [this] { HandBackActivation(); });
}

bool TFloatingWindowParent::event(QEvent* e) {
    const bool done = QWidget::event(e);
    if (e->type() == QEvent::WindowActivate && FHandBack)
        QTimer::singleShot(0, this, [this] { HandBackActivation(); });
    return done;
}

TFloatingWindowParent::~TFloatingWindowParent() {
    FDying = true;
}

void TFloatingWindowParent::SetOnTopOfAll(bool onTop) {
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool shown = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (shown) show();
}

void TFloatingWindowParent::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier && FParentForm) {
        FParentForm->activateWindow();
        if (QWidget* f = FParentForm->focusWidget())
            f->setFocus(Qt::OtherFocusReason);
        else
            FParentForm->setFocus(Qt::OtherFocusReason);
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void TFloatingWindowParent::closeEvent(QCloseEvent* e) {
    // Closing the floating window closes its form, as a close sent to the
    // tool window does.
    e->ignore();
    if (FParentForm) QMetaObject::invokeMethod(FParentForm, &QWidget::close, Qt::QueuedConnection);
}

void TFloatingWindowParent::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    if (auto* bar = findChild<TCustomToolWindow*>(QString(), Qt::FindDirectChildrenOnly))
        bar->FloatingMoved(pos());
}

// ---- Outline ----------------------------------------------------------------------

TDragOutline::TDragOutline()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("DockDragOutline"));
}

void TDragOutline::SetRing(const QRect& screenRect, int thickness) {
    if (screenRect.isEmpty()) {
        hide();
        return;
    }
    FThickness = std::max(1, thickness);
    setGeometry(screenRect);
    const QRect all(0, 0, screenRect.width(), screenRect.height());
    QRegion ring(all);
    ring -= QRegion(all.adjusted(FThickness, FThickness, -FThickness, -FThickness));
    setMask(ring);
    show();
    update();
}

void TDragOutline::paintEvent(QPaintEvent*) {
    // The 8x8 halftone of the classic outline, without a compositor.
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QBrush(Qt::black, Qt::Dense4Pattern));
}
