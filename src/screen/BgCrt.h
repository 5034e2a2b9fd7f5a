// The terminal screen control: shows a TScreenBuffer's cells with a
// fixed-pitch font on an off-screen bitmap, over a background picture or
// colour, with a caret and blinking text.
//
// Writes never draw. They mark cells dirty in the buffer; the refresh timer
// renders the dirty cells once the output has paused for Interval ms, and a
// paint copies the display bitmap to the screen. Pixel rules live in
// screen/core (CellRenderer, Background); this class only turns engine state
// into pixels and Qt events into engine calls.
#pragma once
#include "screen/MyBitmap.h"
#include "screen/ScreenFont.h"
#include "screen/core/Background.h"
#include "screen/core/CellRenderer.h"
#include "screen/core/LinkScanner.h"
#include "screen/core/ScreenBuffer.h"
#include "screen/core/Selection.h"

#include <QFont>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

class QPrinter;
class QScrollBar;
class QPainter;

using TColor = std::uint32_t; // 0x00BBGGRR

// Colours of the 16 cell indexes when the owner has set no tables.
extern const std::array<TColor, 16> DefaultFgColors;
extern const std::array<TColor, 16> DefaultBgColors;

class TBgCrt : public QWidget, protected TScreenHost {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TBgCrt* sender)>;
    using TOnKeyWordEvent = std::function<void(TBgCrt* sender)>;
    using TCreateBackgroundEvent = std::function<void(TBgCrt* sender, TMyBitmap* back)>;
    using TOnHyperlinkEvent = std::function<void(TBgCrt* sender, const std::string& str, int kind)>;

    explicit TBgCrt(QWidget* parent = nullptr);
    ~TBgCrt() override;

    // The engine behind the control (rows, cursor, dirty rectangle, guard).
    TScreenBuffer& Screen() { return FScreen; }
    const TScreenBuffer& Screen() const { return FScreen; }

    // ---- Writing and the buffer (delegated to the engine) ---------------------
    void WriteBuffer(const void* buffer, std::size_t len) { FScreen.WriteBuffer(buffer, len); }
    void WriteChar(std::uint8_t ch) { FScreen.WriteChar(ch); }
    void WriteStr(std::string_view s) { FScreen.WriteStr(s); }
    void WriteLn(std::string_view s) { FScreen.WriteLn(s); }
    void GotoXY(int x, int y) { FScreen.GotoXY(x, y); }
    void AddRow() { FScreen.AddRow(); }
    void InsertHistoryRow() { FScreen.InsertHistoryRow(); }
    void NewLine() { FScreen.NewLine(); }
    void FollowCursor() { FScreen.FollowCursor(); }
    void ClearScreen() { FScreen.ClearScreen(); }
    void ClearEOL() { FScreen.ClearEOL(); }
    void ClearBOL() { FScreen.ClearBOL(); }
    void ClearEOS() { FScreen.ClearEOS(); }
    void ClearBOS() { FScreen.ClearBOS(); }
    void ClearHistory() { FScreen.ClearHistory(); }
    // Writes the clipboard text to the screen (sessions send it instead).
    virtual void Paste();

    const TScreenBuffer::TRowList& RowList() const { return FScreen.RowList(); }
    int TopRow() const { return FScreen.TopRow(); }
    int ViewRow() const { return FScreen.ViewRow(); }
    void SetTopRow(int index) { FScreen.SetTopRow(index); }
    void SetViewRow(int index) { FScreen.SetViewRow(index); }
    int CursorX() const { return FScreen.CursorX; }
    int CursorY() const { return FScreen.CursorY; }

    // ---- Attributes and geometry ------------------------------------------------
    std::uint8_t TextColor() const { return FScreen.TextColor; }
    void SetTextColor(std::uint8_t v) { FScreen.TextColor = v & 15; }
    std::uint8_t BackColor() const { return FScreen.BackColor; }
    void SetBackColor(std::uint8_t v) { FScreen.BackColor = v & 15; }
    bool Blink() const { return FScreen.Blink; }
    void SetBlink(bool v) { FScreen.Blink = v; }
    bool Underline() const { return FScreen.Underline; }
    void SetUnderline(bool v) { FScreen.Underline = v; }
    int Columns() const { return FScreen.Columns(); }
    void SetColumns(int v) { FScreen.SetColumns(v); }
    int Rows() const { return FScreen.Rows(); }
    void SetRows(int v) { FScreen.SetRows(v); }
    int MaxBufferRows() const { return FScreen.MaxBufferRows(); }
    void SetMaxBufferRows(int v) { FScreen.SetMaxBufferRows(v); }
    bool AutoWrap() const { return FScreen.AutoWrap; }
    void SetAutoWrap(bool v) { FScreen.AutoWrap = v; }

    const std::string& KeyWord() const { return FScreen.KeyWord(); }
    void SetKeyWord(std::string_view v) { FScreen.SetKeyWord(v); }
    int TriggerCnt() const { return FScreen.TriggerCnt; }
    void SetTriggerCnt(int v) { FScreen.TriggerCnt = v; }
    TOnKeyWordEvent OnKeyWord;

    // Colour tables the cells' Fg/Bg indexes select; the owner keeps them.
    // Null restores the built-in tables.
    const TColor* FgColorTable() const { return FFgTable; }
    const TColor* BgColorTable() const { return FBgTable; }
    void SetColorTables(const TColor* fg, const TColor* bg);

    // ---- Display, caret, font ----------------------------------------------------
    bool Display() const { return FDisplayOn; }
    void SetDisplay(bool v);
    bool CursorVisible() const { return FCursorVisible; }
    void SetCursorVisible(bool v);
    int CursorHeight() const { return FCursorHeight; }
    void SetCursorHeight(int v);
    unsigned CursorBlinkInterval() const { return FCursorBlinkInterval; }
    void SetCursorBlinkInterval(unsigned v);
    // A caret picture scaled to the cell; empty = solid caret.
    const QImage& CursorGlyph() const { return FCursorGlyph; }
    void SetCursorGlyph(const QImage& glyph);
    int SpaceV() const { return FSpaceV; }
    void SetSpaceV(int v);
    const QFont& Font() const { return FFont; }
    void SetFont(const QFont& font);
    const QFont& PrinterFont() const { return FPrinterFont; }
    void SetPrinterFont(const QFont& font);

    QScrollBar* ScrollBar() const { return FScrollBar; }
    void SetScrollBar(QScrollBar* bar);
    bool ScrollLazy = false; // true while Paste writes

    // ---- Background (pictures belong to the owner) -------------------------------
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    int Transparency() const { return FTransparency; }
    void SetTransparency(int v);
    TColor TranspColor() const { return FTranspColor; }
    void SetTranspColor(TColor v);
    TBackgroundStyle BackStyle() const { return FBackStyle; }
    void SetBackStyle(TBackgroundStyle v);
    bool GlyphVisible() const { return FGlyphVisible; }
    void SetGlyphVisible(bool v);
    TMyBitmap* Glyph() const { return FGlyph; }
    void SetGlyph(TMyBitmap* picture);
    // The owner changed the picture in place: rebuilds while it is shown.
    void GlyphChanged();
    TMyBitmap* Mirror() const { return FMirror; }
    void SetMirror(TMyBitmap* bitmap);
    TMyBitmap* ScreenBack() const { return FScreenBack; }
    void SetScreenBack(TMyBitmap* bitmap);
    TMyBitmap* ScreenShoot() const { return FScreenShoot; }
    void SetScreenShoot(TMyBitmap* bitmap);
    TCreateBackgroundEvent OnCreateBackground;
    TNotifyEvent OnScreenShoot;

    // Rebuilds ScreenBack and Mirror and redraws all text over them.
    void UpdateBackground();
    // True when the background renderer is in use (a picture is shown,
    // Transparent is on or TranspColor is not black).
    bool UsesBackgroundRenderer() const;

    // ---- Hyperlink colours (detection and mouse live with the selection code) ----
    bool Hyperlink = true;
    // Called when a link is clicked, with its text and kind (0 web, 1 FTP,
    // 2 e-mail). The text is whatever the host put on the screen: whoever
    // opens it hands it to the program as one argument, never to a shell.
    TOnHyperlinkEvent OnHyperlink;
    TColor OnHyperlinkTextColor = 0xFFFFFF;
    TColor OnHyperlinkBackColor = 0x0000FF;
    TColor HttpHyperlinkColor = 0x00FF00;
    TColor FtpHyperlinkColor = 0x0000FF;
    TColor EmailHyperlinkColor = 0xFFFFFF;

    // ---- Timers --------------------------------------------------------------------
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned v) { FInterval = v; }
    unsigned BlinkInterval() const { return FBlinkInterval; }
    void SetBlinkInterval(unsigned v);
    unsigned TimerInterval(int n) const; // n = 1..3
    void SetTimerInterval(int n, unsigned v);
    unsigned Timer1Interval() const { return TimerInterval(1); }
    void SetTimer1Interval(unsigned v) { SetTimerInterval(1, v); }
    unsigned Timer2Interval() const { return TimerInterval(2); }
    void SetTimer2Interval(unsigned v) { SetTimerInterval(2, v); }
    unsigned Timer3Interval() const { return TimerInterval(3); }
    void SetTimer3Interval(unsigned v) { SetTimerInterval(3, v); }
    TNotifyEvent OnTimer1, OnTimer2, OnTimer3;

    bool LazyRefresh() const { return FLazyRefresh; }
    void SetLazyRefresh(bool v);
    bool NeedRefreshLater() const { return FNeedRefreshLater; }
    bool LazyChangeFont() const { return FLazyChangeFont; }
    void SetLazyChangeFont(bool v);
    bool NeedChangeFontLater = false;

    TNotifyEvent OnSetFocus;

    // Mouse events for the owner, raised after the control's own selection
    // and link handling: button, modifiers and the position in pixels.
    using TMouseEvent = std::function<void(TBgCrt* sender, Qt::MouseButton button,
                                           Qt::KeyboardModifiers shift, int x, int y)>;
    using TMouseMoveEvent =
        std::function<void(TBgCrt* sender, Qt::KeyboardModifiers shift, int x, int y)>;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // ---- Metrics -------------------------------------------------------------------
    int CellWidth() const { return FGeometry.CellWidth; }
    int CellHeight() const { return FGeometry.CellHeight; }
    int MarginX() const { return FGeometry.MarginX; }
    int MarginY() const { return FGeometry.MarginY; }
    int TextAreaWidth() const { return FTextWidth; }
    int TextAreaHeight() const { return FTextHeight; }
    // Pixel rectangle of cell (col, view line).
    QRect CellRect(int col, int line) const;

    // ---- Operations ----------------------------------------------------------------
    // Renders every displayed row and repaints the control. Several calls
    // while one block of output is handled result in one render.
    void RedrawScreen() override;
    void FontChanged();
    void CalcCellMetrics();
    // Picks the biggest font size (down to 1 point) at which the screen fits
    // the client area; true when the size changed.
    bool FitFontToClient();
    virtual void UpdateCaretPos() override;
    virtual void CreateCursor();
    virtual void ShowCursor();
    virtual void HideCursor();
    void CheckFullRepaint();
    void StopRefresh();
    // Starts rendering and background composition; called on first show
    // when the owner has not called it.
    virtual void Loaded();
    bool IsLoaded() const { return FLoaded; }

    // The refresh timer's work: render after a pause, blink, user timers.
    // The timer runs only while one of them waits (see RefreshSchedule).
    void RefreshTimerTick();

    // ---- Off-screen pictures of a screen nobody sees ---------------------------------
    // True when the screen cannot be seen: hidden, its window minimized, or
    // covered whole by windows above it (sibling session windows or opaque
    // widgets).
    bool Unseen() const;
    // Frees the display and composed background bitmaps and the glyph cache;
    // the next paint builds them again and draws every cell. Output that
    // arrives meanwhile is kept in the buffer only. False when there was
    // nothing to free or they could not be rebuilt.
    bool ReleasePictures();
    // Frees the pictures when the screen is unseen and was not painted since
    // the last call: the owner calls it now and then (the main window does
    // once a second).
    bool ReleasePicturesIfUnseen();
    bool PicturesReleased() const { return FPicturesReleased; }

    // State for tests and the selection code.
    bool BlinkPhase() const { return FBlinkPhase; }
    bool FullRepaint() const { return FFullRepaint; }
    bool CaretShown() const { return FCaretShown; }
    // Where the caret sits (set even when outside the view).
    QRect CaretRect() const { return FCaretRect; }
    bool Focused() const { return FFocused; }
    int RefreshIntervalMs() const { return FRefreshTimer.interval(); }
    bool RefreshActive() const { return FRefreshTimer.isActive(); }
    std::size_t CachedGlyphs() const { return FGlyphCache.Size(); }
    // The bitmap text is drawn into (Mirror when the owner set one).
    TMyBitmap& DisplayBitmap() { return FMirror ? *FMirror : FOwnDisplay; }
    const TMyBitmap& DisplayBitmap() const { return FMirror ? *FMirror : FOwnDisplay; }

    // Blinking pauses while a selection is shown (the selection code sets it).
    bool SelectionShown = false;

    // ---- Selection, links and text export (BgCrtSelection.cpp, BgCrtExport.cpp) ----
    // The link under the mouse (empty text when none) and its kind.
    std::string HoverLinkText;
    int HoverLinkKind = 0;
    int HoverLinkCol = -1, HoverLinkLine = -1; // its first cell (buffer row)
    // The links found in the shown rows at the last render.
    const std::vector<THyperlinkInfo>& Hyperlinks() const { return FLinks; }
    // Records a link after cutting trailing '.', ',' and ';'.
    void AddHyperlink(int col, int line, const std::string& text, int kind);

    // Selects from (left, top) to (right, bottom), view coordinates.
    void SetSelection(int left, int top, int right, int bottom);
    void ClearSelection();
    // The selection with SelectionShown as its shown state.
    screen::TSelection Selection() const;
    int SelLeft() const { return FSel.SelLeft(); }
    int SelTop() const { return FSel.SelTop(); }
    int SelRight() const { return FSel.SelRight(); }
    int SelBottom() const { return FSel.SelBottom(); }
    bool BlockMode() const { return FSel.BlockMode; }
    bool Selecting() const { return FSel.Selecting; }
    // Rows from..to of the buffer (clamped to what exists); read them with
    // the render guard held.
    std::vector<const TRow*> BufferRows(int from, int to) const;
    // View cell under a point of the control, clamped to the screen.
    QPoint CellAt(QPoint pos) const;

    // Text out of the screen: lines of the rows' bytes, trailing blanks cut,
    // to the clipboard (desktop text) or to a file (Big5, CR LF, byte for
    // byte; EFileError on failure), or printed with PrinterFont.
    void CopyScreen();
    void CopyBuffer();
    void CopySelection();
    void SaveScreenToFile(const std::string& fileName);
    void SaveBufferToFile(const std::string& fileName);
    // On the default printer; false when there is none or it fails.
    bool PrintScreen();
    bool PrintBuffer();
    // On the given printer (or PDF file); returns the pages printed.
    int PrintScreen(QPrinter& printer);
    int PrintBuffer(QPrinter& printer);

    // A typed byte for the host; the session sends it. The screen itself
    // only brings the view back to the cursor.
    virtual void KeyPress(char& key);

