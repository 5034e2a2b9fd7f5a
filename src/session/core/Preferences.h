// The decisions of the preferences dialog, apart from its widgets: the
// palette editor's captions and defaults, the enabling rules, the bell kind
// bits, what OK changed and what it does to each open session.
#pragma once
#include "session/core/MainSettings.h"

#include <array>
#include <string>
#include <string_view>

namespace prefs {

constexpr int kPaletteSize = 16;

// "屬性&" + entry as one hex digit + "(" + colour name + ")", UTF-8.
std::string PaletteCaption(int entry);

// "正常" (entries 0-7) or "高亮度" (8-15): both tables take the default palette.
void SetDefaultColors(std::array<TColor, 16>& fg, std::array<TColor, 16>& bg, bool highlight);

// [Windows] "BeepKind": 2 = the bell sounds, 1 = a wave file rather than the
// system beep.
constexpr int kBeepOn = 2, kBeepWave = 1;
inline bool BeepOn(int kind) {
    return (kind & kBeepOn) != 0;
}
inline int BeepSource(int kind) {
    return (kind & kBeepWave) ? 1 : 0;
} // radio index
int BeepKind(bool on, int source, int oldKind);

// The text of the transparency edit as a percentage: 0 when not a number.
int ParseTransparency(std::string_view text);

// The state of the controls the enabling rules look at.
struct TRuleInput {
    bool Beep = false;
    int BeepSource = 0;     // 0 speaker, 1 sound card
    int DownloadMethod = 0; // 0 FTP program, 1 browser, 2 copy URL
    int CaretType = 0;      // 0 block, 1 picture
    bool Picture = false;
    bool Transparent = false;
    bool ApplyFont = false;
    bool ApplyPicture = false;
};

// What the rules make of them.
struct TRuleOutput {
    // Bell: the radio group, the sound label/file (black or grey) and the
    // three sound buttons (choose; play and clear).
    bool BeepGroup = false, SoundBlack = false, SoundChoose = false, SoundPlayClear = false;
    // Download: FTP label, file, button, folder label and edit.
    bool FtpControls = false;
    // Caret: height label and spin, or image label, file and button.
    bool CaretHeight = false, CaretImage = false;
    // Picture group: its label, style, file label, file and open button.
    bool PictureControls = false;
    // Transparency panel inside the transparent group (else the tint group).
    bool PanelInTransparent = false;
    bool TransparencyVisible = false;
    bool TintEnabled = false; // ColorStaticText shows TintColor when enabled
    bool TintCaptionGrey = false;
    bool StrengthCaption = false; // "強度(&R)" rather than "透明度(&R)"
    // Apply font / apply picture groups, and their check boxes' red captions.
    bool FontGroup = false, FontCaptionRed = false;
    bool PictureGroups = false, PictureCaptionRed = false;
};
TRuleOutput ApplyRules(const TRuleInput& in);

// What OK changed, for the per-session update.
struct TChanges {
    bool BufferRows = false;
    bool Font = false; // name, size, bold or italic
    bool ClearBeepInterval = false;
    bool CaretType = false;
    bool CaretHeight = false;
    bool Caption = false; // toolbar captions hidden or shown
};
TChanges Compare(const TMainSettings& before, const TMainSettings& after);

// A session as the update sees it.
struct TSessionLook {
    std::string FontName;
    int FontSize = 0;
    bool FontBold = false, FontItalic = false;
    int SpaceV = 0;
    bool Picture = false;
    std::string PictureFilename;
};

// What to do to one session.
struct TSessionPlan {
    bool SetBufferRows = false;
    bool SetBeepInterval = false;
    bool SetFont = false;
    bool SetSpaceV = false;
    bool Refit = false;          // the window grows to fit the terminal again
    bool SetPictureLook = false; // tint, transparency, style
    enum { PictureKeep, PictureOn, PictureOff } Picture = PictureKeep;
    bool CaretImageLoad = false, CaretImageDrop = false;
    bool SetCaretHeight = false;
};
TSessionPlan PlanSession(const TChanges& changes, const TMainSettings& s, const TSessionLook& look);

// A window that is to hold a client area of need: grown where it is smaller,
// never shrunk; the left edge (and top) stay.
struct TSize {
    int Width = 0, Height = 0;
};
TSize GrowToFit(TSize client, TSize need, TSize frame);

} // namespace prefs
