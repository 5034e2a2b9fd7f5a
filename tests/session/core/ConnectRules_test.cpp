// Decisions of the connect road: the reused session's site test, the failure
// lines, the browser address rule and the housekeeping timer on a fake clock.
#include "session/core/ConnectRules.h"
#include "session/core/NetworkUp.h"
#include "session/core/Reconnect.h"

#include "platform/core/Big5.h"

#include <gtest/gtest.h>

namespace {

using session::TSiteQuery;

TEST(SiteChanged, DirectorySiteComparesTheHostText) {
    TSiteQuery q{true, "MyBBS", "", "", "23", "MyBBS", "9999"};
    EXPECT_FALSE(session::SiteChanged(q)) << "the port is not compared for a book site";
    q.SessionHost = "mybbs";
    EXPECT_TRUE(session::SiteChanged(q)) << "comparisons are case-sensitive";
}

TEST(SiteChanged, WithoutPendingHostTheHintAndPortCount) {
    TSiteQuery q{false, "Alias", "10.0.0.1", "", "23", "10.0.0.1", "23"};
    EXPECT_FALSE(session::SiteChanged(q));
    q.PortText = "2323";
    EXPECT_TRUE(session::SiteChanged(q));
    q.PortText = "23";
    q.HostHint = "other";
    EXPECT_TRUE(session::SiteChanged(q));
}

TEST(SiteChanged, PendingHostTakesThePlaceOfTheHint) {
    TSiteQuery q{false, "Alias", "stale", "host.one", "23", "host.one", "23"};
    EXPECT_FALSE(session::SiteChanged(q));
    q.SessionHost = "stale";
    EXPECT_TRUE(session::SiteChanged(q));
}

TEST(ConnectErrorLine, KnownSocketTextsGetTheirOwnLines) {
    EXPECT_EQ(session::ConnectErrorLine("Error 10065 in function Connect\r\nNo route to host"),
              win::Utf8ToBig5("無路徑至此位址!"));
    const std::string resolve =
        "connect: SocketResolveHost: Cannot convert host address 'x.invalid', Error #11001";
    EXPECT_EQ(resolve.find("Cannot convert host address"), 28u) << "character 29, 1-based";
    EXPECT_EQ(session::ConnectErrorLine(resolve), win::Utf8ToBig5("無法轉換為實際位址!"));
    EXPECT_EQ(session::ConnectErrorLine("Connect: No Port Specified"),
              "Connect: No Port Specified");
}

TEST(BrowserUrl, OnlyWebAddressesReachTheBrowser) {
    EXPECT_EQ(session::BrowserUrl("bbs.example.org"), "http://bbs.example.org");
    EXPECT_EQ(session::BrowserUrl("  host:8080/x "), "http://host:8080/x");
    EXPECT_EQ(session::BrowserUrl("HTTPS://h/p?q=1"), "HTTPS://h/p?q=1");
    EXPECT_EQ(session::BrowserUrl("http://h"), "http://h");
    EXPECT_EQ(session::BrowserUrl(""), "");
    // A leading dash cannot become an option of the browser.
    EXPECT_EQ(session::BrowserUrl("--remote x"), "http://--remote x");
    EXPECT_FALSE(session::BrowserUrl("file:///etc/passwd"));
    EXPECT_FALSE(session::BrowserUrl("javascript:alert(1)"));
    EXPECT_FALSE(session::BrowserUrl("mailto:a@b"));
    EXPECT_FALSE(session::BrowserUrl("http://"));
    EXPECT_FALSE(session::BrowserUrl("http://a\nb"));
}

TEST(BrowserUrl, WebPortTest) {
    EXPECT_TRUE(session::IsWebPort("80"));
    EXPECT_TRUE(session::IsWebPort("wWw"));
    EXPECT_FALSE(session::IsWebPort("8080"));
    EXPECT_FALSE(session::IsWebPort("23"));
}

// The housekeeping timer, driven as the form drives it, on a fake clock.
struct THousekeeping : ::testing::Test {
    session::THandshake H;
    session::TDropSettings S;
    bool Network = true;
    int NetworkAsked = 0;
    bool All = false;
    session::THousekeepingPass Step(win::DWORD now, bool haveSessions = true) {
        return session::HousekeepingStep(
            H, S, haveSessions, now,
            [this] {
                ++NetworkAsked;
                return Network;
            },
            All);
    }
};

using P = session::THousekeepingPass;

TEST_F(THousekeeping, RemoveWaitsMoreThan100MsAfterTheDrop) {
    S.Remove = true;
    session::ArmAfterDrop(H, S, false, 1000);
    EXPECT_EQ(Step(1100), P::None);
    EXPECT_EQ(Step(1101), P::RemoveIdle);
    EXPECT_FALSE(H.PendingRemove);
    EXPECT_EQ(Step(5000), P::None) << "one drop, one pass";
}

TEST_F(THousekeeping, ReconnectWaitsMoreThan500MsAndForANetwork) {
    S.ReConnect = true;
    session::ArmAfterDrop(H, S, false, 10000);
    EXPECT_EQ(Step(10500), P::None);
    EXPECT_EQ(NetworkAsked, 0);
    Network = false;
    EXPECT_EQ(Step(11000), P::None);
    EXPECT_EQ(H.LastReconnectTick, 10000u) << "no network leaves the tick alone";
    EXPECT_TRUE(H.PendingReconnect);
    Network = true;
    EXPECT_EQ(Step(12000), P::ReconnectIdle);
    EXPECT_FALSE(All);
    EXPECT_EQ(H.LastReconnectTick, 12000u);
    // Nothing pending: only the tick moves, and the network is not probed.
    const int asked = NetworkAsked;
    for (win::DWORD t = 13000; t <= 20000; t += 1000)
        EXPECT_EQ(Step(t), P::None);
    EXPECT_EQ(H.LastReconnectTick, 20000u);
    EXPECT_EQ(NetworkAsked, asked);
}

TEST_F(THousekeeping, TickDifferencesWrapAround) {
    S.ReConnect = true;
    session::ArmAfterDrop(H, S, false, 0xFFFFFF00u);
    EXPECT_EQ(Step(0x00000010u), P::None);
    EXPECT_EQ(Step(0x00000200u), P::ReconnectIdle);
}

TEST_F(THousekeeping, ReconnectAllSkipsTheGatesAndTakesEverySession) {
    H.ReconnectAllRequested = true;
    H.LastReconnectTick = 100;
    Network = false;
    EXPECT_EQ(Step(100, false), P::None) << "no session, nothing to do";
    EXPECT_EQ(Step(150), P::ReconnectIdle);
    EXPECT_TRUE(All);
    EXPECT_FALSE(H.ReconnectAllRequested);
    EXPECT_EQ(NetworkAsked, 0);
}

TEST_F(THousekeeping, RemoveSettingTakesPrecedenceOverReconnect) {
    S.Remove = S.ReConnect = true;
    session::ArmAfterDrop(H, S, false, 0);
    EXPECT_EQ(Step(2000), P::RemoveIdle);
    EXPECT_EQ(Step(4000), P::None);
}

TEST_F(THousekeeping, UserCloseArmsNothing) {
    S.Remove = S.ReConnect = true;
    session::ArmAfterDrop(H, S, true, 0);
    EXPECT_FALSE(H.PendingRemove);
    EXPECT_FALSE(H.PendingReconnect);
    S.Remove = false;
    EXPECT_EQ(Step(3000), P::None);
}

TEST(ReconnectPasses, WhichSessionsEachPassTakes) {
    using F = session::TSessionFlags;
    EXPECT_TRUE(session::RemovePassTakes(F{false, false, true}));
    EXPECT_FALSE(session::RemovePassTakes(F{true, false, false}));
    EXPECT_FALSE(session::RemovePassTakes(F{false, true, false}));
    EXPECT_TRUE(session::ReconnectPassTakes(F{false, false, false}, false));
    EXPECT_FALSE(session::ReconnectPassTakes(F{false, false, true}, false));
    EXPECT_TRUE(session::ReconnectPassTakes(F{false, false, true}, true));
    EXPECT_FALSE(session::ReconnectPassTakes(F{true, false, false}, true));
    EXPECT_FALSE(session::ReconnectPassTakes(F{false, true, false}, true));
}

TEST(ReconnectPasses, BeepFlashEndsAfterTheIntervalInSeconds) {
    int tag = 0; // the bell just rang
    int offAt = -1;
    for (int step = 1; step <= 6; ++step)
        if (session::BeepFlashStep(tag, 3000) && offAt < 0) offAt = step;
    EXPECT_EQ(offAt, 4);
    // After that the flash stays off: no second switch.
    EXPECT_FALSE(session::BeepFlashStep(tag, 3000));
}

TEST(NetworkUp, ProbeCanBeReplaced) {
    session::SetNetworkProbe([] { return false; });
    EXPECT_FALSE(session::NetworkUp());
    session::SetNetworkProbe([] { return true; });
    EXPECT_TRUE(session::NetworkUp());
    session::SetNetworkProbe({});
    EXPECT_EQ(session::NetworkUp(), session::HasNonLoopbackIPv4());
}

} // namespace
