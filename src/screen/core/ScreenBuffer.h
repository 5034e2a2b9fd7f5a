// The byte-cell model of the terminal screen and the one write path through
// which all text reaches it.
//
// One list of rows holds the scroll-back history (oldest first) followed by
// the visible screen. Writers put bytes into cells with the current colours,
// move the cursor, scroll the screen into the history and trim the history.
// No drawing happens here: writes only touch cells, the cursor and the dirty
// rectangle, and a host (the screen widget, or nothing when headless) is told
// through TScreenHost what it has to show.
#pragma once

#include "screen/core/Row.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

// What the buffer asks of, and tells, the control that shows it. Every
// operation has a no-op default, so a headless buffer needs no host at all.
// Calls come with the render guard held by the calling thread, except
// UpdateCaretPos: GotoXY takes no guard of its own (the cursor is two ints),
// so it has the guard only when the caller holds it (a write batch).
class TScreenHost {
public:
    virtual ~TScreenHost() = default;

    // A vertical scroll bar is attached: its Max mirrors TopRow and its
    // Position mirrors ViewRow. With one, new output leaves the view alone
    // while the user has scrolled back more than a page (FollowCursor).
    virtual bool HasScrollBar() const { return false; }
    // TopRow changed: the scroll bar's Max follows it.
    virtual void TopRowChanged(int /*topRow*/) {}
    // ViewRow changed: the scroll bar's Position follows it. The buffer has
    // already marked the whole view dirty.
    virtual void ViewRowChanged(int /*viewRow*/) {}
    // The cursor was placed by GotoXY: move the caret.
    virtual void UpdateCaretPos() {}
    // Cells were written and NeedRender is set: shorten the refresh timer so
    // that the pause after the output is noticed quickly.
    virtual void WriteMarked() {}
    // Everything shown changed (history cleared, screen scrolled in place):
    // render the whole view now. The buffer has already marked it all dirty.
    virtual void RedrawScreen() {}
    // Columns changed: drop the selection, recompute metrics, refresh.
    virtual void ColumnsChanged() {}
    // Rows changed: page step := Rows, drop the selection, recompute metrics,
    // refresh.
    virtual void RowsChanged() {}
    // Buffer lines from fromLine on moved by delta lines: the screen scrolled
    // in place (fromLine TopRow, delta +1 down or -1 up), a history row was
    // inserted above the screen (fromLine the old TopRow, delta +1), or the
    // history lost its oldest rows (fromLine 0, delta minus the rows
    // dropped). Links recorded on those lines move with them; a line moved
    // above fromLine or past the last row is gone, and so is what was
    // recorded on it.
    virtual void LinesMoved(int /*fromLine*/, int /*delta*/) {}
    // Rows the view was showing were dropped (history trimmed or cleared
    // while scrolled back): the view now shows other text, so a selection or
    // a hovered link on it no longer means what the user pointed at.
    virtual void ShownRowsDropped() {}
};

// Mutual exclusion between a render and the writes that change cells. A
// render holds it for its whole duration; every write holds it while it
// changes cells, so a write waits for a render in progress and vice versa.
// It is recursive: host callbacks made during a write may take it again on
// the same thread. Meets BasicLockable/Lockable (std::lock_guard, try_lock).
class TRenderGuard {
public:
    void lock() {
        FMutex.lock();
        Count(+1);
    }
    bool try_lock() {
        if (!FMutex.try_lock()) return false;
        Count(+1);
        return true;
    }
    void unlock() {
        Count(-1);
        FMutex.unlock();
    }
    // True while some thread holds the guard (a hint; for tests and asserts).
    bool IsHeld() const { return FDepth.load(std::memory_order_relaxed) > 0; }

private:
    // Only the holder of the mutex changes the depth, so a plain store is
    // enough: a locked read-modify-write per write would cost more than the
    // write of a byte itself.
    void Count(int delta) {
        FDepth.store(FDepth.load(std::memory_order_relaxed) + delta, std::memory_order_relaxed);
    }

    std::recursive_mutex FMutex;
    std::atomic<int> FDepth{0};
};

class TScreenBuffer {
public:
    using TRowList = std::deque<std::unique_ptr<TRow>>;
    using TOnKeyWordEvent = std::function<void()>;

