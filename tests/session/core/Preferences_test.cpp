// The preferences decisions: palette captions and defaults, the enabling
// rules' corner cases, bell bits, and what OK does to a session.
#include "session/core/Preferences.h"

#include <gtest/gtest.h>

TEST(PreferencePalette, CaptionsNameEveryEntryTwice) {
    EXPECT_EQ(prefs::PaletteCaption(0), "屬性&0(黑)");
    EXPECT_EQ(prefs::PaletteCaption(7), "屬性&7(白)");
    EXPECT_EQ(prefs::PaletteCaption(8), "屬性&8(黑)");
    EXPECT_EQ(prefs::PaletteCaption(10), "屬性&A(綠)");
    EXPECT_EQ(prefs::PaletteCaption(15), "屬性&F(白)");
}

TEST(PreferencePalette, NormalDefaultsTouchOnlyTheFirstEight) {
    std::array<TColor, 16> fg{}, bg{};
    fg.fill(0x111111);
    bg.fill(0x222222);
    prefs::SetDefaultColors(fg, bg, false);
    const TColor normal[8] = {0x000000, 0x0000A8, 0x00A800, 0x00A8A8,
                              0xA80000, 0xA800A8, 0xA8A800, 0xBFBFBF};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(fg[i], normal[i]);
        EXPECT_EQ(bg[i], fg[i]);
    }
    for (int i = 8; i < 16; ++i) {
        EXPECT_EQ(fg[i], 0x111111u);
        EXPECT_EQ(bg[i], 0x222222u);
    }
    prefs::SetDefaultColors(fg, bg, true);
    EXPECT_EQ(fg[9], 0x0000FFu);
    EXPECT_EQ(bg[15], 0xFFFFFFu);
}

TEST(PreferenceRules, TintSwatchOffOnlyWithPictureAndTransparencyBoth) {
    prefs::TRuleInput in;
    in.ApplyPicture = true;
    in.Picture = in.Transparent = true;
    EXPECT_FALSE(prefs::ApplyRules(in).TintEnabled);
    EXPECT_TRUE(prefs::ApplyRules(in).TintCaptionGrey);
    in.Transparent = false;
    EXPECT_TRUE(prefs::ApplyRules(in).TintEnabled);
    EXPECT_TRUE(prefs::ApplyRules(in).StrengthCaption);
    in.Picture = false;
    in.Transparent = true;
    EXPECT_TRUE(prefs::ApplyRules(in).TintEnabled);
    EXPECT_FALSE(prefs::ApplyRules(in).StrengthCaption);
    EXPECT_TRUE(prefs::ApplyRules(in).PanelInTransparent);
    in.Transparent = false;
    EXPECT_FALSE(prefs::ApplyRules(in).TransparencyVisible);
    // Not applied to all sites: the whole background page is off.
    in = {};
    in.Picture = true;
    const auto o = prefs::ApplyRules(in);
    EXPECT_FALSE(o.PictureControls);
    EXPECT_FALSE(o.TintEnabled);
    EXPECT_FALSE(o.PictureCaptionRed);
}

TEST(PreferenceRules, BellCaretAndDownloadControls) {
    prefs::TRuleInput in;
    in.Beep = true;
    in.BeepSource = 0;
    auto o = prefs::ApplyRules(in);
    EXPECT_TRUE(o.BeepGroup);
    EXPECT_FALSE(o.SoundChoose);
    in.BeepSource = 1;
    o = prefs::ApplyRules(in);
    EXPECT_TRUE(o.SoundChoose && o.SoundPlayClear && o.SoundBlack);
    in.Beep = false;
    o = prefs::ApplyRules(in);
    EXPECT_FALSE(o.BeepGroup || o.SoundChoose || o.SoundBlack);
    in.CaretType = 1;
    in.DownloadMethod = 2;
    o = prefs::ApplyRules(in);
    EXPECT_TRUE(o.CaretImage);
    EXPECT_FALSE(o.CaretHeight);
    EXPECT_FALSE(o.FtpControls);
}

TEST(PreferenceValues, BeepBitsAndTransparencyText) {
    EXPECT_TRUE(prefs::BeepOn(2));
    EXPECT_EQ(prefs::BeepSource(3), 1);
    EXPECT_EQ(prefs::BeepKind(true, 1, 0), 3);
    EXPECT_EQ(prefs::BeepKind(false, 0, 3 | 8), 8); // other bits survive
    EXPECT_EQ(prefs::ParseTransparency("35"), 35);
    EXPECT_EQ(prefs::ParseTransparency(" 35 "), 35);
    EXPECT_EQ(prefs::ParseTransparency("35%"), 0);
    EXPECT_EQ(prefs::ParseTransparency(""), 0);
    EXPECT_EQ(prefs::ParseTransparency("99999999999999999999"), 0);
}

TEST(PreferencePlan, FontPictureAndCaretFollowTheChanges) {
    TMainSettings before, after;
    after.FontGlobal = true;
    after.FontName = "Mono";
    after.FontSize = 14;
    after.CaretType = true;
    const prefs::TChanges c = prefs::Compare(before, after);
    EXPECT_TRUE(c.Font);
    EXPECT_TRUE(c.CaretType);
    EXPECT_FALSE(c.BufferRows);

    prefs::TSessionLook look;
    look.FontName = "Mono";
    look.FontSize = 14;
    look.SpaceV = after.FontSpaceV;
    auto p = prefs::PlanSession(c, after, look);
    EXPECT_FALSE(p.SetFont); // the session has that font already
    EXPECT_FALSE(p.Refit);
    EXPECT_TRUE(p.CaretImageLoad);
    look.FontSize = 12;
    p = prefs::PlanSession(c, after, look);
    EXPECT_TRUE(p.SetFont && p.Refit);

    after.GlobalPicture = true;
    after.Picture = true;
    after.PictureFilename = "a.png";
    look.Picture = true;
    look.PictureFilename = "a.png";
    EXPECT_EQ(prefs::PlanSession(c, after, look).Picture, prefs::TSessionPlan::PictureKeep);
    look.PictureFilename = "b.png";
    EXPECT_EQ(prefs::PlanSession(c, after, look).Picture, prefs::TSessionPlan::PictureOn);
    after.Picture = false;
    EXPECT_EQ(prefs::PlanSession(c, after, look).Picture, prefs::TSessionPlan::PictureOff);
    after.GlobalPicture = false;
    EXPECT_EQ(prefs::PlanSession(c, after, look).Picture, prefs::TSessionPlan::PictureKeep);
}

TEST(PreferencePlan, WindowsGrowNeverShrink) {
    const auto g = prefs::GrowToFit({600, 400}, {640, 380}, {620, 440});
    EXPECT_EQ(g.Width, 660);
    EXPECT_EQ(g.Height, 440);
}
