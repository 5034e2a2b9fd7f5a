#include "controls/DockCmn.h"
#include "controls/DockCnst.h"
#include "controls/DockVers.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct TCall {
    THookKind Kind;
    void* Wnd;
    win::WPARAM WParam;
    win::LPARAM LParam;
};
std::vector<TCall> Calls;

void Record(THookKind k, void* w, win::WPARAM wp, win::LPARAM lp) {
    Calls.push_back({k, w, wp, lp});
}

// The registered proc, removed when a test ends however it ends.
struct TRegistration {
    explicit TRegistration(THookKinds kinds) {
        Calls.clear();
        InstallHookProc(Record, kinds);
    }
    ~TRegistration() { UninstallHookProc(Record); }
};

} // namespace

TEST(DockCmn, MouseMovesReachTheCallbackOnceWithTheWidget) {
    QWidget top;
    top.resize(200, 100);
    auto* child = new QWidget(&top);
    child->setGeometry(10, 10, 50, 50);
    child->setMouseTracking(true);
    top.setMouseTracking(true);
    top.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));

    TRegistration reg(HookKinds(controls::hkMouseMove));
    EXPECT_TRUE(HookRegistry().HookInstalled(controls::hiGetMessage));
    EXPECT_FALSE(HookRegistry().HookInstalled(controls::hiCallWndProc));
    QTest::mouseMove(child, QPoint(5, 7));
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_EQ(Calls[0].Wnd, static_cast<void*>(child));
    EXPECT_EQ(Calls[0].LParam, 5 | 7 << 16);
}

TEST(DockCmn, TopLevelShowHideAndDestroyAreReported) {
    TRegistration reg(HookKinds(controls::hkWindowPosChanged, controls::hkDestroyWindow));
    auto top = std::make_unique<QWidget>();
    top->show();
    top->hide();
    void* const id = top.get();
    top.reset();
    ASSERT_EQ(Calls.size(), 3u);
    EXPECT_EQ(Calls[0].Kind, controls::hkWindowPosChanged);
    EXPECT_EQ(Calls[0].LParam, controls::SWP_SHOWWINDOW);
    EXPECT_EQ(Calls[1].LParam, controls::SWP_HIDEWINDOW);
    EXPECT_EQ(Calls[2].Kind, controls::hkDestroyWindow);
    EXPECT_EQ(Calls[2].Wnd, id);
}

TEST(DockCmn, NothingIsReportedOnceTheLastRegistrationIsGone) {
    { TRegistration reg(HookKinds(controls::hkWindowPosChanged, controls::hkMouseMove)); }
    EXPECT_FALSE(HookRegistry().AnyHookInstalled());
    QWidget top;
    top.show();
    QTest::mouseMove(&top, QPoint(3, 3));
    EXPECT_TRUE(Calls.empty());
}

TEST(DockCmn, VersionIsReadOnly) {
    TToolbarVersion v;
    v.Set("something else");
    EXPECT_EQ(v.Get(), "Dock toolbar version 1.0");
    EXPECT_STREQ(STRToolbarSepParentNotAllowed, "TToolbarSep can only be placed on a TToolbar");
}

// Runs f with QT_QPA_PLATFORM and DISPLAY as given ("" = unset), returning
// the platform variable it leaves; both are put back afterwards.
static QByteArray PlatformAfter(const char* platform, const char* display,
                                std::vector<const char*> args) {
    const QByteArray oldPlatform = qgetenv("QT_QPA_PLATFORM"), oldDisplay = qgetenv("DISPLAY");
    const bool hadDisplay = qEnvironmentVariableIsSet("DISPLAY");
    auto set = [](const char* name, const char* v) {
        if (*v)
            qputenv(name, v);
        else
            qunsetenv(name);
    };
    set("QT_QPA_PLATFORM", platform);
    set("DISPLAY", display);
    args.insert(args.begin(), "program");
    PreferX11Platform(int(args.size()), const_cast<char**>(args.data()));
    const QByteArray out = qgetenv("QT_QPA_PLATFORM");
    qputenv("QT_QPA_PLATFORM", oldPlatform);
    if (hadDisplay)
        qputenv("DISPLAY", oldDisplay);
    else
        qunsetenv("DISPLAY");
    return out;
}

TEST(DockCmn, X11IsPickedOnlyWhenNoPlatformIsNamedAndADisplayIsThere) {
    EXPECT_EQ(PlatformAfter("", ":5", {}), "xcb");
    EXPECT_EQ(PlatformAfter("", ":5", {"telnet://host"}), "xcb");
    EXPECT_EQ(PlatformAfter("wayland", ":5", {}), "wayland");
    EXPECT_EQ(PlatformAfter("", ":5", {"-platform", "wayland"}), "");
    EXPECT_EQ(PlatformAfter("", ":5", {"--platform", "offscreen"}), "");
    EXPECT_EQ(PlatformAfter("", "", {}), "");
}
