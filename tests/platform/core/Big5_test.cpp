#include "platform/core/Big5.h"

#include <gtest/gtest.h>
#include <vector>

using namespace win;

TEST(Big5, LeadByteRuleAndRowPairing) {
    EXPECT_FALSE(IsBig5Lead(0x81));
    EXPECT_TRUE(IsBig5Lead(0x82));
    EXPECT_TRUE(IsBig5Lead(0xFE));
    EXPECT_FALSE(IsBig5Lead(0xFF));
    // a, pair, 0x81 alone, pair whose second byte is a blank, lead in the last column
    const unsigned char row[] = {'a', 0xA4, 0x40, 0x81, 0xB0, ' ', 0xA4};
    std::vector<TBig5Part> parts(sizeof row);
    PairBig5Row(row, sizeof row, parts.data());
    using P = TBig5Part;
    EXPECT_EQ(parts, (std::vector<P>{P::Single, P::Lead, P::Trail, P::Single, P::Lead, P::Trail,
                                     P::Single}));
    for (std::size_t c = 0; c < sizeof row; ++c)
        EXPECT_EQ(IsBig5TrailColumn(row, sizeof row, c), parts[c] == P::Trail) << c;
    // A run of lead bytes pairs from column 0, not from where one looks.
    const unsigned char run[] = {0xA4, 0xA4, 0xA4, 0xA4, 0xA4};
    EXPECT_FALSE(IsBig5TrailColumn(run, 5, 2));
    EXPECT_TRUE(IsBig5TrailColumn(run, 5, 3));
    EXPECT_FALSE(IsBig5TrailColumn(run, 5, 4));
}

TEST(Big5, TextRoundTrips) {
    const std::string utf8 = "中文 BBS 站台【預設位址】１２３。";
    const std::string big5 = Utf8ToBig5(utf8);
    EXPECT_EQ(big5.substr(0, 4), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(Big5ToUtf8(big5), utf8);
    // Every pair that has a character comes back as the same bytes, except
    // the few characters code page 950 holds twice.
    int converted = 0, duplicates = 0;
    for (unsigned lead = 0x82; lead <= 0xFE; ++lead)
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            char32_t c = Big5PairToUnicode(static_cast<unsigned char>(lead),
                                           static_cast<unsigned char>(trail));
            if (c == kReplacementChar) continue;
            ++converted;
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            if (Utf8ToBig5(Big5ToUtf8(pair)) != pair) ++duplicates;
        }
    EXPECT_GT(converted, 13000);
    EXPECT_LE(duplicates, 16);
}

TEST(Big5, BytesWithoutCharactersShowAsReplacementAndSwallowNothing) {
    const std::string rep = "\xEF\xBF\xBD";
    EXPECT_EQ(Big5ToUtf8("\x82\x40"), rep) << "a user-defined pair is one replacement";
    EXPECT_EQ(Big5ToUtf8("a\xA4\nb"), "a" + rep + "\nb") << "a lead byte never eats a line end";
    EXPECT_EQ(Big5ToUtf8("\x81\xFF\x80"), rep + rep + rep);
    EXPECT_EQ(Big5ToUtf8("x\xA4"), "x" + rep);
    EXPECT_EQ(Utf8ToBig5("a\xF0\x9F\x98\x80"
                         "b"),
              "a?b")
        << "no such character in Big5";
    EXPECT_EQ(Utf8ToBig5("\xE4\xB8"
                         "c\xFF"),
              "??c?")
        << "malformed UTF-8: one ? a byte";
    EXPECT_EQ(Utf8ToBig5(rep), "?");
}
