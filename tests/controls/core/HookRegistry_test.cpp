#include "controls/core/HookRegistry.h"
#include "controls/core/ListSort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

using namespace controls;

namespace {

std::string Log;
THookRegistry* Current = nullptr;

void ProcA(THookKind k, void*, win::WPARAM, win::LPARAM) {
    Log += 'A';
    Log += char('0' + k);
}
void ProcB(THookKind k, void*, win::WPARAM, win::LPARAM) {
    Log += 'B';
    Log += char('0' + k);
}
void ProcC(THookKind k, void*, win::WPARAM, win::LPARAM) {
    Log += 'C';
    Log += char('0' + k);
}
// Removes B and registers C while the walk is on.
void ProcRemovesB(THookKind, void*, win::WPARAM, win::LPARAM) {
    Log += "R";
    Current->UninstallHookProc(ProcB);
    Current->InstallHookProc(ProcC, HookKinds(hkMouseMove), false);
}
// Removes itself.
void ProcSelfRemoving(THookKind, void*, win::WPARAM, win::LPARAM) {
    Log += "S";
    Current->UninstallHookProc(ProcSelfRemoving);
}

struct HookRegistryTest : ::testing::Test {
    THookRegistry Reg;
    std::string Changes;
    void SetUp() override {
        Log.clear();
        Current = &Reg;
        Reg.OnHookChange = [this](THookId id, bool on) {
            Changes += on ? '+' : '-';
            Changes += char('0' + id);
        };
    }
};

} // namespace

TEST_F(HookRegistryTest, SameCallbackTwiceInstallsEachHookOnceUntilBothGo) {
    const THookKinds kinds = HookKinds(hkActivateApp, hkMouseMove);
    Reg.InstallHookProc(ProcA, kinds, false);
    Reg.InstallHookProc(ProcA, kinds, false);
    EXPECT_EQ(Reg.RecordCount(), 1u);
    EXPECT_EQ(Reg.RefCount(ProcA), 2);
    EXPECT_EQ(Reg.HookCount(hiCallWndProc), 2);
    EXPECT_EQ(Reg.HookCount(hiGetMessage), 2);
    EXPECT_EQ(Changes, "+0+2");

    Reg.UninstallHookProc(ProcA);
    EXPECT_TRUE(Reg.HookInstalled(hiCallWndProc));
    EXPECT_TRUE(Reg.HookInstalled(hiGetMessage));
    EXPECT_EQ(Reg.RefCount(ProcA), 1);

    Reg.UninstallHookProc(ProcA);
    EXPECT_EQ(Changes, "+0+2-0-2");
    EXPECT_EQ(Reg.RecordCount(), 0u);
    EXPECT_FALSE(Reg.AnyHookInstalled());
}

TEST_F(HookRegistryTest, EachKindInstallsOnlyItsOwnHook) {
    Reg.InstallHookProc(ProcA, HookKinds(hkMouseMove), false);
    EXPECT_FALSE(Reg.HookInstalled(hiCallWndProc));
    EXPECT_FALSE(Reg.HookInstalled(hiCbt));
    EXPECT_TRUE(Reg.HookInstalled(hiGetMessage));

    // Both sent-message kinds share one hook, counted once per registration.
    Reg.InstallHookProc(ProcB, HookKinds(hkActivateApp, hkWindowPosChanged), false);
    EXPECT_EQ(Reg.HookCount(hiCallWndProc), 1);
    Reg.InstallHookProc(ProcC, HookKinds(hkDestroyWindow), false);
    EXPECT_EQ(Reg.HookCount(hiCbt), 1);
    EXPECT_EQ(Changes, "+2+0+1");
}

TEST_F(HookRegistryTest, CountingOnlyNeverInstallsAndCountsStayAtZero) {
    Reg.InstallHookProc(ProcA, HookKinds(hkActivateApp, hkMouseMove), true);
    EXPECT_EQ(Reg.RefCount(ProcA), 1);
    EXPECT_FALSE(Reg.AnyHookInstalled());
    Reg.UninstallHookProc(ProcA);
    EXPECT_EQ(Reg.HookCount(hiCallWndProc), 0);
    EXPECT_EQ(Reg.HookCount(hiGetMessage), 0);
    EXPECT_EQ(Changes, "");
    // Unknown callbacks are ignored.
    Reg.UninstallHookProc(ProcB);
    EXPECT_EQ(Reg.RecordCount(), 0u);
}

