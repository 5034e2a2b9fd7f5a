// Frame metrics, drag-target evaluation, outline placement and the sizing
// steps of a tool window.
#include "controls/core/ToolWindowDrag.h"

#include "controls/core/MoveOnScreen.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace controls {

const TFrameMetrics& DefaultFrameMetrics() {
    static const TFrameMetrics m{};
    return m;
}

int DragHandleSize(bool closeButtonWhenDocked, TDragHandleStyle style) {
    if (closeButtonWhenDocked) return 14;
    switch (style) {
    case dhDouble:
        return 9;
    case dhSingle:
        return 6;
    case dhNone:
        break;
    }
    return 0;
}

TMargins DockedFrame(TDockType type, bool allowDrag, bool closeButtonWhenDocked,
                     TDragHandleStyle style, bool borderNone) {
    const int b = borderNone ? 0 : 2;
    TMargins m{b, b, b, b};
    const int handle = allowDrag ? DragHandleSize(closeButtonWhenDocked, style) : 0;
    if (type == TDockType::LeftRight)
        m.Top += handle;
    else
        m.Left += handle;
    return m;
}

TMargins FloatingFrame(const TFrameMetrics& m, bool resizable, bool showCaption) {
    const int fx = resizable ? m.FrameX : m.DlgFrameX;
    const int fy = resizable ? m.FrameY : m.DlgFrameY;
    return TMargins{fx, fy + (showCaption ? m.SmallCaption : 0), fx, fy};
}

// ---- Drag loop ----------------------------------------------------------------

TRect PlaceOutline(const TDragStart& start, TSize size, TPoint pointer) {
    const int left = ClampToInt(std::int64_t{pointer.X} -
                                MulDiv(size.Width - 1, start.Offset.X, start.StartSize.Width));
    const int top = ClampToInt(std::int64_t{pointer.Y} -
                               MulDiv(size.Height - 1, start.Offset.Y, start.StartSize.Height));
    return RectOfSize(left, top, size.Width, size.Height);
}

bool DockHit(const TDragStart& start, const TDragDock& dock, TPoint pointer) {
    TRect r = dock.Rect;
    const bool lr = dock.Type == TDockType::LeftRight;
    // An empty dock still takes windows: one pixel each side across its edge.
    if (!lr && r.Height() <= 0) {
        r.Top -= 1;
        r.Bottom = r.Top + 2;
    }
    if (lr && r.Width() <= 0) {
        r.Left -= 1;
        r.Right = r.Left + 2;
    }
    const std::int64_t m = MulDiv(32, start.Offset.X, start.StartSize.Width);
    const std::int64_t n = MulDiv(20, start.Offset.Y, start.StartSize.Height);
    const std::int64_t x = pointer.X, y = pointer.Y;
    if (x < r.Left - (32 - m) || x > std::int64_t{r.Right} - 1 + m) return false;
    if (y < r.Top - (20 - n) || y > std::int64_t{r.Bottom} - 1 + n) return false;
    if (lr && (y < r.Top || y >= r.Bottom)) return false;
    return Intersects(PlaceOutline(start, dock.BarSize, pointer), r);
}

TRect KeepFloatingOutline(const TDragStart& start, TRect o, const TRect& wa) {
    const TRect inner{ClampToInt(std::int64_t{wa.Left} + start.FloatFrameX + 4),
                      ClampToInt(std::int64_t{wa.Top} + start.FloatFrameY + 4),
                      ClampToInt(std::int64_t{wa.Right} - start.FloatFrameX - 4),
                      ClampToInt(std::int64_t{wa.Bottom} - start.FloatFrameY - 4)};
    if (o.Right <= inner.Left) o = Shifted(o, ClampToInt(std::int64_t{inner.Left} - o.Right), 0);
    if (o.Left >= inner.Right) o = Shifted(o, ClampToInt(std::int64_t{inner.Right} - o.Left), 0);
    if (o.Bottom <= inner.Top) o = Shifted(o, 0, ClampToInt(std::int64_t{inner.Top} - o.Bottom));
    if (o.Top >= inner.Bottom) o = Shifted(o, 0, ClampToInt(std::int64_t{inner.Bottom} - o.Top));
    const std::int64_t minTop = std::int64_t{wa.Top} + 4 - start.FloatFrame.Top;
    if (o.Top < minTop) o = Shifted(o, 0, ClampToInt(minTop - o.Top));
    return o;
}

TDragTarget EvaluateDrag(const TDragStart& start, const std::vector<TDragDock>& docks,
                         TPoint pointer, bool noDock, const std::vector<TRect>& workAreas,
                         const TAcceptDock& accept) {
    TDragTarget t;
    if (!noDock) {
        for (std::size_t i = 0; i < docks.size(); ++i) {
            if (!DockHit(start, docks[i], pointer)) continue;
            if (accept && !accept(static_cast<int>(i))) continue;
            t.Dock = static_cast<int>(i);
            t.Outline = PlaceOutline(start, docks[i].BarSize, pointer);
            return t;
        }
    }
    if (start.CannotFloat) {
        t.NoDrop = true;
        return t;
    }
    const TRect wa = WorkAreaAt(pointer, workAreas);
    const TPoint p = ClampPoint(pointer, wa);
    t.Outline = PlaceOutline(start, start.FloatSize, p);
    if (!wa.Empty()) t.Outline = KeepFloatingOutline(start, t.Outline, wa);
    return t;
}