    static constexpr int MinColumns = 1, MaxColumns = RowCells;
    static constexpr int MinRows = 1, MaxRows = 200;
    static constexpr int MinBufferRows = 25;

    // 25 blank rows, 80 columns, AutoWrap on, colours 7 on 0.
    explicit TScreenBuffer(TScreenHost* host = nullptr);
    TScreenBuffer(const TScreenBuffer&) = delete;
    TScreenBuffer& operator=(const TScreenBuffer&) = delete;

    void SetHost(TScreenHost* host) { FHost = host ? host : &FNoHost; }
    TScreenHost& Host() const { return *FHost; }

    // ---- Writing ------------------------------------------------------------
    // Writes bytes: CR, LF, TAB and BEL act, other bytes below 32 are
    // ignored, every byte from 32 up goes into a cell. Ends with FollowCursor.
    void WriteBuffer(const void* buffer, std::size_t len);
    // One byte, as WriteBuffer(&ch, 1) does; the path a byte-wise feeder
    // takes for every printable byte is kept short.
    void WriteChar(std::uint8_t ch);
    // The text is written whole, whatever its length.
    void WriteStr(std::string_view s) { WriteBuffer(s.data(), s.size()); }
    // The text followed by CR LF.
    void WriteLn(std::string_view s);

    // Places the cursor, clamped to the screen, and moves the caret.
    void GotoXY(int x, int y);
    // Appends a blank row: the screen moves down one line, its top line
    // becoming the newest history line. Trims the history.
    void AddRow();
    // Inserts a blank row just above the screen, then trims the history.
    void InsertHistoryRow();
    // Cursor one line down; at the bottom the screen scrolls (AddRow).
    void NewLine();
    // Brings the view back to the screen unless the user scrolled back more
    // than a page with a scroll bar attached.
    void FollowCursor();

    // ---- Erasing --------------------------------------------------------------
    // Scrolls the screen's text into the history and homes the cursor.
    void ClearScreen();
    void ClearEOL(); // cursor to end of line, in fixed colours 7 on 0
    void ClearBOL(); // start of line up to the cell before the cursor
    void ClearEOS(); // ClearEOL and every row below
    void ClearBOS(); // ClearBOL and every row above
    // Deletes every row above the screen.
    void ClearHistory();

    // A batch of writes: holds the render guard throughout and marks the
    // buffer written (tick, NeedRender, host notice) once at its end instead
    // of at every write. Batches nest. TWriteBatch is the scoped form.
    // Outside a batch each write marks the buffer itself, but only the first
    // one after the refresh timer looked reads the clock.
    void BeginUpdate();
    void EndUpdate();
    class TWriteBatch {
    public:
        explicit TWriteBatch(TScreenBuffer& s) : FScreen(s) { FScreen.BeginUpdate(); }
        ~TWriteBatch() { FScreen.EndUpdate(); }
        TWriteBatch(const TWriteBatch&) = delete;
        TWriteBatch& operator=(const TWriteBatch&) = delete;

    private:
        TScreenBuffer& FScreen;
    };

    // ---- Rows and view ----------------------------------------------------------
    const TRowList& RowList() const { return FRowList; }
    int RowCount() const { return static_cast<int>(FRowList.size()); }
    TRow& Row(int index) { return *FRowList[index]; }
    const TRow& Row(int index) const { return *FRowList[index]; }
    // Screen row y (0..Rows-1), i.e. list index TopRow + y.
    TRow& ScreenRow(int y) { return *FRowList[FTopRow + y]; }
    const TRow& ScreenRow(int y) const { return *FRowList[FTopRow + y]; }

    int TopRow() const { return FTopRow; }
    int ViewRow() const { return FViewRow; }
    // Both clamp to the rows that exist (0..max(0, Count - Rows)).
    void SetTopRow(int index);
    void SetViewRow(int index);

    // ---- Geometry properties ----------------------------------------------------
    int Columns() const { return FColumns; }
    int Rows() const { return FRows; }
    int MaxBufferRows() const { return FMaxBufferRows; }
    // Rows dropped from the front of the list so far (trimmed or cleared
    // history): lets a stored row index follow the rows it pointed at.
    std::uint64_t DroppedRows() const { return FDroppedRows; }
    // Out-of-range values and non-changes are ignored.
    void SetColumns(int value);
    void SetRows(int value);
    void SetMaxBufferRows(int value);

