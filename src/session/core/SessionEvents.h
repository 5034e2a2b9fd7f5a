// The decisions behind a session's events: the bell, the bell-state timer,
// hyperlink clicks and the anti-idle timer. The main window gathers the
// state, asks here and carries the answer out.
#pragma once
#include <string>
#include <vector>

namespace session {

// Session list row states.
enum TRowState { rsIdle = 0, rsConnecting = 1, rsConnected = 2, rsBell = 3 };

// BeepKind bits of the preferences.
inline constexpr int kBeepSound = 2; // make a sound
inline constexpr int kBeepWave = 1;  // the sound is a wave file, not the system beep

struct TBellInput {
    int BeepKind = 0;
    bool WaveFileSet = false; // a wave file is chosen
    bool Flash = false;       // flash the window on a bell
    int RowState = rsConnected;
    bool FocusWhenBeep = false;
    bool AppActive = true;
    bool IsCurrent = true;
};

struct TBellAction {
    enum TSound { sNone, sSystemDefault, sWave, sMessageBeep };
    TSound Sound = sNone;
    bool StartFlash = false;   // restart the flash timer, switch the flasher on
    bool SetBellState = false; // row state := bell, list repainted
    bool BringAppForward = false;
    bool ActivateSession = false; // make it current and move it to the front
};

TBellAction DecideBell(const TBellInput& in);

// The row state once the bell timer fired: the bell state returns to
// connected or idle; any other state stays.
int RowStateAfterBell(int rowState, bool connected);

// Hyperlink kinds as the screen reports them.
enum TLinkKind { lkWeb = 0, lkFtp = 1, lkMail = 2 };
// [Archie] DownloadMethod.
enum TDownloadMethod { dmFtpProgram = 0, dmBrowser = 1, dmClipboard = 2 };

struct TLinkAction {
    enum TKind { aOpenUrl, aOpenMail, aClipboard, aStartProgram };
    TKind Kind = aOpenUrl;
    std::string Target;            // the URL, mail address URL or clipboard text
    std::string Program;           // aStartProgram
    std::vector<std::string> Args; // aStartProgram: one argument each, never a command line
};

// What a click on a link does. The FTP program gets the link and, with a
// download folder, "local:" + the folder with a "/" after it.
TLinkAction DecideLink(const std::string& text, int kind, int downloadMethod,
                       const std::string& ftpProgram, const std::string& downloadDir);

struct TAutoSendInput {
    bool Terminating = false;
    bool Connected = false;
    bool HeadStringSet = false; // the user is logged in
    bool LoginWaiting = false;  // a login script has not finished
    bool ForeAutoSendKey = false, ForeDontAutoSendKey = false;
    bool BackAutoSendKey = false, BackDontAutoSendKey = false;
    bool IsCurrent = false;
    bool AppActive = false;
};

// The anti-idle string goes out now: to a logged-in session, not while its
// login script waits; the current session while the program is in the
// background, any other session in the background state.
bool ShouldAutoSend(const TAutoSendInput& in);

// A login script is still running (its trigger armed, not done).
inline bool LoginScriptWaiting(const std::string& loginScript, int triggerCnt, int scriptDone) {
    return !loginScript.empty() && triggerCnt != 0 && scriptDone == 0;
}

} // namespace session
