// The behaviour of a flat toolbar button, without a widget: its state byte,
// radio groups, hot tracking, auto-repeat, clicks and dropdowns.
//
// The widget feeds mouse events in and answers through TButtonHost: it
// redraws, fires the published events, finds the group's other buttons and
// pops the menu. Any call out to the host may run user code that deletes
// the button; the machine notices and touches nothing of itself afterwards.
#pragma once
#include "platform/core/Messages.h"

#include <memory>
#include <vector>

namespace controls {

enum TButtonState : std::uint8_t { bsUp, bsDisabled, bsDown, bsExclusive, bsMouseIn };

enum class TMouseButton : std::uint8_t { Left, Right, Middle };

class TButtonMachine;

class TButtonHost {
public:
    virtual ~TButtonHost() = default;
    virtual void Redraw(bool erase) = 0;
    // Paints at once (before a menu opens).
    virtual void UpdateNow() {}
    // The plain click: ModalResult to the form is separate (SetModalResult).
    virtual void InheritedClick() = 0;
    virtual void SetModalResult() {}
    virtual void MouseEntered() {}
    virtual void MouseExited() {}
    virtual void FireMouseDown(TMouseButton, int /*x*/, int /*y*/) {}
    virtual void FireMouseUp(TMouseButton, int /*x*/, int /*y*/) {}
    virtual void FireMouseMove(int /*x*/, int /*y*/) {}
    // Whether the application is active (hot tracking waits for it).
    virtual bool ApplicationActive() { return true; }
    // The other buttons of the same parent.
    virtual std::vector<TButtonMachine*> Siblings() { return {}; }
    virtual bool HasMenu() { return false; }
    // Fires OnDropdown with the two flags it may change.
    virtual void Dropdown(bool& /*showMenu*/, bool& /*removeClicks*/) {}
    // Shows the menu and returns once it has closed.
    virtual void PopupMenu(bool /*removeClicks*/) {}
};

class TButtonMachine {
public:
    explicit TButtonMachine(TButtonHost& host);
    ~TButtonMachine();
    TButtonMachine(const TButtonMachine&) = delete;
    TButtonMachine& operator=(const TButtonMachine&) = delete;

    // ---- Properties (each stores and redraws only on change) ----
    bool Down() const { return FDown; }
    void SetDown(bool value);
    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool Flat() const { return FFlat; }
    void SetFlat(bool value);
    bool Repeating() const { return FRepeating; }
    void SetRepeating(bool value) { FRepeating = value; }
    int RepeatDelay() const { return FRepeatDelay; }
    void SetRepeatDelay(int ms); // negative values are ignored; 0 = no repeats
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int ms);
    bool ShowBorderWhenInactive() const { return FShowBorderWhenInactive; }
    void SetShowBorderWhenInactive(bool value) { FShowBorderWhenInactive = value; }
    // A menu assigned or DropdownAlways (the widget keeps it current).
    bool UsesDropdown() const { return FUsesDropdown; }
    void SetUsesDropdown(bool value) { FUsesDropdown = value; }
    bool DropdownCombo() const { return FDropdownCombo; }
    void SetDropdownCombo(bool value) { FDropdownCombo = value; }
    int DropdownArrowWidth() const { return FArrowWidth; }
    void SetDropdownArrowWidth(int value) { FArrowWidth = value < 7 ? 7 : value; }
    int NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(int value) { FNumGlyphs = value; }
    void SetSize(int width, int height) {
        FWidth = width;
        FHeight = height;
    }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }

    // ---- State read by painting and tests ----
    TButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    bool MouseIsDown() const { return FMouseIsDown; }
    bool MenuIsDown() const { return FMenuIsDown; }
    bool InClick() const { return FInClick; }
    // A repeat timer exists (from a repeating press until the release) and
    // whether it runs (it pauses while the held mouse is off the button).
    bool RepeatTimerExists() const { return FRepeatExists; }
    bool RepeatTimerRunning() const { return FRepeatRunning; }
    // The pressed face: latched, or held down but not on a combo's arrow.
    bool PressedLook() const;
    // Inside the part of the button that clicks (a combo's arrow excluded).
    bool HitArea(int x, int y) const;

    // ---- Events from the widget ----
    void MouseDown(TMouseButton button, int x, int y);
    void MouseMove(int x, int y, bool overButton);
    void MouseUp(TMouseButton button, int x, int y);
    // The mouse came over the button: it becomes the tracked, hot one.
    void HotTrack();
    // The mouse left the button.
    void MouseLeft() { LeaveHot(); }
    // A modal interruption (disabled, hidden, a popup opening).
    void CancelMode();
    void Click();

    // ---- The shared hot tracking (one button at a time) ----
    static TButtonMachine* Tracked() { return TrackedButton; }
    // The application lost (false) or gained the activation.
    static void ApplicationActivated(bool active);
    // The mouse moved over another window than the tracked button's.
    static void MouseMovedElsewhere();

private:
    void EnterHot();
    void LeaveHot();
    void GroupUpdate();
    void RepeatTick();
    void StartRepeat(int ms);
    void PauseRepeat();
    void FreeRepeat();
    void Paint(bool erase = false);
    // True while this machine still exists (the host may delete it).
    struct TLife {
        bool Alive = true;
    };
    std::shared_ptr<TLife> FLife = std::make_shared<TLife>();

    TButtonHost& FHost;
    TButtonState FState = bsUp;
    bool FDown = false, FAllowAllUp = false, FEnabled = true, FFlat = true;
    bool FRepeating = false, FShowBorderWhenInactive = false;
    bool FUsesDropdown = false, FDropdownCombo = false;
    int FGroupIndex = 0, FRepeatDelay = 400, FRepeatInterval = 100, FArrowWidth = 9;
    int FNumGlyphs = 1, FWidth = 23, FHeight = 22;
    bool FMouseInControl = false, FMouseIsDown = false, FMenuIsDown = false, FInClick = false;
    int FLastX = -1, FLastY = -1; // where the held mouse was last seen
    win::HWND FRepeatWnd = 0;
    bool FRepeatExists = false, FRepeatRunning = false;
    int FRepeatElapse = 0; // the interval the timer runs at

    static TButtonMachine* TrackedButton;
};

} // namespace controls
