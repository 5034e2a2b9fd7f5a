// The registry of hook callbacks that the toolbar family shares.
//
// Many tool windows and buttons want to hear about the same few application
// events (activation, top-level windows shown or hidden, windows destroyed,
// mouse moves). Each registers a plain callback with the kinds it wants; the
// registry keeps one record per distinct callback with a reference count, and
// counts per hook how many registrations need it, so each of the three hooks
// exists once and only while someone needs it. The hooks themselves are the
// owner's business (OnHookChange): the Qt layer runs one application event
// filter while any hook is installed.
//
// Touched from the user-interface thread only; not locked.
#pragma once
#include "platform/core/Messages.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace controls {

enum THookKind : std::uint8_t {
    hkActivateApp = 0,      // the application was activated (WParam 1) or deactivated (0)
    hkWindowPosChanged = 1, // a top-level window was shown, hidden, minimised or restored
    hkDestroyWindow = 2,    // a top-level window is being destroyed
    hkMouseMove = 3,        // the mouse moved over any window of the thread
};

// A set of kinds, one bit per kind.
using THookKinds = std::uint8_t;
constexpr THookKinds HookKinds(THookKind k) {
    return THookKinds(1u << k);
}
template <class... K> constexpr THookKinds HookKinds(THookKind k, K... more) {
    return THookKinds(HookKinds(k) | HookKinds(more...));
}

// The three hooks behind the kinds.
enum THookId : std::uint8_t {
    hiCallWndProc = 0, // kinds 0 and 1 (sent messages)
    hiCbt = 1,         // kind 2
    hiGetMessage = 2,  // kind 3 (retrieved messages)
};
constexpr int HookIdCount = 3;
constexpr THookId HookOfKind(THookKind k) {
    constexpr THookId table[4] = {hiCallWndProc, hiCallWndProc, hiCbt, hiGetMessage};
    return table[k & 3];
}

// Flags of a window-pos-changed notification (LParam).
constexpr win::LPARAM SWP_FRAMECHANGED = 0x0020;
constexpr win::LPARAM SWP_SHOWWINDOW = 0x0040;
constexpr win::LPARAM SWP_HIDEWINDOW = 0x0080;

// Wnd is the window concerned; in the Qt layer a QWidget* (for destroy-window
// one that is being destroyed: compare it, never use it).
using THookProc = void (*)(THookKind Kind, void* Wnd, win::WPARAM WParam, win::LPARAM LParam);

class THookRegistry {
public:
    THookRegistry() = default;
    ~THookRegistry();
    THookRegistry(const THookRegistry&) = delete;
    THookRegistry& operator=(const THookRegistry&) = delete;

    // Called when a hook is to be installed (true) or removed (false).
    std::function<void(THookId, bool)> OnHookChange;

    // Registers proc (again: its RefCount grows). Unless onlyIncrementCount,
    // every hook that kinds need is counted and installed when first needed.
    void InstallHookProc(THookProc proc, THookKinds kinds, bool onlyIncrementCount);
    // Drops one registration of proc; at RefCount 0 its record goes. The
    // hooks that the record's kinds need are counted down (never below 0)
    // and removed at 0. Unknown procs are ignored.
    void UninstallHookProc(THookProc proc);

    // The filter: calls every record whose kinds hold kind, in list order.
    // Callbacks may register or unregister callbacks meanwhile: records
    // added during the walk wait for the next event, removed ones are not
    // called.
    void Dispatch(THookKind kind, void* wnd, win::WPARAM wParam, win::LPARAM lParam);

    // Removes every hook whatever its count and forgets every record (the
    // end of the program).
    void Reset();

    bool HookInstalled(THookId id) const { return FInstalled[id]; }
    int HookCount(THookId id) const { return FCounts[id]; }
    bool AnyHookInstalled() const;
    // Registrations of proc (0 when it has no record).
    int RefCount(THookProc proc) const;
    // Number of records; 0 also when the list does not exist.
    std::size_t RecordCount() const { return FRecords.size(); }

private:
    struct TRecord {
        THookProc Proc;
        int RefCount;
        THookKinds Kinds;
        std::uint64_t Serial; // tells a record from a later one of the same proc
    };
    void SetInstalled(THookId id, bool on);
    TRecord* Find(THookProc proc);
    const TRecord* Find(THookProc proc) const;

    std::vector<TRecord> FRecords;
    std::array<int, HookIdCount> FCounts{};
    std::array<bool, HookIdCount> FInstalled{};
    std::uint64_t FNextSerial = 1;
};

} // namespace controls
