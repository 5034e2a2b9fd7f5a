// The hook registry's Qt side: one application event filter, present while
// any of the three hooks is installed, that turns Qt events into the
// registry's four kinds.
#include "controls/DockCmn.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <QWindow>

#include <cstring>

namespace {

class THookFilter : public QObject {
public:
    explicit THookFilter(QObject* app) : QObject(app), WasActive(ApplicationIsActive()) {
        connect(qApp, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    WasActive = ApplicationIsActive();
                    if (!HookRegistry().HookInstalled(controls::hiCallWndProc)) return;
                    HookRegistry().Dispatch(controls::hkActivateApp, QApplication::activeWindow(),
                                            state == Qt::ApplicationActive ? 1 : 0, 0);
                });
        // Activation passing between the program's own windows (a dialog
        // closing, the main window taking over) goes through "no active
        // window" without the application ever turning inactive; whatever
        // was decided in that gap is decided again once a window is active.
        connect(qApp, &QGuiApplication::focusWindowChanged, this, [this] { ActivityChanged(); });
        for (QWidget* w : QApplication::topLevelWidgets())
            Track(w);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseMove:
            MouseMoved(watched, static_cast<QMouseEvent&>(*event));
            break;
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) {
                Track(w);
                if (HookRegistry().HookInstalled(controls::hiCallWndProc)) {
                    const win::LPARAM flags =
                        event->type() == QEvent::Show   ? controls::SWP_SHOWWINDOW
                        : event->type() == QEvent::Hide ? controls::SWP_HIDEWINDOW
                                                        : controls::SWP_FRAMECHANGED;
                    HookRegistry().Dispatch(controls::hkWindowPosChanged, w, 0, flags);
                }
            }
            break;
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) ActivityChanged();
            break;
        case QEvent::Polish:
        case QEvent::ParentChange:
            if (auto* w = qobject_cast<QWidget*>(watched); w && w->isWindow()) Track(w);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void ActivityChanged() {
        const bool active = ApplicationIsActive();
        if (active == WasActive) return;
        WasActive = active;
        if (!HookRegistry().HookInstalled(controls::hiCallWndProc)) return;
        HookRegistry().Dispatch(controls::hkActivateApp, QApplication::activeWindow(),
                                active ? 1 : 0, 0);
    }

    // Top-level widgets whose destruction is reported.
    void Track(QWidget* w) {
        if (Tracked.contains(w)) return;
        Tracked.insert(w);
        connect(w, &QObject::destroyed, this, [this](QObject* gone) {
            Tracked.remove(gone);
            if (HookRegistry().HookInstalled(controls::hiCbt))
                HookRegistry().Dispatch(controls::hkDestroyWindow, gone, 0, 0);
        });
    }

    void MouseMoved(QObject* watched, const QMouseEvent& e) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (!w || !HookRegistry().HookInstalled(controls::hiGetMessage)) return;
        // A move that a widget passes on to its parents reaches the filter
        // once per widget; it is one move.
        const QPointF global = e.globalPosition();
        if (e.timestamp() == LastTimestamp && global == LastGlobal) return;
        LastTimestamp = e.timestamp();
        LastGlobal = global;
        win::WPARAM keys = 0;
        if (e.buttons() & Qt::LeftButton) keys |= MK_LBUTTON;
        if (e.buttons() & Qt::RightButton) keys |= MK_RBUTTON;
        if (e.buttons() & Qt::MiddleButton) keys |= MK_MBUTTON;
        if (e.modifiers() & Qt::ShiftModifier) keys |= MK_SHIFT;
        if (e.modifiers() & Qt::ControlModifier) keys |= MK_CONTROL;
        const QPoint p = e.position().toPoint();
        const win::LPARAM pos =
            win::LPARAM(std::uint16_t(p.x()) | std::uint32_t(std::uint16_t(p.y())) << 16);
        HookRegistry().Dispatch(controls::hkMouseMove, w, keys, pos);
    }

    QSet<QObject*> Tracked;
    bool WasActive;
    quint64 LastTimestamp = ~quint64(0);
    QPointF LastGlobal;
};

QPointer<THookFilter> Filter;

void UpdateFilter() {
    auto* app = QCoreApplication::instance();
    const bool wanted = HookRegistry().AnyHookInstalled() && app;
    if (wanted && !Filter) {
        Filter = new THookFilter(app); // owned by the application
        app->installEventFilter(Filter);
    } else if (!wanted && Filter) {
        if (app) app->removeEventFilter(Filter);
        delete Filter.data();
    }
}

} // namespace

controls::THookRegistry& HookRegistry() {
    static controls::THookRegistry registry;
    static const bool wired = [] {
        registry.OnHookChange = [](controls::THookId, bool) { UpdateFilter(); };
        return true;
    }();
    (void)wired;
    return registry;
}

void InstallHookProc(THookProc proc, THookKinds kinds, bool onlyIncrementCount) {
    HookRegistry().InstallHookProc(proc, kinds, onlyIncrementCount);
}

void UninstallHookProc(THookProc proc) {
    HookRegistry().UninstallHookProc(proc);
}

bool ApplicationIsActive() {
    return qApp && QApplication::activeWindow() != nullptr;
}

void PreferX11Platform(int argc, char** argv) {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    for (int i = 1; i < argc; ++i)
        if (argv[i] && (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform")))
            return;
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return;
    qputenv("QT_QPA_PLATFORM", "xcb");
}
