// Choosing how a site reaches the terminal, and the start-road argument.
#include "sitelist/core/SendRoad.h"

#include <gtest/gtest.h>

using namespace sitelist;

TEST(StartArgument, BlanksAndAliasColonsBecomeFullWidth) {
    EXPECT_EQ(StartArgument("My BBS", "host", 23), "telnet://My\xA1\x40"
                                                   "BBS;host;23");
    EXPECT_EQ(StartArgument("a:b", "host:2323", 2323), "telnet://a\xA1\x47"
                                                       "b;host:2323;2323");
    // A Big5 pair passes whole.
    EXPECT_EQ(StartArgument("\xA4\x40", "h", 0), "telnet://\xA4\x40;h;0");
}

TEST(SendRoad, RecordsGoOnlyToAKnownTerminalAndOnlyWhole) {
    EXPECT_EQ(ChooseSendRoad(true, true, "host"), TSendRoad::Record);
    EXPECT_EQ(ChooseSendRoad(true, false, "host"), TSendRoad::Start);
    EXPECT_EQ(ChooseSendRoad(false, true, "host"), TSendRoad::Start);
    EXPECT_EQ(ChooseSendRoad(true, true, std::string(30, 'h')), TSendRoad::Record);
    EXPECT_EQ(ChooseSendRoad(true, true, std::string(31, 'h')), TSendRoad::Start);
    EXPECT_EQ(ChooseSendRoad(true, true, ""), TSendRoad::None);
    EXPECT_EQ(ChooseSendRoad(false, false, ""), TSendRoad::None);
}

TEST(SendRoad, CutsKeepWholeCharacters) {
    EXPECT_EQ(CutAtCharBoundary(std::string(40, 'a'), 30), std::string(30, 'a'));
    std::string s = std::string(29, 'a') + "\xA4\x40";
    EXPECT_EQ(CutAtCharBoundary(s, 30), std::string(29, 'a'));
    EXPECT_EQ(CutAtCharBoundary("short", 30), "short");
}
