#include "controls/core/ButtonMachine.h"

namespace controls {

TButtonMachine* TButtonMachine::TrackedButton = nullptr;

namespace {
constexpr win::UINT_PTR RepeatTimerId = 1;
}

TButtonMachine::TButtonMachine(TButtonHost& host) : FHost(host) {}

TButtonMachine::~TButtonMachine() {
    FLife->Alive = false;
    if (TrackedButton == this) TrackedButton = nullptr;
    if (FRepeatWnd) win::DeallocateHWnd(FRepeatWnd);
}

// ---- Properties ---------------------------------------------------------------

void TButtonMachine::Paint(bool erase) {
    FHost.Redraw(erase);
}

void TButtonMachine::SetDown(bool value) {
    if (FGroupIndex == 0) value = false;
    if (value == FDown) return;
    // A latched button of a radio group is raised only by another one.
    if (FDown && !value && !FAllowAllUp) return;
    FDown = value;
    FState = !FEnabled ? bsDisabled : FDown ? bsExclusive : bsUp;
    Paint();
    if (value) GroupUpdate();
}

void TButtonMachine::SetGroupIndex(int value) {
    if (value == FGroupIndex) return;
    FGroupIndex = value;
    GroupUpdate();
}

void TButtonMachine::SetAllowAllUp(bool value) {
    if (value == FAllowAllUp) return;
    FAllowAllUp = value;
    GroupUpdate();
}

void TButtonMachine::GroupUpdate() {
    if (FGroupIndex == 0) return;
    for (TButtonMachine* other : FHost.Siblings()) {
        if (other == this || other->FGroupIndex != FGroupIndex) continue;
        if (FDown && other->FDown) {
            other->FDown = false;
            other->FState = other->FEnabled ? bsUp : bsDisabled;
            other->Paint();
        }
        other->FAllowAllUp = FAllowAllUp;
    }
}

void TButtonMachine::SetEnabled(bool value) {
    if (value == FEnabled) return;
    FEnabled = value;
    if (!value) {
        FState = bsDisabled;
        if (TrackedButton == this) TrackedButton = nullptr;
        FMouseInControl = false;
        CancelMode();
        FMouseIsDown = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    Paint();
}

void TButtonMachine::SetFlat(bool value) {
    if (value == FFlat) return;
    FFlat = value;
    Paint();
}

void TButtonMachine::SetRepeatDelay(int ms) {
    if (ms >= 0) FRepeatDelay = ms;
}

void TButtonMachine::SetRepeatInterval(int ms) {
    if (ms >= 0) FRepeatInterval = ms;
}

bool TButtonMachine::PressedLook() const {
    return FState == bsExclusive || (FState == bsDown && !(FDropdownCombo && FMenuIsDown));
}

bool TButtonMachine::HitArea(int x, int y) const {
    int right = FWidth;
    if (FDropdownCombo && FUsesDropdown) right -= FArrowWidth + 2;
    return x >= 0 && x < right && y >= 0 && y < FHeight;
}

// ---- Repeat timer -------------------------------------------------------------

void TButtonMachine::StartRepeat(int ms) {
    FRepeatExists = true;
    FRepeatElapse = ms;
    // An interval of 0 keeps the timer off: it would fire on every pass.
    if (ms <= 0) {
        PauseRepeat();
        return;
    }
    if (!FRepeatWnd)
        FRepeatWnd = win::AllocateHWnd([this](win::TMessage& m) {
            if (m.Msg == win::WM_TIMER && m.WParam == RepeatTimerId) RepeatTick();
        });
    win::SetTimer(FRepeatWnd, RepeatTimerId, win::UINT(ms));
    FRepeatRunning = true;
}

void TButtonMachine::PauseRepeat() {
    if (FRepeatRunning && FRepeatWnd) win::KillTimer(FRepeatWnd, RepeatTimerId);
    FRepeatRunning = false;
}

void TButtonMachine::FreeRepeat() {
    PauseRepeat();
    FRepeatExists = false;
}

void TButtonMachine::RepeatTick() {
    if (FRepeatElapse != FRepeatInterval) StartRepeat(FRepeatInterval);
    if (FRepeating && FMouseIsDown && HitArea(FLastX, FLastY))
        Click();
    else
        PauseRepeat();
}

// ---- Hot tracking -------------------------------------------------------------

void TButtonMachine::EnterHot() {
    if (!FEnabled || FMouseInControl) return;
    FMouseInControl = true;
    if (FState == bsUp) FState = bsMouseIn;
    if (FFlat || FNumGlyphs >= 5) Paint(FDown || FNumGlyphs >= 5);
    FHost.MouseEntered();
}

void TButtonMachine::LeaveHot() {
    if (!FEnabled || !FMouseInControl || FMouseIsDown) return;
    FMouseInControl = false;
    if (TrackedButton == this) TrackedButton = nullptr;
    bool stateChanged = false;
    if (FState == bsMouseIn || (FState == bsDown && !FInClick)) {
        const TButtonState next = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
        stateChanged = FState == bsDown;
        FState = next;
    }
    // A raised button with a plain face looks the same hot or not.
    if (stateChanged || FFlat || FNumGlyphs >= 5) Paint(FDown || FNumGlyphs >= 5);
    FHost.MouseExited();
}

void TButtonMachine::ApplicationActivated(bool active) {
    if (active || !TrackedButton || TrackedButton->FShowBorderWhenInactive) return;
    TrackedButton->LeaveHot();
}

void TButtonMachine::MouseMovedElsewhere() {
    if (TrackedButton) TrackedButton->LeaveHot();
}

// ---- Mouse --------------------------------------------------------------------

void TButtonMachine::MouseDown(TMouseButton button, int x, int y) {
    auto life = FLife;
    FLastX = x;
    FLastY = y;
    if (button != TMouseButton::Left || !FEnabled) {
        EnterHot();
        if (life->Alive) FHost.FireMouseDown(button, x, y);
        return;
    }
    EnterHot();
    if (!life->Alive) return;
    FMenuIsDown = FUsesDropdown && (!FDropdownCombo || x >= FWidth - (FArrowWidth + 2));
    if (!FDown) {
        FState = bsDown;
        Paint();
    } else if (FAllowAllUp) {
        Paint();
    }
    if (!FMenuIsDown) FMouseIsDown = true;
    FHost.FireMouseDown(button, x, y);
    if (!life->Alive) return;
    if (FMenuIsDown) {
        Click();
    } else if (FRepeating) {
        Click();
        if (!life->Alive) return;
        StartRepeat(FRepeatDelay);
    }
    if (life->Alive) FMenuIsDown = false;
}

void TButtonMachine::MouseMove(int x, int y, bool overButton) {
    auto life = FLife;
    FHost.FireMouseMove(x, y);
    if (!life->Alive) return;
    if (overButton) {
        HotTrack();
        if (!life->Alive) return;
    }
    if (FMouseIsDown) {
        FLastX = x;
        FLastY = y;
        const bool inside = HitArea(x, y);
        if (inside && FRepeatExists && !FRepeatRunning) StartRepeat(FRepeatElapse);
        const TButtonState next = FDown ? bsExclusive : inside ? bsDown : bsUp;
        if (next != FState) {
            FState = next;
            Paint();
        }
    }
}

void TButtonMachine::HotTrack() {
    if (TrackedButton == this) return;
    if (TrackedButton) TrackedButton->LeaveHot();
    if (FShowBorderWhenInactive || FHost.ApplicationActive()) {
        TrackedButton = this;
        EnterHot();
    }
}

void TButtonMachine::MouseUp(TMouseButton button, int x, int y) {
    auto life = FLife;
    FreeRepeat();
    if (button == TMouseButton::Right && FEnabled) {
        FMouseIsDown = false;
        LeaveHot();
        if (!life->Alive) return;
    }
    FHost.FireMouseUp(button, x, y);
    if (!life->Alive) return;
    if (button == TMouseButton::Left && FMouseIsDown) {
        FMouseIsDown = false;
        if (HitArea(x, y) && !FRepeating)
            Click();
        else
            LeaveHot();
    }
}

void TButtonMachine::CancelMode() {
    FreeRepeat();
    if (FMouseIsDown) {
        FMouseIsDown = false;
        LeaveHot();
    }
}

void TButtonMachine::Click() {
    auto life = FLife;
    if (FRepeating && !FMenuIsDown) {
        FHost.InheritedClick();
        return;
    }
    FInClick = true;
    if (FGroupIndex != 0 && !FMenuIsDown) SetDown(!FDown);
    bool showMenu = FUsesDropdown && (!FDropdownCombo || FMenuIsDown);
    if (FState == bsUp || FState == bsMouseIn) {
        FState = bsDown;
        Paint();
    }
    LeaveHot();
    if (!life->Alive) return;
    if (showMenu) {
        if (!FDropdownCombo) {
            FHost.InheritedClick();
            if (!life->Alive) return;
        }
        FHost.UpdateNow();
        showMenu = FHost.HasMenu();
        bool removeClicks = true;
        FHost.Dropdown(showMenu, removeClicks);
        if (!life->Alive) return;
        if (showMenu && FHost.HasMenu()) {
            FHost.PopupMenu(removeClicks);
            if (!life->Alive) return;
        }
    } else {
        FHost.SetModalResult();
        FHost.InheritedClick();
        if (!life->Alive) return;
    }
    FInClick = false;
    if (FState == bsDown) FState = bsUp;
    Paint();
    LeaveHot();
}

} // namespace controls
