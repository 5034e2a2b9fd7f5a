#include "screen/BgCrt.h"

#include "screen/ScreenExport.h"

#include "screen/core/RefreshSchedule.h"

#include "platform/core/Big5.h"
#include "platform/core/Ticks.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QThread>

#include <climits>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

const std::array<TColor, 16> DefaultFgColors = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAAAA00, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
const std::array<TColor, 16> DefaultBgColors = DefaultFgColors;

namespace {

constexpr int BusyRefreshMs = screen::RefreshBusyMs;

bool Elapsed(std::uint32_t now, std::uint32_t since, unsigned ms) {
    return std::uint32_t(now - since) > ms;
}

} // namespace

TBgCrt::TBgCrt(QWidget* parent)
    : QWidget(parent), FScreen(nullptr), FFgTable(DefaultFgColors.data()),
      FBgTable(DefaultBgColors.data()), FOwnDisplay(this) {
    resize(200, 150);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true); // links under the mouse are framed
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_InputMethodEnabled);
    FFont = MakeScreenFont(DefaultScreenFace(), 12);
    FPrinterFont = FFont;
    FScreen.SetHost(this);
    FScreen.OnKeyWord = [this] {
        if (OnKeyWord) OnKeyWord(this);
    };

    const std::uint32_t now = win::GetTickCount();
    FLastBlink = now;
    FTimerLast = {now, now, now};
    // Started when there is something to look at: output, a blink, a timer.
    FRefreshTimer.setTimerType(Qt::PreciseTimer);
    connect(&FRefreshTimer, &QTimer::timeout, this, [this] { RefreshTimerTick(); });
    FCaretTimer.setInterval(int(FCursorBlinkInterval));
    connect(&FCaretTimer, &QTimer::timeout, this, [this] { CaretBlinkTick(); });

    ChooseRenderer();
    ApplyFont();
}

TBgCrt::~TBgCrt() {
    FRefreshTimer.stop();
    FCaretTimer.stop();
    if (FScrollBar) FScrollBar->disconnect(this);
    FScreen.SetHost(nullptr);
}

// ---- Threads ------------------------------------------------------------------

void TBgCrt::OnGuiThread(std::function<void()> fn) {
    if (QThread::currentThread() == thread())
        fn();
    else
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void TBgCrt::WriteMarked() {
    // Called for every write, on any thread: only the first write after the
    // timer last went quiet reaches Qt, to start its short period.
    if (FFastPending.exchange(true)) return;
    QMetaObject::invokeMethod(
        this, [this] { ScheduleTick(); }, Qt::QueuedConnection);
}

bool TBgCrt::CanRender() const {
    return FLoaded && FDisplayOn && isVisible();
}

void TBgCrt::ScheduleTick() {
    if (FRefreshStopped) return;
    screen::TRefreshState st;
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        st.RenderPending = FScreen.NeedRender && CanRender();
        // Quiet from here on: the next write starts the timer again.
        if (!st.RenderPending) FFastPending = false;
    }
    st.Now = win::GetTickCount();
    st.Blinking = FViewHasBlink && CanRender() && !FPicturesReleased;
    st.LastBlink = FLastBlink;
    st.BlinkInterval = FBlinkInterval;
    st.TimerInterval = FTimerInterval;
    st.TimerLast = FTimerLast;
    const int delay = screen::NextRefreshDelay(st);
    if (delay < 0)
        FRefreshTimer.stop();
    else if (!(delay == BusyRefreshMs && FRefreshTimer.isActive() &&
               FRefreshTimer.interval() == BusyRefreshMs))
        FRefreshTimer.start(delay);
}

void TBgCrt::ScheduleRender() {
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        FScreen.NeedRender = true;
    }
    WriteMarked();
}

void TBgCrt::TopRowChanged(int) {
    if (!FSyncPending.exchange(true))
        QMetaObject::invokeMethod(
            this, [this] { SyncScrollBar(); }, Qt::QueuedConnection);
}

