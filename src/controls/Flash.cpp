#include "controls/Flash.h"

#include "platform/FlashWindow.h"
#include "platform/QtMessageLoop.h"

namespace {
constexpr win::UINT_PTR FlashTimerId = 1;
}

TFlash::TFlash(QWidget* owner) : QObject(owner), FOwner(owner) {
    win::InstallQtMessageLoop();
}

TFlash::~TFlash() {
    *FAlive = false;
    StopTimer();
    if (FTimerWnd) win::DeallocateHWnd(FTimerWnd);
}

void TFlash::StartTimer() {
    StopTimer();
    if (FInterval == 0) return; // would fire on every pass of the loop
    if (!FTimerWnd)
        FTimerWnd = win::AllocateHWnd([this](win::TMessage& m) {
            if (m.Msg == win::WM_TIMER && m.WParam == FlashTimerId) FlashTimer();
        });
    win::SetTimer(FTimerWnd, FlashTimerId, FInterval);
    FTimerOn = true;
}

void TFlash::StopTimer() {
    if (FTimerOn && FTimerWnd) win::KillTimer(FTimerWnd, FlashTimerId);
    FTimerOn = false;
}

void TFlash::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    if (value) {
        win::FlashWindow(FOwner, true, int(FInterval));
        win::FlashWindow(nullptr, true, int(FInterval));
        StartTimer();
    } else {
        StopTimer();
        win::FlashWindow(nullptr, false);
        win::FlashWindow(FOwner, false);
    }
}

void TFlash::SetInterval(int ms) {
    if (ms < 0 || unsigned(ms) == FInterval) return;
    FInterval = unsigned(ms);
    if (FEnabled) StartTimer();
}

void TFlash::FlashTimer() {
    auto alive = FAlive;
    if (OnFlash) OnFlash(this, FFlashApplication);
    if (!*alive || !FEnabled) return;
    win::FlashWindow(nullptr, FFlashApplication, int(FInterval));
    win::FlashWindow(FOwner, FFlashApplication, int(FInterval));
}
