// The tool window's loops: dragging between docks and floating, resizing a
// floating window, and tracking its close button. Each runs from the
// window's own events while it holds the mouse and keyboard grab; positions
// are the events' global positions. Release accepts; Escape, a second left
// press, a double-click, the window hiding or the application losing the
// focus cancel.
#include "controls/DockWin.h"

#include "controls/DockWinOutline.h"
#include "controls/core/MoveOnScreen.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace {

controls::TPoint ToPoint(const QPoint& p) {
    return controls::TPoint{p.x(), p.y()};
}

// Docks a window may be dropped on, walking the form depth first: within
// each container its docks first (top, bottom, left, right), then its other
// children. Only the dragged window itself is left out: the containers that
// hold it (its own dock's parent, the form's central widget) hold the other
// docks too, and its own dock is a target for a move along or across rows.
void CollectDocks(QWidget* container, const TCustomToolWindow* dragged, TDockableTo dockable,
                  QList<TDock*>& out) {
    const auto children = container->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (int pos = dpTop; pos <= dpRight; ++pos)
        for (QWidget* c : children)
            if (auto* d = qobject_cast<TDock*>(c); d && d->Position() == pos && d->isVisible() &&
                                                   d->AllowDrag() &&
                                                   (dockable & DockableBit(d->Position())))
                out.append(d);
    for (QWidget* c : children) {
        if (qobject_cast<TDock*>(c) || c->isWindow() || c == dragged) continue;
        CollectDocks(c, dragged, dockable, out);
    }
}

QRect ScreenRectOf(const QWidget* w) {
    return QRect(w->mapToGlobal(QPoint(0, 0)), w->size());
}

} // namespace

QWidget* TCustomToolWindow::DragOutline() const {
    return FOutline.data();
}

void TCustomToolWindow::ShowOutline(const QRect& screenRect, int thickness) {
    if (!FOutline) FOutline = new TDragOutline();
    FOutline->SetRing(screenRect, thickness);
}

void TCustomToolWindow::HideOutline() {
    if (FOutline) FOutline->hide();
}

// ---- Mouse and keys ---------------------------------------------------------------

void TCustomToolWindow::mousePressEvent(QMouseEvent* e) {
    if (FLoop != TLoop::None) {
        // A second left press ends the loop; other buttons are swallowed.
        if (e->button() == Qt::LeftButton) EndLoop(false);
        e->accept();
        return;
    }
    if (e->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(e);
        return;
    }
    const QPoint local = e->position().toPoint();
    const QPoint global = e->globalPosition().toPoint();
    if (FDocked) {
        if (OverCloseButton(local)) {
            BeginClosing();
        } else if (DockedHandleRect().contains(local)) {
            BeginMoving(global, e->modifiers());
        } else {
            QWidget::mousePressEvent(e);
            return;
        }
        e->accept();
        return;
    }
    if (!FFloatParent || parentWidget() != FFloatParent) {
        QWidget::mousePressEvent(e);
        return;
    }
    EnsureParams();
    const auto zone = controls::FloatingHitTest(ToPoint(local), {width(), height()},
                                                controls::DefaultFrameMetrics(), FResizable,
                                                FShowCaption, FCloseButton, FCornerResize);
    switch (zone) {
    case controls::THitZone::Close:
        BeginClosing();
        break;
    case controls::THitZone::Caption:
        BeginMoving(global, e->modifiers());
        break;
    case controls::THitZone::Client:
    case controls::THitZone::Nowhere:
        QWidget::mousePressEvent(e);
        return;
    default:
        BeginSizing(global, zone);
        break;
    }
    e->accept();
}

