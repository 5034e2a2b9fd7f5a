#include "session/core/Preferences.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace prefs {

namespace {
const char* const kColorNames[8] = {"黑", "紅", "綠", "黃", "藍", "紫", "靛", "白"};
}

std::string PaletteCaption(int entry) {
    entry = std::clamp(entry, 0, kPaletteSize - 1);
    std::string s = "屬性&";
    s.push_back("0123456789ABCDEF"[entry]);
    s += "(";
    s += kColorNames[entry % 8];
    s += ")";
    return s;
}

void SetDefaultColors(std::array<TColor, 16>& fg, std::array<TColor, 16>& bg, bool highlight) {
    const int from = highlight ? 8 : 0;
    for (int i = from; i < from + 8; ++i) {
        fg[static_cast<std::size_t>(i)] = DefaultPalette[static_cast<std::size_t>(i)];
        bg[static_cast<std::size_t>(i)] = DefaultPalette[static_cast<std::size_t>(i)];
    }
}

int BeepKind(bool on, int source, int oldKind) {
    int kind = oldKind & ~(kBeepOn | kBeepWave);
    if (on) kind |= kBeepOn;
    if (source == 1) kind |= kBeepWave;
    return kind;
}

int ParseTransparency(std::string_view text) {
    std::string s(text);
    // Blanks around the number are what a user leaves; anything else is not one.
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos) return 0;
    s = s.substr(b, s.find_last_not_of(' ') - b + 1);
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(s.c_str(), &end, 10);
    if (end == s.c_str() || *end != '\0' || errno != 0 || v < INT_MIN || v > INT_MAX) return 0;
    return static_cast<int>(v);
}

TRuleOutput ApplyRules(const TRuleInput& in) {
    TRuleOutput o;
    o.BeepGroup = in.Beep;
    o.SoundBlack = in.Beep && in.BeepSource == 1;
    o.SoundChoose = in.Beep && in.BeepSource == 1;
    o.SoundPlayClear = in.BeepSource == 1 && in.Beep;
    o.FtpControls = in.DownloadMethod == 0;
    o.CaretHeight = in.CaretType == 0;
    o.CaretImage = in.CaretType != 0;
    o.FontGroup = in.ApplyFont;
    o.FontCaptionRed = in.ApplyFont;
    o.PictureGroups = in.ApplyPicture;
    o.PictureCaptionRed = in.ApplyPicture;
    o.PictureControls = in.Picture && in.ApplyPicture;
    o.PanelInTransparent = in.Transparent;
    o.TransparencyVisible = in.Picture || in.Transparent;
    const bool both = in.Picture && in.Transparent;
    o.TintEnabled = in.ApplyPicture && !both;
    o.TintCaptionGrey = both || !in.ApplyPicture;
    o.StrengthCaption = in.Picture && !in.Transparent;
    return o;
}

TChanges Compare(const TMainSettings& a, const TMainSettings& b) {
    TChanges c;
    c.BufferRows = a.MaxBufferRows != b.MaxBufferRows;
    c.Font = a.FontName != b.FontName || a.FontSize != b.FontSize || a.FontBold != b.FontBold ||
             a.FontItalic != b.FontItalic;
    c.ClearBeepInterval = a.ClearBeepInterval != b.ClearBeepInterval;
    c.CaretType = a.CaretType != b.CaretType;
    c.CaretHeight = a.CaretHeight != b.CaretHeight;
    c.Caption = a.Caption != b.Caption;
    return c;
}

TSessionPlan PlanSession(const TChanges& c, const TMainSettings& s, const TSessionLook& look) {
    TSessionPlan p;
    p.SetBufferRows = c.BufferRows;
    p.SetBeepInterval = c.ClearBeepInterval;
    if (s.FontGlobal) {
        p.SetFont = look.FontName != s.FontName || look.FontSize != s.FontSize ||
                    look.FontBold != s.FontBold || look.FontItalic != s.FontItalic;
        p.SetSpaceV = look.SpaceV != s.FontSpaceV;
        p.Refit = p.SetFont || p.SetSpaceV;
    }
    if (s.GlobalPicture) {
        p.SetPictureLook = true;
        if (s.Picture) {
            if (!look.Picture || look.PictureFilename != s.PictureFilename)
                p.Picture = TSessionPlan::PictureOn;
        } else {
            p.Picture = TSessionPlan::PictureOff;
        }
    }
    if (c.CaretType) {
        p.CaretImageLoad = s.CaretType;
        p.CaretImageDrop = !s.CaretType;
    }
    p.SetCaretHeight = c.CaretHeight;
    return p;
}

TSize GrowToFit(TSize client, TSize need, TSize frame) {
    const int dw = std::max(0, need.Width - client.Width);
    const int dh = std::max(0, need.Height - client.Height);
    return {frame.Width + dw, frame.Height + dh};
}

} // namespace prefs
