#include "session/core/SessionEvents.h"

namespace session {

TBellAction DecideBell(const TBellInput& in) {
    TBellAction a;
    if (in.BeepKind & kBeepSound) {
        if (!(in.BeepKind & kBeepWave))
            a.Sound = TBellAction::sSystemDefault;
        else
            a.Sound = in.WaveFileSet ? TBellAction::sWave : TBellAction::sMessageBeep;
    }
    if (in.RowState != rsBell) {
        a.StartFlash = in.Flash;
        a.SetBellState = true;
    }
    if (in.FocusWhenBeep) {
        a.BringAppForward = !in.AppActive;
        a.ActivateSession = !in.IsCurrent;
    }
    return a;
}

int RowStateAfterBell(int rowState, bool connected) {
    if (rowState != rsBell) return rowState;
    return connected ? rsConnected : rsIdle;
}

TLinkAction DecideLink(const std::string& text, int kind, int downloadMethod,
                       const std::string& ftpProgram, const std::string& downloadDir) {
    TLinkAction a;
    a.Target = text;
    if (kind == lkMail) {
        a.Kind = TLinkAction::aOpenMail;
        a.Target = "mailto:" + text;
    } else if (kind == lkFtp && downloadMethod == dmClipboard) {
        a.Kind = TLinkAction::aClipboard;
    } else if (kind == lkFtp && downloadMethod == dmFtpProgram) {
        a.Kind = TLinkAction::aStartProgram;
        a.Program = ftpProgram;
        a.Args.push_back(text);
        if (!downloadDir.empty()) {
            std::string dir = downloadDir;
            if (dir.back() != '/') dir.push_back('/');
            a.Args.push_back("local:" + dir);
        }
    } else {
        a.Kind = TLinkAction::aOpenUrl;
    }
    return a;
}

bool ShouldAutoSend(const TAutoSendInput& in) {
    if (in.Terminating || !in.Connected || !in.HeadStringSet || in.LoginWaiting) return false;
    const bool fore =
        in.ForeAutoSendKey && !in.ForeDontAutoSendKey && in.IsCurrent && !in.AppActive;
    const bool back = in.BackAutoSendKey && !in.BackDontAutoSendKey && !in.IsCurrent;
    return fore || back;
}

} // namespace session
