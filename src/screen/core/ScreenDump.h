// A plain-text picture of a screen buffer: cells, colours and flags, one
// group of lines per row. Used by the dump tool, the golden-screen tests and
// the fuzzer, so two buffers compare equal exactly when their dumps do.
//
//   screen <Columns>x<Rows> cursor <CursorX>,<CursorY> top <TopRow> count <rows>
//   row <i> |<80 cells>|       (history rows: "hist <i>")
//   fg <i> <80 hex digits>
//   bg <i> <80 hex digits>
//   fl <i> <80 digits>          (0 none, 1 blink, 2 underline, 3 both)
//
// Cells 0x20..0x7E print as themselves except '\' as "\\" and '|' as "\|";
// every other byte as \xHH. All 80 cells print whatever Columns is.
#pragma once

#include "screen/core/ScreenBuffer.h"

#include <string>

// With history, the rows above the screen (list indexes 0..TopRow-1) come
// first, labelled "hist".
std::string DumpScreen(const TScreenBuffer& screen, bool history = false);
