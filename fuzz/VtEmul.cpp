// Arbitrary bytes through the VT/ANSI interpreter and the screen buffer.
//
// The first three bytes choose the geometry (rows, columns, wrapping and a
// small history limit so trimming happens often); the rest is the stream.
// The same stream is fed byte by byte, in one piece and in pieces of
// pseudo-random size: the three screens, history included, must be equal,
// and the row list must keep its invariants and its trim bound.
#include "screen/core/ScreenBuffer.h"
#include "screen/core/ScreenDump.h"
#include "screen/core/VtInterpreter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct TConfig {
    int Rows, Columns, MaxBufferRows;
    bool AutoWrap;
};

struct TEmulator {
    TScreenBuffer Screen;
    TVtInterpreter Vt{Screen};
    explicit TEmulator(const TConfig& c) {
        Screen.SetMaxBufferRows(c.MaxBufferRows);
        Screen.SetColumns(c.Columns);
        Screen.SetRows(c.Rows);
        Screen.AutoWrap = c.AutoWrap;
        Screen.SetKeyWord("ab");
        Screen.TriggerCnt = 3;
        Screen.OnKeyWord = [this] { ++Fired; };
    }
    int Fired = 0;
};

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void Check(const TScreenBuffer& s) {
    const int count = s.RowCount();
    if (count < s.Rows()) Fail("fewer rows than the screen");
    if (count > 2 * s.Rows() + s.MaxBufferRows()) Fail("history beyond its trim bound");
    if (s.TopRow() != count - s.Rows()) Fail("TopRow is not Count - Rows");
    if (s.ViewRow() < 0 || s.ViewRow() > s.TopRow()) Fail("ViewRow out of range");
    if (s.CursorX < 0 || s.CursorX >= RowCells) Fail("CursorX out of the row");
    if (s.CursorY < 0 || s.CursorY >= s.Rows()) Fail("CursorY out of the screen");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const TConfig config{1 + data[0] % 40, 1 + data[1] % 80, 25 + (data[2] >> 1) % 40,
                         (data[2] & 1) != 0};
    data += 3;
    size -= 3;

    TEmulator bytewise(config);
    for (std::size_t i = 0; i < size; ++i) {
        bytewise.Vt.ProcessChar(data[i]);
        Check(bytewise.Screen);
    }
    TEmulator whole(config);
    whole.Vt.ProcessBuffer(data, size);
    Check(whole.Screen);
    TEmulator pieces(config);
    std::uint32_t seed = 2166136261u;
    for (std::size_t i = 0; i < size; ++i)
        seed = (seed ^ data[i]) * 16777619u;
    for (std::size_t at = 0; at < size;) {
        seed = seed * 1103515245u + 12345u;
        const std::size_t n = std::min<std::size_t>(1 + (seed >> 16) % 17, size - at);
        pieces.Vt.ProcessBuffer(data + at, n);
        at += n;
    }
    Check(pieces.Screen);

    const std::string a = DumpScreen(bytewise.Screen, true);
    if (a != DumpScreen(whole.Screen, true)) Fail("one piece differs from byte by byte");
    if (a != DumpScreen(pieces.Screen, true)) Fail("random pieces differ from byte by byte");
    if (bytewise.Fired != whole.Fired || bytewise.Fired != pieces.Fired)
        Fail("keyword fired differently");
    return 0;
}
