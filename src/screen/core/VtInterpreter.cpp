#include "screen/core/VtInterpreter.h"

#include <algorithm>
#include <array>
#include <mutex>

namespace {

constexpr std::uint8_t Esc = 27;

bool IsDigit(std::uint8_t b) {
    return b >= '0' && b <= '9';
}

bool IsParamByte(std::uint8_t b) {
    return b == ' ' || b == ';' || b == '?' || IsDigit(b);
}

// Bytes that ProcessChar hands straight to the write path outside an
// escape: everything but NUL, BEL, BS, SO, SI and ESC.
constexpr std::array<bool, 256> MakeTextTable() {
    std::array<bool, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = true;
    for (int b : {0, 7, 8, 14, 15, 27})
        t[b] = false;
    return t;
}
constexpr std::array<bool, 256> TextByte = MakeTextTable();

} // namespace

TVtInterpreter::TVtInterpreter(TScreenBuffer& screen) : FScreen(screen) {
    Attr = 7;
    FScreen.TextColor = 7;
    FScreen.BackColor = 0;
    FScreen.AutoWrap = false;
    FScreen.SetColumns(80);
    FScreen.SetRows(24);
}

void TVtInterpreter::ResetScrollState() {
    RegionToggle = false;
    IndexCount = 0;
}

// ---- Byte feeding ----------------------------------------------------------------

void TVtInterpreter::ProcessChar(std::uint8_t b) {
    if (!InEscape) {
        switch (b) {
        case 0:
        case 14:
        case 15:
            return;
        case 7:
            if (OnBeep) OnBeep();
            return;
        case 8:
            FScreen.GotoXY(FScreen.CursorX - 1, FScreen.CursorY);
            return;
        case Esc:
            FEscLen = 0;
            InEscape = true;
            return;
        default:
            FScreen.WriteChar(b);
            return;
        }
    }

    if (FEscLen == 0) {
        switch (b) {
        case '7':
        case '8':
        case '<':
        case '=':
        case '>':
        case 'D':
        case 'E':
        case 'H':
        case 'M':
            ProcessEscape(b);
            EndEscape();
            return;
        default:
            break;
        }
    }
    if (FEscLen == 1 && (FEsc[0] == '(' || FEsc[0] == ')' || FEsc[0] == '*' || FEsc[0] == '+')) {
        ProcessEscape(b); // b designates a character set
        EndEscape();
        return;
    }
    if (IsParamByte(b) ||
        (FEscLen == 0 && (b == '[' || b == '(' || b == ')' || b == '*' || b == '+'))) {
        FEsc[FEscLen++] = b;
        if (FEscLen >= EscBufferSize) EndEscape(); // over-long: dropped unexecuted
        return;
    }
    if (b == Esc) {
        FEscLen = 0; // the escape starts again
        return;
    }
    ProcessEscape(b);
    EndEscape();
}

void TVtInterpreter::ProcessBuffer(const std::uint8_t* data, std::size_t len) {
    if (!data || len == 0) return;
    TScreenBuffer::TWriteBatch batch(FScreen);
    const std::uint8_t* p = data;
    const std::uint8_t* const end = data + len;
    while (p < end) {
        if (InEscape && FEscLen > 0 && FEsc[0] == '[') {
            // Parameters of a CSI sequence are collected here without the
            // full dispatch, and the final byte acts at once. A parameter
            // byte that would fill the buffer, and ESC, go through
            // ProcessChar (dropped, respectively restarted).
            while (p < end && IsParamByte(*p) && FEscLen < EscBufferSize - 1)
                FEsc[FEscLen++] = *p++;
            if (p == end) break;
            if (!IsParamByte(*p) && *p != Esc) {
                ProcessEscape(*p++);
                EndEscape();
                continue;
            }
        } else if (!InEscape) {
            const std::uint8_t* q = p;
            while (q < end && TextByte[*q])
                ++q;
            if (q != p) {
                FScreen.WriteBuffer(p, static_cast<std::size_t>(q - p));
                p = q;
                continue;
            }
        }
        ProcessChar(*p++);
    }
}

