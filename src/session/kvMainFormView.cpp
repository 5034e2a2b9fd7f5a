// View commands: showing and hiding the toolbars, the status bar and the two
// session lists, the fixed window sizes, the program's exit, and the desktop
// shot the transparent backgrounds share.
#include "session/kvMainForm.h"

#include "controls/DockTlbr.h"
#include "platform/DesktopShot.h"
#include "platform/WindowFrame.h"
#include "screen/MyBitmap.h"
#include "session/Connection.h"

#include <QAction>
#include <QListWidget>
#include <QSplitter>
#include <QStatusBar>

#include <QPointer>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {
// A View item inverts its bar's visibility and its check mark follows, so
// the mark always equals the bar's visibility whoever asked for the change.
void ToggleBar(QWidget* bar, QAction* item, QObject* sender) {
    bool show = !bar->isVisibleTo(bar->parentWidget() ? bar->parentWidget() : bar);
    if (sender && sender == item) show = item->isChecked();
    bar->setVisible(show);
    item->setChecked(show);
}
} // namespace

// Hiding the connection or line bar can take the focus away with it.
void TkvMainForm::ConnectionToolBarClick(QObject* sender) {
    ToggleBar(ConnectionBar, Action(QStringLiteral("ConnectionToolBar")), sender);
    DefaultFocus(LineLocked());
}
void TkvMainForm::FunctionToolBarClick(QObject* sender) {
    ToggleBar(FunctionBar, Action(QStringLiteral("FunctionToolBar")), sender);
}
void TkvMainForm::SpeedBtnToolBarClick(QObject* sender) {
    ToggleBar(SpeedBtnBar, Action(QStringLiteral("SpeedBtnToolBar")), sender);
}
void TkvMainForm::ShortcutToolBarClick(QObject* sender) {
    ToggleBar(ShortcutBar, Action(QStringLiteral("ShortcutToolBar")), sender);
}
void TkvMainForm::LineToolBarClick(QObject* sender) {
    ToggleBar(LineBar, Action(QStringLiteral("LineToolBar")), sender);
    DefaultFocus(LineLocked());
}
void TkvMainForm::StatusBarMenuItemClick(QObject* sender) {
    ToggleBar(statusBar(), Action(QStringLiteral("StatusBarMenuItem")), sender);
}

void TkvMainForm::ConnectionForm1Click(QObject* sender) {
    QAction* item = Action(QStringLiteral("ConnectionForm1"));
    if (sender != item) item->setChecked(!item->isChecked());
    bool on = item->isChecked();
    TabControl->setVisible(on);
    VSplitter->setHandleWidth(on ? 3 : 0);
    VSplitter->handle(1)->setEnabled(on);
    VSplitterMoved();
    if (LayoutChecked("TransparentMenuItem")) PaintTransparentBackground();
    DefaultFocus(false);
}

// The splitter under the tab strip moved the screens: transparent screens
// cut their backgrounds again.
void TkvMainForm::VSplitterMoved() {
    if (!Settings.Transparent) return;
    ProgressPass(Sessions, [](TConnection* s) { s->UpdateBackground(); });
}

void TkvMainForm::ConnectionForm2Click(QObject* sender) {
    QAction* item = Action(QStringLiteral("ConnectionForm2"));
    if (sender != item) item->setChecked(!item->isChecked());
    bool on = item->isChecked();
    BmpListBox->setVisible(on);
    HSplitter->handle(1)->setEnabled(on);
    DefaultFocus(false);
}

namespace {
// The fixed sizes are the whole window's: the frame goes to the screen's
// (0, 0) and is width x height; the client is what the frame leaves. A
// maximised window is first given back its normal frame, borders and all.
void PlaceAt(QWidget* w, int width, int height) {
    win::SetFrameRect(w, QRect(0, 0, width, height));
    w->showNormal();
}
} // namespace

void TkvMainForm::Screen640x480Click(QObject*) {
    PlaceAt(this, 640, 480);
}
void TkvMainForm::Screen800x600Click(QObject*) {
    PlaceAt(this, 800, 600);
}
void TkvMainForm::Screen1024x768Click(QObject*) {
    PlaceAt(this, 1024, 768);
}
void TkvMainForm::Screen1280x1024Click(QObject*) {
    PlaceAt(this, 1280, 1024);
}

void TkvMainForm::ExitProgramClick(QObject*) {
    close();
}

win::TDesktopShooter* TkvMainForm::DesktopShooter() {
    auto* shooter = findChild<win::TDesktopShooter*>(QString(), Qt::FindDirectChildrenOnly);
    return shooter ? shooter : new win::TDesktopShooter(this);
}

