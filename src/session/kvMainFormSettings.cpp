// Brannoc.ini between the file, the settings model and the window: reading
// at construction, applying to menus, controls and toolbars, collecting the
// window's state and the one guarded write at close.
#include "session/kvMainForm.h"

#include "platform/CodePage.h"
#include "platform/WindowFrame.h"
#include "platform/core/Files.h"
#include "platform/core/WriteError.h"
#include "session/SystemColors.h"
#include "session/core/WindowLayout.h"
#include "session/uTiler.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

namespace {

TSettingsEnvironment Environment(const std::string& progDir) {
    TSettingsEnvironment env;
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        env.ScreenWidth = s->geometry().width();
        env.ScreenHeight = s->geometry().height();
    }
    env.ProgramFolder = progDir;
    return env;
}

// The check items bound to Boolean settings of [Windows].
struct TBoolItem {
    const char* Action;
    bool TMainSettings::*Field;
};
const TBoolItem BoolItems[] = {
    {"ScrollBarVisible", &TMainSettings::ScrollBarVisible},
    {"ApplyDefaultSettingMenuItem", &TMainSettings::ApplyDefaultSetting},
    {"MaxWhenConnection", &TMainSettings::Max},
    {"MoveToLeftTopWhenConnection", &TMainSettings::MoveToLeftTopWhenConnection},
    {"DontLogin", &TMainSettings::DontLogin},
    {"FocusWhenBeep", &TMainSettings::Focus},
    {"ForeDontAutoSendKey", &TMainSettings::ForeDontAutoKey},
    {"BackDontAutoSendKey", &TMainSettings::BackDontAutoKey},
    {"AutoSaveFontSize", &TMainSettings::AutoSaveFontSize},
    {"TransparentMenuItem", &TMainSettings::MdiTransparent},
    {"PictureMenuItem", &TMainSettings::MdiPicture},
    {"ConnectionForm1", &TMainSettings::ShowConnectionList1},
    {"ConnectionForm2", &TMainSettings::ShowConnectionList2},
    {"StatusBarMenuItem", &TMainSettings::StatusBar},
};

const char* const ToolbarItems[tbCount] = {"ConnectionToolBar", "FunctionToolBar",
                                           "ShortcutToolBar", "SpeedBtnToolBar", "LineToolBar"};
const char* const PictureStyleItems[3] = {"CenterMenuItem", "TileMenuItem", "StretchMenuItem"};

} // namespace

void TkvMainForm::LoadSettings() {
    // Copies that saves killed half-way left beside the settings files go.
    for (const char* name : {"Brannoc.ini", "Directory.ini", "Keys.ini"})
        win::RemoveStaleTemporaries(SettingsDir + name);
    std::string bytes;
    try {
        win::ReadWholeFile(SettingsFileName, bytes);
    } catch (const win::EFileError&) {
        // The defaults go on; the file is never written over in this run
        // (every save reads it first), so the user hears why once.
        bytes.clear();
        win::ShowReadErrorOnce(SettingsFileName);
    }
    Settings.Load(win::TIniText(bytes), Environment(ProgDir));
}

