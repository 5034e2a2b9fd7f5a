// PC keyboard scan codes (set 1, as key-map files store them) for the keys of
// an X server's evdev keyboard, and the virtual-key numbers the key table
// rules look at.
#pragma once
#include <cstdint>

namespace screen {

struct TScanCode {
    std::uint8_t Scan = 0; // 0 = no PC key
    bool Extended = false; // the key sends the 0xE0 prefix
};

// X key codes are evdev codes + 8.
TScanCode ScanFromXKeyCode(std::uint32_t xKeyCode);

// The virtual-key number of a PC key. `numLock` picks the digit codes
// (96..105, 110) over the navigation codes for the keypad's own keys.
std::uint8_t VirtualKeyFromScan(TScanCode key, bool numLock);

} // namespace screen
