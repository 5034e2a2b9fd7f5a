#include "controls/core/ButtonLayout.h"
#include "controls/core/GlyphImages.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(ButtonRules, PropertyClampsAndStripCounts) {
    EXPECT_EQ(ClampNumGlyphs(0), 1);
    EXPECT_EQ(ClampNumGlyphs(7), 5);
    EXPECT_EQ(ClampNumGlyphs(3), 3);
    EXPECT_EQ(ClampArrowWidth(3), 7);
    EXPECT_EQ(ClampArrowWidth(12), 12);
    EXPECT_FALSE(MarginAccepted(-5));
    EXPECT_TRUE(MarginAccepted(-1));
    EXPECT_EQ(NumGlyphsOfStrip(64, 16), 4);
    EXPECT_EQ(NumGlyphsOfStrip(96, 16), 1); // six images: more than 5
    EXPECT_EQ(NumGlyphsOfStrip(50, 16), 1);
    EXPECT_EQ(NumGlyphsOfStrip(16, 0), 1); // zero height: no division
    EXPECT_EQ(NumGlyphsOfStrip(0, 16), 1);
}

TEST(ButtonLayout, FourLayoutsWithAutomaticMarginAndSpacing) {
    const TRect face{0, 0, 60, 40};
    const TSize glyph{16, 16}, caption{20, 10};
    // Left: (60 - 16 - 20) / 3 = 8 for margin and spacing.
    auto l = LayoutButtonContent(face, glyph, caption, false, 9, blGlyphLeft, -1, -1);
    EXPECT_EQ(l.Glyph, Bounds(8, 12, 16, 16));
    EXPECT_EQ(l.Caption, Bounds(32, 15, 20, 10));
    auto r = LayoutButtonContent(face, glyph, caption, false, 9, blGlyphRight, -1, -1);
    EXPECT_EQ(r.Glyph, Bounds(36, 12, 16, 16));
    EXPECT_EQ(r.Caption, Bounds(8, 15, 20, 10));
    // Top: (40 - 16 - 10) / 3 = 4.
    auto t = LayoutButtonContent(face, glyph, caption, false, 9, blGlyphTop, -1, -1);
    EXPECT_EQ(t.Glyph, Bounds(22, 4, 16, 16));
    EXPECT_EQ(t.Caption, Bounds(20, 24, 20, 10));
    auto b = LayoutButtonContent(face, glyph, caption, false, 9, blGlyphBottom, -1, -1);
    EXPECT_EQ(b.Glyph, Bounds(22, 20, 16, 16));
    EXPECT_EQ(b.Caption, Bounds(20, 6, 20, 10));
}

TEST(ButtonLayout, MarginOrSpacingAloneCentresTheGroup) {
    const TRect face{2, 1, 62, 41};
    // Margin -1, spacing 4: (60 - 16 - 4 - 20 + 1) / 2 = 10, from the face.
    auto m = LayoutButtonContent(face, {16, 16}, {20, 10}, false, 9, blGlyphLeft, -1, 4);
    EXPECT_EQ(m.Glyph.Left, 12);
    EXPECT_EQ(m.Caption.Left, 12 + 16 + 4);
    // Spacing -1, margin 2: (60 - 2 - 16 - 20) / 2 = 11.
    auto s = LayoutButtonContent(face, {16, 16}, {20, 10}, false, 9, blGlyphLeft, 2, -1);
    EXPECT_EQ(s.Caption.Left, 2 + 2 + 16 + 11);
    // A glyph alone ignores a top layout and the spacing.
    auto g = LayoutButtonContent(face, {16, 16}, {}, false, 9, blGlyphTop, -1, 4);
    EXPECT_EQ(g.Glyph, Bounds(2 + 22, 1 + 12, 16, 16));
    EXPECT_TRUE(g.Caption.Empty());
    // The arrow takes ArrowWidth + 3 after the caption.
    auto a = LayoutButtonContent(face, {}, {20, 10}, true, 9, blGlyphLeft, -1, 4);
    EXPECT_EQ(a.Caption.Left, 2 + (60 - 20 - 12 + 1) / 2);
    EXPECT_TRUE(a.HasArrow);
    EXPECT_GT(a.Arrow.X, a.Caption.Right);
    EXPECT_LE(a.Arrow.X + 2, face.Right);
}

TEST(ButtonPaint, BorderPressedLookAndComboPart) {
    TButtonLook look;
    EXPECT_EQ(PlanButtonPaint(look).FaceEdge, TEdgeStyle::None); // flat, idle
    look.MouseInControl = true;
    look.State = bsMouseIn;
    EXPECT_EQ(PlanButtonPaint(look).FaceEdge, TEdgeStyle::FlatRaised);
    look.NoBorder = true;
    EXPECT_EQ(PlanButtonPaint(look).FaceEdge, TEdgeStyle::None);
    look = {};
    look.State = bsExclusive;
    auto latched = PlanButtonPaint(look);
    EXPECT_TRUE(latched.Pressed);
    EXPECT_TRUE(latched.Dither);
    EXPECT_EQ(latched.ContentOffset, (TPoint{1, 1}));
    look.MouseInControl = true; // a hot flat latched button shows no pattern
    EXPECT_FALSE(PlanButtonPaint(look).Dither);

    look = {};
    look.Width = 40;
    look.Combo = look.UsesDropdown = true;
    look.State = bsDown;
    look.MenuIsDown = true;
    auto combo = PlanButtonPaint(look);
    EXPECT_FALSE(combo.Pressed); // the arrow part is down, not the face
    EXPECT_EQ(combo.ArrowPart, (TRect{29, 0, 40, 22}));
    EXPECT_EQ(combo.ArrowEdge, TEdgeStyle::FlatSunken);
    EXPECT_EQ(combo.Face, (TRect{1, 1, 28, 21}));
}

