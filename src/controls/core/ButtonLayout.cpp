#include "controls/core/ButtonLayout.h"

namespace controls {

int ClampNumGlyphs(int n) {
    return n < 1 ? 1 : n > 5 ? 5 : n;
}

int NumGlyphsOfStrip(int width, int height) {
    if (width <= 0 || height <= 0 || width % height != 0) return 1;
    const int n = width / height;
    return n >= 1 && n <= 5 ? n : 1;
}

int ClampArrowWidth(int width) {
    return width < 7 ? 7 : width;
}

bool MarginAccepted(int value) {
    return value >= -1;
}

TButtonPaintPlan PlanButtonPaint(const TButtonLook& look) {
    TButtonPaintPlan plan;
    const bool downish = look.State == bsDown || look.State == bsExclusive;
    plan.Pressed =
        look.State == bsExclusive || (look.State == bsDown && !(look.Combo && look.MenuIsDown));
    const bool hot = look.MouseInControl && look.Enabled;
    const bool border = look.Designing || (!look.NoBorder && (!look.Flat || downish || hot));
    TRect rect{0, 0, look.Width, look.Height};
    if (look.Combo && look.UsesDropdown) {
        plan.HasArrowPart = true;
        const int part = look.ArrowWidth + 2;
        plan.ArrowPart = {rect.Right - part, 0, rect.Right, rect.Bottom};
        rect.Right -= part;
        const bool sunken = look.State == bsDown && look.MenuIsDown;
        if (border)
            plan.ArrowEdge = look.Flat ? (sunken ? TEdgeStyle::FlatSunken : TEdgeStyle::FlatRaised)
                                       : (sunken ? TEdgeStyle::Sunken : TEdgeStyle::Raised);
        plan.ArrowPartCentre = {plan.ArrowPart.Left + plan.ArrowPart.Width() / 2 + (sunken ? 1 : 0),
                                look.Height / 2 - 1 + (sunken ? 1 : 0)};
    }
    if (border)
        plan.FaceEdge = look.Flat ? (plan.Pressed ? TEdgeStyle::FlatSunken : TEdgeStyle::FlatRaised)
                                  : (plan.Pressed ? TEdgeStyle::Sunken : TEdgeStyle::Raised);
    plan.Face = rect.Inflated(look.Flat ? -1 : -2);
    plan.Dither = look.State == bsExclusive && look.HighlightWhenDown && !(look.Flat && hot) &&
                  !look.MenuIsDown;
    if (plan.Pressed) plan.ContentOffset = {1, 1};
    return plan;
}

TContentLayout LayoutButtonContent(const TRect& face, TSize glyph, TSize caption, bool arrow,
                                   int arrowWidth, TButtonLayout layout, int margin, int spacing) {
    TContentLayout out;
    const int w = std::max(0, face.Width()), h = std::max(0, face.Height());
    const bool hasGlyph = glyph.Width > 0 && glyph.Height > 0;
    const bool hasCaption = caption.Width > 0 && caption.Height > 0;
    if (!hasGlyph) glyph = {};
    if (!hasCaption) caption = {};
    if (!hasGlyph || !hasCaption) {
        if (layout == blGlyphTop || layout == blGlyphBottom) layout = blGlyphLeft;
        spacing = 0;
    }
    const int arrowSize = arrow ? arrowWidth + 3 : 0;
    const bool across = layout == blGlyphLeft || layout == blGlyphRight;
    // Extents along the layout's axis; the arrow rides with the caption.
    const int space = across ? w : h;
    const int glyphA = across ? glyph.Width : glyph.Height;
    const int textA = across ? caption.Width : caption.Height;
    const int arrowA = across ? arrowSize : 0;
    if (margin == -1 && spacing == -1) {
        margin = spacing = (space - glyphA - textA - arrowA) / 3;
    } else if (margin == -1) {
        margin = (space - glyphA - spacing - textA - arrowA + 1) / 2;
    } else if (spacing == -1) {
        spacing = (space - margin - glyphA - arrowA - textA) / 2;
    }
    TPoint g, t;
    switch (layout) {
    case blGlyphLeft:
        g.X = margin;
        t.X = g.X + glyph.Width + spacing;
        break;
    case blGlyphRight:
        g.X = w - margin - glyph.Width;
        t.X = g.X - spacing - arrowA - caption.Width;
        break;
    case blGlyphTop:
        g.Y = margin;
        t.Y = g.Y + glyph.Height + spacing;
        break;
    case blGlyphBottom:
        g.Y = h - margin - glyph.Height;
        t.Y = g.Y - spacing - caption.Height;
        break;
    }
    if (across) {
        g.Y = (h - glyph.Height + 1) / 2;
        t.Y = (h - caption.Height + 1) / 2;
    } else {
        g.X = (w - glyph.Width + 1) / 2;
        t.X = (w - caption.Width - arrowSize + 1) / 2;
    }
    if (hasGlyph) out.Glyph = Bounds(face.Left + g.X, face.Top + g.Y, glyph.Width, glyph.Height);
    if (hasCaption)
        out.Caption = Bounds(face.Left + t.X, face.Top + t.Y, caption.Width, caption.Height);
    if (arrow) {
        out.HasArrow = true;
        // After the caption, or after the glyph when there is none.
        int after = hasCaption ? face.Left + t.X + caption.Width
                    : hasGlyph ? out.Glyph.Right
                               : face.Left + (w - arrowSize + 1) / 2;
        if (!hasCaption && hasGlyph && layout == blGlyphRight) after = out.Glyph.Left - arrowSize;
        out.Arrow = {after + 1 + arrowWidth / 2 + 1, face.Top + h / 2 - 1};
    }
    return out;
}

} // namespace controls
