// Walking the activation order, the talk-screen test on real screen
// buffers and the session-number box.
#include "session/core/Navigation.h"

#include "screen/core/VtInterpreter.h"

#include <gtest/gtest.h>

namespace {

TEST(Order, PreviousAndNextWalkBothWays) {
    session::TActivationOrder o{2, 0, 1, 3};
    EXPECT_EQ(session::StepPrevious(o), 0);
    EXPECT_EQ(o, (session::TActivationOrder{0, 1, 3, 2}));
    EXPECT_EQ(session::StepPrevious(o), 1);
    EXPECT_EQ(session::StepNext(o), 0) << "next undoes previous";
    EXPECT_EQ(o, (session::TActivationOrder{0, 1, 3, 2}));
    session::TActivationOrder one{0};
    EXPECT_EQ(session::StepPrevious(one), -1);
    EXPECT_EQ(session::StepNext(one), -1);
    EXPECT_EQ(one, session::TActivationOrder{0});
}

// A screen of `rows` rows whose column-1 backgrounds at rows 9..13 are bg.
void Band(TScreenBuffer& s, const int (&bg)[5]) {
    for (int r = 0; r < 5; ++r)
        s.ScreenRow(9 + r).Cells[1].Bg = static_cast<std::uint8_t>(bg[r]);
}

TEST(TalkScreen, ColourBand) {
    TScreenBuffer s;
    Band(s, {4, 4, 0, 4, 4});
    EXPECT_TRUE(session::IsTalkScreen(s));
    Band(s, {4, 4, 4, 4, 4});
    EXPECT_FALSE(session::IsTalkScreen(s));
    Band(s, {4, 3, 0, 4, 4});
    EXPECT_FALSE(session::IsTalkScreen(s)) << "row 10 must match row 9";
}

TEST(TalkScreen, DividersFromTheHost) {
    TScreenBuffer s;
    TVtInterpreter vt(s);
    EXPECT_FALSE(session::IsTalkScreen(s)) << "a blank screen";
    vt.ProcessBuffer("\x1b[12;1H ==== talk ====");
    EXPECT_TRUE(session::IsTalkScreen(s)) << "row 11 (screen line 12) holds ==";
    vt.ProcessBuffer("\x1b[2J\x1b[10;1H =-=-");
    EXPECT_FALSE(session::IsTalkScreen(s)) << "=- is no divider";
    vt.ProcessBuffer("\x1b[2J\x1b[13;1H ---");
    EXPECT_TRUE(session::IsTalkScreen(s));
    vt.ProcessBuffer("\x1b[2J\x1b[14;1H ---");
    EXPECT_FALSE(session::IsTalkScreen(s)) << "row 13 is tested for the band only";
    vt.ProcessBuffer("\x1b[2J\x1b[12;1H\x1b[41m" + std::string(80, ' ') + "\x1b[0m");
    EXPECT_TRUE(session::IsTalkScreen(s)) << "a red band on row 11";
}

TEST(TalkScreen, ShortScreensNeverTalk) {
    TScreenBuffer s;
    s.SetRows(10);
    ASSERT_EQ(s.Rows(), 10);
    EXPECT_FALSE(session::IsTalkScreen(s));
    s.SetRows(13);
    EXPECT_FALSE(session::IsTalkScreen(s));
    s.SetRows(14);
    Band(s, {1, 1, 2, 1, 1});
    EXPECT_TRUE(session::IsTalkScreen(s));
}

TEST(TalkSearch, StepsFromTheNeighbourAndWraps) {
    std::vector<int> asked;
    auto none = [&](int i) {
        asked.push_back(i);
        return false;
    };
    EXPECT_EQ(session::FindTalkSession(4, 3, +1, none), -1);
    EXPECT_EQ(asked, (std::vector<int>{0, 1, 2})) << "the last session tests session 0 first";
    asked.clear();
    session::FindTalkSession(4, 0, -1, none);
    EXPECT_EQ(asked, (std::vector<int>{3, 2, 1}));
    EXPECT_EQ(session::FindTalkSession(1, 0, +1, [](int) { return true; }), -1);
    EXPECT_EQ(session::FindTalkSession(3, 0, +1, [](int i) { return i == 2; }), 2);
    EXPECT_EQ(session::FindTalkSession(3, 0, +1, [](int i) { return i == 0; }), -1)
        << "the current session is never chosen";
}

TEST(NumberBox, DigitsOnlyAndTheHolderIsNamed) {
    std::array<bool, 11> used{};
    used[1] = used[3] = true;
    std::vector<int> numbers{1, 3};
    auto k = session::DecideNumberKey('3', 1, numbers, used);
    EXPECT_TRUE(k.Act);
    EXPECT_EQ(k.Number, 3);
    EXPECT_EQ(k.Holder, 1);
    k = session::DecideNumberKey('0', 1, numbers, used);
    EXPECT_EQ(k.Number, 10);
    EXPECT_EQ(k.Holder, -1);
    EXPECT_FALSE(session::DecideNumberKey('1', 1, numbers, used).Act) << "its own number";
    EXPECT_FALSE(session::DecideNumberKey('x', 1, numbers, used).Act);
    EXPECT_FALSE(session::DecideNumberKey('5', 0, {}, used).Act) << "no sessions";
    EXPECT_EQ(session::NumberText(10), "0");
    EXPECT_EQ(session::NumberText(4), "4");
    EXPECT_EQ(session::NumberText(0), "");
}

} // namespace

TEST(NumberBox, EscGivesBackDigitsTypeOtherKeysAreRefused) {
    using session::NumberBoxKeyDown;
    using session::TNumberBoxKey;
    EXPECT_EQ(NumberBoxKeyDown(27), TNumberBoxKey::GiveBackFocus);
    for (int vk : {int('0'), int('9'), 96, 105})
        EXPECT_EQ(NumberBoxKeyDown(vk), TNumberBoxKey::Digit) << vk;
    for (int vk : {16, 17, 18, 9, 0})
        EXPECT_EQ(NumberBoxKeyDown(vk), TNumberBoxKey::LeaveAlone) << vk;
    for (int vk : {int('A'), 13, 37, 46, 190, 112})
        EXPECT_EQ(NumberBoxKeyDown(vk), TNumberBoxKey::Refuse) << vk;
}
