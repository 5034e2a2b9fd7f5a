#include "session/core/LoginText.h"

#include <gtest/gtest.h>

using namespace session;

TEST(LoginText, PiecesBetweenMarks) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLoginText("guest^Mpw^mlast"), (V{"guest", "pw", "last"}));
    EXPECT_EQ(SplitLoginText("a^M"), (V{"a", ""}));
    EXPECT_EQ(SplitLoginText(""), (V{""}));
    EXPECT_EQ(SplitLoginText("^"), (V{"^"}));
    EXPECT_EQ(SplitLoginText("~3~^[x"), (V{"~3~^[x"}));
}

TEST(LoginText, Big5PairEndingInCaretIsOneCharacter) {
    // 乞 is A4 5E: its second byte is "^" and must not start a mark with the
    // "M" that follows.
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitLoginText("\xA4\x5EM"), (V{"\xA4\x5EM"}));
    EXPECT_EQ(SplitLoginText("\xA4\x5E^Mx"), (V{"\xA4\x5E", "x"}));
}

TEST(LoginText, MemoRoundTrip) {
    EXPECT_EQ(LoginTextToMemo("one^Mtwo^Mthree"), "one\r\ntwo\r\nthree");
    EXPECT_EQ(MemoToLoginText("one\r\ntwo\r\nthree"), "one^Mtwo^Mthree");
    for (std::string t : {"a^M", "^M^M", "x", "", "\xA4\x5E^M\xA4\x5E"})
        EXPECT_EQ(MemoToLoginText(LoginTextToMemo(t)), t) << t;
    // Only a CR LF pair is a line end.
    EXPECT_EQ(MemoToLoginText("a\rb\nc"), "a\rb\nc");
}
