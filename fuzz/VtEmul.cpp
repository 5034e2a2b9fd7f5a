// Arbitrary bytes through the VT/ANSI interpreter and the screen buffer.
//
// The first three bytes choose the geometry (rows, columns, wrapping and a
// small history limit so trimming happens often); the rest is the stream.
// The pair FF FE followed by two bytes changes a property of the screen at
// that point (rows, columns, history limit, wrapping, clearing the history).
// Each stretch between changes is fed byte by byte, in one piece and in
// pieces of pseudo-random size: the three screens, history included, must be
// equal, and the row list must keep its invariants and its trim bound.
#include "screen/core/ScreenBuffer.h"
#include "screen/core/ScreenDump.h"
#include "screen/core/VtInterpreter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TEmulator {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    int Fired = 0;
    // The most rows the list may hold: the trim bound, or what it held when
    // a property change lowered the bound (trimming catches up line by line).
    long long Cap = 0;

    TEmulator(int rows, int columns, int maxBufferRows, bool autoWrap) {
        Screen.SetMaxBufferRows(maxBufferRows);
        Screen.SetColumns(columns);
        Screen.SetRows(rows);
        Screen.AutoWrap = autoWrap;
        Screen.SetKeyWord("ab");
        Screen.TriggerCnt = 3;
        Screen.OnKeyWord = [this] { ++Fired; };
        UpdateCap();
    }
    void UpdateCap() {
        Cap = std::max<long long>(2LL * Screen.Rows() + Screen.MaxBufferRows(), Screen.RowCount());
    }
    void Change(std::uint8_t op, std::uint8_t value) {
        switch (op % 5) {
        case 0:
            Screen.SetRows(value % 70); // 0 is out of range on purpose
            break;
        case 1:
            Screen.SetColumns(value % 90);
            break;
        case 2:
            Screen.SetMaxBufferRows(value);
            break;
        case 3:
            Screen.AutoWrap = !Screen.AutoWrap;
            break;
        default:
            Screen.ClearHistory();
            break;
        }
        UpdateCap();
    }
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Check(const TEmulator& e) {
    const TScreenBuffer& s = e.Screen;
    const int count = s.RowCount();
    if (count < s.Rows()) Fail("fewer rows than the screen");
    if (count > e.Cap) Fail("history beyond its trim bound");
    if (s.TopRow() != count - s.Rows()) Fail("TopRow is not Count - Rows");
    if (s.ViewRow() < 0 || s.ViewRow() > s.TopRow()) Fail("ViewRow out of range");
    if (s.CursorX < 0 || s.CursorX >= RowCells) Fail("CursorX out of the row");
    if (s.CursorY < 0 || s.CursorY >= s.Rows()) Fail("CursorY out of the screen");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const int rows = 1 + data[0] % 40, columns = 1 + data[1] % 80;
    const int maxBufferRows = 25 + (data[2] >> 1) % 40;
    const bool autoWrap = (data[2] & 1) != 0;
    data += 3;
    size -= 3;

    TEmulator bytewise(rows, columns, maxBufferRows, autoWrap);
    TEmulator whole(rows, columns, maxBufferRows, autoWrap);
    TEmulator pieces(rows, columns, maxBufferRows, autoWrap);
    std::uint32_t seed = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;

    std::size_t at = 0;
    while (at < size) {
        // The stretch up to the next property change.
        std::size_t stop = at;
        while (stop < size && !(data[stop] == 0xFF && stop + 1 < size && data[stop + 1] == 0xFE))
            ++stop;
        for (std::size_t i = at; i < stop; ++i) {
            bytewise.Vt.ProcessChar(data[i]);
            Check(bytewise);
        }
        whole.Vt.ProcessBuffer(data + at, stop - at);
        Check(whole);
        for (std::size_t p = at; p < stop;) {
            seed = seed * 1103515245u + 12345u;
            const std::size_t n = std::min<std::size_t>(1 + (seed >> 16) % 17, stop - p);
            pieces.Vt.ProcessBuffer(data + p, n);
            p += n;
        }
        Check(pieces);
        if (stop + 3 < size) {
            for (TEmulator* e : {&bytewise, &whole, &pieces}) {
                e->Change(data[stop + 2], data[stop + 3]);
                Check(*e);
            }
        }
        at = stop + 4;
    }

    const std::string a = DumpScreen(bytewise.Screen, true);
    if (a != DumpScreen(whole.Screen, true)) Fail("one piece differs from byte by byte");
    if (a != DumpScreen(pieces.Screen, true)) Fail("random pieces differ from byte by byte");
    if (bytewise.Fired != whole.Fired || bytewise.Fired != pieces.Fired)
        Fail("keyword fired differently");
    return 0;
}
