#include "platform/FlashWindow.h"

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QWidget>

namespace win {
namespace {

std::function<bool(QWidget*, bool)>& Handler() {
    static std::function<bool(QWidget*, bool)> handler;
    return handler;
}

// The attention state of each window that was flashed.
QHash<QWidget*, bool>& States() {
    static QHash<QWidget*, bool> states;
    return states;
}

} // namespace

void SetFlashWindowHandler(std::function<bool(QWidget*, bool)> handler) {
    Handler() = std::move(handler);
}

bool FlashWindow(QWidget* wnd, bool invert, int durationMs) {
    if (Handler()) return Handler()(wnd, invert);
    if (!wnd || !qApp) return false;
    auto& states = States();
    if (!states.contains(wnd))
        QObject::connect(wnd, &QObject::destroyed, qApp, [wnd] { States().remove(wnd); });
    const bool was = states.value(wnd, false);
    const bool now = invert ? !was : false;
    states[wnd] = now;
    if (now && !was) QApplication::alert(wnd->window(), durationMs > 0 ? durationMs : 500);
    return was;
}

} // namespace win
