// The office-style button's behaviour without pixels: the mouse state
// machine, the glyph set of each type, the wrap width, the auto height and
// where glyph and caption go.
#pragma once
#include <cstdint>

namespace sitelist {

enum class TOffBtnType : std::uint8_t {
    bsButton,
    bsRadioButton,
    bsUpButton,
    bsDownButton,
    bsHintButton
};
enum class TGlyphPosition : std::uint8_t { bsTop, bsBottom, bsLeft, bsRight };

// 0 normal, 1 hot (mouse over), 2 down (pressed, mouse over), 3 pressed
// with the mouse outside.
enum class TOffBtnMouse : std::uint8_t { Normal = 0, Hot = 1, Down = 2, PressedOutside = 3 };

// What the widget does after a mouse event.
struct TOffBtnReaction {
    bool Capture = false, Release = false;
    bool Enter = false, Exit = false; // OnMouseEnter / OnMouseExit
    bool Click = false;
    bool Repaint = false;
};

class TOffBtnMachine {
public:
    TOffBtnMouse State = TOffBtnMouse::Normal;
    bool Captured = false;

    TOffBtnReaction LeftDown();
    TOffBtnReaction Move(bool inside);
    TOffBtnReaction LeftUp(bool inside, int modalResult);
    // Right button over a button with a pop-up menu; focus changes.
    TOffBtnReaction Reset();

private:
    TOffBtnReaction Become(TOffBtnMouse state);
};

// The first built-in glyph (1..24) of a type's set of four, in the order
// hot, disabled, down, normal.
int FirstGlyphOf(TOffBtnType type, bool office2000Look);
// A type other than bsButton cannot take the glyph at the left or right.
TGlyphPosition AllowedPosition(TOffBtnType type, TGlyphPosition position);

struct TOffBtnGeometry {
    TOffBtnType Type = TOffBtnType::bsButton;
    TGlyphPosition Position = TGlyphPosition::bsLeft;
    bool ShowGlyph = false;
    bool RightToLeft = false;
    int Width = 0, Height = 0;
    int GlyphWidth = 0, GlyphHeight = 0;
};

// Width a caption may take before it wraps.
int WrapWidth(const TOffBtnGeometry& g);
// The height AutoHeight gives, for a caption box textHeight high.
int AutoHeight(const TOffBtnGeometry& g, int textHeight);

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};
struct TOffBtnPlaces {
    TPoint Glyph, Caption;
};
// Where glyph and caption (a box cw x ch; th the text height) are drawn;
// a pressed bsButton moves both by (1, 1).
TOffBtnPlaces PlaceContent(const TOffBtnGeometry& g, int cw, int ch, bool pressed);

} // namespace sitelist
