#include "controls/core/LabelEffect.h"

#include <algorithm>
#include <cmath>

namespace controls {

TSchemeColours SchemeColours(TColourScheme scheme) {
    switch (scheme) {
    case csText:
        return {0xFFFFFF, 0x808080, 0x000000};
    case csEmbossed:
        return {0xFFFFFF, 0x000000, 0xC0C0C0};
    case csGold:
        return {0x00FFFF, 0x000000, 0x008080};
    case csSteel:
        return {0xFFFF00, 0x800000, 0x808000};
    case csCustom:
    case csWindows:
        break;
    }
    return {0xFFFFFF, 0x000000, 0x808080};
}

TStep DirectionStep(TEffectDirection d) {
    static constexpr TStep steps[9] = {{0, 0}, {0, -1}, {1, -1}, {1, 0},  {1, 1},
                                       {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}};
    return steps[d < 9 ? d : 0];
}

TShiftFactors ResizeShift(TEffectDirection d, TResizeOption r) {
    static constexpr TShiftFactors expand[9] = {{-0.5, -1}, {-0.5, -2}, {0, -2},  {0, -1}, {0, 0},
                                                {-0.5, 0},  {-1, 0},    {-1, -1}, {-1, -2}};
    static constexpr TShiftFactors reduce[9] = {{0.5, 0.5}, {0.5, -1}, {2, -1},   {2, 0.5}, {2, 2},
                                                {0.5, 2},   {-1, 2},   {-1, 0.5}, {-1, -1}};
    if (r == rsNone || d >= 9) return {0, 0};
    return r == rsExpand ? expand[d] : reduce[d];
}

TLabelEffectModel::TLabelEffectModel() : FCustom(SchemeColours(csWindows)) {}

namespace {
bool DepthOk(int v) {
    return v >= 0 && v <= 10;
}
} // namespace

bool TLabelEffectModel::SetDepthHighlight(int v) {
    if (!DepthOk(v) || v == FDepthHighlight) return false;
    FDepthHighlight = v;
    if (!FInStyle) SetEffectStyle(esCustom);
    return true;
}

bool TLabelEffectModel::SetDepthShadow(int v) {
    if (!DepthOk(v) || v == FDepthShadow) return false;
    FDepthShadow = v;
    if (!FInStyle) SetEffectStyle(esCustom);
    return true;
}

bool TLabelEffectModel::SetDirectionHighlight(TEffectDirection v) {
    if (v > edUpLeft || v == FDirectionHighlight) return false;
    FDirectionHighlight = v;
    if (!FInStyle) SetEffectStyle(esCustom);
    return true;
}

bool TLabelEffectModel::SetDirectionShadow(TEffectDirection v) {
    if (v > edUpLeft || v == FDirectionShadow) return false;
    FDirectionShadow = v;
    if (!FInStyle) SetEffectStyle(esCustom);
    return true;
}

bool TLabelEffectModel::SetColour(TColor& field, TColor TSchemeColours::*custom, TColor v) {
    if (v == field) return false;
    field = v;
    if (!FInScheme) {
        FCustom.*custom = v;
        SetColourScheme(csCustom);
    }
    return true;
}

bool TLabelEffectModel::SetColourHighlight(TColor v) {
    return SetColour(FColourHighlight, &TSchemeColours::Highlight, v);
}

bool TLabelEffectModel::SetColourShadow(TColor v) {
    return SetColour(FColourShadow, &TSchemeColours::Shadow, v);
}

bool TLabelEffectModel::SetColourFace(TColor v) {
    const TColor old = FColourFace;
    if (!SetColour(FColourFace, &TSchemeColours::Face, v)) return false;
    for (TColor* g : {&FGraduateHighlight, &FGraduateShadow, &FGraduateFrom})
        if (*g == old) *g = v;
    return true;
}

bool TLabelEffectModel::FontColourChanged(TColor v) {
    return SetColourFace(v);
}

bool TLabelEffectModel::SetGraduateHighlight(TColor v) {
    if (v == FGraduateHighlight) return false;
    FGraduateHighlight = v;
    return FStyleHighlight == eoGraduated;
}

bool TLabelEffectModel::SetGraduateShadow(TColor v) {
    if (v == FGraduateShadow) return false;
    FGraduateShadow = v;
    return FStyleShadow == eoGraduated;
}

bool TLabelEffectModel::SetGraduateFrom(TColor v) {
    if (v == FGraduateFrom) return false;
    FGraduateFrom = v;
    return FGraduateFace != goNone;
}

bool TLabelEffectModel::SetGraduateFace(TGraduateOption v) {
    if (v > goLIndented || v == FGraduateFace) return false;
    FGraduateFace = v;
    return true;
}

bool TLabelEffectModel::SetStyle(TEffectOption& style, TResizeOption& resize, TEffectOption v) {
    if (v > eoGraduated || v == style) return false;
    style = v;
    if (v < eoExtrude) resize = rsNone;
    return true;
}

bool TLabelEffectModel::SetStyleHighlight(TEffectOption v) {
    return SetStyle(FStyleHighlight, FResizeHighlight, v);
}

bool TLabelEffectModel::SetStyleShadow(TEffectOption v) {
    return SetStyle(FStyleShadow, FResizeShadow, v);
}

bool TLabelEffectModel::SetResize(TResizeOption& resize, TEffectOption& style, TResizeOption v) {
    if (v > rsReduce || v == resize) return false;
    resize = v;
    if (style != eoGraduated) style = eoExtrude;
    return true;
}

bool TLabelEffectModel::SetResizeHighlight(TResizeOption v) {
    return SetResize(FResizeHighlight, FStyleHighlight, v);
}

bool TLabelEffectModel::SetResizeShadow(TResizeOption v) {
    return SetResize(FResizeShadow, FStyleShadow, v);
}

bool TLabelEffectModel::SetColourScheme(TColourScheme v) {
    if (v > csSteel || v == FColourScheme) return false;
    FInScheme = true;
    const TSchemeColours c = v == csCustom ? FCustom : SchemeColours(v);
    SetColourHighlight(c.Highlight);
    SetColourFace(c.Face);
    SetColourShadow(c.Shadow);
    if (v != csCustom) FCustom = c;
    FColourScheme = v;
    FInScheme = false;
    return true;
}

bool TLabelEffectModel::SetEffectStyle(TEffectStyle v) {
    if (v > esFlying || v == FEffectStyle) return false;
    FInStyle = true;
    const TSchemeColours scheme =
        FColourScheme == csCustom ? FCustom : SchemeColours(FColourScheme);
    FColourHighlight = scheme.Highlight;
    switch (v) {
    case esNone:
        FDirectionHighlight = FDirectionShadow = edNone;
        FDepthHighlight = FDepthShadow = 0;
        FAsButton = false;
        break;
    case esCustom:
        FAsButton = false;
        break;
    case esRaised:
        FDirectionHighlight = edUpLeft;
        FDirectionShadow = edDownRight;
        FDepthHighlight = FDepthShadow = 1;
        break;
    case esSunken:
        FDirectionHighlight = edDownRight;
        FDirectionShadow = edUpLeft;
        FDepthHighlight = FDepthShadow = 1;
        break;
    case esShadow:
        FDirectionHighlight = edNone;
        FDepthHighlight = 0;
        FDirectionShadow = edDownRight;
        FDepthShadow = 2;
        FAsButton = false;
        break;
    case esFlying:
        FDirectionHighlight = FDirectionShadow = edDownRight;
        FDepthHighlight = 1;
        FDepthShadow = 5;
        FColourHighlight = scheme.Shadow;
        FAsButton = false;
        break;
    }
    FEffectStyle = v;
    FInStyle = false;
    return true;
}

bool TLabelEffectModel::SetAsButton(bool v) {
    if (v == FAsButton) return false;
    FAsButton = v;
    if (v) SetEffectStyle(esRaised);
    return true;
}

bool TLabelEffectModel::SetAngle(int v) {
    if (v < 0 || v > 360 || v == FAngle) return false;
    FAngle = v;
    const double rad = v * (3.14159265358979323846 / 180.0);
    FCos = std::cos(rad);
    FSin = std::sin(rad);
    return true;
}

bool TLabelEffectModel::SetKeepLettersVertical(bool v) {
    if (v == FKeepLettersVertical) return false;
    FKeepLettersVertical = v;
    return FAngle != 0;
}

bool TLabelEffectModel::MouseDown(bool enabled) {
    if (!FAsButton || !enabled || FEffectStyle == esSunken) return false;
    return SetEffectStyle(esSunken);
}

bool TLabelEffectModel::MouseMove(bool onlyLeftHeld, int x, int y, int w, int h) {
    if (!FAsButton || !onlyLeftHeld) return false;
    const bool inside = x >= 0 && x <= w && y >= 0 && y <= h;
    return SetEffectStyle(inside ? esSunken : esRaised);
}

bool TLabelEffectModel::MouseUp(int x, int y, int w, int h) {
    if (!FAsButton) return false;
    const bool inside = x >= 0 && x <= w && y >= 0 && y <= h;
    return inside && SetEffectStyle(esRaised);
}

// ---- Layers -------------------------------------------------------------------------

TColor GraduatedColour(TColor layer, TColor graduate, int step, int depth) {
    if (depth <= 1) return layer;
    TColor out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int l = int(layer >> shift & 0xFF), g = int(graduate >> shift & 0xFF);
        const int c = l + (depth - step) * (g - l) / (depth - 1);
        out |= TColor(std::clamp(c, 0, 255)) << shift;
    }
    return out;
}

