// Cell renderers and background composition on arbitrary geometry and cells:
// every pixel access stays inside its buffer (the sanitizers check), and
// tiling always ends.
#include "screen/core/Background.h"
#include "screen/core/BlockGlyphs.h"
#include "screen/core/CellRenderer.h"

#include <cstdint>
#include <cstring>

namespace {

class TBlockRasterizer : public TGlyphRasterizer {
public:
    void Rasterize(TPixelBuffer& out, std::uint8_t lead, std::uint8_t trail, TBgr fg,
                   TBgr) override {
        // Some glyph shapes from the geometric set, some single pixels.
        if (!DrawBlockGlyph(out, 0x2500 + ((lead + trail) & 0x7F), fg))
            out.SetPixel(lead % 9, trail % 17, fg);
    }
};

struct TReader {
    const std::uint8_t* P;
    std::size_t N;
    int Byte() {
        if (!N) return 0;
        --N;
        return *P++;
    }
    int Range(int lo, int hi) { return lo + (Byte() | Byte() << 8) % (hi - lo + 1); }
};

const std::uint32_t Table[16] = {0,        0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA,
                                 0xAAAA00, 0xAAAAAA, 0x555555, 0x5555FF, 0x55FF55, 0x55FFFF,
                                 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TReader in{data, size};
    TBlockRasterizer raster;
    TGlyphCache cache(raster);
    cache.SetCellSize(in.Range(0, 24), in.Range(0, 32));

    TPixelBuffer display(in.Range(0, 300), in.Range(0, 200));
    TPixelBuffer back(in.Range(0, 300), in.Range(0, 200));
    TRenderContext ctx;
    ctx.Display = &display;
    ctx.Background = in.Byte() & 1;
    ctx.Back = (in.Byte() & 1) ? &back : nullptr;
    ctx.FgTable = Table;
    ctx.BgTable = Table;
    ctx.BlinkHidden = in.Byte() & 1;
    ctx.Columns = in.Range(-5, 90);
    ctx.Geometry.CellWidth = cache.CellWidth();
    ctx.Geometry.CellHeight = cache.CellHeight();
    ctx.Geometry.MarginX = in.Range(-400, 400);
    ctx.Geometry.MarginY = in.Range(-400, 400);
    ctx.Geometry.UnderlineY = in.Range(-5, 40);
    ctx.Geometry.UnderlineHeight = in.Range(0, 4);
    ctx.Cache = &cache;

    TRow row;
    std::memset(&row, ' ', sizeof row);
    const std::size_t take = std::min(in.N, sizeof row);
    std::memcpy(&row, in.P, take);
    in.P += take;
    in.N -= take;
    const int left = in.Range(-5, 90), right = in.Range(-5, 90), line = in.Range(-3, 30);
    DrawRowRun(ctx, row, line, RunStartColumn(row, left, ctx.Columns), right);
    DrawBlinkingCells(ctx, row, line);

    TPixelBuffer picture(in.Range(0, 400), in.Range(0, 400));
    picture.Fill(TBgr{1, 2, 3});
    TPixelBuffer shot(in.Range(0, 300), in.Range(0, 300));
    TBackgroundParams p;
    p.Transparent = in.Byte() & 1;
    p.Transparency = in.Range(-10, 110);
    p.TranspColor = std::uint32_t(in.Byte() << 16 | in.Byte());
    p.Shot = (in.Byte() & 1) ? &shot : nullptr;
    p.ShotX = in.Range(-1000, 1000);
    p.ShotY = in.Range(-1000, 1000);
    p.Picture = &picture;
    p.Style = TBackgroundStyle(in.Range(0, 5));
    TPixelBuffer composed;
    ComposeBackground(composed, in.Range(0, 320), in.Range(0, 320), p);
    return 0;
}