void TCustomToolWindow::mouseMoveEvent(QMouseEvent* e) {
    const QPoint global = e->globalPosition().toPoint();
    switch (FLoop) {
    case TLoop::Moving:
        FCtrl = e->modifiers().testFlag(Qt::ControlModifier);
        EvaluateDrag(global);
        break;
    case TLoop::Sizing: {
        QPoint p = global;
        if (FClipCursor && QGuiApplication::screens().size() == 1) {
            const auto area = controls::WorkAreaAt(ToPoint(p), ScreenWorkAreas());
            const auto c = controls::ClampPoint(ToPoint(p), area);
            p = QPoint(c.X, c.Y);
        }
        if (p == FLastPointer) break;
        FLastPointer = p;
        const auto proposed = controls::SizingRect(
            ToRect(FSizingStart), FSizingEdges, p.x() - FSizingPress.x(), p.y() - FSizingPress.y(),
            {FSizingMinimum.width(), FSizingMinimum.height()});
        FSizingRect = SizingStep(ToQRect(proposed), FSizingEdges);
        ShowOutline(FSizingRect, controls::DefaultFrameMetrics().FrameX);
        break;
    }
    case TLoop::Closing: {
        const bool over = OverCloseButton(e->position().toPoint());
        if (over != FClosePressed) {
            FClosePressed = over;
            update();
        }
        break;
    }
    case TLoop::None:
        if (!FDocked && FFloatParent && parentWidget() == FFloatParent &&
            e->buttons() == Qt::NoButton) {
            EnsureParams();
            using controls::THitZone;
            const auto zone =
                controls::FloatingHitTest(ToPoint(e->position().toPoint()), {width(), height()},
                                          controls::DefaultFrameMetrics(), FResizable, FShowCaption,
                                          FCloseButton, FCornerResize);
            Qt::CursorShape shape = Qt::ArrowCursor;
            if (zone == THitZone::Left || zone == THitZone::Right) shape = Qt::SizeHorCursor;
            if (zone == THitZone::Top || zone == THitZone::Bottom) shape = Qt::SizeVerCursor;
            if (zone == THitZone::TopLeft || zone == THitZone::BottomRight)
                shape = Qt::SizeFDiagCursor;
            if (zone == THitZone::TopRight || zone == THitZone::BottomLeft)
                shape = Qt::SizeBDiagCursor;
            setCursor(shape);
        }
        QWidget::mouseMoveEvent(e);
        return;
    }
    e->accept();
}

void TCustomToolWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (FLoop == TLoop::None) {
        QWidget::mouseReleaseEvent(e);
        return;
    }
    e->accept();
    if (e->button() != Qt::LeftButton) return;
    if (FLoop == TLoop::Closing) {
        const bool over = OverCloseButton(e->position().toPoint());
        EndLoop(false);
        if (!over) return;
        bool canClose = true;
        if (OnCloseQuery) OnCloseQuery(this, canClose);
        if (!canClose) return;
        hide();
        if (OnClose) OnClose(this);
        return;
    }
    EndLoop(true);
}

void TCustomToolWindow::mouseDoubleClickEvent(QMouseEvent* e) {
    if (FLoop != TLoop::None) {
        EndLoop(false);
        e->accept();
        return;
    }
    // A double-click on the floating caption docks to the default dock.
    if (e->button() == Qt::LeftButton && !FDocked && FDefaultDock && FFloatParent &&
        parentWidget() == FFloatParent) {
        const auto zone = controls::FloatingHitTest(
            ToPoint(e->position().toPoint()), {width(), height()}, controls::DefaultFrameMetrics(),
            FResizable, FShowCaption, FCloseButton, false);
        if (zone == controls::THitZone::Caption) {
            SetDockedTo(FDefaultDock);
            e->accept();
            return;
        }
    }
    QWidget::mouseDoubleClickEvent(e);
}