void TkvMainForm::ApplySettingsToForm() {
    const TMainSettings& s = Settings;
    // Speed keys of the shown group.
    KeyGroup = s.KeyGroup;
    Action("EditSpeedBtn")->setText(QString::fromUtf8("快速鍵 ") + QString::number(KeyGroup));
    for (int i = 0; i < 12; ++i) {
        SpeedButtons[i]->setText(win::Big5ToQString(s.SpeedLabels[i]));
        SpeedKeys[i] = s.SpeedKeys[i];
        SpeedButtons[i]->setToolTip(QStringLiteral("F%1:").arg(i + 1) +
                                    win::Big5ToQString(SpeedKeys[i]));
    }

    for (const TBoolItem& item : BoolItems)
        Action(item.Action)->setChecked(s.*item.Field);
    TabControl->setVisible(s.ShowConnectionList1);
    VSplitter->setHandleWidth(s.ShowConnectionList1 ? 3 : 0);
    VSplitter->handle(1)->setEnabled(s.ShowConnectionList1);
    VSplitter->setSizes({std::clamp(s.ConnectionList1Height, 22, 220), 10000});
    BmpListBox->setVisible(s.ShowConnectionList2);
    HSplitter->handle(1)->setEnabled(s.ShowConnectionList2);
    HSplitter->setSizes({10000, std::max(0, s.ConnectionList2Width)});
    statusBar()->setVisible(s.StatusBar);

    Action(PictureStyleItems[s.MdiPictureStyle])->setChecked(true);
    Action("LoadPictureMenuItem")->setProperty("Hint", win::Big5ToQString(s.MdiPictureFilename));
    // The picture goes to the tiler with its saved style, so the style
    // commands later change the same picture's layout.
    if (Tiler) Tiler->SetTileMode(session::StyleFromStored(s.MdiPictureStyle));
    if (s.MdiPicture) {
        const QString file = win::Big5ToQString(s.MdiPictureFilename);
        if (!file.isEmpty() && LoadBackgroundPicture(file.toStdString())) {
            Settings.MdiTransparent = false;
            Action("TransparentMenuItem")->setChecked(false);
            QString name = win::Big5ToQString(s.MdiPictureFilename).section('/', -1);
            QString base = QString::fromUtf8("顯示圖片(&P)");
            Action("PictureMenuItem")->setText(name.isEmpty() ? base : base + "(" + name + ")");
        } else {
            // A picture that cannot be loaded switches the picture off quietly.
            Settings.MdiPicture = false;
            Settings.MdiPictureFilename.clear();
            Action("PictureMenuItem")->setChecked(false);
            Action("LoadPictureMenuItem")->setProperty("Hint", QString());
        }
    }

    std::vector<TRect> screens;
    for (QScreen* sc : QGuiApplication::screens()) {
        QRect g = sc->availableGeometry();
        TRect r{g.x(), g.y(), g.width(), g.height()};
        if (sc == QGuiApplication::primaryScreen())
            screens.insert(screens.begin(), r);
        else
            screens.push_back(r);
    }
    TRect place = PlaceMainWindow({s.Left, s.Top, s.Width, s.Height}, screens);
    setMinimumSize(kMinWindowWidth, kMinWindowHeight);
    // The stored place is the whole window's, frame included.
    win::SetFrameRect(this, QRect(place.Left, place.Top, place.Width, place.Height));

    for (int t = 0; t < tbCount; ++t)
        Action(ToolbarItems[t])->setChecked(s.Toolbars[t].Visible);
    DockToolbars();
    LineLockCheckBox->setChecked(s.LineLock);
    SetMagneticOn(s.Magnetic);
    if (s.Caption) HideButtonCaptions();

    Action("AnsiEsc")->setChecked(s.AnsiCode == 0);
    Action("AnsiCtrl")->setChecked(s.AnsiCode == 1);
    Action("AnsiNone")->setChecked(s.AnsiCode == 2);
    Action("AnsiCtrl")->setText(QStringLiteral("&Ctrl + ") + win::Big5ToQString(s.AnsiCtrl));

    HostNameComboBox->clear();
    for (const std::string& host : s.Hosts)
        HostNameComboBox->addItem(win::Big5ToQString(host), QByteArray::fromStdString(host));
    if (HostNameComboBox->count() > 0) {
        HostNameComboBox->setCurrentIndex(0);
        LastHostText = s.Hosts.front();
    } else {
        HostNameComboBox->setEditText(QString::fromLatin1(BuiltInHost));
        LastHostText = BuiltInHost;
    }
    PortEdit->setText(win::Big5ToQString(s.Port));

    QPalette pal = BmpListBox->palette();
    pal.setColor(QPalette::Base, ColorFromTColor(s.BmpListBoxColor, BmpListBox->palette()));
    pal.setColor(QPalette::Text, ColorFromTColor(s.BmpListBoxFontColor, BmpListBox->palette()));
    BmpListBox->setPalette(pal);
}

void TkvMainForm::CollectSettingsFromForm() {
    TMainSettings& s = Settings;
    for (const TBoolItem& item : BoolItems)
        s.*item.Field = Action(item.Action)->isChecked();
    if (TabControl->isVisible() || !isVisible()) s.ConnectionList1Height = TabControl->height();
    if (BmpListBox->isVisible() || !isVisible()) s.ConnectionList2Width = BmpListBox->width();
    for (int i = 0; i < 3; ++i)
        if (Action(PictureStyleItems[i])->isChecked()) s.MdiPictureStyle = i;
    s.MdiPictureFilename =
        win::QStringToBig5(Action("LoadPictureMenuItem")->property("Hint").toString());
    const QRect g = win::FrameRect(this);
    s.Left = g.x();
    s.Top = g.y();
    s.Width = g.width();
    s.Height = g.height();

    CollectToolbarSettings();
    s.LineLock = LineLockCheckBox->isChecked();

    s.AnsiCode = Action("AnsiEsc")->isChecked() ? 0 : Action("AnsiCtrl")->isChecked() ? 1 : 2;
    QString ctrl = Action("AnsiCtrl")->text();
    s.AnsiCtrl = ctrl.size() >= 9 ? win::QStringToBig5(ctrl.mid(8, 1)) : std::string("U");

    s.KeyGroup = KeyGroup;
    s.SpeedKeys = SpeedKeys;
    for (int i = 0; i < 12; ++i)
        s.SpeedLabels[i] = win::KeptBig5(SpeedButtons[i]->text(), s.SpeedLabels[i]);

    s.Port = win::QStringToBig5(PortEdit->text());
    s.Hosts.clear();
    for (int i = 0; i < HostNameComboBox->count(); ++i)
        s.Hosts.push_back(win::KeptBig5(HostNameComboBox->itemText(i),
                                        HostNameComboBox->itemData(i).toByteArray().toStdString()));
    // The list colours live in Settings: the colour commands set them there.
}

// One write of the whole file: the file as it is now, every key set, written
// atomically. A failure keeps the old file and shows the message once.
bool TkvMainForm::SaveSettings() {
    try {
        std::string bytes;
        win::ReadWholeFile(SettingsFileName, bytes);
        win::TIniText ini(bytes);
        Settings.Save(ini);
        win::WriteFileAtomic(SettingsFileName, ini.Text());
        return true;
    } catch (const std::exception&) {
        win::ShowWriteErrorOnce(SettingsFileName);
        return false;
    }
}
