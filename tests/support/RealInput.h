// Input as a user gives it, for widget tests: menu items clicked (submenus
// opened by clicking their items), text typed key by key, tabs, list rows
// and their check boxes clicked, and a dialog's own OK or Cancel button
// clicked.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <vector>

namespace testsupport {

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

// Clicks the tab of page `index`.
inline void ClickTab(QTabWidget* pages, int index) {
    QTabBar* bar = pages->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// Opens the drop-down list of `combo` with a click and clicks its item
// `index`; false when the list did not open.
inline bool ChooseComboItem(QComboBox* combo, int index) {
    QTest::mouseClick(combo, Qt::LeftButton);
    QAbstractItemView* view = combo->view();
    if (!QTest::qWaitFor([&] { return view->isVisible(); }, 2000)) return false;
    const QModelIndex item = combo->model()->index(index, combo->modelColumn());
    view->scrollTo(item);
    const QPoint at = view->visualRect(item).center();
    QTest::mouseMove(view->viewport(), at);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    return QTest::qWaitFor([&] { return !view->isVisible(); }, 2000);
}

// Clicks list row `row` (scrolled into view first, as a user scrolls to it).
inline void ClickRow(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
}

// Clicks the check box drawn in list row `row`.
inline void ClickRowCheck(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    list->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(list->viewport());
    option.rect = list->visualItemRect(item);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    option.checkState = item->checkState();
    option.text = item->text();
    option.font = list->font();
    const QRect box =
        list->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
}

// A point of `w` that no child covers (its centre when there is none), for
// a click on the widget itself.
inline QPoint EmptySpot(QWidget* w) {
    for (int y = 2; y < w->height() - 2; y += 3)
        for (int x = 2; x < w->width() - 2; x += 3)
            if (!w->childAt(x, y)) return {x, y};
    return w->rect().center();
}

// Opens the pop-up menu of `w` at `at` as a right click there does: the
// widget gets the context-menu event of that place (QTest's mouse events
// go to the widget alone, without the one the window system adds).
inline void RightClickMenu(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::RightButton, {}, at);
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
}

// The button of a dialog that answers it with `role` (AcceptRole: OK or
// Yes; RejectRole: Cancel or No): a message box's own, a button box's, or
// the button named "OKBtn" / "CancelBtn".
inline QAbstractButton* AnswerButton(QDialog* d, QDialogButtonBox::ButtonRole role) {
    const bool accept = role == QDialogButtonBox::AcceptRole;
    if (auto* box = qobject_cast<QMessageBox*>(d)) {
        for (QMessageBox::StandardButton b :
             accept ? std::vector{QMessageBox::Ok, QMessageBox::Yes}
                    : std::vector{QMessageBox::Cancel, QMessageBox::No})
            if (QAbstractButton* found = box->button(b)) return found;
        return accept ? box->defaultButton() : box->escapeButton();
    }
    if (auto* named = d->findChild<QAbstractButton*>(accept ? "OKBtn" : "CancelBtn"))
        return named;
    for (auto* buttons : d->findChildren<QDialogButtonBox*>())
        for (QAbstractButton* b : buttons->buttons())
            if (buttons->buttonRole(b) == (accept ? QDialogButtonBox::AcceptRole
                                                  : QDialogButtonBox::RejectRole))
                return b;
    return nullptr;
}

// Clicks the dialog's OK (or Cancel) button; false when it has none in view.
inline bool ClickAnswer(QDialog* d, bool ok) {
    QAbstractButton* b =
        AnswerButton(d, ok ? QDialogButtonBox::AcceptRole : QDialogButtonBox::RejectRole);
    if (!b || !b->isVisible() || !b->isEnabled()) return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

} // namespace testsupport
