#include "screen/core/KeyTable.h"

#include "screen/core/Big5Cells.h"

#include <algorithm>
#include <cstring>

void TKeyMapEntry::SetText(std::string_view s) {
    std::size_t n = std::min<std::size_t>(s.size(), 50);
    std::memset(Value, 0, sizeof Value);
    Value[0] = static_cast<std::uint8_t>(n);
    std::memcpy(Value + 1, s.data(), n);
}

namespace screen {

bool IsKeypadKey(std::uint8_t vk, std::uint8_t scan) {
    bool keypadScan =
        (scan >= 71 && scan <= 73) || (scan >= 75 && scan <= 77) || (scan >= 79 && scan <= 83);
    return keypadScan && vk > 90;
}

const TKeyMapEntry* FindKeyEntry(const TKeyTable& table, std::uint8_t vk, std::uint8_t scan,
                                 bool extended, std::uint8_t shift) {
    bool keypad = IsKeypadKey(vk, scan);
    for (const TKeyMapEntry& e : table) {
        if (e.ScanCode == 0 || e.ScanCode != scan || e.Shift != shift ||
            (e.Extended != 0) != extended)
            continue;
        if ((e.Keypad != 0) == keypad) return &e;
    }
    return nullptr;
}

int ScrollViewRow(std::uint8_t vk, const TScrollState& s) {
    int v = s.ViewRow;
    switch (vk) {
    case VkDown:
        return v < s.TopRow ? v + 1 : v;
    case VkUp:
        return v > 0 ? v - 1 : v;
    case VkNext:
        return s.TopRow - v > s.Rows ? v + s.Rows : s.TopRow;
    case VkPrior:
        return v > s.Rows ? v - s.Rows : 0;
    case VkEnd:
        return s.TopRow;
    case VkHome:
        return 0;
    default:
        return v;
    }
}

TKeyDecision DecideKey(const TKeyDown& key, const TKeyTable& table, TScrollState& scroll) {
    TKeyDecision d;
    if (key.VK == VkProcessKey) {
        d.Action = TKeyAction::LeaveAlone;
        return d;
    }
    if (key.Shift & ssAlt) {
        // Alt keys are system keys: the window's shortcuts and menus own them.
        d.Action = TKeyAction::LeaveAlone;
        return d;
    }
    if (key.Scan == 0x52 && (key.Shift == ssCtrl || key.Shift == ssShift)) {
        // Ctrl+Ins and Shift+Ins are the copy and paste keys of the menus.
        d.Action = TKeyAction::LeaveAlone;
        return d;
    }
    d.Examined = true;
    if (key.Scan == 14)
        d.BsDelMode = 1;
    else if (key.Extended && key.Scan == 0x4B)
        d.BsDelMode = 2;
    else if (key.Extended && key.Scan == 0x4D)
        d.BsDelMode = 3;
    else if (key.Extended && key.Scan == 0x53)
        d.BsDelMode = 4;

    auto lookup = [&](bool extended, std::uint8_t shift) {
        d.Entry = FindKeyEntry(table, key.VK, key.Scan, extended, shift);
        d.Action = d.Entry ? TKeyAction::SendEntry : TKeyAction::PassOn;
        return d;
    };

    switch (key.VK) {
    case VkShift:
    case VkControl:
    case VkMenu:
        return d;
    case VkPrior:
    case VkNext:
    case VkEnd:
    case VkHome:
    case VkUp:
    case VkDown:
        if (!key.ScrollLock && key.Shift != ssCtrl) return lookup(true, key.Shift);
        scroll.ViewRow = ScrollViewRow(key.VK, scroll);
        d.Action = TKeyAction::Scroll;
        return d;
    case VkLeft:
    case VkRight:
        d.CtrlArrow = key.Shift == ssCtrl;
        return lookup(true, 0);
    default:
        break;
    }
    lookup(key.Extended, key.Shift);
    if (d.Entry || key.VK < 'A' || key.VK > 'Z') return d;
    d.Action = TKeyAction::Letter;
    if (key.Shift & ssCtrl)
        d.Letter = static_cast<char>(key.VK & 31);
    else if (!key.CapsLock && !(key.Shift & ssShift))
        d.Letter = static_cast<char>(key.VK | 32);
    else
        d.Letter = static_cast<char>(key.VK);
    return d;
}

int CtrlCharacter(std::uint8_t vk, std::uint8_t shift) {
    if (!(shift & ssCtrl) || (shift & ssAlt)) return -1;
    if (vk >= 'A' && vk <= 'Z') return vk & 31;
    if (shift & ssShift) return -1;
    switch (vk) {
    case 219: // [
        return 0x1B;
    case 220: // backslash
        return 0x1C;
    case 221: // ]
        return 0x1D;
    case '2':
        return 0x00;
    case '6':
        return 0x1E;
    case 189: // -
        return 0x1F;
    case 13: // Enter
        return 0x0A;
    case VkBack:
        return 0x7F;
    case 27: // Esc
        return 0x1B;
    case 32: // Space
        return 0x20;
    default:
        return -1;
    }
}

bool ShouldDoubleKey(const TRow& row, int columns, int cursorX, int bsDelMode, bool ctrlArrow,
                     const TDoubleRules& rules) {
    columns = std::clamp(columns, 1, RowCells);
    bool left = (bsDelMode == 1 && rules.Big5BackSpace) ||
                (bsDelMode == 2 && rules.Big5Arrow && !ctrlArrow);
    bool right =
        (bsDelMode == 3 && rules.Big5Arrow && !ctrlArrow) || (bsDelMode == 4 && rules.Big5Delete);
    if (left && cursorX >= 2 && cursorX <= columns)
        return CellPartAt(row, columns, cursorX - 1) != TCellPart::Single;
    // Pairing from the row start tells a lead byte from a trail byte that
    // merely looks like one; a pair may sit in the last two columns.
    if (right && cursorX >= 0 && cursorX + 1 < columns)
        return CellPartAt(row, columns, cursorX) == TCellPart::Lead;
    return false;
}

} // namespace screen
