// A form with a top and a bottom dock around a centre widget, and toolbars
// of fixed-size controls, for the dock and toolbar widget tests. Mouse
// events go to the dragged window at the points it maps from global ones,
// as the window's grab would deliver them.
#pragma once
#include "controls/DockTlbr.h"
#include "controls/DockWin.h"

#include <QApplication>
#include <QBoxLayout>
#include <QTest>
#include <QWidget>

#include <memory>

inline void Settle() {
    for (int i = 0; i < 4; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

struct TDockForm {
    std::unique_ptr<QWidget> Form = std::make_unique<QWidget>();
    TDock* Top = nullptr;
    TDock* Bottom = nullptr;
    QWidget* Center = nullptr;

    TDockForm() {
        auto* layout = new QVBoxLayout(Form.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        Top = new TDock(Form.get(), dpTop);
        Center = new QWidget(Form.get());
        Bottom = new TDock(Form.get(), dpBottom);
        layout->addWidget(Top);
        layout->addWidget(Center, 1);
        layout->addWidget(Bottom);
        Form->setGeometry(100, 100, 600, 400);
        Form->show();
        QApplication::setActiveWindow(Form.get());
        (void)QTest::qWaitForWindowExposed(Form.get());
        Settle();
    }
};

// A toolbar with `first` controls, a separator, then `second` controls,
// each 23 by 22 pixels.
inline TToolbar* MakeBar(QWidget* parent, int first = 3, int second = 2, bool separator = true) {
    auto* bar = new TToolbar(parent);
    auto add = [&](int n) {
        for (int i = 0; i < n; ++i) {
            auto* b = new QWidget(bar);
            b->resize(23, 22);
            b->show();
        }
    };
    add(first);
    if (separator) (new TToolbarSep(bar))->show();
    add(second);
    bar->ArrangeControls();
    Settle();
    return bar;
}

// Floats a window with its floating window's top-left at `at`.
inline void FloatAt(TCustomToolWindow* w, QPoint at) {
    w->SetFloatingPosition(at);
    w->SetDockedTo(nullptr);
    Settle();
}

// The middle of a docked window's drag handle, in global coordinates.
inline QPoint HandlePoint(TCustomToolWindow* w) {
    return w->mapToGlobal(QPoint(5, w->height() / 2));
}

// A point on a floating window's caption.
inline QPoint CaptionPoint(TCustomToolWindow* w) {
    return w->mapToGlobal(QPoint(12, controls::DefaultFrameMetrics().FrameY + 5));
}

inline void Press(QWidget* w, QPoint global, Qt::KeyboardModifiers mods = {}) {
    QTest::mousePress(w, Qt::LeftButton, mods, w->mapFromGlobal(global));
}
inline void MoveTo(QWidget* w, QPoint global) {
    QTest::mouseMove(w, w->mapFromGlobal(global));
}
inline void Release(QWidget* w, QPoint global) {
    QTest::mouseRelease(w, Qt::LeftButton, {}, w->mapFromGlobal(global));
}
inline void Drag(TCustomToolWindow* w, QPoint from, QPoint to) {
    Press(w, from);
    MoveTo(w, to);
    Release(w, to);
    Settle();
}