protected:
    // Hooks for the selection and hyperlink code: called after every render
    // with the render guard held (scan the links of the view), and at the end
    // of every paint (draw the selection inversion, link underlines, frames).
    virtual void AfterRender();
    virtual void PaintOverlay(QPainter& painter, const QRect& dirty);
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // The screen scrolled in place or the history lost rows: links on the
    // moved lines move along, links on lost lines go.
    void LinesMoved(int fromLine, int delta) override;
    // The view shows other rows than before: selection and hovered link go.
    void ShownRowsDropped() override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The screen wants every key, Tab and Backtab included: they never move
    // the focus away from it.
    bool focusNextPrevChild(bool next) override;

    // TScreenHost: the engine's calls, possibly from a worker thread.
    bool HasScrollBar() const override { return FScrollBar != nullptr; }
    void TopRowChanged(int topRow) override;
    void ViewRowChanged(int viewRow) override;
    void WriteMarked() override;
    void ColumnsChanged() override;
    void RowsChanged() override;

    // Renders the dirty rectangle of the buffer into the display bitmap and
    // returns the pixels it changed. Call with the guard held.
    QRect RenderDirty();
    TRenderContext RenderContext();

private:
    void OnGuiThread(std::function<void()> fn);
    void SyncScrollBar();
    void ScheduleRender();
    void RefreshLayout();
    void BackgroundChanged();
    void ChooseRenderer();
    void ApplyFont();
    void CaretBlinkTick();
    void BlinkStep();
    void DoRedraw();
    void EnsureOwnDisplaySize();
    // Starts, moves or stops the refresh timer for what waits next.
    void ScheduleTick();
    // Output can be rendered now: loaded, display on, shown.
    bool CanRender() const;
    // Notes whether the view shows blinking cells; call with the guard held.
    void ScanViewBlink();
    void RestorePictures();

    void SelectionMousePress(QMouseEvent* event);
    void SelectionMouseMove(QMouseEvent* event);
    void SelectionMouseRelease(QMouseEvent* event);
    void SetHoverLink(int index);
    void ForgetHoverLink();
    int LinkAt(int col, int viewLine) const;
    std::vector<QRect> LinkRects(const THyperlinkInfo& link) const;
    int PrintRows(QPrinter& printer, int from, int to, const QString& what);

    screen::TSelection FSel;
    std::vector<THyperlinkInfo> FLinks;
    int FHoverLink = -1;
    int FPressedLink = -1;

    TScreenBuffer FScreen;
    const TColor* FFgTable;
    const TColor* FBgTable;

    TMyBitmap FOwnDisplay;
    TMyBitmap* FGlyph = nullptr;
    TMyBitmap* FMirror = nullptr;
    TMyBitmap* FScreenBack = nullptr;
    TMyBitmap* FScreenShoot = nullptr;
    QScrollBar* FScrollBar = nullptr;

    TQtGlyphRasterizer FRasterizer;
    TGlyphCache FGlyphCache{FRasterizer};
    TCellGeometry FGeometry;
    int FTextWidth = 0, FTextHeight = 0;
    bool FBackgroundRenderer = true;

    bool FDisplayOn = true;
    bool FTransparent = true;
    int FTransparency = 60;
    TColor FTranspColor = 0;
    TBackgroundStyle FBackStyle = bsStretched;
    bool FGlyphVisible = true;

    bool FCursorVisible = true;
    int FCursorHeight = 2;
    unsigned FCursorBlinkInterval = 600;
    QImage FCursorGlyph;
    QImage FCaretImage; // the glyph scaled to the cell
    QRect FCaretRect;
    bool FCaretCreated = false;
    bool FCaretShown = false;
    bool FCaretOn = true; // blink phase of the caret
    QTimer FCaretTimer;
    bool FFocused = false;

    int FSpaceV = 0;
    QFont FFont;
    QFont FPrinterFont;
    bool FFontApplied = false;

    unsigned FInterval = 20;
    unsigned FBlinkInterval = 700;
    std::array<unsigned, 3> FTimerInterval{0, 0, 0};
    std::array<std::uint32_t, 3> FTimerLast{0, 0, 0};
    std::uint32_t FLastBlink = 0;
    bool FBlinkPhase = true;
    QTimer FRefreshTimer;
    bool FInTick = false;
    bool FRefreshStopped = false;
    bool FLoaded = false;
    bool FFullRepaint = false;
    bool FLazyRefresh = false;
    bool FNeedRefreshLater = false;
    bool FLazyChangeFont = false;
    bool FViewHasBlink = false;
    bool FPicturesReleased = false;
    bool FPaintedSinceSweep = false;

    std::atomic<bool> FFastPending{false};
    std::atomic<bool> FSyncPending{false};
    std::atomic<bool> FRedrawPending{false};
};
