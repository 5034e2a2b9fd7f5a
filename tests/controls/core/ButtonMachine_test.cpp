#include "controls/core/ButtonMachine.h"

#include "support/FakeClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace controls;

namespace {

// Records what the machine asks of its widget.
struct TFakeHost : TButtonHost {
    std::string Log;
    int Redraws = 0;
    bool Menu = false;
    bool Active = true;
    bool ShowMenuAnswer = true;
    std::vector<TButtonMachine*> Peers;
    std::function<void()> OnClickAction;

    void Redraw(bool) override { ++Redraws; }
    void InheritedClick() override {
        Log += "click;";
        if (OnClickAction) OnClickAction();
    }
    void MouseEntered() override { Log += "enter;"; }
    void MouseExited() override { Log += "exit;"; }
    bool ApplicationActive() override { return Active; }
    std::vector<TButtonMachine*> Siblings() override { return Peers; }
    bool HasMenu() override { return Menu; }
    void Dropdown(bool& show, bool&) override {
        Log += "dropdown;";
        show = ShowMenuAnswer;
    }
    void PopupMenu(bool) override { Log += "menu;"; }
};

int Count(const std::string& log, const std::string& what) {
    int n = 0;
    for (std::size_t at = log.find(what); at != std::string::npos; at = log.find(what, at + 1))
        ++n;
    return n;
}

void ClickAt(TButtonMachine& m, int x = 5, int y = 5) {
    m.MouseDown(TMouseButton::Left, x, y);
    m.MouseUp(TMouseButton::Left, x, y);
}

} // namespace

TEST(ButtonMachine, DownNeedsAGroupAndARadioGroupKeepsOneLatched) {
    TFakeHost ha, hb;
    TButtonMachine a(ha), b(hb);
    a.SetDown(true);
    EXPECT_FALSE(a.Down());

    ha.Peers = {&b};
    hb.Peers = {&a};
    a.SetGroupIndex(1);
    b.SetGroupIndex(1);
    a.SetDown(true);
    EXPECT_EQ(a.State(), bsExclusive);
    a.SetDown(false); // cannot be raised without AllowAllUp
    EXPECT_TRUE(a.Down());

    // Clicking the other one latches it and raises the first.
    ClickAt(b);
    EXPECT_TRUE(b.Down());
    EXPECT_FALSE(a.Down());
    EXPECT_EQ(a.State(), bsUp);
    // Clicking the latched one again leaves it latched.
    ClickAt(b);
    EXPECT_TRUE(b.Down());

    // AllowAllUp is shared by the group and lets the latched one go up.
    a.SetAllowAllUp(true);
    EXPECT_TRUE(b.AllowAllUp());
    ClickAt(b);
    EXPECT_FALSE(b.Down());
    EXPECT_EQ(Count(hb.Log, "click;"), 3);
}

TEST(ButtonMachine, ComboArrowOpensTheMenuWithoutAClick) {
    TFakeHost h;
    h.Menu = true;
    TButtonMachine m(h);
    m.SetSize(40, 22);
    m.SetUsesDropdown(true);
    m.SetDropdownCombo(true);
    // The arrow part starts at Width - (ArrowWidth + 2) = 29.
    EXPECT_FALSE(m.HitArea(29, 5));
    EXPECT_TRUE(m.HitArea(28, 5));
    m.MouseDown(TMouseButton::Left, 30, 5);
    m.MouseUp(TMouseButton::Left, 30, 5);
    EXPECT_EQ(h.Log, "enter;exit;dropdown;menu;");
    // The face part clicks without the menu.
    h.Log.clear();
    ClickAt(m, 3, 5);
    EXPECT_EQ(Count(h.Log, "click;"), 1);
    EXPECT_EQ(Count(h.Log, "menu;"), 0);
}

TEST(ButtonMachine, PlainDropdownClicksThenOpensTheMenu) {
    TFakeHost h;
    h.Menu = true;
    TButtonMachine m(h);
    m.SetUsesDropdown(true);
    m.MouseDown(TMouseButton::Left, 5, 5);
    EXPECT_EQ(h.Log, "enter;exit;click;dropdown;menu;");
    m.MouseUp(TMouseButton::Left, 5, 5);
    EXPECT_EQ(Count(h.Log, "click;"), 1);
    EXPECT_EQ(m.State(), bsUp);
    // OnDropdown may keep the menu shut.
    h.Log.clear();
    h.ShowMenuAnswer = false;
    m.MouseDown(TMouseButton::Left, 5, 5);
    EXPECT_EQ(Count(h.Log, "menu;"), 0);
}

