// TMagnetic: makes its owner form stick to the screen's edges when it is
// moved there.
//
// The desktop gives no moving rectangle before a move, so the rule runs on
// the form's frame once a move has settled (150 ms without further moves)
// and the form moves there. An assigned OnMoving decides alone. Under
// Wayland no positions are known, and the component does nothing.
#pragma once
#include "controls/core/SnapRule.h"
#include "platform/core/Messages.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

using controls::TMargin;

class TMagnetic : public QObject {
    Q_OBJECT
public:
    using TOnMovingEvent = std::function<void(TMagnetic* sender, QRect& rect)>;

    explicit TMagnetic(QWidget* owner);
    ~TMagnetic() override;

    const TMargin& Margin() const { return FMargin; }
    void SetMargin(const TMargin& m) { FMargin = m; }
    bool AlwaysOnScreen() const { return FAlwaysOnScreen; }
    void SetAlwaysOnScreen(bool v) { FAlwaysOnScreen = v; }
    TOnMovingEvent OnMoving;

    // Runs the rule on the form's frame now (what a settled move does).
    void WMMoving();
    // Whether positions are known here (not under Wayland).
    static bool Supported();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FOwner;
    TMargin FMargin;
    bool FAlwaysOnScreen = false;
    bool FMovingOwner = false;
    win::HWND FTimerWnd = 0;
};
