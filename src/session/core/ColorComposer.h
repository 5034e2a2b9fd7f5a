// The colour composer's codes: an SGR sequence built from the chosen head,
// attributes and colours, as the bytes typed into a session.
#pragma once
#include <string>
#include <string_view>

namespace session {

enum class TColorPart { All, Text, Back };

struct TColorChoice {
    int Head = 0;      // 0 ESC ESC "[", 1 control letter + "[", 2 "[" alone
    char Letter = 'U'; // the control letter of head 1 (A..Z)
    bool HighLight = false, Underline = false, Flash = false, Inverse = false;
    int Text = 8; // foreground 0..7, 8 = none
    int Back = 8; // background 0..7, 8 = none
};

// The letter box's text as the control letter: its first character
// upper-cased when that is A..Z, else 0 (no letter).
char ControlLetter(std::string_view boxText);

// The head of every code. Head 1 with no valid letter uses "U".
std::string ColorHead(const TColorChoice& c);
// Head, attributes, then the colour part asked for; the last ";" becomes "m".
std::string BuildCode(const TColorChoice& c, TColorPart part);
// Head + "0m".
std::string NormalCode(const TColorChoice& c);

} // namespace session