    // ---- Keyword trigger ----------------------------------------------------------
    const std::string& KeyWord() const { return FKeyWord; }
    void SetKeyWord(std::string_view value);

    // ---- Dirty rectangle ------------------------------------------------------------
    // Empties the dirty rectangle (top Rows, bottom -1, left Columns,
    // right -1); the render calls it when done.
    void ResetDirty();
    // Marks every cell of the view dirty and the buffer in need of a render.
    void MarkAllDirty();
    // The same, but not as output: a render still waits for the pause after
    // the last write, not after this call (a new background, new colours).
    void MarkAllDirtyKeepingTick();
    bool IsDirtyEmpty() const { return DirtyTop > DirtyBottom || DirtyLeft > DirtyRight; }

    // ---- Public state ----------------------------------------------------------------
    int CursorX = 0;            // 0..Columns-1 (may be beyond after Columns shrank)
    int CursorY = 0;            // 0..Rows-1
    std::uint8_t TextColor = 7; // foreground index 0..15 of new cells
    std::uint8_t BackColor = 0; // background index 0..15 of new cells
    bool Blink = false;
    bool Underline = false;
    bool AutoWrap = true;

    int DirtyLeft = 0, DirtyTop = 0, DirtyRight = -1, DirtyBottom = -1;
    bool NeedRender = false;
    // win::GetTickCount of the last write, as far as it is known: the clock
    // is read by the first write after the refresh timer last looked (see
    // SeenWrites), not by every write.
    std::uint32_t LastWriteTick = 0;
    // The refresh timer looks at the output at `now` (call with the guard
    // held). Writes made since it last looked that did not read the clock
    // count as made at `now`, the latest they can have been, so a render
    // never comes before the output has paused for the timer's interval.
    // Returns LastWriteTick.
    std::uint32_t SeenWrites(std::uint32_t now);

    int TriggerCnt = 0; // how many more keyword matches fire
    int KeyWordPos = 1; // 1-based position of the next keyword byte to match
    TOnKeyWordEvent OnKeyWord;

    TRenderGuard Rendering;

private:
    std::unique_ptr<TRow> NewRow();
    // A blank row in the given colours, kept so that whole rows are blanked
    // by one copy.
    const TRow& BlankRow(std::uint8_t fg, std::uint8_t bg);
    void RecycleRow(std::unique_ptr<TRow> row);
    void TrimHistory();
    void UpdateTopRow() { SetTopRow(RowCount() - FRows); }
    void MarkWritten();
    void DirtyCell(int x, int y) {
        if (x < DirtyLeft) DirtyLeft = x;
        if (x > DirtyRight) DirtyRight = x;
        if (y < DirtyTop) DirtyTop = y;
        if (y > DirtyBottom) DirtyBottom = y;
    }
    void DirtyRows(int top, int bottom) {
        if (top < DirtyTop) DirtyTop = top;
        if (bottom > DirtyBottom) DirtyBottom = bottom;
    }
    bool KeyWordTest(std::uint8_t b);
    // Before cells [x, x + k) of screen row y take `bytes`: when the new
    // bytes pair the cells after them otherwise than the old ones did (a
    // lead byte written over a single one, or the reverse), those cells
    // show other characters now, and the dirty rectangle reaches the row's
    // end.
    void DirtyIfPairingChanges(int y, int x, int k, const std::uint8_t* bytes);
    void PutRun(const std::uint8_t* p, std::size_t n);
    void EndOfLine();
    void LineFeed();

    TScreenHost FNoHost;
    TScreenHost* FHost;
    TRowList FRowList;
    std::vector<std::unique_ptr<TRow>> FSpare; // trimmed rows kept for reuse
    int FTopRow = 0;
    int FViewRow = 0;
    int FColumns = 80;
    int FRows = 25;
    int FMaxBufferRows = 1000;
    std::string FKeyWord;
    TRow FBlank;
    int FBlankFg = -1, FBlankBg = -1;
    int FBatchDepth = 0;
    bool FBatchMarked = false;
    // Since the refresh timer last looked: a write read the clock into
    // LastWriteTick; later writes did not.
    bool FWriteStamped = false;
    bool FUnstampedWrites = false;
    std::uint64_t FDroppedRows = 0;
};
