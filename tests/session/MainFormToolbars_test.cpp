// The main window's toolbars on their docks: the designed layout, the
// saved-order docking, hand-edited [ToolBar] values, the layout written at
// close read back byte for byte, and a toolbar dragged out, closed and
// restarted.
#include "session/kvMainForm.h"

#include "QuietEnvironment.h"

#include "../controls/DockFixture.h"
#include "../support/ScratchFolder.h"

#include "controls/AddOnDock.h"
#include "controls/Bmplbox.h"
#include "controls/DockTlbr.h"
#include "controls/DockWin.h"
#include "controls/Flash.h"
#include "controls/HotBitBtn.h"
#include "controls/LblEffct.h"
#include "controls/Magnetic.h"
#include "platform/core/IniFile.h"

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

namespace {

using testsupport::TScratchFolder;

// Every folder is the scratch folder; nothing asks the user anything.
using TTestEnvironment = sessiontest::TQuietEnvironment;

class MainFormToolbars : public ::testing::Test {
protected:
    TScratchFolder Folder;
    std::unique_ptr<TkvMainForm> Form;

    std::string IniPath() const { return Folder.File("Brannoc.ini"); }
    std::string Ini() const { return TScratchFolder::Read(IniPath()); }
    // A settings file with the offer already answered and these lines.
    void WriteIni(const std::string& toolbarLines) {
        TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\n[ToolBar]\r\n" + toolbarLines);
    }
    void Start() {
        Form = std::make_unique<TkvMainForm>(std::vector<std::string>{},
                                             std::make_unique<TTestEnvironment>(Folder.Path()));
        Form->show();
        QApplication::setActiveWindow(Form.get());
        (void)QTest::qWaitForWindowExposed(Form.get());
        Settle();
    }
    void Stop() {
        if (!Form) return;
        Form->close();
        Form.reset();
        Settle();
    }
    void Restart() {
        Stop();
        Start();
    }
    void TearDown() override { Stop(); }
    int IniInt(const char* key) const {
        return win::TIniFile(IniPath()).ReadInteger("ToolBar", key, INT_MIN);
    }
};

// Within reach: on a dock inside the dock's rectangle, or floating with its
// window overlapping a screen.
void ExpectReachable(TToolbar* bar) {
    SCOPED_TRACE(bar->objectName().toStdString());
    if (bar->Docked()) {
        ASSERT_TRUE(bar->DockedTo());
        EXPECT_GE(bar->x(), 0);
        EXPECT_GE(bar->y(), 0);
        EXPECT_LE(bar->y() + bar->height(), bar->DockedTo()->height());
        return;
    }
    ASSERT_TRUE(bar->FloatingParent());
    const QRect frame = bar->FloatingParent()->frameGeometry();
    bool onScreen = false;
    for (QScreen* s : QGuiApplication::screens())
        onScreen = onScreen || s->availableGeometry().intersects(frame);
    EXPECT_TRUE(onScreen) << frame.x() << "," << frame.y();
}

TEST_F(MainFormToolbars, DesignedLayoutIsTwoRowsOnTopAndTheLineBarBelow) {
    WriteIni("");
    Start();
    TkvMainForm& f = *Form;
    for (TToolbar* bar : f.Toolbars)
        ASSERT_TRUE(bar->Docked()) << bar->objectName().toStdString();
    EXPECT_EQ(f.ConnectionBar->DockedTo(), f.TopDock);
    EXPECT_EQ(f.LineBar->DockedTo(), f.BottomDock);
    EXPECT_EQ(f.ConnectionBar->DockRow(), 0);
    EXPECT_EQ(f.FunctionBar->DockRow(), 0);
    EXPECT_EQ(f.ShortcutBar->DockRow(), 1);
    EXPECT_EQ(f.SpeedBtnBar->DockRow(), 1);
    EXPECT_LT(f.ConnectionBar->x(), f.FunctionBar->x());
    EXPECT_LT(f.ShortcutBar->x(), f.SpeedBtnBar->x());
    EXPECT_GT(f.ShortcutBar->y(), f.ConnectionBar->y());
    EXPECT_EQ(f.TopDock->RowSizes().size(), 2u);
    // The function bar's three separators are toolbar separators.
    EXPECT_EQ(f.FunctionBar->findChildren<TToolbarSep*>().size(), 3);
    EXPECT_EQ(f.LineBar->DockMode, dmCannotFloat);
    // The library's own controls sit on the bars.
    EXPECT_EQ(f.Spin->parentWidget(), f.SpeedBtnBar);
    EXPECT_EQ(f.HostLabelEffect->parentWidget(), f.ConnectionBar);
    EXPECT_EQ(f.HostLabelEffect->FocusControl(), static_cast<QWidget*>(f.HostNameComboBox));
    EXPECT_EQ(f.SendLnHotBitBtn->parentWidget(), f.LineBar);
    // No control of a docked bar pokes out of it.
    for (TToolbar* bar : f.Toolbars)
        for (QWidget* w : bar->OrderList())
            EXPECT_TRUE(bar->rect().contains(w->geometry())) << w->objectName().toStdString();
}

// Rows Connection 0/0, SpeedBtn 1/66, Shortcut 1/0: the second row shows
// Shortcut first although SpeedBtn comes earlier in the fixed order.
TEST_F(MainFormToolbars, SavedRowsAndPositionsDockInOrder) {
    WriteIni("Connection.DockRow=0\r\nConnection.DockPos=0\r\n"
             "SpeedBtn.DockRow=1\r\nSpeedBtn.DockPos=66\r\n"
             "Shortcut.DockRow=1\r\nShortcut.DockPos=0\r\n"
             "Function.DockRow=0\r\nFunction.DockPos=700\r\n");
    Start();
    TkvMainForm& f = *Form;
    EXPECT_EQ(f.ShortcutBar->DockRow(), f.SpeedBtnBar->DockRow());
    EXPECT_LT(f.ShortcutBar->x(), f.SpeedBtnBar->x());
    EXPECT_LT(f.ConnectionBar->x(), f.FunctionBar->x());
    EXPECT_LT(f.ConnectionBar->y(), f.ShortcutBar->y());
}

TEST_F(MainFormToolbars, ClosingWritesALayoutThatReadsBackToTheSameBytes) {
    WriteIni("Function.Dock=0\r\nFunction.Left=150\r\nFunction.Top=200\r\n"
             "Function.FloatingWidth=120\r\nShortcut.Dock=2\r\n");
    Start();
    ASSERT_FALSE(Form->FunctionBar->Docked());
    // Hidden for the desktop shot at the first show, and shown again.
    EXPECT_TRUE(Form->FunctionBar->Visible());
    EXPECT_TRUE(Form->FunctionBar->FloatingParent()->isVisible());
    EXPECT_EQ(Form->FunctionBar->FloatingPosition(), QPoint(150, 200));
    EXPECT_EQ(Form->FunctionBar->FloatingRightX(), 120);
    // Narrow enough to wrap: more than one row with lines between them.
    EXPECT_FALSE(Form->FunctionBar->WrapLines().empty());
    EXPECT_EQ(Form->ShortcutBar->DockedTo(), Form->BottomDock);
    Stop();
    const std::string first = Ini();
    EXPECT_EQ(IniInt("Function.Dock"), 0);
    EXPECT_EQ(IniInt("Function.Left"), 150);
    EXPECT_EQ(IniInt("Function.Top"), 200);
    EXPECT_EQ(IniInt("Function.FloatingWidth"), 120);
    EXPECT_EQ(IniInt("Shortcut.Dock"), 2);
    EXPECT_EQ(IniInt("Line.Dock"), 2);
    Start();
    Stop();
    EXPECT_EQ(Ini(), first);
}

TEST_F(MainFormToolbars, HandEditedValuesLeaveEveryToolbarReachable) {
    WriteIni("Connection.DockRow=-3\r\nConnection.DockPos=-40\r\n"
             "Function.DockRow=5000\r\nFunction.DockPos=90000\r\n"
             "Shortcut.DockRow=2147483647\r\nShortcut.DockPos=2147483647\r\n"
             "SpeedBtn.Dock=7\r\nSpeedBtn.Left=-100000\r\nSpeedBtn.Top=2147483647\r\n"
             "SpeedBtn.FloatingWidth=-5\r\n"
             "Line.Dock=0\r\nLine.Left=5000\r\nLine.Top=5000\r\nLine.FloatingWidth=100000\r\n");
    Start();
    TkvMainForm& f = *Form;
    for (TToolbar* bar : f.Toolbars)
        ExpectReachable(bar);
    // The line bar cannot float: read as floating it goes to its own dock.
    EXPECT_EQ(f.LineBar->DockedTo(), f.BottomDock);
    EXPECT_FALSE(f.SpeedBtnBar->Docked());
    EXPECT_GE(f.SpeedBtnBar->FloatingRightX(), 0);
    // Rows in use are renumbered densely from 0 (the floating speed-button
    // bar keeps its row on the dock it last sat on).
    EXPECT_EQ(f.ConnectionBar->DockRow(), 0);
    EXPECT_LE(f.TopDock->RowSizes().size(), 4u);
    for (TToolbar* bar : {f.ConnectionBar, f.FunctionBar, f.ShortcutBar})
        EXPECT_LT(std::size_t(bar->DockRow()), f.TopDock->RowSizes().size());
    EXPECT_GT(f.ShortcutBar->DockRow(), f.FunctionBar->DockRow());
    Stop();
    // What closing wrote is a sound layout that stays put.
    const std::string first = Ini();
    EXPECT_EQ(IniInt("Line.Dock"), 2);
    EXPECT_GE(IniInt("Connection.DockPos"), 0);
    EXPECT_LT(IniInt("Shortcut.DockRow"), 4);
    Start();
    for (TToolbar* bar : Form->Toolbars)
        ExpectReachable(bar);
    Stop();
    EXPECT_EQ(Ini(), first);
}

TEST_F(MainFormToolbars, AToolbarDraggedOutFloatsAndIsThereAfterARestart) {
    WriteIni("");
    Start();
    TToolbar* bar = Form->FunctionBar;
    const QPoint middle = Form->MdiArea->mapToGlobal(Form->MdiArea->rect().center());
    Drag(bar, HandlePoint(bar), middle);
    ASSERT_FALSE(bar->Docked());
    const QPoint floatedAt = bar->FloatingPosition();
    EXPECT_EQ(bar->FloatingParent()->pos(), floatedAt);
    // Its dock row is gone with it: the connection bar is alone in row 0.
    EXPECT_EQ(Form->TopDock->RowSizes().size(), 2u);
    Restart();
    bar = Form->FunctionBar;
    ASSERT_FALSE(bar->Docked());
    EXPECT_EQ(bar->FloatingPosition(), floatedAt);
    EXPECT_EQ(bar->FloatingParent()->pos(), floatedAt);

    // Dropped on the bottom dock by its caption it docks there, keeps its
    // last floating place for the file, and stays there after a restart.
    Drag(bar, CaptionPoint(bar), Form->BottomDock->mapToGlobal(QPoint(200, 2)));
    ASSERT_EQ(bar->DockedTo(), Form->BottomDock);
    Restart();
    EXPECT_EQ(Form->FunctionBar->DockedTo(), Form->BottomDock);
    EXPECT_EQ(IniInt("Function.Left"), floatedAt.x());
    EXPECT_EQ(IniInt("Function.Top"), floatedAt.y());
}

TEST_F(MainFormToolbars, TheLineBarCannotBeDraggedOffItsDocks) {
    WriteIni("");
    Start();
    TToolbar* bar = Form->LineBar;
    const QPoint middle = Form->MdiArea->mapToGlobal(Form->MdiArea->rect().center());
    Drag(bar, HandlePoint(bar), middle);
    EXPECT_TRUE(bar->Docked());
}

TEST_F(MainFormToolbars, ClosingAFloatingToolbarClearsItsViewMark) {
    WriteIni("Shortcut.Dock=0\r\nShortcut.Left=300\r\nShortcut.Top=300\r\n");
    Start();
    TToolbar* bar = Form->ShortcutBar;
    ASSERT_FALSE(bar->Docked());
    QAction* item = Form->Action(QStringLiteral("ShortcutToolBar"));
    ASSERT_TRUE(item->isChecked());
    const QRect c = ToQRect(controls::FloatingCloseButton({bar->width(), bar->height()},
                                                          controls::DefaultFrameMetrics(), true));
    Press(bar, bar->mapToGlobal(c.center()));
    Release(bar, bar->mapToGlobal(c.center()));
    Settle();
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(bar->Visible());
    Stop();
    EXPECT_FALSE(win::TIniFile(IniPath()).ReadBool("ToolBar", "Shortcut", true));
}

} // namespace