TEST(ButtonMachine, RepeatClicksAtOnceAfterTheDelayThenEveryInterval) {
    TFakeClock clock;
    TFakeHost h;
    TButtonMachine m(h);
    m.SetRepeating(true);
    m.MouseDown(TMouseButton::Left, 5, 5);
    EXPECT_EQ(Count(h.Log, "click;"), 1);
    clock.Advance(399);
    EXPECT_EQ(Count(h.Log, "click;"), 1);
    clock.Advance(1);
    EXPECT_EQ(Count(h.Log, "click;"), 2);
    clock.Advance(100);
    clock.Advance(100);
    EXPECT_EQ(Count(h.Log, "click;"), 4);

    // Off the button the timer pauses; back on it, it goes on.
    m.MouseMove(50, 5, false);
    EXPECT_EQ(m.State(), bsUp);
    clock.Advance(100);
    clock.Advance(100);
    EXPECT_EQ(Count(h.Log, "click;"), 4);
    EXPECT_FALSE(m.RepeatTimerRunning());
    m.MouseMove(5, 5, true);
    EXPECT_TRUE(m.RepeatTimerRunning());
    clock.Advance(100);
    EXPECT_EQ(Count(h.Log, "click;"), 5);

    // The release neither clicks nor leaves a timer behind.
    m.MouseUp(TMouseButton::Left, 5, 5);
    clock.Advance(500);
    EXPECT_EQ(Count(h.Log, "click;"), 5);
    EXPECT_FALSE(m.RepeatTimerExists());
}

TEST(ButtonMachine, RepeatDelayOfZeroKeepsTheTimerOffAndNegativeValuesAreIgnored) {
    TFakeClock clock;
    TFakeHost h;
    TButtonMachine m(h);
    m.SetRepeating(true);
    m.SetRepeatDelay(-5);
    m.SetRepeatInterval(-1);
    EXPECT_EQ(m.RepeatDelay(), 400);
    EXPECT_EQ(m.RepeatInterval(), 100);
    m.SetRepeatDelay(0);
    m.MouseDown(TMouseButton::Left, 5, 5);
    for (int i = 0; i < 5; ++i)
        clock.Advance(1);
    EXPECT_EQ(Count(h.Log, "click;"), 1);
    EXPECT_FALSE(m.RepeatTimerRunning());
    m.MouseUp(TMouseButton::Left, 5, 5);
}

TEST(ButtonMachine, ReleaseOutsideDoesNotClick) {
    TFakeHost h;
    TButtonMachine m(h);
    m.MouseDown(TMouseButton::Left, 5, 5);
    EXPECT_EQ(m.State(), bsDown);
    m.MouseMove(40, 5, false);
    EXPECT_EQ(m.State(), bsUp);
    m.MouseUp(TMouseButton::Left, 40, 5);
    EXPECT_EQ(Count(h.Log, "click;"), 0);
    EXPECT_FALSE(m.MouseInControl());
}

TEST(ButtonMachine, AClickHandlerMayDeleteItsOwnButton) {
    TFakeClock clock;
    auto h = std::make_unique<TFakeHost>();
    auto m = std::make_unique<TButtonMachine>(*h);
    h->OnClickAction = [&] { m.reset(); };
    ClickAt(*m);
    EXPECT_EQ(m, nullptr);

    // Also from a repeat tick.
    auto h2 = std::make_unique<TFakeHost>();
    auto r = std::make_unique<TButtonMachine>(*h2);
    r->SetRepeating(true);
    r->MouseDown(TMouseButton::Left, 5, 5);
    h2->OnClickAction = [&] { r.reset(); };
    clock.Advance(400);
    EXPECT_EQ(r, nullptr);
    clock.Advance(400);
}

TEST(ButtonMachine, OneHotButtonAtATimeEndedByDeactivation) {
    TFakeHost ha, hb;
    TButtonMachine a(ha), b(hb);
    a.MouseMove(3, 3, true);
    EXPECT_TRUE(a.MouseInControl());
    EXPECT_EQ(a.State(), bsMouseIn);
    EXPECT_EQ(TButtonMachine::Tracked(), &a);
    b.MouseMove(3, 3, true);
    EXPECT_FALSE(a.MouseInControl());
    EXPECT_EQ(a.State(), bsUp);
    EXPECT_EQ(TButtonMachine::Tracked(), &b);

    TButtonMachine::ApplicationActivated(false);
    EXPECT_FALSE(b.MouseInControl());
    EXPECT_EQ(TButtonMachine::Tracked(), nullptr);

    // An inactive application shows no hot look, unless asked to.
    hb.Active = false;
    b.MouseMove(3, 3, true);
    EXPECT_FALSE(b.MouseInControl());
    b.SetShowBorderWhenInactive(true);
    b.MouseMove(3, 3, true);
    EXPECT_TRUE(b.MouseInControl());
    TButtonMachine::ApplicationActivated(false);
    EXPECT_TRUE(b.MouseInControl());
    TButtonMachine::MouseMovedElsewhere();
    EXPECT_FALSE(b.MouseInControl());
}

TEST(ButtonMachine, DisablingCancelsThePressAndEnablingRestoresTheLatch) {
    TFakeClock clock;
    TFakeHost h;
    TButtonMachine m(h);
    m.SetGroupIndex(2);
    m.SetDown(true);
    m.SetRepeating(true);
    m.MouseDown(TMouseButton::Left, 5, 5);
    m.SetEnabled(false);
    EXPECT_EQ(m.State(), bsDisabled);
    EXPECT_FALSE(m.MouseIsDown());
    EXPECT_FALSE(m.RepeatTimerExists());
    m.SetEnabled(true);
    EXPECT_EQ(m.State(), bsExclusive);
}