namespace {
constexpr TArgb Black = 0xFF000000, White = 0xFFFFFFFF, Silver = 0xFFC0C0C0;
constexpr TArgb Teal = 0xFF008080, Olive = 0xFF808000;
} // namespace

TEST(GlyphImages, DisabledImageEmbossesThePixelsTheRuleSelects) {
    // 3 x 2 glyph; the bottom-left pixel (olive) is the transparent colour.
    TImage g(3, 2);
    g.SetPixel(0, 0, Black);
    g.SetPixel(1, 0, White);
    g.SetPixel(2, 0, Teal);
    g.SetPixel(0, 1, Olive);
    g.SetPixel(1, 1, Silver);
    g.SetPixel(2, 1, Olive);
    const TButtonColors c{0xC0C0C0, 0xFFFFFF, 0x808080};
    const TImage d = StateImage(g, nullptr, 1, bsDisabled, false, c);
    ASSERT_EQ(d.Width(), 4);
    ASSERT_EQ(d.Height(), 3);
    // Black and teal are selected: shadow in place, highlight down-right.
    const TArgb S = 0xFF808080, H = 0xFFFFFFFF;
    const TArgb expected[3][4] = {{S, 0, S, 0}, {0, H, 0, H}, {0, 0, 0, 0}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(d.Pixel(x, y), expected[y][x]) << x << "," << y;

    // The old style selects black alone.
    const TImage o = StateImage(g, nullptr, 1, bsDisabled, true, c);
    EXPECT_EQ(o.Pixel(0, 0), S);
    EXPECT_EQ(o.Pixel(2, 0), 0u);
    EXPECT_EQ(o.Pixel(1, 1), H);

    // With a mask, white in the mask is see-through whatever the colour.
    TImage mask(3, 2, Black);
    mask.SetPixel(0, 0, White);
    const TImage m = StateImage(g, &mask, 1, bsDisabled, false, c);
    EXPECT_EQ(m.Pixel(0, 0), 0u);
    EXPECT_EQ(m.Pixel(0, 1), S); // olive now counts
}

TEST(GlyphImages, StatesBeyondTheStripShowTheFirstImage) {
    TImage strip(4, 2, Teal);
    strip.SetPixel(2, 0, Black);
    strip.SetPixel(0, 1, Olive); // transparent colour
    const TButtonColors c;
    const TImage up = StateImage(strip, nullptr, 2, bsUp, false, c);
    EXPECT_EQ(up.Width(), 2);
    EXPECT_EQ(up.Pixel(0, 1), 0u);
    EXPECT_EQ(up.Pixel(0, 0), Teal);
    EXPECT_EQ(StateImage(strip, nullptr, 2, bsDisabled, false, c).Pixel(0, 0), Black);
    EXPECT_EQ(StateImage(strip, nullptr, 2, bsMouseIn, false, c), up);
    // Empty, zero-height or too narrow strips give no image.
    EXPECT_TRUE(StateImage(TImage(0, 5), nullptr, 1, bsUp, false, c).Empty());
    EXPECT_TRUE(StateImage(TImage(5, 0), nullptr, 1, bsDisabled, false, c).Empty());
    EXPECT_TRUE(StateImage(TImage(3, 3), nullptr, 5, bsUp, false, c).Empty());
}

TEST(GlyphImages, DitherPatternAlternatesOnParity) {
    const TImage p = DitherPattern(0xC0C0C0, 0xFFFFFF);
    EXPECT_EQ(p.Width(), 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(p.Pixel(x, y), (x % 2 == y % 2) ? White : Silver) << x << "," << y;
}

TEST(GlyphImages, ListsReuseSlotsAndTheCacheDropsEmptyLists) {
    TGlyphList list(2, 2);
    EXPECT_EQ(list.Add(TImage(2, 2, Teal)), 0);
    EXPECT_EQ(list.Add(TImage(3, 3, Black)), 1); // larger images are cut
    EXPECT_EQ(list.Image(1)->Width(), 2);
    list.Delete(0);
    EXPECT_EQ(list.Add(TImage(2, 2, White)), 0);
    EXPECT_EQ(list.Capacity(), 2);
    EXPECT_THROW(list.Add(TImage(1, 2)), std::invalid_argument);

    const std::size_t before = TGlyphCache::Shared().ListCount();
    {
        TButtonGlyph a, b;
        TImage strip(8, 4, Teal);
        a.SetGlyph(strip);
        b.SetGlyph(strip);
        ASSERT_NE(a.Image(bsUp), nullptr);
        ASSERT_NE(b.Image(bsUp), nullptr);
        ASSERT_NE(a.Image(bsDisabled), nullptr);
        EXPECT_EQ(a.Image(bsDisabled)->Width(), 9);
        // One list per size, shared by both buttons.
        EXPECT_EQ(TGlyphCache::Shared().ListCount(), before + 2);
        a.SetNumGlyphs(2);
        EXPECT_EQ(a.Image(bsUp)->Width(), 4);
    }
    EXPECT_EQ(TGlyphCache::Shared().ListCount(), before);
}
