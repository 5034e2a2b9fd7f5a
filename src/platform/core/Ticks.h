// Millisecond tick counter in place of the system's GetTickCount.
#pragma once
#include <cstdint>
#include <functional>

namespace win {

using DWORD = std::uint32_t;

// Milliseconds since an arbitrary start, monotonic, wrapping at 2^32 like the
// system counter the callers were written for.
DWORD GetTickCount();

// Replaces the clock (tests); an empty function restores the real one.
void SetTickSource(std::function<DWORD()> source);

} // namespace win
