// Input as a user gives it, for the window tests: menu items chosen with
// the mouse (the menu opened by a click on the menu bar, or a pop-up by the
// widget's own right click; submenus opened by clicking their items), text
// typed key by key into a box, and the connection bar's host and port typed
// and its Connect button clicked.
#pragma once

#include "dialogs/DirectoryDialog.h"
#include "dialogs/PreferenceDialog.h"
#include "session/kvMainForm.h"
#include "support/ModalScript.h"
#include "support/RealInput.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace sessiontest {

using testsupport::ClickMenuItem;
using testsupport::MenuPath;
using testsupport::TypeOver;
using testsupport::TypeOverSpin;
using testsupport::TypeText;

// Chooses `a` from the window's menu bar: its menu clicked open, then the
// item. False when no menu of the bar holds `a` or a menu did not open.
inline bool ChooseMenuItem(QMainWindow& w, QAction* a) {
    QMenuBar* bar = w.menuBar();
    for (QAction* top : bar->actions()) {
        QMenu* m = top->menu();
        if (!m || MenuPath(m, a).empty()) continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        return ClickMenuItem(m, a);
    }
    return false;
}

// Opens `menu` by a right click on `on` at `at` (the widget's own
// context-menu handling) and clicks `a` in it.
inline bool ChoosePopupItem(QWidget* on, QPoint at, QMenu* menu, QAction* a) {
    QTest::mouseClick(on, Qt::RightButton, {}, at);
    return ClickMenuItem(menu, a);
}

// Types the host and the port into the connection bar and clicks Connect.
inline void TypeAndConnect(TkvMainForm& f, const QString& host, const QString& port) {
    TypeOver(f.HostNameComboBox->lineEdit(), host);
    TypeOver(f.PortEdit, port);
    QToolButton* connect = f.findChild<QToolButton*>(QStringLiteral("ConnectSpeedBtn"));
    if (!connect || !connect->isVisible()) {
        ADD_FAILURE() << "no Connect button in view";
        return;
    }
    QTest::mouseClick(connect, Qt::LeftButton);
}

// Opens the address book from the menu bar, clicks the site's row and the
// book's Connect button. `modals` answers the book (and, after it, any
// question the connect asks in the order given: the clicks come once the
// answer has returned, so that the script can answer again).
inline void ConnectFromBook(TkvMainForm& f, testsupport::TModalScript& modals,
                            const std::string& alias) {
    bool clicked = false;
    modals.Then([&](QDialog* d) {
        auto* book = dynamic_cast<TDirectoryDlg*>(d);
        const int row = book ? book->IndexOfSite(alias) : -1;
        if (row < 0) {
            d->reject();
            return;
        }
        QTimer::singleShot(0, book, [book, row, &clicked] {
            testsupport::ClickRow(book->CheckListBox, row);
            QTest::mouseClick(book->ConnectHotBitBtn, Qt::LeftButton);
            clicked = true;
        });
    });
    EXPECT_TRUE(ChooseMenuItem(f, f.Action(QStringLiteral("Directory"))));
    EXPECT_TRUE(clicked) << "no row " << alias << " in the address book";
}

// Chooses the preferences command from the menu bar; `edit` works the
// dialog's controls, then its OK (or Cancel) button is clicked. The first
// `questions` message boxes the controls raise are answered OK.
inline void ChoosePreferences(TkvMainForm& f, std::function<void(TPreferenceDlg&)> edit,
                              bool ok = true, int questions = 0) {
    testsupport::TModalScript modals;
    modals.Then([&](QDialog* d) {
        auto* dlg = dynamic_cast<TPreferenceDlg*>(d);
        if (!dlg) {
            ADD_FAILURE() << "not the preferences: " << d->windowTitle().toStdString();
            d->reject();
            return;
        }
        for (int i = 0; i < questions; ++i)
            modals.Ok();
        // The input comes once the script's answer has returned, so that
        // the script can answer the questions it raises.
        QTimer::singleShot(0, dlg, [&, dlg] {
            edit(*dlg);
            testsupport::TModalScript::Answer(dlg, ok);
        });
    });
    EXPECT_TRUE(ChooseMenuItem(f, f.Action(QStringLiteral("SetPreference"))));
}

} // namespace sessiontest
