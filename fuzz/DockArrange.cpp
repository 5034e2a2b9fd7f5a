// Random docks and toolbars: arranging never crashes, rows come out dense
// from 0 (once a window is shown), positions are never negative, windows in a row that fits the
// dock do not overlap and stay inside it, a second arrangement changes nothing (unless one row is
// forced while full-size windows want rows of their own), and a toolbar's potential widths strictly
// fall.
#include "controls/core/DockArrange.h"
#include "controls/core/ToolbarLayout.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

using namespace controls;

static void Fail(int line) {
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define Check(ok) ((ok) ? (void)0 : Fail(__LINE__))

namespace {
struct Reader {
    const std::uint8_t* p;
    std::size_t n;
    std::uint8_t Byte() {
        if (!n) return 0;
        --n;
        return *p++;
    }
    int Int() {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Byte();
        return static_cast<int>(v);
    }
    // Mostly small values, sometimes large ones of either sign; bounded so
    // the harness's own scaling (times 3 or 4) cannot overflow.
    int Value() {
        const std::uint8_t k = Byte();
        if (k < 200) return k;
        if (k < 230) return -static_cast<int>(Byte());
        return Int() % (1 << 24);
    }
};
} // namespace

static void CheckDock(Reader& in) {
    TDockLayout d;
    const std::uint8_t flags = in.Byte();
    d.Type = flags & 1 ? TDockType::LeftRight : TDockType::TopBottom;
    d.LimitToOneRow = flags & 2;
    d.FixAlign = flags & 4;
    d.NonClientWidth = flags >> 3 & 3;
    d.NonClientHeight = flags >> 5 & 3;
    const int width = in.Value() * 4, height = in.Value() * 4;
    const int count = in.Byte() % 12;
    for (int i = 0; i < count; ++i) {
        TDockBar b;
        b.Id = static_cast<std::uintptr_t>(i + 1);
        const std::uint8_t f = in.Byte();
        b.FullSize = f & 1;
        b.Shown = !(f & 2);
        b.DockRow = in.Value();
        b.DockPos = in.Value() * 3;
        b.Along = in.Value();
        b.Across = in.Value() % 60;
        d.Bars.push_back(b);
    }
    const bool commit = flags & 0x80;
    d.Arrange(width, height, commit);

    // With nothing shown the arrangement stops before renumbering.
    if (std::none_of(d.Bars.begin(), d.Bars.end(), [](auto& b) { return b.Shown; })) return;
    std::set<int> rows;
    for (const TDockBar& b : d.Bars) {
        Check(b.DockPos >= 0 || !b.Shown);
        rows.insert(b.DockRow);
    }
    int expect = 0;
    for (int r : rows)
        Check(r == expect++);

    const bool lr = d.Type == TDockType::LeftRight;
    const int extent = std::max(0, (lr ? height - d.NonClientHeight : width - d.NonClientWidth));
    for (int r : rows) {
        std::int64_t total = 0;
        for (const TDockBar& b : d.Bars)
            if (b.DockRow == r && b.Shown) total += b.FullSize ? extent : std::max(0, b.Along);
        if (total > extent) continue;
        std::int64_t cursor = 0;
        for (const TDockBar& b : d.Bars) {
            if (b.DockRow != r || !b.Shown) continue;
            const int lead = lr ? b.Bounds.Top : b.Bounds.Left;
            const int tail = lr ? b.Bounds.Bottom : b.Bounds.Right;
            Check(lead >= cursor && tail <= extent);
            cursor = tail;
        }
    }

    // One row forced on every pass while full-size windows demand rows of
    // their own has no fixed point; everything else settles at once.
    if (d.LimitToOneRow &&
        std::any_of(d.Bars.begin(), d.Bars.end(), [](auto& b) { return b.FullSize; }))
        return;
    const TDockLayout first = d;
    d.Arrange(width, height, commit);
    // Compared window by window: committed positions may re-sort the list.
    for (const TDockBar& a : first.Bars) {
        const TDockBar* b = d.Find(a.Id);
        Check(b && b->DockRow == a.DockRow && b->DockPos == a.DockPos);
        Check(!a.Shown || b->Bounds == a.Bounds);
    }
    bool before = false;
    d.RowOf(in.Int(), before);
}

static void CheckToolbar(Reader& in) {
    std::vector<TToolbarItem> items;
    const int count = in.Byte() % 16;
    for (int i = 0; i < count; ++i) {
        TToolbarItem it;
        const std::uint8_t f = in.Byte();
        it.Separator = f & 1;
        it.Blank = f & 2;
        it.Width = in.Byte() % 120;
        it.Height = in.Byte() % 60;
        it.SizeHorz = 1 + in.Byte() % 12;
        it.SizeVert = 1 + in.Byte() % 12;
        items.push_back(it);
    }
    const auto sizes = BuildPotentialSizes(items);
    Check(!sizes.empty());
    for (std::size_t i = 1; i < sizes.size(); ++i)
        Check(sizes[i].Width < sizes[i - 1].Width);
    const auto kind = static_cast<TDockType>(in.Byte() % 3);
    const auto l = OrderControls(items, kind, in.Value(), in.Byte() % 40);
    Check(l.Bounds.size() == items.size());
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader in{data, size};
    CheckDock(in);
    CheckToolbar(in);
    return 0;
}
