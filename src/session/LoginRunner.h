// The login script and the anti-idle string on a live session.
//
// The keyword event fires inside a screen write (render guard held, inside a
// socket read), so a script step there only moves the script on, arms the
// next keyword or the script timer and queues its bytes; the queue goes out
// from the next pass of the event loop, in order, and is dropped when the
// session has gone or is no longer connected. Nothing here closes a session
// or runs the event loop.
#pragma once
#include <string>

class TConnection;

// One step of the session's login script from ScriptPos on: its bytes
// queued, a keyword wait armed on the screen, a timer wait started on
// ScriptTimer (0 ms = at the next loop pass), the end disabling the timer
// and setting ScriptDone. A captured head string goes to SetHeadString and
// OnHeadString.
void RunLoginStep(TConnection& session);

// The script timer fired: off, and a step when the session is connected.
void LoginTimerFired(TConnection& session);

// Bytes queued for the session and not sent yet (tests).
std::string QueuedLoginBytes(TConnection& session);

// Sends the session's AutoKey decoded, byte by byte through the key path
// with NUL allowed, without running the event loop; stops when the session
// is gone or disconnected.
void SendAutoKey(TConnection& session);
