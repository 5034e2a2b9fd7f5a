#include "screen/KeyEvents.h"

#include <QKeyEvent>

namespace screen {
namespace {

struct TQtKeyScan {
    int Key;
    std::uint8_t Scan;
    bool Extended;
};

// Keys of the main block and the editing and function keys.
constexpr TQtKeyScan MainKeys[] = {
    {Qt::Key_Escape, 0x01, false},
    {Qt::Key_Exclam, 0x02, false},
    {Qt::Key_At, 0x03, false},
    {Qt::Key_NumberSign, 0x04, false},
    {Qt::Key_Dollar, 0x05, false},
    {Qt::Key_Percent, 0x06, false},
    {Qt::Key_AsciiCircum, 0x07, false},
    {Qt::Key_Ampersand, 0x08, false},
    {Qt::Key_Asterisk, 0x09, false},
    {Qt::Key_ParenLeft, 0x0A, false},
    {Qt::Key_ParenRight, 0x0B, false},
    {Qt::Key_Minus, 0x0C, false},
    {Qt::Key_Underscore, 0x0C, false},
    {Qt::Key_Equal, 0x0D, false},
    {Qt::Key_Plus, 0x0D, false},
    {Qt::Key_Backspace, 0x0E, false},
    {Qt::Key_Tab, 0x0F, false},
    {Qt::Key_Backtab, 0x0F, false},
    {Qt::Key_BracketLeft, 0x1A, false},
    {Qt::Key_BraceLeft, 0x1A, false},
    {Qt::Key_BracketRight, 0x1B, false},
    {Qt::Key_BraceRight, 0x1B, false},
    {Qt::Key_Return, 0x1C, false},
    {Qt::Key_Control, 0x1D, false},
    {Qt::Key_Semicolon, 0x27, false},
    {Qt::Key_Colon, 0x27, false},
    {Qt::Key_Apostrophe, 0x28, false},
    {Qt::Key_QuoteDbl, 0x28, false},
    {Qt::Key_QuoteLeft, 0x29, false},
    {Qt::Key_AsciiTilde, 0x29, false},
    {Qt::Key_Shift, 0x2A, false},
    {Qt::Key_Backslash, 0x2B, false},
    {Qt::Key_Bar, 0x2B, false},
    {Qt::Key_Comma, 0x33, false},
    {Qt::Key_Less, 0x33, false},
    {Qt::Key_Period, 0x34, false},
    {Qt::Key_Greater, 0x34, false},
    {Qt::Key_Slash, 0x35, false},
    {Qt::Key_Question, 0x35, false},
    {Qt::Key_Alt, 0x38, false},
    {Qt::Key_Space, 0x39, false},
    {Qt::Key_CapsLock, 0x3A, false},
    {Qt::Key_NumLock, 0x45, true},
    {Qt::Key_Pause, 0x45, false},
    {Qt::Key_ScrollLock, 0x46, false},
    {Qt::Key_F11, 0x57, false},
    {Qt::Key_F12, 0x58, false},
    {Qt::Key_Enter, 0x1C, true},
    {Qt::Key_Print, 0x37, true},
    {Qt::Key_Home, 0x47, true},
    {Qt::Key_Up, 0x48, true},
    {Qt::Key_PageUp, 0x49, true},
    {Qt::Key_Left, 0x4B, true},
    {Qt::Key_Right, 0x4D, true},
    {Qt::Key_End, 0x4F, true},
    {Qt::Key_Down, 0x50, true},
    {Qt::Key_PageDown, 0x51, true},
    {Qt::Key_Insert, 0x52, true},
    {Qt::Key_Delete, 0x53, true},
    {Qt::Key_Super_L, 0x5B, true},
    {Qt::Key_Super_R, 0x5C, true},
    {Qt::Key_Menu, 0x5D, true},
};

// The numeric keypad, whichever Num Lock state produced the key.
constexpr TQtKeyScan KeypadKeys[] = {
    {Qt::Key_7, 0x47, false},      {Qt::Key_Home, 0x47, false},     {Qt::Key_8, 0x48, false},
    {Qt::Key_Up, 0x48, false},     {Qt::Key_9, 0x49, false},        {Qt::Key_PageUp, 0x49, false},
    {Qt::Key_Minus, 0x4A, false},  {Qt::Key_4, 0x4B, false},        {Qt::Key_Left, 0x4B, false},
    {Qt::Key_5, 0x4C, false},      {Qt::Key_Clear, 0x4C, false},    {Qt::Key_6, 0x4D, false},
    {Qt::Key_Right, 0x4D, false},  {Qt::Key_Plus, 0x4E, false},     {Qt::Key_1, 0x4F, false},
    {Qt::Key_End, 0x4F, false},    {Qt::Key_2, 0x50, false},        {Qt::Key_Down, 0x50, false},
    {Qt::Key_3, 0x51, false},      {Qt::Key_PageDown, 0x51, false}, {Qt::Key_0, 0x52, false},
    {Qt::Key_Insert, 0x52, false}, {Qt::Key_Period, 0x53, false},   {Qt::Key_Comma, 0x53, false},
    {Qt::Key_Delete, 0x53, false}, {Qt::Key_Asterisk, 0x37, false}, {Qt::Key_Slash, 0x35, true},
    {Qt::Key_Enter, 0x1C, true},
};

constexpr std::uint8_t LetterScans[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                          0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                          0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};

bool IsKeypadDigitKey(int k) {
    return (k >= Qt::Key_0 && k <= Qt::Key_9) || k == Qt::Key_Period || k == Qt::Key_Comma;
}

} // namespace

TScanCode ScanFromQtKey(int k, bool keypad) {
    if (keypad) {
        for (const auto& e : KeypadKeys)
            if (e.Key == k) return {e.Scan, e.Extended};
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return {LetterScans[k - Qt::Key_A], false};
    if (k >= Qt::Key_1 && k <= Qt::Key_9)
        return {static_cast<std::uint8_t>(2 + k - Qt::Key_1), false};
    if (k == Qt::Key_0) return {0x0B, false};
    if (k >= Qt::Key_F1 && k <= Qt::Key_F10)
        return {static_cast<std::uint8_t>(0x3B + k - Qt::Key_F1), false};
    for (const auto& e : MainKeys)
        if (e.Key == k) return {e.Scan, e.Extended};
    return {};
}

TKeyDown KeyDownFromEvent(const QKeyEvent& e, bool scrollLock) {
    TKeyDown d;
    Qt::KeyboardModifiers m = e.modifiers();
    if (m & Qt::ShiftModifier) d.Shift |= ssShift;
    if (m & Qt::AltModifier) d.Shift |= ssAlt;
    if (m & Qt::ControlModifier) d.Shift |= ssCtrl;
    const bool keypad = m & Qt::KeypadModifier;
    TScanCode sc;
    if (e.nativeScanCode() != 0) sc = ScanFromXKeyCode(e.nativeScanCode());
    if (sc.Scan == 0) sc = ScanFromQtKey(e.key(), keypad);
    d.Scan = sc.Scan;
    d.Extended = sc.Extended;
    // On the keypad a digit (or the decimal point) means Num Lock is on.
    d.VK = VirtualKeyFromScan(sc, keypad && IsKeypadDigitKey(e.key()));
    // Letters and digits of the main block follow the keyboard layout, as
    // their virtual keys always have; the scan code stays the key's place.
    const int k = e.key();
    if (!keypad && ((k >= Qt::Key_A && k <= Qt::Key_Z) || (k >= Qt::Key_0 && k <= Qt::Key_9)))
        d.VK = static_cast<std::uint8_t>(k);
    const QString text = e.text();
    d.CapsLock = !(d.Shift & ssShift) && text.size() == 1 && text[0] >= QLatin1Char('A') &&
                 text[0] <= QLatin1Char('Z');
    d.ScrollLock = scrollLock;
    return d;
}

} // namespace screen