// ---- Resize loop --------------------------------------------------------------

TSizingEdges EdgesOf(THitZone z) {
    TSizingEdges e;
    e.Left = z == THitZone::Left || z == THitZone::TopLeft || z == THitZone::BottomLeft;
    e.Right = z == THitZone::Right || z == THitZone::TopRight || z == THitZone::BottomRight;
    e.Top = z == THitZone::Top || z == THitZone::TopLeft || z == THitZone::TopRight;
    e.Bottom = z == THitZone::Bottom || z == THitZone::BottomLeft || z == THitZone::BottomRight;
    return e;
}

TRect FloatingCloseButton(TSize window, const TFrameMetrics& m, bool resizable) {
    const int fx = resizable ? m.FrameX : m.DlgFrameX;
    const int fy = resizable ? m.FrameY : m.DlgFrameY;
    const int side = std::max(0, m.SmallCaption - 4);
    return RectOfSize(window.Width - fx - 2 - side, fy + 2, side, side);
}

THitZone FloatingHitTest(TPoint p, TSize window, const TFrameMetrics& m, bool resizable,
                         bool showCaption, bool closeButton, bool cornerResize) {
    const TRect all = RectOfSize(0, 0, window.Width, window.Height);
    if (!Contains(all, p)) return THitZone::Nowhere;
    const TMargins f = FloatingFrame(m, resizable, showCaption);
    const int fy = resizable ? m.FrameY : m.DlgFrameY;
    if (showCaption) {
        const TRect caption{f.Left, fy, window.Width - f.Right, f.Top};
        if (Contains(caption, p)) {
            if (closeButton && Contains(FloatingCloseButton(window, m, resizable), p))
                return THitZone::Close;
            return THitZone::Caption;
        }
    }
    const bool left = p.X < f.Left, right = p.X >= window.Width - f.Right;
    const bool top = p.Y < fy, bottom = p.Y >= window.Height - f.Bottom;
    if (!left && !right && !top && !bottom) return THitZone::Client;
    if (!resizable) return THitZone::Nowhere;
    if (cornerResize) {
        const int corner = f.Left + m.SmallCaption - 1;
        const bool nearTop = p.Y < corner, nearBottom = p.Y >= window.Height - corner;
        const bool nearLeft = p.X < corner, nearRight = p.X >= window.Width - corner;
        if ((left && nearTop) || (top && nearLeft)) return THitZone::TopLeft;
        if ((right && nearTop) || (top && nearRight)) return THitZone::TopRight;
        if ((left && nearBottom) || (bottom && nearLeft)) return THitZone::BottomLeft;
        if ((right && nearBottom) || (bottom && nearRight)) return THitZone::BottomRight;
    }
    if (left) return THitZone::Left;
    if (right) return THitZone::Right;
    if (top) return THitZone::Top;
    return THitZone::Bottom;
}

TRect SizingRect(const TRect& start, TSizingEdges e, int dx, int dy, TSize minimum) {
    TRect r = start;
    if (e.Left) {
        r.Left = ClampToInt(std::int64_t{r.Left} + dx);
        if (r.Width() < minimum.Width) r.Left = ClampToInt(std::int64_t{r.Right} - minimum.Width);
    }
    if (e.Right) {
        r.Right = ClampToInt(std::int64_t{r.Right} + dx);
        if (r.Width() < minimum.Width) r.Right = ClampToInt(std::int64_t{r.Left} + minimum.Width);
    }
    if (e.Top) {
        r.Top = ClampToInt(std::int64_t{r.Top} + dy);
        if (r.Height() < minimum.Height)
            r.Top = ClampToInt(std::int64_t{r.Bottom} - minimum.Height);
    }
    if (e.Bottom) {
        r.Bottom = ClampToInt(std::int64_t{r.Bottom} + dy);
        if (r.Height() < minimum.Height)
            r.Bottom = ClampToInt(std::int64_t{r.Top} + minimum.Height);
    }
    return r;
}

TRect SizingStep(const std::vector<TSize>& potential, TSizingEdges e, const TRect& proposed) {
    TRect best = proposed;
    std::int64_t bestDistance = std::numeric_limits<std::int64_t>::max();
    for (const TSize& s : potential) {
        TRect c = proposed;
        if (e.Left)
            c.Left = ClampToInt(std::int64_t{c.Right} - s.Width);
        else
            c.Right = ClampToInt(std::int64_t{c.Left} + s.Width);
        if (e.Top)
            c.Top = ClampToInt(std::int64_t{c.Bottom} - s.Height);
        else
            c.Bottom = ClampToInt(std::int64_t{c.Top} + s.Height);
        std::int64_t d = 0;
        if (e.Left) d += std::llabs(std::int64_t{c.Left} - proposed.Left);
        if (e.Right) d += std::llabs(std::int64_t{c.Right} - proposed.Right);
        if (e.Top) d += std::llabs(std::int64_t{c.Top} - proposed.Top);
        if (e.Bottom) d += std::llabs(std::int64_t{c.Bottom} - proposed.Bottom);
        if (d < bestDistance) {
            bestDistance = d;
            best = c;
        }
    }
    return best;
}

} // namespace controls
