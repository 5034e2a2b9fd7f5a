// What the toolbar family shares: the process's hook registry (many tool
// windows and buttons behind one application event filter), the list sort,
// and whether the application is active.
//
// The four kinds come from Qt as follows: activate-app is the application's
// state change, or the program coming to have an active window or none
// (WParam 1 active, 0 not; Wnd the active window or null);
// window-pos-changed is a top-level widget shown, hidden, minimised or
// restored (LParam SWP_SHOWWINDOW, SWP_HIDEWINDOW or SWP_FRAMECHANGED);
// destroy-window is a top-level widget's destruction (Wnd only to compare);
// mouse-move is any mouse move over a widget (Wnd the widget, WParam the
// MK_ button flags, LParam the widget-relative point, x low, y high word).
// The filter exists while any hook is installed and never eats an event.
#pragma once
#include "controls/core/HookRegistry.h"
#include "controls/core/ListSort.h"

using controls::HookKinds;
using controls::THookKind;
using controls::THookKinds;
using controls::THookProc;

// Mouse button flags of a mouse-move notification (WParam).
constexpr win::WPARAM MK_LBUTTON = 0x0001;
constexpr win::WPARAM MK_RBUTTON = 0x0002;
constexpr win::WPARAM MK_SHIFT = 0x0004;
constexpr win::WPARAM MK_CONTROL = 0x0008;
constexpr win::WPARAM MK_MBUTTON = 0x0010;

// The registry of the user-interface thread (tests read its counts).
controls::THookRegistry& HookRegistry();

// Registers proc for kinds; with onlyIncrementCount no hook is counted or
// installed (a control being designed).
void InstallHookProc(THookProc proc, THookKinds kinds, bool onlyIncrementCount = false);
void UninstallHookProc(THookProc proc);

// True while the application has an active window.
bool ApplicationIsActive();

// The toolbar loops need global pointer positions, which native Wayland
// withholds. When the user named no platform (no -platform argument, no
// QT_QPA_PLATFORM) and an X display is reachable (DISPLAY, e.g. XWayland),
// the program runs on X11. Call before the application object exists.
void PreferX11Platform(int argc, char** argv);