void TBgCrt::ViewRowChanged(int viewRow) {
    TopRowChanged(viewRow);
}

void TBgCrt::SyncScrollBar() {
    FSyncPending = false;
    if (!FScrollBar) return;
    int top, view;
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        top = FScreen.TopRow();
        view = FScreen.ViewRow();
    }
    QSignalBlocker block(FScrollBar);
    FScrollBar->setMaximum(top);
    FScrollBar->setValue(view);
    FScrollBar->setPageStep(FScreen.Rows());
}

// ---- Colours ------------------------------------------------------------------

void TBgCrt::SetColorTables(const TColor* fg, const TColor* bg) {
    FFgTable = fg ? fg : DefaultFgColors.data();
    FBgTable = bg ? bg : DefaultBgColors.data();
    FGlyphCache.Clear();
    FScreen.MarkAllDirty();
    ScheduleRender();
}

// ---- Geometry and fonts -----------------------------------------------------------

QRect TBgCrt::CellRect(int col, int line) const {
    return QRect(FGeometry.MarginX + col * FGeometry.CellWidth,
                 FGeometry.MarginY + line * FGeometry.CellHeight, FGeometry.CellWidth,
                 FGeometry.CellHeight);
}

void TBgCrt::CalcCellMetrics() {
    const QFontMetrics fm(FFont);
    const int oldX = FGeometry.MarginX, oldY = FGeometry.MarginY;
    const int oldW = FGeometry.CellWidth, oldH = FGeometry.CellHeight;
    FGeometry.CellWidth = std::max(1, fm.averageCharWidth());
    FGeometry.CellHeight = std::max(1, fm.height() + FSpaceV);
    FGeometry.UnderlineY =
        std::clamp(fm.ascent() + std::max(1, fm.underlinePos()), 0, std::max(0, fm.height() - 1));
    FGeometry.UnderlineHeight = std::max(1, fm.lineWidth());
    FTextWidth = std::min(FScreen.Columns() * FGeometry.CellWidth, width());
    FTextHeight = std::min(FScreen.Rows() * FGeometry.CellHeight, height());
    FGeometry.MarginX = (width() - FTextWidth) / 2;
    FGeometry.MarginY = (height() - FTextHeight) / 2;
    FGlyphCache.SetCellSize(FGeometry.CellWidth, FGeometry.CellHeight);
    if (oldX != FGeometry.MarginX || oldY != FGeometry.MarginY || oldW != FGeometry.CellWidth ||
        oldH != FGeometry.CellHeight)
        FFullRepaint = true;
}

void TBgCrt::CheckFullRepaint() {
    if (FTextWidth < width() || FTextHeight < height()) FFullRepaint = true;
}

void TBgCrt::ApplyFont() {
    FFontApplied = true;
    CalcCellMetrics();
    FRasterizer.SetFont(FFont, FGeometry.CellWidth, FGeometry.CellHeight);
    FGlyphCache.Clear();
    if (FCaretCreated) CreateCursor();
}

void TBgCrt::FontChanged() {
    if (FLazyChangeFont) {
        NeedChangeFontLater = true;
        return;
    }
    NeedChangeFontLater = false;
    ApplyFont();
    RefreshLayout();
}

void TBgCrt::SetFont(const QFont& font) {
    FFont = PrepareScreenFont(font);
    FontChanged();
}

void TBgCrt::SetPrinterFont(const QFont& font) {
    FPrinterFont = font;
}

void TBgCrt::SetSpaceV(int v) {
    if (v == FSpaceV || v < 0) return;
    FSpaceV = v;
    FontChanged();
}

