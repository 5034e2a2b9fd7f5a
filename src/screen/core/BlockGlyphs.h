// Block elements, the four corner triangles and the single and double box
// lines, drawn from geometry instead of a font, so that pictures made of them
// join seamlessly from cell to cell whatever font and line spacing are in use.
#pragma once
#include "screen/core/PixelBuffer.h"

// True when the code point is one of the shapes drawn here.
bool IsBlockGlyph(char32_t cp);
// Draws the shape over the whole of out in fg (the background is left as it
// is); false, with out untouched, when cp is not one of them.
bool DrawBlockGlyph(TPixelBuffer& out, char32_t cp, TBgr fg);
