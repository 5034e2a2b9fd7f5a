#include "screen/core/CellRenderer.h"

#include <algorithm>

void TGlyphCache::SetCellSize(int width, int height) {
    if (width == FCellWidth && height == FCellHeight) return;
    FCellWidth = width;
    FCellHeight = height;
    FGlyphs.clear();
}

const TPixelBuffer& TGlyphCache::Get(std::uint8_t lead, std::uint8_t trail, TBgr fg, TBgr bg) {
    // Cells never hold bytes below 32, so trail 0 safely means "one cell".
    const std::uint64_t key = std::uint64_t(lead) | std::uint64_t(trail) << 8 |
                              std::uint64_t(BgrToColor(fg)) << 16 |
                              std::uint64_t(BgrToColor(bg)) << 40;
    auto it = FGlyphs.find(key);
    if (it != FGlyphs.end()) return it->second;
    if (FGlyphs.size() >= MaxGlyphs) FGlyphs.clear();
    TPixelBuffer& g = FGlyphs[key];
    g.SetSize(FCellWidth * (trail ? 2 : 1), FCellHeight);
    g.Fill(bg);
    if (!g.Empty()) FRasterizer.Rasterize(g, lead, trail, fg, bg);
    return g;
}

int RunStartColumn(const TRow& row, int left, int columns) {
    columns = std::clamp(columns, 1, RowCells);
    left = std::clamp(left, 0, columns - 1);
    int c = 0;
    while (c < left) {
        int step = (IsLeadByte(row.Cells[c].Char) && c < columns - 1) ? 2 : 1;
        if (c + step > left) return c; // left is the second half of the character at c
        c += step;
    }
    return left;
}

namespace {

// One drawing unit: a cell, or the two cells of a two-cell character.
void DrawUnit(const TRenderContext& ctx, const TRow& row, int line, int col, bool pair) {
    TPixelBuffer& d = *ctx.Display;
    const TCellGeometry& g = ctx.Geometry;
    const int cw = g.CellWidth, ch = g.CellHeight;
    const int x0 = g.MarginX + col * cw, y0 = g.MarginY + line * ch;
    if (x0 >= d.Width() || y0 >= d.Height()) return;
    const TCell& a = row.Cells[col];
    const TCell& b = pair ? row.Cells[col + 1] : a;
    const int cells = pair ? 2 : 1;
    const TBgr fgA = ColorToBgr(ctx.FgTable[a.Fg & 15]), bgA = ColorToBgr(ctx.BgTable[a.Bg & 15]);
    const TBgr fgB = ColorToBgr(ctx.FgTable[b.Fg & 15]), bgB = ColorToBgr(ctx.BgTable[b.Bg & 15]);
    const bool hidden = a.Blink && ctx.BlinkHidden;
    const bool split = pair && !(fgA == fgB && bgA == bgB);

    if (ctx.Background) {
        if (ctx.Back)
            CopyRect(d, x0, y0, *ctx.Back, x0, y0, cw * cells, ch);
        else
            d.FillRect(x0, y0, cw * cells, ch, TBgr{});
    }
    // Cells with a black background (and split pairs) go over the background
    // see-through; every other cell covers it.
    auto put = [&](const TPixelBuffer& src, int sx, int dx, int w, bool seeThrough) {
        if (seeThrough)
            CopyRectTransparent(d, dx, y0, src, sx, 0, w, ch);
        else
            CopyRect(d, dx, y0, src, sx, 0, w, ch);
    };
    auto fill = [&](int dx, int w, TBgr c, bool seeThrough) {
        if (!(seeThrough && c.IsBlack())) d.FillRect(dx, y0, w, ch, c);
    };

    if (!split) {
        const bool seeThrough = ctx.Background && bgA.IsBlack();
        if (hidden) {
            fill(x0, cw * cells, bgA, seeThrough);
            return;
        }
        const TPixelBuffer& glyph = ctx.Cache->Get(a.Char, pair ? b.Char : 0, fgA, bgA);
        put(glyph, 0, x0, cw * cells, seeThrough);
    } else {
        // Each half wears its own cell's colours: the glyph drawn in the first
        // cell's colours gives the left half, in the second's the right half.
        const bool seeThrough = ctx.Background;
        if (hidden) {
            fill(x0, cw, bgA, seeThrough);
            fill(x0 + cw, cw, bgB, seeThrough);
            return;
        }
        put(ctx.Cache->Get(a.Char, b.Char, fgA, bgA), 0, x0, cw, seeThrough);
        put(ctx.Cache->Get(a.Char, b.Char, fgB, bgB), cw, x0 + cw, cw, seeThrough);
    }
    // The first cell's underline runs under the whole character in its colour.
    if (a.Underline && !(ctx.Background && fgA.IsBlack() && (split || bgA.IsBlack())))
        d.FillRect(x0, y0 + g.UnderlineY, cw * cells, g.UnderlineHeight, fgA);
}

} // namespace

void DrawRowRun(const TRenderContext& ctx, const TRow& row, int line, int from, int to) {
    if (!ctx.Display || !ctx.Cache || !ctx.FgTable || !ctx.BgTable) return;
    const int columns = std::clamp(ctx.Columns, 1, RowCells);
    to = std::min(to, columns - 1);
    for (int c = std::max(0, from); c <= to;) {
        bool pair = IsLeadByte(row.Cells[c].Char) && c < columns - 1;
        DrawUnit(ctx, row, line, c, pair);
        c += pair ? 2 : 1;
    }
}

bool RowHasBlink(const TRow& row, int columns) {
    columns = std::clamp(columns, 1, RowCells);
    for (int c = 0; c < columns; ++c)
        if (row.Cells[c].Blink) return true;
    return false;
}

void DrawBlinkingCells(const TRenderContext& ctx, const TRow& row, int line) {
    if (!ctx.Display || !ctx.Cache || !ctx.FgTable || !ctx.BgTable) return;
    const int columns = std::clamp(ctx.Columns, 1, RowCells);
    for (int c = 0; c < columns;) {
        bool pair = IsLeadByte(row.Cells[c].Char) && c < columns - 1;
        if (row.Cells[c].Blink) DrawUnit(ctx, row, line, c, pair);
        c += pair ? 2 : 1;
    }
}