bool TBgCrt::FitFontToClient() {
    const int rows = FScreen.Rows(), cols = FScreen.Columns();
    const int dpi = std::max(1, logicalDpiY());
    const int linePx = std::max(1, height() / rows - FSpaceV);
    int size = std::max(1, linePx * 72 / dpi);
    QFont f = FFont;
    for (int i = 0; i < 21 && size >= 1; ++i, --size) {
        f.setPointSize(size);
        const QFontMetrics fm(f);
        if (cols * fm.averageCharWidth() <= width() && (fm.height() + FSpaceV) * rows <= height())
            break;
        if (size == 1) break; // never below one point
    }
    size = std::max(1, size);
    if (size == FFont.pointSize()) return false;
    f.setPointSize(size);
    SetFont(f);
    return true;
}

void TBgCrt::ColumnsChanged() {
    SelectionShown = false;
    if (FLazyRefresh)
        FNeedRefreshLater = true;
    else
        OnGuiThread([this] { RefreshLayout(); });
}

void TBgCrt::RowsChanged() {
    TopRowChanged(FScreen.TopRow());
    ColumnsChanged();
}

void TBgCrt::SetLazyRefresh(bool v) {
    FLazyRefresh = v;
    if (!v && FNeedRefreshLater) RefreshLayout();
}

void TBgCrt::SetLazyChangeFont(bool v) {
    FLazyChangeFont = v;
    if (!v && NeedChangeFontLater) FontChanged();
}

// Geometry, font or renderer changed: recompute the layout and draw every
// cell again over a clean display.
void TBgCrt::RefreshLayout() {
    FNeedRefreshLater = false;
    CalcCellMetrics();
    CheckFullRepaint();
    if (FPicturesReleased) return; // built again, whole, when shown
    if (FLoaded && FScreenBack && FMirror) {
        UpdateBackground();
        return;
    }
    EnsureOwnDisplaySize();
    TPixelBuffer& d = DisplayBitmap().Bitmap();
    if (FBackgroundRenderer && FScreenBack && FScreenBack->Bitmap().Width() == d.Width() &&
        FScreenBack->Bitmap().Height() == d.Height())
        d = FScreenBack->Bitmap();
    else
        d.Fill(FBackgroundRenderer ? TBgr{} : ColorToBgr(FBgTable[0]));
    FFullRepaint = true;
    FScreen.MarkAllDirty();
    ScheduleRender();
}

void TBgCrt::EnsureOwnDisplaySize() {
    if (FMirror) return;
    TPixelBuffer& d = FOwnDisplay.Bitmap();
    if (d.Width() != width() || d.Height() != height()) {
        d.SetSize(width(), height());
        d.Fill(FBackgroundRenderer ? TBgr{} : ColorToBgr(FBgTable[0]));
        FFullRepaint = true;
        FScreen.MarkAllDirty();
    }
}

// ---- Background -------------------------------------------------------------------

void TBgCrt::ChooseRenderer() {
    const bool picture = FGlyphVisible && FGlyph && !FGlyph->Empty();
    FBackgroundRenderer = picture || FTransparent || FTranspColor != 0;
}

bool TBgCrt::UsesBackgroundRenderer() const {
    return FBackgroundRenderer;
}

void TBgCrt::BackgroundChanged() {
    ChooseRenderer();
    if (FLazyRefresh) {
        FNeedRefreshLater = true;
        return;
    }
    RefreshLayout();
}

void TBgCrt::SetTransparent(bool v) {
    if (v == FTransparent) return;
    FTransparent = v;
    BackgroundChanged();
}

void TBgCrt::SetTransparency(int v) {
    if (v < 0 || v > 100 || v == FTransparency) return;
    FTransparency = v;
    BackgroundChanged();
}

void TBgCrt::SetTranspColor(TColor v) {
    v &= 0xFFFFFF;
    if (v == FTranspColor) return;
    FTranspColor = v;
    BackgroundChanged();
}

void TBgCrt::SetBackStyle(TBackgroundStyle v) {
    if (v > bsCustom || v == FBackStyle) return;
    FBackStyle = v;
    BackgroundChanged();
}

void TBgCrt::SetGlyphVisible(bool v) {
    if (v == FGlyphVisible) return;
    FGlyphVisible = v;
    BackgroundChanged();
}