void TCustomToolWindow::keyPressEvent(QKeyEvent* e) {
    if (FLoop == TLoop::None) {
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
    if (FLoop == TLoop::Closing) return; // keys are swallowed
    if (e->key() == Qt::Key_Escape) {
        EndLoop(false);
    } else if (e->key() == Qt::Key_Control && FLoop == TLoop::Moving && !FCtrl) {
        FCtrl = true;
        EvaluateDrag(FLastPointer);
    }
}

void TCustomToolWindow::keyReleaseEvent(QKeyEvent* e) {
    if (FLoop == TLoop::None) {
        QWidget::keyReleaseEvent(e);
        return;
    }
    e->accept();
    if (e->key() == Qt::Key_Control && FLoop == TLoop::Moving && FCtrl) {
        FCtrl = false;
        EvaluateDrag(FLastPointer);
    }
}

void TCustomToolWindow::hideEvent(QHideEvent* e) {
    QWidget::hideEvent(e);
    if (FLoop != TLoop::None) EndLoop(false);
}

// ---- Loops ------------------------------------------------------------------------

namespace {
void GrabFor(QWidget* w, QMetaObject::Connection& appState, const std::function<void()>& cancel) {
    w->grabMouse();
    w->grabKeyboard();
    appState = QObject::connect(qApp, &QGuiApplication::applicationStateChanged, w,
                                [cancel](Qt::ApplicationState s) {
                                    if (s != Qt::ApplicationActive) cancel();
                                });
}
} // namespace

void TCustomToolWindow::BeginMoving(const QPoint& globalPos, Qt::KeyboardModifiers modifiers) {
    if (FLoop != TLoop::None) return;
    QWidget* form = ParentForm();
    FDragStart = controls::TDragStart{};
    const QPoint local = mapFromGlobal(globalPos);
    FDragStart.Offset = {local.x(), local.y()};
    FDragStart.StartSize = {width(), height()};
    const QSize floatSize = FDocked ? SizeForDockType(TDockType::NotDocked) : size();
    FDragStart.FloatSize = {floatSize.width(), floatSize.height()};
    FDragStart.FloatFrame = FrameFor(TDockType::NotDocked);
    FDragStart.FloatFrameX = FResizable ? controls::DefaultFrameMetrics().FrameX
                                        : controls::DefaultFrameMetrics().DlgFrameX;
    FDragStart.FloatFrameY = FResizable ? controls::DefaultFrameMetrics().FrameY
                                        : controls::DefaultFrameMetrics().DlgFrameY;
    FDragStart.CannotFloat = DockMode != dmCanFloat;

    QList<TDock*> docks;
    if (DockMode == dmCannotFloatOrChangeDocks) {
        if (FDocked && FDockedTo) docks.append(FDockedTo);
    } else if (form) {
        CollectDocks(form, this, DockableTo, docks);
    }
    FDragDocks.clear();
    FDragDockWidgets.clear();
    for (TDock* d : docks) {
        const QSize s = d == FDockedTo ? size() : SizeForDockType(d->DockType());
        FDragDocks.push_back({ToRect(ScreenRectOf(d)), d->DockType(), {s.width(), s.height()}});
        FDragDockWidgets.append(d);
    }

    FLoop = TLoop::Moving;
    FLastPointer = globalPos;
    FCtrl = modifiers.testFlag(Qt::ControlModifier);
    GrabFor(this, FAppStateConnection, [this] { EndLoop(false); });
    EvaluateDrag(globalPos);
}

void TCustomToolWindow::EvaluateDrag(const QPoint& globalPos) {
    FLastPointer = globalPos;
    for (int i = 0; i < FDragDockWidgets.size(); ++i)
        if (TDock* d = FDragDockWidgets[i]) FDragDocks[i].Rect = ToRect(ScreenRectOf(d));
    auto accept = [this](int i) {
        TDock* d = FDragDockWidgets.value(i);
        if (!d) return false;
        bool ok = true;
        if (d->OnRequestDock) d->OnRequestDock(d, this, ok);
        return ok;
    };
    FTarget = controls::EvaluateDrag(FDragStart, FDragDocks, ToPoint(globalPos), FCtrl,
                                     ScreenWorkAreas(), accept);
    if (FTarget.NoDrop) {
        HideOutline();
        if (!FNoDropCursor) {
            QApplication::setOverrideCursor(Qt::ForbiddenCursor);
            FNoDropCursor = true;
        }
        return;
    }
    if (FNoDropCursor) {
        QApplication::restoreOverrideCursor();
        FNoDropCursor = false;
    }
    ShowOutline(ToQRect(FTarget.Outline), FTarget.Dock >= 0 ? 1 : FDragStart.FloatFrameX);
}

void TCustomToolWindow::BeginSizing(const QPoint& globalPos, controls::THitZone zone) {
    if (FLoop != TLoop::None || !FResizable) return;
    FSizingEdges = controls::EdgesOf(zone);
    if (!FSizingEdges.Any()) return;
    FSizingStart = QRect(FFloatParent ? FFloatParent->pos() : pos(), size());
    FSizingRect = FSizingStart;
    FSizingPress = globalPos;
    FLastPointer = globalPos;
    const QSize base = GetBaseSize();
    const controls::TMargins f = FrameFor(TDockType::NotDocked);
    FSizingMinimum = QSize(base.width() + f.Horizontal(), base.height() + f.Vertical());
    SizingBegin();
    FLoop = TLoop::Sizing;
    GrabFor(this, FAppStateConnection, [this] { EndLoop(false); });
    ShowOutline(FSizingRect, controls::DefaultFrameMetrics().FrameX);
}

void TCustomToolWindow::BeginClosing() {
    FLoop = TLoop::Closing;
    FClosePressed = true;
    GrabFor(this, FAppStateConnection, [this] { EndLoop(false); });
    update();
}

void TCustomToolWindow::EndLoop(bool accept) {
    const TLoop loop = FLoop;
    if (loop == TLoop::None) return;
    FLoop = TLoop::None;
    releaseMouse();
    releaseKeyboard();
    QObject::disconnect(FAppStateConnection);
    if (FNoDropCursor) {
        QApplication::restoreOverrideCursor();
        FNoDropCursor = false;
    }
    HideOutline();
    FClosePressed = false;
    update();
    if (loop == TLoop::Moving && accept) FinishMoving();
    if (loop == TLoop::Sizing) {
        if (accept)
            FinishSizing();
        else
            SizingEnd(false, FSizingRect);
    }
    FDragDockWidgets.clear();
    FDragDocks.clear();
}

void TCustomToolWindow::FinishMoving() {
    if (FTarget.NoDrop || FTarget.Outline.Empty()) return;
    if (FTarget.Dock >= 0) {
        TDock* dock = FDragDockWidgets.value(FTarget.Dock);
        if (!dock) return;
        const QPoint origin = dock->mapToGlobal(dock->ClientOrigin());
        controls::TRect o = FTarget.Outline;
        o = Shifted(o, -origin.x(), -origin.y());
        dock->BeginUpdate();
        dock->DropToolWindow(this, o);
        if (FDockedTo != dock) SetParent(dock);
        dock->ArrangeToolbars(true);
        dock->EndUpdate();
    } else {
        const QPoint at(FTarget.Outline.Left, FTarget.Outline.Top);
        FFloatingPosition = at;
        if (FDocked) {
            QWidget* form = ParentForm();
            if (!form) return;
            SetParent(form);
        } else if (FFloatParent) {
            FFloatParent->move(at);
        }
    }
    MoveOnScreen(true);
}

void TCustomToolWindow::FinishSizing() {
    const QRect r = FSizingRect;
    SizingEnd(true, r);
    SetFloatingPosition(r.topLeft());
}

QRect TCustomToolWindow::SizingStep(const QRect& proposed, controls::TSizingEdges) {
    return proposed;
}

void TCustomToolWindow::SizingEnd(bool accept, const QRect& rect) {
    if (!accept) return;
    resize(rect.size());
}
