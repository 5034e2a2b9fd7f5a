// Where a toolbar button puts its parts: the property rules on glyph
// counts, arrow width and margin; the frame, face and arrow part it paints;
// and where glyph, caption and dropdown arrow go inside the face.
#pragma once
#include "controls/core/ButtonMachine.h"
#include "controls/core/Geometry.h"

namespace controls {

enum TButtonLayout : std::uint8_t { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// NumGlyphs as stored: 0 (or less) is 1, more than 5 is 5.
int ClampNumGlyphs(int n);
// The count a strip suggests: width divisible by height gives width div
// height when that is 1..5, anything else 1 (an empty strip included).
int NumGlyphsOfStrip(int width, int height);
// DropdownArrowWidth as stored: never below 7.
int ClampArrowWidth(int width);
// Margin and Spacing accept -1 (automatic) and up; lower values are ignored.
bool MarginAccepted(int value);

enum class TEdgeStyle : std::uint8_t { None, Raised, Sunken, FlatRaised, FlatSunken };

struct TButtonPaintPlan {
    bool Pressed = false; // sunken face, content shifted by (1,1)
    TEdgeStyle FaceEdge = TEdgeStyle::None;
    TRect Face;                // inside the edge: where the content goes
    bool Dither = false;       // fill the face with the latched pattern
    bool HasArrowPart = false; // combo: separate arrow part
    TRect ArrowPart;
    TEdgeStyle ArrowEdge = TEdgeStyle::None;
    TPoint ArrowPartCentre; // the arrow's tip row centre in the part
    TPoint ContentOffset;   // (1,1) when pressed
};

struct TButtonLook {
    int Width = 23, Height = 22;
    TButtonState State = bsUp;
    bool MenuIsDown = false, MouseInControl = false;
    bool Flat = true, NoBorder = false, Designing = false, Enabled = true;
    bool Combo = false, UsesDropdown = false, HighlightWhenDown = true;
    int ArrowWidth = 9;
};

TButtonPaintPlan PlanButtonPaint(const TButtonLook& look);

struct TContentLayout {
    TRect Glyph;   // empty when there is no glyph
    TRect Caption; // empty when there is no caption
    bool HasArrow = false;
    TPoint Arrow; // the arrow's top centre (triangle x-2..x+2, y..y+2)
};

// Lays out glyph (size of one image), caption (its measured size) and the
// arrow (arrowWidth + 3 wide when shown) in the face.
TContentLayout LayoutButtonContent(const TRect& face, TSize glyph, TSize caption, bool arrow,
                                   int arrowWidth, TButtonLayout layout, int margin, int spacing);

} // namespace controls
