// The key hook of a terminal screen: while installed, an application-wide
// event filter that sees every key press meant for the screen before the
// screen, its window's shortcuts and menus do. The screen installs it when it
// gets the focus and removes it when it loses the focus, so only the focused
// screen's hook is ever active; hooks of several screens stack in focus order.
#pragma once
#include <QObject>

#include <functional>

class QKeyEvent;
class QWidget;

namespace screen {

class TKeyHook : public QObject {
    Q_OBJECT
public:
    // `keyDown` handles a key press and returns true when it consumed it;
    // `wantsKey` answers, without side effects, whether it would.
    TKeyHook(QWidget* screen, std::function<bool(QKeyEvent&)> keyDown,
             std::function<bool(const QKeyEvent&)> wantsKey);
    ~TKeyHook() override;

    void Install();
    void Remove();
    bool Installed() const { return IsInstalled; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Screen;
    std::function<bool(QKeyEvent&)> KeyDown;
    std::function<bool(const QKeyEvent&)> WantsKey;
    bool IsInstalled = false;
    bool HookBusy = false;
};

} // namespace screen
