// Speed keys: five groups of twelve labelled key strings kept in the main
// settings file, the caret notation their strings are written in, and the
// group number's wrap-around.
#pragma once
#include "platform/core/IniFile.h"

#include <array>
#include <string>
#include <string_view>

namespace session {

constexpr int SpeedGroupCount = 5;
constexpr int SpeedKeyCount = 12;

// Decodes a key string. "^[" is ESC, "^^" a literal "^", "^" + c the byte
// c AND 31, a "^" in the last position stands for itself, every other
// character for itself. The string is walked by characters: a Big5 lead
// byte and the byte after it are one character, so a second byte that
// happens to be "^" is no caret, and a "^" before a two-byte character has
// no single byte to act on and stands for itself.
std::string DecodeSpeedKey(std::string_view keys);

// The group after / before g, wrapping 5 -> 1 and 1 -> 5.
int NextSpeedGroup(int g);
int PreviousSpeedGroup(int g);
// A group number read from a file: 1..5, anything else is group 1.
int ValidSpeedGroup(int g);

// A button's hint: "F" + (index + 1) + ":" + key string.
std::string SpeedKeyHint(int index, std::string_view key);

struct TSpeedGroup {
    std::array<std::string, SpeedKeyCount> Labels;
    std::array<std::string, SpeedKeyCount> Keys;
    bool operator==(const TSpeedGroup&) const = default;
};
using TSpeedTable = std::array<TSpeedGroup, SpeedGroupCount>; // [0] = group 1

// Section "SpeedButton" + g, keys "Label" + i and "Key" + i; missing keys
// read as empty strings.
TSpeedGroup ReadSpeedGroup(const win::TIniText& ini, int group);
TSpeedTable ReadSpeedTable(const win::TIniText& ini);
// Sets all sixty pairs in ini (the caller writes the file once).
void WriteSpeedTable(win::TIniText& ini, const TSpeedTable& table);

} // namespace session