void TBgCrt::SetGlyph(TMyBitmap* picture) {
    FGlyph = picture;
    if (FGlyphVisible)
        BackgroundChanged();
    else
        ChooseRenderer();
}

void TBgCrt::GlyphChanged() {
    if (FGlyphVisible) BackgroundChanged();
}

void TBgCrt::SetMirror(TMyBitmap* bitmap) {
    FMirror = bitmap;
    FFullRepaint = true;
    FScreen.MarkAllDirty();
}

void TBgCrt::SetScreenBack(TMyBitmap* bitmap) {
    FScreenBack = bitmap;
}
void TBgCrt::SetScreenShoot(TMyBitmap* bitmap) {
    FScreenShoot = bitmap;
}

void TBgCrt::UpdateBackground() {
    if (!FScreenBack || !FMirror || !FLoaded || FPicturesReleased) return;
    int W = width(), H = height();
    const TSizeCheck check = CheckBackgroundSize(W, H);
    if (!check.Accept) {
        // Oversized or empty: the control is clamped and the bitmaps keep
        // their present size for this call.
        if (check.Width != W || check.Height != H) resize(check.Width, check.Height);
        W = FScreenBack->Width();
        H = FScreenBack->Height();
    }
    TBackgroundParams p;
    p.Transparent = FTransparent;
    p.Transparency = FTransparency;
    p.TranspColor = FTranspColor;
    p.Shot = FScreenShoot ? &FScreenShoot->Bitmap() : nullptr;
    const QPoint origin =
        mapToGlobal(QPoint(0, 0)) - (FScreenShoot ? FScreenShoot->Origin : QPoint());
    p.ShotX = origin.x();
    p.ShotY = origin.y();
    const bool picture = FGlyphVisible && FGlyph && !FGlyph->Empty();
    p.Picture = picture ? &FGlyph->Bitmap() : nullptr;
    p.Style = FBackStyle;
    if (FBackStyle == bsCustom && OnCreateBackground)
        p.OnCustom = [this](TPixelBuffer&) { OnCreateBackground(this, FScreenBack); };
    if (W > 0 && H > 0) {
        ComposeBackground(FScreenBack->Bitmap(), W, H, p);
        FMirror->Bitmap() = FScreenBack->Bitmap();
    }
    // A new background is not output: the render still waits for the
    // pause after the last write, not after this call.
    FScreen.MarkAllDirtyKeepingTick();
    FFullRepaint = true;
    if (OnScreenShoot) OnScreenShoot(this);
}

// ---- Rendering -------------------------------------------------------------------

TRenderContext TBgCrt::RenderContext() {
    TRenderContext ctx;
    ctx.Display = &DisplayBitmap().Bitmap();
    ctx.Background = FBackgroundRenderer;
    if (FBackgroundRenderer && FScreenBack && FScreenBack->Width() == ctx.Display->Width() &&
        FScreenBack->Height() == ctx.Display->Height())
        ctx.Back = &FScreenBack->Bitmap();
    ctx.FgTable = FFgTable;
    ctx.BgTable = FBgTable;
    ctx.BlinkHidden = FBlinkPhase;
    ctx.Columns = FScreen.Columns();
    ctx.Geometry = FGeometry;
    ctx.Cache = &FGlyphCache;
    return ctx;
}