TEST_F(MainFormToolbars, ATinyWindowAndToolbarsWithEveryControlHiddenStillCloseSoundly) {
    WriteIni("Shortcut.Dock=0\r\nShortcut.Left=100\r\nShortcut.Top=100\r\n");
    Start();
    for (TToolbar* bar : {Form->ShortcutBar, Form->FunctionBar})
        for (QWidget* w : bar->OrderList())
            w->hide();
    Form->setMinimumSize(0, 0);
    Form->resize(1, 1);
    Settle();
    for (TToolbar* bar : Form->Toolbars)
        ExpectReachable(bar);
    // An empty floating bar keeps a frame one can still grab.
    EXPECT_GT(Form->ShortcutBar->FloatingParent()->width(), 0);
    EXPECT_GT(Form->ShortcutBar->FloatingParent()->height(), 0);
    Stop();
    EXPECT_EQ(IniInt("Shortcut.Dock"), 0);
    EXPECT_EQ(IniInt("Shortcut.Left"), 100);
    EXPECT_EQ(IniInt("Function.Dock"), 1);
    // Read back and written again, the toolbar keys stay as they were.
    const char* const keys[] = {"Shortcut.Dock",    "Shortcut.Left",    "Shortcut.Top",
                                "Function.DockRow", "Function.DockPos", "Connection.DockPos"};
    std::vector<int> before;
    for (const char* key : keys)
        before.push_back(IniInt(key));
    Start();
    for (TToolbar* bar : Form->Toolbars)
        ExpectReachable(bar);
    Stop();
    for (std::size_t i = 0; i < std::size(keys); ++i)
        EXPECT_EQ(IniInt(keys[i]), before[i]) << keys[i];
}

