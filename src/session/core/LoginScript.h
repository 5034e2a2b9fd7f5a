// The login-script language and the anti-idle key string.
//
// A login text is typed into the session from a read position on, in runs:
// each run collects bytes until a wait and sends them in one piece. Marks:
//   ^x    a control byte (x AND 31; "^[" is ESC, "^^" is byte 30); "^" last
//         in the text is itself
//   ~N~   send, then wait N seconds ("~~" is a literal "~")
//   @K@   send, then wait until K shows on the screen ("@@" is a literal "@");
//         K also ends at a CR or the end of the text
// A Big5 lead byte and its follower are one character, so a pair whose second
// byte is "@", "~", "^" or "\" never starts a mark. The first "^M" of a run
// with head-string capture on hands what came before it (the user's ID) to
// the caller.
//
// A wait that cannot end by itself (a zero or missing time, an empty
// keyword) lets the script go on at the next pass of the event loop instead
// of stalling the login.
#pragma once
#include <string>
#include <string_view>

namespace session {

struct TScriptRun {
    enum TWait { wEnd, wTimer, wKeyWord };
    std::string Out;     // the bytes to send, in one piece
    TWait Wait = wEnd;   // what ended the run
    int TimerMs = 0;     // wTimer: the wait (0 = at the next loop pass)
    std::string KeyWord; // wKeyWord: the text to wait for
    int Pos = 1;         // where the next run starts (1-based)
    bool HeadCaptured = false;
    std::string HeadString; // HeadCaptured: the bytes before the first ^M
};

// One run of text from pos (1-based; < 1 reads as 1). headCapture: the
// session still wants its head string.
TScriptRun RunLoginScript(std::string_view text, int pos, bool headCapture);

// A session's login-script state, as the session keeps it.
struct TLoginState {
    std::string LoginScript;
    int ScriptPos = 1;
    int ScriptDone = 0;
    std::string KeyWord;
    int TriggerCnt = 0;
    bool HeadStringEnabled = false;
};

// Runs the script one step on the state: the position moves on, a keyword
// wait arms the trigger with its keyword, the end sets ScriptDone, a
// captured head string turns capture off. The caller sends the run's bytes,
// hands on its head string and starts its timer.
TScriptRun StepLogin(TLoginState& state);

// Value of a hex digit ("0"-"9", "A"-"F", "a"-"f"), -1 for any other.
int HexDigitValue(char c);
// The byte of two hex digits, -1 when either is not one.
int HexByteValue(char high, char low);

// The anti-idle string as bytes: "^[" ESC, "^x" x AND 31 (not last), "\xHH"
// or "\XHH" that byte (two hex digits, either case); anything else, a Big5
// pair whole, stands for itself. Never longer than the text.
std::string DecodeAutoKey(std::string_view text);

} // namespace session
