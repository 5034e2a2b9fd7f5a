#include "controls/core/HookRegistry.h"

#include <algorithm>

namespace controls {

namespace {

// Which of the three hooks a set of kinds needs.
std::array<bool, HookIdCount> HooksNeeded(THookKinds kinds) {
    std::array<bool, HookIdCount> needed{};
    for (int k = 0; k < 4; ++k)
        if (kinds & HookKinds(THookKind(k))) needed[HookOfKind(THookKind(k))] = true;
    return needed;
}

} // namespace

THookRegistry::~THookRegistry() {
    // Removing hooks from a destructor must not call into an owner that may
    // be gone already.
    OnHookChange = nullptr;
    Reset();
}

THookRegistry::TRecord* THookRegistry::Find(THookProc proc) {
    for (auto& r : FRecords)
        if (r.Proc == proc) return &r;
    return nullptr;
}

const THookRegistry::TRecord* THookRegistry::Find(THookProc proc) const {
    for (auto& r : FRecords)
        if (r.Proc == proc) return &r;
    return nullptr;
}

void THookRegistry::SetInstalled(THookId id, bool on) {
    if (FInstalled[id] == on) return;
    FInstalled[id] = on;
    if (OnHookChange) OnHookChange(id, on);
}

void THookRegistry::InstallHookProc(THookProc proc, THookKinds kinds, bool onlyIncrementCount) {
    if (!proc) return;
    if (TRecord* r = Find(proc))
        ++r->RefCount;
    else
        FRecords.push_back(TRecord{proc, 1, kinds, FNextSerial++});
    if (onlyIncrementCount) return;
    // Each hook once per registration, however many of its kinds are asked.
    const auto needed = HooksNeeded(kinds);
    for (int h = 0; h < HookIdCount; ++h) {
        if (!needed[h]) continue;
        ++FCounts[h];
        SetInstalled(THookId(h), true);
    }
}

void THookRegistry::UninstallHookProc(THookProc proc) {
    auto it = std::find_if(FRecords.begin(), FRecords.end(),
                           [proc](const TRecord& r) { return r.Proc == proc; });
    if (it == FRecords.end()) return;
    const THookKinds kinds = it->Kinds;
    if (--it->RefCount <= 0) FRecords.erase(it);
    const auto needed = HooksNeeded(kinds);
    for (int h = 0; h < HookIdCount; ++h) {
        if (!needed[h]) continue;
        if (FCounts[h] > 0) --FCounts[h];
        if (FCounts[h] == 0) SetInstalled(THookId(h), false);
    }
}

void THookRegistry::Dispatch(THookKind kind, void* wnd, win::WPARAM wParam, win::LPARAM lParam) {
    // A snapshot of who is registered now: the walk stays valid whatever the
    // callbacks do to the list.
    struct TEntry {
        THookProc Proc;
        std::uint64_t Serial;
    };
    std::vector<TEntry> snapshot;
    snapshot.reserve(FRecords.size());
    for (auto& r : FRecords)
        if (r.Kinds & HookKinds(kind)) snapshot.push_back({r.Proc, r.Serial});
    for (auto& e : snapshot) {
        const TRecord* r = Find(e.Proc);
        if (!r || r->Serial != e.Serial) continue; // removed meanwhile
        e.Proc(kind, wnd, wParam, lParam);
    }
}

void THookRegistry::Reset() {
    for (int h = 0; h < HookIdCount; ++h) {
        FCounts[h] = 0;
        SetInstalled(THookId(h), false);
    }
    FRecords.clear();
}

bool THookRegistry::AnyHookInstalled() const {
    return std::any_of(FInstalled.begin(), FInstalled.end(), [](bool b) { return b; });
}

int THookRegistry::RefCount(THookProc proc) const {
    const TRecord* r = Find(proc);
    return r ? r->RefCount : 0;
}

} // namespace controls
