#include "session/DetachedForm.h"

#include "session/Connection.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QMoveEvent>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>
#include <atomic>

namespace {

std::atomic<std::uint64_t> gNextId{1};

} // namespace

TDetachedForm::TDetachedForm(QWidget* parent) : QMdiSubWindow(parent), FId(gNextId++) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    FClient = new QWidget(this);
    setWidget(FClient);
}

TDetachedForm::~TDetachedForm() {
    ResizeArmed = 0;
    delete ShortcutBtn;
    delete ScrollBar;
    delete MirrorBitmap;
    delete BackBitmap;
}

void TDetachedForm::Initialize(const TDetachedFormSetup& s) {
    ResizeArmed = 0;
    setWindowFlags(Qt::SubWindow | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint);
    ShortcutBtn = new QToolButton(FClient);
    ShortcutBtn->move(-100, 0);
    ScrollBar = new QScrollBar(Qt::Vertical, FClient);
    ScrollBar->setFocusPolicy(Qt::NoFocus);
    ScrollBar->setVisible(s.ScrollBarVisible);
    MirrorBitmap = new TMyBitmap();
    BackBitmap = new TMyBitmap();
    setWindowTitle(s.Caption);
    QPalette pal = FClient->palette();
    pal.setColor(QPalette::Window, s.Background);
    FClient->setPalette(pal);
    FClient->setAutoFillBackground(true);
    FMainWindow = s.MainWindow;

    QPoint pos = this->pos();
    if (!s.ScriptPositionPending) {
        if (s.MaxWhenConnection || s.MoveToLeftTopWhenConnection) pos = QPoint(0, 0);
    } else if (s.MoveToLeftTopWhenConnection) {
        pos = QPoint(0, 0);
    } else {
        if (s.ScriptLeft != NoScriptPosition) pos.setX(s.ScriptLeft);
        if (s.ScriptTop != NoScriptPosition) pos.setY(s.ScriptTop);
    }
    move(pos);
    SavedLeft = pos.x();
    SavedTop = pos.y();
}

void TDetachedForm::closeEvent(QCloseEvent* event) {
    // The main window decides: it disconnects or closes the session.
    event->ignore();
    if (FMainWindow) win::PostMessage(FMainWindow, WM_CLOSE_SESSION, FId, 0);
}

bool TDetachedForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && OnActivate) OnActivate(this);
    return QMdiSubWindow::event(e);
}

void TDetachedForm::keyPressEvent(QKeyEvent* event) {
    if (OnKeyDown) OnKeyDown(this, event);
    if (!event->isAccepted()) QMdiSubWindow::keyPressEvent(event);
}

// The wheel moves the scroll-back one line per notch (120): a large step
// moves several lines, a touchpad's small steps add up until a notch is
// whole. Turned towards the user the view goes down (the bar's position
// grows). Events of a sideways wheel are not ours.
void TDetachedForm::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (!ScrollBar || delta == 0) {
        QMdiSubWindow::wheelEvent(event);
        return;
    }
    event->accept();
    const int lines = FWheel.Add(delta);
    if (lines == 0) return;
    // The bar clamps to its range; the sum stays in int by that range.
    const long long target = static_cast<long long>(ScrollBar->value()) + lines;
    ScrollBar->setValue(static_cast<int>(
        std::clamp<long long>(target, ScrollBar->minimum(), ScrollBar->maximum())));
}

void TDetachedForm::LayOutClient() {
    // A sub-window places its client only when its layout runs, which Qt
    // defers to the first show; sizes read before that are placeholders.
    ensurePolished();
    if (layout()) layout()->activate();
}

void TDetachedForm::resizeEvent(QResizeEvent* event) {
    QMdiSubWindow::resizeEvent(event);
    FormResize();
}

// A new position is stored; a transparent session shows the desktop behind
// it, so its background is rebuilt for the new place.
void TDetachedForm::moveEvent(QMoveEvent* event) {
    QMdiSubWindow::moveEvent(event);
    if (x() == SavedLeft && y() == SavedTop) return;
    SavedLeft = x();
    SavedTop = y();
    if (Session && Session->Transparent()) {
        Session->CheckFullRepaint();
        Session->UpdateBackground();
    }
}

void TDetachedForm::FormResize() {
    if (!ResizeArmed || !Session) return;
    if (width() == SavedWidth && height() == SavedHeight) return;
    ResizeArmed = 0;
    SavedWidth = width();
    SavedHeight = height();
    const QSize client = FClient->size();
    int w = client.width();
    if (ScrollBar && ScrollBar->isVisible()) {
        w -= ScrollBar->sizeHint().width();
        ScrollBar->setGeometry(w, 0, ScrollBar->sizeHint().width(), client.height());
    }
    Session->setGeometry(0, 0, std::max(1, w), client.height());
    if (!Session->FitFontToClient()) Session->CalcCellMetrics();
    Session->UpdateBackground();
    Session->Maximized = 0;
    if (OnResized) OnResized(this);
    ResizeArmed = 1;
}
