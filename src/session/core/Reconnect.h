// The housekeeping timer's decisions about dropped sessions: when to close
// the idle ones (setting "Remove") and when to start them again ("ReConnect"
// or the reconnect-all command), and which sessions each pass takes. All of
// it runs on the GUI thread: the connect worker's failures and the closed
// events arm the flags, the one-second timer acts on them.
#pragma once
#include "platform/core/Ticks.h"

#include <functional>

namespace session {

struct THandshake {
    bool PendingRemove = false;
    win::DWORD LastRemoveTick = 0;
    bool PendingReconnect = false;
    win::DWORD LastReconnectTick = 0;
    bool ReconnectAllRequested = false;
};

struct TDropSettings {
    bool Remove = false;
    bool ReConnect = false;
};

// A connection failed or ended at `now`. A close the user asked for arms
// nothing: the user wanted it closed, not removed or started again.
void ArmAfterDrop(THandshake& h, const TDropSettings& s, bool userAsked, win::DWORD now);

enum class THousekeepingPass { None, RemoveIdle, ReconnectIdle };

// One timer step: which pass to run now (the flags and ticks it consumes are
// updated here). The remove pass waits 100 ms after the last drop, the
// reconnect pass 500 ms and, unless every session was asked for, a network
// (networkUp is only asked once the other gates let the pass through).
// `reconnectAll` tells whether the reconnect pass also takes the sessions
// the user disconnected.
THousekeepingPass HousekeepingStep(THandshake& h, const TDropSettings& s, bool haveSessions,
                                   win::DWORD now, const std::function<bool()>& networkUp,
                                   bool& reconnectAll);

// The state of one session as the passes see it.
struct TSessionFlags {
    bool Busy = false;
    bool Connected = false;
    bool UserClosed = false; // the user disconnected it since its last connect
};

// The remove pass closes every idle session.
bool RemovePassTakes(const TSessionFlags& f);
// The reconnect pass starts idle sessions again; sessions the user
// disconnected only when every session was asked for.
bool ReconnectPassTakes(const TSessionFlags& f, bool reconnectAll);

// The beep flash lasts `clearBeepIntervalMs` (counted in whole seconds by
// the timer's tag, which the bell sets to 0): true on the step that must
// switch the flash off.
bool BeepFlashStep(int& tag, int clearBeepIntervalMs);

} // namespace session
