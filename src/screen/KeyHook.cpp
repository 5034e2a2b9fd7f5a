#include "screen/KeyHook.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace screen {

TKeyHook::TKeyHook(QWidget* screen, std::function<bool(QKeyEvent&)> keyDown,
                   std::function<bool(const QKeyEvent&)> wantsKey)
    : QObject(screen), Screen(screen), KeyDown(std::move(keyDown)), WantsKey(std::move(wantsKey)) {}

TKeyHook::~TKeyHook() {
    Remove();
}

void TKeyHook::Install() {
    if (IsInstalled || !QCoreApplication::instance()) return;
    QCoreApplication::instance()->installEventFilter(this);
    IsInstalled = true;
}

void TKeyHook::Remove() {
    if (!IsInstalled) return;
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeEventFilter(this);
    IsInstalled = false;
}

bool TKeyHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Screen) return false;
    const auto type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    if (type == QEvent::ShortcutOverride) {
        // Keys the table consumes must not trigger a menu accelerator.
        if (WantsKey && WantsKey(key)) {
            key.accept();
            return true;
        }
        return false;
    }
    // A key that arrives while the hook itself runs (a nested event loop in
    // a send) is swallowed rather than handled twice.
    if (HookBusy) return true;
    HookBusy = true;
    bool handled = KeyDown && KeyDown(key);
    HookBusy = false;
    return handled;
}

} // namespace screen
