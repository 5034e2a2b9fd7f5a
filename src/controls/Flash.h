// TFlash: flashes the taskbar entries of the application and of its form
// while enabled, toggling them on every tick of its timer.
#pragma once
#include "platform/core/Messages.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class TFlash : public QObject {
    Q_OBJECT
public:
    using TNotifyFlash = std::function<void(TFlash* sender, bool flashApplication)>;

    // The owner is the form whose entry flashes.
    explicit TFlash(QWidget* owner);
    ~TFlash() override;

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    // Milliseconds between toggles; 0 keeps the timer off, and negative
    // values are ignored.
    unsigned Interval() const { return FInterval; }
    void SetInterval(int ms);
    // A design-time text with no run-time effect.
    QString About;

    TNotifyFlash OnFlash;

private:
    void FlashTimer();
    void StartTimer();
    void StopTimer();

    QPointer<QWidget> FOwner;
    bool FEnabled = false;
    bool FFlashApplication = true;
    unsigned FInterval = 500;
    win::HWND FTimerWnd = 0;
    bool FTimerOn = false;
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};