QRect TBgCrt::RenderDirty() {
    TScreenBuffer& s = FScreen;
    const int rows = s.Rows(), cols = s.Columns();
    const int top = std::max(0, s.DirtyTop), bottom = std::min(rows - 1, s.DirtyBottom);
    const int left = std::max(0, s.DirtyLeft), right = std::min(cols - 1, s.DirtyRight);
    QRect changed;
    if (top <= bottom && left <= right && !DisplayBitmap().Empty()) {
        const TRenderContext ctx = RenderContext();
        for (int r = top; r <= bottom; ++r) {
            const int index = s.ViewRow() + r;
            if (index < 0 || index >= s.RowCount()) break;
            const TRow& row = s.Row(index);
            const int start = RunStartColumn(row, left, cols);
            DrawRowRun(ctx, row, r, start, right);
            changed |= QRect(FGeometry.MarginX + start * FGeometry.CellWidth,
                             FGeometry.MarginY + r * FGeometry.CellHeight,
                             (right + 2 - start) * FGeometry.CellWidth, FGeometry.CellHeight);
        }
    }
    ScanViewBlink();
    AfterRender();
    s.ResetDirty();
    return changed & rect();
}

void TBgCrt::ScanViewBlink() {
    const int cols = FScreen.Columns();
    FViewHasBlink = false;
    for (int r = 0; r < FScreen.Rows() && !FViewHasBlink; ++r) {
        const int index = FScreen.ViewRow() + r;
        if (index < 0 || index >= FScreen.RowCount()) break;
        FViewHasBlink = RowHasBlink(FScreen.Row(index), cols);
    }
}

void TBgCrt::RefreshTimerTick() {
    if (FInTick) return;
    if (!FLoaded || (DisplayBitmap().Width() == 0 && !FPicturesReleased)) {
        // Nothing to draw on yet: loading or a new size starts it again.
        FRefreshTimer.stop();
        FFastPending = false;
        return;
    }
    FInTick = true;
    const std::uint32_t now = win::GetTickCount();
    if (FDisplayOn && isVisible()) {
        std::unique_lock<TRenderGuard> g(FScreen.Rendering);
        if (Elapsed(now, FScreen.SeenWrites(now), FInterval)) {
            if (FScreen.NeedRender) {
                FScreen.NeedRender = false;
                FFastPending = false;
                g.unlock();
                if (FPicturesReleased) {
                    // Drawn whole by the paint that builds the pictures
                    // again, if any of the screen is seen at all.
                    update();
                } else {
                    g.lock();
                    const QRect changed = RenderDirty();
                    if (FFullRepaint) {
                        FFullRepaint = false;
                        update();
                    } else if (!changed.isEmpty()) {
                        update(changed);
                    }
                    g.unlock();
                    UpdateCaretPos();
                    ShowCursor();
                }
                g.lock();
            }
            FScreen.LastWriteTick = now;
        }
    }
    if (Elapsed(now, FLastBlink, FBlinkInterval)) {
        if (SelectionShown)
            FLastBlink = now; // paused while a selection is shown
        else
            BlinkStep();
    }
    const TNotifyEvent* events[3] = {&OnTimer1, &OnTimer2, &OnTimer3};
    for (int n = 0; n < 3; ++n) {
        if (FTimerInterval[n] == 0 || std::uint32_t(now - FTimerLast[n]) < FTimerInterval[n])
            continue;
        FTimerLast[n] = now;
        if (*events[n]) (*events[n])(this);
    }
    FInTick = false;
    ScheduleTick();
}

void TBgCrt::BlinkStep() {
    FLastBlink = win::GetTickCount();
    FBlinkPhase = !FBlinkPhase;
    if (!FDisplayOn || DisplayBitmap().Empty()) return;
    std::lock_guard<TRenderGuard> g(FScreen.Rendering);
    const TRenderContext ctx = RenderContext();
    const int cols = FScreen.Columns();
    bool blinking = false;
    for (int r = 0; r < FScreen.Rows(); ++r) {
        const int index = FScreen.ViewRow() + r;
        if (index >= FScreen.RowCount()) break;
        const TRow& row = FScreen.Row(index);
        if (!RowHasBlink(row, cols)) continue;
        blinking = true;
        DrawBlinkingCells(ctx, row, r);
        // Only the span of the blinking cells is shown again (one cell more
        // on the right for the second half of a two-cell character).
        int first = cols, last = -1;
        for (int c = 0; c < cols && c < RowCells; ++c)
            if (row.Cells[c].Blink) {
                first = std::min(first, c);
                last = c;
            }
        update(QRect(FGeometry.MarginX + first * FGeometry.CellWidth,
                     FGeometry.MarginY + r * FGeometry.CellHeight,
                     (last + 2 - first) * FGeometry.CellWidth, FGeometry.CellHeight));
    }
    FViewHasBlink = blinking;
}

