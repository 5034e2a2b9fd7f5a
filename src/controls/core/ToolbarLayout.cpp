// Toolbar control placement and the floating toolbar's potential sizes.
#include "controls/core/ToolbarLayout.h"

#include <algorithm>

namespace controls {

TMargins ToolbarMargins(TDockType type) {
    if (type == TDockType::NotDocked) return TMargins{4, 2, 4, 1};
    return TMargins{};
}

int MinimumSizeAcross(const std::vector<TToolbarItem>& items, TDockType type) {
    int across = 0;
    bool any = false;
    for (const TToolbarItem& it : items) {
        if (it.Separator) continue;
        any = true;
        across = std::max(across, type == TDockType::LeftRight ? it.Width : it.Height);
    }
    return any ? across : 8;
}

namespace {

struct TGroup {
    std::size_t First = 0;
    std::size_t End = 0; // one past the last item
    std::int64_t Extent = 0;
    bool EndsInSeparator = false;
};

} // namespace

TToolbarLayout OrderControls(const std::vector<TToolbarItem>& items, TDockType type,
                             int floatingRightX, int rowThickness) {
    const bool lr = type == TDockType::LeftRight;
    const bool floating = type == TDockType::NotDocked;
    const TMargins margin = ToolbarMargins(type);
    // In along/across terms: along is X on a top/bottom dock or floating.
    auto along = [&](const TToolbarItem& it) -> int {
        if (it.Separator) return std::max(0, lr ? it.SizeVert : it.SizeHorz);
        return std::max(0, lr ? it.Height : it.Width);
    };
    auto across = [&](const TToolbarItem& it) { return std::max(0, lr ? it.Width : it.Height); };

    std::int64_t limit = -1; // unlimited
    if (floating && floatingRightX != 0) {
        int widestControl = 0;
        for (const TToolbarItem& it : items)
            if (!it.Separator) widestControl = std::max(widestControl, std::max(0, it.Width));
        limit = std::max<std::int64_t>(floatingRightX, std::int64_t{widestControl} + 8);
    }
    const int thick = rowThickness > 0 ? rowThickness : MinimumSizeAcross(items, type);

    std::vector<TGroup> groups;
    for (std::size_t i = 0; i < items.size();) {
        TGroup g;
        g.First = i;
        while (i < items.size()) {
            g.Extent += along(items[i]);
            if (items[i++].Separator) {
                g.EndsInSeparator = true;
                break;
            }
        }
        g.End = i;
        groups.push_back(g);
    }

    TToolbarLayout out;
    out.Bounds.assign(items.size(), TRect{});
    out.WrapLine.assign(items.size(), false);
    const int leadA = lr ? margin.Top : margin.Left;
    const int tailA = lr ? margin.Bottom : margin.Right;
    const int leadC = lr ? margin.Left : margin.Top;
    const int tailC = lr ? margin.Right : margin.Bottom;
    // x runs along the current row; widest is the longest finished row.
    std::int64_t x = leadA, y = leadC, widest = leadA;
    auto fits = [&](std::int64_t extent) { return limit < 0 || x + extent + tailA <= limit; };
    auto newRow = [&](std::size_t sepIndex, bool afterSeparator) {
        // The row's extent counts the separator that ended it, so a layout
        // at the resulting width gives the same rows again.
        widest = std::max(widest, x);
        if (afterSeparator) {
            // That separator becomes a line across the toolbar.
            TRect& b = out.Bounds[sepIndex];
            b = lr ? RectOfSize(b.Left, b.Top, b.Width(), 0)
                   : RectOfSize(b.Left, b.Top, 0, b.Height());
            out.WrapLine[sepIndex] = true;
        }
        x = leadA;
        y += thick + (afterSeparator ? 6 : 0);
        if (afterSeparator)
            out.WrapLines.push_back(TWrapLine{ClampToInt(y), items[sepIndex].Blank});
    };
    auto place = [&](std::size_t i) {
        const TToolbarItem& it = items[i];
        const int a = along(it);
        const int c = it.Separator ? thick : across(it);
        const std::int64_t cpos = it.Separator ? y : y + (thick - c) / 2;
        out.Bounds[i] = lr ? RectOfSize(ClampToInt(cpos), ClampToInt(x), c, a)
                           : RectOfSize(ClampToInt(x), ClampToInt(cpos), a, c);
        x += a;
    };

    for (std::size_t g = 0; g < groups.size(); ++g) {
        const TGroup& grp = groups[g];
        if (floating && x > leadA && !fits(grp.Extent)) {
            const bool sep = g > 0 && groups[g - 1].EndsInSeparator;
            newRow(g > 0 ? groups[g - 1].End - 1 : 0, sep);
        }
        for (std::size_t i = grp.First; i < grp.End; ++i) {
            // A single control that still does not fit wraps on its own; a
            // separator never does (it ends the row it is in).
            if (floating && x > leadA && !items[i].Separator && !fits(along(items[i])))
                newRow(0, false);
            place(i);
        }
    }
    const std::int64_t maxX = std::max(widest, x);
    const std::int64_t w = maxX + tailA;
    const std::int64_t h = y + thick + tailC;
    out.ClientSize = lr ? TSize{ClampToInt(h), ClampToInt(w)} : TSize{ClampToInt(w), ClampToInt(h)};
    return out;
}

std::vector<TSize> BuildPotentialSizes(const std::vector<TToolbarItem>& items) {
    const TDockType f = TDockType::NotDocked;
    std::vector<TSize> sizes{OrderControls(items, f, 0).ClientSize};
    int w = sizes.front().Width;
    while (w >= 8) {
        const TSize s = OrderControls(items, f, w).ClientSize;
        if (s.Width > w) break;
        if (s.Width == w) {
            if (s.Height == sizes.back().Height)
                sizes.back() = s;
            else
                sizes.push_back(s);
            --w;
        } else {
            w = s.Width;
        }
    }
    return sizes;
}

} // namespace controls
