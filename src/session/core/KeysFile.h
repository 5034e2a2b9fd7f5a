// Keys.ini, the keyboard maps: one section per map, one key per mapped key.
//
// A key name is the scan code as three digits, "-", four flag characters
// (keypad digit with Num Lock, Shift, Ctrl, extended key; "1" or "0"), then
// "(" + the key's caption + ")" for people. The value is the string to send
// in caret notation ("^[" Esc, "^x" the control character of x); an empty
// value is no entry.
#pragma once
#include "platform/core/IniFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace session {

// The key of one map entry as its name gives it.
struct TKeyName {
    std::uint8_t Scan = 0;
    bool Keypad = false;
    bool Shift = false;
    bool Ctrl = false;
    bool Extended = false;
};

// Keys of the keypad that Num Lock turns into digits.
bool IsNumLockKeypadScan(int scan);

// The name of a key on the on-screen keyboard with the marker states. The
// keypad flag is set only with Num on, for a keypad key that is not an
// extended one. A "=" in the caption (it would end the name) becomes "_".
std::string MakeKeyName(int scan, bool extended, std::string_view caption, bool num, bool shift,
                        bool ctrl);

// The key a name stands for. Characters 1-3 must be a number 1..255; a flag
// beyond the end of a short name is clear; nullopt for names that are not
// key names (hand-edited ones), which the loaders skip.
std::optional<TKeyName> ParseKeyName(std::string_view name);

// Caret notation to bytes, at most maxBytes of them. A Big5 pair is one
// character, so its second byte is never taken as a "^". A "^" in the last
// place stands for itself.
std::string DecodeCaretText(std::string_view text, std::size_t maxBytes = 50);

// The name of the editor's scratch section ("\xFF" "temp").
extern const std::string kTempKeySection;
// The name of the map every site starts with.
inline constexpr std::string_view kDefaultKeyMap = "Default";

// The 21 keys of the "Default" map with their values.
const std::vector<std::pair<std::string, std::string>>& DefaultMapKeys();

// Writes each default key that reads empty in the "Default" section; true
// when anything changed.
bool EnsureDefaultKeyMap(win::TIniText& keys);

// The (name, value) pairs of a section in file order, empty values included.
std::vector<std::pair<std::string, std::string>> ReadKeyMap(const win::TIniText& keys,
                                                            std::string_view section);

// Replaces a section with the pairs whose value is not empty.
void ReplaceKeyMap(win::TIniText& keys, std::string_view section,
                   const std::vector<std::pair<std::string, std::string>>& pairs);

} // namespace session
