// The user-definable key table of a terminal screen and the rules that turn
// a key-down into bytes for the host, scroll-back movement or nothing.
#pragma once
#include "screen/core/Row.h"

#include <array>
#include <cstdint>
#include <string_view>

// Shift-state bits of a key-table entry.
enum : std::uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4 };

#pragma pack(push, 1)
// One key-table entry, laid out byte for byte as key-map files store it.
struct TKeyMapEntry {
    std::uint8_t ScanCode = 0;   // PC scan code; 0 = empty entry
    std::uint8_t Keypad = 0;     // Boolean: the numeric-keypad variant of the key
    std::uint8_t Shift = 0;      // ssShift | ssAlt | ssCtrl, matched exactly
    std::uint8_t Extended = 0;   // Boolean: extended-key flag
    std::uint8_t Value[51] = {}; // length byte, then up to 50 bytes to send

    std::string_view Text() const {
        return {reinterpret_cast<const char*>(Value + 1), Value[0] > 50 ? 50u : Value[0]};
    }
    // Stores at most 50 bytes of `s`.
    void SetText(std::string_view s);
};
#pragma pack(pop)
static_assert(sizeof(TKeyMapEntry) == 55, "a key-table entry is 55 packed bytes");

constexpr int KeyTableSize = 64;
using TKeyTable = std::array<TKeyMapEntry, KeyTableSize>;

namespace screen {

// Virtual-key numbers the rules look at.
enum : std::uint8_t {
    VkBack = 8,
    VkShift = 16,
    VkControl = 17,
    VkMenu = 18,
    VkPrior = 33,
    VkNext = 34,
    VkEnd = 35,
    VkHome = 36,
    VkLeft = 37,
    VkUp = 38,
    VkRight = 39,
    VkDown = 40,
    VkProcessKey = 229,
};

// True for the numeric keypad's own codes: a keypad scan code reported with a
// virtual key above 'Z' (Num Lock on), not the navigation keys sharing it.
bool IsKeypadKey(std::uint8_t vk, std::uint8_t scan);

// The first entry matching the key, or nullptr.
const TKeyMapEntry* FindKeyEntry(const TKeyTable& table, std::uint8_t vk, std::uint8_t scan,
                                 bool extended, std::uint8_t shift);

struct TKeyDown {
    std::uint8_t VK = 0;
    std::uint8_t Scan = 0;
    bool Extended = false;
    std::uint8_t Shift = 0; // ssShift | ssAlt | ssCtrl
    bool CapsLock = false;
    bool ScrollLock = false;
};

enum class TKeyAction {
    PassOn,     // not the table's: the next handler and the normal loop get it
    LeaveAlone, // goes to the normal loop only (input method, copy/paste keys)
    SendEntry,  // send Entry's text
    Letter,     // hand Letter to the control's key press
    Scroll,     // move the scroll-back view to ViewRow, send nothing
};

struct TKeyDecision {
    TKeyAction Action = TKeyAction::PassOn;
    const TKeyMapEntry* Entry = nullptr;
    char Letter = 0;
    int BsDelMode = 0;      // 1 Backspace, 2 Left, 3 Right, 4 Delete, else 0
    bool CtrlArrow = false; // Left or Right with exactly Ctrl
    bool Examined = false;  // BsDelMode and CtrlArrow are to be stored
};

struct TScrollState {
    int ViewRow = 0;
    int TopRow = 0;
    int Rows = 24;
};

// Where a scroll key moves the view.
int ScrollViewRow(std::uint8_t vk, const TScrollState& s);

// Decides what one key-down does. For a Scroll action `scroll.ViewRow`
// holds the new view row afterwards.
TKeyDecision DecideKey(const TKeyDown& key, const TKeyTable& table, TScrollState& scroll);

// The character a key types while Ctrl is held (without Alt), as the PC
// keyboard gives it: a letter its control code, "[" "\\" "]" ESC, FS and GS,
// "2" NUL, "6" RS, "-" US, Enter LF, Backspace DEL, Space and Esc
// themselves. -1 for every other key, digits and punctuation among them:
// with Ctrl they type nothing. Ctrl with Shift types only with a letter.
int CtrlCharacter(std::uint8_t vk, std::uint8_t shift);

struct TDoubleRules {
    bool Big5BackSpace = false;
    bool Big5Delete = false;
    bool Big5Arrow = false;
};

// Whether the string of a Backspace, Left, Right or Delete key must be sent
// twice because the character it moves over is a two-cell one. `row` is the
// cursor's row.
bool ShouldDoubleKey(const TRow& row, int columns, int cursorX, int bsDelMode, bool ctrlArrow,
                     const TDoubleRules& rules);

} // namespace screen