std::vector<TLayerCopy> LayerCopies(const TLayerSpec& layer, int fontPoints,
                                    const std::function<int(int)>& captionWidth) {
    const TStep step = DirectionStep(layer.Direction);
    const TShiftFactors f = ResizeShift(layer.Direction, layer.Resize);
    const int base = layer.Resize != rsNone && captionWidth ? captionWidth(0) : 0;
    auto copyAt = [&](int s, TColor colour) {
        int delta = 0;
        if (layer.Resize == rsExpand) delta = s;
        // A reduced font stops at 1 point.
        if (layer.Resize == rsReduce) delta = std::max(-s, 1 - std::max(1, fontPoints));
        int dx = s * step.Dx, dy = s * step.Dy;
        if (layer.Resize != rsNone) {
            const int w = captionWidth ? captionWidth(delta) : base;
            const int change = layer.Resize == rsExpand ? w - base : base - w;
            dx += int(std::nearbyint(change * f.Fx));
            dy += int(std::nearbyint(s * f.Fy));
        }
        return TLayerCopy{dx, dy, colour, delta};
    };
    std::vector<TLayerCopy> out;
    const int depth = std::clamp(layer.Depth, 0, 10);
    if (layer.Style == eoNormal || depth <= 1) {
        out.push_back(copyAt(depth, layer.Colour));
    } else if (layer.Style == eoReal) {
        out.push_back(copyAt(depth, 0x000000));
    } else {
        for (int s = depth; s >= 1; --s)
            out.push_back(copyAt(s, layer.Style == eoGraduated
                                        ? GraduatedColour(layer.Colour, layer.Graduate, s, depth)
                                        : layer.Colour));
    }
    return out;
}

} // namespace controls