int TVtInterpreter::GetEscParam(int pos, int& value) const {
    while (EscAt(pos) == ' ')
        ++pos;
    value = 0;
    while (IsDigit(EscAt(pos))) {
        value = std::min(MaxParam, value * 10 + (EscAt(pos) - '0'));
        ++pos;
    }
    return pos;
}

// ---- Sequences ---------------------------------------------------------------------

void TVtInterpreter::SaveCursor() {
    SavedX = FScreen.CursorX;
    SavedY = FScreen.CursorY;
}

// The saved position may lie outside a screen that shrank since: it is
// clamped like any cursor placement.
void TVtInterpreter::RestoreCursor() {
    FScreen.GotoXY(SavedX, SavedY);
}

void TVtInterpreter::ProcessEscape(std::uint8_t final) {
    if (FEscLen == 0) {
        switch (final) {
        case '7':
            SaveCursor();
            break;
        case '8':
            RestoreCursor();
            break;
        case '<':
        case '=':
        case '>':
        case 'E':
        case 'H':
            break;
        case 'D':
            if (IndexCount >= 1) {
                --IndexCount;
                if (!SetModeFlag) ScrollScreenUp();
            }
            break;
        case 'M':
            if (IndexCount < MaxParam) ++IndexCount;
            if (!SetModeFlag) ScrollScreenDown();
            break;
        default:
            FScreen.WriteChar(final);
            break;
        }
        return;
    }
    if (FEsc[0] != '[') return; // character-set designations are ignored
    Csi(final);
}

void TVtInterpreter::Csi(std::uint8_t final) {
    TScreenBuffer& s = FScreen;
    // The first parameter; an absent or zero count means 1.
    auto first = [this] {
        int n = 0;
        GetEscParam(2, n);
        return n;
    };
    auto count = [&] { return std::max(1, first()); };
    switch (final) {
    case 'A':
        s.GotoXY(s.CursorX, s.CursorY - count());
        break;
    case 'B':
        s.GotoXY(s.CursorX, s.CursorY + count());
        break;
    case 'C':
        s.GotoXY(s.CursorX + count(), s.CursorY);
        break;
    case 'D':
        s.GotoXY(s.CursorX - count(), s.CursorY);
        break;
    case 'H':
    case 'f': {
        int row = 0, col = 1;
        int pos = GetEscParam(2, row);
        if (row == 0) row = 1;
        while (EscAt(pos) == ' ')
            ++pos;
        if (EscAt(pos) == ';') GetEscParam(pos + 1, col);
        s.GotoXY(col - 1, row - 1);
        break;
    }
    case 'J': {
        s.TextColor = 7;
        s.BackColor = 0;
        s.Blink = false;
        const int n = first();
        if (n == 0)
            s.ClearEOS();
        else if (n == 1)
            s.ClearBOS();
        else if (n == 2)
            s.ClearScreen();
        break;
    }
    case 'K':
        s.ClearEOL();
        break;
    case 'L':
        ScrollScreenDown();
        break;
    case 'm':
        Sgr();
        break;
    case 'r':
        RegionScrollSequence();
        break;
    case 's':
        SaveCursor();
        break;
    case 'u':
        RestoreCursor();
        break;
    case 'h':
        SetModeFlag = true;
        break;
    case 'l':
        SetModeFlag = false;
        break;
    default:
        break; // unsupported finals are swallowed; nothing is answered
    }
}

