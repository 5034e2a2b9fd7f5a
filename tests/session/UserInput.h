// Input as a user gives it, for the window tests: menu items chosen with
// the mouse (the menu opened by a click on the menu bar, or a pop-up by the
// widget's own right click; submenus opened by clicking their items), text
// typed key by key into a box, and the connection bar's host and port typed
// and its Connect button clicked.
#pragma once

#include "dialogs/DirectoryDialog.h"
#include "session/kvMainForm.h"
#include "support/ModalScript.h"

#include <QAction>
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

#include <vector>

namespace sessiontest {

// The menus from `m` down to the one holding `a` (empty when `a` is not
// inside `m`).
inline std::vector<QMenu*> MenuPath(QMenu* m, QAction* a) {
    for (QAction* x : m->actions()) {
        if (x == a) return {m};
        if (QMenu* sub = x->menu()) {
            std::vector<QMenu*> below = MenuPath(sub, a);
            if (!below.empty()) {
                below.insert(below.begin(), m);
                return below;
            }
        }
    }
    return {};
}

// Clicks `a` in the open menu `top`, going down through its submenus first.
// False when `a` is not in it or a menu did not open.
inline bool ClickMenuItem(QMenu* top, QAction* a) {
    if (!top || !a || !QTest::qWaitFor([&] { return top->isVisible(); }, 2000)) return false;
    const std::vector<QMenu*> path = MenuPath(top, a);
    if (path.empty()) return false;
    for (std::size_t i = 1; i < path.size(); ++i) {
        QMenu* parent = path[i - 1];
        QTest::mouseClick(parent, Qt::LeftButton, {},
                          parent->actionGeometry(path[i]->menuAction()).center());
        if (!QTest::qWaitFor([&] { return path[i]->isVisible(); }, 2000)) return false;
    }
    QMenu* holder = path.back();
    const QPoint at = holder->actionGeometry(a).center();
    QTest::mouseMove(holder, at);
    QTest::mouseClick(holder, Qt::LeftButton, {}, at);
    // A disabled item keeps its menus open: the user closes them with Esc.
    for (auto m = path.rbegin(); m != path.rend(); ++m)
        if ((*m)->isVisible()) QTest::keyClick(*m, Qt::Key_Escape);
    return true;
}

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

// Types `text` into `box` key by key (characters beyond Latin-1 as key
// events carrying just their text, as an input method gives them).
inline void TypeText(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x100)
            QTest::keyClick(box, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces the text of `box`: everything in it selected with the keys and
// typed over (a Delete clears it when `text` is empty).
inline void TypeOver(QLineEdit* box, const QString& text) {
    box->setFocus();
    QTest::keyClick(box, Qt::Key_End);
    QTest::keyClick(box, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(box, Qt::Key_Delete);
    TypeText(box, text);
}

// Replaces the text of a spin box: Ctrl+A and the new value typed.
inline void TypeOverSpin(QWidget* spin, const QString& text) {
    spin->setFocus();
    QTest::keyClick(spin, Qt::Key_A, Qt::ControlModifier);
    TypeText(spin, text);
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
            QListWidget* list = book->CheckListBox;
            list->scrollToItem(list->item(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->item(row)).center());
            QTest::mouseClick(book->ConnectHotBitBtn, Qt::LeftButton);
            clicked = true;
        });
    });
    EXPECT_TRUE(ChooseMenuItem(f, f.Action(QStringLiteral("Directory"))));
    EXPECT_TRUE(clicked) << "no row " << alias << " in the address book";
}

} // namespace sessiontest
