#include "screen/core/ScreenBuffer.h"

#include "platform/core/Beep.h"
#include "platform/core/Ticks.h"
#include "screen/core/Big5Cells.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint8_t Blank = 32;

void FillCells(TCell* cells, int from, int to, std::uint8_t fg, std::uint8_t bg) {
    const TCell blank{Blank, fg, bg, 0, 0};
    for (int i = from; i < to; ++i)
        cells[i] = blank;
}

} // namespace

TScreenBuffer::TScreenBuffer(TScreenHost* host) : FHost(host ? host : &FNoHost) {
    for (int i = 0; i < 25; ++i)
        FRowList.push_back(NewRow());
    FTopRow = std::max(0, RowCount() - FRows);
    FViewRow = FTopRow;
    ResetDirty();
}

// ---- Rows --------------------------------------------------------------------

std::unique_ptr<TRow> TScreenBuffer::NewRow() {
    std::unique_ptr<TRow> row;
    if (!FSpare.empty()) {
        row = std::move(FSpare.back());
        FSpare.pop_back();
    } else {
        row = std::make_unique<TRow>();
    }
    std::memcpy(row->Cells, BlankRow(TextColor, BackColor).Cells, sizeof(TRow::Cells));
    return row;
}

const TRow& TScreenBuffer::BlankRow(std::uint8_t fg, std::uint8_t bg) {
    if (fg != FBlankFg || bg != FBlankBg) {
        FillCells(FBlank.Cells, 0, RowCells, fg, bg);
        FBlankFg = fg;
        FBlankBg = bg;
    }
    return FBlank;
}

void TScreenBuffer::RecycleRow(std::unique_ptr<TRow> row) {
    // One trim's worth of rows is enough to make the next trims allocate
    // nothing; more would only hold memory.
    if (FSpare.size() < static_cast<std::size_t>(2 * MaxRows)) FSpare.push_back(std::move(row));
}

void TScreenBuffer::SetTopRow(int index) {
    std::lock_guard guard(Rendering);
    index = std::clamp(index, 0, std::max(0, RowCount() - FRows));
    if (index == FTopRow) return;
    FTopRow = index;
    FHost->TopRowChanged(FTopRow);
}

void TScreenBuffer::SetViewRow(int index) {
    std::lock_guard guard(Rendering);
    index = std::clamp(index, 0, std::max(0, RowCount() - FRows));
    if (index == FViewRow) return;
    FViewRow = index;
    // What is shown moved as a whole: every cell of the view must be drawn
    // again, whoever moved it.
    MarkAllDirty();
    FHost->ViewRowChanged(FViewRow);
}

// The history keeps at most MaxBufferRows rows plus two screens; past that
// the two screens' worth of oldest rows go at once. The screen itself is
// never cut into, whatever MaxBufferRows and Rows are.
void TScreenBuffer::TrimHistory() {
    const int count = RowCount();
    // In 64 bits: MaxBufferRows has no upper bound of its own.
    if (count <= 2LL * FRows + FMaxBufferRows) return;
    const int drop = std::min(2 * FRows, count - FRows);
    if (drop <= 0) return;
    for (int i = 0; i < drop; ++i) {
        RecycleRow(std::move(FRowList.front()));
        FRowList.pop_front();
    }
    FDroppedRows += static_cast<std::uint64_t>(drop);
    // Every list index moved by -drop: whatever the host recorded on rows
    // moves with them, the view keeps showing the same rows while they exist,
    // and both positions are reported.
    FHost->LinesMoved(0, -drop);
    const bool shownDropped = FViewRow < drop;
    FTopRow = std::max(0, RowCount() - FRows);
    FHost->TopRowChanged(FTopRow);
    FViewRow = std::clamp(FViewRow - drop, 0, FTopRow);
    if (shownDropped) FHost->ShownRowsDropped();
    MarkAllDirty();
    FHost->ViewRowChanged(FViewRow);
}

void TScreenBuffer::AddRow() {
    std::lock_guard guard(Rendering);
    FRowList.push_back(NewRow());
    UpdateTopRow();
    TrimHistory();
}

void TScreenBuffer::InsertHistoryRow() {
    std::lock_guard guard(Rendering);
    const int at = FTopRow;
    FRowList.insert(FRowList.begin() + at, NewRow());
    // The screen's rows are one list index further down now.
    FHost->LinesMoved(at, +1);
    UpdateTopRow();
    TrimHistory();
}

void TScreenBuffer::NewLine() {
    std::lock_guard guard(Rendering);
    ++CursorY;
    if (CursorY >= FRows) {
        CursorY = FRows - 1;
        AddRow();
    }
}

