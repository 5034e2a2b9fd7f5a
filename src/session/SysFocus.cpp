#include "session/SysFocus.h"

#include <QApplication>
#include <QWidget>

QWidget* TSysFocus::GetFocus() const {
    return QApplication::focusWidget();
}

QWidget* TSysFocus::SetFocus(QWidget* wnd) {
    QWidget* before = QApplication::focusWidget();
    if (!wnd) return before;
    if (QWidget* w = wnd->window(); w && !w->isActiveWindow()) w->activateWindow();
    wnd->setFocus(Qt::OtherFocusReason);
    return before;
}
