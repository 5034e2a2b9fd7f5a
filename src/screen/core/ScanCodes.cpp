#include "screen/core/ScanCodes.h"

namespace screen {
namespace {

// Virtual keys of scan codes 0x00..0x58 without the extended flag.
constexpr std::uint8_t PlainVk[0x59] = {
    0,   27,  '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', 189, 187, 8,   9,   // 00
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', 219, 221, 13,  17,  'A', 'S', // 10
    'D', 'F', 'G', 'H', 'J', 'K', 'L', 186, 222, 192, 16,  220, 'Z', 'X', 'C', 'V', // 20
    'B', 'N', 'M', 188, 190, 191, 16,  106, 18,  32,  20,  112, 113, 114, 115, 116, // 30
    117, 118, 119, 120, 121, 19,  145, 36,  38,  33,  109, 37,  12,  39,  107, 35,  // 40
    40,  34,  45,  46,  0,   0,   226, 122, 123,                                    // 50
};

// Keypad digits with Num Lock on, scan 0x47..0x53 (0 = unchanged).
constexpr std::uint8_t NumLockVk[13] = {103, 104, 105, 0, 100, 101, 102, 0, 97, 98, 99, 96, 110};

} // namespace

TScanCode ScanFromXKeyCode(std::uint32_t xKeyCode) {
    if (xKeyCode < 9 || xKeyCode > 255) return {};
    std::uint32_t ev = xKeyCode - 8;
    if (ev == 69) // Num Lock carries the extended flag, Pause (below) does not
        return {0x45, true};
    if (ev <= 83 || (ev >= 86 && ev <= 88)) return {static_cast<std::uint8_t>(ev), false};
    switch (ev) {
    case 96:
        return {0x1C, true}; // keypad Enter
    case 97:
        return {0x1D, true}; // right Ctrl
    case 98:
        return {0x35, true}; // keypad /
    case 99:
        return {0x37, true}; // Print Screen
    case 100:
        return {0x38, true}; // right Alt
    case 102:
        return {0x47, true}; // Home
    case 103:
        return {0x48, true}; // Up
    case 104:
        return {0x49, true}; // Page Up
    case 105:
        return {0x4B, true}; // Left
    case 106:
        return {0x4D, true}; // Right
    case 107:
        return {0x4F, true}; // End
    case 108:
        return {0x50, true}; // Down
    case 109:
        return {0x51, true}; // Page Down
    case 110:
        return {0x52, true}; // Insert
    case 111:
        return {0x53, true}; // Delete
    case 117:
        return {0x59, false}; // keypad =
    case 119:
        return {0x45, false}; // Pause
    case 125:
        return {0x5B, true}; // left logo key
    case 126:
        return {0x5C, true}; // right logo key
    case 127:
        return {0x5D, true}; // menu key
    default:
        return {};
    }
}

std::uint8_t VirtualKeyFromScan(TScanCode key, bool numLock) {
    if (key.Extended) {
        switch (key.Scan) {
        case 0x1C:
            return 13;
        case 0x1D:
            return 17;
        case 0x35:
            return 111; // divide
        case 0x37:
            return 44; // snapshot
        case 0x38:
            return 18;
        case 0x45:
            return 144; // Num Lock
        case 0x5B:
            return 91;
        case 0x5C:
            return 92;
        case 0x5D:
            return 93;
        default:
            break;
        }
        return key.Scan < sizeof PlainVk ? PlainVk[key.Scan] : 0;
    }
    if (key.Scan >= 0x47 && key.Scan <= 0x53 && numLock && NumLockVk[key.Scan - 0x47])
        return NumLockVk[key.Scan - 0x47];
    if (key.Scan == 0x59) return 146; // keypad = (OEM)
    return key.Scan < sizeof PlainVk ? PlainVk[key.Scan] : 0;
}

} // namespace screen