void TBgCrt::SetBlinkInterval(unsigned v) {
    FBlinkInterval = v;
    ScheduleTick();
}

void TBgCrt::RedrawScreen() {
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        FScreen.MarkAllDirty();
        FScreen.NeedRender = true;
    }
    // One render for however many redraws one block of output asks for.
    if (!FRedrawPending.exchange(true))
        QMetaObject::invokeMethod(
            this, [this] { DoRedraw(); }, Qt::QueuedConnection);
}

void TBgCrt::DoRedraw() {
    FRedrawPending = false;
    if (!FLoaded || !FDisplayOn || !isVisible() || DisplayBitmap().Empty()) {
        ScheduleTick(); // the refresh timer takes it once it can
        return;
    }
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        FScreen.NeedRender = false;
        RenderDirty();
    }
    FFullRepaint = false;
    update();
    UpdateCaretPos();
    ScheduleTick();
}

void TBgCrt::StopRefresh() {
    FRefreshStopped = true;
    FRefreshTimer.stop();
}

void TBgCrt::Loaded() {
    if (FScrollBar) SyncScrollBar();
    if (!FFontApplied) FontChanged();
    FLoaded = true;
    RefreshLayout();
}

// ---- Display and caret --------------------------------------------------------------

void TBgCrt::SetDisplay(bool v) {
    if (v == FDisplayOn) return;
    FDisplayOn = v;
    if (!v) {
        HideCursor();
        update();
        return;
    }
    if (FLazyRefresh)
        FNeedRefreshLater = true;
    else
        RefreshLayout();
}

void TBgCrt::SetCursorVisible(bool v) {
    if (v == FCursorVisible) return;
    FCursorVisible = v;
    if (!v) HideCursor();
    CreateCursor();
    if (v) ShowCursor();
}

void TBgCrt::SetCursorHeight(int v) {
    if (v < 0 || v == FCursorHeight) return;
    FCursorHeight = v;
    CreateCursor();
}

void TBgCrt::SetCursorBlinkInterval(unsigned v) {
    FCursorBlinkInterval = v;
    if (v == 0) {
        // No blink time: the caret stays on instead of blinking at once.
        FCaretTimer.stop();
        FCaretOn = true;
        update(FCaretRect);
        return;
    }
    FCaretTimer.setInterval(int(std::min<unsigned>(v, INT_MAX)));
    if (FCaretShown && !FCaretTimer.isActive()) FCaretTimer.start();
}

void TBgCrt::SetCursorGlyph(const QImage& glyph) {
    FCursorGlyph = glyph;
    CreateCursor();
}

void TBgCrt::CreateCursor() {
    FCaretCreated = true;
    if (!FCursorGlyph.isNull())
        FCaretImage = FCursorGlyph
                          .scaled(FGeometry.CellWidth, FGeometry.CellHeight, Qt::IgnoreAspectRatio,
                                  Qt::FastTransformation)
                          .convertToFormat(QImage::Format_RGB32);
    else
        FCaretImage = QImage();
    UpdateCaretPos();
    if (FCaretShown) ShowCursor();
}