void TScreenBuffer::FollowCursor() {
    if (FViewRow == FTopRow) return; // already showing the screen
    if (FHost->HasScrollBar()) {
        if (FViewRow >= FTopRow - FRows) SetViewRow(FTopRow);
    } else {
        SetViewRow(FTopRow);
    }
}

void TScreenBuffer::GotoXY(int x, int y) {
    CursorX = std::clamp(x, 0, FColumns - 1);
    CursorY = std::clamp(y, 0, FRows - 1);
    FHost->UpdateCaretPos();
}

// ---- Dirty marking -------------------------------------------------------------

void TScreenBuffer::ResetDirty() {
    DirtyTop = FRows;
    DirtyBottom = -1;
    DirtyLeft = FColumns;
    DirtyRight = -1;
}

void TScreenBuffer::MarkAllDirty() {
    DirtyLeft = 0;
    DirtyTop = 0;
    DirtyRight = FColumns - 1;
    DirtyBottom = FRows - 1;
    MarkWritten();
}

void TScreenBuffer::MarkAllDirtyKeepingTick() {
    std::lock_guard guard(Rendering);
    DirtyLeft = 0;
    DirtyTop = 0;
    DirtyRight = FColumns - 1;
    DirtyBottom = FRows - 1;
    NeedRender = true;
    FHost->WriteMarked();
}

// The caller holds the render guard, so a render in progress has finished.
// Reading the clock costs more than writing a byte: between two looks of the
// refresh timer only the first write reads it. Later ones only note that
// they happened; the timer's look then takes its own time for them.
void TScreenBuffer::MarkWritten() {
    NeedRender = true;
    if (FBatchDepth > 0) {
        FBatchMarked = true;
        return;
    }
    if (!FWriteStamped) {
        LastWriteTick = win::GetTickCount();
        FWriteStamped = true;
    } else {
        FUnstampedWrites = true;
    }
    FHost->WriteMarked();
}

std::uint32_t TScreenBuffer::SeenWrites(std::uint32_t now) {
    std::lock_guard guard(Rendering);
    if (FUnstampedWrites) LastWriteTick = now;
    FUnstampedWrites = false;
    FWriteStamped = false;
    return LastWriteTick;
}

void TScreenBuffer::BeginUpdate() {
    Rendering.lock();
    ++FBatchDepth;
}

void TScreenBuffer::EndUpdate() {
    if (--FBatchDepth == 0 && FBatchMarked) {
        FBatchMarked = false;
        MarkWritten();
    }
    Rendering.unlock();
}

// ---- Write path ------------------------------------------------------------------

// Returns true when the keyword matched completely (and the event ran).
bool TScreenBuffer::KeyWordTest(std::uint8_t b) {
    const int len = static_cast<int>(FKeyWord.size());
    if (KeyWordPos < 1 || KeyWordPos > len) KeyWordPos = 1;
    if (b != static_cast<std::uint8_t>(FKeyWord[KeyWordPos - 1])) {
        KeyWordPos = 1;
        if (b != static_cast<std::uint8_t>(FKeyWord[0])) return false;
    }
    if (KeyWordPos == len) {
        KeyWordPos = 1;
        --TriggerCnt;
        if (OnKeyWord) OnKeyWord();
        return true;
    }
    ++KeyWordPos;
    return false;
}

// The end-of-line rule after the cursor moved right.
void TScreenBuffer::EndOfLine() {
    if (CursorX < FColumns) return;
    if (AutoWrap) {
        CursorX = 0;
        NewLine();
        FollowCursor();
    } else {
        CursorX = FColumns - 1;
    }
}

void TScreenBuffer::DirtyIfPairingChanges(int y, int x, int k, const std::uint8_t* bytes) {
    const int cols = std::min(FColumns, RowCells);
    if (x < 0 || k <= 0 || x + k >= cols) return; // no cell after the run on this row
    const TCell* cells = ScreenRow(y).Cells;
    int i = 0;
    while (i < k && screen::IsLeadByte(cells[x + i].Char) == screen::IsLeadByte(bytes[i]))
        ++i;
    if (i == k) return; // every byte pairs as the one it replaces
    // Where the first character at or after x starts: the cells before x
    // keep their bytes.
    int start = 0;
    while (start < x)
        start += screen::IsLeadByte(cells[start].Char) && start + 1 < cols ? 2 : 1;
    // Where the first character after the run starts, old bytes and new.
    auto after = [&](bool written) {
        int c = start;
        while (c < x + k) {
            const std::uint8_t b = written && c >= x ? bytes[c - x] : cells[c].Char;
            c += screen::IsLeadByte(b) && c + 1 < cols ? 2 : 1;
        }
        return c;
    };
    if (after(false) != after(true)) DirtyCell(cols - 1, y);
}

