// The VT/ANSI interpreter: turns the byte stream from the host into
// operations on a TScreenBuffer. Control characters, the escape sequences
// BBS systems send and the SGR colour attributes are understood; anything
// else is swallowed. It never answers the host.
//
// The escape state persists between calls, so a sequence may arrive split
// over any number of reads. ProcessBuffer is the bulk entry: it hands runs of
// text to the buffer's write path in one call, with exactly the result of
// feeding the same bytes to ProcessChar one at a time.
#pragma once

#include "screen/core/ScreenBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

class TVtInterpreter {
public:
    static constexpr int EscBufferSize = 80;
    // Parameters saturate here: large enough for any screen coordinate,
    // small enough that cursor arithmetic cannot overflow.
    static constexpr int MaxParam = 1 << 20;

    // Binds to the buffer and applies the emulator's defaults: Attr 7,
    // colours 7 on 0, AutoWrap off, 80 columns, 24 rows.
    explicit TVtInterpreter(TScreenBuffer& screen);

    void ProcessChar(std::uint8_t ch);
    void ProcessBuffer(const std::uint8_t* data, std::size_t len);
    void ProcessBuffer(std::string_view bytes) {
        ProcessBuffer(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }

    // Clears RegionToggle and IndexCount (a new session starts).
    void ResetScrollState();

    // Acts on a finished sequence whose collected bytes are in EscBuffer.
    void ProcessEscape(std::uint8_t final);
    // From 1-based position pos of EscBuffer: skips blanks, reads decimal
    // digits into value (0 when none, saturating at MaxParam) and returns
    // the position after them.
    int GetEscParam(int pos, int& value) const;

    // Screen scrolls in place: cells' Char, Fg and Bg move; Blink and
    // Underline stay with the rows. History, cursor and TopRow stay.
    void ScrollScreenUp();
    void ScrollScreenDown();
    // Region rows are 1-based screen rows, clamped to 1..Rows; an inverted
    // region scrolls nothing.
    void ScrollRegion(int top, int bottom);

    std::string_view EscBuffer() const {
        return {reinterpret_cast<const char*>(FEsc), static_cast<std::size_t>(FEscLen)};
    }
    TScreenBuffer& Screen() const { return FScreen; }

    bool InEscape = false;
    std::uint8_t Attr = 7; // bits 0-2 fg, bit 3 bold, bits 4-6 bg
    bool Reverse = false;
    bool Monochrome = false;
    bool SetModeFlag = false;
    int IndexCount = 0;
    bool RegionToggle = false;
    int SavedX = 0, SavedY = 0;
    std::function<void()> OnBeep;

private:
    void EndEscape() {
        FEscLen = 0;
        InEscape = false;
    }
    // Byte at 1-based position pos of EscBuffer, 0 beyond its end.
    std::uint8_t EscAt(int pos) const { return pos >= 1 && pos <= FEscLen ? FEsc[pos - 1] : 0; }
    void Csi(std::uint8_t final);
    void Sgr();
    void RegionScrollSequence();
    void SaveCursor();
    void RestoreCursor();

    TScreenBuffer& FScreen;
    std::uint8_t FEsc[EscBufferSize];
    int FEscLen = 0;
};
