// The main window's program-wide shortcuts as one pure decision: a key-down
// (virtual key and shifts) and a snapshot of the window's state in, what to
// do, the caption of the calling window's accelerator button and whether
// the key is consumed out. The window then carries the action out.
#pragma once
#include <array>
#include <functional>
#include <string>
#include <vector>

namespace session {

// Virtual keys the rules name.
namespace vk {
constexpr int PageUp = 33, PageDown = 34, End = 35, Home = 36;
constexpr int Left = 37, Up = 38, Right = 39, Down = 40, Insert = 45, Delete = 46;
constexpr int Digit0 = 48, Digit9 = 57;
constexpr int Numpad0 = 96, Numpad9 = 105;
constexpr int F1 = 112, F4 = 115, F5 = 116, F12 = 123;
constexpr int Shift = 16, Control = 17, Menu = 18;
constexpr int Semicolon = 186, Comma = 188, Period = 190;
} // namespace vk

enum class TShortcutAction {
    None,
    ClickSpeedButton, // Arg: 0..11
    SelectGroup,      // Arg: 1..5
    SpinUp,
    SpinDown,
    ActivateSession, // Arg: session index (only when not current)
    Beep,            // an Alt+digit for an unused number
    LineEditorLeave, // Alt+A while the line box has the focus
    LineEditorEnter, // Alt+A elsewhere
    ClickControl,    // Control: the button or menu item to click
    FocusControl,    // Control: the box to focus
    StepSession,     // Arg: target tab index
    CloseMain,       // Alt+F4
    SendText,        // Text: the bytes to send to the current session
};

struct TShortcutState {
    int CurrentSession = -1;
    std::vector<int> Numbers;          // each session's number, in tab order
    std::array<bool, 11> NumberUsed{}; // [1..10]
    int ActivationCount = 0;           // entries in the activation order
    bool TerminalFocused = false;      // the current session's screen has the focus
    bool LineBoxFocused = false;
    bool CurrentConnected = false;
    bool Punctuation = true;
    bool ConnectionBarVisible = true;
    bool ShortcutBarVisible = true;
    // Whether a guard control (by name) is enabled; unset means all are.
    std::function<bool(const std::string& control)> Enabled;
};

struct TShortcutResult {
    TShortcutAction Action = TShortcutAction::None;
    int Arg = 0;
    std::string Control; // for ClickControl / FocusControl
    std::string Text;    // for SendText
    bool SetCaption = false;
    std::string Caption; // the accelerator button's caption when SetCaption
    bool Consumed = false;
};

// The rules in their order: F-keys without Shift and Alt press a speed
// button; with Shift only a focused terminal takes the key; every Alt key
// is consumed; Ctrl types full-width punctuation when allowed.
TShortcutResult DecideShortcut(int key, bool shift, bool alt, bool ctrl,
                               const TShortcutState& state);

// Whether an Alt key-down is left to the menu bar before the shortcut rules
// see it: Alt alone (pressed and released it opens the menu bar) and Alt
// with a letter that has no command of its own (a menu's mnemonic). The
// rules still consume the key-down when no menu takes it, so it types
// nothing.
bool AltKeyReachesMenus(int key, bool shift, bool alt, bool ctrl);

} // namespace session