// Writes n printable bytes in the current colours. Equivalent to writing
// them one at a time; runs within one line are copied in one go.
void TScreenBuffer::PutRun(const std::uint8_t* p, std::size_t n) {
    while (n > 0) {
        TCell* cells = ScreenRow(CursorY).Cells;
        const TCell proto{0, TextColor, BackColor, static_cast<std::uint8_t>(Blink ? 1 : 0),
                          static_cast<std::uint8_t>(Underline ? 1 : 0)};
        // CursorX may stand beyond Columns after Columns shrank; the byte
        // then lands where the cursor is and the end-of-line rule follows.
        const int room = std::max(1, FColumns - CursorX);
        const int k = static_cast<int>(std::min<std::size_t>(n, room));
        DirtyIfPairingChanges(CursorY, CursorX, k, p);
        DirtyCell(CursorX, CursorY);
        DirtyCell(CursorX + k - 1, CursorY);
        TCell* c = cells + CursorX;
        for (int i = 0; i < k; ++i) {
            c[i] = proto;
            c[i].Char = p[i];
        }
        CursorX += k;
        p += k;
        n -= k;
        if (CursorX >= FColumns) {
            if (AutoWrap) {
                EndOfLine();
            } else {
                CursorX = FColumns - 1;
                if (n > 0) {
                    // The rest overwrite the last column: the last one stays.
                    cells[CursorX] = proto;
                    cells[CursorX].Char = p[n - 1];
                    DirtyCell(CursorX, CursorY);
                    n = 0;
                }
            }
        }
    }
}

void TScreenBuffer::LineFeed() {
    DirtyBottom = std::min(DirtyBottom + 1, FRows - 1);
    InsertHistoryRow();
    // Record the line the cursor leaves in the history as it stands now.
    if (FTopRow > 0) {
        std::memcpy(Row(FTopRow - 1).Cells, ScreenRow(CursorY).Cells, sizeof(TRow::Cells));
    }
    NewLine();
    FollowCursor();
}

void TScreenBuffer::WriteBuffer(const void* buffer, std::size_t len) {
    std::lock_guard guard(Rendering);
    const auto* p = static_cast<const std::uint8_t*>(buffer);
    const std::uint8_t* const end = p ? p + len : p;
    bool marked = false;
    while (p < end) {
        const std::uint8_t b = *p;
        if (b >= 32) {
            if (!FKeyWord.empty() && TriggerCnt > 0) {
                // The event may change anything, the keyword included, so
                // the bytes go one at a time while a keyword is armed.
                KeyWordTest(b);
                PutRun(p, 1);
                ++p;
            } else {
                const std::uint8_t* q = p + 1;
                while (q < end && *q >= 32)
                    ++q;
                PutRun(p, static_cast<std::size_t>(q - p));
                p = q;
            }
            marked = true;
            continue;
        }
        switch (b) {
        case 13:
            CursorX = 0;
            marked = true;
            break;
        case 10:
            LineFeed();
            marked = true;
            break;
        case 9:
            CursorX += 8;
            EndOfLine();
            marked = true;
            break;
        case 7:
            win::MessageBeep(0);
            break;
        default:
            break;
        }
        ++p;
    }
    if (marked) MarkWritten();
    FollowCursor();
}

void TScreenBuffer::WriteChar(std::uint8_t ch) {
    std::lock_guard guard(Rendering);
    if (ch < 32 || (!FKeyWord.empty() && TriggerCnt > 0)) {
        WriteBuffer(&ch, 1);
        return;
    }
    // PutRun for a single byte: it lands where the cursor is (beyond Columns
    // after Columns shrank), then the end-of-line rule follows.
    DirtyIfPairingChanges(CursorY, CursorX, 1, &ch);
    ScreenRow(CursorY).Cells[CursorX] =
        TCell{ch, TextColor, BackColor, static_cast<std::uint8_t>(Blink ? 1 : 0),
              static_cast<std::uint8_t>(Underline ? 1 : 0)};
    DirtyCell(CursorX, CursorY);
    if (++CursorX >= FColumns) {
        if (AutoWrap)
            EndOfLine();
        else
            CursorX = FColumns - 1;
    }
    MarkWritten();
    FollowCursor();
}

void TScreenBuffer::WriteLn(std::string_view s) {
    std::lock_guard guard(Rendering);
    WriteBuffer(s.data(), s.size());
    WriteBuffer("\r\n", 2);
}

// ---- Erasing ---------------------------------------------------------------------

