// Shared set-up of the screen widget tests: an emulator at a fixed size,
// shown and rendered, that records what it sends.
#pragma once
#include "screen/VtEmul.h"

#include <QApplication>
#include <QTest>

#include <string>
#include <vector>

class TRecordingEmul : public TVtEmul, public TKeySendTarget {
public:
    explicit TRecordingEmul(QWidget* parent = nullptr) : TVtEmul(parent) {
        SendTarget = this;
        resize(800, 480);
    }
    int SendStr(std::string_view s) override {
        Sent.emplace_back(s);
        return static_cast<int>(s.size());
    }
    void KeyPress(char& key) override {
        TVtEmul::KeyPress(key);
        Typed.push_back(key);
    }
    // Renders what was written and waits for the links of the view.
    void Render() {
        RedrawScreen();
        QApplication::processEvents();
        QApplication::processEvents();
    }
    // Centre of a view cell.
    QPoint Cell(int col, int row) const { return CellRect(col, row).center(); }

    std::vector<std::string> Sent;
    std::string Typed;
};

// Shows a widget as the active window.
inline bool ShowActive(QWidget& w) {
    w.show();
    QApplication::setActiveWindow(&w);
    return QTest::qWaitForWindowActive(&w);
}