void TBgCrt::UpdateCaretPos() {
    if (QThread::currentThread() != thread() || FScreen.Rendering.IsHeld()) {
        // From a write: place it once the write is over, on the GUI thread.
        if (!FSyncPending.exchange(true))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    SyncScrollBar();
                    UpdateCaretPos();
                },
                Qt::QueuedConnection);
        return;
    }
    if (!isVisible() || !FDisplayOn || !FFocused) return;
    const int line = FScreen.CursorY + FScreen.TopRow() - FScreen.ViewRow();
    const int x = FGeometry.MarginX + FScreen.CursorX * FGeometry.CellWidth;
    QRect r;
    if (!FCaretImage.isNull())
        r = QRect(x, FGeometry.MarginY + line * FGeometry.CellHeight, FGeometry.CellWidth,
                  FGeometry.CellHeight);
    else
        r = QRect(x, FGeometry.MarginY + (line + 1) * FGeometry.CellHeight - FCursorHeight,
                  FGeometry.CellWidth, FCursorHeight);
    if (r != FCaretRect) {
        update(FCaretRect);
        FCaretRect = r;
        update(FCaretRect);
    }
}

void TBgCrt::ShowCursor() {
    if (!FFocused || !FCursorVisible || !isVisible() || !FDisplayOn) return;
    if (!FCaretShown) {
        FCaretShown = true;
        FCaretOn = true;
        if (FCursorBlinkInterval > 0) FCaretTimer.start();
    }
    update(FCaretRect);
}

void TBgCrt::HideCursor() {
    if (!FCaretShown) return;
    FCaretShown = false;
    FCaretTimer.stop();
    update(FCaretRect);
}

void TBgCrt::CaretBlinkTick() {
    FCaretOn = !FCaretOn;
    update(FCaretRect);
}

// ---- Scroll bar --------------------------------------------------------------------

void TBgCrt::SetScrollBar(QScrollBar* bar) {
    if (FScrollBar) FScrollBar->disconnect(this);
    FScrollBar = bar;
    if (!bar) return;
    connect(bar, &QObject::destroyed, this, [this] { FScrollBar = nullptr; });
    connect(bar, &QScrollBar::valueChanged, this, [this](int value) {
        if (value == FScreen.ViewRow()) return;
        FScreen.SetViewRow(value);
        {
            std::lock_guard<TRenderGuard> g(FScreen.Rendering);
            FScreen.MarkAllDirty();
        }
        ScheduleRender();
    });
    connect(bar, &QScrollBar::actionTriggered, this, [this](int) {
        // The user scrolls; back at the screen's own position the keys go
        // to the screen again.
        if (FScrollBar && FScrollBar->sliderPosition() == FScreen.ViewRow()) setFocus();
    });
    SyncScrollBar();
}

// ---- Timers --------------------------------------------------------------------------

unsigned TBgCrt::TimerInterval(int n) const {
    return n >= 1 && n <= 3 ? FTimerInterval[n - 1] : 0;
}

void TBgCrt::SetTimerInterval(int n, unsigned v) {
    if (n < 1 || n > 3) return;
    FTimerInterval[n - 1] = v;
    FTimerLast[n - 1] = win::GetTickCount();
    ScheduleTick();
}

// ---- Qt events -----------------------------------------------------------------------

void TBgCrt::Paste() {
    const std::string text = screen::ClipboardBig5();
    if (text.empty()) return;
    const bool lazy = ScrollLazy;
    ScrollLazy = true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (end == std::string::npos) {
            WriteStr(line);
            break;
        }
        WriteLn(line);
        start = end + 1;
    }
    ScrollLazy = lazy;
}

void TBgCrt::paintEvent(QPaintEvent* event) {
    FPaintedSinceSweep = true;
    if (FPicturesReleased && FDisplayOn) RestorePictures();
    QPainter p(this);
    const QRect dirty = event->rect();
    const QImage image = DisplayBitmap().Image();
    if (!FDisplayOn || image.isNull()) {
        p.fillRect(dirty, Qt::black);
    } else {
        p.drawImage(dirty.topLeft(), image, dirty);
        if (image.width() < width())
            p.fillRect(QRect(image.width(), 0, width() - image.width(), height()) & dirty,
                       Qt::black);
        if (image.height() < height())
            p.fillRect(QRect(0, image.height(), width(), height() - image.height()) & dirty,
                       Qt::black);
    }
    PaintOverlay(p, dirty);
    if (FCaretShown && FCaretOn && FCaretRect.intersects(dirty)) {
        // The caret inverts what is under it, like the system caret.
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        if (FCaretImage.isNull())
            p.fillRect(FCaretRect, Qt::white);
        else
            p.drawImage(FCaretRect.topLeft(), FCaretImage);
    }
}

