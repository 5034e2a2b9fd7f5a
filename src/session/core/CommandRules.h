// When a main-window command is enabled: one rule per command, decided from
// the session state in one place, so disabling every session command when
// the last session closes is one pass over the command table.
#pragma once

enum class TCommandRule {
    Always,         // enabled whenever commands are not locked
    HasSession,     // at least one session window is open
    TwoSessions,    // at least two session windows are open (stepping between them)
    CurrentSession, // a current session exists
    AnyConnected,   // at least one session is connected
    CopyCommand,    // a current session exists and copy-on-select is off
};

struct TCommandState {
    int SessionCount = 0;
    bool HasCurrent = false;
    int ConnectCount = 0;
    bool CopyMark = false;
    bool Locked = false; // a long operation runs (EnableCommands(false))
};

constexpr bool CommandEnabled(TCommandRule rule, const TCommandState& s) {
    if (s.Locked) return false;
    switch (rule) {
    case TCommandRule::Always:
        return true;
    case TCommandRule::HasSession:
        return s.SessionCount > 0;
    case TCommandRule::TwoSessions:
        return s.SessionCount > 1;
    case TCommandRule::CurrentSession:
        return s.HasCurrent;
    case TCommandRule::AnyConnected:
        return s.ConnectCount > 0;
    case TCommandRule::CopyCommand:
        return s.HasCurrent && !s.CopyMark;
    }
    return false;
}
