#include "session/core/LineInput.h"

#include "session/core/ShortcutKeys.h"

namespace session {

int LineCtrlByte(int key) {
    if (key <= 0 || key > 255) return -1;
    if (key >= vk::PageUp && key <= vk::Delete) return -1; // 33..46: paging, arrows, edit
    if (key >= vk::Digit0 && key <= vk::Digit9) return -1;
    if (key >= vk::Numpad0 && key <= 111) return -1; // keypad digits and operators
    if (key >= vk::F1 && key <= 135) return -1;      // F1..F24
    switch (key) {
    case vk::Shift:
    case vk::Control:
    case vk::Menu:
    case 19: // Pause
    case 20: // Caps Lock
    case 91: // the logo keys and the menu key
    case 92:
    case 93:
    case 144: // Num Lock
    case 145: // Scroll Lock
    case 160: // left and right shifts
    case 161:
    case 162:
    case 163:
    case 164:
    case 165:
        return -1;
    default:
        return key & 31;
    }
}

std::string LineToSend(std::string_view big5, bool lineEnd) {
    std::string s(big5);
    if (lineEnd) s += "\r\n";
    return s;
}

bool KeptInLineHistory(std::string_view big5) {
    return big5.size() > 1;
}

} // namespace session