// The form's small components from the control library.
TEST_F(MainFormToolbars, SessionListFlasherAndMagnetAreTheLibrarysComponents) {
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nMagnetic=1\r\n");
    Start();
    auto* list = qobject_cast<TBmpListBox*>(Form->BmpListBox);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->BmpItemWidth(), 12);
    EXPECT_EQ(list->BitmapStrip().width(), 4 * 12);
    ASSERT_TRUE(Form->Magnetic);
    EXPECT_TRUE(Form->Magnetic->Margin().Enabled);
    Form->SetMagneticOn(false);
    EXPECT_FALSE(Form->Magnetic->Margin().Enabled);
    ASSERT_TRUE(Form->Flash);
    EXPECT_FALSE(Form->Flash->Enabled());
    Form->Flash->SetEnabled(true);
    ASSERT_TRUE(Form->OnBeepFlashEnd);
    Form->OnBeepFlashEnd();
    EXPECT_FALSE(Form->Flash->Enabled());
    Stop();
    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nMagnetic=0\r\n");
    Start();
    EXPECT_FALSE(Form->Magnetic->Margin().Enabled);
}

// The command buttons are pictures with their Alt letter beside them and
// the command's name as their hint; with [Windows] Caption on the letter
// leaves the face for the hint and the picture stands alone, and showing the
// captions again puts it back. The speed-key button's face also carries
// its group's digit.
TEST_F(MainFormToolbars, CaptionSettingMovesTheButtonLettersIntoTheirHints) {
    Start();
    auto* conn = Form->findChild<QToolButton*>(QStringLiteral("ConnectSpeedBtn"));
    auto* copy = Form->findChild<QToolButton*>(QStringLiteral("CopySpeedBtn"));
    auto* keys = Form->findChild<QToolButton*>(QStringLiteral("EditSpeedBtn"));
    ASSERT_TRUE(conn && copy && keys);
    EXPECT_EQ(conn->text(), QStringLiteral("C"));
    EXPECT_EQ(copy->text(), QStringLiteral("Y")); // the button's own Alt letter
    EXPECT_EQ(keys->text(), QStringLiteral("B1"));
    EXPECT_EQ(conn->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_FALSE(conn->icon().isNull());
    EXPECT_EQ(conn->toolTip(), QString::fromUtf8("連線"));
    EXPECT_EQ(keys->toolTip(), QString::fromUtf8("快速鍵 1"));
    Stop();

    TScratchFolder::Write(IniPath(), "[Windows]\r\nAsk=1\r\nCaption=1\r\n");
    Start();
    conn = Form->findChild<QToolButton*>(QStringLiteral("ConnectSpeedBtn"));
    auto* prefs = Form->findChild<QToolButton*>(QStringLiteral("PreferenceSpeedBtn"));
    keys = Form->findChild<QToolButton*>(QStringLiteral("EditSpeedBtn"));
    ASSERT_TRUE(conn && prefs && keys);
    EXPECT_EQ(conn->text(), QString());
    EXPECT_EQ(conn->toolButtonStyle(), Qt::ToolButtonIconOnly);
    EXPECT_EQ(conn->toolTip(), QString::fromUtf8("連線(Alt + C)"));
    EXPECT_TRUE(prefs->toolTip().endsWith(QStringLiteral("(Alt + O)")));
    // The digit of the speed-key group stays on the face, and follows the
    // group when it changes.
    EXPECT_EQ(keys->text(), QStringLiteral("1"));
    EXPECT_EQ(keys->toolTip(), QString::fromUtf8("快速鍵 1(Alt + B)"));
    QTest::mouseClick(Form->Spin->UpButton(), Qt::LeftButton);
    EXPECT_EQ(keys->text(), QString::number(Form->KeyGroup));
    EXPECT_NE(Form->KeyGroup, 1);
    const QString speedKey = Form->SpeedButtons[0]->toolTip();

    Form->HideButtonCaptions(); // twice hidden is still hidden once
    EXPECT_EQ(conn->toolTip(), QString::fromUtf8("連線(Alt + C)"));
    Form->ShowButtonCaptions();
    EXPECT_EQ(conn->text(), QStringLiteral("C"));
    EXPECT_EQ(conn->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    EXPECT_EQ(conn->toolTip(), QString::fromUtf8("連線"));
    EXPECT_EQ(keys->text(), QStringLiteral("B") + QString::number(Form->KeyGroup));
    EXPECT_FALSE(prefs->toolTip().contains(QStringLiteral("(Alt + ")));
    EXPECT_EQ(Form->SpeedButtons[0]->toolTip(), speedKey);
    // The buttons still run and follow their commands.
    EXPECT_EQ(conn->isEnabled(), Form->Action(QStringLiteral("Connect"))->isEnabled());
}

// Every command button and the line bar's send buttons have a picture, and
// the designed toolbars fit a 1280-pixel-wide window: the connection and
// function bars side by side on the first row, every button whole.
TEST_F(MainFormToolbars, EveryButtonHasAPictureAndTheDesignedBarsFit1280Pixels) {
    WriteIni("");
    Start();
    TkvMainForm& f = *Form;
    std::vector<QToolButton*> buttons;
    for (QToolButton* b : f.findChildren<QToolButton*>())
        if (b->property("Tag") == QVariant(-1)) buttons.push_back(b);
    EXPECT_EQ(buttons.size(), 14u);
    for (QToolButton* b : buttons)
        EXPECT_FALSE(b->icon().pixmap(16, 16).isNull()) << b->objectName().toStdString();
    for (THotBitBtn* b : {f.SendHotBitBtn, f.SendLnHotBitBtn}) {
        EXPECT_FALSE(b->Glyph().isNull()) << b->objectName().toStdString();
        // The picture and the caption both fit on the face.
        EXPECT_GE(b->width(), b->Glyph().width() + b->fontMetrics().horizontalAdvance(b->text()))
            << b->objectName().toStdString();
    }

    f.showNormal();
    f.resize(1280, 1024);
    Settle();
    ASSERT_EQ(f.width(), 1280);
    EXPECT_EQ(f.TopDock->RowSizes().size(), 2u);
    EXPECT_EQ(f.FunctionBar->DockRow(), f.ConnectionBar->DockRow());
    EXPECT_LE(f.FunctionBar->geometry().right(), f.TopDock->width() - 1)
        << "function bar ends at " << f.FunctionBar->geometry().right();
    for (TToolbar* bar : {f.ConnectionBar, f.FunctionBar, f.SpeedBtnBar, f.ShortcutBar})
        for (QWidget* w : bar->OrderList()) {
            const QRect inDock(bar->mapTo(f.TopDock, w->pos()), w->size());
            EXPECT_TRUE(f.TopDock->rect().contains(inDock)) << w->objectName().toStdString();
        }
}

// The session list's colour commands: the chosen colour becomes the list's
// background or text colour and is written at close; a cancelled dialog
// changes nothing.
TEST_F(MainFormToolbars, SessionListColourCommandsSetTheListColoursAndKeepThem) {
    Start();
    auto answer = [](const QColor& c, bool ok) {
        QTimer::singleShot(0, [c, ok] {
            auto* cd = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(cd);
            cd->setCurrentColor(c);
            if (ok)
                cd->accept();
            else
                cd->reject();
        });
    };
    answer(QColor(10, 20, 30), true);
    Form->Action(QStringLiteral("CLFormBackColor"))->trigger();
    EXPECT_EQ(Form->BmpListBox->palette().color(QPalette::Base), QColor(10, 20, 30));
    answer(QColor(200, 100, 50), true);
    Form->Action(QStringLiteral("CLFormFontColor"))->trigger();
    EXPECT_EQ(Form->BmpListBox->palette().color(QPalette::Text), QColor(200, 100, 50));
    answer(QColor(1, 2, 3), false);
    Form->Action(QStringLiteral("CLFormBackColor"))->trigger();
    EXPECT_EQ(Form->BmpListBox->palette().color(QPalette::Base), QColor(10, 20, 30));
    Stop();
    win::TIniFile ini(IniPath());
    EXPECT_EQ(ini.ReadInteger("Windows", "BmpListBox.Color", -1), 30 << 16 | 20 << 8 | 10);
    EXPECT_EQ(ini.ReadInteger("Windows", "BmpListBox.FontColor", -1), 50 << 16 | 100 << 8 | 200);
    Start();
    EXPECT_EQ(Form->BmpListBox->palette().color(QPalette::Text), QColor(200, 100, 50));
}
