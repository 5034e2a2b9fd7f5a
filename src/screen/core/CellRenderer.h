// Turning screen cells into pixels: the glyph cache and the two renderers
// (opaque cells, or text over a background picture with black see-through).
//
// Only glyph rasterising needs a font engine; it sits behind
// TGlyphRasterizer so these rules run and are tested without one.
#pragma once
#include "screen/core/PixelBuffer.h"
#include "screen/core/Row.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

// Bytes 130..254 lead a two-cell (Big5) character unless in the last column.
inline bool IsLeadByte(std::uint8_t b) {
    return b >= 130 && b <= 254;
}

class TGlyphRasterizer {
public:
    virtual ~TGlyphRasterizer() = default;
    // Fills out (cells x cell width by cell height, already sized) with bg and
    // draws the character in fg: one byte (trail = 0) in one cell, or a lead
    // and trail byte as one two-cell glyph. No underline: the renderer draws it.
    virtual void Rasterize(TPixelBuffer& out, std::uint8_t lead, std::uint8_t trail, TBgr fg,
                           TBgr bg) = 0;
};

// Rasterised glyphs keyed by bytes and colours.
class TGlyphCache {
public:
    explicit TGlyphCache(TGlyphRasterizer& rasterizer) : FRasterizer(rasterizer) {}
    // A new cell size (font change) drops every glyph.
    void SetCellSize(int width, int height);
    void Clear() { FGlyphs.clear(); }
    int CellWidth() const { return FCellWidth; }
    int CellHeight() const { return FCellHeight; }
    std::size_t Size() const { return FGlyphs.size(); }
    const TPixelBuffer& Get(std::uint8_t lead, std::uint8_t trail, TBgr fg, TBgr bg);

private:
    static constexpr std::size_t MaxGlyphs = 8192;
    TGlyphRasterizer& FRasterizer;
    int FCellWidth = 0, FCellHeight = 0;
    std::unordered_map<std::uint64_t, TPixelBuffer> FGlyphs;
};

struct TCellGeometry {
    int CellWidth = 8, CellHeight = 16;       // CellHeight includes the extra line spacing
    int MarginX = 0, MarginY = 0;             // top-left of the text area
    int UnderlineY = 14, UnderlineHeight = 1; // within a cell
};

struct TRenderContext {
    TPixelBuffer* Display = nullptr; // what the control shows
    // Background renderer: restore these pixels under every cell and copy
    // black-background text see-through. Null with Background set: black.
    const TPixelBuffer* Back = nullptr;
    bool Background = false;
    const std::uint32_t* FgTable = nullptr; // 16 colours 0x00BBGGRR
    const std::uint32_t* BgTable = nullptr;
    bool BlinkHidden = false; // blinking cells show their background only
    int Columns = 80;
    TCellGeometry Geometry;
    TGlyphCache* Cache = nullptr;
};

// The column to start drawing at so that a run from column left never begins
// with the second half of a two-cell character: walks from column 0.
int RunStartColumn(const TRow& row, int left, int columns);

// Draws cells from..to (inclusive, to is widened to finish a two-cell
// character) of row at text line `line` of the display.
void DrawRowRun(const TRenderContext& ctx, const TRow& row, int line, int from, int to);

// Draws only the blinking cells of a row (after a blink step).
void DrawBlinkingCells(const TRenderContext& ctx, const TRow& row, int line);
bool RowHasBlink(const TRow& row, int columns);