void TBgCrt::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (FLazyRefresh) {
        FNeedRefreshLater = true;
        return;
    }
    CalcCellMetrics();
    if (!FMirror)
        RefreshLayout();
    else {
        CheckFullRepaint();
        FScreen.MarkAllDirty();
        ScheduleRender();
    }
}

void TBgCrt::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!FLoaded) Loaded();
    ScheduleTick(); // output that came while hidden, blinking cells
}

// ---- Pictures of an unseen screen ----------------------------------------------------

namespace {

// A widget that hides what lies under it: a session window, or a widget
// that paints all of its area.
bool Hides(const QWidget* w) {
    return qobject_cast<const QMdiSubWindow*>(w) || w->testAttribute(Qt::WA_OpaquePaintEvent) ||
           w->autoFillBackground();
}

} // namespace

bool TBgCrt::Unseen() const {
    if (!isVisible()) return true;
    if (window()->isMinimized()) return true;
    // What is left of the screen after each ancestor's clip and the shown
    // siblings stacked above it, in that ancestor's coordinates.
    QRegion seen(rect());
    const QWidget* w = this;
    while (!w->isWindow() && w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        seen.translate(w->pos());
        seen &= parent->rect();
        const QObjectList& kids = parent->children();
        for (qsizetype i = kids.indexOf(const_cast<QWidget*>(w)) + 1; i < kids.size(); ++i) {
            const auto* sibling = qobject_cast<const QWidget*>(kids.at(i));
            if (sibling && !sibling->isWindow() && sibling->isVisible() && Hides(sibling))
                seen -= sibling->geometry();
        }
        if (seen.isEmpty()) return true;
        w = parent;
    }
    return seen.isEmpty();
}

bool TBgCrt::ReleasePictures() {
    if (FPicturesReleased || !FLoaded || DisplayBitmap().Empty()) return false;
    // A display the owner gave without a background cannot be built again.
    if (FMirror && !FScreenBack) return false;
    FPicturesReleased = true;
    if (FMirror) {
        FMirror->Bitmap() = TPixelBuffer();
        FScreenBack->Bitmap() = TPixelBuffer();
    } else {
        FOwnDisplay.Bitmap() = TPixelBuffer();
    }
    FGlyphCache.Clear();
    ScheduleTick(); // no blink steps while nothing shows them
#if defined(__GLIBC__)
    // Big freed blocks in the middle of the heap go back to the system.
    malloc_trim(0);
#endif
    return true;
}

bool TBgCrt::ReleasePicturesIfUnseen() {
    // A paint since the last call says the screen is seen, whatever the
    // geometry says.
    if (std::exchange(FPaintedSinceSweep, false)) return false;
    return !FPicturesReleased && Unseen() && ReleasePictures();
}

void TBgCrt::RestorePictures() {
    FPicturesReleased = false;
    RefreshLayout(); // the background composed again, every cell marked
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        FScreen.NeedRender = false;
        RenderDirty();
    }
    FFullRepaint = false;
    ScheduleTick();
}

void TBgCrt::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    FFocused = true;
    CreateCursor();
    ShowCursor();
    if (OnSetFocus) OnSetFocus(this);
}

void TBgCrt::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    FFocused = false;
    HideCursor();
}

bool TBgCrt::focusNextPrevChild(bool) {
    return false;
}

void TBgCrt::keyPressEvent(QKeyEvent* event) {
    FollowCursor();
    if (event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab) {
        event->accept(); // kept here, or the window would move the focus on
        return;
    }
    QWidget::keyPressEvent(event);
}