TEST_F(HookRegistryTest, DispatchCallsMatchingRecordsInListOrder) {
    Reg.InstallHookProc(ProcB, HookKinds(hkMouseMove, hkDestroyWindow), false);
    Reg.InstallHookProc(ProcA, HookKinds(hkMouseMove), false);
    Reg.Dispatch(hkMouseMove, nullptr, 0, 0);
    Reg.Dispatch(hkDestroyWindow, nullptr, 0, 0);
    Reg.Dispatch(hkActivateApp, nullptr, 0, 0);
    EXPECT_EQ(Log, "B3A3B2");
}

TEST_F(HookRegistryTest, CallbacksMayChangeTheListDuringDispatch) {
    Reg.InstallHookProc(ProcA, HookKinds(hkMouseMove), false);
    Reg.InstallHookProc(ProcSelfRemoving, HookKinds(hkMouseMove), false);
    Reg.InstallHookProc(ProcRemovesB, HookKinds(hkMouseMove), false);
    Reg.InstallHookProc(ProcB, HookKinds(hkMouseMove), false);
    Reg.Dispatch(hkMouseMove, nullptr, 0, 0);
    // B was removed before its turn; C joined and waits for the next event.
    EXPECT_EQ(Log, "A3SR");
    EXPECT_EQ(Reg.RefCount(ProcSelfRemoving), 0);
    Log.clear();
    Reg.UninstallHookProc(ProcRemovesB);
    Reg.Dispatch(hkMouseMove, nullptr, 0, 0);
    EXPECT_EQ(Log, "A3C3");
}

TEST_F(HookRegistryTest, ResetRemovesEveryHookWhateverItsCount) {
    Reg.InstallHookProc(ProcA, HookKinds(hkActivateApp, hkDestroyWindow, hkMouseMove), false);
    Reg.InstallHookProc(ProcA, HookKinds(hkActivateApp), false);
    Reg.Reset();
    EXPECT_FALSE(Reg.AnyHookInstalled());
    EXPECT_EQ(Reg.RecordCount(), 0u);
    EXPECT_EQ(Reg.HookCount(hiCallWndProc), 0);
}

TEST(ListSortEx, FewerThanTwoItemsAreLeftAlone) {
    int calls = 0;
    auto cmp = [&](int a, int b, void*) {
        ++calls;
        return a - b;
    };
    std::vector<int> none;
    ListSortEx(none, cmp);
    std::vector<int> one{7};
    ListSortEx(one, cmp);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(one, std::vector<int>{7});
    EXPECT_EQ(calls, 0);
}

namespace {
struct TPlace {
    int DockRow, DockPos;
};
int CompareRowThenPos(const TPlace* a, const TPlace* b, void*) {
    if (a->DockRow != b->DockRow) return a->DockRow - b->DockRow;
    return a->DockPos - b->DockPos;
}
} // namespace

TEST(ListSortEx, SortsPointersByTheCallersOrder) {
    std::vector<TPlace> places{{2, 5}, {0, 9}, {1, 1}, {0, 3}, {2, 0}, {1, 1}};
    std::vector<TPlace*> list;
    for (auto& p : places)
        list.push_back(&p);
    ListSortEx(list, CompareRowThenPos);
    for (std::size_t i = 1; i < list.size(); ++i)
        EXPECT_LE(CompareRowThenPos(list[i - 1], list[i], nullptr), 0) << i;

    std::mt19937 rng(5);
    std::vector<int> v(300);
    for (auto& x : v)
        x = int(rng() % 50);
    auto expected = v;
    std::sort(expected.begin(), expected.end());
    int extra = 0;
    ListSortEx(
        v,
        [](int a, int b, void* e) {
            ++*static_cast<int*>(e);
            return a - b;
        },
        &extra);
    EXPECT_EQ(v, expected);
    EXPECT_GT(extra, 0);
}

TEST(ListSortEx, InconsistentOrderStaysInsideTheList) {
    std::vector<int> v{5, 4, 3, 2, 1, 0};
    ListSortEx(v, [](int, int, void*) { return -1; });
    ListSortEx(v, [](int, int, void*) { return 1; });
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}
