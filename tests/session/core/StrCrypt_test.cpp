#include "session/core/StrCrypt.h"

#include <gtest/gtest.h>

using namespace session;

namespace {

const TStoredKeyTime kMay17{2024, 5, 17, 13, 45, 30, 123};

std::string Bytes(std::size_t n, unsigned seed) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s.push_back(static_cast<char>((i * 37 + seed * 11) & 0xFF));
    return s;
}

} // namespace

TEST(StrCrypt, DigitGroupsAndPadding) {
    EXPECT_EQ(StrToDigits("abc"), "097098099");
    EXPECT_EQ(StrToDigits(std::string("\0\xFF", 2)), "000255");
    EXPECT_EQ(DigitsToStr("097098099"), "abc");
    EXPECT_EQ(DigitsToStr("0970"), "");
    EXPECT_EQ(DigitsToStr("256"), "") << "a group above 255 is no byte";
    EXPECT_EQ(DigitsToStr("09a"), "");
    EXPECT_EQ(IntToStrPad(7, 3), "007");
    EXPECT_EQ(IntToStrPad(12345, 3), "12345");
}

TEST(StrCrypt, KnownStoredValue) {
    EXPECT_EQ(EncodeStoredKey("abc", kMay17), "048067219055207070034130049179007094023096056043");
    EXPECT_EQ(DecodeStoredKey("048067219055207070034130049179007094023096056043"), "abc");
}

TEST(StrCrypt, InjectedClockAndFreshKeys) {
    SetStoredKeyClock([] { return kMay17; });
    EXPECT_EQ(EncodeStoredKey("abc"), "048067219055207070034130049179007094023096056043");
    TStoredKeyTime later = kMay17;
    later.MSec = 124;
    SetStoredKeyClock([&] { return later; });
    std::string other = EncodeStoredKey("abc");
    SetStoredKeyClock({});
    EXPECT_NE(other, "048067219055207070034130049179007094023096056043");
    EXPECT_EQ(DecodeStoredKey(other), "abc");
}

TEST(StrCrypt, RoundTripsEveryLengthWithBinaryBytes) {
    // Texts past 255 bytes keep every byte (the whole length is scrambled).
    for (std::size_t n = 0; n <= 400; ++n) {
        std::string plain = Bytes(n, static_cast<unsigned>(n));
        if (n >= 2) plain[0] = '\0', plain[1] = '\xFF';
        TStoredKeyTime t = kMay17;
        t.MSec = static_cast<int>(n % 1000);
        std::string stored = EncodeStoredKey(plain, t);
        ASSERT_EQ(stored.size(), 39 + 3 * n);
        ASSERT_EQ(DecodeStoredKey(stored), plain) << "length " << n;
    }
    std::string big5 = "\xA4\x5E\xA5\x5C\xB3\x5C"; // 乞功許
    EXPECT_EQ(DecodeStoredKey(EncodeStoredKey(big5, kMay17)), big5);
}

TEST(StrCrypt, BadStoredValuesRaiseOrReadEmpty) {
    std::string good = EncodeStoredKey("abc", kMay17);
    EXPECT_THROW(DecodeStoredKey(""), EStoredKeyError);
    EXPECT_THROW(DecodeStoredKey(good.substr(0, 38)), EStoredKeyError);
    EXPECT_THROW(DecodeStoredKey("999" + good.substr(3)), EStoredKeyError);
    EXPECT_THROW(DecodeStoredKey(good + "1"), EStoredKeyError);
    EXPECT_THROW(DecodeStoredKey(std::string(39, 'x')), EStoredKeyError);
    EXPECT_EQ(DecodeStoredKeyOrEmpty("12345"), "");
    EXPECT_EQ(DecodeStoredKeyOrEmpty(""), "");
    EXPECT_EQ(DecodeStoredKeyOrEmpty(good), "abc");
    // An empty text is the header alone.
    EXPECT_EQ(EncodeStoredKey("", kMay17).size(), 39u);
    EXPECT_EQ(DecodeStoredKey(EncodeStoredKey("", kMay17)), "");
}