void TVtInterpreter::Sgr() {
    TScreenBuffer& s = FScreen;
    if (FEscLen == 1) {
        Attr = 7;
        Reverse = false;
        s.TextColor = 7;
        s.BackColor = 0;
        s.Underline = false;
        s.Blink = false;
        return;
    }
    auto apply = [&](int n) {
        switch (n) {
        case 0:
            Attr = 7;
            Reverse = false;
            s.Underline = false;
            s.Blink = false;
            break;
        case 1:
            Attr |= 8;
            break;
        case 4:
            s.Underline = true;
            break;
        case 5:
            s.Blink = true;
            break;
        case 7:
            Reverse = true;
            break;
        case 8:
            Attr = 0;
            break;
        case 22:
            Attr &= ~8;
            break;
        case 27:
            Attr = 7;
            Reverse = false;
            break;
        default:
            if (n >= 30 && n <= 37)
                Attr = static_cast<std::uint8_t>((Attr & ~0x07) | (n - 30));
            else if (n >= 40 && n <= 47)
                Attr = static_cast<std::uint8_t>((Attr & ~0x70) | ((n - 40) << 4));
            break;
        }
    };
    int pos = 2;
    while (pos <= FEscLen) {
        const std::uint8_t c = EscAt(pos);
        if (IsDigit(c)) {
            int n = 0;
            pos = GetEscParam(pos, n);
            apply(n);
            continue;
        }
        if (c == ';' && pos == 2) apply(0); // an empty first parameter
        ++pos;
    }
    if (Monochrome) {
        s.BackColor = (Attr & 0x70) ? 7 : 15;
        s.TextColor = (Attr & 0x0F) ? 0 : 15;
        return;
    }
    if (Reverse) {
        // Exchanged again at every SGR while Reverse is in force.
        Attr =
            static_cast<std::uint8_t>((Attr & 0x88) | ((Attr & 0x07) << 4) | ((Attr >> 4) & 0x07));
    }
    s.BackColor = static_cast<std::uint8_t>(Attr >> 4);
    s.TextColor = static_cast<std::uint8_t>(Attr & 15);
}

void TVtInterpreter::RegionScrollSequence() {
    if (FEscLen <= 1) return; // no parameters: nothing, not even the toggle
    int top = 0, bottom = 0;
    int pos = GetEscParam(2, top);
    while (EscAt(pos) == ' ')
        ++pos;
    if (EscAt(pos) == ';') GetEscParam(pos + 1, bottom);
    if (bottom == 0) bottom = FScreen.Rows();
    if (!RegionToggle) ScrollRegion(top, bottom);
    RegionToggle = !RegionToggle;
}

// ---- Scrolling in place --------------------------------------------------------------

namespace {

void MoveCells(TRow& to, const TRow& from) {
    for (int x = 0; x < RowCells; ++x) {
        to.Cells[x].Char = from.Cells[x].Char;
        to.Cells[x].Fg = from.Cells[x].Fg;
        to.Cells[x].Bg = from.Cells[x].Bg;
    }
}

void BlankCells(TRow& row, bool blackColours) {
    for (TCell& c : row.Cells) {
        c.Char = ' ';
        if (blackColours) {
            c.Fg = 0;
            c.Bg = 0;
        }
    }
}

void Redraw(TScreenBuffer& s) {
    s.MarkAllDirty();
    s.Host().RedrawScreen();
}

} // namespace

void TVtInterpreter::ScrollScreenUp() {
    TScreenBuffer& s = FScreen;
    std::lock_guard guard(s.Rendering);
    for (int y = 0; y < s.Rows() - 1; ++y)
        MoveCells(s.ScreenRow(y), s.ScreenRow(y + 1));
    BlankCells(s.ScreenRow(s.Rows() - 1), true);
    s.Host().LinesMoved(s.TopRow(), -1);
    Redraw(s);
}

void TVtInterpreter::ScrollScreenDown() {
    TScreenBuffer& s = FScreen;
    std::lock_guard guard(s.Rendering);
    for (int y = s.Rows() - 1; y > 0; --y)
        MoveCells(s.ScreenRow(y), s.ScreenRow(y - 1));
    BlankCells(s.ScreenRow(0), true);
    s.Host().LinesMoved(s.TopRow(), +1);
    Redraw(s);
}

void TVtInterpreter::ScrollRegion(int top, int bottom) {
    TScreenBuffer& s = FScreen;
    top = std::clamp(top, 1, s.Rows());
    bottom = std::clamp(bottom, 1, s.Rows());
    if (top > bottom) return;
    std::lock_guard guard(s.Rendering);
    // Screen indexes are the 1-based region rows minus one.
    if (!SetModeFlag) {
        for (int y = top - 1; y < bottom - 1; ++y)
            MoveCells(s.ScreenRow(y), s.ScreenRow(y + 1));
        BlankCells(s.ScreenRow(bottom - 1), true);
    } else {
        for (int y = bottom - 1; y > top - 1; --y)
            MoveCells(s.ScreenRow(y), s.ScreenRow(y - 1));
        BlankCells(s.ScreenRow(top - 1), false);
    }
    Redraw(s);
}
