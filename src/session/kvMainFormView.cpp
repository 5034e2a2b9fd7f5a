// View commands: showing and hiding the toolbars, the status bar and the two
// session lists, the fixed window sizes, the program's exit, and the desktop
// shot the transparent backgrounds share.
#include "session/kvMainForm.h"

#include "controls/DockTlbr.h"
#include "screen/MyBitmap.h"

#include <QAction>
#include <QGuiApplication>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTabBar>

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
}

void TkvMainForm::ConnectionForm2Click(QObject* sender) {
    QAction* item = Action(QStringLiteral("ConnectionForm2"));
    if (sender != item) item->setChecked(!item->isChecked());
    bool on = item->isChecked();
    BmpListBox->setVisible(on);
    HSplitter->handle(1)->setEnabled(on);
}

namespace {
void PlaceAt(QWidget* w, int width, int height) {
    w->showNormal();
    w->setGeometry(0, 0, width, height);
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

// One shot of the whole screen; black at the screen's size when the
// desktop gives no picture (offscreen, Wayland without a portal).
void TkvMainForm::CaptureDesktop() {
    QScreen* screen = QGuiApplication::primaryScreen();
    // Floating toolbars stay out of the shot; shown again after it.
    std::vector<TToolbar*> hidden;
    for (TToolbar* bar : {ConnectionBar, FunctionBar, SpeedBtnBar, ShortcutBar})
        if (bar && !bar->Docked() && bar->Visible()) {
            bar->setVisible(false);
            hidden.push_back(bar);
        }
    QImage shot;
    if (screen) shot = screen->grabWindow(0).toImage();
    for (TToolbar* bar : hidden)
        bar->setVisible(true);
    if (shot.isNull()) {
        QSize size = screen ? screen->geometry().size() : QSize(1024, 768);
        shot = QImage(size, QImage::Format_RGB888);
        shot.fill(Qt::black);
    }
    ScreenShoot->Assign(shot);
}
