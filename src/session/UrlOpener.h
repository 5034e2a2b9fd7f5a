// TUrlOpener: opens a web address in the user's browser.
//
// The desktop's opener (xdg-open on PATH) gets the address as its one
// argument; without it, or without an address, the default browser's
// desktop entry (the mimeapps.list default for http links, else for HTML
// files) is run with its field codes replaced. No browser known: nothing
// happens, and Execute says so by returning false. A browser that cannot be
// started raises EUrlOpener.
#pragma once
#include <stdexcept>
#include <string>

class EUrlOpener : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TUrlShowCmd {
    ssHide,
    ssMaximize,
    ssMinimize,
    ssRestore,
    ssShow,
    ssShowDefault,
    ssShowMaximized,
    ssShowMinimized,
    ssShowMinNoActivate,
    ssShowNA,
    ssShowNoActivate,
    ssShowNormal
};

// The window show command a TUrlShowCmd stands for.
int UrlShowCommandValue(TUrlShowCmd cmd);

class TUrlOpener {
public:
    std::string Url;
    // Kept for callers: the browser's window is the browser's business.
    TUrlShowCmd UrlShowCommand = TUrlShowCmd::ssShowNormal;

    // True when an opener or browser was started.
    bool Execute();
};
