// Mouse handling of the screen control: stream and block selection, word
// selection by double click, and the links found in the shown rows
// (underlined in their kind's colour, framed under the mouse, reported when
// clicked).
#include "screen/BgCrt.h"

#include "screen/core/Big5Cells.h"

#include <QMouseEvent>
#include <QPainter>

#include <mutex>

namespace {

QColor ToQColor(TColor c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

} // namespace

screen::TSelection TBgCrt::Selection() const {
    screen::TSelection s = FSel;
    s.Shown = SelectionShown;
    return s;
}

void TBgCrt::SetSelection(int left, int top, int right, int bottom) {
    FSel.Anchor = {left, top};
    FSel.End = {right, bottom};
    SelectionShown = true;
    update();
}

void TBgCrt::ClearSelection() {
    if (!SelectionShown) return;
    SelectionShown = false;
    update();
}

QPoint TBgCrt::CellAt(QPoint pos) const {
    const int cw = std::max(1, CellWidth()), ch = std::max(1, CellHeight());
    int col = pos.x() < MarginX() ? 0 : (pos.x() - MarginX()) / cw;
    int row = pos.y() < MarginY() ? 0 : (pos.y() - MarginY()) / ch;
    return QPoint(std::clamp(col, 0, Columns() - 1), std::clamp(row, 0, Rows() - 1));
}

// ---- Links -------------------------------------------------------------------------

void TBgCrt::AddHyperlink(int col, int line, const std::string& text, int kind) {
    std::string t = text;
    while (!t.empty() && (t.back() == '.' || t.back() == ',' || t.back() == ';'))
        t.pop_back();
    if (!t.empty()) FLinks.push_back(THyperlinkInfo{col, line, t, kind});
}

void TBgCrt::AfterRender() {
    // Called with the render guard held, once the dirty rows are drawn: the
    // links of the view are found again, keeping the hovered and pressed
    // ones when they are still there.
    auto same = [](const THyperlinkInfo& a, const THyperlinkInfo& b) {
        return a.Col == b.Col && a.Line == b.Line && a.Text == b.Text;
    };
    THyperlinkInfo hover, pressed;
    const bool hadHover = FHoverLink >= 0, hadPressed = FPressedLink >= 0;
    if (hadHover) hover = FLinks[FHoverLink];
    if (hadPressed) pressed = FLinks[FPressedLink];
    FLinks.clear();
    FHoverLink = FPressedLink = -1;
    if (Hyperlink) {
        const auto view = BufferRows(ViewRow(), ViewRow() + Rows() - 1);
        FLinks = screen::ScanLinks(view, ViewRow(), Columns());
    }
    for (int i = 0; i < static_cast<int>(FLinks.size()); ++i) {
        if (hadHover && same(FLinks[i], hover)) FHoverLink = i;
        if (hadPressed && same(FLinks[i], pressed)) FPressedLink = i;
    }
    if (hadHover && FHoverLink < 0) {
        HoverLinkText.clear();
        HoverLinkKind = 0;
        HoverLinkCol = HoverLinkLine = -1;
        unsetCursor();
    }
}

void TBgCrt::LinesMoved(int fromLine, int delta) {
    // Called with the render guard held, by whichever thread writes.
    const int count = FScreen.RowCount();
    std::vector<THyperlinkInfo> kept;
    kept.reserve(FLinks.size());
    int hover = -1, pressed = -1;
    for (int i = 0; i < static_cast<int>(FLinks.size()); ++i) {
        THyperlinkInfo l = FLinks[i];
        if (l.Line >= fromLine) {
            l.Line += delta;
            // Scrolled out of the moved lines, or its row left the history.
            if (l.Line < fromLine || l.Line >= count) continue;
        }
        if (i == FHoverLink) hover = static_cast<int>(kept.size());
        if (i == FPressedLink) pressed = static_cast<int>(kept.size());
        kept.push_back(std::move(l));
    }
    FLinks.swap(kept);
    FPressedLink = pressed;
    if (hover >= 0) {
        FHoverLink = hover;
        HoverLinkLine = FLinks[hover].Line;
    } else if (FHoverLink >= 0) {
        ForgetHoverLink();
    }
}

void TBgCrt::ShownRowsDropped() {
    // Called with the render guard held. The selection is kept in view
    // cells: on the new rows it would copy text the user never chose. A drag
    // in progress ends too, its anchor being on a row that is gone.
    FSel.Selecting = false;
    SelectionShown = false;
    FPressedLink = -1;
    if (FHoverLink >= 0) ForgetHoverLink();
    OnGuiThread([this] { update(); });
}

// The hovered link is gone without the mouse having moved.
void TBgCrt::ForgetHoverLink() {
    FHoverLink = -1;
    HoverLinkText.clear();
    HoverLinkKind = 0;
    HoverLinkCol = HoverLinkLine = -1;
    OnGuiThread([this] {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        if (FHoverLink < 0) unsetCursor();
        update();
    });
}

int TBgCrt::LinkAt(int col, int viewLine) const {
    const int line = ViewRow() + viewLine;
    for (int i = 0; i < static_cast<int>(FLinks.size()); ++i)
        if (screen::LinkCovers(FLinks[i], col, line, Columns())) return i;
    return -1;
}

std::vector<QRect> TBgCrt::LinkRects(const THyperlinkInfo& link) const {
    // One rectangle per shown row the link covers (a link may run on into
    // the next row).
    std::vector<QRect> rects;
    const int cols = Columns();
    int remaining = static_cast<int>(link.Text.size());
    int col = link.Col, line = link.Line - ViewRow();
    while (remaining > 0 && col < cols) {
        const int n = std::min(remaining, cols - col);
        if (line >= 0 && line < Rows())
            rects.push_back(CellRect(col, line) | CellRect(col + n - 1, line));
        remaining -= n;
        col = 0;
        ++line;
    }
    return rects;
}

void TBgCrt::SetHoverLink(int index) {
    if (index == FHoverLink) return;
    FHoverLink = index;
    if (index >= 0) {
        HoverLinkText = FLinks[index].Text;
        HoverLinkKind = FLinks[index].Kind;
        HoverLinkCol = FLinks[index].Col;
        HoverLinkLine = FLinks[index].Line;
        setCursor(Qt::PointingHandCursor);
    } else {
        HoverLinkText.clear();
        HoverLinkKind = 0;
        HoverLinkCol = HoverLinkLine = -1;
        unsetCursor();
    }
    update();
}

// ---- Mouse ---------------------------------------------------------------------------

// The owner hears of each press, move and release once the screen's own
// handling (selection, links) is done with it.
void TBgCrt::mousePressEvent(QMouseEvent* event) {
    SelectionMousePress(event);
    const QPoint p = event->position().toPoint();
    if (OnMouseDown) OnMouseDown(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TBgCrt::mouseMoveEvent(QMouseEvent* event) {
    SelectionMouseMove(event);
    const QPoint p = event->position().toPoint();
    if (OnMouseMove) OnMouseMove(this, event->modifiers(), p.x(), p.y());
}

void TBgCrt::mouseReleaseEvent(QMouseEvent* event) {
    SelectionMouseRelease(event);
    const QPoint p = event->position().toPoint();
    if (OnMouseUp) OnMouseUp(this, event->button(), event->modifiers(), p.x(), p.y());
}

void TBgCrt::SelectionMousePress(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const QPoint cell = CellAt(pos);
    const QRect area(MarginX(), MarginY(), TextAreaWidth(), TextAreaHeight());
    ClearSelection();
    SetHoverLink(area.contains(pos) ? LinkAt(cell.x(), cell.y()) : -1);
    if (FHoverLink >= 0) {
        // A click on a link opens it; it does not start a selection.
        FPressedLink = FHoverLink;
        FSel.Selecting = false;
        update();
        const THyperlinkInfo link = FLinks[FPressedLink];
        if (OnHyperlink) OnHyperlink(this, link.Text, link.Kind);
        return;
    }
    FSel.Selecting = true;
    FSel.BlockMode = event->modifiers() & Qt::ControlModifier;
    FSel.Anchor = FSel.End = {cell.x(), cell.y()};
}

void TBgCrt::SelectionMouseMove(QMouseEvent* event) {
    const QPointF pos = event->position();
    const QRect area(MarginX(), MarginY(), TextAreaWidth(), TextAreaHeight());
    const QPoint cell = CellAt(pos.toPoint());
    SetHoverLink(area.contains(pos.toPoint()) ? LinkAt(cell.x(), cell.y()) : -1);
    if (!FSel.Selecting) return;
    const screen::TCellPos end{cell.x(), cell.y()};
    if (!SelectionShown && end.Col == FSel.Anchor.Col && end.Row == FSel.Anchor.Row) return;
    FSel.End = end;
    SelectionShown = true;
    update();
}

void TBgCrt::SelectionMouseRelease(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    FSel.Selecting = false;
    if (FPressedLink >= 0) {
        FPressedLink = -1;
        update();
    }
}

void TBgCrt::mouseDoubleClickEvent(QMouseEvent* event) {
    // Takes the place of the second press: no new selection starts.
    if (event->button() != Qt::LeftButton) return;
    FSel.Selecting = false;
    if (FPressedLink >= 0 || FHoverLink >= 0) return;
    const QPoint cell = CellAt(event->position().toPoint());
    int from = 0, to = Columns() - 1;
    FSel.BlockMode = event->modifiers() & Qt::ControlModifier;
    if (!FSel.BlockMode) {
        std::lock_guard<TRenderGuard> g(Screen().Rendering);
        const int index = ViewRow() + cell.y();
        if (index >= Screen().RowCount()) return;
        screen::WordSpan(Screen().Row(index), Columns(), cell.x(), from, to);
    }
    FSel.Anchor = {from, cell.y()};
    FSel.End = {to, cell.y()};
    SelectionShown = true;
    update();
}

void TBgCrt::leaveEvent(QEvent* event) {
    SetHoverLink(-1);
    QWidget::leaveEvent(event);
}

// ---- Painting ------------------------------------------------------------------------

void TBgCrt::PaintOverlay(QPainter& p, const QRect& dirty) {
    if (!FDisplayOn) return;
    // Nothing of the selection or the links is drawn outside the text area.
    const QRect area(MarginX(), MarginY(), TextAreaWidth(), TextAreaHeight());
    p.save();
    p.setClipRect(area & dirty);
    std::lock_guard<TRenderGuard> g(Screen().Rendering);
    const int cols = Columns();

    if (SelectionShown) {
        const screen::TSelection sel = Selection();
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        for (int r = 0; r < Rows(); ++r) {
            int from, to;
            if (!sel.RowSpan(r, cols, from, to)) continue;
            const int index = ViewRow() + r;
            if (index < Screen().RowCount())
                screen::WidenToCharacters(Screen().Row(index), cols, from, to);
            p.fillRect(CellRect(from, r) | CellRect(to, r), Qt::white);
        }
        p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }

    // A link whose first byte changed since it was found is stale: it loses
    // its underline until the next render finds the links again.
    auto fresh = [&](const THyperlinkInfo& l) {
        return l.Line >= 0 && l.Line < Screen().RowCount() && !l.Text.empty() && l.Col >= 0 &&
               l.Col < RowCells &&
               Screen().Row(l.Line).Cells[l.Col].Char == static_cast<std::uint8_t>(l.Text[0]);
    };
    auto kindColour = [&](int kind) {
        return ToQColor(kind == 1   ? FtpHyperlinkColor
                        : kind == 2 ? EmailHyperlinkColor
                                    : HttpHyperlinkColor);
    };
    for (int i = 0; i < static_cast<int>(FLinks.size()); ++i) {
        const THyperlinkInfo& l = FLinks[i];
        if (!fresh(l)) continue;
        const auto rects = LinkRects(l);
        if (i == FPressedLink) {
            p.setFont(Font());
            p.setPen(ToQColor(OnHyperlinkTextColor));
            size_t k = 0;
            for (const QRect& r : rects) {
                p.fillRect(r, ToQColor(OnHyperlinkBackColor));
                const int n = std::max(1, r.width() / std::max(1, CellWidth()));
                for (int c = 0; c < n && k < l.Text.size(); ++c, ++k)
                    p.drawText(QRect(r.x() + c * CellWidth(), r.y(), CellWidth(), r.height()),
                               Qt::AlignCenter, QString(QLatin1Char(l.Text[k])));
            }
        } else {
            p.setPen(kindColour(l.Kind));
            for (const QRect& r : rects)
                p.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        }
        if (i == FHoverLink) {
            p.setPen(kindColour(l.Kind));
            for (const QRect& r : rects)
                p.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
    p.restore();
}

void TBgCrt::KeyPress(char& /*key*/) {
    FollowCursor();
}

std::vector<const TRow*> TBgCrt::BufferRows(int from, int to) const {
    std::vector<const TRow*> rows;
    from = std::max(0, from);
    to = std::min(to, Screen().RowCount() - 1);
    for (int i = from; i <= to; ++i)
        rows.push_back(&Screen().Row(i));
    return rows;
}
