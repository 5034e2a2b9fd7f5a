// The rules of the effects label: its published effect properties with the
// setter rules that tie styles, schemes, colours and the as-button look
// together, and the copies of the caption each layer is drawn from.
//
// Colours are 0x00BBGGRR values, as the settings and forms store them.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

namespace controls {

using TColor = std::uint32_t;

enum TEffectDirection : std::uint8_t {
    edNone,
    edUp,
    edUpRight,
    edRight,
    edDownRight,
    edDown,
    edDownLeft,
    edLeft,
    edUpLeft
};
enum TEffectOption : std::uint8_t { eoNormal, eoReal, eoExtrude, eoGraduated };
enum TResizeOption : std::uint8_t { rsNone, rsExpand, rsReduce };
enum TEffectStyle : std::uint8_t { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum TColourScheme : std::uint8_t { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
enum TGraduateOption : std::uint8_t {
    goNone,
    goVertical,
    goHorizontal,
    goFDiagonal,
    goBDiagonal,
    goBoxed,
    goRIndented,
    goLIndented
};

struct TSchemeColours {
    TColor Highlight, Shadow, Face;
};
// The fixed schemes (csCustom's entry is the label's own, see below).
TSchemeColours SchemeColours(TColourScheme scheme);

// The unit step of a direction.
struct TStep {
    int Dx, Dy;
};
TStep DirectionStep(TEffectDirection d);
// The shift factors (fx, fy) that keep resized steps aligned.
struct TShiftFactors {
    double Fx, Fy;
};
TShiftFactors ResizeShift(TEffectDirection d, TResizeOption r);

// The effect properties and their setter rules. Each setter returns true
// when the label must repaint.
class TLabelEffectModel {
public:
    TLabelEffectModel();

    int DepthHighlight() const { return FDepthHighlight; }
    int DepthShadow() const { return FDepthShadow; }
    TEffectDirection DirectionHighlight() const { return FDirectionHighlight; }
    TEffectDirection DirectionShadow() const { return FDirectionShadow; }
    TColor ColourHighlight() const { return FColourHighlight; }
    TColor ColourShadow() const { return FColourShadow; }
    TColor ColourFace() const { return FColourFace; }
    TColor GraduateHighlight() const { return FGraduateHighlight; }
    TColor GraduateShadow() const { return FGraduateShadow; }
    TColor GraduateFrom() const { return FGraduateFrom; }
    TGraduateOption GraduateFace() const { return FGraduateFace; }
    TEffectOption StyleHighlight() const { return FStyleHighlight; }
    TEffectOption StyleShadow() const { return FStyleShadow; }
    TResizeOption ResizeHighlight() const { return FResizeHighlight; }
    TResizeOption ResizeShadow() const { return FResizeShadow; }
    TEffectStyle EffectStyle() const { return FEffectStyle; }
    TColourScheme ColourScheme() const { return FColourScheme; }
    bool AsButton() const { return FAsButton; }
    int Angle() const { return FAngle; }
    bool KeepLettersVertical() const { return FKeepLettersVertical; }
    // The rotation of the current angle.
    double Cos() const { return FCos; }
    double Sin() const { return FSin; }
    // The csCustom triple: the colours last set by hand.
    TSchemeColours CustomColours() const { return FCustom; }
    // Whether the current angle forces left alignment.
    bool ForcesLeftAlignment() const { return FAngle != 0; }

    // Depth 0..10 and directions: set by hand they make the style custom.
    bool SetDepthHighlight(int v);
    bool SetDepthShadow(int v);
    bool SetDirectionHighlight(TEffectDirection v);
    bool SetDirectionShadow(TEffectDirection v);
    // Colours set by hand go into the custom triple and make the scheme
    // custom. ColourFace also tells the caller the font colour to set; a
    // graduate colour that equalled the old face follows it.
    bool SetColourHighlight(TColor v);
    bool SetColourShadow(TColor v);
    bool SetColourFace(TColor v);
    bool SetGraduateHighlight(TColor v);
    bool SetGraduateShadow(TColor v);
    bool SetGraduateFrom(TColor v);
    bool SetGraduateFace(TGraduateOption v);
    bool SetStyleHighlight(TEffectOption v);
    bool SetStyleShadow(TEffectOption v);
    bool SetResizeHighlight(TResizeOption v);
    bool SetResizeShadow(TResizeOption v);
    bool SetEffectStyle(TEffectStyle v);
    bool SetColourScheme(TColourScheme v);
    bool SetAsButton(bool v);
    // 0..360; other values are ignored.
    bool SetAngle(int v);
    bool SetKeepLettersVertical(bool v);
    // The font's colour changed: the face follows it.
    bool FontColourChanged(TColor v);

    // As-button mouse handling: what the label looks like after each event.
    bool MouseDown(bool enabled);
    bool MouseMove(bool onlyLeftHeld, int x, int y, int clientWidth, int clientHeight);
    bool MouseUp(int x, int y, int clientWidth, int clientHeight);

private:
    bool SetColour(TColor& field, TColor TSchemeColours::*custom, TColor v);
    bool SetStyle(TEffectOption& style, TResizeOption& resize, TEffectOption v);
    bool SetResize(TResizeOption& resize, TEffectOption& style, TResizeOption v);

    int FDepthHighlight = 1, FDepthShadow = 1;
    TEffectDirection FDirectionHighlight = edUpLeft, FDirectionShadow = edDownRight;
    TColor FColourHighlight = 0xFFFFFF, FColourShadow = 0x000000, FColourFace = 0x808080;
    TColor FGraduateHighlight = 0x808080, FGraduateShadow = 0x808080, FGraduateFrom = 0x808080;
    TGraduateOption FGraduateFace = goNone;
    TEffectOption FStyleHighlight = eoNormal, FStyleShadow = eoNormal;
    TResizeOption FResizeHighlight = rsNone, FResizeShadow = rsNone;
    TEffectStyle FEffectStyle = esRaised;
    TColourScheme FColourScheme = csWindows;
    bool FAsButton = false, FKeepLettersVertical = false;
    int FAngle = 0;
    double FCos = 1, FSin = 0;
    TSchemeColours FCustom;
    bool FInStyle = false, FInScheme = false;
};

// One copy of the caption in a layer: its offset from the face, colour and
// font size change (points).
struct TLayerCopy {
    int Dx, Dy;
    TColor Colour;
    int FontDelta;
    friend bool operator==(const TLayerCopy&, const TLayerCopy&) = default;
};

struct TLayerSpec {
    TEffectDirection Direction = edNone;
    int Depth = 0;
    TEffectOption Style = eoNormal;
    TResizeOption Resize = rsNone;
    TColor Colour = 0, Graduate = 0;
};

// The copies of one layer in drawing order (farthest first, so the copy
// next to the face lies on top). captionWidth(delta) measures the caption
// in a font delta points larger; fontPoints is the current size, and
// reduced fonts stop at 1 point.
std::vector<TLayerCopy> LayerCopies(const TLayerSpec& layer, int fontPoints,
                                    const std::function<int(int)>& captionWidth);

// A graduated layer's colour at step s of depth (channel by channel).
TColor GraduatedColour(TColor layer, TColor graduate, int step, int depth);

} // namespace controls
