#include "screen/core/LinkScanner.h"

#include "screen/core/RowsFixture.h"

#include <gtest/gtest.h>

using namespace screen;

namespace {
std::vector<THyperlinkInfo> Scan(const std::vector<std::string>& lines, int columns = 80,
                                 int firstLine = 100) {
    TRows rows(lines);
    return ScanLinks(rows.View(), firstLine, columns);
}
} // namespace

TEST(LinkScanner, WebAddressesLoseTrailingPunctuationAndParentheses) {
    auto links = Scan({"see http://bbs.example.org/a?b=1. and (www.example.com) or ftp://f.x/p,;"});
    ASSERT_EQ(links.size(), 3u);
    EXPECT_EQ(links[0].Text, "http://bbs.example.org/a?b=1");
    EXPECT_EQ(links[0].Kind, LinkWeb);
    EXPECT_EQ(links[0].Col, 4);
    EXPECT_EQ(links[0].Line, 100);
    EXPECT_EQ(links[1].Text, "www.example.com");
    EXPECT_EQ(links[1].Kind, LinkWeb);
    EXPECT_EQ(links[2].Text, "ftp://f.x/p");
    EXPECT_EQ(links[2].Kind, LinkFtp);
}

TEST(LinkScanner, BrokenPrefixesAndBarePrefixesAreNotLinks) {
    EXPECT_TRUE(Scan({"htp://x.com http:/x ww.x.com www. http://"}).empty());
    auto links = Scan({"hhttp://a.b"});
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Col, 1);
}

TEST(LinkScanner, EmailNeedsThreeCharactersAndADot) {
    auto links = Scan({"ab@x.com abc@host abc@host. sysop_1@bbs.example.tw."});
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Text, "sysop_1@bbs.example.tw");
    EXPECT_EQ(links[0].Kind, LinkEmail);
    EXPECT_EQ(links[0].Col, 28);
}

TEST(LinkScanner, Big5NextToAtSignNeverJoinsTheAddress) {
    // 0xA4 0x61 is one two-cell character whose second byte is 'a'.
    std::string before = "\xA4"
                         "abc@x.com";
    auto links = Scan({before});
    EXPECT_TRUE(links.empty()); // "bc" is too short once the trail byte is dropped
    links = Scan({"\xA4"
                  "abcd@x.com\xA4\x40"});
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Text, "bcd@x.com");
    EXPECT_EQ(links[0].Col, 2);
    // A trail byte that looks like a prefix letter starts nothing.
    EXPECT_TRUE(Scan({"\xA4"
                      "ftp://x.y"})
                    .empty());
    // A lead byte in the last column is a single cell.
    EXPECT_EQ(Scan({std::string(10, ' ') + "\xA4", "www.a.b"}, 11).size(), 1u);
}

TEST(LinkScanner, AddressesRunOnIntoTheNextRow) {
    auto links = Scan({"          http://exa", "mple.com/x y"}, 20, 7);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Text, "http://example.com/x");
    EXPECT_EQ(links[0].Line, 7);
    EXPECT_EQ(links[0].Col, 10);
    EXPECT_TRUE(LinkCovers(links[0], 19, 7, 20));
    EXPECT_TRUE(LinkCovers(links[0], 9, 8, 20));
    EXPECT_FALSE(LinkCovers(links[0], 10, 8, 20));
    EXPECT_FALSE(LinkCovers(links[0], 9, 7, 20));
    // A link that ends on the last shown row is still recorded.
    links = Scan({"x", "mail me: abc@d.e"});
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0].Line, 101);
}
