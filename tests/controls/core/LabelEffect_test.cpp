#include "controls/core/LabelEffect.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(LabelEffectRules, HandSetDepthOrColourMakesTheStyleOrSchemeCustom) {
    TLabelEffectModel m;
    EXPECT_EQ(m.EffectStyle(), esRaised);
    m.SetDepthShadow(4);
    EXPECT_EQ(m.EffectStyle(), esCustom);
    EXPECT_EQ(m.DepthShadow(), 4);

    TLabelEffectModel c;
    EXPECT_TRUE(c.SetColourHighlight(0x0000FF));
    EXPECT_EQ(c.ColourScheme(), csCustom);
    EXPECT_EQ(c.ColourHighlight(), 0x0000FFu);
    EXPECT_EQ(c.ColourShadow(), 0x000000u); // csWindows' other two are kept
    EXPECT_EQ(c.ColourFace(), 0x808080u);
    EXPECT_EQ(c.CustomColours().Highlight, 0x0000FFu);

    // A scheme sets all three and becomes the new custom triple.
    c.SetColourScheme(csGold);
    EXPECT_EQ(c.ColourHighlight(), 0x00FFFFu);
    EXPECT_EQ(c.ColourFace(), 0x008080u);
    EXPECT_EQ(c.CustomColours().Face, 0x008080u);
    c.SetColourScheme(csCustom);
    EXPECT_EQ(c.ColourShadow(), 0x000000u);

    // Out-of-range values are ignored.
    EXPECT_FALSE(c.SetDepthHighlight(11));
    EXPECT_FALSE(c.SetAngle(361));
}

TEST(LabelEffectRules, FaceColourCarriesGraduationsThatFollowedIt) {
    TLabelEffectModel m;
    m.SetGraduateShadow(0x123456);
    m.SetColourFace(0x0000C0);
    EXPECT_EQ(m.GraduateHighlight(), 0x0000C0u); // equalled the old face
    EXPECT_EQ(m.GraduateFrom(), 0x0000C0u);
    EXPECT_EQ(m.GraduateShadow(), 0x123456u);
    // Graduate colours repaint only where they show.
    EXPECT_FALSE(m.SetGraduateHighlight(0x111111));
    m.SetStyleHighlight(eoGraduated);
    EXPECT_TRUE(m.SetGraduateHighlight(0x222222));
    EXPECT_FALSE(m.SetGraduateFrom(0x333333));
    EXPECT_FALSE(m.SetKeepLettersVertical(true));
}

TEST(LabelEffectRules, StylesAsButtonAndResizeOptions) {
    TLabelEffectModel m;
    m.SetEffectStyle(esShadow);
    EXPECT_EQ(m.DepthShadow(), 2);
    EXPECT_EQ(m.DirectionHighlight(), edNone);
    m.SetAsButton(true);
    EXPECT_EQ(m.EffectStyle(), esRaised);
    m.SetEffectStyle(esShadow);
    EXPECT_FALSE(m.AsButton());

    m.SetEffectStyle(esFlying);
    EXPECT_EQ(m.ColourHighlight(), 0x000000u); // the scheme's shadow colour
    EXPECT_EQ(m.DepthShadow(), 5);
    m.SetEffectStyle(esSunken);
    EXPECT_EQ(m.DirectionHighlight(), edDownRight);
    EXPECT_EQ(m.ColourHighlight(), 0xFFFFFFu);

    m.SetResizeShadow(rsExpand);
    EXPECT_EQ(m.StyleShadow(), eoExtrude);
    m.SetStyleShadow(eoGraduated);
    m.SetResizeShadow(rsReduce);
    EXPECT_EQ(m.StyleShadow(), eoGraduated);
    m.SetStyleShadow(eoReal);
    EXPECT_EQ(m.ResizeShadow(), rsNone);

    m.SetAngle(90);
    EXPECT_TRUE(m.ForcesLeftAlignment());
    EXPECT_NEAR(m.Cos(), 0.0, 1e-12);
    EXPECT_NEAR(m.Sin(), 1.0, 1e-12);
}

TEST(LabelEffectRules, AsButtonPressesInWhileTheMouseIsOnIt) {
    TLabelEffectModel m;
    m.SetAsButton(true);
    EXPECT_TRUE(m.MouseDown(true));
    EXPECT_EQ(m.EffectStyle(), esSunken);
    m.MouseMove(true, 200, 5, 142, 33);
    EXPECT_EQ(m.EffectStyle(), esRaised);
    m.MouseMove(true, 142, 33, 142, 33); // the bounds are inclusive
    EXPECT_EQ(m.EffectStyle(), esSunken);
    m.MouseUp(10, 10, 142, 33);
    EXPECT_EQ(m.EffectStyle(), esRaised);
    EXPECT_FALSE(m.MouseDown(false)); // disabled
}

TEST(LabelEffectLayers, DepthRulesAndGraduatedChannelsAtDepthThree) {
    // Depth 0 or 1: one copy, whatever the style.
    auto one = LayerCopies({edDownRight, 1, eoGraduated, rsNone, 0x0000FF, 0xFF0000}, 20, {});
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0], (TLayerCopy{1, 1, 0x0000FF, 0}));
    auto real = LayerCopies({edLeft, 3, eoReal, rsNone, 0x00FF00, 0}, 20, {});
    ASSERT_EQ(real.size(), 1u);
    EXPECT_EQ(real[0], (TLayerCopy{-3, 0, 0x000000, 0}));

    // Farthest first; the copy next to the face has the graduate colour.
    auto g = LayerCopies({edDown, 3, eoGraduated, rsNone, 0x102030, 0x70A0F0}, 20, {});
    ASSERT_EQ(g.size(), 3u);
    EXPECT_EQ(g[0], (TLayerCopy{0, 3, 0x102030, 0}));
    EXPECT_EQ(g[1], (TLayerCopy{0, 2, 0x406090, 0}));
    EXPECT_EQ(g[2], (TLayerCopy{0, 1, 0x70A0F0, 0}));
    // A falling channel truncates towards zero: 255 + 1 x -255 / 2 = 128.
    EXPECT_EQ(GraduatedColour(0x0000FF, 0x000000, 2, 3), 0x000080u);
}

TEST(LabelEffectLayers, ResizedStepsShiftToStayAlignedAndStopAtOnePoint) {
    // Each point of font makes the caption 3 pixels wider.
    auto width = [](int delta) { return 100 + 3 * delta; };
    auto e = LayerCopies({edUpLeft, 2, eoExtrude, rsExpand, 0, 0}, 20, width);
    ASSERT_EQ(e.size(), 2u);
    // edUpLeft expand: (fx, fy) = (-1, -2).
    EXPECT_EQ(e[0], (TLayerCopy{-2 - 6, -2 - 4, 0, 2}));
    EXPECT_EQ(e[1], (TLayerCopy{-1 - 3, -1 - 2, 0, 1}));
    auto r = LayerCopies({edRight, 3, eoExtrude, rsReduce, 0, 0}, 2, width);
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].FontDelta, -1); // 2 points can shrink to 1, no further
    EXPECT_EQ(r[2].FontDelta, -1);
    // edRight reduce: (2, 0.5): width change 3 -> 6; round(1.5) = 2, round(0.5) = 0.
    EXPECT_EQ(r[0], (TLayerCopy{3 + 6, 2, 0, -1}));
    EXPECT_EQ(r[2], (TLayerCopy{1 + 6, 0, 0, -1}));
}
