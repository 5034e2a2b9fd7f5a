#include "session/core/Reconnect.h"

namespace session {
namespace {

constexpr win::DWORD RemoveDelayMs = 100;
constexpr win::DWORD ReconnectDelayMs = 500;

// Tick differences wrap like the counter does.
win::DWORD Since(win::DWORD now, win::DWORD then) {
    return now - then;
}

} // namespace

void ArmAfterDrop(THandshake& h, const TDropSettings& s, bool userAsked, win::DWORD now) {
    if (userAsked) return;
    if (s.Remove) h.PendingRemove = true;
    h.LastRemoveTick = now;
    if (s.ReConnect) h.PendingReconnect = true;
    h.LastReconnectTick = now;
}

THousekeepingPass HousekeepingStep(THandshake& h, const TDropSettings& s, bool haveSessions,
                                   win::DWORD now, const std::function<bool()>& networkUp,
                                   bool& reconnectAll) {
    reconnectAll = false;
    if (s.Remove) {
        if (Since(now, h.LastRemoveTick) <= RemoveDelayMs || !h.PendingRemove)
            return THousekeepingPass::None;
        h.PendingRemove = false;
        h.LastRemoveTick = now;
        return THousekeepingPass::RemoveIdle;
    }
    if (!(s.ReConnect || h.ReconnectAllRequested) || !haveSessions) return THousekeepingPass::None;
    if (h.ReconnectAllRequested) {
        h.ReconnectAllRequested = false;
        reconnectAll = true;
    } else {
        if (Since(now, h.LastReconnectTick) <= ReconnectDelayMs) return THousekeepingPass::None;
        // Nothing waits: the network is not looked at (that costs a socket
        // and a walk of the interfaces every second). A drop sets the tick
        // again when it arms the pass, so moving it here changes nothing.
        if (!h.PendingReconnect) {
            h.LastReconnectTick = now;
            return THousekeepingPass::None;
        }
        if (networkUp && !networkUp()) return THousekeepingPass::None;
        h.PendingReconnect = false;
    }
    h.LastReconnectTick = now;
    return THousekeepingPass::ReconnectIdle;
}

bool RemovePassTakes(const TSessionFlags& f) {
    return !f.Busy && !f.Connected;
}

bool ReconnectPassTakes(const TSessionFlags& f, bool reconnectAll) {
    return !f.Busy && !f.Connected && (reconnectAll || !f.UserClosed);
}

bool BeepFlashStep(int& tag, int clearBeepIntervalMs) {
    const int n = clearBeepIntervalMs / 1000;
    if (n == tag) {
        ++tag;
        return true;
    }
    if (n > tag) ++tag;
    return false;
}

} // namespace session
