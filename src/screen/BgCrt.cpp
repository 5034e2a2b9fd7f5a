#include "screen/BgCrt.h"

#include "screen/ScreenExport.h"

#include "platform/core/Big5.h"
#include "platform/core/Ticks.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QThread>

#include <climits>
#include <mutex>

const std::array<TColor, 16> DefaultFgColors = {
    0x000000, 0x0000AA, 0x00AA00, 0x00AAAA, 0xAA0000, 0xAA00AA, 0xAAAA00, 0xAAAAAA,
    0x555555, 0x5555FF, 0x55FF55, 0x55FFFF, 0xFF5555, 0xFF55FF, 0xFFFF55, 0xFFFFFF};
const std::array<TColor, 16> DefaultBgColors = DefaultFgColors;

namespace {

constexpr int IdleRefreshMs = 100;
constexpr int BusyRefreshMs = 3;

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
    FRefreshTimer.setTimerType(Qt::PreciseTimer);
    FRefreshTimer.setInterval(IdleRefreshMs);
    connect(&FRefreshTimer, &QTimer::timeout, this, [this] { RefreshTimerTick(); });
    FRefreshTimer.start();
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
    // Called for every write, on any thread: only the first write after a
    // render reaches Qt, to switch the refresh timer to its short period.
    if (FFastPending.exchange(true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!FRefreshStopped && FRefreshTimer.interval() != BusyRefreshMs)
                FRefreshTimer.setInterval(BusyRefreshMs);
        },
        Qt::QueuedConnection);
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
    if (!FScreenBack || !FMirror || !FLoaded) return;
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
    AfterRender();
    s.ResetDirty();
    return changed & rect();
}

void TBgCrt::RefreshTimerTick() {
    if (FInTick || DisplayBitmap().Width() == 0 || !FLoaded) return;
    FInTick = true;
    const std::uint32_t now = win::GetTickCount();
    if (FDisplayOn && isVisible()) {
        std::unique_lock<TRenderGuard> g(FScreen.Rendering);
        if (Elapsed(now, FScreen.SeenWrites(now), FInterval)) {
            if (FScreen.NeedRender) {
                FScreen.NeedRender = false;
                FFastPending = false;
                FRefreshTimer.setInterval(IdleRefreshMs);
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
                g.lock();
            }
            FScreen.LastWriteTick = now;
        }
        if (!FScreen.NeedRender && FRefreshTimer.interval() != IdleRefreshMs) {
            // A timer switch queued by a write that was rendered meanwhile.
            FFastPending = false;
            FRefreshTimer.setInterval(IdleRefreshMs);
        }
    }
    if (Elapsed(now, FLastBlink, FBlinkInterval) && !SelectionShown) BlinkStep();
    const TNotifyEvent* events[3] = {&OnTimer1, &OnTimer2, &OnTimer3};
    for (int n = 0; n < 3; ++n) {
        if (FTimerInterval[n] == 0 || std::uint32_t(now - FTimerLast[n]) < FTimerInterval[n])
            continue;
        FTimerLast[n] = now;
        if (*events[n]) (*events[n])(this);
    }
    FInTick = false;
}

void TBgCrt::BlinkStep() {
    FLastBlink = win::GetTickCount();
    FBlinkPhase = !FBlinkPhase;
    if (!FDisplayOn || DisplayBitmap().Empty()) return;
    std::lock_guard<TRenderGuard> g(FScreen.Rendering);
    const TRenderContext ctx = RenderContext();
    const int cols = FScreen.Columns();
    for (int r = 0; r < FScreen.Rows(); ++r) {
        const int index = FScreen.ViewRow() + r;
        if (index >= FScreen.RowCount()) break;
        const TRow& row = FScreen.Row(index);
        if (!RowHasBlink(row, cols)) continue;
        DrawBlinkingCells(ctx, row, r);
        update(QRect(FGeometry.MarginX, FGeometry.MarginY + r * FGeometry.CellHeight,
                     (cols + 1) * FGeometry.CellWidth, FGeometry.CellHeight));
    }
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
    if (!FLoaded || !FDisplayOn || !isVisible() || DisplayBitmap().Empty()) return;
    {
        std::lock_guard<TRenderGuard> g(FScreen.Rendering);
        FScreen.NeedRender = false;
        RenderDirty();
    }
    FFullRepaint = false;
    update();
    UpdateCaretPos();
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
