// TSysFocus: reads and sets the keyboard focus among this program's own
// windows. The desktop decides which program gets the focus; taking it
// from another program is not possible here.
#pragma once

class QWidget;

class TSysFocus {
public:
    // The focused widget of this program (nullptr when none has it).
    QWidget* GetFocus() const;
    // Gives wnd the focus (activating its window); returns the widget that
    // had it before.
    QWidget* SetFocus(QWidget* wnd);
};
