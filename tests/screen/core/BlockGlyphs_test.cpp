#include "screen/core/BlockGlyphs.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const TBgr Ink{255, 255, 255};

// The shape as rows of '#' (ink) and '.' (untouched).
std::string Shape(char32_t cp, int w, int h) {
    TPixelBuffer b(w, h);
    EXPECT_TRUE(DrawBlockGlyph(b, cp, Ink));
    std::string s;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            s += b.Pixel(x, y) == Ink ? '#' : '.';
        s += '\n';
    }
    return s;
}

int InkCount(char32_t cp, int w, int h) {
    std::string s = Shape(cp, w, h);
    return int(std::count(s.begin(), s.end(), '#'));
}

} // namespace

TEST(BlockGlyphs, BlocksCoverTheirShareOfTheCell) {
    EXPECT_EQ(InkCount(0x2588, 16, 16), 256); // full block, whole cell
    EXPECT_EQ(InkCount(0x2584, 16, 16), 128); // lower half
    EXPECT_EQ(Shape(0x2584, 2, 4), "..\n..\n##\n##\n");
    EXPECT_EQ(Shape(0x2580, 2, 4), "##\n##\n..\n..\n");
    EXPECT_EQ(Shape(0x258C, 4, 2), "##..\n##..\n"); // left half
    EXPECT_EQ(Shape(0x2590, 4, 2), "..##\n..##\n"); // right half
    EXPECT_EQ(InkCount(0x2581, 16, 17), 16 * 2);    // lower 1/8 of 17 rows rounds to 2
    EXPECT_EQ(InkCount(0x2594, 8, 3), 8);           // never thinner than a pixel
}

TEST(BlockGlyphs, TrianglesMeetAlongTheDiagonal) {
    EXPECT_EQ(Shape(0x25E2, 4, 4), "...#\n..##\n.###\n####\n"); // lower right
    EXPECT_EQ(Shape(0x25E4, 4, 4), "####\n###.\n##..\n#...\n"); // upper left
    // Opposite triangles tile the cell exactly.
    for (auto [a, b] : {std::pair<char32_t, char32_t>{0x25E2, 0x25E4}, {0x25E3, 0x25E5}}) {
        TPixelBuffer buf(16, 17);
        DrawBlockGlyph(buf, a, Ink);
        EXPECT_EQ(InkCount(a, 16, 17) + InkCount(b, 16, 17), 16 * 17);
        DrawBlockGlyph(buf, b, Ink);
        EXPECT_EQ(InkCount(0x2588, 16, 17), 16 * 17);
    }
}

TEST(BlockGlyphs, BoxLinesReachTheEdgesTheyJoin) {
    const int w = 16, h = 16;
    TPixelBuffer b(w, h);
    ASSERT_TRUE(DrawBlockGlyph(b, 0x250C, Ink)); // ┌: right and down
    auto column = [&](int x) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            n += b.Pixel(x, y) == Ink;
        return n;
    };
    auto row = [&](int y) {
        int n = 0;
        for (int x = 0; x < w; ++x)
            n += b.Pixel(x, y) == Ink;
        return n;
    };
    EXPECT_EQ(column(0), 0);     // nothing on the left edge
    EXPECT_GT(column(w - 1), 0); // reaches the right edge
    EXPECT_EQ(row(0), 0);
    EXPECT_GT(row(h - 1), 0);

    // ═ joins its neighbours with two unbroken lines.
    TPixelBuffer d(w, h);
    DrawBlockGlyph(d, 0x2550, Ink);
    int full = 0;
    for (int y = 0; y < h; ++y) {
        int n = 0;
        for (int x = 0; x < w; ++x)
            n += d.Pixel(x, y) == Ink;
        full += n == w;
    }
    EXPECT_EQ(full, 2);
    // ╬ leaves the centre open between its four corners.
    TPixelBuffer x(w, h);
    DrawBlockGlyph(x, 0x256C, Ink);
    EXPECT_EQ(x.Pixel(w / 2, h / 2), TBgr{});
}

TEST(BlockGlyphs, OtherCharactersAndEmptyCellsAreLeftToTheFont) {
    TPixelBuffer b(8, 8);
    EXPECT_FALSE(DrawBlockGlyph(b, U'A', Ink));
    EXPECT_FALSE(DrawBlockGlyph(b, 0x2591, Ink)); // shades come from the font
    EXPECT_EQ(b.Pixel(0, 0), TBgr{});
    TPixelBuffer empty;
    EXPECT_FALSE(DrawBlockGlyph(empty, 0x2588, Ink));
    for (char32_t cp = 0x2500; cp < 0x2600; ++cp) { // tiny cells: no fault
        TPixelBuffer tiny(1, 1);
        DrawBlockGlyph(tiny, cp, Ink);
    }
}
