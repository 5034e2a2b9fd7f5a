#include "controls/Magnetic.h"

#include "platform/QtMessageLoop.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

namespace {
constexpr win::UINT_PTR SettleTimerId = 1;
constexpr win::UINT SettleMs = 150;
} // namespace

TMagnetic::TMagnetic(QWidget* owner) : QObject(owner), FOwner(owner) {
    win::InstallQtMessageLoop();
    if (!owner || !Supported()) return;
    FTimerWnd = win::AllocateHWnd([this](win::TMessage& m) {
        if (m.Msg != win::WM_TIMER || m.WParam != SettleTimerId) return;
        win::KillTimer(FTimerWnd, SettleTimerId);
        WMMoving();
    });
    owner->installEventFilter(this);
}

TMagnetic::~TMagnetic() {
    if (FOwner) FOwner->removeEventFilter(this);
    if (FTimerWnd) win::DeallocateHWnd(FTimerWnd);
}

bool TMagnetic::Supported() {
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool TMagnetic::eventFilter(QObject* watched, QEvent* event) {
    // Each move restarts the wait; the rule runs once the form rests.
    if (watched == FOwner && event->type() == QEvent::Move && !FMovingOwner && FTimerWnd)
        win::SetTimer(FTimerWnd, SettleTimerId, SettleMs);
    return false;
}

void TMagnetic::WMMoving() {
    if (!FOwner || !Supported()) return;
    QRect frame = FOwner->frameGeometry();
    QRect rect = frame;
    if (OnMoving) {
        OnMoving(this, rect);
    } else {
        QScreen* screen = FOwner->screen();
        if (!screen) return;
        const QRect s = screen->geometry();
        // The rule works with the screen at 0,0 and exclusive edges.
        const controls::TRect r{rect.left() - s.left(), rect.top() - s.top(),
                                rect.right() + 1 - s.left(), rect.bottom() + 1 - s.top()};
        const controls::TRect out = controls::SnapMovingRect(
            r, {rect.width(), rect.height()}, {s.width(), s.height()}, FMargin, FAlwaysOnScreen);
        rect = QRect(out.Left + s.left(), out.Top + s.top(), out.Width(), out.Height());
    }
    if (!FOwner || rect.topLeft() == frame.topLeft()) return;
    FMovingOwner = true;
    FOwner->move(rect.topLeft());
    FMovingOwner = false;
}