void TScreenBuffer::ClearScreen() {
    std::lock_guard guard(Rendering);
    int last = -1;
    for (int y = FRows - 1; y >= 0; --y) {
        TCell* cells = ScreenRow(y).Cells;
        const int cols = FColumns;
        bool blank = true;
        for (int x = 0; x < cols; ++x) {
            if (cells[x].Char != Blank) {
                blank = false;
                break;
            }
        }
        if (!blank) {
            last = y;
            break;
        }
        FillCells(cells, 0, cols, TextColor, BackColor);
    }
    for (int i = 0; i <= last; ++i)
        AddRow();
    UpdateTopRow();
    SetViewRow(FTopRow);
    CursorX = 0;
    CursorY = 0;
    MarkAllDirty();
}

void TScreenBuffer::ClearEOL() {
    std::lock_guard guard(Rendering);
    FillCells(ScreenRow(CursorY).Cells, std::min(CursorX, RowCells), RowCells, 7, 0);
    DirtyRows(CursorY, CursorY);
    DirtyLeft = std::min(DirtyLeft, CursorX);
    DirtyRight = FColumns - 1;
    MarkWritten();
}

void TScreenBuffer::ClearBOL() {
    std::lock_guard guard(Rendering);
    FillCells(ScreenRow(CursorY).Cells, 0, std::min(CursorX, RowCells), TextColor, BackColor);
    DirtyRows(CursorY, CursorY);
    DirtyLeft = 0;
    DirtyRight = std::max(DirtyRight, CursorX - 1);
    MarkWritten();
}

void TScreenBuffer::ClearEOS() {
    std::lock_guard guard(Rendering);
    ClearEOL();
    if (CursorY + 1 < FRows) {
        const TRow& blank = BlankRow(TextColor, BackColor);
        for (int y = CursorY + 1; y < FRows; ++y)
            ScreenRow(y) = blank;
        DirtyTop = std::min(DirtyTop, CursorY + 1);
        DirtyBottom = FRows - 1;
        DirtyLeft = 0;
        DirtyRight = FColumns - 1;
    }
    MarkWritten();
}

void TScreenBuffer::ClearBOS() {
    std::lock_guard guard(Rendering);
    ClearBOL();
    if (CursorY > 0) {
        const TRow& blank = BlankRow(TextColor, BackColor);
        for (int y = 0; y < CursorY; ++y)
            ScreenRow(y) = blank;
        DirtyTop = 0;
        DirtyBottom = std::max(DirtyBottom, CursorY - 1);
        DirtyLeft = 0;
        DirtyRight = FColumns - 1;
    }
    MarkWritten();
}

void TScreenBuffer::ClearHistory() {
    std::lock_guard guard(Rendering);
    const int drop = FTopRow;
    FDroppedRows += static_cast<std::uint64_t>(drop);
    for (int i = 0; i < drop; ++i) {
        RecycleRow(std::move(FRowList.front()));
        FRowList.pop_front();
    }
    if (drop > 0) FHost->LinesMoved(0, -drop);
    // Scrolled back, the view showed history rows; now it shows the screen.
    if (FViewRow < drop) FHost->ShownRowsDropped();
    if (FTopRow != 0) {
        FTopRow = 0;
        FHost->TopRowChanged(0);
    }
    if (FViewRow != 0) {
        FViewRow = 0;
        FHost->ViewRowChanged(0);
    }
    MarkAllDirty();
    FHost->RedrawScreen();
}

// ---- Properties ------------------------------------------------------------------

void TScreenBuffer::SetColumns(int value) {
    if (value < MinColumns || value > MaxColumns || value == FColumns) return;
    std::lock_guard guard(Rendering);
    FColumns = value;
    MarkAllDirty();
    FHost->ColumnsChanged();
}

void TScreenBuffer::SetRows(int value) {
    if (value < MinRows || value > MaxRows || value == FRows) return;
    std::lock_guard guard(Rendering);
    const int old = FRows;
    FRows = value;
    if (value < old) {
        CursorY = std::min(CursorY, value - 1);
    } else {
        for (int i = old; i < value; ++i)
            AddRow();
    }
    UpdateTopRow();
    SetViewRow(FTopRow);
    MarkAllDirty();
    FHost->RowsChanged();
}

void TScreenBuffer::SetMaxBufferRows(int value) {
    if (value < MinBufferRows) return;
    std::lock_guard guard(Rendering);
    FMaxBufferRows = value;
}

void TScreenBuffer::SetKeyWord(std::string_view value) {
    std::lock_guard guard(Rendering);
    FKeyWord.assign(value);
    KeyWordPos = 1;
}