namespace {
// Puts a shot into the bitmap the screens share, with its desktop origin.
void AssignShot(TMyBitmap* bitmap, const win::TDesktopShot& shot) {
    bitmap->Origin = shot.Origin;
    bitmap->Assign(shot.Image);
}
} // namespace

// The current session and the activation order as they were before the
// main window was hidden; sessions opened meanwhile stay ahead of the rest.
void TkvMainForm::RestoreCurrentSession(TConnection* current,
                                        const std::vector<QPointer<TConnection>>& order) {
    std::vector<int> before;
    for (const QPointer<TConnection>& s : order)
        if (int i = SessionIndex(s); i >= 0) before.push_back(i);
    std::vector<int> restored;
    for (int i : ActivationOrder)
        if (std::find(before.begin(), before.end(), i) == before.end()) restored.push_back(i);
    const bool newer = !restored.empty();
    restored.insert(restored.end(), before.begin(), before.end());
    ActivationOrder = restored;
    int target = newer ? ActivationOrder.front() : SessionIndex(current);
    if (target < 0) return;
    ActivateSession(CurrentSession, target, true);
}

// The desktop under the program's windows: the main window and the
// floating toolbars whose items are checked are hidden, the desktop gets
// 100 ms (on a timer) to repaint, then the shot is taken, the document
// area's copy is cut from it and every transparent screen rebuilt, and the
// windows come back at their places. Where no shot is possible nothing is
// hidden and ScreenShoot stays what it was: black at the desktop's size
// from the first time on, so transparent screens show their tint.
void TkvMainForm::CaptureDesktop() {
    win::TDesktopShooter* shooter = DesktopShooter();
    if (shooter->Pending()) return; // the running one serves this request
    auto finish = [this](const win::TDesktopShot& shot) {
        if (FDestroyed) return;
        if (shot.Ok())
            AssignShot(ScreenShoot, shot);
        else if (ScreenShoot->Empty())
            AssignShot(ScreenShoot, win::BlackDesktop());
        if (LayoutChecked("TransparentMenuItem")) PaintTransparentBackground();
        for (TConnection* s : Sessions)
            if (s->Transparent()) s->UpdateBackground();
    };
    if (!shooter->Possible()) {
        finish(win::TDesktopShot{});
        return;
    }
    std::vector<win::TDesktopShooter::TPart> parts;
    // The main window, back at its own place (a window manager may choose
    // another one when it is mapped again), active again when it was, with
    // the same current session: showing it shows the session windows one by
    // one, and each takes the focus on its way.
    struct TMainState {
        QRect Client;
        bool Active = false;
        QPointer<TConnection> Current;
        std::vector<QPointer<TConnection>> Order;
    };
    auto state = std::make_shared<TMainState>();
    parts.push_back({[this, state] {
                         if (!isVisible()) return false;
                         // The client's place: it is the same whether the
                         // window manager has framed the window yet or not.
                         state->Client = geometry();
                         state->Active = isActiveWindow();
                         if (CurrentSession >= 0 && CurrentSession < int(Sessions.size()))
                             state->Current = Sessions[std::size_t(CurrentSession)];
                         for (int i : ActivationOrder)
                             if (i >= 0 && i < int(Sessions.size()))
                                 state->Order.emplace_back(Sessions[std::size_t(i)]);
                         hide();
                         return true;
                     },
                     [this, state] {
                         show();
                         setGeometry(state->Client);
                         if (state->Active) activateWindow();
                         RestoreCurrentSession(state->Current, state->Order);
                     }});
    const std::pair<TToolbar*, const char*> bars[] = {{ConnectionBar, "ConnectionToolBar"},
                                                      {FunctionBar, "FunctionToolBar"},
                                                      {SpeedBtnBar, "SpeedBtnToolBar"},
                                                      {ShortcutBar, "ShortcutToolBar"}};
    for (auto [bar, itemName] : bars) {
        QAction* item = Action(QString::fromLatin1(itemName));
        if (!bar || !item) continue;
        auto at = std::make_shared<QPoint>();
        parts.push_back({[bar, item, at] {
                             if (!item->isChecked() || bar->Docked()) return false;
                             *at = bar->FloatingPosition();
                             bar->setVisible(false);
                             return true;
                         },
                         [bar, at] {
                             bar->setVisible(true);
                             if (bar->FloatingPosition() != *at) bar->SetFloatingPosition(*at);
                         }});
    }
    shooter->Start(std::move(parts), finish);
}
