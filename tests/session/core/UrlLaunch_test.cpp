// What the browser gets for an address: a host without a scheme is a web
// address, not a file; the address is one argument whatever it holds.
#include "session/core/UrlLaunch.h"

#include "session/core/TilePlacement.h"

#include <gtest/gtest.h>

TEST(UrlForOpener, HostsWithoutSchemeBecomeWebAddresses) {
    EXPECT_EQ(UrlForOpener("www.host.test"), "http://www.host.test");
    EXPECT_EQ(UrlForOpener("  www.host.test/a?b=1 "), "http://www.host.test/a?b=1");
    EXPECT_EQ(UrlForOpener("localhost:8080/x"), "http://localhost:8080/x");
    EXPECT_EQ(UrlForOpener("host.test:80"), "http://host.test:80");
}

TEST(UrlForOpener, SchemesPathsAndMailStayAsTheyAre) {
    EXPECT_EQ(UrlForOpener("https://host.test/"), "https://host.test/");
    EXPECT_EQ(UrlForOpener("ftp://host.test/pub"), "ftp://host.test/pub");
    EXPECT_EQ(UrlForOpener("mailto:someone@host.test"), "mailto:someone@host.test");
    EXPECT_EQ(UrlForOpener("someone@host.test"), "someone@host.test");
    EXPECT_EQ(UrlForOpener("/home/u/page.html"), "/home/u/page.html");
    EXPECT_EQ(UrlForOpener(""), "");
}

TEST(UrlOpenCommand, OpenerFirstThenBrowserEntry) {
    EXPECT_EQ(UrlOpenCommand("http://h/$(id)", "/usr/bin/xdg-open", "web %u"),
              (std::vector<std::string>{"/usr/bin/xdg-open", "http://h/$(id)"}));
    // No opener: the browser's entry, the address in place of its code.
    EXPECT_EQ(UrlOpenCommand("http://h/a b", "", "\"/opt/w b/run\" --new %u"),
              (std::vector<std::string>{"/opt/w b/run", "--new", "http://h/a b"}));
    // No address: the browser on its own (xdg-open needs an address).
    EXPECT_EQ(UrlOpenCommand("", "/usr/bin/xdg-open", "web %u"), (std::vector<std::string>{"web"}));
    EXPECT_TRUE(UrlOpenCommand("http://h/", "", "").empty());
    EXPECT_TRUE(UrlOpenCommand("http://h/", "", "broken \"%u").empty());
}

TEST(TilePlacement, PositionedModes) {
    using M = TTileMode;
    auto at = [](M m) { return TilePlacement(m, 100, 50, 20, 10).value(); };
    EXPECT_EQ(at(M::tmRightVBottom), (TTileRect{79, 40, 20, 10}));
    EXPECT_EQ(at(M::tmRightVTop), (TTileRect{79, 0, 20, 10}));
    EXPECT_EQ(at(M::tmRightVCenter), (TTileRect{79, 20, 20, 10}));
    EXPECT_EQ(at(M::tmLeftVTop), (TTileRect{0, 0, 20, 10}));
    EXPECT_EQ(at(M::tmLeftVCenter), (TTileRect{0, 20, 20, 10}));
    EXPECT_EQ(at(M::tmLeftVBottom), (TTileRect{0, 40, 20, 10}));
    EXPECT_EQ(at(M::tmCenterVTop), (TTileRect{40, 0, 20, 10}));
    EXPECT_EQ(at(M::tmCenterVBottom), (TTileRect{40, 40, 20, 10}));
    EXPECT_EQ(at(M::tmCenter), (TTileRect{40, 20, 20, 10}));
    EXPECT_EQ(at(M::tmStretch), (TTileRect{0, 0, 100, 50}));
    EXPECT_EQ(at(M::tmTile), (TTileRect{0, 0, 20, 10}));
}

TEST(TilePlacement, OddSizesLargePicturesAndEmptyInputs) {
    using M = TTileMode;
    // Integer halves, as the division gives them.
    EXPECT_EQ(TilePlacement(M::tmCenter, 101, 51, 20, 11).value(), (TTileRect{40, 20, 20, 11}));
    // A picture bigger than the area goes off its left and top edges.
    EXPECT_EQ(TilePlacement(M::tmRightVBottom, 10, 10, 30, 20).value(),
              (TTileRect{-21, -10, 30, 20}));
    EXPECT_FALSE(TilePlacement(M::tmTile, 0, 50, 20, 10));
    EXPECT_FALSE(TilePlacement(M::tmCenter, 100, 50, 0, 10));
    EXPECT_FALSE(TilePlacement(M::tmStretch, -5, 50, 20, 10));
    EXPECT_TRUE(TileModeFillsFirst(M::tmCenter));
    EXPECT_FALSE(TileModeFillsFirst(M::tmTile));
    EXPECT_FALSE(TileModeFillsFirst(M::tmStretch));
}
